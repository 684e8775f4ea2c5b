#include "platform/WindowsVersion.h"

namespace klarvex {

int32_t WindowsVersionCode(uint32_t platformId, uint32_t major, uint32_t minor) {
    constexpr uint32_t kPlatformNT = 2;
    if (platformId == kPlatformNT) {
        switch (major) {
            case 3: return 5;
            case 4: return 6;
            case 5: return minor == 1 ? 9 : minor == 2 ? 10 : 7;
            case 0: case 1: case 2: return 10;
            // Windows 10 and 11 report 10.0 to a program that declares them
            // in its manifest, as ours does: still "6 or later".
            default: return 11;
        }
    }
    if (major == 4 && minor == 0) return 1;
    if (major == 4 && minor == 10) return 3;
    if (major == 4 && minor == 90) return 8;
    return 10;
}

bool IsWin9xCode(int32_t code) { return (code >= 1 && code <= 4) || code == 8; }

}  // namespace klarvex
