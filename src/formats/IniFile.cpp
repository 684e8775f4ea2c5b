#include "formats/IniFile.h"

#include <windows.h>

#include <cstdint>

#include "base/Exception.h"
#include "base/Strings.h"
#include "base/Texts.h"
#include "formats/ProfileInteger.h"

namespace klarvex {

namespace {
constexpr DWORD kStringBufferSize = 2048;
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
        throw Exception(LoadText(IDS_UNABLE_TO_WRITE) + path_);
}

void TIniFile::WriteInteger(const std::wstring& section, const std::wstring& key, int32_t value) const {
    WriteString(section, key, IntToStr(value));
}

void TIniFile::WriteBool(const std::wstring& section, const std::wstring& key, bool value) const {
    WriteString(section, key, value ? L"1" : L"0");
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
