#include "dialogs/ItemDetails.h"

#include <commctrl.h>

#include <algorithm>
#include <utility>

#include "dialogs/ItemDetailsRes.h"

namespace klarvex {

TfrmItemDetails::TfrmItemDetails(std::wstring caption, std::vector<std::wstring> entries, std::wstring note)
    : TDialogBase(IDD_ITEM_DETAILS),
      caption_(std::move(caption)),
      entries_(std::move(entries)),
      note_(std::move(note)) {}

void TfrmItemDetails::OnInit() {
    SetWindowTextW(Handle(), caption_.c_str());
    SetItemText(IDC_DETAILS_NOTE, note_);
    HWND list = Item(IDC_DETAILS_LIST);
    ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT | LVS_EX_LABELTIP | LVS_EX_DOUBLEBUFFER);
    RECT client{};
    GetClientRect(list, &client);
    LVCOLUMNW column{};
    column.mask = LVCF_WIDTH;
    column.cx = std::max<int>(client.right - GetSystemMetrics(SM_CXVSCROLL), 50);
    SendMessageW(list, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
    ListView_SetItemCountEx(list, static_cast<int>(entries_.size()), LVSICF_NOINVALIDATEALL);
    if (!entries_.empty()) ListView_SetItemState(list, 0, LVIS_FOCUSED, LVIS_FOCUSED);
    CenterOnOwner();
}

bool TfrmItemDetails::OnNotify(const NMHDR& header, LRESULT& result) {
    if (header.idFrom != IDC_DETAILS_LIST || header.code != LVN_GETDISPINFOW) return false;
    auto& item = const_cast<NMLVDISPINFOW&>(reinterpret_cast<const NMLVDISPINFOW&>(header)).item;
    if ((item.mask & LVIF_TEXT) && item.iItem >= 0 && static_cast<size_t>(item.iItem) < entries_.size() &&
        item.cchTextMax > 0) {
        const std::wstring& entry = entries_[static_cast<size_t>(item.iItem)];
        const size_t length = std::min(entry.size(), static_cast<size_t>(item.cchTextMax - 1));
        std::copy_n(entry.c_str(), length, item.pszText);
        item.pszText[length] = L'\0';
    }
    result = 0;
    return true;
}

}  // namespace klarvex
