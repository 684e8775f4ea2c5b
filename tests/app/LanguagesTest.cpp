// The real Klarvex.exe in each language it ships, as settings.ini chooses
// it: the main window, its results and every dialog show that language's
// texts, and no control's text is wider or taller than the control, at
// 100 % and 150 % DPI. A picture of the main window and of the settings
// dialog per language goes with the other screenshots.

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cwctype>
#include <map>
#include <string>
#include <vector>

#include "app/MainRes.h"
#include "base/Strings.h"
#include "dialogs/CustomListsRes.h"
#include "support/GuiDriver.h"

namespace klarvex::testing {
namespace {

// What reads the same in every language: numbers, OK, the product's name
// and version, web addresses.
bool SameEverywhere(const std::wstring& text) {
    return std::none_of(text.begin(), text.end(), iswalpha) || text == L"&OK" || text == L"OK" ||
           text.rfind(L"Klarvex", 0) == 0 || text.find(L"https://") != std::wstring::npos;
}

struct ShownText {
    std::wstring window;
    int id;
    std::wstring text;
};

// What a control leaves for its text, and how it lays it out; a width of
// 0 for a control whose text is data or is meant to be shortened.
struct TextBox {
    int width = 0, height = 0;
    UINT format = 0;
};

TextBox BoxOf(HWND control, int dpi) {
    wchar_t className[32] = L"";
    GetClassNameW(control, className, 32);
    const auto style = static_cast<DWORD>(GetWindowLongW(control, GWL_STYLE));
    RECT client{};
    GetClientRect(control, &client);
    const int scale = MulDiv(1, dpi, 96);
    TextBox box{client.right, client.bottom, DT_SINGLELINE};
    if (_wcsicmp(className, L"Static") == 0) {
        const DWORD type = style & SS_TYPEMASK;
        if ((type != SS_LEFT && type != SS_CENTER && type != SS_RIGHT && type != SS_LEFTNOWORDWRAP) ||
            (style & SS_ELLIPSISMASK))
            return {};
        box.format = (type == SS_LEFTNOWORDWRAP ? DT_SINGLELINE : DT_WORDBREAK) | (style & SS_NOPREFIX ? DT_NOPREFIX : 0);
    } else if (_wcsicmp(className, L"Button") == 0) {
        switch (style & BS_TYPEMASK) {
            case BS_OWNERDRAW: return {};
            case BS_GROUPBOX: box.width -= 12 * scale; break;
            case BS_PUSHBUTTON:
            case BS_DEFPUSHBUTTON: box.width -= 6 * scale; break;
            default: box.width -= 16 * scale;  // the check box or the radio button's circle
        }
    } else if (_wcsicmp(className, L"SysLink") != 0) {
        return {};
    }
    return box;
}

// The text as drawn: a link's markup and an access key's mark left out.
std::wstring DrawnText(std::wstring text, UINT format) {
    for (const wchar_t* tag : {L"</a>", L"<a>"})
        for (size_t at; (at = text.find(tag)) != std::wstring::npos;) text.erase(at, wcslen(tag));
    if (!(format & DT_NOPREFIX))
        for (size_t at = 0; (at = text.find(L'&', at)) != std::wstring::npos; ++at) text.erase(at, 1);
    return text;
}

class LanguagesTest : public ::testing::Test {
protected:
    void SetUp() override {
        MakeFile(found / L"a.tmp", 100);
        lists.Write("[<New List>]\r\nDelFile1=" + WideToUtf8(found.Path()) + ",*.tmp\r\n");
    }

