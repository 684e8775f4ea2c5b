#pragma once

#include <string>
#include <string_view>

namespace klarvex {

std::string WideToUtf8(std::wstring_view text);
std::wstring Utf8ToWide(std::string_view text);

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
