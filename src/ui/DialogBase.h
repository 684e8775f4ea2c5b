#pragma once

#include <windows.h>

#include <string>

namespace klarvex {

// Base of every dialog of the program, the main window included. It owns the
// only dialog procedure: the object is bound to its window at WM_INITDIALOG
// and every message goes to a virtual handler. No exception ever leaves a
// handler into Windows: it is shown in an error box instead.
class TDialogBase {
public:
    TDialogBase(const TDialogBase&) = delete;
    TDialogBase& operator=(const TDialogBase&) = delete;
    virtual ~TDialogBase() = default;

    // Runs the dialog modally; returns the value it was ended with.
    INT_PTR ShowModal(HWND owner);
    // Creates the dialog as a modeless window (the main window).
    HWND Create(HWND owner);

    HWND Handle() const noexcept { return window_; }
    HWND Item(int id) const noexcept { return GetDlgItem(window_, id); }

protected:
    explicit TDialogBase(UINT templateId) noexcept : templateId_(templateId) {}

    virtual void OnInit() {}
    // Commands of controls and menus; return true when handled.
    virtual bool OnCommand(WORD id, WORD code, HWND control);
    // WM_NOTIFY; set result and return true when handled.
    virtual bool OnNotify(const NMHDR& header, LRESULT& result);
    virtual void OnTimer(UINT_PTR) {}
    virtual void OnOK() { End(IDOK); }
    virtual void OnCancel() { End(IDCANCEL); }
    // Any other message; set result and return true when handled.
    virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    // A key pressed in the modal dialog, before the dialog manager makes
    // Tab, Esc, Enter or an access key of it; true when it was used.
    virtual bool OnDialogKey(const MSG&) { return false; }

    // Ends a modal dialog with that result, or destroys a modeless one.
    void End(INT_PTR result);

    std::wstring ItemText(int id) const;
    void SetItemText(int id, const std::wstring& text) const;
    // Centres the dialog on its owner window, kept inside the owner's
    // monitor.
    void CenterOnOwner() const;
    // The control that has the focus when the dialog opens (called from
    // OnInit); without it, the first control of the tab order.
    void FocusOnOpen(int id) { initialFocus_ = id; }
    // The focus to control, as the dialog manager moves it (the default
    // button follows).
    void FocusItem(HWND control) const;
    // Enable, disable, show or hide a control. A control that has the focus
    // hands it on to the next one first: a disabled or hidden control would
    // keep the keyboard with it.
    void EnableItem(int id, bool enable) const;
    void ShowItem(int id, bool show) const;

private:
    class ModalKeys;

    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK KeyFilter(int code, WPARAM wParam, LPARAM lParam);
    INT_PTR Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
    void MoveFocusOff(HWND control) const;
    LPCDLGTEMPLATEW Template() const;

    UINT templateId_;
    HWND window_ = nullptr;
    bool modal_ = false;
    int initialFocus_ = 0;
};

// MessageBoxW with the buttons named in the language of the texts.
int MessageBoxInLanguage(HWND owner, const std::wstring& text, const std::wstring& caption, UINT style);
// A menu of the program in the language of the texts; the caller owns it.
HMENU LoadMenuInLanguage(UINT id);

// Message boxes with the product name as their caption.
void ShowInfoBox(HWND owner, const std::wstring& text);
void ShowInfoBox(HWND owner, const std::wstring& text, const std::wstring& caption);
// A question whose Yes removes or overwrites something: the warning icon,
// and No is the default.
bool AskYesNoBox(HWND owner, const std::wstring& text);
void ShowErrorBox(HWND owner, const std::wstring& text);

// Centres a window on its owner (on the work area when it has none or
// the owner is hidden), kept inside the work area.
void CentreOnOwner(HWND window);

// A hint shown while the mouse rests on the control; the tooltip window is
// the dialog's and goes with it.
HWND AddToolTip(HWND dialog, HWND control, const std::wstring& text);

// The window's own DPI (per monitor on Windows 10 and later; the system's
// DPI where the call does not exist).
int WindowDpi(HWND window);
// Pixels at 96 DPI to pixels at that DPI.
inline int ScaleToDpi(int pixels, int dpi) { return MulDiv(pixels, dpi, 96); }

// The width of a text in the control's font, an access key's mark left
// out: what a control needs to show it on one line.
int TextWidth(HWND control, std::wstring text);

// Opens a web address in the default browser.
void OpenWebPage(HWND owner, const std::wstring& address);

}  // namespace klarvex
