// The Windows Explorer cleaners in the sandbox prefix: copies of jump lists
// written by real Windows and damaged ones, the registry's lists, thumbnail
// caches with one held open, and a timeline database built with the tables
// Windows gives it.

#include <gtest/gtest.h>

#include <objbase.h>
#include <shlobj.h>

#include <map>
#include <tuple>

#include "base/Strings.h"
#include "engine/EngineFixture.h"
#include "formats/JumpList.h"
#include "formats/SQLiteTable3.h"
#include "support/CleanerFixture.h"
#include "support/Process.h"

namespace klarvex {
namespace {

using namespace testing;

const std::wstring kExplorer = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\";
const std::wstring kLocalShell = L"Software\\Classes\\Local Settings\\Software\\Microsoft\\Windows\\Shell\\";
const std::wstring kQuickAccess = L"C:\\realdata\\jumplist-win10-f01b4d95cf55d32a.automaticDestinations-ms";

class ExplorerCleaners : public ::testing::Test {
protected:
    void SetUp() override { ResetSettings(); }
    void TearDown() override { ResetSettings(); }

    // One item on the test's thread: its count and kilobytes.
    std::wstring Run(RunKind kind, const std::wstring& item, bool admin = true) {
        RecordingHost host;
        TestRunner runner(kind, host);
        runner.admin = admin;
        runner.RunItem(item);
        lines = host.Lines();
        return std::to_wstring(runner.Count()) + L" items, " + runner.SizeText() + L" KB";
    }
    bool Logged(const std::wstring& line) const { return std::find(lines.begin(), lines.end(), line) != lines.end(); }

    std::vector<std::wstring> lines;
    const std::wstring local_ = ShellFolder(CSIDL_LOCAL_APPDATA);
    const std::wstring recent_ = ShellFolder(CSIDL_APPDATA) + L"Microsoft\\Windows\\Recent\\";
    ScratchFolder automatic_{recent_ + L"AutomaticDestinations\\"};
};

ComPtr<IStorage> OpenStorage(const std::wstring& path, DWORD mode) {
    ComPtr<IStorage> storage;
    StgOpenStorageEx(path.c_str(), mode, STGFMT_DOCFILE, 0, nullptr, nullptr, IID_IStorage,
                     reinterpret_cast<void**>(storage.Put()));
    return storage;
}

// Where the link stream of each entry leads, as the shell reads the link.
std::map<uint64_t, std::wstring> LinkTargets(const std::wstring& path) {
    std::map<uint64_t, std::wstring> targets;
    const ComPtr<IStorage> storage = OpenStorage(path, STGM_READ | STGM_SHARE_DENY_WRITE);
    for (uint64_t number = 1; storage && number < 16; ++number) {
        ComPtr<IStream> stream;
        ComPtr<IShellLinkW> link;
        ComPtr<IPersistStream> persist;
        wchar_t target[MAX_PATH] = {};
        if (SUCCEEDED(storage.Get()->OpenStream(EntryStreamName(number).c_str(), nullptr,
                                                STGM_READ | STGM_SHARE_EXCLUSIVE, 0, stream.Put())) &&
            SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                       reinterpret_cast<void**>(link.Put()))) &&
            SUCCEEDED(link.Get()->QueryInterface(IID_IPersistStream, reinterpret_cast<void**>(persist.Put()))) &&
            SUCCEEDED(persist.Get()->Load(stream.Get())) &&
            SUCCEEDED(link.Get()->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH)))
            targets[number] = target;
    }
    return targets;
}

