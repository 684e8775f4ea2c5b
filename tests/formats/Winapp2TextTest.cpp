// The text of Winapp2 files: every line form, malformed lines, variables
// and registry roots.

#include <gtest/gtest.h>

#include "formats/Winapp2.h"

namespace klarvex {
namespace {

using namespace std::literals;

TEST(Winapp2Text, EveryLineFormIsReadAndMalformedLinesArePassedOver) {
    const auto entries = ParseWinapp2(
        L"\xFEFF; Version: 1\r\nFileKey1=%AppData%\\Before|*.*\r\n"
        L"[Demo Player *]\r\nLangSecRef=3023\r\nSection=Media\r\n"
        L"Detect=HKCU\\Software\\Demo\r\nDetect2=HKLM\\Software\\Demo\r\nDetectFile=%ProgramFiles%\\Demo*\\demo.exe\r\n"
        L"DetectOS=6.1|\r\nSpecialDetect=DET_CHROME\r\n"
        L"FileKey1=%LocalAppData%\\Demo|*.log;*.tmp\r\n"
        L"filekey2 = %AppData%\\Demo\\Cache|*.*|RECURSE\r\n"
        L"FileKey3=%AppData%\\Demo\\Old|*|REMOVESELF\r\n"
        L"FileKey4=%AppData%\\Demo|*.log|SOMETIMES\r\n"   // unknown flag
        L"FileKey5=%AppData%\\Demo\r\n"                   // no mask
        L"FileKey6=%AppData%\\Demo|a;;b\r\n"               // an empty mask
        L"RegKey1=HKCU\\Software\\Demo\\History\r\n"
        L"RegKey2=HKEY_CURRENT_USER\\Software\\Demo|LastFile\r\n"
        L"RegKey3=HKCU\\Software\\Demo|a|b\r\n"            // too many parts
        L"ExcludeKey1=FILE|%AppData%\\Demo\\|keep.log\r\n"
        L"ExcludeKey2=PATH|%AppData%\\Demo\\Cache\\Keep\\\r\n"
        L"ExcludeKey3=PATH|%AppData%\\Demo\\|*.ini;*.db\r\n"
        L"ExcludeKey4=REG|HKCU\\Software\\Demo\\History\\Pinned\r\n"
        L"ExcludeKey5=REG|HKCU\\Software\\Demo\\History|Keep\r\n"
        L"ExcludeKey6=FILE|%AppData%\\Demo\\\r\n"          // FILE without a mask
        L"ExcludeKey7=DISK|C:\\|*\r\n"                     // unknown kind
        L"ExcludeKey8=FILE|%AppData%\\Demo\\deleteme.log\r\n" // one file, named in one piece
        L"ExcludeKey9=PATH|%AppData%\\Demo\\Saves\r\n"
        L"Warning=This also removes your playlists.\r\n"
        L"garbage without equals\r\n=\r\n"
        L"[Broken header\r\nFileKey1=%AppData%\\Orphan|*.*\r\n"
        L"[]\r\n[  Second  ]\r\nDetectOS=|10.0\r\nDetectOS2=6.x|\r\n");
    ASSERT_EQ(entries.size(), 2u);
    const Winapp2Entry& demo = entries[0];
    EXPECT_EQ(demo.name, L"Demo Player");
    EXPECT_EQ(demo.detectKeys, (std::vector<std::wstring>{L"HKCU\\Software\\Demo", L"HKLM\\Software\\Demo"}));
    EXPECT_EQ(demo.detectFiles, std::vector<std::wstring>{L"%ProgramFiles%\\Demo*\\demo.exe"});
    EXPECT_EQ(demo.osMin, (Winapp2Version{6, 1}));
    EXPECT_FALSE(demo.osMax);
    EXPECT_EQ(demo.specialDetect, L"DET_CHROME");
    ASSERT_EQ(demo.files.size(), 3u);
    EXPECT_EQ(demo.files[0].masks, (std::vector<std::wstring>{L"*.log", L"*.tmp"}));
    EXPECT_FALSE(demo.files[0].recurse);
    EXPECT_TRUE(demo.files[1].recurse && !demo.files[1].removeSelf);
    EXPECT_TRUE(demo.files[2].recurse && demo.files[2].removeSelf);
    ASSERT_EQ(demo.registry.size(), 2u);
    EXPECT_FALSE(demo.registry[0].value);
    EXPECT_EQ(demo.registry[1].value, L"LastFile");
    ASSERT_EQ(demo.excludes.size(), 7u);
    EXPECT_EQ(demo.excludes[0].kind, Winapp2Exclude::Kind::File);
    EXPECT_TRUE(demo.excludes[1].kind == Winapp2Exclude::Kind::Path && demo.excludes[1].masks.empty());
    EXPECT_EQ(demo.excludes[2].masks, (std::vector<std::wstring>{L"*.ini", L"*.db"}));
    EXPECT_TRUE(demo.excludes[3].kind == Winapp2Exclude::Kind::Registry && !demo.excludes[3].value);
    EXPECT_EQ(demo.excludes[4].value, L"Keep");
    EXPECT_EQ(demo.excludes[5].path, L"%AppData%\\Demo");
    EXPECT_EQ(demo.excludes[5].masks, std::vector<std::wstring>{L"deleteme.log"});
    EXPECT_TRUE(demo.excludes[6].kind == Winapp2Exclude::Kind::Path && demo.excludes[6].masks.empty());
    // An exclusion that cannot be read is kept as written: the entry it
    // belongs to must not be cleaned as if the line were not there.
    EXPECT_EQ(demo.unreadableExcludes,
              (std::vector<std::wstring>{L"ExcludeKey6=FILE|%AppData%\\Demo\\", L"ExcludeKey7=DISK|C:\\|*"}));
    EXPECT_EQ(demo.warning, L"This also removes your playlists.");

    EXPECT_EQ(entries[1].name, L"Second");
    EXPECT_FALSE(entries[1].osMin);
    EXPECT_EQ(entries[1].osMax, (Winapp2Version{10, 0}));
}

TEST(Winapp2Text, VariablesRootsAndSpecialChecks) {
    const std::vector<Winapp2Variable> variables = {
        {L"APPDATA", {L"C:\\Users\\u\\AppData\\Roaming"}},
        {L"PROGRAMFILES", {L"C:\\Program Files", L"C:\\Program Files (x86)"}},
        {L"USERNAME", {L"u"}},
        {L"PUBLIC", {}},
    };
    using Paths = std::vector<std::wstring>;
    EXPECT_EQ(ExpandWinapp2Variables(L"%appdata%\\Vendor\\", variables), Paths{L"C:\\Users\\u\\AppData\\Roaming\\Vendor"});
    EXPECT_EQ(ExpandWinapp2Variables(L"%ProgramFiles%\\Vendor*", variables),
              (Paths{L"C:\\Program Files\\Vendor*", L"C:\\Program Files (x86)\\Vendor*"}));
    EXPECT_EQ(ExpandWinapp2Variables(L"C:\\Users\\%UserName%\\.app", variables), Paths{L"C:\\Users\\u\\.app"});
    EXPECT_EQ(ExpandWinapp2Variables(L"%AppData%//Vendor\\\\Logs/", variables),
              Paths{L"C:\\Users\\u\\AppData\\Roaming\\Vendor\\Logs"});
    for (const wchar_t* refused : {L"%Public%\\x", L"%Unknown%\\x", L"%AppData%\\..\\..\\Windows", L"%AppData%\\.\\x",
                                   L"%AppData%/../../Windows", L"Vendor\\Logs", L"%UserName%\\x",
                                   L"\\\\.\\PhysicalDrive0", L"\\\\host\\share\\x", L"\\\\host@SSL\\x"})
        EXPECT_EQ(ExpandWinapp2Variables(refused, variables), Paths{}) << refused;
    // A line that doubles its paths again and again makes none.
    std::wstring doubling;
    for (int i = 0; i < 40; ++i) doubling += L"%ProgramFiles%";
    EXPECT_EQ(ExpandWinapp2Variables(doubling, variables), Paths{});

    EXPECT_EQ(SplitWinapp2Key(L"HKCU\\Software\\Vendor\\")->path, L"Software\\Vendor");
    EXPECT_EQ(SplitWinapp2Key(L"hklm\\Software\\Vendor")->root, RootKey::LocalMachine);
    EXPECT_EQ(SplitWinapp2Key(L"HKEY_USERS\\.DEFAULT\\Software\\Vendor")->root, RootKey::Users);
    EXPECT_FALSE(SplitWinapp2Key(L"HKCU\\"));
    EXPECT_FALSE(SplitWinapp2Key(L"HKXX\\Software"));
    EXPECT_FALSE(SplitWinapp2Key(L"Software\\Vendor"));
    EXPECT_EQ(SplitWinapp2Key(L"HKCU\\Software\\\\Microsoft")->path, L"Software\\Microsoft");
    EXPECT_FALSE(SplitWinapp2Key(L"HKCU\\Software\0Vendor"sv));

    // A NUL makes the path read differ from the one asked for.
    const auto nul = ParseWinapp2(L"[N *]\r\nExcludeKey1=PATH|C:\\Keep\0\\x\r\n"sv);
    ASSERT_EQ(nul.size(), 1u);
    EXPECT_TRUE(nul[0].excludes.empty());
    EXPECT_EQ(nul[0].unreadableExcludes.size(), 1u);

    EXPECT_EQ(SpecialDetectFolder(L"det_mozilla"), L"%AppData%\\Mozilla\\Firefox");
    EXPECT_FALSE(SpecialDetectFolder(L"DET_WINSTORE"));
    EXPECT_EQ(SpecialDetectFolder(L"DET_WINDOWS"), L"%WinDir%");
}

}  // namespace
}  // namespace klarvex
