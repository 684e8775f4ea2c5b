#pragma once

// A Clean must not start while a browser whose files it would empty is
// open: the browser holds its databases and writes its files back.

#include <functional>
#include <string>

namespace klarvex {

// The text that refuses a Clean ("" when nothing refuses it): Firefox
// first, then Chrome, each when its category is ticked and a top-level
// window of one of its classes exists.
std::wstring RunningBrowserRefusal(const std::function<bool(const std::wstring& category)>& categoryTicked,
                                   const std::function<bool(const wchar_t* windowClass)>& windowExists);

}  // namespace klarvex