TEST_F(ExplorerCleaners, JumpListsLoseTheirUnpinnedEntriesAndKeepThePinnedOnesReadable) {
    ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
    ScratchFolder custom(recent_ + L"CustomDestinations\\");
    for (const wchar_t* list : {L"f01b4d95cf55d32a", L"7e4dca80246863e3", L"1b4dd67f29cb1962"}) {
        const std::wstring name = std::wstring(list) + L".automaticDestinations-ms";
        const std::wstring windows = list[0] == L'1' ? L"win7-" : L"win10-";
        ASSERT_TRUE(CopyFileW((L"C:\\realdata\\jumplist-" + windows + name).c_str(), (automatic_ / name).c_str(), 0));
    }
    MakeFile(custom / L"1b4dd67f29cb1962.customDestinations-ms", 300);
    const std::wstring quickAccess = automatic_ / L"f01b4d95cf55d32a.automaticDestinations-ms";
    const std::string before = ReadBytes(quickAccess);
    auto targets = LinkTargets(quickAccess);
    ASSERT_EQ(targets.size(), 9u);
    EXPECT_EQ(targets[1], L"C:\\Users\\e\\Desktop");

    // 5 unpinned entries (links of 2,272 bytes), the 1 + 4 entries of the
    // lists without pins (3,072 and 5,632 bytes), a program's own list.
    EXPECT_EQ(Run(RunKind::Test, L"Windows Explorer - Jump Lists"), L"11 items, 12 KB");
    EXPECT_TRUE(Logged(L"Test: deleting jump list entry C:\\Temp (" + quickAccess + L")"));
    EXPECT_EQ(ReadBytes(quickAccess), before);

    // What broken-off runs left beside the list blocks nothing, and stays.
    const std::wstring leftOver[] = {quickAccess + L".klarvex-new",
                                     quickAccess + L"." + std::to_wstring(GetCurrentProcessId()) + L"-0.new"};
    for (const auto& path : leftOver) MakeFile(path, 10);
    EXPECT_EQ(Run(RunKind::Clean, L"Windows Explorer - Jump Lists"), L"11 items, 12 KB");
    EXPECT_TRUE(FilesBelow(custom.Path()).empty());
    for (const auto& path : leftOver) EXPECT_EQ(ReadBytes(path), std::string(10, 'x'));
    EXPECT_EQ(FilesBelow(automatic_.Path()).size(), 3u) << "the lists without pins go whole";
    const auto kept = ReadAutomaticJumpList(quickAccess);
    ASSERT_TRUE(kept);
    EXPECT_EQ(kept->index.version, 3u);
    EXPECT_EQ(kept->index.entries.size(), 4u);
    for (const auto& entry : kept->index.entries) EXPECT_TRUE(entry.pinned) << entry.number;
    for (uint64_t unpinned = 5; unpinned <= 9; ++unpinned) targets.erase(unpinned);
    EXPECT_EQ(LinkTargets(quickAccess), targets);
    EXPECT_EQ(Run(RunKind::Test, L"Windows Explorer - Jump Lists"), L"0 items, 0 KB");
    CoUninitialize();
}

TEST_F(ExplorerCleaners, DamagedJumpListsAreLeftAsTheyAreAndNamed) {
    const auto real = ReadAutomaticJumpList(kQuickAccess);
    ASSERT_TRUE(real);
    auto changed = [&](size_t at, char value) {
        std::string destList = real->destList;
        destList[at] = value;
        return destList;
    };
    const std::pair<const wchar_t*, std::string> destLists[] = {
        {L"cut-short", real->destList.substr(0, real->destList.size() - 10)},
        {L"more-entries", changed(4, 10)},
        {L"fewer-pins", changed(8, 3)},
        {L"version-2", changed(0, 2)},
        {L"link-missing", real->destList},
        {L"empty", ""},  // a list emptied of its entries: nothing to clean, nothing to say
    };
    std::map<std::wstring, std::string> before;
    for (const auto& [name, destList] : destLists) {
        const std::wstring path = automatic_ / (std::wstring(name) + L".automaticDestinations-ms");
        WriteTextFile(path, real->file);
        {
            const ComPtr<IStorage> storage = OpenStorage(path, STGM_READWRITE | STGM_SHARE_EXCLUSIVE);
            const DWORD mode = STGM_CREATE | STGM_WRITE | STGM_SHARE_EXCLUSIVE;
            ComPtr<IStream> stream;
            ASSERT_TRUE(storage && SUCCEEDED(storage.Get()->CreateStream(L"DestList", mode, 0, 0, stream.Put())));
            stream.Get()->Write(destList.data(), static_cast<ULONG>(destList.size()), nullptr);
            if (destList == real->destList) storage.Get()->DestroyElement(L"9");
        }
        before[path] = ReadBytes(path);
    }
    EXPECT_EQ(Run(RunKind::Clean, L"Windows Explorer - Jump Lists"), L"0 items, 0 KB");
    for (const auto& [path, bytes] : before) {
        EXPECT_EQ(ReadBytes(path), bytes) << WideToUtf8(path);
        EXPECT_EQ(Logged(L"Clean: not a jump list this program can edit, left unchanged: " + path),
                  !path.ends_with(L"\\empty.automaticDestinations-ms"));
    }
}

