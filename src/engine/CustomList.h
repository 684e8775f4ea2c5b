#pragma once

// The custom list: the user's own files, folders, registry keys and values
// to remove, kept in section "<New List>" of Clist.dat and run by the
// rule-file interpreter. What the editor's three dialogs decide lives here,
// without windows, so it can be tested on its own.
//
// An entry is one line of text; "," is its only separator:
//   folder,file    folder    folder,mask           (file entries)
//   key            key,      key,value name        (registry entries)

#include <string>
#include <vector>

#include "formats/IniFile.h"

namespace klarvex {

// A registry entry begins with "HKEY_" in any letter case; every other
// entry is a file entry.
bool IsRegistryEntry(const std::wstring& entry);

// The rows of the list as the file holds them: every line of the section
// in file order, whatever its key's name, with the value after the first
// "=". An absent file or section gives no rows.
std::vector<std::wstring> ReadCustomList(const TIniFile& file);

// Replaces the section whole by the rows in their order: registry entries
// as DelRegValue1, 2, ..., the others as DelFile1, 2, ... Other sections
// are not touched. The file is written whole as UTF-16 (TIniFile::Update):
// a name outside the system's code page keeps its letters, where the code
// page would make "?" of them, a wildcard that takes other files. Throws
// Exception("Unable to write to " + path) when the file cannot be written;
// it is then left as it was.
void WriteCustomList(const TIniFile& file, const std::vector<std::wstring>& rows);

// The row to select after row `removed` of `countBefore` rows has gone:
// the same index, or the one before when the last row went (-1 when none
// is left).
int SelectionAfterRemove(int removed, int countBefore);

// --- "Add File and Folder"
enum class FolderMode { SingleFile, WholeFolder, MatchingFiles };

struct FolderChoice {
    std::wstring folder;       // as typed or chosen
    bool folderExists = false;
    FolderMode mode = FolderMode::SingleFile;
    std::wstring file;         // the file chosen in the list, "" for none
    std::wstring mask;
};
// Whether OK may compose an entry from the choice. A folder holding ","
// is refused: the interpreter would split the entry at that comma and
// work on another folder. So is a relative one, as if it were missing:
// it exists only against the current folder, and a run takes none.
bool FolderChoiceComplete(const FolderChoice& choice);
std::wstring ComposeFolderEntry(const FolderChoice& choice);

// --- "Add Registry"
enum class RegistryMode { Key, AllValues, Value };

struct RegistryChoice {
    std::wstring key;
    RegistryMode mode = RegistryMode::Key;
    std::wstring valueName;
};
// "HKEY_" anywhere in the key (any case), and a value name when one value
// is to go. A key holding "," is refused, as a folder is above.
bool RegistryChoiceComplete(const RegistryChoice& choice);
std::wstring ComposeRegistryEntry(const RegistryChoice& choice);
// The dialog's fields for editing an entry: split at its first ",".
RegistryChoice SplitRegistryEntry(const std::wstring& entry);

}  // namespace klarvex
