#pragma once

// The boss key: a system-wide hotkey of the main window whose every press
// hides, or shows again, the top-level windows of the web browsers the
// program knows.

#include <windows.h>

#include <string_view>

#include "settings/Global.h"

namespace klarvex {

// The global atom whose value is the boss key's hotkey id.
inline constexpr wchar_t kBossKeyAtomName[] = L"MyQRTZHotkey_Hide";

// RegisterHotKey's modifiers for the combination.
UINT HotkeyModifiers(const THotkey& hotkey);

// The browsers' top-level window classes, compared exactly.
bool IsBrowserWindowClass(std::wstring_view className);

// Hides (true) or shows (false) every top-level window of a browser class.
void HideShowBrowserWindows(bool hide);

class TBossKey {
public:
    TBossKey() = default;
    TBossKey(const TBossKey&) = delete;
    TBossKey& operator=(const TBossKey&) = delete;

    // The window that owns the hotkey and receives WM_HOTKEY.
    void Attach(HWND window) { window_ = window; }

    // Registers the combination of the settings record; a failure is told
    // in a box and leaves the program without a boss key.
    void Register();
    // Releases a registration made under the atom's name, whoever's object
    // made it; nothing when there is none.
    void Unregister();
    // WM_HOTKEY: every press flips between hiding and showing.
    void OnHotkey(WPARAM id);
    // The program ends: the key goes, and what it hid comes back.
    void Release();

    bool BrowsersHidden() const { return browsersHidden_; }

private:
    HWND window_ = nullptr;
    ATOM atom_ = 0;
    bool browsersHidden_ = false;
};

}  // namespace klarvex
