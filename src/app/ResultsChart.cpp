#include "app/ResultsChart.h"

#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

#include "base/Format.h"
#include "base/Handles.h"

namespace klarvex {

namespace {

struct ChartState {
    ChartData data;
    std::wstring emptyText;
    wchar_t decimalPoint = L'.';
    HFONT font = nullptr;  // the dialog's: not ours to free
};

ChartState* StateOf(HWND chart) { return reinterpret_cast<ChartState*>(GetWindowLongPtrW(chart, GWLP_USERDATA)); }

std::wstring ValueText(const ChartState& state, int64_t value) {
    return state.data.bytes ? SizeText(value, state.decimalPoint) : FormatThousands(value);
}

int TextWidth(HDC dc, const std::wstring& text) {
    SIZE extent{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
    return static_cast<int>(extent.cx);
}

void DrawLine(HDC dc, const std::wstring& text, RECT rect, UINT format) {
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rect,
              format | DT_SINGLELINE | DT_NOPREFIX | DT_VCENTER | DT_END_ELLIPSIS);
}

// Every size follows the height of the font's lines: a row is one and a
// half lines, the margins half a line.
void Draw(HDC dc, const RECT& client, const ChartState& state) {
    FillRect(dc, &client, GetSysColorBrush(COLOR_WINDOW));
    DcSelection font(dc, state.font ? state.font : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    const int line = std::max<int>(metrics.tmHeight, 1);
    const int pad = std::max(line / 2, 2);
    const int pitch = line + line / 2;
    const int width = client.right - client.left, height = client.bottom - client.top;

    if (state.data.bars.empty()) {
        RECT rect{pad, pad, width - pad, height - pad};
        DrawTextW(dc, state.emptyText.c_str(), static_cast<int>(state.emptyText.size()), &rect,
                  DT_CENTER | DT_WORDBREAK | DT_NOPREFIX);
        return;
    }
    int top = pad;
    // The caption, unless it would leave less than two bars room.
    if (height - pad - line - pad / 2 >= 2 * pitch) {
        DrawLine(dc, ChartCaption(state.data), {pad, top, width - pad, top + line}, DT_LEFT);
        top += line + pad / 2;
    }
    const auto bars = FitBars(state.data.bars, static_cast<size_t>(std::max((height - top - pad / 2) / pitch, 1)));
    const bool summedUp = bars.size() < state.data.bars.size();

    int labelWidth = 0, valueWidth = 0;
    int64_t biggest = 1;
    for (const auto& bar : bars) {
        labelWidth = std::max(labelWidth, TextWidth(dc, bar.label));
        valueWidth = std::max(valueWidth, TextWidth(dc, ValueText(state, bar.value)));
        biggest = std::max(biggest, bar.value);
    }
    labelWidth = std::min(labelWidth, width * 2 / 5);
    const int barLeft = pad + labelWidth + pad;
    const int barRoom = std::max(width - barLeft - pad / 2 - valueWidth - pad, 1);
    for (size_t i = 0; i < bars.size(); ++i) {
        const int y = top + static_cast<int>(i) * pitch;
        DrawLine(dc, bars[i].label, {pad, y, pad + labelWidth, y + line}, DT_LEFT);
        const int length = std::max(static_cast<int>(static_cast<double>(barRoom) * static_cast<double>(bars[i].value) /
                                                     static_cast<double>(biggest)),
                                    1);
        RECT bar{barLeft, y + line / 8, barLeft + length, y + line - line / 8};
        const bool other = summedUp && i + 1 == bars.size();
        FillRect(dc, &bar, GetSysColorBrush(other ? COLOR_GRAYTEXT : COLOR_HIGHLIGHT));
        DrawLine(dc, ValueText(state, bars[i].value), {bar.right + pad / 2, y, width - pad / 2, y + line}, DT_LEFT);
    }
}

void Paint(HWND chart) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(chart, &paint);
    RECT client;
    GetClientRect(chart, &client);
    const ChartState* state = StateOf(chart);
    // Drawn off screen first, so that a resize does not flicker.
    MemoryDc memory(CreateCompatibleDC(dc));
    Bitmap picture(CreateCompatibleBitmap(dc, std::max<int>(client.right, 1), std::max<int>(client.bottom, 1)));
    if (state && memory && picture) {
        DcSelection selected(memory.Get(), picture.Get());
        Draw(memory.Get(), client, *state);
        BitBlt(dc, 0, 0, client.right, client.bottom, memory.Get(), 0, 0, SRCCOPY);
    }
    EndPaint(chart, &paint);
}

LRESULT CALLBACK ChartProc(HWND chart, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_NCCREATE:
            SetWindowLongPtrW(chart, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(new ChartState));
            break;
        case WM_NCDESTROY:
            delete StateOf(chart);
            SetWindowLongPtrW(chart, GWLP_USERDATA, 0);
            break;
        case WM_SETFONT:
            if (ChartState* state = StateOf(chart)) state->font = reinterpret_cast<HFONT>(wParam);
            if (LOWORD(lParam)) InvalidateRect(chart, nullptr, FALSE);
            return 0;
        case WM_GETFONT: {
            const ChartState* state = StateOf(chart);
            return reinterpret_cast<LRESULT>(state ? state->font : nullptr);
        }
        case WM_SIZE:
            InvalidateRect(chart, nullptr, FALSE);
            return 0;
        case WM_ERASEBKGND:
            return 1;  // the painting covers all
        case WM_PAINT:
            Paint(chart);
            return 0;
        default:
            break;
    }
    return DefWindowProcW(chart, message, wParam, lParam);
}

}  // namespace

void RegisterResultsChartClass(HINSTANCE instance) {
    WNDCLASSEXW chartClass{};
    chartClass.cbSize = sizeof(chartClass);
    chartClass.style = CS_HREDRAW | CS_VREDRAW;
    chartClass.lpfnWndProc = ChartProc;
    chartClass.hInstance = instance;
    chartClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    chartClass.lpszClassName = kResultsChartClass;
    RegisterClassExW(&chartClass);
}

void SetChartContent(HWND chart, ChartData data, const std::wstring& emptyText, wchar_t decimalPoint) {
    ChartState* state = StateOf(chart);
    if (!state) return;
    state->data = std::move(data);
    state->emptyText = emptyText;
    state->decimalPoint = decimalPoint;
    std::wstring words = state->data.bars.empty() ? emptyText : ChartCaption(state->data);
    for (const auto& bar : state->data.bars) words += L"\r\n" + bar.label + L": " + ValueText(*state, bar.value);
    SetWindowTextW(chart, words.c_str());
    InvalidateRect(chart, nullptr, FALSE);
}

}  // namespace klarvex
