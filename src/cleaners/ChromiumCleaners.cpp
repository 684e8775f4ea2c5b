// Cleaners of the browsers built on Chrome that keep the same profiles
// (Google Chrome, Microsoft Edge, Brave, today's Opera), in every profile
// of the user. The database cleaners empty tables in the removal
// run only (a Test only names a database that is a link), and count
// nothing: deleted rows are no files.

#include "cleaners/ChromiumCleaners.h"

#include <windows.h>

#include "base/Format.h"
#include "base/Handles.h"
#include "base/Strings.h"
#include "cleaners/BrowserFolders.h"
#include "formats/JsonEdit.h"
#include "formats/TableCleanup.h"
#include "platform/Folders.h"

namespace klarvex {

namespace {

constexpr int64_t kMaxPreferencesSize = 32 * 1024 * 1024;

constexpr TableStatement kDeleteLogins[] = {{L"logins", L"DELETE FROM logins"}};
constexpr TableStatement kDeleteDownloads[] = {{L"downloads", L"DELETE FROM downloads"},
                                               {L"downloads_url_chains", L"DELETE FROM downloads_url_chains"}};
constexpr TableStatement kDeleteFormData[] = {
    {L"autofill", L"DELETE FROM autofill"},
    {L"autofill_dates", L"DELETE FROM autofill_dates"},
    {L"autofill_profile_emails", L"DELETE FROM autofill_profile_emails"},
    {L"autofill_profile_names", L"DELETE FROM autofill_profile_names"},
    {L"autofill_profile_phones", L"DELETE FROM autofill_profile_phones"},
    {L"autofill_profiles", L"DELETE FROM autofill_profiles"},
    {L"autofill_profiles_trash", L"DELETE FROM autofill_profiles_trash"},
    // where today's Chrome keeps what was typed into forms
    {L"autocomplete", L"DELETE FROM autocomplete"},
    {L"addresses", L"DELETE FROM addresses"},
    {L"address_type_tokens", L"DELETE FROM address_type_tokens"},
};

// How much the user engaged with each site, which the browser keeps among
// its settings: a record of the sites visited. The rest of Preferences is
// the user's settings and stays byte for byte. The file is replaced whole
// (a new file moved over it), never written through a link or a second
// name; one that is no JSON object, or is too large, is left alone.
void ForgetSiteEngagement(const std::wstring& profile) {
    const std::wstring path = profile + L"Preferences";
    std::string text;
    {
        FileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
        BY_HANDLE_FILE_INFORMATION info;
        if (!file || !GetFileInformationByHandle(file.Get(), &info)) return;
        if (info.nNumberOfLinks > 1 || IsLink(info.dwFileAttributes) || info.nFileSizeHigh != 0 ||
            info.nFileSizeLow > kMaxPreferencesSize)
            return;
        text.resize(info.nFileSizeLow);
        DWORD read = 0;
        if (!ReadFile(file.Get(), text.data(), info.nFileSizeLow, &read, nullptr) || read != info.nFileSizeLow) return;
    }
    const auto edited = EmptyJsonObjects(text, {{"profile", "content_settings", "exceptions", "site_engagement"},
                                                {"profile", "content_settings", "exceptions", "media_engagement"}});
    if (!edited || *edited == text) return;
    ReplaceFileContent(path, *edited);
}

}  // namespace

void CleanChromiumCache(CleanerRun& run, Chromium browser) {
    for (const auto& profile : GetChromiumProfileDirs(browser))
        if (const std::wstring cache = ChromiumCacheDir(browser, profile); !cache.empty() && IsPlainFolder(cache))
            run.ItemBytes += run.ClearFolder(cache, false, true, L"", run.ItemCount);
    run.ItemSizeText = FormatKB(run.ItemBytes);
}

void CleanChromiumCookies(CleanerRun& run, Chromium browser) {
    for (const auto& profile : GetChromiumProfileDirs(browser)) {
        // Recursive: today's profiles keep the store in Network\Cookies.
        run.ClearItemFiles(profile, {L"Cookies"});
        // Extensions keep their own data in Local Storage too; it is no trace.
        run.ItemBytes += run.ClearFolderExcept(profile + L"Local Storage", false, run.ItemCount, L"chrome-extension_");
    }
    run.ItemSizeText = FormatKB(run.ItemBytes);
}

void CleanChromiumHistory(CleanerRun& run, Chromium browser) {
    for (const auto& profile : GetChromiumProfileDirs(browser)) {
        // Favicons, Shortcuts and DIPS are today's records of the sites seen.
        run.ClearItemFiles(profile, {L"Current Session", L"History", L"Archived History", L"Thumbnails", L"Visited Links",
                                 L"Current Tabs", L"Last Tabs", L"Top Sites", L"History Provider Cache",
                                 L"Network Action Predictor", L"Favicons", L"Shortcuts", L"DIPS"});
        // The full-text index files carry a date in their names; one walk
        // for them all, so a listed journal goes with its index, once.
        std::vector<std::wstring> indexes;
        ForEachEntry(profile, [&](const FolderEntry& entry) {
            if (!entry.isFolder && UpperCase(entry.name).find(L"HISTORY INDEX") != std::wstring::npos)
                indexes.push_back(entry.name);
            return true;
        });
        if (!indexes.empty()) run.ItemBytes += run.ClearFilesWithJournals(profile, indexes, run.ItemCount, true);
        // Data the browser derives from the pages seen; it builds it again.
        if (IsPlainFolder(profile + L"shared_proto_db"))
            run.ItemBytes += run.ClearFolder(profile + L"shared_proto_db", false, true, L"", run.ItemCount);
        if (!run.IsTestRun()) ForgetSiteEngagement(profile);
    }
    // Metrics the browser keeps of the pages visited, by address, for all
    // its profiles.
    if (const std::wstring userData = GetChromiumUserDataDir(browser); !userData.empty())
        run.ClearItemFiles(userData + L"segmentation_platform\\", {L"ukm_db"}, false);
    run.ItemSizeText = FormatKB(run.ItemBytes);
}

void CleanChromiumPasswords(CleanerRun& run, Chromium browser) {
    for (const auto& profile : GetChromiumProfileDirs(browser)) {
        run.EmptyDatabaseTables(profile + L"Web Data", {kDeleteLogins});
        run.ClearItemFiles(profile, {L"Login Data"});
    }
}

void CleanChromiumDownloads(CleanerRun& run, Chromium browser) {
    for (const auto& profile : GetChromiumProfileDirs(browser))
        run.EmptyDatabaseTables(profile + L"History", {kDeleteDownloads});
}

void CleanChromiumFormData(CleanerRun& run, Chromium browser) {
    for (const auto& profile : GetChromiumProfileDirs(browser))
        run.EmptyDatabaseTables(profile + L"Web Data", {kDeleteFormData});
}

void CleanChromiumSession(CleanerRun& run, Chromium browser) {
    for (const auto& profile : GetChromiumProfileDirs(browser)) {
        run.ClearItemFiles(profile, {L"Current Session", L"Last Session"});
        // Today's Chrome keeps its sessions in these folders.
        for (const wchar_t* sessions : {L"Sessions", L"Sessions_Encrypted"})
            if (IsPlainFolder(profile + sessions))
                run.ItemBytes += run.ClearFolder(profile + sessions, false, true, L"", run.ItemCount);
    }
    run.ItemSizeText = FormatKB(run.ItemBytes);
}

}  // namespace klarvex
