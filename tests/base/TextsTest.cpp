#include <windows.h>

#include <gtest/gtest.h>

#include "base/Strings.h"
#include "base/Texts.h"

namespace klarvex {
namespace {

// Texts and upper case are done without user32 so that the command line
// starts without it; they must give what user32's own calls give.
TEST(TextsWithoutUser32, MatchWhatUser32Gives) {
    int texts = 0;
    for (unsigned id = 0; id < 4096; ++id) {
        const wchar_t* text = nullptr;
        const int length = LoadStringW(GetModuleHandleW(nullptr), id, reinterpret_cast<LPWSTR>(&text), 0);
        const std::wstring expected = length > 0 ? std::wstring(text, static_cast<size_t>(length)) : std::wstring();
        EXPECT_EQ(LoadText(id), expected) << id;
        texts += length > 0;
    }
    EXPECT_GT(texts, 80);
    for (const std::wstring name : {L"cookies.sqlite", L"ÄÖÜ äöü ß", L"отчёт.docx", L"ǅǆ ﬀ ı i", L"Ωμέγα"}) {
        std::wstring expected = name;
        CharUpperBuffW(expected.data(), static_cast<DWORD>(expected.size()));
        EXPECT_EQ(UpperCase(name), expected);
    }
}

}  // namespace
}  // namespace klarvex
