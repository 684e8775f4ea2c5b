#pragma once

// What a cleaner is given of a run: the current item's counters, the log,
// cancelling, the user's answers, and the removal primitives every cleaner
// removes through (FilePrimitives.cpp, RegistryPrimitives.cpp,
// DatabasePrimitives.cpp). A Test run counts and lists exactly what a Clean
// run would remove, and removes nothing. The runner (ProgressThread.h) is
// one; each cleaner family (cleaners/<family>/) declares its cleaners as
// functions of one.

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <stop_token>
#include <string>
#include <vector>

#include "base/Handles.h"
#include "engine/RunHost.h"

namespace klarvex {

enum class RunKind { Test, Clean };
enum class RootKey;  // platform/RegistryPaths.h

class FileMask;
struct FolderEntry;  // platform/Folders.h
class OpenedFolder;  // platform/Folders.h
class TSafetyGuard;
struct TableSet;  // formats/TableCleanup.h

class CleanerRun {
public:
    CleanerRun(RunKind kind, IRunHost& host);
    virtual ~CleanerRun() = default;
    CleanerRun(const CleanerRun&) = delete;
    CleanerRun& operator=(const CleanerRun&) = delete;

    // Shares the run's termination request: stays valid after the run has
    // ended.
    std::stop_source StopSource() const noexcept { return stop_; }
    void Terminate() noexcept { stop_.request_stop(); }
    bool Terminated() const noexcept { return stop_.stop_requested(); }

    bool IsTestRun() const noexcept { return kind_ == RunKind::Test; }
    // An automatic run (start-up clean, silent clean) shows no notices.
    void SetAutomaticRun(bool automatic) noexcept { automatic_ = automatic; }
    bool IsAutomaticRun() const noexcept { return automatic_; }
    // The protected folders of the safety guard are never emptied or walked
    // down, whatever the answer would be: each is reported as a notice and
    // passed over, in a Test as in a Clean. For front ends whose user cannot
    // see the question (the command line).
    void SetKeepProtectedFolders(bool keep) noexcept { keepProtectedFolders_ = keep; }

    IRunHost& Host() const noexcept { return host_; }

    // What the system is asked of itself; tests replace them to reach the
    // branches a test machine cannot (no administrator, the 9x family).
    virtual bool UserIsAdmin() const;
    virtual int32_t WindowsVersionCode() const;

    // --- log and progress
    void AddLog(const std::wstring& line);
    // The log line of one entry the item takes (a file, a key, a value, an
    // address): linePrefix, then the entry. A front end that lists entries
    // gets it as one, up to the run's limit (kMaxListedEntries unless a
    // test sets it lower).
    void LogEntry(const std::wstring& linePrefix, const std::wstring& entry);
    void LimitListedEntries(size_t limit) noexcept { entryLimit_ = limit; }
    void ScrollLog(int32_t step);
    // A progress message, at most one every 2 seconds within an item.
    void PostThrottledProgress(int32_t count);
    // "Clearing, please wait...": what a cleaner that lists no files of its
    // own writes before a long removal.
    void AddPleaseWaitLine();

    // Before a Clean takes what a warning is about (what: the name the
    // question and the log give it): true to go on. The user is asked, and
    // the command line answers as --yes says; an automatic run has nobody
    // to ask and leaves it. A Test goes on without asking; a refusal is
    // logged.
    bool ConfirmDespiteWarning(const std::wstring& what, const std::wstring& warning);

