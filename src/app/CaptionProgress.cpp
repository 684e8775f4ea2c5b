#include "app/CaptionProgress.h"

#include <commctrl.h>

#include <algorithm>
#include <new>

#include "base/Handles.h"

namespace klarvex {

namespace {

struct ProgressState {
    int low = 0;
    int high = 100;
    int position = 0;
};

ProgressState* StateOf(HWND window) { return reinterpret_cast<ProgressState*>(GetWindowLongPtrW(window, 0)); }

void Paint(HWND window, const ProgressState& state) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    RECT client;
    GetClientRect(window, &client);
    FillRect(dc, &client, GetSysColorBrush(COLOR_WINDOW));
    RECT bar = client;
    InflateRect(&bar, -1, -1);
    const int range = std::max(1, state.high - state.low);
    const int done = std::clamp(state.position - state.low, 0, range);
    bar.right = bar.left + static_cast<int>(static_cast<long long>(bar.right - bar.left) * done / range);
    const Brush fill(CreateSolidBrush(RGB(6, 176, 37)));
    FillRect(dc, &bar, fill.Get());
    FrameRect(dc, &client, GetSysColorBrush(COLOR_BTNSHADOW));

    wchar_t caption[128];
    const int length = GetWindowTextW(window, caption, 128);
    if (length > 0) {
        const DcSelection font(dc, reinterpret_cast<HFONT>(SendMessageW(GetParent(window), WM_GETFONT, 0, 0)));
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
        DrawTextW(dc, caption, length, &client, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    }
    EndPaint(window, &paint);
}

LRESULT CALLBACK ProgressProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    ProgressState* state = StateOf(window);
    switch (message) {
        case WM_NCCREATE: {
            auto* created = new (std::nothrow) ProgressState;
            if (!created) return FALSE;  // no exception into the window manager
            SetWindowLongPtrW(window, 0, reinterpret_cast<LONG_PTR>(created));
            break;
        }
        case WM_NCDESTROY:
            delete state;
            SetWindowLongPtrW(window, 0, 0);
            break;
        case WM_PAINT:
            if (state) {
                Paint(window, *state);
                return 0;
            }
            break;
        case WM_ERASEBKGND:
            return 1;
        case WM_SETTEXT: {
            const LRESULT result = DefWindowProcW(window, message, wParam, lParam);
            InvalidateRect(window, nullptr, FALSE);
            return result;
        }
        case PBM_SETRANGE32:
            if (!state) return 0;
            state->low = static_cast<int>(wParam);
            state->high = static_cast<int>(lParam);
            InvalidateRect(window, nullptr, FALSE);
            return 0;
        case PBM_SETPOS: {
            if (!state) return 0;
            const int previous = state->position;
            state->position = static_cast<int>(wParam);
            InvalidateRect(window, nullptr, FALSE);
            return previous;
        }
        case PBM_GETPOS:
            return state ? state->position : 0;
        case PBM_GETRANGE:
            if (!state) return 0;
            if (lParam) {
                auto* range = reinterpret_cast<PBRANGE*>(lParam);
                range->iLow = state->low;
                range->iHigh = state->high;
            }
            return wParam ? state->low : state->high;
        default:
            break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

void RegisterCaptionProgressClass(HINSTANCE instance) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = ProgressProc;
    windowClass.cbWndExtra = sizeof(void*);
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.lpszClassName = kCaptionProgressClass;
    RegisterClassExW(&windowClass);
}

}  // namespace klarvex
