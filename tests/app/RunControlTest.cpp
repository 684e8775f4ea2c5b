// The run control without a window: the faults here are the ones that need
// exact timing to reach through the real window (messages of a cancelled
// run arriving late, counts beyond the counting pass, silent starts that
// cannot run).

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "app/RunControl.h"
#include "cleaners/CleanerTable.h"
#include "cleaners/RunningBrowsers.h"
#include "settings/Global.h"

namespace klarvex {
namespace {

constexpr COLORREF kText = RGB(0, 0, 0);
constexpr COLORREF kBack = RGB(255, 255, 255);

class FakeView : public IRunView {
public:
    std::vector<std::wstring> ticked{L"Windows - Clipboard"};
    std::set<std::wstring> openPrograms;  // browsers open, by program
    bool confirmAnswer = true;
    bool runnerStarts = true;

    std::vector<std::wstring> infos;
    int confirmations = 0;
    bool cancelCaption = false;
    int32_t position = -1;
    std::wstring caption;
    bool captionVisible = false;
    std::wstring totalLabel;
    int32_t number = -1;
    std::wstring status;
    COLORREF textColor = kText;
    int logClears = 0;
    int logFinishes = 0;
    struct Start {
        RunKind kind;
        std::vector<std::wstring> names;
        uint32_t generation;
        bool fastScan;
        bool automatic;
        TClearTaskThread::CleanerTable table;
    };
    std::vector<Start> starts;
    int terminations = 0;
    bool timerOn = false;
    int cleanStartsPosted = 0;
    int autoRunsPosted = 0;
    bool hidden = false;
    int closes = 0;
    int resultsShown = 0;
    bool refusalInResults = false;
    std::vector<std::pair<TaskbarState, int32_t>> taskbar;

    std::vector<std::wstring> CollectTickedItems() const override { return ticked; }
    bool BrowserOpen(const KnownBrowser& browser) const override {
        return std::any_of(browser.programs.begin(), browser.programs.end(),
                           [&](const wchar_t* program) { return openPrograms.count(program) > 0; });
    }
    void ShowInfo(const std::wstring& text) override { infos.push_back(text); }
    bool ConfirmClean() override {
        ++confirmations;
        return confirmAnswer;
    }
    void SetTestButtonCancel(bool cancel) override { cancelCaption = cancel; }
    void ShowProgressControls() override {}
    void ShowProgress(int32_t p, const std::wstring& c, bool visible) override {
        position = p;
        caption = c;
        captionVisible = visible;
    }
    void ShowResults() override { ++resultsShown; }
    bool ResultsTellRefusal() const override { return refusalInResults; }
    void ShowTaskbarProgress(TaskbarState state, int32_t position) override { taskbar.push_back({state, position}); }
    void SetTotalLabel(const std::wstring& text) override { totalLabel = text; }
    void SetNumber(int32_t count) override { number = count; }
    void SetStatus(const std::wstring& text) override { status = text; }
    COLORREF LogTextColor() const override { return textColor; }
    COLORREF LogBackColor() const override { return kBack; }
    void SetLogTextColor(COLORREF color) override { textColor = color; }
    void ClearLog() override { ++logClears; }
    void FinishLog() override { ++logFinishes; }
    bool StartRunner(RunKind kind, const std::vector<std::wstring>& names, uint32_t generation, bool automatic,
                     TClearTaskThread::CleanerTable table) override {
        if (!runnerStarts) return false;
        starts.push_back({kind, names, generation, Settings.FastScan, automatic, table});
        return true;
    }
    void TerminateRunner() override { ++terminations; }
    void SetTimer(bool on) override { timerOn = on; }
    void PostCleanStart() override { ++cleanStartsPosted; }
    void PostAutoRun() override { ++autoRunsPosted; }
    void HideWindow() override { hidden = true; }
    void CloseWindow() override { ++closes; }
};

class RunControlTest : public ::testing::Test {
protected:
    void SetUp() override {
        Settings.AskForSweep = false;
        Settings.FastScan = false;
    }
    uint32_t LastGeneration() const { return view.starts.back().generation; }
    // Clean through its counting pass up to the start of the removal run.
    void CleanUpToRemoval(int32_t countedTotal) {
        control.CleanClick();
        control.OnDone(countedTotal, LastGeneration());
        control.OnCleanStart();
    }

