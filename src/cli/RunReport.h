#pragma once

// What a run did, item by item (engine/RunResults.h), for a script: written
// as one JSON document. No system call here.

#include <cstdint>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "engine/RunResults.h"

namespace klarvex {

// An item as --list tells it.
struct ListedItem {
    std::wstring name;
    std::wstring category;
    std::wstring rules;  // where they come from: built-in, Klarvex.dat, Winapp2.ini, Clist.dat
    bool ticked = false;
    std::wstring warning;
};

// The documents, keys in the order written. Texts are UTF-8.
nlohmann::ordered_json RunDocument(const TRunResults& report, bool testRun, bool fastMode, int exitStatus);
nlohmann::ordered_json ListDocument(const std::vector<ListedItem>& items);

// A document as standard output takes it: indented, one per program run.
std::wstring DocumentText(const nlohmann::ordered_json& document);

}  // namespace klarvex
