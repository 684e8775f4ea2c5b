// klarvex-cli over every Windows, Advanced, Office and messenger item, in a
// sandbox seeded with one known set of traces: the Test run lists them, the
// Clean run removes them, and a second Test run finds nothing left.

#include <gtest/gtest.h>

#include <shlobj.h>

#include <map>

#include "base/Strings.h"
#include "support/CleanerFixture.h"
#include "support/Process.h"

namespace klarvex {
namespace {

using namespace testing;

const std::wstring kExplorer = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\";
const std::wstring kOffice = L"Software\\Microsoft\\Office\\";

const std::vector<std::wstring> kItems = {
    L"Windows - Recent Documents",
    L"Windows - Start Run",
    L"Windows - Search Assistant",
    L"Windows - Empty Recycle Bin",
    L"Windows - Temporary Files",
    L"Windows - Clipboard",
    L"Windows - Memory Dumps",
    L"Windows - Chkdsk File Fragments",
    L"Windows - Windows Log Files",
    L"Advanced - Open File History",
    L"Advanced - Menu Order Cache",
    L"Advanced - Tray Notifications Cache",
    L"Advanced - User Assist History",
    L"Advanced - Paint",
    L"Advanced - Google Toolbar History",
    L"Advanced - MSN Toolbar History",
    L"Advanced - Yahoo! Toolbar History",
    L"Microsoft Office - Access",
    L"Microsoft Office - Excel",
    L"Microsoft Office - FrontPage",
    L"Microsoft Office - Powerpoint",
    L"Microsoft Office - Word",
    L"Microsoft Office - Recent Files",
    L"Instant Messengers - MSN Messenger",
    L"Instant Messengers - Yahoo! Messenger",
    L"Instant Messengers - ICQ",
    L"Instant Messengers - AOL Instant Messenger",
    L"Instant Messengers - Skype",
};

// Each item's summary line, by item name, from a run's output.
std::map<std::wstring, std::wstring> SummariesByItem(const std::vector<std::wstring>& lines, const std::wstring& mode) {
    std::map<std::wstring, std::wstring> result;
    const std::wstring clearing = mode + L": Clearing ";
    std::wstring item;
    for (const auto& line : lines) {
        if (line.rfind(clearing, 0) == 0 && line.size() > clearing.size() + 4)
            item = line.substr(clearing.size(), line.size() - clearing.size() - 4);
        else if (!item.empty() && Summaries({line}).size() == 1)
            result[item] = line;
    }
    return result;
}

bool Contains(const std::vector<std::wstring>& lines, const std::wstring& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

TEST(CliCleaners, TestListsTheSeededTracesCleanRemovesThemASecondTestFindsNone) {
    // The Clean run empties the shell's recycle bin: only the sandbox's.
    ASSERT_TRUE(TrashIsInTheSandbox()) << "the shell's recycle bin is not the sandbox's: no Clean may run";
    ResetSettings();
    ProgramFileGuard settingsFile;  // the CLI runs with its defaults
    const std::wstring appData = ShellFolder(CSIDL_APPDATA);
    const std::wstring documents = ShellFolder(CSIDL_PERSONAL);
    const std::wstring windows = ShellFolder(CSIDL_WINDOWS);
    const std::wstring system = ShellFolder(CSIDL_SYSTEM);
    const std::wstring recent = ShellFolder(CSIDL_RECENT);
    ASSERT_FALSE(appData.empty() || documents.empty() || windows.empty() || system.empty() || recent.empty());

    TempRedirect temp;  // inherited by klarvex-cli
    ScratchRegKeys keys({kExplorer + L"RecentDocs", kExplorer + L"RunMRU", L"Software\\Microsoft\\Search Assistant",
                  kExplorer + L"ComDlg32\\OpenSaveMRU", kExplorer + L"MenuOrder", kExplorer + L"TrayNotify",
                  kExplorer + L"UserAssist", L"Software\\Microsoft\\Windows\\CurrentVersion\\Applets\\Paint",
                  L"Software\\Google\\NavClient", L"Software\\Microsoft\\MSN Apps", L"Software\\Yahoo\\Companion",
                  kOffice + L"9.0", kOffice + L"10.0", kOffice + L"11.0", L"Software\\Microsoft\\FrontPage",
                  L"Software\\Microsoft\\MSNMessenger"});
    ScratchFolder bin(L"c:\\Recycled");
    ScratchFolder officeRecent(appData + L"Microsoft\\Office\\Recent");
    ScratchFolder received(documents + L"My Received Files");
    ScratchFolder yahoo(ShellFolder(CSIDL_PROGRAM_FILES) + L"Yahoo!");
    ScratchFolder icq(appData + L"ICQ");
    ScratchFolder aim(appData + L"AIM");
    ScratchFolder skype(appData + L"Skype");
    PlacedFiles files;

    DeleteFilesIn(recent);  // earlier runs' leftovers would change its count

    SetValues(kExplorer + L"RecentDocs", 1);
    files.File(recent + L"notes.txt.lnk", 100);
    SetValues(kExplorer + L"RunMRU", 2);
    SetValues(L"Software\\Microsoft\\Search Assistant\\ACMru\\5603", 1);
    MakeFile(bin / L"INFO2", 20);
    MakeFile(bin / L"desktop.ini", 20);
    MakeFile(bin / L"Dc1.txt", 100);
    MakeFile(temp.Path() + L"a.tmp", 100);
    MakeFile(temp.Path() + L"setup\\b.tmp", 100);
    files.Folder(windows + L"MiniDump");
    files.File(windows + L"MiniDump\\Mini1.dmp", 100);
    files.File(system + L"FILE0000.CHK", 100);
    SetValues(kExplorer + L"ComDlg32\\OpenSaveMRU\\txt", 1);
    SetValues(kExplorer + L"MenuOrder\\Start Menu", 1);
    SetBinary(kExplorer + L"TrayNotify", L"IconStreams", 16);
    SetValues(kExplorer + L"UserAssist\\{75048700-EF1F-11D0-9888-006097DEACF9}\\Count", 1);
    SetValues(L"Software\\Microsoft\\Windows\\CurrentVersion\\Applets\\Paint\\Recent File List", 1);
    SetValues(L"Software\\Google\\NavClient\\1.1\\History", 2);
    SetValues(L"Software\\Microsoft\\MSN Apps\\MSN Toolbar\\Search History", 1);
    SetValues(L"Software\\Yahoo\\Companion\\SearchHistory", 1);
    MakeFile(officeRecent / L"db.mdb", 100);
    SetValues(kOffice + L"9.0\\Access\\Settings", 1);
    MakeFile(officeRecent / L"sheet.xls", 100);
    SetValues(kOffice + L"11.0\\Excel", 1);
    MakeFile(officeRecent / L"page.htm", 100);
    SetValues(L"Software\\Microsoft\\FrontPage\\Explorer\\FrontPage Explorer\\Recent File List", 1);
    MakeFile(officeRecent / L"talk.ppt", 100);
    SetValues(kOffice + L"10.0\\PowerPoint\\Recent File List", 1);
    MakeFile(officeRecent / L"letter.doc", 100);
    SetBinary(kOffice + L"11.0\\Word\\Data", L"Settings", 16);
    MakeFile(officeRecent / L"other.txt", 100);
    MakeFile(received / L"photo.jpg", 100);
    MakeFile(yahoo / L"Messenger\\ypager.log", 100);
    MakeFile(icq / L"Cache\\c1.dat", 100);
    MakeFile(aim / L"Logs\\log1.html", 100);
    MakeFile(skype / L"someone\\chat.dbb", 100);

    // The Windows log files are whatever the prefix holds: not counted here.
    std::map<std::wstring, std::pair<int, int>> expected = {  // items in the Test run, in the Clean run
        {L"Windows - Recent Documents", {2, 2}},
        {L"Windows - Start Run", {2, 2}},
        {L"Windows - Search Assistant", {1, 1}},
        {L"Windows - Empty Recycle Bin", {1, 1}},
        {L"Windows - Temporary Files", {2, 2}},
        {L"Windows - Clipboard", {0, 0}},
        {L"Windows - Memory Dumps", {1, 1}},
        {L"Windows - Chkdsk File Fragments", {1, 1}},
        {L"Advanced - Open File History", {1, 1}},
        {L"Advanced - Menu Order Cache", {1, 1}},
        {L"Advanced - Tray Notifications Cache", {1, 1}},
        {L"Advanced - User Assist History", {1, 1}},
        {L"Advanced - Paint", {1, 1}},
        {L"Advanced - Google Toolbar History", {2, 2}},
        {L"Advanced - MSN Toolbar History", {1, 1}},
        {L"Advanced - Yahoo! Toolbar History", {1, 1}},
        {L"Microsoft Office - Access", {2, 2}},
        {L"Microsoft Office - Excel", {2, 2}},
        {L"Microsoft Office - FrontPage", {2, 2}},
        {L"Microsoft Office - Powerpoint", {2, 2}},
        {L"Microsoft Office - Word", {2, 2}},
        // Earlier Office items of the Clean run have taken all but one.
        {L"Microsoft Office - Recent Files", {6, 1}},
        {L"Instant Messengers - MSN Messenger", {1, 1}},
        {L"Instant Messengers - Yahoo! Messenger", {1, 1}},
        {L"Instant Messengers - ICQ", {1, 1}},
        {L"Instant Messengers - AOL Instant Messenger", {1, 1}},
        {L"Instant Messengers - Skype", {1, 1}},
    };

    std::vector<std::wstring> args = {L"--test", L"--detail"};
    args.insert(args.end(), kItems.begin(), kItems.end());
    const ProcessResult test = RunProgram(L"klarvex-cli.exe", args);
    ASSERT_EQ(test.exitCode, 0) << WideToUtf8(test.err);
    const auto testSummaries = SummariesByItem(test.out, L"Test");
    EXPECT_EQ(testSummaries.size(), kItems.size());
    for (const auto& [item, counts] : expected) {
        SCOPED_TRACE(item);
        ASSERT_TRUE(testSummaries.count(item));
        EXPECT_EQ(testSummaries.at(item).rfind(IntToStr(counts.first) + L" items will be removed;", 0), 0u)
            << WideToUtf8(testSummaries.at(item));
    }
    EXPECT_TRUE(Contains(test.out, L"Test: deleting registry key HKEY_CURRENT_USER\\" + kExplorer + L"RunMRU"));
    EXPECT_TRUE(Contains(test.out, L"Test: deleting " + system + L"FILE0000.CHK"));
    EXPECT_TRUE(Contains(test.out, L"Test: deleting registry value HKEY_CURRENT_USER\\" + kExplorer +
                                       L"TrayNotify\\IconStreams"));
    EXPECT_TRUE(Exists(skype / L"someone\\chat.dbb"));
    EXPECT_TRUE(KeyExists(kExplorer + L"RunMRU"));

    args[0] = L"--clean";
    const ProcessResult clean = RunProgram(L"klarvex-cli.exe", args);
    ASSERT_EQ(clean.exitCode, 0) << WideToUtf8(clean.err);
    const auto cleanSummaries = SummariesByItem(clean.out, L"Clean");
    for (const auto& [item, counts] : expected) {
        SCOPED_TRACE(item);
        ASSERT_TRUE(cleanSummaries.count(item));
        EXPECT_EQ(cleanSummaries.at(item).rfind(IntToStr(counts.second) + L" items to be removed;", 0), 0u)
            << WideToUtf8(cleanSummaries.at(item));
    }
    EXPECT_TRUE(Exists(bin / L"INFO2"));
    EXPECT_TRUE(Exists(temp.Path()));
    EXPECT_TRUE(Exists(received.Path()));

    args[0] = L"--test";
    const ProcessResult again = RunProgram(L"klarvex-cli.exe", args);
    ASSERT_EQ(again.exitCode, 0) << WideToUtf8(again.err);
    const auto againSummaries = SummariesByItem(again.out, L"Test");
    EXPECT_EQ(againSummaries.size(), kItems.size());
    for (const auto& [item, summary] : againSummaries) {
        SCOPED_TRACE(item);
        EXPECT_EQ(summary, TestSummary(0, L"0"));
    }
}

}  // namespace
}  // namespace klarvex
