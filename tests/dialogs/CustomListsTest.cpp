// The custom lists editor of the real Klarvex.exe, driven through its three
// dialogs: the list built there, what Clist.dat holds afterwards, and the
// command-line run of that list.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <thread>
#include <vector>

#include "app/MainRes.h"
#include "base/Strings.h"
#include "dialogs/CustomListsRes.h"
#include "formats/IniFile.h"
#include "support/GuiDriver.h"
#include "support/Process.h"

namespace klarvex::testing {
namespace {

const std::wstring kKey = L"Software\\KlarvexListsTest";
const std::wstring kFullKey = L"HKEY_CURRENT_USER\\" + kKey;

// A dialog of the process that shows that text.
HWND DialogShowing(DWORD processId, const std::wstring& text) {
    struct Search {
        DWORD processId;
        const std::wstring* text;
        HWND found;
    } search{processId, &text, nullptr};
    EnumWindows([](HWND window, LPARAM parameter) -> BOOL {
        auto& s = *reinterpret_cast<Search*>(parameter);
        DWORD process = 0;
        GetWindowThreadProcessId(window, &process);
        if (process != s.processId || !IsWindowVisible(window)) return TRUE;
        const auto texts = KlarvexApp::StaticTexts(window);
        if (std::find(texts.begin(), texts.end(), *s.text) == texts.end()) return TRUE;
        s.found = window;
        return FALSE;
    }, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

class CustomListsTest : public ::testing::Test {
protected:
    // The editor opened from the menu, or by a click on "<New List>".
    HWND OpenEditor() {
        if (!app.Main()) return nullptr;
        app.MenuCommand(IDM_CUSTOM_LISTS);
        HWND editor = app.WaitForOwned(app.Main());
        if (editor) content = GetDlgItem(editor, IDC_NCI_CONTENT);
        return editor;
    }
    std::vector<std::wstring> Rows(HWND) {
        std::vector<std::wstring> rows;
        for (int i = 0, n = KlarvexApp::RowCount(content); i < n; ++i) rows.push_back(app.RowText(content, i));
        return rows;
    }
    // Adds a folder entry through "Add File and Folder": `mode` is the id of
    // the radio button of "Select deleting mode" (0 for one file).
    void AddFolder(HWND editor, const std::wstring& folder, int mode, const std::wstring& mask = L"",
                   const char* screenshot = nullptr) {
        KlarvexApp::Click(editor, IDC_NCI_ADD_FOLDER);
        HWND dialog = app.WaitForOwned(editor);
        ASSERT_TRUE(dialog);
        ASSERT_EQ(WindowTextOf(dialog), L"Add File and Folder");
        EXPECT_TRUE(KlarvexApp::Checked(dialog, IDC_AF_SINGLE_FILE));
        EXPECT_FALSE(KlarvexApp::Enabled(dialog, IDOK));
        KlarvexApp::SetText(dialog, IDC_AF_FOLDER, folder);
        KlarvexApp::Click(dialog, IDC_AF_MANY_FILES);
        ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(GetDlgItem(dialog, IDC_AF_MODE_GROUP)) != FALSE; }, 5s));
        // Visibility is read without a message, so it may lag the switch.
        EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(GetDlgItem(dialog, IDC_AF_FILE_GROUP)); }, 5s));
        EXPECT_TRUE(KlarvexApp::Checked(dialog, IDC_AF_DELETE_FOLDER));
        EXPECT_TRUE(KlarvexApp::Enabled(dialog, IDOK));
        if (mode == IDC_AF_DELETE_FILES) {
            KlarvexApp::Click(dialog, IDC_AF_DELETE_FILES);
            EXPECT_TRUE(WaitUntil([&] { return !KlarvexApp::Enabled(dialog, IDOK); }, 5s)) << "\"*.\" is no mask";
            KlarvexApp::SetText(dialog, IDC_AF_MASK, L"*.t");
            EXPECT_TRUE(KlarvexApp::Enabled(dialog, IDOK));
            KlarvexApp::SetText(dialog, IDC_AF_MASK, mask);
        }
        if (screenshot) {
            EXPECT_TRUE(app.SaveScreenshot(dialog, Utf8ToWide(screenshot)));
        }
        ASSERT_TRUE(KlarvexApp::ClickToClose(dialog, IDOK));
    }
    // Fills "Add Registry" (opened by `button`) and ends it with `end`.
    HWND OpenRegistry(HWND editor, int button) {
        KlarvexApp::Click(editor, button);
        HWND dialog = app.WaitForOwned(editor);
        if (dialog) {
            EXPECT_EQ(WindowTextOf(dialog), L"Add Registry");
        }
        return dialog;
    }
    void FinishRegistry(HWND dialog, const std::wstring& key, int mode, int end = IDOK) {
        KlarvexApp::SetText(dialog, IDC_AR_KEY, key);
        KlarvexApp::Click(dialog, mode);
        WaitUntil([&] { return KlarvexApp::Checked(dialog, mode); }, 5s);
        ASSERT_TRUE(KlarvexApp::ClickToClose(dialog, end));
    }
    void RemoveSelected(HWND editor) {
        const int before = KlarvexApp::RowCount(content);
        KlarvexApp::Click(editor, IDC_NCI_REMOVE);
        ASSERT_TRUE(WaitUntil([&] { return KlarvexApp::RowCount(content) == before - 1; }, 5s));
    }
    void End(HWND editor, int button) {
        ASSERT_TRUE(KlarvexApp::ClickToClose(editor, button));
    }

    ProgramFileGuard settings;
    ProgramFileGuard list{L"Clist.dat"};
    KlarvexApp app;
    HWND content = nullptr;
};

