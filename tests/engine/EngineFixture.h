#pragma once

// A runner that tests drive by hand: primitives are called on the test's
// own thread, the counters can be read, and the system facts the rule-file
// interpreter asks for can be replaced.

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "cleaners/CleanerTable.h"
#include "engine/ProgressThread.h"
#include "formats/RuleText.h"
#include "support/Fixtures.h"

namespace klarvex::testing {

class TestRunner : public TClearTaskThread {
public:
    TestRunner(RunKind kind, IRunHost& host) : TClearTaskThread(kind, host, {}, CleanerFor) { LastProgressTime = Now(); }

    int32_t Count() const { return ItemCount; }
    int64_t Bytes() const { return ItemBytes; }
    const std::wstring& SizeText() const { return ItemSizeText; }
    int32_t& Counter() { return ItemCount; }
    void RunItem(const std::wstring& name) { CleanItem(name); }
    // As if the last progress message were long ago.
    void AgeProgressClock() {
        LastProgressTime = 0;
        ClockLookTick = 0;
    }
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
    std::wstring RuleFilePath(const std::wstring& ruleFileName) const override {
        return ruleFolder.empty() ? TClearTaskThread::RuleFilePath(ruleFileName) : ruleFolder + ruleFileName;
    }
    RulePlaceholders RulePlaceholderValues() const override {
        return placeholders ? *placeholders : TClearTaskThread::RulePlaceholderValues();
    }
};

}  // namespace klarvex::testing
