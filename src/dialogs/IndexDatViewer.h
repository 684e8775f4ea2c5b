#pragma once

#include "base/Handles.h"
#include "formats/IndexDatView.h"
#include "ui/DialogBase.h"

namespace klarvex {

// The index.dat viewer: the user picks an index.dat file and sees every
// address it records with its time stamp; a double click opens a web
// address (Enter on the selected row, by keyboard). The list is virtual:
// its rows live in `rows_` alone.
//
// The read keeps the window's messages flowing. While it runs, "&Show" is
// ignored (a second read would empty the lists the first one fills) and a
// close waits until it has ended.
class TfrmIndexDatViewer final : public TDialogBase {
public:
    // `opener` is told of every address a double click opens.
    explicit TfrmIndexDatViewer(AddressOpener opener = ShellOpenAddress);
    ~TfrmIndexDatViewer() override;

protected:
    void OnInit() override;
    bool OnCommand(WORD id, WORD code, HWND control) override;
    bool OnNotify(const NMHDR& header, LRESULT& result) override;
    void OnCancel() override;
    bool OnDialogKey(const MSG& message) override;

private:
    class ReadProgress;

    void PlaceControls();
    void SetUpList();
    void BrowseClick();
    void ShowClick();
    void ListDoubleClick();
    void GetRowData(NMLVDISPINFOW& info) const;
    void SetRowCount(size_t count) const;

    AddressOpener opener_;
    TIndexDatRows rows_;
    ImageList images_;
    bool reading_ = false;
    bool closeAfterRead_ = false;
};

}  // namespace klarvex
