#pragma once

// Emptying tables of a browser's database file.

#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>

namespace klarvex {

// A statement that removes rows of one table; run only where that table
// exists.
struct TableStatement {
    const wchar_t* table;
    const wchar_t* sql;
};

// Another database the statements may name (ATTACH ... AS name).
struct AttachedDatabase {
    std::wstring name;
    std::wstring path;
};

// Runs, in order, each statement whose table the database at path has, each
// on its own: a missing table is nothing to clean and never stops the ones
// after it. A file that does not exist is not opened (never created), and
// neither is one to attach. Foreign keys are on: rows declared to go with
// a removed row go too. Deleted rows are overwritten, not only
// unlinked, and a write-ahead log is folded back at the end, so what was
// removed cannot be read from the file's free pages or its log. A database
// (or its journal) that is a link or has a second name is left alone. The
// database is closed also when a statement raises; the ESQLiteException
// goes on to the caller and ends the run.
void RunWhereTablesExist(const std::wstring& path, std::span<const TableStatement> statements,
                         const AttachedDatabase* attached = nullptr);
inline void RunWhereTablesExist(const std::wstring& path, std::initializer_list<TableStatement> statements) {
    RunWhereTablesExist(path, std::span(statements.begin(), statements.size()));
}

// The rows of those tables the database at path has, together; 0 for a
// file that does not exist (never created). Raises as RunWhereTablesExist.
int64_t RowsInTables(const std::wstring& path, std::span<const TableStatement> tables);

}  // namespace klarvex
