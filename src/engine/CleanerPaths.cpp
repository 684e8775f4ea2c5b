#include "engine/CleanerPaths.h"

#include <windows.h>

#include <shlobj.h>

namespace klarvex {

std::wstring ShellFolderPath(int csidl) {
    PIDLIST_ABSOLUTE items = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(nullptr, csidl, &items)) || !items) return {};
    wchar_t path[MAX_PATH] = {};
    const bool found = SHGetPathFromIDListW(items, path) && path[0] != 0;
    CoTaskMemFree(items);
    return found ? WithTrailingBackslash(path) : std::wstring();
}

std::wstring WithTrailingBackslash(const std::wstring& path) {
    if (path.empty() || path.back() == L'\\') return path;
    return path + L"\\";
}

bool IsFullPath(const std::wstring& path) {
    if (path.size() >= 3 && iswalpha(path[0]) && path[1] == L':' && path[2] == L'\\') return true;
    return path.size() >= 3 && path[0] == L'\\' && path[1] == L'\\' && path[2] != L'\\';
}

bool IsPlainFolder(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
           !(attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

}  // namespace klarvex
