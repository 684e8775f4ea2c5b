#pragma once

// Registry key names as text: the five roots and the keys many programs
// share. No system call here, so the native build can run it under the
// sanitizers.

#include <optional>
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

// A key path as the registry reads it: repeated separators taken as one,
// none at the end. nullopt when it holds a NUL or another control
// character, which no key name the rules may judge holds.
std::optional<std::wstring> CanonicalKeyPath(std::wstring_view keyPath);

// A key that holds the settings of many programs, which no rule may delete
// or empty whole: the first level of every root (Software, SYSTEM, a user's
// hive under HKEY_USERS, the classes), and the shared keys below Software
// (Microsoft, Classes, Policies, Wow6432Node, Windows\CurrentVersion, its
// Run, Explorer and Uninstall keys, ...), also as the 32-bit programs' view
// under Wow6432Node, as HKEY_USERS\<user>\... and HKEY_USERS\<user>_Classes,
// and every control set of SYSTEM. Judged on the canonical path, however
// the text spells it. upperKeyPath must already be in upper case.
bool IsSharedRegistryKey(RootKey root, std::wstring_view upperKeyPath);

// What a rule may do with a key, by what the key holds; from the least
// strict to the most.
enum class RuleKeyUse {
    // One application's own key (below Software\<vendor>, not Microsoft's
    // own Windows keys, the classes, the default programs or the policies)
    // or a history key this program knows by name: it may go whole.
    Whole,
    // Anything else: its values go one by one, by name; the key and its
    // subkeys stay.
    NamedValues,
    // A key of the system's own settings (the machine's SYSTEM keys, the
    // current configuration, the user's Control Panel and environment, the
    // shell folders, Winlogon, the default programs): its values go only by
    // name, and only when the user says so.
    NamedValuesAsked,
};
// Judged on the canonical path, however the text spells it, with the same
// views as IsSharedRegistryKey. upperKeyPath must already be in upper case.
RuleKeyUse KeyUseForRules(RootKey root, std::wstring_view upperKeyPath);

}  // namespace klarvex
