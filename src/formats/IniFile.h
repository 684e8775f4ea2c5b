#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace klarvex {

// The text of a profile-style file, changed in memory the way the profile
// functions change the file: sections and keys found without regard to
// letter case (the first of equal names), a key written over in place or
// added at the end of its section, a section added at the end of the text.
// Every other line stays as it was.
class TIniText {
public:
    explicit TIniText(std::wstring_view text = {});

    void WriteString(const std::wstring& section, const std::wstring& key, const std::wstring& value);
    void WriteInteger(const std::wstring& section, const std::wstring& key, int32_t value);
    void WriteBool(const std::wstring& section, const std::wstring& key, bool value);
    // The section's lines replaced whole by these "key=value" lines.
    void ReplaceSection(const std::wstring& section, const std::vector<std::wstring>& lines);

    // Lines ended by CR LF.
    std::wstring Text() const;

private:
    // The index of the section's header line, or of none (lines_.size()).
    size_t FindSection(const std::wstring& section) const;
    // One past the section's last line that is not blank.
    size_t SectionEnd(size_t header) const;

    std::vector<std::wstring> lines_;
};

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

    // Changes the file as edit changes its text, and writes it whole, as
    // UTF-16 so no name outside the system's code page loses a letter: to
    // a new file that replaces the old one once complete, never through
    // the old name or a link. Throws Exception("Unable to write to " +
    // path) when it cannot be read or written; the file is then as it was.
    void Update(const std::function<void(TIniText&)>& edit) const;
    // Update with one key.
    void WriteString(const std::wstring& section, const std::wstring& key, const std::wstring& value) const;

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
