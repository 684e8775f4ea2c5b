#include "formats/TableCleanup.h"

#include <windows.h>

#include <optional>
#include <string_view>
#include <variant>

#include "formats/SQLiteTable3.h"
#include "platform/Folders.h"

namespace klarvex {

namespace {

// How long a database another program holds is waited for.
constexpr int kBusyMilliseconds = 3000;
// The page cache of the connection: a transaction that deletes the rows of
// a large database keeps its changed pages in memory instead of writing
// them out (and, in rollback-journal mode, syncing the journal) each time
// the default cache of 2 MB fills up.
constexpr int kCacheKibibytes = 64 * 1024;

bool IsFile(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The database or one of the journals SQLite keeps beside it is a link or
// has a second name: rows deleted through it would go from a file that is
// not only this program's.
bool IsLinkedDatabase(const std::wstring& path) {
    for (const wchar_t* suffix : {L"", L"-wal", L"-journal", L"-shm"})
        if (IsLinkedFile(path + suffix)) return true;
    return false;
}

// A text as an SQL string literal.
std::wstring Quoted(const std::wstring& text) {
    std::wstring quoted = L"'";
    for (wchar_t c : text) quoted += c == L'\'' ? std::wstring(L"''") : std::wstring(1, c);
    return quoted + L"'";
}

int64_t IntegerOf(const TSQLiteTable& result, int32_t column = 0) {
    if (result.RowTotal() < 1 || result.ColumnTotal() <= column) return 0;
    const auto* value = std::get_if<int64_t>(&result.Cell(0, column));
    return value ? *value : 0;
}

std::wstring TextOf(const TSQLiteTable& result) {
    if (result.RowTotal() < 1) return {};
    const auto* value = std::get_if<std::wstring>(&result.Cell(0, 0));
    return value ? *value : std::wstring();
}

// A database that exists and is no link, or why it is not to be opened.
std::optional<DatabaseCleanup> Refused(const std::wstring& path, const TableSet& tables) {
    if (!IsFile(path) || (tables.attached && !IsFile(tables.attached->path)))
        return DatabaseCleanup{DatabaseOutcome::NotThere, path};
    if (IsLinkedDatabase(path)) return DatabaseCleanup{DatabaseOutcome::Linked, path};
    if (tables.attached && IsLinkedDatabase(tables.attached->path))
        return DatabaseCleanup{DatabaseOutcome::Linked, tables.attached->path};
    return std::nullopt;
}

// A write transaction (BEGIN IMMEDIATE: another writer is waited for, then
// the begin fails), rolled back unless committed: a statement or a commit
// that fails leaves the database as it was.
class WriteTransaction {
public:
    explicit WriteTransaction(TSQLiteDatabase& database) : database_(database) {
        database_.ExecuteStatement(L"BEGIN IMMEDIATE");
    }
    ~WriteTransaction() {
        if (!open_) return;
        try {
            database_.ExecuteStatement(L"ROLLBACK");
        } catch (const ESQLiteException&) {
            // The library rolls back what closing the connection leaves.
        }
    }
    WriteTransaction(const WriteTransaction&) = delete;
    WriteTransaction& operator=(const WriteTransaction&) = delete;

    void Commit() {
        database_.ExecuteStatement(L"COMMIT");
        open_ = false;
    }

private:
    TSQLiteDatabase& database_;
    bool open_ = true;
};

// Folds the write-ahead log back into the database and empties it; false
// when a reader of the database is in the way (after the busy timeout).
bool LogFoldedBack(TSQLiteDatabase& database) {
    const TSQLiteTable result = database.QueryTable(L"PRAGMA main.wal_checkpoint(TRUNCATE)");
    return result.RowTotal() == 1 && IntegerOf(result, 0) == 0 && IntegerOf(result, 1) == IntegerOf(result, 2);
}

// Whether no other program reads the database in write-ahead-log mode in a
// way that would keep what this program removes in the database file. A
// reader holds on to the database as it was when its read began; the log
// can be folded back only up to there, and a reader of a log that was
// fully folded back holds the database file itself. A commit that changes
// nothing but the database's change counter gives the log a page to fold
// back, so folding it back is kept from by either kind of reader.
bool NoReaderInTheWay(TSQLiteDatabase& database) {
    const int64_t version = IntegerOf(database.QueryTable(L"PRAGMA main.user_version"));
    WriteTransaction touch(database);
    database.ExecuteStatement(L"PRAGMA main.user_version = " + std::to_wstring(version));
    touch.Commit();
    return LogFoldedBack(database);
}

// The database written anew from its live rows, which leaves nothing of
// removed rows in free pages or past its end, and its log folded back and
// emptied; false when that fails (another program came to hold it, the
// disk is full).
bool Rebuilt(TSQLiteDatabase& database, bool writeAheadLog) {
    try {
        database.ExecuteStatement(L"VACUUM");
        return !writeAheadLog || LogFoldedBack(database);
    } catch (const ESQLiteException&) {
        return false;
    }
}

void PrepareConnection(TSQLiteDatabase& database, const TableSet& tables) {
    database.QueryTable(L"PRAGMA busy_timeout = " + std::to_wstring(kBusyMilliseconds));
    database.QueryTable(L"PRAGMA secure_delete = ON");
    // What refers to a removed row and is declared to go with it, goes.
    database.ExecuteStatement(L"PRAGMA foreign_keys = ON");
    database.ExecuteStatement(L"PRAGMA cache_size = -" + std::to_wstring(kCacheKibibytes));
    if (tables.attached)
        database.ExecuteStatement(L"ATTACH DATABASE " + Quoted(tables.attached->path) + L" AS " +
                                  tables.attached->name);
}

}  // namespace

DatabaseCleanup EmptyTables(const std::wstring& path, const TableSet& tables) {
    if (auto refused = Refused(path, tables)) return *refused;
    DatabaseCleanup cleanup{DatabaseOutcome::Done, path};
    TSQLiteDatabase database(path, TSQLiteDatabase::Existing::Only);
    bool writeAheadLog = false;
    try {
        PrepareConnection(database, tables);
        writeAheadLog = TextOf(database.QueryTable(L"PRAGMA main.journal_mode")) == L"wal";
        if (writeAheadLog && !NoReaderInTheWay(database)) return {DatabaseOutcome::InUse, path};
        WriteTransaction transaction(database);
        for (const auto& statement : tables.statements) {
            if (!database.HasTable(statement.table)) continue;
            database.ExecuteStatement(statement.sql);
            if (tables.countedTable && std::wstring_view(statement.table) == tables.countedTable)
                cleanup.counted = IntegerOf(database.QueryTable(L"SELECT changes()"));
        }
        // In rollback-journal mode the commit waits for readers to finish.
        transaction.Commit();
    } catch (const ESQLiteException& e) {
        if (!e.DatabaseLocked()) throw;
        return {DatabaseOutcome::InUse, path};
    }
    if (!Rebuilt(database, writeAheadLog)) cleanup.outcome = DatabaseOutcome::NotRebuilt;
    return cleanup;
}

DatabaseCleanup CountRows(const std::wstring& path, const TableSet& tables) {
    if (auto refused = Refused(path, tables)) return *refused;
    DatabaseCleanup count{DatabaseOutcome::Done, path};
    if (!tables.countedTable) return count;
    TSQLiteDatabase database(path, TSQLiteDatabase::Existing::Only);
    try {
        database.QueryTable(L"PRAGMA busy_timeout = " + std::to_wstring(kBusyMilliseconds));
        if (database.HasTable(tables.countedTable))
            count.counted =
                IntegerOf(database.QueryTable(L"SELECT COUNT(*) FROM [" + std::wstring(tables.countedTable) + L"]"));
    } catch (const ESQLiteException& e) {
        if (!e.DatabaseLocked()) throw;
        return {DatabaseOutcome::InUse, path};
    }
    return count;
}

}  // namespace klarvex
