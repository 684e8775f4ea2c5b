// The real Klarvex.exe driven by keys alone (xdotool under the virtual
// display), the focused control read after each key: every window opens,
// goes round by Tab and closes by Esc; nothing keeps the keyboard, and a
// destructive question starts on its safe answer.

#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/MainRes.h"
#include "base/Strings.h"
#include "dialogs/AskDeleteRes.h"
#include "dialogs/CookiesManagerRes.h"
#include "dialogs/CustomListsRes.h"
#include "dialogs/IndexDatViewerRes.h"
#include "dialogs/OptionsRes.h"
#include "support/GuiDriver.h"
#include "support/Process.h"
#include "support/ShellHandlers.h"

namespace klarvex::testing {
namespace {

class KeyboardTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(XdotoolInstalled()); }
    // The program, started on the files written so far.
    KlarvexApp& Start() {
        app = std::make_unique<KlarvexApp>();
        // X gives the focus only to a window it shows already.
        if (HWND main = app->Main()) WaitUntil([&] { return IsWindowVisible(main) != FALSE; }, 5s);
        std::this_thread::sleep_for(300ms);
        return *app;
    }
    // Keys pressed in window. A combination's keys are let go a little
    // after it has acted: the next keys wait for that.
    static void Keys(HWND window, const std::wstring& keys) {
        PressKeys(window, keys);
        if (keys.find(L'+') != std::wstring::npos) std::this_thread::sleep_for(400ms);
    }
    // Keys, then the wait until the focus is on expected.
    static bool Press(HWND window, const std::wstring& keys, HWND expected) {
        Keys(window, keys);
        return WaitUntil([&] { return FocusOf(window) == expected; }, 5s);
    }
    // A dialog opened by keys pressed in owner, once it has the focus.
    HWND Open(HWND owner, const std::wstring& keys, const std::wstring& caption) const {
        Keys(owner, keys);
        HWND dialog = app->WaitForWindow(L"#32770", caption);
        if (dialog) WaitUntil([&] { return IsWindowVisible(dialog) && IsChild(dialog, FocusOf(dialog)); }, 5s);
        std::this_thread::sleep_for(300ms);
        return dialog;
    }
    static bool CloseByEsc(HWND dialog) {
        PressKeys(dialog, L"Escape");
        return WaitUntil([&] { return !IsWindow(dialog); }, 5s);
    }

    ProgramFileGuard settings;
    ProgramFileGuard list{L"Clist.dat"};
    std::unique_ptr<KlarvexApp> app;
};

TEST_F(KeyboardTest, EveryWindowOpensOnItsFirstControlGoesRoundByTabAndClosesByEsc) {
    KlarvexApp& app = Start();
    struct Window {
        const wchar_t* keys;
        const wchar_t* caption;
        int first;            // the control focused when it opens
        bool fromCustomLists;  // opened from the custom lists editor
    };
    for (const Window& w : {Window{L"ctrl+s", L"Settings", IDC_OPT_PAGES, false},
                            Window{L"alt+e l", L"Custom Lists", IDC_NCI_CONTENT, false},
                            Window{L"alt+r", L"Add Registry", IDC_AR_KEY, true},
                            Window{L"alt+f", L"Add File and Folder", IDC_AF_FOLDER, true},
                            Window{L"alt+e c", L"Cookies Manager", IDC_COOKIES_FOUND, false},
                            Window{L"alt+f i", L"Index.dat file viewer", IDC_IDX_FILE_NAME, false},
                            Window{L"alt+h a", L"About Klarvex", IDOK, false}}) {
        SCOPED_TRACE(WideToUtf8(w.caption));
        HWND editor = w.fromCustomLists ? Open(app.Main(), L"alt+e l", L"Custom Lists") : nullptr;
        HWND dialog = Open(editor ? editor : app.Main(), w.keys, w.caption);
        ASSERT_TRUE(dialog);
        EXPECT_EQ(FocusOf(dialog), GetDlgItem(dialog, w.first));
        EXPECT_EQ(RepeatedAccessKeys(dialog), std::vector<std::wstring>{});
        // Tab visits enabled, visible controls only, and comes back.
        std::vector<HWND> visited{FocusOf(dialog)};
        for (int i = 0; i < 20 && (visited.size() == 1 || visited.back() != visited.front()); ++i) {
            Keys(dialog, L"Tab");
            ASSERT_TRUE(WaitUntil([&] { return FocusOf(dialog) != visited.back(); }, 5s)) << "Tab is kept";
            HWND focus = FocusOf(dialog);
            EXPECT_TRUE(IsChild(dialog, focus) && IsWindowVisible(focus) && IsWindowEnabled(focus));
            visited.push_back(focus);
        }
        EXPECT_GT(visited.size(), 3u);
        EXPECT_EQ(visited.back(), visited.front()) << "Tab goes round";
        EXPECT_TRUE(CloseByEsc(dialog));
        if (editor) {
            EXPECT_TRUE(CloseByEsc(editor));
        }
    }
    EXPECT_EQ(app.Close(), 0);
}

