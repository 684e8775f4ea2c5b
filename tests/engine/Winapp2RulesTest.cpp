// A Winapp2.ini on the sandbox: which entries are detected, and what an
// entry's lines take and spare on the real disk and registry.

#include <gtest/gtest.h>

#include <shlobj.h>

#include <algorithm>

#include "base/Strings.h"
#include "engine/Catalogue.h"
#include "engine/Winapp2Places.h"
#include "EngineFixture.h"
#include "platform/SystemLookups.h"
#include "settings/Global.h"

namespace klarvex {
namespace {

using testing::Exists;
using testing::FilesBelow;
using testing::KeyExists;
using testing::LinesStartingWith;
using testing::MakeFile;
using testing::RecordingHost;
using testing::ScratchFolder;
using testing::ScratchRegKeys;
using testing::TestRunner;
using testing::UniqueName;
using testing::ValueExists;
using testing::WriteTextFile;

std::string Narrow(const std::wstring& text) { return WideToUtf8(text); }

TEST(Winapp2Detection, EntriesShowWhenTheirProgramIsFoundAndOnlyOnce) {
    const std::wstring app = UniqueName(L"KxDetect");
    ScratchRegKeys registry({L"Software\\" + app});
    registry.SetString(L"", L"v", L"1");
    ScratchFolder installed(ShellFolderPath(CSIDL_APPDATA) + app + L"-Tool 7\\");
    MakeFile(installed / L"tool.exe", 1);
    ScratchFolder rules;
    const std::string a = Narrow(app);
    const Winapp2Version windows = RunningWindowsVersion();
    ASSERT_GE(windows.major, 5u);
    const std::string here = std::to_string(windows.major) + "." + std::to_string(windows.minor);
    const std::string older = std::to_string(windows.major - 1) + ".9";
    WriteTextFile(rules / L"Winapp2.ini",
                  "[By Key *]\r\nDetect=HKCU\\Software\\NoSuchVendor\r\nDetect2=HKCU\\Software\\" + a + "\r\n"
                  "[Missing Key *]\r\nDetect=HKCU\\Software\\" + a + "\\Nope\r\n"
                  "[By File *]\r\nDetectFile=%AppData%\\" + a + "-Tool*\\tool.exe\r\n"
                  "[Missing File *]\r\nDetectFile=%AppData%\\" + a + "-Tool*\\other.exe\r\n"
                  "[Older Windows Only *]\r\nDetectOS=|" + older + "\r\n"
                  "[This Windows *]\r\nDetectOS=" + here + "|" + here + "\r\nDetect=HKCU\\Software\\" + a + "\r\n"
                  "[Unknown Browser *]\r\nSpecialDetect=DET_NOSUCHBROWSER\r\n"
                  "[Windows Itself *]\r\nSpecialDetect=DET_WINDOWS\r\n"
                  "[No Detection *]\r\nFileKey1=%AppData%\\x|*.log\r\n"
                  "[no detection]\r\nFileKey1=%AppData%\\y|*.*\r\n"
                  "[Already There *]\r\n");
    TCatalogue catalogue;
    catalogue.AddApplication(L"ALREADY THERE");
    AddWinapp2Applications(catalogue, rules / L"Winapp2.ini");
    std::vector<std::wstring> shown;
    for (const auto& category : catalogue.Categories())
        if (category.Text == kApplicationsCategory)
            for (const auto& item : category.Items) shown.push_back(item.Text);
    EXPECT_EQ(shown, (std::vector<std::wstring>{L"ALREADY THERE", L"By Key", L"By File", L"This Windows",
                                                L"Windows Itself", L"No Detection"}));
}

class Winapp2Rules : public ::testing::Test {
protected:
    void SetUp() override { Settings.FastScan = false; }
    void TearDown() override { Settings.FastScan = true; }

    int32_t Run(RunKind kind, bool answer = true, bool automatic = false) {
        RecordingHost host;
        host.answer = answer;
        TestRunner runner(kind, host);
        runner.SetAutomaticRun(automatic);
        runner.ruleFolder = rules.Path();
        runner.RunItem(L"Applications - Demo " + app);
        questions = host.questions;
        for (const auto& line : LinesStartingWith(host, L"Clean: skipping an entry whose exclusion cannot be read:"))
            lines.push_back(line);
        skippedKeys = 0;
        for (const auto& line : host.Lines())
            skippedKeys += line.starts_with(L"Test: skipping registry key shared by many programs");
        return runner.Count();
    }

