// Cleaners of the Google Chrome category, all in the default profile. The
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
    const std::wstring profile = GetChromeUserDir();
    if (profile.empty() || !IsPlainFolder(profile + L"Cache")) return;
    ItemBytes = ClearFolder(profile + L"Cache", false, true, L"", ItemCount);
    ItemSizeText = FormatKB(ItemBytes);
}

void TClearTaskThread::CleanChromeCookies() {
    const std::wstring profile = GetChromeUserDir();
    if (profile.empty()) return;
    ItemBytes = ClearFilesByMask(profile, L"Cookies", ItemCount, true);
    // Extensions keep their own data in Local Storage too; it is no trace.
    ItemBytes += ClearFolderExcept(profile + L"Local Storage", false, ItemCount, L"chrome-extension_");
    ItemSizeText = FormatKB(ItemBytes);
}

void TClearTaskThread::CleanChromeHistory() {
    const std::wstring profile = GetChromeUserDir();
    if (profile.empty()) return;
    ItemBytes = ClearFilesByMasks(profile,
                                  {L"Current Session", L"History", L"Archived History", L"Thumbnails", L"Visited Links",
                                   L"Current Tabs", L"Last Tabs", L"Top Sites", L"History Provider Cache",
                                   L"Network Action Predictor"},
                                  ItemCount, true);
    // The full-text index files carry a date in their names.
    std::vector<std::wstring> indexes;
    ForEachEntry(profile, [&](const FolderEntry& entry) {
        if (!entry.isFolder && UpperCase(entry.name).find(L"HISTORY INDEX") != std::wstring::npos)
            indexes.push_back(entry.name);
        return true;
    });
    for (const auto& name : indexes) ItemBytes += ClearFilesByMask(profile, name, ItemCount, true);
    ItemSizeText = FormatKB(ItemBytes);
}

void TClearTaskThread::CleanChromePasswords() {
    const std::wstring profile = GetChromeUserDir();
    if (profile.empty()) return;
    if (!IsTestRun()) RunWhereTablesExist(profile + L"Web Data", {{L"logins", L"DELETE FROM logins"}});
    ItemBytes = ClearFilesByMask(profile, L"Login Data", ItemCount, true);
    ItemSizeText = FormatKB(ItemBytes);
}

void TClearTaskThread::CleanChromeDownloads() {
    const std::wstring profile = GetChromeUserDir();
    if (profile.empty() || IsTestRun()) return;
    RunWhereTablesExist(profile + L"History", {{L"downloads", L"DELETE FROM downloads"}});
}

void TClearTaskThread::CleanChromeFormData() {
    const std::wstring profile = GetChromeUserDir();
    if (profile.empty() || IsTestRun()) return;
    RunWhereTablesExist(profile + L"Web Data", {{L"autofill", L"DELETE FROM autofill"},
                                                {L"autofill_dates", L"DELETE FROM autofill_dates"},
                                                {L"autofill_profile_emails", L"DELETE FROM autofill_profile_emails"},
                                                {L"autofill_profile_names", L"DELETE FROM autofill_profile_names"},
                                                {L"autofill_profile_phones", L"DELETE FROM autofill_profile_phones"},
                                                {L"autofill_profiles", L"DELETE FROM autofill_profiles"},
                                                {L"autofill_profiles_trash", L"DELETE FROM autofill_profiles_trash"}});
}

void TClearTaskThread::CleanChromeSession() {
    ClearItemFiles(GetChromeUserDir(), {L"Current Session", L"Last Session"});
}

}  // namespace klarvex
