#include "ui/DialogBase.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <cwchar>
#include <exception>
#include <utility>
#include <vector>

#include "base/Exception.h"
#include "base/Handles.h"
#include "base/Strings.h"
#include "base/Texts.h"

namespace klarvex {

namespace {

// Messages whose result a dialog procedure returns directly instead of
// through DWLP_MSGRESULT.
bool ReturnsResultDirectly(UINT message) {
    switch (message) {
        case WM_CTLCOLORMSGBOX:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORDLG:
        case WM_CTLCOLORSCROLLBAR:
        case WM_CTLCOLORSTATIC:
        case WM_COMPAREITEM:
        case WM_VKEYTOITEM:
        case WM_CHARTOITEM:
        case WM_QUERYDRAGICON:
        case WM_INITDIALOG:
            return true;
        default:
            return false;
    }
}

// An exception caught at the edge to Windows, shown in an error box.
void ShowCaughtException(HWND window) {
    try {
        throw;
    } catch (const Exception& e) {
        ShowErrorBox(window, e.Message());
    } catch (const std::exception& e) {
        ShowErrorBox(window, Utf8ToWide(e.what()));
    } catch (...) {
        ShowErrorBox(window, LoadText(IDS_UNKNOWN_ERROR));
    }
}

// The modal dialogs of this thread, the innermost last, and the message
// filter that hands them their keys while there is one. The dialog
// manager's own loop offers every message to the filter before it makes
// Tab, Esc, Enter or an access key of it.
thread_local std::vector<TDialogBase*> modalDialogs;
thread_local HHOOK keyFilter = nullptr;

}  // namespace

class TDialogBase::ModalKeys {
public:
    explicit ModalKeys(TDialogBase* dialog) {
        if (modalDialogs.empty())
            keyFilter = SetWindowsHookExW(WH_MSGFILTER, KeyFilter, nullptr, GetCurrentThreadId());
        modalDialogs.push_back(dialog);
    }
    ~ModalKeys() {
        modalDialogs.pop_back();
        if (modalDialogs.empty() && keyFilter) {
            UnhookWindowsHookEx(keyFilter);
            keyFilter = nullptr;
        }
    }
    ModalKeys(const ModalKeys&) = delete;
    ModalKeys& operator=(const ModalKeys&) = delete;
};

INT_PTR TDialogBase::ShowModal(HWND owner) {
    modal_ = true;
    ModalKeys keys(this);
    return DialogBoxIndirectParamW(GetModuleHandleW(nullptr), Template(), owner, DialogProc,
                                   reinterpret_cast<LPARAM>(this));
}

LRESULT CALLBACK TDialogBase::KeyFilter(int code, WPARAM wParam, LPARAM lParam) {
    if (code == MSGF_DIALOGBOX && !modalDialogs.empty()) {
        const MSG& message = *reinterpret_cast<const MSG*>(lParam);
        TDialogBase* dialog = modalDialogs.back();
        HWND window = dialog->window_;
        // Only keys meant for the innermost dialog: a message box it opened
        // has keys of its own.
        if ((message.message == WM_KEYDOWN || message.message == WM_SYSKEYDOWN) && window &&
            (message.hwnd == window || IsChild(window, message.hwnd))) {
            try {
                if (dialog->OnDialogKey(message)) return 1;
            } catch (...) {
                ShowCaughtException(window);
                return 1;
            }
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

HWND TDialogBase::Create(HWND owner) {
    modal_ = false;
    return CreateDialogIndirectParamW(GetModuleHandleW(nullptr), Template(), owner, DialogProc,
                                      reinterpret_cast<LPARAM>(this));
}

// The dialog in the language of the texts, found here: the dialog manager
// would pick a language of its own.
LPCDLGTEMPLATEW TDialogBase::Template() const {
    return static_cast<LPCDLGTEMPLATEW>(FindLanguageResource(RT_DIALOG, templateId_).data);
}

void TDialogBase::End(INT_PTR result) {
    if (modal_) EndDialog(window_, result);
    else DestroyWindow(window_);
}

bool TDialogBase::OnCommand(WORD id, WORD, HWND) {
    if (id == IDOK) {
        OnOK();
        return true;
    }
    if (id == IDCANCEL) {
        OnCancel();
        return true;
    }
    return false;
}

bool TDialogBase::OnNotify(const NMHDR&, LRESULT&) { return false; }

bool TDialogBase::OnMessage(UINT, WPARAM, LPARAM, LRESULT&) { return false; }

std::wstring TDialogBase::ItemText(int id) const {
    HWND item = Item(id);
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(item)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(item, text.data(), static_cast<int>(text.size()))));
    return text;
}

void TDialogBase::SetItemText(int id, const std::wstring& text) const { SetDlgItemTextW(window_, id, text.c_str()); }

void TDialogBase::MoveFocusOff(HWND control) const {
    HWND focus = GetFocus();
    if (!focus || (focus != control && !IsChild(control, focus))) return;
    HWND next = GetNextDlgTabItem(window_, control, FALSE);
    if (next && next != control) FocusItem(next);
}

void TDialogBase::FocusItem(HWND control) const {
    SendMessageW(window_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
}

void TDialogBase::EnableItem(int id, bool enable) const {
    HWND control = Item(id);
    if (!enable) MoveFocusOff(control);
    EnableWindow(control, enable ? TRUE : FALSE);
}

void TDialogBase::ShowItem(int id, bool show) const {
    HWND control = Item(id);
    if (!show) MoveFocusOff(control);
    ShowWindow(control, show ? SW_SHOW : SW_HIDE);
}

void TDialogBase::CenterOnOwner() const {
    HWND owner = GetWindow(window_, GW_OWNER);
    RECT dialog, around;
    GetWindowRect(window_, &dialog);
    if (!owner || !GetWindowRect(owner, &around)) return;
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    GetMonitorInfoW(MonitorFromWindow(owner, MONITOR_DEFAULTTONEAREST), &monitor);
    const RECT& work = monitor.rcWork;
    const LONG width = dialog.right - dialog.left, height = dialog.bottom - dialog.top;
    LONG left = (around.left + around.right - width) / 2, top = (around.top + around.bottom - height) / 2;
    left = std::max(work.left, std::min(left, work.right - width));
    top = std::max(work.top, std::min(top, work.bottom - height));
    SetWindowPos(window_, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

INT_PTR CALLBACK TDialogBase::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    TDialogBase* self;
    if (message == WM_INITDIALOG) {
        self = reinterpret_cast<TDialogBase*>(lParam);
        self->window_ = window;
        SetWindowLongPtrW(window, DWLP_USER, lParam);
    } else {
        self = reinterpret_cast<TDialogBase*>(GetWindowLongPtrW(window, DWLP_USER));
    }
    if (!self) return FALSE;
    try {
        const INT_PTR handled = self->Dispatch(message, wParam, lParam);
        if (message == WM_NCDESTROY) {
            SetWindowLongPtrW(window, DWLP_USER, 0);
            self->window_ = nullptr;
        }
        return handled;
    } catch (...) {
        ShowCaughtException(window);
    }
    return FALSE;
}

INT_PTR TDialogBase::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            OnInit();
            if (initialFocus_ == 0) return TRUE;
            // FALSE: the dialog manager leaves the focus where it was put.
            FocusItem(Item(initialFocus_));
            return FALSE;
        case WM_COMMAND:
            return OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam)) ? TRUE : FALSE;
        case WM_NOTIFY: {
            LRESULT result = 0;
            if (!OnNotify(*reinterpret_cast<const NMHDR*>(lParam), result)) return FALSE;
            SetWindowLongPtrW(window_, DWLP_MSGRESULT, result);
            return TRUE;
        }
        case WM_TIMER:
            OnTimer(wParam);
            return TRUE;
        default: {
            LRESULT result = 0;
            if (!OnMessage(message, wParam, lParam, result)) return FALSE;
            if (ReturnsResultDirectly(message)) return static_cast<INT_PTR>(result);
            SetWindowLongPtrW(window_, DWLP_MSGRESULT, result);
            return TRUE;
        }
    }
}

