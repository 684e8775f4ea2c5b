#pragma once

#include <string>

#include "engine/CustomList.h"
#include "ui/DialogBase.h"

namespace klarvex {

// Composes a file or folder entry of the custom list: one file of a
// folder, the folder with everything in it, or the files of the folder
// that match a mask.
class TfrmAddFolder final : public TDialogBase {
public:
    TfrmAddFolder();

    // The entry composed; valid after ShowModal returned IDOK.
    const std::wstring& Entry() const noexcept { return entry_; }

protected:
    void OnInit() override;
    bool OnCommand(WORD id, WORD code, HWND control) override;
    void OnOK() override;

private:
    bool ManyFilesMode() const;
    FolderChoice Choice() const;
    void BrowseClick();
    void ModeChanged();
    void FillFileList();
    void UpdateOk();

    std::wstring entry_;
};

}  // namespace klarvex
