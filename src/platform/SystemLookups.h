#pragma once

// Facts about the system and the user that cleaners and the rule-file
// interpreter look up: special folders, the Windows version, administrator
// rights. None of them needs the runner.

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/RegistryPaths.h"

namespace klarvex {

// Tells WinINet that the browser session has ended (option 42, no data).
// Done before looking up a shell folder, so the cache, cookie and history
// folders are the current ones. The result is of no interest.
void EndBrowserSession();

// A shell special folder (a CSIDL_ value) with a trailing backslash, looked
// up by its item identifier list; "" when the shell cannot give a
// file-system path. The shell is never asked to create the folder (Wine
// would make a missing user folder a link out of the prefix).
std::wstring ShellFolderPath(int csidl);

// A known folder of the shell (a FOLDERID_ value, for folders that have no
// CSIDL) with a trailing backslash, or "". Never created.
std::wstring KnownFolderPath(const GUID& id);

// A folder as Explorer's "Shell Folders" key of root names it ("AppData",
// "Local AppData", "Common AppData"), without change; "" when missing.
std::wstring ShellFoldersValue(HKEY root, const wchar_t* name);

// The user's My Documents folder with a trailing backslash, or "".
std::wstring GetMyDocumentsDir();
// The user's Application Data folder with a trailing backslash, or "" when
// the shell has none (never a bare "\", which would mean the drive root).
// Ends the browser session first.
std::wstring GetAppDataDir();
// The user's local application data folder as Explorer's "Shell Folders"
// key names it ("Local AppData"), with a trailing backslash, or "".
std::wstring GetLocalAppDataDir();
// The user's AppData\LocalLow folder (the shell's known folder, where
// programs of low integrity write) with a trailing backslash, or "".
std::wstring GetLocalLowAppDataDir();
// The Program Files folder without trailing backslash, or "".
std::wstring GetProgramFilesDir();
// Every folder programs are installed to, without trailing backslash: the
// Program Files folder, then on a 64-bit system the one of 32-bit programs
// ("Program Files (x86)"). The same folder is never listed twice.
std::vector<std::wstring> GetProgramFilesDirs();
// The Windows and the system folder without trailing backslash, or "".
std::wstring GetWindowsDir();
std::wstring GetSystemDir();

// The file exists and cannot be opened for exclusive reading and writing.
bool IsFileLocked(const std::wstring& path);

// The Windows version as the program's code (see WindowsVersionCode).
int32_t GetWindowsVersion();

// The current user's token holds the built-in Administrators group
// (S-1-5-32-544) as a group that grants access.
bool IsAdminUser();

// The system's handle for a root, or nullptr for RootKey::None.
HKEY RootKeyHandle(RootKey root);
// The name of one of the five roots, or "" for any other key.
std::wstring RootKeyName(HKEY root);

}  // namespace klarvex
