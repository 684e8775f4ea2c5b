#include "formats/Winapp2.h"

#include <algorithm>
#include <utility>

#include "base/PathText.h"
#include "platform/RegistryPaths.h"

namespace klarvex {

namespace {

std::wstring_view Trimmed(std::wstring_view text) {
    const size_t first = text.find_first_not_of(L" \t\r\n");
    if (first == std::wstring_view::npos) return {};
    const size_t last = text.find_last_not_of(L" \t\r\n");
    return text.substr(first, last - first + 1);
}

// Key names and flags of the format are ASCII; compared without case.
std::wstring AsciiUpper(std::wstring_view text) {
    std::wstring upper(text);
    for (auto& c : upper)
        if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
    return upper;
}

std::vector<std::wstring_view> Split(std::wstring_view text, wchar_t separator) {
    std::vector<std::wstring_view> parts;
    for (size_t start = 0;;) {
        const size_t end = text.find(separator, start);
        parts.push_back(text.substr(start, end == std::wstring_view::npos ? std::wstring_view::npos : end - start));
        if (end == std::wstring_view::npos) return parts;
        start = end + 1;
    }
}

constexpr size_t kMaxExpandedPaths = 16;

bool Usable(std::wstring_view path) { return !path.empty() && path.size() <= kWinapp2MaxPath; }

// "a.log;*.tmp": every mask non-empty and of a usable length.
std::optional<std::vector<std::wstring>> Masks(std::wstring_view text) {
    std::vector<std::wstring> masks;
    for (const auto part : Split(text, L';')) {
        const auto mask = Trimmed(part);
        if (!Usable(mask) || mask.find(L'\\') != std::wstring_view::npos) return std::nullopt;
        masks.emplace_back(mask);
    }
    return masks;
}

std::optional<Winapp2Files> FilesOf(std::wstring_view value) {
    const auto parts = Split(value, L'|');
    if (parts.size() < 2 || parts.size() > 4) return std::nullopt;
    Winapp2Files files;
    files.path = Trimmed(parts[0]);
    const auto masks = Masks(parts[1]);
    if (!Usable(files.path) || !masks) return std::nullopt;
    files.masks = *masks;
    for (size_t i = 2; i < parts.size(); ++i) {
        const std::wstring flag = AsciiUpper(Trimmed(parts[i]));
        if (flag == L"RECURSE") files.recurse = true;
        else if (flag == L"REMOVESELF") files.recurse = files.removeSelf = true;
        else return std::nullopt;
    }
    return files;
}

std::optional<Winapp2Registry> RegistryOf(std::wstring_view value) {
    const auto parts = Split(value, L'|');
    if (parts.size() > 2) return std::nullopt;
    Winapp2Registry registry{std::wstring(Trimmed(parts[0])), std::nullopt};
    if (!Usable(registry.key)) return std::nullopt;
    if (parts.size() == 2) {
        const auto name = Trimmed(parts[1]);
        if (!Usable(name)) return std::nullopt;
        registry.value = std::wstring(name);
    }
    return registry;
}

bool HasControlCharacter(std::wstring_view text) {
    return std::any_of(text.begin(), text.end(), [](wchar_t c) { return c < L' ' || c == 0x7F; });
}

std::optional<Winapp2Exclude> ExcludeOf(std::wstring_view value) {
    // A NUL would make the path this reads differ from the one the system
    // is asked for.
    if (HasControlCharacter(value)) return std::nullopt;
    const auto parts = Split(value, L'|');
    if (parts.size() < 2 || parts.size() > 3) return std::nullopt;
    const std::wstring kind = AsciiUpper(Trimmed(parts[0]));
    Winapp2Exclude exclude;
    exclude.path = Trimmed(parts[1]);
    if (!Usable(exclude.path)) return std::nullopt;
    const bool hasTail = parts.size() == 3;
    if (kind == L"REG") {
        exclude.kind = Winapp2Exclude::Kind::Registry;
        if (hasTail) {
            const auto name = Trimmed(parts[2]);
            if (!Usable(name)) return std::nullopt;
            exclude.value = std::wstring(name);
        }
        return exclude;
    }
    if (kind == L"FILE") exclude.kind = Winapp2Exclude::Kind::File;
    else if (kind == L"PATH") exclude.kind = Winapp2Exclude::Kind::Path;
    else return std::nullopt;
    if (exclude.kind == Winapp2Exclude::Kind::File && !hasTail) {
        // FILE|folder\name: the one file, named in one piece.
        const size_t slash = exclude.path.find_last_of(L"\\/");
        if (slash == std::wstring::npos || slash + 1 == exclude.path.size()) return std::nullopt;
        exclude.masks = {exclude.path.substr(slash + 1)};
        exclude.path.resize(slash);
        if (!Usable(exclude.path)) return std::nullopt;
        return exclude;
    }
    if (hasTail) {
        const auto masks = Masks(parts[2]);
        if (!masks) return std::nullopt;
        exclude.masks = *masks;
    }
    return exclude;
}

// "6.1", "10", "" (no bound).
std::optional<std::optional<Winapp2Version>> VersionOf(std::wstring_view text) {
    text = Trimmed(text);
    if (text.empty()) return std::optional<Winapp2Version>();
    Winapp2Version version;
    uint32_t* part = &version.major;
    bool digits = false;
    for (const wchar_t c : text) {
        if (c == L'.' && part == &version.major && digits) {
            part = &version.minor;
            digits = false;
        } else if (c >= L'0' && c <= L'9' && *part < 100000) {
            *part = *part * 10 + static_cast<uint32_t>(c - L'0');
            digits = true;
        } else {
            return std::nullopt;
        }
    }
    if (!digits) return std::nullopt;
    return std::optional<Winapp2Version>(version);
}

// The key's name without its number: "FileKey12" gives "FILEKEY".
std::wstring KeyKind(std::wstring_view key) {
    const size_t digits = key.find_last_not_of(L"0123456789");
    return AsciiUpper(key.substr(0, digits == std::wstring_view::npos ? 0 : digits + 1));
}

void TakeLine(Winapp2Entry& entry, std::wstring_view key, std::wstring_view value) {
    const std::wstring kind = KeyKind(key);
    if (kind == L"DETECT") {
        if (Usable(value)) entry.detectKeys.emplace_back(value);
    } else if (kind == L"DETECTFILE") {
        if (Usable(value)) entry.detectFiles.emplace_back(value);
    } else if (kind == L"DETECTOS") {
        const auto parts = Split(value, L'|');
        if (parts.size() != 2) return;
        const auto low = VersionOf(parts[0]);
        const auto high = VersionOf(parts[1]);
        if (!low || !high) return;
        entry.osMin = *low;
        entry.osMax = *high;
    } else if (kind == L"SPECIALDETECT") {
        entry.specialDetect = value;
    } else if (kind == L"FILEKEY") {
        if (auto files = FilesOf(value)) entry.files.push_back(std::move(*files));
    } else if (kind == L"REGKEY") {
        if (auto registry = RegistryOf(value)) entry.registry.push_back(std::move(*registry));
    } else if (kind == L"EXCLUDEKEY") {
        if (auto exclude = ExcludeOf(value)) entry.excludes.push_back(std::move(*exclude));
        else entry.unreadableExcludes.push_back(std::wstring(key) + L"=" + std::wstring(value));
    } else if (kind == L"WARNING") {
        entry.warning = value;
    }
}

}  // namespace

std::vector<Winapp2Entry> ParseWinapp2(std::wstring_view text) {
    std::vector<Winapp2Entry> entries;
    Winapp2Entry* current = nullptr;
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find_first_of(L"\r\n", start);
        if (end == std::wstring_view::npos) end = text.size();
        const std::wstring_view line = Trimmed(text.substr(start, end - start));
        start = end + 1;
        if (line.empty() || line[0] == L';') continue;
        if (line[0] == L'[') {
            current = nullptr;
            if (line.back() != L']') continue;  // a broken header: its lines belong to no entry
            std::wstring_view name = Trimmed(line.substr(1, line.size() - 2));
            if (name.size() >= 2 && name.substr(name.size() - 2) == L" *") name = Trimmed(name.substr(0, name.size() - 2));
            if (name.empty()) continue;
            current = &entries.emplace_back();
            current->name = name;
            continue;
        }
        const size_t equals = line.find(L'=');
        if (!current || equals == std::wstring_view::npos) continue;
        TakeLine(*current, Trimmed(line.substr(0, equals)), Trimmed(line.substr(equals + 1)));
    }
    return entries;
}

