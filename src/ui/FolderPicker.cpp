#include "ui/FolderPicker.h"

#include <cwchar>

#include "base/Handles.h"

namespace klarvex {

std::optional<std::wstring> PickFolder(HWND owner, const std::wstring& title, BFFCALLBACK callback) {
    BROWSEINFOW browse{};
    browse.hwndOwner = owner;
    browse.lpszTitle = title.c_str();
    browse.ulFlags = BIF_RETURNONLYFSDIRS;
    browse.lpfn = callback;
    const ItemIdList chosen(SHBrowseForFolderW(&browse));
    if (!chosen) return std::nullopt;
    std::wstring path(MAX_PATH * 4, L'\0');
    if (!SHGetPathFromIDListEx(chosen.Get(), path.data(), static_cast<DWORD>(path.size()), GPFIDL_DEFAULT))
        return std::nullopt;
    path.resize(wcslen(path.c_str()));
    return path;
}

}  // namespace klarvex
