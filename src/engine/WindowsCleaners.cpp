// Cleaners of the Windows and Advanced categories.
// Each cleaner leaves what it counted or removed in ItemCount and the bytes
// of the files it handled in ItemBytes and ItemSizeText.

#include <windows.h>

#include <shellapi.h>
#include <shlobj.h>

#include "base/Exception.h"
#include "base/Handles.h"
#include "base/Texts.h"
#include "engine/Format.h"
#include "engine/ProgressThread.h"
#include "engine/SystemLookups.h"
#include "engine/CleanerPaths.h"
#include "settings/Global.h"

namespace klarvex {

namespace {

const wchar_t kExplorerKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer";

std::wstring ExplorerKey(const wchar_t* subkey) { return std::wstring(kExplorerKey) + L"\\" + subkey; }

// The Windows or system folder; "" when the system cannot say.
std::wstring SystemFolder(UINT (WINAPI* lookup)(LPWSTR, UINT)) {
    wchar_t buffer[MAX_PATH];
    const UINT length = lookup(buffer, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::wstring(buffer, length) : std::wstring();
}

bool IsDotEntry(const wchar_t* name) {
    return name[0] == L'.' && (name[1] == 0 || (name[1] == L'.' && name[2] == 0));
}

// A folder that is a junction or link leads elsewhere and is never entered.
// A file marked as a link (Windows marks file links so) is handled like any
// file, as the folder walks do: deleting it removes the link alone, and the
// overwrite passes leave it alone.
bool IsFolderLink(DWORD attributes) {
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// The two files that make a folder the recycle bin of a drive; they stay.
bool IsRecycleBinFile(const wchar_t* name) {
    return CompareStringOrdinal(name, -1, L"desktop.ini", -1, TRUE) == CSTR_EQUAL ||
           CompareStringOrdinal(name, -1, L"info2", -1, TRUE) == CSTR_EQUAL;
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
    if (!IsTestRun() && !logFiles) AddLog(LoadText(IDS_CLEARING) + L", " + LoadText(IDS_PLEASE_WAIT));

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

        WIN32_FIND_DATAW entry;
        FindHandle find(FindFirstFileW((folder + L"\\*").c_str(), &entry));
        if (find) {
            do {
                if (Terminated()) break;
                if (IsDotEntry(entry.cFileName) || IsFolderLink(entry.dwFileAttributes)) continue;
                const std::wstring path = folder + L"\\" + entry.cFileName;
                if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                    bytes += ClearFolder(path, true, logFiles, L"", ItemCount);
                } else if (!IsRecycleBinFile(entry.cFileName) && DeleteFileItem(path, logFiles)) {
                    ++ItemCount;
                    bytes += static_cast<int64_t>((ULONGLONG{entry.nFileSizeHigh} << 32) | entry.nFileSizeLow);
                    PostThrottledProgress(TotalCount + ItemCount);
                }
            } while (FindNextFileW(find.Get(), &entry));
        }
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
    const std::wstring windows = SystemFolder(GetWindowsDirectoryW);
    if (windows.empty()) return;
    const std::wstring folder = windows.back() == L'\\' ? windows : windows + L"\\";
    // Exact names are matched letter for letter, and Windows writes its
    // dump as MEMORY.DMP: both spellings are asked for, so the real dump is
    // not missed (a folder can hold only one of them on Windows).
    ItemBytes = ClearFilesByMask(folder, L"memory.dmp", ItemCount, false);
    ItemBytes += ClearFilesByMask(folder, L"MEMORY.DMP", ItemCount, false);
    ItemBytes += ClearFilesByMask(folder + L"MiniDump", L"*.dmp", ItemCount, false);
    ItemSizeText = FormatKB(ItemBytes);
}

void TClearTaskThread::CleanChkdskFragments() {
    const std::wstring system = SystemFolder(GetSystemDirectoryW);
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
