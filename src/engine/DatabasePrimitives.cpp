// Emptying tables of other programs' databases, with what the run says of
// them: a database left alone or not rebuilt is named in the log, and only
// rows that went (or, in a Test, would go) are counted.

#include <algorithm>

#include "base/Texts.h"
#include "engine/CleanerRun.h"
#include "formats/TableCleanup.h"

namespace klarvex {

int32_t CleanerRun::EmptyDatabaseTables(const std::wstring& path, const TableSet& tables) {
    const DatabaseCleanup cleanup = IsTestRun() ? CountRows(path, tables) : EmptyTables(path, tables);
    auto name = [&](int textId) { AddLog(LogPrefix + LoadText(textId) + L" " + cleanup.database); };
    switch (cleanup.outcome) {
        case DatabaseOutcome::NotThere: return 0;
        case DatabaseOutcome::Linked: name(IDS_SKIPPING_LINKED_DATABASE); return 0;
        case DatabaseOutcome::InUse: name(IDS_LEFT_IN_USE); return 0;
        case DatabaseOutcome::NotRebuilt: name(IDS_DATABASE_NOT_REBUILT); break;
        case DatabaseOutcome::Done: break;
    }
    return static_cast<int32_t>(std::clamp<int64_t>(cleanup.counted, 0, INT32_MAX));
}

}  // namespace klarvex
