// The settings dialog of the real Klarvex.exe, driven under the virtual
// display with real key presses and clicks.

#include <gtest/gtest.h>

#include <windows.h>

#include <sddl.h>

#include <algorithm>
#include <string>
#include <thread>
#include <vector>

#include "app/MainRes.h"
#include "base/Strings.h"
#include "dialogs/OptionsRes.h"
#include "platform/RegistryKeys.h"
#include "settings/AutoStart.h"
#include "support/GuiDriver.h"

namespace klarvex::testing {
namespace {

constexpr wchar_t kRunValue[] = L"Klarvex";

bool Contains(const std::vector<std::wstring>& texts, const std::wstring& text) {
    return std::find(texts.begin(), texts.end(), text) != texts.end();
}

bool Checked(HWND dialog, int id) { return SendMessageW(GetDlgItem(dialog, id), BM_GETCHECK, 0, 0) == BST_CHECKED; }

// The start with Windows of the sandbox's user: no value before the test,
// none after it.
class RunValueGuard {
public:
    RunValueGuard() { Remove(); }
    ~RunValueGuard() { Remove(); }
    RunValueGuard(const RunValueGuard&) = delete;
    RunValueGuard& operator=(const RunValueGuard&) = delete;

    static void Remove() { RegDeleteKeyValueW(HKEY_CURRENT_USER, kRunKeyPath, kRunValue); }
    static bool Exists() { return ValueExists(kRunKeyPath, kRunValue); }
    static std::wstring Data() { return ReadRegString(HKEY_CURRENT_USER, kRunKeyPath, kRunValue); }
};

// The Run key made read-only for everybody while the object lives; its
// own access rules come back when it goes.
class ReadOnlyRunKey {
public:
    ReadOnlyRunKey() {
        CreateKey(kRunKeyPath);
        RegOpenKeyExW(HKEY_CURRENT_USER, kRunKeyPath, 0, READ_CONTROL | WRITE_DAC, key_.Put());
        DWORD size = 0;
        RegGetKeySecurity(key_.Get(), DACL_SECURITY_INFORMATION, nullptr, &size);
        saved_.resize(size);
        if (size == 0 || RegGetKeySecurity(key_.Get(), DACL_SECURITY_INFORMATION, saved_.data(), &size) != ERROR_SUCCESS)
            saved_.clear();
        PSECURITY_DESCRIPTOR readOnly = nullptr;
        if (ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:P(A;;KR;;;WD)", SDDL_REVISION_1, &readOnly,
                                                                 nullptr)) {
            applied_ = RegSetKeySecurity(key_.Get(), DACL_SECURITY_INFORMATION, readOnly) == ERROR_SUCCESS;
            LocalFree(readOnly);
        }
    }
    ~ReadOnlyRunKey() {
        if (applied_ && !saved_.empty()) RegSetKeySecurity(key_.Get(), DACL_SECURITY_INFORMATION, saved_.data());
    }
    ReadOnlyRunKey(const ReadOnlyRunKey&) = delete;
    ReadOnlyRunKey& operator=(const ReadOnlyRunKey&) = delete;

    bool Applied() const { return applied_ && !saved_.empty(); }

private:
    RegKey key_;
    std::vector<BYTE> saved_;
    bool applied_ = false;
};

class OptionsTest : public ::testing::Test {
protected:
    ProgramFileGuard settings;
    RunValueGuard run;

    void SetUp() override { ASSERT_TRUE(XdotoolInstalled()) << "xdotool is missing (scripts/setup.sh installs it)"; }

