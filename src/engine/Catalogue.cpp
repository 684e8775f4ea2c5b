#include "engine/Catalogue.h"

#include <windows.h>

#include <algorithm>
#include <cwchar>

#include "base/Handles.h"
#include "base/Strings.h"
#include "base/Texts.h"
#include "engine/ProgressThread.h"
#include "engine/Winapp2Places.h"
#include "formats/IniFile.h"
#include "platform/RegistryKeys.h"
#include "settings/Global.h"
#include "settings/UserFiles.h"

namespace klarvex {

namespace {

struct CategoryDefinition {
    const wchar_t* text;
    int number;
    std::vector<const wchar_t*> items;
};

// The items of Chrome and of the browsers built on it (Edge, Brave).
const std::vector<const wchar_t*> kChromiumItems = {
    L"Temporary Internet Files", L"Cookies", L"Visited URL History", L"Stored passwords in Forms",
    L"Download History", L"Saved Form Information", L"Session"};

const std::vector<CategoryDefinition>& Definitions() {
    static const std::vector<CategoryDefinition> definitions = {
        {L"Internet Explorer", 1,
         {L"Recently Typed URLs", L"Cookies", L"Visited URL History", L"Last Download Location",
          L"Temporary Internet Files", L"Index.dat Files", L"Autocomplete History"}},
        {L"Windows", 2,
         {L"Recent Documents", L"Start Run", L"Search Assistant", L"Empty Recycle Bin", L"Temporary Files",
          L"Clipboard", L"Memory Dumps", L"Chkdsk File Fragments", L"Windows Log Files"}},
        {L"Netscape", 3,
         {L"Cookies", L"Visited URL History", L"Temporary Internet Files", L"Preferences",
          L"Saved Form Information"}},
        {L"Opera", 4,
         {L"Recently Typed URLs", L"Cookies", L"Visited URL History", L"Temporary Internet Files",
          L"Autocomplete History", L"Transfers"}},
        {L"Mozilla Firefox", 5,
         {L"Cookies", L"Visited URL History", L"Download Manager", L"Temporary Internet Files",
          L"Autocomplete History", L"Preferences", L"Saved Form Information", L"Session"}},
        {L"Google Chrome", 11, kChromiumItems},
        {L"Microsoft Edge", 12, kChromiumItems},
        {L"Brave", 13, kChromiumItems},
        {L"Advanced", 6,
         {L"Open File History", L"Menu Order Cache", L"Tray Notifications Cache", L"User Assist History", L"Paint",
          L"Google Toolbar History", L"MSN Toolbar History", L"Yahoo! Toolbar History", L"Wipe Free Space"}},
        {L"Microsoft Office", 7, {L"Access", L"Excel", L"FrontPage", L"Powerpoint", L"Word", L"Recent Files"}},
        {L"Instant Messengers", 8,
         {L"MSN Messenger", L"Yahoo! Messenger", L"ICQ", L"AOL Instant Messenger", L"Skype"}},
        {kApplicationsCategory, 9, {}},
        {kCustomListsCategory, 10, {kNewListItem}},
        {L"Windows Explorer", 14,
         {L"Jump Lists", L"Thumbnail Cache", L"Search History", L"Typed Paths", L"Open/Save Dialog History",
          L"Programs Run", L"Folder Views", L"Error Reports", L"Activity History"}},
    };
    return definitions;
}

TickState Flipped(TickState state) {
    return state == TickState::Ticked ? TickState::Unticked : TickState::Ticked;
}

}  // namespace

std::wstring ItemName(const std::wstring& category, const std::wstring& item) {
    return category + kNameSeparator + item;
}

std::wstring DisplayName(const std::wstring& category, const std::wstring& item) {
    if (item.empty()) return TranslatedName(category);
    return category == kApplicationsCategory ? item : TranslatedName(item);
}

std::wstring CategoryOf(const std::wstring& itemName) { return itemName.substr(0, itemName.find(kNameSeparator)); }

std::wstring ItemPartOf(const std::wstring& itemName) {
    const size_t separator = itemName.find(kNameSeparator);
    if (separator == std::wstring::npos) return itemName;
    return itemName.substr(separator + wcslen(kNameSeparator));
}

std::wstring DisplayItemName(const std::wstring& name) {
    if (name.find(kNameSeparator) == std::wstring::npos) return DisplayName(name);
    const std::wstring category = CategoryOf(name);
    return ItemName(DisplayName(category), DisplayName(category, ItemPartOf(name)));
}

TCatalogue::TCatalogue() {
    for (const auto& definition : Definitions()) {
        TCatalogueCategory category;
        category.Text = definition.text;
        category.Number = definition.number;
        for (const wchar_t* item : definition.items) category.Items.push_back({item});
        categories_.push_back(std::move(category));
    }
}

void TCatalogue::ClickCheckBox(size_t categoryIndex, std::optional<size_t> itemIndex) {
    auto& category = categories_.at(categoryIndex);
    if (!itemIndex) {
        category.State = Flipped(category.State);
        for (auto& item : category.Items) item.State = category.State;
        return;
    }
    auto& item = category.Items.at(*itemIndex);
    item.State = Flipped(item.State);
    UpdateCategoryFromItems(category);
}

void TCatalogue::UpdateCategoryFromItems(TCatalogueCategory& category) {
    bool anyTicked = false;
    for (const auto& item : category.Items) anyTicked = anyTicked || item.State == TickState::Ticked;
    category.State = anyTicked ? TickState::Ticked : TickState::Unticked;
}

void TCatalogue::UntickAll() {
    for (auto& category : categories_) {
        category.State = TickState::Unticked;
        for (auto& item : category.Items) item.State = TickState::Unticked;
    }
}

std::vector<std::wstring> TCatalogue::CollectTickedItems() const {
    std::vector<std::wstring> names;
    for (const auto& category : categories_)
        for (const auto& item : category.Items)
            if (item.State == TickState::Ticked) names.push_back(ItemName(category.Text, item.Text));
    return names;
}

void TCatalogue::TickByName(const std::wstring& name) {
    for (auto& category : categories_) {
        if (category.Text == name) {
            category.State = TickState::Ticked;
            return;
        }
        for (auto& item : category.Items) {
            if (ItemName(category.Text, item.Text) == name) {
                item.State = TickState::Ticked;
                return;
            }
        }
    }
}

bool TCatalogue::IsCategoryTicked(const std::wstring& categoryText) const {
    for (const auto& category : categories_)
        if (category.Text == categoryText) return category.State == TickState::Ticked;
    return false;
}

std::vector<std::wstring> TCatalogue::TickedNodeNames() const {
    std::vector<std::wstring> names;
    for (const auto& category : categories_) {
        if (category.State == TickState::Ticked) names.push_back(category.Text);
        for (const auto& item : category.Items)
            if (item.State == TickState::Ticked) names.push_back(ItemName(category.Text, item.Text));
    }
    return names;
}

std::vector<std::wstring> TCatalogue::AllItemNames() const {
    std::vector<std::wstring> names;
    for (const auto& category : categories_)
        for (const auto& item : category.Items) names.push_back(ItemName(category.Text, item.Text));
    return names;
}

void TCatalogue::StoreExpandState() const {
    for (const auto& category : categories_) Settings.FirstNodeExpand.at(category.Number) = category.Expanded;
}

void TCatalogue::RestoreExpandState() {
    for (auto& category : categories_)
        if (Settings.FirstNodeExpand.at(category.Number)) category.Expanded = true;
}

TCatalogueCategory* TCatalogue::FindCategory(const std::wstring& text) {
    for (auto& category : categories_)
        if (category.Text == text) return &category;
    return nullptr;
}

bool TCatalogue::AddApplication(const std::wstring& sectionName) {
    TCatalogueCategory* applications = nullptr;
    for (auto& category : categories_)
        if (UpperCase(category.Text) == UpperCase(kApplicationsCategory)) applications = &category;
    if (!applications || !applicationNames_.insert(UpperCase(sectionName)).second) return false;
    applications->Items.push_back({sectionName, applications->State});
    return true;
}

std::vector<std::wstring> MatchApplications(const std::vector<std::wstring>& sectionNames,
                                            const std::vector<std::wstring>& displayNames) {
    std::vector<std::wstring> upperSections;
    for (const auto& section : sectionNames) upperSections.push_back(UpperCase(section));
    std::vector<std::wstring> matches;
    for (const auto& displayName : displayNames) {
        const std::wstring upperDisplay = UpperCase(displayName);
        if (upperDisplay.empty()) continue;
        for (size_t i = 0; i < sectionNames.size(); ++i) {
            const std::wstring& upperSection = upperSections[i];
            if (upperSection.empty()) continue;
            if (upperDisplay.find(upperSection) != std::wstring::npos ||
                upperSection.find(upperDisplay) != std::wstring::npos)
                matches.push_back(sectionNames[i]);
        }
    }
    return matches;
}

namespace {

constexpr wchar_t kUninstallKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

void AppendDisplayNames(REGSAM view, std::vector<std::wstring>& names) {
    RegKey uninstall;
    // Read access is all this needs; a standard user cannot open the local
    // machine's keys for writing, and would otherwise see no applications.
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kUninstallKey, 0, KEY_READ | view, uninstall.Put()) != ERROR_SUCCESS)
        return;
    for (const auto& subkey : SubkeyNames(uninstall.Get())) {
        std::wstring name = ReadRegString(uninstall.Get(), subkey, L"DisplayName");
        if (!name.empty()) names.push_back(std::move(name));
    }
}

}  // namespace

