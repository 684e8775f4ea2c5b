#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace klarvex {

// A profile-style text file (settings.ini, Klarvex.dat, Clist.dat, ...),
// read and written through the system's profile functions: section and key
// names without regard to letter case, one key written per call. Nothing is
// cached: every call goes to the file.
class TIniFile {
public:
    explicit TIniFile(std::wstring path) : path_(std::move(path)) {}

    const std::wstring& Path() const noexcept { return path_; }

    // Values longer than 2047 characters are cut there.
    std::wstring ReadString(const std::wstring& section, const std::wstring& key,
                            const std::wstring& defaultValue) const;
    int32_t ReadInteger(const std::wstring& section, const std::wstring& key, int32_t defaultValue) const;
    bool ReadBool(const std::wstring& section, const std::wstring& key, bool defaultValue) const;

    // Each write throws Exception("Unable to write to " + path) when it fails.
    void WriteString(const std::wstring& section, const std::wstring& key, const std::wstring& value) const;
    void WriteInteger(const std::wstring& section, const std::wstring& key, int32_t value) const;
    void WriteBool(const std::wstring& section, const std::wstring& key, bool value) const;

    // Section names in file order; none when the file is missing.
    std::vector<std::wstring> SectionNames() const;
    // The key names of a section in file order.
    std::vector<std::wstring> KeyNames(const std::wstring& section) const;
    // The lines of a section ("key=value") in file order, comments left
    // out; none when the file or the section is missing.
    std::vector<std::wstring> SectionLines(const std::wstring& section) const;

private:
    std::wstring path_;
};

}  // namespace klarvex
