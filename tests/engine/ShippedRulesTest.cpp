// The shipped Klarvex.dat: every rule is well formed and none could clear a
// drive root or the user's documents.

#include <gtest/gtest.h>

#include <windows.h>

#include <set>

#include "base/PathText.h"
#include "base/Strings.h"
#include "engine/Catalogue.h"
#include "engine/ProgressThread.h"
#include "EngineFixture.h"
#include "formats/IniFile.h"
#include "formats/RuleText.h"
#include "platform/RegistryPaths.h"
#include "platform/SystemLookups.h"
#include "settings/Global.h"

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
                // Whole keys of applications or histories; one setting of Windows would be asked about.
                const RuleKeyUse use = KeyUseForRules(RootKeyFromName(rule->root), UpperCase(rule->keyPath));
                if (rule->hasComma && !rule->valueName.empty()) EXPECT_NE(use, RuleKeyUse::NamedValuesAsked);
                else EXPECT_EQ(use, RuleKeyUse::Whole);
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
        const auto target = CleanerFor(name);
        switch (target.ruleFile) {
            case TClearTaskThread::RuleFile::None:
                EXPECT_TRUE(target.cleaner != nullptr || target.call != nullptr);
                break;
            case TClearTaskThread::RuleFile::Klarvex: EXPECT_TRUE(known.count(SectionNameFromItem(name))); break;
            case TClearTaskThread::RuleFile::CustomLists: EXPECT_EQ(name, L"Custom Lists - <New List>"); break;
        }
    }
}

// What the sections of the shipped file take and keep, seeded in the
// sandbox. A place is written "R:" (AppData), "L:" (Local AppData), "W:"
// (LocalLow), "P:" (Program Files) or "C:" (the programs' common data)
// with a file below it, or "K:" with a value of the user's registry
// ("key,value"). Each seeded file and value counts one.
struct SectionRow {
    const wchar_t* section;
    std::vector<const wchar_t*> going;
    std::vector<const wchar_t*> staying;
};

