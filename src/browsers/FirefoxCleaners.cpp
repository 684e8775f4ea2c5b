// Cleaners of the Mozilla Firefox and Netscape categories.
// Each cleaner leaves what it counted or removed in ItemCount and the bytes
// of the files it handled in ItemBytes and ItemSizeText. Rows deleted from
// a database are not counted.

#include "browsers/BrowserFolders.h"
#include "browsers/TableCleanup.h"
#include "engine/Folders.h"
#include "engine/Format.h"
#include "engine/ProgressThread.h"
#include "engine/RuleText.h"
#include "settings/Global.h"

namespace klarvex {

namespace {

// Places a bookmark refers to stay; every other place and every visit go.
constexpr TableStatement kDeletePlaces = {
    L"moz_places", L"DELETE FROM moz_places WHERE id NOT IN (SELECT fk FROM moz_bookmarks where fk is not null)"};
constexpr TableStatement kDeleteVisits = {L"moz_historyvisits", L"DELETE FROM moz_historyvisits"};

}  // namespace

void TClearTaskThread::CleanFirefoxCookies() {
    ClearItemFiles(GetFirefoxProfilesDir(), {L"cookies*.txt", L"cookies.sqlite"});
}

void TClearTaskThread::CleanFirefoxHistory() {
    const std::wstring profiles = GetFirefoxProfilesDir();
    if (profiles.empty()) return;
    const std::wstring folder = WithBackslash(profiles);
    ItemBytes = ClearFilesByMask(folder, L"history.dat", ItemCount, true);
    ItemSizeText = FormatKB(ItemBytes);
    // The databases are emptied in the removal run only: the counting pass
    // before it, like a Test run, never opens one.
    if (IsTestRun()) return;
    ForEachEntry(folder, [&](const FolderEntry& entry) {
        const std::wstring profile = folder + entry.name;
        if (entry.isFolder && profile.find(L".default") != std::wstring::npos)
            RunWhereTablesExist(profile + L"\\places.sqlite", {kDeletePlaces, kDeleteVisits});
        return true;
    });
}

void TClearTaskThread::CleanFirefoxCache() {
    if (!IsTestRun() && !Settings.ShowLogTempInternetFiles) AddPleaseWaitLine();
    int64_t bytes = 0;
    for (const std::wstring& profiles : {GetFirefoxProfilesDir(), GetFirefoxLocalProfilesDir()}) {
        if (profiles.empty()) continue;
        const std::wstring folder = WithBackslash(profiles);
        ForEachEntry(folder, [&](const FolderEntry& entry) {
            if (Terminated()) return false;
            const std::wstring cache = folder + entry.name + L"\\Cache";
            if (entry.isFolder && IsPlainFolder(cache))
                bytes += ClearFolder(cache, false, Settings.ShowLogTempInternetFiles, L"", ItemCount);
            return true;
        });
    }
    ItemBytes = bytes;
    ItemSizeText = FormatKB(bytes);
}

void TClearTaskThread::CleanFirefoxDownloads() {
    ClearItemFiles(GetFirefoxProfilesDir(), {L"downloads.rdf", L"downloads.sqlite"});
}

void TClearTaskThread::CleanFirefoxAutocomplete() {
    ClearItemFiles(GetFirefoxProfilesDir(), {L"signons.txt", L"signons3.txt", L"signons.sqlite"});
}

void TClearTaskThread::CleanFirefoxPreferences() {
    ClearItemFiles(GetFirefoxProfilesDir(), {L"prefs.js", L"content-prefs.sqlite"});
}

void TClearTaskThread::CleanFirefoxFormHistory() {
    ClearItemFiles(GetFirefoxProfilesDir(), {L"formhistory.dat", L"formhistory.sqlite"});
}

void TClearTaskThread::CleanFirefoxSession() {
    ClearItemFiles(GetFirefoxProfilesDir(), {L"sessionstore.js", L"sessionstore.bak"});
}

void TClearTaskThread::CleanNetscapeCookies() {
    ClearItemFiles(GetNetscapeProfileDir(StopSource().get_token()), {L"cookies*.txt"}, false);
}

void TClearTaskThread::CleanNetscapeCache() {
    if (!IsTestRun() && !Settings.ShowLogTempInternetFiles) AddPleaseWaitLine();
    const std::wstring profile = GetNetscapeProfileDir(StopSource().get_token());
    if (profile.empty() || !IsPlainFolder(profile + L"Cache")) return;
    ItemBytes = ClearFolder(profile + L"Cache", false, Settings.ShowLogTempInternetFiles, L"", ItemCount);
    ItemSizeText = FormatKB(ItemBytes);
}

void TClearTaskThread::CleanNetscapeHistory() {
    ClearItemFiles(GetNetscapeProfileDir(StopSource().get_token()), {L"history.dat"}, false);
}

void TClearTaskThread::CleanNetscapePreferences() {
    ClearItemFiles(GetNetscapeProfileDir(StopSource().get_token()), {L"prefs.js"}, false);
}

void TClearTaskThread::CleanNetscapeFormHistory() {
    ClearItemFiles(GetNetscapeProfileDir(StopSource().get_token()), {L"formhistory.dat"}, false);
}

}  // namespace klarvex
