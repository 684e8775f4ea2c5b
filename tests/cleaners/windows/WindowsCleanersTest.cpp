// The Windows and Advanced cleaners on traces in the sandbox prefix's real
// registry and folders: what a Test run counts and keeps, what a Clean run
// removes and what it leaves beside it.

#include <gtest/gtest.h>

#include <shlobj.h>

#include "settings/Global.h"
#include "support/CleanerFixture.h"

namespace klarvex {
namespace {

using namespace testing;

const std::wstring kExplorer = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\";
const std::wstring kHkcu = L"HKEY_CURRENT_USER\\";

class WindowsCleaners : public ::testing::Test {
protected:
    void SetUp() override { ResetSettings(); }
    void TearDown() override { ResetSettings(); }
};

// --- registry lists

struct KeyItem {
    const wchar_t* item;
    std::wstring key;
};

TEST_F(WindowsCleaners, RegistryListItemsCountTheWholeKeyAndRemoveOnlyIt) {
    const KeyItem items[] = {
        {L"Windows - Start Run", kExplorer + L"RunMRU"},
        {L"Windows - Search Assistant", L"Software\\Microsoft\\Search Assistant\\ACMru"},
        {L"Advanced - Open File History", kExplorer + L"ComDlg32\\OpenSaveMRU"},
        {L"Advanced - Menu Order Cache", kExplorer + L"MenuOrder"},
        {L"Advanced - Paint", L"Software\\Microsoft\\Windows\\CurrentVersion\\Applets\\Paint\\Recent File List"},
    };
    for (const auto& [item, key] : items) {
        SCOPED_TRACE(item);
        const std::wstring neighbour = key + L" Neighbour";
        ScratchRegKeys keys({key, neighbour});
        SetValues(key, 2);
        SetValues(key + L"\\Sub", 3);
        SetValues(neighbour, 1);

        const RunOutcome test = RunItems(RunKind::Test, {item});
        EXPECT_EQ(Summary(test), TestSummary(5, L"0"));
        EXPECT_EQ(EntryLines(test.lines), std::vector<std::wstring>{L"Test: deleting registry key " + kHkcu + key});
        EXPECT_TRUE(KeyExists(key + L"\\Sub"));

        const RunOutcome clean = RunItems(RunKind::Clean, {item});
        EXPECT_EQ(Summary(clean), CleanSummary(5, L"0"));
        EXPECT_FALSE(KeyExists(key));
        EXPECT_TRUE(ValueExists(neighbour, L"V1"));

        EXPECT_EQ(Summary(RunItems(RunKind::Test, {item})), TestSummary(0, L"0"));
    }
}

TEST_F(WindowsCleaners, AnEmptyListKeyCountsOneAndFastModeWritesNoEntryLines) {
    const std::wstring key = kExplorer + L"RunMRU";
    ScratchRegKeys keys({key});
    CreateKey(key);
    Settings.FastScan = true;
    const RunOutcome clean = RunItems(RunKind::Clean, {L"Windows - Start Run"});
    EXPECT_EQ(Summary(clean), CleanSummary(1, L"0"));
    EXPECT_TRUE(EntryLines(clean.lines).empty());
    EXPECT_FALSE(KeyExists(key));
}

TEST_F(WindowsCleaners, TrayNotificationsTakesTheTwoStreamValuesOnly) {
    const std::wstring key = kExplorer + L"TrayNotify";
    ScratchRegKeys keys({key});
    SetBinary(key, L"PastIconsStream", 64);
    SetBinary(key, L"BalloonTip", 4);

    const RunOutcome test = RunItems(RunKind::Test, {L"Advanced - Tray Notifications Cache"});
    EXPECT_EQ(Summary(test), TestSummary(1, L"0"));
    EXPECT_EQ(EntryLines(test.lines),
              std::vector<std::wstring>{L"Test: deleting registry value " + kHkcu + key + L"\\PastIconsStream"});
    EXPECT_TRUE(ValueExists(key, L"PastIconsStream"));

    SetBinary(key, L"IconStreams", 64);
    const RunOutcome clean = RunItems(RunKind::Clean, {L"Advanced - Tray Notifications Cache"});
    EXPECT_EQ(Summary(clean), CleanSummary(2, L"0"));
    EXPECT_FALSE(ValueExists(key, L"PastIconsStream"));
    EXPECT_FALSE(ValueExists(key, L"IconStreams"));
    EXPECT_TRUE(ValueExists(key, L"BalloonTip"));
}

TEST_F(WindowsCleaners, UserAssistRemovesTheCountKeysOfXpAndKeepsTheirParents) {
    const std::wstring userAssist = kExplorer + L"UserAssist\\";
    const std::wstring first = userAssist + L"{5E6AB780-7743-11CF-A12B-00AA004AE837}";
    const std::wstring second = userAssist + L"{75048700-EF1F-11D0-9888-006097DEACF9}";
    ScratchRegKeys keys({first, second});
    SetValues(first + L"\\Count", 3);
    SetDword(first, L"Version", 3);
    SetDword(second, L"Version", 3);  // its Count key is missing

    const RunOutcome test = RunItems(RunKind::Test, {L"Advanced - User Assist History"});
    EXPECT_EQ(Summary(test), TestSummary(3, L"0"));

    SetValues(second + L"\\Count", 2);
    const RunOutcome clean = RunItems(RunKind::Clean, {L"Advanced - User Assist History"});
    EXPECT_EQ(Summary(clean), CleanSummary(5, L"0"));
    EXPECT_FALSE(KeyExists(first + L"\\Count"));
    EXPECT_FALSE(KeyExists(second + L"\\Count"));
    EXPECT_TRUE(ValueExists(first, L"Version"));
    EXPECT_TRUE(ValueExists(second, L"Version"));
}

// --- Recent Documents

class RecentDocuments : public WindowsCleaners {
protected:
    void SetUp() override {
        WindowsCleaners::SetUp();
        recent_ = ShellFolder(CSIDL_RECENT);
        ASSERT_FALSE(recent_.empty());
        DeleteFilesIn(recent_);  // earlier runs' leftovers would change the counts
    }
    std::wstring recent_;
    const std::wstring key_ = kExplorer + L"RecentDocs";
    ScratchRegKeys keys_{{kExplorer + L"RecentDocs"}};
};

TEST_F(RecentDocuments, AnEmptyKeyAndAnEmptyFolderGiveOneItemAndNoKilobytes) {
    CreateKey(key_);
    EXPECT_EQ(Summary(RunItems(RunKind::Test, {L"Windows - Recent Documents"})), TestSummary(1, L"0"));
}

TEST_F(RecentDocuments, CountsTheKeyTreeAndTheFilesOfTheFolderButNotOfItsSubfolders) {
    SetValues(key_, 2);
    SetValues(key_ + L"\\.txt", 1);
    PlacedFiles files;
    const std::wstring a = files.File(recent_ + L"report.txt.lnk", 100);
    const std::wstring b = files.File(recent_ + L"Holiday photos.lnk", 2000);
    files.Folder(recent_ + L"KlarvexSub");
    const std::wstring inner = files.File(recent_ + L"KlarvexSub\\inner.lnk", 10);

    const RunOutcome test = RunItems(RunKind::Test, {L"Windows - Recent Documents"});
    EXPECT_EQ(Summary(test), TestSummary(5, L"3"));
    const auto entries = EntryLines(test.lines);
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0], L"Test: deleting registry key " + kHkcu + key_);
    EXPECT_TRUE(Exists(a) && Exists(b) && KeyExists(key_));

