#pragma once

// The object layer over SQLite through which the browser cleaners empty
// tables: a database object for one file, a table object holding one query's
// complete result, and the exception every failure of the layer raises.

#include "base/Exception.h"
#include "formats/SQLite3.h"

#include <cstdint>
#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace klarvex {

class ESQLiteException : public Exception {
public:
    // resultCode: the library's code for the failure, when it gave one.
    explicit ESQLiteException(std::wstring message, int resultCode = SQLITE_OK)
        : Exception(std::move(message)), resultCode_(resultCode) {}

    // Another connection holds the database locked.
    bool DatabaseLocked() const noexcept {
        return (resultCode_ & 0xFF) == SQLITE_BUSY || (resultCode_ & 0xFF) == SQLITE_LOCKED;
    }

private:
    int resultCode_;
};

// One value of a query result. Empty for a null value and for a blob of 0
// bytes; otherwise the integer, floating point number, text or blob bytes, as
// the column's kind says.
using TSQLiteCell =
    std::variant<std::monostate, std::int64_t, double, std::wstring, std::vector<std::uint8_t>>;

class TSQLiteTable;

// One open connection to one database file, closed when the object goes.
class TSQLiteDatabase {
public:
    // Opens (or, as SQLite does, creates) the file at `path`.
    explicit TSQLiteDatabase(const std::wstring& path);
    // Opens the file at `path` only when it exists: a database another
    // program keeps is never made by opening it. Raises as the other.
    enum class Existing { Only };
    TSQLiteDatabase(const std::wstring& path, Existing);

    TSQLiteDatabase(const TSQLiteDatabase&) = delete;
    TSQLiteDatabase& operator=(const TSQLiteDatabase&) = delete;
    TSQLiteDatabase(TSQLiteDatabase&&) noexcept = default;
    TSQLiteDatabase& operator=(TSQLiteDatabase&&) noexcept = default;

    // Runs one statement that returns no rows to its end.
    void ExecuteStatement(const std::wstring& sql);

    // Runs one query and returns all of its rows.
    TSQLiteTable QueryTable(const std::wstring& sql);

    // Whether the main schema has a table (not a view or an index) named
    // `name`, letters A to Z compared without regard to case.
    bool HasTable(const std::wstring& name);

private:
    friend class TSQLiteTable;

    // Opens `path` with the library's open flags (0: as sqlite3_open does).
    void Open(const std::wstring& path, int flags);

    // Prepares `sql`; raises when the library refuses it or finds no
    // statement in it.
    SQLiteStatement Prepare(const std::wstring& sql) const;

    // Raises the connection's current error, described after `base`.
    [[noreturn]] void RaiseLibraryError(const std::wstring& base, const std::wstring& sql) const;

    const SQLite3Library* library_ = nullptr;
    SQLiteConnection connection_;
};

// The complete result of one query, read when the object is made.
class TSQLiteTable {
public:
    TSQLiteTable(TSQLiteDatabase& database, const std::wstring& sql);

    std::int32_t RowTotal() const noexcept { return rowTotal_; }
    // 0 when the query returned no row, as are the column names and kinds.
    std::int32_t ColumnTotal() const noexcept { return columnTotal_; }
    // The result column names in upper case.
    const std::vector<std::wstring>& ColumnNames() const noexcept { return columnNames_; }
    // SQLITE_INTEGER, SQLITE_FLOAT, SQLITE_TEXT or SQLITE_BLOB from the
    // declared type; for a column without one, the type of its first value.
    const std::vector<std::int32_t>& ColumnKinds() const noexcept { return columnKinds_; }
    // All values, row after row.
    const std::vector<TSQLiteCell>& Cells() const noexcept { return cells_; }
    const TSQLiteCell& Cell(std::int32_t row, std::int32_t column) const;

private:
    std::int32_t rowTotal_ = 0;
    std::int32_t columnTotal_ = 0;
    std::vector<std::wstring> columnNames_;
    std::vector<std::int32_t> columnKinds_;
    std::vector<TSQLiteCell> cells_;
};

}  // namespace klarvex
