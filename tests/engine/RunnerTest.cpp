#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>

#include "base/Exception.h"
#include "base/Format.h"
#include "cleaners/CleanerTable.h"
#include "cleaners/chrome/ChromeCleaners.h"
#include "cleaners/messengers/MessengerCleaners.h"
#include "cleaners/windows/WindowsCleaners.h"
#include "engine/ProgressThread.h"
#include "settings/Global.h"
#include "support/Fixtures.h"

namespace klarvex {
namespace {

using testing::kLogSeparator;

using testing::RecordingHost;


// A runner whose items do what the test says instead of what their
// cleaners would do; every other item goes to its real cleaner.
class ScriptedRunner : public TClearTaskThread {
public:
    using Script = std::function<void(ScriptedRunner&)>;
    ScriptedRunner(RunKind kind, IRunHost& host, std::vector<std::wstring> names, std::map<std::wstring, Script> scripts)
        : TClearTaskThread(kind, host, std::move(names), CleanerFor), scripts_(std::move(scripts)) {}

    void Count(int32_t entries, int64_t bytes) {
        ItemCount += entries;
        ItemBytes += bytes;
        ItemSizeText = FormatKB(ItemBytes);
    }

protected:
    void CleanItem(const std::wstring& name) override {
        if (auto it = scripts_.find(name); it != scripts_.end())
            it->second(*this);
        else
            TClearTaskThread::CleanItem(name);
    }

private:
    std::map<std::wstring, Script> scripts_;
};

// Runs to the end on the runner's own thread, as the front ends do.
void RunToEnd(TClearTaskThread* runner) {
    UniqueHandle thread = TClearTaskThread::Start(runner);
    ASSERT_TRUE(thread);
    ASSERT_EQ(WaitForSingleObject(thread.Get(), 30000), WAIT_OBJECT_0);
}

std::vector<std::wstring> ItemBlock(const std::wstring& summary) { return {L"", summary, L""}; }

TEST(Runner, TestRunLogHasClearingLinesSeparatorsSummariesAndTotals) {
    Settings.FastScan = true;
    RecordingHost host;
    RunToEnd(new ScriptedRunner(RunKind::Test, host, {L"Windows - Clipboard", L"Opera - Cookies", L"Windows - Start Run"},
                                {{L"Opera - Cookies", [](ScriptedRunner& r) { r.Count(12, 1234 * 1024 - 5); }},
                                 {L"Windows - Start Run", [](ScriptedRunner& r) { r.Count(3, 1); }}}));

    std::vector<std::wstring> expected = {L"Test: Clearing Windows - Clipboard ..."};
    for (auto& l : ItemBlock(L"0 items will be removed; 0 KB will be removed.")) expected.push_back(l);
    expected.push_back(kLogSeparator);
    expected.push_back(L"Test: Clearing Opera - Cookies ...");
    for (auto& l : ItemBlock(L"12 items will be removed; 1,234 KB will be removed.")) expected.push_back(l);
    expected.push_back(kLogSeparator);
    expected.push_back(L"Test: Clearing Windows - Start Run ...");
    for (auto& l : ItemBlock(L"3 items will be removed; 1 KB will be removed.")) expected.push_back(l);
    expected.push_back(kLogSeparator);
    // The total is of bytes, not of the items' rounded kilobytes.
    expected.push_back(L"Total items will be removed = 15 ; Total files will be removed = 1,234 KB");
    expected.push_back(kLogSeparator);
    EXPECT_EQ(host.Lines(), expected);

    EXPECT_TRUE(host.done);
    EXPECT_EQ(host.doneTotal, 15);
    EXPECT_EQ(host.Progress(), (std::vector<int32_t>{0, 12, 15}));
    EXPECT_EQ(host.itemEnds, (std::vector<std::pair<int32_t, int64_t>>{{0, 0}, {12, 1234 * 1024 - 5}, {3, 1}}));
    EXPECT_EQ(host.currentItems,
              (std::vector<std::wstring>{L"Windows - Clipboard", L"Opera - Cookies", L"Windows - Start Run"}));
}

TEST(Runner, CleanRunUsesTheCleanWording) {
    RecordingHost host;
    RunToEnd(new ScriptedRunner(RunKind::Clean, host, {L"Windows - Clipboard"},
                                {{L"Windows - Clipboard", [](ScriptedRunner& r) { r.Count(1, 2048); }}}));
    EXPECT_EQ(host.Lines(), (std::vector<std::wstring>{
                                L"Clean: Clearing Windows - Clipboard ...", L"",
                                L"1 items to be removed; 2 KB to be removed.", L"", kLogSeparator,
                                L"Total items to be removed = 1 ; Total files to be removed = 2 KB", kLogSeparator}));
}

TEST(Runner, EmptyRunWritesOnlyTheSummary) {
    RecordingHost host;
    RunToEnd(new TClearTaskThread(RunKind::Test, host, {}, CleanerFor));
    EXPECT_EQ(host.Lines(), (std::vector<std::wstring>{
                                kLogSeparator, L"Total items will be removed = 0 ; Total files will be removed = 0 KB",
                                kLogSeparator}));
    EXPECT_TRUE(host.done);
    EXPECT_EQ(host.doneTotal, 0);
}

TEST(Runner, TerminationEndsTheRunAfterTheCurrentItemWithoutSummary) {
    RecordingHost host;
    RunToEnd(new ScriptedRunner(RunKind::Clean, host, {L"Windows - Clipboard", L"Opera - Cookies"},
                                {{L"Windows - Clipboard", [](ScriptedRunner& r) {
                                      r.Count(2, 0);
                                      r.Terminate();  // Cancel pressed while the item runs
                                  }}}));
    EXPECT_EQ(host.Lines(), (std::vector<std::wstring>{L"Clean: Clearing Windows - Clipboard ...", L"",
                                                       L"2 items to be removed; 0 KB to be removed.", L""}));
    EXPECT_FALSE(host.done);
    EXPECT_TRUE(host.errors.empty());
}

TEST(Runner, TerminationBeforeTheFirstItemWritesNothing) {
    RecordingHost host;
    auto* runner = new TClearTaskThread(RunKind::Test, host, {L"Windows - Clipboard"}, CleanerFor);
    std::stop_source stop = runner->StopSource();
    stop.request_stop();
    RunToEnd(runner);
    EXPECT_TRUE(host.Lines().empty());
    EXPECT_FALSE(host.done);
    EXPECT_TRUE(stop.stop_requested());  // the shared request outlives the runner
}

TEST(Runner, AnErrorFromACleanerEndsTheRunAndIsReported) {
    RecordingHost host;
    RunToEnd(new ScriptedRunner(RunKind::Clean, host, {L"Windows - Clipboard", L"Opera - Cookies", L"Windows - Start Run"},
                                {{L"Opera - Cookies", [](ScriptedRunner& r) {
                                      r.Count(5, 0);
                                      throw Exception(L"Unable to write to C:\\x.ini");
                                  }}}));
    const auto lines = host.Lines();
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(lines[5], L"Clean: Clearing Opera - Cookies ...");
    EXPECT_EQ(lines[6], L"Error: Unable to write to C:\\x.ini");
    EXPECT_EQ(host.errors, std::vector<std::wstring>{L"Unable to write to C:\\x.ini"});
    EXPECT_FALSE(host.done);
    EXPECT_EQ(host.Progress(), std::vector<int32_t>{0});  // the broken item never ended
    EXPECT_EQ(host.itemEnds.size(), 1u);
}

// A detailed run hands its front end each entry its log lines name (a
// file's path, a value's key and name), up to its limit; past that the
// lines still go to the log, and the cut is told once.
TEST(Runner, ADetailedRunHandsTheEntriesItsLinesNameUpToItsLimit) {
    Settings.FastScan = false;
    testing::ScratchFolder folder;
    for (const wchar_t* name : {L"a.tmp", L"b.tmp", L"c.tmp"}) testing::MakeFile(folder / name, 10);
    const std::wstring key = L"Software\\KlarvexEntriesTest";
    testing::ScratchRegKeys keys({key});
    keys.SetString(L"", L"v1", L"x");
    keys.SetString(L"", L"v2", L"y");
    RecordingHost host;
    auto* runner = new ScriptedRunner(
        RunKind::Test, host, {L"Windows - Clipboard", L"Opera - Cookies"},
        {{L"Windows - Clipboard",
          [&](ScriptedRunner& r) { r.ItemBytes += r.ClearFolder(folder.Path(), false, true, L"", r.ItemCount); }},
         {L"Opera - Cookies", [&](ScriptedRunner& r) { r.ItemCount += r.DeleteUserRegValues(key, L""); }}});
    runner->LimitListedEntries(4);
    RunToEnd(runner);

    auto files = std::vector<std::wstring>(host.entries.begin(), host.entries.begin() + 3);
    std::sort(files.begin(), files.end());
    EXPECT_EQ(files, (std::vector<std::wstring>{folder / L"a.tmp", folder / L"b.tmp", folder / L"c.tmp"}));
    ASSERT_EQ(host.entries.size(), 4u);
    EXPECT_EQ(host.entries[3], L"HKEY_CURRENT_USER\\" + key + L"\\v1");
    EXPECT_EQ(host.entriesCut, 1);
    EXPECT_EQ(testing::LinesStartingWith(host, L"Test: deleting registry value HKEY_CURRENT_USER\\" + key + L"\\v"),
              (std::vector<std::wstring>{L"Test: deleting registry value HKEY_CURRENT_USER\\" + key + L"\\v1",
                                         L"Test: deleting registry value HKEY_CURRENT_USER\\" + key + L"\\v2"}));
    EXPECT_EQ(testing::LinesStartingWith(host, L"Test: deleting " + folder.Path()).size(), 3u);
}

TEST(Dispatch, ExactNamesGoToTheirCleanersEverythingElseToARuleFile) {
    using T = TClearTaskThread;
    EXPECT_EQ(CleanerFor(L"Windows - Clipboard").cleaner, &CleanClipboard);
    EXPECT_EQ(CleanerFor(L"Google Chrome - Session").cleaner, &CleanChromeSession);
    EXPECT_EQ(CleanerFor(L"Advanced - Paint").cleaner, &CleanPaintRecent);
    EXPECT_EQ(CleanerFor(L"Instant Messengers - Skype").cleaner, &CleanSkype);

    EXPECT_EQ(CleanerFor(L"windows - clipboard").ruleFile, T::RuleFile::Klarvex);  // case matters
    EXPECT_EQ(CleanerFor(L"Windows - Windows Log Files").ruleFile, T::RuleFile::Klarvex);
    EXPECT_EQ(CleanerFor(L"Instant Messengers - ICQ").ruleFile, T::RuleFile::Klarvex);
    EXPECT_EQ(CleanerFor(L"Advanced - Google Toolbar History").ruleFile, T::RuleFile::Klarvex);
    EXPECT_EQ(CleanerFor(L"Applications - WinZip").ruleFile, T::RuleFile::Klarvex);

    EXPECT_EQ(CleanerFor(L"Custom Lists - <New List>").ruleFile, T::RuleFile::CustomLists);
    // "Custom Lists -" wins wherever it stands, even in a name of the table.
    EXPECT_EQ(CleanerFor(L"Windows - Clipboard Custom Lists - x").ruleFile, T::RuleFile::CustomLists);
}

}  // namespace
}  // namespace klarvex
