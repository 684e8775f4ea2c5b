#pragma once

// The cleaners of the Internet Explorer category.

#include "engine/CleanerRun.h"

namespace klarvex {

void CleanIETempFiles(CleanerRun& run);
void CleanIECookies(CleanerRun& run);
void CleanIEHistory(CleanerRun& run);
void CleanIETypedURLs(CleanerRun& run);
void CleanIEIndexDat(CleanerRun& run);
void CleanIEDownloadDir(CleanerRun& run);
void CleanIEAutocomplete(CleanerRun& run);

}  // namespace klarvex
