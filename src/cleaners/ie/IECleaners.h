#pragma once

// The cleaners of the Internet Explorer category.
// Each leaves what it counted or removed in the run's ItemCount, and the
// bytes of the files it handled in ItemBytes and ItemSizeText.

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
