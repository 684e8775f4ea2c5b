// The real Klarvex.exe, driven through its window as a user would drive it.
// Every run here is over items whose traces in the sandbox prefix are the
// prefix's own (the clipboard, an absent Opera).

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <thread>
#include <vector>

#include "app/AboutRes.h"
#include "app/MainRes.h"
#include "base/Strings.h"
#include "dialogs/AskDeleteRes.h"
#include "platform/SystemLookups.h"
#include "support/GuiDriver.h"
#include "support/Process.h"

namespace klarvex::testing {
namespace {

using testing::kLogSeparator;


bool Contains(const std::vector<std::wstring>& lines, const std::wstring& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

bool AnyStartsWith(const std::vector<std::wstring>& lines, const std::wstring& prefix) {
    return std::any_of(lines.begin(), lines.end(), [&](const std::wstring& l) { return l.rfind(prefix, 0) == 0; });
}

// Every item of the catalogue, ticked: a run long enough to be caught
// while it runs.
std::string AllItemsTicked(const std::string& extra) {
    const ProcessResult list = RunProgram(L"klarvex-cli.exe", {L"--list"});
    std::vector<std::string> names;
    for (const auto& name : list.out)
        if (!name.empty()) names.push_back(std::string(name.begin(), name.end()));
    return TickedSettings(names, extra);
}

class MainWindowTest : public ::testing::Test {
protected:
    ProgramFileGuard settings;
    ProgramFileGuard winapp2{L"Winapp2.ini"};

    static bool Finished(KlarvexApp& app) { return app.ProgressCaption() == L"Finished!"; }

    static HWND WaitForBox(KlarvexApp& app) { return app.WaitForWindow(L"#32770", L"Klarvex"); }
};

TEST_F(MainWindowTest, TicksThroughTheTreeAndRunsATest) {
    settings.Write("[Settings]\r\nFastScan=1\r\n");
    KlarvexApp app;
    ASSERT_TRUE(app.Main());
    EXPECT_EQ(WindowTextOf(app.Main()), L"Klarvex 2.8");
    EXPECT_FALSE(IsWindowVisible(app.Control(IDC_PROGRESS))) << "the progress bar shows only from the first run";

    HTREEITEM clipboard = app.FindNode(L"Windows - Clipboard");
    HTREEITEM windows = app.FindNode(L"Windows");
    HTREEITEM operaCookies = app.FindNode(L"Opera - Cookies");
    ASSERT_TRUE(clipboard && windows && operaCookies);
    EXPECT_EQ(app.TickState(clipboard), 1);

    // By mouse on the check box, and by keyboard on the selected node.
    app.ClickCheckBox(clipboard);
    EXPECT_TRUE(WaitUntil([&] { return app.TickState(clipboard) == 2; }, 5s));
    EXPECT_EQ(app.TickState(windows), 2) << "a ticked item ticks its category";
    EXPECT_EQ(app.TickState(app.FindNode(L"Windows - Start Run")), 1);
    app.PressSpaceOn(operaCookies);
    EXPECT_TRUE(WaitUntil([&] { return app.TickState(operaCookies) == 2; }, 5s));

    SendMessageW(app.Control(IDC_TEST), BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return Finished(app); }, 60s)) << "progress caption: " << std::string(app.ProgressCaption().begin(), app.ProgressCaption().end());
    EXPECT_EQ(WindowTextOf(app.Control(IDC_TEST)), L"&Test");
    EXPECT_EQ(SendMessageW(app.Control(IDC_PROGRESS), PBM_GETPOS, 0, 0), 1000);
    EXPECT_EQ(WindowTextOf(app.Control(IDC_TOTAL_ITEMS)), L"Total items will be removed: ");

    const auto log = app.LogLines();
    ASSERT_GE(log.size(), 9u);
    EXPECT_EQ(log.front(), L"Test: Clearing Windows - Clipboard ...");
    EXPECT_TRUE(Contains(log, L"Test: Clearing Opera - Cookies ..."));
    EXPECT_TRUE(Contains(log, L"0 items will be removed; 0 KB will be removed."));
    EXPECT_EQ(log[log.size() - 1], kLogSeparator);
    EXPECT_EQ(log[log.size() - 2].rfind(L"Total items will be removed = ", 0), 0u);
    EXPECT_TRUE(app.SaveScreenshot(L"main-after-test"));
    EXPECT_TRUE(app.FindNode(L"Windows Explorer - Activity History")) << "the last category ends the tree";

