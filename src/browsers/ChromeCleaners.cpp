// Cleaners of the Google Chrome category, in every profile of the user. The
// database cleaners empty tables in the removal run only, and count
// nothing: deleted rows are no files.
// Each cleaner leaves what it counted or removed in ItemCount and the bytes
// of the files it handled in ItemBytes and ItemSizeText.

#include "base/Strings.h"
#include "browsers/BrowserFolders.h"
#include "browsers/TableCleanup.h"
#include "engine/Folders.h"
#include "engine/Format.h"
#include "engine/ProgressThread.h"

namespace klarvex {

void TClearTaskThread::CleanChromeCache() {
    for (const auto& profile : GetChromeProfileDirs())
        if (IsPlainFolder(profile + L"Cache")) ItemBytes += ClearFolder(profile + L"Cache", false, true, L"", ItemCount);
    ItemSizeText = FormatKB(ItemBytes);
}

void TClearTaskThread::CleanChromeCookies() {
    for (const auto& profile : GetChromeProfileDirs()) {
        // Recursive: today's profiles keep the store in Network\Cookies.
        ItemBytes += ClearFilesByMask(profile, L"Cookies", ItemCount, true);
        // Extensions keep their own data in Local Storage too; it is no trace.
        ItemBytes += ClearFolderExcept(profile + L"Local Storage", false, ItemCount, L"chrome-extension_");
    }
    ItemSizeText = FormatKB(ItemBytes);
}

void TClearTaskThread::CleanChromeHistory() {
    for (const auto& profile : GetChromeProfileDirs()) {
        // Favicons, Shortcuts and DIPS are today's records of the sites seen.
        ClearItemFiles(profile, {L"Current Session", L"History", L"Archived History", L"Thumbnails", L"Visited Links",
                                 L"Current Tabs", L"Last Tabs", L"Top Sites", L"History Provider Cache",
                                 L"Network Action Predictor", L"Favicons", L"Shortcuts", L"DIPS"});
        // The full-text index files carry a date in their names.
        std::vector<std::wstring> indexes;
        ForEachEntry(profile, [&](const FolderEntry& entry) {
            if (!entry.isFolder && UpperCase(entry.name).find(L"HISTORY INDEX") != std::wstring::npos)
                indexes.push_back(entry.name);
            return true;
        });
        for (const auto& name : indexes) ItemBytes += ClearFilesByMask(profile, name, ItemCount, true);
        // Data the browser derives from the pages seen; it builds it again.
        if (IsPlainFolder(profile + L"shared_proto_db"))
            ItemBytes += ClearFolder(profile + L"shared_proto_db", false, true, L"", ItemCount);
    }
    ItemSizeText = FormatKB(ItemBytes);
}

void TClearTaskThread::CleanChromePasswords() {
    for (const auto& profile : GetChromeProfileDirs()) {
        if (!IsTestRun()) RunWhereTablesExist(profile + L"Web Data", {{L"logins", L"DELETE FROM logins"}});
        ClearItemFiles(profile, {L"Login Data"});
    }
}

void TClearTaskThread::CleanChromeDownloads() {
    if (IsTestRun()) return;
    for (const auto& profile : GetChromeProfileDirs())
        RunWhereTablesExist(profile + L"History", {{L"downloads", L"DELETE FROM downloads"},
                                                   {L"downloads_url_chains", L"DELETE FROM downloads_url_chains"}});
}

void TClearTaskThread::CleanChromeFormData() {
    if (IsTestRun()) return;
    for (const auto& profile : GetChromeProfileDirs())
        RunWhereTablesExist(profile + L"Web Data",
                            {{L"autofill", L"DELETE FROM autofill"},
                             {L"autofill_dates", L"DELETE FROM autofill_dates"},
                             {L"autofill_profile_emails", L"DELETE FROM autofill_profile_emails"},
                             {L"autofill_profile_names", L"DELETE FROM autofill_profile_names"},
                             {L"autofill_profile_phones", L"DELETE FROM autofill_profile_phones"},
                             {L"autofill_profiles", L"DELETE FROM autofill_profiles"},
                             {L"autofill_profiles_trash", L"DELETE FROM autofill_profiles_trash"},
                             // where today's Chrome keeps what was typed into forms
                             {L"autocomplete", L"DELETE FROM autocomplete"},
                             {L"addresses", L"DELETE FROM addresses"},
                             {L"address_type_tokens", L"DELETE FROM address_type_tokens"}});
}

void TClearTaskThread::CleanChromeSession() {
    for (const auto& profile : GetChromeProfileDirs()) {
        ClearItemFiles(profile, {L"Current Session", L"Last Session"});
        // Today's Chrome keeps its sessions in these folders.
        for (const wchar_t* sessions : {L"Sessions", L"Sessions_Encrypted"})
            if (IsPlainFolder(profile + sessions))
                ItemBytes += ClearFolder(profile + sessions, false, true, L"", ItemCount);
    }
    ItemSizeText = FormatKB(ItemBytes);
}

}  // namespace klarvex
