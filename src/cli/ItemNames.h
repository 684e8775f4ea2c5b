#pragma once

// The item names a user types on the command line, and what they stand for
// in the catalogue.

#include <cstddef>
#include <string>
#include <vector>

#include "engine/Catalogue.h"

namespace klarvex {

struct ItemSelection {
    std::vector<std::wstring> items;      // full item names, in tree order, each once
    std::vector<std::wstring> unmatched;  // the names that stand for nothing, as typed
};

// The items the names stand for. Letter case does not matter; a name is an
// item's full name ("Windows - Clipboard") or a category's text, which
// stands for all its items ("Google Chrome"); "*" and "?" match as in a
// file mask, against both ("Mozilla Firefox - *", "* - Cookies").
ItemSelection SelectItems(const TCatalogue& catalogue, const std::vector<std::wstring>& names);

// The categories and the full item names of the catalogue, in tree order:
// what a name may be.
std::vector<std::wstring> KnownNames(const TCatalogue& catalogue);

// At most `most` of the candidates closest to name by edit distance (letter
// case ignored), closest first, ties in the candidates' order. Offered are
// the candidates that hold the name ("chrome") and those that differ from
// it in at most two characters of five (of the longer of the two); the
// rest have too little in common with it.
std::vector<std::wstring> ClosestNames(const std::wstring& name, const std::vector<std::wstring>& candidates,
                                       size_t most = 3);

}  // namespace klarvex