// Tab, Shift+Tab, Esc and Enter leave the combination box; every other
// key is the combination, and Backspace alone clears it.
TEST_F(KeyboardTest, TheBossKeyBoxLetsTheDialogsKeysThrough) {
    settings.Write("[Hotkey]\r\nEnableHotkey=0\r\n");
    KlarvexApp& app = Start();
    for (const wchar_t* closing : {L"Escape", L"Return"}) {
        HWND dialog = Open(app.Main(), L"ctrl+s", L"Settings");
        ASSERT_TRUE(dialog);
        HWND pages = GetDlgItem(dialog, IDC_OPT_PAGES), box = GetDlgItem(dialog, IDC_OPT_HIDE);
        struct Turn {
            const wchar_t* keys;
            LRESULT page;
        };
        for (const Turn& turn : {Turn{L"ctrl+Next", 1}, Turn{L"ctrl+Prior", 0}, Turn{L"ctrl+Tab", 1}}) {
            Keys(dialog, turn.keys);
            EXPECT_TRUE(WaitUntil([&] { return SendMessageW(pages, TCM_GETCURSEL, 0, 0) == turn.page; }, 5s))
                << WideToUtf8(turn.keys);
        }
        ASSERT_TRUE(Press(dialog, L"alt+e", box)) << "the label's access key";
        Keys(dialog, L"ctrl+shift+F12");
        ASSERT_TRUE(WaitUntil([&] { return WindowTextOf(box) == L"Ctrl  Shift  F12"; }, 5s));
        EXPECT_TRUE(Press(dialog, L"Tab", GetDlgItem(dialog, IDOK)));
        EXPECT_TRUE(Press(dialog, L"shift+Tab", box));
        EXPECT_TRUE(Press(dialog, L"shift+Tab", GetDlgItem(dialog, IDC_OPT_BOSS_KEY)));
        EXPECT_EQ(WindowTextOf(box), L"Ctrl  Shift  F12") << "the Shift of Shift+Tab is no combination";
        EXPECT_TRUE(Press(dialog, L"Tab", box));
        Keys(dialog, L"BackSpace");
        EXPECT_TRUE(WaitUntil([&] { return WindowTextOf(box).empty(); }, 5s));
        Keys(dialog, L"ctrl+Next alt+Home");
        EXPECT_TRUE(WaitUntil([&] { return WindowTextOf(box) == L"Alt  Home"; }, 5s));
        EXPECT_EQ(SendMessageW(pages, TCM_GETCURSEL, 0, 0), 1) << "Ctrl+PgDn in the box is a combination";
        EXPECT_TRUE(app.SaveScreenshot(dialog, L"keyboard-boss-key-box"));
        Keys(dialog, closing);
        ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }, 5s)) << WideToUtf8(closing);
        EXPECT_EQ(settings.Read(L"Hotkey", L"CharString"), closing == std::wstring(L"Return") ? L"Home" : L"<missing>")
            << "Esc saves nothing, Enter is OK";
    }
    EXPECT_EQ(app.Close(), 0);
}

TEST_F(KeyboardTest, RemovingTheLastCustomListRowKeepsTheKeyboardInTheEditor) {
    list.Write("[<New List>]\r\nDelFile1=C:\\klarvex-keyboard-test\r\n");
    KlarvexApp& app = Start();
    HWND editor = Open(app.Main(), L"alt+e l", L"Custom Lists");
    ASSERT_TRUE(editor);
    HWND rows = GetDlgItem(editor, IDC_NCI_CONTENT);
    ASSERT_TRUE(Press(editor, L"Down", rows));
    ASSERT_TRUE(WaitUntil([&] { return KlarvexApp::Enabled(editor, IDC_NCI_REMOVE); }, 5s));
    Keys(editor, L"alt+m");
    ASSERT_TRUE(WaitUntil([&] { return KlarvexApp::RowCount(rows) == 0; }, 5s));
    EXPECT_FALSE(KlarvexApp::Enabled(editor, IDC_NCI_REMOVE));
    EXPECT_TRUE(WaitUntil([&] { return FocusOf(editor) == rows; }, 5s)) << "the list keeps the keyboard";
    EXPECT_TRUE(Press(editor, L"Tab", GetDlgItem(editor, IDC_NCI_ADD_FOLDER)));
    EXPECT_TRUE(CloseByEsc(editor));
    EXPECT_EQ(list.Read(L"<New List>", L"DelFile1"), L"C:\\klarvex-keyboard-test") << "Esc saved nothing";
    EXPECT_EQ(app.Close(), 0);
}

