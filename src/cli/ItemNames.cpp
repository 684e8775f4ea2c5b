#include "cli/ItemNames.h"

#include <algorithm>
#include <numeric>
#include <string_view>

#include "base/PathText.h"
#include "base/Strings.h"

namespace klarvex {

namespace {

// Whether the typed name stands for that text (both in upper case).
bool NameMatches(const std::wstring& upperName, bool wildcard, const std::wstring& upperText) {
    return wildcard ? WildcardMatch(upperName, upperText) : upperName == upperText;
}

// The edit distance of two texts: the fewest insertions, deletions and
// replacements of one character that turn one into the other.
size_t EditDistance(std::wstring_view a, std::wstring_view b) {
    // One row of the table at a time: row[j] is the distance between the
    // first i characters of a and the first j of b.
    std::vector<size_t> row(b.size() + 1);
    std::iota(row.begin(), row.end(), size_t{0});
    for (size_t i = 1; i <= a.size(); ++i) {
        size_t diagonal = row[0];
        row[0] = i;
        for (size_t j = 1; j <= b.size(); ++j) {
            const size_t above = row[j];
            row[j] = std::min({above + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[b.size()];
}

}  // namespace

ItemSelection SelectItems(const TCatalogue& catalogue, const std::vector<std::wstring>& names) {
    struct Typed {
        std::wstring upper;
        bool wildcard;
        bool matched = false;
    };
    std::vector<Typed> typed;
    for (const auto& name : names) typed.push_back({UpperCase(name), HasWildcard(name)});

    // Walking the tree once keeps its order and takes each item once,
    // however many names stand for it.
    ItemSelection selection;
    for (const auto& category : catalogue.Categories()) {
        const std::wstring upperCategory = UpperCase(category.Text);
        bool wholeCategory = false;
        for (auto& name : typed) {
            if (!NameMatches(name.upper, name.wildcard, upperCategory)) continue;
            name.matched = true;
            wholeCategory = true;
        }
        for (const auto& item : category.Items) {
            const std::wstring fullName = ItemName(category.Text, item.Text);
            const std::wstring upperItem = UpperCase(fullName);
            bool selected = wholeCategory;
            for (auto& name : typed) {
                if (!NameMatches(name.upper, name.wildcard, upperItem)) continue;
                name.matched = true;
                selected = true;
            }
            if (selected) selection.items.push_back(fullName);
        }
    }
    for (size_t i = 0; i < names.size(); ++i)
        if (!typed[i].matched) selection.unmatched.push_back(names[i]);
    return selection;
}

std::vector<std::wstring> KnownNames(const TCatalogue& catalogue) {
    std::vector<std::wstring> names;
    for (const auto& category : catalogue.Categories()) {
        names.push_back(category.Text);
        for (const auto& item : category.Items) names.push_back(ItemName(category.Text, item.Text));
    }
    return names;
}

std::vector<std::wstring> ClosestNames(const std::wstring& name, const std::vector<std::wstring>& candidates,
                                       size_t most) {
    const std::wstring upperName = UpperCase(name);
    std::vector<std::pair<size_t, size_t>> ranked;  // distance, index
    for (size_t i = 0; i < candidates.size(); ++i) {
        const std::wstring upperCandidate = UpperCase(candidates[i]);
        const size_t distance = EditDistance(upperName, upperCandidate);
        if (distance * 5 <= std::max(upperName.size(), upperCandidate.size()) * 2 ||
            (!upperName.empty() && upperCandidate.find(upperName) != std::wstring::npos))
            ranked.emplace_back(distance, i);
    }
    std::stable_sort(ranked.begin(), ranked.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<std::wstring> closest;
    for (size_t i = 0; i < ranked.size() && i < most; ++i) closest.push_back(candidates[ranked[i].second]);
    return closest;
}

}  // namespace klarvex
