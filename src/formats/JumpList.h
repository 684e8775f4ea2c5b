#pragma once

// Automatic jump lists (*.automaticDestinations-ms): the recent and pinned
// destinations the taskbar shows for a program. Each file is a compound
// file of Windows' structured storage holding one shell link stream per
// entry, named by the entry's number in lower-case hexadecimal, and a
// DestList stream that indexes them (all little-endian):
//
//   header   +0  version (1: Windows 7 and 8; 3 or 4: Windows 10 and 11)
//            +4  number of entries   +8  number of pinned entries
//            +12 .. +31  kept as they are
//   entry    +88 entry number (32 bits; the 4 bytes after it are unknown)
//            +108 pin state (32 bits): -1 unpinned, else the pin's place
//            version 1:    +112 path length in characters, +114 the path
//                          (UTF-16, no terminator)
//            version 3, 4: +128 path length, +130 the path, then the size
//                          of a property store (32 bits) and the store
//
// A list that holds no entry may have a DestList of no bytes at all.
//
// The byte-level half (this file's first part) makes no system call, so it
// builds natively and runs under the sanitizers and the fuzzer; the second
// part reads and writes the files through structured storage.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace klarvex {

// Every chain of the compound file (its sector allocation table, the
// directory, the small-stream tables, each stream reachable from the root)
// ends inside the file, no sector serves twice, and the directory tree has
// no loop. Under Wine, structured storage loops for ever on a file whose
// chains or tree loop, so nothing reaches it without passing this check.
// Costs time and memory linear in the file's size.
bool CompoundFileIsSound(std::string_view file);

struct DestListEntry {
    uint64_t number = 0;  // names the entry's link stream
    bool pinned = false;
    std::wstring path;    // what the entry stands for
    size_t offset = 0;    // the entry's bytes within the stream
    size_t size = 0;
};

struct DestList {
    uint32_t version = 0;
    std::vector<DestListEntry> entries;  // in stream order
};

// The DestList of a known version whose header counts agree with its
// entries, which fill the stream exactly and have distinct numbers; a list
// of no entries for a stream of no bytes; nothing otherwise.
std::optional<DestList> ParseDestList(std::string_view stream);

// The stream holding only the pinned entries (their bytes as they were, in
// their order), its header's counts made to match and the rest of the
// header kept; a stream of no bytes stays as it is.
std::string PinnedOnlyDestList(std::string_view stream, const DestList& list);

// How the link stream of an entry is named ("1f" for entry 31), and the
// entry number a stream name stands for (any letter case; nothing for a
// name that is not a hexadecimal number without leading zeros).
std::wstring EntryStreamName(uint64_t number);
std::optional<uint64_t> EntryNumberOfStream(std::wstring_view name);

// --- the files (JumpListStorage.cpp)

inline constexpr wchar_t kAutomaticJumpListMask[] = L"*.automaticDestinations-ms";

// A jump list read whole, and what of it a clean would take.
struct AutomaticJumpList {
    std::string file;      // the file's bytes, which the writer works from
    std::string destList;  // the DestList stream
    DestList index;
    struct Link {
        std::wstring stream;  // the link stream's name as stored
        uint64_t size = 0;
    };
    std::vector<Link> links;  // one per entry of index, in the same order
};

// Reads an automatic jump list of at most a few megabytes: nothing when the
// file cannot be read, is a link, is no sound compound file, or its
// DestList cannot be read, or names other entries than the file holds. A
// DestList of no bytes is a list of no entries, whatever else the file
// holds.
std::optional<AutomaticJumpList> ReadAutomaticJumpList(const std::wstring& path);

// Writes the jump list with only its pinned entries to fresh, a file made
// new (an existing one fails the call): their link streams and every
// stream that is no entry's as they were, and the DestList that indexes
// only them. False, and nothing left at fresh, when anything fails.
bool WritePinnedJumpList(const AutomaticJumpList& list, const std::wstring& fresh);

enum class PinnedRewrite {
    Done,         // the list at path holds its pinned entries only
    Changed,      // the file is no longer the one read (Explorer wrote it meanwhile)
    NotWritten,   // the new copy could not be made
    NotReplaced,  // the new copy could not take the list's place
};
// Replaces the jump list read from path, in one move, by a new copy that
// holds only its pinned entries: the copy gets a name of its own beside it
// (one a run broken off left there is never reused) and is on the disk
// before the move. Anything but Done leaves the list as it is, and no copy.
PinnedRewrite KeepPinnedEntries(const AutomaticJumpList& list, const std::wstring& path);

}  // namespace klarvex
