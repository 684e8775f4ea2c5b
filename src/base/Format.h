#pragma once

#include <cstdint>
#include <string>

namespace klarvex {

// Kilobytes, rounded up, with "," between groups of three digits:
// 0 -> "0", 1 -> "1", 1025 -> "2", 1048576 -> "1,024".
std::wstring FormatKB(int64_t bytes);

// A whole number with "," between groups of three digits.
std::wstring FormatThousands(int64_t value);

}  // namespace klarvex
