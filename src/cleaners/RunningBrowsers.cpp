#include "cleaners/RunningBrowsers.h"

#include <algorithm>

#include "base/Strings.h"
#include "base/Texts.h"
#include "engine/Catalogue.h"
#include "platform/WindowOwner.h"

namespace klarvex {

namespace {

// In the order their refusals are checked.
const KnownBrowser kBrowsers[] = {
    {{L"MozillaUIWindowClass", L"MozillaWindowClass"}, {L"firefox.exe"}, L"Mozilla Firefox", IDS_CLOSE_FIREFOX},
    {{L"Chrome_WidgetWin_1"}, {L"chrome.exe"}, L"Google Chrome", IDS_CLOSE_CHROME},
    {{L"Chrome_WidgetWin_1"}, {L"msedge.exe"}, L"Microsoft Edge", IDS_CLOSE_EDGE},
    {{L"Chrome_WidgetWin_1"}, {L"brave.exe"}, L"Brave", IDS_CLOSE_BRAVE},
    // Today's Opera, built on Chrome. Its typed addresses item is Opera
    // 12's alone, whose files nothing holds.
    {{L"Chrome_WidgetWin_1"}, {L"opera.exe"}, L"Opera", IDS_CLOSE_OPERA, {L"Recently Typed URLs"}},
    // Browsers whose files a Clean takes while they run, as they always did.
    {{L"IEFrame"}, {L"iexplore.exe"}},
    {{L"NS_AE_WindowClass", L"MozillaUIWindowClass", L"MozillaWindowClass"},
     {L"netscape.exe", L"navigator.exe", L"netscp.exe"}},
    {{L"OpWindow"}, {L"opera.exe"}},
};

template <typename Names>
bool HasExactly(const Names& names, std::wstring_view name) {
    return std::any_of(names.begin(), names.end(), [&](const wchar_t* each) { return name == each; });
}

std::wstring ClassOf(HWND window) {
    wchar_t name[256];
    const int length = GetClassNameW(window, name, 256);
    return length > 0 ? std::wstring(name, static_cast<size_t>(length)) : std::wstring();
}

bool IsWindowOf(const KnownBrowser& browser, const std::wstring& windowClass, HWND window) {
    if (!HasExactly(browser.windowClasses, windowClass)) return false;
    const std::wstring program = WindowProgramName(window);
    return std::any_of(browser.programs.begin(), browser.programs.end(),
                       [&](const wchar_t* name) { return SameText(program, name); });
}

// Whether an item of the names belongs to the browser's category and
// touches its files.
bool NeedsClosed(const KnownBrowser& browser, const std::vector<std::wstring>& itemNames) {
    const std::wstring prefix = std::wstring(browser.category) + kNameSeparator;
    return std::any_of(itemNames.begin(), itemNames.end(), [&](const std::wstring& name) {
        return name.starts_with(prefix) &&
               !HasExactly(browser.itemsWithoutIt, std::wstring_view(name).substr(prefix.size()));
    });
}

}  // namespace

bool IsBrowserWindow(HWND window) {
    const std::wstring windowClass = ClassOf(window);
    // A window gone in the meantime has no class and matches nothing.
    return !windowClass.empty() && std::any_of(std::begin(kBrowsers), std::end(kBrowsers), [&](const auto& browser) {
        return IsWindowOf(browser, windowClass, window);
    });
}

bool BrowserOpen(const KnownBrowser& browser) {
    for (const wchar_t* windowClass : browser.windowClasses)
        for (HWND window = nullptr; (window = FindWindowExW(nullptr, window, windowClass, nullptr)) != nullptr;)
            if (IsWindowOf(browser, windowClass, window)) return true;
    return false;
}

std::wstring RunningBrowserRefusal(const std::vector<std::wstring>& itemNames,
                                   const std::function<bool(const KnownBrowser&)>& open) {
    for (const KnownBrowser& browser : kBrowsers)
        if (browser.category && NeedsClosed(browser, itemNames) && open(browser)) return LoadText(browser.closeMessage);
    return {};
}

}  // namespace klarvex
