// The results of a run in the real window: a Test of an application and a
// custom list of known files, and of an absent Opera, read back from the table, sorted, the
// log one click or key away, an item's entries, the CSV file; and the
// window's picture at 100 % and 150 % DPI.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/MainRes.h"
#include "base/Strings.h"
#include "dialogs/ItemDetailsRes.h"
#include "support/GuiDriver.h"

namespace klarvex::testing {
namespace {

using Rows = std::vector<std::wstring>;

const std::wstring kFew = L"Custom Lists | <New List> | 2 | 300 bytes";
const std::wstring kMany = L"Applications | Demo Tool | 3 | 9.8 KB";
const std::wstring kOpera = L"Opera | Cookies | 0 | 0 bytes";

class ResultsViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (auto [name, size] : {std::pair{L"a.tmp", 100}, {L"b.tmp", 200}}) MakeFile(few / name, size);
        for (auto [name, size] : {std::pair{L"c.tmp", 3000}, {L"d.tmp", 5000}, {L"e.tmp", 2000}})
            MakeFile(many / name, size);
        lists.Write("[<New List>]\r\nDelFile1=" + WideToUtf8(few.Path()) + ",*.tmp\r\n");
        const std::string tool = WideToUtf8(many.Path());
        winapp2.Write("[Demo Tool *]\r\nDetectFile=" + tool + "\r\nFileKey1=" + tool + "|*.tmp\r\n");
        settings.Write(TickedSettings({"Opera", "Opera - Cookies", "Applications", "Applications - Demo Tool",
                                       "Custom Lists", "Custom Lists - <New List>"},
                                      "[Settings]\r\nFastScan=0\r\n"));
    }

    // A Test to its end; false when it did not end or left the results
    // out of sight.
    static bool RunTest(KlarvexApp& app) {
        SendMessageW(app.Control(IDC_TEST), BM_CLICK, 0, 0);
        return WaitUntil([&] { return app.ProgressCaption() == L"Finished!"; }, 60s) &&
               WaitUntil([&] { return IsWindowVisible(app.Control(IDC_RESULTS_LIST)) != FALSE; }, 1s);
    }

    ProgramFileGuard settings;
    ProgramFileGuard lists{L"Clist.dat"};
    ProgramFileGuard winapp2{L"Winapp2.ini"};
    ScratchFolder few, many, saved;
};

