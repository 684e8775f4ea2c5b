// Emptied databases keep nothing of what was removed, in any journal mode,
// and one another program holds, or that has a second name, is left whole.

#include "formats/TableCleanup.h"

#include "SQLiteFixture.h"
#include "base/Strings.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace klarvex {
namespace {

using test::Hold;
using test::LockHolder;

// Rows that an earlier program deleted without overwriting them (their
// bytes stay in free pages), rows still there to remove, and rows to keep.
void MakeDatabase(const std::wstring& path, const wchar_t* journalMode) {
    TSQLiteDatabase db(path);
    db.QueryTable(L"PRAGMA journal_mode = " + std::wstring(journalMode));
    db.QueryTable(L"PRAGMA secure_delete = OFF");
    db.ExecuteStatement(L"CREATE TABLE visits (id INTEGER PRIMARY KEY, url TEXT)");
    db.ExecuteStatement(L"CREATE TABLE kept (id INTEGER PRIMARY KEY, url TEXT)");
    const std::wstring padding = L" " + std::wstring(200, L'.');
    auto insert = [&](const wchar_t* table, const wchar_t* text, int rows) {
        for (int i = 0; i < rows; ++i)
            db.ExecuteStatement(L"INSERT INTO " + std::wstring(table) + L" (url) VALUES ('" + text +
                                std::to_wstring(i) + padding + L"')");
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
    struct Case {
        const wchar_t* journalMode;
        Other other;
        DatabaseOutcome outcome;
    };
    const Case cases[] = {
        {L"wal", Other::None, DatabaseOutcome::Done},
        {L"delete", Other::None, DatabaseOutcome::Done},
        {L"persist", Other::None, DatabaseOutcome::Done},  // its journal keeps old pages after each commit
        {L"wal", Other::Reader, DatabaseOutcome::InUse},   // the log could not be folded back
        {L"delete", Other::Reader, DatabaseOutcome::InUse},
        {L"wal", Other::Writer, DatabaseOutcome::InUse},
        {L"delete", Other::Writer, DatabaseOutcome::InUse},
        {L"delete", Other::SecondName, DatabaseOutcome::Linked},
    };
    const TableStatement statements[] = {{L"visits", L"DELETE FROM visits"}, {L"absent", L"DELETE FROM absent"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(WideToUtf8(c.journalMode) + " " + std::to_string(static_cast<int>(c.other)));
        testing::ScratchFolder folder;
        const std::wstring path = folder / L"places.sqlite";
        MakeDatabase(path, c.journalMode);
        if (c.other == Other::SecondName) CreateHardLinkW((folder / L"elsewhere.sqlite").c_str(), path.c_str(), nullptr);
        std::optional<LockHolder> holder;
        if (c.other == Other::Reader || c.other == Other::Writer)
            holder.emplace(path, c.other == Other::Reader ? Hold::Read : Hold::Write);

        const DatabaseCleanup cleanup = EmptyTables(path, {statements, nullptr, L"visits"});
        holder.reset();
        EXPECT_EQ(cleanup.outcome, c.outcome);
        EXPECT_EQ(cleanup.counted, c.outcome == DatabaseOutcome::Done ? 40 : 0);
        EXPECT_EQ(Rows(path, L"visits"), c.outcome == DatabaseOutcome::Done ? 0 : 40) << "all or nothing";
        EXPECT_EQ(Rows(path, L"kept"), 30);
        if (c.outcome != DatabaseOutcome::Done) continue;
        for (const wchar_t* file : {L"", L"-wal", L"-journal"}) {
            const std::string bytes = testing::ReadBytes(path + file);
            EXPECT_EQ(bytes.find("trace-"), std::string::npos) << "in places.sqlite" << WideToUtf8(file);
        }
    }
}

}  // namespace
}  // namespace klarvex
