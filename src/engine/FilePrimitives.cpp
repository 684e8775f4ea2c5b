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

#include "base/Format.h"
#include "base/Handles.h"
#include "base/PathText.h"
#include "base/Strings.h"
#include "base/Texts.h"
#include "engine/ProgressThread.h"
#include "platform/Folders.h"
#include "platform/SafetyGuard.h"
#include "platform/SystemLookups.h"
#include "settings/Global.h"

namespace klarvex {

namespace {

constexpr DWORD kWipeBlock = 4096;

// The folder arguments the walks accept: absolute, and not the bare "\".
// A relative text would be taken from the current drive or folder.
bool IsWalkableFolder(const std::wstring& folder) {
    return folder != L"\\" && IsAbsolutePath(WithBackslash(folder)) && IsPlainFolder(folder);
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

// Whether a file's deletion gets a log line of its own.
bool DeletionLogged(bool logIt) { return logIt && !Settings.FastScan; }

}  // namespace

struct TClearTaskThread::MaskWalk {
    std::vector<FileMask> masks;  // a file that fits any of them goes
    bool recurse = false;
    bool removeFolders = false;   // the folders left empty go too
    SpareEntry spare;             // may be empty
    Reach reach = Reach::Named;   // how the rule came to the walk's own folder
    bool judgeFolders = true;     // folders on the way may be protected ones
};

struct TClearTaskThread::FolderWalk {
    bool logIt = true;
    std::wstring excludeName;       // a file of this name (any case) stays
    std::wstring excludeTextUpper;  // a file whose upper-case name holds this stays
    bool stopOnTerminate = true;    // the walk ends when the run is cancelled
    bool progressWithTotal = true;  // progress carries TotalCount + counter
    Reach reach = Reach::Named;     // how the rule came to the walk's own folder
    bool judgeFolders = true;       // folders on the way may be protected ones
};

const TSafetyGuard& TClearTaskThread::Guard() {
    if (!guard_) guard_ = std::make_shared<const TSafetyGuard>();
    return *guard_;
}

bool TClearTaskThread::DeleteFileItem(const std::wstring& path, bool logIt) {
    return RemoveFile(path, logIt, std::nullopt);
}

bool TClearTaskThread::DeleteFileItem(const std::wstring& folder, const FolderEntry& entry, bool logIt) {
    // A Test that names no file has no use for its path.
    if (IsTestRun() && !DeletionLogged(logIt)) return true;
    return RemoveFile(folder + entry.name, logIt, entry.attributes);
}

bool TClearTaskThread::RemoveFile(const std::wstring& path, bool logIt, std::optional<DWORD> listedAttributes) {
    if (DeletionLogged(logIt)) {
        AddLog(deletingLinePrefix_ + path);
        ScrollLog(50);
    }
    if (IsTestRun()) return true;

    // The shell expands wildcards and deletes folders whole (under Wine a
    // folder link takes its target with it): this deletes one file only.
    if (path.find_first_of(L"*?") != std::wstring::npos) return false;
    const DWORD attributes = listedAttributes ? *listedAttributes : GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return false;

    if (Settings.OverwriteFile && !IsFileLocked(path)) WipeFile(path, Settings.OverwriteNumber);
    if (ShellDelete(path, shellErrorUi_)) return true;

    // Windows' shell deletes read-only files, Wine's refuses them: clear
    // the flag and try once more, and put it back if that fails too.
    if (!(attributes & FILE_ATTRIBUTE_READONLY)) return false;
    // The flag belongs to the file, not to this name: a file with a second
    // name (hard link) gets it back, through a handle that outlives the
    // name, once this name is gone.
    FileHandle file(CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    BY_HANDLE_FILE_INFORMATION info;
    if (!file || !GetFileInformationByHandle(file.Get(), &info)) return false;
    const DWORD writable = attributes & ~DWORD{FILE_ATTRIBUTE_READONLY};
    if (!SetFileAttributesW(path.c_str(), writable ? writable : FILE_ATTRIBUTE_NORMAL)) return false;
    if (!ShellDelete(path, shellErrorUi_)) {
        SetFileAttributesW(path.c_str(), attributes);
        return false;
    }
    if (info.nNumberOfLinks > 1) {
        FILE_BASIC_INFO basic = {};  // times of 0 stay as they are
        basic.FileAttributes = attributes;
        SetFileInformationByHandle(file.Get(), FileBasicInfo, &basic, sizeof(basic));
    }
    return true;
}

bool TClearTaskThread::RemoveAtNextStart(const std::wstring& path) {
    if (UserIsAdmin() && (IsTestRun() || DeleteAtReboot(path))) return true;
    AddLog(LogPrefix + LoadText(IDS_LEFT_IN_USE) + L" " + path);
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

namespace {

// The mask of a set that takes the most, for the questions: one that takes
// every name, else one with a wildcard, else the first.
const FileMask& WidestMask(const std::vector<FileMask>& masks) {
    for (const auto& mask : masks)
        if (mask.MatchesEveryName()) return mask;
    for (const auto& mask : masks)
        if (mask.EmptyOrWildcard()) return mask;
    return masks.front();
}

}  // namespace

bool TClearTaskThread::ConfirmFolder(const std::wstring& folder, const FileMask* mask, bool recurse, Reach reach) {
    // A Test in the window lists what a Clean would take once the user
    // says Yes; the command line, which never asks, lists what it would.
    if (IsTestRun() && !keepProtectedFolders_) return true;
    TSafetyGuard::Protection protection = Guard().ProtectionOf(folder);
    if (reach == Reach::ThroughProtected) protection.folder = true;
    // Whether the walk would take every file there is, or go down the tree.
    const bool everything = !mask || mask->MatchesEveryName();
    if (protection.Any() && (everything || recurse)) {
        if (keepProtectedFolders_) {
            Host().ShowNotice(LoadText(IDS_KEPT_PROTECTED_FOLDER) + folder, L"");
            return false;
        }
        const bool files = protection.askForFiles && mask;
        return Host().AskYesNo(LoadText(files ? IDS_ASK_DELETE_FILES_ON : IDS_ASK_DELETE_ALL_UNDER) + folder + L"?");
    }
    if (IsTestRun()) return true;
    // Files named in a protected folder: asked about where the window has
    // always asked.
    if (protection.driveRoot && mask->EmptyOrWildcard())
        return Host().AskYesNo(LoadText(IDS_ASK_DELETE_ALL_UNDER) + folder + L"?");
    if (protection.askForFiles) return Host().AskYesNo(LoadText(IDS_ASK_DELETE_FILES_ON) + folder + L"?");
    return true;
}

// A folder left empty by a walk goes, unless no rule may remove it (a walk
// whose folders need no judging has none on its way: below a folder that
// holds no protected one, links never followed, there is none).
void TClearTaskThread::RemoveEmptiedFolder(const std::wstring& folder, bool judge) {
    if (IsTestRun() || (judge && Guard().ProtectionOf(folder).Any())) return;
    // Fails without effect while anything is left inside.
    RemoveDirectoryW(folder.c_str());
}

int64_t TClearTaskThread::WalkFolder(const std::wstring& folderText, bool removeFolder, const FolderWalk& walk,
                                     int32_t& counter) {
    if ((walk.stopOnTerminate && Terminated()) || !IsWalkableFolder(folderText)) return 0;
    const std::wstring folder = WithBackslash(folderText);
    if (walk.judgeFolders && !ConfirmFolder(folder, nullptr, true, walk.reach)) return 0;

    FolderWalk below = walk;
    below.reach = Reach::Named;
    below.judgeFolders = walk.judgeFolders && Guard().HoldsProtected(folder);
    int64_t bytes = 0;
    ForEachEntry(folder, [&](const FolderEntry& entry) {
        if (walk.stopOnTerminate && Terminated()) return false;
        if (entry.isFolder) {
            bytes += WalkFolder(folder + entry.name, true, below, counter);
            return true;
        }
        if (!walk.excludeName.empty() && SameText(entry.name, walk.excludeName)) return true;
        if (!walk.excludeTextUpper.empty() && UpperCase(entry.name).find(walk.excludeTextUpper) != std::wstring::npos)
            return true;
        if (!DeleteFileItem(folder, entry, walk.logIt)) return true;
        ++counter;
        bytes += entry.size;
        PostThrottledProgress(walk.progressWithTotal ? counter + TotalCount : counter);
        return true;
    });
    if (removeFolder) RemoveEmptiedFolder(folder, walk.judgeFolders);
    return bytes;
}

int64_t TClearTaskThread::ClearFolder(const std::wstring& folder, bool removeFolder, bool logIt,
                                      const std::wstring& excludeName, int32_t& counter, Reach reach) {
    FolderWalk walk;
    walk.logIt = logIt;
    walk.excludeName = excludeName;
    walk.reach = reach;
    return WalkFolder(folder, removeFolder, walk, counter);
}

int64_t TClearTaskThread::ClearFolderExcept(const std::wstring& folder, bool removeFolder, int32_t& counter,
                                            const std::wstring& excludeText) {
    FolderWalk walk;
    walk.excludeTextUpper = UpperCase(excludeText);
    walk.stopOnTerminate = false;
    walk.progressWithTotal = false;
    return WalkFolder(folder, removeFolder, walk, counter);
}

int64_t TClearTaskThread::ClearFilesByMask(const std::wstring& folder, const std::wstring& mask, int32_t& counter,
                                           bool recurse, Reach reach) {
    MaskWalk walk;
    walk.masks.emplace_back(mask, UpperCase(mask));
    walk.recurse = recurse;
    walk.reach = reach;
    return WalkMask(folder, walk, counter);
}

int64_t TClearTaskThread::ClearMatchingFiles(const std::wstring& folder, std::vector<FileMask> masks, bool recurse,
                                             bool removeFolders, const SpareEntry& spare, int32_t& counter,
                                             Reach reach) {
    if (masks.empty()) return 0;
    return WalkMask(folder, MaskWalk{std::move(masks), recurse, removeFolders, spare, reach}, counter);
}

int64_t TClearTaskThread::ClearFilesByMasks(const std::wstring& folder, std::initializer_list<const wchar_t*> masks,
                                            int32_t& counter, bool recurse) {
    int64_t bytes = 0;
    for (const wchar_t* mask : masks) bytes += ClearFilesByMask(folder, mask, counter, recurse);
    return bytes;
}

void TClearTaskThread::ClearItemFiles(const std::wstring& folder, std::initializer_list<const wchar_t*> masks,
                                      bool recurse) {
    if (folder.empty()) return;
    for (const wchar_t* mask : masks) ItemBytes += ClearFilesWithJournals(folder, {mask}, ItemCount, recurse);
    ItemSizeText = FormatKB(ItemBytes);
}

int64_t TClearTaskThread::ClearFilesWithJournals(const std::wstring& folder, const std::vector<std::wstring>& names,
                                                 int32_t& counter, bool recurse) {
    // SQLite keeps a database's journal beside it, named after it. One left
    // behind would be applied to the next database of that name: rows come
    // back, or the file is damaged. Files that are no database have none.
    MaskWalk walk;
    for (const auto& name : names) {
        for (const wchar_t* journal : {L"", L"-wal", L"-shm", L"-journal"}) {
            const std::wstring mask = name + journal;
            walk.masks.emplace_back(mask, UpperCase(mask));
        }
    }
    walk.recurse = recurse;
    return WalkMask(folder, walk, counter);
}

int64_t TClearTaskThread::WalkMask(const std::wstring& folderText, const MaskWalk& walk, int32_t& counter) {
    if (Terminated() || !IsWalkableFolder(folderText)) return 0;
    const std::wstring folder = WithBackslash(folderText);
    if (walk.judgeFolders && !ConfirmFolder(folder, &WidestMask(walk.masks), walk.recurse, walk.reach)) return 0;

    MaskWalk below = walk;
    below.reach = Reach::Named;
    below.judgeFolders = walk.judgeFolders && walk.recurse && Guard().HoldsProtected(folder);
    int64_t bytes = 0;
    ForEachEntry(folder, [&](const FolderEntry& entry) {
        if (Terminated()) return false;
        if (walk.spare && walk.spare(folder, entry.name, entry.isFolder)) return true;
        if (entry.isFolder) {
            if (walk.recurse) bytes += WalkMask(folder + entry.name, below, counter);
            return true;
        }
        if (!FitsAnyMask(walk.masks, entry.name, UpperCase(entry.name)) || !DeleteFileItem(folder, entry, true))
            return true;
        ++counter;
        bytes += entry.size;
        PostThrottledProgress(counter);
        return true;
    });
    if (walk.removeFolders) RemoveEmptiedFolder(folder, walk.judgeFolders);
    return bytes;
}

}  // namespace klarvex
