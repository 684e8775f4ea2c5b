#pragma once

// What a run did, item by item: collected by a front end from what the run
// tells its host (the item it begins, the entries it lists, the notices,
// the questions answered No, the item's end), for the command line's
// report and the main window's results. No system call here.

#include <cstdint>
#include <string>
#include <vector>

namespace klarvex {

// What became of an item, from the least to the most serious: a later
// event of a more serious kind decides it.
enum class ItemOutcome {
    Done,     // it ran to its end
    Skipped,  // it went without what a question it was not let answer Yes asked for
    Refused,  // the program would not do part of it (a notice says what)
    Error,    // the run was broken off in it
};

struct ItemResult {
    std::wstring name;  // "Category - Item"
    int32_t count = 0;
    int64_t bytes = 0;
    ItemOutcome outcome = ItemOutcome::Done;
    std::wstring text;  // the message (Refused, Error) or the question (Skipped), one a line
    // The entries the run listed for it (a detailed run names each file,
    // key, value or address it takes), in the order listed.
    std::vector<std::wstring> entries;
    // The run's list of entries was full before this item ended: what it
    // listed after that is in the log only.
    bool entriesCut = false;

    // Found nothing and has nothing to say.
    bool Empty() const noexcept { return count == 0 && bytes == 0 && outcome == ItemOutcome::Done; }
};

class TRunResults {
public:
    void BeginItem(const std::wstring& name);
    void Refused(const std::wstring& message) { Note(ItemOutcome::Refused, message); }
    void Declined(const std::wstring& question) { Note(ItemOutcome::Skipped, question); }
    void Error(const std::wstring& message) { Note(ItemOutcome::Error, message); }
    void AddEntry(std::wstring entry);
    // The run lists no more entries: the current item and every later one
    // are told as cut.
    void EntriesCut();
    void EndItem(int32_t count, int64_t bytes);
    // The whole run was refused before it began: every item, with why.
    void RefuseAll(const std::vector<std::wstring>& names, const std::wstring& message);

    const std::vector<ItemResult>& Items() const noexcept { return items_; }
    bool HasItems() const noexcept { return !items_.empty(); }
    // The sums over the items.
    int64_t TotalCount() const;
    int64_t TotalBytes() const;
    // Some item was refused, or the run was broken off in one.
    bool AnyRefusedOrBrokenOff() const;

private:
    void Note(ItemOutcome outcome, const std::wstring& text);

    std::vector<ItemResult> items_;
    bool entriesCut_ = false;
};

}  // namespace klarvex
