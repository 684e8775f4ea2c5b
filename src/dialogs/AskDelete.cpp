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
}

bool TfrmAskDelete::OnCommand(WORD id, WORD code, HWND control) {
    if (id == IDC_ASK_DONT_SHOW && code == BN_CLICKED) {
        Settings.AskForSweep = SendMessageW(control, BM_GETCHECK, 0, 0) != BST_CHECKED;
        return true;
    }
    return TDialogBase::OnCommand(id, code, control);
}

}  // namespace klarvex
