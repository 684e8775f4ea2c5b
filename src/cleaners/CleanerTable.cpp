#include "cleaners/CleanerTable.h"

#include <cwchar>
#include <utility>

#include "cleaners/BrowserFolders.h"
#include "cleaners/ChromiumCleaners.h"
#include "cleaners/chrome/ChromeCleaners.h"
#include "cleaners/explorer/ExplorerCleaners.h"
#include "cleaners/firefox/FirefoxCleaners.h"
#include "cleaners/ie/IECleaners.h"
#include "cleaners/messengers/MessengerCleaners.h"
#include "cleaners/office/OfficeCleaners.h"
#include "cleaners/opera/OperaCleaners.h"
#include "cleaners/windows/WindowsCleaners.h"

namespace klarvex {

namespace {

struct DispatchEntry {
    const wchar_t* name;
    TClearTaskThread::Cleaner cleaner;
};

const DispatchEntry kDispatchTable[] = {
    {L"Windows - Recent Documents", &CleanRecentDocuments},
    {L"Windows - Start Run", &CleanStartRun},
    {L"Windows - Search Assistant", &CleanSearchAssistant},
    {L"Windows - Empty Recycle Bin", &CleanRecycleBin},
    {L"Windows - Temporary Files", &CleanTempFiles},
    {L"Windows - Clipboard", &CleanClipboard},
    {L"Windows - Memory Dumps", &CleanMemoryDumps},
    {L"Windows - Chkdsk File Fragments", &CleanChkdskFragments},
    {L"Advanced - Open File History", &CleanOpenFileHistory},
    {L"Advanced - Menu Order Cache", &CleanMenuOrderCache},
    {L"Advanced - Tray Notifications Cache", &CleanTrayNotifications},
    {L"Advanced - User Assist History", &CleanUserAssist},
    {L"Advanced - Paint", &CleanPaintRecent},
    {L"Advanced - Wipe Free Space", &CleanWipeFreeSpace},
    {L"Windows Explorer - Jump Lists", &CleanJumpLists},
    {L"Windows Explorer - Thumbnail Cache", &CleanThumbnailCache},
    {L"Windows Explorer - Search History", &CleanSearchHistory},
    {L"Windows Explorer - Typed Paths", &CleanTypedPaths},
    {L"Windows Explorer - Open/Save Dialog History", &CleanOpenSaveDialogHistory},
    {L"Windows Explorer - Programs Run", &CleanProgramsRun},
    {L"Windows Explorer - Folder Views", &CleanFolderViews},
    {L"Windows Explorer - Error Reports", &CleanErrorReports},
    {L"Windows Explorer - Activity History", &CleanActivityHistory},
    {L"Instant Messengers - MSN Messenger", &CleanMsnMessenger},
    {L"Instant Messengers - Yahoo! Messenger", &CleanYahooMessenger},
    {L"Instant Messengers - Skype", &CleanSkype},
    {L"Internet Explorer - Temporary Internet Files", &CleanIETempFiles},
    {L"Internet Explorer - Cookies", &CleanIECookies},
    {L"Internet Explorer - Visited URL History", &CleanIEHistory},
    {L"Internet Explorer - Recently Typed URLs", &CleanIETypedURLs},
    {L"Internet Explorer - Index.dat Files", &CleanIEIndexDat},
    {L"Internet Explorer - Last Download Location", &CleanIEDownloadDir},
    {L"Internet Explorer - Autocomplete History", &CleanIEAutocomplete},
    {L"Mozilla Firefox - Cookies", &CleanFirefoxCookies},
    {L"Mozilla Firefox - Visited URL History", &CleanFirefoxHistory},
    {L"Mozilla Firefox - Temporary Internet Files", &CleanFirefoxCache},
    {L"Mozilla Firefox - Download Manager", &CleanFirefoxDownloads},
    {L"Mozilla Firefox - Autocomplete History", &CleanFirefoxAutocomplete},
    {L"Mozilla Firefox - Preferences", &CleanFirefoxPreferences},
    {L"Mozilla Firefox - Saved Form Information", &CleanFirefoxFormHistory},
    {L"Mozilla Firefox - Session", &CleanFirefoxSession},
    {L"Netscape - Cookies", &CleanNetscapeCookies},
    {L"Netscape - Temporary Internet Files", &CleanNetscapeCache},
    {L"Netscape - Visited URL History", &CleanNetscapeHistory},
    {L"Netscape - Preferences", &CleanNetscapePreferences},
    {L"Netscape - Saved Form Information", &CleanNetscapeFormHistory},
    {L"Opera - Temporary Internet Files", &CleanOperaCache},
    {L"Opera - Cookies", &CleanOperaCookies},
    {L"Opera - Visited URL History", &CleanOperaHistory},
    {L"Opera - Recently Typed URLs", &CleanOperaTypedUrls},
    {L"Opera - Autocomplete History", &CleanOperaWand},
    {L"Opera - Transfers", &CleanOperaTransfers},
    {L"Microsoft Office - Access", &CleanOfficeAccess},
    {L"Microsoft Office - Excel", &CleanOfficeExcel},
    {L"Microsoft Office - FrontPage", &CleanOfficeFrontPage},
    {L"Microsoft Office - Powerpoint", &CleanOfficePowerpoint},
    {L"Microsoft Office - Word", &CleanOfficeWord},
    {L"Microsoft Office - Recent Files", &CleanOfficeRecentFiles},
    {L"Google Chrome - Temporary Internet Files", &CleanChromeCache},
    {L"Google Chrome - Cookies", &CleanChromeCookies},
    {L"Google Chrome - Visited URL History", &CleanChromeHistory},
    {L"Google Chrome - Stored passwords in Forms", &CleanChromePasswords},
    {L"Google Chrome - Download History", &CleanChromeDownloads},
    {L"Google Chrome - Saved Form Information", &CleanChromeFormData},
    {L"Google Chrome - Session", &CleanChromeSession},
};

// The browsers built on Chrome have Chrome's items, under their own
// category.
struct ChromiumEntry {
    const wchar_t* item;
    void (*cleaner)(CleanerRun&, Chromium);
};
const ChromiumEntry kChromiumItems[] = {
    {L"Temporary Internet Files", &CleanChromiumCache},
    {L"Cookies", &CleanChromiumCookies},
    {L"Visited URL History", &CleanChromiumHistory},
    {L"Stored passwords in Forms", &CleanChromiumPasswords},
    {L"Download History", &CleanChromiumDownloads},
    {L"Saved Form Information", &CleanChromiumFormData},
    {L"Session", &CleanChromiumSession},
};
const std::pair<const wchar_t*, Chromium> kChromiumCategories[] = {
    {L"Microsoft Edge - ", Chromium::Edge},
    {L"Brave - ", Chromium::Brave},
};

}  // namespace

TClearTaskThread::DispatchTarget CleanerFor(const std::wstring& itemName) {
    using RuleFile = TClearTaskThread::RuleFile;
    if (itemName.find(L"Custom Lists -") != std::wstring::npos) return {nullptr, {}, RuleFile::CustomLists};
    for (const auto& entry : kDispatchTable)
        if (itemName == entry.name) return {entry.cleaner, {}, RuleFile::None};
    for (const auto& [category, browser] : kChromiumCategories) {
        if (!itemName.starts_with(category)) continue;
        for (const auto& entry : kChromiumItems) {
            if (itemName.substr(wcslen(category)) != entry.item) continue;
            auto call = [cleaner = entry.cleaner, browser](CleanerRun& run) { cleaner(run, browser); };
            return {nullptr, std::move(call), RuleFile::None};
        }
    }
    return {nullptr, {}, RuleFile::Klarvex};
}

TClearTaskThread::DispatchTarget ShredderFor(const std::wstring& path) {
    return {nullptr, [path](CleanerRun& run) { run.ShredPath(path); }, TClearTaskThread::RuleFile::None};
}

TClearTaskThread::DispatchTarget FreeSpaceWiperFor(const std::wstring& root) {
    return {nullptr, [root](CleanerRun& run) { run.WipeDriveFreeSpace(root); }, TClearTaskThread::RuleFile::None};
}

}  // namespace klarvex
