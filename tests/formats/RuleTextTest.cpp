// The text rules of the engine: masks, rule lines, roots, versions.

#include <gtest/gtest.h>

#include <cwctype>

#include "base/PathText.h"
#include "formats/RuleText.h"
#include "platform/RegistryPaths.h"
#include "platform/WindowsVersion.h"

namespace klarvex {
namespace {

using namespace std::literals;

std::wstring Upper(std::wstring text) {
    for (auto& c : text) c = static_cast<wchar_t>(std::towupper(c));
    return text;
}

bool Match(const std::wstring& mask, const std::wstring& name) {
    return FileMask(mask, Upper(mask)).Matches(name, Upper(name));
}

TEST(FileMask, OneStarMasksMatchWithoutCaseExactNamesWithCase) {
    EXPECT_TRUE(Match(L"cookies*.txt", L"Cookies1.TXT"));
    EXPECT_TRUE(Match(L"cookies*.txt", L"cookies.txt"));
    EXPECT_FALSE(Match(L"cookies*.txt", L"cookies1.txt.bak"));
    EXPECT_TRUE(Match(L"*.dmp", L"MEMORY.DMP"));
    EXPECT_TRUE(Match(L"*.dmp", L"mini.Dmp"));
    EXPECT_FALSE(Match(L"*.dmp", L"dmp"));
    EXPECT_TRUE(Match(L"File*.chk", L"FILE0001.CHK"));
    EXPECT_TRUE(Match(L"File*.chk", L"file0001.chk"));
    EXPECT_FALSE(Match(L"File*.chk", L"xFILE0001.CHK"));
    for (const wchar_t* name : {L"a", L"noextension", L"x.y.z", L".hidden"}) {
        EXPECT_TRUE(Match(L"*", name)) << name;
        EXPECT_TRUE(Match(L"*.*", name)) << name;
    }
    // Without a star the mask is a name, spelled exactly.
    EXPECT_TRUE(Match(L"index.dat", L"index.dat"));
    EXPECT_FALSE(Match(L"index.dat", L"INDEX.DAT"));
    EXPECT_FALSE(Match(L"Cookies", L"cookies"));
    EXPECT_FALSE(Match(L"", L"anything"));
}

TEST(FileMask, PrefixAndSuffixMayNotOverlap) {
    EXPECT_FALSE(Match(L"ab*b", L"ab"));
    EXPECT_TRUE(Match(L"ab*b", L"abb"));
    EXPECT_FALSE(Match(L"log*log", L"log"));
}

TEST(FileMask, MasksWithMoreWildcardsMatchAsAWholeWithoutCase) {
    struct Row {
        const wchar_t* mask;
        const wchar_t* name;
        bool matches;
    } rows[] = {
        {L"*Cache*", L"GPUCache", true},   {L"*Cache*", L"cache", true},     {L"*Cache*", L"Cach", false},
        {L"log?.txt", L"LOG1.TXT", true},  {L"log?.txt", L"log.txt", false}, {L"log?.txt", L"log12.txt", false},
        {L"a*b*c", L"aXbYc", true},        {L"a*b*c", L"acb", false},        {L"ml.xspf.tmp*", L"ML.XSPF.TMP1", true},
        {L"*.log*", L"x.log.1", true},     {L"*a*a*a*b", L"aaaaaaaaaa", false}, {L"**", L"anything", true},
    };
    for (const auto& row : rows) EXPECT_EQ(Match(row.mask, row.name), row.matches) << row.mask << L" " << row.name;
    EXPECT_TRUE(FileMask(L"**", L"**").MatchesEveryName());
    EXPECT_TRUE(FileMask(L"a?", L"A?").EmptyOrWildcard());
    EXPECT_FALSE(FileMask(L"*Cache*", L"*CACHE*").MatchesEveryName());
    // Exact names of another rule format may ask to be taken in any case.
    EXPECT_TRUE(FileMask(L"XnView.db", L"XNVIEW.DB", FileMask::ExactName::AnyCase).Matches(L"xnview.db", L"XNVIEW.DB"));
    EXPECT_TRUE(WildcardMatch(L"C:\\USERS\\*\\CACHE\\*", L"C:\\USERS\\U\\CACHE\\X\\Y"));
}

TEST(FileMask, EmptyOrStarredMasksMayStandForAnyFile) {
    EXPECT_TRUE(FileMask(L"", L"").EmptyOrWildcard());
    EXPECT_TRUE(FileMask(L"*.log", L"*.LOG").EmptyOrWildcard());
    EXPECT_FALSE(FileMask(L"index.dat", L"INDEX.DAT").EmptyOrWildcard());
}

TEST(RuleLines, SectionNameIsTheItemTextAfterTheFirstDash) {
    EXPECT_EQ(SectionNameFromItem(L"Windows - Windows Log Files"), L"Windows Log Files");
    EXPECT_EQ(SectionNameFromItem(L"Custom Lists - <New List>"), L"<New List>");
    EXPECT_EQ(SectionNameFromItem(L"Applications - Foo - Bar-Baz"), L"Foo - Bar-Baz");
    EXPECT_EQ(SectionNameFromItem(L"Applications -"), L"");
}

TEST(RuleLines, KindAndValueComeFromTheWholeLine) {
    const RuleKinds both = RuleKindsOfLine(L"DelFile1=DelRegValue");
    EXPECT_TRUE(both.registry);
    EXPECT_TRUE(both.file);
    EXPECT_FALSE(RuleKindsOfLine(L"delfile1=C:\\x").file);  // the text decides, with case
    EXPECT_EQ(RuleValueOfLine(L"DelFile1=C:\\a=b"), L"C:\\a=b");
    EXPECT_EQ(RuleValueOfLine(L"DelFile1"), L"");
}

TEST(RuleLines, RegistryRulesSplitAtTheFirstBackslashAndComma) {
    auto key = SplitRegistryRule(L"HKEY_CURRENT_USER\\Software\\A\\B");
    ASSERT_TRUE(key);
    EXPECT_EQ(key->root, L"HKEY_CURRENT_USER");
    EXPECT_EQ(key->keyPath, L"Software\\A\\B");
    EXPECT_FALSE(key->hasComma);

    auto values = SplitRegistryRule(L"hkey_current_user\\Software\\A,");
    ASSERT_TRUE(values);
    EXPECT_TRUE(values->hasComma);
    EXPECT_EQ(values->valueName, L"");

    auto one = SplitRegistryRule(L"HKEY_LOCAL_MACHINE\\Software\\A,Last,Used");
    ASSERT_TRUE(one);
    EXPECT_EQ(one->keyPath, L"Software\\A");
    EXPECT_EQ(one->valueName, L"Last,Used");

    EXPECT_FALSE(SplitRegistryRule(L"HKEY_CURRENT_USER"));
    EXPECT_FALSE(SplitRegistryRule(L""));
}

TEST(RuleLines, FileRulesSplitIntoBaseFolderAndMask) {
    FileRule rule = SplitFileRule(L"%windir%\\Temp,*.log");
    EXPECT_EQ(rule.base, L"%windir%");
    EXPECT_EQ(rule.folderPath, L"Temp");
    EXPECT_TRUE(rule.hasComma);
    EXPECT_EQ(rule.mask, L"*.log");

    rule = SplitFileRule(L"{C: Drive}");  // no backslash: BASE alone
    EXPECT_EQ(rule.base, L"{C: Drive}");
    EXPECT_EQ(rule.folderPath, L"");
    EXPECT_FALSE(rule.hasComma);

    rule = SplitFileRule(L"C:\\My, Folder\\x");  // no escaping: split at the comma
    EXPECT_EQ(rule.folderPath, L"My");
    EXPECT_EQ(rule.mask, L" Folder\\x");
}

TEST(RuleLines, PlaceholdersAreReplacedWithCaseAndNeverLeaveARelativePath) {
    RulePlaceholders values;
    values.programFiles = L"C:\\Program Files";
    values.windowsDir = L"C:\\windows";
    values.localAppData = L"C:\\users\\u\\AppData\\Local";
    values.currentAppData = L"C:\\users\\u\\AppData\\Roaming\\";
    values.commonAppData = L"";  // unreadable
    values.localLowAppData = L"C:\\users\\u\\AppData\\LocalLow\\";

    EXPECT_EQ(RuleFolder(SplitFileRule(L"%windir%\\Temp,*.log"), values), L"C:\\windows\\Temp");
    EXPECT_EQ(RuleFolder(SplitFileRule(L"%ProgramFiles%\\App\\Logs"), values), L"C:\\Program Files\\App\\Logs");
    EXPECT_EQ(RuleFolder(SplitFileRule(L"{Current AppData}\\App"), values), L"C:\\users\\u\\AppData\\Roaming\\App");
    EXPECT_EQ(RuleFolder(SplitFileRule(L"{Local AppData}"), values), L"C:\\users\\u\\AppData\\Local");
    EXPECT_EQ(RuleFolder(SplitFileRule(L"{C: Drive}\\Temp"), values), L"C:\\Temp");
    EXPECT_EQ(RuleFolder(SplitFileRule(L"{LocalLow AppData}\\Sun\\Java,*.tmp"), values),
              L"C:\\users\\u\\AppData\\LocalLow\\Sun\\Java");
    EXPECT_EQ(RuleFolder(SplitFileRule(L"D:\\Logs"), values), L"D:\\Logs");

    // Empty after replacement, misspelled, or relative: no folder at all.
    EXPECT_FALSE(RuleFolder(SplitFileRule(L"{Common AppData}\\App"), values));
    EXPECT_FALSE(RuleFolder(SplitFileRule(L"{Common AppData}"), values));
    EXPECT_FALSE(RuleFolder(SplitFileRule(L"%WINDIR%\\Temp"), values));
    EXPECT_FALSE(RuleFolder(SplitFileRule(L"\\Temp"), values));
    EXPECT_FALSE(RuleFolder(SplitFileRule(L""), values));
    EXPECT_FALSE(RuleFolder(SplitFileRule(L"Temp\\x"), values));
    EXPECT_TRUE(IsPlaceholder(L"{Local AppData}"));
    EXPECT_FALSE(IsPlaceholder(L"{local appdata}"));

    // Nothing of a rule file may reach the network, nor a device.
    EXPECT_FALSE(RuleFolder(SplitFileRule(L"\\\\server\\share\\Logs,*.log"), values));
    EXPECT_FALSE(RuleFolder(SplitFileRule(L"\\\\.\\PhysicalDrive0"), values));
    EXPECT_FALSE(RuleFolder(SplitFileRule(L"\\\\?\\GLOBALROOT\\Device\\HarddiskVolume1"), values));

    // %ProgramFiles% rules take the 32-bit programs' folder as well, when
    // there is one; other rules stay with their one folder.
    using Folders = std::vector<std::wstring>;
    EXPECT_EQ(RuleFolders(SplitFileRule(L"%ProgramFiles%\\App"), values), Folders{L"C:\\Program Files\\App"});
    values.programFilesX86 = L"C:\\Program Files (x86)";
    EXPECT_EQ(RuleFolders(SplitFileRule(L"%ProgramFiles%\\App,*.log"), values),
              (Folders{L"C:\\Program Files\\App", L"C:\\Program Files (x86)\\App"}));
    EXPECT_EQ(RuleFolders(SplitFileRule(L"%windir%\\Temp"), values), Folders{L"C:\\windows\\Temp"});
    EXPECT_EQ(RuleFolders(SplitFileRule(L"{Common AppData}\\App"), values), Folders{});
}

TEST(RuleLines, KeysSharedByManyProgramsInEverySpelling) {
    struct Row {
        RootKey root;
        std::wstring_view upperPath;
        bool shared;
    };
    const Row rows[] = {
        {RootKey::CurrentUser, L"SOFTWARE", true},
        {RootKey::CurrentUser, L"\\SOFTWARE\\", true},
        {RootKey::LocalMachine, L"SYSTEM", true},
        {RootKey::CurrentUser, L"SOFTWARE\\MICROSOFT", true},
        {RootKey::CurrentUser, L"SOFTWARE\\CLASSES", true},
        {RootKey::LocalMachine, L"SOFTWARE\\POLICIES", true},
        {RootKey::LocalMachine, L"SOFTWARE\\WOW6432NODE", true},
        {RootKey::LocalMachine, L"SOFTWARE\\WOW6432NODE\\MICROSOFT", true},
        {RootKey::LocalMachine, L"SOFTWARE\\WOW6432NODE\\CLASSES\\CLSID", true},
        {RootKey::CurrentUser, L"SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\RUN", true},
        {RootKey::LocalMachine, L"SYSTEM\\CURRENTCONTROLSET\\SERVICES", true},
        {RootKey::LocalMachine, L"SYSTEM\\CONTROLSET001", true},
        {RootKey::ClassesRoot, L"CLSID", true},
        {RootKey::ClassesRoot, L".TXT", true},
        {RootKey::Users, L"S-1-5-21-1", true},
        {RootKey::Users, L"S-1-5-21-1\\SOFTWARE", true},
        {RootKey::Users, L"S-1-5-21-1\\SOFTWARE\\MICROSOFT", true},
        {RootKey::CurrentUser, L"SOFTWARE\\ACME", false},
        {RootKey::CurrentUser, L"SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\EXPLORER\\RUNMRU", false},
        {RootKey::LocalMachine, L"SOFTWARE\\WOW6432NODE\\ACME\\APP", false},
        {RootKey::ClassesRoot, L"ACME.DOCUMENT\\SHELL", false},
        {RootKey::Users, L"S-1-5-21-1\\SOFTWARE\\ACME", false},
        {RootKey::CurrentUser, L"SOFTWARE\\MICROSOFTX", false},
        // The same keys however the text spells them.
        {RootKey::CurrentUser, L"SOFTWARE\\\\MICROSOFT", true},
        {RootKey::CurrentUser, L"SOFTWARE\\MICROSOFT\\\\\\", true},
        {RootKey::CurrentUser, L"SOFTWARE\\MICROSOFT\\WINDOWS\\\\CURRENTVERSION\\RUN", true},
        {RootKey::LocalMachine, L"SYSTEM\\CONTROLSET002\\SERVICES", true},
        {RootKey::LocalMachine, L"SOFTWARE\\CLASSES\\WOW6432NODE\\CLSID", true},
        {RootKey::ClassesRoot, L"WOW6432NODE\\INTERFACE", true},
        {RootKey::Users, L"S-1-5-21-1_CLASSES", true},
        {RootKey::Users, L"S-1-5-21-1_CLASSES\\CLSID", true},
        {RootKey::Users, L"S-1-5-21-1_CLASSES\\ACME.DOCUMENT\\SHELL", false},
        {RootKey::CurrentUser, L"SOFTWARE\\ACME\\X\0Y"sv, true},  // no name the registry could take
        {RootKey::LocalMachine, L"SYSTEM\\CONTROLSET001\\SERVICES\\ACME", false},
    };
    for (const Row& row : rows)
        EXPECT_EQ(IsSharedRegistryKey(row.root, row.upperPath), row.shared)
            << RootKeyText(row.root) << L"\\" << std::wstring(row.upperPath);
}

// What a rule may do with a key: whole only an application's own or a
// history; the system's settings only by name, asked.
TEST(RuleLines, KeysARuleMayTakeWholeOnlyForOneApplicationOrAHistory) {
    constexpr auto kWhole = RuleKeyUse::Whole, kNamed = RuleKeyUse::NamedValues, kAsked = RuleKeyUse::NamedValuesAsked;
    struct Row {
        RootKey root;
        std::wstring_view upperPath;
        RuleKeyUse use;
    };
    const Row rows[] = {
        {RootKey::CurrentUser, L"SOFTWARE\\ACME\\EDITOR\\RECENT", kWhole},
        {RootKey::CurrentUser, L"SOFTWARE\\WINRAR SFX", kWhole},
        {RootKey::LocalMachine, L"SOFTWARE\\WOW6432NODE\\ACME\\APP", kWhole},
        {RootKey::Users, L"S-1-5-21-1\\SOFTWARE\\ACME\\APP", kWhole},
        {RootKey::CurrentUser, L"SOFTWARE\\MICROSOFT\\MEDIAPLAYER\\PLAYER\\RECENTFILELIST", kWhole},
        {RootKey::CurrentUser, L"SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\EXPLORER\\RUNMRU", kWhole},
        {RootKey::CurrentUser, L"SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\EXPLORER\\COMDLG32\\LASTVISITEDPIDLMRU",
         kWhole},
        {RootKey::CurrentUser, L"SOFTWARE\\CLASSES\\LOCAL SETTINGS\\SOFTWARE\\MICROSOFT\\WINDOWS\\SHELL\\BAGMRU",
         kWhole},
        {RootKey::CurrentUser, L"SOFTWARE\\MICROSOFT\\INTERNET EXPLORER\\TYPEDURLS", kWhole},
        // Windows' own keys, the classes, the default programs, the policies.
        {RootKey::CurrentUser, L"SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\EXPLORER\\ADVANCED", kNamed},
        {RootKey::CurrentUser, L"SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\RUNX", kNamed},
        {RootKey::CurrentUser, L"SOFTWARE\\MICROSOFT\\CRYPTOGRAPHY\\RNG", kNamed},
        {RootKey::CurrentUser, L"SOFTWARE\\MICROSOFT", kNamed},
        {RootKey::ClassesRoot, L"ACME.DOCUMENT\\SHELL", kNamed},
        {RootKey::CurrentUser, L"SOFTWARE\\POLICIES\\ACME", kNamed},
        {RootKey::CurrentUser, L"APPEVENTS\\SCHEMES", kNamed},
        {RootKey::CurrentUser, L"SOFTWARE", kNamed},
        // The system's settings, however spelled.
        {RootKey::CurrentUser, L"CONTROL PANEL\\DESKTOP", kAsked},
        {RootKey::CurrentUser, L"CONTROL PANEL\\\\DESKTOP\\", kAsked},
        {RootKey::Users, L".DEFAULT\\CONTROL PANEL\\DESKTOP", kAsked},
        {RootKey::CurrentUser, L"ENVIRONMENT", kAsked},
        {RootKey::CurrentUser, L"SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\EXPLORER\\USER SHELL FOLDERS", kAsked},
        {RootKey::LocalMachine, L"SOFTWARE\\MICROSOFT\\WINDOWS NT\\CURRENTVERSION\\WINLOGON", kAsked},
        {RootKey::LocalMachine, L"SOFTWARE\\WOW6432NODE\\CLIENTS\\MAIL\\ACME", kAsked},
        {RootKey::CurrentUser, L"SOFTWARE\\REGISTEREDAPPLICATIONS", kAsked},
        {RootKey::LocalMachine, L"SYSTEM\\CURRENTCONTROLSET\\CONTROL\\SESSION MANAGER\\ENVIRONMENT", kAsked},
        {RootKey::LocalMachine, L"SYSTEM\\CONTROLSET001\\SERVICES\\ACME", kAsked},
        {RootKey::CurrentConfig, L"SOFTWARE\\FONTS", kAsked},
        {RootKey::CurrentUser, L"SOFTWARE\\ACME\\X\0Y"sv, kAsked},
    };
    for (const Row& row : rows)
        EXPECT_EQ(KeyUseForRules(row.root, row.upperPath), row.use)
            << RootKeyText(row.root) << L"\\" << std::wstring(row.upperPath);
}

// Names a listing may hand out that Windows cannot have, and the masks
// that take only what nobody keeps.
TEST(RuleLines, NamesWindowsCannotHaveAndMasksThatTakeOnlyWhatNobodyKeeps) {
    for (const wchar_t* name : {L"a.txt", L"..a", L".hidden", L"x y", L"\u00e9t\u00e9.doc", L"a\u007fb"})
        EXPECT_TRUE(IsWindowsName(name)) << name;
    for (const wchar_t* name : {L"", L".", L"..", L"..\\Documents", L"a/b", L"c:x", L"dot.", L"space ", L"a*",
                                L"q?", L"x\uFFFD", L"tab\t", L"<>", L"a|b", L"\"q\""})
        EXPECT_FALSE(IsWindowsName(name)) << name;
    for (const wchar_t* mask : {L"*.log", L"*.tmp", L"~*.bak", L"*.DMP", L"thumbs.db", L"File*.chk", L"a?c.old"})
        EXPECT_TRUE(IsNarrowMask(mask)) << mask;
    for (const wchar_t* mask : {L"*", L"*.*", L"*a*", L"*.txt", L"*.dll", L"*.JPG", L"*.lo?", L"*.log*", L"*log",
                                L"*.tar.gz", L"report*.docx", L""})
        EXPECT_FALSE(IsNarrowMask(mask)) << mask;
    for (const wchar_t* name : {L"KERNEL32.DLL", L"SETUP.EXE", L"NTFS.SYS", L"EN-US.MUI", L"BOOTX64.EFI"})
        EXPECT_TRUE(IsProgramFileName(name)) << name;
    for (const wchar_t* name : {L"SETUP.LOG", L"DLL", L"README", L"EXE.TXT"})
        EXPECT_FALSE(IsProgramFileName(name)) << name;
}

TEST(RulePaths, ReadByWhatTheyMeanNotByTheirSpelling) {
    struct Row {
        std::wstring_view text;
        const wchar_t* canonical;  // nullptr: refused
    };
    const Row rows[] = {
        {L"C:\\Users\\me\\Documents", L"C:\\Users\\me\\Documents"},
        {L"C:/Users//me/./Documents/", L"C:\\Users\\me\\Documents"},
        {L"C:\\Users\\me\\AppData\\Local\\Temp/../../../Desktop", L"C:\\Users\\me\\Desktop"},
        {L"c:\\", L"c:\\"},
        {L"C:\\Windows\\..", L"C:\\"},
        {L"C:\\Vendor\\*\\Cache", L"C:\\Vendor\\*\\Cache"},
        {L"C:\\..", nullptr},
        {L"\\\\host\\share\\x", nullptr},
        {L"\\\\host@SSL\\DavWWWRoot\\x", nullptr},
        {L"//host/share/x", nullptr},
        {L"\\\\?\\C:\\Windows", nullptr},
        {L"\\\\.\\PhysicalDrive0", nullptr},
        {L"\\Temp", nullptr},
        {L"C:Temp", nullptr},
        {L"Temp\\x", nullptr},
        {L"", nullptr},
        {L"C:\\Users\\me\\Documents\0\\x"sv, nullptr},
        {L"C:\\Users\\me\\Documents\tx", nullptr},
        {L"C:\\Users\\me\\Documents.", nullptr},
        {L"C:\\Users\\me\\Documents \\x", nullptr},
        {L"C:\\x\\file.txt:stream", nullptr},
    };
    for (const Row& row : rows) {
        const auto canonical = CanonicalRulePath(row.text);
        if (row.canonical) EXPECT_EQ(canonical, row.canonical) << std::wstring(row.text);
        else EXPECT_FALSE(canonical) << std::wstring(row.text);
    }

    for (const wchar_t* mask : {L"*", L"?*", L"*?", L"*.*", L"*.", L"??*.*", L"**", L"?"})
        EXPECT_TRUE(IsEverythingMask(mask) && FileMask(mask, mask).MatchesEveryName()) << mask;
    for (const wchar_t* mask : {L"", L"*.log", L"AdwCleaner*.txt", L"a*", L"index.dat"})
        EXPECT_FALSE(IsEverythingMask(mask)) << mask;
    EXPECT_EQ(TrailingWildcardNames(L"C:\\Users\\me\\Documents\\*\\?*"), 2u);
    EXPECT_EQ(TrailingWildcardNames(L"C:\\Users\\me\\Documents\\*o*"), 1u);
    EXPECT_EQ(TrailingWildcardNames(L"C:\\Users\\*\\Documents"), 0u);
    EXPECT_EQ(TrailingWildcardNames(L"C:\\Program Files\\Vendor*"), 1u);
}

TEST(RuleLines, RootsOfDrivesAndSharesInEverySpelling) {
    for (const wchar_t* root : {L"C:\\", L"\\\\?\\C:\\", L"\\\\.\\c:\\", L"\\\\server\\share\\",
                                L"\\\\?\\UNC\\server\\share\\", L"\\\\server\\"})
        EXPECT_TRUE(IsRootFolder(root)) << root;
    for (const wchar_t* folder : {L"C:\\Temp\\", L"\\\\?\\C:\\Temp\\", L"\\\\server\\share\\Temp\\",
                                  L"\\\\?\\unc\\server\\share\\Temp\\"})
        EXPECT_FALSE(IsRootFolder(folder)) << folder;
}

TEST(RootKeys, FiveFullNamesInUpperCaseAndNothingElse) {
    EXPECT_EQ(RootKeyFromName(L"HKEY_CLASSES_ROOT"), RootKey::ClassesRoot);
    EXPECT_EQ(RootKeyFromName(L"HKEY_CURRENT_USER"), RootKey::CurrentUser);
    EXPECT_EQ(RootKeyFromName(L"HKEY_LOCAL_MACHINE"), RootKey::LocalMachine);
    EXPECT_EQ(RootKeyFromName(L"HKEY_USERS"), RootKey::Users);
    EXPECT_EQ(RootKeyFromName(L"HKEY_CURRENT_CONFIG"), RootKey::CurrentConfig);
    for (const wchar_t* name : {L"HKCU", L"HKLM", L"HKEY_CURRENT", L"", L"HKEY_DYN_DATA"})
        EXPECT_EQ(RootKeyFromName(name), RootKey::None) << name;
    EXPECT_EQ(TrimKeyPath(L"\\Software\\A\\"), L"Software\\A");
    EXPECT_EQ(TrimKeyPath(L"\\\\"), L"");
}

TEST(WindowsVersion, EveryRowOfTheCodeTable) {
    struct Row {
        uint32_t platform, major, minor;
        int32_t code;
    };
    const Row rows[] = {
        {2, 3, 51, 5},  {2, 4, 0, 6},   {2, 5, 0, 7},  {2, 5, 1, 9},   {2, 5, 2, 10}, {2, 5, 3, 7},
        {2, 6, 0, 11},  {2, 6, 1, 11},  {2, 6, 3, 11}, {2, 10, 0, 11}, {2, 7, 0, 11}, {2, 2, 0, 10},
        {1, 4, 0, 1},   {1, 4, 10, 3},  {1, 4, 90, 8}, {1, 4, 5, 10},  {1, 5, 0, 10}, {0, 4, 0, 1},
    };
    for (const Row& row : rows)
        EXPECT_EQ(WindowsVersionCode(row.platform, row.major, row.minor), row.code)
            << row.platform << " " << row.major << "." << row.minor;
    for (int32_t code : {1, 2, 3, 4, 8}) EXPECT_TRUE(IsWin9xCode(code)) << code;
    for (int32_t code : {0, 5, 6, 7, 9, 10, 11}) EXPECT_FALSE(IsWin9xCode(code)) << code;
}

}  // namespace
}  // namespace klarvex
