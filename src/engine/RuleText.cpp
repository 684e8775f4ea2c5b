#include "engine/RuleText.h"

#include <algorithm>

namespace klarvex {

namespace {

bool StartsWith(std::wstring_view text, std::wstring_view prefix) {
    return text.size() >= prefix.size() && text.compare(0, prefix.size(), prefix) == 0;
}

bool EndsWith(std::wstring_view text, std::wstring_view suffix) {
    return text.size() >= suffix.size() && text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

bool IsLetter(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }

}  // namespace

bool WildcardMatch(std::wstring_view pattern, std::wstring_view name) {
    // A pattern that needs more characters than the name has fails at
    // once, so a long hostile pattern costs no more than its length.
    const auto stars = static_cast<size_t>(std::count(pattern.begin(), pattern.end(), L'*'));
    if (pattern.size() - stars > name.size()) return false;
    // Greedy, going back only to the last "*": each star takes one more
    // character at a time, so the work is at most pattern times name.
    size_t p = 0, n = 0;
    size_t starAt = std::wstring_view::npos, starName = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == L'*') {
            starAt = p++;
            starName = n;
        } else if (p < pattern.size() && (pattern[p] == L'?' || pattern[p] == name[n])) {
            ++p;
            ++n;
        } else if (starAt != std::wstring_view::npos) {
            p = starAt + 1;
            n = ++starName;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == L'*') ++p;
    return p == pattern.size();
}

bool HasWildcard(std::wstring_view text) { return text.find_first_of(L"*?") != std::wstring_view::npos; }

FileMask::FileMask(std::wstring mask, std::wstring_view upperMask, ExactName exact)
    : mask_(std::move(mask)), upper_(upperMask), exact_(exact) {
    hasWildcard_ = HasWildcard(upper_);
    const size_t star = upper_.find(L'*');
    oneStar_ = star != std::wstring::npos && upper_.find_first_of(L"*?", star + 1) == std::wstring::npos &&
               upper_.find(L'?') == std::wstring::npos;
    if (oneStar_) {
        prefix_ = upper_.substr(0, star);
        suffix_ = upper_.substr(star + 1);
    }
}

bool FileMask::Matches(std::wstring_view name, std::wstring_view upperName) const {
    if (mask_ == L"*.*") return true;
    if (!hasWildcard_) return exact_ == ExactName::AnyCase ? upperName == upper_ : name == mask_;
    if (!oneStar_) return WildcardMatch(upper_, upperName);
    // Prefix and suffix must not share letters of the name: "AB*B" is no
    // match for "AB", which the two tests alone would accept.
    if (upperName.size() < prefix_.size() + suffix_.size()) return false;
    return StartsWith(upperName, prefix_) && EndsWith(upperName, suffix_);
}

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
    else if (rule.base.empty()) {
        // No base written: the value began with "\", as "\\server\share\..."
        // does. Kept only when that names a drive or share.
        std::wstring folder = L"\\" + rule.folderPath;
        if (!IsAbsolutePath(folder)) return std::nullopt;
        return folder;
    } else base = rule.base;
    if (base.empty()) return std::nullopt;
    if (base.back() != L'\\') base += L'\\';
    if (!IsAbsolutePath(base)) return std::nullopt;
    return base + rule.folderPath;
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

RootKey RootKeyFromName(std::wstring_view upperName) {
    if (upperName == L"HKEY_CLASSES_ROOT") return RootKey::ClassesRoot;
    if (upperName == L"HKEY_CURRENT_USER") return RootKey::CurrentUser;
    if (upperName == L"HKEY_LOCAL_MACHINE") return RootKey::LocalMachine;
    if (upperName == L"HKEY_USERS") return RootKey::Users;
    if (upperName == L"HKEY_CURRENT_CONFIG") return RootKey::CurrentConfig;
    return RootKey::None;
}

const wchar_t* RootKeyText(RootKey root) {
    switch (root) {
        case RootKey::ClassesRoot: return L"HKEY_CLASSES_ROOT";
        case RootKey::CurrentUser: return L"HKEY_CURRENT_USER";
        case RootKey::LocalMachine: return L"HKEY_LOCAL_MACHINE";
        case RootKey::Users: return L"HKEY_USERS";
        case RootKey::CurrentConfig: return L"HKEY_CURRENT_CONFIG";
        case RootKey::None: break;
    }
    return L"";
}

std::wstring TrimKeyPath(std::wstring_view keyPath) {
    const size_t first = keyPath.find_first_not_of(L'\\');
    if (first == std::wstring_view::npos) return {};
    const size_t last = keyPath.find_last_not_of(L'\\');
    return std::wstring(keyPath.substr(first, last - first + 1));
}

bool IsSharedRegistryKey(RootKey root, std::wstring_view upperKeyPath) {
    static constexpr std::wstring_view kSharedKeys[] = {
        L"SOFTWARE\\MICROSOFT",
        L"SOFTWARE\\CLASSES",
        L"SOFTWARE\\POLICIES",
        L"SOFTWARE\\WOW6432NODE",
        L"SOFTWARE\\POLICIES\\MICROSOFT",
        L"SOFTWARE\\MICROSOFT\\WINDOWS",
        L"SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION",
        L"SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\RUN",
        L"SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\RUNONCE",
        L"SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\EXPLORER",
        L"SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\UNINSTALL",
        L"SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\APP PATHS",
        L"SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\POLICIES",
        L"SOFTWARE\\MICROSOFT\\WINDOWS NT",
        L"SOFTWARE\\MICROSOFT\\WINDOWS NT\\CURRENTVERSION",
        L"SOFTWARE\\MICROSOFT\\OFFICE",
        L"SOFTWARE\\MICROSOFT\\INTERNET EXPLORER",
    };
    std::wstring path = TrimKeyPath(upperKeyPath);
    if (root == RootKey::Users) {
        // HKEY_USERS\<user> is that user's whole hive, and below it the same
        // keys as under HKEY_CURRENT_USER.
        const size_t slash = path.find(L'\\');
        if (slash == std::wstring::npos) return true;
        path = TrimKeyPath(std::wstring_view(path).substr(slash + 1));
    }
    if (path.empty()) return true;
    if (root == RootKey::ClassesRoot) path = L"SOFTWARE\\CLASSES\\" + path;
    // The 32-bit programs' view of Software holds the same shared keys.
    constexpr std::wstring_view kWow = L"SOFTWARE\\WOW6432NODE\\";
    if (StartsWith(path, kWow)) path = L"SOFTWARE\\" + path.substr(kWow.size());
    const auto levels = 1 + std::count(path.begin(), path.end(), L'\\');
    if (levels == 1) return true;
    // Every class, file type and interface at the first level of the
    // classes, and every control set of SYSTEM, serves the whole machine.
    if (levels == 3 && StartsWith(path, L"SOFTWARE\\CLASSES\\")) return true;
    if (levels == 2 && StartsWith(path, L"SYSTEM\\")) return true;
    if (StartsWith(path, L"SYSTEM\\CURRENTCONTROLSET\\") && levels == 3) return true;
    return std::find(std::begin(kSharedKeys), std::end(kSharedKeys), path) != std::end(kSharedKeys);
}

int32_t WindowsVersionCode(uint32_t platformId, uint32_t major, uint32_t minor) {
    constexpr uint32_t kPlatformNT = 2;
    if (platformId == kPlatformNT) {
        switch (major) {
            case 3: return 5;
            case 4: return 6;
            case 5: return minor == 1 ? 9 : minor == 2 ? 10 : 7;
            case 0: case 1: case 2: return 10;
            // Windows 10 and 11 report 10.0 to a program that declares them
            // in its manifest, as ours does: still "6 or later".
            default: return 11;
        }
    }
    if (major == 4 && minor == 0) return 1;
    if (major == 4 && minor == 10) return 3;
    if (major == 4 && minor == 90) return 8;
    return 10;
}

bool IsWin9xCode(int32_t code) { return (code >= 1 && code <= 4) || code == 8; }

std::wstring WithBackslash(std::wstring path) {
    if (!path.empty() && path.back() != L'\\') path += L'\\';
    return path;
}

std::wstring WithoutDevicePrefix(std::wstring_view path) {
    if (!StartsWith(path, L"\\\\?\\") && !StartsWith(path, L"\\\\.\\")) return std::wstring(path);
    const std::wstring_view rest = path.substr(4);
    const bool unc = rest.size() >= 4 && (rest[0] == L'U' || rest[0] == L'u') && (rest[1] == L'N' || rest[1] == L'n') &&
                     (rest[2] == L'C' || rest[2] == L'c') && rest[3] == L'\\';
    return unc ? L"\\" + std::wstring(rest.substr(3)) : std::wstring(rest);
}

bool IsAbsolutePath(std::wstring_view pathText) {
    const std::wstring path = WithoutDevicePrefix(pathText);
    const bool drivePath = path.size() >= 3 && IsLetter(path[0]) && path[1] == L':' && path[2] == L'\\';
    // "\\?" and "\\." without their backslash are no server names either.
    const bool uncPath = path.size() >= 3 && path[0] == L'\\' && path[1] == L'\\' && path[2] != L'\\' &&
                         path[2] != L'?' && path[2] != L'.';
    return drivePath || uncPath;
}

bool IsRootFolder(std::wstring_view folderWithBackslash) {
    const std::wstring folder = WithoutDevicePrefix(folderWithBackslash);
    if (!StartsWith(folder, L"\\\\")) return folder.size() < 4;
    // \\server\share\ : at most two names after the leading backslashes.
    int names = 0;
    for (size_t i = 2; i < folder.size(); ++i)
        if (folder[i] != L'\\' && (i == 2 || folder[i - 1] == L'\\')) ++names;
    return names <= 2;
}

}  // namespace klarvex
