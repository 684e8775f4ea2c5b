#include "engine/ProgressThread.h"

#include <windows.h>

#include <cwchar>
#include <exception>
#include <utility>

#include "base/Exception.h"
#include "base/Format.h"
#include "base/Strings.h"
#include "base/Texts.h"

namespace klarvex {

namespace {

const std::wstring kSeparator(107, L'-');

// The least time between two throttled progress messages of an item.
constexpr uint64_t kProgressIntervalMs = 2000;

DWORD WINAPI ThreadProc(void* parameter) {
    auto* runner = static_cast<TClearTaskThread*>(parameter);
    runner->Execute();
    delete runner;
    return 0;
}

}  // namespace

double Now() {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    const ULONGLONG ticks = (ULONGLONG{now.dwHighDateTime} << 32) | now.dwLowDateTime;
    return static_cast<double>(ticks) / (24.0 * 3600.0 * 1e7);
}

TClearTaskThread::TClearTaskThread(RunKind kind, IRunHost& host, std::vector<std::wstring> itemNames,
                                   CleanerTable table)
    : ItemNames(std::move(itemNames)), kind_(kind), host_(host), table_(table) {
    RemovedWord = LoadText(IsTestRun() ? IDS_WILL_BE_REMOVED : IDS_TO_BE_REMOVED);
    LogPrefix = LoadText(IsTestRun() ? IDS_TEST : IDS_CLEAN) + L": ";
    deletingLinePrefix_ = LogPrefix + LoadText(IDS_DELETING) + L" ";
}

UniqueHandle TClearTaskThread::Start(TClearTaskThread* runner) {
    UniqueHandle thread(CreateThread(nullptr, 0, ThreadProc, runner, 0, nullptr));
    if (!thread) delete runner;
    return thread;
}

void TClearTaskThread::CleanItem(const std::wstring& itemName) {
    const DispatchTarget target = table_(itemName);
    switch (target.ruleFile) {
        case RuleFile::None:
            if (target.call) target.call(*this);
            else if (target.cleaner) (this->*target.cleaner)();
            break;
        case RuleFile::Klarvex: RunApplicationItem(itemName); break;
        case RuleFile::CustomLists: RunRuleSection(kCustomListsRuleFile, itemName); break;
    }
}

void TClearTaskThread::Execute() {
    try {
        for (size_t i = 0; i < ItemNames.size(); ++i) {
            if (Terminated()) return;
            const std::wstring& name = ItemNames[i];
            host_.RunOnUiThread([this] { BeginItem(); });
            host_.SetCurrentItem(name);
            if (i > 0) AddLog(kSeparator);
            AddLog(LogPrefix + LoadText(IDS_CLEARING) + L" " + name + L" ...");
            CleanItem(name);
            host_.RunOnUiThread([this] { EndItem(); });
            host_.ItemEnded(ItemCount, ItemBytes);
        }
        WriteRunSummary();
        host_.PostDone(TotalCount);
    } catch (const Exception& e) {
        ReportBrokenOff(e.Message());
    } catch (const std::exception& e) {
        ReportBrokenOff(Utf8ToWide(e.what()));
    } catch (...) {
        ReportBrokenOff(LoadText(IDS_UNKNOWN_ERROR));
    }
}

void TClearTaskThread::ReportBrokenOff(const std::wstring& message) {
    // The run ends here: no further items, no summary, no WM_CLEAN_DONE.
    try {
        AddLog(LoadText(IDS_ERROR_PREFIX) + message);
        host_.ScrollLogToEnd();
        host_.ShowError(message);
    } catch (...) {
        // Nothing more can be reported; the thread must still end cleanly.
    }
}

void TClearTaskThread::WriteRunSummary() {
    const bool test = IsTestRun();
    AddLog(kSeparator);
    AddLog(LoadText(test ? IDS_TOTAL_ITEMS_TEST : IDS_TOTAL_ITEMS_CLEAN) + IntToStr(TotalCount) + L" ; " +
           LoadText(test ? IDS_TOTAL_FILES_TEST : IDS_TOTAL_FILES_CLEAN) + FormatKB(TotalBytes) + L" KB");
    AddLog(kSeparator);
    host_.ScrollLogToEnd();
}

void TClearTaskThread::BeginItem() {
    ItemCount = 0;
    ItemSizeText = L"0";
    ItemBytes = 0;
    ScratchPath.clear();
    LastProgressTime = Now();
    ClockLookTick = GetTickCount64() + kProgressIntervalMs;
    ScrollCounter = 0;
}

void TClearTaskThread::EndItem() {
    AddLog(L"");
    AddLog(IntToStr(ItemCount) + L" " + LoadText(IDS_ITEMS) + L" " + RemovedWord + L"; " + ItemSizeText + L" KB " +
           RemovedWord + L".");
    AddLog(L"");
    host_.ScrollLogToEnd();
    TotalCount += ItemCount;
    TotalBytes += ItemBytes;
    host_.PostProgress(TotalCount);
}

void TClearTaskThread::AddLog(const std::wstring& line) { host_.AddLog(line); }

bool TClearTaskThread::ConfirmDespiteWarning(const std::wstring& what, const std::wstring& warning) {
    if (IsTestRun()) return true;
    if (!IsAutomaticRun() &&
        host_.AskYesNo(what + L": " + warning + L"\r\n\r\n" + LoadText(IDS_ASK_DESPITE_WARNING)))
        return true;
    AddLog(LogPrefix + LoadText(IDS_SKIPPING_AFTER_WARNING) + L" " + what);
    return false;
}

void TClearTaskThread::AddPleaseWaitLine() { AddLog(LoadText(IDS_CLEARING) + L", " + LoadText(IDS_PLEASE_WAIT)); }

void TClearTaskThread::ScrollLog(int32_t step) {
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

void TClearTaskThread::PostThrottledProgress(int32_t count) {
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
