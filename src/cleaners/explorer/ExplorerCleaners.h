#pragma once

// The cleaners of the Windows Explorer category: the traces Windows 10 and
// 11 keep of what the user opened, searched for, typed and ran.

#include "engine/CleanerRun.h"

namespace klarvex {

void CleanJumpLists(CleanerRun& run);
void CleanThumbnailCache(CleanerRun& run);
void CleanSearchHistory(CleanerRun& run);
void CleanTypedPaths(CleanerRun& run);
void CleanOpenSaveDialogHistory(CleanerRun& run);
void CleanProgramsRun(CleanerRun& run);
void CleanFolderViews(CleanerRun& run);
void CleanErrorReports(CleanerRun& run);
void CleanActivityHistory(CleanerRun& run);

}  // namespace klarvex
