#pragma once

// The names of the boss key's keys and the text of a key combination, as
// the settings dialog shows them and the settings file stores them. No
// system call here, so the table also runs under the sanitizers of the
// native build.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace klarvex {

// The name of a virtual key: "F5", "Num 7", "PageUp", ... An empty name for
// Shift, Ctrl and Alt alone; no name at all for a key outside the table.
// The Delete key is "Del" with a modifier held and "DDel" without.
std::optional<std::wstring> KeyName(uint16_t key, bool modifierHeld);

// "Ctrl", "Shift", "Alt" (those held, in this order), each followed by two
// spaces, then the key's name: "Ctrl  Shift  F12".
std::wstring HotkeyText(bool ctrl, bool shift, bool alt, std::wstring_view name);

// One key pressed in the combination box.
struct KeyCapture {
    std::wstring shown;  // the box's text afterwards
    std::wstring name;   // the key's name as stored ("" for a modifier alone or an unknown key)
    uint16_t code = 0;   // the key as stored: 0 for a modifier alone
};
KeyCapture CaptureKey(uint16_t key, bool ctrl, bool shift, bool alt);

}  // namespace klarvex
