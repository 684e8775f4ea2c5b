#pragma once

// Looking into folders. Every walk of the program lists folders through
// ForEachEntry, which never hands out a link to a folder: on Windows a
// junction or folder link leads somewhere else on the disk, and under Wine
// every delete through one acts on its target.

#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>
#include <string>
#include <vector>

#include "base/Handles.h"

namespace klarvex {

// The entry is a reparse point (a link, or a folder link).
inline bool IsLink(DWORD attributes) { return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0; }

// A real folder: present, a directory, not a link to one.
bool IsPlainFolder(const std::wstring& path);

// A folder opened to be listed and acted in. What is listed through it and
// what is then opened by those names is looked for in this folder, even
// when its path has come to name another one meanwhile (renamed, or
// swapped for a link). What is opened is checked against the name it was
// opened by: under Wine a Unix symbolic link shows no reparse point, not
// even to a handle opened without following links, and every delete
// through it acts on its target; the path the file system gives the
// handle tells it.
class OpenedFolder {
public:
    // The folder at path (absolute, with or without its trailing
    // backslash); nothing when it is missing, no folder, or a reparse
    // point itself.
    static std::optional<OpenedFolder> Open(const std::wstring& path);

    // The subfolder name, opened through this folder; nothing when name is
    // no longer a folder of its own here (gone, a file, a link, or a name
    // Windows cannot have).
    std::optional<OpenedFolder> OpenSubfolder(const std::wstring& name) const;

    // An entry of this folder opened through it by name (NtCreateFile's
    // options; FILE_OPEN_REPARSE_POINT for one that follows no link), for
    // access and SYNCHRONIZE, shared as share says: nothing, with the
    // system's status in status, when it cannot be. "" opens the folder
    // itself again.
    FileHandle OpenEntry(const std::wstring& name, ACCESS_MASK access, ULONG options, LONG& status,
                         DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE) const;

    // handle, opened by name in this folder, is that entry itself: the
    // file system's path of it is this folder's and name, not that of a
    // link's target elsewhere.
    bool IsEntry(HANDLE handle, const std::wstring& name) const;

    HANDLE Handle() const noexcept { return handle_.Get(); }

private:
    explicit OpenedFolder(FileHandle handle) : handle_(std::move(handle)) {}
    // The file system's path of this folder without its drive and without
    // a trailing backslash (the root's is ""); asked once, when first
    // needed.
    const std::wstring& SystemPath() const;

    FileHandle handle_;
    mutable std::optional<std::wstring> systemPath_;
};

// The path the file system gives an open file or folder, without its drive
// ("\Users\me\x.txt"): links on the way resolved, and under Wine a link's
// target in place of the link. Nothing when it cannot be told.
std::optional<std::wstring> SystemPathOf(HANDLE handle);

struct FolderEntry {
    std::wstring name;
    bool isFolder = false;  // a subfolder; links to folders are never listed
    int64_t size = 0;       // full 64-bit file size
    const OpenedFolder* folder = nullptr;  // the folder listed, open while the entry lasts
};

// What a listing passes over because its name is not one Windows can have
// (IsWindowsName): called with that name.
using PassedOverName = std::function<void(const std::wstring& name)>;

// Lists the entries of folder (given with its trailing backslash) in the
// system's order, without "." and "..", without links to folders and
// without names Windows cannot have (told to passedOver when given). A
// link to a file looks like a plain file and is listed as one. visit
// returns false to end the listing early; the entry it is given lasts only
// for that call. Nothing is listed of a folder that is a link itself.
void ForEachEntry(const std::wstring& folder, const std::function<bool(const FolderEntry&)>& visit,
                  const PassedOverName& passedOver = nullptr);
void ForEachEntry(const OpenedFolder& folder, const std::function<bool(const FolderEntry&)>& visit,
                  const PassedOverName& passedOver = nullptr);

// The paths that path (absolute) stands for when its names hold "*" or
// "?": each such name is matched, without letter case, against the real
// subfolders of the folder before it (never links to folders), and the
// last name against its files too when lastMayBeFile. Only existing paths
// come back, in the system's order. A path without wildcards comes back
// as it is, whether it exists or not.
std::vector<std::wstring> ExpandWildcardPath(const std::wstring& path, bool lastMayBeFile = false);

// The full size of a file; 0 for a folder or a path that does not exist.
int64_t FileSize(const std::wstring& path);

// Records the file for deletion at the next start of Windows (which needs
// an administrator on the NT family); false only when the system refuses.
// A missing file is nothing to do.
bool DeleteAtReboot(const std::wstring& path);

// The file is a link (also one that shows no reparse point: its handle's
// path is not path), or has more than one name (hard links): what is done
// through this name happens to a file that is not only ours. A missing
// file is none.
bool IsLinkedFile(const std::wstring& path);

// A name of this process's own beside path for a new copy of the file
// (path.<process>-<attempt>.new): another copy of the program may be
// writing beside the same file at the moment. The caller makes it as a new
// file and takes the next attempt when it exists (left by a broken-off
// run, never reused).
std::wstring NewCopyName(const std::wstring& path, int attempt);

// Gives the file at path exactly these bytes, all or nothing: they go to a
// new file of its own beside it (made with CREATE_NEW, so no existing
// name or link is written through) and, once all of them are on the disk,
// it replaces the old file in one move. False when anything fails; the old
// file is then as it was.
bool ReplaceFileContent(const std::wstring& path, std::string_view bytes);

// The whole content of a file of at most maxBytes; nothing when it cannot
// be read, is larger, or is a link (its target is not ours to read; the
// handle tells, as OpenedFolder::IsEntry does).
std::optional<std::string> ReadWholeFile(const std::wstring& path, size_t maxBytes);

}  // namespace klarvex
