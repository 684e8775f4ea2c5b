// Cleaners of the Windows and Advanced categories.

#include "cleaners/windows/WindowsCleaners.h"

#include <windows.h>

#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdint>

#include "base/Exception.h"
#include "base/Format.h"
#include "base/Handles.h"
#include "base/PathText.h"
#include "base/Strings.h"
#include "base/Texts.h"
#include "cleaners/ShellKeys.h"
#include "engine/Catalogue.h"
#include "platform/Folders.h"
#include "platform/FreeSpaceWipe.h"
#include "platform/SystemLookups.h"
#include "settings/Global.h"

namespace klarvex {

namespace {

// The two files that make a folder the recycle bin of a drive; they stay.
bool IsRecycleBinFile(const std::wstring& name) { return SameText(name, L"desktop.ini") || SameText(name, L"info2"); }

// The recycle bin of Windows 95 to Me, and of XP on FAT drives: X:\Recycled
// with its INFO2 index.
bool HasRecycledFolder(const std::wstring& root) {
    const std::wstring folder = root + L"Recycled";
    // A linked Recycled folder leads somewhere else: nothing there is ours.
    return IsPlainFolder(folder) && GetFileAttributesW((folder + L"\\INFO2").c_str()) != INVALID_FILE_ATTRIBUTES &&
           GetFileAttributesW((folder + L"\\desktop.ini").c_str()) != INVALID_FILE_ATTRIBUTES;
}

// What the shell's recycle bin of a drive holds (today's X:\$Recycle.Bin\<user>,
// or RECYCLER on NTFS drives of XP); nothing when the shell cannot tell.
// Under Wine every root answers for the one bin there is, the caller's XDG
// trash, and emptying any root empties it all.
struct BinContent {
    int64_t items = 0;
    int64_t bytes = 0;
};
BinContent ShellRecycleBin(const std::wstring& root) {
    SHQUERYRBINFO info = {};
    info.cbSize = sizeof(info);
    if (FAILED(SHQueryRecycleBinW(root.c_str(), &info))) return {};
    return {info.i64NumItems, info.i64Size};
}

// The deleted files of a recycle bin in the layout of Windows 95 to Me
// and of XP on FAT drives (its own INFO2 and desktop.ini stay).
void ClearRecycledFolder(CleanerRun& run, const std::wstring& folder, bool logFiles) {
    const std::wstring inside = folder + L"\\";
    ForEachEntry(inside, [&](const FolderEntry& entry) {
        if (run.Terminated()) return false;
        if (entry.isFolder) {
            run.ItemBytes += run.ClearFolder(inside + entry.name, true, logFiles, L"", run.ItemCount);
        } else if (!IsRecycleBinFile(entry.name) && run.DeleteFileItem(inside, entry, logFiles)) {
            ++run.ItemCount;
            run.ItemBytes += entry.size;
            run.PostThrottledProgress(run.TotalCount + run.ItemCount);
        }
        return true;
    });
}

}  // namespace

void CleanRecentDocuments(CleanerRun& run) {
    EndBrowserSession();
    const std::wstring recent = ShellFolderPath(CSIDL_RECENT);
    run.ItemCount = run.DeleteUserRegKey(ExplorerKey(L"RecentDocs"));
    // Without the folder there is nothing on disk to look at; an empty path
    // would make the walk start in the current folder.
    if (!recent.empty()) run.ItemBytes = run.ClearFilesByMask(recent, L"*.*", run.ItemCount, false);
    run.ItemSizeText = FormatKB(run.ItemBytes);
}

void CleanStartRun(CleanerRun& run) { run.ItemCount = run.DeleteUserRegKey(ExplorerKey(L"RunMRU")); }

void CleanSearchAssistant(CleanerRun& run) {
    run.ItemCount = run.DeleteUserRegKey(L"Software\\Microsoft\\Search Assistant\\ACMru");
}

void CleanRecycleBin(CleanerRun& run) {
    const bool logFiles = Settings.ShowLogRecycleBin;
    if (!run.IsTestRun() && !logFiles) run.AddPleaseWaitLine();

    for (wchar_t letter = L'c'; letter <= L'z'; ++letter) {
        const std::wstring root = std::wstring(1, letter) + L":\\";
        if (GetDriveTypeW(root.c_str()) != DRIVE_FIXED) continue;
        // A drive with the old layout is counted file by file; the shell's
        // emptying after that only tidies its own records of them.
        const bool recycled = HasRecycledFolder(root);
        const BinContent before = recycled ? BinContent{} : ShellRecycleBin(root);
        if (recycled) ClearRecycledFolder(run, root + L"Recycled", logFiles);
        // The shell lists no file of its bins: only the count is known.
        BinContent removed = before;
        if (!run.IsTestRun()) {
            SHEmptyRecycleBinW(nullptr, root.c_str(), SHERB_NOCONFIRMATION | SHERB_NOPROGRESSUI | SHERB_NOSOUND);
            const BinContent after = recycled ? BinContent{} : ShellRecycleBin(root);
            removed = {std::max<int64_t>(before.items - after.items, 0),
                       std::max<int64_t>(before.bytes - after.bytes, 0)};
        }
        run.ItemCount += static_cast<int32_t>(std::min<int64_t>(removed.items, INT32_MAX - run.ItemCount));
        run.ItemBytes += removed.bytes;
        run.ItemSizeText = FormatKB(run.ItemBytes);
    }
}

void CleanTempFiles(CleanerRun& run) {
    wchar_t buffer[254];
    const DWORD length = GetTempPathW(254, buffer);
    // A path that does not fit is not cut short into some other folder.
    if (length == 0 || length >= 254) return;
    run.ItemBytes = run.ClearFolder(std::wstring(buffer, length), false, true, L"", run.ItemCount);
    run.ItemSizeText = FormatKB(run.ItemBytes);
}

void CleanClipboard(CleanerRun& run) {
    if (run.IsTestRun()) return;
    if (!OpenClipboard(nullptr)) throw Exception(LoadText(IDS_CANNOT_OPEN_CLIPBOARD));
    EmptyClipboard();
    CloseClipboard();
}

void CleanMemoryDumps(CleanerRun& run) {
    const std::wstring windows = GetWindowsDir();
    if (windows.empty()) return;
    const std::wstring folder = WithBackslash(windows);
    // Exact names are matched letter for letter, and Windows writes its
    // dump as MEMORY.DMP: both spellings are asked for, so the real dump is
    // not missed (a folder can hold only one of them on Windows).
    run.ItemBytes = run.ClearFilesByMask(folder, L"memory.dmp", run.ItemCount, false);
    run.ItemBytes += run.ClearFilesByMask(folder, L"MEMORY.DMP", run.ItemCount, false);
    run.ItemBytes += run.ClearFilesByMask(folder + L"MiniDump", L"*.dmp", run.ItemCount, false);
    run.ItemSizeText = FormatKB(run.ItemBytes);
}

void CleanChkdskFragments(CleanerRun& run) {
    const std::wstring system = GetSystemDir();
    if (system.empty()) return;
    run.ItemBytes = run.ClearFilesByMask(system, L"File*.chk", run.ItemCount, false);
    run.ItemSizeText = FormatKB(run.ItemBytes);
}

void CleanOpenFileHistory(CleanerRun& run) {
    run.ItemCount = run.DeleteUserRegKey(ExplorerKey(L"ComDlg32\\OpenSaveMRU"));
}

void CleanMenuOrderCache(CleanerRun& run) { run.ItemCount = run.DeleteUserRegKey(ExplorerKey(L"MenuOrder")); }

void CleanTrayNotifications(CleanerRun& run) {
    const std::wstring key = ExplorerKey(L"TrayNotify");
    run.ItemCount += run.DeleteUserRegValues(key, L"IconStreams");
    run.ItemCount += run.DeleteUserRegValues(key, L"PastIconsStream");
}

void CleanUserAssist(CleanerRun& run) {
    run.ItemCount = run.DeleteUserRegKey(ExplorerKey(L"UserAssist\\{5E6AB780-7743-11CF-A12B-00AA004AE837}\\Count"));
    run.ItemCount += run.DeleteUserRegKey(ExplorerKey(L"UserAssist\\{75048700-EF1F-11D0-9888-006097DEACF9}\\Count"));
    // Windows 7 and later: programs run, and shortcuts started. Explorer
    // keeps these Count keys and writes into them while it runs.
    run.ItemCount += run.DeleteUserRegValues(ExplorerKey(L"UserAssist\\{CEBFF5CD-ACE2-4F4F-9178-9926F41749EA}\\Count"), L"");
    run.ItemCount += run.DeleteUserRegValues(ExplorerKey(L"UserAssist\\{F4E57C4B-2036-45F0-A9AB-443BCFE33D9F}\\Count"), L"");
}

void CleanPaintRecent(CleanerRun& run) {
    run.ItemCount = run.DeleteUserRegKey(L"Software\\Microsoft\\Windows\\CurrentVersion\\Applets\\Paint\\Recent File List");
}

void CleanWipeFreeSpace(CleanerRun& run) {
    const uint32_t drives = ChosenOrWindowsDrive(Settings.WipeDrives);
    std::vector<std::wstring> roots;
    for (const auto& root : FixedDriveRoots())
        if (drives & (1u << (root[0] - L'A'))) roots.push_back(root);
    if (roots.empty()) return;
    if (!run.IsTestRun()) {
        std::wstring warning = LoadText(IDS_WIPE_FREE_SPACE_WARNING);
        for (const auto& root : roots)
            if (IsSolidStateDrive(root).value_or(false)) warning += L" " + root + LoadText(IDS_WIPE_SOLID_STATE);
        if (!run.ConfirmDespiteWarning(DisplayItemName(L"Advanced - Wipe Free Space"), warning)) return;
    }
    for (const auto& root : roots) {
        if (run.Terminated()) return;
        run.WipeDriveFreeSpace(root);
    }
}

}  // namespace klarvex
