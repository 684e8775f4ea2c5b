#pragma once

// The ExcludeKey lines of a Winapp2 entry, ready to be asked while its
// files and keys are walked. Paths are compared as CanonicalRulePath reads
// them, so a FileKey spelled with "\\" or "/" meets its own exclusions.
// Each question costs about the same however many lines there are: exact
// folders and names are looked up, not tried one by one; only folders
// written with wildcards are matched, once per folder walked.

#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "base/PathText.h"
#include "formats/Winapp2.h"

namespace klarvex {

class TWinapp2Excludes {
public:
    // The lines that could not be resolved on this machine (an unknown
    // variable, a network path, ...) come back in unresolved, as written.
    TWinapp2Excludes(const std::vector<Winapp2Exclude>& excludes, const std::vector<Winapp2Variable>& variables,
                     std::vector<std::wstring>& unresolved);

    bool HasFiles() const { return hasFiles_; }

    // folder comes with its trailing backslash, as the walks give it.
    bool SparesEntry(const std::wstring& folder, const std::wstring& name, bool isFolder) const;

    // The key (upper case) is spared with all below it.
    bool SparesKey(RootKey root, const std::wstring& upperPath) const;
    bool SparesValue(RootKey root, const std::wstring& upperPath, const std::wstring& value) const;
    // Something at or below the key is spared.
    bool SparesWithin(RootKey root, const std::wstring& upperPath) const;

private:
    // File masks: exact names looked up, the others tried in turn.
    struct Masks {
        std::unordered_set<std::wstring> exactUpper;
        std::vector<FileMask> wildcards;
        bool everything = false;  // PATH without a mask: all below
        void Add(const std::wstring& mask);
        bool Fit(const std::wstring& name, const std::wstring& upperName) const;
    };
    // A folder written with wildcards: tried against each folder walked.
    struct Pattern {
        std::wstring upperFolder;  // with a trailing backslash
        bool below = false;        // PATH: the folder and its subfolders
        Masks masks;
    };
    struct Key {
        RootKey root;
        std::wstring path;  // upper case
        std::optional<std::wstring> value;
    };
    const std::vector<const Pattern*>& PatternsFor(const std::wstring& upperFolder) const;

    bool hasFiles_ = false;
    std::unordered_map<std::wstring, Masks> inFolder_;  // FILE, by upper folder with backslash
    std::unordered_map<std::wstring, Masks> below_;     // PATH, by upper folder with backslash
    std::vector<Pattern> patterns_;
    mutable std::unordered_map<std::wstring, std::vector<const Pattern*>> patternsByFolder_;
    std::vector<Key> keys_;
};

}  // namespace klarvex
