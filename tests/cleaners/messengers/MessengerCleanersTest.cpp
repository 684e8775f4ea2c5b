// The MSN Messenger, Yahoo! Messenger and Skype cleaners.

#include <gtest/gtest.h>

#include <shlobj.h>

#include <algorithm>

#include "platform/RegistryKeys.h"
#include "support/CleanerFixture.h"

namespace klarvex {
namespace {

using namespace testing;

const wchar_t kMsn[] = L"Instant Messengers - MSN Messenger";
const std::wstring kPassports = L"Software\\Microsoft\\MSNMessenger\\PerPassportSettings";

class MsnMessenger : public ::testing::Test {
protected:
    void SetUp() override {
        ResetSettings();
        ASSERT_FALSE(ShellFolder(CSIDL_PERSONAL).empty());
    }
    ScratchRegKeys keys_{{L"Software\\Microsoft\\MSNMessenger"}};
    ScratchFolder received_{ShellFolder(CSIDL_PERSONAL) + L"My Received Files"};
    ScratchFolder logs_{ShellFolder(CSIDL_PERSONAL) + L"Klarvex Chat Logs"};
};

TEST_F(MsnMessenger, TheFirstPassportWithAnExistingLogFolderWinsAndBothFoldersStay) {
    // Subkeys come back sorted: "1111" before "2222".
    SetString(kPassports + L"\\1111", L"MessageLogPath", logs_.Path() + L" (moved)");
    SetString(kPassports + L"\\2222", L"MessageLogPath", logs_.Path());
    MakeFile(logs_ / L"alice.xml", 1000);
    MakeFile(logs_ / L"bob.xml", 1000);
    MakeFile(logs_ / L"Archive\\carol.xml", 1000);
    MakeFile(received_ / L"holiday.jpg", 1000);

    const RunOutcome test = RunItems(RunKind::Test, {kMsn});
    EXPECT_EQ(Summary(test), TestSummary(4, L"4"));
    const auto entries = EntryLines(test.lines);
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_EQ(entries.back(), L"Test: deleting " + received_.Path() + L"\\holiday.jpg");

    const RunOutcome clean = RunItems(RunKind::Clean, {kMsn});
    EXPECT_EQ(Summary(clean), CleanSummary(4, L"4"));
    EXPECT_TRUE(Exists(logs_.Path()));
    EXPECT_TRUE(FolderIsEmpty(logs_.Path()));  // its subfolder went too
    EXPECT_TRUE(Exists(received_.Path()));
    EXPECT_TRUE(FolderIsEmpty(received_.Path()));
}

TEST_F(MsnMessenger, ALogFolderThatIsMyReceivedFilesIsClearedOnce) {
    MakeFile(received_ / L"a.txt", 10);
    MakeFile(received_ / L"b.txt", 10);
    // Stored as an expandable string, used as written.
    SetString(kPassports + L"\\1111", L"MessageLogPath", received_.Path(), REG_EXPAND_SZ);
    EXPECT_EQ(Summary(RunItems(RunKind::Test, {kMsn})), TestSummary(2, L"1"));

    // The same folder in other letters is still the same folder.
    std::wstring shouted = received_.Path();
    CharUpperBuffW(shouted.data(), static_cast<DWORD>(shouted.size()));
    SetString(kPassports + L"\\1111", L"MessageLogPath", shouted + L"\\");
    EXPECT_EQ(Summary(RunItems(RunKind::Test, {kMsn})), TestSummary(2, L"1"));
}

TEST_F(MsnMessenger, ALogFolderInsideMyReceivedFilesIsCountedOnceAsTheCleanRunRemovesIt) {
    // Where MSN Messenger keeps its history unless told otherwise.
    const std::wstring history = received_ / L"someone@example.com\\History";
    SetString(kPassports + L"\\1111", L"MessageLogPath", history);
    MakeFile(history + L"\\chat.xml", 1000);
    MakeFile(received_ / L"photo.jpg", 1000);

    const RunOutcome test = RunItems(RunKind::Test, {kMsn});
    EXPECT_EQ(Summary(test), TestSummary(2, L"2"));
    std::vector<std::wstring> entries = EntryLines(test.lines);
    std::sort(entries.begin(), entries.end());
    EXPECT_EQ(entries, (std::vector<std::wstring>{L"Test: deleting " + received_.Path() + L"\\photo.jpg",
                                                  L"Test: deleting " + history + L"\\chat.xml"}));

    const RunOutcome clean = RunItems(RunKind::Clean, {kMsn});
    EXPECT_EQ(Summary(clean), CleanSummary(2, L"2"));
    EXPECT_TRUE(Exists(received_.Path()));
    EXPECT_TRUE(FolderIsEmpty(received_.Path()));
}

TEST_F(MsnMessenger, ALogFolderBesideMyReceivedFilesWrittenThroughItIsStillCleared) {
    // Only the text starts like My Received Files: the folder lies beside it.
    SetString(kPassports + L"\\1111", L"MessageLogPath", received_ / L"..\\Klarvex Chat Logs");
    MakeFile(logs_ / L"alice.xml", 1000);
    MakeFile(received_ / L"photo.jpg", 1000);
    EXPECT_EQ(Summary(RunItems(RunKind::Test, {kMsn})), TestSummary(2, L"2"));
    EXPECT_EQ(Summary(RunItems(RunKind::Clean, {kMsn})), CleanSummary(2, L"2"));
    EXPECT_FALSE(Exists(logs_ / L"alice.xml"));
    EXPECT_FALSE(Exists(received_ / L"photo.jpg"));
}

TEST_F(MsnMessenger, WithoutPassportSettingsOnlyMyReceivedFilesIsCleared) {
    MakeFile(received_ / L"song.mp3", 3000);
    MakeFile(logs_ / L"alice.xml", 10);
    const RunOutcome clean = RunItems(RunKind::Clean, {kMsn});
    EXPECT_EQ(Summary(clean), CleanSummary(1, L"3"));
    EXPECT_FALSE(Exists(received_ / L"song.mp3"));
    EXPECT_TRUE(Exists(logs_ / L"alice.xml"));
}

TEST_F(MsnMessenger, ALogPathThatIsNotAWholePathOrNotATextIsIgnored) {
    // A relative path would be completed with the current folder, which
    // would then be emptied.
    wchar_t current[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, current);
    ScratchFolder relative(std::wstring(current) + L"\\KlarvexRelativeLogs");
    MakeFile(relative / L"keep.txt", 10);
    SetString(kPassports + L"\\1111", L"MessageLogPath", L"KlarvexRelativeLogs");
    SetString(kPassports + L"\\2222", L"MessageLogPath", L"%USERPROFILE%\\KlarvexRelativeLogs", REG_EXPAND_SZ);
    SetDword(kPassports + L"\\3333", L"MessageLogPath", 1);
    EXPECT_EQ(Summary(RunItems(RunKind::Clean, {kMsn})), CleanSummary(0, L"0"));
    EXPECT_TRUE(Exists(relative / L"keep.txt"));

    // None of them ends the search for a passport whose folder exists.
    SetString(kPassports + L"\\4444", L"MessageLogPath", logs_.Path());
    MakeFile(logs_ / L"alice.xml", 10);
    EXPECT_EQ(Summary(RunItems(RunKind::Clean, {kMsn})), CleanSummary(1, L"1"));
    EXPECT_TRUE(Exists(relative / L"keep.txt"));
    EXPECT_FALSE(Exists(logs_ / L"alice.xml"));
}

// --- Yahoo! Messenger and Skype

class Messengers : public ::testing::Test {
protected:
    void SetUp() override { ResetSettings(); }
};

TEST_F(Messengers, YahooTakesItsLogHereAndTheCacheAndProfileTreesButKeepsTheFolders) {
    const std::wstring programFiles = ShellFolder(CSIDL_PROGRAM_FILES);
    ASSERT_FALSE(programFiles.empty());
    ScratchFolder yahoo(programFiles + L"Yahoo!");
    const std::wstring messenger = yahoo / L"Messenger\\";
    MakeFile(messenger + L"ypager.log", 100);
    MakeFile(messenger + L"YPAGER.LOG.old", 100);
    MakeFile(messenger + L"Logs\\ypager.log", 100);
    MakeFile(messenger + L"IMVCache\\a.bin", 100);
    MakeFile(messenger + L"IMVCache\\avatars\\b.png", 100);
    MakeFile(messenger + L"Profiles\\someone\\Archive\\m.dat", 100);
    MakeFile(messenger + L"YahooMessenger.exe", 100);

    const RunOutcome test = RunItems(RunKind::Test, {L"Instant Messengers - Yahoo! Messenger"});
    EXPECT_EQ(Summary(test), TestSummary(4, L"1"));

    const RunOutcome clean = RunItems(RunKind::Clean, {L"Instant Messengers - Yahoo! Messenger"});
    EXPECT_EQ(Summary(clean), CleanSummary(4, L"1"));
    EXPECT_FALSE(Exists(messenger + L"ypager.log"));
    EXPECT_TRUE(Exists(messenger + L"Logs\\ypager.log"));
    EXPECT_TRUE(Exists(messenger + L"YPAGER.LOG.old"));
    EXPECT_TRUE(Exists(messenger + L"YahooMessenger.exe"));
    EXPECT_TRUE(Exists(messenger + L"IMVCache"));
    EXPECT_TRUE(FolderIsEmpty(messenger + L"IMVCache"));
    EXPECT_TRUE(Exists(messenger + L"Profiles"));
    EXPECT_TRUE(FolderIsEmpty(messenger + L"Profiles"));
}

TEST_F(Messengers, YahooIsFoundInTheProgramFilesOf32BitProgramsAndEachFolderIsWalkedOnce) {
    const std::wstring x86 = ShellFolder(CSIDL_PROGRAM_FILESX86);
    ASSERT_NE(x86, ShellFolder(CSIDL_PROGRAM_FILES)) << "a 64-bit prefix has both folders";
    ScratchFolder yahoo(x86 + L"Yahoo!");
    MakeFile(yahoo / L"Messenger\\ypager.log", 100);
    MakeFile(yahoo / L"Messenger\\Profiles\\someone\\m.dat", 100);
    EXPECT_EQ(Summary(RunItems(RunKind::Test, {L"Instant Messengers - Yahoo! Messenger"})), TestSummary(2, L"1"));

    // Where both values name one folder (a 32-bit system), it is looked at
    // once: every file counted once.
    const std::wstring key = L"Software\\Microsoft\\Windows\\CurrentVersion";
    const std::wstring programFiles = ReadRegString(HKEY_LOCAL_MACHINE, key, L"ProgramFilesDir");
    const std::wstring programFilesX86 = ReadRegString(HKEY_LOCAL_MACHINE, key, L"ProgramFilesDir (x86)");
    ASSERT_FALSE(programFiles.empty() || programFilesX86.empty());
    ScratchFolder bothNames(L"C:\\KlarvexProgramFiles");
    MakeFile(bothNames / L"Yahoo!\\Messenger\\ypager.log", 100);
    SetString(key, L"ProgramFilesDir (x86)", L"c:\\klarvexprogramfiles\\", REG_SZ, HKEY_LOCAL_MACHINE);
    SetString(key, L"ProgramFilesDir", L"C:\\KlarvexProgramFiles", REG_SZ, HKEY_LOCAL_MACHINE);
    const RunOutcome test = RunItems(RunKind::Test, {L"Instant Messengers - Yahoo! Messenger"});
    SetString(key, L"ProgramFilesDir (x86)", programFilesX86, REG_SZ, HKEY_LOCAL_MACHINE);
    SetString(key, L"ProgramFilesDir", programFiles, REG_SZ, HKEY_LOCAL_MACHINE);
    EXPECT_EQ(Summary(test), TestSummary(1, L"1"));
}

TEST_F(Messengers, SkypeTakesDbbFilesAtAnyDepthOnly) {
    ScratchFolder skype(ShellFolder(CSIDL_APPDATA) + L"Skype");
    MakeFile(skype / L"shared.dbb", 100);
    MakeFile(skype / L"someone\\user256.DBB", 100);
    MakeFile(skype / L"someone\\chatsync\\ab\\msg.dbb", 100);
    MakeFile(skype / L"someone\\main.db", 100);
    MakeFile(skype / L"someone\\config.xml", 100);

    const RunOutcome test = RunItems(RunKind::Test, {L"Instant Messengers - Skype"});
    EXPECT_EQ(Summary(test), TestSummary(3, L"1"));

    const RunOutcome clean = RunItems(RunKind::Clean, {L"Instant Messengers - Skype"});
    EXPECT_EQ(Summary(clean), CleanSummary(3, L"1"));
    EXPECT_FALSE(Exists(skype / L"someone\\chatsync\\ab\\msg.dbb"));
    EXPECT_FALSE(Exists(skype / L"someone\\user256.DBB"));
    EXPECT_TRUE(Exists(skype / L"someone\\main.db"));
    EXPECT_TRUE(Exists(skype / L"someone\\config.xml"));
    EXPECT_TRUE(Exists(skype / L"someone\\chatsync\\ab"));  // folders stay
}

}  // namespace
}  // namespace klarvex