    // The ticks cannot change while nothing runs... but they can now.
    app.PressSpaceOn(windows);
    EXPECT_TRUE(WaitUntil([&] { return app.TickState(clipboard) == 1; }, 5s)) << "unticking a category unticks its items";
    EXPECT_EQ(app.Close(), 0);
}

TEST_F(MainWindowTest, RefusesToRunWithNothingTicked) {
    KlarvexApp app;
    ASSERT_TRUE(app.Main());
    for (int button : {IDC_CLEAN, IDC_TEST}) {
        PostMessageW(app.Control(button), BM_CLICK, 0, 0);
        HWND box = WaitForBox(app);
        ASSERT_TRUE(box);
        const auto texts = KlarvexApp::StaticTexts(box);
        EXPECT_TRUE(Contains(texts, L"Please select items you want to clear from the left list firstly."));
        EXPECT_TRUE(KlarvexApp::ClickToClose(box, IDOK));
    }
    EXPECT_EQ(WindowTextOf(app.Control(IDC_TEST)), L"&Test");
    EXPECT_FALSE(IsWindowVisible(app.Control(IDC_PROGRESS)));
    EXPECT_TRUE(app.LogLines().empty());
    EXPECT_EQ(app.Close(), 0);
}

// A browser's own window: a Clean of that browser's items is refused with a
// notice, a Test runs.
TEST_F(MainWindowTest, CleanIsRefusedWhileTheBrowserItCleansIsOpen) {
    struct Case {
        const char* category;  // as the settings store a ticked item: with its category
        const char* item;
        const wchar_t* program;
        const wchar_t* windowClass;
        const wchar_t* message;
    };
    for (const Case& c :
         {Case{"Mozilla Firefox", "Mozilla Firefox - Cookies", L"firefox.exe", L"MozillaWindowClass",
               L"Please close Mozilla Firefox firstly!"},
          Case{"Mozilla Firefox", "Mozilla Firefox - Session", L"firefox.exe", L"MozillaUIWindowClass",
               L"Please close Mozilla Firefox firstly!"},
          Case{"Google Chrome", "Google Chrome - Cookies", L"chrome.exe", L"Chrome_WidgetWin_1",
               L"Please close Google Chrome firstly!"}}) {
        SCOPED_TRACE(c.item);
        settings.Write(TickedSettings({c.category, c.item}, "[Settings]\r\nAskForSweep=0\r\n"));
        ProgramWindows browser(c.program, {c.windowClass});
        ASSERT_TRUE(browser.Holding());
        KlarvexApp app;
        ASSERT_TRUE(app.Main());
        PostMessageW(app.Control(IDC_CLEAN), BM_CLICK, 0, 0);
        HWND box = WaitForBox(app);
        ASSERT_TRUE(box) << "no notice captioned Klarvex";
        EXPECT_TRUE(Contains(KlarvexApp::StaticTexts(box), c.message));
        EXPECT_TRUE(KlarvexApp::ClickToClose(box, IDOK));
        EXPECT_TRUE(app.LogLines().empty()) << "nothing ran";

        PostMessageW(app.Control(IDC_TEST), BM_CLICK, 0, 0);
        EXPECT_TRUE(WaitUntil([&] { return Finished(app); }, 60s)) << "a Test runs";
        EXPECT_EQ(app.Close(), 0);
    }
}

TEST_F(MainWindowTest, CleanAsksThenCountsThenShowsOnlyTheRemovalRun) {
    settings.Write(TickedSettings({"Windows - Clipboard", "Opera - Cookies"},
                                  "[Settings]\r\nAskForSweep=1\r\nFastScan=0\r\n"));
    KlarvexApp app;
    ASSERT_TRUE(app.Main());
    EXPECT_EQ(SendMessageW(app.Control(IDC_FAST_MODE), BM_GETCHECK, 0, 0), BST_UNCHECKED);

    PostMessageW(app.Control(IDC_CLEAN), BM_CLICK, 0, 0);
    HWND ask = app.WaitForWindow(L"#32770", L"Run Klarvex");
    ASSERT_TRUE(ask);
    const auto texts = KlarvexApp::StaticTexts(ask);
    EXPECT_TRUE(Contains(texts, L"This process will permanently delete files from your system."));
    EXPECT_TRUE(Contains(texts, L"Are you sure you wish to proceed?"));
    EXPECT_EQ(WindowTextOf(GetDlgItem(ask, IDC_ASK_DONT_SHOW)), L"&Don't show me this message again");
    EXPECT_TRUE(app.LogLines().empty()) << "nothing runs before the answer";
    PostMessageW(GetDlgItem(ask, IDOK), BM_CLICK, 0, 0);

    ASSERT_TRUE(WaitUntil([&] { return Finished(app); }, 60s));
    const auto log = app.LogLines();
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.front(), L"Clean: Clearing Windows - Clipboard ...");
    EXPECT_FALSE(AnyStartsWith(log, L"Test: ")) << "the counting pass is not part of the log";
    EXPECT_TRUE(AnyStartsWith(log, L"Total items to be removed = "));
    EXPECT_EQ(WindowTextOf(app.Control(IDC_TOTAL_ITEMS)), L"Total items to be removed: ");
    EXPECT_EQ(WindowTextOf(app.Control(IDC_TEST)), L"&Test");
    EXPECT_EQ(app.Close(), 0);
    EXPECT_EQ(settings.Read(L"Settings", L"FastScan"), L"0") << "the counting pass gives fast mode back";
    EXPECT_EQ(settings.Read(L"Settings", L"AskForSweep"), L"1");
}