    // --- files and folders. Folder walks never enter, count or remove a
    // reparse point (a link to a folder elsewhere); counters are the
    // caller's (normally ItemCount); the results are file bytes.
    //
    // Every walk asks the safety guard first (platform/SafetyGuard.h): a
    // drive root, a system, program or profile folder or one of the user's
    // own is never removed; taking every file of one, or walking down its
    // tree, is asked about in the window and refused where nobody sees a
    // question; files named in My Documents are asked about as well.
    //
    // How a rule came to the folder it walks: named outright, or through
    // names that take every folder below a protected one ("%Documents%\*"),
    // which counts as walking that protected folder.
    enum class Reach { Named, ThroughProtected };
    bool DeleteFileItem(const std::wstring& path, bool logIt);
    // The same for a file a listing of folder (with its trailing backslash)
    // gave: removed through the listing's own handle of the folder.
    bool DeleteFileItem(const std::wstring& folder, const FolderEntry& entry, bool logIt);
    void WipeFile(const std::wstring& path, int32_t passes);
    int64_t ClearFolder(const std::wstring& folder, bool removeFolder, bool logIt, const std::wstring& excludeName,
                        int32_t& counter, Reach reach = Reach::Named);
    int64_t ClearFilesByMask(const std::wstring& folder, const std::wstring& mask, int32_t& counter, bool recurse,
                             Reach reach = Reach::Named);
    int64_t ClearFolderExcept(const std::wstring& folder, bool removeFolder, int32_t& counter,
                              const std::wstring& excludeText);
    // What a walk passes over, with all it holds: called with the folder
    // (with its trailing backslash) and the name of each file or subfolder.
    using SpareEntry = std::function<bool(const std::wstring& folder, const std::wstring& name, bool isFolder)>;
    // The files in folder that fit any of masks (and in its subfolders with
    // recurse), except what spare keeps. With removeFolders the folders
    // left empty go too, folder included, but never a drive root, a system
    // or profile folder or My Documents.
    int64_t ClearMatchingFiles(const std::wstring& folder, std::vector<FileMask> masks, bool recurse,
                               bool removeFolders, const SpareEntry& spare, int32_t& counter,
                               Reach reach = Reach::Named);
    // ClearFilesByMask with each mask in turn; the bytes of them all.
    int64_t ClearFilesByMasks(const std::wstring& folder, std::initializer_list<const wchar_t*> masks,
                              int32_t& counter, bool recurse);
    // An item that is a set of files: those of the masks in folder (and
    // below it with recurse) into the item's counters; nothing when the
    // browser's folder was not found (""). A database goes with its journal
    // files, as ClearFilesWithJournals takes them.
    void ClearItemFiles(const std::wstring& folder, std::initializer_list<const wchar_t*> masks, bool recurse = true);
    // The files of the names (or masks) in one walk, each with the journal
    // files SQLite keeps beside a database of that name (-wal, -shm,
    // -journal); a file that fits several names is taken once.
    int64_t ClearFilesWithJournals(const std::wstring& folder, const std::vector<std::wstring>& names,
                                   int32_t& counter, bool recurse);
    // A file a Clean cannot remove now because a program holds it open:
    // marked for removal at the next start of Windows when the user is an
    // administrator (nobody else may), else named in the log as in use and
    // left. True when it was marked; only then does it count as removed.
    // A Test marks nothing and tells what a Clean would do.
    bool RemoveAtNextStart(const std::wstring& path);

    // --- destroying what the user names, and the free space of drives
    // (FilePrimitives.cpp). The file or folder at path (absolute) destroyed
    // beyond recovery (ShredFileEntry), a folder with all it holds, its
    // subfolders last, into the item's counters. A drive root, a system or
    // user folder itself or one that holds one is refused (a notice says
    // so), and so is a link whose target would be destroyed; a link that
    // shows as one is removed as a link.
    void ShredPath(const std::wstring& path);
    // The free space of the drive at root overwritten and given back
    // (platform/FreeSpaceWipe.h), counted a megabyte an entry: a Test counts
    // what a Clean would write. Cancelling stops it within a second.
    void WipeDriveFreeSpace(const std::wstring& root);

    // --- registry. The results are counts of entries: a key counts the
    // values of its whole subtree, at least 1, taken before it is deleted.
    int32_t DeleteUserRegKey(const std::wstring& keyPath);
    int32_t DeleteRegKey(const std::wstring& rootName, const std::wstring& keyPath);
    int32_t DeleteUserRegValues(const std::wstring& keyPath, const std::wstring& valueName);
    int32_t DeleteRegValues(const std::wstring& rootName, const std::wstring& keyPath, const std::wstring& valueName);

