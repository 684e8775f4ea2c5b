#include "engine/ProgressThread.h"

#include <windows.h>

#include <cwchar>
#include <exception>
#include <utility>

#include "base/Exception.h"
#include "base/Strings.h"
#include "base/Texts.h"
#include "browsers/BrowserFolders.h"
#include "engine/Format.h"

namespace klarvex {

namespace {

const std::wstring kSeparator(107, L'-');

struct DispatchEntry {
    const wchar_t* name;
    TClearTaskThread::Cleaner cleaner;
};

using T = TClearTaskThread;
// Items not listed here take their rules from Klarvex.dat: every
// application, "Windows Log Files", ICQ, AOL Instant Messenger and the
// toolbar histories.
const DispatchEntry kDispatchTable[] = {
    {L"Windows - Recent Documents", &T::CleanRecentDocuments},
    {L"Windows - Start Run", &T::CleanStartRun},
    {L"Windows - Search Assistant", &T::CleanSearchAssistant},
    {L"Windows - Empty Recycle Bin", &T::CleanRecycleBin},
    {L"Windows - Temporary Files", &T::CleanTempFiles},
    {L"Windows - Clipboard", &T::CleanClipboard},
    {L"Windows - Memory Dumps", &T::CleanMemoryDumps},
    {L"Windows - Chkdsk File Fragments", &T::CleanChkdskFragments},
    {L"Advanced - Open File History", &T::CleanOpenFileHistory},
    {L"Advanced - Menu Order Cache", &T::CleanMenuOrderCache},
    {L"Advanced - Tray Notifications Cache", &T::CleanTrayNotifications},
    {L"Advanced - User Assist History", &T::CleanUserAssist},
    {L"Advanced - Paint", &T::CleanPaintRecent},
    {L"Instant Messengers - MSN Messenger", &T::CleanMsnMessenger},
    {L"Instant Messengers - Yahoo! Messenger", &T::CleanYahooMessenger},
    {L"Instant Messengers - Skype", &T::CleanSkype},
    {L"Internet Explorer - Temporary Internet Files", &T::CleanIETempFiles},
    {L"Internet Explorer - Cookies", &T::CleanIECookies},
    {L"Internet Explorer - Visited URL History", &T::CleanIEHistory},
    {L"Internet Explorer - Recently Typed URLs", &T::CleanIETypedURLs},
    {L"Internet Explorer - Index.dat Files", &T::CleanIEIndexDat},
    {L"Internet Explorer - Last Download Location", &T::CleanIEDownloadDir},
    {L"Internet Explorer - Autocomplete History", &T::CleanIEAutocomplete},
    {L"Mozilla Firefox - Cookies", &T::CleanFirefoxCookies},
    {L"Mozilla Firefox - Visited URL History", &T::CleanFirefoxHistory},
    {L"Mozilla Firefox - Temporary Internet Files", &T::CleanFirefoxCache},
    {L"Mozilla Firefox - Download Manager", &T::CleanFirefoxDownloads},
    {L"Mozilla Firefox - Autocomplete History", &T::CleanFirefoxAutocomplete},
    {L"Mozilla Firefox - Preferences", &T::CleanFirefoxPreferences},
    {L"Mozilla Firefox - Saved Form Information", &T::CleanFirefoxFormHistory},
    {L"Mozilla Firefox - Session", &T::CleanFirefoxSession},
    {L"Netscape - Cookies", &T::CleanNetscapeCookies},
    {L"Netscape - Temporary Internet Files", &T::CleanNetscapeCache},
    {L"Netscape - Visited URL History", &T::CleanNetscapeHistory},
    {L"Netscape - Preferences", &T::CleanNetscapePreferences},
    {L"Netscape - Saved Form Information", &T::CleanNetscapeFormHistory},
    {L"Opera - Temporary Internet Files", &T::CleanOperaCache},
    {L"Opera - Cookies", &T::CleanOperaCookies},
    {L"Opera - Visited URL History", &T::CleanOperaHistory},
    {L"Opera - Recently Typed URLs", &T::CleanOperaTypedUrls},
    {L"Opera - Autocomplete History", &T::CleanOperaWand},
    {L"Opera - Transfers", &T::CleanOperaTransfers},
    {L"Microsoft Office - Access", &T::CleanOfficeAccess},
    {L"Microsoft Office - Excel", &T::CleanOfficeExcel},
    {L"Microsoft Office - FrontPage", &T::CleanOfficeFrontPage},
    {L"Microsoft Office - Powerpoint", &T::CleanOfficePowerpoint},
    {L"Microsoft Office - Word", &T::CleanOfficeWord},
    {L"Microsoft Office - Recent Files", &T::CleanOfficeRecentFiles},
    {L"Google Chrome - Temporary Internet Files", &T::CleanChromeCache},
    {L"Google Chrome - Cookies", &T::CleanChromeCookies},
    {L"Google Chrome - Visited URL History", &T::CleanChromeHistory},
    {L"Google Chrome - Stored passwords in Forms", &T::CleanChromePasswords},
    {L"Google Chrome - Download History", &T::CleanChromeDownloads},
    {L"Google Chrome - Saved Form Information", &T::CleanChromeFormData},
    {L"Google Chrome - Session", &T::CleanChromeSession},
};

// The browsers built on Chrome have Chrome's items, under their own
// category.
struct ChromiumEntry {
    const wchar_t* item;
    TClearTaskThread::ChromiumCleaner cleaner;
};
const ChromiumEntry kChromiumItems[] = {
    {L"Temporary Internet Files", &T::CleanChromiumCache},
    {L"Cookies", &T::CleanChromiumCookies},
    {L"Visited URL History", &T::CleanChromiumHistory},
    {L"Stored passwords in Forms", &T::CleanChromiumPasswords},
    {L"Download History", &T::CleanChromiumDownloads},
    {L"Saved Form Information", &T::CleanChromiumFormData},
    {L"Session", &T::CleanChromiumSession},
};
const std::pair<const wchar_t*, Chromium> kChromiumCategories[] = {
    {L"Microsoft Edge - ", Chromium::Edge},
    {L"Brave - ", Chromium::Brave},
};

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

TClearTaskThread::TClearTaskThread(RunKind kind, IRunHost& host, std::vector<std::wstring> itemNames)
    : ItemNames(std::move(itemNames)), kind_(kind), host_(host) {
    RemovedWord = LoadText(IsTestRun() ? IDS_WILL_BE_REMOVED : IDS_TO_BE_REMOVED);
    LogPrefix = LoadText(IsTestRun() ? IDS_TEST : IDS_CLEAN) + L": ";
}

UniqueHandle TClearTaskThread::Start(TClearTaskThread* runner) {
    UniqueHandle thread(CreateThread(nullptr, 0, ThreadProc, runner, 0, nullptr));
    if (!thread) delete runner;
    return thread;
}

TClearTaskThread::DispatchTarget TClearTaskThread::Dispatch(const std::wstring& itemName) {
    if (itemName.find(L"Custom Lists -") != std::wstring::npos) return {nullptr, RuleFile::CustomLists};
    for (const auto& entry : kDispatchTable)
        if (itemName == entry.name) return {entry.cleaner, RuleFile::None};
    for (const auto& [category, browser] : kChromiumCategories) {
        if (!itemName.starts_with(category)) continue;
        for (const auto& entry : kChromiumItems)
            if (itemName.substr(wcslen(category)) == entry.item) return {nullptr, RuleFile::None, entry.cleaner, browser};
    }
    return {nullptr, RuleFile::Klarvex};
}

void TClearTaskThread::CleanItem(const std::wstring& itemName) {
    const DispatchTarget target = Dispatch(itemName);
    switch (target.ruleFile) {
        case RuleFile::None:
            if (target.chromium) (this->*target.chromium)(target.browser);
            else (this->*target.cleaner)();
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
    const double now = Now();
    if ((now - LastProgressTime) * 24 * 3600 > 2) {
        host_.PostProgress(count);
        LastProgressTime = now;
    }
}

}  // namespace klarvex
