#pragma once

// Emptying tables of another program's database file, so that what was
// removed cannot be read back: the rows of one database go in one
// transaction or not at all, and the database is then rebuilt, so no byte
// of a removed row stays in its free pages, past its end, or in its
// journal or write-ahead log.

#include <cstdint>
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

// What to empty in one database.
struct TableSet {
    std::span<const TableStatement> statements;
    const AttachedDatabase* attached = nullptr;
    // A table whose statement takes all its rows, and whose rows are what
    // the cleaner counts; nullptr: rows are not counted.
    const wchar_t* countedTable = nullptr;
};

enum class DatabaseOutcome {
    NotThere,    // no such file: nothing opened, nothing created
    Done,        // the rows went and the database was rebuilt (CountRows: they are there to take)
    Linked,      // the database or a journal of it is a link or has a second name: left alone
    InUse,       // another program writes it, or reads it in the way: left whole
    NotRebuilt,  // the rows went, but the database could not be rebuilt (held meanwhile, disk full)
};

struct DatabaseCleanup {
    DatabaseOutcome outcome = DatabaseOutcome::NotThere;
    std::wstring database;  // the database the outcome is about (the attached one may be the link)
    int64_t counted = 0;    // rows of the counted table taken (or, by CountRows, there)
};

// Runs, in order, each statement whose table the database at path has, each
// on its own but all in one transaction: a missing table is nothing to
// clean and never stops the ones after it, and when any statement cannot
// run, none has run. Foreign keys are on: rows declared to go with a
// removed row go too. Deleted rows are overwritten, and once the
// transaction is done the database is rebuilt (VACUUM) and its write-ahead
// log folded back and emptied.
//
// A file that does not exist is not opened (never created), and neither
// is one to attach. A database (or its journal) that is a link or has a
// second name is left alone: rows deleted through it would go from a file
// that is not only this program's. A database another program holds (a
// writer, a reader that would keep the log from being folded back) is
// waited for a few seconds, then left whole. Any other failure of the
// library raises ESQLiteException, the database unchanged and closed.
DatabaseCleanup EmptyTables(const std::wstring& path, const TableSet& tables);

// What EmptyTables would find, without changing anything: the rows of the
// counted table (none opened without one), Linked, InUse (locked against
// reading) or NotThere. Raises as EmptyTables.
DatabaseCleanup CountRows(const std::wstring& path, const TableSet& tables);

}  // namespace klarvex