    static HWND OpenSettings(KlarvexApp& app) {
        PostMessageW(app.Main(), WM_COMMAND, MAKEWPARAM(IDM_SETTINGS, 0), 0);
        HWND dialog = app.WaitForWindow(L"#32770", L"Settings");
        // X takes the focus only for a window it shows already.
        if (dialog) WaitUntil([&] { return IsWindowVisible(dialog) != FALSE; }, 5s);
        std::this_thread::sleep_for(300ms);
        return dialog;
    }
    static HWND WaitForBox(KlarvexApp& app) { return app.WaitForWindow(L"#32770", L"Klarvex"); }
    static void Dismiss(HWND box) {
        KlarvexApp::ClickToClose(box, IDOK);
    }
    static bool Ok(HWND dialog) { return KlarvexApp::ClickToClose(dialog, IDOK, 10s); }

    // The "Boss Key" page by a click on its tab, then a click into the
    // combination box.
    static bool ToCombinationBox(KlarvexApp& app, HWND dialog) {
        HWND box = GetDlgItem(dialog, IDC_OPT_HIDE);
        const auto focused = [&] {
            GUITHREADINFO thread{};
            thread.cbSize = sizeof(thread);
            return GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &thread) && thread.hwndFocus == box;
        };
        // A click can come too early for the display: a second one then.
        for (int attempt = 0; attempt < 3; ++attempt) {
            if (!IsWindowVisible(box)) ClickAt(dialog, app.TabRect(GetDlgItem(dialog, IDC_OPT_PAGES), 1));
            if (!WaitUntil([&] { return IsWindowVisible(box) != FALSE; }, 4s)) continue;
            ClickOn(box);
            if (WaitUntil(focused, 4s)) return true;
        }
        return false;
    }

    // Keys pressed in the combination box: what it shows afterwards (given
    // the time to show what is expected; a combination shows its modifiers
    // first).
    static std::wstring Capture(HWND dialog, const std::wstring& keys, const std::wstring& expected) {
        HWND box = GetDlgItem(dialog, IDC_OPT_HIDE);
        SendMessageW(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"?"));
        PressKeys(dialog, keys);
        WaitUntil([&] { return WindowTextOf(box) == expected; }, 10s);
        std::this_thread::sleep_for(200ms);  // the key's release, if it did anything
        return WindowTextOf(box);
    }
};

