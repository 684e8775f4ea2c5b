// Cleaners of the Mozilla Firefox and Netscape categories. Rows deleted
// from a database are not counted; the databases are emptied in the
// removal run only (a Test, and the counting pass before a Clean, open
// none of them, and only name one that is a link).

#include "cleaners/firefox/FirefoxCleaners.h"

#include "base/Format.h"
#include "base/PathText.h"
#include "cleaners/BrowserFolders.h"
#include "cleaners/firefox/FirefoxTables.h"
#include "formats/TableCleanup.h"
#include "platform/Folders.h"
#include "settings/Global.h"

namespace klarvex {

namespace {

// The icons of pages no longer in the history (places.sqlite attached).
constexpr TableStatement kDeleteIcons[] = {
    {L"moz_pages_w_icons", L"DELETE FROM moz_pages_w_icons WHERE page_url NOT IN (SELECT url FROM places.moz_places)"},
    {L"moz_icons_to_pages", L"DELETE FROM moz_icons_to_pages WHERE page_id NOT IN (SELECT id FROM moz_pages_w_icons)"},
    {L"moz_icons", L"DELETE FROM moz_icons WHERE id NOT IN (SELECT icon_id FROM moz_icons_to_pages)"},
};

// Sites the user interacted with, and the permissions the browser granted
// them by itself for a while; permissions the user set for good stay.
constexpr TableStatement kDeleteSiteInteractions[] = {
    {L"moz_origin_interactions", L"DELETE FROM moz_origin_interactions"},
    {L"moz_perms", L"DELETE FROM moz_perms WHERE expireType <> 0"},
};
// The quota records of the sites whose storage went with their cookies.
constexpr TableStatement kDeleteSiteQuota[] = {
    {L"origin", L"DELETE FROM origin WHERE origin LIKE 'http://%' OR origin LIKE 'https://%'"},
};

// Calls visit with each profile folder below profiles (with a trailing
// backslash); links to folders are never followed.
template <typename Visit>
void ForEachProfile(const std::wstring& profiles, Visit visit) {
    if (profiles.empty()) return;
    const std::wstring folder = WithBackslash(profiles);
    ForEachEntry(folder, [&](const FolderEntry& entry) {
        if (entry.isFolder) visit(folder + entry.name + L"\\");
        return true;
    });
}

}  // namespace

void CleanFirefoxCookies(CleanerRun& run) {
    const std::wstring profiles = GetFirefoxProfilesDir();
    run.ClearItemFiles(profiles, {L"cookies*.txt", L"cookies.sqlite", L"webappsstore.sqlite"});
    // What each web site stored besides its cookies; extensions' storage
    // (moz-extension+++...) is the user's, and stays.
    ForEachProfile(profiles, [&](const std::wstring& profile) {
        const std::wstring sites = profile + L"storage\\default\\";
        ForEachEntry(sites, [&](const FolderEntry& entry) {
            if (entry.isFolder && (entry.name.starts_with(L"http+++") || entry.name.starts_with(L"https+++")))
                run.ItemBytes += run.ClearFolder(sites + entry.name, true, true, L"", run.ItemCount);
            return true;
        });
        run.EmptyDatabaseTables(profile + L"storage.sqlite", {kDeleteSiteQuota});
    });
    run.ItemSizeText = FormatKB(run.ItemBytes);
}

void CleanFirefoxHistory(CleanerRun& run) {
    const std::wstring profiles = GetFirefoxProfilesDir();
    if (profiles.empty()) return;
    const std::wstring folder = WithBackslash(profiles);
    run.ItemBytes = run.ClearFilesByMask(folder, L"history.dat", run.ItemCount, true);
    run.ItemSizeText = FormatKB(run.ItemBytes);
    ForEachProfile(folder, [&](const std::wstring& profile) {
        if (profile.find(L".default") == std::wstring::npos) return;
        const std::wstring places = profile + L"places.sqlite";
        run.EmptyDatabaseTables(places, {kFirefoxHistoryTables});
        const AttachedDatabase history{L"places", places};
        run.EmptyDatabaseTables(profile + L"favicons.sqlite", {kDeleteIcons, &history});
        run.EmptyDatabaseTables(profile + L"permissions.sqlite", {kDeleteSiteInteractions});
    });
}

void CleanFirefoxCache(CleanerRun& run) {
    if (!run.IsTestRun() && !Settings.ShowLogTempInternetFiles) run.AddPleaseWaitLine();
    int64_t bytes = 0;
    for (const std::wstring& profiles : {GetFirefoxProfilesDir(), GetFirefoxLocalProfilesDir()}) {
        if (profiles.empty()) continue;
        const std::wstring folder = WithBackslash(profiles);
        ForEachEntry(folder, [&](const FolderEntry& entry) {
            if (run.Terminated()) return false;
            // Today's Firefox keeps its disk cache in cache2.
            for (const wchar_t* name : {L"\\Cache", L"\\cache2"}) {
                const std::wstring cache = folder + entry.name + name;
                if (entry.isFolder && IsPlainFolder(cache))
                    bytes += run.ClearFolder(cache, false, Settings.ShowLogTempInternetFiles, L"", run.ItemCount);
            }
            return true;
        });
    }
    run.ItemBytes = bytes;
    run.ItemSizeText = FormatKB(bytes);
}

void CleanFirefoxDownloads(CleanerRun& run) {
    run.ClearItemFiles(GetFirefoxProfilesDir(), {L"downloads.rdf", L"downloads.sqlite"});
}

void CleanFirefoxAutocomplete(CleanerRun& run) {
    // logins.json holds today's saved logins; their key (key4.db) and the
    // certificates (cert9.db) stay.
    run.ClearItemFiles(GetFirefoxProfilesDir(),
                   {L"signons.txt", L"signons3.txt", L"signons.sqlite", L"logins.json", L"logins-backup.json"});
}

void CleanFirefoxPreferences(CleanerRun& run) {
    run.ClearItemFiles(GetFirefoxProfilesDir(), {L"prefs.js", L"content-prefs.sqlite"});
}

void CleanFirefoxFormHistory(CleanerRun& run) {
    run.ClearItemFiles(GetFirefoxProfilesDir(), {L"formhistory.dat", L"formhistory.sqlite"});
}

void CleanFirefoxSession(CleanerRun& run) {
    const std::wstring profiles = GetFirefoxProfilesDir();
    run.ClearItemFiles(profiles, {L"sessionstore.js", L"sessionstore.bak", L"sessionstore.jsonlz4"});
    // Today's Firefox keeps earlier sessions in sessionstore-backups.
    ForEachProfile(profiles, [&](const std::wstring& profile) {
        const std::wstring backups = profile + L"sessionstore-backups";
        if (IsPlainFolder(backups)) run.ItemBytes += run.ClearFolder(backups, false, true, L"", run.ItemCount);
    });
    run.ItemSizeText = FormatKB(run.ItemBytes);
}

void CleanNetscapeCookies(CleanerRun& run) {
    run.ClearItemFiles(GetNetscapeProfileDir(run.StopSource().get_token()), {L"cookies*.txt"}, false);
}

void CleanNetscapeCache(CleanerRun& run) {
    if (!run.IsTestRun() && !Settings.ShowLogTempInternetFiles) run.AddPleaseWaitLine();
    const std::wstring profile = GetNetscapeProfileDir(run.StopSource().get_token());
    if (profile.empty() || !IsPlainFolder(profile + L"Cache")) return;
    run.ItemBytes = run.ClearFolder(profile + L"Cache", false, Settings.ShowLogTempInternetFiles, L"", run.ItemCount);
    run.ItemSizeText = FormatKB(run.ItemBytes);
}

void CleanNetscapeHistory(CleanerRun& run) {
    run.ClearItemFiles(GetNetscapeProfileDir(run.StopSource().get_token()), {L"history.dat"}, false);
}

void CleanNetscapePreferences(CleanerRun& run) {
    run.ClearItemFiles(GetNetscapeProfileDir(run.StopSource().get_token()), {L"prefs.js"}, false);
}

void CleanNetscapeFormHistory(CleanerRun& run) {
    run.ClearItemFiles(GetNetscapeProfileDir(run.StopSource().get_token()), {L"formhistory.dat"}, false);
}

}  // namespace klarvex
