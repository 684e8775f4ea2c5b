#pragma once

// Reading the registry: string values, the names below a key, and the count
// of values in a key's subtree. Keys are opened for what is read and never
// created.

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/RegistryPaths.h"

namespace klarvex {

// One string value (REG_SZ or REG_EXPAND_SZ, not expanded) of root\keyPath
// (keyPath "" reads root itself) up to its first NUL, or "" when the key or
// value is missing or anything fails. A leading "\" of the key path is
// allowed.
std::wstring ReadRegString(HKEY root, const std::wstring& keyPath, const std::wstring& valueName);

// Names of the values or subkeys of an open key, collected before any is
// deleted (deleting while enumerating by index would skip every other one).
std::vector<std::wstring> ValueNames(HKEY key);
std::vector<std::wstring> SubkeyNames(HKEY key);

// The subkeys of an open key that are its own: a subkey that is a
// registry link (its real name is not the key's name and its own) leads
// somewhere else, like a folder link, and is left out, so no walk of the
// registry ever goes through one.
std::vector<std::wstring> OwnSubkeyNames(HKEY key);

// Values of the key and, recursively, of all its own subkeys; 0 when the
// key cannot be opened.
int32_t CountRegValues(HKEY root, const std::wstring& keyPath);

// Where an open key really is, as the registry names it: its root and
// path ("\REGISTRY\USER\S-1-5-21-...\Software" is HKEY_USERS and
// "S-1-5-21-...\Software"). Links on the way are followed, which the name
// of the text does not show. nullopt when the registry cannot tell.
struct RealKey {
    RootKey root = RootKey::None;  // LocalMachine or Users
    std::wstring path;
};
std::optional<RealKey> RealKeyOf(HKEY key);

// The key is one many programs share (IsSharedRegistryKey), judged by its
// canonical name and, when it exists, by where the registry keeps it.
// keyPath as CanonicalKeyPath gives it.
bool IsSharedKeyHere(RootKey root, const std::wstring& keyPath);

// What a rule may do with the key (KeyUseForRules), judged by its canonical
// name and, when it exists, by where the registry keeps it: the stricter of
// the two. keyPath as CanonicalKeyPath gives it.
RuleKeyUse KeyUseHere(RootKey root, const std::wstring& keyPath);

// The key root\keyPath is itself a registry link (its last name; links on
// the way to it are followed): deleting it or its values through that
// name would act on the key it leads to.
bool IsRegistryLink(HKEY root, const std::wstring& keyPath);

}  // namespace klarvex
