#include "formats/SQLiteTable3.h"

#include "base/Strings.h"

#include <cstring>
#include <stdexcept>
#include <string_view>

namespace klarvex {

namespace {

// A column's kind from its declared type. Only these exact spellings count:
// "boolean" in lower case or "VARCHAR(20)" are text, as is every other type.
// (The library hands back the standard names INT, INTEGER, REAL, TEXT and
// BLOB in upper case however the table's definition spelled them.)
std::int32_t KindOfDeclaredType(std::string_view declared) {
    if (declared == "INTEGER" || declared == "BOOLEAN") return SQLITE_INTEGER;
    if (declared == "NUMERIC" || declared == "FLOAT" || declared == "DOUBLE" || declared == "REAL")
        return SQLITE_FLOAT;
    if (declared == "BLOB") return SQLITE_BLOB;
    return SQLITE_TEXT;
}

// Letters A to Z in lower case, nothing else changed: the same folding the
// library's lower() applies to the stored names. A quote is doubled so the
// name stays one string literal.
std::wstring SchemaNameLiteral(const std::wstring& name) {
    std::wstring literal;
    literal.reserve(name.size());
    for (const wchar_t ch : name) {
        if (ch >= L'A' && ch <= L'Z')
            literal += static_cast<wchar_t>(ch - L'A' + L'a');
        else if (ch == L'\'')
            literal += L"''";
        else
            literal += ch;
    }
    return literal;
}

}  // namespace

TSQLiteDatabase::TSQLiteDatabase(const std::wstring& path) { Open(path, 0); }

TSQLiteDatabase::TSQLiteDatabase(const std::wstring& path, Existing) { Open(path, SQLITE_OPEN_READWRITE); }

void TSQLiteDatabase::Open(const std::wstring& path, int flags) {
    std::wstring error;
    library_ = SQLite3(error);
    if (!library_) throw ESQLiteException(error);

    sqlite3* handle = nullptr;
    const std::string name = WideToUtf8(path);
    const int result = flags ? library_->open_v2(name.c_str(), &handle, flags, nullptr)
                             : library_->open(name.c_str(), &handle);
    // Owned from here on: the throws below close a handle the library made.
    connection_ = SQLiteConnection(*library_, handle);
    if (result == SQLITE_OK) return;
    if (connection_)
        throw ESQLiteException(L"Failed to open database \"" + path + L"\" : " +
                                   Utf8ToWide(library_->errmsg(connection_.Get())),
                               result);
    throw ESQLiteException(L"Failed to open database \"" + path + L"\" : unknown error", result);
}

void TSQLiteDatabase::RaiseLibraryError(const std::wstring& base, const std::wstring& sql) const {
    const int code = library_->errcode(connection_.Get());
    if (code == SQLITE_OK) throw ESQLiteException(base);
    const std::wstring text = Utf8ToWide(library_->errmsg(connection_.Get()));
    throw ESQLiteException(base + L".\rError [" + IntToStr(code) + L"]: " + ErrorCodeText(code) +
                               L".\r\"" + sql + L"\": " + text,
                           code);
}

SQLiteStatement TSQLiteDatabase::Prepare(const std::wstring& sql) const {
    const std::string text = WideToUtf8(sql);
    sqlite3_stmt* handle = nullptr;
    const int result = library_->prepare_v2(connection_.Get(), text.c_str(), -1, &handle, nullptr);
    SQLiteStatement statement(*library_, handle);
    if (result != SQLITE_OK) RaiseLibraryError(L"Error executing SQL", sql);
    // Empty text or only a comment: the library succeeds without a statement.
    if (!statement) RaiseLibraryError(L"Could not prepare SQL statement", sql);
    return statement;
}

void TSQLiteDatabase::ExecuteStatement(const std::wstring& sql) {
    const SQLiteStatement statement = Prepare(sql);
    // One step and no retry: unless the caller set a busy timeout on the
    // connection, a file another program holds locked fails here at once
    // with SQLITE_BUSY.
    if (library_->step(statement.Get()) != SQLITE_DONE) {
        library_->reset(statement.Get());
        RaiseLibraryError(L"Error executing SQL statement", sql);
    }
}

TSQLiteTable TSQLiteDatabase::QueryTable(const std::wstring& sql) { return TSQLiteTable(*this, sql); }

bool TSQLiteDatabase::HasTable(const std::wstring& name) {
    const TSQLiteTable table(*this,
                             L"select [sql] from sqlite_master where [type] = 'table' and lower(name) = '" +
                                 SchemaNameLiteral(name) + L"' ");
    return table.RowTotal() > 0;
}

TSQLiteTable::TSQLiteTable(TSQLiteDatabase& database, const std::wstring& sql) {
    const SQLite3Library& library = *database.library_;
    const SQLiteStatement statement = database.Prepare(sql);
    sqlite3_stmt* const stmt = statement.Get();

    for (;;) {
        const int result = library.step(stmt);
        if (result == SQLITE_DONE) break;
        if (result == SQLITE_BUSY) throw ESQLiteException(L"Could not prepare SQL statement", SQLITE_BUSY);
        if (result != SQLITE_ROW) {
            library.reset(stmt);
            database.RaiseLibraryError(L"Could not retrieve data", sql);
        }

        if (++rowTotal_ == 1) {
            columnTotal_ = library.column_count(stmt);
            for (int column = 0; column < columnTotal_; ++column) {
                const char* name = library.column_name(stmt, column);
                columnNames_.push_back(UpperCase(Utf8ToWide(name ? name : "")));
                const char* declared = library.column_decltype(stmt, column);
                columnKinds_.push_back(declared ? KindOfDeclaredType(declared)
                                                : library.column_type(stmt, column));
            }
        }

        for (int column = 0; column < columnTotal_; ++column) {
            if (library.column_type(stmt, column) == SQLITE_NULL) {
                cells_.emplace_back();
                continue;
            }
            switch (columnKinds_[column]) {
            case SQLITE_INTEGER:
                cells_.emplace_back(static_cast<std::int64_t>(library.column_int64(stmt, column)));
                break;
            case SQLITE_FLOAT:
                cells_.emplace_back(library.column_double(stmt, column));
                break;
            case SQLITE_BLOB: {
                const auto* data = static_cast<const std::uint8_t*>(library.column_blob(stmt, column));
                const int size = library.column_bytes(stmt, column);
                if (data && size > 0)
                    cells_.emplace_back(std::vector<std::uint8_t>(data, data + size));
                else
                    cells_.emplace_back();
                break;
            }
            default: {
                // Text of a non-null value is missing only when the library
                // ran out of memory converting it.
                const unsigned char* text = library.column_text(stmt, column);
                if (!text) database.RaiseLibraryError(L"Could not retrieve data", sql);
                // Up to the first NUL, as a C string reads.
                cells_.emplace_back(Utf8ToWide(reinterpret_cast<const char*>(text)));
                break;
            }
            }
        }
    }
}

const TSQLiteCell& TSQLiteTable::Cell(std::int32_t row, std::int32_t column) const {
    if (row < 0 || row >= rowTotal_ || column < 0 || column >= columnTotal_)
        throw std::out_of_range("TSQLiteTable::Cell: no such row or column");
    return cells_[static_cast<size_t>(row) * static_cast<size_t>(columnTotal_) +
                  static_cast<size_t>(column)];
}

}  // namespace klarvex
