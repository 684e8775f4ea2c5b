#pragma once

#include "ui/DialogBase.h"

namespace klarvex {

// The About box: name and version, a donation request whose image opens the
// donation page, a note on /s and a link to the home page.
class TfrmAbout final : public TDialogBase {
public:
    TfrmAbout();

protected:
    void OnInit() override;
    bool OnCommand(WORD id, WORD code, HWND control) override;
    bool OnNotify(const NMHDR& header, LRESULT& result) override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
};

}  // namespace klarvex
