#include "formats/IniFile.h"

#include <windows.h>

#include <cstdint>
#include <optional>

#include "base/Exception.h"
#include "base/Strings.h"
#include "base/Texts.h"
#include "formats/ProfileInteger.h"
#include "platform/Folders.h"

namespace klarvex {

namespace {
constexpr DWORD kStringBufferSize = 2048;
// Far more than any file of the program holds: a larger one is not ours
// to rewrite.
constexpr size_t kMaxProfileFileBytes = 64u << 20;
}

std::wstring TIniFile::ReadString(const std::wstring& section, const std::wstring& key,
                                  const std::wstring& defaultValue) const {
    wchar_t buffer[kStringBufferSize];
    const DWORD length = GetPrivateProfileStringW(section.c_str(), key.c_str(), defaultValue.c_str(), buffer,
                                                  kStringBufferSize, path_.c_str());
    return std::wstring(buffer, length);
}

int32_t TIniFile::ReadInteger(const std::wstring& section, const std::wstring& key, int32_t defaultValue) const {
    return ParseProfileInteger(ReadString(section, key, L"")).value_or(defaultValue);
}

bool TIniFile::ReadBool(const std::wstring& section, const std::wstring& key, bool defaultValue) const {
    return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

void TIniFile::Update(const std::function<void(TIniText&)>& edit) const {
    std::wstring text;
    if (GetFileAttributesW(path_.c_str()) != INVALID_FILE_ATTRIBUTES) {
        const auto bytes = ReadWholeFile(path_, kMaxProfileFileBytes);
        if (!bytes) throw Exception(LoadText(IDS_UNABLE_TO_WRITE) + path_);
        text = DecodeTextFile(*bytes, CP_ACP);
    }
    TIniText ini(text);
    edit(ini);
    if (!ReplaceFileContent(path_, EncodeUtf16File(ini.Text()))) throw Exception(LoadText(IDS_UNABLE_TO_WRITE) + path_);
}

void TIniFile::WriteString(const std::wstring& section, const std::wstring& key, const std::wstring& value) const {
    Update([&](TIniText& ini) { ini.WriteString(section, key, value); });
}

namespace {

std::wstring_view Trimmed(std::wstring_view text) {
    const size_t first = text.find_first_not_of(L" \t");
    if (first == std::wstring_view::npos) return {};
    return text.substr(first, text.find_last_not_of(L" \t") - first + 1);
}

// The section a header line opens, or nothing for another line.
std::optional<std::wstring_view> HeaderName(std::wstring_view line) {
    line = Trimmed(line);
    if (line.size() < 2 || line.front() != L'[') return std::nullopt;
    const size_t close = line.find(L']');
    if (close == std::wstring_view::npos) return std::nullopt;
    return Trimmed(line.substr(1, close - 1));
}

}  // namespace

TIniText::TIniText(std::wstring_view text) {
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find_first_of(L"\r\n", start);
        if (end == std::wstring_view::npos) end = text.size();
        lines_.emplace_back(text.substr(start, end - start));
        start = end + (text.compare(end, 2, L"\r\n") == 0 ? 2 : 1);
    }
}

size_t TIniText::FindSection(const std::wstring& section) const {
    for (size_t i = 0; i < lines_.size(); ++i)
        if (const auto name = HeaderName(lines_[i]); name && SameText(*name, section)) return i;
    return lines_.size();
}

size_t TIniText::SectionEnd(size_t header) const {
    size_t end = header + 1;
    for (size_t i = header + 1; i < lines_.size() && !HeaderName(lines_[i]); ++i)
        if (!Trimmed(lines_[i]).empty()) end = i + 1;
    return end;
}

void TIniText::WriteString(const std::wstring& section, const std::wstring& key, const std::wstring& value) {
    const std::wstring line = key + L"=" + value;
    const size_t header = FindSection(section);
    if (header == lines_.size()) {
        lines_.push_back(L"[" + section + L"]");
        lines_.push_back(line);
        return;
    }
    const size_t end = SectionEnd(header);
    for (size_t i = header + 1; i < end; ++i) {
        const size_t equals = lines_[i].find(L'=');
        if (equals != std::wstring::npos && SameText(Trimmed(std::wstring_view(lines_[i]).substr(0, equals)), key)) {
            lines_[i] = line;
            return;
        }
    }
    lines_.insert(lines_.begin() + static_cast<ptrdiff_t>(end), line);
}

void TIniText::WriteInteger(const std::wstring& section, const std::wstring& key, int32_t value) {
    WriteString(section, key, IntToStr(value));
}

void TIniText::WriteBool(const std::wstring& section, const std::wstring& key, bool value) {
    WriteString(section, key, value ? L"1" : L"0");
}

void TIniText::ReplaceSection(const std::wstring& section, const std::vector<std::wstring>& lines) {
    size_t header = FindSection(section);
    if (header == lines_.size()) lines_.push_back(L"[" + section + L"]");
    const size_t end = SectionEnd(header);
    lines_.erase(lines_.begin() + static_cast<ptrdiff_t>(header + 1), lines_.begin() + static_cast<ptrdiff_t>(end));
    lines_.insert(lines_.begin() + static_cast<ptrdiff_t>(header + 1), lines.begin(), lines.end());
}

std::wstring TIniText::Text() const {
    std::wstring text;
    for (const auto& line : lines_) text += line + L"\r\n";
    return text;
}

namespace {

// Reads a list that the profile functions hand back as texts ended by a 0
// each, growing the buffer until the whole list fits (up to 16 million
// characters: a damaged file costs no more than that).
template <typename ReadList>
std::vector<std::wstring> ReadNameList(ReadList read) {
    std::wstring buffer(16 * 1024, L'\0');
    DWORD length;
    for (;;) {
        length = read(buffer.data(), static_cast<DWORD>(buffer.size()));
        // A full buffer returns its size minus 2: try again with more room.
        if (length + 2 < buffer.size() || buffer.size() >= (16u << 20)) break;
        buffer.resize(buffer.size() * 4);
    }
    std::vector<std::wstring> names;
    for (size_t start = 0; start < length;) {
        const size_t end = buffer.find(L'\0', start);
        if (end == start || end == std::wstring::npos) break;
        names.emplace_back(buffer, start, end - start);
        start = end + 1;
    }
    return names;
}

}  // namespace

std::vector<std::wstring> TIniFile::SectionNames() const {
    return ReadNameList([&](wchar_t* buffer, DWORD size) {
        return GetPrivateProfileSectionNamesW(buffer, size, path_.c_str());
    });
}

std::vector<std::wstring> TIniFile::SectionLines(const std::wstring& section) const {
    return ReadNameList([&](wchar_t* buffer, DWORD size) {
        return GetPrivateProfileSectionW(section.c_str(), buffer, size, path_.c_str());
    });
}

std::vector<std::wstring> TIniFile::KeyNames(const std::wstring& section) const {
    return ReadNameList([&](wchar_t* buffer, DWORD size) {
        return GetPrivateProfileStringW(section.c_str(), nullptr, L"", buffer, size, path_.c_str());
    });
}

}  // namespace klarvex
