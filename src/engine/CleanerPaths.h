#pragma once

#include <string>

namespace klarvex {

// A shell special folder (a CSIDL_ value) with a trailing backslash, looked
// up by its item identifier list as the cleaners of Recent Documents and
// MSN Messenger do; "" when the shell cannot give a file-system path.
std::wstring ShellFolderPath(int csidl);

// A text with one trailing backslash added when it has none ("" stays "").
std::wstring WithTrailingBackslash(const std::wstring& path);

// True for a folder given by its whole path from a drive or share
// ("C:\x", "\\server\share\x"), false for anything the current folder or
// drive would complete ("x", "\x", "C:x").
bool IsFullPath(const std::wstring& path);

// True when path names an existing folder that is not a link to another
// place.
bool IsPlainFolder(const std::wstring& path);

}  // namespace klarvex
