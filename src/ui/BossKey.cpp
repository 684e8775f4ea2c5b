#include "ui/BossKey.h"

#include "base/Texts.h"
#include "ui/DialogBase.h"

namespace klarvex {

namespace {

constexpr std::wstring_view kBrowserClasses[] = {L"IEFrame", L"NS_AE_WindowClass", L"MozillaWindowClass",
                                                 L"MozillaUIWindowClass", L"OpWindow"};

BOOL CALLBACK HideShowBrowserWindow(HWND window, LPARAM hide) {
    wchar_t className[256];
    const int length = GetClassNameW(window, className, 256);
    // A window gone in the meantime has no class and matches nothing.
    if (length > 0 && IsBrowserWindowClass(std::wstring_view(className, static_cast<size_t>(length))))
        ShowWindow(window, hide ? SW_HIDE : SW_SHOW);
    return TRUE;
}

}  // namespace

UINT HotkeyModifiers(const THotkey& hotkey) {
    return (hotkey.IsCtrl ? MOD_CONTROL : 0) | (hotkey.IsShift ? MOD_SHIFT : 0) | (hotkey.IsAlt ? MOD_ALT : 0);
}

bool IsBrowserWindowClass(std::wstring_view className) {
    for (std::wstring_view browser : kBrowserClasses)
        if (className == browser) return true;
    return false;
}

void HideShowBrowserWindows(bool hide) { EnumWindows(HideShowBrowserWindow, hide ? 1 : 0); }

void TBossKey::Register() {
    atom_ = GlobalAddAtomW(kBossKeyAtomName);
    // The atom stays when the registration fails: the next Unregister
    // finds it by name and deletes it.
    if (!atom_ || !RegisterHotKey(window_, atom_, HotkeyModifiers(Settings.Hotkey), Settings.Hotkey.CharAscII))
        ShowErrorBox(GetActiveWindow(), LoadText(IDS_BOSS_KEY_FAILED));
}

void TBossKey::Unregister() {
    const ATOM atom = GlobalFindAtomW(kBossKeyAtomName);
    if (!atom) return;
    UnregisterHotKey(window_, atom);
    GlobalDeleteAtom(atom);
}

void TBossKey::OnHotkey(WPARAM id) {
    browsersHidden_ = !browsersHidden_;
    if (atom_ != 0 && id == atom_) HideShowBrowserWindows(browsersHidden_);
}

void TBossKey::Release() {
    if (Settings.EnableHotkey) Unregister();
    if (browsersHidden_) {
        HideShowBrowserWindows(false);
        browsersHidden_ = false;
    }
}

}  // namespace klarvex
