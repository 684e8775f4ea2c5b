#include "base/Texts.h"

#include <atomic>
#include <map>
#include <mutex>
#include <string_view>

#include "base/Strings.h"

namespace klarvex {

namespace {

std::atomic<LANGID> textLanguage{kEnglish};

// Everything here reads the resources straight, as LoadString does,
// without user32 (the command line starts without it).
ResourceBytes FindResourceIn(LPCWSTR type, unsigned id, LANGID language) {
    const HMODULE module = GetModuleHandleW(nullptr);
    const HRSRC found = FindResourceExW(module, type, MAKEINTRESOURCEW(id), language);
    const HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    const void* data = loaded ? LockResource(loaded) : nullptr;
    return data ? ResourceBytes{data, SizeofResource(module, found)} : ResourceBytes{};
}

BOOL CALLBACK AddLanguage(HMODULE, LPCWSTR, LPCWSTR, WORD language, LONG_PTR languages) {
    auto& list = *reinterpret_cast<std::vector<LANGID>*>(languages);
    if (language != kEnglish) list.push_back(language);
    return TRUE;
}

// The translated names of a language (IDR_NAMES), read once: pairs of
// UTF-8 texts, each ended by a zero, the English name and then its
// translation. An empty translation is none.
const std::map<std::wstring, std::wstring>& NamesIn(LANGID language) {
    static std::mutex lock;
    static std::map<LANGID, std::map<std::wstring, std::wstring>> languages;
    const std::lock_guard<std::mutex> held(lock);
    const auto [at, added] = languages.try_emplace(language);
    if (!added) return at->second;
    const ResourceBytes table = FindResourceIn(RT_RCDATA, IDR_NAMES, language);
    const char* next = static_cast<const char*>(table.data);
    const char* const end = next + table.size;
    auto take = [&] {
        const char* text = next;
        while (next < end && *next) ++next;
        const std::string_view taken(text, static_cast<size_t>(next - text));
        if (next < end) ++next;
        return Utf8ToWide(taken);
    };
    while (next && next < end) {
        std::wstring english = take();
        std::wstring translated = take();
        if (!translated.empty()) at->second.try_emplace(std::move(english), std::move(translated));
    }
    return at->second;
}

}  // namespace

void SetTextLanguage(LANGID language) { textLanguage = language; }

LANGID TextLanguage() { return textLanguage; }

std::vector<LANGID> ShippedLanguages() {
    // Each language names itself in its string table.
    std::vector<LANGID> languages{kEnglish};
    EnumResourceLanguagesW(GetModuleHandleW(nullptr), RT_STRING, MAKEINTRESOURCEW(IDS_LANGUAGE_NAME / 16 + 1),
                           AddLanguage, reinterpret_cast<LONG_PTR>(&languages));
    return languages;
}

std::wstring LanguageCode(LANGID language) {
    wchar_t code[16] = L"";
    GetLocaleInfoW(MAKELCID(language, SORT_DEFAULT), LOCALE_SISO639LANGNAME, code, 16);
    return code;
}

ResourceBytes FindLanguageResource(LPCWSTR type, unsigned id) {
    const ResourceBytes translated = FindResourceIn(type, id, TextLanguage());
    return translated.data ? translated : FindResourceIn(type, id, kEnglish);
}

std::wstring LoadTextIn(unsigned id, LANGID language) {
    // The table is blocks of 16 texts, each its length and then its
    // characters.
    const ResourceBytes block = FindResourceIn(RT_STRING, id / 16 + 1, language);
    const auto* text = static_cast<const wchar_t*>(block.data);
    if (!text) return {};
    const wchar_t* const end = text + block.size / sizeof(wchar_t);
    for (unsigned skipped = 0; skipped < id % 16 && text < end; ++skipped) text += 1 + *text;
    if (text >= end || *text > end - text - 1) return {};
    return std::wstring(text + 1, *text);
}

std::wstring LoadText(unsigned id) {
    const LANGID language = TextLanguage();
    std::wstring text = language == kEnglish ? std::wstring() : LoadTextIn(id, language);
    return text.empty() ? LoadTextIn(id, kEnglish) : text;
}

std::wstring FillIn(const std::wstring& pattern, const std::vector<std::wstring>& values) {
    // One pass, so that a value's own "%2" stays as it is.
    std::wstring text;
    for (size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == L'%' && i + 1 < pattern.size() && pattern[i + 1] >= L'1' && pattern[i + 1] <= L'9') {
            const auto index = static_cast<size_t>(pattern[i + 1] - L'1');
            if (index < values.size()) text += values[index];
            ++i;
            continue;
        }
        text += pattern[i];
    }
    return text;
}

std::wstring LoadText(unsigned id, const std::vector<std::wstring>& values) { return FillIn(LoadText(id), values); }

std::wstring TranslatedName(const std::wstring& name) {
    const LANGID language = TextLanguage();
    if (language == kEnglish) return name;
    const auto& names = NamesIn(language);
    const auto found = names.find(name);
    return found == names.end() ? name : found->second;
}

}  // namespace klarvex
