#pragma once

#include <string>
#include <vector>

#include "formats/IniFile.h"
#include "ui/DialogBase.h"

namespace klarvex {

// The custom list: the entries of section "<New List>" of Clist.dat, one
// row each. Entries are added through TfrmAddFolder and TfrmAddRegistry,
// registry entries edited, any entry removed; OK replaces the section by
// the rows, Cancel leaves the file alone.
class TfrmNewCustomItem final : public TDialogBase {
public:
    // `listFile`: the user's Clist.dat (UserFiles.h).
    explicit TfrmNewCustomItem(TIniFile listFile);

protected:
    void OnInit() override;
    bool OnCommand(WORD id, WORD code, HWND control) override;
    bool OnNotify(const NMHDR& header, LRESULT& result) override;
    void OnOK() override;

private:
    HWND List() const;
    int RowCount() const;
    int SelectedRow() const;
    std::wstring RowText(int row) const;
    std::vector<std::wstring> Rows() const;
    void AppendRow(const std::wstring& text);
    void SelectRow(int row);
    void UpdateActions();

    void AddFolderClick();
    void AddRegistryClick();
    void EditClick();
    void RemoveClick();

    TIniFile listFile_;
};

}  // namespace klarvex
