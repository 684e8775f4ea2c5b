#pragma once

// The SQLite library as this program uses it: the functions it calls, looked
// up at run time in sqlite3.dll beside the program, owners for the two kinds
// of library handle, and the texts of the library's result codes.

#include <sqlite3.h>

#include <string>

namespace klarvex {

// The library functions the program calls, and nothing else.
struct SQLite3Library {
    decltype(&::sqlite3_open) open;
    decltype(&::sqlite3_open_v2) open_v2;
    decltype(&::sqlite3_close) close;
    decltype(&::sqlite3_errcode) errcode;
    decltype(&::sqlite3_errmsg) errmsg;
    decltype(&::sqlite3_prepare_v2) prepare_v2;
    decltype(&::sqlite3_step) step;
    decltype(&::sqlite3_reset) reset;
    decltype(&::sqlite3_finalize) finalize;
    decltype(&::sqlite3_column_count) column_count;
    decltype(&::sqlite3_column_name) column_name;
    decltype(&::sqlite3_column_decltype) column_decltype;
    decltype(&::sqlite3_column_type) column_type;
    decltype(&::sqlite3_column_int64) column_int64;
    decltype(&::sqlite3_column_double) column_double;
    decltype(&::sqlite3_column_text) column_text;
    decltype(&::sqlite3_column_bytes) column_bytes;
    decltype(&::sqlite3_column_blob) column_blob;
};

// The library the program runs with. On Windows it is sqlite3.dll from the
// program's own folder (never from the search path), loaded on the first call
// and kept for the life of the process. Returns nullptr when the DLL or one of
// its functions is missing and puts the reason, naming the file, in `error`;
// a later call tries again.
const SQLite3Library* SQLite3(std::wstring& error);

// Loads the library from `dllPath` without caching it (what SQLite3() does on
// its first call). Returns false with the reason in `error`.
bool LoadSQLite3Library(const std::wstring& dllPath, SQLite3Library& library,
                        std::wstring& error);

// The text for a library result code; unknown codes give
// Unknown SQLite Error Code "<code>".
std::wstring ErrorCodeText(int code);

// Owns one connection handle and closes it. Moving hands the handle on.
class SQLiteConnection {
public:
    SQLiteConnection() noexcept = default;
    SQLiteConnection(const SQLite3Library& library, sqlite3* handle) noexcept
        : library_(&library), handle_(handle) {}
    ~SQLiteConnection() { Reset(); }

    SQLiteConnection(const SQLiteConnection&) = delete;
    SQLiteConnection& operator=(const SQLiteConnection&) = delete;
    SQLiteConnection(SQLiteConnection&& other) noexcept
        : library_(other.library_), handle_(other.handle_) { other.handle_ = nullptr; }
    SQLiteConnection& operator=(SQLiteConnection&& other) noexcept;

    sqlite3* Get() const noexcept { return handle_; }
    explicit operator bool() const noexcept { return handle_ != nullptr; }
    void Reset() noexcept;

private:
    const SQLite3Library* library_ = nullptr;
    sqlite3* handle_ = nullptr;
};

// Owns one prepared statement and finalizes it. Moving hands the handle on.
class SQLiteStatement {
public:
    SQLiteStatement() noexcept = default;
    SQLiteStatement(const SQLite3Library& library, sqlite3_stmt* handle) noexcept
        : library_(&library), handle_(handle) {}
    ~SQLiteStatement() { Reset(); }

    SQLiteStatement(const SQLiteStatement&) = delete;
    SQLiteStatement& operator=(const SQLiteStatement&) = delete;
    SQLiteStatement(SQLiteStatement&& other) noexcept
        : library_(other.library_), handle_(other.handle_) { other.handle_ = nullptr; }
    SQLiteStatement& operator=(SQLiteStatement&& other) noexcept;

    sqlite3_stmt* Get() const noexcept { return handle_; }
    explicit operator bool() const noexcept { return handle_ != nullptr; }
    void Reset() noexcept;

private:
    const SQLite3Library* library_ = nullptr;
    sqlite3_stmt* handle_ = nullptr;
};

}  // namespace klarvex
