#include "app/About.h"

#include <commctrl.h>

#include <string>

#include "app/AboutRes.h"
#include "base/Handles.h"
#include "base/Texts.h"

namespace klarvex {

TfrmAbout::TfrmAbout() : TDialogBase(IDD_ABOUT) {}

void TfrmAbout::OnInit() {
    const std::wstring product = LoadText(IDS_PRODUCT_NAME);
    SetWindowTextW(Handle(), (LoadText(IDS_ABOUT) + L" " + product).c_str());
    SetItemText(IDC_ABOUT_NAME, product + L" " + LoadText(IDS_VERSION));
    const std::wstring home = LoadText(IDS_URL_HOME);
    // A plain link: the click opens the address itself (Wine's link control
    // shows an href attribute set at run time as raw text).
    SetItemText(IDC_ABOUT_HOME, L"<a>" + home + L"</a>");
    // Enter or Esc closes the box at once; Tab reaches the donation and
    // the home page.
    FocusOnOpen(IDOK);
}

bool TfrmAbout::OnCommand(WORD id, WORD code, HWND control) {
    if (id == IDC_ABOUT_DONATE_IMAGE && code == BN_CLICKED) {
        OpenWebPage(Handle(), LoadText(IDS_URL_DONATE));
        return true;
    }
    return TDialogBase::OnCommand(id, code, control);
}

bool TfrmAbout::OnNotify(const NMHDR& header, LRESULT& result) {
    if (header.idFrom == IDC_ABOUT_HOME && (header.code == NM_CLICK || header.code == NM_RETURN)) {
        OpenWebPage(Handle(), LoadText(IDS_URL_HOME));
        result = 0;
        return true;
    }
    return false;
}

// The donation image: a small badge drawn in place of a bitmap, on a button
// so that the keyboard reaches it (Tab, then the space bar) like the mouse.
bool TfrmAbout::OnMessage(UINT message, WPARAM, LPARAM lParam, LRESULT& result) {
    if (message != WM_DRAWITEM) return false;
    const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
    if (item.CtlID != IDC_ABOUT_DONATE_IMAGE) return false;
    RECT box = item.rcItem;
    const Brush fill(CreateSolidBrush(RGB(255, 196, 57)));
    FillRect(item.hDC, &box, fill.Get());
    FrameRect(item.hDC, &box, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    SetBkMode(item.hDC, TRANSPARENT);
    SetTextColor(item.hDC, RGB(0, 48, 135));
    const std::wstring donate = LoadText(IDS_DONATE);
    DrawTextW(item.hDC, donate.c_str(), -1, &box, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    if (item.itemState & ODS_FOCUS) {
        InflateRect(&box, -2, -2);
        DrawFocusRect(item.hDC, &box);
    }
    result = TRUE;
    return true;
}

}  // namespace klarvex
