#pragma once

// A runner that tests drive by hand: primitives are called on the test's
// own thread, the counters can be read, and the system facts the rule-file
// interpreter asks for can be replaced.

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "engine/ProgressThread.h"
#include "engine/RuleText.h"
#include "support/Fixtures.h"

namespace klarvex::testing {

class TestRunner : public TClearTaskThread {
public:
    TestRunner(RunKind kind, IRunHost& host) : TClearTaskThread(kind, host, {}) { LastProgressTime = Now(); }

    int32_t Count() const { return ItemCount; }
    int64_t Bytes() const { return ItemBytes; }
    const std::wstring& SizeText() const { return ItemSizeText; }
    int32_t& Counter() { return ItemCount; }
    void RunItem(const std::wstring& name) { CleanItem(name); }
    // As if the last progress message were long ago.
    void AgeProgressClock() { LastProgressTime = 0; }
    void SetTotalCount(int32_t total) { TotalCount = total; }

    std::optional<bool> admin;
    std::optional<int32_t> version;
    std::wstring ruleFolder;
    std::optional<RulePlaceholders> placeholders;

protected:
    bool UserIsAdmin() const override { return admin ? *admin : TClearTaskThread::UserIsAdmin(); }
    int32_t WindowsVersionCode() const override {
        return version ? *version : TClearTaskThread::WindowsVersionCode();
    }
    std::wstring RuleFileFolder() const override {
        return ruleFolder.empty() ? TClearTaskThread::RuleFileFolder() : ruleFolder;
    }
    RulePlaceholders RulePlaceholderValues() const override {
        return placeholders ? *placeholders : TClearTaskThread::RulePlaceholderValues();
    }
};

// Files of a test: written with a size, read back, looked for.
void MakeFile(const std::wstring& path, size_t size, char fill = 'x');
bool Exists(const std::wstring& path);
std::string ReadBytes(const std::wstring& path);
void MakeFolder(const std::wstring& path);

// A fresh folder at a real location of the sandbox (AppData, Documents...),
// removed with its contents afterwards.
class FolderAt {
public:
    explicit FolderAt(std::wstring path);
    ~FolderAt();
    FolderAt(const FolderAt&) = delete;
    FolderAt& operator=(const FolderAt&) = delete;
    const std::wstring& Path() const { return path_; }  // with trailing backslash
    std::wstring operator/(const std::wstring& name) const { return path_ + name; }

private:
    std::wstring path_;
};

// Lines of the log that start with text.
std::vector<std::wstring> LinesStartingWith(const RecordingHost& host, const std::wstring& text);

std::wstring UniqueName(const std::wstring& stem);

}  // namespace klarvex::testing
