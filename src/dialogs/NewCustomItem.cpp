#include "dialogs/NewCustomItem.h"

#include <commctrl.h>

#include <algorithm>

#include "base/Texts.h"
#include "dialogs/AddFolder.h"
#include "dialogs/AddRegistry.h"
#include "dialogs/CustomListsRes.h"
#include "engine/CustomList.h"

namespace klarvex {

TfrmNewCustomItem::TfrmNewCustomItem(TIniFile listFile)
    : TDialogBase(IDD_NEW_CUSTOM_ITEM), listFile_(std::move(listFile)) {}

void TfrmNewCustomItem::OnInit() {
    SetWindowTextW(Handle(), LoadText(IDS_CUSTOM_LISTS).c_str());
    CentreOnOwner(Handle());
    ListView_SetExtendedListViewStyle(List(), LVS_EX_FULLROWSELECT);
    const std::wstring title = LoadText(IDS_COLUMN_CONTENT);
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.pszText = const_cast<wchar_t*>(title.c_str());
    column.cx = 320;
    ListView_InsertColumn(List(), 0, &column);
    for (const auto& row : ReadCustomList(listFile_)) AppendRow(row);
    UpdateActions();
}

HWND TfrmNewCustomItem::List() const { return Item(IDC_NCI_CONTENT); }

int TfrmNewCustomItem::RowCount() const { return ListView_GetItemCount(List()); }

int TfrmNewCustomItem::SelectedRow() const { return ListView_GetNextItem(List(), -1, LVNI_SELECTED); }

std::wstring TfrmNewCustomItem::RowText(int row) const {
    // Entries may be as long as a profile line; grow until the text fits.
    std::wstring text(260, L'\0');
    for (;;) {
        LVITEMW item{};
        item.iSubItem = 0;
        item.pszText = text.data();
        item.cchTextMax = static_cast<int>(text.size());
        const auto length = static_cast<size_t>(
            SendMessageW(List(), LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item)));
        if (length + 1 < text.size() || text.size() >= (1u << 20)) {
            text.resize(std::min(length, text.size()));
            return text;
        }
        text.resize(text.size() * 4);
    }
}

std::vector<std::wstring> TfrmNewCustomItem::Rows() const {
    std::vector<std::wstring> rows;
    for (int i = 0, count = RowCount(); i < count; ++i) rows.push_back(RowText(i));
    return rows;
}

void TfrmNewCustomItem::AppendRow(const std::wstring& text) {
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = RowCount();
    item.pszText = const_cast<wchar_t*>(text.c_str());
    ListView_InsertItem(List(), &item);
}

void TfrmNewCustomItem::SelectRow(int row) {
    ListView_SetItemState(List(), -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    if (row < 0) return;
    ListView_SetItemState(List(), row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    ListView_EnsureVisible(List(), row, FALSE);
}

void TfrmNewCustomItem::UpdateActions() {
    const int selected = SelectedRow();
    EnableItem(IDC_NCI_EDIT, selected >= 0 && IsRegistryEntry(RowText(selected)));
    EnableItem(IDC_NCI_REMOVE, selected >= 0);
    EnableItem(IDOK, RowCount() > 0);
}

bool TfrmNewCustomItem::OnCommand(WORD id, WORD code, HWND control) {
    if (code != BN_CLICKED) return TDialogBase::OnCommand(id, code, control);
    switch (id) {
        case IDC_NCI_ADD_FOLDER: AddFolderClick(); return true;
        case IDC_NCI_ADD_REGISTRY: AddRegistryClick(); return true;
        case IDC_NCI_EDIT: EditClick(); return true;
        case IDC_NCI_REMOVE: RemoveClick(); return true;
        default: return TDialogBase::OnCommand(id, code, control);
    }
}

bool TfrmNewCustomItem::OnNotify(const NMHDR& header, LRESULT& result) {
    if (header.idFrom != static_cast<UINT_PTR>(IDC_NCI_CONTENT)) return false;
    if (header.code == LVN_ITEMCHANGED) {
        UpdateActions();
        result = 0;
        return true;
    }
    if (header.code == NM_DBLCLK) {
        EditClick();
        result = 0;
        return true;
    }
    return false;
}

void TfrmNewCustomItem::AddFolderClick() {
    TfrmAddFolder dialog;
    if (dialog.ShowModal(Handle()) != IDOK) return;
    AppendRow(dialog.Entry());
    UpdateActions();
}

void TfrmNewCustomItem::AddRegistryClick() {
    TfrmAddRegistry dialog;
    if (dialog.ShowModal(Handle()) != IDOK) return;
    AppendRow(dialog.Entry());
    UpdateActions();
}

void TfrmNewCustomItem::EditClick() {
    const int row = SelectedRow();
    if (row < 0) return;
    const std::wstring text = RowText(row);
    // File entries cannot be edited, only removed and added again.
    if (!IsRegistryEntry(text)) return;
    TfrmAddRegistry dialog(SplitRegistryEntry(text));
    if (dialog.ShowModal(Handle()) != IDOK) return;
    ListView_SetItemText(List(), row, 0, const_cast<wchar_t*>(dialog.Entry().c_str()));
    UpdateActions();
}

void TfrmNewCustomItem::RemoveClick() {
    const int row = SelectedRow();
    if (row < 0) return;
    const int next = SelectionAfterRemove(row, RowCount());
    ListView_DeleteItem(List(), row);
    SelectRow(next);
    // The list keeps the keyboard, an empty one too: "Remove" and OK may
    // have just been disabled.
    FocusItem(List());
    UpdateActions();
}

void TfrmNewCustomItem::OnOK() {
    // Enter reaches OK even while the button is disabled: an empty list
    // is never saved.
    if (RowCount() == 0) return;
    // A failed write raises its message and the dialog stays open with
    // the rows, so nothing the user built is lost.
    WriteCustomList(listFile_, Rows());
    End(IDOK);
}

}  // namespace klarvex
