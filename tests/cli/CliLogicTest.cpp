// The command line's logic without a process: what typed names stand for,
// the report of a run, where output goes and the progress line.

#include <gtest/gtest.h>

#include "base/Strings.h"
#include "cli/ItemNames.h"
#include "cli/RunOutput.h"
#include "cli/RunReport.h"

namespace klarvex {
namespace {

using Names = std::vector<std::wstring>;

TEST(ItemNames, EachFormSelectsItsItemsInTreeOrderOnceAndNamesWhatMatchesNothing) {
    TCatalogue catalogue;
    catalogue.AddApplication(L"Demo - Tool");  // an application's name may hold the separator
    auto itemsOf = [&](const std::wstring& category) {
        Names items;
        for (const auto& name : catalogue.AllItemNames())
            if (name.starts_with(category + L" - ")) items.push_back(name);
        return items;
    };
    const Names windows = itemsOf(L"Windows");
    struct Case {
        Names typed, items, unmatched;
    };
    for (const Case& c : std::vector<Case>{
             {{L"windows - CLIPBOARD"}, {L"Windows - Clipboard"}, {}},
             {{L"Windows - ?lipboard"}, {L"Windows - Clipboard"}, {}},
             {{L"Opera - Cookies", L"Windows - Clipboard"}, {L"Windows - Clipboard", L"Opera - Cookies"}, {}},
             {{L"windows"}, windows, {}},
             {{L"Windows - Clipboard", L"Windows", L"WINDOWS - clipboard"}, windows, {}},
             {{L"* - Cookies"},
              {L"Internet Explorer - Cookies", L"Netscape - Cookies", L"Opera - Cookies", L"Mozilla Firefox - Cookies",
               L"Google Chrome - Cookies", L"Microsoft Edge - Cookies", L"Brave - Cookies"},
              {}},
             {{L"Microsoft Office - *r*"},
              {L"Microsoft Office - FrontPage", L"Microsoft Office - Powerpoint",
               L"Microsoft Office - Word", L"Microsoft Office - Recent Files"},
              {}},
             {{L"Micro* E?ge"}, itemsOf(L"Microsoft Edge"), {}},
             {{L"applications"}, {L"Applications - Demo - Tool"}, {}},
             {{L"Windows - Clipbord", L"Opera - Cookies", L"Opera"}, itemsOf(L"Opera"), {L"Windows - Clipbord"}},
         }) {
        SCOPED_TRACE(WideToUtf8(c.typed.front()));
        const ItemSelection selection = SelectItems(catalogue, c.typed);
        EXPECT_EQ(selection.items, c.items);
        EXPECT_EQ(selection.unmatched, c.unmatched);
    }
}

TEST(ItemNames, ATypoIsOfferedTheClosestNamesAndNonsenseNone) {
    TCatalogue catalogue;
    const Names known = KnownNames(catalogue);
    EXPECT_EQ(ClosestNames(L"windows - clipbord", known).front(), L"Windows - Clipboard");
    EXPECT_EQ(ClosestNames(L"Mozila Firefox", known), Names{L"Mozilla Firefox"});
    EXPECT_EQ(ClosestNames(L"Opra - Cookie", known), (Names{L"Opera - Cookies", L"Brave - Cookies"}));
    EXPECT_EQ(ClosestNames(L"chrome", known).front(), L"Google Chrome");
    EXPECT_EQ(ClosestNames(L"Mozila Firefox - *", known, 2),  // ties in tree order
              (Names{L"Mozilla Firefox", L"Mozilla Firefox - Cookies"}));
    EXPECT_TRUE(ClosestNames(L"xyzzy", known).empty());
}

TEST(RunReport, TheMostSeriousEventDecidesAnItemAndTheDocumentCarriesItInUtf8) {
    TRunResults report;
    report.BeginItem(L"Windows - Clipboard");
    report.EndItem(2, 100);
    report.BeginItem(L"Custom Lists - <New List>");
    report.Refused(L"Not removed: C:\\windows\\");
    report.Refused(L"Not removed: C:\\");
    report.EndItem(1, 10);
    report.BeginItem(L"Applications - \u03A9mega - \u65E5\u672C");
    report.Declined(L"\u03A9mega: Takes \u65E5\u672C logs. Clean it anyway?");
    report.EndItem(0, 0);
    report.BeginItem(L"Windows - Start Run");
    report.Declined(L"Delete all under C:\\?");
    report.Refused(L"You must have administrators user.");
    report.EndItem(0, 0);
    report.BeginItem(L"Opera - Cookies");
    report.Error(L"Unable to write to C:\\x.ini");  // the run ends in it: no end

    const auto document = nlohmann::json::parse(WideToUtf8(DocumentText(RunDocument(report, false, true, 1))));
    EXPECT_EQ(document["command"], "clean");
    EXPECT_EQ(document["mode"], "fast");
    EXPECT_EQ(document["exit_status"], 1);
    EXPECT_EQ(document["totals"], nlohmann::json({{"count", 3}, {"bytes", 110}}));
    const auto& items = document["items"];
    ASSERT_EQ(items.size(), 5u);
    EXPECT_EQ(items[0], nlohmann::json({{"name", "Windows - Clipboard"}, {"category", "Windows"}, {"count", 2},
                                        {"bytes", 100}, {"outcome", "done"}}));
    EXPECT_EQ(items[1]["outcome"], "refused");
    EXPECT_EQ(items[1]["message"], "Not removed: C:\\windows\\\nNot removed: C:\\");
    EXPECT_EQ(Utf8ToWide(items[2]["name"].get<std::string>()), L"Applications - \u03A9mega - \u65E5\u672C");
    EXPECT_EQ(items[2]["category"], "Applications");
    EXPECT_EQ(items[2]["outcome"], "skipped");
    EXPECT_EQ(Utf8ToWide(items[2]["question"].get<std::string>()), L"\u03A9mega: Takes \u65E5\u672C logs. Clean it anyway?");
    EXPECT_EQ(items[3]["outcome"], "refused");
    EXPECT_EQ(items[3]["message"], "You must have administrators user.");
    EXPECT_EQ(items[4]["outcome"], "error");
}

TEST(RunOutput, TheLogAndTheProgressLineGoWhereTheyAreWanted) {
    struct Case {
        bool json, quiet, console;
        LogOutput log;
        bool progress;
    };
    for (const Case& c : std::vector<Case>{
             {false, false, false, LogOutput::StdOut, false},  // redirected: never a progress line
             {false, false, true, LogOutput::StdOut, true},
             {true, false, true, LogOutput::StdErr, true},  // the document has standard output
             {true, true, true, LogOutput::None, false},
         }) {
        const RunOutputs outputs = ChooseRunOutputs(c.json, c.quiet, c.console);
        EXPECT_EQ(outputs.log, c.log) << c.json << c.quiet << c.console;
        EXPECT_EQ(outputs.progressLine, c.progress) << c.json << c.quiet << c.console;
    }
}

TEST(RunOutput, TheProgressLineNeverFillsTheConsolesWidthAndKeepsItsCount) {
    EXPECT_EQ(ProgressLineText(3, 12, L"Windows - Temporary Files", 1234, 80),
              L"Item 3 of 12: Windows - Temporary Files (1234 so far)");
    const std::wstring cut = ProgressLineText(3, 12, L"Applications - " + std::wstring(100, L'x'), 56, 60);
    EXPECT_EQ(cut.size(), 59u);
    EXPECT_TRUE(cut.ends_with(L"x... (56 so far)")) << WideToUtf8(cut);
    EXPECT_EQ(ProgressLineText(3, 12, L"Windows - Clipboard", 0, 20), L"Item 3 of 12: Windo");
}

}  // namespace
}  // namespace klarvex