const SectionRow kSectionRows[] = {
    {L"Winamp", {L"R:Winamp\\Plugins\\crash.dmp", L"R:Winamp\\Plugins\\ml\\recent.dat", L"P:Winamp\\install log.txt"},
     {L"R:Winamp\\Winamp.m3u8", L"R:Winamp\\Plugins\\ml\\main.dat"}},
    {L"Windows Media Player", {L"L:Microsoft\\Media Player\\Art Cache\\a.jpg",
                               L"K:Software\\Microsoft\\MediaPlayer\\Player\\Settings,OpenDir"},
     {L"K:Software\\Microsoft\\MediaPlayer\\Player\\Settings,Volume"}},
    {L"Media Player Classic", {L"K:Software\\Gabest\\Media Player Classic\\Settings,DVD Position 20",
                               L"R:Media Player Classic\\mpc.dmp"},
     {L"K:Software\\Gabest\\Media Player Classic\\Settings,Language"}},
    {L"PotPlayer", {L"R:Daum\\PotPlayer\\Log\\x.txt", L"P:DAUM\\PotPlayer\\History\\h.txt"},
     {L"R:Daum\\PotPlayer\\PotPlayerMini64.ini"}},
    {L"QuickTime", {L"W:Apple Computer\\QuickTime\\downloads\\m.mov"}, {L"W:Apple Computer\\QuickTime\\prefs"}},
    {L"RealPlayer", {L"R:Real\\RealPlayer\\cookies.txt", L"R:Real\\RealPlayer\\ErrorLogs\\e.log",
                     L"C:Real\\RPDS\\Logs\\r.log"},
     {L"R:Real\\RealPlayer\\prefs.xml"}},
    {L"Spotify", {L"L:Spotify\\Data\\chunk", L"R:Spotify\\spotify.log"}, {L"L:Spotify\\Storage\\song"}},
    {L"WinRAR", {L"K:Software\\WinRAR\\DialogEditHistory\\Find,0", L"K:Software\\WinRAR SFX,C:\\Temp"},
     {L"K:Software\\WinRAR\\General,Theme"}},
    {L"WinZip", {L"K:Software\\Nico Mak Computing\\WinZip\\Mru,xd0",
                 L"L:Nico Mak Computing\\WinZip Update Notifier\\log\\log-1.txt"},
     {L"L:Nico Mak Computing\\WinZip Update Notifier\\log\\settings.txt"}},
    {L"Sublime Text", {L"L:Sublime Text\\Cache\\c"}, {L"L:Sublime Text\\Index\\i"}},
    {L"Evernote", {L"W:Evernote\\Evernote\\Logs\\e.log"}, {L"W:Evernote\\Evernote\\Databases\\u.exb"}},
    {L"Everything", {L"P:Everything\\Run History.csv", L"L:EverythingToolbar\\history.xml"},
     {L"P:Everything\\Bookmarks.csv"}},
    {L"TortoiseSVN", {L"R:TortoiseSVN\\logfile.txt", L"L:TSVNCache\\cache"}, {L"R:TortoiseSVN\\dic\\en.dic"}},
    {L"Adobe Reader", {L"K:Software\\Adobe\\Acrobat Reader\\11.0\\RememberedViews\\cNoCategoryFiles\\c1,t"},
     {L"K:Software\\Adobe\\Acrobat Reader\\11.0\\AVGeneral,bShowSplash"}},
    {L"Adobe Acrobat", {L"K:Software\\Adobe\\Acrobat Reader\\2017\\AVGeneral\\cRecentFiles\\c1,t",
                        L"K:Software\\Adobe\\Adobe Acrobat\\11.0\\AVGeneral\\cRecentFolders\\c1,t"},
     {L"K:Software\\Adobe\\Adobe Acrobat\\11.0\\AVGeneral,bShowSplash"}},
    {L"Foxit Reader", {L"K:Software\\Foxit Software\\Foxit Reader 8.0\\MRU\\File MRU,Item 1",
                       L"R:Foxit Software\\Foxit Reader\\StartPage2\\Start\\history.txt"},
     {L"K:Software\\Foxit Software\\Foxit Reader 8.0\\Preferences\\General,Lang"}},
    {L"XnView", {L"R:XnView\\cache\\t.db", L"K:Software\\XnView\\Start,DirName_9"},
     {L"R:XnView\\category.bak", L"K:Software\\XnView\\Start,Language"}},
    {L"GIMP", {L"R:GIMP\\3.0\\tmp\\t.xcf", L"L:GIMP\\2.10\\CrashLog\\c.txt"}, {L"R:GIMP\\3.0\\gimprc"}},
    {L"Nero", {L"K:Software\\Nero\\Nero 12\\Nero Express\\Recent File List,File1"},
     {L"K:Software\\Nero\\Nero 12\\Nero Express\\Settings,Speed"}},
    {L"ImgBurn", {L"K:Software\\ImgBurn,ISOREAD_RecentFiles_Destination"}, {L"K:Software\\ImgBurn,Language"}},
    {L"Google Earth", {L"W:Google\\GoogleEarth\\unified_cache_leveldb_leveldb2\\000001.ldb",
                       L"W:Google\\GoogleEarth\\dbCache.dat"},
     {L"W:Google\\GoogleEarth\\myplaces.kml"}},
    {L"TeamViewer", {L"P:TeamViewer\\Connections_incoming.txt", L"K:Software\\TeamViewer\\Version9,Last_Machine_Connections"},
     {L"P:TeamViewer\\TeamViewer.exe"}},
    {L"Pidgin", {L"R:.purple\\logs\\jabber\\l.html", L"R:.purple\\accounts.xml~"},
     {L"R:.purple\\icons\\own.png", L"R:.purple\\accounts.xml"}},
    {L"Trillian", {L"R:Trillian\\users\\someone@example\\logs\\l.xml", L"R:Trillian\\users\\other\\cache\\c"},
     {L"R:Trillian\\users\\someone@example\\buddies.xml"}},
    {L"Discord", {L"R:discordptb\\Cache\\c", L"R:discord\\Crashpad\\reports\\r.dmp", L"L:Discord\\SquirrelSetup.log"},
     {L"R:discord\\settings.json", L"L:Discord\\Update.exe"}},
    {L"Safari", {L"L:Apple Computer\\Safari\\WebpageIcons.db"}, {L"R:Apple Computer\\Safari\\Bookmarks.plist"}},
    {L"Java", {L"W:Sun\\Java\\Deployment\\cache\\6.0\\x.jar", L"W:Sun\\Java\\Deployment\\tmp\\t"},
     {L"W:Sun\\Java\\Deployment\\deployment.properties"}},
    {L"Adobe Flash Player", {L"R:Adobe\\Flash Player\\AssetCache\\a", L"K:Software\\Macromedia\\FlashPlayer,RecentMovie3"},
     {L"K:Software\\Macromedia\\FlashPlayer,Settings"}},
};

