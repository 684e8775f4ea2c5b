#include "app/ResultsTable.h"

#include <windows.h>

#include <algorithm>
#include <map>

#include "base/Format.h"
#include "base/Texts.h"
#include "engine/Catalogue.h"

namespace klarvex {

namespace {

// A message of several lines as one line of a cell.
std::wstring OneLine(const std::wstring& text) {
    std::wstring line;
    for (wchar_t c : text) {
        if (c == L'\r') continue;
        if (c == L'\n') line += L"; ";
        else line += c;
    }
    return line;
}

// <0, 0, >0 as a person reading the user's alphabet would order them.
int CompareTexts(const std::wstring& a, const std::wstring& b) {
    return CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.c_str(), static_cast<int>(a.size()), b.c_str(),
                          static_cast<int>(b.size())) -
           CSTR_EQUAL;
}

int CompareItems(const ItemResult& a, const ItemResult& b, ResultColumn column) {
    switch (column) {
        case ResultColumn::Entries: return a.count < b.count ? -1 : a.count > b.count ? 1 : 0;
        case ResultColumn::Size: return a.bytes < b.bytes ? -1 : a.bytes > b.bytes ? 1 : 0;
        case ResultColumn::Outcome:
            if (a.outcome != b.outcome) return a.outcome < b.outcome ? -1 : 1;
            return CompareTexts(a.text, b.text);
        case ResultColumn::Category:
        case ResultColumn::Item: break;
    }
    return CompareTexts(CellText(a, column), CellText(b, column));
}

std::wstring CsvField(const std::wstring& text) {
    std::wstring field = text;
    if (!field.empty() && (field[0] == L'=' || field[0] == L'+' || field[0] == L'-' || field[0] == L'@'))
        field.insert(0, 1, L'\'');
    if (field.find_first_of(L",\"\r\n") == std::wstring::npos) return field;
    std::wstring quoted = L"\"";
    for (wchar_t c : field) {
        if (c == L'"') quoted += L'"';
        quoted += c;
    }
    return quoted + L"\"";
}

}  // namespace

bool IsNumberColumn(ResultColumn column) { return column == ResultColumn::Entries || column == ResultColumn::Size; }

std::vector<ResultColumn> ResultColumns(const TRunResults& results, bool testRun) {
    std::vector<ResultColumn> columns{ResultColumn::Category, ResultColumn::Item, ResultColumn::Entries,
                                      ResultColumn::Size};
    const bool told = std::any_of(results.Items().begin(), results.Items().end(),
                                  [](const ItemResult& item) { return item.outcome != ItemOutcome::Done; });
    if (!testRun || told) columns.push_back(ResultColumn::Outcome);
    return columns;
}

std::wstring ColumnTitle(ResultColumn column) {
    switch (column) {
        case ResultColumn::Category: return LoadText(IDS_COLUMN_CATEGORY);
        case ResultColumn::Item: return LoadText(IDS_COLUMN_ITEM);
        case ResultColumn::Entries: return LoadText(IDS_COLUMN_ENTRIES);
        case ResultColumn::Size: return LoadText(IDS_COLUMN_SIZE);
        case ResultColumn::Outcome: return LoadText(IDS_COLUMN_OUTCOME);
    }
    return {};
}

ResultsSort NextSort(const std::optional<ResultsSort>& current, ResultColumn clicked) {
    if (current && current->column == clicked) return {clicked, !current->ascending};
    return {clicked, !IsNumberColumn(clicked)};
}

std::vector<size_t> ResultRows(const TRunResults& results, bool showEmpty, const std::optional<ResultsSort>& sort) {
    const auto& items = results.Items();
    std::vector<size_t> rows;
    for (size_t i = 0; i < items.size(); ++i)
        if (showEmpty || !items[i].Empty()) rows.push_back(i);
    if (sort)
        std::stable_sort(rows.begin(), rows.end(), [&](size_t a, size_t b) {
            const int order = CompareItems(items[a], items[b], sort->column);
            return sort->ascending ? order < 0 : order > 0;
        });
    return rows;
}

std::wstring CellText(const ItemResult& item, ResultColumn column, wchar_t decimalPoint) {
    switch (column) {
        case ResultColumn::Category: return DisplayName(CategoryOf(item.name));
        case ResultColumn::Item: return DisplayName(CategoryOf(item.name), ItemPartOf(item.name));
        case ResultColumn::Entries: return FormatThousands(item.count);
        case ResultColumn::Size: return SizeText(item.bytes, decimalPoint);
        case ResultColumn::Outcome:
            switch (item.outcome) {
                case ItemOutcome::Done: return LoadText(IDS_OUTCOME_DONE);
                case ItemOutcome::Skipped: return LoadText(IDS_OUTCOME_SKIPPED, {OneLine(item.text)});
                case ItemOutcome::Refused: return LoadText(IDS_OUTCOME_REFUSED, {OneLine(item.text)});
                case ItemOutcome::Error: return LoadText(IDS_OUTCOME_ERROR, {OneLine(item.text)});
            }
    }
    return {};
}

