// Rules written to do harm, from each of the three rule sources, in a Test,
// a Clean of the command line without and with --yes, and a Clean of the
// window whose question is answered No. After each, the whole drive and the
// registry's HKEY_CURRENT_USER and HKEY_LOCAL_MACHINE are as before, but
// for what the rule may really take.
//
// Run only by hostile_rules_test.sh, on a throwaway copy of the sandbox
// prefix: a case that fails deletes what its rule names.

#include <gtest/gtest.h>

#include <shlobj.h>

#include "base/Handles.h"
#include "base/Strings.h"
#include "EngineFixture.h"
#include "platform/RegistryKeys.h"
#include "platform/SystemLookups.h"
#include "settings/Global.h"

namespace klarvex {
namespace {

using testing::ChangedFiles;
using testing::KeyExists;
using testing::MakeFile;
using testing::RecordingHost;
using testing::RegistryBelow;
using testing::ScratchFolder;
using testing::TestRunner;
using testing::ValueExists;
using testing::WriteTextFile;

// How a run is made: as a Test, as the command line makes a Clean (no
// window: protected folders refused, questions answered by --yes), or as
// the window makes one with the user answering No.
struct Mode {
    const char* name;
    RunKind kind;
    bool commandLine;
    bool answer;
};
constexpr Mode kModes[] = {{"Test", RunKind::Test, false, false},
                           {"command line", RunKind::Clean, true, false},
                           {"command line --yes", RunKind::Clean, true, true},
                           {"window, answered No", RunKind::Clean, false, false}};

// One hostile rule in each source's syntax. In the texts, "<D>" stands for
// My Documents, "<U>" for the profile, "<L>" for Local AppData and "<W>"
// for the Windows folder, each without a trailing backslash. An empty text
// leaves that source out.
struct Row {
    const char* what;
    std::string klarvexDat;  // lines of the section
    std::string clistDat;    // lines of section "<New List>"
    std::string winapp2;     // lines of the entry
};

const Row kRows[] = {
    {"every file of My Documents, in a spelling of everything", "DelFile1=<D>,?*\r\nDelFile2=<D>,*.\r\n",
     "DelFile1=<D>,??*.*\r\n", "FileKey1=%Documents%|?*|RECURSE\r\n"},
    {"My Documents whole", "DelFile1=<D>\r\n", "DelFile1=<D>\\\r\n", "FileKey1=%Documents%\\|*.*|RECURSE\r\n"},
    {"every folder in My Documents, through a wildcard", "DelFile1=<D>\\*\r\nDelFile2=<D>\\*,*\r\n",
     "DelFile1=<D>\\*\r\n", "FileKey1=%Documents%\\*|*|RECURSE\r\nFileKey2=%UserProfile%\\?*|*.*\r\n"},
    {"the profile's folders through \"..\" and \"/\"", "DelFile1=<L>\\Temp/../../../Desktop\r\n",
     "DelFile1=<L>/Temp/../../..\r\n", "FileKey1=%LocalAppData%\\Temp/../../../Desktop|*|RECURSE\r\n"},
    {"doubled and forward separators", "DelFile1=<U>\\\\\\\\Documents\r\n", "DelFile1=<U>//Documents//\r\n",
     "FileKey1=%UserProfile%//Documents\\\\|*|RECURSE\r\n"},
    {"a network path, which no rule may reach", "DelFile1=\\\\localhost\\C$\\users,*.*\r\n",
     "DelFile1=\\\\localhost\\C$\\users\\\r\n",
     "DetectFile=\\\\localhost\\C$\\windows\r\nFileKey1=\\\\localhost\\C$\\users|*|RECURSE\r\n"
     "FileKey2=\\\\?\\C:\\users|*|RECURSE\r\n"},
    {"the Windows folder and the drive root", "DelFile1=<W>,*.*\r\nDelFile2=C:\\,*\r\n", "DelFile1=<W>\r\n",
     "FileKey1=%WinDir%|*.*\r\nFileKey2=%SystemDrive%\\|*|RECURSE\r\n"},
    {"shared keys in other spellings",
     "DelRegValue1=HKEY_CURRENT_USER\\Software\\\\Microsoft\r\nDelRegValue2=HKEY_CURRENT_USER\\Software\\Wine\\\\,\r\n"
     "DelRegValue3=HKEY_LOCAL_MACHINE\\SYSTEM\\\\CurrentControlSet\\Services\r\n",
     "DelRegValue1=HKEY_CURRENT_USER\\\\Software\\Microsoft\\\r\n"
     "DelRegValue2=HKEY_LOCAL_MACHINE\\Software\\Wow6432Node\\Classes\\CLSID\r\n",
     "RegKey1=HKCU\\Software\\\\Microsoft\r\nRegKey2=HKEY_LOCAL_MACHINE\\Software\\Classes\\\\CLSID\r\n"
     "RegKey3=HKLM\\SYSTEM\\ControlSet001\\Control\r\n"},
    {"an exclusion that cannot be read", "", "",
     "FileKey1=%Documents%\\KxVictim|*.txt\r\nExcludeKey1=FILE|%Documents%\\KxVictim\\keep.txt|x|y\r\n"},
};

std::string Replace(std::string text, const std::string& from, const std::wstring& to) {
    const std::string replacement = WideToUtf8(to);
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + replacement.size()))
        text.replace(at, from.size(), replacement);
    return text;
}

std::wstring WithoutBackslash(std::wstring folder) {
    if (folder.size() > 3 && folder.back() == L'\\') folder.pop_back();
    return folder;
}