    const RunOutcome clean = RunItems(RunKind::Clean, {L"Windows - Recent Documents"});
    EXPECT_EQ(Summary(clean), CleanSummary(5, L"3"));
    EXPECT_FALSE(Exists(a));
    EXPECT_FALSE(Exists(b));
    EXPECT_FALSE(KeyExists(key_));
    EXPECT_TRUE(Exists(inner));
    EXPECT_TRUE(Exists(recent_));
}

// --- Temporary Files

TEST_F(WindowsCleaners, TemporaryFilesEmptiesTheTempFolderAndRemovesItsSubfolders) {
    TempRedirect temp;
    ASSERT_EQ(TempFolder(), temp.Path());
    MakeFile(temp.Path() + L"a.tmp", 100);
    MakeFile(temp.Path() + L"setup\\b.cab", 2000);
    MakeFile(temp.Path() + L"setup\\deeper\\c.log", 0);

    const RunOutcome test = RunItems(RunKind::Test, {L"Windows - Temporary Files"});
    EXPECT_EQ(Summary(test), TestSummary(3, L"3"));
    EXPECT_EQ(EntryLines(test.lines).size(), 3u);
    EXPECT_TRUE(Exists(temp.Path() + L"setup\\deeper\\c.log"));

    const RunOutcome clean = RunItems(RunKind::Clean, {L"Windows - Temporary Files"});
    EXPECT_EQ(Summary(clean), CleanSummary(3, L"3"));
    EXPECT_TRUE(Exists(temp.Path()));
    EXPECT_TRUE(FolderIsEmpty(temp.Path()));
}

