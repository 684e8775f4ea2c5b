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

namespace klarvex {

// The entry is a reparse point (a link, or a folder link).
inline bool IsLink(DWORD attributes) { return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0; }

// A real folder: present, a directory, not a link to one.
bool IsPlainFolder(const std::wstring& path);

struct FolderEntry {
    std::wstring name;
    bool isFolder = false;  // a subfolder; links to folders are never listed
    int64_t size = 0;       // full 64-bit file size
    DWORD attributes = 0;   // as the listing gave them
};

// Lists the entries of folder (given with its trailing backslash) in the
// system's order, without "." and ".." and without links to folders. A
// link to a file looks like a plain file and is listed as one. visit
// returns false to end the listing early; the entry it is given lasts only
// for that call.
void ForEachEntry(const std::wstring& folder, const std::function<bool(const FolderEntry&)>& visit);

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

// The file is a link, or has more than one name (hard links): what is done
// through this name happens to a file that is not only ours. A missing
// file is none.
bool IsLinkedFile(const std::wstring& path);

// Gives the file at path exactly these bytes, all or nothing: they go to a
// new file of its own beside it (made with CREATE_NEW, so no existing
// name or link is written through) and, once all of them are on the disk,
// it replaces the old file in one move. False when anything fails; the old
// file is then as it was.
bool ReplaceFileContent(const std::wstring& path, std::string_view bytes);

// The whole content of a file of at most maxBytes; nothing when it cannot
// be read, is larger, or is a link (its target is not ours to read).
std::optional<std::string> ReadWholeFile(const std::wstring& path, size_t maxBytes);

}  // namespace klarvex
