#include "app/ShredChoice.h"

#include <commdlg.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cwchar>

#include "base/Handles.h"
#include "base/PathText.h"
#include "base/Texts.h"
#include "platform/Folders.h"
#include "ui/DialogBase.h"
#include "ui/FolderPicker.h"

namespace klarvex {

std::vector<std::wstring> ChooseFilesToShred(HWND owner) {
    const std::wstring title = LoadText(IDS_SHRED_FILES_TITLE);
    // Room for many names: the folder, then each name, NUL after each.
    std::wstring buffer(64 * 1024, L'\0');
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = owner;
    dialog.lpstrFile = buffer.data();
    dialog.nMaxFile = static_cast<DWORD>(buffer.size());
    dialog.lpstrTitle = title.c_str();
    dialog.Flags = OFN_ALLOWMULTISELECT | OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR |
                   OFN_NODEREFERENCELINKS;
    if (!GetOpenFileNameW(&dialog)) return {};
    // One file: its whole path. Several: the folder, then the names.
    const std::wstring first(buffer.c_str());
    std::vector<std::wstring> names;
    for (const wchar_t* name = buffer.c_str() + first.size() + 1; *name; name += wcslen(name) + 1)
        names.push_back(WithBackslash(first) + name);
    return names.empty() ? std::vector<std::wstring>{first} : names;
}

std::vector<std::wstring> ChooseFolderToShred(HWND owner) {
    const std::optional<std::wstring> folder = PickFolder(owner, LoadText(IDS_SHRED_FOLDER_TITLE));
    if (!folder) return {};
    return {*folder};
}

std::vector<std::wstring> DroppedPaths(HDROP drop) {
    std::vector<std::wstring> paths;
    const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        std::wstring path(DragQueryFileW(drop, i, nullptr, 0) + 1, L'\0');
        path.resize(DragQueryFileW(drop, i, path.data(), static_cast<UINT>(path.size())));
        if (!path.empty()) paths.push_back(std::move(path));
    }
    return paths;
}

namespace {

void AddFolderTotal(const std::wstring& folder, ShredTotal& total) {
    ForEachEntry(folder, [&](const FolderEntry& entry) {
        if (entry.isFolder) {
            AddFolderTotal(folder + entry.name + L"\\", total);
        } else {
            ++total.files;
            total.bytes += entry.size;
        }
        return true;
    });
}

}  // namespace

ShredTotal CountToShred(const std::vector<std::wstring>& paths) {
    ShredTotal total;
    for (const auto& path : paths) {
        if (IsPlainFolder(path)) {
            AddFolderTotal(WithBackslash(path), total);
        } else if (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) {
            ++total.files;
            total.bytes += FileSize(path);
        }
    }
    return total;
}

bool ConfirmShred(HWND owner, const ShredTotal& total) {
    // Whole megabytes, rounded up.
    return AskYesNoBox(owner, LoadText(IDS_SHRED_QUESTION, {std::to_wstring(total.files),
                                                           std::to_wstring((total.bytes + (1 << 20) - 1) >> 20)}));
}

}  // namespace klarvex
