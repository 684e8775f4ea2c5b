#pragma once

#include "base/Handles.h"
#include "ui/DialogBase.h"

namespace klarvex {

// Asks before a Clean removes anything. Its check box turns the question
// off (AskForSweep) at once, whichever button closes the dialog.
class TfrmAskDelete final : public TDialogBase {
public:
    TfrmAskDelete();
    ~TfrmAskDelete() override;

    // IDYES for "&OK", IDNO for "&Cancel" or the window's close box.
    INT_PTR ShowModal(HWND owner) { return TDialogBase::ShowModal(owner); }

protected:
    void OnInit() override;
    bool OnCommand(WORD id, WORD code, HWND control) override;
    void OnOK() override { End(IDYES); }
    void OnCancel() override { End(IDNO); }

private:
    Font boldFont_;
};

}  // namespace klarvex
