#pragma once

// The cleaners of the Instant Messengers category that are built into the
// program.
// Each leaves what it counted or removed in the run's ItemCount, and the
// bytes of the files it handled in ItemBytes and ItemSizeText.

#include "engine/CleanerRun.h"

namespace klarvex {

void CleanMsnMessenger(CleanerRun& run);
void CleanYahooMessenger(CleanerRun& run);
void CleanSkype(CleanerRun& run);

}  // namespace klarvex
