// "Windows - Empty Recycle Bin": the per-file pass over C:\Recycled where a
// drive has that old layout, else the shell's recycle bin of the drive,
// counted and emptied through the shell.
//
// Under Wine the shell's recycle bin is the XDG trash of the calling
// process. The Clean runs here empty it, so they run only when the sandbox
// wrapper has pointed that trash into the sandbox and C: is the only drive.

#include <gtest/gtest.h>

#include <windows.h>

#include <shellapi.h>

#include <algorithm>

#include "base/Format.h"
#include "settings/Global.h"
#include "support/CleanerFixture.h"

namespace klarvex {
namespace {

using namespace testing;

const wchar_t kItem[] = L"Windows - Empty Recycle Bin";

// Moves a new file into the shell's recycle bin.
bool TrashAFile(const std::wstring& path) {
    MakeFile(path, 77);
    std::wstring from = path + L'\0';
    SHFILEOPSTRUCTW op{};
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    op.fFlags = FOF_ALLOWUNDO | FOF_SILENT | FOF_NOCONFIRMATION | FOF_NOERRORUI;
    return SHFileOperationW(&op) == 0 && !Exists(path);
}

SHQUERYRBINFO ShellBin() {
    SHQUERYRBINFO info{};
    info.cbSize = sizeof(info);
    if (FAILED(SHQueryRecycleBinW(L"C:\\", &info))) info.i64NumItems = -1;
    return info;
}
long long ItemsInShellBin() { return ShellBin().i64NumItems; }
// The summary of a Test that finds what the shell's bin holds now.
std::wstring ShellBinTestSummary() {
    const SHQUERYRBINFO bin = ShellBin();
    return TestSummary(static_cast<int>(bin.i64NumItems), FormatKB(bin.i64Size));
}

class RecycleBin : public ::testing::Test {
protected:
    void SetUp() override {
        ResetSettings();
        // Only C: is examined here; the per-file pass must find no other
        // fixed drive in the sandbox.
        ASSERT_EQ(GetLogicalDrives(), 0x4u);
    }
    void TearDown() override { ResetSettings(); }

    // A recycle bin with its two files spelled as given and three deleted
    // files: 100 + 50 bytes directly in it, 10 in a subfolder.
    void Fill(const std::wstring& info2, const std::wstring& desktopIni) {
        RemoveTree(bin_.Path());
        MakeFolders(bin_.Path());
        if (!info2.empty()) MakeFile(bin_ / info2, 800);
        if (!desktopIni.empty()) MakeFile(bin_ / desktopIni, 65);
        MakeFile(bin_ / L"Dc1.txt", 100);
        MakeFile(bin_ / L"info2.bak", 50);
        MakeFile(bin_ / L"Dc2\\inner.txt", 10);
    }
    ScratchFolder bin_{L"c:\\Recycled"};
};

TEST_F(RecycleBin, TestCountsEveryDeletedFileButTheBinsOwnFilesInAnyLetterCase) {
    const std::pair<const wchar_t*, const wchar_t*> spellings[] = {
        {L"INFO2", L"desktop.ini"}, {L"Info2", L"DESKTOP.INI"}, {L"info2", L"Desktop.ini"}};
    for (const auto& [info2, desktopIni] : spellings) {
        SCOPED_TRACE(info2);
        Fill(info2, desktopIni);
        const RunOutcome test = RunItems(RunKind::Test, {kItem});
        EXPECT_EQ(Summary(test), TestSummary(3, L"1"));
        // No per-file lines unless asked for, and no notice in a Test run.
        EXPECT_TRUE(EntryLines(test.lines).empty());
        EXPECT_EQ(std::count(test.lines.begin(), test.lines.end(), L"Clearing, please wait..."), 0);
        EXPECT_TRUE(Exists(bin_ / L"info2.bak"));
        EXPECT_TRUE(Exists(bin_ / L"Dc2\\inner.txt"));
    }
}

TEST_F(RecycleBin, PerFileLinesOnlyWithShowLogRecycleBin) {
    Fill(L"INFO2", L"desktop.ini");
    Settings.ShowLogRecycleBin = true;
    std::vector<std::wstring> entries = EntryLines(RunItems(RunKind::Test, {kItem}).lines);
    std::sort(entries.begin(), entries.end());
    EXPECT_EQ(entries, (std::vector<std::wstring>{L"Test: deleting c:\\Recycled\\Dc1.txt",
                                                  L"Test: deleting c:\\Recycled\\Dc2\\inner.txt",
                                                  L"Test: deleting c:\\Recycled\\info2.bak"}));
}

TEST_F(RecycleBin, AFolderWithoutInfo2OrDesktopIniIsNoRecycleBin) {
    Fill(L"", L"desktop.ini");
    EXPECT_EQ(Summary(RunItems(RunKind::Test, {kItem})), ShellBinTestSummary());
    Fill(L"INFO2", L"");
    EXPECT_EQ(Summary(RunItems(RunKind::Test, {kItem})), ShellBinTestSummary());
}

TEST_F(RecycleBin, TestNeverEmptiesTheShellsBinCleanEmptiesItAndKeepsTheBinsOwnFiles) {
    ASSERT_TRUE(TrashIsInTheSandbox()) << "the shell's recycle bin is not the sandbox's: no Clean may run";
    TempRedirect scratch;
    ASSERT_TRUE(TrashAFile(scratch.Path() + L"trashed.txt"));
    ASSERT_GE(ItemsInShellBin(), 1);
    Fill(L"INFO2", L"desktop.ini");

    const RunOutcome test = RunItems(RunKind::Test, {kItem});
    EXPECT_EQ(Summary(test), TestSummary(3, L"1"));
    EXPECT_GE(ItemsInShellBin(), 1);

    const RunOutcome clean = RunItems(RunKind::Clean, {kItem});
    ASSERT_GE(clean.lines.size(), 2u);
    EXPECT_EQ(clean.lines[0], L"Clean: Clearing Windows - Empty Recycle Bin ...");
    EXPECT_EQ(clean.lines[1], L"Clearing, please wait...");
    EXPECT_EQ(Summary(clean), CleanSummary(3, L"1"));
    EXPECT_EQ(ItemsInShellBin(), 0);
    EXPECT_TRUE(Exists(bin_ / L"INFO2"));
    EXPECT_TRUE(Exists(bin_ / L"desktop.ini"));
    EXPECT_FALSE(Exists(bin_ / L"Dc1.txt"));
    EXPECT_FALSE(Exists(bin_ / L"info2.bak"));
    EXPECT_FALSE(Exists(bin_ / L"Dc2"));

    // Not the old layout: today's bin, the shell's, is counted and emptied.
    ASSERT_TRUE(TrashAFile(scratch.Path() + L"trashed2.txt"));
    Fill(L"", L"desktop.ini");
    EXPECT_EQ(Summary(RunItems(RunKind::Test, {kItem})), TestSummary(1, L"1"));
    Settings.ShowLogRecycleBin = true;  // no notice line then
    const RunOutcome second = RunItems(RunKind::Clean, {kItem});
    EXPECT_EQ(Summary(second), CleanSummary(1, L"1"));
    EXPECT_EQ(std::count(second.lines.begin(), second.lines.end(), L"Clearing, please wait..."), 0);
    EXPECT_EQ(ItemsInShellBin(), 0);
    EXPECT_TRUE(Exists(bin_ / L"Dc1.txt"));
}

}  // namespace
}  // namespace klarvex
