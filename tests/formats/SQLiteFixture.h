#pragma once

// Shared by the SQLite layer's tests.

#include "formats/SQLiteTable3.h"
#include "support/Fixtures.h"
#include "support/Process.h"

#include <gtest/gtest.h>

#include <string>

namespace klarvex::test {

// Copies a file of the real-data collection (C:\realdata in the sandbox)
// into `folder` and returns the copy's path. The originals are never opened
// by SQLite: even a read can leave -wal or -shm files beside a database.
std::wstring CopyRealData(const testing::ScratchFolder& folder, const std::wstring& name);

bool FileExists(const std::wstring& path);

// Another process that holds a database, as a running browser does, for
// the life of the object: writing it (BEGIN EXCLUSIVE), or in the middle of
// reading it (a read transaction left open). It is this same test program,
// started again to run only a disabled test of SQLiteLockTest.cpp, and told
// the database and the hold in its environment.
inline constexpr wchar_t kLockDatabaseVariable[] = L"KLARVEX_LOCK_DATABASE";
inline constexpr wchar_t kLockReadVariable[] = L"KLARVEX_LOCK_READ";
enum class Hold { Write, Read };
class LockHolder : public testing::HolderProcess {
public:
    explicit LockHolder(const std::wstring& database, Hold hold = Hold::Write);
};

// The message of the ESQLiteException `action` raises (a test failure if it
// raises none).
template <typename Action>
std::wstring MessageOf(Action&& action) {
    try {
        action();
    } catch (const ESQLiteException& e) {
        return e.Message();
    }
    ADD_FAILURE() << "no ESQLiteException was raised";
    return {};
}

}  // namespace klarvex::test