// The check box turns the question off only with a Yes: a refused Clean
// asks again next time.
TEST_F(MainWindowTest, RefusedConfirmationRunsNothingAndItsCheckBoxTakesEffectOnlyWithOk) {
    settings.Write(TickedSettings({"Windows - Clipboard"}, "[Settings]\r\nAskForSweep=1\r\n"));
    KlarvexApp app;
    ASSERT_TRUE(app.Main());
    PostMessageW(app.Control(IDC_CLEAN), BM_CLICK, 0, 0);
    HWND ask = app.WaitForWindow(L"#32770", L"Run Klarvex");
    ASSERT_TRUE(ask);
    SendMessageW(GetDlgItem(ask, IDC_ASK_DONT_SHOW), BM_CLICK, 0, 0);
    ASSERT_TRUE(KlarvexApp::ClickToClose(ask, IDCANCEL));
    std::this_thread::sleep_for(500ms);
    EXPECT_TRUE(app.LogLines().empty());
    EXPECT_EQ(WindowTextOf(app.Control(IDC_TEST)), L"&Test");

    PostMessageW(app.Control(IDC_CLEAN), BM_CLICK, 0, 0);
    ask = app.WaitForWindow(L"#32770", L"Run Klarvex");
    ASSERT_TRUE(ask) << "Cancel did not turn the question off";
    EXPECT_FALSE(KlarvexApp::Checked(ask, IDC_ASK_DONT_SHOW));
    SendMessageW(GetDlgItem(ask, IDC_ASK_DONT_SHOW), BM_CLICK, 0, 0);
    ASSERT_TRUE(KlarvexApp::ClickToClose(ask, IDOK));
    ASSERT_TRUE(WaitUntil([&] { return Finished(app); }, 60s));
    EXPECT_EQ(WindowTextOf(app.Control(IDC_RUN_STATUS)).rfind(L"Finished! Total items to be removed: ", 0), 0u)
        << "the end of the run as plain text";
    EXPECT_EQ(app.Close(), 0);
    EXPECT_EQ(settings.Read(L"Settings", L"AskForSweep"), L"0");
}

