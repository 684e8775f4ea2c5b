#pragma once

// Reading the registry: string values, the names below a key, and the count
// of values in a key's subtree. Keys are opened for what is read and never
// created.

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

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

// Values of the key and, recursively, of all its subkeys; 0 when the key
// cannot be opened.
int32_t CountRegValues(HKEY root, const std::wstring& keyPath);

}  // namespace klarvex
