#pragma once

// The cleaners of the Google Chrome category.

#include "engine/CleanerRun.h"

namespace klarvex {

void CleanChromeCache(CleanerRun& run);
void CleanChromeCookies(CleanerRun& run);
void CleanChromeHistory(CleanerRun& run);
void CleanChromePasswords(CleanerRun& run);
void CleanChromeDownloads(CleanerRun& run);
void CleanChromeFormData(CleanerRun& run);
void CleanChromeSession(CleanerRun& run);

}  // namespace klarvex
