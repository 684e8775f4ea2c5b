#pragma once

// Shared by the SQLite layer's tests: a private scratch folder per test and
// copies of the real browser databases to work on.

#include "browsers/SQLiteTable3.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace klarvex::test {

// A new empty folder under the temporary folder, removed with everything in
// it when the object goes.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    // The full path of `name` inside the folder.
    std::wstring operator/(const std::wstring& name) const { return path_ + L"\\" + name; }
    const std::wstring& Path() const { return path_; }

private:
    std::wstring path_;
};

// Copies a file of the real-data collection (C:\realdata in the sandbox)
// into `folder` and returns the copy's path. The originals are never opened
// by SQLite: even a read can leave -wal or -shm files beside a database.
std::wstring CopyRealData(const ScratchFolder& folder, const std::wstring& name);

bool FileExists(const std::wstring& path);

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