// Other lists in the file, before and after the editor's section.
const char kBefore[] = "[Other List]\r\nDelFile1=C:\\keep\r\n";
const char kAfter[] = "[Last]\r\nDelRegValue1=HKEY_CURRENT_USER\\Software\\Keep\r\n";

TEST_F(CustomListsTest, ListBuiltInTheEditorIsSavedAndRunFromTheCommandLine) {
    list.Write(std::string(kBefore) + kAfter);
    ScratchFolder whole, logs;
    MakeFile(whole / L"a.txt", 10);
    MakeFile(whole / L"sub\\b.txt", 10);
    MakeFile(logs / L"one.log", 10);
    MakeFile(logs / L"two.txt", 10);
    ScratchRegKeys keys({kKey});
    keys.SetString(L"", L"Direct", L"1");
    keys.SetString(L"Sub", L"Below", L"2");
    const std::wstring wholeFolder = whole.Path().substr(0, whole.Path().size() - 1);
    const std::wstring logsFolder = logs.Path().substr(0, logs.Path().size() - 1);

    HWND editor = OpenEditor();
    ASSERT_TRUE(editor);
    EXPECT_EQ(WindowTextOf(editor), L"Custom Lists");
    EXPECT_EQ(KlarvexApp::RowCount(content), 0);
    for (int id : {IDOK, IDC_NCI_EDIT, IDC_NCI_REMOVE}) EXPECT_FALSE(KlarvexApp::Enabled(editor, id)) << id;

    ASSERT_NO_FATAL_FAILURE(AddFolder(editor, wholeFolder, IDC_AF_DELETE_FOLDER, L"", "add-file-and-folder"));
    // The editor takes the row after the dialog has gone.
    EXPECT_TRUE(WaitUntil([&] { return KlarvexApp::Enabled(editor, IDOK); }, 5s));
    HWND registry = OpenRegistry(editor, IDC_NCI_ADD_REGISTRY);
    ASSERT_TRUE(registry);
    EXPECT_TRUE(KlarvexApp::Checked(registry, IDC_AR_WASH_KEY));
    EXPECT_FALSE(KlarvexApp::Enabled(registry, IDC_AR_VALUE));
    EXPECT_FALSE(KlarvexApp::Enabled(registry, IDOK));
    EXPECT_TRUE(app.SaveScreenshot(registry, L"add-registry"));
    ASSERT_NO_FATAL_FAILURE(FinishRegistry(registry, kFullKey, IDC_AR_WASH_ALL_VALUES));
    ASSERT_NO_FATAL_FAILURE(AddFolder(editor, logsFolder, IDC_AF_DELETE_FILES, L"*.log"));

    EXPECT_EQ(Rows(editor), (std::vector<std::wstring>{wholeFolder, kFullKey + L",", logsFolder + L",*.log"}));
    // Edit is for registry rows only.
    app.SelectRow(content, 0);
    EXPECT_TRUE(WaitUntil([&] { return KlarvexApp::Enabled(editor, IDC_NCI_REMOVE); }, 5s));
    EXPECT_FALSE(KlarvexApp::Enabled(editor, IDC_NCI_EDIT));
    app.SelectRow(content, 1);
    EXPECT_TRUE(WaitUntil([&] { return KlarvexApp::Enabled(editor, IDC_NCI_EDIT); }, 5s));
    EXPECT_TRUE(app.SaveScreenshot(editor, L"custom-lists"));

    // Editing the key row starts from "Delete values under the key".
    HWND edit = OpenRegistry(editor, IDC_NCI_EDIT);
    ASSERT_TRUE(edit);
    EXPECT_EQ(WindowTextOf(GetDlgItem(edit, IDC_AR_KEY)), kFullKey);
    EXPECT_TRUE(KlarvexApp::Checked(edit, IDC_AR_WASH_ALL_VALUES));
    EXPECT_EQ(WindowTextOf(GetDlgItem(edit, IDC_AR_VALUE)), L"");
    EXPECT_FALSE(KlarvexApp::Enabled(edit, IDC_AR_VALUE));
    ASSERT_TRUE(KlarvexApp::ClickToClose(edit, IDCANCEL));

    ASSERT_NO_FATAL_FAILURE(End(editor, IDOK));
    const TIniFile file(list.Path());
    EXPECT_EQ(file.SectionLines(L"<New List>"),
              (std::vector<std::wstring>{L"DelFile1=" + wholeFolder, L"DelRegValue1=" + kFullKey + L",",
                                         L"DelFile2=" + logsFolder + L",*.log"}));
    const std::wstring text = DecodeTextFile(ReadBytes(list.Path()), CP_ACP);
    EXPECT_TRUE(text.starts_with(Utf8ToWide(kBefore))) << WideToUtf8(text);
    EXPECT_NE(text.find(Utf8ToWide(kAfter)), std::wstring::npos) << WideToUtf8(text);

    // The command line runs the list: exactly these go.
    const ProcessResult run = RunProgram(L"klarvex-cli.exe", {L"--clean", L"--yes", L"Custom Lists - <New List>"});
    EXPECT_EQ(run.exitCode, 0) << WideToUtf8(run.err);
    EXPECT_FALSE(Exists(wholeFolder));
    EXPECT_FALSE(Exists(logs / L"one.log"));
    EXPECT_TRUE(Exists(logs / L"two.txt"));
    // The values go, and the subkeys with theirs; the key stays.
    EXPECT_TRUE(KeyExists(kKey));
    EXPECT_FALSE(ValueExists(kKey, L"Direct"));
    EXPECT_FALSE(KeyExists(kKey + L"\\Sub"));
    EXPECT_TRUE(TIniFile(list.Path()).SectionLines(L"Other List") == std::vector<std::wstring>{L"DelFile1=C:\\keep"});
}

