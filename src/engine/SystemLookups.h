#pragma once

// Facts about the system and the user that cleaners and the rule-file
// interpreter look up: special folders, registry strings, the Windows
// version, administrator rights. None of them needs the runner.

#include <windows.h>

#include <cstdint>
#include <string>

#include "engine/RuleText.h"

namespace klarvex {

// Tells WinINet that the browser session has ended (option 42, no data).
// Done before looking up a shell folder, so the cache, cookie and history
// folders are the current ones. The result is of no interest.
void EndBrowserSession();

// The user's My Documents folder with a trailing backslash, or "".
std::wstring GetMyDocumentsDir();
// The user's Application Data folder with a trailing backslash, or "" when
// the shell has none (never a bare "\", which would mean the drive root).
std::wstring GetAppDataDir();
// The Program Files folder without trailing backslash, or "".
std::wstring GetProgramFilesDir();
// The Windows folder without trailing backslash, or "".
std::wstring GetWindowsDir();

// One string value (REG_SZ or REG_EXPAND_SZ, not expanded) or "" when the
// key or value is missing or anything fails. A leading "\" of the key path
// is allowed. The key is opened for reading only and never created.
std::wstring ReadRegString(HKEY root, const std::wstring& keyPath, const std::wstring& valueName);

// The file exists and cannot be opened for exclusive reading and writing.
bool IsFileLocked(const std::wstring& path);

// The Windows version as the program's code (see WindowsVersionCode).
int32_t GetWindowsVersion();

// The current user's token holds the built-in Administrators group
// (S-1-5-32-544) as a group that grants access.
bool IsAdminUser();

// The placeholders of file rules, as they read now.
RulePlaceholders ReadRulePlaceholders();

// The system's handle for a root, or nullptr for RootKey::None.
HKEY RootKeyHandle(RootKey root);
// The name of one of the five roots, or "" for any other key.
std::wstring RootKeyName(HKEY root);

// Values of the key and, recursively, of all its subkeys; 0 when the key
// cannot be opened.
int32_t CountRegValues(HKEY root, const std::wstring& keyPath);

// A path with a trailing backslash.
std::wstring WithBackslash(std::wstring path);

}  // namespace klarvex
