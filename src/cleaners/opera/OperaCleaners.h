#pragma once

// The cleaners of the Opera category.

#include "engine/CleanerRun.h"

namespace klarvex {

void CleanOperaCache(CleanerRun& run);
void CleanOperaCookies(CleanerRun& run);
void CleanOperaHistory(CleanerRun& run);
void CleanOperaTypedUrls(CleanerRun& run);
void CleanOperaWand(CleanerRun& run);
void CleanOperaTransfers(CleanerRun& run);

}  // namespace klarvex
