#pragma once

// The cleaners of a browser built on Chrome, given the browser: the caches,
// cookies, visited pages, saved passwords, downloads, form data and session
// of each of its profiles. The families and table entries of those
// browsers (Google Chrome, Microsoft Edge, Brave, today's Opera) call them.

#include "cleaners/BrowserFolders.h"
#include "engine/CleanerRun.h"

namespace klarvex {

void CleanChromiumCache(CleanerRun& run, Chromium browser);
void CleanChromiumCookies(CleanerRun& run, Chromium browser);
void CleanChromiumHistory(CleanerRun& run, Chromium browser);
void CleanChromiumPasswords(CleanerRun& run, Chromium browser);
void CleanChromiumDownloads(CleanerRun& run, Chromium browser);
void CleanChromiumFormData(CleanerRun& run, Chromium browser);
void CleanChromiumSession(CleanerRun& run, Chromium browser);

}  // namespace klarvex
