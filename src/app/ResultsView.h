#pragma once

#include <windows.h>

#include <optional>
#include <vector>

#include "app/ResultsTable.h"
#include "engine/RunResults.h"

namespace klarvex {

// The main window's results of the last run, over the place of the log: a
// tab control switches between the results (the table of items, the
// totals, the chart) and the log. The results are collected while the run
// goes; the table and the chart are made when they are shown.
class TResultsView {
public:
    enum class Page { Results, Log };

    // Takes the window's controls; the log is shown.
    void Attach(HWND window);

    // A run begins: its results start empty, and the log is shown.
    void Start(bool testRun, bool fastMode);
    bool TestRun() const noexcept { return testRun_; }
    bool FastMode() const noexcept { return fastMode_; }

    TRunResults& Results() noexcept { return results_; }
    const TRunResults& Results() const noexcept { return results_; }
    // The results have changed: the table and the chart follow now when
    // shown, else when they are next shown.
    void Changed();

    void ShowPage(Page page);
    Page ShownPage() const;
    // The page whose tab has that access key (any letter case).
    std::optional<Page> PageOfAccessKey(wchar_t key) const;
    // The tab control's selection changed (by mouse or keys).
    void OnTabChanged();
    void OnColumnClick(int column);
    void OnShowEmptyClicked();
    // The columns' widths for the table's width; after each layout.
    void FitColumns();

    // The item of a row of the table, and of the row selected.
    std::optional<size_t> ItemOfRow(int row) const;
    std::optional<size_t> SelectedItem() const;

private:
    HWND Item(int id) const { return GetDlgItem(window_, id); }
    void Refresh();
    void FillTable();
    void ShowSortArrow();

    HWND window_ = nullptr;
    TRunResults results_;
    bool started_ = false;
    bool testRun_ = true;
    bool fastMode_ = true;
    bool stale_ = false;  // changed since the table was made
    std::optional<ResultsSort> sort_;
    std::vector<ResultColumn> columns_;
    std::vector<size_t> rows_;
};

// The user's decimal point, for sizes.
wchar_t UserDecimalPoint();

}  // namespace klarvex
