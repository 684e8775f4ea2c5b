// Cleaners of the Opera category. Opera up to version 12 keeps its data in
// files below the roaming application data folder and its caches below both
// that and the local one; without a roaming Opera folder nothing of it is
// looked at. Today's Opera is built on Chrome ("Opera Software\Opera
// Stable"): each item also runs the Chrome cleaner of the same meaning on
// that profile.

#include "cleaners/opera/OperaCleaners.h"

#include "base/Format.h"
#include "cleaners/BrowserFolders.h"
#include "cleaners/ChromiumCleaners.h"
#include "platform/Folders.h"

namespace klarvex {

namespace {

// What Opera up to version 12 kept: its caches, its visited pages.
void ClearLegacyOperaCache(CleanerRun& run) {
    const std::wstring opera = GetOperaDir();
    if (opera.empty()) return;
    int64_t bytes = 0;
    auto clearIfThere = [&](const std::wstring& cache) {
        if (IsPlainFolder(cache)) bytes += run.ClearFolder(cache, false, true, L"", run.ItemCount);
    };
    ForEachEntry(opera, [&](const FolderEntry& entry) {
        if (entry.isFolder) clearIfThere(opera + entry.name + L"\\profile\\cache4");
        return true;
    });
    const std::wstring local = GetOperaLocalDir();
    if (!local.empty()) {
        ForEachEntry(local, [&](const FolderEntry& entry) {
            if (!entry.isFolder) return true;
            for (const wchar_t* cache :
                 {L"profile\\cache4", L"cache", L"icons\\cache", L"temporary_downloads", L"opcache"})
                clearIfThere(local + entry.name + L"\\" + cache);
            return true;
        });
    }
    run.ItemBytes = bytes;
    run.ItemSizeText = FormatKB(bytes);
}

void ClearLegacyOperaHistory(CleanerRun& run) {
    const std::wstring opera = GetOperaDir();
    if (opera.empty()) return;
    int64_t bytes = run.ClearFilesByMasks(
        opera, {L"global.dat", L"vlink4.dat", L"autosave.win", L"global_history.dat", L"typed_history.xml"}, run.ItemCount,
        true);
    const std::wstring local = GetOperaLocalDir();
    if (!local.empty()) {
        ForEachEntry(local, [&](const FolderEntry& entry) {
            const std::wstring visited = local + entry.name + L"\\vps";
            if (entry.isFolder && IsPlainFolder(visited)) bytes += run.ClearFolder(visited, false, true, L"", run.ItemCount);
            return true;
        });
    }
    run.ItemBytes = bytes;
    run.ItemSizeText = FormatKB(bytes);
}

}  // namespace

void CleanOperaCache(CleanerRun& run) {
    ClearLegacyOperaCache(run);
    CleanChromiumCache(run, Chromium::OperaStable);
}

void CleanOperaCookies(CleanerRun& run) {
    run.ClearItemFiles(GetOperaDir(), {L"cookies4.dat"});
    CleanChromiumCookies(run, Chromium::OperaStable);
}

void CleanOperaHistory(CleanerRun& run) {
    ClearLegacyOperaHistory(run);
    CleanChromiumHistory(run, Chromium::OperaStable);
    CleanChromiumSession(run, Chromium::OperaStable);  // no item of its own
}

void CleanOperaTypedUrls(CleanerRun& run) { run.ClearItemFiles(GetOperaDir(), {L"opera.dir", L"typed_history.xml"}); }

void CleanOperaWand(CleanerRun& run) {
    // The wand kept both: saved logins and what was typed into forms.
    run.ClearItemFiles(GetOperaDir(), {L"wand.dat"});
    CleanChromiumPasswords(run, Chromium::OperaStable);
    CleanChromiumFormData(run, Chromium::OperaStable);
}

void CleanOperaTransfers(CleanerRun& run) {
    run.ClearItemFiles(GetOperaDir(), {L"download.dat"});
    CleanChromiumDownloads(run, Chromium::OperaStable);
}

}  // namespace klarvex
