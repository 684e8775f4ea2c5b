// Emptied databases keep nothing of what was removed, in any journal mode,
// and one another program holds, or that has a second name, is left whole.

#include "formats/TableCleanup.h"

#include "SQLiteFixture.h"
#include "base/Strings.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <tuple>

namespace klarvex {
namespace {

using test::Hold;
using test::LockHolder;

// Rows that an earlier program deleted without overwriting them (their
// bytes stay in free pages), rows still there to remove, and rows to keep.
void MakeDatabase(const std::wstring& path, const wchar_t* journalMode) {
    TSQLiteDatabase db(path);
    db.QueryTable(L"PRAGMA journal_mode = " + std::wstring(journalMode));
    db.ExecuteStatement(L"CREATE TABLE visits (url TEXT)");
    db.ExecuteStatement(L"CREATE TABLE kept (url TEXT)");
    auto insert = [&](const std::wstring& table, const std::wstring& text, int rows) {
        db.ExecuteStatement(L"INSERT INTO " + table + L" WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 " +
                            L"FROM n WHERE i < " + std::to_wstring(rows) + L") SELECT '" + text +
                            L"' || i || printf('%200s', '') FROM n");
    };
    insert(L"visits", L"expired-trace-", 100);
    db.ExecuteStatement(L"DELETE FROM visits");
    insert(L"visits", L"live-trace-", 40);
    insert(L"kept", L"bookmark-", 30);
}

int64_t Rows(const std::wstring& path, const wchar_t* table) {
    TSQLiteDatabase db(path);
    return std::get<int64_t>(db.QueryTable(L"SELECT COUNT(*) FROM " + std::wstring(table)).Cell(0, 0));
}

TEST(TableCleanup, RemovedRowsLeaveNoByteBehindOrTheDatabaseIsLeftWhole) {
    enum class Other { None, Reader, Writer, SecondName };
    using enum DatabaseOutcome;
    const std::tuple<const wchar_t*, Other, DatabaseOutcome> cases[] = {
        {L"wal", Other::None, Done}, {L"delete", Other::None, Done},
        {L"persist", Other::None, Done},  // its journal keeps old pages after each commit
        {L"wal", Other::Reader, InUse},   // the log could not be folded back
        {L"delete", Other::Reader, InUse}, {L"wal", Other::Writer, InUse}, {L"delete", Other::Writer, InUse},
        {L"delete", Other::SecondName, Linked},
    };
    const TableStatement statements[] = {{L"visits", L"DELETE FROM visits"}, {L"absent", L"DELETE FROM absent"}};
    for (const auto& [journalMode, other, outcome] : cases) {
        SCOPED_TRACE(WideToUtf8(journalMode) + " " + std::to_string(static_cast<int>(other)));
        testing::ScratchFolder folder;
        const std::wstring path = folder / L"places.sqlite";
        MakeDatabase(path, journalMode);
        if (other == Other::SecondName) CreateHardLinkW((folder / L"elsewhere.sqlite").c_str(), path.c_str(), nullptr);
        std::optional<LockHolder> holder;
        if (other == Other::Reader || other == Other::Writer)
            holder.emplace(path, other == Other::Reader ? Hold::Read : Hold::Write);

        const DatabaseCleanup cleanup = EmptyTables(path, {statements, nullptr, L"visits"});
        holder.reset();
        EXPECT_EQ(cleanup.outcome, outcome);
        EXPECT_EQ(cleanup.counted, outcome == Done ? 40 : 0);
        EXPECT_EQ(Rows(path, L"visits"), outcome == Done ? 0 : 40) << "all or nothing";
        EXPECT_EQ(Rows(path, L"kept"), 30);
        for (const wchar_t* file : {L"", L"-wal", L"-journal"}) {
            if (outcome == Done) {
                EXPECT_EQ(testing::ReadBytes(path + file).find("trace-"), std::string::npos) << WideToUtf8(file);
            }
        }
    }
}

}  // namespace
}  // namespace klarvex