    // --- databases of other programs. A Clean empties the tables as
    // EmptyTables (formats/TableCleanup.h) does, rebuild included; a Test
    // counts the rows of the counted table, when there is one, and opens
    // nothing otherwise. A database left alone (a link, or held by another
    // program) is named in the log and counts 0; one whose rows went but
    // that could not be rebuilt is named as well. The result is the counted
    // rows taken (in a Test: there).
    int32_t EmptyDatabaseTables(const std::wstring& path, const TableSet& tables);

    // Counters of the current item, which its cleaner keeps (what it counted
    // or removed in ItemCount, the bytes of the files it handled in
    // ItemBytes and ItemSizeText), and of the run.
    int32_t ItemCount = 0;
    std::wstring ItemSizeText = L"0";
    int64_t ItemBytes = 0;
    int32_t TotalCount = 0;
    std::wstring LogPrefix;  // "Test: " or "Clean: "

protected:
    const TSafetyGuard& Guard();
    // A key many programs share (IsSharedKeyHere), told in the log; keyPath
    // canonical.
    bool SkippedAsShared(RootKey root, const std::wstring& keyPath);

    double LastProgressTime = 0;  // days, as Now() gives them
    // The tick count before which PostThrottledProgress need not read the
    // clock: under Wine the clock is a call into the system, the tick count
    // a read of memory, and the walks ask after every file.
    uint64_t ClockLookTick = 0;
    int32_t ScrollCounter = 0;

private:
    struct FolderWalk;
    int64_t WalkFolder(const std::wstring& folder, bool removeFolder, const FolderWalk& walk, int32_t& counter);
    struct MaskWalk;
    int64_t WalkMask(const std::wstring& folder, const MaskWalk& walk, int32_t& counter);
    int64_t WalkOpenedFolder(const OpenedFolder& opened, const std::wstring& folder, bool removeFolder,
                             const FolderWalk& walk, int32_t& counter);
    int64_t WalkOpenedMask(const OpenedFolder& opened, const std::wstring& folder, const MaskWalk& walk,
                           int32_t& counter);
    // The subfolder name of parent (whose path is folder), entered through
    // parent; nothing, and a line in a detailed run, when it is no longer a
    // folder of its own there.
    std::optional<OpenedFolder> EnterSubfolder(const OpenedFolder& parent, const std::wstring& folder,
                                               const std::wstring& name);
    // Asks before a walk of folder takes every file there (masks null, or
    // one that takes every name) or goes down its tree, or in a protected
    // folder takes more than files of the kinds nobody keeps, where the
    // safety guard says so; true to go on.
    bool ConfirmFolder(const std::wstring& folderWithBackslash, const std::vector<FileMask>* masks, bool recurse,
                       Reach reach);
    void RemoveEmptiedFolder(const OpenedFolder& opened, const std::wstring& folder, bool judge);
    // The file name of folder (with its trailing backslash), through opened
    // when the caller listed it there.
    bool RemoveFile(const std::wstring& folder, const std::wstring& name, bool logIt, const OpenedFolder* opened);
    // What a walk or a delete passes over: a name Windows cannot have, or
    // one that is no longer the plain file or folder listed (a link, a
    // folder). Named in a detailed run.
    void PassOver(const std::wstring& path);
    // The canonical path of a key a registry primitive may work on, opened
    // into key; nothing for a missing key, the root itself, a key that is a
    // registry link, or (whole: the key or all its values would go) a key
    // many programs share, which a log line tells.
    std::optional<std::wstring> KeyToTake(RootKey root, const std::wstring& keyPath, bool whole, RegKey& key);

    RunKind kind_;
    IRunHost& host_;
    std::stop_source stop_;
    std::shared_ptr<const TSafetyGuard> guard_;
    std::wstring deletingLinePrefix_;  // LogPrefix, "deleting" and a space: a detailed run logs every file
    bool automatic_ = false;
    bool keepProtectedFolders_ = false;
    bool shredding_ = false;  // the files a walk removes are destroyed (ShredPath)
    size_t listedEntries_ = 0;
    size_t entryLimit_ = kMaxListedEntries;
};

// The time now, in days (the unit of LastProgressTime).
double Now();

// The least time between two throttled progress messages of an item.
inline constexpr uint64_t kProgressIntervalMs = 2000;

}  // namespace klarvex
