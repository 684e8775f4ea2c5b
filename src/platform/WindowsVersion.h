#pragma once

// The program's codes for the versions of Windows. No system call here;
// GetWindowsVersion (SystemLookups.h) asks the running system.

#include <cstdint>

namespace klarvex {

// The program's code for a Windows version: platformId 2 is the NT family,
// anything else the 9x family.
//   NT: 3.x 5, 4.x 6, 5.0 7, 5.1 9, 5.2 10, other 5.x 7, 6 and later 11,
//       below 3 10
//   9x: 4.0 1, 4.10 3, 4.90 8, other 10
int32_t WindowsVersionCode(uint32_t platformId, uint32_t major, uint32_t minor);
// Codes 1 to 4 and 8 are the 9x family.
bool IsWin9xCode(int32_t code);

}  // namespace klarvex
