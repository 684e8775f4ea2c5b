#pragma once

// Fixtures shared by the test programs: a scratch folder and a scratch
// registry key that remove themselves, and a run host that records.

#include <windows.h>

#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "engine/RunHost.h"

namespace klarvex::testing {

// Removes a folder and everything in it; links inside are left alone.
void RemoveTree(const std::wstring& path);

// A new, empty folder under the temporary folder, removed with everything
// in it when the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // The folder's path with a trailing backslash.
    const std::wstring& Path() const { return path_; }
    std::wstring operator/(const std::wstring& name) const { return path_ + name; }

private:
    std::wstring path_;
};

// settings.ini beside the programs (the one ./run.sh and klarvex-cli use):
// moved away while the object lives and put back when it goes, so a test
// starts without one, may write its own, and never loses the user's.
class SettingsFileGuard {
public:
    SettingsFileGuard();
    ~SettingsFileGuard();
    SettingsFileGuard(const SettingsFileGuard&) = delete;
    SettingsFileGuard& operator=(const SettingsFileGuard&) = delete;

    static std::wstring Path();
    void Write(const std::string& content) const;
    std::wstring Read(const std::wstring& section, const std::wstring& key) const;

private:
    bool hadFile_ = false;
};

// Removes a registry key and its subtree on creation and when it goes.
class ScratchRegKey {
public:
    ScratchRegKey(HKEY root, std::wstring path);
    ~ScratchRegKey();
    ScratchRegKey(const ScratchRegKey&) = delete;
    ScratchRegKey& operator=(const ScratchRegKey&) = delete;

    void SetString(const std::wstring& subkey, const std::wstring& name, const std::wstring& value) const;

private:
    HKEY root_;
    std::wstring path_;
};

std::wstring ReadTextFile(const std::wstring& path);
void WriteTextFile(const std::wstring& path, const std::string& content);

// Records what a run tells its front end.
class RecordingHost : public IRunHost {
public:
    std::vector<std::wstring> Lines() const;
    std::vector<int32_t> Progress() const;
    bool done = false;
    int32_t doneTotal = -1;
    std::vector<std::wstring> errors;
    std::vector<std::wstring> currentItems;
    bool answer = false;
    std::vector<std::wstring> questions;
    std::vector<std::wstring> notices;
    std::vector<std::wstring> noticeCaptions;

    void AddLog(const std::wstring& line) override;
    void ScrollLogToEnd() override {}
    void SetCurrentItem(const std::wstring& name) override;
    void RunOnUiThread(const std::function<void()>& work) override;
    void PostProgress(int32_t count) override;
    void PostDone(int32_t total) override;
    bool AskYesNo(const std::wstring& question) override;
    void ShowNotice(const std::wstring& text, const std::wstring& caption) override;
    void ShowError(const std::wstring& message) override;

private:
    mutable std::mutex mutex_;
    std::vector<std::wstring> lines_;
    std::vector<int32_t> progress_;
};

}  // namespace klarvex::testing
