// Cleaners of the Google Chrome category: those of every browser built on
// Chrome (ChromiumCleaners.h), on Chrome's own profiles.

#include "cleaners/chrome/ChromeCleaners.h"

#include "cleaners/ChromiumCleaners.h"

namespace klarvex {

void CleanChromeCache(CleanerRun& run) { CleanChromiumCache(run, Chromium::Chrome); }

void CleanChromeCookies(CleanerRun& run) { CleanChromiumCookies(run, Chromium::Chrome); }

void CleanChromeHistory(CleanerRun& run) { CleanChromiumHistory(run, Chromium::Chrome); }

void CleanChromePasswords(CleanerRun& run) { CleanChromiumPasswords(run, Chromium::Chrome); }

void CleanChromeDownloads(CleanerRun& run) { CleanChromiumDownloads(run, Chromium::Chrome); }

void CleanChromeFormData(CleanerRun& run) { CleanChromiumFormData(run, Chromium::Chrome); }

void CleanChromeSession(CleanerRun& run) { CleanChromiumSession(run, Chromium::Chrome); }

}  // namespace klarvex