TEST_F(CustomListsTest, HandWrittenListIsShownWholeAndRemoveCancelAndOkFollowTheRows) {
    const std::string original = std::string(kBefore) +
                                 "[<New List>]\r\nx=C:\\one\r\nx=hkey_current_user\\software\\two,\r\nItem=C:\\three\r\n" +
                                 kAfter;
    list.Write(original);

    HWND editor = OpenEditor();
    ASSERT_TRUE(editor);
    EXPECT_EQ(Rows(editor), (std::vector<std::wstring>{L"C:\\one", L"hkey_current_user\\software\\two,", L"C:\\three"}));

    // Removing the last row selects the new last one.
    app.SelectRow(content, 2);
    ASSERT_NO_FATAL_FAILURE(RemoveSelected(editor));
    EXPECT_EQ(app.SelectedRow(content), 1);
    EXPECT_TRUE(KlarvexApp::Enabled(editor, IDC_NCI_EDIT)) << "the selected row is a registry entry";
    ASSERT_NO_FATAL_FAILURE(RemoveSelected(editor));
    EXPECT_EQ(app.SelectedRow(content), 0);
    ASSERT_NO_FATAL_FAILURE(RemoveSelected(editor));
    EXPECT_EQ(app.SelectedRow(content), -1);
    for (int id : {IDOK, IDC_NCI_REMOVE, IDC_NCI_EDIT}) EXPECT_FALSE(KlarvexApp::Enabled(editor, id)) << id;
    // Enter does not save an empty list either.
    PostMessageW(editor, WM_COMMAND, IDOK, 0);
    std::this_thread::sleep_for(300ms);
    ASSERT_TRUE(IsWindow(editor));

    // A key with "HKEY_" inside is allowed but stored as a file entry.
    HWND registry = OpenRegistry(editor, IDC_NCI_ADD_REGISTRY);
    ASSERT_TRUE(registry);
    ASSERT_NO_FATAL_FAILURE(FinishRegistry(registry, L"Software\\HKEY_X", IDC_AR_WASH_KEY));
    // Cancel leaves the file as it was, to the byte.
    ASSERT_NO_FATAL_FAILURE(End(editor, IDCANCEL));
    EXPECT_EQ(ReadBytes(list.Path()), original);

    // OK rewrites the hand-written rows under the program's key names.
    editor = OpenEditor();
    ASSERT_TRUE(editor);
    registry = OpenRegistry(editor, IDC_NCI_ADD_REGISTRY);
    ASSERT_TRUE(registry);
    KlarvexApp::SetText(registry, IDC_AR_KEY, L"Software\\HKEY_X");
    EXPECT_TRUE(KlarvexApp::Enabled(registry, IDOK));
    KlarvexApp::Click(registry, IDC_AR_WASH_VALUE);
    EXPECT_TRUE(WaitUntil([&] { return KlarvexApp::Enabled(registry, IDC_AR_VALUE); }, 5s));
    EXPECT_FALSE(KlarvexApp::Enabled(registry, IDOK)) << "no value name yet";
    KlarvexApp::Click(registry, IDC_AR_WASH_KEY);
    EXPECT_TRUE(WaitUntil([&] { return KlarvexApp::Enabled(registry, IDOK); }, 5s));
    ASSERT_TRUE(KlarvexApp::ClickToClose(registry, IDOK));
    ASSERT_NO_FATAL_FAILURE(End(editor, IDOK));
    EXPECT_EQ(TIniFile(list.Path()).SectionLines(L"<New List>"),
              (std::vector<std::wstring>{L"DelFile1=C:\\one", L"DelRegValue1=hkey_current_user\\software\\two,",
                                         L"DelFile2=C:\\three", L"DelFile3=Software\\HKEY_X"}));
}

