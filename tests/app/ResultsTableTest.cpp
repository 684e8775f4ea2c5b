// The results as the window's table, chart and CSV file show them, on a
// made-up run.

#include <gtest/gtest.h>

#include <optional>

#include "app/ResultsTable.h"

namespace klarvex {
namespace {

// Items 0 to 4, in the run's order.
TRunResults SampleRun() {
    TRunResults run;
    auto item = [&](const wchar_t* name, int32_t count, int64_t bytes) {
        run.BeginItem(name);
        run.EndItem(count, bytes);
    };
    item(L"Windows - Clipboard", 0, 0);
    item(L"Custom Lists - Few Files", 2, 300);
    item(L"Custom Lists - Many Files", 3, 10000);
    run.BeginItem(L"Google Chrome - Cookies");
    run.Refused(L"=HYPERLINK(\"x\"), said the rule");
    run.Refused(L"line two");
    run.EndItem(5, 300);
    item(L"Applications - Tool - Pro", 1, 0);
    return run;
}

TEST(ResultsTable, RowsLeaveOutWhatFoundNothingAndSortByValueNotText) {
    const TRunResults run = SampleRun();
    using Sort = std::optional<ResultsSort>;
    const Sort bySizeDown = NextSort(std::nullopt, ResultColumn::Size);
    const Sort byEntriesDown = NextSort(std::nullopt, ResultColumn::Entries);
    struct Case {
        bool showEmpty;
        Sort sort;
        std::vector<size_t> rows;
    };
    for (const Case& c : std::vector<Case>{
             {false, std::nullopt, {1, 2, 3, 4}},
             {true, std::nullopt, {0, 1, 2, 3, 4}},
             {false, bySizeDown, {2, 1, 3, 4}},  // 10000 > 300 = 300 (run order) > 0
             {false, NextSort(bySizeDown, ResultColumn::Size), {4, 1, 3, 2}},
             {false, byEntriesDown, {3, 2, 1, 4}},
             {true, NextSort(byEntriesDown, ResultColumn::Category), {4, 1, 2, 3, 0}},
             {false, NextSort(std::nullopt, ResultColumn::Item), {3, 1, 2, 4}},  // Cookies, Few, Many, Tool
         }) {
        EXPECT_EQ(ResultRows(run, c.showEmpty, c.sort), c.rows) << c.showEmpty;
    }
}

TEST(ResultsTable, CellsTotalsAndColumnsReadAsShown) {
    const TRunResults run = SampleRun();
    const auto& items = run.Items();
    EXPECT_EQ(CellText(items[4], ResultColumn::Category), L"Applications");
    EXPECT_EQ(CellText(items[4], ResultColumn::Item), L"Tool - Pro");
    EXPECT_EQ(CellText(items[3], ResultColumn::Outcome), L"Refused: =HYPERLINK(\"x\"), said the rule; line two");
    EXPECT_EQ(CellText(items[2], ResultColumn::Outcome), L"Done");
    EXPECT_EQ(TotalsText(run, true, 1), L"Will be removed: 11 entries, 10 KB in 5 items (1 not shown)");
    EXPECT_EQ(ResultColumns(run, true).size(), 5u) << "a Test with a refusal tells it";
    TRunResults quiet;
    quiet.BeginItem(L"Windows - Clipboard");
    EXPECT_EQ(ResultColumns(quiet, true).size(), 4u);
    EXPECT_EQ(ResultColumns(quiet, false).size(), 5u) << "a Clean always tells what became of each item";

    struct Size {
        int64_t bytes;
        wchar_t point;
        const wchar_t* text;
    };
    for (const Size& c : {Size{0, L'.', L"0 bytes"}, Size{1023, L'.', L"1,023 bytes"}, Size{1024, L'.', L"1.0 KB"},
                          Size{1536, L',', L"1,5 KB"}, Size{10188, L'.', L"9.9 KB"}, Size{10189, L'.', L"10 KB"},
                          Size{1048575, L'.', L"1,024 KB"}, Size{250LL << 20, L'.', L"250 MB"},
                          Size{5LL << 30, L'.', L"5.0 GB"}, Size{3000LL << 30, L'.', L"3,000 GB"}})
        EXPECT_EQ(SizeText(c.bytes, c.point), c.text) << c.bytes;
}

TEST(ResultsTable, CsvHasTheTablesColumnsSizesInBytesAndNoFormulas) {
    EXPECT_EQ(ResultsCsv(SampleRun(), false),
              L"Category,Item,Entries,Size (bytes),Outcome\r\n"
              L"Windows,Clipboard,0,0,Done\r\n"
              L"Custom Lists,Few Files,2,300,Done\r\n"
              L"Custom Lists,Many Files,3,10000,Done\r\n"
              L"Google Chrome,Cookies,5,300,\"Refused: =HYPERLINK(\"\"x\"\"), said the rule; line two\"\r\n"
              L"Applications,Tool - Pro,1,0,Done\r\n");
    TRunResults formula;
    formula.BeginItem(L"Applications - =cmd|' /c calc'!A0");
    EXPECT_EQ(ResultsCsv(formula, true),
              L"Category,Item,Entries,Size (bytes)\r\nApplications,'=cmd|' /c calc'!A0,0,0\r\n");
}

TEST(ResultsTable, ChartBarsAreCategoriesBiggestFirstOrTheItemsOfTheOnlyOne) {
    auto labels = [](const std::vector<ChartBar>& bars) {
        std::vector<std::wstring> texts;
        for (const auto& bar : bars) texts.push_back(bar.label + L"=" + std::to_wstring(bar.value));
        return texts;
    };
    const ChartData all = ResultsChartData(SampleRun());
    EXPECT_TRUE(all.bytes);
    EXPECT_EQ(labels(all.bars), (std::vector<std::wstring>{L"Custom Lists=10300", L"Google Chrome=300"}));
    EXPECT_EQ(ChartCaption(all), L"Where the space goes");
    EXPECT_EQ(labels(FitBars(all.bars, 1)), std::vector<std::wstring>{L"Other (2)=10600"});

    TRunResults one;
    for (auto [name, count] : {std::pair{L"Windows - Recent Documents", 4}, {L"Windows - Start Run", 7}}) {
        one.BeginItem(name);
        one.EndItem(count, 0);
    }
    const ChartData items = ResultsChartData(one);
    EXPECT_FALSE(items.bytes) << "no bytes found: the bars count entries";
    EXPECT_EQ(labels(items.bars), (std::vector<std::wstring>{L"Start Run=7", L"Recent Documents=4"}));
    EXPECT_EQ(ChartCaption(items), L"Entries found in Windows");
    EXPECT_TRUE(ResultsChartData(TRunResults()).bars.empty());
}

TEST(ResultsTable, TheDetailsSayWhyAListIsEmptyOrWhereItStops) {
    ItemResult item;
    EXPECT_EQ(EntriesNote(item, false), L"The run found nothing for this item.");
    item.count = 3;
    EXPECT_EQ(EntriesNote(item, true).rfind(L"Fast Mode counts the entries without naming them", 0), 0u);
    EXPECT_EQ(EntriesNote(item, false).rfind(L"The run took these entries without naming them", 0), 0u);
    item.entries = {L"C:\\a", L"C:\\b"};
    EXPECT_EQ(EntriesNote(item, false), L"Entries the run listed for this item: 2, in the order it took them.");
    item.entriesCut = true;
    EXPECT_EQ(EntriesNote(item, false).rfind(L"A run lists at most 100,000 entries", 0), 0u);
}

}  // namespace
}  // namespace klarvex
