// Cleaners of the Windows Explorer category: the traces Windows 10 and 11
// keep of what the user opened, searched for, typed and ran.

#include "cleaners/explorer/ExplorerCleaners.h"

#include <windows.h>

#include <shlobj.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "base/Format.h"
#include "base/Handles.h"
#include "base/PathText.h"
#include "base/Strings.h"
#include "base/Texts.h"
#include "cleaners/ShellKeys.h"
#include "formats/JumpList.h"
#include "formats/TableCleanup.h"
#include "platform/Folders.h"
#include "platform/RegistryKeys.h"
#include "platform/SystemLookups.h"
#include "settings/Global.h"

namespace klarvex {

namespace {

// The shell's own keys in the user's classes and in the user's hive;
// Explorer keeps the views of folders in both.
const wchar_t kLocalSettingsShellKey[] = L"Software\\Classes\\Local Settings\\Software\\Microsoft\\Windows\\Shell";
const wchar_t kShellKey[] = L"Software\\Microsoft\\Windows\\Shell";

// Every value of each subkey of the key (with what lies below them); the
// key and its subkeys stay. A subkey that is a registry link leads to
// another key, whose values are not these lists': it is passed over.
int32_t DeleteSubkeyValues(CleanerRun& run, const std::wstring& keyPath) {
    RegKey key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, keyPath.c_str(), 0, KEY_READ, key.Put()) != ERROR_SUCCESS) return 0;
    int32_t count = 0;
    for (const auto& subkey : OwnSubkeyNames(key.Get()))
        count += run.DeleteUserRegValues(keyPath + L"\\" + subkey, L"");
    return count;
}

// Windows' timeline: what the user did in which program, on which file or
// site. The rows that name an activity go before the activity itself; the
// activities are what the user sees in the timeline, and what is counted.
const TableStatement kActivityTables[] = {
    {L"Activity_PackageId", L"DELETE FROM [Activity_PackageId]"},
    {L"ActivityOperation", L"DELETE FROM [ActivityOperation]"},
    {L"Activity", L"DELETE FROM [Activity]"},
};
const TableSet kActivityHistory{kActivityTables, nullptr, L"Activity"};

// The unpinned entries of the automatic jump lists in folder.
void ClearAutomaticJumpLists(CleanerRun& run, const std::wstring& folder) {
    // A linked folder leads somewhere else: nothing there is ours.
    if (!IsPlainFolder(folder)) return;
    const FileMask mask(kAutomaticJumpListMask, UpperCase(kAutomaticJumpListMask));
    std::vector<std::wstring> names;  // listed first: a Clean writes into the folder
    ForEachEntry(folder, [&](const FolderEntry& entry) {
        if (!entry.isFolder && mask.Matches(entry.name, UpperCase(entry.name))) names.push_back(entry.name);
        return true;
    });
    for (const auto& name : names) {
        if (run.Terminated()) return;
        const std::wstring path = folder + name;
        auto leftAsItIs = [&](int textId) { run.AddLog(run.LogPrefix + LoadText(textId) + L" " + path); };
        const auto list = ReadAutomaticJumpList(path);
        if (!list) {
            leftAsItIs(IsFileLocked(path) ? IDS_LEFT_IN_USE : IDS_JUMP_LIST_UNCHANGED);
            continue;
        }
        const auto& entries = list->index.entries;
        const auto unpinned = static_cast<int32_t>(std::count_if(entries.begin(), entries.end(),
                                                                 [](const DestListEntry& e) { return !e.pinned; }));
        if (unpinned == 0) continue;
        if (static_cast<size_t>(unpinned) == entries.size()) {
            // Read again just before it goes: a pin added meanwhile keeps it.
            if (!run.IsTestRun() && ReadWholeFile(path, list->file.size()) != list->file) {
                leftAsItIs(IDS_JUMP_LIST_CHANGED);
                continue;
            }
            if (run.DeleteFileItem(path, true)) {
                run.ItemCount += unpinned;
                run.ItemBytes += static_cast<int64_t>(list->file.size());
            }
            continue;
        }
        int64_t linkBytes = 0;
        for (size_t i = 0; i < entries.size(); ++i) {
            if (entries[i].pinned) continue;
            linkBytes += static_cast<int64_t>(list->links[i].size);
            if (!Settings.FastScan) {
                run.LogEntry(run.LogPrefix + LoadText(IDS_DELETING_JUMP_LIST_ENTRY) + L" ",
                             entries[i].path + L" (" + path + L")");
                run.ScrollLog(50);
            }
        }
        if (!run.IsTestRun()) {
            switch (KeepPinnedEntries(*list, path)) {
                case PinnedRewrite::Done: break;
                case PinnedRewrite::Changed: leftAsItIs(IDS_JUMP_LIST_CHANGED); continue;
                case PinnedRewrite::NotWritten: leftAsItIs(IDS_JUMP_LIST_NOT_WRITTEN); continue;
                case PinnedRewrite::NotReplaced: leftAsItIs(IDS_JUMP_LIST_NOT_REPLACED); continue;
            }
        }
        run.ItemCount += unpinned;
        run.ItemBytes += linkBytes;
        run.PostThrottledProgress(run.TotalCount + run.ItemCount);
    }
}

}  // namespace

