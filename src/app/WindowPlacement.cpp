#include "app/WindowPlacement.h"

namespace klarvex {

RECT WorkspaceToScreen(const RECT& workspaceRect, const RECT& monitorRect, const RECT& workRect) {
    RECT rect = workspaceRect;
    OffsetRect(&rect, workRect.left - monitorRect.left, workRect.top - monitorRect.top);
    return rect;
}

void TMainPlacement::Apply() const {
    if (Settings.WindowState == 2) {
        ShowWindow(window_, SW_MAXIMIZE);
        return;
    }
    SetWindowPos(window_, nullptr, Settings.Left, Settings.Top, Settings.Width, Settings.Height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

WindowBounds TMainPlacement::Bounds() const {
    if (silentStart_()) return {Settings.Left, Settings.Top, Settings.Width, Settings.Height};
    RECT rect;
    GetWindowRect(window_, &rect);
    // A minimised window sits far off screen: its bounds would bring the
    // next start up where nobody can see it. Its normal bounds are kept,
    // and so are a maximised window's.
    WINDOWPLACEMENT placement{};
    placement.length = sizeof(placement);
    if ((IsIconic(window_) || IsZoomed(window_)) && GetWindowPlacement(window_, &placement)) {
        rect = placement.rcNormalPosition;
        MONITORINFO monitor{};
        monitor.cbSize = sizeof(monitor);
        if (GetMonitorInfoW(MonitorFromRect(&rect, MONITOR_DEFAULTTONEAREST), &monitor))
            rect = WorkspaceToScreen(rect, monitor.rcMonitor, monitor.rcWork);
    }
    return {rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
}

int32_t TMainPlacement::ScreenWidth() const { return GetSystemMetrics(SM_CXSCREEN); }

int32_t TMainPlacement::ScreenHeight() const { return GetSystemMetrics(SM_CYSCREEN); }

UINT TMainPlacement::PlacementShowCmd() const {
    if (silentStart_()) return Settings.WindowState == 2 ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL;
    WINDOWPLACEMENT placement{};
    placement.length = sizeof(placement);
    if (!GetWindowPlacement(window_, &placement)) return 0;
    return placement.showCmd;
}

}  // namespace klarvex
