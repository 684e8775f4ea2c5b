// Cleaners of the Opera category. Opera up to version 12 keeps its data in
// files below the roaming application data folder and its caches below both
// that and the local one; without a roaming Opera folder nothing of it is
// looked at. Today's Opera is built on Chrome ("Opera Software\Opera
// Stable"): each item also runs the Chrome cleaner of the same meaning on
// that profile.
// Each cleaner leaves what it counted or removed in ItemCount and the bytes
// of the files it handled in ItemBytes and ItemSizeText.

#include "base/Format.h"
#include "cleaners/BrowserFolders.h"
#include "engine/ProgressThread.h"
#include "platform/Folders.h"

namespace klarvex {

void TClearTaskThread::CleanOperaCache() {
    ClearLegacyOperaCache();
    CleanChromiumCache(Chromium::OperaStable);
}

void TClearTaskThread::ClearLegacyOperaCache() {
    const std::wstring opera = GetOperaDir();
    if (opera.empty()) return;
    int64_t bytes = 0;
    auto clearIfThere = [&](const std::wstring& cache) {
        if (IsPlainFolder(cache)) bytes += ClearFolder(cache, false, true, L"", ItemCount);
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
    ItemBytes = bytes;
    ItemSizeText = FormatKB(bytes);
}

void TClearTaskThread::CleanOperaCookies() {
    ClearItemFiles(GetOperaDir(), {L"cookies4.dat"});
    CleanChromiumCookies(Chromium::OperaStable);
}

void TClearTaskThread::CleanOperaHistory() {
    ClearLegacyOperaHistory();
    CleanChromiumHistory(Chromium::OperaStable);
    CleanChromiumSession(Chromium::OperaStable);  // no item of its own
}

void TClearTaskThread::ClearLegacyOperaHistory() {
    const std::wstring opera = GetOperaDir();
    if (opera.empty()) return;
    int64_t bytes = ClearFilesByMasks(
        opera, {L"global.dat", L"vlink4.dat", L"autosave.win", L"global_history.dat", L"typed_history.xml"}, ItemCount,
        true);
    const std::wstring local = GetOperaLocalDir();
    if (!local.empty()) {
        ForEachEntry(local, [&](const FolderEntry& entry) {
            const std::wstring visited = local + entry.name + L"\\vps";
            if (entry.isFolder && IsPlainFolder(visited)) bytes += ClearFolder(visited, false, true, L"", ItemCount);
            return true;
        });
    }
    ItemBytes = bytes;
    ItemSizeText = FormatKB(bytes);
}

void TClearTaskThread::CleanOperaTypedUrls() { ClearItemFiles(GetOperaDir(), {L"opera.dir", L"typed_history.xml"}); }

void TClearTaskThread::CleanOperaWand() {
    // The wand kept both: saved logins and what was typed into forms.
    ClearItemFiles(GetOperaDir(), {L"wand.dat"});
    CleanChromiumPasswords(Chromium::OperaStable);
    CleanChromiumFormData(Chromium::OperaStable);
}

void TClearTaskThread::CleanOperaTransfers() {
    ClearItemFiles(GetOperaDir(), {L"download.dat"});
    CleanChromiumDownloads(Chromium::OperaStable);
}

}  // namespace klarvex
