#include "app/ResultsView.h"

#include <commctrl.h>

#include <utility>

#include "app/MainRes.h"
#include "app/ResultsChart.h"
#include "base/Strings.h"
#include "base/Texts.h"

namespace klarvex {

namespace {

constexpr int kResultsPage[] = {IDC_RESULTS_LABEL, IDC_SHOW_EMPTY, IDC_RESULTS_LIST, IDC_RESULTS_TOTAL,
                                IDC_RESULTS_CHART};

// Shares of the table's width, in percent, by column.
int WidthShare(ResultColumn column, bool withOutcome) {
    switch (column) {
        case ResultColumn::Category: return withOutcome ? 22 : 28;
        case ResultColumn::Item: return withOutcome ? 30 : 38;
        case ResultColumn::Entries: return withOutcome ? 12 : 16;
        case ResultColumn::Size: return withOutcome ? 14 : 18;
        case ResultColumn::Outcome: return 22;
    }
    return 0;
}

}  // namespace

wchar_t UserDecimalPoint() {
    wchar_t point[8] = L"";
    if (GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SDECIMAL, point, 8) > 1) return point[0];
    return L'.';
}

void TResultsView::Attach(HWND window) {
    window_ = window;
    HWND tabs = Item(IDC_RESULT_TABS);
    for (int textId : {IDS_RESULTS_TAB, IDS_LOG_TAB}) {
        std::wstring text = LoadText(textId);
        TCITEMW tab{};
        tab.mask = TCIF_TEXT;
        tab.pszText = text.data();
        SendMessageW(tabs, TCM_INSERTITEMW, static_cast<WPARAM>(TabCtrl_GetItemCount(tabs)),
                     reinterpret_cast<LPARAM>(&tab));
    }
    ListView_SetExtendedListViewStyle(Item(IDC_RESULTS_LIST),
                                      LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER | LVS_EX_LABELTIP);
    Refresh();
    ShowPage(Page::Log);
}

void TResultsView::Start(bool testRun, bool fastMode) {
    results_ = TRunResults();
    started_ = true;
    testRun_ = testRun;
    fastMode_ = fastMode;
    stale_ = true;
    ShowPage(Page::Log);
}

void TResultsView::Changed() {
    stale_ = true;
    if (ShownPage() == Page::Results) Refresh();
}

TResultsView::Page TResultsView::ShownPage() const {
    return TabCtrl_GetCurSel(Item(IDC_RESULT_TABS)) == 0 ? Page::Results : Page::Log;
}

void TResultsView::ShowPage(Page page) {
    HWND tabs = Item(IDC_RESULT_TABS);
    TabCtrl_SetCurSel(tabs, page == Page::Results ? 0 : 1);
    const bool results = page == Page::Results;
    if (results && stale_) Refresh();
    // What had the focus and goes out of sight hands it to the tabs.
    HWND focus = GetFocus();
    for (int id : kResultsPage) {
        if (!results && focus == Item(id)) SetFocus(tabs);
        ShowWindow(Item(id), results ? SW_SHOW : SW_HIDE);
    }
    if (results && focus == Item(IDC_LOG)) SetFocus(tabs);
    ShowWindow(Item(IDC_LOG), results ? SW_HIDE : SW_SHOW);
}

void TResultsView::OnTabChanged() { ShowPage(ShownPage()); }

std::optional<TResultsView::Page> TResultsView::PageOfAccessKey(wchar_t key) const {
    for (auto [textId, page] : {std::pair{IDS_RESULTS_TAB, Page::Results}, {IDS_LOG_TAB, Page::Log}}) {
        const std::wstring text = LoadText(textId);
        const size_t amp = text.find(L'&');
        if (amp != std::wstring::npos && amp + 1 < text.size() &&
            UpperCase(text.substr(amp + 1, 1)) == UpperCase(std::wstring(1, key)))
            return page;
    }
    return std::nullopt;
}

void TResultsView::OnColumnClick(int column) {
    if (column < 0 || static_cast<size_t>(column) >= columns_.size()) return;
    sort_ = NextSort(sort_, columns_[static_cast<size_t>(column)]);
    FillTable();
}

