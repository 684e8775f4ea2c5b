#include "app/SaveLogDialog.h"

#include <commdlg.h>
#include <windowsx.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "app/SaveLog.h"
#include "base/Texts.h"
#include "ui/DialogBase.h"

namespace klarvex {

std::optional<std::wstring> AskSaveFileName(HWND owner, const std::wstring& title, const std::wstring& filterText,
                                            const wchar_t* defaultExtension, DWORD flags) {
    std::wstring filter = filterText;
    std::replace(filter.begin(), filter.end(), L'|', L'\0');
    filter.push_back(L'\0');
    std::wstring name(MAX_PATH * 4, L'\0');
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = filter.c_str();
    dialog.lpstrFile = name.data();
    dialog.nMaxFile = static_cast<DWORD>(name.size());
    dialog.lpstrTitle = title.c_str();
    dialog.lpstrDefExt = defaultExtension;
    dialog.Flags = OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR | flags;
    if (!GetSaveFileNameW(&dialog)) return std::nullopt;
    name.resize(wcslen(name.c_str()));
    return name;
}

std::vector<std::wstring> ListBoxLines(HWND list) {
    std::vector<std::wstring> lines;
    const int count = ListBox_GetCount(list);
    for (int i = 0; i < count; ++i) {
        std::wstring line(static_cast<size_t>(std::max(0, ListBox_GetTextLen(list, i))) + 1, L'\0');
        line.resize(static_cast<size_t>(std::max(0, ListBox_GetText(list, i, line.data()))));
        lines.push_back(std::move(line));
    }
    return lines;
}

void SaveLogWithDialog(HWND owner, HWND log) {
    const auto chosen = AskSaveFileName(owner, LoadText(IDS_SAVE_AS_TEXT), LoadText(IDS_TEXT_FILES_FILTER));
    if (!chosen) return;
    const std::wstring path = LogFileName(*chosen);
    if (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES &&
        !AskYesNoBox(owner, path + LoadText(IDS_FILE_EXISTS)))
        return;
    if (!WriteLogFile(path, LogFileText(ListBoxLines(log))))
        ShowErrorBox(owner, LoadText(IDS_UNABLE_TO_WRITE) + path);
}

}  // namespace klarvex
