#pragma once

// The boss key: a system-wide hotkey of the main window whose every press
// hides the top-level windows of the web browsers the program knows, or
// shows again those it hid.

#include <windows.h>

#include <vector>

#include "settings/Global.h"

namespace klarvex {

// The global atom whose value is the boss key's hotkey id.
inline constexpr wchar_t kBossKeyAtomName[] = L"MyQRTZHotkey_Hide";

// RegisterHotKey's modifiers for the combination.
UINT HotkeyModifiers(const THotkey& hotkey);

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
    // The browsers' visible windows, each remembered as it is hidden.
    void HideBrowsers();
    // Those of them still there; a window its program hid stays hidden.
    void ShowHidden();

    HWND window_ = nullptr;
    ATOM atom_ = 0;
    bool browsersHidden_ = false;
    std::vector<HWND> hidden_;
};

}  // namespace klarvex
