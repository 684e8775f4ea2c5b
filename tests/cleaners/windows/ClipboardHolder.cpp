// Test helper: holds the clipboard open, as a clipboard viewer or a program
// in the middle of a copy would, until told to let go.
//   klarvex-clipboard-holder.exe, with the events of tests/support/Process.h
//   named in its environment.
// Exit status: 0 the clipboard was held, 2 it could not be opened, 3 no
// events.

#include <windows.h>

#include "support/Process.h"

int wmain() {
    HANDLE ready = klarvex::testing::OpenHoldEvent(klarvex::testing::kHoldReady, EVENT_MODIFY_STATE);
    HANDLE release = klarvex::testing::OpenHoldEvent(klarvex::testing::kHoldRelease, SYNCHRONIZE);
    if (!ready || !release) return 3;
    // The clipboard is held by a window: an open without a window does not
    // keep other programs out.
    HWND window = CreateWindowExW(0, L"STATIC", L"klarvex clipboard holder", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    if (!window || !OpenClipboard(window)) {
        SetEvent(ready);
        return 2;
    }
    SetEvent(ready);
    WaitForSingleObject(release, 60000);
    CloseClipboard();
    DestroyWindow(window);
    return 0;
}
