#pragma once

#include "base/Handles.h"
#include "ui/DialogBase.h"

namespace klarvex {

// Asks before a Clean removes anything. It opens on Cancel, the default;
// its check box turns the question off (AskForSweep) when OK is pressed.
class TfrmAskDelete final : public TDialogBase {
public:
    TfrmAskDelete();
    ~TfrmAskDelete() override;

    // IDYES for "&OK", IDNO for "&Cancel" or the window's close box.
    INT_PTR ShowModal(HWND owner) { return TDialogBase::ShowModal(owner); }

protected:
    void OnInit() override;
    void OnOK() override;
    void OnCancel() override { End(IDNO); }

private:
    Font boldFont_;
};

}  // namespace klarvex
