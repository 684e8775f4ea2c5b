// The shipped Klarvex.dat: every rule is well formed and none could clear a
// drive root or the user's documents.

#include <gtest/gtest.h>

#include <windows.h>

#include <set>

#include "engine/Catalogue.h"
#include "base/Strings.h"
#include "engine/ProgressThread.h"
#include "engine/RuleText.h"
#include "engine/SystemLookups.h"
#include "settings/IniFile.h"

namespace klarvex {
namespace {

std::vector<std::wstring> Lines(const std::wstring& path, const std::wstring& section) {
    std::wstring buffer(64 * 1024, L'\0');
    const DWORD length = GetPrivateProfileSectionW(section.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()),
                                                   path.c_str());
    std::vector<std::wstring> lines;
    for (size_t start = 0; start < length;) {
        const size_t end = buffer.find(L'\0', start);
        if (end == start || end == std::wstring::npos) break;
        lines.emplace_back(buffer, start, end - start);
        start = end + 1;
    }
    return lines;
}

TEST(ShippedRules, EveryRuleIsWellFormedAndStaysOffDriveRootsAndDocuments) {
    const std::wstring path = ExeDir() + L"Klarvex.dat";
    const auto sections = TIniFile(path).SectionNames();
    ASSERT_GE(sections.size(), 46u);
    const std::set<std::wstring> names(sections.begin(), sections.end());
    for (const wchar_t* builtIn : {L"Windows Log Files", L"ICQ", L"AOL Instant Messenger", L"Google Toolbar History",
                                   L"MSN Toolbar History", L"Yahoo! Toolbar History"})
        EXPECT_TRUE(names.count(builtIn)) << builtIn;
    EXPECT_EQ(names.size(), sections.size()) << "a section name appears twice";

    // Resolved as on a machine where every placeholder reads.
    RulePlaceholders values = ReadRulePlaceholders();
    ASSERT_FALSE(values.programFiles.empty());
    ASSERT_FALSE(values.localAppData.empty());
    ASSERT_FALSE(values.currentAppData.empty());
    ASSERT_FALSE(values.commonAppData.empty());
    const std::wstring documents = UpperCase(GetMyDocumentsDir());
    const std::wstring profile = UpperCase(WithBackslash(values.currentAppData + L"\\..\\.."));

    for (const auto& section : sections) {
        const auto lines = Lines(path, section);
        EXPECT_FALSE(lines.empty()) << section;
        std::set<std::wstring> keys;
        for (const auto& line : lines) {
            SCOPED_TRACE(Utf8ToWide("[") + section + L"] " + line);
            const RuleKinds kinds = RuleKindsOfLine(line);
            ASSERT_NE(kinds.registry, kinds.file) << "a rule of one kind";
            const std::wstring key = line.substr(0, line.find(L'='));
            EXPECT_TRUE(keys.insert(UpperCase(key)).second) << "the key appears twice: the profile functions keep one";
            const std::wstring value = RuleValueOfLine(line);
            EXPECT_EQ(value.find(L".."), std::wstring::npos);
            if (kinds.registry) {
                const auto rule = SplitRegistryRule(value);
                ASSERT_TRUE(rule);
                EXPECT_EQ(rule->root, UpperCase(rule->root));
                EXPECT_NE(RootKeyFromName(rule->root), RootKey::None);
                // At least one program's own key (Software\<program>), never a shared one.
                EXPECT_GE(std::count(rule->keyPath.begin(), rule->keyPath.end(), L'\\'), 1);
                EXPECT_EQ(rule->keyPath, TrimKeyPath(rule->keyPath));
                EXPECT_FALSE(IsSharedRegistryKey(RootKeyFromName(rule->root), UpperCase(rule->keyPath)));
                continue;
            }
            const FileRule rule = SplitFileRule(value);
            EXPECT_TRUE(IsPlaceholder(rule.base)) << "a literal base";
            const auto folder = RuleFolder(rule, values);
            ASSERT_TRUE(folder);
            if (!rule.hasComma) {
                EXPECT_FALSE(rule.folderPath.empty()) << "a whole placeholder folder";
            }
            if (!rule.folderPath.empty()) {
                EXPECT_NE(rule.folderPath.back(), L'\\');
            }
            const std::wstring upper = UpperCase(WithBackslash(*folder));
            EXPECT_GE(upper.size(), 4u);
            EXPECT_FALSE(upper.starts_with(documents)) << "inside the user's documents";
            EXPECT_NE(upper, profile);
            if (rule.hasComma) {
                EXPECT_FALSE(rule.mask.empty());
                EXPECT_EQ(rule.mask.find(L'\\'), std::wstring::npos);
            }
        }
    }
}

TEST(ShippedRules, EveryItemOfTheTreeReachesACleanerOrASectionOfItsRuleFile) {
    const auto sections = TIniFile(ExeDir() + L"Klarvex.dat").SectionNames();
    const std::set<std::wstring> known(sections.begin(), sections.end());
    std::vector<std::wstring> names = TCatalogue().AllItemNames();
    for (const auto& section : sections) names.push_back(ItemName(kApplicationsCategory, section));
    for (const auto& name : names) {
        SCOPED_TRACE(name);
        const auto target = TClearTaskThread::Dispatch(name);
        switch (target.ruleFile) {
            case TClearTaskThread::RuleFile::None:
                EXPECT_TRUE(target.cleaner != nullptr || target.chromium != nullptr);
                break;
            case TClearTaskThread::RuleFile::Klarvex: EXPECT_TRUE(known.count(SectionNameFromItem(name))); break;
            case TClearTaskThread::RuleFile::CustomLists: EXPECT_EQ(name, L"Custom Lists - <New List>"); break;
        }
    }
}

}  // namespace
}  // namespace klarvex