std::vector<std::wstring> InstalledProgramNames() {
    // 64-bit programs first, then the 32-bit programs that Windows keeps in
    // their own view of the key.
    std::vector<std::wstring> names;
    AppendDisplayNames(KEY_WOW64_64KEY, names);
    AppendDisplayNames(KEY_WOW64_32KEY, names);
    return names;
}

void FillApplications(TCatalogue& catalogue, const std::wstring& ruleFilePath) {
    const auto sections = TIniFile(ruleFilePath).SectionNames();
    if (sections.empty()) return;
    for (const auto& section : MatchApplications(sections, InstalledProgramNames()))
        catalogue.AddApplication(section);
}

void AddWinapp2Applications(TCatalogue& catalogue, const std::wstring& path) {
    const std::vector<Winapp2Entry> entries = LoadWinapp2File(path);
    if (entries.empty()) return;
    TWinapp2Detector detector(ReadWinapp2Variables(), RunningWindowsVersion());
    for (const auto& entry : entries)
        if (detector.IsDetected(entry)) catalogue.AddApplication(entry.name);
}

const Winapp2Entry* TApplicationRules::Winapp2EntryFor(const std::wstring& section) {
    if (!klarvexSections_) klarvexSections_ = TIniFile(klarvexDatPath_).SectionNames();
    auto same = [&section](const std::wstring& name) { return SameText(name, section); };
    if (std::any_of(klarvexSections_->begin(), klarvexSections_->end(), same)) return nullptr;
    if (!winapp2Entries_) winapp2Entries_ = LoadWinapp2File(winapp2Path_);
    const auto entry = std::find_if(winapp2Entries_->begin(), winapp2Entries_->end(),
                                    [&same](const Winapp2Entry& e) { return same(e.name); });
    return entry == winapp2Entries_->end() ? nullptr : &*entry;
}

void FillAllApplications(TCatalogue& catalogue) {
    FillApplications(catalogue, ExeDir() + TClearTaskThread::kKlarvexRuleFile);
    AddWinapp2Applications(catalogue, UserFilePath(kWinapp2RuleFile));
}

}  // namespace klarvex