// A cancelled runner finishes the item it is in: the log shows that item's
// lines and its summary, and nothing after it.
TEST_F(MainWindowTest, CancelReturnsToIdleAndTheCancelledRunShowsTheItemItWasIn) {
    settings.Write(AllItemsTicked("[Settings]\r\nFastScan=0\r\n"));
    KlarvexApp app;
    ASSERT_TRUE(app.Main());
    HWND test = app.Control(IDC_TEST);
    SendMessageW(test, BM_CLICK, 0, 0);
    EXPECT_EQ(WindowTextOf(test), L"&Cancel");
    ASSERT_TRUE(WaitUntil([&] { return !app.LogLines().empty(); }, 30s)) << "the first item never started";
    SendMessageW(test, BM_CLICK, 0, 0);
    EXPECT_EQ(WindowTextOf(test), L"&Test");

    auto endsWithAnItemSummary = [](const std::vector<std::wstring>& log) {
        return log.size() >= 4 && log[log.size() - 1].empty() && log[log.size() - 3].empty() &&
               log[log.size() - 2].find(L" items will be removed; ") != std::wstring::npos;
    };
    EXPECT_TRUE(WaitUntil([&] { return endsWithAnItemSummary(app.LogLines()); }, 60s))
        << "the interrupted item's summary is missing";
    std::this_thread::sleep_for(1s);
    const auto log = app.LogLines();
    EXPECT_TRUE(endsWithAnItemSummary(log)) << "nothing follows the interrupted item";
    const auto started = std::count_if(log.begin(), log.end(), [](const std::wstring& l) {
        return l.rfind(L"Test: Clearing ", 0) == 0;
    });
    const auto summed = std::count_if(log.begin(), log.end(), [](const std::wstring& l) {
        return l.find(L" items will be removed; ") != std::wstring::npos;
    });
    EXPECT_EQ(started, summed) << "every item begun is summed up";
    EXPECT_FALSE(AnyStartsWith(log, L"Total items will be removed")) << "a cancelled run writes no run summary";
    EXPECT_NE(app.ProgressCaption(), L"Finished!");

    // The window is idle: a new run goes through to its end.
    SendMessageW(test, BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return Finished(app); }, 120s));
    const auto second = app.LogLines();
    ASSERT_FALSE(second.empty());
    EXPECT_EQ(second.front().rfind(L"Test: Clearing ", 0), 0u);
    EXPECT_EQ(std::count_if(second.begin(), second.end(),
                            [](const std::wstring& l) { return l.rfind(L"Total items will be removed = ", 0) == 0; }),
              1);
    EXPECT_EQ(app.Close(), 0);
}

TEST_F(MainWindowTest, CancelDuringTheCountingPassRestoresFastModeAndRemovesNothing) {
    settings.Write(AllItemsTicked("[Settings]\r\nAskForSweep=0\r\nFastScan=0\r\n"));
    KlarvexApp app;
    ASSERT_TRUE(app.Main());
    HWND test = app.Control(IDC_TEST);
    SendMessageW(app.Control(IDC_CLEAN), BM_CLICK, 0, 0);
    EXPECT_EQ(app.ProgressCaption(), L"Prepare to clean...");
    SendMessageW(test, BM_CLICK, 0, 0);
    EXPECT_EQ(WindowTextOf(test), L"&Test");
    std::this_thread::sleep_for(2s);
    EXPECT_FALSE(AnyStartsWith(app.LogLines(), L"Clean: ")) << "no removal run after a cancelled counting pass";
    EXPECT_EQ(app.Close(), 0);
    EXPECT_EQ(settings.Read(L"Settings", L"FastScan"), L"0");
}

TEST_F(MainWindowTest, ClosingDuringARunEndsTheProgramCleanly) {
    settings.Write(AllItemsTicked("[Settings]\r\nFastScan=0\r\n"));
    KlarvexApp app;
    ASSERT_TRUE(app.Main());
    SendMessageW(app.Control(IDC_TEST), BM_CLICK, 0, 0);
    EXPECT_EQ(app.Close(30s), 0);
    EXPECT_EQ(settings.Read(L"Settings", L"FastScan"), L"0");
}

TEST_F(MainWindowTest, SilentStartCleansHiddenAndEndsByItself) {
    settings.Write(TickedSettings({"Windows - Clipboard", "Opera - Cookies"}, "[Settings]\r\nAskForSweep=0\r\n"));
    KlarvexApp app(L"/S");
    ASSERT_TRUE(app.Started());
    bool everVisible = false;
    const bool ended = WaitUntil([&] {
        HWND main = app.FindWindowOf(L"TfrmMain", L"");
        if (main && IsWindowVisible(main)) everVisible = true;
        return app.WaitForExit(0ms) != -1;
    }, 60s);
    EXPECT_TRUE(ended);
    EXPECT_FALSE(everVisible);
}

