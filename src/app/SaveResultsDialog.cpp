#include "app/SaveResultsDialog.h"

#include <commdlg.h>

#include "app/ResultsTable.h"
#include "app/SaveLog.h"
#include "app/SaveLogDialog.h"
#include "base/Texts.h"
#include "ui/DialogBase.h"

namespace klarvex {

void SaveResultsWithDialog(HWND owner, const TRunResults& results, bool testRun) {
    const auto path =
        AskSaveFileName(owner, LoadText(IDS_SAVE_RESULTS_TITLE), LoadText(IDS_CSV_FILTER), L"csv", OFN_OVERWRITEPROMPT);
    if (!path) return;
    if (!WriteLogFile(*path, ResultsCsv(results, testRun))) ShowErrorBox(owner, LoadText(IDS_UNABLE_TO_WRITE) + *path);
}

}  // namespace klarvex
