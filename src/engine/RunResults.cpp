#include "engine/RunResults.h"

#include <algorithm>
#include <utility>

namespace klarvex {

void TRunResults::BeginItem(const std::wstring& name) {
    items_.emplace_back();
    items_.back().name = name;
    items_.back().entriesCut = entriesCut_;
}

void TRunResults::AddEntry(std::wstring entry) {
    if (!items_.empty()) items_.back().entries.push_back(std::move(entry));
}

void TRunResults::EntriesCut() {
    entriesCut_ = true;
    if (!items_.empty()) items_.back().entriesCut = true;
}

void TRunResults::EndItem(int32_t count, int64_t bytes) {
    if (items_.empty()) return;
    items_.back().count = count;
    items_.back().bytes = bytes;
}

void TRunResults::RefuseAll(const std::vector<std::wstring>& names, const std::wstring& message) {
    for (const auto& name : names) {
        BeginItem(name);
        Refused(message);
    }
}

void TRunResults::Note(ItemOutcome outcome, const std::wstring& text) {
    if (items_.empty()) return;
    ItemResult& item = items_.back();
    if (outcome < item.outcome) return;
    if (outcome > item.outcome) {
        item.outcome = outcome;
        item.text.clear();
    }
    if (!item.text.empty()) item.text += L'\n';
    item.text += text;
}

int64_t TRunResults::TotalCount() const {
    int64_t total = 0;
    for (const auto& item : items_) total += item.count;
    return total;
}

int64_t TRunResults::TotalBytes() const {
    int64_t total = 0;
    for (const auto& item : items_) total += item.bytes;
    return total;
}

bool TRunResults::AnyRefusedOrBrokenOff() const {
    return std::any_of(items_.begin(), items_.end(), [](const ItemResult& item) {
        return item.outcome == ItemOutcome::Refused || item.outcome == ItemOutcome::Error;
    });
}

}  // namespace klarvex
