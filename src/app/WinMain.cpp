// Klarvex.exe: the program entry. For now it opens the main window frame;
// the window's controls come with the main window itself.

#include <windows.h>

#include "base/Texts.h"

namespace {

constexpr wchar_t kMainWindowClass[] = L"TfrmMain";
constexpr int kDesignWidth = 692;
constexpr int kDesignHeight = 507;

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = MainWindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kMainWindowClass;
    if (!RegisterClassExW(&windowClass)) return 1;

    const int left = (GetSystemMetrics(SM_CXSCREEN) - kDesignWidth) / 2;
    const int top = (GetSystemMetrics(SM_CYSCREEN) - kDesignHeight) / 2;
    const std::wstring title = klarvex::LoadText(IDS_PRODUCT_NAME);
    HWND window = CreateWindowExW(0, kMainWindowClass, title.c_str(), WS_OVERLAPPEDWINDOW, left, top, kDesignWidth,
                                  kDesignHeight, nullptr, nullptr, instance, nullptr);
    if (!window) return 1;
    ShowWindow(window, showCommand);

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}
