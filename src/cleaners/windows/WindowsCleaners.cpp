// Cleaners of the Windows and Advanced categories.
// Each cleaner leaves what it counted or removed in ItemCount and the bytes
// of the files it handled in ItemBytes and ItemSizeText.

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
#include "engine/ProgressThread.h"
#include "platform/Folders.h"
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

}  // namespace

void TClearTaskThread::CleanRecentDocuments() {
    EndBrowserSession();
    const std::wstring recent = ShellFolderPath(CSIDL_RECENT);
    ItemCount = DeleteUserRegKey(ExplorerKey(L"RecentDocs"));
    // Without the folder there is nothing on disk to look at; an empty path
    // would make the walk start in the current folder.
    if (!recent.empty()) ItemBytes = ClearFilesByMask(recent, L"*.*", ItemCount, false);
    ItemSizeText = FormatKB(ItemBytes);
}

void TClearTaskThread::CleanStartRun() { ItemCount = DeleteUserRegKey(ExplorerKey(L"RunMRU")); }

void TClearTaskThread::CleanSearchAssistant() {
    ItemCount = DeleteUserRegKey(L"Software\\Microsoft\\Search Assistant\\ACMru");
}

void TClearTaskThread::CleanRecycleBin() {
    const bool logFiles = Settings.ShowLogRecycleBin;
    if (!IsTestRun() && !logFiles) AddPleaseWaitLine();

    for (wchar_t letter = L'c'; letter <= L'z'; ++letter) {
        const std::wstring root = std::wstring(1, letter) + L":\\";
        if (GetDriveTypeW(root.c_str()) != DRIVE_FIXED) continue;
        // A drive with the old layout is counted file by file; the shell's
        // emptying after that only tidies its own records of them.
        const bool recycled = HasRecycledFolder(root);
        const BinContent before = recycled ? BinContent{} : ShellRecycleBin(root);
        if (recycled) ClearRecycledFolder(root + L"Recycled", logFiles);
        // The shell lists no file of its bins: only the count is known.
        BinContent removed = before;
        if (!IsTestRun()) {
            SHEmptyRecycleBinW(nullptr, root.c_str(), SHERB_NOCONFIRMATION | SHERB_NOPROGRESSUI | SHERB_NOSOUND);
            const BinContent after = recycled ? BinContent{} : ShellRecycleBin(root);
            removed = {std::max<int64_t>(before.items - after.items, 0),
                       std::max<int64_t>(before.bytes - after.bytes, 0)};
        }
        ItemCount += static_cast<int32_t>(std::min<int64_t>(removed.items, INT32_MAX - ItemCount));
        ItemBytes += removed.bytes;
        ItemSizeText = FormatKB(ItemBytes);
    }
}

void TClearTaskThread::ClearRecycledFolder(const std::wstring& folder, bool logFiles) {
    const std::wstring inside = folder + L"\\";
    ForEachEntry(inside, [&](const FolderEntry& entry) {
        if (Terminated()) return false;
        if (entry.isFolder) {
            ItemBytes += ClearFolder(inside + entry.name, true, logFiles, L"", ItemCount);
        } else if (!IsRecycleBinFile(entry.name) && DeleteFileItem(inside, entry, logFiles)) {
            ++ItemCount;
            ItemBytes += entry.size;
            PostThrottledProgress(TotalCount + ItemCount);
        }
        return true;
    });
}

void TClearTaskThread::CleanTempFiles() {
    wchar_t buffer[254];
    const DWORD length = GetTempPathW(254, buffer);
    // A path that does not fit is not cut short into some other folder.
    if (length == 0 || length >= 254) return;
    ItemBytes = ClearFolder(std::wstring(buffer, length), false, true, L"", ItemCount);
    ItemSizeText = FormatKB(ItemBytes);
}

void TClearTaskThread::CleanClipboard() {
    if (IsTestRun()) return;
    if (!OpenClipboard(nullptr)) throw Exception(LoadText(IDS_CANNOT_OPEN_CLIPBOARD));
    EmptyClipboard();
    CloseClipboard();
}

void TClearTaskThread::CleanMemoryDumps() {
    const std::wstring windows = GetWindowsDir();
    if (windows.empty()) return;
    const std::wstring folder = WithBackslash(windows);
    // Exact names are matched letter for letter, and Windows writes its
    // dump as MEMORY.DMP: both spellings are asked for, so the real dump is
    // not missed (a folder can hold only one of them on Windows).
    ItemBytes = ClearFilesByMask(folder, L"memory.dmp", ItemCount, false);
    ItemBytes += ClearFilesByMask(folder, L"MEMORY.DMP", ItemCount, false);
    ItemBytes += ClearFilesByMask(folder + L"MiniDump", L"*.dmp", ItemCount, false);
    ItemSizeText = FormatKB(ItemBytes);
}

void TClearTaskThread::CleanChkdskFragments() {
    const std::wstring system = GetSystemDir();
    if (system.empty()) return;
    ItemBytes = ClearFilesByMask(system, L"File*.chk", ItemCount, false);
    ItemSizeText = FormatKB(ItemBytes);
}

void TClearTaskThread::CleanOpenFileHistory() {
    ItemCount = DeleteUserRegKey(ExplorerKey(L"ComDlg32\\OpenSaveMRU"));
}

void TClearTaskThread::CleanMenuOrderCache() { ItemCount = DeleteUserRegKey(ExplorerKey(L"MenuOrder")); }

void TClearTaskThread::CleanTrayNotifications() {
    const std::wstring key = ExplorerKey(L"TrayNotify");
    ItemCount += DeleteUserRegValues(key, L"IconStreams");
    ItemCount += DeleteUserRegValues(key, L"PastIconsStream");
}

void TClearTaskThread::CleanUserAssist() {
    ItemCount = DeleteUserRegKey(ExplorerKey(L"UserAssist\\{5E6AB780-7743-11CF-A12B-00AA004AE837}\\Count"));
    ItemCount += DeleteUserRegKey(ExplorerKey(L"UserAssist\\{75048700-EF1F-11D0-9888-006097DEACF9}\\Count"));
    // Windows 7 and later: programs run, and shortcuts started. Explorer
    // keeps these Count keys and writes into them while it runs.
    ItemCount += DeleteUserRegValues(ExplorerKey(L"UserAssist\\{CEBFF5CD-ACE2-4F4F-9178-9926F41749EA}\\Count"), L"");
    ItemCount += DeleteUserRegValues(ExplorerKey(L"UserAssist\\{F4E57C4B-2036-45F0-A9AB-443BCFE33D9F}\\Count"), L"");
}

void TClearTaskThread::CleanPaintRecent() {
    ItemCount = DeleteUserRegKey(L"Software\\Microsoft\\Windows\\CurrentVersion\\Applets\\Paint\\Recent File List");
}

}  // namespace klarvex
