#include "engine/CleanerRun.h"

#include <windows.h>

#include "base/Texts.h"
#include "platform/SystemLookups.h"

namespace klarvex {

double Now() {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    const ULONGLONG ticks = (ULONGLONG{now.dwHighDateTime} << 32) | now.dwLowDateTime;
    return static_cast<double>(ticks) / (24.0 * 3600.0 * 1e7);
}

CleanerRun::CleanerRun(RunKind kind, IRunHost& host) : kind_(kind), host_(host) {
    LogPrefix = LoadText(IsTestRun() ? IDS_TEST : IDS_CLEAN) + L": ";
    deletingLinePrefix_ = LogPrefix + LoadText(IDS_DELETING) + L" ";
}

bool CleanerRun::UserIsAdmin() const { return IsAdminUser(); }

int32_t CleanerRun::WindowsVersionCode() const { return GetWindowsVersion(); }

void CleanerRun::AddLog(const std::wstring& line) { host_.AddLog(line); }

void CleanerRun::LogEntry(const std::wstring& linePrefix, const std::wstring& entry) {
    const std::wstring line = linePrefix + entry;
    if (listedEntries_ < entryLimit_) {
        ++listedEntries_;
        host_.AddEntryLine(line, linePrefix.size());
        return;
    }
    if (listedEntries_ == entryLimit_) {
        ++listedEntries_;  // told once
        host_.EntriesCut();
    }
    host_.AddLog(line);
}

bool CleanerRun::ConfirmDespiteWarning(const std::wstring& what, const std::wstring& warning) {
    if (IsTestRun()) return true;
    if (!IsAutomaticRun() &&
        host_.AskYesNo(what + L": " + warning + L"\r\n\r\n" + LoadText(IDS_ASK_DESPITE_WARNING)))
        return true;
    AddLog(LogPrefix + LoadText(IDS_SKIPPING_AFTER_WARNING) + L" " + what);
    return false;
}

void CleanerRun::AddPleaseWaitLine() { AddLog(LoadText(IDS_CLEARING) + L", " + LoadText(IDS_PLEASE_WAIT)); }

void CleanerRun::ScrollLog(int32_t step) {
    if (step <= 0) {
        host_.ScrollLogToEnd();
        return;
    }
    if (!IsTestRun()) step = step / 2 > 0 ? step / 2 : 1;
    if (++ScrollCounter % step == 0) {
        host_.ScrollLogToEnd();
        ScrollCounter = 0;
    }
}

void CleanerRun::PostThrottledProgress(int32_t count) {
    const uint64_t tick = GetTickCount64();
    if (tick < ClockLookTick) return;
    const double now = Now();
    if ((now - LastProgressTime) * 24 * 3600 * 1000 > kProgressIntervalMs) {
        host_.PostProgress(count);
        host_.ItemProgress(ItemCount);
        LastProgressTime = now;
        ClockLookTick = tick + kProgressIntervalMs;
    }
}

}  // namespace klarvex