namespace {

// The buttons of the system's message box speak the language of Windows:
// they are given the program's words as the box opens.
thread_local HHOOK boxHook = nullptr;

LRESULT CALLBACK NameBoxButtons(int code, WPARAM wParam, LPARAM lParam) {
    const auto box = reinterpret_cast<HWND>(wParam);
    wchar_t className[8] = L"";
    if (code == HCBT_ACTIVATE && GetClassNameW(box, className, 8) && wcscmp(className, L"#32770") == 0) {
        for (const auto& [button, text] : {std::pair{IDOK, IDS_BUTTON_OK}, std::pair{IDYES, IDS_BUTTON_YES},
                                          std::pair{IDNO, IDS_BUTTON_NO}})
            if (HWND control = GetDlgItem(box, button)) SetWindowTextW(control, LoadText(text).c_str());
        UnhookWindowsHookEx(std::exchange(boxHook, nullptr));
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

int MessageBoxInLanguage(HWND owner, const std::wstring& text, const std::wstring& caption, UINT style) {
    if (!boxHook) boxHook = SetWindowsHookExW(WH_CBT, NameBoxButtons, nullptr, GetCurrentThreadId());
    const int result = MessageBoxW(owner, text.c_str(), caption.c_str(), style);
    // A box that never opened leaves the hook behind.
    if (boxHook) UnhookWindowsHookEx(std::exchange(boxHook, nullptr));
    return result;
}

HMENU LoadMenuInLanguage(UINT id) {
    const ResourceBytes menu = FindLanguageResource(RT_MENU, id);
    return menu.data ? LoadMenuIndirectW(menu.data) : nullptr;
}

void ShowInfoBox(HWND owner, const std::wstring& text) { ShowInfoBox(owner, text, LoadText(IDS_PRODUCT_NAME)); }

void ShowInfoBox(HWND owner, const std::wstring& text, const std::wstring& caption) {
    MessageBoxInLanguage(owner, text, caption, MB_OK | MB_ICONINFORMATION);
}

bool AskYesNoBox(HWND owner, const std::wstring& text) {
    return MessageBoxInLanguage(owner, text, LoadText(IDS_PRODUCT_NAME), MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) ==
           IDYES;
}

void ShowErrorBox(HWND owner, const std::wstring& text) {
    MessageBoxInLanguage(owner, text, LoadText(IDS_PRODUCT_NAME), MB_OK | MB_ICONERROR);
}

void CentreOnOwner(HWND window) {
    RECT own{};
    GetWindowRect(window, &own);
    const int width = own.right - own.left, height = own.bottom - own.top;
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    RECT around = work;
    HWND owner = GetWindow(window, GW_OWNER);
    if (owner && IsWindowVisible(owner) && !IsIconic(owner)) GetWindowRect(owner, &around);
    int x = around.left + (around.right - around.left - width) / 2;
    int y = around.top + (around.bottom - around.top - height) / 2;
    x = std::max<int>(work.left, std::min<int>(x, work.right - width));
    y = std::max<int>(work.top, std::min<int>(y, work.bottom - height));
    SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOSIZE);
}

HWND AddToolTip(HWND dialog, HWND control, const std::wstring& text) {
    HWND tooltip = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, 0, 0, 0, 0, dialog, nullptr,
                                   GetModuleHandleW(nullptr), nullptr);
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = dialog;
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    tool.lpszText = const_cast<wchar_t*>(text.c_str());
    SendMessageW(tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    return tooltip;
}

int WindowDpi(HWND window) {
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow = reinterpret_cast<GetDpiForWindowFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    if (getDpiForWindow)
        if (const UINT dpi = getDpiForWindow(window)) return static_cast<int>(dpi);
    WindowDc screen(window);
    const int dpi = GetDeviceCaps(screen.Get(), LOGPIXELSX);
    return dpi > 0 ? dpi : 96;
}

int TextWidth(HWND control, std::wstring text) {
    std::erase(text, L'&');
    SIZE extent{};
    WindowDc dc(control);
    DcSelection font(dc.Get(), reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
    GetTextExtentPoint32W(dc.Get(), text.c_str(), static_cast<int>(text.size()), &extent);
    return extent.cx;
}

void OpenWebPage(HWND owner, const std::wstring& address) {
    ShellExecuteW(owner, L"open", address.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace klarvex
