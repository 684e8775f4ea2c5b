#pragma once

// The results of a run as the main window shows them and the CSV file
// keeps them: which items are rows and in what order, the texts of the
// cells and of the totals, the bars of the chart, what the details of an
// item say. No window here.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/RunResults.h"

namespace klarvex {

enum class ResultColumn { Category, Item, Entries, Size, Outcome };

// The columns of the table (and of the CSV file): what became of each item
// only for a Clean, or for a Test in which an item has something to tell.
std::vector<ResultColumn> ResultColumns(const TRunResults& results, bool testRun);
std::wstring ColumnTitle(ResultColumn column);
// Entries and size: numbers, right-aligned, sorted largest first.
bool IsNumberColumn(ResultColumn column);

struct ResultsSort {
    ResultColumn column = ResultColumn::Category;
    bool ascending = true;
};
// The order after a click on a column's header: the column sorted so far
// turns round; another starts with the biggest numbers first, or from A.
ResultsSort NextSort(const std::optional<ResultsSort>& current, ResultColumn clicked);

// The rows, as indexes into results.Items(): the items that found nothing
// only with showEmpty; in the run's order, or sorted (numbers by value,
// texts by the user's alphabet; equal rows keep the run's order).
std::vector<size_t> ResultRows(const TRunResults& results, bool showEmpty, const std::optional<ResultsSort>& sort);

std::wstring CellText(const ItemResult& item, ResultColumn column, wchar_t decimalPoint = L'.');

// A size in the unit that reads best: "512 bytes", "1.5 KB", "236 MB",
// "2.0 GB" (decimalPoint as the user writes it).
std::wstring SizeText(int64_t bytes, wchar_t decimalPoint = L'.');

// "Will be removed: 1,234 entries, 5.6 MB in 12 items", and how many items
// with nothing to remove the table leaves out: "(2 not shown)".
std::wstring TotalsText(const TRunResults& results, bool testRun, size_t hiddenRows, wchar_t decimalPoint = L'.');

// The CSV file: a header of the table's columns, then every item in the
// run's order, the size in bytes; fields quoted where they must be, lines
// ended by CR LF. A text that a spreadsheet would take for a formula
// (starting with =, +, - or @) is written with an apostrophe before it.
std::wstring ResultsCsv(const TRunResults& results, bool testRun);

// The chart: a bar per category, or, when one category holds all of it,
// per item of that category; the biggest first, none for nothing. The
// values are bytes, or entries when the run found no bytes at all.
struct ChartBar {
    std::wstring label;
    int64_t value = 0;
};
struct ChartData {
    std::vector<ChartBar> bars;
    bool bytes = true;      // else entries
    std::wstring category;  // the category whose items the bars are, if so
};
// Its caption: what the bars measure, and where.
std::wstring ChartCaption(const ChartData& data);
ChartData ResultsChartData(const TRunResults& results);
// At most maxBars (at least one): the smallest bars beyond them summed into
// the last, "Other (n)".
std::vector<ChartBar> FitBars(const std::vector<ChartBar>& bars, size_t maxBars);

// What the details of an item say about its list of entries: how many it
// holds, or why it is empty, or where it stops.
std::wstring EntriesNote(const ItemResult& item, bool fastMode);

}  // namespace klarvex
