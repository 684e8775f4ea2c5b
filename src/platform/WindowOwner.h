#pragma once

// Which program a top-level window of another process belongs to.

#include <windows.h>

#include <string>

namespace klarvex {

// The file name of the program whose process made the window
// ("chrome.exe"), as its image path ends; "" when the window is gone or
// its process cannot be asked.
std::wstring WindowProgramName(HWND window);

}  // namespace klarvex
