#include "base/Texts.h"

#include <windows.h>

namespace klarvex {

std::wstring LoadText(unsigned id) {
    // Read straight from the string table, as LoadString does, without
    // needing user32 for it (the command line starts without it). The
    // table is blocks of 16 texts, each its length and then its characters.
    const HMODULE module = GetModuleHandleW(nullptr);
    const HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id / 16 + 1), RT_STRING);
    const HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    const auto* text = loaded ? static_cast<const wchar_t*>(LockResource(loaded)) : nullptr;
    if (!text) return {};
    const wchar_t* const end = text + SizeofResource(module, found) / sizeof(wchar_t);
    for (unsigned skipped = 0; skipped < id % 16 && text < end; ++skipped) text += 1 + *text;
    if (text >= end || *text > end - text - 1) return {};
    return std::wstring(text + 1, *text);
}

}  // namespace klarvex
