// Cleaners of the Opera category. Opera keeps its data in files below the
// roaming application data folder and its caches below both that and the
// local one; without a roaming Opera folder nothing is looked at.
// Each cleaner leaves what it counted or removed in ItemCount and the bytes
// of the files it handled in ItemBytes and ItemSizeText.

#include "browsers/BrowserFolders.h"
#include "engine/Folders.h"
#include "engine/Format.h"
#include "engine/ProgressThread.h"

namespace klarvex {

void TClearTaskThread::CleanOperaCache() {
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

void TClearTaskThread::CleanOperaCookies() { ClearItemFiles(GetOperaDir(), {L"cookies4.dat"}); }

void TClearTaskThread::CleanOperaHistory() {
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

void TClearTaskThread::CleanOperaWand() { ClearItemFiles(GetOperaDir(), {L"wand.dat"}); }

void TClearTaskThread::CleanOperaTransfers() { ClearItemFiles(GetOperaDir(), {L"download.dat"}); }

}  // namespace klarvex
