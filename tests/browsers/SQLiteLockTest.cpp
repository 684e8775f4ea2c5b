// A database that another process holds locked, as a running browser does:
// the layer sets no busy timeout, so every call fails at once with code 5.
//
// The other process is this same test program, started again to run only
// the lock holder below (a disabled test, so a normal run skips it). It is
// told the database and two event names through its environment.

#include "browsers/SQLiteTable3.h"

#include "SQLiteFixture.h"
#include "base/Handles.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>

namespace klarvex {
namespace {

using test::MessageOf;

const wchar_t kDatabaseVariable[] = L"KLARVEX_LOCK_DATABASE";
const wchar_t kReadyVariable[] = L"KLARVEX_LOCK_READY";
const wchar_t kReleaseVariable[] = L"KLARVEX_LOCK_RELEASE";

std::wstring Variable(const wchar_t* name) {
    wchar_t buffer[1024];
    const DWORD length = GetEnvironmentVariableW(name, buffer, static_cast<DWORD>(std::size(buffer)));
    return length > 0 && length < std::size(buffer) ? std::wstring(buffer, length) : std::wstring();
}

// Runs in the second process: takes the exclusive lock, says so, and keeps
// it until told to let go.
TEST(SQLiteLockHolder, DISABLED_HoldExclusiveLock) {
    const std::wstring path = Variable(kDatabaseVariable);
    if (path.empty()) GTEST_SKIP() << "only run by the locked-database tests";
    UniqueHandle ready(OpenEventW(EVENT_MODIFY_STATE, FALSE, Variable(kReadyVariable).c_str()));
    UniqueHandle release(OpenEventW(SYNCHRONIZE, FALSE, Variable(kReleaseVariable).c_str()));
    ASSERT_TRUE(ready && release);

    TSQLiteDatabase db(path);
    db.ExecuteStatement(L"begin exclusive");
    SetEvent(ready.Get());
    WaitForSingleObject(release.Get(), 60000);
    db.ExecuteStatement(L"rollback");
}

// The second process holding the lock for the life of the object.
class LockHolder {
public:
    explicit LockHolder(const std::wstring& database) {
        const std::wstring tag = std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++count_);
        const std::wstring readyName = L"KlarvexLockReady-" + tag;
        const std::wstring releaseName = L"KlarvexLockRelease-" + tag;
        ready_ = UniqueHandle(CreateEventW(nullptr, TRUE, FALSE, readyName.c_str()));
        release_ = UniqueHandle(CreateEventW(nullptr, TRUE, FALSE, releaseName.c_str()));
        if (!ready_ || !release_) {
            ADD_FAILURE() << "cannot create the events, error " << GetLastError();
            return;
        }

        SetEnvironmentVariableW(kDatabaseVariable, database.c_str());
        SetEnvironmentVariableW(kReadyVariable, readyName.c_str());
        SetEnvironmentVariableW(kReleaseVariable, releaseName.c_str());
        wchar_t self[MAX_PATH];
        GetModuleFileNameW(nullptr, self, MAX_PATH);
        std::wstring commandLine = L"\"" + std::wstring(self) +
                                   L"\" --gtest_also_run_disabled_tests"
                                   L" --gtest_filter=SQLiteLockHolder.DISABLED_HoldExclusiveLock";
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION info{};
        const BOOL started = CreateProcessW(self, commandLine.data(), nullptr, nullptr, FALSE, 0,
                                            nullptr, nullptr, &startup, &info);
        SetEnvironmentVariableW(kDatabaseVariable, nullptr);
        SetEnvironmentVariableW(kReadyVariable, nullptr);
        SetEnvironmentVariableW(kReleaseVariable, nullptr);
        if (!started) {
            ADD_FAILURE() << "cannot start the lock holder, error " << GetLastError();
            return;
        }
        CloseHandle(info.hThread);
        process_ = UniqueHandle(info.hProcess);

        // Ready, or the holder ended without taking the lock.
        const HANDLE waits[] = {ready_.Get(), process_.Get()};
        holding_ = WaitForMultipleObjects(2, waits, FALSE, 60000) == WAIT_OBJECT_0;
        if (!holding_) ADD_FAILURE() << "the lock holder did not take the lock";
    }

    ~LockHolder() {
        if (release_) SetEvent(release_.Get());
        if (process_) WaitForSingleObject(process_.Get(), 60000);
    }

    LockHolder(const LockHolder&) = delete;
    LockHolder& operator=(const LockHolder&) = delete;

    bool Holding() const { return holding_; }

private:
    static inline int count_ = 0;
    UniqueHandle ready_;
    UniqueHandle release_;
    UniqueHandle process_;
    bool holding_ = false;
};

// Well below any busy timeout a program would set, well above the time a
// refused lock takes.
constexpr auto kAtOnce = std::chrono::seconds(3);

TEST(SQLiteLockedDatabase, FailsAtOnceWithCode5) {
    testing::TempDir folder;
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
