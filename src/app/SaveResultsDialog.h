#pragma once

#include <windows.h>

#include "engine/RunResults.h"

namespace klarvex {

// "Save Results as CSV...": asks for a file name (".csv" added when it has
// no extension; an existing file is overwritten only after a question),
// then writes the results there as UTF-8 with a byte order mark, which
// spreadsheets take as UTF-8. A file that cannot be written is told in an
// error box.
void SaveResultsWithDialog(HWND owner, const TRunResults& results, bool testRun);

}  // namespace klarvex
