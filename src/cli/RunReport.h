#pragma once

// What a run did, item by item, for a script: collected from what the run
// tells its host, and written as one JSON document. No system call here.

#include <cstdint>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace klarvex {

// What became of an item, from the least to the most serious: a later
// event of a more serious kind decides it.
enum class ItemOutcome {
    Done,     // it ran to its end
    Skipped,  // it went without what a question it was not let answer Yes asked for
    Refused,  // the program would not do part of it (a notice says what)
    Error,    // the run was broken off in it
};

struct ItemReport {
    std::wstring name;
    int32_t count = 0;
    int64_t bytes = 0;
    ItemOutcome outcome = ItemOutcome::Done;
    std::wstring text;  // the message (Refused, Error) or the question (Skipped), one a line
};

class TRunReport {
public:
    void BeginItem(const std::wstring& name);
    void Refused(const std::wstring& message) { Note(ItemOutcome::Refused, message); }
    void Declined(const std::wstring& question) { Note(ItemOutcome::Skipped, question); }
    void Error(const std::wstring& message) { Note(ItemOutcome::Error, message); }
    void EndItem(int32_t count, int64_t bytes);
    // The whole run was refused before it began: every item, with why.
    void RefuseAll(const std::vector<std::wstring>& names, const std::wstring& message);

    const std::vector<ItemReport>& Items() const noexcept { return items_; }
    // The sums over the items.
    int64_t TotalCount() const;
    int64_t TotalBytes() const;

private:
    void Note(ItemOutcome outcome, const std::wstring& text);

    std::vector<ItemReport> items_;
};

// An item as --list tells it.
struct ListedItem {
    std::wstring name;
    std::wstring category;
    std::wstring rules;  // where they come from: built-in, Klarvex.dat, Winapp2.ini, Clist.dat
    bool ticked = false;
    std::wstring warning;
};

// The documents, keys in the order written. Texts are UTF-8.
nlohmann::ordered_json RunDocument(const TRunReport& report, bool testRun, bool fastMode, int exitStatus);
nlohmann::ordered_json ListDocument(const std::vector<ListedItem>& items);

// A document as standard output takes it: indented, one per program run.
std::wstring DocumentText(const nlohmann::ordered_json& document);

}  // namespace klarvex
