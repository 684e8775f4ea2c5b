#include "cleaners/CleanerTable.h"

#include <cwchar>
#include <utility>

#include "cleaners/BrowserFolders.h"

namespace klarvex {

namespace {

struct DispatchEntry {
    const wchar_t* name;
    TClearTaskThread::Cleaner cleaner;
};

using T = TClearTaskThread;
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
    {L"Windows Explorer - Jump Lists", &T::CleanJumpLists},
    {L"Windows Explorer - Thumbnail Cache", &T::CleanThumbnailCache},
    {L"Windows Explorer - Search History", &T::CleanSearchHistory},
    {L"Windows Explorer - Typed Paths", &T::CleanTypedPaths},
    {L"Windows Explorer - Open/Save Dialog History", &T::CleanOpenSaveDialogHistory},
    {L"Windows Explorer - Programs Run", &T::CleanProgramsRun},
    {L"Windows Explorer - Folder Views", &T::CleanFolderViews},
    {L"Windows Explorer - Error Reports", &T::CleanErrorReports},
    {L"Windows Explorer - Activity History", &T::CleanActivityHistory},
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
    void (TClearTaskThread::*cleaner)(Chromium);
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
            auto call = [cleaner = entry.cleaner, browser](TClearTaskThread& runner) { (runner.*cleaner)(browser); };
            return {nullptr, std::move(call), RuleFile::None};
        }
    }
    return {nullptr, {}, RuleFile::Klarvex};
}

}  // namespace klarvex
