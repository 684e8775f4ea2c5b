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

// A settings.ini that ticks the names ("Category", "Category - Item"),
// followed by the extra text (more sections).
std::string TickedSettings(const std::vector<std::string>& names, const std::string& extra);

// Polls until the condition holds or the time is up.
bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout = 20s);

std::wstring WindowTextOf(HWND window);
// The entries of a list box, in order.
std::vector<std::wstring> ListBoxLines(HWND list);

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

// The control that has the keyboard focus in the thread of window.
HWND FocusOf(HWND window);

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
    // A mouse click on the node's label; false when it is not in view.
    bool ClickLabel(HTREEITEM node);
    // Selects the node and presses the space bar.
    void PressSpaceOn(HTREEITEM node);

    // Closes the main window and waits for the process to end; its exit
    // code, or -1 when it did not end in time.
    int Close(std::chrono::milliseconds timeout = 20s);
    // Waits for the process to end by itself.
    int WaitForExit(std::chrono::milliseconds timeout);

    // The main window's picture, as a BMP under C:\Klarvex\screenshots;
    // false when no picture could be taken or written.
    bool SaveScreenshot(const std::wstring& name);
    // The same for another window of the program (a dialog it shows).
    bool SaveScreenshot(HWND window, const std::wstring& name);

    // Which of the system's box icons (IDI_INFORMATION, IDI_ERROR,
    // IDI_WARNING, IDI_QUESTION) a message box shows, judged by its picture
    // on the screen; nullptr when it shows none.
    static LPCWSTR BoxIcon(HWND box);

    // --- the main window's side windows and their controls
    // Chooses a menu entry of the main window.
    void MenuCommand(int id);
    // A window of the program of class #32770 owned by `owner` (a dialog or
    // message box it opened), once it exists.
    HWND WaitForOwned(HWND owner, std::chrono::milliseconds timeout = 10s) const;
    // A click on a button (check boxes and radio buttons too), posted: the
    // click may open a modal window.
    static void Click(HWND dialog, int id);
    // A click on the dialog's button that ends it (or the window's close),
    // then the wait until it is gone; false when it stayed.
    static bool ClickToClose(HWND dialog, int id, std::chrono::milliseconds timeout = 5s);
    static bool CloseAndWait(HWND window, std::chrono::milliseconds timeout = 5s);
    static void SetText(HWND dialog, int id, const std::wstring& text);
    static bool Enabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE; }
    static bool Checked(HWND dialog, int id);

    // List views of the program's windows.
    static int RowCount(HWND list);
    std::wstring RowText(HWND list, int row, int column = 0);
    int SelectedRow(HWND list) const;
    // Selects the row alone, as a click on it would.
    void SelectRow(HWND list, int row);
    // A double click of the mouse on the row.
    void DoubleClickRow(HWND list, int row);
    // A click on the row of a list box.
    static void ClickListBoxRow(HWND listBox, int row);

    // A tab's rectangle on the screen.
    RECT TabRect(HWND tabs, int index);
    // Mouse clicks, posted: on a tab, on the header of a list view's column.
    void ClickTab(HWND tabs, int index);
    void ClickColumnHeader(HWND list, int column);
    // Every row of a list view, its columns' texts joined by " | ".
    std::vector<std::wstring> Rows(HWND list);
    // Chooses the file in the common Save As dialog and saves.
    static void SaveAs(HWND dialog, const std::wstring& path);

private:
    // Remote memory in the program for messages that carry pointers.
    void* Remote(size_t size);
    bool ReadRemote(const void* remote, void* local, size_t size);
    bool WriteRemote(void* remote, const void* local, size_t size);
    std::wstring NodeText(HTREEITEM node);
    // A mouse click on the node, labelOffset pixels right of its label's
    // left edge; false when the node is not shown.
    bool ClickNode(HTREEITEM node, int labelOffset);

    UniqueHandle process_;
    DWORD processId_ = 0;
    HWND main_ = nullptr;
    void* remote_ = nullptr;
};


}  // namespace klarvex::testing
