#pragma once

#include "support/Fixtures.h"

// Drives the real Klarvex.exe from another process, as a user would: it
// starts the program, finds its windows, clicks buttons, ticks tree nodes
// and reads the log, the labels and the message boxes.

#include <windows.h>

#include <commctrl.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "base/Handles.h"

namespace klarvex::testing {

using namespace std::chrono_literals;

// Polls until the condition holds or the time is up.
bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout = 20s);

std::wstring WindowTextOf(HWND window);

// Real key presses and mouse clicks on the virtual display, made by
// xdotool as a user would make them. Wine sends a key to the window that
// has the X focus, so the window is focused first. xdotool runs beside the
// test, not inside it: wait for what the input does, never for xdotool.
bool XdotoolInstalled();
// keys as xdotool names them: "ctrl+shift+F12", "Delete", "KP_7".
void PressKeys(HWND window, const std::wstring& keys);
// A left click in the middle of rect (screen coordinates) of window.
void ClickAt(HWND window, const RECT& rect);
void ClickOn(HWND control);

class KlarvexApp {
public:
    // Starts C:\Klarvex\Klarvex.exe with the given first argument (none
    // when empty).
    explicit KlarvexApp(const std::wstring& argument = L"");
    ~KlarvexApp();
    KlarvexApp(const KlarvexApp&) = delete;
    KlarvexApp& operator=(const KlarvexApp&) = delete;

    bool Started() const { return static_cast<bool>(process_); }
    DWORD ProcessId() const { return processId_; }
    // The main window once it exists (waits for it).
    HWND Main();
    HWND Control(int id);

    // A top-level window of the program with that class and caption.
    HWND FindWindowOf(const std::wstring& className, const std::wstring& caption) const;
    HWND WaitForWindow(const std::wstring& className, const std::wstring& caption,
                       std::chrono::milliseconds timeout = 10s) const;
    // The message box (or dialog) titled caption: its static texts.
    static std::vector<std::wstring> StaticTexts(HWND dialog);

    // True when the link control shows its text as a link (its markup
    // was understood).
    bool HasLink(HWND link);

    std::vector<std::wstring> LogLines();
    std::wstring ProgressCaption();

    // Tree of clean items: the node of "Category" or "Category - Item".
    HTREEITEM FindNode(const std::wstring& name);
    // 0 no check box, 1 unticked, 2 ticked.
    int TickState(HTREEITEM node);
    bool IsExpanded(HTREEITEM node);
    // A mouse click on the node's check box.
    void ClickCheckBox(HTREEITEM node);
    // Selects the node and presses the space bar.
    void PressSpaceOn(HTREEITEM node);

    // Closes the main window and waits for the process to end; its exit
    // code, or -1 when it did not end in time.
    int Close(std::chrono::milliseconds timeout = 20s);
    // Waits for the process to end by itself.
    int WaitForExit(std::chrono::milliseconds timeout);

    // The picture of a window of the program (the main window when none
    // is named), as a BMP under C:\Klarvex\screenshots; false when no
    // picture could be taken or written.
    bool SaveScreenshot(const std::wstring& name, HWND window = nullptr);

    // A tab's rectangle on the screen.
    RECT TabRect(HWND tabs, int index);

private:
    // Remote memory in the program for messages that carry pointers.
    void* Remote(size_t size);
    bool ReadRemote(const void* remote, void* local, size_t size);
    bool WriteRemote(void* remote, const void* local, size_t size);
    std::wstring NodeText(HTREEITEM node);

    UniqueHandle process_;
    DWORD processId_ = 0;
    HWND main_ = nullptr;
    void* remote_ = nullptr;
};


}  // namespace klarvex::testing
