// Removal of files and folders: one file, a folder tree, the files of a
// folder that match a mask, a folder tree with a name filter, and the
// overwriting of a file before it goes.
//
// The walks never follow a reparse point. On Windows a junction or folder
// link leads somewhere else on the disk; under Wine a Unix symlink shows
// as one, and every delete through it acts on its target. Skipping them is
// the only choice that is safe on both: nothing outside the folder named by
// the caller is ever counted, deleted or overwritten.

#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <chrono>
#include <random>
#include <vector>

#include "base/Handles.h"
#include "base/Strings.h"
#include "base/Texts.h"
#include "engine/ProgressThread.h"
#include "engine/RuleText.h"
#include "engine/SystemLookups.h"
#include "settings/Global.h"

namespace klarvex {

namespace {

constexpr DWORD kWipeBlock = 4096;

bool IsLink(DWORD attributes) { return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0; }

// A real folder: present, a directory, not a link to one.
bool IsPlainFolder(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) && !IsLink(attributes);
}

// The folder arguments the walks accept: absolute, and not the bare "\".
// A relative text would be taken from the current drive or folder.
bool IsWalkableFolder(const std::wstring& folder) {
    return folder != L"\\" && IsAbsolutePath(WithBackslash(folder)) && IsPlainFolder(folder);
}

// The folder as the system resolves it ("C:\Windows\.." is the drive
// root), for the confirmations only; the walk and its log keep the text.
std::wstring ResolvedFolder(const std::wstring& folder) {
    wchar_t buffer[MAX_PATH * 2];
    const DWORD length = GetFullPathNameW(folder.c_str(), MAX_PATH * 2, buffer, nullptr);
    if (length == 0 || length >= MAX_PATH * 2) return folder;
    return WithBackslash(std::wstring(buffer, length));
}

bool SameText(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()), TRUE) ==
           CSTR_EQUAL;
}

int64_t EntrySize(const WIN32_FIND_DATAW& data) {
    return static_cast<int64_t>((uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow);
}

bool IsDotEntry(const wchar_t* name) {
    return name[0] == L'.' && (name[1] == L'\0' || (name[1] == L'.' && name[2] == L'\0'));
}

FindHandle FindFirst(const std::wstring& folder, WIN32_FIND_DATAW& data) {
    return FindHandle(FindFirstFileExW((folder + L"*").c_str(), FindExInfoBasic, &data, FindExSearchNameMatch,
                                       nullptr, FIND_FIRST_EX_LARGE_FETCH));
}

bool ShellDelete(const std::wstring& path, bool errorUi) {
    std::wstring from = path;
    from.push_back(L'\0');  // the list ends in two NULs; c_str adds the second
    SHFILEOPSTRUCTW operation = {};
    operation.wFunc = FO_DELETE;
    operation.pFrom = from.c_str();
    operation.fFlags = FOF_SILENT | FOF_NOCONFIRMATION | (errorUi ? 0 : FOF_NOERRORUI);
    return SHFileOperationW(&operation) == 0 && !operation.fAnyOperationsAborted;
}

}  // namespace

struct TClearTaskThread::FolderWalk {
    bool logIt = true;
    std::wstring excludeName;       // a file of this name (any case) stays
    std::wstring excludeTextUpper;  // a file whose upper-case name holds this stays
    bool stopOnTerminate = true;    // the walk ends when the run is cancelled
    bool progressWithTotal = true;  // progress carries TotalCount + counter
    std::wstring myDocuments;       // for the confirmations (Clean runs only)
};

bool TClearTaskThread::DeleteFileItem(const std::wstring& path, bool logIt) {
    if (logIt && !Settings.FastScan) {
        AddLog(LogPrefix + LoadText(IDS_DELETING) + L" " + path);
        ScrollLog(50);
    }
    if (IsTestRun()) return true;

    // The shell expands wildcards and deletes folders whole (under Wine a
    // folder link takes its target with it): this deletes one file only.
    if (path.find_first_of(L"*?") != std::wstring::npos) return false;
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return false;

    if (Settings.OverwriteFile && !IsFileLocked(path)) WipeFile(path, Settings.OverwriteNumber);
    if (ShellDelete(path, shellErrorUi_)) return true;

    // Windows' shell deletes read-only files, Wine's refuses them: clear
    // the flag and try once more, and put it back if that fails too.
    if (!(attributes & FILE_ATTRIBUTE_READONLY)) return false;
    const DWORD writable = attributes & ~DWORD{FILE_ATTRIBUTE_READONLY};
    if (!SetFileAttributesW(path.c_str(), writable ? writable : FILE_ATTRIBUTE_NORMAL)) return false;
    if (ShellDelete(path, shellErrorUi_)) return true;
    SetFileAttributesW(path.c_str(), attributes);
    return false;
}

