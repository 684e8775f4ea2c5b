#include <gtest/gtest.h>

#include "engine/Catalogue.h"
#include "settings/Global.h"
#include "support/Fixtures.h"

namespace klarvex {
namespace {

using testing::ScratchRegKeys;
using testing::ScratchFolder;
using testing::WriteTextFile;

size_t IndexOf(const TCatalogue& catalogue, const std::wstring& text) {
    const auto& categories = catalogue.Categories();
    for (size_t i = 0; i < categories.size(); ++i)
        if (categories[i].Text == text) return i;
    ADD_FAILURE() << "no such category";
    return 0;
}

TEST(Catalogue, HasItsCategoriesInTreeOrderWithTheirNumbers) {
    TCatalogue catalogue;
    const auto& c = catalogue.Categories();
    ASSERT_EQ(c.size(), 14u);
    const std::vector<std::pair<std::wstring, int>> expected = {
        {L"Internet Explorer", 1}, {L"Windows", 2},      {L"Netscape", 3},           {L"Opera", 4},
        {L"Mozilla Firefox", 5},   {L"Google Chrome", 11}, {L"Microsoft Edge", 12},  {L"Brave", 13},
        {L"Advanced", 6},          {L"Microsoft Office", 7}, {L"Instant Messengers", 8}, {L"Applications", 9},
        {L"Custom Lists", 10},     {L"Windows Explorer", 14}};
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(c[i].Text, expected[i].first);
        EXPECT_EQ(c[i].Number, expected[i].second);
        EXPECT_EQ(c[i].State, TickState::NoCheckBox);
    }
    const auto names = catalogue.AllItemNames();
    EXPECT_EQ(names.size(), 7u + 9 + 5 + 6 + 8 + 7 + 7 + 7 + 9 + 6 + 5 + 0 + 1 + 9);
    EXPECT_EQ(names.front(), L"Internet Explorer - Recently Typed URLs");
    EXPECT_EQ(names.back(), L"Windows Explorer - Activity History");
    EXPECT_EQ(names[7 + 9 + 5 + 6 + 8 + 3], L"Google Chrome - Stored passwords in Forms");
}

TEST(Catalogue, TickingPropagatesBetweenCategoryAndItems) {
    TCatalogue catalogue;
    catalogue.UntickAll();
    const size_t windows = IndexOf(catalogue, L"Windows");

    catalogue.ClickCheckBox(windows);  // the category ticks every item
    for (const auto& item : catalogue.Categories()[windows].Items) EXPECT_EQ(item.State, TickState::Ticked);
    EXPECT_EQ(catalogue.CollectTickedItems().size(), 9u);

    catalogue.ClickCheckBox(windows);  // and unticks them all
    EXPECT_TRUE(catalogue.CollectTickedItems().empty());
    EXPECT_FALSE(catalogue.IsCategoryTicked(L"Windows"));

    catalogue.ClickCheckBox(windows, 5);  // one item ticks its category
    catalogue.ClickCheckBox(windows, 0);
    EXPECT_TRUE(catalogue.IsCategoryTicked(L"Windows"));
    catalogue.ClickCheckBox(windows, 5);
    EXPECT_TRUE(catalogue.IsCategoryTicked(L"Windows"));
    catalogue.ClickCheckBox(windows, 0);  // the last one unticks it
    EXPECT_FALSE(catalogue.IsCategoryTicked(L"Windows"));
}

TEST(Catalogue, CollectsTickedItemsInTreeOrderButNeverCategories) {
    TCatalogue catalogue;
    catalogue.UntickAll();
    catalogue.TickByName(L"Opera - Cookies");
    catalogue.TickByName(L"Windows - Clipboard");
    catalogue.TickByName(L"Applications");  // a ticked category without items
    catalogue.TickByName(L"Custom Lists - <New List>");
    EXPECT_EQ(catalogue.CollectTickedItems(),
              (std::vector<std::wstring>{L"Windows - Clipboard", L"Opera - Cookies", L"Custom Lists - <New List>"}));
    EXPECT_TRUE(catalogue.IsCategoryTicked(L"Applications"));
}

TEST(Catalogue, TickByNameMatchesExactlyAndTicksOnlyTheNamedNode) {
    TCatalogue catalogue;
    catalogue.UntickAll();
    catalogue.TickByName(L"Windows");  // a category alone: its items stay as they are
    catalogue.TickByName(L"windows - clipboard");
    catalogue.TickByName(L"Applications - Some Player");  // not installed any more
    EXPECT_TRUE(catalogue.IsCategoryTicked(L"Windows"));
    EXPECT_TRUE(catalogue.CollectTickedItems().empty());
    EXPECT_EQ(catalogue.TickedNodeNames(), std::vector<std::wstring>{L"Windows"});

    catalogue.TickByName(L"Windows - Clipboard");
    EXPECT_EQ(catalogue.TickedNodeNames(), (std::vector<std::wstring>{L"Windows", L"Windows - Clipboard"}));
}

TEST(Catalogue, ExpandStateGoesThroughTheSettingsRecordByCategoryNumber) {
    TCatalogue catalogue;
    Settings.FirstNodeExpand.fill(false);
    Settings.FirstNodeExpand[11] = true;  // Google Chrome
    catalogue.RestoreExpandState();
    EXPECT_TRUE(catalogue.Categories()[IndexOf(catalogue, L"Google Chrome")].Expanded);
    EXPECT_FALSE(catalogue.Categories()[IndexOf(catalogue, L"Opera")].Expanded);

    catalogue.SetExpanded(IndexOf(catalogue, L"Google Chrome"), false);
    catalogue.SetExpanded(IndexOf(catalogue, L"Advanced"), true);
    catalogue.StoreExpandState();
    EXPECT_FALSE(Settings.FirstNodeExpand[11]);
    EXPECT_TRUE(Settings.FirstNodeExpand[6]);
}

TEST(MatchApplications, MatchesEitherWayInUpperCaseInProgramOrder) {
    const std::vector<std::wstring> sections = {L"ICQ", L"WinZip", L"Adobe Reader", L"VLC media player"};
    const std::vector<std::wstring> programs = {L"vlc", L"Adobe Reader XI - English", L"", L"ICQ 8.2 (build 7145)"};
    EXPECT_EQ(MatchApplications(sections, programs),
              (std::vector<std::wstring>{L"VLC media player", L"Adobe Reader", L"ICQ"}));
}

// The uninstall key of the sandbox's registry, with programs of our own.
class FillApplicationsTest : public ::testing::Test {
protected:
    static constexpr wchar_t kUninstall[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
    ScratchRegKeys zz_{{std::wstring(kUninstall) + L"\\KlarvexTest-ZZ"}, HKEY_LOCAL_MACHINE};
    ScratchRegKeys aa_{{std::wstring(kUninstall) + L"\\KlarvexTest-AA"}, HKEY_LOCAL_MACHINE};
    ScratchRegKeys empty_{{std::wstring(kUninstall) + L"\\KlarvexTest-MM"}, HKEY_LOCAL_MACHINE};
    ScratchFolder dir_;
};

TEST_F(FillApplicationsTest, AddsMatchingSectionsOnceAsWrittenInTheRuleFile) {
    WriteTextFile(dir_ / L"Klarvex.dat",
                  "[ICQ]\r\nDelFile1=C:\\x\r\n[Klarvex Test Player]\r\n[Klarvex Test Zip]\r\n[Unrelated Tool]\r\n");
    zz_.SetString(L"", L"DisplayName", L"klarvex test zip 9.1");
    aa_.SetString(L"", L"DisplayName", L"Klarvex Test Player (x64) with ICQ plug-in");
    empty_.SetString(L"", L"DisplayName", L"");

    TCatalogue catalogue;
    FillApplications(catalogue, dir_ / L"Klarvex.dat");
    std::vector<std::wstring> applications;
    for (const auto& item : catalogue.Categories()[IndexOf(catalogue, L"Applications")].Items)
        applications.push_back(item.Text);
    // Enumeration order of the programs, then file order of the sections.
    EXPECT_EQ(applications, (std::vector<std::wstring>{L"ICQ", L"Klarvex Test Player", L"Klarvex Test Zip"}));

    FillApplications(catalogue, dir_ / L"Klarvex.dat");  // nothing twice
    EXPECT_EQ(catalogue.Categories()[IndexOf(catalogue, L"Applications")].Items.size(), 3u);
}

TEST_F(FillApplicationsTest, AMissingRuleFileAddsNothing) {
    aa_.SetString(L"", L"DisplayName", L"ICQ");
    TCatalogue catalogue;
    FillApplications(catalogue, dir_ / L"missing.dat");
    EXPECT_TRUE(catalogue.Categories()[IndexOf(catalogue, L"Applications")].Items.empty());
}

}  // namespace
}  // namespace klarvex