    const std::wstring app = UniqueName(L"KxW2");
    ScratchFolder rules;
    ScratchFolder data{ShellFolderPath(CSIDL_APPDATA) + app + L"\\"};
    ScratchFolder neighbour{ShellFolderPath(CSIDL_APPDATA) + app + L"-Other\\"};
    ScratchRegKeys registry{{L"Software\\" + app}};
    std::vector<std::wstring> questions;
    std::vector<std::wstring> lines;  // the lines that name unreadable exclusions
    int skippedKeys = 0;
};

TEST_F(Winapp2Rules, EachLineTakesItsFilesAndKeysSparesTheExcludedAndAsksAboutItsWarning) {
    const std::string a = Narrow(app);
    WriteTextFile(rules / L"Winapp2.ini",
                  "[Demo " + a + " *]\r\nWarning=Your saved games go too.\r\n"
                  "FileKey1=%AppData%\\" + a + "|*.log\r\n"
                  "FileKey2=%AppData%\\" + a + "\\Cache|*.*|RECURSE\r\n"
                  "FileKey3=%AppData%\\" + a + "\\Old|*.tmp|REMOVESELF\r\n"
                  "FileKey4=%AppData%\\" + a + "\\Profiles\\*\\Cache2|*\r\n"
                  "FileKey5=%AppData%\\" + a + "\\..\\" + a + "-Other|*.*\r\n"
                  "RegKey1=HKCU\\Software\\" + a + "\\History\r\n"
                  "RegKey2=HKEY_CURRENT_USER\\Software\\" + a + "|LastFile\r\n"
                  "ExcludeKey1=FILE|%AppData%\\" + a + "\\|keep.log\r\n"
                  "ExcludeKey2=PATH|%AppData%\\" + a + "\\Cache\\Keep\\\r\n"
                  "ExcludeKey3=PATH|%AppData%\\" + a + "\\Cache\\|*.db\r\n"
                  "ExcludeKey4=REG|HKCU\\Software\\" + a + "\\History\\Pinned\r\n"
                  "ExcludeKey5=REG|HKCU\\Software\\" + a + "\\History|Keep\r\n");
    const std::vector<std::wstring> going = {L"a.log", L"Cache\\x.bin", L"Cache\\sub\\y.bin", L"Cache\\sub\\old.db.bak",
                                             L"Old\\o.tmp", L"Old\\inner\\p.tmp", L"Profiles\\p1\\Cache2\\c.bin",
                                             L"Profiles\\p2\\Cache2\\d.bin"};
    const std::vector<std::wstring> staying = {L"keep.log", L"settings.ini", L"Cache\\Keep\\k.bin", L"Cache\\z.db",
                                               L"Cache\\sub\\deeper.db", L"Profiles\\p1\\prefs.js"};
    for (const auto& name : going) MakeFile(data / name, 10);
    for (const auto& name : staying) MakeFile(data / name, 10);
    MakeFile(neighbour / L"a.log", 10);
    registry.SetString(L"History", L"a", L"1");
    registry.SetString(L"History\\Recent", L"b", L"2");
    registry.SetString(L"History", L"Keep", L"3");
    registry.SetString(L"History\\Pinned", L"p", L"4");
    registry.SetString(L"", L"LastFile", L"C:\\x");
    registry.SetString(L"", L"Licence", L"keep");
    const auto neighbourBefore = FilesBelow(neighbour.Path());

    // 8 files, the values a and b with b's key, LastFile. A Test lists
    // them without asking; a Clean refused by the user takes nothing.
    const int32_t expected = static_cast<int32_t>(going.size()) + 3;
    EXPECT_EQ(Run(RunKind::Test), expected);
    EXPECT_TRUE(questions.empty());
    EXPECT_EQ(Run(RunKind::Clean, false), 0);
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_NE(questions[0].find(L"Your saved games go too."), std::wstring::npos);
    EXPECT_EQ(Run(RunKind::Clean, true, true), 0) << "an automatic run has nobody to ask";
    EXPECT_TRUE(questions.empty());
    EXPECT_TRUE(Exists(data / L"a.log"));

    EXPECT_EQ(Run(RunKind::Clean), expected);
    EXPECT_EQ(Run(RunKind::Test), 0);
    for (const auto& name : going) EXPECT_FALSE(Exists(data / name)) << Narrow(name);
    for (const auto& name : staying) EXPECT_TRUE(Exists(data / name)) << Narrow(name);
    EXPECT_FALSE(Exists(data / L"Old")) << "REMOVESELF takes the emptied folders";
    EXPECT_TRUE(Exists(data / L"Cache\\sub")) << "without it they stay";
    EXPECT_EQ(FilesBelow(neighbour.Path()), neighbourBefore) << "a path with \"..\" takes nothing";
    const std::wstring key = L"Software\\" + app;
    EXPECT_FALSE(ValueExists(key + L"\\History", L"a"));
    EXPECT_FALSE(KeyExists(key + L"\\History\\Recent"));
    EXPECT_TRUE(ValueExists(key + L"\\History", L"Keep"));
    EXPECT_TRUE(ValueExists(key + L"\\History\\Pinned", L"p"));
    EXPECT_FALSE(ValueExists(key, L"LastFile"));
    EXPECT_TRUE(ValueExists(key, L"Licence"));
}

TEST_F(Winapp2Rules, KlarvexDatKeepsItsOwnSectionsAndSharedKeysAreNeverTaken) {
    const std::string a = Narrow(app);
    MakeFile(data / L"w2.log", 10);
    MakeFile(data / L"dat.log", 10);
    WriteTextFile(rules / L"Klarvex.dat", "[Demo " + a + "]\r\nDelFile1={Current AppData}\\" + a + ",dat.log\r\n");
    WriteTextFile(rules / L"Winapp2.ini", "[Demo " + a + " *]\r\nFileKey1=%AppData%\\" + a + "|*.log\r\n"
                                          "RegKey1=HKCU\\Software\\Microsoft\r\n");
    EXPECT_EQ(Run(RunKind::Clean), 1);
    EXPECT_FALSE(Exists(data / L"dat.log"));
    EXPECT_TRUE(Exists(data / L"w2.log"));

    DeleteFileW((rules / L"Klarvex.dat").c_str());
    EXPECT_EQ(Run(RunKind::Test), 1);
    EXPECT_EQ(skippedKeys, 1);
    EXPECT_TRUE(KeyExists(L"Software\\Microsoft"));
}

// Every form of exclusion other cleaners' files use, however the folder is
// spelled: what it names stays, the rest goes. A line this program cannot
// read keeps the whole entry from being cleaned.
TEST_F(Winapp2Rules, EveryExclusionFormKeepsWhatItNamesAndAnUnreadableOneKeepsAll) {
    struct Row {
        const char* fileKey;  // "<A>" is the entry's folder below %AppData%
        const char* exclude;
        std::vector<const wchar_t*> staying;
    };
    const std::vector<const wchar_t*> all = {L"deleteme.log", L"deleteme.txt", L"Sub\\deleteme.log",
                                             L"Saves\\deleteme.dat"};
    const Row rows[] = {
        {"%AppData%\\<A>", "FILE|%AppData%\\<A>\\deleteme.log", {L"deleteme.log"}},
        {"%AppData%\\<A>", "FILE|%APPDATA%\\<A>\\|DELETEME.LOG", {L"deleteme.log"}},
        {"%AppData%\\<A>", "FILE|%AppData%\\<A>|deleteme.log", {L"deleteme.log"}},
        {"%AppData%//<A>\\\\", "FILE|%AppData%\\<A>\\deleteme.log", {L"deleteme.log"}},
        {"%AppData%\\<A>", "PATH|%AppData%\\<A>\\Saves", {L"Saves\\deleteme.dat"}},
        {"%AppData%\\<A>", "PATH|%appdata%\\<A>\\saves\\", {L"Saves\\deleteme.dat"}},
        {"%AppData%/<A>", "PATH|%AppData%\\<A>|*.log", {L"deleteme.log", L"Sub\\deleteme.log"}},
        {"%AppData%\\<A>", "FILE|%AppData%\\<A>\\", all},
        {"%AppData%\\<A>", "FILE|%AppData%\\<A>|deleteme.log|x", all},
    };
    const std::string a = Narrow(app);
    auto spelled = [&](std::string text) {
        for (size_t at = text.find("<A>"); at != std::string::npos; at = text.find("<A>")) text.replace(at, 3, a);
        return text;
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.exclude);
        for (const auto& name : all) MakeFile(data / name, 10);
        WriteTextFile(rules / L"Winapp2.ini", "[Demo " + a + " *]\r\nFileKey1=" + spelled(row.fileKey) +
                                                  "|deleteme.*|RECURSE\r\nExcludeKey1=" + spelled(row.exclude) + "\r\n");
        Run(RunKind::Clean);
        for (const auto& name : all) {
            const bool stays = std::find_if(row.staying.begin(), row.staying.end(), [&](const wchar_t* s) {
                                   return std::wstring(s) == name;
                               }) != row.staying.end();
            EXPECT_EQ(Exists(data / name), stays) << Narrow(name);
        }
    }
    EXPECT_EQ(lines.size(), 2u) << "each unreadable line is named in the log";
}

}  // namespace
}  // namespace klarvex