TEST_F(CustomListsTest, OneFileOfAFolderThePickerAndTheRegistryEditor) {
    ScratchFolder folder;
    MakeFile(folder / L"only.txt", 10);
    const std::wstring path = folder.Path().substr(0, folder.Path().size() - 1);

    // The "<New List>" label opens the editor too.
    ASSERT_TRUE(app.Main());
    HTREEITEM node = app.FindNode(L"Custom Lists - <New List>");
    ASSERT_TRUE(node);
    ASSERT_TRUE(app.ClickLabel(node));
    HWND editor = app.WaitForOwned(app.Main());
    ASSERT_TRUE(editor);
    EXPECT_EQ(WindowTextOf(editor), L"Custom Lists");
    content = GetDlgItem(editor, IDC_NCI_CONTENT);

    KlarvexApp::Click(editor, IDC_NCI_ADD_FOLDER);
    HWND dialog = app.WaitForOwned(editor);
    ASSERT_TRUE(dialog);
    // The folder picker: its title, and a cancel that changes nothing.
    KlarvexApp::Click(dialog, IDC_AF_BROWSE);
    HWND picker = nullptr;
    WaitUntil([&] { return (picker = DialogShowing(app.ProcessId(), L"Please select the directory to add")) != nullptr; },
              10s);
    ASSERT_TRUE(picker);
    EXPECT_FALSE(IsWindowEnabled(dialog)) << "the dialog under the picker takes no input";
    PostMessageW(picker, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(picker); }, 5s));
    EXPECT_EQ(WindowTextOf(GetDlgItem(dialog, IDC_AF_FOLDER)), L"");

    // "Delete single file": the folder's files to choose from.
    KlarvexApp::SetText(dialog, IDC_AF_FOLDER, path);
    HWND files = GetDlgItem(dialog, IDC_AF_FILES);
    ASSERT_TRUE(WaitUntil([&] { return SendMessageW(files, LB_GETCOUNT, 0, 0) == 1; }, 5s));
    EXPECT_FALSE(KlarvexApp::Enabled(dialog, IDOK)) << "no file chosen";
    KlarvexApp::ClickListBoxRow(files, 0);
    ASSERT_TRUE(WaitUntil([&] { return KlarvexApp::Enabled(dialog, IDOK); }, 5s));
    KlarvexApp::Click(dialog, IDOK);
    ASSERT_TRUE(WaitUntil([&] { return KlarvexApp::RowCount(content) == 1; }, 5s));
    EXPECT_EQ(app.RowText(content, 0), path + L",only.txt");

    // "&Run Registry Editor" starts the system's registry editor.
    HWND registry = OpenRegistry(editor, IDC_NCI_ADD_REGISTRY);
    ASSERT_TRUE(registry);
    KlarvexApp::Click(registry, IDC_AR_REGEDIT);
    HWND regedit = nullptr;
    EXPECT_TRUE(WaitUntil([&] { return (regedit = FindWindowW(L"RegEdit_RegEdit", nullptr)) != nullptr; }, 20s));
    if (regedit) PostMessageW(regedit, WM_CLOSE, 0, 0);
    EXPECT_TRUE(IsWindow(registry)) << "the dialog stays open";
    ASSERT_TRUE(KlarvexApp::ClickToClose(registry, IDCANCEL));
    ASSERT_NO_FATAL_FAILURE(End(editor, IDCANCEL));
    EXPECT_FALSE(Exists(list.Path())) << "Cancel writes nothing";
}

