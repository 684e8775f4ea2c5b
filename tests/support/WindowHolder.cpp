// Test helper: another program's top-level windows, as a running browser
// has them. Registers each class named on the command line, creates one
// window of each, and keeps them (answering their messages) until released.
//   klarvex-window-holder.exe CLASS [CLASS...]
// with the events of support/Process.h named in its environment.
// Exit status: 0 the windows were held, 2 a window could not be made, 3 no
// events.

#include <windows.h>

#include <vector>

#include "support/Process.h"

int wmain(int argc, wchar_t** argv) {
    HANDLE ready = klarvex::testing::OpenHoldEvent(klarvex::testing::kHoldReady, EVENT_MODIFY_STATE);
    HANDLE release = klarvex::testing::OpenHoldEvent(klarvex::testing::kHoldRelease, SYNCHRONIZE);
    if (!ready || !release) return 3;
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    std::vector<HWND> windows;
    for (int i = 1; i < argc; ++i) {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = DefWindowProcW;
        windowClass.hInstance = instance;
        windowClass.lpszClassName = argv[i];
        RegisterClassW(&windowClass);
        HWND window = CreateWindowExW(0, argv[i], argv[i], WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10 + 20 * i, 10 + 20 * i,
                                      200, 100, nullptr, nullptr, instance, nullptr);
        if (!window) return 2;  // never ready: nobody may take it for a browser
        windows.push_back(window);
    }
    SetEvent(ready);
    while (MsgWaitForMultipleObjects(1, &release, FALSE, 60000, QS_ALLINPUT) == WAIT_OBJECT_0 + 1) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    }
    for (HWND window : windows) DestroyWindow(window);
    return 0;
}
