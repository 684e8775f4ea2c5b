#pragma once

// The cleaners of the Mozilla Firefox and Netscape categories.

#include "engine/CleanerRun.h"

namespace klarvex {

void CleanFirefoxCookies(CleanerRun& run);
void CleanFirefoxHistory(CleanerRun& run);
void CleanFirefoxCache(CleanerRun& run);
void CleanFirefoxDownloads(CleanerRun& run);
void CleanFirefoxAutocomplete(CleanerRun& run);
void CleanFirefoxPreferences(CleanerRun& run);
void CleanFirefoxFormHistory(CleanerRun& run);
void CleanFirefoxSession(CleanerRun& run);
void CleanNetscapeCookies(CleanerRun& run);
void CleanNetscapeCache(CleanerRun& run);
void CleanNetscapeHistory(CleanerRun& run);
void CleanNetscapePreferences(CleanerRun& run);
void CleanNetscapeFormHistory(CleanerRun& run);

}  // namespace klarvex
