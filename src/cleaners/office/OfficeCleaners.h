#pragma once

// The cleaners of the Microsoft Office category.
// Each leaves what it counted or removed in the run's ItemCount, and the
// bytes of the files it handled in ItemBytes and ItemSizeText.

#include "engine/CleanerRun.h"

namespace klarvex {

void CleanOfficeAccess(CleanerRun& run);
void CleanOfficeExcel(CleanerRun& run);
void CleanOfficeFrontPage(CleanerRun& run);
void CleanOfficePowerpoint(CleanerRun& run);
void CleanOfficeWord(CleanerRun& run);
void CleanOfficeRecentFiles(CleanerRun& run);

}  // namespace klarvex
