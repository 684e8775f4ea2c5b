// Removal of files and folders: one file, a folder tree, the files of a
// folder that match a mask, a folder tree with a name filter, and the
// overwriting of a file before it goes.
//
// The walks never follow a reparse point. On Windows a junction or folder
// link leads somewhere else on the disk; under Wine a Unix symlink shows
// as one, and every delete through it acts on its target. Skipping them is
// the only choice that is safe on both: nothing outside the folder named by
// the caller is ever counted, deleted or overwritten. A walk lists each
// folder through a handle it opened for it, enters a subfolder through
// that handle after checking it is the folder listed, and removes each
// file through a handle checked to be the file listed (FileRemoval.h): a
// name swapped for a link or a folder while the walk runs is passed over.

#include <windows.h>

#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

#include "base/Format.h"
#include "base/Handles.h"
#include "base/PathText.h"
#include "base/Strings.h"
#include "base/Texts.h"
#include "engine/CleanerRun.h"
#include "platform/FileRemoval.h"
#include "platform/Folders.h"
#include "platform/FreeSpaceWipe.h"
#include "platform/SafetyGuard.h"
#include "settings/Global.h"

namespace klarvex {

namespace {

// The folder arguments the walks accept: absolute, and not the bare "\".
// A relative text would be taken from the current drive or folder.
bool IsWalkableFolder(const std::wstring& folder) {
    return folder != L"\\" && IsAbsolutePath(WithBackslash(folder)) && IsPlainFolder(folder);
}

// The folder and the name of a file's path; nothing for a path without a
// folder.
std::optional<std::pair<std::wstring, std::wstring>> FolderAndName(const std::wstring& path) {
    const size_t slash = path.rfind(L'\\');
    if (slash == std::wstring::npos) return std::nullopt;
    return std::make_pair(path.substr(0, slash + 1), path.substr(slash + 1));
}

// Whether a file's deletion gets a log line of its own.
bool DeletionLogged(bool logIt) { return logIt && !Settings.FastScan; }

}  // namespace

struct CleanerRun::MaskWalk {
    std::vector<FileMask> masks;  // a file that fits any of them goes
    bool recurse = false;
    bool removeFolders = false;   // the folders left empty go too
    SpareEntry spare;             // may be empty
    Reach reach = Reach::Named;   // how the rule came to the walk's own folder
    bool judgeFolders = true;     // folders on the way may be protected ones
    bool sparePrograms = false;   // a folder of the system: no program file goes through a wildcard
};

struct CleanerRun::FolderWalk {
    bool logIt = true;
    std::wstring excludeName;       // a file of this name (any case) stays
    std::wstring excludeTextUpper;  // a file whose upper-case name holds this stays
    bool stopOnTerminate = true;    // the walk ends when the run is cancelled
    bool progressWithTotal = true;  // progress carries TotalCount + counter
    Reach reach = Reach::Named;     // how the rule came to the walk's own folder
    bool judgeFolders = true;       // folders on the way may be protected ones
};

const TSafetyGuard& CleanerRun::Guard() {
    if (!guard_) guard_ = std::make_shared<const TSafetyGuard>();
    return *guard_;
}

bool CleanerRun::DeleteFileItem(const std::wstring& path, bool logIt) {
    const auto parts = FolderAndName(path);
    // A wildcard names no one file, and neither does a path without one.
    if (!parts || HasWildcard(path)) return false;
    return RemoveFile(parts->first, parts->second, logIt, nullptr);
}

bool CleanerRun::DeleteFileItem(const std::wstring& folder, const FolderEntry& entry, bool logIt) {
    // A Test that names no file has no use for its path.
    if (IsTestRun() && !DeletionLogged(logIt)) return true;
    return RemoveFile(folder, entry.name, logIt, entry.folder);
}

bool CleanerRun::RemoveFile(const std::wstring& folder, const std::wstring& name, bool logIt,
                                  const OpenedFolder* opened) {
    if (!IsWindowsName(name)) {
        PassOver(folder + name);
        return false;
    }
    if (DeletionLogged(logIt)) {
        LogEntry(deletingLinePrefix_, folder + name);
        ScrollLog(50);
    }
    if (IsTestRun()) return true;
    std::optional<OpenedFolder> own;
    if (!opened) {
        own = OpenedFolder::Open(folder);
        if (!own) return false;
        opened = &*own;
    }
    const int32_t passes = Settings.OverwriteFile ? static_cast<int32_t>(Settings.OverwriteNumber) : 0;
    FileRemoval removal;
    if (shredding_) {
        const Shredding shredding = ShredFileEntry(*opened, folder, name, passes);
        removal = shredding.removal;
        // Whoever destroys files learns of each that stays.
        if (removal == FileRemoval::Removed && !shredding.overwritten)
            AddLog(LogPrefix + LoadText(IDS_NOT_OVERWRITTEN) + L" " + folder + name);
        if (removal == FileRemoval::Failed) AddLog(LogPrefix + LoadText(IDS_LEFT_IN_USE) + L" " + folder + name);
    } else {
        removal = RemoveFileEntry(*opened, name, passes);
    }
    switch (removal) {
        case FileRemoval::Removed: return true;
        case FileRemoval::NotAsListed: PassOver(folder + name); return false;
        case FileRemoval::Missing:
        case FileRemoval::Failed: break;
    }
    return false;
}

void CleanerRun::PassOver(const std::wstring& path) {
    if (Settings.FastScan) return;
    AddLog(LogPrefix + LoadText(IDS_PASSED_OVER) + L" " + path);
    ScrollLog(50);
}

bool CleanerRun::RemoveAtNextStart(const std::wstring& path) {
    if (UserIsAdmin() && (IsTestRun() || DeleteAtReboot(path))) return true;
    AddLog(LogPrefix + LoadText(IDS_LEFT_IN_USE) + L" " + path);
    return false;
}

void CleanerRun::WipeFile(const std::wstring& path, int32_t passes) {
    const auto parts = FolderAndName(path);
    if (!parts) return;
    if (const auto folder = OpenedFolder::Open(parts->first)) OverwriteFileEntry(*folder, parts->second, passes);
}

namespace {

// The walk may take every file there is: no mask, or one that takes every
// name.
bool TakesEverything(const std::vector<FileMask>* masks) {
    return !masks ||
           std::any_of(masks->begin(), masks->end(), [](const FileMask& mask) { return mask.MatchesEveryName(); });
}

bool AnyWildcard(const std::vector<FileMask>& masks) {
    return std::any_of(masks.begin(), masks.end(), [](const FileMask& mask) { return mask.EmptyOrWildcard(); });
}

// Names only files of a kind the user does not keep (IsNarrowMask): a
// set is judged as a whole, so "*a*;*e*;*i*" counts as what it is.
bool AllNarrow(const std::vector<FileMask>& masks) {
    return std::all_of(masks.begin(), masks.end(), [](const FileMask& mask) { return IsNarrowMask(mask.Text()); });
}

// A program or system file in a folder of the system is taken only when a
// mask names it exactly, never through a wildcard.
bool SparedProgramFile(const std::vector<FileMask>& masks, const std::wstring& name, const std::wstring& upperName) {
    if (!IsProgramFileName(upperName)) return false;
    return std::none_of(masks.begin(), masks.end(), [&](const FileMask& mask) {
        return !mask.EmptyOrWildcard() && mask.Matches(name, upperName);
    });
}

}  // namespace

bool CleanerRun::ConfirmFolder(const std::wstring& folder, const std::vector<FileMask>* masks, bool recurse,
                                     Reach reach) {
    // A Test in the window lists what a Clean would take once the user
    // says Yes; the command line, which never asks, lists what it would.
    if (IsTestRun() && !keepProtectedFolders_) return true;
    TSafetyGuard::Protection protection = Guard().ProtectionOf(folder);
    if (reach == Reach::ThroughProtected) protection.folder = true;
    // Whether the walk would take every file there is, or go down the tree.
    if (protection.Any() && (TakesEverything(masks) || recurse)) {
        if (keepProtectedFolders_) {
            Host().ShowNotice(LoadText(IDS_KEPT_PROTECTED_FOLDER) + folder, L"");
            return false;
        }
        const bool files = protection.askForFiles && masks;
        return Host().AskYesNo(LoadText(files ? IDS_ASK_DELETE_FILES_ON : IDS_ASK_DELETE_ALL_UNDER, {folder}));
    }
    if (IsTestRun()) return true;
    // Files named in a protected folder: asked about where the window has
    // always asked, and wherever the masks may take what the user keeps.
    if (protection.driveRoot && AnyWildcard(*masks))
        return Host().AskYesNo(LoadText(IDS_ASK_DELETE_ALL_UNDER, {folder}));
    if (protection.askForFiles || (protection.Any() && !AllNarrow(*masks)))
        return Host().AskYesNo(LoadText(IDS_ASK_DELETE_FILES_ON, {folder}));
    return true;
}

// A folder left empty by a walk goes, unless no rule may remove it (a walk
// whose folders need no judging has none on its way: below a folder that
// holds no protected one, links never followed, there is none).
void CleanerRun::RemoveEmptiedFolder(const OpenedFolder& opened, const std::wstring& folder, bool judge) {
    if (IsTestRun() || (judge && Guard().ProtectionOf(folder).Any())) return;
    // Fails without effect while anything is left inside.
    RemoveEmptyFolder(opened);
}

std::optional<OpenedFolder> CleanerRun::EnterSubfolder(const OpenedFolder& parent, const std::wstring& folder,
                                                             const std::wstring& name) {
    auto opened = parent.OpenSubfolder(name);
    if (!opened) PassOver(folder + name);
    return opened;
}

int64_t CleanerRun::WalkFolder(const std::wstring& folderText, bool removeFolder, const FolderWalk& walk,
                                     int32_t& counter) {
    if ((walk.stopOnTerminate && Terminated()) || !IsWalkableFolder(folderText)) return 0;
    const std::wstring folder = WithBackslash(folderText);
    if (walk.judgeFolders && !ConfirmFolder(folder, nullptr, true, walk.reach)) return 0;
    const auto opened = OpenedFolder::Open(folder);
    return opened ? WalkOpenedFolder(*opened, folder, removeFolder, walk, counter) : 0;
}

int64_t CleanerRun::WalkOpenedFolder(const OpenedFolder& opened, const std::wstring& folder, bool removeFolder,
                                           const FolderWalk& walk, int32_t& counter) {
    FolderWalk below = walk;
    below.reach = Reach::Named;
    below.judgeFolders = walk.judgeFolders && Guard().HoldsProtected(folder);
    int64_t bytes = 0;
    const auto passOver = [&](const std::wstring& name) { PassOver(folder + name); };
    ForEachEntry(opened, [&](const FolderEntry& entry) {
        if (walk.stopOnTerminate && Terminated()) return false;
        if (entry.isFolder) {
            const std::wstring subfolder = folder + entry.name + L"\\";
            if (below.judgeFolders && !ConfirmFolder(subfolder, nullptr, true, below.reach)) return true;
            if (const auto sub = EnterSubfolder(opened, folder, entry.name))
                bytes += WalkOpenedFolder(*sub, subfolder, true, below, counter);
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
    }, passOver);
    if (removeFolder) RemoveEmptiedFolder(opened, folder, walk.judgeFolders);
    return bytes;
}

int64_t CleanerRun::ClearFolder(const std::wstring& folder, bool removeFolder, bool logIt,
                                      const std::wstring& excludeName, int32_t& counter, Reach reach) {
    FolderWalk walk;
    walk.logIt = logIt;
    walk.excludeName = excludeName;
    walk.reach = reach;
    return WalkFolder(folder, removeFolder, walk, counter);
}

void CleanerRun::ShredPath(const std::wstring& pathText) {
    const std::wstring path = WithoutTrailingBackslash(pathText);
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (!IsAbsolutePath(path) || attributes == INVALID_FILE_ATTRIBUTES) {
        Host().ShowNotice(LoadText(IDS_NOT_SHREDDED_MISSING) + path, L"");
        return;
    }
    const bool folder = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    // A drive's root is the drive, whatever Wine shows of it.
    if (folder && (!IsLink(attributes) || IsRootFolder(WithBackslash(path)))) {
        const std::wstring withBackslash = WithBackslash(path);
        if (Guard().ProtectionOf(withBackslash).Any() || Guard().HoldsProtected(withBackslash)) {
            Host().ShowNotice(LoadText(IDS_NOT_SHREDDED_PROTECTED) + path, L"");
            return;
        }
    }
    const auto folderAndName = FolderAndName(path);
    const auto parent = folderAndName ? OpenedFolder::Open(folderAndName->first) : std::nullopt;
    if (!parent) {
        Host().ShowNotice(LoadText(IDS_NOT_SHREDDED_MISSING) + path, L"");
        return;
    }
    const auto& [parentPath, name] = *folderAndName;
    if (IsLink(attributes)) {
        // Of a link only the link goes, where the system shows it as one.
        if (IsTestRun() || RemoveLinkEntry(*parent, name) == FileRemoval::Removed) ++ItemCount;
        else Host().ShowNotice(LoadText(IDS_NOT_SHREDDED_LINK) + path, L"");
        return;
    }
    shredding_ = true;
    if (folder) {
        FolderWalk walk;
        walk.judgeFolders = false;  // holds no protected folder: judged above
        if (const auto opened = parent->OpenSubfolder(name))
            ItemBytes += WalkOpenedFolder(*opened, WithBackslash(path), true, walk, ItemCount);
    } else if (const int64_t size = FileSize(path); RemoveFile(parentPath, name, true, &*parent)) {
        ++ItemCount;
        ItemBytes += size;
    } else if (!IsTestRun() && GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) {
        // Under Wine a link to a file shows no reparse point: its handle
        // led elsewhere and it was passed over.
        Host().ShowNotice(LoadText(IsLinkedFile(path) ? IDS_NOT_SHREDDED_LINK : IDS_NOT_SHREDDED_IN_USE) + path, L"");
    }
    shredding_ = false;
    ItemSizeText = FormatKB(ItemBytes);
}

void CleanerRun::WipeDriveFreeSpace(const std::wstring& root) {
    constexpr uint64_t kEntryBytes = 1u << 20;
    const auto entries = [](uint64_t bytes) {
        return static_cast<int32_t>(std::min<uint64_t>(bytes / kEntryBytes, INT32_MAX / 2));
    };
    const uint64_t free = FreeSpaceOf(root);
    AddLog(LogPrefix + LoadText(IDS_WIPING_FREE_SPACE) + L" " + root + L" (" + FormatKB(static_cast<int64_t>(free)) +
           L" KB)");
    const int32_t before = ItemCount;
    uint64_t written = free;
    if (!IsTestRun()) {
        written = WipeFreeSpace(root, [&](uint64_t soFar) {
            ItemCount = before + entries(soFar);
            PostThrottledProgress(TotalCount + ItemCount);
            return !Terminated();
        });
    }
    ItemCount = before + entries(written);
    ItemBytes += static_cast<int64_t>(written);
    ItemSizeText = FormatKB(ItemBytes);
}

int64_t CleanerRun::ClearFolderExcept(const std::wstring& folder, bool removeFolder, int32_t& counter,
                                            const std::wstring& excludeText) {
    FolderWalk walk;
    walk.excludeTextUpper = UpperCase(excludeText);
    walk.stopOnTerminate = false;
    walk.progressWithTotal = false;
    return WalkFolder(folder, removeFolder, walk, counter);
}

int64_t CleanerRun::ClearFilesByMask(const std::wstring& folder, const std::wstring& mask, int32_t& counter,
                                           bool recurse, Reach reach) {
    MaskWalk walk;
    walk.masks.emplace_back(mask, UpperCase(mask));
    walk.recurse = recurse;
    walk.reach = reach;
    return WalkMask(folder, walk, counter);
}

int64_t CleanerRun::ClearMatchingFiles(const std::wstring& folder, std::vector<FileMask> masks, bool recurse,
                                             bool removeFolders, const SpareEntry& spare, int32_t& counter,
                                             Reach reach) {
    if (masks.empty()) return 0;
    return WalkMask(folder, MaskWalk{std::move(masks), recurse, removeFolders, spare, reach}, counter);
}

int64_t CleanerRun::ClearFilesByMasks(const std::wstring& folder, std::initializer_list<const wchar_t*> masks,
                                            int32_t& counter, bool recurse) {
    int64_t bytes = 0;
    for (const wchar_t* mask : masks) bytes += ClearFilesByMask(folder, mask, counter, recurse);
    return bytes;
}

void CleanerRun::ClearItemFiles(const std::wstring& folder, std::initializer_list<const wchar_t*> masks,
                                      bool recurse) {
    if (folder.empty()) return;
    for (const wchar_t* mask : masks) ItemBytes += ClearFilesWithJournals(folder, {mask}, ItemCount, recurse);
    ItemSizeText = FormatKB(ItemBytes);
}

int64_t CleanerRun::ClearFilesWithJournals(const std::wstring& folder, const std::vector<std::wstring>& names,
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

int64_t CleanerRun::WalkMask(const std::wstring& folderText, const MaskWalk& walk, int32_t& counter) {
    if (Terminated() || !IsWalkableFolder(folderText)) return 0;
    const std::wstring folder = WithBackslash(folderText);
    if (walk.judgeFolders && !ConfirmFolder(folder, &walk.masks, walk.recurse, walk.reach)) return 0;
    const auto opened = OpenedFolder::Open(folder);
    if (!opened) return 0;
    MaskWalk inSystem = walk;
    inSystem.sparePrograms = AnyWildcard(walk.masks) && Guard().InSystemFolder(folder);
    return WalkOpenedMask(*opened, folder, inSystem, counter);
}

int64_t CleanerRun::WalkOpenedMask(const OpenedFolder& opened, const std::wstring& folder, const MaskWalk& walk,
                                         int32_t& counter) {
    MaskWalk below = walk;
    below.reach = Reach::Named;
    below.judgeFolders = walk.judgeFolders && walk.recurse && Guard().HoldsProtected(folder);
    int64_t bytes = 0;
    const auto passOver = [&](const std::wstring& name) { PassOver(folder + name); };
    ForEachEntry(opened, [&](const FolderEntry& entry) {
        if (Terminated()) return false;
        if (walk.spare && walk.spare(folder, entry.name, entry.isFolder)) return true;
        if (entry.isFolder) {
            if (!walk.recurse) return true;
            const std::wstring subfolder = folder + entry.name + L"\\";
            if (below.judgeFolders && !ConfirmFolder(subfolder, &below.masks, below.recurse, below.reach)) return true;
            if (const auto sub = EnterSubfolder(opened, folder, entry.name))
                bytes += WalkOpenedMask(*sub, subfolder, below, counter);
            return true;
        }
        const std::wstring upperName = UpperCase(entry.name);
        if (!FitsAnyMask(walk.masks, entry.name, upperName)) return true;
        if (walk.sparePrograms && SparedProgramFile(walk.masks, entry.name, upperName)) return true;
        if (!DeleteFileItem(folder, entry, true)) return true;
        ++counter;
        bytes += entry.size;
        PostThrottledProgress(counter);
        return true;
    }, passOver);
    if (walk.removeFolders) RemoveEmptiedFolder(opened, folder, walk.judgeFolders);
    return bytes;
}

}  // namespace klarvex
