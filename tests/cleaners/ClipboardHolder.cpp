// Test helper: holds the clipboard open, as a clipboard viewer or a program
// in the middle of a copy would, until told to let go.
//   klarvex-clipboard-holder.exe READY_EVENT RELEASE_EVENT
// Exit status: 0 the clipboard was held, 2 it could not be opened, 3 bad
// arguments.

#include <windows.h>

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) return 3;
    HANDLE ready = OpenEventW(EVENT_MODIFY_STATE, FALSE, argv[1]);
    HANDLE release = OpenEventW(SYNCHRONIZE, FALSE, argv[2]);
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
