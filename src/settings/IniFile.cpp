#include "settings/IniFile.h"

#include <windows.h>

#include <cstdint>

#include "base/Exception.h"
#include "base/Strings.h"

namespace klarvex {

namespace {
constexpr DWORD kStringBufferSize = 2048;
}

std::optional<int32_t> ParseProfileInteger(std::wstring_view text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == L' ' || text[i] == L'\t')) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == L'-' || text[i] == L'+')) negative = text[i++] == L'-';
    unsigned base = 10;
    if (i < text.size() && text[i] == L'$') {
        base = 16;
        ++i;
    } else if (i + 1 < text.size() && text[i] == L'0' && (text[i + 1] == L'x' || text[i + 1] == L'X')) {
        base = 16;
        i += 2;
    }
    if (i == text.size()) return std::nullopt;
    int64_t value = 0;
    for (; i < text.size(); ++i) {
        const wchar_t c = text[i];
        unsigned digit;
        if (c >= L'0' && c <= L'9') digit = c - L'0';
        else if (base == 16 && c >= L'a' && c <= L'f') digit = c - L'a' + 10;
        else if (base == 16 && c >= L'A' && c <= L'F') digit = c - L'A' + 10;
        else return std::nullopt;
        value = value * base + digit;
        // Hexadecimal text may spell a negative number in two's complement.
        if (value > (base == 16 ? int64_t{UINT32_MAX} : int64_t{INT32_MAX} + 1)) return std::nullopt;
    }
    if (base == 16) value = static_cast<int32_t>(static_cast<uint32_t>(value));
    if (negative) value = -value;
    if (value < INT32_MIN || value > INT32_MAX) return std::nullopt;
    return static_cast<int32_t>(value);
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

void TIniFile::WriteString(const std::wstring& section, const std::wstring& key, const std::wstring& value) const {
    if (!WritePrivateProfileStringW(section.c_str(), key.c_str(), value.c_str(), path_.c_str()))
        throw Exception(L"Unable to write to " + path_);
}

void TIniFile::WriteInteger(const std::wstring& section, const std::wstring& key, int32_t value) const {
    WriteString(section, key, IntToStr(value));
}

void TIniFile::WriteBool(const std::wstring& section, const std::wstring& key, bool value) const {
    WriteString(section, key, value ? L"1" : L"0");
}

namespace {

// Reads a list of names that the profile functions hand back as texts
// ended by a 0 each, growing the buffer until the whole list fits.
template <typename ReadList>
std::vector<std::wstring> ReadNameList(ReadList read) {
    std::wstring buffer(16 * 1024, L'\0');
    DWORD length;
    for (;;) {
        length = read(buffer.data(), static_cast<DWORD>(buffer.size()));
        // A full buffer returns its size minus 2: try again with more room.
        if (length + 2 < buffer.size() || buffer.size() >= (64u << 20)) break;
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

std::vector<std::wstring> TIniFile::KeyNames(const std::wstring& section) const {
    return ReadNameList([&](wchar_t* buffer, DWORD size) {
        return GetPrivateProfileStringW(section.c_str(), nullptr, L"", buffer, size, path_.c_str());
    });
}

}  // namespace klarvex
