#include "cli/RunReport.h"

#include "base/Strings.h"
#include "engine/Catalogue.h"

namespace klarvex {

namespace {

using Json = nlohmann::ordered_json;

std::string Utf8(const std::wstring& text) { return WideToUtf8(text); }

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

Json RunDocument(const TRunResults& report, bool testRun, bool fastMode, int exitStatus) {
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
