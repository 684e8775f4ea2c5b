// The real Klarvex.exe driven by keys alone (xdotool), the focused control
// read after each key: no window keeps the keyboard, and a destructive
// question starts on its safe answer.

#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <memory>
#include <thread>

#include "base/Strings.h"
#include "dialogs/CookiesManagerRes.h"
#include "dialogs/CustomListsRes.h"
#include "dialogs/IndexDatViewerRes.h"
#include "dialogs/OptionsRes.h"
#include "support/GuiDriver.h"

namespace klarvex::testing {
namespace {

class KeyboardTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(XdotoolInstalled()); }
    KlarvexApp& Start() {
        app = std::make_unique<KlarvexApp>();
        // X gives the focus only to a window it shows already.
        if (HWND main = app->Main()) WaitUntil([&] { return IsWindowVisible(main) != FALSE; });
        std::this_thread::sleep_for(300ms);
        return *app;
    }
    // A combination's keys are let go a little after it has acted.
    static void Keys(HWND window, const std::wstring& keys) {
        PressKeys(window, keys);
        if (keys.find(L'+') != std::wstring::npos) std::this_thread::sleep_for(400ms);
    }
    static bool Press(HWND window, const std::wstring& keys, HWND focus) {
        Keys(window, keys);
        return WaitUntil([&] { return FocusOf(window) == focus; }, 5s);
    }
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
        const wchar_t *keys, *caption;
        int first;
        bool fromCustomLists;
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
        std::vector<HWND> visited{FocusOf(dialog)};
        while (visited.size() < 20 && (visited.size() == 1 || visited.back() != visited.front())) {
            const auto moved = [&] { return FocusOf(dialog) != visited.back(); };
            // Once more if the busy display lost the key; a trap keeps both.
            for (int press = 0; press < 2 && !moved(); ++press) {
                PressKeys(dialog, L"Tab");
                WaitUntil(moved, 4s);
            }
            ASSERT_TRUE(moved()) << "Tab is kept";
            visited.push_back(FocusOf(dialog));
            EXPECT_TRUE(IsChild(dialog, visited.back()) && IsWindowEnabled(visited.back()));
        }
        EXPECT_GT(visited.size(), 3u);
        EXPECT_EQ(visited.back(), visited.front()) << "Tab goes round";
        EXPECT_TRUE(CloseByEsc(dialog));
        if (editor) {
            EXPECT_TRUE(CloseByEsc(editor)) << "the editor has the keyboard back";
        }
    }
    EXPECT_EQ(app.Close(), 0);
}

// Tab, Shift+Tab, Esc and Enter leave the boss key box; every other key is
// the combination, Backspace alone clears it.
TEST_F(KeyboardTest, TheBossKeyBoxLetsTheDialogsKeysThrough) {
    settings.Write("[Hotkey]\r\nEnableHotkey=0\r\n");
    KlarvexApp& app = Start();
    for (const std::wstring closing : {L"Escape", L"Return"}) {
        HWND dialog = Open(app.Main(), L"ctrl+s", L"Settings");
        ASSERT_TRUE(dialog);
        HWND pages = GetDlgItem(dialog, IDC_OPT_PAGES), box = GetDlgItem(dialog, IDC_OPT_HIDE);
        const auto page = [&] { return SendMessageW(pages, TCM_GETCURSEL, 0, 0); };
        for (const auto& [keys, shown] : {std::pair{L"ctrl+Next", 1}, {L"ctrl+Prior", 0}, {L"ctrl+Tab", 1}}) {
            Keys(dialog, keys);
            EXPECT_TRUE(WaitUntil([&, shown = shown] { return page() == shown; }, 5s)) << WideToUtf8(keys);
        }
        ASSERT_TRUE(Press(dialog, L"alt+e", box)) << "the label's access key";
        Keys(dialog, L"ctrl+shift+F12");
        EXPECT_TRUE(Press(dialog, L"Tab", GetDlgItem(dialog, IDOK)));
        EXPECT_TRUE(Press(dialog, L"shift+Tab", box));
        EXPECT_TRUE(Press(dialog, L"shift+Tab", GetDlgItem(dialog, IDC_OPT_BOSS_KEY)));
        EXPECT_EQ(WindowTextOf(box), L"Ctrl  Shift  F12") << "Shift+Tab's Shift is no combination";
        EXPECT_TRUE(Press(dialog, L"Tab", box));
        Keys(dialog, L"BackSpace");
        EXPECT_TRUE(WaitUntil([&] { return WindowTextOf(box).empty(); }, 5s));
        Keys(dialog, L"ctrl+Next alt+Home");
        EXPECT_TRUE(WaitUntil([&] { return WindowTextOf(box) == L"Alt  Home"; }, 5s));
        EXPECT_EQ(page(), 1) << "Ctrl+PgDn in the box is a combination";
        EXPECT_TRUE(app.SaveScreenshot(dialog, L"keyboard-boss-key-box"));
        Keys(dialog, closing);
        ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }, 5s)) << WideToUtf8(closing);
        EXPECT_EQ(settings.Read(L"Hotkey", L"CharString"), closing == L"Return" ? L"Home" : L"<missing>");
    }
    EXPECT_EQ(app.Close(), 0);
}

