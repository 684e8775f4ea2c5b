#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "StringIds.h"

namespace klarvex {

// Every text, dialog and menu of the program exists in English; the other
// languages are translations of them (res/lang/), each a resource language
// of its own. Whatever a translation lacks is taken from English.
inline constexpr LANGID kEnglish = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);

// The language the texts, dialogs and menus are loaded in, for the whole
// process: English until the window program chooses its language at its
// start (klarvex-cli never does: its output stays English).
void SetTextLanguage(LANGID language);
LANGID TextLanguage();

// The languages the program speaks (those its string table has), English
// first.
std::vector<LANGID> ShippedLanguages();
// A language's code as settings.ini keeps it: "en", "de", ...
std::wstring LanguageCode(LANGID language);

// A resource of the program in the language of the texts, or in English
// when that language has none of that type and number.
struct ResourceBytes {
    const void* data = nullptr;
    DWORD size = 0;
};
ResourceBytes FindLanguageResource(LPCWSTR type, unsigned id);

// A text of the program's string table (res/Strings.rc, linked into every
// executable) in the language of the texts. A missing text loads as empty.
std::wstring LoadText(unsigned id);
// A text with %1 ... %9 replaced by the values in order (a mark with no
// value goes; a value's own marks stay as they are).
std::wstring FillIn(const std::wstring& pattern, const std::vector<std::wstring>& values);
// The string table's text so filled in.
std::wstring LoadText(unsigned id, const std::vector<std::wstring>& values);
// A text in that language only; empty when the language has none.
std::wstring LoadTextIn(unsigned id, LANGID language);

// What the window shows for a name of the tree of clean items (a
// category's or an item's English text), in the language of the texts:
// its translation, or the name itself when there is none.
std::wstring TranslatedName(const std::wstring& name);

}  // namespace klarvex