TEST_F(OptionsTest, ShowsEveryPageWithItsTextsAndPicturesIt) {
    KlarvexApp app;
    ASSERT_TRUE(app.Main());
    HWND dialog = OpenSettings(app);
    ASSERT_TRUE(dialog) << "no dialog captioned Settings";
    HWND tabs = GetDlgItem(dialog, IDC_OPT_PAGES);
    EXPECT_EQ(SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0), 3);
    EXPECT_EQ(SendMessageW(tabs, TCM_GETCURSEL, 0, 0), 0) << "General comes first";
    const std::vector<std::pair<int, std::wstring>> general = {
        {IDC_OPT_FAST_SCAN, L"&Fast mode, not show detailed log of all cleaner settings"},
        {IDC_OPT_SHOW_LOG_TEMP_FILES, L"Show detailed log of &Temporary Internet Files"},
        {IDC_OPT_SHOW_LOG_RECYCLE_BIN, L"Show detailed log of Empty &Recycle Bin"},
        {IDC_OPT_ASK_CLEAR, L"&Ask before deleting the item"},
        {IDC_OPT_AUTO_START, L"A&uto run when the computer starts"},
        {IDC_OPT_START_WASH, L"&Schedule, Auto-Clean at Windows startup"},
        {IDC_OPT_WIPE_FILE, L"Over&write the deleted files,"}};
    LONG lastTop = -1;
    for (const auto& [id, caption] : general) {
        HWND box = GetDlgItem(dialog, id);
        EXPECT_EQ(WindowTextOf(box), caption);
        EXPECT_TRUE(IsWindowVisible(box));
        RECT rect;
        GetWindowRect(box, &rect);
        EXPECT_GT(rect.top, lastTop) << "top to bottom in this order";
        lastTop = rect.top;
    }
    EXPECT_EQ(WindowTextOf(GetDlgItem(dialog, IDC_OPT_WIPE_NUMBER_LABEL)), L"&Number of times");
    HWND passes = GetDlgItem(dialog, IDC_OPT_WIPE_NUMBER);
    ASSERT_EQ(SendMessageW(passes, CB_GETCOUNT, 0, 0), 10);
    for (int i = 0; i < 10; ++i) {
        wchar_t text[8] = L"";
        SendMessageW(passes, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
        EXPECT_EQ(std::wstring(text), std::to_wstring(i + 1));
    }
    // The drives a wipe of free space takes: the sandbox's one, ticked as
    // the drive Windows is on.
    EXPECT_EQ(WindowTextOf(GetDlgItem(dialog, IDC_OPT_WIPE_DRIVES_LABEL)), L"Wipe free space on &drives:");
    HWND drives = GetDlgItem(dialog, IDC_OPT_WIPE_DRIVES);
    ASSERT_EQ(SendMessageW(drives, LVM_GETITEMCOUNT, 0, 0), 1);
    EXPECT_EQ(SendMessageW(drives, LVM_GETITEMSTATE, 0, LVIS_STATEIMAGEMASK), INDEXTOSTATEIMAGEMASK(2));
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(dialog, IDC_OPT_HIDE)));
    EXPECT_EQ(WindowTextOf(GetDlgItem(dialog, IDOK)), L"&OK");
    EXPECT_EQ(WindowTextOf(GetDlgItem(dialog, IDCANCEL)), L"&Cancel");
    EXPECT_TRUE(app.SaveScreenshot(dialog, L"settings-general"));

    // Overwriting turned on explains itself at once: its hint has no delay.
    HWND hint = nullptr;
    WaitUntil([&] {
        for (HWND w = FindWindowExW(nullptr, nullptr, TOOLTIPS_CLASSW, nullptr); w && !hint;
             w = FindWindowExW(nullptr, w, TOOLTIPS_CLASSW, nullptr))
            if (GetWindow(w, GW_OWNER) == dialog) hint = w;
        return hint != nullptr;
    }, 5s);
    ASSERT_TRUE(hint) << "no hint for the overwrite box";
    EXPECT_GT(SendMessageW(hint, TTM_GETDELAYTIME, TTDT_INITIAL, 0), 0);
    SendMessageW(GetDlgItem(dialog, IDC_OPT_WIPE_FILE), BM_CLICK, 0, 0);
    EXPECT_EQ(SendMessageW(hint, TTM_GETDELAYTIME, TTDT_INITIAL, 0), 0);

    ASSERT_TRUE(ToCombinationBox(app, dialog));
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(dialog, IDC_OPT_FAST_SCAN)));
    const auto texts = KlarvexApp::StaticTexts(dialog);
    EXPECT_TRUE(Contains(texts, L"You can set a Boss Key(a keyboard key shortcut) that enables you"));
    EXPECT_TRUE(Contains(texts, L"to quickly hide all web browsers on your system."));
    EXPECT_TRUE(Contains(texts, L"&Enter the Boss Key below (Backspace clears it):"));
    EXPECT_EQ(WindowTextOf(GetDlgItem(dialog, IDC_OPT_BOSS_KEY)), L"Enable &Boss Key");
    EXPECT_EQ(WindowTextOf(GetDlgItem(dialog, IDC_OPT_HIDE)), L"Ctrl  F5") << "the default combination";
    EXPECT_TRUE(app.SaveScreenshot(dialog, L"settings-boss-key"));

    // The language: each in its own words, taken at the next start.
    HWND languages = GetDlgItem(dialog, IDC_OPT_LANGUAGE);
    ClickAt(dialog, app.TabRect(tabs, 2));
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(languages) != FALSE; }, 5s));
    std::vector<std::wstring> names;
    for (int i = 0; i < SendMessageW(languages, CB_GETCOUNT, 0, 0); ++i) {
        wchar_t text[64] = L"";
        SendMessageW(languages, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
        names.push_back(text);
    }
    EXPECT_EQ(names, (std::vector<std::wstring>{L"Windows default", L"English", L"Deutsch", L"Fran\u00E7ais",
                                                L"Espa\u00F1ol"}));
    EXPECT_EQ(SendMessageW(languages, CB_GETCURSEL, 0, 0), 0);
    EXPECT_EQ(WindowTextOf(GetDlgItem(dialog, IDC_OPT_LANGUAGE_NOTE)),
              L"A new language takes effect the next time Klarvex starts.");
    EXPECT_TRUE(app.SaveScreenshot(dialog, L"settings-language"));
    SendMessageW(languages, CB_SETCURSEL, 2, 0);
    EXPECT_TRUE(Ok(dialog));
    EXPECT_EQ(WindowTextOf(app.Control(IDC_TEST)), L"&Test") << "the window keeps its language until it starts again";
    EXPECT_EQ(app.Close(), 0);
    EXPECT_EQ(settings.Read(L"Settings", L"Language"), L"de");
}