std::wstring SizeText(int64_t bytes, wchar_t decimalPoint) {
    if (bytes < 1024) return LoadText(IDS_SIZE_BYTES, {FormatThousands(std::max<int64_t>(bytes, 0))});
    int unitText = IDS_SIZE_KB;
    int64_t unit = 1024;
    for (int textId : {IDS_SIZE_MB, IDS_SIZE_GB}) {
        if (bytes < unit * 1024) break;
        unit *= 1024;
        unitText = textId;
    }
    // Tenths below ten units, whole units from there; rounded half up.
    const int64_t tenths = (bytes * 10 + unit / 2) / unit;
    std::wstring number;
    if (tenths < 100) number = std::to_wstring(tenths / 10) + decimalPoint + std::to_wstring(tenths % 10);
    else number = FormatThousands((bytes + unit / 2) / unit);
    return LoadText(unitText, {number});
}

std::wstring TotalsText(const TRunResults& results, bool testRun, size_t hiddenRows, wchar_t decimalPoint) {
    std::wstring text = LoadText(testRun ? IDS_TOTALS_TEST : IDS_TOTALS_CLEAN,
                                 {FormatThousands(results.TotalCount()), SizeText(results.TotalBytes(), decimalPoint),
                                  FormatThousands(static_cast<int64_t>(results.Items().size()))});
    if (hiddenRows > 0)
        text = LoadText(IDS_TOTALS_HIDDEN, {text, FormatThousands(static_cast<int64_t>(hiddenRows))});
    return text;
}

std::wstring ResultsCsv(const TRunResults& results, bool testRun) {
    const auto columns = ResultColumns(results, testRun);
    std::wstring text;
    auto line = [&](auto&& field) {
        for (size_t i = 0; i < columns.size(); ++i) {
            if (i > 0) text += L',';
            text += field(columns[i]);
        }
        text += L"\r\n";
    };
    line([](ResultColumn column) {
        return CsvField(column == ResultColumn::Size ? LoadText(IDS_CSV_SIZE_BYTES) : ColumnTitle(column));
    });
    for (const auto& item : results.Items())
        line([&](ResultColumn column) {
            switch (column) {
                case ResultColumn::Entries: return std::to_wstring(item.count);
                case ResultColumn::Size: return std::to_wstring(item.bytes);
                default: return CsvField(CellText(item, column));
            }
        });
    return text;
}

ChartData ResultsChartData(const TRunResults& results) {
    ChartData data;
    data.bytes = results.TotalBytes() > 0;
    auto valueOf = [&](const ItemResult& item) { return data.bytes ? item.bytes : int64_t{item.count}; };
    // Categories in the run's order, then by size: equal ones keep it.
    std::vector<ChartBar> categories;
    std::map<std::wstring, size_t> where;
    for (const auto& item : results.Items()) {
        const std::wstring category = CategoryOf(item.name);
        const auto [at, added] = where.emplace(category, categories.size());
        if (added) categories.push_back({DisplayName(category), 0});
        categories[at->second].value += valueOf(item);
    }
    std::erase_if(categories, [](const ChartBar& bar) { return bar.value <= 0; });
    if (categories.size() == 1) {
        // One category holds it all: its items tell more.
        data.category = categories.front().label;
        for (const auto& item : results.Items())
            if (valueOf(item) > 0 && DisplayName(CategoryOf(item.name)) == data.category)
                data.bars.push_back({DisplayName(CategoryOf(item.name), ItemPartOf(item.name)), valueOf(item)});
    } else {
        data.bars = std::move(categories);
    }
    std::stable_sort(data.bars.begin(), data.bars.end(),
                     [](const ChartBar& a, const ChartBar& b) { return a.value > b.value; });
    return data;
}

std::wstring ChartCaption(const ChartData& data) {
    if (data.category.empty()) return LoadText(data.bytes ? IDS_CHART_SPACE : IDS_CHART_ENTRIES);
    return LoadText(data.bytes ? IDS_CHART_SPACE_IN : IDS_CHART_ENTRIES_IN, {data.category});
}

std::vector<ChartBar> FitBars(const std::vector<ChartBar>& bars, size_t maxBars) {
    maxBars = std::max<size_t>(maxBars, 1);
    if (bars.size() <= maxBars) return bars;
    std::vector<ChartBar> fitted(bars.begin(), bars.begin() + static_cast<ptrdiff_t>(maxBars - 1));
    ChartBar other{LoadText(IDS_CHART_OTHER, {std::to_wstring(bars.size() - fitted.size())}), 0};
    for (size_t i = fitted.size(); i < bars.size(); ++i) other.value += bars[i].value;
    fitted.push_back(std::move(other));
    return fitted;
}

std::wstring EntriesNote(const ItemResult& item, bool fastMode) {
    if (item.entriesCut) return LoadText(IDS_DETAILS_CUT);
    if (!item.entries.empty())
        return LoadText(IDS_DETAILS_ALL, {FormatThousands(static_cast<int64_t>(item.entries.size()))});
    if (item.count == 0 && item.bytes == 0) return LoadText(IDS_DETAILS_NOTHING);
    return LoadText(fastMode ? IDS_DETAILS_FAST : IDS_DETAILS_UNLISTED);
}

}  // namespace klarvex
