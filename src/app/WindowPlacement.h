#pragma once

#include <windows.h>

#include <functional>

#include "settings/Global.h"

namespace klarvex {

// GetWindowPlacement gives a top-level window's normal position in
// workspace coordinates: relative to the work area of its monitor, not to
// the monitor itself. With a taskbar at the top or the left the two differ
// by the taskbar's size. This turns such a rectangle into screen
// coordinates, the space the settings file and SetWindowPos use.
RECT WorkspaceToScreen(const RECT& workspaceRect, const RECT& monitorRect, const RECT& workRect);

// The main window's placement as the settings file stores it: its bounds in
// screen coordinates, its normal bounds while it is minimised or maximised.
class TMainPlacement final : public ISettingsWindow {
public:
    // silentStart: a silent start never placed the window, so what was
    // loaded is what is kept.
    explicit TMainPlacement(std::function<bool()> silentStart) : silentStart_(std::move(silentStart)) {}

    void Attach(HWND window) noexcept { window_ = window; }
    // The stored placement onto the window (maximised, or the stored bounds).
    void Apply() const;

    WindowBounds Bounds() const override;
    int32_t ScreenWidth() const override;
    int32_t ScreenHeight() const override;
    UINT PlacementShowCmd() const override;

private:
    HWND window_ = nullptr;
    std::function<bool()> silentStart_;
};

}  // namespace klarvex