// Keys pressed one after another in one opening of the dialog: the box
// shows what the key table makes of each, and typing never adds text.
// (Tab, Esc and Enter alone, and Backspace alone, are the dialog's:
// KeyboardTest.)
TEST_F(OptionsTest, KeyCaptureShowsEachKeyAsTheTableNamesIt) {
    KlarvexApp app;
    ASSERT_TRUE(app.Main());
    HWND dialog = OpenSettings(app);
    ASSERT_TRUE(dialog);
    ASSERT_TRUE(ToCombinationBox(app, dialog));
    struct Case {
        const wchar_t* keys;
        const wchar_t* shown;
    };
    // With Num Lock on, the key of the keypad's Home is its 7.
    for (const Case& c : {Case{L"ctrl+shift+F12", L"Ctrl  Shift  F12"}, Case{L"ctrl", L"Ctrl  "},
                          Case{L"shift+alt+a", L"Shift  Alt  A"}, Case{L"Delete", L"Del"},
                          Case{L"ctrl+Delete", L"Ctrl  Del"}, Case{L"shift+Insert", L"Shift  Ins"},
                          Case{L"F24", L"F24"}, Case{L"z", L"Z"}, Case{L"7", L"7"}, Case{L"Left", L"LeftArrow"},
                          Case{L"Down", L"DownArrow"}, Case{L"Prior", L"PageUp"}, Case{L"End", L"End"},
                          Case{L"ctrl+Tab", L"Ctrl  Tab"}, Case{L"shift+Return", L"Shift  Enter"},
                          Case{L"shift+Escape", L"Shift  Esc"}, Case{L"space", L"Space"},
                          Case{L"ctrl+BackSpace", L"Ctrl  BackSpace"}, Case{L"alt+F4", L"Alt  F4"},
                          Case{L"Num_Lock", L"Numlock"}, Case{L"KP_Home", L"Num 7"}, Case{L"KP_Multiply", L"*"},
                          Case{L"KP_Subtract", L"-"}, Case{L"Num_Lock", L"Numlock"},
                          Case{L"semicolon", L""}, Case{L"ctrl+semicolon", L""}}) {
        EXPECT_EQ(Capture(dialog, c.keys, c.shown), c.shown) << WideToUtf8(c.keys);
        ASSERT_TRUE(IsWindow(dialog)) << WideToUtf8(c.keys) << " closed the dialog";
    }
    // Nor does the edit box's own editing change the text: selected, it is
    // neither cut nor cleared.
    HWND box = GetDlgItem(dialog, IDC_OPT_HIDE);
    ASSERT_EQ(Capture(dialog, L"ctrl+shift+F12", L"Ctrl  Shift  F12"), L"Ctrl  Shift  F12");
    SendMessageW(box, EM_SETSEL, 0, -1);
    for (UINT message : {WM_CUT, WM_CLEAR, WM_UNDO}) SendMessageW(box, message, 0, 0);
    EXPECT_EQ(WindowTextOf(box), L"Ctrl  Shift  F12");
    EXPECT_TRUE(KlarvexApp::ClickToClose(dialog, IDCANCEL));
    EXPECT_EQ(app.Close(), 0);
}