void TClearTaskThread::WipeFile(const std::wstring& path, int32_t passes) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) || IsLink(attributes)) return;

    std::mt19937 random(static_cast<unsigned>(std::chrono::steady_clock::now().time_since_epoch().count()));
    std::uniform_int_distribution<int> byteValue(0, 254);
    std::vector<BYTE> block(kWipeBlock);
    for (int32_t pass = 0; pass < passes; ++pass) {
        std::fill(block.begin(), block.end(), static_cast<BYTE>(byteValue(random)));
        FileHandle file(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
        if (!file) return;
        // A file with a second name (hard link) keeps its content: the
        // other name is not ours to overwrite. Nor is a link's target.
        BY_HANDLE_FILE_INFORMATION info;
        if (!GetFileInformationByHandle(file.Get(), &info)) return;
        if (info.nNumberOfLinks > 1 || IsLink(info.dwFileAttributes)) return;
        const uint64_t size = (uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow;
        for (uint64_t done = 0; done < size;) {
            const DWORD chunk = static_cast<DWORD>(std::min<uint64_t>(kWipeBlock, size - done));
            DWORD written = 0;
            if (!WriteFile(file.Get(), block.data(), chunk, &written, nullptr) || written != chunk) return;
            done += chunk;
        }
        FlushFileBuffers(file.Get());
    }
}

bool TClearTaskThread::ConfirmFolder(const std::wstring& folder, const std::wstring& myDocuments, bool masked,
                                     bool anyFileMask) {
    if (IsTestRun()) return true;
    const std::wstring resolved = ResolvedFolder(folder);
    const bool driveRoot = IsDriveRootText(folder) || IsDriveRootText(resolved);
    const bool documents = !myDocuments.empty() && (SameText(resolved, myDocuments) || SameText(folder, myDocuments) ||
                                                    SameText(resolved, myDocuments + L"My Pictures\\") ||
                                                    SameText(folder, myDocuments + L"My Pictures\\"));
    if (driveRoot && (!masked || anyFileMask))
        return Host().AskYesNo(LoadText(IDS_ASK_DELETE_ALL_UNDER) + folder + L"?");
    if (documents)
        return Host().AskYesNo(LoadText(masked ? IDS_ASK_DELETE_FILES_ON : IDS_ASK_DELETE_ALL_UNDER) + folder + L"?");
    return true;
}

int64_t TClearTaskThread::WalkFolder(const std::wstring& folderText, bool removeFolder, const FolderWalk& walk,
                                     int32_t& counter) {
    if ((walk.stopOnTerminate && Terminated()) || !IsWalkableFolder(folderText)) return 0;
    const std::wstring folder = WithBackslash(folderText);
    if (!ConfirmFolder(folder, walk.myDocuments, false, false)) return 0;

    int64_t bytes = 0;
    WIN32_FIND_DATAW data;
    FindHandle find = FindFirst(folder, data);
    if (find) {
        do {
            if (walk.stopOnTerminate && Terminated()) break;
            if (IsDotEntry(data.cFileName)) continue;
            const std::wstring name = data.cFileName;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                if (!IsLink(data.dwFileAttributes)) bytes += WalkFolder(folder + name, true, walk, counter);
                continue;
            }
            if (!walk.excludeName.empty() && SameText(name, walk.excludeName)) continue;
            if (!walk.excludeTextUpper.empty() && UpperCase(name).find(walk.excludeTextUpper) != std::wstring::npos)
                continue;
            if (!DeleteFileItem(folder + name, walk.logIt)) continue;
            ++counter;
            bytes += EntrySize(data);
            PostThrottledProgress(walk.progressWithTotal ? counter + TotalCount : counter);
        } while (FindNextFileW(find.Get(), &data));
    }
    find.Reset();
    // Fails without effect while anything is left inside.
    if (!IsTestRun() && removeFolder) RemoveDirectoryW(folder.c_str());
    return bytes;
}

int64_t TClearTaskThread::ClearFolder(const std::wstring& folder, bool removeFolder, bool logIt,
                                      const std::wstring& excludeName, int32_t& counter) {
    FolderWalk walk;
    walk.logIt = logIt;
    walk.excludeName = excludeName;
    if (!IsTestRun()) walk.myDocuments = GetMyDocumentsDir();
    return WalkFolder(folder, removeFolder, walk, counter);
}

int64_t TClearTaskThread::ClearFolderExcept(const std::wstring& folder, bool removeFolder, int32_t& counter,
                                            const std::wstring& excludeText) {
    FolderWalk walk;
    walk.excludeTextUpper = UpperCase(excludeText);
    walk.stopOnTerminate = false;
    walk.progressWithTotal = false;
    if (!IsTestRun()) walk.myDocuments = GetMyDocumentsDir();
    return WalkFolder(folder, removeFolder, walk, counter);
}

int64_t TClearTaskThread::ClearFilesByMask(const std::wstring& folder, const std::wstring& mask, int32_t& counter,
                                           bool recurse) {
    return WalkMask(folder, FileMask(mask, UpperCase(mask)), counter, recurse);
}

int64_t TClearTaskThread::WalkMask(const std::wstring& folderText, const FileMask& mask, int32_t& counter,
                                   bool recurse) {
    if (Terminated() || !IsWalkableFolder(folderText)) return 0;
    const std::wstring folder = WithBackslash(folderText);
    if (!ConfirmFolder(folder, IsTestRun() ? std::wstring() : GetMyDocumentsDir(), true, mask.EmptyOrWildcard()))
        return 0;

    int64_t bytes = 0;
    WIN32_FIND_DATAW data;
    FindHandle find = FindFirst(folder, data);
    if (!find) return 0;
    do {
        if (Terminated()) break;
        if (IsDotEntry(data.cFileName)) continue;
        const std::wstring name = data.cFileName;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (recurse && !IsLink(data.dwFileAttributes)) bytes += WalkMask(folder + name, mask, counter, recurse);
            continue;
        }
        if (!mask.Matches(name, UpperCase(name))) continue;
        if (!DeleteFileItem(folder + name, true)) continue;
        ++counter;
        bytes += EntrySize(data);
        PostThrottledProgress(counter);
    } while (FindNextFileW(find.Get(), &data));
    return bytes;
}

}  // namespace klarvex
