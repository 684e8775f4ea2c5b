#include "base/Format.h"

namespace klarvex {

std::wstring FormatThousands(int64_t value) {
    const bool negative = value < 0;
    uint64_t magnitude = negative ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
    std::wstring digits;
    int inGroup = 0;
    do {
        if (inGroup == 3) {
            digits.insert(digits.begin(), L',');
            inGroup = 0;
        }
        digits.insert(digits.begin(), static_cast<wchar_t>(L'0' + magnitude % 10));
        magnitude /= 10;
        ++inGroup;
    } while (magnitude != 0);
    if (negative) digits.insert(digits.begin(), L'-');
    return digits;
}

std::wstring FormatKB(int64_t bytes) {
    int64_t kilobytes = bytes / 1024;
    if (bytes % 1024 != 0) ++kilobytes;
    return FormatThousands(kilobytes);
}

}  // namespace klarvex
