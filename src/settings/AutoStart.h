#pragma once

// The start with Windows: a value under the user's Run key, named after the
// product, whose command starts the program with "-Auto".

#include <string>

namespace klarvex {

inline constexpr wchar_t kRunKeyPath[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// The command the value holds ("" when the key or the value is missing).
std::wstring ReadAutoStartCommand();
// True when the command starts the program for the automatic clean.
bool IsAutoStartCommand(const std::wstring& command);
// The command for this program: its path, then " -Auto". A path with a
// space is quoted, so that Windows can never take a part of it for the
// program to start.
std::wstring AutoStartCommand(const std::wstring& exePath);

// Writes the value with this program's command (on) or deletes it (off; an
// absent value is no error). A failed write throws
// Exception("Failed to set data for '<name>'").
void SetAutoStart(bool on);

}  // namespace klarvex
