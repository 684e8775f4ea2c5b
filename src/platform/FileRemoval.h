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

// Removes the folder when it is empty (it goes once every handle to it is
// closed); false when anything is left inside or the system refuses.
bool RemoveEmptyFolder(const OpenedFolder& folder);

}  // namespace klarvex