TEST_F(MainWindowTest, SilentStartWithNothingTickedEndsByItself) {
    KlarvexApp app(L"/s");
    ASSERT_TRUE(app.Started());
    EXPECT_EQ(app.WaitForExit(30s), 0);
}

TEST_F(MainWindowTest, AutoSwitchCountsOnlyInItsExactLetterCase) {
    const std::string file = TickedSettings({"Windows - Clipboard"}, "[Settings]\r\nAskForSweep=0\r\n[SChedule]\r\nAuto Clean=1\r\n");
    {
        settings.Write(file);
        KlarvexApp app(L"-auto");
        ASSERT_TRUE(app.Main());
        std::this_thread::sleep_for(2s);
        EXPECT_TRUE(app.LogLines().empty());
        EXPECT_EQ(app.Close(), 0);
    }
    {
        settings.Write(file);
        KlarvexApp app(L"-Auto");
        ASSERT_TRUE(app.Main());
        ASSERT_TRUE(WaitUntil([&] { return Finished(app); }, 60s));
        const auto log = app.LogLines();
        ASSERT_FALSE(log.empty());
        EXPECT_EQ(log.front(), L"Clean: Clearing Windows - Clipboard ...");
        EXPECT_TRUE(IsWindowVisible(app.Main())) << "-Auto keeps the program open";
        EXPECT_EQ(app.Close(), 0);
    }
}

