#pragma once

// Registry key names as text: the five roots and the keys many programs
// share. No system call here, so the native build can run it under the
// sanitizers.

#include <string>
#include <string_view>

namespace klarvex {

// The five registry roots, by the names rule files use.
enum class RootKey { None, ClassesRoot, CurrentUser, LocalMachine, Users, CurrentConfig };
// upperName must already be in upper case; abbreviations ("HKCU") are no root.
RootKey RootKeyFromName(std::wstring_view upperName);
// "HKEY_CURRENT_USER" and so on; "" for None.
const wchar_t* RootKeyText(RootKey root);

// A registry key path as the system wants it: without leading or trailing
// backslashes. Empty when nothing is left (the root itself).
std::wstring TrimKeyPath(std::wstring_view keyPath);

// A key that holds the settings of many programs, which no rule may delete
// or empty whole: the first level of every root (Software, SYSTEM, a user's
// hive under HKEY_USERS, the classes), and the shared keys below Software
// (Microsoft, Classes, Policies, Wow6432Node, Windows\CurrentVersion, its
// Run, Explorer and Uninstall keys, ...), also as the 32-bit programs' view
// under Wow6432Node and as HKEY_USERS\<user>\... . upperKeyPath must
// already be in upper case.
bool IsSharedRegistryKey(RootKey root, std::wstring_view upperKeyPath);

}  // namespace klarvex
