#pragma once

// Emptying tables of a browser's database file.

#include <initializer_list>
#include <string>

namespace klarvex {

// A statement that removes rows of one table; run only where that table
// exists.
struct TableStatement {
    const wchar_t* table;
    const wchar_t* sql;
};

// Runs, in order, each statement whose table the database at path has, each
// on its own: a missing table is nothing to clean and never stops the ones
// after it. A file that does not exist is not opened (never created). The
// database is closed also when a statement raises; the ESQLiteException
// goes on to the caller and ends the run.
void RunWhereTablesExist(const std::wstring& path, std::initializer_list<TableStatement> statements);

}  // namespace klarvex
