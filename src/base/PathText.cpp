#include "base/PathText.h"

#include <algorithm>
#include <iterator>
#include <vector>

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

bool FileMask::MatchesEveryName() const noexcept { return IsEverythingMask(mask_); }

bool FileMask::Matches(std::wstring_view name, std::wstring_view upperName) const {
    if (mask_ == L"*.*") return true;
    if (!hasWildcard_) return exact_ == ExactName::AnyCase ? upperName == upper_ : name == mask_;
    if (!oneStar_) return WildcardMatch(upper_, upperName);
    // Prefix and suffix must not share letters of the name: "AB*B" is no
    // match for "AB", which the two tests alone would accept.
    if (upperName.size() < prefix_.size() + suffix_.size()) return false;
    return StartsWith(upperName, prefix_) && EndsWith(upperName, suffix_);
}

bool FitsAnyMask(const std::vector<FileMask>& masks, std::wstring_view name, std::wstring_view upperName) {
    return std::any_of(masks.begin(), masks.end(), [&](const FileMask& mask) { return mask.Matches(name, upperName); });
}

std::wstring WithBackslash(std::wstring path) {
    if (!path.empty() && path.back() != L'\\') path += L'\\';
    return path;
}

std::wstring WithoutTrailingBackslash(std::wstring path) {
    while (path.size() > 3 && path.back() == L'\\') path.pop_back();
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

namespace {

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

// Names of a path split at either separator, empty ones dropped.
std::vector<std::wstring_view> Names(std::wstring_view path) {
    std::vector<std::wstring_view> names;
    size_t start = 0;
    for (size_t i = 0; i <= path.size(); ++i) {
        if (i < path.size() && !IsSeparator(path[i])) continue;
        if (i > start) names.push_back(path.substr(start, i - start));
        start = i + 1;
    }
    return names;
}

bool IsEverythingName(std::wstring_view name) {
    bool wildcard = false;
    for (const wchar_t c : name) {
        if (c == L'*' || c == L'?') wildcard = true;
        else if (c != L'.') return false;
    }
    return wildcard;
}

}  // namespace

std::optional<std::wstring> CanonicalRulePath(std::wstring_view text) {
    for (const wchar_t c : text)
        if (c < L' ' || c == 0x7F) return std::nullopt;
    // "X:" and a separator: a path that names its drive. Two separators at
    // the start are a server or a device; one alone, the current drive.
    if (text.size() < 3 || !IsLetter(text[0]) || text[1] != L':' || !IsSeparator(text[2])) return std::nullopt;
    std::vector<std::wstring_view> kept;
    for (const auto name : Names(text.substr(3))) {
        if (name == L".") continue;
        if (name == L"..") {
            if (kept.empty()) return std::nullopt;
            kept.pop_back();
            continue;
        }
        if (name.find(L':') != std::wstring_view::npos || name.back() == L'.' || name.back() == L' ')
            return std::nullopt;
        kept.push_back(name);
    }
    std::wstring path = std::wstring(text.substr(0, 2)) + L"\\";
    for (size_t i = 0; i < kept.size(); ++i) {
        if (i > 0) path += L'\\';
        path += kept[i];
    }
    return path;
}

bool IsWindowsName(std::wstring_view name) {
    if (name.empty() || name == L"." || name == L".." || name.back() == L'.' || name.back() == L' ') return false;
    constexpr std::wstring_view kNotInNames = L"\\/:*?\"<>|\uFFFD";
    for (const wchar_t c : name)
        if (c < L' ' || kNotInNames.find(c) != std::wstring_view::npos) return false;
    return true;
}

namespace {

// The extension of a name after its last dot, in upper case; "" without one.
std::wstring UpperExtension(std::wstring_view name) {
    const size_t dot = name.rfind(L'.');
    std::wstring extension(dot == std::wstring_view::npos ? std::wstring_view() : name.substr(dot + 1));
    for (auto& c : extension)
        if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
    return extension;
}

template <size_t N>
bool IsAmong(const std::wstring& extension, const std::wstring_view (&extensions)[N]) {
    return std::find(std::begin(extensions), std::end(extensions), extension) != std::end(extensions);
}

constexpr std::wstring_view kProgramExtensions[] = {
    L"EXE", L"DLL", L"SYS", L"DRV", L"OCX", L"CPL", L"MUI", L"MSI", L"MSP", L"MSU", L"SCR", L"EFI", L"COM",
    L"AX", L"ACM", L"TLB", L"WINMD", L"CAT", L"INF", L"MUM", L"MANIFEST", L"NLS", L"TTF", L"FON", L"OTF"};

// What a user keeps: documents, pictures, audio, video, archives; and the
// files programs and the system are made of.
constexpr std::wstring_view kKeptExtensions[] = {
    // documents
    L"TXT", L"DOC", L"DOCX", L"DOCM", L"DOT", L"DOTX", L"ODT", L"ODS", L"ODP", L"ODG", L"RTF", L"PDF", L"XPS",
    L"OXPS", L"XLS", L"XLSX", L"XLSM", L"XLSB", L"CSV", L"PPT", L"PPTX", L"PPS", L"PPSX", L"MD", L"TEX", L"WPD",
    L"WPS", L"EPUB", L"MOBI", L"ONE", L"MSG", L"EML", L"PST", L"OST", L"VSD", L"VSDX", L"PUB", L"HTM", L"HTML",
    L"MHT", L"XML", L"JSON", L"KEY", L"PAGES", L"NUMBERS", L"ACCDB", L"MDB", L"SQL",
    // pictures
    L"JPG", L"JPEG", L"JPE", L"PNG", L"GIF", L"BMP", L"TIF", L"TIFF", L"WEBP", L"HEIC", L"HEIF", L"RAW", L"CR2",
    L"CR3", L"NEF", L"ARW", L"DNG", L"ORF", L"PSD", L"AI", L"SVG", L"EPS", L"ICO", L"WMF", L"EMF", L"JXL",
    // audio
    L"MP3", L"WAV", L"WMA", L"FLAC", L"AAC", L"M4A", L"OGG", L"OGA", L"OPUS", L"MID", L"MIDI", L"AIF", L"AIFF",
    L"APE", L"AMR",
    // video
    L"MP4", L"M4V", L"MOV", L"AVI", L"WMV", L"MKV", L"WEBM", L"MPG", L"MPEG", L"3GP", L"FLV", L"VOB", L"M2TS",
    L"MTS", L"OGV",
    // archives
    L"ZIP", L"RAR", L"7Z", L"TAR", L"GZ", L"TGZ", L"BZ2", L"XZ", L"ZST", L"CAB", L"ISO", L"IMG", L"VHD", L"VHDX",
    L"WIM", L"LZ", L"ARJ",
    // programs, scripts and their settings, and system files
    L"BAT", L"CMD", L"PS1", L"VBS", L"JS", L"JAR", L"LNK", L"REG", L"INI", L"CFG", L"DAT", L"DB", L"POL"};

}  // namespace

bool IsNarrowMask(std::wstring_view mask) {
    if (!HasWildcard(mask)) return !mask.empty();
    const size_t dot = mask.rfind(L'.');
    if (dot == std::wstring_view::npos) return false;
    const std::wstring extension = UpperExtension(mask);
    return !extension.empty() && !HasWildcard(extension) && !IsAmong(extension, kKeptExtensions) &&
           !IsAmong(extension, kProgramExtensions);
}

bool IsProgramFileName(std::wstring_view upperName) {
    return upperName.find(L'.') != std::wstring_view::npos && IsAmong(UpperExtension(upperName), kProgramExtensions);
}

bool HasDotName(std::wstring_view text) {
    for (const auto name : Names(text))
        if (name == L"." || name == L"..") return true;
    return false;
}

bool IsEverythingMask(std::wstring_view mask) { return IsEverythingName(mask); }

size_t TrailingWildcardNames(std::wstring_view path) {
    const auto names = Names(path);
    size_t count = 0;
    for (auto name = names.rbegin(); name != names.rend() && HasWildcard(*name); ++name) ++count;
    return count;
}

}  // namespace klarvex