    // Every text the windows show in the language of that code at that
    // DPI; what does not fit its control goes to cutOff.
    std::vector<ShownText> Texts(const std::string& code, DWORD dpi, bool pictures) {
        settings.Write(TickedSettings({"Custom Lists", "Custom Lists - <New List>"},
                                      "[Settings]\r\nFastScan=0\r\nLanguage=" + code + "\r\n"));
        DpiSetting display(dpi);
        KlarvexApp app;
        HWND main = app.Main();
        if (!main) return {};
        dpi_ = static_cast<int>(dpi);
        std::vector<ShownText> texts;
        Collect(main, L"main window", texts);
        const std::wstring suffix = Utf8ToWide(code) + (dpi == 96 ? L"" : L"-150");
        const struct {
            int command, closer;
            const wchar_t* name;
        } dialogs[] = {{IDM_SETTINGS, IDCANCEL, L"settings"},
                       {IDM_COOKIES_MANAGER, IDCANCEL, L"cookies manager"},
                       {IDM_INDEX_DAT_VIEWER, IDCANCEL, L"index.dat viewer"},
                       {IDM_ABOUT, IDOK, L"about"},
                       {IDM_CUSTOM_LISTS, IDCANCEL, L"custom lists"}};
        for (const auto& d : dialogs) {
            app.MenuCommand(d.command);
            HWND dialog = app.WaitForOwned(main);
            if (!dialog) {
                ADD_FAILURE() << WideToUtf8(d.name) << " did not open";
                continue;
            }
            Collect(dialog, d.name, texts);
            if (pictures && d.command == IDM_SETTINGS) app.SaveScreenshot(dialog, L"settings-" + suffix);
            if (d.command == IDM_CUSTOM_LISTS)
                for (const int button : {IDC_NCI_ADD_FOLDER, IDC_NCI_ADD_REGISTRY}) {
                    KlarvexApp::Click(dialog, button);
                    if (HWND inner = app.WaitForOwned(dialog)) {
                        Collect(inner, L"custom lists " + std::to_wstring(button), texts);
                        KlarvexApp::ClickToClose(inner, IDCANCEL);
                    }
                }
            EXPECT_TRUE(KlarvexApp::ClickToClose(dialog, d.closer)) << WideToUtf8(d.name);
        }
        // A Test's results and an item's entries; the question before a Clean.
        SendMessageW(app.Control(IDC_TEST), BM_CLICK, 0, 0);
        HWND list = app.Control(IDC_RESULTS_LIST);
        EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(list) != FALSE; }, 60s));
        Collect(main, L"results", texts);
        if (pictures) app.SaveScreenshot(L"main-" + suffix);
        app.DoubleClickRow(list, 0);
        if (HWND details = app.WaitForOwned(main)) {
            Collect(details, L"entries", texts);
            KlarvexApp::ClickToClose(details, IDCANCEL);
        }
        KlarvexApp::Click(main, IDC_CLEAN);
        if (HWND question = app.WaitForOwned(main)) {
            Collect(question, L"question", texts);
            KlarvexApp::ClickToClose(question, IDCANCEL);
        }
        EXPECT_EQ(app.Close(), 0);
        return texts;
    }

    void Collect(HWND window, const std::wstring& name, std::vector<ShownText>& texts) {
        const Font font(CreateFontW(-MulDiv(8, dpi_, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0,
                                    0, 0, 0, L"MS Shell Dlg"));
        const MemoryDc dc(CreateCompatibleDC(nullptr));
        DcSelection selected(dc.Get(), font.Get());
        for (HWND control = GetWindow(window, GW_CHILD); control; control = GetWindow(control, GW_HWNDNEXT)) {
            const std::wstring text = WindowTextOf(control);
            const TextBox box = BoxOf(control, dpi_);
            if (text.empty() || box.width <= 0) continue;
            texts.push_back({name, GetDlgCtrlID(control), text});
            const std::wstring drawn = DrawnText(text, box.format);
            RECT need{0, 0, box.width, 0};
            DrawTextW(dc.Get(), drawn.c_str(), static_cast<int>(drawn.size()), &need, box.format | DT_CALCRECT);
            if (need.right > box.width + 1 || ((box.format & DT_WORDBREAK) && need.bottom > box.height + 1))
                cutOff.push_back(WideToUtf8(name + L": \"" + text + L"\" needs " + std::to_wstring(need.right) + L"x" +
                                            std::to_wstring(need.bottom) + L", has " + std::to_wstring(box.width) +
                                            L"x" + std::to_wstring(box.height)));
        }
    }

    ProgramFileGuard settings;
    ProgramFileGuard lists{L"Clist.dat"};
    ScratchFolder found;
    std::vector<std::string> cutOff;
    int dpi_ = 96;
};

TEST_F(LanguagesTest, EveryWindowSpeaksTheChosenLanguageAndEveryTextFitsAtEitherDpi) {
    std::map<std::pair<std::wstring, int>, std::wstring> englishTexts;
    for (const auto& shown : Texts("en", 96, false)) englishTexts[{shown.window, shown.id}] = shown.text;
    ASSERT_GT(englishTexts.size(), 40u);
    for (const char* code : {"de", "fr", "es"}) {
        SCOPED_TRACE(code);
        std::vector<std::string> english;
        for (const auto& shown : Texts(code, 96, true)) {
            const auto same = englishTexts.find({shown.window, shown.id});
            if (same != englishTexts.end() && same->second == shown.text && !SameEverywhere(shown.text))
                english.push_back(WideToUtf8(shown.window + L": " + shown.text));
        }
        EXPECT_TRUE(english.empty()) << ::testing::PrintToString(english);
        Texts(code, 144, true);
    }
    Texts("en", 144, false);
    EXPECT_TRUE(cutOff.empty()) << ::testing::PrintToString(cutOff);
}

}  // namespace
}  // namespace klarvex::testing
