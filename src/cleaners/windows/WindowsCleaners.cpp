// Cleaners of the Windows and Advanced categories.
// Each cleaner leaves what it counted or removed in ItemCount and the bytes
// of the files it handled in ItemBytes and ItemSizeText.

#include <windows.h>

#include <shellapi.h>
#include <shlobj.h>

#include "base/Exception.h"
#include "base/Format.h"
#include "base/Handles.h"
#include "base/PathText.h"
#include "base/Strings.h"
#include "base/Texts.h"
#include "engine/ProgressThread.h"
#include "platform/Folders.h"
#include "platform/SystemLookups.h"
#include "settings/Global.h"

namespace klarvex {

namespace {

const wchar_t kExplorerKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer";

std::wstring ExplorerKey(const wchar_t* subkey) { return std::wstring(kExplorerKey) + L"\\" + subkey; }

// The two files that make a folder the recycle bin of a drive; they stay.
bool IsRecycleBinFile(const std::wstring& name) { return SameText(name, L"desktop.ini") || SameText(name, L"info2"); }

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

    int64_t bytes = 0;
    for (wchar_t letter = L'c'; letter <= L'z'; ++letter) {
        const std::wstring root = std::wstring(1, letter) + L":\\";
        if (GetDriveTypeW(root.c_str()) != DRIVE_FIXED) continue;
        const std::wstring folder = root + L"Recycled";
        // A linked Recycled folder leads somewhere else: nothing there is ours.
        if (!IsPlainFolder(folder)) continue;
        if (GetFileAttributesW((folder + L"\\INFO2").c_str()) == INVALID_FILE_ATTRIBUTES ||
            GetFileAttributesW((folder + L"\\desktop.ini").c_str()) == INVALID_FILE_ATTRIBUTES)
            continue;

        ForEachEntry(folder + L"\\", [&](const FolderEntry& entry) {
            if (Terminated()) return false;
            const std::wstring path = folder + L"\\" + entry.name;
            if (entry.isFolder) {
                bytes += ClearFolder(path, true, logFiles, L"", ItemCount);
            } else if (!IsRecycleBinFile(entry.name) && DeleteFileItem(path, logFiles)) {
                ++ItemCount;
                bytes += entry.size;
                PostThrottledProgress(TotalCount + ItemCount);
            }
            return true;
        });
        ItemBytes = bytes;
        ItemSizeText = FormatKB(ItemBytes);
    }

    if (IsTestRun()) return;
    // Looked up at run time: a shell without it simply skips this step. What
    // the shell empties here is not counted.
    Module shell(LoadLibraryW(L"shell32.dll"));
    if (!shell) return;
    using EmptyRecycleBinFn = HRESULT(WINAPI*)(HWND, LPCSTR, DWORD);
    const auto emptyRecycleBin =
        reinterpret_cast<EmptyRecycleBinFn>(reinterpret_cast<void*>(GetProcAddress(shell.Get(), "SHEmptyRecycleBinA")));
    if (emptyRecycleBin) emptyRecycleBin(nullptr, "", SHERB_NOCONFIRMATION | SHERB_NOPROGRESSUI | SHERB_NOSOUND);
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
}

void TClearTaskThread::CleanPaintRecent() {
    ItemCount = DeleteUserRegKey(L"Software\\Microsoft\\Windows\\CurrentVersion\\Applets\\Paint\\Recent File List");
}

}  // namespace klarvex
