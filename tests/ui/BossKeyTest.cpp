// The boss key of the real Klarvex.exe, pressed on the virtual display,
// against the browsers' top-level windows (the window holder copied under
// their programs' names), another program's windows of the same classes,
// and windows of two classes that only look like them.

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "app/MainRes.h"
#include "base/Strings.h"
#include "dialogs/OptionsRes.h"
#include "support/GuiDriver.h"
#include "support/Process.h"

namespace klarvex::testing {
namespace {

constexpr wchar_t kAtomName[] = L"MyQRTZHotkey_Hide";

// Browsers' programs and their windows' classes, of old and of today.
const std::pair<const wchar_t*, std::vector<std::wstring>> kBrowsers[] = {
    {L"iexplore.exe", {L"IEFrame"}},
    {L"firefox.exe", {L"MozillaWindowClass", L"MozillaUIWindowClass"}},
    {L"chrome.exe", {L"Chrome_WidgetWin_1"}},
};
// A program built on the browsers' toolkits, with look-alike classes too.
const std::vector<std::wstring> kOtherClasses = {L"Chrome_WidgetWin_1", L"MozillaWindowClass", L"IEFrame2",
                                                 L"iframe"};

class BossKeyTest : public ::testing::Test {
protected:
    ProgramFileGuard settings;
    std::vector<std::unique_ptr<ProgramWindows>> held;
    std::vector<HWND> browserWindows, otherWindows;

