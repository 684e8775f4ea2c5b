#include "formats/SQLite3.h"

#include "base/Strings.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace klarvex {
namespace {

TEST(SQLiteErrorCodeText, KnownCodesAndTheUnknownRest) {
    EXPECT_EQ(ErrorCodeText(0), L"Successful result");
    EXPECT_EQ(ErrorCodeText(5), L"The database file is locked");
    EXPECT_EQ(ErrorCodeText(19), L"Abort due to contraint violation");
    EXPECT_EQ(ErrorCodeText(26), L"File opened that is not a database file");
    EXPECT_EQ(ErrorCodeText(100), L"sqlite3_step() has another row ready");
    EXPECT_EQ(ErrorCodeText(101), L"sqlite3_step() has finished executing");
    // Gaps and both ends of the table.
    EXPECT_EQ(ErrorCodeText(27), L"Unknown SQLite Error Code \"27\"");
    EXPECT_EQ(ErrorCodeText(99), L"Unknown SQLite Error Code \"99\"");
    EXPECT_EQ(ErrorCodeText(102), L"Unknown SQLite Error Code \"102\"");
    EXPECT_EQ(ErrorCodeText(-1), L"Unknown SQLite Error Code \"-1\"");
    // An extended code is not its primary code.
    EXPECT_EQ(ErrorCodeText(SQLITE_BUSY_SNAPSHOT), L"Unknown SQLite Error Code \"517\"");
}

TEST(SQLiteLibrary, TheProgramsOwnDllIsTheOneLoaded) {
    std::wstring error;
    const SQLite3Library* library = SQLite3(error);
    ASSERT_NE(library, nullptr) << WideToUtf8(error);
    EXPECT_EQ(SQLite3(error), library);

    HMODULE module = nullptr;
    ASSERT_TRUE(GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                       GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                                   reinterpret_cast<LPCWSTR>(library->open), &module));
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(module, path, MAX_PATH);
    EXPECT_EQ(std::wstring(path, length), ExeDir() + L"sqlite3.dll");
}

TEST(SQLiteLibrary, AMissingOrWrongDllIsDescribedNotFatal) {
    SQLite3Library library{};
    std::wstring error;
    const std::wstring missing = ExeDir() + L"no-such-folder\\sqlite3.dll";
    EXPECT_FALSE(LoadSQLite3Library(missing, library, error));
    EXPECT_EQ(error.rfind(L"The SQLite library \"" + missing + L"\" could not be loaded: ", 0), 0u)
        << WideToUtf8(error);

    // A DLL that is there but is not SQLite.
    wchar_t system[MAX_PATH];
    const UINT length = GetSystemDirectoryW(system, MAX_PATH);
    const std::wstring kernel32 = std::wstring(system, length) + L"\\kernel32.dll";
    error.clear();
    EXPECT_FALSE(LoadSQLite3Library(kernel32, library, error));
    EXPECT_EQ(error, L"The SQLite library \"" + kernel32 + L"\" has no function sqlite3_open");
    EXPECT_EQ(library.open, nullptr);
}

}  // namespace
}  // namespace klarvex