TEST_F(ResultsViewTest, ATestShowsItsResultsSortedAsAskedWithTheLogAndTheEntriesAtHand) {
    KlarvexApp app;
    ASSERT_TRUE(app.Main());
    HWND list = app.Control(IDC_RESULTS_LIST), log = app.Control(IDC_LOG), tabs = app.Control(IDC_RESULT_TABS);
    EXPECT_TRUE(IsWindowVisible(log)) << "the log shows until a run has ended";
    ASSERT_TRUE(RunTest(app));
    EXPECT_FALSE(IsWindowVisible(log));
    EXPECT_EQ(app.Rows(list), (Rows{kMany, kFew})) << "in the run's order, without what found nothing";
    EXPECT_EQ(WindowTextOf(app.Control(IDC_RESULTS_TOTAL)),
              L"Will be removed: 5 entries, 10 KB in 3 items (1 not shown)");
    EXPECT_EQ(WindowTextOf(app.Control(IDC_RESULTS_CHART)),
              L"Where the space goes\r\nApplications: 9.8 KB\r\nCustom Lists: 300 bytes");
    EXPECT_TRUE(app.SaveScreenshot(L"results-100"));

    app.ClickColumnHeader(list, 3);
    EXPECT_TRUE(WaitUntil([&] { return app.Rows(list) == Rows{kMany, kFew}; }, 5s)) << "the biggest first";
    app.ClickColumnHeader(list, 3);
    EXPECT_TRUE(WaitUntil([&] { return app.Rows(list) == Rows{kFew, kMany}; }, 5s));
    SendMessageW(app.Control(IDC_SHOW_EMPTY), BM_CLICK, 0, 0);
    EXPECT_EQ(app.Rows(list), (Rows{kOpera, kFew, kMany}));

    // The log, by mouse and by keys, keeps every line.
    app.ClickTab(tabs, 1);
    EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(log) && !IsWindowVisible(list); }, 5s));
    const auto lines = app.LogLines();
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [](const std::wstring& line) { return line.rfind(L"Test: deleting C:\\", 0) == 0; }),
              5);
    app.ClickTab(tabs, 0);
    EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(list) && !IsWindowVisible(log); }, 5s));
    ASSERT_TRUE(XdotoolInstalled()) << "xdotool is missing (scripts/setup.sh installs it)";
    PressKeys(app.Main(), L"alt+g");
    EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(log) != FALSE; }, 5s)) << "Alt+G shows the log";
    PressKeys(app.Main(), L"ctrl+Tab");
    EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(list) != FALSE; }, 5s)) << "Ctrl+Tab the results";

    // The entries of an item: by a double click, and by Enter on its row.
    app.DoubleClickRow(list, 2);
    HWND details = app.WaitForOwned(app.Main());
    ASSERT_TRUE(details);
    EXPECT_EQ(WindowTextOf(details), L"Entries of Applications - Demo Tool");
    HWND entries = GetDlgItem(details, IDC_DETAILS_LIST);
    Rows shown = app.Rows(entries);
    std::sort(shown.begin(), shown.end());
    EXPECT_EQ(shown, (Rows{many / L"c.tmp", many / L"d.tmp", many / L"e.tmp"}));
    EXPECT_TRUE(app.SaveScreenshot(details, L"results-details"));
    PressKeys(details, L"Escape");
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(details); }, 5s)) << "Esc closes the details";
    app.SelectRow(list, 1);
    PressKeys(list, L"Return");
    details = app.WaitForOwned(app.Main());
    ASSERT_TRUE(details) << "Enter on a row opens its details";
    EXPECT_EQ(WindowTextOf(details), L"Entries of Custom Lists - <New List>");
    EXPECT_TRUE(KlarvexApp::ClickToClose(details, IDCANCEL));

    // The CSV file: every item, in the run's order, the sizes in bytes.
    app.MenuCommand(IDM_SAVE_RESULTS);
    HWND save = app.WaitForWindow(L"#32770", L"Save Results as CSV");
    ASSERT_TRUE(save);
    KlarvexApp::SaveAs(save, saved / L"results");
    ASSERT_TRUE(WaitUntil([&] { return Exists(saved / L"results.csv"); }, 10s)) << "\".csv\" is added";
    EXPECT_EQ(ReadBytes(saved / L"results.csv").substr(0, 3), "\xEF\xBB\xBF");
    EXPECT_EQ(ReadTextFile(saved / L"results.csv"),
              L"\uFEFFCategory,Item,Entries,Size (bytes)\r\n"
              L"Opera,Cookies,0,0\r\n"
              L"Applications,Demo Tool,3,10000\r\n"
              L"Custom Lists,<New List>,2,300\r\n");
    EXPECT_EQ(app.Close(), 0);
}

TEST_F(ResultsViewTest, TheResultsReadAtOneAndAHalfTimesTheDpi) {
    DpiSetting dpi(144);
    KlarvexApp app;
    ASSERT_TRUE(app.Main());
    ASSERT_TRUE(RunTest(app));
    RECT window{};
    GetWindowRect(app.Main(), &window);
    EXPECT_GE(window.right - window.left, 692 * 3 / 2) << "the window is laid out for the DPI";
    EXPECT_EQ(app.Rows(app.Control(IDC_RESULTS_LIST)), (Rows{kMany, kFew}));
    EXPECT_TRUE(app.SaveScreenshot(L"results-150"));
    EXPECT_EQ(app.Close(), 0);
}

}  // namespace
}  // namespace klarvex::testing
