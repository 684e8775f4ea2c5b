#include "formats/SQLite3.h"

#include "base/Handles.h"
#include "base/Strings.h"

#include <windows.h>

#include <iterator>
#include <mutex>
#include <utility>

namespace klarvex {

namespace {

// The system's own words for a Win32 error code, without the line break
// FormatMessage ends them with.
std::wstring SystemErrorText(DWORD code) {
    wchar_t* buffer = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text = length ? std::wstring(buffer, length) : std::wstring();
    if (buffer) LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' ' ||
                             text.back() == L'.'))
        text.pop_back();
    if (text.empty()) return L"error " + IntToStr(code);
    return text + L" (error " + IntToStr(code) + L")";
}

// Looks up one exported function and stores it with its real type. The cast
// goes through the generic function pointer type, which is how a
// GetProcAddress result is meant to be converted.
class Exports {
public:
    explicit Exports(HMODULE module) : module_(module) {}

    template <typename Function>
    void Bind(const char* name, Function& target) {
        const FARPROC address = GetProcAddress(module_, name);
        if (!address) {
            if (missing_.empty()) missing_ = name;
            return;
        }
        target = reinterpret_cast<Function>(reinterpret_cast<void (*)()>(address));
    }

    // The first function that could not be found; empty when all were.
    const std::string& Missing() const { return missing_; }

private:
    HMODULE module_;
    std::string missing_;
};

}  // namespace

bool LoadSQLite3Library(const std::wstring& dllPath, SQLite3Library& library,
                        std::wstring& error) {
    // A full path, and the DLL's own folder first for anything it needs in
    // turn: a sqlite3.dll elsewhere on the search path is never picked up.
    Module module(LoadLibraryExW(dllPath.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
    if (!module) {
        error = L"The SQLite library \"" + dllPath + L"\" could not be loaded: " +
                SystemErrorText(GetLastError());
        return false;
    }

    SQLite3Library found{};
    Exports exports(module.Get());
    exports.Bind("sqlite3_open", found.open);
    exports.Bind("sqlite3_open_v2", found.open_v2);
    exports.Bind("sqlite3_close", found.close);
    exports.Bind("sqlite3_errcode", found.errcode);
    exports.Bind("sqlite3_errmsg", found.errmsg);
    exports.Bind("sqlite3_prepare_v2", found.prepare_v2);
    exports.Bind("sqlite3_step", found.step);
    exports.Bind("sqlite3_reset", found.reset);
    exports.Bind("sqlite3_finalize", found.finalize);
    exports.Bind("sqlite3_column_count", found.column_count);
    exports.Bind("sqlite3_column_name", found.column_name);
    exports.Bind("sqlite3_column_decltype", found.column_decltype);
    exports.Bind("sqlite3_column_type", found.column_type);
    exports.Bind("sqlite3_column_int64", found.column_int64);
    exports.Bind("sqlite3_column_double", found.column_double);
    exports.Bind("sqlite3_column_text", found.column_text);
    exports.Bind("sqlite3_column_bytes", found.column_bytes);
    exports.Bind("sqlite3_column_blob", found.column_blob);
    if (!exports.Missing().empty()) {
        error = L"The SQLite library \"" + dllPath + L"\" has no function " +
                Utf8ToWide(exports.Missing());
        return false;
    }

    // The functions stay in use for the life of the process, so the DLL is
    // never unloaded.
    module.Release();
    library = found;
    return true;
}

const SQLite3Library* SQLite3(std::wstring& error) {
    static std::mutex mutex;
    static SQLite3Library library{};
    static bool loaded = false;

    const std::lock_guard lock(mutex);
    if (!loaded) {
        const std::wstring folder = ExeDir();
        if (folder.empty()) {
            // A bare name would let LoadLibrary search the path.
            error = L"The SQLite library cannot be loaded: the program's folder is unknown";
            return nullptr;
        }
        loaded = LoadSQLite3Library(folder + L"sqlite3.dll", library, error);
    }
    return loaded ? &library : nullptr;
}

std::wstring ErrorCodeText(int code) {
    static const wchar_t* const texts[] = {
        L"Successful result",                            // 0
        L"SQL error or missing database",                // 1
        L"An internal logic error in SQLite",            // 2
        L"Access permission denied",                     // 3
        L"Callback routine requested an abort",          // 4
        L"The database file is locked",                  // 5
        L"A table in the database is locked",            // 6
        L"A malloc() failed",                            // 7
        L"Attempt to write a readonly database",         // 8
        L"Operation terminated by sqlite3_interrupt()",  // 9
        L"Some kind of disk I/O error occurred",         // 10
        L"The database disk image is malformed",         // 11
        L"(Internal Only) Table or record not found",    // 12
        L"Insertion failed because database is full",    // 13
        L"Unable to open the database file",             // 14
        L"Database lock protocol error",                 // 15
        L"Database is empty",                            // 16
        L"The database schema changed",                  // 17
        L"Too much data for one row of a table",         // 18
        L"Abort due to contraint violation",             // 19
        L"Data type mismatch",                           // 20
        L"Library used incorrectly",                     // 21
        L"Uses OS features not supported on host",       // 22
        L"Authorization denied",                         // 23
        L"Auxiliary database format error",              // 24
        L"2nd parameter to sqlite3_bind out of range",   // 25
        L"File opened that is not a database file",      // 26
    };
    if (code >= 0 && code < static_cast<int>(std::size(texts))) return texts[code];
    if (code == SQLITE_ROW) return L"sqlite3_step() has another row ready";
    if (code == SQLITE_DONE) return L"sqlite3_step() has finished executing";
    return L"Unknown SQLite Error Code \"" + IntToStr(code) + L"\"";
}

SQLiteConnection& SQLiteConnection::operator=(SQLiteConnection&& other) noexcept {
    if (this != &other) {
        Reset();
        library_ = other.library_;
        handle_ = std::exchange(other.handle_, nullptr);
    }
    return *this;
}

void SQLiteConnection::Reset() noexcept {
    // Every statement is finalized before its connection goes (statements
    // never outlive the call that made them), so the close succeeds.
    if (handle_) library_->close(std::exchange(handle_, nullptr));
}

SQLiteStatement& SQLiteStatement::operator=(SQLiteStatement&& other) noexcept {
    if (this != &other) {
        Reset();
        library_ = other.library_;
        handle_ = std::exchange(other.handle_, nullptr);
    }
    return *this;
}

void SQLiteStatement::Reset() noexcept {
    if (handle_) library_->finalize(std::exchange(handle_, nullptr));
}

}  // namespace klarvex
