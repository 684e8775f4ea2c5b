#include "formats/RuleText.h"

#include "base/PathText.h"

namespace klarvex {

std::wstring SectionNameFromItem(std::wstring_view itemName) {
    const size_t dash = itemName.find(L'-');
    if (dash == std::wstring_view::npos) return std::wstring(itemName);
    const size_t start = dash + 2;
    return start >= itemName.size() ? std::wstring() : std::wstring(itemName.substr(start));
}

RuleKinds RuleKindsOfLine(std::wstring_view line) {
    return {line.find(L"DelRegValue") != std::wstring_view::npos, line.find(L"DelFile") != std::wstring_view::npos};
}

std::wstring RuleValueOfLine(std::wstring_view line) {
    const size_t equals = line.find(L'=');
    return equals == std::wstring_view::npos ? std::wstring() : std::wstring(line.substr(equals + 1));
}

namespace {

// Both kinds of rule read HEAD\PATH[,TAIL]: split at the first "\", and
// the rest at its first ",". The value must hold a "\".
struct RuleParts {
    std::wstring head, path, tail;
    bool hasComma = false;
};

RuleParts SplitRuleParts(std::wstring_view value) {
    const size_t slash = value.find(L'\\');
    const std::wstring_view rest = value.substr(slash + 1);
    const size_t comma = rest.find(L',');
    RuleParts parts;
    parts.head = value.substr(0, slash);
    parts.path = rest.substr(0, comma);
    parts.hasComma = comma != std::wstring_view::npos;
    if (parts.hasComma) parts.tail = rest.substr(comma + 1);
    return parts;
}

}  // namespace

std::optional<RegistryRule> SplitRegistryRule(std::wstring_view value) {
    if (value.find(L'\\') == std::wstring_view::npos) return std::nullopt;
    RuleParts parts = SplitRuleParts(value);
    return RegistryRule{std::move(parts.head), std::move(parts.path), parts.hasComma, std::move(parts.tail)};
}

FileRule SplitFileRule(std::wstring_view value) {
    std::wstring text(value);
    if (text.find(L'\\') == std::wstring::npos) text += L'\\';
    RuleParts parts = SplitRuleParts(text);
    return FileRule{std::move(parts.head), std::move(parts.path), parts.hasComma, std::move(parts.tail)};
}

bool IsPlaceholder(std::wstring_view base) {
    return base == L"%ProgramFiles%" || base == L"%windir%" || base == L"{Local AppData}" ||
           base == L"{Current AppData}" || base == L"{Common AppData}" || base == L"{LocalLow AppData}" ||
           base == L"{C: Drive}";
}

std::optional<std::wstring> RuleFolder(const FileRule& rule, const RulePlaceholders& placeholders) {
    std::wstring base;
    if (rule.base == L"%ProgramFiles%") base = placeholders.programFiles;
    else if (rule.base == L"%windir%") base = placeholders.windowsDir;
    else if (rule.base == L"{Local AppData}") base = placeholders.localAppData;
    else if (rule.base == L"{Current AppData}") base = placeholders.currentAppData;
    else if (rule.base == L"{Common AppData}") base = placeholders.commonAppData;
    else if (rule.base == L"{LocalLow AppData}") base = placeholders.localLowAppData;
    else if (rule.base == L"{C: Drive}") base = L"C:\\";
    else base = rule.base;
    // No base at all (the value began with "\", as a network path does)
    // or one that reads empty leaves no folder of this machine's drives.
    if (base.empty()) return std::nullopt;
    if (base.back() != L'\\') base += L'\\';
    return CanonicalRulePath(base + rule.folderPath);
}

std::vector<std::wstring> RuleFolders(const FileRule& rule, const RulePlaceholders& placeholders) {
    std::vector<std::wstring> folders;
    if (auto folder = RuleFolder(rule, placeholders)) folders.push_back(std::move(*folder));
    if (rule.base == L"%ProgramFiles%" && !placeholders.programFilesX86.empty()) {
        RulePlaceholders x86 = placeholders;
        x86.programFiles = placeholders.programFilesX86;
        if (auto folder = RuleFolder(rule, x86)) folders.push_back(std::move(*folder));
    }
    return folders;
}

}  // namespace klarvex
