#include "app/MainLayout.h"

#include <commctrl.h>

#include <algorithm>
#include <string>

#include "app/MainRes.h"
#include "base/Handles.h"
#include "base/Texts.h"
#include "ui/DialogBase.h"

namespace klarvex {

namespace {

constexpr int kPanelHeight = 30;
constexpr UINT kLinkGetIdealSize = WM_USER + 0x301;  // LM_GETIDEALSIZE

std::wstring WindowText(HWND window) {
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

// A link's width for its whole text on one line, at least atLeast (all
// it gets when the control cannot tell).
int IdealLinkWidth(HWND window, int id, int atLeast) {
    SIZE ideal{};
    SendMessageW(GetDlgItem(window, id), kLinkGetIdealSize, 0x7FFF, reinterpret_cast<LPARAM>(&ideal));
    return std::max(atLeast, static_cast<int>(ideal.cx));
}

}  // namespace

void LayoutMainWindow(HWND window, int dpi) {
    auto scale = [dpi](int pixels) { return ScaleToDpi(pixels, dpi); };
    RECT client;
    GetClientRect(window, &client);
    const int width = client.right, height = client.bottom;
    const int margin = scale(8);
    auto place = [window](int id, int x, int y, int w, int h) {
        SetWindowPos(GetDlgItem(window, id), nullptr, x, y, std::max(w, 0), std::max(h, 0),
                     SWP_NOZORDER | SWP_NOACTIVATE);
    };

    const int panelTop = height - scale(kPanelHeight);
    const int contentBottom = panelTop - scale(10);
    const int top = scale(kMainTitleHeight) + scale(6);
    const int labelHeight = scale(15);

    place(IDC_TITLE, scale(16), scale(4), width - scale(32), scale(26));
    place(IDC_TITLE_HINT, scale(18), scale(30), width - scale(32), labelHeight);

    const int treeWidth = scale(250);
    place(IDC_TREE_LABEL, margin, top, treeWidth, labelHeight);
    place(IDC_TREE, margin, top + labelHeight + scale(3), treeWidth, contentBottom - (top + labelHeight + scale(3)));

    const int groupLeft = margin + treeWidth + scale(8);
    const int groupRight = width - scale(6);
    place(IDC_PROGRESS_GROUP, groupLeft, top, groupRight - groupLeft, contentBottom - top);

    const int innerLeft = groupLeft + scale(8);
    const int innerWidth = groupRight - groupLeft - scale(16);
    // The buttons are as wide as their longest text (Test turns into
    // Cancel during a run) and the labels as their texts, in any language.
    HWND test = GetDlgItem(window, IDC_TEST);
    const int buttonWidth = std::max({scale(75), TextWidth(test, LoadText(IDS_TEST_BUTTON)) + scale(16),
                                      TextWidth(test, LoadText(IDS_CANCEL)) + scale(16),
                                      TextWidth(test, WindowText(GetDlgItem(window, IDC_CLEAN))) + scale(16)});
    const int buttonHeight = scale(25);
    const int buttonTop = contentBottom - scale(10) - buttonHeight;
    const int progressTop = top + scale(20);
    const int progressHeight = scale(20);
    place(IDC_PROGRESS, innerLeft, progressTop, innerWidth, progressHeight);
    const int logTop = progressTop + progressHeight + scale(6);
    // "Clearing:" sits 8 pixels below the log and the count 5 pixels below
    // it, both above the buttons and not beside them: beside them, the
    // count's label would run under the Test button at the minimum width.
    // The labels end 10 pixels above the buttons, where the log would.
    const int logBottom = buttonTop - scale(10) - 2 * labelHeight - scale(13);
    // The tabs over the log's place, as high as their row; below them the
    // log or the results, whichever is chosen.
    HWND tabs = GetDlgItem(window, IDC_RESULT_TABS);
    RECT display{0, 0, innerWidth, scale(200)};
    TabCtrl_AdjustRect(tabs, FALSE, &display);
    const int tabsHeight = std::max<int>(display.top, labelHeight);
    place(IDC_RESULT_TABS, innerLeft, logTop, innerWidth, tabsHeight);
    const RECT page{innerLeft, logTop + tabsHeight + scale(2), innerLeft + innerWidth, logBottom};
    place(IDC_LOG, page.left, page.top, page.right - page.left, page.bottom - page.top);
    PlaceResultsPage(window, dpi, page);

    const int cleanLeft = innerLeft + innerWidth - buttonWidth;
    const int testLeft = cleanLeft - scale(20) - buttonWidth;
    place(IDC_CLEAN, cleanLeft, buttonTop, buttonWidth, buttonHeight);
    place(IDC_TEST, testLeft, buttonTop, buttonWidth, buttonHeight);
    // The run's state in words, left of the buttons.
    place(IDC_RUN_STATUS, innerLeft, buttonTop + (buttonHeight - labelHeight) / 2, testLeft - scale(8) - innerLeft,
          labelHeight);

    const int clearingTop = logBottom + scale(8);
    HWND clearing = GetDlgItem(window, IDC_CLEARING_LABEL);
    const int clearingWidth = std::max(scale(50), TextWidth(clearing, WindowText(clearing)) + scale(4));
    place(IDC_CLEARING_LABEL, innerLeft, clearingTop, clearingWidth, labelHeight);
    place(IDC_CURRENT_ITEM, innerLeft + clearingWidth, clearingTop, innerWidth - clearingWidth, labelHeight);
    PlaceCountLabels(window, dpi);

    place(IDC_BOTTOM_RULE, 0, panelTop, width, 2);
    const int linkTop = panelTop + scale(8);
    place(IDC_ONLINE_HELP, margin, linkTop, std::min(IdealLinkWidth(window, IDC_ONLINE_HELP, scale(90)), treeWidth),
          labelHeight);
    HWND fastMode = GetDlgItem(window, IDC_FAST_MODE);
    const int fastModeWidth = std::max(scale(120), TextWidth(fastMode, WindowText(fastMode)) + scale(24));
    place(IDC_FAST_MODE, groupLeft, panelTop + scale(6), fastModeWidth, scale(18));
    const int updateWidth = std::max(scale(160), width - scale(8) - (groupLeft + fastModeWidth + scale(8)));
    place(IDC_CHECK_UPDATE, width - scale(8) - updateWidth, linkTop, updateWidth, labelHeight);
    // The link control draws its text from the left: move it so that the
    // text ends at the margin.
    SIZE ideal{};
    if (SendMessageW(GetDlgItem(window, IDC_CHECK_UPDATE), kLinkGetIdealSize, static_cast<WPARAM>(updateWidth),
                     reinterpret_cast<LPARAM>(&ideal)) > 0 &&
        ideal.cx > 0 && ideal.cx <= updateWidth)
        place(IDC_CHECK_UPDATE, width - scale(8) - ideal.cx, linkTop, ideal.cx, labelHeight);

    InvalidateRect(window, nullptr, TRUE);
}

// The results: above the table its label and the check box, under it the
// totals; the chart under them, or beside them where the page is wide.
void PlaceResultsPage(HWND window, int dpi, const RECT& page) {
    auto scale = [dpi](int pixels) { return ScaleToDpi(pixels, dpi); };
    auto place = [window](int id, int x, int y, int w, int h) {
        SetWindowPos(GetDlgItem(window, id), nullptr, x, y, std::max(w, 0), std::max(h, 0),
                     SWP_NOZORDER | SWP_NOACTIVATE);
    };
    const int width = page.right - page.left;
    const int rowHeight = scale(18), gap = scale(4), totalHeight = scale(16);
    // The check box as wide as its text, in any language.
    HWND showEmpty = GetDlgItem(window, IDC_SHOW_EMPTY);
    const int checkWidth =
        std::min(std::max(scale(230), TextWidth(showEmpty, WindowText(showEmpty)) + scale(24)), width * 3 / 4);
    place(IDC_RESULTS_LABEL, page.left, page.top + scale(2), width - checkWidth - gap, scale(15));
    place(IDC_SHOW_EMPTY, page.right - checkWidth, page.top, checkWidth, rowHeight);
    const int tableTop = page.top + rowHeight + gap;
    if (width >= scale(640)) {
        const int tableWidth = width * 3 / 5;
        const int tableHeight = page.bottom - tableTop - gap - totalHeight;
        place(IDC_RESULTS_LIST, page.left, tableTop, tableWidth, tableHeight);
        place(IDC_RESULTS_TOTAL, page.left, page.bottom - totalHeight, tableWidth, totalHeight);
        const int chartLeft = page.left + tableWidth + scale(8);
        place(IDC_RESULTS_CHART, chartLeft, tableTop, page.right - chartLeft, page.bottom - tableTop);
        return;
    }
    const int tableHeight = (page.bottom - tableTop - totalHeight - 2 * gap) * 11 / 20;
    place(IDC_RESULTS_LIST, page.left, tableTop, width, tableHeight);
    const int totalTop = tableTop + tableHeight + gap;
    place(IDC_RESULTS_TOTAL, page.left, totalTop, width, totalHeight);
    const int chartTop = totalTop + totalHeight + gap;
    place(IDC_RESULTS_CHART, page.left, chartTop, width, page.bottom - chartTop);
}

void PlaceCountLabels(HWND window, int dpi) {
    RECT clearing;
    GetWindowRect(GetDlgItem(window, IDC_CLEARING_LABEL), &clearing);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&clearing), 2);
    HWND total = GetDlgItem(window, IDC_TOTAL_ITEMS);
    const int width = TextWidth(total, WindowText(total));
    const int top = clearing.bottom + ScaleToDpi(5, dpi);
    const int height = clearing.bottom - clearing.top;
    SetWindowPos(total, nullptr, clearing.left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    SetWindowPos(GetDlgItem(window, IDC_NUMBER), nullptr, clearing.left + width + ScaleToDpi(5, dpi), top,
                 ScaleToDpi(80, dpi), height, SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace klarvex
