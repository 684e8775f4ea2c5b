#pragma once

#include <windows.h>

#include <shobjidl.h>

#include <cstdint>

#include "app/RunControl.h"
#include "base/Handles.h"

namespace klarvex {

// The run's progress on the window's taskbar button (ITaskbarList3): moving
// while a Test or the counting pass runs, filling during a Clean, red when
// the run was refused or broken off, nothing when idle. Where the shell
// offers no taskbar list, nothing is shown and nothing fails.
class TTaskbarProgress {
public:
    TTaskbarProgress() = default;
    ~TTaskbarProgress();
    TTaskbarProgress(const TTaskbarProgress&) = delete;
    TTaskbarProgress& operator=(const TTaskbarProgress&) = delete;

    void Attach(HWND window) noexcept { window_ = window; }
    // position out of kProgressMax (Normal and Error).
    void Show(TaskbarState state, int32_t position);
    // The message the shell sends when the taskbar (again) has a button for
    // the window, and what the window does with it: the state is shown anew.
    static UINT ButtonCreatedMessage();
    void OnButtonCreated();

private:
    ITaskbarList3* List();

    HWND window_ = nullptr;
    ComPtr<ITaskbarList3> list_;
    bool tried_ = false;
    bool comStarted_ = false;  // this object's CoInitializeEx, undone with it
    TaskbarState state_ = TaskbarState::None;
    int32_t position_ = 0;
};

}  // namespace klarvex
