#include "cleaners/RunningBrowsers.h"

#include <initializer_list>

#include "base/Texts.h"

namespace klarvex {

namespace {

struct Browser {
    const wchar_t* category;
    std::initializer_list<const wchar_t*> windowClasses;
    unsigned message;
};

}  // namespace

std::wstring RunningBrowserRefusal(const std::function<bool(const std::wstring& category)>& categoryTicked,
                                   const std::function<bool(const wchar_t* windowClass)>& windowExists) {
    static const Browser kBrowsers[] = {
        {L"Mozilla Firefox", {L"MozillaUIWindowClass", L"MozillaWindowClass"}, IDS_CLOSE_FIREFOX},
        {L"Google Chrome", {L"Chrome_WidgetWin_1"}, IDS_CLOSE_CHROME},
        // Built on Chrome, with Chrome's window class.
        {L"Microsoft Edge", {L"Chrome_WidgetWin_1"}, IDS_CLOSE_EDGE},
        {L"Brave", {L"Chrome_WidgetWin_1"}, IDS_CLOSE_BRAVE},
        {L"Opera", {L"Chrome_WidgetWin_1"}, IDS_CLOSE_OPERA},
    };
    for (const Browser& browser : kBrowsers) {
        if (!categoryTicked(browser.category)) continue;
        for (const wchar_t* windowClass : browser.windowClasses)
            if (windowExists(windowClass)) return LoadText(browser.message);
    }
    return {};
}

}  // namespace klarvex
