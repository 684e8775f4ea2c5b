#include "cli/RunReport.h"

#include "base/Strings.h"
#include "engine/Catalogue.h"

namespace klarvex {

namespace {

using Json = nlohmann::ordered_json;

std::string Utf8(const std::wstring& text) { return WideToUtf8(text); }

// An item name's category: the text before its first separator (a
// category's text holds none; an application's name may).
std::wstring CategoryOf(const std::wstring& itemName) {
    return itemName.substr(0, itemName.find(kNameSeparator));
}

const char* OutcomeName(ItemOutcome outcome) {
    switch (outcome) {
        case ItemOutcome::Done: return "done";
        case ItemOutcome::Skipped: return "skipped";
        case ItemOutcome::Refused: return "refused";
        case ItemOutcome::Error: return "error";
    }
    return "";
}

}  // namespace

void TRunReport::BeginItem(const std::wstring& name) {
    items_.emplace_back();
    items_.back().name = name;
}

void TRunReport::EndItem(int32_t count, int64_t bytes) {
    if (items_.empty()) return;
    items_.back().count = count;
    items_.back().bytes = bytes;
}

void TRunReport::RefuseAll(const std::vector<std::wstring>& names, const std::wstring& message) {
    for (const auto& name : names) {
        BeginItem(name);
        Refused(message);
    }
}

void TRunReport::Note(ItemOutcome outcome, const std::wstring& text) {
    if (items_.empty()) return;
    ItemReport& item = items_.back();
    if (outcome < item.outcome) return;
    if (outcome > item.outcome) {
        item.outcome = outcome;
        item.text.clear();
    }
    if (!item.text.empty()) item.text += L'\n';
    item.text += text;
}

int64_t TRunReport::TotalCount() const {
    int64_t total = 0;
    for (const auto& item : items_) total += item.count;
    return total;
}

int64_t TRunReport::TotalBytes() const {
    int64_t total = 0;
    for (const auto& item : items_) total += item.bytes;
    return total;
}

Json RunDocument(const TRunReport& report, bool testRun, bool fastMode, int exitStatus) {
    Json items = Json::array();
    for (const auto& item : report.Items()) {
        Json entry = {{"name", Utf8(item.name)},     {"category", Utf8(CategoryOf(item.name))},
                      {"count", item.count},         {"bytes", item.bytes},
                      {"outcome", OutcomeName(item.outcome)}};
        if (item.outcome == ItemOutcome::Skipped) entry["question"] = Utf8(item.text);
        else if (item.outcome != ItemOutcome::Done) entry["message"] = Utf8(item.text);
        items.push_back(std::move(entry));
    }
    return {{"command", testRun ? "test" : "clean"},
            {"mode", fastMode ? "fast" : "detail"},
            {"items", std::move(items)},
            {"totals", {{"count", report.TotalCount()}, {"bytes", report.TotalBytes()}}},
            {"exit_status", exitStatus}};
}

Json ListDocument(const std::vector<ListedItem>& items) {
    Json list = Json::array();
    for (const auto& item : items) {
        Json entry = {{"name", Utf8(item.name)},
                      {"category", Utf8(item.category)},
                      {"rules", Utf8(item.rules)},
                      {"ticked", item.ticked}};
        if (!item.warning.empty()) entry["warning"] = Utf8(item.warning);
        list.push_back(std::move(entry));
    }
    return {{"command", "list"}, {"items", std::move(list)}};
}

std::wstring DocumentText(const Json& document) {
    // Should a text still hold something that is not UTF-8, the
    // replacement character stands in for it rather than the whole
    // document failing.
    return Utf8ToWide(document.dump(2, ' ', false, Json::error_handler_t::replace));
}

}  // namespace klarvex