    void SetUp() override {
        ASSERT_TRUE(XdotoolInstalled()) << "xdotool is missing (scripts/setup.sh installs it)";
        ASSERT_EQ(GlobalFindAtomW(kAtomName), 0) << "an earlier program left the boss key's atom";
    }
    void HoldWindows() {
        auto hold = [&](const wchar_t* program, const std::vector<std::wstring>& classes, std::vector<HWND>& into) {
            held.push_back(std::make_unique<ProgramWindows>(program, classes));
            for (const auto& windowClass : classes) into.push_back(held.back()->Window(windowClass));
        };
        for (const auto& [program, classes] : kBrowsers) hold(program, classes, browserWindows);
        hold(L"Code.exe", kOtherClasses, otherWindows);
        ASSERT_TRUE(AllVisible(browserWindows, true) && AllVisible(otherWindows, true));
    }
    static bool AllVisible(const std::vector<HWND>& windows, bool visible) {
        return std::all_of(windows.begin(), windows.end(),
                           [&](HWND window) { return window && (IsWindowVisible(window) != FALSE) == visible; });
    }
    bool BrowsersShown(bool shown, HWND except = nullptr) const {
        std::vector<HWND> windows = browserWindows;
        std::erase(windows, except);
        return WaitUntil([&] { return AllVisible(windows, shown); }, 10s);
    }
    // Opens the settings, flips one check box and leaves them with OK.
    static bool FlipInTheSettings(KlarvexApp& app, int checkBox) {
        PostMessageW(app.Main(), WM_COMMAND, MAKEWPARAM(IDM_SETTINGS, 0), 0);
        HWND dialog = app.WaitForWindow(L"#32770", L"Settings");
        if (!dialog) return false;
        SendMessageW(GetDlgItem(dialog, checkBox), BM_CLICK, 0, 0);
        PostMessageW(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
        return WaitUntil([&] { return !IsWindow(dialog); }, 10s);
    }
};

// A window its browser keeps hidden stays hidden: the second press shows
// only what the first one hid.
TEST_F(BossKeyTest, EachPressFlipsTheBrowsersAndClosingShowsThemAgain) {
    settings.Write("[Hotkey]\r\nEnableHotkey=1\r\n");
    ASSERT_NO_FATAL_FAILURE(HoldWindows());
    const HWND keptHidden = browserWindows[2];  // Firefox's second window
    ShowWindow(keptHidden, SW_HIDE);
    ASSERT_FALSE(IsWindowVisible(keptHidden));
    {
        KlarvexApp app;
        ASSERT_TRUE(app.Main());
        EXPECT_NE(GlobalFindAtomW(kAtomName), 0);
        PressKeys(app.Main(), L"ctrl+F5");
        ASSERT_TRUE(BrowsersShown(false)) << "the first press hides the browsers";
        EXPECT_TRUE(AllVisible(otherWindows, true)) << "other programs' windows are never touched";
        PressKeys(app.Main(), L"ctrl+F5");
        ASSERT_TRUE(BrowsersShown(true, keptHidden)) << "the second shows them";
        EXPECT_FALSE(WaitUntil([&] { return IsWindowVisible(keptHidden) != FALSE; }, 2s))
            << "a window hidden before the first press was shown";
        PressKeys(app.Main(), L"ctrl+F5");
        ASSERT_TRUE(BrowsersShown(false));
        EXPECT_TRUE(AllVisible(otherWindows, true));
        EXPECT_EQ(app.Close(), 0);
    }
    EXPECT_TRUE(BrowsersShown(true, keptHidden)) << "closed after an odd number of presses, the program shows them";
    EXPECT_FALSE(IsWindowVisible(keptHidden));
    EXPECT_TRUE(AllVisible(otherWindows, true));
    EXPECT_EQ(GlobalFindAtomW(kAtomName), 0) << "the closing program released its key";
}

// Off at the start: no key and no atom, until the settings dialog turns it
// on, which takes effect at once.
TEST_F(BossKeyTest, OffAtTheStartThereIsNoKeyUntilTheSettingsTurnItOn) {
    ASSERT_NO_FATAL_FAILURE(HoldWindows());
    KlarvexApp app;
    ASSERT_TRUE(app.Main());
    EXPECT_EQ(GlobalFindAtomW(kAtomName), 0);
    PressKeys(app.Main(), L"ctrl+F5");
    EXPECT_FALSE(BrowsersShown(false)) << "no boss key, nothing hidden";

    ASSERT_TRUE(FlipInTheSettings(app, IDC_OPT_BOSS_KEY));
    EXPECT_NE(GlobalFindAtomW(kAtomName), 0);
    PressKeys(app.Main(), L"ctrl+F5");
    EXPECT_TRUE(BrowsersShown(false));
    EXPECT_TRUE(AllVisible(otherWindows, true));
    EXPECT_EQ(app.Close(), 0);
    EXPECT_TRUE(BrowsersShown(true));
    EXPECT_EQ(settings.Read(L"Hotkey", L"EnableHotkey"), L"1");
}

// Another program holds the combination when Klarvex starts: one message,
// the program runs on, and an OK of the settings that leaves the boss key
// as it was does not try it again.
TEST_F(BossKeyTest, ACombinationHeldElsewhereIsReportedOnceAndNotRetriedByAnUnchangedOk) {
    settings.Write("[Hotkey]\r\nEnableHotkey=1\r\n");
    const ATOM held = GlobalAddAtomW(L"KlarvexTestHeldBossKey");
    ASSERT_TRUE(RegisterHotKey(nullptr, held, MOD_CONTROL, VK_F5));
    KlarvexApp app;
    HWND box = app.WaitForWindow(L"#32770", L"Klarvex", 20s);
    ASSERT_TRUE(box);
    const auto texts = KlarvexApp::StaticTexts(box);
    EXPECT_NE(std::find(texts.begin(), texts.end(), L"The hotkey for Boss Key failed, please try to use other key!"),
              texts.end());
    ASSERT_TRUE(KlarvexApp::ClickToClose(box, IDOK));
    ASSERT_TRUE(app.Main());

    ASSERT_TRUE(FlipInTheSettings(app, IDC_OPT_ASK_CLEAR));
    EXPECT_FALSE(app.WaitForWindow(L"#32770", L"Klarvex", 2s)) << "the unchanged boss key was registered again";
    EXPECT_EQ(settings.Read(L"Settings", L"AskForSweep"), L"0");
    UnregisterHotKey(nullptr, held);
    GlobalDeleteAtom(held);
    EXPECT_EQ(app.Close(), 0);
    EXPECT_EQ(GlobalFindAtomW(kAtomName), 0) << "the atom of the failed registration went at the close";
}

}  // namespace
}  // namespace klarvex::testing
