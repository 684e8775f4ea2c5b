#include "settings/KeyNames.h"

namespace klarvex {

namespace {

constexpr uint16_t kShift = 16, kControl = 17, kMenu = 18, kDelete = 46;

const wchar_t* FixedKeyName(uint16_t key) {
    switch (key) {
        case 8: return L"BackSpace";
        case 9: return L"Tab";
        case 12: return L"Clear";
        case 13: return L"Enter";
        case 19: return L"Pause";
        case 20: return L"CapsLock";
        case 27: return L"Esc";
        case 32: return L"Space";
        case 33: return L"PageUp";
        case 34: return L"PageDown";
        case 35: return L"End";
        case 36: return L"Home";
        case 37: return L"LeftArrow";
        case 38: return L"UpArrow";
        case 39: return L"RightArrow";
        case 40: return L"DownArrow";
        case 44: return L"PrintScreen";
        case 45: return L"Ins";
        case 47: return L"Help";
        case 106: return L"*";
        case 107: return L"+";
        case 108: return L"Separator";
        case 109: return L"-";
        case 110: return L".";
        case 111: return L"/";
        case 144: return L"Numlock";
        case 145: return L"Scroll";
        default: return nullptr;
    }
}

}  // namespace

std::optional<std::wstring> KeyName(uint16_t key, bool modifierHeld) {
    if (key == kShift || key == kControl || key == kMenu) return std::wstring();
    if (key == kDelete) return std::wstring(modifierHeld ? L"Del" : L"DDel");
    if (key >= 48 && key <= 90) return std::wstring(1, static_cast<wchar_t>(key));
    if (key >= 96 && key <= 105) return L"Num " + std::wstring(1, static_cast<wchar_t>(L'0' + (key - 96)));
    if (key >= 112 && key <= 135) return L"F" + std::to_wstring(key - 111);
    if (const wchar_t* name = FixedKeyName(key)) return std::wstring(name);
    return std::nullopt;
}

std::wstring HotkeyText(bool ctrl, bool shift, bool alt, std::wstring_view name) {
    std::wstring text;
    if (ctrl) text += L"Ctrl  ";
    if (shift) text += L"Shift  ";
    if (alt) text += L"Alt  ";
    return text.append(name);
}

KeyCapture CaptureKey(uint16_t key, bool ctrl, bool shift, bool alt) {
    const bool modifierHeld = ctrl || shift || alt;
    const std::optional<std::wstring> name = KeyName(key, modifierHeld);
    // A key outside the table leaves nothing, its modifiers included.
    if (!name) return {L"", L"", key};
    if (key == kShift || key == kControl || key == kMenu) return {HotkeyText(ctrl, shift, alt, L""), L"", 0};
    // Delete alone is "DDel" in the box until the box's own Delete takes
    // its first letter away: "Del" is shown and stored.
    const std::wstring stored = *name == L"DDel" ? std::wstring(L"Del") : *name;
    return {HotkeyText(ctrl, shift, alt, stored), stored, key};
}

}  // namespace klarvex
