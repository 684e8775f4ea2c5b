#pragma once

#include <windows.h>
#include <shlobj.h>

#include <optional>
#include <string>

namespace klarvex {

// The folder the user picks in the shell's folder picker, under the title;
// nothing when the picker was cancelled or the choice is no file-system
// folder. callback, when given, is the picker's own (BFFCALLBACK). The
// picker's classic style needs no COM on the calling thread.
std::optional<std::wstring> PickFolder(HWND owner, const std::wstring& title, BFFCALLBACK callback = nullptr);

}  // namespace klarvex
