#pragma once

// Where Windows' shell keeps its traces in the current user's hive.

#include <string>

namespace klarvex {

inline constexpr wchar_t kCurrentVersionKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion";

// A key below Software\Microsoft\Windows\CurrentVersion\Explorer.
inline std::wstring ExplorerKey(const std::wstring& subkey) {
    return std::wstring(kCurrentVersionKey) + L"\\Explorer\\" + subkey;
}

}  // namespace klarvex
