// Rule files: an item's section is found and each of its rules acts on the
// real locations of the sandbox through the primitives.

#include <gtest/gtest.h>

#include <windows.h>

#include <shlobj.h>

#include "base/PathText.h"
#include "base/Strings.h"
#include "EngineFixture.h"
#include "platform/RegistryKeys.h"
#include "platform/SystemLookups.h"
#include "settings/Global.h"

namespace klarvex {
namespace {

using testing::Exists;
using testing::KeyExists;
using testing::LinesStartingWith;
using testing::MakeFile;
using testing::MakeFolders;
using testing::RecordingHost;
using testing::ScratchFolder;
using testing::ScratchRegKeys;
using testing::ValueExists;
using testing::ScratchFolder;
using testing::TestRunner;
using testing::UniqueName;
using testing::WriteTextFile;

std::string Narrow(const std::wstring& text) { return WideToUtf8(text); }

class RuleFiles : public ::testing::Test {
protected:
    void SetUp() override { Settings.FastScan = false; }
    void TearDown() override { Settings.FastScan = true; }

    std::unique_ptr<TestRunner> Runner(RunKind kind, RecordingHost& host) {
        auto runner = std::make_unique<TestRunner>(kind, host);
        runner->ruleFolder = rules.Path();
        return runner;
    }