// --- Memory Dumps and Chkdsk fragments

TEST_F(WindowsCleaners, MemoryDumpsTakesMemoryDmpAndTheMiniDumps) {
    const std::wstring windows = ShellFolder(CSIDL_WINDOWS);
    PlacedFiles files;
    const std::wstring memory = files.File(windows + L"memory.dmp", 3000);
    files.Folder(windows + L"MiniDump");
    const std::wstring mini1 = files.File(windows + L"MiniDump\\Mini010124-01.dmp", 100);
    const std::wstring mini2 = files.File(windows + L"MiniDump\\MINI010124-02.DMP", 100);
    const std::wstring text = files.File(windows + L"MiniDump\\notes.txt", 100);
    const std::wstring deeper = files.File(windows + L"MiniDump\\old\\Mini2009.dmp", 100);
    const std::wstring other = files.File(windows + L"klarvex-app.dmp", 100);

    const RunOutcome test = RunItems(RunKind::Test, {L"Windows - Memory Dumps"});
    EXPECT_EQ(Summary(test), TestSummary(3, L"4"));

    const RunOutcome clean = RunItems(RunKind::Clean, {L"Windows - Memory Dumps"});
    EXPECT_EQ(Summary(clean), CleanSummary(3, L"4"));
    EXPECT_FALSE(Exists(memory));
    EXPECT_FALSE(Exists(mini1));
    EXPECT_FALSE(Exists(mini2));
    EXPECT_TRUE(Exists(text));
    EXPECT_TRUE(Exists(deeper));
    EXPECT_TRUE(Exists(other));
}

TEST_F(WindowsCleaners, MemoryDumpsTakesTheDumpAsWindowsSpellsIt) {
    PlacedFiles files;
    const std::wstring dump = files.File(ShellFolder(CSIDL_WINDOWS) + L"MEMORY.DMP", 5000);
    EXPECT_EQ(Summary(RunItems(RunKind::Test, {L"Windows - Memory Dumps"})), TestSummary(1, L"5"));
    EXPECT_EQ(Summary(RunItems(RunKind::Clean, {L"Windows - Memory Dumps"})), CleanSummary(1, L"5"));
    EXPECT_FALSE(Exists(dump));
}

TEST_F(WindowsCleaners, ChkdskFragmentsAreTakenFromTheSystemFolderOnly) {
    const std::wstring system = ShellFolder(CSIDL_SYSTEM);
    PlacedFiles files;
    const std::wstring upper = files.File(system + L"FILE0000.CHK", 512);
    const std::wstring lower = files.File(system + L"file0001.chk", 512);
    const std::wstring other = files.File(system + L"klarvex.chk", 512);
    files.Folder(L"C:\\FOUND.000");
    const std::wstring found = files.File(L"C:\\FOUND.000\\FILE0002.CHK", 512);
    files.Folder(system + L"FOUND.000");
    const std::wstring nested = files.File(system + L"FOUND.000\\FILE0003.CHK", 512);

    const RunOutcome test = RunItems(RunKind::Test, {L"Windows - Chkdsk File Fragments"});
    EXPECT_EQ(Summary(test), TestSummary(2, L"1"));
    EXPECT_TRUE(Exists(upper) && Exists(lower));

    const RunOutcome clean = RunItems(RunKind::Clean, {L"Windows - Chkdsk File Fragments"});
    EXPECT_EQ(Summary(clean), CleanSummary(2, L"1"));
    EXPECT_FALSE(Exists(upper));
    EXPECT_FALSE(Exists(lower));
    EXPECT_TRUE(Exists(other));
    EXPECT_TRUE(Exists(found));
    EXPECT_TRUE(Exists(nested));
}

}  // namespace
}  // namespace klarvex
