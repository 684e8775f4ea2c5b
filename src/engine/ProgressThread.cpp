#include "engine/ProgressThread.h"

#include <windows.h>

#include <cwchar>
#include <exception>
#include <utility>

#include "base/Exception.h"
#include "base/Format.h"
#include "base/Strings.h"
#include "base/Texts.h"
#include "engine/Catalogue.h"

namespace klarvex {

namespace {

const std::wstring kSeparator(107, L'-');

DWORD WINAPI ThreadProc(void* parameter) {
    auto* runner = static_cast<TClearTaskThread*>(parameter);
    runner->Execute();
    delete runner;
    return 0;
}

}  // namespace

TClearTaskThread::TClearTaskThread(RunKind kind, IRunHost& host, std::vector<std::wstring> itemNames,
                                   CleanerTable table)
    : CleanerRun(kind, host), ItemNames(std::move(itemNames)), table_(table) {
    RemovedWord = LoadText(IsTestRun() ? IDS_WILL_BE_REMOVED : IDS_TO_BE_REMOVED);
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
            else if (target.cleaner) target.cleaner(*this);
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
            Host().RunOnUiThread([this] { BeginItem(); });
            // The name as the window shows it; the cleaner gets the English one.
            const std::wstring shown = DisplayItemName(name);
            Host().SetCurrentItem(shown);
            if (i > 0) AddLog(kSeparator);
            AddLog(LogPrefix + LoadText(IDS_CLEARING) + L" " + shown + L" ...");
            CleanItem(name);
            Host().RunOnUiThread([this] { EndItem(); });
            Host().ItemEnded(ItemCount, ItemBytes);
        }
        WriteRunSummary();
        Host().PostDone(TotalCount);
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
        Host().ScrollLogToEnd();
        Host().ShowError(message);
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
    Host().ScrollLogToEnd();
}

void TClearTaskThread::BeginItem() {
    ItemCount = 0;
    ItemSizeText = L"0";
    ItemBytes = 0;
    LastProgressTime = Now();
    ClockLookTick = GetTickCount64() + kProgressIntervalMs;
    ScrollCounter = 0;
}

void TClearTaskThread::EndItem() {
    AddLog(L"");
    AddLog(IntToStr(ItemCount) + L" " + LoadText(IDS_ITEMS) + L" " + RemovedWord + L"; " + ItemSizeText + L" KB " +
           RemovedWord + L".");
    AddLog(L"");
    Host().ScrollLogToEnd();
    TotalCount += ItemCount;
    TotalBytes += ItemBytes;
    Host().PostProgress(TotalCount);
}

}  // namespace klarvex
