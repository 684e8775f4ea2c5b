#pragma once

// A Winapp2.ini on this machine: the file read, its variables looked up,
// its paths found on the disk, and which entries' programs are here.

#include <map>
#include <unordered_set>
#include <string>
#include <vector>

#include <windows.h>

#include "formats/Winapp2.h"

namespace klarvex {

// A file larger than this is not read (today's community file is 2 MB).
inline constexpr size_t kMaxWinapp2FileBytes = 64u << 20;

// The entries of the file at path; of entries that share a name (in any
// letter case) the first is kept. Nothing for a missing or unreadable file,
// or one larger than kMaxWinapp2FileBytes.
std::vector<Winapp2Entry> LoadWinapp2File(const std::wstring& path);

// The variables the file's paths use, as they read now.
std::vector<Winapp2Variable> ReadWinapp2Variables();

// Tells which entries' programs are on this machine. Paths and keys are
// found name by name through listings of their folders and keys, each
// listed once: thousands of entries share the few folders they look in.
// What a path with wildcards finds below a folder is remembered, and all
// the matching of wildcards against names has a bound: a file of
// thousands of "C:\*\*\*\*\x" lines costs no more than that bound, and
// what lies beyond it counts as not found (the entry is not shown).
class TWinapp2Detector {
public:
    TWinapp2Detector(std::vector<Winapp2Variable> variables, Winapp2Version windows);

    // The Windows version is within the entry's range, its special check
    // (if any) is one this program knows and holds, and one of its Detect
    // keys or DetectFile paths exists. An entry without any of them holds.
    bool IsDetected(const Winapp2Entry& entry);

private:
    // Upper-case name -> is a folder (a subkey: always true).
    using Listing = std::map<std::wstring, bool>;
    bool KeyExists(const std::wstring& text);
    bool PathExists(const std::wstring& text);
    // The path of names below root exists (the last name a file or a
    // folder, the others folders).
    bool FoundBelow(const std::wstring& root, const std::vector<std::wstring>& names);
    // The folders the first count names below root stand for, each with a
    // trailing backslash.
    const std::vector<std::wstring>& FoldersOf(const std::wstring& root, const std::vector<std::wstring>& names,
                                               size_t count);
    // One more name matched against a wildcard; false once the bound is met.
    bool Budget();
    const Listing& FolderListing(const std::wstring& folder);
    const Listing& SubkeyListing(HKEY root, REGSAM view, const std::wstring& keyPath);

    std::vector<Winapp2Variable> variables_;
    Winapp2Version windows_;
    std::map<std::wstring, Listing> folders_;  // by upper-case folder
    std::map<std::wstring, Listing> keys_;     // by root, view and upper-case path
    std::map<std::wstring, std::vector<std::wstring>> folderSets_;   // by upper-case root and names
    std::map<std::wstring, std::unordered_set<std::wstring>> childNames_;  // names in all of those folders
    size_t wildcardWork_ = 0;                  // names matched against wildcards so far
};

// The most names a detector matches against wildcards in all.
inline constexpr size_t kMaxWildcardDetectionWork = 4'000'000;

// The version Windows reports to this program (major and minor).
Winapp2Version RunningWindowsVersion();

}  // namespace klarvex
