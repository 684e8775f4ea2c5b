#include "dialogs/AddFolder.h"

#include <shlobj.h>
#include <windowsx.h>

#include <algorithm>
#include <initializer_list>

#include "base/Handles.h"
#include "base/PathText.h"
#include "base/Texts.h"
#include "dialogs/CustomListsRes.h"
#include "platform/Folders.h"
#include "ui/FolderPicker.h"

namespace klarvex {

namespace {

// Only a whole path names a folder here: a relative one would be found in
// whatever the current folder is.
bool FolderExists(const std::wstring& path) {
    if (!IsAbsolutePath(WithBackslash(path))) return false;
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

int CALLBACK CentrePicker(HWND picker, UINT message, LPARAM, LPARAM) {
    if (message == BFFM_INITIALIZED) {
        RECT box{}, work{};
        GetWindowRect(picker, &box);
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
        SetWindowPos(picker, nullptr, work.left + (work.right - work.left - (box.right - box.left)) / 2,
                     work.top + (work.bottom - work.top - (box.bottom - box.top)) / 2, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER);
    }
    return 0;
}

}  // namespace

TfrmAddFolder::TfrmAddFolder() : TDialogBase(IDD_ADD_FOLDER) {}

void TfrmAddFolder::OnInit() {
    CentreOnOwner(Handle());
    CheckRadioButton(Handle(), IDC_AF_SINGLE_FILE, IDC_AF_MANY_FILES, IDC_AF_SINGLE_FILE);
    CheckRadioButton(Handle(), IDC_AF_DELETE_FOLDER, IDC_AF_DELETE_FILES, IDC_AF_DELETE_FOLDER);
    SetItemText(IDC_AF_MASK, L"*.");
    UpdateOk();
}

bool TfrmAddFolder::ManyFilesMode() const { return Button_GetCheck(Item(IDC_AF_MANY_FILES)) == BST_CHECKED; }

FolderChoice TfrmAddFolder::Choice() const {
    FolderChoice choice;
    choice.folder = ItemText(IDC_AF_FOLDER);
    choice.folderExists = FolderExists(choice.folder);
    if (!ManyFilesMode()) {
        choice.mode = FolderMode::SingleFile;
        HWND files = Item(IDC_AF_FILES);
        const int selected = ListBox_GetCurSel(files);
        if (selected >= 0) {
            std::wstring name(static_cast<size_t>(std::max(0, ListBox_GetTextLen(files, selected))) + 1, L'\0');
            name.resize(static_cast<size_t>(std::max(0, ListBox_GetText(files, selected, name.data()))));
            choice.file = name;
        }
    } else if (Button_GetCheck(Item(IDC_AF_DELETE_FILES)) == BST_CHECKED) {
        choice.mode = FolderMode::MatchingFiles;
        choice.mask = ItemText(IDC_AF_MASK);
    } else {
        choice.mode = FolderMode::WholeFolder;
    }
    return choice;
}

void TfrmAddFolder::UpdateOk() { EnableItem(IDOK, FolderChoiceComplete(Choice())); }

bool TfrmAddFolder::OnCommand(WORD id, WORD code, HWND control) {
    switch (id) {
        case IDC_AF_BROWSE:
            if (code == BN_CLICKED) BrowseClick();
            return true;
        case IDC_AF_SINGLE_FILE:
        case IDC_AF_MANY_FILES:
            if (code == BN_CLICKED) ModeChanged();
            return true;
        case IDC_AF_DELETE_FOLDER:
        case IDC_AF_DELETE_FILES:
            if (code == BN_CLICKED) UpdateOk();
            return true;
        case IDC_AF_FOLDER:
            // The file list always belongs to the folder named: a file
            // chosen from another folder would make an entry for a file
            // that is not there.
            if (code == EN_CHANGE) {
                if (!ManyFilesMode()) FillFileList();
                UpdateOk();
            }
            return true;
        case IDC_AF_MASK:
            if (code == EN_CHANGE) UpdateOk();
            return true;
        case IDC_AF_FILES:
            if (code == LBN_SELCHANGE) UpdateOk();
            return true;
        default:
            return TDialogBase::OnCommand(id, code, control);
    }
}

void TfrmAddFolder::BrowseClick() {
    // The picker is modal to the program's first window; this dialog is
    // kept from taking input too while it is open.
    EnableWindow(Handle(), FALSE);
    const std::optional<std::wstring> folder =
        PickFolder(GetAncestor(Handle(), GA_ROOTOWNER), LoadText(IDS_SELECT_FOLDER_TO_ADD), CentrePicker);
    EnableWindow(Handle(), TRUE);
    SetActiveWindow(Handle());
    if (!folder) return;
    SetItemText(IDC_AF_FOLDER, *folder);
    ModeChanged();
}

void TfrmAddFolder::ModeChanged() {
    const bool many = ManyFilesMode();
    const std::initializer_list<int> manyFiles = {IDC_AF_MODE_GROUP, IDC_AF_DELETE_FOLDER, IDC_AF_DELETE_FILES,
                                                  IDC_AF_MASK_LABEL, IDC_AF_MASK,       IDC_AF_MASK_EXAMPLE};
    const std::initializer_list<int> oneFile = {IDC_AF_FILE_GROUP, IDC_AF_FILES};
    // The controls that come are shown before the others go: the focus
    // has somewhere to go.
    for (int id : many ? manyFiles : oneFile) ShowItem(id, true);
    for (int id : many ? oneFile : manyFiles) ShowItem(id, false);
    if (!many) FillFileList();
    UpdateOk();
}

void TfrmAddFolder::FillFileList() {
    HWND files = Item(IDC_AF_FILES);
    SendMessageW(files, WM_SETREDRAW, FALSE, 0);
    ListBox_ResetContent(files);
    const std::wstring folder = ItemText(IDC_AF_FOLDER);
    if (FolderExists(folder)) {
        ForEachEntry(WithBackslash(folder), [&](const FolderEntry& entry) {
            if (!entry.isFolder) ListBox_AddString(files, entry.name.c_str());
            return true;
        });
    }
    SendMessageW(files, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(files, nullptr, TRUE);
}

void TfrmAddFolder::OnOK() {
    const FolderChoice choice = Choice();
    if (!FolderChoiceComplete(choice)) return;
    entry_ = ComposeFolderEntry(choice);
    End(IDOK);
}

}  // namespace klarvex
