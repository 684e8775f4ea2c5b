#pragma once

// The cleaners of the Opera category.
// Each leaves what it counted or removed in the run's ItemCount, and the
// bytes of the files it handled in ItemBytes and ItemSizeText.

#include "engine/CleanerRun.h"

namespace klarvex {

void CleanOperaCache(CleanerRun& run);
void CleanOperaCookies(CleanerRun& run);
void CleanOperaHistory(CleanerRun& run);
void CleanOperaTypedUrls(CleanerRun& run);
void CleanOperaWand(CleanerRun& run);
void CleanOperaTransfers(CleanerRun& run);

}  // namespace klarvex
