// Rules written to do harm, from each of the three rule sources, in a Test,
// a Clean of the command line without and with --yes, and a Clean of the
// window whose question is answered No. After each, the whole drive and the
// registry's HKEY_CURRENT_USER and HKEY_LOCAL_MACHINE are as before, but
// for what the rule may really take.
//
// Run only by hostile_rules_test.sh, on a throwaway copy of the sandbox
// prefix: a case that fails deletes what its rule names. The script makes
// what only the Unix side can: links that show no reparse point and names
// Windows cannot have, under Local AppData's KxHostile and in the
// temporary folder.

#include <gtest/gtest.h>

#include <windows.h>
#include <knownfolders.h>
#include <shlobj.h>

#include <algorithm>
#include <memory>

#include "base/Handles.h"
#include "base/Strings.h"
#include "EngineFixture.h"
#include "platform/RegistryKeys.h"
#include "platform/SystemLookups.h"
#include "settings/Global.h"
#include "support/Process.h"

namespace klarvex {
namespace {

using testing::ChangedFiles;
using testing::Exists;
using testing::MakeFile;
using testing::RecordingHost;
using testing::RegistryBelow;
using testing::SetString;
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
// My Documents, "<U>" for the profile, "<L>" for Local AppData, "<A>" for
// Roaming AppData, "<P>" for the Public profile, "<O>" for another user's
// profile and "<W>" for the Windows folder, each without a trailing
// backslash. An empty text leaves that source out. takes names (";"
// between) what a Clean may take: files, or folders with all they hold
// (ending in "\"); takesWithYes what the command line may take besides
// when --yes answers the window's questions.
struct Row {
    const char* what;
    std::string klarvexDat;  // lines of the section
    std::string clistDat;    // lines of section "<New List>"
    std::string winapp2;     // lines of the entry
    std::string takes = "";
    std::string takesWithYes = "";
};

const Row kRows[] = {
    {"every file of My Documents, in a spelling of everything", "DelFile1=<D>,?*\r\nDelFile2=<D>,*.\r\n",
     "DelFile1=<D>,??*.*\r\n", "FileKey1=%Documents%|?*|RECURSE\r\n"},
    {"My Documents whole", "DelFile1=<D>\r\n", "DelFile1=<D>\\\r\n", "FileKey1=%Documents%\\|*.*|RECURSE\r\n"},
    {"every folder in My Documents, through a wildcard", "DelFile1=<D>\\*\r\nDelFile2=<D>\\*,*\r\n",
     "DelFile1=<D>\\*\r\n", "FileKey1=%Documents%\\*|*|RECURSE\r\nFileKey2=%UserProfile%\\?*|*.*\r\n"},
    {"folders directly below protected ones, through names with wildcards",
     "DelFile1=<D>\\*a*\r\nDelFile2=<D>\\*o*,*\r\nDelFile3=<U>\\*s\r\n", "",
     "FileKey1=%Documents%\\*a*|*|RECURSE\r\nFileKey2=%Documents%\\*o*|*.*\r\n"
     "FileKey3=%UserProfile%\\*s|*|RECURSE\r\n"},
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
    {"masks that look narrow in protected folders, and program files of the system",
     "DelFile1=<U>\\Desktop,*e*\r\nDelFile2=<U>,*.txt\r\nDelFile3=<A>,*a*\r\nDelFile4=<W>\\system32,*.dll\r\n",
     "DelFile1=<U>\\Desktop,*e*\r\nDelFile2=<U>,*.txt\r\nDelFile3=<A>,*a*\r\nDelFile4=<W>\\system32,*.dll\r\n",
     "FileKey1=%UserProfile%\\Desktop|*a*;*e*;*i*;*o*;*u*;*t*\r\nFileKey2=%UserProfile%|*.txt\r\n"
     "FileKey3=%AppData%|*a*\r\nFileKey4=%WinDir%\\System32|*.dll\r\n",
     "", "<U>\\Desktop\\desk.txt;<U>\\loose.txt;<A>\\kxroaming.bin"},
    {"other users' profiles and the public one",
     "DelFile1=<P>\\Documents\r\nDelFile2=<O>\\Documents\r\nDelFile3=C:\\users\\*\\Desktop\r\n",
     "DelFile1=<P>\\Documents\r\nDelFile2=<O>\\Documents,*\r\n",
     "FileKey1=%Public%\\Documents|*|RECURSE\r\nFileKey2=<O>\\Documents|*|RECURSE\r\n"
     "FileKey3=%SystemDrive%\\Users\\*\\Desktop|*|RECURSE\r\n"},
    {"file links to a document and to a system file", "DelFile1=<L>\\KxHostile\\links,*.tmp\r\n",
     "DelFile1=<L>\\KxHostile\\links,*.tmp\r\n", "FileKey1=%LocalAppData%\\KxHostile\\links|*.tmp\r\n",
     "<L>\\KxHostile\\links\\"},
    {"names Windows cannot have, made on the Unix side", "DelFile1=<L>\\KxHostile\\odd\r\n",
     "DelFile1=<L>\\KxHostile\\odd\r\n", "FileKey1=%LocalAppData%\\KxHostile\\odd|*|RECURSE\r\n",
     "<L>\\KxHostile\\odd\\"},
    {"shared keys in other spellings",
     "DelRegValue1=HKEY_CURRENT_USER\\Software\\\\Microsoft\r\n"
     "DelRegValue2=HKEY_CURRENT_USER\\Software\\Policies\\\\,\r\n"
     "DelRegValue3=HKEY_LOCAL_MACHINE\\SYSTEM\\\\CurrentControlSet\\Services\r\n",
     "DelRegValue1=HKEY_CURRENT_USER\\\\Software\\Microsoft\\\r\n"
     "DelRegValue2=HKEY_LOCAL_MACHINE\\Software\\Wow6432Node\\Classes\\CLSID\r\n",
     "RegKey1=HKCU\\Software\\\\Microsoft\r\nRegKey2=HKEY_LOCAL_MACHINE\\Software\\Classes\\\\CLSID\r\n"
     "RegKey3=HKLM\\SYSTEM\\ControlSet001\\Control\r\n"},
    {"keys of the system's own settings, whole",
     "DelRegValue1=HKEY_CURRENT_USER\\Control Panel\\Desktop\r\n"
     "DelRegValue2=HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders,\r\n"
     "DelRegValue3=HKEY_CURRENT_USER\\Software\\Clients\r\n"
     "DelRegValue4=HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Control\\Session Manager\\Environment\r\n",
     "DelRegValue1=HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon\r\n"
     "DelRegValue2=HKEY_LOCAL_MACHINE\\Software\\Clients,\r\n"
     "DelRegValue3=HKEY_LOCAL_MACHINE\\Software\\RegisteredApplications\r\n"
     "DelRegValue4=HKEY_CURRENT_CONFIG\\Software\\Fonts\r\n",
     "RegKey1=HKCU\\Control Panel\\Desktop\r\n"
     "RegKey2=HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders\r\n"
     "RegKey3=HKCU\\Software\\Clients\r\n"
     "RegKey4=HKLM\\System\\CurrentControlSet\\Control\\Session Manager\\Environment\r\n"
     "RegKey5=HKLM\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon\r\n"
     "RegKey6=HKLM\\Software\\Clients\r\n"
     "RegKey7=HKLM\\Software\\RegisteredApplications\r\nRegKey8=HKCC\\Software\\Fonts\r\n"},
    {"a rule's own key that is a registry link",
     "DelRegValue1=HKEY_CURRENT_USER\\Software\\KxApp\\Link\r\n"
     "DelRegValue2=HKEY_CURRENT_USER\\Software\\KxApp\\Link2,\r\n",
     "DelRegValue1=HKEY_CURRENT_USER\\Software\\KxApp\\Link\r\n"
     "DelRegValue2=HKEY_CURRENT_USER\\Software\\KxApp\\Link2,\r\n",
     "RegKey1=HKCU\\Software\\KxApp\\Link\r\nRegKey2=HKCU\\Software\\KxApp\\Link2\r\n"},
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

// Under HKEY_CURRENT_USER unless told: keys of the system's own settings,
// each given a value of the test's (made where Wine has no such key).
struct SystemKey {
    HKEY root;
    const wchar_t* path;
};
const SystemKey kSystemKeys[] = {
    {HKEY_CURRENT_USER, L"Control Panel\\Desktop"},
    {HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders"},
    {HKEY_CURRENT_USER, L"Software\\Clients\\Mail\\KxMail"},
    {HKEY_LOCAL_MACHINE, L"System\\CurrentControlSet\\Control\\Session Manager\\Environment"},
    {HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon"},
    {HKEY_LOCAL_MACHINE, L"Software\\Clients\\Mail\\KxMail"},
    {HKEY_LOCAL_MACHINE, L"Software\\RegisteredApplications"},
    {HKEY_CURRENT_CONFIG, L"Software\\Fonts"},
};
constexpr wchar_t kCanary[] = L"KxCanary";

// The machine's keys the rules are after, and of the thousands of classes
// only the names of the first level and of CLSID: a whole listing of them
// costs a second, and every case lists twice.
std::map<std::wstring, int64_t> MachineKeys() {
    std::map<std::wstring, int64_t> keys;
    for (const wchar_t* path : {L"Software\\Microsoft", L"Software\\Wow6432Node", L"Software\\Clients",
                                L"Software\\RegisteredApplications", L"System"})
        keys.merge(RegistryBelow(HKEY_LOCAL_MACHINE, path));
    for (const std::wstring path : {L"Software\\Classes", L"Software\\Classes\\CLSID"}) {
        RegKey key;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, key.Put()) != ERROR_SUCCESS) continue;
        for (const auto& name : SubkeyNames(key.Get())) keys[path + L"\\" + name + L"\\"] = 0;
    }
    return keys;
}

class HostileRules : public ::testing::Test {
protected:
    void SetUp() override {
        Settings.FastScan = true;
        // What the rules are after: files in the user's folders, in
        // another user's and in the public ones.
        for (const auto& path :
             {documents + L"KxVictim\\keep.txt", documents + L"KxVictim\\go.txt", documents + L"top.txt",
              documents + L"Sub\\Deeper\\deep.doc", documents + L"Work\\plan.txt", documents + L"My Games\\save.dat",
              ShellFolderPath(CSIDL_DESKTOPDIRECTORY) + L"desk.txt", profile + L"loose.txt",
              profile + L"Favorites\\site.url", profile + L"Saved Games\\game.sav", profile + L"Contacts\\me.vcf",
              ShellFolderPath(CSIDL_MYPICTURES) + L"p.jpg", ShellFolderPath(CSIDL_APPDATA) + L"kxroaming.bin",
              publicProfile + L"Documents\\shared.txt", otherProfile + L"Documents\\theirs.txt",
              otherProfile + L"Desktop\\theirs.txt"})
            MakeFile(path, 10);
        for (const auto& key : kSystemKeys) SetString(key.path, kCanary, L"1", REG_SZ, key.root);
        // An application's key holding two links: to another program's key
        // and to a key of the system.
        SetString(L"Software\\KxPrecious\\Inner", L"value", L"keep");
        SetString(L"Software\\KxApp", L"trace", L"1");
        links.push_back(std::make_unique<testing::RegistryLink>(L"Software\\KxApp\\Link", L"Software\\KxPrecious"));
        links.push_back(std::make_unique<testing::RegistryLink>(
            L"Software\\KxApp\\Link2", L"Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon",
            HKEY_LOCAL_MACHINE));
        for (const auto& link : links) ASSERT_TRUE(link->Made());
    }
    void TearDown() override {
        links.clear();
        for (const auto& key : kSystemKeys) {
            RegKey open;
            if (RegOpenKeyExW(key.root, key.path, 0, KEY_SET_VALUE, open.Put()) == ERROR_SUCCESS)
                RegDeleteValueW(open.Get(), kCanary);
        }
    }

    std::string Spelled(const std::string& text) const {
        std::string spelled = Replace(text, "<D>", WithoutBackslash(documents));
        spelled = Replace(spelled, "<U>", WithoutBackslash(profile));
        spelled = Replace(spelled, "<L>", WithoutBackslash(GetLocalAppDataDir()));
        spelled = Replace(spelled, "<A>", WithoutBackslash(ShellFolderPath(CSIDL_APPDATA)));
        spelled = Replace(spelled, "<P>", WithoutBackslash(publicProfile));
        spelled = Replace(spelled, "<O>", WithoutBackslash(otherProfile));
        return Replace(spelled, "<W>", GetWindowsDir());
    }

    // The paths a takes text names, spelled out.
    std::vector<std::wstring> Paths(const std::string& takes) const {
        std::vector<std::wstring> paths;
        for (size_t start = 0; start < takes.size();) {
            const size_t end = std::min(takes.find(';', start), takes.size());
            paths.push_back(UpperCase(Utf8ToWide(Spelled(takes.substr(start, end - start)))));
            start = end + 1;
        }
        return paths;
    }

    // The changes of a listing the run may make.
    static std::vector<std::wstring> Unexpected(std::vector<std::wstring> changed,
                                                const std::vector<std::wstring>& allowed) {
        std::erase_if(changed, [&](const std::wstring& path) {
            const std::wstring upper = UpperCase(path);
            return std::any_of(allowed.begin(), allowed.end(), [&](const std::wstring& taken) {
                return taken.ends_with(L'\\') ? upper.starts_with(taken) : upper == taken;
            });
        });
        return changed;
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
    const std::wstring publicProfile = KnownFolderPath(FOLDERID_Public);
    const std::wstring otherProfile = L"C:\\users\\kxother\\";
    std::vector<std::unique_ptr<testing::RegistryLink>> links;
};

TEST_F(HostileRules, NothingOutsideTheirTargetIsTouchedFromAnySourceInAnyMode) {
    ASSERT_FALSE(documents.empty());
    ASSERT_FALSE(publicProfile.empty());
    ASSERT_TRUE(Exists(GetLocalAppDataDir() + L"KxHostile\\links\\real.tmp")) << "made by hostile_rules_test.sh";
    for (const Row& row : kRows) {
        for (const auto& [source, text] : {std::pair<std::string, std::string>{"Klarvex.dat", row.klarvexDat},
                                           {"Clist.dat", row.clistDat},
                                           {"Winapp2.ini", row.winapp2}}) {
            if (text.empty()) continue;
            for (const Mode& mode : kModes) {
                SCOPED_TRACE(std::string(row.what) + ", from " + source + ", " + mode.name);
                const auto drive = testing::FilesBelow(L"C:\\");
                const auto user = RegistryBelow(HKEY_CURRENT_USER, L"");
                const auto machine = MachineKeys();
                Run(source, row, mode);
                // The rule files of the run came and went in the
                // temporary folder.
                std::vector<std::wstring> allowed;
                if (mode.kind == RunKind::Clean) allowed = Paths(row.takes);
                if (mode.commandLine && mode.answer)
                    for (auto& path : Paths(row.takesWithYes)) allowed.push_back(std::move(path));
                EXPECT_EQ(Unexpected(ChangedFiles(drive, testing::FilesBelow(L"C:\\"), {}), allowed),
                          std::vector<std::wstring>{});
                EXPECT_EQ(ChangedFiles(user, RegistryBelow(HKEY_CURRENT_USER, L""), {}), std::vector<std::wstring>{});
                EXPECT_EQ(ChangedFiles(machine, MachineKeys(), {}), std::vector<std::wstring>{});
                if (HasFatalFailure()) return;
            }
        }
    }
    EXPECT_FALSE(Exists(GetLocalAppDataDir() + L"KxHostile\\links\\real.tmp")) << "the rule's own file went";
    EXPECT_TRUE(Exists(documents + L"report.docx"));
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
// own key goes, what the link points at stays, and so does the link, as a
// folder link in a folder that is emptied.
TEST_F(HostileRules, ARegistryLinkInsideATakenKeyIsNeverFollowed) {
    Row row{"a key holding links", "", "", "RegKey1=HKCU\\Software\\KxApp\r\n"};
    Run("Winapp2.ini", row, {"Clean", RunKind::Clean, false, true});
    EXPECT_FALSE(ValueExists(L"Software\\KxApp", L"trace"));
    EXPECT_TRUE(ValueExists(L"Software\\KxPrecious\\Inner", L"value"));
    EXPECT_TRUE(ValueExists(L"Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon", kCanary, HKEY_LOCAL_MACHINE));
}

// A setting of Windows goes by its name, and only once the user says so:
// the window asks, the command line takes it with --yes alone.
TEST_F(HostileRules, ASettingOfWindowsGoesByNameOnlyWhenTheUserSaysSo) {
    const Row row{"one setting of the desktop", "", "", "RegKey1=HKCU\\Control Panel\\Desktop|KxCanary\r\n"};
    for (const Mode& mode : kModes) {
        SCOPED_TRACE(mode.name);
        SetString(L"Control Panel\\Desktop", kCanary, L"1");
        const auto outcome = Run("Winapp2.ini", row, mode);
        const bool asked = mode.kind == RunKind::Clean && !mode.commandLine;
        EXPECT_EQ(outcome.questions.size(), mode.kind == RunKind::Clean ? 1u : 0u) << asked;
        EXPECT_EQ(ValueExists(L"Control Panel\\Desktop", kCanary), !(mode.kind == RunKind::Clean && mode.answer));
    }
}

// The built-in cleaner of the temporary folder meets a link to a document
// and a name that climbs to My Documents, both made on the Unix side.
TEST_F(HostileRules, TheTemporaryFilesCleanerTakesNothingOutsideItsFolder) {
    wchar_t buffer[MAX_PATH + 1];
    const std::wstring temp(buffer, GetTempPathW(MAX_PATH + 1, buffer));
    ASSERT_TRUE(Exists(temp + L"kx-link.tmp")) << "made by hostile_rules_test.sh";
    for (const Mode& mode : kModes) {
        SCOPED_TRACE(mode.name);
        const auto drive = testing::FilesBelow(L"C:\\");
        RecordingHost host;
        host.answer = mode.answer;
        TestRunner runner(mode.kind, host);
        runner.SetKeepProtectedFolders(mode.commandLine);
        runner.RunItem(L"Windows - Temporary Files");
        EXPECT_EQ(ChangedFiles(drive, testing::FilesBelow(L"C:\\"), {temp}), std::vector<std::wstring>{});
    }
    EXPECT_TRUE(Exists(documents + L"report.docx"));
    EXPECT_TRUE(Exists(documents + L"top.txt"));
}

// Another program replaces the files being cleaned with links to a file
// in My Documents, and the folders being walked with links to My
// Documents, while the Clean runs: whatever it wins, My Documents keeps
// everything, its files of the kind the rule takes too.
TEST_F(HostileRules, FilesAndFoldersSwappedForLinksWhileACleanRunsLeaveTheirTargetsAlone) {
    const std::wstring unixDrive = testing::EnvironmentText(L"KLARVEX_UNIX_DRIVE_C");
    const std::wstring script = testing::EnvironmentText(L"KLARVEX_SWAP_RACE");
    ASSERT_FALSE(unixDrive.empty() || script.empty()) << "run by hostile_rules_test.sh";
    auto unixPath = [&](const std::wstring& path) {
        std::wstring unix = unixDrive + L"/" + path.substr(3);
        std::replace(unix.begin(), unix.end(), L'\\', L'/');
        return unix;
    };
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        // A folder of its own each round: the links of the last stay.
        const std::wstring race = GetLocalAppDataDir() + L"KxRace" + IntToStr(round) + L"\\";
        const Row row{"the racing folder", "", "",
                      "FileKey1=%LocalAppData%\\KxRace" + std::to_string(round) + "|*.tmp|RECURSE\r\n"};
        for (int i = 0; i < 300; ++i) MakeFile(race + L"f" + IntToStr(i) + L".tmp", 10);
        for (int folder = 0; folder < 6; ++folder)
            for (int i = 0; i < 50; ++i)
                MakeFile(race + L"sub" + IntToStr(folder) + L"\\f" + IntToStr(i) + L".tmp", 10);
        MakeFile(documents + L"victim.tmp", 10);
        MakeFile(documents + L"other.tmp", 10);
        const auto kept = testing::FilesBelow(documents);
        // A program of the Unix side, which Wine starts detached from the
        // test's output; it says when it is done.
        const std::wstring stop = GetLocalAppDataDir() + L"KxRaceStop";
        STARTUPINFOW detached{};
        detached.cb = sizeof(detached);
        detached.dwFlags = STARTF_USESTDHANDLES;
        detached.hStdInput = detached.hStdOutput = detached.hStdError = INVALID_HANDLE_VALUE;
        testing::StartProgram(L"\"\\\\?\\unix\\bin\\bash\" \"" + script + L"\" \"" + unixPath(race) + L"\" \"" +
                                  unixPath(documents) + L"\" \"" + unixPath(stop) + L"\"",
                              &detached);
        Run("Winapp2.ini", row, {"Clean", RunKind::Clean, false, true});
        MakeFile(stop, 1);
        for (int wait = 0; wait < 200 && !Exists(stop + L".done"); ++wait) Sleep(100);
        EXPECT_TRUE(Exists(stop + L".done")) << "the swapping program did not run";
        EXPECT_TRUE(testing::FilesBelow(documents) == kept) << "My Documents lost or gained a file";
        DeleteFileW(stop.c_str());
        DeleteFileW((stop + L".done").c_str());
    }
}

}  // namespace
}  // namespace klarvex
