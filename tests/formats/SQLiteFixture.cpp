#include "SQLiteFixture.h"

#include <windows.h>

namespace klarvex::test {

std::wstring CopyRealData(const testing::ScratchFolder& folder, const std::wstring& name) {
    const std::wstring source = L"C:\\realdata\\" + name;
    const std::wstring copy = folder / name;
    if (!CopyFileW(source.c_str(), copy.c_str(), TRUE))
        ADD_FAILURE() << "cannot copy the real database, error " << GetLastError();
    SetFileAttributesW(copy.c_str(), FILE_ATTRIBUTE_NORMAL);
    return copy;
}

bool FileExists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

namespace {

std::wstring LockHolderCommandLine(const std::wstring& database, Hold hold) {
    SetEnvironmentVariableW(kLockDatabaseVariable, database.c_str());
    SetEnvironmentVariableW(kLockReadVariable, hold == Hold::Read ? L"1" : nullptr);
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    return L"\"" + std::wstring(self) +
           L"\" --gtest_also_run_disabled_tests --gtest_filter=SQLiteLockHolder.DISABLED_HoldExclusiveLock";
}

}  // namespace

LockHolder::LockHolder(const std::wstring& database, Hold hold)
    : HolderProcess(LockHolderCommandLine(database, hold)) {
    SetEnvironmentVariableW(kLockDatabaseVariable, nullptr);
    SetEnvironmentVariableW(kLockReadVariable, nullptr);
    if (!Holding()) ADD_FAILURE() << "the lock holder did not take the lock";
}

}  // namespace klarvex::test
