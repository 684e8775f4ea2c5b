#include "dialogs/AskDelete.h"

#include "base/Texts.h"
#include "dialogs/AskDeleteRes.h"
#include "settings/Global.h"

namespace klarvex {

TfrmAskDelete::TfrmAskDelete() : TDialogBase(IDD_ASK_DELETE) {}

TfrmAskDelete::~TfrmAskDelete() = default;

void TfrmAskDelete::OnInit() {
    LOGFONTW font{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(Handle(), WM_GETFONT, 0, 0)), sizeof(font), &font);
    font.lfWeight = FW_BOLD;
    boldFont_.Reset(CreateFontIndirectW(&font));
    for (int id : {IDC_ASK_PERMANENT, IDC_ASK_PROCEED})
        SendMessageW(Item(id), WM_SETFONT, reinterpret_cast<WPARAM>(boldFont_.Get()), FALSE);
    SetItemText(IDC_ASK_PERMANENT, LoadText(IDS_ASK_PERMANENT));
    SetItemText(IDC_ASK_PROCEED, LoadText(IDS_ASK_PROCEED));
    // A shared icon of the system: nothing to free.
    SendMessageW(Item(IDC_ASK_ICON), STM_SETICON, reinterpret_cast<WPARAM>(LoadIconW(nullptr, IDI_WARNING)), 0);
    SendMessageW(Handle(), DM_SETDEFID, IDCANCEL, 0);
    FocusOnOpen(IDCANCEL);
}

// The question goes away only with a Yes: a Cancel, a close or Esc keeps
// asking, whatever the check box says.
void TfrmAskDelete::OnOK() {
    if (IsDlgButtonChecked(Handle(), IDC_ASK_DONT_SHOW) == BST_CHECKED) Settings.AskForSweep = false;
    End(IDYES);
}

}  // namespace klarvex
