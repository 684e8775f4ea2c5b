#pragma once

// The cleaners of the Microsoft Office category.

#include "engine/CleanerRun.h"

namespace klarvex {

void CleanOfficeAccess(CleanerRun& run);
void CleanOfficeExcel(CleanerRun& run);
void CleanOfficeFrontPage(CleanerRun& run);
void CleanOfficePowerpoint(CleanerRun& run);
void CleanOfficeWord(CleanerRun& run);
void CleanOfficeRecentFiles(CleanerRun& run);

}  // namespace klarvex
