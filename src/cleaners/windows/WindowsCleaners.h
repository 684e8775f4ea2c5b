#pragma once

// The cleaners of the Windows and Advanced categories.

#include "engine/CleanerRun.h"

namespace klarvex {

void CleanRecentDocuments(CleanerRun& run);
void CleanStartRun(CleanerRun& run);
void CleanSearchAssistant(CleanerRun& run);
void CleanRecycleBin(CleanerRun& run);
void CleanTempFiles(CleanerRun& run);
void CleanClipboard(CleanerRun& run);
void CleanMemoryDumps(CleanerRun& run);
void CleanChkdskFragments(CleanerRun& run);
void CleanOpenFileHistory(CleanerRun& run);
void CleanMenuOrderCache(CleanerRun& run);
void CleanTrayNotifications(CleanerRun& run);
void CleanUserAssist(CleanerRun& run);
void CleanPaintRecent(CleanerRun& run);
// The free space of the drives the settings choose (the drive Windows is
// on unless they choose others), asked about before a Clean.
void CleanWipeFreeSpace(CleanerRun& run);

}  // namespace klarvex