TEST_F(KeyboardTest, TheCleanConfirmationOpensOnCancelAndEnterRemovesNothing) {
    ScratchFolder folder;
    MakeFile(folder / L"trace.log", 10);
    list.Write("[<New List>]\r\nDelFile1=" + WideToUtf8(folder.Path()) + ",*.log\r\n");
    settings.Write("[NodeSelected]\r\nSelectedCount=1\r\n1=Custom Lists - <New List>\r\n"
                   "[Settings]\r\nAskForSweep=1\r\n");
    KlarvexApp& ticked = Start();
    for (const wchar_t* clean : {L"ctrl+alt+c", L"alt+l"}) {
        HWND ask = Open(ticked.Main(), clean, L"Run Klarvex");
        ASSERT_TRUE(ask) << WideToUtf8(clean);
        EXPECT_EQ(FocusOf(ask), GetDlgItem(ask, IDCANCEL));
        EXPECT_EQ(LOWORD(SendMessageW(ask, DM_GETDEFID, 0, 0)), IDCANCEL);
        EXPECT_EQ(KlarvexApp::BoxIcon(ask), IDI_WARNING);
        EXPECT_TRUE(ticked.SaveScreenshot(ask, L"keyboard-clean-confirmation"));
        Keys(ask, L"Return");
        ASSERT_TRUE(WaitUntil([&] { return !IsWindow(ask); }, 5s));
    }
    EXPECT_TRUE(Exists(folder / L"trace.log"));
    EXPECT_TRUE(ticked.LogLines().empty());
    // OK by its key: the Clean runs, and its end is plain text.
    HWND ask = Open(ticked.Main(), L"alt+l", L"Run Klarvex");
    ASSERT_TRUE(ask);
    Keys(ask, L"alt+o");
    HWND status = ticked.Control(IDC_RUN_STATUS);
    EXPECT_TRUE(WaitUntil([&] { return WindowTextOf(status) == L"Finished! Total items to be removed: 1"; }, 60s));
    EXPECT_FALSE(Exists(folder / L"trace.log"));
    EXPECT_EQ(ticked.Close(), 0);
}

// Space on the tree's selection flips its tick once; Esc cancels a run;
// F1 opens the help, Ctrl+Shift+S saves the log.
TEST_F(KeyboardTest, TheMainWindowsOwnKeys) {
    std::string ticked = "[Settings]\r\nFastScan=0\r\n[NodeSelected]\r\n";
    int count = 0;
    for (const auto& name : RunProgram(L"klarvex-cli.exe", {L"--list"}).out)
        if (!name.empty()) ticked += std::to_string(++count) + "=" + WideToUtf8(name) + "\r\n";
    settings.Write(ticked + "SelectedCount=" + std::to_string(count) + "\r\n");
    KlarvexApp& app = Start();
    HWND main = app.Main(), tree = app.Control(IDC_TREE), test = app.Control(IDC_TEST);
    EXPECT_TRUE(GetWindowLongW(tree, GWL_STYLE) & TVS_CHECKBOXES) << "the ticks are check boxes to a screen reader";
    ASSERT_TRUE(Press(main, L"alt+s Home", tree));
    HTREEITEM first = TreeView_GetRoot(tree);
    ASSERT_TRUE(WaitUntil([&] { return TreeView_GetSelection(tree) == first; }, 5s));
    const int flipped = 3 - app.TickState(first);  // 1 unticked, 2 ticked
    Keys(main, L"space");
    EXPECT_TRUE(WaitUntil([&] { return app.TickState(first) == flipped; }, 5s)) << "flipped once, not twice";
    Keys(main, L"alt+t");
    ASSERT_TRUE(WaitUntil([&] { return WindowTextOf(test) == L"&Cancel"; }, 5s));
    Keys(main, L"Escape");
    EXPECT_TRUE(WaitUntil([&] { return WindowTextOf(test) == L"&Test"; }, 10s));
    EXPECT_EQ(WindowTextOf(app.Control(IDC_RUN_STATUS)), L"Cancelled");
    EXPECT_EQ(app.TickState(first), flipped);
    EXPECT_TRUE(app.SaveScreenshot(L"keyboard-main-cancelled"));

    Keys(main, L"ctrl+shift+s");
    HWND save = app.WaitForWindow(L"#32770", L"Save as Text");
    ASSERT_TRUE(save);
    EXPECT_TRUE(CloseByEsc(save));
    // Last: the program the shell starts takes the focus.
    ShellHandlers handlers({L"https"});
    const std::wstring opened = ExeDir() + L"klarvex-opened.txt";
    DeleteFileW(opened.c_str());
    Keys(main, L"F1");
    EXPECT_TRUE(WaitUntil([&] { return Exists(opened); }, 10s));
    std::this_thread::sleep_for(500ms);
    EXPECT_EQ(ReadTextFile(opened), L"https://www.klarvex.example/help/\n");
    DeleteFileW(opened.c_str());
    EXPECT_EQ(app.Close(), 0);
}

}  // namespace
}  // namespace klarvex::testing