void TResultsView::OnShowEmptyClicked() { Refresh(); }

void TResultsView::Refresh() {
    FillTable();
    const wchar_t point = UserDecimalPoint();
    const size_t hidden = results_.Items().size() - rows_.size();
    SetDlgItemTextW(window_, IDC_RESULTS_TOTAL, started_ ? TotalsText(results_, testRun_, hidden, point).c_str() : L"");
    SetChartContent(Item(IDC_RESULTS_CHART), started_ ? ResultsChartData(results_) : ChartData{},
                    LoadText(started_ ? IDS_CHART_NOTHING : IDS_CHART_NO_RUN), point);
    stale_ = false;
}

void TResultsView::FillTable() {
    HWND list = Item(IDC_RESULTS_LIST);
    const auto columns = ResultColumns(results_, testRun_);
    if (columns != columns_) {
        while (ListView_DeleteColumn(list, 0)) {
        }
        for (size_t i = 0; i < columns.size(); ++i) {
            std::wstring title = ColumnTitle(columns[i]);
            LVCOLUMNW column{};
            column.mask = LVCF_TEXT | LVCF_FMT | LVCF_WIDTH;
            column.fmt = IsNumberColumn(columns[i]) ? LVCFMT_RIGHT : LVCFMT_LEFT;
            column.cx = 50;
            column.pszText = title.data();
            SendMessageW(list, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&column));
        }
        columns_ = columns;
        FitColumns();
    }
    rows_ = ResultRows(results_, IsDlgButtonChecked(window_, IDC_SHOW_EMPTY) == BST_CHECKED, sort_);
    const wchar_t point = UserDecimalPoint();
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    ListView_DeleteAllItems(list);
    for (size_t row = 0; row < rows_.size(); ++row) {
        const ItemResult& result = results_.Items()[rows_[row]];
        for (size_t i = 0; i < columns_.size(); ++i) {
            std::wstring text = CellText(result, columns_[i], point);
            LVITEMW item{};
            item.mask = LVIF_TEXT;
            item.iItem = static_cast<int>(row);
            item.iSubItem = static_cast<int>(i);
            item.pszText = text.data();
            SendMessageW(list, i == 0 ? LVM_INSERTITEMW : LVM_SETITEMTEXTW, i == 0 ? 0 : row,
                         reinterpret_cast<LPARAM>(&item));
        }
    }
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
    ShowSortArrow();
}

void TResultsView::ShowSortArrow() {
    HWND header = ListView_GetHeader(Item(IDC_RESULTS_LIST));
    for (size_t i = 0; i < columns_.size(); ++i) {
        HDITEMW item{};
        item.mask = HDI_FORMAT;
        if (!SendMessageW(header, HDM_GETITEMW, i, reinterpret_cast<LPARAM>(&item))) continue;
        item.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN);
        if (sort_ && sort_->column == columns_[i]) item.fmt |= sort_->ascending ? HDF_SORTUP : HDF_SORTDOWN;
        SendMessageW(header, HDM_SETITEMW, i, reinterpret_cast<LPARAM>(&item));
    }
}

void TResultsView::FitColumns() {
    HWND list = Item(IDC_RESULTS_LIST);
    RECT client{};
    GetClientRect(list, &client);
    const bool withOutcome = columns_.size() > 4;
    for (size_t i = 0; i < columns_.size(); ++i)
        ListView_SetColumnWidth(list, static_cast<int>(i), client.right * WidthShare(columns_[i], withOutcome) / 100);
}

std::optional<size_t> TResultsView::ItemOfRow(int row) const {
    if (row < 0 || static_cast<size_t>(row) >= rows_.size()) return std::nullopt;
    return rows_[static_cast<size_t>(row)];
}

std::optional<size_t> TResultsView::SelectedItem() const {
    return ItemOfRow(ListView_GetNextItem(Item(IDC_RESULTS_LIST), -1, LVNI_SELECTED));
}

}  // namespace klarvex