class HostileRules : public ::testing::Test {
protected:
    void SetUp() override {
        Settings.FastScan = true;
        // What the rules are after: files in the user's folders.
        for (const auto& path : {documents + L"KxVictim\\keep.txt", documents + L"KxVictim\\go.txt",
                                 documents + L"top.txt", documents + L"Sub\\Deeper\\deep.doc",
                                 ShellFolderPath(CSIDL_DESKTOPDIRECTORY) + L"desk.txt",
                                 profile + L"loose.txt", ShellFolderPath(CSIDL_MYPICTURES) + L"p.jpg"})
            MakeFile(path, 10);
    }

    std::string Spelled(const std::string& text) const {
        std::string spelled = Replace(text, "<D>", WithoutBackslash(documents));
        spelled = Replace(spelled, "<U>", WithoutBackslash(profile));
        spelled = Replace(spelled, "<L>", WithoutBackslash(GetLocalAppDataDir()));
        return Replace(spelled, "<W>", GetWindowsDir());
    }

    // One run of the rule from one source: what it asked and told.
    struct Outcome {
        std::vector<std::wstring> questions, notices;
    };
    Outcome Run(const std::string& source, const Row& row, const Mode& mode) {
        ScratchFolder rules;
        std::wstring item = L"Applications - Kx Hostile";
        if (source == "Klarvex.dat") {
            WriteTextFile(rules / L"Klarvex.dat", "[Kx Hostile]\r\n" + Spelled(row.klarvexDat));
        } else if (source == "Clist.dat") {
            WriteTextFile(rules / L"Clist.dat", "[<New List>]\r\n" + Spelled(row.clistDat));
            item = L"Custom Lists - <New List>";
        } else {
            WriteTextFile(rules / L"Winapp2.ini", "[Kx Hostile *]\r\n" + Spelled(row.winapp2));
        }
        RecordingHost host;
        host.answer = mode.answer;
        TestRunner runner(mode.kind, host);
        runner.SetKeepProtectedFolders(mode.commandLine);
        runner.ruleFolder = rules.Path();
        runner.RunItem(item);
        return {host.questions, host.notices};
    }

    const std::wstring documents = GetMyDocumentsDir();
    const std::wstring profile = ShellFolderPath(CSIDL_PROFILE);
};

TEST_F(HostileRules, NothingOutsideTheirTargetIsTouchedFromAnySourceInAnyMode) {
    ASSERT_FALSE(documents.empty());
    for (const Row& row : kRows) {
        for (const auto& [source, text] : {std::pair<std::string, std::string>{"Klarvex.dat", row.klarvexDat},
                                           {"Clist.dat", row.clistDat},
                                           {"Winapp2.ini", row.winapp2}}) {
            if (text.empty()) continue;
            for (const Mode& mode : kModes) {
                SCOPED_TRACE(std::string(row.what) + ", from " + source + ", " + mode.name);
                const auto drive = testing::FilesBelow(L"C:\\");
                const auto user = RegistryBelow(HKEY_CURRENT_USER, L"");
                const auto machine = RegistryBelow(HKEY_LOCAL_MACHINE, L"");
                Run(source, row, mode);
                // The rule files of the run came and went in the
                // temporary folder.
                EXPECT_EQ(ChangedFiles(drive, testing::FilesBelow(L"C:\\"), {}), std::vector<std::wstring>{});
                EXPECT_EQ(ChangedFiles(user, RegistryBelow(HKEY_CURRENT_USER, L""), {}), std::vector<std::wstring>{});
                EXPECT_EQ(ChangedFiles(machine, RegistryBelow(HKEY_LOCAL_MACHINE, L""), {}),
                          std::vector<std::wstring>{});
                if (HasFatalFailure()) return;
            }
        }
    }
}

// What the command line cannot ask about it names, and passes over.
TEST_F(HostileRules, TheCommandLineNamesEachProtectedFolderItPassesOver) {
    const auto host = Run("Winapp2.ini", kRows[0], kModes[2]);
    ASSERT_EQ(host.notices.size(), 1u);
    EXPECT_NE(host.notices[0].find(WithoutBackslash(documents)), std::wstring::npos);
    EXPECT_TRUE(host.questions.empty());
    const auto window = Run("Winapp2.ini", kRows[0], kModes[3]);
    EXPECT_EQ(window.questions.size(), 1u) << "the window asks instead";
}

// A registry link inside a key a rule takes leads elsewhere: the rule's
// own key goes, what the link points at stays.
TEST_F(HostileRules, ARegistryLinkInsideATakenKeyIsNeverFollowed) {
    const std::wstring app = L"Software\\" + testing::UniqueName(L"KxApp");
    const std::wstring precious = L"Software\\" + testing::UniqueName(L"KxPrecious");
    testing::ScratchRegKeys keys({app, precious});
    keys.SetString(L"", L"trace", L"1");
    testing::SetString(precious + L"\\Inner", L"value", L"keep");
    const testing::RegistryLink link(app + L"\\Link", precious);
    ASSERT_TRUE(link.Made());

    Row row{"a key holding a link", "", "", "RegKey1=HKCU\\" + WideToUtf8(app) + "\r\n"};
    Run("Winapp2.ini", row, {"Clean", RunKind::Clean, false, true});
    EXPECT_FALSE(ValueExists(app, L"trace"));
    EXPECT_TRUE(ValueExists(precious + L"\\Inner", L"value"));
    // The link itself is left, like a folder link in a folder that is
    // emptied (and goes with the fixture).
    EXPECT_TRUE(KeyExists(app + L"\\Link"));
}

}  // namespace
}  // namespace klarvex
