// The boss key of the real Klarvex.exe, pressed on the virtual display,
// against another program's top-level windows of the browsers' classes and
// of two classes that only look like them.

#include <gtest/gtest.h>

#include <algorithm>
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
const std::vector<std::wstring> kBrowsers = {L"IEFrame", L"NS_AE_WindowClass", L"MozillaWindowClass",
                                             L"MozillaUIWindowClass", L"OpWindow"};
const std::vector<std::wstring> kLookAlikes = {L"IEFrame2", L"iframe"};

class BossKeyTest : public ::testing::Test {
protected:
    ProgramFileGuard settings;

    void SetUp() override {
        ASSERT_TRUE(XdotoolInstalled()) << "xdotool is missing (scripts/setup.sh installs it)";
        ASSERT_EQ(GlobalFindAtomW(kAtomName), 0) << "an earlier program left the boss key's atom";
    }

    static std::wstring HolderCommand() {
        std::wstring command = L"\"" + ExeDir() + L"klarvex-window-holder.exe\"";
        for (const auto& name : kBrowsers) command += L" " + name;
        for (const auto& name : kLookAlikes) command += L" " + name;
        return command;
    }
    static bool AllVisible(const std::vector<std::wstring>& classes, bool visible) {
        for (const auto& name : classes) {
            HWND window = FindWindowW(name.c_str(), nullptr);
            if (!window || (IsWindowVisible(window) != FALSE) != visible) return false;
        }
        return true;
    }
    static bool BrowsersShown(bool shown) { return WaitUntil([&] { return AllVisible(kBrowsers, shown); }, 10s); }
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

TEST_F(BossKeyTest, EachPressFlipsTheBrowsersAndClosingShowsThemAgain) {
    settings.Write("[Hotkey]\r\nEnableHotkey=1\r\n");
    HolderProcess holder(HolderCommand());
    ASSERT_TRUE(holder.Holding());
    ASSERT_TRUE(AllVisible(kBrowsers, true) && AllVisible(kLookAlikes, true));
    {
        KlarvexApp app;
        ASSERT_TRUE(app.Main());
        EXPECT_NE(GlobalFindAtomW(kAtomName), 0);
        PressKeys(app.Main(), L"ctrl+F5");
        ASSERT_TRUE(BrowsersShown(false)) << "the first press hides the five";
        EXPECT_TRUE(AllVisible(kLookAlikes, true)) << "other classes are never touched";
        PressKeys(app.Main(), L"ctrl+F5");
        ASSERT_TRUE(BrowsersShown(true)) << "the second shows them";
        PressKeys(app.Main(), L"ctrl+F5");
        ASSERT_TRUE(BrowsersShown(false));
        EXPECT_TRUE(AllVisible(kLookAlikes, true));
        EXPECT_EQ(app.Close(), 0);
    }
    EXPECT_TRUE(AllVisible(kBrowsers, true)) << "closed after an odd number of presses, the program shows them";
    EXPECT_TRUE(AllVisible(kLookAlikes, true));
    EXPECT_EQ(GlobalFindAtomW(kAtomName), 0) << "the closing program released its key";
}

// Off at the start: no key and no atom, until the settings dialog turns it
// on, which takes effect at once.
TEST_F(BossKeyTest, OffAtTheStartThereIsNoKeyUntilTheSettingsTurnItOn) {
    HolderProcess holder(HolderCommand());
    ASSERT_TRUE(holder.Holding());
    KlarvexApp app;
    ASSERT_TRUE(app.Main());
    EXPECT_EQ(GlobalFindAtomW(kAtomName), 0);
    PressKeys(app.Main(), L"ctrl+F5");
    EXPECT_FALSE(BrowsersShown(false)) << "no boss key, nothing hidden";

    ASSERT_TRUE(FlipInTheSettings(app, IDC_OPT_BOSS_KEY));
    EXPECT_NE(GlobalFindAtomW(kAtomName), 0);
    PressKeys(app.Main(), L"ctrl+F5");
    EXPECT_TRUE(BrowsersShown(false));
    EXPECT_TRUE(AllVisible(kLookAlikes, true));
    EXPECT_EQ(app.Close(), 0);
    EXPECT_TRUE(AllVisible(kBrowsers, true));
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