TEST_F(ExplorerCleaners, RegistryListsLoseTheirValuesAndKeepTheirKeysAndNeighbours) {
    const std::wstring userAssist = kExplorer + L"UserAssist\\{CEBFF5CD-ACE2-4F4F-9178-9926F41749EA}";
    const std::tuple<const wchar_t*, std::vector<std::wstring>, std::wstring> items[] = {
        // the item, its keys (two values each), a neighbour whose value stays
        {L"Windows Explorer - Search History",
         {kExplorer + L"WordWheelQuery", kExplorer + L"SearchHistory",
          L"Software\\Microsoft\\Windows\\CurrentVersion\\Search\\RecentApps"},
         kExplorer + L"Search Neighbour"},
        {L"Windows Explorer - Typed Paths", {kExplorer + L"TypedPaths"}, kExplorer + L"TypedPaths Neighbour"},
        {L"Windows Explorer - Open/Save Dialog History",
         {kExplorer + L"ComDlg32\\OpenSavePidlMRU\\*", kExplorer + L"ComDlg32\\OpenSavePidlMRU\\txt",
          kExplorer + L"ComDlg32\\LastVisitedPidlMRU", kExplorer + L"ComDlg32\\CIDSizeMRU",
          kExplorer + L"ComDlg32\\OpenSaveMRU\\doc", kExplorer + L"ComDlg32\\LastVisitedMRU"},
         kExplorer + L"ComDlg32\\FirstFolder"},
        {L"Windows Explorer - Programs Run",
         {kLocalShell + L"MuiCache", kExplorer + L"FeatureUsage\\AppSwitched", kExplorer + L"FeatureUsage\\AppLaunch"},
         kLocalShell + L"MuiCache Neighbour"},
        {L"Advanced - User Assist History",
         {userAssist + L"\\Count", kExplorer + L"UserAssist\\{F4E57C4B-2036-45F0-A9AB-443BCFE33D9F}\\Count"},
         userAssist},
    };
    for (const auto& [item, keys, neighbour] : items) {
        SCOPED_TRACE(WideToUtf8(item));
        std::vector<std::wstring> made = keys;
        made.push_back(neighbour);
        ScratchRegKeys scratch(made);
        for (const auto& key : keys) SetValues(key, 2);
        SetValues(neighbour, 1);
        const std::wstring count = std::to_wstring(2 * keys.size()) + L" items, 0 KB";
        EXPECT_EQ(Run(RunKind::Test, item), count);
        EXPECT_TRUE(Logged(L"Test: deleting registry value HKEY_CURRENT_USER\\" + keys[0] + L"\\V1"));
        EXPECT_EQ(Run(RunKind::Clean, item), count);
        for (const auto& key : keys)
            EXPECT_TRUE(KeyExists(key) && !ValueExists(key, L"V1") && !ValueExists(key, L"V2")) << WideToUtf8(key);
        EXPECT_TRUE(ValueExists(neighbour, L"V1"));
    }
}

