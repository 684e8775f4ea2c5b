#pragma once

// The web browsers the program knows by their windows: a Clean must not
// start while a browser whose files it would empty is open (the browser
// holds its databases and writes its files back), and the boss key hides
// their windows. A browser is recognised by its own program, not by the
// class of its windows alone: editors, chat and music programs built on
// Chromium or Electron make Chrome's windows, Thunderbird makes Firefox's.

#include <windows.h>

#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

namespace klarvex {

struct KnownBrowser {
    std::initializer_list<const wchar_t*> windowClasses;  // compared exactly
    std::initializer_list<const wchar_t*> programs;       // image file names, any letter case
    // The category whose Clean waits until the browser is closed, and the
    // text that asks for it; none for a browser no Clean waits for.
    const wchar_t* category = nullptr;
    unsigned closeMessage = 0;
    // Items of that category that never touch this browser's files.
    std::initializer_list<const wchar_t*> itemsWithoutIt = {};
};

// Whether a top-level window is a known browser's own: of one of its
// classes and made by one of its programs.
bool IsBrowserWindow(HWND window);
// Whether a window of the browser's own is open now.
bool BrowserOpen(const KnownBrowser& browser);

// The text that refuses a Clean of the items ("Category - Item" names), or
// "" when nothing does: the first browser, in table order, that is open
// and has an item of its category among them that touches its files.
std::wstring RunningBrowserRefusal(const std::vector<std::wstring>& itemNames,
                                   const std::function<bool(const KnownBrowser&)>& open);

}  // namespace klarvex
