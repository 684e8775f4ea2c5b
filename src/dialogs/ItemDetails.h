#pragma once

#include <string>
#include <vector>

#include "ui/DialogBase.h"

namespace klarvex {

// The details of an item of a run's results: the entries the run listed
// for it (files, keys, values, addresses), in the order it listed them,
// and a note on what the list holds (why it is empty, where it stops).
// The list shows its rows as they scroll into view, so a hundred thousand
// of them open at once. Enter, Esc and "Close" close it.
class TfrmItemDetails final : public TDialogBase {
public:
    TfrmItemDetails(std::wstring caption, std::vector<std::wstring> entries, std::wstring note);

    INT_PTR ShowModal(HWND owner) { return TDialogBase::ShowModal(owner); }

protected:
    void OnInit() override;
    bool OnNotify(const NMHDR& header, LRESULT& result) override;
    void OnOK() override { End(IDCANCEL); }

private:
    std::wstring caption_;
    std::vector<std::wstring> entries_;
    std::wstring note_;
};

}  // namespace klarvex
