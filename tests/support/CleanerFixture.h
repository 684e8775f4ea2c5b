#pragma once

// Runs real cleaners in the sandbox prefix and places their traces in the
// real places: the user's folders, the Windows and system folders, the
// current user's registry hive. Every fixture takes away what it placed.

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "engine/ProgressThread.h"
#include "support/Fixtures.h"

namespace klarvex::testing {

// What a run over some items left behind.
struct RunOutcome {
    std::vector<std::wstring> lines;
    std::vector<std::wstring> errors;
    bool done = false;
};

// One whole run on the runner's own thread, as the front ends start it.
RunOutcome RunItems(RunKind kind, const std::vector<std::wstring>& names);

// The items' summary lines ("N items will be removed; K KB will be
// removed."), in run order.
std::vector<std::wstring> Summaries(const std::vector<std::wstring>& lines);
// The one summary of a single-item run.
std::wstring Summary(const RunOutcome& run);
std::wstring TestSummary(int items, const std::wstring& kb);
std::wstring CleanSummary(int items, const std::wstring& kb);
// The per-entry lines ("Test: deleting ..."), in run order.
std::vector<std::wstring> EntryLines(const std::vector<std::wstring>& lines);

// --- places
std::wstring ShellFolder(int csidl);  // with trailing backslash
std::wstring TempFolder();            // GetTempPath, with trailing backslash

// --- files
bool FolderIsEmpty(const std::wstring& path);
// Deletes the files directly in a folder that is not ours (e.g. what earlier
// runs left in the sandbox's Recent folder), so counts start from nothing.
void DeleteFilesIn(const std::wstring& folder);

// Files and folders placed into a folder that is not ours (the system
// folder, the Recent folder): each removed again, nothing else.
class PlacedFiles {
public:
    PlacedFiles() = default;
    ~PlacedFiles();
    PlacedFiles(const PlacedFiles&) = delete;
    PlacedFiles& operator=(const PlacedFiles&) = delete;
    std::wstring File(const std::wstring& path, size_t size);
    // A folder made for the test is removed with its tree; one that was there
    // already stays.
    std::wstring Folder(const std::wstring& path);

private:
    std::vector<std::wstring> files_;
    std::vector<std::wstring> folders_;
};

// Points TMP and TEMP of this process (and of programs it starts) at a
// folder of its own for a while, so that cleaning "the temporary folder"
// cannot reach other programs' files in the shared one.
class TempRedirect {
public:
    TempRedirect();
    ~TempRedirect();
    TempRedirect(const TempRedirect&) = delete;
    TempRedirect& operator=(const TempRedirect&) = delete;
    const std::wstring& Path() const { return path_; }  // with trailing backslash

private:
    std::wstring path_, oldTmp_, oldTemp_;
};

// Under Wine the shell's recycle bin is the XDG trash of the calling
// process: true only when the sandbox wrapper has pointed that into the
// sandbox and C: is the only drive, the condition for any Clean run of
// "Windows - Empty Recycle Bin".
bool TrashIsInTheSandbox();

// Settings the cleaners read, at their defaults for a test: per-entry lines
// on, no overwriting, no recycle-bin lines.
void ResetSettings();

}  // namespace klarvex::testing
