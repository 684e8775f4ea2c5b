#include "dialogs/AddRegistry.h"

#include <shellapi.h>
#include <windowsx.h>

#include "dialogs/CustomListsRes.h"

namespace klarvex {

TfrmAddRegistry::TfrmAddRegistry(RegistryChoice initial)
    : TDialogBase(IDD_ADD_REGISTRY), initial_(std::move(initial)) {}

void TfrmAddRegistry::OnInit() {
    CentreOnOwner(Handle());
    SetItemText(IDC_AR_KEY, initial_.key);
    SetItemText(IDC_AR_VALUE, initial_.valueName);
    const int mode = initial_.mode == RegistryMode::Key         ? IDC_AR_WASH_KEY
                     : initial_.mode == RegistryMode::AllValues ? IDC_AR_WASH_ALL_VALUES
                                                                : IDC_AR_WASH_VALUE;
    CheckRadioButton(Handle(), IDC_AR_WASH_KEY, IDC_AR_WASH_VALUE, mode);
    UpdateControls();
    FocusOnOpen(IDC_AR_KEY);
}

RegistryChoice TfrmAddRegistry::Choice() const {
    RegistryChoice choice;
    choice.key = ItemText(IDC_AR_KEY);
    choice.valueName = ItemText(IDC_AR_VALUE);
    choice.mode = Button_GetCheck(Item(IDC_AR_WASH_VALUE)) == BST_CHECKED        ? RegistryMode::Value
                  : Button_GetCheck(Item(IDC_AR_WASH_ALL_VALUES)) == BST_CHECKED ? RegistryMode::AllValues
                                                                                 : RegistryMode::Key;
    return choice;
}

void TfrmAddRegistry::UpdateControls() {
    const RegistryChoice choice = Choice();
    EnableItem(IDC_AR_VALUE, choice.mode == RegistryMode::Value);
    EnableItem(IDOK, RegistryChoiceComplete(choice));
}

bool TfrmAddRegistry::OnCommand(WORD id, WORD code, HWND control) {
    switch (id) {
        case IDC_AR_REGEDIT:
            if (code == BN_CLICKED)
                ShellExecuteW(Handle(), L"Open", L"Regedit.exe", nullptr, nullptr, SW_SHOWNORMAL);
            return true;
        case IDC_AR_WASH_KEY:
        case IDC_AR_WASH_ALL_VALUES:
        case IDC_AR_WASH_VALUE:
            if (code == BN_CLICKED) UpdateControls();
            return true;
        case IDC_AR_KEY:
        case IDC_AR_VALUE:
            if (code == EN_CHANGE) UpdateControls();
            return true;
        default:
            return TDialogBase::OnCommand(id, code, control);
    }
}

void TfrmAddRegistry::OnOK() {
    // Enter reaches OK even while the button is disabled.
    const RegistryChoice choice = Choice();
    if (!RegistryChoiceComplete(choice)) return;
    entry_ = ComposeRegistryEntry(choice);
    End(IDOK);
}

}  // namespace klarvex