    ScratchFolder rules;
};

TEST_F(RuleFiles, AnApplicationSectionRemovesItsFilesAndKeysAndKeepsTheRest) {
    const std::wstring app = UniqueName(L"KlarvexApp");
    const std::wstring roaming = ReadRegString(
        HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", L"AppData");
    const std::wstring local = ReadRegString(
        HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", L"Local AppData");
    ASSERT_FALSE(roaming.empty());
    ASSERT_FALSE(local.empty());
    ScratchFolder roamingApp(roaming + L"\\" + app + L"\\");
    ScratchFolder localApp(local + L"\\" + app + L"\\");
    MakeFolders(roamingApp / L"Cache");
    MakeFile(roamingApp / L"Cache\\blob1", 1000);
    MakeFolders(roamingApp / L"Cache\\x");
    MakeFile(roamingApp / L"Cache\\x\\blob2", 1049);
    MakeFile(roamingApp / L"settings.xml", 10);
    MakeFile(localApp / L"run.log", 24);
    MakeFolders(localApp / L"old");
    MakeFile(localApp / L"old\\older.log", 24);
    const std::wstring key = L"Software\\" + app;
    ScratchRegKeys registry({key}, HKEY_CURRENT_USER);
    registry.SetString(L"Recent", L"File1", L"a");
    registry.SetString(L"Recent", L"File2", L"b");
    registry.SetString(L"Recent\\Deeper", L"File3", L"c");
    registry.SetString(L"History", L"h", L"1");
    registry.SetString(L"", L"LastFolder", L"C:\\");
    registry.SetString(L"", L"Licence", L"keep");

    WriteTextFile(rules / L"Klarvex.dat",
                  "; traces of a test application\r\n"
                  "[" + Narrow(app) + " - Pro]\r\n"
                  "DelFile1={Current AppData}\\" + Narrow(app) + "\\Cache\r\n"
                  "DelFile2={Local AppData}\\" + Narrow(app) + ",*.log\r\n"
                  "DelRegValue1=HKEY_CURRENT_USER\\" + Narrow(key) + "\\Recent,\r\n"
                  "DelRegValue2=hkey_current_user\\" + Narrow(key) + "\\History\r\n"
                  "DelRegValue3=HKEY_CURRENT_USER\\" + Narrow(key) + ",LastFolder\r\n"
                  "DelRegValue4=HKEY_CURRENT_USER\r\n"
                  "[Other]\r\nDelFile1={Current AppData}\\" + Narrow(app) + "\r\n");

    const std::wstring item = L"Applications - " + app + L" - Pro";
    RecordingHost testHost;
    auto test = Runner(RunKind::Test, testHost);
    test->RunItem(item);
    EXPECT_EQ(test->Count(), 2 + 1 + 3 + 1 + 1);
    EXPECT_EQ(test->Bytes(), 1000 + 1049 + 24);
    EXPECT_EQ(test->SizeText(), L"3");
    EXPECT_EQ(testHost.Lines(), (std::vector<std::wstring>{
                                    L"Test: deleting " + roamingApp.Path() + L"Cache\\blob1",
                                    L"Test: deleting " + roamingApp.Path() + L"Cache\\x\\blob2",
                                    L"Test: deleting " + localApp.Path() + L"run.log",
                                    L"Test: deleting registry value HKEY_CURRENT_USER\\" + key + L"\\Recent\\File1",
                                    L"Test: deleting registry value HKEY_CURRENT_USER\\" + key + L"\\Recent\\File2",
                                    L"Test: deleting registry key HKEY_CURRENT_USER\\" + key + L"\\Recent\\Deeper",
                                    L"Test: deleting registry key HKEY_CURRENT_USER\\" + key + L"\\History",
                                    L"Test: deleting registry value HKEY_CURRENT_USER\\" + key + L"\\LastFolder",
                                }));
    EXPECT_TRUE(Exists(roamingApp / L"Cache\\x\\blob2"));
    EXPECT_TRUE(ValueExists(key + L"\\History", L"h", HKEY_CURRENT_USER));

    RecordingHost cleanHost;
    auto clean = Runner(RunKind::Clean, cleanHost);
    clean->RunItem(item);
    EXPECT_EQ(clean->Count(), 8);
    EXPECT_EQ(clean->Bytes(), 2073);
    EXPECT_FALSE(Exists(roamingApp / L"Cache"));
    EXPECT_TRUE(Exists(roamingApp / L"settings.xml"));
    EXPECT_FALSE(Exists(localApp / L"run.log"));
    EXPECT_TRUE(Exists(localApp / L"old\\older.log"));  // masks stay in their folder
    EXPECT_FALSE(ValueExists(key + L"\\Recent", L"File1", HKEY_CURRENT_USER));
    EXPECT_FALSE(ValueExists(key + L"\\Recent\\Deeper", L"File3", HKEY_CURRENT_USER));
    EXPECT_TRUE(KeyExists(key + L"\\Recent", HKEY_CURRENT_USER));  // the values form keeps the key
    EXPECT_FALSE(KeyExists(key + L"\\History", HKEY_CURRENT_USER));
    EXPECT_FALSE(ValueExists(key, L"LastFolder", HKEY_CURRENT_USER));
    EXPECT_TRUE(ValueExists(key, L"Licence", HKEY_CURRENT_USER));
    EXPECT_TRUE(cleanHost.questions.empty());
    EXPECT_TRUE(cleanHost.notices.empty());
}

TEST_F(RuleFiles, CustomListsReadTheNewListSectionOfClist) {
    ScratchFolder target;
    MakeFile(target / L"a", 3);
    MakeFile(target / L"b", 4);
    WriteTextFile(rules / L"Clist.dat", "[<New List>]\r\nDelFile1=" + Narrow(target.Path()) + ",a\r\n");
    WriteTextFile(rules / L"Klarvex.dat", "[<New List>]\r\nDelFile1=" + Narrow(target.Path()) + ",b\r\n");
    RecordingHost host;
    auto clean = Runner(RunKind::Clean, host);
    clean->RunItem(L"Custom Lists - <New List>");
    EXPECT_EQ(clean->Count(), 1);
    EXPECT_FALSE(Exists(target / L"a"));
    EXPECT_TRUE(Exists(target / L"b"));
}

TEST_F(RuleFiles, MissingFileSectionOrRootCountNothing) {
    // A Test run: were the root itself taken for a key, it would be counted.
    RecordingHost host;
    auto clean = Runner(RunKind::Test, host);
    clean->RunItem(L"Applications - Not There");  // no Klarvex.dat yet
    WriteTextFile(rules / L"Klarvex.dat",
                  "[Broken]\r\nDelRegValue1=HKEY_CURRENT_USER\r\nDelRegValue2=HKCU\\Software\r\n"
                  "DelRegValue3=HKEY_CURRENT_USER\\\r\nDelRegValue4=HKEY_CURRENT_USER\\,\r\nDelFile1=\r\n");
    clean->RunItem(L"Applications - Not There");
    clean->RunItem(L"Applications - Broken");
    EXPECT_EQ(clean->Count(), 0);
    EXPECT_EQ(clean->SizeText(), L"0");
    EXPECT_TRUE(host.Lines().empty());
    EXPECT_TRUE(host.questions.empty());
}

TEST_F(RuleFiles, WindowsFolderMaskRuleStaysOutOfSubfolders) {
    const std::wstring temp = GetWindowsDir() + L"\\Temp\\";
    const std::wstring stem = UniqueName(L"klarvex-rule");
    MakeFile(temp + stem + L"-1.log", 11);
    MakeFile(temp + stem + L"-2.LOG", 12);
    MakeFile(temp + stem + L"-3.txt", 13);
    ScratchFolder sub(temp + stem + L"-sub" + L"\\");
    MakeFile(sub / (stem + L"-4.log"), 14);
    WriteTextFile(rules / L"Klarvex.dat", "[Windows Log Files]\r\nDelFile1=%windir%\\Temp," + Narrow(stem) + "*.log\r\n");
    RecordingHost host;
    auto clean = Runner(RunKind::Clean, host);
    clean->RunItem(L"Windows - Windows Log Files");
    EXPECT_EQ(clean->Count(), 2);
    EXPECT_EQ(clean->Bytes(), 23);
    EXPECT_FALSE(Exists(temp + stem + L"-1.log"));
    EXPECT_FALSE(Exists(temp + stem + L"-2.LOG"));
    EXPECT_TRUE(Exists(sub / (stem + L"-4.log")));
    DeleteFileW((temp + stem + L"-3.txt").c_str());
}

TEST_F(RuleFiles, DriveCFolderRuleEmptiesAndRemovesTheFolderWithoutAsking) {
    const std::wstring name = UniqueName(L"klarvex-cdrive");
    ScratchFolder folder(L"C:\\" + name + L"\\");
    MakeFolders(folder / L"deep");
    MakeFile(folder / L"deep\\f", 5);
    WriteTextFile(rules / L"Klarvex.dat", "[Drive Rule]\r\nDelFile1={C: Drive}\\" + Narrow(name) + "\r\n");
    RecordingHost host;
    auto clean = Runner(RunKind::Clean, host);
    clean->RunItem(L"Applications - Drive Rule");
    EXPECT_EQ(clean->Count(), 1);
    EXPECT_FALSE(Exists(folder.Path()));
    EXPECT_TRUE(host.questions.empty());
}

TEST_F(RuleFiles, APlaceholderThatReadsEmptyNeverReachesTheDriveRoot) {
    // The canary sits where "\\name" would lead from an empty base.
    const std::wstring name = UniqueName(L"klarvex-canary");
    ScratchFolder canary(L"C:\\" + name + L"\\");
    MakeFile(canary / L"alive", 1);
    WriteTextFile(rules / L"Klarvex.dat", "[Empty Base]\r\nDelFile1={Local AppData}\\" + Narrow(name) +
                                              "\r\nDelFile2={Common AppData}\\" + Narrow(name) + ",*.*\r\n"
                                              "DelFile3={Local AppData}\r\nDelFile4=\\" + Narrow(name) + "\r\n");
    RulePlaceholders empty;
    empty.windowsDir = GetWindowsDir();
    for (RunKind kind : {RunKind::Test, RunKind::Clean}) {
        RecordingHost host;
        host.answer = true;  // nothing may even ask
        auto runner = Runner(kind, host);
        runner->placeholders = empty;
        runner->RunItem(L"Applications - Empty Base");
        EXPECT_EQ(runner->Count(), 0);
        EXPECT_TRUE(host.Lines().empty());
        EXPECT_TRUE(host.questions.empty());
    }
    EXPECT_TRUE(Exists(canary / L"alive"));
}

TEST_F(RuleFiles, TheSystemsFoldersAreAskedAboutAndSharedKeysAreSkipped) {
    // Every answer is No. A mask that takes some files is no question.
    const std::wstring windows = WithBackslash(GetWindowsDir());
    const std::vector<std::wstring> programFiles = GetProgramFilesDirs();
    ASSERT_EQ(programFiles.size(), 2u) << "a 64-bit prefix: Program Files and Program Files (x86)";
    const std::wstring stem = UniqueName(L"klarvex-partial");
    MakeFile(windows + stem + L".log", 3);
    const std::string text = "[Wipe]\r\nDelFile1=%windir%\r\nDelFile2=%ProgramFiles%\r\n"
                              "DelFile3={Current AppData}\r\nDelFile4=%windir%\\," + Narrow(stem) + "*.log\r\n"
                              "DelFile5=%windir%\\,*.*\r\nDelFile6={Local AppData}\\..\r\n"
                              "DelRegValue1=HKEY_CURRENT_USER\\Software\r\n"
                              "DelRegValue2=HKEY_CURRENT_USER\\Software\\Microsoft,\r\n"
                              "DelRegValue3=HKEY_LOCAL_MACHINE\\Software\\Wow6432Node\\Classes\\CLSID\r\n"
                              "DelRegValue4=HKEY_CURRENT_USER\\Software\\Microsoft,NoSuchValue\r\n";
    WriteTextFile(rules / L"Klarvex.dat", text);
    RecordingHost host;
    auto clean = Runner(RunKind::Clean, host);
    clean->RunItem(L"Applications - Wipe");
    // "{Local AppData}\.." is asked about as the folder it is.
    const std::wstring local = ShellFolderPath(CSIDL_LOCAL_APPDATA);
    const std::wstring appData = local.substr(0, local.rfind(L'\\', local.size() - 2) + 1);
    const std::wstring ask = L"Do you want to delete all files and folders under ";
    EXPECT_EQ(host.questions,
              (std::vector<std::wstring>{ask + windows + L"?", ask + programFiles[0] + L"\\?",
                                         ask + programFiles[1] + L"\\?", ask + GetAppDataDir() + L"?",
                                         ask + windows + L"?", ask + appData + L"?"}));
    EXPECT_EQ(LinesStartingWith(host, L"Clean: skipping"),
              (std::vector<std::wstring>{
                  L"Clean: skipping registry key shared by many programs HKEY_CURRENT_USER\\Software",
                  L"Clean: skipping registry key shared by many programs HKEY_CURRENT_USER\\Software\\Microsoft",
                  L"Clean: skipping registry key shared by many programs "
                  L"HKEY_LOCAL_MACHINE\\Software\\Wow6432Node\\Classes\\CLSID"}));
    EXPECT_EQ(clean->Count(), 1);  // the partial mask's file
    EXPECT_FALSE(Exists(windows + stem + L".log"));
    EXPECT_TRUE(KeyExists(L"Software\\Microsoft"));

    // The command line's runner never even asks.
    RecordingHost cli;
    cli.answer = true;
    auto kept = Runner(RunKind::Clean, cli);
    kept->SetKeepProtectedFolders(true);
    kept->RunItem(L"Applications - Wipe");
    EXPECT_TRUE(cli.questions.empty());
    ASSERT_EQ(cli.notices.size(), 6u);
    EXPECT_EQ(cli.notices[0], L"Not removed: the command line never empties a drive, a system or user folder: " +
                                  windows);
    EXPECT_TRUE(Exists(windows + L"win.ini"));
}

class MachineRules : public RuleFiles {
protected:
    void SetUp() override {
        RuleFiles::SetUp();
        machine.SetString(L"", L"a", L"1");
        user.SetString(L"", L"u", L"1");
        WriteTextFile(rules / L"Klarvex.dat",
                      "[Machine]\r\nDelRegValue1=HKEY_LOCAL_MACHINE\\" + Narrow(machinePath) + ",a\r\n"
                      "DelRegValue2=HKEY_CURRENT_USER\\" + Narrow(userPath) + ",u\r\n"
                      "DelRegValue3=hkey_local_machine\\" + Narrow(machinePath) + "\r\n");
    }
    const std::wstring machinePath = L"Software\\" + UniqueName(L"KlarvexMachine");
    const std::wstring userPath = L"Software\\" + UniqueName(L"KlarvexUser");
    ScratchRegKeys machine{{machinePath}, HKEY_LOCAL_MACHINE};
    ScratchRegKeys user{{userPath}, HKEY_CURRENT_USER};
};

TEST_F(MachineRules, WithoutAdministratorTheyAreSkippedWithOneNotice) {
    RecordingHost host;
    auto clean = Runner(RunKind::Clean, host);
    clean->admin = false;
    clean->version = 11;
    clean->RunItem(L"Applications - Machine");
    EXPECT_EQ(clean->Count(), 1);  // the user's rule only
    EXPECT_EQ(host.notices, (std::vector<std::wstring>{L"You must have administrators user."}));
    EXPECT_EQ(host.noticeCaptions, std::vector<std::wstring>{L""});
    EXPECT_TRUE(ValueExists(machinePath, L"a", HKEY_LOCAL_MACHINE));
    EXPECT_FALSE(ValueExists(userPath, L"u", HKEY_CURRENT_USER));

    // Once per item: the next item tells again; an automatic run never does.
    clean->RunItem(L"Applications - Machine");
    EXPECT_EQ(host.notices.size(), 2u);
    RecordingHost autoHost;
    auto automatic = Runner(RunKind::Clean, autoHost);
    automatic->SetAutomaticRun(true);
    automatic->admin = false;
    automatic->version = 9;
    automatic->RunItem(L"Applications - Machine");
    EXPECT_TRUE(autoHost.notices.empty());
    EXPECT_TRUE(ValueExists(machinePath, L"a", HKEY_LOCAL_MACHINE));
}

TEST_F(MachineRules, AnAdministratorOrThe9xFamilyCarriesThemOut) {
    RecordingHost host;
    auto test = Runner(RunKind::Test, host);
    test->admin = false;
    test->version = 3;  // Windows 98
    test->RunItem(L"Applications - Machine");
    EXPECT_EQ(test->Count(), 1 + 1 + 1);
    EXPECT_TRUE(host.notices.empty());

    auto clean = Runner(RunKind::Clean, host);
    clean->admin = true;
    clean->version = 11;
    clean->RunItem(L"Applications - Machine");
    EXPECT_EQ(clean->Count(), 3);
    EXPECT_TRUE(host.notices.empty());
    EXPECT_FALSE(KeyExists(machinePath, HKEY_LOCAL_MACHINE));
}

}  // namespace
}  // namespace klarvex