// A registry link among a list's subkeys leads to another program's key.
TEST_F(ExplorerCleaners, RegistryLinksAmongTheListsAreNeverFollowed) {
    const std::wstring precious = L"Software\\" + UniqueName(L"KxPrecious");
    for (const auto& [item, parent] : {std::pair{L"Windows Explorer - Programs Run", kExplorer + L"FeatureUsage"},
                                       std::pair{L"Windows Explorer - Open/Save Dialog History",
                                                 kExplorer + L"ComDlg32\\OpenSavePidlMRU"}}) {
        SCOPED_TRACE(WideToUtf8(item));
        ScratchRegKeys scratch({parent, precious});
        SetValues(parent + L"\\txt", 2);
        SetValues(precious, 2);
        const RegistryLink link(parent + L"\\Linked", precious);
        ASSERT_TRUE(link.Made());
        Run(RunKind::Clean, item);
        EXPECT_FALSE(ValueExists(parent + L"\\txt", L"V1"));
        EXPECT_TRUE(ValueExists(precious, L"V1") && ValueExists(precious, L"V2"));
    }
}

TEST_F(ExplorerCleaners, FolderViewsAreCountedAndTheCommandLineTakesThemOnlyWithYes) {
    const std::vector<std::wstring> keys = {kLocalShell + L"BagMRU", kLocalShell + L"Bags",
                                            L"Software\\Microsoft\\Windows\\Shell\\BagMRU",
                                            L"Software\\Microsoft\\Windows\\Shell\\Bags"};
    ScratchRegKeys scratch(keys);
    for (const auto& key : keys) SetValues(key + L"\\0", 2);
    const wchar_t item[] = L"Windows Explorer - Folder Views";
    EXPECT_EQ(Run(RunKind::Test, item), L"8 items, 0 KB");

    const ProcessResult refused = RunProgram(L"klarvex-cli.exe", {L"--clean", item});
    EXPECT_NE(refused.err.find(L"Folder Views: This resets how each folder is shown."), std::wstring::npos);
    EXPECT_TRUE(KeyExists(keys[0] + L"\\0"));
    EXPECT_EQ(RunProgram(L"klarvex-cli.exe", {L"--clean", L"--yes", item}).exitCode, 0);
    for (const auto& key : keys) EXPECT_FALSE(KeyExists(key)) << WideToUtf8(key);
    EXPECT_TRUE(KeyExists(L"Software\\Microsoft\\Windows\\Shell"));
}

