// The translations Klarvex.exe ships, read from the program as data: every
// language has every text, dialog, menu item and tree name English has.
// (The dialogs' controls and texts are checked on the running program,
// LanguagesTest.cpp.)

#include <gtest/gtest.h>

#include <windows.h>

#include <set>
#include <string>
#include <vector>

#include "base/Strings.h"
#include "base/Texts.h"
#include "engine/Catalogue.h"

namespace klarvex {
namespace {

class Translations : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(program_) << "Klarvex.exe cannot be read"; }
    void TearDown() override { FreeLibrary(program_); }

    std::string Bytes(LPCWSTR type, unsigned id, LANGID language) const {
        const HRSRC found = FindResourceExW(program_, type, MAKEINTRESOURCEW(id), language);
        const auto* data = found ? static_cast<const char*>(LockResource(LoadResource(program_, found))) : nullptr;
        return data ? std::string(data, SizeofResource(program_, found)) : std::string();
    }
    std::wstring Text(unsigned id, LANGID language) const {
        const std::string bytes = Bytes(RT_STRING, id / 16 + 1, language);
        const std::wstring block(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / 2);
        size_t at = 0;
        for (unsigned skipped = 0; skipped < id % 16 && at < block.size(); ++skipped) at += 1 + block[at];
        return at < block.size() ? block.substr(at + 1, block[at]) : L"";
    }
    // The English names a language's table translates (RCDATA IDR_NAMES).
    std::set<std::string> TranslatedNames(LANGID language) const {
        std::vector<std::string> texts(1);
        for (const char c : Bytes(RT_RCDATA, IDR_NAMES, language))
            if (c) texts.back().push_back(c);
            else texts.emplace_back();
        std::set<std::string> names;
        for (size_t i = 0; i + 1 < texts.size(); i += 2)
            if (!texts[i + 1].empty()) names.insert(texts[i]);
        return names;
    }
    static BOOL CALLBACK AddName(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR list) {
        reinterpret_cast<std::vector<unsigned>*>(list)->push_back(LOWORD(name));
        return TRUE;
    }
    std::vector<unsigned> Names(LPCWSTR type) const {
        std::vector<unsigned> names;
        EnumResourceNamesW(program_, type, AddName, reinterpret_cast<LONG_PTR>(&names));
        return names;
    }
    // A menu's items depth first: each one's depth and command (popups
    // none), and whether it has its text (a separator has none).
    static void ReadMenu(const wchar_t*& at, int depth, std::vector<std::wstring>& items) {
        for (WORD option = 0; !(option & MF_END);) {
            option = *at++;
            const std::wstring id = option & MF_POPUP ? L"popup" : std::to_wstring(*at++);
            const std::wstring text = at;
            at += text.size() + 1;
            items.push_back(std::to_wstring(depth) + L" " + id + (text.empty() ? L"" : L" text"));
            if (option & MF_POPUP) ReadMenu(at, depth + 1, items);
        }
    }
    // A dialog's controls in order (DLGTEMPLATEEX): each one's ID and class.
    std::vector<std::wstring> DialogControls(unsigned id, LANGID language) const {
        const std::string bytes = Bytes(RT_DIALOG, id, language);
        if (bytes.size() < 26) return {};
        const auto* words = reinterpret_cast<const WORD*>(bytes.data());
        const size_t end = bytes.size() / 2;
        size_t at = 13;  // past the header's fixed words
        auto skipNameOrNumber = [&] { at += words[at] == 0xFFFF ? 2 : words[at] == 0 ? 1 : wcslen(reinterpret_cast<const wchar_t*>(words + at)) + 1; };
        skipNameOrNumber();  // menu
        skipNameOrNumber();  // class
        skipNameOrNumber();  // caption
        if (*reinterpret_cast<const DWORD*>(words + 6) & DS_SETFONT) {
            at += 3;  // point size, weight, italic and character set
            skipNameOrNumber();
        }
        std::vector<std::wstring> controls;
        for (WORD left = words[8]; left > 0 && at < end; --left) {
            at = (at + 1) & ~size_t{1};  // each control starts on a DWORD
            const DWORD control = *reinterpret_cast<const DWORD*>(words + at + 10);
            at += 12;
            const std::wstring type = words[at] == 0xFFFF ? std::to_wstring(words[at + 1])
                                                          : std::wstring(reinterpret_cast<const wchar_t*>(words + at));
            skipNameOrNumber();
            skipNameOrNumber();  // text
            at += 1 + (words[at] + 1) / 2;
            controls.push_back(std::to_wstring(control) + L" " + type);
        }
        return controls;
    }
    std::vector<std::wstring> MenuItems(unsigned id, LANGID language) const {
        const std::string menu = Bytes(RT_MENU, id, language);
        std::vector<std::wstring> items;
        // After the header's two words.
        if (const auto* at = reinterpret_cast<const wchar_t*>(menu.c_str()) + 2; menu.size() > 4) ReadMenu(at, 0, items);
        return items;
    }

    HMODULE program_ = LoadLibraryExW((ExeDir() + L"Klarvex.exe").c_str(), nullptr,
                                      LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    const std::vector<LANGID> translations_ = {MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN),
                                               MAKELANGID(LANG_FRENCH, SUBLANG_FRENCH),
                                               MAKELANGID(LANG_SPANISH, SUBLANG_SPANISH_MODERN)};
};

TEST_F(Translations, EveryLanguageHasEveryTextDialogMenuAndName) {
    const std::vector<unsigned> dialogs = Names(RT_DIALOG), menus = Names(RT_MENU);
    ASSERT_GE(dialogs.size(), 10u);
    ASSERT_GE(DialogControls(dialogs.front(), kEnglish).size(), 2u);
    ASSERT_EQ(menus.size(), 2u);
    // The names the window shows for the catalogue's own categories and items.
    std::vector<std::wstring> names;
    const TCatalogue catalogue;
    for (const auto& category : catalogue.Categories()) {
        names.push_back(category.Text);
        for (const auto& item : category.Items) names.push_back(item.Text);
    }
    for (const LANGID language : translations_) {
        SCOPED_TRACE(WideToUtf8(LanguageCode(language)));
        EXPECT_NE(Text(IDS_LANGUAGE_NAME, language), L"") << "the language is not shipped";
        for (unsigned id = 0; id < 4096; ++id) {
            const std::wstring english = Text(id, kEnglish), translated = Text(id, language);
            if (!english.empty()) EXPECT_NE(translated, L"") << "text " << id << " has no translation";
            // What names the program's files and web pages is the same in every language.
            if (id == IDS_PRODUCT_NAME || id == IDS_VERSION || english.find(L"https://") == 0)
                EXPECT_EQ(translated, english) << id;
        }
        for (const unsigned id : dialogs)
            EXPECT_EQ(DialogControls(id, language), DialogControls(id, kEnglish)) << "dialog " << id;
        for (const unsigned id : menus) EXPECT_EQ(MenuItems(id, language), MenuItems(id, kEnglish)) << "menu " << id;
        const std::set<std::string> translated = TranslatedNames(language);
        for (const auto& name : names) EXPECT_TRUE(translated.count(WideToUtf8(name))) << WideToUtf8(name);
    }
}

}  // namespace
}  // namespace klarvex
