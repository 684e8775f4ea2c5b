#pragma once

#include <cstddef>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "formats/Winapp2.h"
#include "settings/Global.h"

namespace klarvex {

// Tick state of a node of the tree of clean items. Before the settings are
// loaded no node shows a check box.
enum class TickState : unsigned char { NoCheckBox = 0, Unticked = 1, Ticked = 2 };

struct TCatalogueItem {
    std::wstring Text;
    TickState State = TickState::NoCheckBox;
};

struct TCatalogueCategory {
    std::wstring Text;
    int Number = 0;  // 1 to kCategoryCount; also the index of the category's expand flag
    TickState State = TickState::NoCheckBox;
    bool Expanded = false;
    std::vector<TCatalogueItem> Items;
};

inline constexpr wchar_t kNameSeparator[] = L" - ";
inline constexpr wchar_t kApplicationsCategory[] = L"Applications";
inline constexpr wchar_t kCustomListsCategory[] = L"Custom Lists";
inline constexpr wchar_t kNewListItem[] = L"<New List>";

// The two-level list of everything the program can clear, with the user's
// ticks. The main window's tree view shows this model; it holds no window.
class TCatalogue : public ITickedNodes {
public:
    // The fixed categories and items, in tree order, without check boxes.
    TCatalogue();

    const std::vector<TCatalogueCategory>& Categories() const noexcept { return categories_; }

    // A click on a node's check box: the node flips; a category passes its
    // new state to all its items, an item sets its category to ticked when
    // any of its siblings is ticked.
    void ClickCheckBox(size_t category, std::optional<size_t> item = std::nullopt);

    // Every node to Unticked, in tree order (the first step of loading).
    void UntickAll() override;

    // "Category - Item" for every ticked item, in tree order.
    std::vector<std::wstring> CollectTickedItems() const;

    // Ticks the first item whose full name, or the first category whose text,
    // equals name exactly. Unknown names are ignored.
    void TickByName(const std::wstring& name) override;

    // True when that category node is ticked.
    bool IsCategoryTicked(const std::wstring& categoryText) const;

    // The names under which ticked nodes are remembered, in tree order:
    // categories by their text, items by their full name.
    std::vector<std::wstring> TickedNodeNames() const override;

    // "Category - Item" for every item, in tree order.
    std::vector<std::wstring> AllItemNames() const;

    // Expand flags of the settings record <-> the categories.
    void StoreExpandState() const;
    void RestoreExpandState();
    void SetExpanded(size_t category, bool expanded) { categories_.at(category).Expanded = expanded; }

    // Adds an item to "Applications" unless one of the same text (in upper
    // case) is there already. Returns whether it was added.
    bool AddApplication(const std::wstring& sectionName);

private:
    TCatalogueCategory* FindCategory(const std::wstring& text);
    void UpdateCategoryFromItems(TCatalogueCategory& category);

    std::vector<TCatalogueCategory> categories_;
    std::set<std::wstring> applicationNames_;  // the items of "Applications", in upper case
};

std::wstring ItemName(const std::wstring& category, const std::wstring& item);
// The two halves of an item name: its category, the text before its first
// separator (a category's text holds none; an application's name may), and
// the item's own name after it (the whole name when it has no separator).
std::wstring CategoryOf(const std::wstring& itemName);
std::wstring ItemPartOf(const std::wstring& itemName);

// What the window shows, in the language of the texts, for a category's
// text (item empty) or an item's text in its category; the programs of
// "Applications" keep their names. Stored and compared names stay English.
std::wstring DisplayName(const std::wstring& category, const std::wstring& item = L"");
// The same for a whole item name ("Category - Item") or a category's.
std::wstring DisplayItemName(const std::wstring& name);

// Section names of the rule file that match installed programs: for each
// display name in order, each section (in file order) whose upper-case text
// contains, or is contained in, the upper-case display name.
std::vector<std::wstring> MatchApplications(const std::vector<std::wstring>& sectionNames,
                                            const std::vector<std::wstring>& displayNames);

// Display names of the installed programs (the uninstall key of the local
// machine), in enumeration order; empty names are left out.
std::vector<std::wstring> InstalledProgramNames();

// Fills "Applications" from the rule file at ruleFilePath and the installed
// programs.
void FillApplications(TCatalogue& catalogue, const std::wstring& ruleFilePath);

// Adds to "Applications" the entries of the Winapp2 file at path whose
// programs are detected here, in file order, after what is there already
// (a name already there is not added again).
void AddWinapp2Applications(TCatalogue& catalogue, const std::wstring& path);

// "Applications" as the front ends show it: from the Klarvex.dat beside
// the program, then from a Winapp2.ini the user brings (where the user's
// files live: beside a portable copy).
void FillAllApplications(TCatalogue& catalogue);

// Which rules clean an "Applications" item: the section of its name in
// Klarvex.dat, or when Klarvex.dat has none of that name (in any letter
// case), the entry of that name in the Winapp2 file. Each file is read
// once, when it is first needed: a run asks for one item, a listing for
// all of them.
class TApplicationRules {
public:
    TApplicationRules(std::wstring klarvexDatPath, std::wstring winapp2Path)
        : klarvexDatPath_(std::move(klarvexDatPath)), winapp2Path_(std::move(winapp2Path)) {}

    // The Winapp2 entry that cleans the section; null when Klarvex.dat
    // does, or when neither file knows the name.
    const Winapp2Entry* Winapp2EntryFor(const std::wstring& section);

private:
    std::wstring klarvexDatPath_;
    std::wstring winapp2Path_;
    std::optional<std::vector<std::wstring>> klarvexSections_;
    std::optional<std::vector<Winapp2Entry>> winapp2Entries_;
};

}  // namespace klarvex