    FakeView view;
    TRunControl control{view};
};

TEST_F(RunControlTest, CleanCountsInvisiblyInFastModeThenRemovesWithTheUsersSettings) {
    control.CleanClick();
    ASSERT_EQ(view.starts.size(), 1u);
    EXPECT_EQ(view.starts[0].kind, RunKind::Test);
    EXPECT_TRUE(view.starts[0].fastScan);
    EXPECT_EQ(view.textColor, kBack);
    EXPECT_EQ(view.caption, L"Prepare to clean...");
    EXPECT_TRUE(view.captionVisible);
    EXPECT_EQ(view.status, L"Prepare to clean...") << "what the bar paints is also plain text";
    EXPECT_FALSE(view.timerOn) << "nothing moves the bar while counting";

    control.OnProgress(7, LastGeneration());
    EXPECT_EQ(view.caption, L"Prepare to clean...");
    control.OnDone(40, LastGeneration());
    EXPECT_EQ(control.PreCountTotal(), 40);
    EXPECT_EQ(view.cleanStartsPosted, 1);
    EXPECT_TRUE(control.Running());

    control.OnCleanStart();
    ASSERT_EQ(view.starts.size(), 2u);
    EXPECT_EQ(view.starts[1].kind, RunKind::Clean);
    EXPECT_FALSE(view.starts[1].fastScan);
    EXPECT_FALSE(view.starts[0].automatic || view.starts[1].automatic);
    EXPECT_EQ(view.textColor, kText);
    EXPECT_EQ(view.totalLabel, L"Total items to be removed: ");
    EXPECT_EQ(view.caption, L"0%");
    EXPECT_TRUE(view.captionVisible);

    control.OnProgress(10, LastGeneration());
    EXPECT_EQ(view.position, 250);
    EXPECT_EQ(view.caption, L"25%");
    EXPECT_EQ(view.status, L"25%");
    control.OnDone(40, LastGeneration());
    EXPECT_FALSE(control.Running());
    EXPECT_EQ(view.position, 1000);
    EXPECT_EQ(view.caption, L"Finished!");
    EXPECT_EQ(view.status, L"Finished! Total items to be removed: 40");
    EXPECT_EQ(view.number, 40);
    EXPECT_FALSE(view.cancelCaption);
}

// A shred was asked about by the window: it is counted and run as a Clean
// of the paths, never of the ticked items, with no second question and no
// browser check; the next Clean is of the ticked items again.
TEST_F(RunControlTest, AShredIsACleanOfThePathsAndLeavesTheNextCleanToTheTree) {
    view.openPrograms.insert(L"firefox.exe");
    const std::vector<std::wstring> paths{L"D:\\secret.txt", L"D:\\folder"};
    control.Shred(paths);
    control.OnDone(3, LastGeneration());
    control.OnCleanStart();
    ASSERT_EQ(view.starts.size(), 2u);
    for (const auto& start : view.starts) {
        EXPECT_EQ(start.names, paths);
        EXPECT_EQ(start.table, &ShredderFor);
    }
    EXPECT_EQ(view.starts[1].kind, RunKind::Clean);
    EXPECT_EQ(view.confirmations, 0);
    EXPECT_TRUE(view.infos.empty());
    control.OnDone(3, LastGeneration());
    view.openPrograms.clear();
    CleanUpToRemoval(1);
    EXPECT_EQ(view.starts.back().names, view.ticked);
    EXPECT_EQ(view.starts.back().table, &CleanerFor);
}

TEST_F(RunControlTest, ProgressShareNeverLeavesTheBar) {
    CleanUpToRemoval(40);
    control.OnProgress(55, LastGeneration());
    EXPECT_EQ(view.position, 1000) << "more found than counted keeps the bar full";
    control.OnProgress(3000000, LastGeneration());
    EXPECT_EQ(view.position, 1000) << "count x 1000 must not wrap round";
    EXPECT_EQ(view.number, 3000000);
}

TEST_F(RunControlTest, MessagesOfACancelledRunDoNotReachTheNextRun) {
    control.TestClick();
    const uint32_t cancelled = LastGeneration();
    control.TestClick();  // Cancel
    EXPECT_EQ(view.terminations, 1);
    EXPECT_FALSE(control.Running());

    control.TestClick();
    ASSERT_EQ(view.starts.size(), 2u);
    EXPECT_NE(LastGeneration(), cancelled);
    control.OnProgress(99, cancelled);
    EXPECT_EQ(view.number, 0);
    control.OnDone(99, cancelled);
    EXPECT_TRUE(control.Running()) << "a late end of the cancelled run ends nothing";
    EXPECT_EQ(view.caption, L"0%");
    control.OnDone(3, LastGeneration());
    EXPECT_FALSE(control.Running());
}

// The log shows a run's lines until the next run starts: a cancelled run
// finishes its item there, and no run writes into a later run's log.
TEST_F(RunControlTest, TheLogBelongsToTheLatestRunEvenWhenCancelled) {
    struct Case {
        const char* name;
        void (*steps)(TRunControl&, FakeView&);
        bool earlierOwnsLog;  // the first run's lines still reach the log
        bool earlierIsCurrent;
    };
    const Case cases[] = {
        {"running", [](TRunControl&, FakeView&) {}, true, true},
        {"cancelled", [](TRunControl& c, FakeView&) { c.TestClick(); }, true, false},
        {"cancelled, then a refused start",
         [](TRunControl& c, FakeView& v) {
             c.TestClick();
             v.ticked.clear();
             c.TestClick();
         },
         true, false},
        {"cancelled, then a new run",
         [](TRunControl& c, FakeView&) {
             c.TestClick();
             c.TestClick();
         },
         false, false},
        {"finished, then a new run",
         [](TRunControl& c, FakeView& v) {
             c.OnDone(1, v.starts.back().generation);
             c.TestClick();
         },
         false, false},
    };
    for (const auto& test : cases) {
        FakeView caseView;
        TRunControl caseControl{caseView};
        caseControl.TestClick();
        const uint32_t earlier = caseView.starts.back().generation;
        test.steps(caseControl, caseView);
        EXPECT_EQ(caseControl.OwnsLog(earlier), test.earlierOwnsLog) << test.name;
        EXPECT_EQ(caseControl.IsCurrentRun(earlier), test.earlierIsCurrent) << test.name;
        EXPECT_TRUE(caseControl.OwnsLog(caseView.starts.back().generation)) << test.name;
    }
    EXPECT_FALSE(control.OwnsLog(0)) << "nothing is run 0";

    // The counting pass hands the log to the removal run.
    CleanUpToRemoval(5);
    ASSERT_EQ(view.starts.size(), 2u);
    EXPECT_FALSE(control.OwnsLog(view.starts[0].generation));
    EXPECT_TRUE(control.OwnsLog(view.starts[1].generation));
}

TEST_F(RunControlTest, CancelBetweenCountingPassAndRemovalRemovesNothing) {
    control.CleanClick();
    control.OnDone(5, LastGeneration());
    control.TestClick();  // Cancel, with WM_CLEAN_START on its way
    EXPECT_EQ(view.textColor, kText);
    EXPECT_FALSE(Settings.FastScan);

    control.CleanClick();  // a new Clean counts again...
    control.OnCleanStart();  // ...and the old message must not start its removal
    ASSERT_EQ(view.starts.size(), 2u);
    EXPECT_EQ(view.starts[1].kind, RunKind::Test);
    EXPECT_EQ(view.caption, L"Prepare to clean...");
}

TEST_F(RunControlTest, CancelDuringCountingPassGivesTheLogAndFastModeBack) {
    Settings.FastScan = false;
    control.CleanClick();
    EXPECT_TRUE(Settings.FastScan);
    control.EscapePressed();  // as the Cancel button
    EXPECT_FALSE(Settings.FastScan);
    EXPECT_EQ(view.textColor, kText);
    EXPECT_FALSE(view.cancelCaption);
    EXPECT_FALSE(view.timerOn);
    EXPECT_EQ(view.status, L"Cancelled");
    control.EscapePressed();
    EXPECT_EQ(view.terminations, 1) << "Esc with no run going does nothing";
}

// The check box clicked while the counting pass forces fast mode: the
// pass stays fast, and the user's choice is what remains afterwards, so
// the check box and the stored setting never disagree.
TEST_F(RunControlTest, FastModeClickedDuringTheCountingPassIsKept) {
    Settings.FastScan = false;
    control.CleanClick();
    control.FastModeClicked(true);
    control.FastModeClicked(false);
    EXPECT_TRUE(Settings.FastScan) << "the counting pass stays in fast mode";
    control.TestClick();  // Cancel
    EXPECT_FALSE(Settings.FastScan);

    control.CleanClick();
    control.FastModeClicked(true);
    control.OnDone(5, LastGeneration());
    control.FastModeClicked(true);  // with WM_CLEAN_START on its way
    control.OnCleanStart();
    EXPECT_TRUE(view.starts.back().fastScan) << "the removal run uses the choice made while counting";
    EXPECT_TRUE(Settings.FastScan);
    control.FastModeClicked(false);
    EXPECT_FALSE(Settings.FastScan) << "outside a counting pass the click acts at once";
}

TEST_F(RunControlTest, BrowserChecksAndConfirmationGuardRemovalButNotTest) {
    view.ticked = {L"Mozilla Firefox - Cookies"};
    view.openPrograms = {L"firefox.exe"};
    Settings.AskForSweep = true;
    control.CleanClick();
    ASSERT_EQ(view.infos.size(), 1u);
    EXPECT_EQ(view.infos[0], L"Please close Mozilla Firefox firstly!");
    EXPECT_TRUE(view.starts.empty());
    EXPECT_EQ(view.confirmations, 0);

    control.TestClick();
    EXPECT_EQ(view.starts.size(), 1u) << "a Test neither checks browsers nor asks";
    EXPECT_EQ(view.confirmations, 0);
    control.OnDone(0, LastGeneration());

    view.ticked = {L"Google Chrome - Cookies"};
    view.openPrograms = {L"chrome.exe"};
    control.AutoRun();
    EXPECT_EQ(view.infos.back(), L"Please close Google Chrome firstly!");

    view.openPrograms.clear();
    view.confirmAnswer = false;
    control.CleanClick();
    EXPECT_EQ(view.confirmations, 1);
    EXPECT_FALSE(control.Running());
    EXPECT_EQ(view.starts.size(), 1u);
}

// What a run leaves shown when it is over: its results (never for an
// automatic run, nor for a counting pass), and on the taskbar button the
// run's course, then nothing, or red for a refusal or a break.
TEST_F(RunControlTest, AnEndedRunShowsItsResultsAndTheTaskbarButtonFollowsItsCourse) {
    using T = TaskbarState;
    struct Rig {
        FakeView view;
        TRunControl control{view};
        uint32_t Last() const { return view.starts.back().generation; }
    };
    struct Case {
        const char* name;
        void (*steps)(Rig&);
        int resultsShown;
        std::vector<std::pair<TaskbarState, int32_t>> taskbar;
    };
    const Case cases[] = {
        {"a Test",
         [](Rig& r) {
             r.control.TestClick();
             r.control.OnDone(3, r.Last());
         },
         1, {{T::Moving, 0}, {T::None, 1000}}},
        {"a Clean with a refused item",
         [](Rig& r) {
             r.control.CleanClick();
             r.control.OnDone(40, r.Last());
             r.control.OnCleanStart();
             r.control.OnProgress(10, r.Last());
             r.view.refusalInResults = true;
             r.control.OnDone(40, r.Last());
         },
         1, {{T::Moving, 0}, {T::Normal, 0}, {T::Normal, 250}, {T::Error, 1000}}},
        {"a Clean refused while the browser is open",
         [](Rig& r) {
             r.view.ticked = {L"Google Chrome - Cookies"};
             r.view.openPrograms = {L"chrome.exe"};
             r.control.CleanClick();
         },
         0, {{T::Error, 1000}}},
        {"a Test broken off, then cancelled",
         [](Rig& r) {
             r.control.TestClick();
             r.control.OnRunBrokenOff(r.Last());
             r.control.TestClick();
         },
         2, {{T::Moving, 0}, {T::Error, 1000}}},
        {"a Test cancelled",
         [](Rig& r) {
             r.control.TestClick();
             r.control.TestClick();
         },
         1, {{T::Moving, 0}, {T::None, 1000}}},
        {"a counting pass cancelled",
         [](Rig& r) {
             r.control.CleanClick();
             r.control.TestClick();
         },
         0, {{T::Moving, 0}, {T::None, 1000}}},
        {"-Auto",
         [](Rig& r) {
             r.control.ApplyStartSwitch(ParseStartSwitch(L"-Auto"), true);
             r.control.AutoRun();
             r.control.OnDone(1, r.Last());
         },
         0, {}},
    };
    for (const Case& c : cases) {
        SetUp();
        Rig rig;
        c.steps(rig);
        EXPECT_EQ(rig.view.resultsShown, c.resultsShown) << c.name;
        EXPECT_EQ(rig.view.taskbar, c.taskbar) << c.name;
    }
}

TEST_F(RunControlTest, StartSwitches) {
    EXPECT_TRUE(ParseStartSwitch(L"-Auto").autoClean);
    EXPECT_FALSE(ParseStartSwitch(L"-auto").autoClean);
    EXPECT_FALSE(ParseStartSwitch(L"-AUTO").autoClean);
    EXPECT_TRUE(ParseStartSwitch(L"/S").silent);
    EXPECT_TRUE(ParseStartSwitch(L"/s").silent);
    EXPECT_FALSE(ParseStartSwitch(L"/silent").silent);

    control.ApplyStartSwitch(ParseStartSwitch(L"-Auto"), false);
    EXPECT_EQ(view.autoRunsPosted, 0) << "-Auto needs the auto-clean setting";
    control.ApplyStartSwitch(ParseStartSwitch(L"-Auto"), true);
    EXPECT_EQ(view.autoRunsPosted, 1);
    EXPECT_FALSE(view.hidden);
}

TEST_F(RunControlTest, SilentStartEndsTheProgramWhateverHappens) {
    control.ApplyStartSwitch(ParseStartSwitch(L"/s"), false);
    EXPECT_TRUE(view.hidden);
    control.AutoRun();
    EXPECT_TRUE(view.timerOn);
    EXPECT_EQ(view.starts[0].kind, RunKind::Clean);
    control.OnDone(2, LastGeneration());
    EXPECT_EQ(view.closes, 1);

    FakeView nothingTicked;
    nothingTicked.ticked.clear();
    TRunControl silent(nothingTicked);
    silent.ApplyStartSwitch(ParseStartSwitch(L"/S"), false);
    silent.AutoRun();
    EXPECT_TRUE(nothingTicked.infos.empty()) << "an automatic run shows no box for an empty list";
    EXPECT_EQ(nothingTicked.closes, 1);

    FakeView refused;
    refused.confirmAnswer = false;
    Settings.AskForSweep = true;
    TRunControl asked(refused);
    asked.ApplyStartSwitch(ParseStartSwitch(L"/s"), false);
    asked.AutoRun();
    EXPECT_EQ(refused.confirmations, 1);
    EXPECT_EQ(refused.closes, 1);

    FakeView broken;
    TRunControl brokenOff(broken);
    brokenOff.ApplyStartSwitch(ParseStartSwitch(L"/s"), false);
    brokenOff.AutoRun();
    brokenOff.OnRunBrokenOff(broken.starts.back().generation);
    EXPECT_EQ(broken.closes, 1);
}

TEST_F(RunControlTest, ABrokenOffRunKeepsTheWindowRunningUntilCancel) {
    control.TestClick();
    control.OnRunBrokenOff(LastGeneration());
    EXPECT_TRUE(control.Running());
    EXPECT_TRUE(view.cancelCaption);
    EXPECT_EQ(view.closes, 0);
    control.TestClick();
    EXPECT_FALSE(control.Running());
    EXPECT_FALSE(view.cancelCaption);
}

TEST_F(RunControlTest, AnAutomaticCleanIsOneRemovalRunMarkedAutomatic) {
    view.ticked = {L"Windows - Clipboard"};
    Settings.AskForSweep = false;
    control.AutoRun();
    ASSERT_EQ(view.starts.size(), 1u);
    EXPECT_EQ(view.starts[0].kind, RunKind::Clean);
    EXPECT_TRUE(view.starts[0].automatic) << "an automatic clean shows no notices";
}

TEST_F(RunControlTest, AutoRunAndMenuCommandsLeaveARunningRunAlone) {
    control.CleanClick();
    control.AutoRun();
    control.MenuTest();
    control.MenuClean();
    EXPECT_EQ(view.starts.size(), 1u);
    EXPECT_EQ(control.RunMode(), rmTest);
    EXPECT_TRUE(view.cancelCaption) << "the menu's Test never cancels";
}

TEST_F(RunControlTest, TestTimerWrapsAndARunnerThatCannotStartLeavesTheWindowIdle) {
    control.TestClick();
    EXPECT_TRUE(view.timerOn);
    EXPECT_FALSE(view.captionVisible);
    for (int i = 0; i < 19; ++i) control.OnTimer();
    EXPECT_EQ(view.position, 950);
    control.OnTimer();
    EXPECT_EQ(view.position, 0);
    control.OnDone(0, LastGeneration());

    view.runnerStarts = false;
    control.CleanClick();
    EXPECT_FALSE(control.Running());
    EXPECT_FALSE(view.cancelCaption);
    EXPECT_EQ(view.textColor, kText);
    EXPECT_FALSE(Settings.FastScan);
}

}  // namespace
}  // namespace klarvex