// What OK stores of a captured combination (the boss key off, so no
// registration gets in the way).
TEST_F(OptionsTest, OkStoresTheCapturedKeyAndTheModifiersShown) {
    struct Case {
        const wchar_t* keys;
        const wchar_t* shown;
        const wchar_t* name;
        const wchar_t* code;
        const wchar_t* ctrl;
        const wchar_t* shift;
        const wchar_t* alt;
    };
    for (const Case& c : {Case{L"ctrl+shift+F12", L"Ctrl  Shift  F12", L"F12", L"123", L"1", L"1", L"0"},
                          Case{L"ctrl", L"Ctrl  ", L"", L"0", L"1", L"0", L"0"},
                          Case{L"Delete", L"Del", L"Del", L"46", L"0", L"0", L"0"},
                          Case{L"alt+Home", L"Alt  Home", L"Home", L"36", L"0", L"0", L"1"}}) {
        SCOPED_TRACE(WideToUtf8(c.keys));
        settings.Write("[Hotkey]\r\nEnableHotkey=0\r\n");
        KlarvexApp app;
        ASSERT_TRUE(app.Main());
        HWND dialog = OpenSettings(app);
        ASSERT_TRUE(dialog);
        ASSERT_TRUE(ToCombinationBox(app, dialog));
        EXPECT_EQ(Capture(dialog, c.keys, c.shown), c.shown);
        ASSERT_TRUE(Ok(dialog));
        EXPECT_EQ(settings.Read(L"Hotkey", L"CharString"), c.name);
        EXPECT_EQ(settings.Read(L"Hotkey", L"CharAscII"), c.code);
        EXPECT_EQ(settings.Read(L"Hotkey", L"IsCtrl"), c.ctrl);
        EXPECT_EQ(settings.Read(L"Hotkey", L"IsShift"), c.shift);
        EXPECT_EQ(settings.Read(L"Hotkey", L"IsAlt"), c.alt);
        HWND again = OpenSettings(app);
        ASSERT_TRUE(again);
        EXPECT_EQ(WindowTextOf(GetDlgItem(again, IDC_OPT_HIDE)), c.shown) << "the next opening shows it";
        EXPECT_TRUE(KlarvexApp::CloseAndWait(again));
        EXPECT_EQ(app.Close(), 0);
    }
}