TEST_F(MainWindowTest, SettingsAreWrittenOnCloseAndRestoredAtTheNextStart) {
    {
        KlarvexApp app;
        ASSERT_TRUE(app.Main());
        HTREEITEM recent = app.FindNode(L"Windows - Recent Documents");
        ASSERT_TRUE(recent);
        app.PressSpaceOn(recent);
        ASSERT_TRUE(WaitUntil([&] { return app.TickState(recent) == 2; }, 5s));
        SendMessageW(app.Control(IDC_FAST_MODE), BM_CLICK, 0, 0);
        for (const wchar_t* category : {L"Internet Explorer", L"Windows Explorer"})
            SendMessageW(app.Control(IDC_TREE), TVM_EXPAND, TVE_COLLAPSE,
                         reinterpret_cast<LPARAM>(app.FindNode(category)));
        SetWindowPos(app.Main(), nullptr, 100, 80, 700, 520, SWP_NOZORDER | SWP_NOACTIVATE);
        EXPECT_EQ(app.Close(), 0);
    }
    EXPECT_EQ(settings.Read(L"NodeSelected", L"SelectedCount"), L"2");
    EXPECT_EQ(settings.Read(L"NodeSelected", L"1"), L"Windows");
    EXPECT_EQ(settings.Read(L"NodeSelected", L"2"), L"Windows - Recent Documents");
    EXPECT_EQ(settings.Read(L"Settings", L"FastScan"), L"0");
    EXPECT_EQ(settings.Read(L"FirstNodeExpand", L"1"), L"0");
    EXPECT_EQ(settings.Read(L"FirstNodeExpand", L"2"), L"1");
    EXPECT_EQ(settings.Read(L"FirstNodeExpand", L"14"), L"0");
    EXPECT_EQ(settings.Read(L"Window", L"State"), L"1");
    EXPECT_EQ(settings.Read(L"Window", L"Left"), L"100");
    EXPECT_EQ(settings.Read(L"Window", L"Top"), L"80");
    EXPECT_EQ(settings.Read(L"Window", L"Width"), L"700");
    EXPECT_EQ(settings.Read(L"Window", L"Height"), L"520");

    KlarvexApp again;
    ASSERT_TRUE(again.Main());
    EXPECT_EQ(again.TickState(again.FindNode(L"Windows - Recent Documents")), 2);
    EXPECT_EQ(again.TickState(again.FindNode(L"Windows - Start Run")), 1);
    EXPECT_FALSE(again.IsExpanded(again.FindNode(L"Internet Explorer")));
    EXPECT_FALSE(again.IsExpanded(again.FindNode(L"Windows Explorer")));
    EXPECT_TRUE(again.IsExpanded(again.FindNode(L"Windows")));
    EXPECT_EQ(SendMessageW(again.Control(IDC_FAST_MODE), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    RECT rect{};
    ASSERT_TRUE(WaitUntil([&] {
        GetWindowRect(again.Main(), &rect);
        return rect.left == 100;
    }, 5s));
    EXPECT_EQ(rect.top, 80);
    EXPECT_EQ(rect.right - rect.left, 700);
    EXPECT_EQ(rect.bottom - rect.top, 520);
    EXPECT_EQ(again.Close(), 0);
}

// Logging off ends the process without closing the window: the settings
// changed since the start must be stored all the same, even with a run
// going.
TEST_F(MainWindowTest, EndOfTheWindowsSessionStoresTheSettings) {
    settings.Write(AllItemsTicked("[Settings]\r\nFastScan=1\r\n"));
    KlarvexApp app;
    ASSERT_TRUE(app.Main());
    SendMessageW(app.Control(IDC_FAST_MODE), BM_CLICK, 0, 0);
    SendMessageW(app.Control(IDC_TEST), BM_CLICK, 0, 0);
    ASSERT_EQ(WindowTextOf(app.Control(IDC_TEST)), L"&Cancel");
    SendMessageTimeoutW(app.Main(), WM_QUERYENDSESSION, 0, 0, SMTO_NORMAL, 10000, nullptr);
    DWORD_PTR answered = 1;
    ASSERT_TRUE(SendMessageTimeoutW(app.Main(), WM_ENDSESSION, TRUE, 0, SMTO_NORMAL, 30000, &answered));
    EXPECT_EQ(settings.Read(L"Settings", L"FastScan"), L"0");
    UniqueHandle process(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, app.ProcessId()));
    ASSERT_TRUE(process);
    TerminateProcess(process.Get(), 0);  // what Windows does next
    EXPECT_EQ(app.WaitForExit(10s), 0);
}

// The session ends while the runner waits for the user's answer to a
// folder question: the end-of-session handler answers No for him, waits for
// the runner and returns, instead of waiting for a runner that waits for
// the box. (The mask matches nothing, so even a Yes would remove nothing.)
TEST_F(MainWindowTest, EndOfTheWindowsSessionAnswersAnOpenFolderQuestionNo) {
    const std::wstring documents = GetMyDocumentsDir();
    ASSERT_FALSE(documents.empty());
    ProgramFileGuard list(L"Clist.dat");
    list.Write("[<New List>]\r\nDelFile1=" + WideToUtf8(documents) + ",*.klarvex-matches-nothing\r\n");
    settings.Write(TickedSettings({"Custom Lists - <New List>"}, "[Settings]\r\nAskForSweep=0\r\n"));
    KlarvexApp app;
    ASSERT_TRUE(app.Main());
    PostMessageW(app.Control(IDC_CLEAN), BM_CLICK, 0, 0);
    HWND question = WaitForBox(app);
    ASSERT_TRUE(question) << "the folder question never came";
    EXPECT_TRUE(Contains(KlarvexApp::StaticTexts(question), L"Do you want to delete the files on " + documents + L"?"));

    SendMessageTimeoutW(app.Main(), WM_QUERYENDSESSION, 0, 0, SMTO_NORMAL, 10000, nullptr);
    DWORD_PTR answered = 1;
    EXPECT_TRUE(SendMessageTimeoutW(app.Main(), WM_ENDSESSION, TRUE, 0, SMTO_NORMAL, 30000, &answered))
        << "the end of the session waited for the box";
    const auto log = app.LogLines();
    EXPECT_TRUE(Contains(log, L"0 items to be removed; 0 KB to be removed.")) << "the runner ended its item";
    UniqueHandle process(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, app.ProcessId()));
    ASSERT_TRUE(process);
    TerminateProcess(process.Get(), 0);  // what Windows does next
    EXPECT_EQ(app.WaitForExit(10s), 0);
}