// The Clean confirmation opens on Cancel and Enter removes nothing; the
// editor keeps the keyboard when the last row goes with "Remove".
TEST_F(KeyboardTest, ADestructiveStepStartsSafeAndADisabledButtonGivesTheKeyboardOn) {
    ScratchFolder folder;
    MakeFile(folder / L"trace.log", 10);
    list.Write("[<New List>]\r\nDelFile1=" + WideToUtf8(folder.Path()) + ",*.log\r\n");
    settings.Write("[NodeSelected]\r\nSelectedCount=1\r\n1=Custom Lists - <New List>\r\n");
    KlarvexApp& app = Start();
    for (const wchar_t* clean : {L"ctrl+alt+c", L"alt+l"}) {
        HWND ask = Open(app.Main(), clean, L"Run Klarvex");
        ASSERT_TRUE(ask) << WideToUtf8(clean);
        EXPECT_EQ(FocusOf(ask), GetDlgItem(ask, IDCANCEL));
        EXPECT_EQ(LOWORD(SendMessageW(ask, DM_GETDEFID, 0, 0)), IDCANCEL);
        EXPECT_EQ(KlarvexApp::BoxIcon(ask), IDI_WARNING);
        EXPECT_TRUE(app.SaveScreenshot(ask, L"keyboard-clean-confirmation"));
        Keys(ask, L"Return");
        ASSERT_TRUE(WaitUntil([&] { return !IsWindow(ask); }, 5s));
    }
    std::this_thread::sleep_for(500ms);
    EXPECT_TRUE(Exists(folder / L"trace.log"));
    EXPECT_TRUE(app.LogLines().empty());

    HWND editor = Open(app.Main(), L"alt+e l", L"Custom Lists");
    ASSERT_TRUE(editor);
    HWND rows = GetDlgItem(editor, IDC_NCI_CONTENT);
    Keys(editor, L"Down");
    ASSERT_TRUE(WaitUntil([&] { return KlarvexApp::Enabled(editor, IDC_NCI_REMOVE); }, 5s));
    Keys(editor, L"alt+m");
    ASSERT_TRUE(WaitUntil([&] { return KlarvexApp::RowCount(rows) == 0; }, 5s));
    EXPECT_TRUE(WaitUntil([&] { return FocusOf(editor) == rows; }, 5s)) << "the list keeps the keyboard";
    EXPECT_TRUE(Press(editor, L"Tab", GetDlgItem(editor, IDC_NCI_ADD_FOLDER)));
    EXPECT_TRUE(CloseByEsc(editor));
    EXPECT_EQ(app.Close(), 0);
}

}  // namespace
}  // namespace klarvex::testing