void CleanJumpLists(CleanerRun& run) {
    const std::wstring appData = GetAppDataDir();
    if (appData.empty()) return;
    const std::wstring recent = appData + L"Microsoft\\Windows\\Recent\\";
    ClearAutomaticJumpLists(run, recent + L"AutomaticDestinations\\");
    // A program's own list (its tasks and categories) holds no pin, which
    // the taskbar keeps in the automatic list: it goes whole, and the
    // program writes it anew when it next runs.
    run.ItemBytes += run.ClearFilesByMask(recent + L"CustomDestinations", L"*.customDestinations-ms", run.ItemCount, false);
    run.ItemSizeText = FormatKB(run.ItemBytes);
}

void CleanThumbnailCache(CleanerRun& run) {
    const std::wstring local = GetLocalAppDataDir();
    if (local.empty()) return;
    std::vector<FileMask> masks;
    for (const wchar_t* mask : {L"thumbcache_*.db", L"iconcache_*.db"}) masks.emplace_back(mask, UpperCase(mask));
    // Explorer holds its caches open while it runs, and is never ended for
    // them: a cache in use waits for the next start of Windows, or stays.
    std::vector<std::wstring> inUse;
    const CleanerRun::SpareEntry spare = [&](const std::wstring& folder, const std::wstring& name, bool isFolder) {
        if (isFolder || !FitsAnyMask(masks, name, UpperCase(name)) || !IsFileLocked(folder + name)) return false;
        inUse.push_back(folder + name);
        return true;
    };
    run.ItemBytes = run.ClearMatchingFiles(local + L"Microsoft\\Windows\\Explorer", masks, false, false, spare, run.ItemCount);
    for (const auto& path : inUse) {
        if (!run.RemoveAtNextStart(path)) continue;
        ++run.ItemCount;
        run.ItemBytes += FileSize(path);
    }
    run.ItemSizeText = FormatKB(run.ItemBytes);
}

void CleanSearchHistory(CleanerRun& run) {
    for (const auto& key : {ExplorerKey(L"WordWheelQuery"), ExplorerKey(L"SearchHistory"),
                            std::wstring(kCurrentVersionKey) + L"\\Search\\RecentApps"})
        run.ItemCount += run.DeleteUserRegValues(key, L"");
}

void CleanTypedPaths(CleanerRun& run) { run.ItemCount = run.DeleteUserRegValues(ExplorerKey(L"TypedPaths"), L""); }

void CleanOpenSaveDialogHistory(CleanerRun& run) {
    // One list per file type, each in a subkey: OpenSavePidlMRU since
    // Windows Vista, OpenSaveMRU in XP.
    for (const wchar_t* byType : {L"ComDlg32\\OpenSavePidlMRU", L"ComDlg32\\OpenSaveMRU"})
        run.ItemCount += DeleteSubkeyValues(run, ExplorerKey(byType));
    for (const wchar_t* list : {L"ComDlg32\\LastVisitedPidlMRU", L"ComDlg32\\LastVisitedPidlMRULegacy",
                                L"ComDlg32\\CIDSizeMRU", L"ComDlg32\\LastVisitedMRU"})
        run.ItemCount += run.DeleteUserRegValues(ExplorerKey(list), L"");
}

void CleanProgramsRun(CleanerRun& run) {
    run.ItemCount = run.DeleteUserRegValues(std::wstring(kLocalSettingsShellKey) + L"\\MuiCache", L"");
    run.ItemCount += DeleteSubkeyValues(run, ExplorerKey(L"FeatureUsage"));
}

void CleanFolderViews(CleanerRun& run) {
    if (!run.ConfirmDespiteWarning(TranslatedName(L"Folder Views"), LoadText(IDS_FOLDER_VIEWS_WARNING))) return;
    for (const wchar_t* shell : {kLocalSettingsShellKey, kShellKey})
        for (const wchar_t* key : {L"BagMRU", L"Bags"})
            run.ItemCount += run.DeleteUserRegKey(std::wstring(shell) + L"\\" + key);
}

void CleanErrorReports(CleanerRun& run) {
    std::vector<std::wstring> folders;
    auto addReports = [&](const std::wstring& base) {
        if (base.empty()) return;
        folders.push_back(base + L"Microsoft\\Windows\\WER\\ReportArchive");
        folders.push_back(base + L"Microsoft\\Windows\\WER\\ReportQueue");
    };
    const std::wstring local = GetLocalAppDataDir();
    addReports(local);
    if (!local.empty()) folders.push_back(local + L"CrashDumps");
    // The reports of every user and of the system are the administrators'.
    if (run.UserIsAdmin()) addReports(ShellFolderPath(CSIDL_COMMON_APPDATA));
    for (const auto& folder : folders) run.ItemBytes += run.ClearFolder(folder, false, true, L"", run.ItemCount);
    run.ItemSizeText = FormatKB(run.ItemBytes);
}

void CleanActivityHistory(CleanerRun& run) {
    const std::wstring local = GetLocalAppDataDir();
    if (local.empty()) return;
    // One database per account that signed in to the platform.
    const std::wstring platform = local + L"ConnectedDevicesPlatform\\";
    if (!IsPlainFolder(platform)) return;
    std::vector<std::wstring> databases;
    ForEachEntry(platform, [&](const FolderEntry& entry) {
        const std::wstring path = platform + entry.name + L"\\ActivitiesCache.db";
        if (entry.isFolder && GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) databases.push_back(path);
        return true;
    });
    // The platform's service keeps a database open while it runs: one it
    // is writing, or reading in the way, is named and left as it is.
    for (const auto& path : databases)
        run.ItemCount += std::min(run.EmptyDatabaseTables(path, kActivityHistory), INT32_MAX - run.ItemCount);
}

}  // namespace klarvex
