#pragma once

// Removing and overwriting one file of an opened folder. The file is opened
// through the folder by its listed name without following links, and that
// handle is checked to be the plain file listed there before anything is
// written or removed; the delete goes through the same handle. So no link
// leads a delete or an overwrite to its target (under Wine a Unix link
// shows no reparse point, and a delete by name removes what it points to),
// and a name that has become a folder or a link since it was listed is
// passed over. A link that shows as one (a reparse point) is removed as a
// link and never opened for writing.

#include <cstdint>
#include <string>

#include "platform/Folders.h"

namespace klarvex {

enum class FileRemoval {
    Removed,      // gone (of a link, the link alone)
    Missing,      // not there any more
    NotAsListed,  // no plain file at that name now: a folder, a link to a target elsewhere, or a name
                  // Windows cannot have; passed over
    Failed,       // in use by another program, or the system refused
};

// Removes the file name of folder, overwriting it with overwritePasses
// passes of random bytes first (none for 0). A read-only file is removed
// too, and keeps its attribute when it has another name (hard link).
FileRemoval RemoveFileEntry(const OpenedFolder& folder, const std::wstring& name, int32_t overwritePasses);

// Overwrites the file name of folder in place with passes passes of random
// bytes, never making it longer, and flushes it. Nothing is written to a
// link, to a file with another name (hard link; that name is not ours), or
// to a file another program holds open; false then, or when name is no
// plain file there.
bool OverwriteFileEntry(const OpenedFolder& folder, const std::wstring& name, int32_t passes);

// Destroys the file name of folder (whose path is folderPath, with its
// trailing backslash): overwritten with passes passes of random bytes (at
// least one), renamed in place to a random name of the same length, cut to
// no length, and deleted. A link that shows as one is removed as a link, and
// a file with another name (hard link) loses this name only: neither is
// opened for writing. A read-only file is destroyed too. overwritten says
// whether the content was.
struct Shredding {
    FileRemoval removal = FileRemoval::Failed;
    bool overwritten = false;
};
Shredding ShredFileEntry(const OpenedFolder& folder, const std::wstring& folderPath, const std::wstring& name,
                         int32_t passes);

// Removes the link name of folder as a link, where the system shows it as
// one (a reparse point: a symbolic link, a junction): its target is never
// opened. NotAsListed for anything else, a Unix link under Wine included
// (its handle leads to the target, and a delete through it would take the
// target).
FileRemoval RemoveLinkEntry(const OpenedFolder& folder, const std::wstring& name);

// Removes the folder when it is empty (it goes once every handle to it is
// closed); false when anything is left inside or the system refuses.
bool RemoveEmptyFolder(const OpenedFolder& folder);

}  // namespace klarvex
