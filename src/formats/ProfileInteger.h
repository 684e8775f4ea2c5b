#pragma once

// Integers as the settings and rule files store them. No system call here,
// so the parser also runs under the sanitizers of the native build.

#include <cstdint>
#include <optional>
#include <string_view>

namespace klarvex {

// A stored integer: optional sign, then decimal digits, or hexadecimal after
// "$" or "0x". Anything else (empty, trailing text, out of range) is no
// number.
std::optional<int32_t> ParseProfileInteger(std::wstring_view text);

}  // namespace klarvex
