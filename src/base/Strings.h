#pragma once

#include <string>
#include <string_view>

namespace klarvex {

std::string WideToUtf8(std::wstring_view text);
std::wstring Utf8ToWide(std::string_view text);

// Upper case as the system's user-interface locale defines it.
std::wstring UpperCase(std::wstring_view text);

// Decimal text of a number, e.g. L"-42".
std::wstring IntToStr(long long value);

// The folder of the running executable, with its trailing backslash.
std::wstring ExeDir();

}  // namespace klarvex
