#include "formats/TableCleanup.h"

#include <windows.h>

#include "formats/SQLiteTable3.h"
#include "platform/Folders.h"

namespace klarvex {

namespace {

bool IsFile(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// A text as an SQL string literal.
std::wstring Quoted(const std::wstring& text) {
    std::wstring quoted = L"'";
    for (wchar_t c : text) quoted += c == L'\'' ? std::wstring(L"''") : std::wstring(1, c);
    return quoted + L"'";
}

}  // namespace

void RunWhereTablesExist(const std::wstring& path, std::span<const TableStatement> statements,
                         const AttachedDatabase* attached) {
    if (!IsFile(path) || (attached && !IsFile(attached->path))) return;
    // Rows deleted through a second name of the file, or through a link,
    // would go from a database that is not only this browser's.
    for (const auto& database : {path, attached ? attached->path : path})
        for (const wchar_t* suffix : {L"", L"-wal", L"-journal", L"-shm"})
            if (IsLinkedFile(database + suffix)) return;
    TSQLiteDatabase database(path);
    database.QueryTable(L"PRAGMA secure_delete = ON");
    // What refers to a removed row and is declared to go with it, goes.
    database.ExecuteStatement(L"PRAGMA foreign_keys = ON");
    if (attached) database.ExecuteStatement(L"ATTACH DATABASE " + Quoted(attached->path) + L" AS " + attached->name);
    for (const auto& statement : statements)
        if (database.HasTable(statement.table)) database.ExecuteStatement(statement.sql);
    database.QueryTable(L"PRAGMA wal_checkpoint(TRUNCATE)");
}

int64_t RowsInTables(const std::wstring& path, std::span<const TableStatement> tables) {
    if (!IsFile(path)) return 0;
    TSQLiteDatabase database(path);
    int64_t rows = 0;
    for (const auto& table : tables) {
        if (!database.HasTable(table.table)) continue;
        const TSQLiteTable count = database.QueryTable(L"SELECT COUNT(*) FROM [" + std::wstring(table.table) + L"]");
        if (count.RowTotal() == 1) {
            if (const auto* n = std::get_if<int64_t>(&count.Cell(0, 0))) rows += *n;
        }
    }
    return rows;
}

}  // namespace klarvex
