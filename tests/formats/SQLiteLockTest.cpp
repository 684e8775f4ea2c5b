// A database that another process holds locked, as a running browser does:
// the layer sets no busy timeout, so every call fails at once with code 5.
//
// The other process is this same test program, started again to run only
// the lock holder below (a disabled test, so a normal run skips it). It is
// told the database and the two events of a holder through its environment.

#include "formats/SQLiteTable3.h"

#include "base/Handles.h"
#include "SQLiteFixture.h"
#include "support/Process.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>

namespace klarvex {
namespace {

using test::LockHolder;
using test::MessageOf;


std::wstring Variable(const wchar_t* name) {
    wchar_t buffer[1024];
    const DWORD length = GetEnvironmentVariableW(name, buffer, static_cast<DWORD>(std::size(buffer)));
    return length > 0 && length < std::size(buffer) ? std::wstring(buffer, length) : std::wstring();
}

// Runs in the second process: takes the exclusive lock (or begins to read),
// says so, and keeps it until told to let go.
TEST(SQLiteLockHolder, DISABLED_HoldExclusiveLock) {
    const std::wstring path = Variable(test::kLockDatabaseVariable);
    ASSERT_FALSE(path.empty()) << "run only by the locked-database tests, which name the database";
    UniqueHandle ready(testing::OpenHoldEvent(testing::kHoldReady, EVENT_MODIFY_STATE));
    UniqueHandle release(testing::OpenHoldEvent(testing::kHoldRelease, SYNCHRONIZE));
    ASSERT_TRUE(ready && release);

    TSQLiteDatabase db(path);
    if (Variable(test::kLockReadVariable).empty()) {
        db.ExecuteStatement(L"begin exclusive");
    } else {
        db.ExecuteStatement(L"begin");
        db.QueryTable(L"select count(*) from sqlite_master");
    }
    SetEvent(ready.Get());
    WaitForSingleObject(release.Get(), 60000);
    db.ExecuteStatement(L"rollback");
}

// Well below any busy timeout a program would set, well above the time a
// refused lock takes.
constexpr auto kAtOnce = std::chrono::seconds(3);

TEST(SQLiteLockedDatabase, FailsAtOnceWithCode5) {
    testing::ScratchFolder folder;
    const std::wstring path = folder / L"locked.sqlite";
    {
        TSQLiteDatabase setup(path);
        setup.ExecuteStatement(L"create table moz_places (id integer)");
        setup.ExecuteStatement(L"insert into moz_places values (1)");
    }

    // This connection has read the schema before the lock was taken, so its
    // statements prepare and fail when they run.
    TSQLiteDatabase early(path);
    ASSERT_TRUE(early.HasTable(L"moz_places"));

    LockHolder holder(path);
    ASSERT_TRUE(holder.Holding());

    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(MessageOf([&] { early.ExecuteStatement(L"delete from moz_places"); }),
              L"Error executing SQL statement.\rError [5]: The database file is locked.\r"
              L"\"delete from moz_places\": database is locked");
    EXPECT_EQ(MessageOf([&] { early.QueryTable(L"select * from moz_places"); }),
              L"Could not prepare SQL statement");

    // A new connection cannot even read the schema: the prepare step fails.
    TSQLiteDatabase late(path);
    EXPECT_EQ(MessageOf([&] { late.HasTable(L"moz_places"); }),
              L"Error executing SQL.\rError [5]: The database file is locked.\r"
              L"\"select [sql] from sqlite_master where [type] = 'table' and lower(name) = "
              L"'moz_places' \": database is locked");
    EXPECT_LT(std::chrono::steady_clock::now() - start, kAtOnce);
}

}  // namespace
}  // namespace klarvex
