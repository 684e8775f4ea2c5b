#pragma once

// The cleaners of the Instant Messengers category that are built into the
// program.

#include "engine/CleanerRun.h"

namespace klarvex {

void CleanMsnMessenger(CleanerRun& run);
void CleanYahooMessenger(CleanerRun& run);
void CleanSkype(CleanerRun& run);

}  // namespace klarvex
