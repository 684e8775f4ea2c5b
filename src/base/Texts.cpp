#include "base/Texts.h"

#include <windows.h>

namespace klarvex {

std::wstring LoadText(unsigned id) {
    const wchar_t* text = nullptr;
    // With a zero buffer size the call hands back a pointer into the
    // resource itself, so texts of any length load whole.
    const int length = LoadStringW(GetModuleHandleW(nullptr), id, reinterpret_cast<LPWSTR>(&text), 0);
    return length > 0 ? std::wstring(text, static_cast<size_t>(length)) : std::wstring();
}

}  // namespace klarvex
