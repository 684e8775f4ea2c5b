#include "ui/BossKey.h"

#include "base/Texts.h"
#include "cleaners/RunningBrowsers.h"
#include "ui/DialogBase.h"

namespace klarvex {

namespace {

BOOL CALLBACK HideBrowserWindow(HWND window, LPARAM hidden) {
    // Never ShowWindow: it waits for the other program, which may not
    // answer (and under Wine without a window manager costs a second a
    // window).
    if (IsWindowVisible(window) && IsBrowserWindow(window) && ShowWindowAsync(window, SW_HIDE))
        reinterpret_cast<std::vector<HWND>*>(hidden)->push_back(window);
    return TRUE;
}

}  // namespace

UINT HotkeyModifiers(const THotkey& hotkey) {
    return (hotkey.IsCtrl ? MOD_CONTROL : 0) | (hotkey.IsShift ? MOD_SHIFT : 0) | (hotkey.IsAlt ? MOD_ALT : 0);
}

void TBossKey::HideBrowsers() { EnumWindows(HideBrowserWindow, reinterpret_cast<LPARAM>(&hidden_)); }

void TBossKey::ShowHidden() {
    // A closed window's handle may have gone to another program's window.
    for (HWND window : hidden_)
        if (IsWindow(window) && IsBrowserWindow(window)) ShowWindowAsync(window, SW_SHOW);
    hidden_.clear();
}

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
    if (atom_ == 0 || id != atom_) return;
    if (browsersHidden_) HideBrowsers();
    else ShowHidden();
}

void TBossKey::Release() {
    if (Settings.EnableHotkey) Unregister();
    if (browsersHidden_) {
        ShowHidden();
        browsersHidden_ = false;
    }
}

}  // namespace klarvex