TEST_F(MainWindowTest, AWinapp2EntryShowsInTheTreeAndAsksAboutItsWarningBeforeItIsCleaned) {
    ScratchFolder folder;
    MakeFile(folder / L"trace.log", 10);
    const std::string path = WideToUtf8(folder.Path());
    winapp2.Write("[Demo Tool *]\r\nDetectFile=" + path + "\r\nWarning=Takes your logs.\r\nFileKey1=" + path +
                  "|*.log\r\n[Hidden Tool *]\r\nDetect=HKCU\\Software\\NoSuchVendor\r\n");
    settings.Write(TickedSettings({"Applications - Demo Tool"}, "[Settings]\r\nAskForSweep=0\r\n"));
    KlarvexApp app;
    ASSERT_TRUE(app.Main());
    ASSERT_TRUE(app.FindNode(L"Applications - Demo Tool"));
    EXPECT_FALSE(app.FindNode(L"Applications - Hidden Tool"));
    EXPECT_EQ(app.TickState(app.FindNode(L"Applications - Demo Tool")), 2);

    PostMessageW(app.Control(IDC_CLEAN), BM_CLICK, 0, 0);
    HWND question = WaitForBox(app);
    ASSERT_TRUE(question) << "the warning never came";
    const auto texts = KlarvexApp::StaticTexts(question);
    EXPECT_TRUE(std::any_of(texts.begin(), texts.end(), [](const std::wstring& text) {
        return text.find(L"Demo Tool: Takes your logs.") != std::wstring::npos;
    }));
    EXPECT_TRUE(WaitUntil([&] { return KlarvexApp::BoxIcon(question) == IDI_WARNING; }, 3s)) << "a question that removes";
    app.SaveScreenshot(question, L"winapp2-warning");
    EXPECT_TRUE(Exists(folder / L"trace.log")) << "nothing goes before the answer";
    PostMessageW(GetDlgItem(question, IDYES), BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return Finished(app); }, 60s));
    EXPECT_FALSE(Exists(folder / L"trace.log"));
    EXPECT_EQ(app.Close(), 0);
}

// Closed minimised or maximised, the window keeps the bounds it had
// before, in the coordinates it is restored with.
TEST_F(MainWindowTest, ClosedMinimisedOrMaximisedTheWindowKeepsItsNormalBounds) {
    struct Case {
        WPARAM command;
        const wchar_t* state;
        BOOL (*reached)(HWND);
    };
    for (const Case& test : {Case{SC_MINIMIZE, L"2", IsIconic}, Case{SC_MAXIMIZE, L"3", IsZoomed}}) {
        {
            KlarvexApp app;
            ASSERT_TRUE(app.Main());
            SetWindowPos(app.Main(), nullptr, 100, 80, 700, 520, SWP_NOZORDER | SWP_NOACTIVATE);
            SendMessageW(app.Main(), WM_SYSCOMMAND, test.command, 0);
            ASSERT_TRUE(WaitUntil([&] { return test.reached(app.Main()) != FALSE; }, 5s)) << test.state;
            EXPECT_EQ(app.Close(), 0);
        }
        EXPECT_EQ(settings.Read(L"Window", L"State"), test.state);
        EXPECT_EQ(settings.Read(L"Window", L"Left"), L"100") << test.state;
        EXPECT_EQ(settings.Read(L"Window", L"Top"), L"80") << test.state;
        EXPECT_EQ(settings.Read(L"Window", L"Width"), L"700") << test.state;
        EXPECT_EQ(settings.Read(L"Window", L"Height"), L"520") << test.state;
    }
}

TEST_F(MainWindowTest, AboutBoxFromTheHelpMenuShowsTheHomePageAsALink) {
    KlarvexApp app;
    ASSERT_TRUE(app.Main());
    PostMessageW(app.Main(), WM_COMMAND, MAKEWPARAM(IDM_ABOUT, 0), 0);
    HWND about = app.WaitForWindow(L"#32770", L"About Klarvex");
    ASSERT_TRUE(about);
    EXPECT_TRUE(Contains(KlarvexApp::StaticTexts(about), L"Klarvex 2.8"));
    EXPECT_TRUE(app.HasLink(GetDlgItem(about, IDC_ABOUT_HOME))) << "the home page shows as a link, not as markup";
    EXPECT_EQ(WindowTextOf(GetDlgItem(about, IDOK)), L"&OK");
    EXPECT_TRUE(KlarvexApp::ClickToClose(about, IDOK));
    EXPECT_EQ(app.Close(), 0);
}

}  // namespace
}  // namespace klarvex::testing