std::optional<std::wstring> SpecialDetectFolder(std::wstring_view name) {
    const std::wstring upper = AsciiUpper(Trimmed(name));
    if (upper == L"DET_CHROME") return L"%LocalAppData%\\Google\\Chrome\\User Data";
    if (upper == L"DET_MOZILLA") return L"%AppData%\\Mozilla\\Firefox";
    if (upper == L"DET_THUNDERBIRD") return L"%AppData%\\Thunderbird";
    if (upper == L"DET_OPERA") return L"%AppData%\\Opera Software";
    if (upper == L"DET_WINDOWS") return L"%WinDir%";
    return std::nullopt;
}

std::vector<std::wstring> ExpandWinapp2Variables(std::wstring_view text,
                                                 const std::vector<Winapp2Variable>& variables) {
    std::vector<std::wstring> paths{L""};
    for (size_t at = 0; at < text.size();) {
        const size_t open = text.find(L'%', at);
        const size_t close = open == std::wstring_view::npos ? open : text.find(L'%', open + 1);
        if (close == std::wstring_view::npos) {
            for (auto& path : paths) path += text.substr(at);
            break;
        }
        const std::wstring name = AsciiUpper(text.substr(open + 1, close - open - 1));
        const Winapp2Variable* variable = nullptr;
        for (const auto& candidate : variables)
            if (candidate.upperName == name) variable = &candidate;
        if (!variable || variable->values.empty()) return {};
        std::vector<std::wstring> longer;
        for (const auto& path : paths) {
            for (const auto& value : variable->values) {
                if (value.empty()) return {};
                longer.push_back(path + std::wstring(text.substr(at, open - at)) + value);
            }
        }
        // Each variable of two values doubles the paths: a line may not
        // make more than a handful.
        if (longer.size() > kMaxExpandedPaths) return {};
        paths = std::move(longer);
        at = close + 1;
    }
    std::vector<std::wstring> usable;
    for (const auto& path : paths) {
        if (path.size() > kWinapp2MaxPath || HasDotName(path)) continue;
        if (auto canonical = CanonicalRulePath(path)) usable.push_back(std::move(*canonical));
    }
    return usable;
}

std::optional<Winapp2Key> SplitWinapp2Key(std::wstring_view text) {
    const size_t slash = text.find(L'\\');
    if (slash == std::wstring_view::npos) return std::nullopt;
    const std::wstring root = AsciiUpper(Trimmed(text.substr(0, slash)));
    static constexpr std::pair<const wchar_t*, RootKey> kShortNames[] = {
        {L"HKCU", RootKey::CurrentUser}, {L"HKLM", RootKey::LocalMachine}, {L"HKU", RootKey::Users},
        {L"HKCR", RootKey::ClassesRoot}, {L"HKCC", RootKey::CurrentConfig}};
    const auto canonical = CanonicalKeyPath(text.substr(slash + 1));
    if (!canonical) return std::nullopt;
    Winapp2Key key{RootKeyFromName(root), TrimKeyPath(*canonical)};
    for (const auto& [name, rootKey] : kShortNames)
        if (root == name) key.root = rootKey;
    if (key.root == RootKey::None || key.path.empty()) return std::nullopt;
    return key;
}

}  // namespace klarvex