class SeededSection {
public:
    explicit SeededSection(const SectionRow& row) {
        const RulePlaceholders values = ReadRulePlaceholders();
        for (const auto& place : row.going) Seed(place, values);
        for (const auto& place : row.staying) Seed(place, values);
    }
    ~SeededSection() {
        for (const auto& folder : folders_) testing::RemoveTree(folder);
        for (const auto& key : keys_) RegDeleteTreeW(HKEY_CURRENT_USER, key.c_str());
    }
    // Whether the place is there now.
    bool Present(const std::wstring& place) const {
        const auto& path = paths_.at(place);
        if (place[0] != L'K') return GetFileAttributesW(path.first.c_str()) != INVALID_FILE_ATTRIBUTES;
        return testing::ValueExists(path.first, path.second);
    }

private:
    // Seeds the place; what it made first (a folder or key that was not
    // there) goes when the row ends, and nothing that was there before.
    void Seed(const std::wstring& place, const RulePlaceholders& values) {
        const std::wstring rest = place.substr(2);
        if (place[0] == L'K') {
            const size_t comma = rest.find(L',');
            const std::wstring key = rest.substr(0, comma), value = rest.substr(comma + 1);
            if (const auto made = FirstMissing(L"", key, [](const std::wstring& k) { return testing::KeyExists(k); }))
                keys_.push_back(*made);
            testing::SetString(key, value, L"x");
            paths_[place] = {key, value};
            return;
        }
        const std::map<wchar_t, std::wstring> bases = {{L'R', values.currentAppData}, {L'L', values.localAppData},
                                                       {L'W', values.localLowAppData}, {L'P', values.programFiles},
                                                       {L'C', values.commonAppData}};
        const std::wstring base = WithBackslash(bases.at(place[0]));
        if (const auto made = FirstMissing(base, rest, [](const std::wstring& path) { return testing::Exists(path); }))
            folders_.push_back(*made);
        testing::MakeFile(base + rest, 10);
        paths_[place] = {base + rest, L""};
    }

    // The shortest of base + the first names of rest that is not there.
    template <class IsThere>
    static std::optional<std::wstring> FirstMissing(const std::wstring& base, const std::wstring& rest, IsThere there) {
        for (size_t end = rest.find(L'\\');; end = rest.find(L'\\', end + 1)) {
            const std::wstring path = base + rest.substr(0, end);
            if (!there(path)) return path;
            if (end == std::wstring::npos) return std::nullopt;
        }
    }

    std::vector<std::wstring> folders_, keys_;
    std::map<std::wstring, std::pair<std::wstring, std::wstring>> paths_;
};

TEST(ShippedRules, EachMendedSectionTakesItsTracesAndKeepsTheRest) {
    Settings.FastScan = true;
    for (const auto& row : kSectionRows) {
        SCOPED_TRACE(row.section);
        SeededSection seeded(row);
        auto run = [&](RunKind kind) {
            testing::RecordingHost host;
            testing::TestRunner runner(kind, host);
            runner.RunItem(ItemName(kApplicationsCategory, row.section));
            return runner.Count();
        };
        EXPECT_EQ(run(RunKind::Test), static_cast<int32_t>(row.going.size()));
        EXPECT_EQ(run(RunKind::Clean), static_cast<int32_t>(row.going.size()));
        EXPECT_EQ(run(RunKind::Test), 0);
        for (const auto& place : row.going) EXPECT_FALSE(seeded.Present(place)) << WideToUtf8(place);
        for (const auto& place : row.staying) EXPECT_TRUE(seeded.Present(place)) << WideToUtf8(place);
    }
}

}  // namespace
}  // namespace klarvex