// A file name the system's code page cannot hold: saved with its letters,
// where the code page would have made "?" of them, a wildcard that takes
// every five-letter name of the folder.
TEST_F(CustomListsTest, OneFileWhoseNameIsOutsideTheCodePageIsTheOnlyOneTaken) {
    ScratchFolder folder;
    const std::wstring report = L"\u043E\u0442\u0447\u0451\u0442.docx";  // "отчёт.docx"
    MakeFile(folder / report, 10);
    MakeFile(folder / L"notes.docx", 10);
    const std::wstring path = folder.Path().substr(0, folder.Path().size() - 1);

    HWND editor = OpenEditor();
    ASSERT_TRUE(editor);
    KlarvexApp::Click(editor, IDC_NCI_ADD_FOLDER);
    HWND dialog = app.WaitForOwned(editor);
    ASSERT_TRUE(dialog);
    KlarvexApp::SetText(dialog, IDC_AF_FOLDER, path);
    HWND files = GetDlgItem(dialog, IDC_AF_FILES);
    ASSERT_TRUE(WaitUntil([&] { return SendMessageW(files, LB_GETCOUNT, 0, 0) == 2; }, 5s));
    int row = -1;
    for (int i = 0; i < 2; ++i) {
        wchar_t name[MAX_PATH] = {};
        SendMessageW(files, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(name));
        if (report == name) row = i;
    }
    ASSERT_GE(row, 0);
    KlarvexApp::ClickListBoxRow(files, row);
    ASSERT_TRUE(WaitUntil([&] { return KlarvexApp::Enabled(dialog, IDOK); }, 5s));
    ASSERT_TRUE(KlarvexApp::ClickToClose(dialog, IDOK));
    ASSERT_NO_FATAL_FAILURE(End(editor, IDOK));
    EXPECT_EQ(TIniFile(list.Path()).SectionLines(L"<New List>"),
              std::vector<std::wstring>{L"DelFile1=" + path + L"," + report});

    const ProcessResult run = RunProgram(L"klarvex-cli.exe", {L"--clean", L"Custom Lists - <New List>"});
    EXPECT_EQ(run.exitCode, 0) << WideToUtf8(run.err);
    EXPECT_FALSE(Exists(folder / report));
    EXPECT_TRUE(Exists(folder / L"notes.docx"));
}

TEST_F(CustomListsTest, FailedSaveIsReportedAndKeepsTheEditorOpenWithItsRows) {
    // A folder where Clist.dat belongs: nobody can write the file.
    ASSERT_TRUE(CreateDirectoryW(list.Path().c_str(), nullptr));
    struct Gone {
        std::wstring path;
        ~Gone() { RemoveDirectoryW(path.c_str()); }
    } folderGoes{list.Path()};
    HWND editor = OpenEditor();
    ASSERT_TRUE(editor);
    HWND registry = OpenRegistry(editor, IDC_NCI_ADD_REGISTRY);
    ASSERT_TRUE(registry);
    ASSERT_NO_FATAL_FAILURE(FinishRegistry(registry, kFullKey, IDC_AR_WASH_KEY));
    KlarvexApp::Click(editor, IDOK);
    HWND box = app.WaitForOwned(editor);
    ASSERT_TRUE(box);
    const auto texts = KlarvexApp::StaticTexts(box);
    EXPECT_NE(std::find(texts.begin(), texts.end(), L"Unable to write to " + list.Path()), texts.end());
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(box); }, 5s));
    EXPECT_TRUE(IsWindowVisible(editor));
    EXPECT_EQ(Rows(editor), std::vector<std::wstring>{kFullKey});
    ASSERT_NO_FATAL_FAILURE(End(editor, IDCANCEL));
}

}  // namespace
}  // namespace klarvex::testing