TEST_F(ExplorerCleaners, ThumbnailCachesGoAndOneInUseWaitsForTheNextStartOfAnAdministrator) {
    ScratchFolder explorer(local_ + L"Microsoft\\Windows\\Explorer\\");
    const std::wstring held = explorer / L"thumbcache_idx.db";
    for (const bool admin : {false, true}) {
        SCOPED_TRACE(admin);
        for (const wchar_t* name : {L"thumbcache_32.db", L"iconcache_16.db", L"thumbcache_idx.db"})
            MakeFile(explorer / name, 1000);
        MakeFile(explorer / L"thumbcache_32.db.bak", 10);
        const FileHandle hold(CreateFileW(held.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(hold);
        const std::wstring inUse = L": file in use, left in place: " + held;
        const std::wstring count = admin ? L"3 items, 3 KB" : L"2 items, 2 KB";
        EXPECT_EQ(Run(RunKind::Test, L"Windows Explorer - Thumbnail Cache", admin), count);
        EXPECT_EQ(Logged(L"Test" + inUse), !admin);
        EXPECT_TRUE(Exists(explorer / L"thumbcache_32.db"));

        EXPECT_EQ(Run(RunKind::Clean, L"Windows Explorer - Thumbnail Cache", admin), count);
        EXPECT_EQ(Logged(L"Clean" + inUse), !admin);
        EXPECT_FALSE(Exists(explorer / L"thumbcache_32.db") || Exists(explorer / L"iconcache_16.db"));
        EXPECT_TRUE(Exists(held) && Exists(explorer / L"thumbcache_32.db.bak"));
        const wchar_t manager[] = L"System\\CurrentControlSet\\Control\\Session Manager";
        wchar_t pending[4096] = {};
        DWORD size = sizeof(pending) - sizeof(wchar_t);
        RegGetValueW(HKEY_LOCAL_MACHINE, manager, L"PendingFileRenameOperations", RRF_RT_REG_MULTI_SZ, nullptr,
                     pending, &size);
        EXPECT_EQ(std::wstring(pending, size / sizeof(wchar_t)).find(held) != std::wstring::npos, admin);
        RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, manager, L"PendingFileRenameOperations");
    }
}

TEST_F(ExplorerCleaners, ActivityHistoryEmptiesTheTimelineAndLeavesALockedDatabase) {
    ScratchFolder platform(local_ + L"ConnectedDevicesPlatform\\");
    MakeFolders(platform / L"L.demo");
    const std::wstring path = platform / L"L.demo\\ActivitiesCache.db";
    {
        // Windows' tables with the columns the rows need, and a key from
        // each package to its activity that must not be left dangling.
        TSQLiteDatabase db(path);
        db.QueryTable(L"PRAGMA journal_mode = WAL");
        for (const wchar_t* sql : {
                 L"CREATE TABLE [Activity]([Id] GUID PRIMARY KEY NOT NULL, [AppId] TEXT NOT NULL, [Payload] BLOB)",
                 L"CREATE TABLE [ActivityOperation]([OperationOrder] INTEGER PRIMARY KEY ASC NOT NULL, [Id] GUID)",
                 L"CREATE TABLE [Activity_PackageId]([ActivityId] GUID NOT NULL, [PackageName] TEXT NOT NULL, "
                 L"FOREIGN KEY(ActivityId) REFERENCES Activity(Id))",
                 L"CREATE TABLE [Metadata]([Key] TEXT PRIMARY KEY NOT NULL, [Value] TEXT)",
                 L"INSERT INTO [Activity] VALUES (x'01', 'notepad.exe', 'secret.txt'), (x'02', 'msedge.exe', NULL)",
                 L"INSERT INTO [ActivityOperation] VALUES (1, x'01')",
                 L"INSERT INTO [Activity_PackageId] VALUES (x'01', 'notepad.exe'), (x'02', 'msedge.exe')",
                 L"INSERT INTO [Metadata] VALUES ('Version', '2')"})
            db.ExecuteStatement(sql);
    }
    // The activities are counted, not the rows that go with them.
    const wchar_t item[] = L"Windows Explorer - Activity History";
    EXPECT_EQ(Run(RunKind::Test, item), L"2 items, 0 KB");
    {
        TSQLiteDatabase holder(path);
        holder.ExecuteStatement(L"BEGIN EXCLUSIVE");
        EXPECT_EQ(Run(RunKind::Clean, item), L"0 items, 0 KB");
        EXPECT_TRUE(Logged(L"Clean: file in use, left in place: " + path));
        holder.ExecuteStatement(L"ROLLBACK");
    }
    // A database with a second name is not only the timeline's.
    ASSERT_TRUE(CreateHardLinkW((platform / L"second-name.db").c_str(), path.c_str(), nullptr));
    EXPECT_EQ(Run(RunKind::Clean, item), L"0 items, 0 KB");
    EXPECT_TRUE(Logged(L"Clean: skipping database that is a link or has a second name: " + path));
    DeleteFileW((platform / L"second-name.db").c_str());
    EXPECT_EQ(Run(RunKind::Clean, item), L"2 items, 0 KB");
    TSQLiteDatabase db(path);
    EXPECT_EQ(db.QueryTable(L"SELECT [Id] FROM [Activity] UNION ALL SELECT [Id] FROM [ActivityOperation] "
                            L"UNION ALL SELECT [ActivityId] FROM [Activity_PackageId]").RowTotal(), 0);
    EXPECT_EQ(db.QueryTable(L"SELECT * FROM [Metadata]").RowTotal(), 1);
    EXPECT_EQ(std::get<std::wstring>(db.QueryTable(L"PRAGMA integrity_check").Cell(0, 0)), L"ok");
    EXPECT_EQ(db.QueryTable(L"PRAGMA foreign_key_check").RowTotal(), 0);
    EXPECT_EQ(ReadBytes(path).find("secret.txt"), std::string::npos) << "removed rows are overwritten";
}

}  // namespace
}  // namespace klarvex
