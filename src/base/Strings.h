#pragma once

#include <string>
#include <string_view>

namespace klarvex {

std::string WideToUtf8(std::wstring_view text);
std::wstring Utf8ToWide(std::string_view text);

// The text of a file's bytes: UTF-16 (little endian) after its byte-order
// mark, UTF-8 after its mark, otherwise in codePage (CP_UTF8, or CP_ACP for
// the files the profile functions read).
std::wstring DecodeTextFile(std::string_view bytes, unsigned codePage);
// The bytes of a UTF-16 (little endian) file with its byte-order mark,
// which the profile functions read and write without losing a letter.
std::string EncodeUtf16File(std::wstring_view text);

// Upper case as the system's user-interface locale defines it.
std::wstring UpperCase(std::wstring_view text);

// Equal but for letter case, compared as the file system and the registry
// compare names (ordinal, not by the user's locale).
bool SameText(std::wstring_view a, std::wstring_view b);

// Decimal text of a number, e.g. L"-42".
std::wstring IntToStr(long long value);

// The folder of the running executable, with its trailing backslash.
std::wstring ExeDir();
// The running executable's full path.
std::wstring ExePath();

}  // namespace klarvex