// With the boss key on, a combination without a key cannot be taken:
// neither an empty box (a key outside the table) nor modifiers alone.
TEST_F(OptionsTest, ACombinationWithoutAKeyIsRefusedAndTheDialogStaysOpen) {
    for (const auto& keys : {std::pair<std::wstring, std::wstring>{L"semicolon", L""}, {L"ctrl", L"Ctrl  "}}) {
        SCOPED_TRACE(WideToUtf8(keys.first));
        const std::string file = "[Hotkey]\r\nEnableHotkey=0\r\n";
        settings.Write(file);
        KlarvexApp app;
        ASSERT_TRUE(app.Main());
        HWND dialog = OpenSettings(app);
        ASSERT_TRUE(dialog);
        SendMessageW(GetDlgItem(dialog, IDC_OPT_BOSS_KEY), BM_CLICK, 0, 0);
        ASSERT_TRUE(ToCombinationBox(app, dialog));
        EXPECT_EQ(Capture(dialog, keys.first, keys.second), keys.second);
        PostMessageW(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
        HWND box = WaitForBox(app);
        ASSERT_TRUE(box);
        EXPECT_TRUE(Contains(KlarvexApp::StaticTexts(box), L"The hotkey setting cannot be blank."));
        Dismiss(box);
        EXPECT_TRUE(IsWindow(dialog)) << "the dialog stays open";
        EXPECT_TRUE(KlarvexApp::ClickToClose(dialog, IDCANCEL));
        EXPECT_EQ(ReadTextFile(settings.Path()), Utf8ToWide(file)) << "nothing was saved";
        EXPECT_EQ(app.Close(), 0);
        EXPECT_EQ(settings.Read(L"Hotkey", L"EnableHotkey"), L"0");
    }
}

// Another program holds the combination: the trial registration fails,
// the box shows the combination the dialog opened with, and the edited
// copy keeps the key that was good.
TEST_F(OptionsTest, ACombinationAnotherProgramHoldsIsRefused) {
    settings.Write("[Hotkey]\r\nEnableHotkey=0\r\n");
    KlarvexApp app;
    ASSERT_TRUE(app.Main());
    HWND dialog = OpenSettings(app);
    ASSERT_TRUE(dialog);
    SendMessageW(GetDlgItem(dialog, IDC_OPT_BOSS_KEY), BM_CLICK, 0, 0);
    ASSERT_TRUE(ToCombinationBox(app, dialog));
    // Pressed before it is taken: a held combination never reaches the box.
    ASSERT_EQ(Capture(dialog, L"ctrl+alt+k", L"Ctrl  Alt  K"), L"Ctrl  Alt  K");
    const ATOM atom = GlobalAddAtomW(L"KlarvexTestHeldCombination");
    ASSERT_TRUE(RegisterHotKey(nullptr, atom, MOD_CONTROL | MOD_ALT, 'K'));
    PostMessageW(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    HWND box = WaitForBox(app);
    UnregisterHotKey(nullptr, atom);
    GlobalDeleteAtom(atom);
    ASSERT_TRUE(box);
    EXPECT_TRUE(Contains(KlarvexApp::StaticTexts(box), L"The hotkey for Boss Key failed, please try to use other key!"));
    Dismiss(box);
    ASSERT_TRUE(IsWindow(dialog)) << "the dialog stays open";
    EXPECT_EQ(WindowTextOf(GetDlgItem(dialog, IDC_OPT_HIDE)), L"Ctrl  F5");
    EXPECT_EQ(ReadTextFile(settings.Path()), L"[Hotkey]\r\nEnableHotkey=0\r\n") << "nothing saved yet";

    // OK again: the combination is the opening one, and what is stored is
    // the last good key, not the refused one.
    ASSERT_TRUE(Ok(dialog));
    EXPECT_EQ(settings.Read(L"Hotkey", L"EnableHotkey"), L"1");
    EXPECT_EQ(settings.Read(L"Hotkey", L"CharString"), L"F5");
    EXPECT_EQ(settings.Read(L"Hotkey", L"CharAscII"), L"116");
    EXPECT_EQ(settings.Read(L"Hotkey", L"IsCtrl"), L"1");
    EXPECT_EQ(settings.Read(L"Hotkey", L"IsAlt"), L"0");
    EXPECT_EQ(app.Close(), 0);
}

TEST_F(OptionsTest, EveryOptionRoundTripsThroughOkAndCancelChangesNothing) {
    struct Option {
        int id;
        const wchar_t* section;
        const wchar_t* key;
    };
    const Option options[] = {{IDC_OPT_FAST_SCAN, L"Settings", L"FastScan"},
                              {IDC_OPT_SHOW_LOG_TEMP_FILES, L"Settings", L"ShowLogTempInternetFiles"},
                              {IDC_OPT_SHOW_LOG_RECYCLE_BIN, L"Settings", L"ShowLogRecycleBin"},
                              {IDC_OPT_ASK_CLEAR, L"Settings", L"AskForSweep"},
                              {IDC_OPT_WIPE_FILE, L"Settings", L"OverwriteFile"},
                              {IDC_OPT_BOSS_KEY, L"Hotkey", L"EnableHotkey"}};
    KlarvexApp app;
    ASSERT_TRUE(app.Main());
    // Two rounds: every box turned over from the defaults, then back.
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        HWND dialog = OpenSettings(app);
        ASSERT_TRUE(dialog);
        std::vector<bool> wanted;
        for (const Option& option : options) {
            wanted.push_back(!Checked(dialog, option.id));
            SendMessageW(GetDlgItem(dialog, option.id), BM_CLICK, 0, 0);
        }
        const int passes = round == 0 ? 7 : 2;
        SendMessageW(GetDlgItem(dialog, IDC_OPT_WIPE_NUMBER), CB_SETCURSEL, passes - 1, 0);
        ASSERT_TRUE(Ok(dialog));
        for (size_t i = 0; i < std::size(options); ++i)
            EXPECT_EQ(settings.Read(options[i].section, options[i].key), wanted[i] ? L"1" : L"0")
                << WideToUtf8(options[i].key);
        EXPECT_EQ(settings.Read(L"Settings", L"OverwriteNumber"), std::to_wstring(passes));
        EXPECT_EQ(SendMessageW(app.Control(IDC_FAST_MODE), BM_GETCHECK, 0, 0) == BST_CHECKED, wanted[0])
            << "the main window's Fast Mode follows";

        HWND again = OpenSettings(app);
        ASSERT_TRUE(again);
        for (size_t i = 0; i < std::size(options); ++i)
            EXPECT_EQ(Checked(again, options[i].id), wanted[i]) << WideToUtf8(options[i].key);
        EXPECT_EQ(SendMessageW(GetDlgItem(again, IDC_OPT_WIPE_NUMBER), CB_GETCURSEL, 0, 0), passes - 1);

        // Turned over again, then dropped by Cancel or by the close box.
        const std::wstring before = ReadTextFile(settings.Path());
        for (const Option& option : options) SendMessageW(GetDlgItem(again, option.id), BM_CLICK, 0, 0);
        SendMessageW(GetDlgItem(again, IDC_OPT_START_WASH), BM_CLICK, 0, 0);
        if (round == 0) ASSERT_TRUE(KlarvexApp::ClickToClose(again, IDCANCEL));
        else ASSERT_TRUE(KlarvexApp::CloseAndWait(again));
        EXPECT_EQ(ReadTextFile(settings.Path()), before);
        EXPECT_FALSE(RunValueGuard::Exists());
        EXPECT_EQ(SendMessageW(app.Control(IDC_FAST_MODE), BM_GETCHECK, 0, 0) == BST_CHECKED, wanted[0]);
    }
    EXPECT_EQ(app.Close(), 0);
    EXPECT_EQ(settings.Read(L"Settings", L"FastScan"), L"1") << "back to the default";
}

TEST_F(OptionsTest, AutoCleanTurnsTheStartWithWindowsOnAndTheRunValueStartsAnAutomaticClean) {
    settings.Write("[NodeSelected]\r\nSelectedCount=1\r\n1=Windows - Clipboard\r\n[Settings]\r\nAskForSweep=0\r\n");
    {
        KlarvexApp app;
        ASSERT_TRUE(app.Main());
        HWND dialog = OpenSettings(app);
        ASSERT_TRUE(dialog);
        EXPECT_FALSE(Checked(dialog, IDC_OPT_AUTO_START));
        SendMessageW(GetDlgItem(dialog, IDC_OPT_START_WASH), BM_CLICK, 0, 0);
        ASSERT_TRUE(Ok(dialog));
        EXPECT_EQ(RunValueGuard::Data(), ExeDir() + L"Klarvex.exe -Auto");
        EXPECT_EQ(settings.Read(L"SChedule", L"Auto Clean"), L"1");
        HWND again = OpenSettings(app);
        ASSERT_TRUE(again);
        EXPECT_TRUE(Checked(again, IDC_OPT_AUTO_START));
        ASSERT_TRUE(KlarvexApp::CloseAndWait(again));
        EXPECT_EQ(app.Close(), 0);
    }
    // What Windows starts: the program, with -Auto, cleans the ticked items.
    {
        KlarvexApp app(L"-Auto");
        ASSERT_TRUE(app.Main());
        ASSERT_TRUE(WaitUntil([&] { return app.ProgressCaption() == L"Finished!"; }, 60s));
        const auto log = app.LogLines();
        ASSERT_FALSE(log.empty());
        EXPECT_EQ(log.front(), L"Clean: Clearing Windows - Clipboard ...");
        // Both boxes off: the value goes.
        HWND dialog = OpenSettings(app);
        ASSERT_TRUE(dialog);
        SendMessageW(GetDlgItem(dialog, IDC_OPT_START_WASH), BM_CLICK, 0, 0);
        SendMessageW(GetDlgItem(dialog, IDC_OPT_AUTO_START), BM_CLICK, 0, 0);
        ASSERT_TRUE(Ok(dialog));
        EXPECT_FALSE(RunValueGuard::Exists());
        HWND again = OpenSettings(app);
        ASSERT_TRUE(again);
        EXPECT_FALSE(Checked(again, IDC_OPT_AUTO_START));
        ASSERT_TRUE(KlarvexApp::CloseAndWait(again));
        EXPECT_EQ(app.Close(), 0);
    }
}

TEST_F(OptionsTest, TheStartWithWindowsIsOnOnlyWhenTheRunValueAsksForTheAutomaticClean) {
    KlarvexApp app;
    ASSERT_TRUE(app.Main());
    for (const auto& [data, checked] : {std::pair{L"C:\\Klarvex\\Klarvex.exe", false},
                                        std::pair{L"C:\\Klarvex\\Klarvex.exe -auto", false},
                                        std::pair{L"\"C:\\Other place\\Klarvex.exe\" -Auto", true}}) {
        SetString(kRunKeyPath, kRunValue, data);
        HWND dialog = OpenSettings(app);
        ASSERT_TRUE(dialog);
        EXPECT_EQ(Checked(dialog, IDC_OPT_AUTO_START), checked) << WideToUtf8(data);
        ASSERT_TRUE(KlarvexApp::CloseAndWait(dialog));
        EXPECT_EQ(RunValueGuard::Data(), data) << "only OK writes the value";
    }
    EXPECT_EQ(app.Close(), 0);
}

// The Run value cannot be written: the error is shown, the dialog stays
// open, and nothing of the dialog's changes is taken over or saved.
TEST_F(OptionsTest, AFailedRunValueWriteKeepsTheDialogOpenAndTheSettingsAsTheyWere) {
    settings.Write("[Settings]\r\nFastScan=1\r\n");
    KlarvexApp app;
    ASSERT_TRUE(app.Main());
    HWND dialog = OpenSettings(app);
    ASSERT_TRUE(dialog);
    SendMessageW(GetDlgItem(dialog, IDC_OPT_FAST_SCAN), BM_CLICK, 0, 0);
    SendMessageW(GetDlgItem(dialog, IDC_OPT_AUTO_START), BM_CLICK, 0, 0);
    {
        ReadOnlyRunKey readOnly;
        ASSERT_TRUE(readOnly.Applied());
        PostMessageW(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
        HWND box = WaitForBox(app);
        ASSERT_TRUE(box);
        EXPECT_TRUE(Contains(KlarvexApp::StaticTexts(box), L"Failed to set data for 'Klarvex'"));
        Dismiss(box);
    }
    ASSERT_TRUE(IsWindow(dialog));
    EXPECT_EQ(ReadTextFile(settings.Path()), L"[Settings]\r\nFastScan=1\r\n") << "settings.ini is not saved";
    EXPECT_FALSE(RunValueGuard::Exists());
    ASSERT_TRUE(KlarvexApp::ClickToClose(dialog, IDCANCEL));
    EXPECT_EQ(SendMessageW(app.Control(IDC_FAST_MODE), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(app.Close(), 0);
    EXPECT_EQ(settings.Read(L"Settings", L"FastScan"), L"1") << "the failed OK took nothing over";
}

}  // namespace
}  // namespace klarvex::testing
