// The Internet Explorer cleaners on the sandbox's real folders, registry and
// WinINet URL cache; the URL history object and protected storage, which
// Wine only stubs, through objects of the test's own (IEFakes.h).

#include <gtest/gtest.h>

#include <windows.h>

#include <shlobj.h>
#include <wininet.h>

#include <atomic>
#include <deque>
#include <map>
#include <memory>

#include "base/Format.h"
#include "base/Handles.h"
#include "base/Strings.h"
#include "cleaners/ie/IEFakes.h"
#include "cleaners/ie/CookiesKeepList.h"
#include "cleaners/ie/IEHelpers.h"
#include "engine/EngineFixture.h"
#include "platform/RegistryKeys.h"
#include "platform/SystemLookups.h"
#include "settings/Global.h"
#include "support/CleanerFixture.h"
#include "support/Process.h"

namespace klarvex {
namespace {

using namespace testing;

const std::wstring kIntelliForms = L"Software\\Microsoft\\Internet Explorer\\IntelliForms\\";

class InternetExplorer : public ::testing::Test {
protected:
    // Before the first call into WinINet: the last run's Clean emptied it.
    static void SetUpTestSuite() { testing::StartUrlCacheAnew(); }
    void SetUp() override { ResetSettings(); }
};

TEST_F(InternetExplorer, ProtectedStorageListsEverythingInOrderAndItsNamesCut) {
    FakeProvider provider;
    for (uint32_t t = 1; t <= 20; ++t) provider.types.push_back(Guid(t));
    for (uint32_t s = 101; s <= 117; ++s) provider.subtypes[1].push_back(Guid(s));
    for (int i = 0; i < 33; ++i) provider.items[101].push_back(L"item" + IntToStr(i));
    provider.items[102] = {std::wstring(300, L'x')};
    provider.typeNames[1] = L"Internet Explorer";
    ProviderScope scope(&provider);

    TPStorage storage;
    ASSERT_TRUE(TPStorage::IsAvailable());
    ASSERT_TRUE(storage.Connect());
    ASSERT_TRUE(storage.Connect());  // the first provider is let go first
    EXPECT_EQ(scope.created, 2);
    EXPECT_EQ(provider.references, 1u);
    EXPECT_EQ(storage.ListTypes(), provider.types);
    EXPECT_EQ(storage.ListSubtypes(Guid(1)), provider.subtypes[1]);
    const TItemList items = storage.ListItems(Guid(1), Guid(101));
    ASSERT_EQ(items.Count(), 33u);
    for (size_t i = 0; i < items.Count(); ++i) EXPECT_EQ(items.At(i), L"item" + IntToStr(static_cast<long long>(i)));
    const TItemList longName = storage.ListItems(Guid(1), Guid(102));
    EXPECT_EQ(longName.At(0), std::wstring(255, L'x'));
    EXPECT_EQ(storage.TypeDisplayName(Guid(1)), L"Internet Explorer");
    EXPECT_TRUE(storage.RemoveItem(Guid(1), Guid(102), longName.WholeName(0)));
    EXPECT_EQ(provider.removed.back().second.size(), 300u) << "a long name is still removed";
    storage.Disconnect();
    EXPECT_EQ(provider.references, 0u);
    EXPECT_TRUE(storage.ListTypes().empty()) << "nothing without a provider";
}

TEST_F(InternetExplorer, AutocompleteCountsHalfTheItemsOfEachSubtypeAndRemovesThemInACleanOnly) {
    ScratchRegKeys forms({kIntelliForms + L"Storage1", kIntelliForms + L"Storage2"});
    struct Case {
        std::vector<size_t> itemsPerSubtype;
        int32_t count;  // each subtype's share, and the two keys' values
    };
    for (const Case& c : {Case{{4, 7}, 2 + 3 + 2}, Case{{4, 1}, 2 + 1 + 2}, Case{{6, 0}, 3 + 0 + 2}}) {
        FakeProvider provider;
        provider.types = {Guid(1), Guid(2)};
        provider.typeNames = {{1, L"Outlook"}, {2, L"Internet Explorer"}};
        provider.subtypes[1] = {Guid(50)};
        provider.items[50] = {L"http://mail/StringData"};
        for (uint32_t s = 0; s < c.itemsPerSubtype.size(); ++s) {
            provider.subtypes[2].push_back(Guid(60 + s));
            for (size_t i = 0; i < c.itemsPerSubtype[s]; ++i)
                provider.items[60 + s].push_back(L"http://site/" + IntToStr(static_cast<long long>(i)) +
                                                 L":StringData");
        }
        ProviderScope scope(&provider);
        SetString(kIntelliForms + L"Storage1", L"a", L"1");
        SetString(kIntelliForms + L"Storage2", L"b", L"1");
        RecordingHost host;
        TestRunner test(RunKind::Test, host);
        test.SetTotalCount(100);
        test.AgeProgressClock();
        test.RunItem(L"Internet Explorer - Autocomplete History");
        EXPECT_EQ(test.Count(), c.count);
        ASSERT_FALSE(host.Progress().empty());
        EXPECT_GE(host.Progress()[0], 100) << "progress goes on from the run's total";
        EXPECT_TRUE(provider.removed.empty());
        EXPECT_TRUE(KeyExists(kIntelliForms + L"Storage1"));

        TestRunner clean(RunKind::Clean, host);
        clean.RunItem(L"Internet Explorer - Autocomplete History");
        EXPECT_EQ(clean.Count(), c.count);
        size_t all = 0;
        for (size_t n : c.itemsPerSubtype) all += n;
        EXPECT_EQ(provider.removed.size(), all) << "every item of the Internet Explorer type, none of Outlook's";
        EXPECT_FALSE(KeyExists(kIntelliForms + L"Storage1"));
        EXPECT_FALSE(KeyExists(kIntelliForms + L"Storage2"));
    }

    // No provider (Wine's service answers nothing): the registry's entries,
    // where Internet Explorer 7 and later keep them, go all the same.
    ProviderScope none(nullptr);
    SetString(kIntelliForms + L"Storage1", L"a", L"1");
    SetString(kIntelliForms + L"Storage2", L"b", L"1");
    RecordingHost host;
    TestRunner clean(RunKind::Clean, host);
    clean.RunItem(L"Internet Explorer - Autocomplete History");
    EXPECT_EQ(clean.Count(), 2);
    EXPECT_FALSE(KeyExists(kIntelliForms + L"Storage1"));
    EXPECT_FALSE(KeyExists(kIntelliForms + L"Storage2"));
}

TEST_F(InternetExplorer, VisitedUrlHistoryObjectIsEmptiedInACleanOnly) {
    ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
    FakeUrlHistory history;
    history.urls = {L"http://a.example/", L"https://b.example/x", L"file:///C:/c.txt"};
    FakeClassFactory factory(history);
    DWORD cookie = 0;
    ASSERT_EQ(CoRegisterClassObject(kUrlHistoryClass, &factory, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie),
              S_OK);
    RecordingHost host;
    TestRunner test(RunKind::Test, host);
    test.RunItem(L"Internet Explorer - Visited URL History");
    for (const auto& url : history.urls)
        EXPECT_EQ(LinesStartingWith(host, L"Test: deleting " + url).size(), 1u) << WideToUtf8(url);
    EXPECT_EQ(history.urls.size(), 3u);

    history.refused = L"http://a.example/";
    history.refuseAfter = L"https://b.example/x";  // the loop ends there
    TestRunner clean(RunKind::Clean, host);
    clean.RunItem(L"Internet Explorer - Visited URL History");
    EXPECT_EQ(history.urls, (std::deque<std::wstring>{L"http://a.example/", L"file:///C:/c.txt"}));
    // Both runs count the same pages of the URL cache besides.
    EXPECT_EQ(clean.Count(), test.Count() - 2) << "the refused address and the one never reached are not counted";
    CoRevokeClassObject(cookie);
    CoUninitialize();
}

// --- the WinINet cache

bool CommitCacheEntry(const std::wstring& url, DWORD type, bool withFile) {
    wchar_t file[MAX_PATH] = L"";
    if (withFile) {
        if (!CreateUrlCacheEntryW(url.c_str(), 0, L"htm", file, 0)) return false;
        WriteTextFile(file, "<html>klarvex</html>");
    }
    FILETIME zero{};
    return CommitUrlCacheEntryW(url.c_str(), withFile ? file : nullptr, zero, zero, type, nullptr, 0, nullptr,
                                nullptr) != FALSE;
}

bool InCache(const std::wstring& url) {
    DWORD size = 0;
    return !GetUrlCacheEntryInfoA(WideToUtf8(url).c_str(), nullptr, &size) &&
           GetLastError() == ERROR_INSUFFICIENT_BUFFER;
}

TEST_F(InternetExplorer, VisitedUrlHistoryTakesOnlyThePlainWebPagesOfTheUrlCache) {
    const std::wstring stem = UniqueName(L"klarvex");
    const std::wstring page = L"http://" + stem + L".example/page", secure = L"https://" + stem + L".example/s",
                       cookie = L"Cookie:user@" + stem + L".example/", visited = L"Visited: user@" + page;
    ASSERT_TRUE(CommitCacheEntry(page, NORMAL_CACHE_ENTRY, true));
    ASSERT_TRUE(CommitCacheEntry(secure, NORMAL_CACHE_ENTRY, true));
    ASSERT_TRUE(CommitCacheEntry(cookie, COOKIE_CACHE_ENTRY, true));
    ASSERT_TRUE(CommitCacheEntry(visited, URLHISTORY_CACHE_ENTRY, false));
    for (const auto& url : {page, secure, cookie, visited}) ASSERT_TRUE(InCache(url)) << WideToUtf8(url);

    RecordingHost host;
    TestRunner test(RunKind::Test, host);
    test.RunItem(L"Internet Explorer - Visited URL History");
    EXPECT_EQ(LinesStartingWith(host, L"Test: deleting " + page).size(), 1u);
    for (const auto& other : {secure, cookie, visited})
        EXPECT_TRUE(LinesStartingWith(host, L"Test: deleting " + other).empty()) << WideToUtf8(other);
    EXPECT_TRUE(InCache(page));

    TestRunner clean(RunKind::Clean, host);
    clean.RunItem(L"Internet Explorer - Visited URL History");
    EXPECT_FALSE(InCache(page));
    // The visited-page record goes too, with the history folder's index the
    // Clean overwrites; secure pages and cookies are no history.
    for (const auto& other : {secure, cookie}) {
        EXPECT_TRUE(InCache(other)) << WideToUtf8(other);
        DeleteUrlCacheEntryW(other.c_str());
    }
    DeleteUrlCacheEntryW(visited.c_str());
}

// --- files

class CookieFolder : public InternetExplorer {
protected:
    void SetUp() override {
        InternetExplorer::SetUp();
        ASSERT_FALSE(folder.empty());
        DeleteFilesIn(folder);
        RemoveTree(folder + L"Low");
    }
    void TearDown() override {
        DeleteFilesIn(folder);
        RemoveTree(folder + L"Low");
    }
    const std::wstring folder = CookiesFolderWithoutLow();
    ProgramFileGuard keepList{L"Cookies.dat"};
};

// In Low, whose index is no live container of Wine's URL cache.
TEST_F(CookieFolder, KeptNamesStayExactlyAndTheIndexIsWipedOnlyWithoutThem) {
    const std::wstring low = folder + L"Low\\";
    for (const wchar_t* name : {L"user@a.txt", L"user@b.txt", L"user@c.txt.bak", L"notes.TXT"})
        MakeFile(low + name, 10);
    SaveKeepList({L"user@a.txt", L"User@B.txt"});  // the second protects nothing: case counts
    const std::string image = ReadBytes(L"C:\\realdata\\plaso-MSHist012013031020130311-index.dat");
    WriteTextFile(low + L"index.dat", image);

    EXPECT_EQ(Summary(RunItems(RunKind::Test, {L"Internet Explorer - Cookies"})), TestSummary(2, L"1"));
    EXPECT_EQ(Summary(RunItems(RunKind::Clean, {L"Internet Explorer - Cookies"})), CleanSummary(2, L"1"));
    EXPECT_TRUE(Exists(low + L"user@a.txt"));
    EXPECT_FALSE(Exists(low + L"user@b.txt"));
    EXPECT_FALSE(Exists(low + L"user@c.txt.bak")) << ".txt anywhere in the name";
    EXPECT_TRUE(Exists(low + L"notes.TXT")) << "case counts";
    EXPECT_TRUE(ReadBytes(low + L"index.dat") == image) << "the index also names the kept cookies";

    SaveKeepList({});
    RunItems(RunKind::Clean, {L"Internet Explorer - Cookies"});
    EXPECT_FALSE(Exists(low + L"user@a.txt"));
    EXPECT_FALSE(ReadBytes(low + L"index.dat") == image) << "wiped with nothing kept";
}

TEST_F(CookieFolder, LowHoldsTheCookiesOnlyWhenTheFolderItselfHasNone) {
    MakeFile(folder + L"Low\\user@low.txt", 10);
    EXPECT_EQ(CookiesFolder(), folder + L"Low\\");
    EXPECT_EQ(Summary(RunItems(RunKind::Test, {L"Internet Explorer - Cookies"})), TestSummary(1, L"1"));
    MakeFile(folder + L"user@top.txt", 10);
    EXPECT_EQ(CookiesFolder(), folder);
    EXPECT_EQ(EntryLines(RunItems(RunKind::Test, {L"Internet Explorer - Cookies"}).lines),
              std::vector<std::wstring>{L"Test: deleting " + folder + L"user@top.txt"});
}

TEST(KeepList, AShorterSaveReadsBackExactlyAndAHugeCountIsNoHang) {
    ScratchFolder dir;
    const std::wstring path = dir / L"Cookies.dat";
    SaveKeepList({L"a.txt", L"b.txt", L"c.txt"}, path);
    SaveKeepList({L"x.txt"}, path);
    EXPECT_EQ(LoadKeepList(path), std::vector<std::wstring>{L"x.txt"});
    WriteTextFile(path,
                  "[Cookies to keep]\r\nCount=2000000000\r\n0=a.txt\r\n1=\r\n02=no.txt\r\n2=c.txt\r\n2=d.txt\r\n");
    EXPECT_EQ(LoadKeepList(path), (std::vector<std::wstring>{L"a.txt", L"c.txt"}));
    EXPECT_TRUE(LoadKeepList(dir / L"missing.dat").empty());
}

// History: the daily folders below Low\History.IE5 except today's on
// version 6 or later; History.IE5 but its index on 5.x; the index files of
// the folders below the top one wiped in a Clean run.
TEST_F(InternetExplorer, HistoryFoldersByWindowsVersion) {
    const std::wstring history = ShellFolder(CSIDL_HISTORY);
    ASSERT_FALSE(history.empty());
    // A real daily index: what a wipe changes.
    const std::string image = ReadBytes(L"C:\\realdata\\plaso-MSHist012013031020130311-index.dat");
    ASSERT_GT(image.size(), 1000u);
    {
        ScratchFolder low(history + L"Low");
        const std::wstring days = history + L"Low\\History.IE5\\";
        const std::wstring today = TodayHistoryFolderName();
        MakeFile(days + L"index.dat", 0);
        MakeFile(days + today + L"\\a.url", 100);
        WriteTextFile(days + today + L"\\index.dat", image);
        MakeFile(days + L"MSHist012001010120010108\\b.url", 100);
        MakeFile(days + L"top.url", 100);
        WriteTextFile(history + L"index.dat", image);
        RecordingHost host;
        TestRunner clean(RunKind::Clean, host);
        clean.version = 11;
        clean.RunItem(L"Internet Explorer - Visited URL History");
        EXPECT_TRUE(Exists(days + today + L"\\a.url"));
        EXPECT_FALSE(Exists(days + L"MSHist012001010120010108"));
        EXPECT_TRUE(Exists(days + L"top.url"));
        EXPECT_TRUE(ReadBytes(history + L"index.dat") == image) << "the top folder's index is never wiped";
        EXPECT_FALSE(ReadBytes(days + today + L"\\index.dat") == image) << "those below are";
        DeleteFileW((history + L"index.dat").c_str());
    }
    {
        ScratchFolder ie5(history + L"History.IE5");
        MakeFile(ie5 / L"index.dat", 64);
        MakeFile(ie5 / L"MSHist01\\c.url", 100);
        RecordingHost host;
        TestRunner test(RunKind::Test, host);
        test.version = 9;  // Windows XP
        test.RunItem(L"Internet Explorer - Visited URL History");
        EXPECT_EQ(LinesStartingWith(host, L"Test: deleting " + ie5.Path()),
                  std::vector<std::wstring>{L"Test: deleting " + (ie5 / L"MSHist01\\c.url")});
    }
}

// The three shell folders pointed at scratch folders for a while: Wine's
// URL cache keeps its own index files in the real ones alive.
class RedirectedInternetFolders {
public:
    RedirectedInternetFolders() {
        for (const auto& [name, csidl] : kFolders) {
            saved_.push_back(ReadRegString(HKEY_CURRENT_USER, kUserShellFolders, name));
            MakeFolders(root_ / name);
            SetString(kUserShellFolders, name, root_ / name, REG_EXPAND_SZ);
            SetString(kShellFolders, name, root_ / name);
            (void)csidl;
        }
    }
    ~RedirectedInternetFolders() {
        for (size_t i = 0; i < std::size(kFolders); ++i) {
            SetString(kUserShellFolders, kFolders[i].first, saved_[i], REG_EXPAND_SZ);
            SetString(kShellFolders, kFolders[i].first, ExpandedFolder(saved_[i]));
        }
    }
    std::wstring Path(const wchar_t* name) const { return root_ / name + L"\\"; }

private:
    static std::wstring ExpandedFolder(const std::wstring& text) {
        wchar_t buffer[MAX_PATH];
        const DWORD length = ExpandEnvironmentStringsW(text.c_str(), buffer, MAX_PATH);
        return length > 0 && length <= MAX_PATH ? std::wstring(buffer) : text;
    }
    static constexpr const wchar_t* kUserShellFolders =
        L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
    static constexpr const wchar_t* kShellFolders =
        L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
    static constexpr std::pair<const wchar_t*, int> kFolders[] = {
        {L"Cookies", CSIDL_COOKIES}, {L"Cache", CSIDL_INTERNET_CACHE}, {L"History", CSIDL_HISTORY}};
    ScratchFolder root_;
    std::vector<std::wstring> saved_;
};

// Each file counts once it was overwritten or marked for removal at the
// next start, which on the NT family needs an administrator.
TEST_F(InternetExplorer, IndexDatFilesCountWhatWasOverwrittenOrMarkedForTheNextStart) {
    RedirectedInternetFolders folders;
    ASSERT_EQ(ShellFolder(CSIDL_COOKIES), folders.Path(L"Cookies"));
    const std::wstring cookies = folders.Path(L"Cookies") + L"index.dat";
    const std::wstring cache = folders.Path(L"Cache") + L"Content.IE5\\index.dat";
    const std::wstring history = folders.Path(L"History") + L"History.IE5\\index.dat";
    const std::wstring windows = GetWindowsDir();
    const wchar_t *pendingKey = L"System\\CurrentControlSet\\Control\\Session Manager",
                  *pending = L"PendingFileRenameOperations";
    auto takeMarked = [&] {  // the first file marked for the next start; the marks go
        wchar_t first[4096] = {};
        DWORD size = sizeof(first);
        RegGetValueW(HKEY_LOCAL_MACHINE, pendingKey, pending, RRF_RT_REG_MULTI_SZ, nullptr, first, &size);
        RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, pendingKey, pending);
        return std::wstring(first);
    };
    takeMarked();

    RecordingHost host;
    TestRunner none(RunKind::Test, host);
    none.RunItem(L"Internet Explorer - Index.dat Files");
    EXPECT_EQ(none.Count(), 0);
    EXPECT_EQ(none.SizeText(), L"0");
    EXPECT_EQ(host.Lines(),
              std::vector<std::wstring>{L"Warning: This will take effect next time windows is rebooted."});

    const std::string image = ReadBytes(L"C:\\realdata\\plaso-Content.IE5-index.dat");
    MakeFolders(folders.Path(L"Cache") + L"Content.IE5");
    WriteTextFile(cache, image);
    TestRunner one(RunKind::Test, host);
    one.RunItem(L"Internet Explorer - Index.dat Files");
    EXPECT_EQ(one.Count(), 1) << "one file is one item";
    EXPECT_EQ(one.SizeText(), FormatKB(static_cast<int64_t>(image.size())));

    // locked: held by a program that shares it with nobody.
    struct Case { int32_t version; bool admin, locked; int32_t count; bool marked; };
    for (const Case& c : {Case{11, false, true, 0, false}, Case{11, true, true, 1, true},
                          Case{11, false, false, 1, false}, Case{9, true, false, 1, true}}) {
        SCOPED_TRACE(::testing::Message() << "version " << c.version << " admin " << c.admin << " locked " << c.locked);
        WriteTextFile(cache, image);
        FileHandle holder;
        if (c.locked) holder.Reset(CreateFileW(cache.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        RecordingHost told;
        TestRunner clean(RunKind::Clean, told);
        clean.version = c.version;
        clean.admin = c.admin;
        clean.RunItem(L"Internet Explorer - Index.dat Files");
        holder.Reset();
        EXPECT_EQ(clean.Count(), c.count);
        EXPECT_EQ(takeMarked() == L"\\??\\" + cache, c.marked);
        EXPECT_EQ(LinesStartingWith(told, L"Clean: file in use, left in place: " + cache).size(), c.marked ? 0u : 1u);
        EXPECT_EQ(ReadBytes(cache) == image, c.locked) << "overwritten where it lies unless locked";
    }

    // The 9x family: Wininit.ini, below a header in any letter case.
    const std::wstring wininit = windows + L"\\Wininit.ini";
    const std::wstring saved = wininit + L".klarvex-saved";
    const bool had = MoveFileExW(wininit.c_str(), saved.c_str(), MOVEFILE_REPLACE_EXISTING);
    WriteTextFile(wininit, "; one\r\n; two\r\n[other]\r\n[ReNaMe]\r\nNUL=C:\\old.tmp\r\n");
    MakeFile(cookies, 10);
    MakeFile(history, 10);
    TestRunner me(RunKind::Clean, host);
    me.version = 8;
    me.RunItem(L"Internet Explorer - Index.dat Files");
    EXPECT_EQ(me.Count(), 3);
    auto shortPath = [](const std::wstring& path) {
        wchar_t buffer[MAX_PATH];
        const DWORD length = GetShortPathNameW(path.c_str(), buffer, MAX_PATH);
        return WideToUtf8(std::wstring(buffer, length));
    };
    EXPECT_EQ(ReadBytes(wininit), "; one\r\n; two\r\n[other]\r\n[ReNaMe]\r\nurl=" + shortPath(history) + "\r\nurl=" +
                                      shortPath(cache) + "\r\nurl=" + shortPath(cookies) + "\r\nNUL=C:\\old.tmp\r\n");
    DeleteFileW(wininit.c_str());
    if (had) MoveFileExW(saved.c_str(), wininit.c_str(), MOVEFILE_REPLACE_EXISTING);
}

TEST_F(InternetExplorer, TypedAddressesAreListedThenRemovedWithTheSearchBarsLists) {
    const std::wstring typed = L"Software\\Microsoft\\Internet Explorer\\TypedURLs";
    const std::wstring bars =
        L"Software\\Microsoft\\Internet Explorer\\Explorer Bars\\{C4EE31F3-4768-11D2-BE5C-00A0C9A83DA1}\\";
    ScratchRegKeys keys({typed, bars + L"FilesNamedMRU", bars + L"ContainingTextMRU"});
    SetString(typed, L"url1", L"http://typed.example/");
    SetString(typed, L"url2", L"klarvex.example");
    SetValues(bars + L"FilesNamedMRU", 2);
    CreateKey(bars + L"ContainingTextMRU");
    SetString(L"Software\\Microsoft\\Internet Explorer", L"Download Directory", L"C:\\Downloads");

    const RunOutcome test = RunItems(RunKind::Test, {L"Internet Explorer - Recently Typed URLs",
                                                     L"Internet Explorer - Last Download Location"});
    const auto entries = EntryLines(test.lines);
    ASSERT_GE(entries.size(), 2u);
    EXPECT_EQ(std::vector<std::wstring>(entries.begin(), entries.begin() + 2),
              (std::vector<std::wstring>{L"Test: deleting http://typed.example/", L"Test: deleting klarvex.example"}))
        << "the typed addresses' data before the key";
    EXPECT_EQ(Summaries(test.lines), (std::vector<std::wstring>{TestSummary(2 + 2 + 1, L"0"), TestSummary(1, L"0")}));
    RunItems(RunKind::Clean,
             {L"Internet Explorer - Recently Typed URLs", L"Internet Explorer - Last Download Location"});
    EXPECT_FALSE(KeyExists(typed));
    EXPECT_FALSE(KeyExists(bars + L"FilesNamedMRU"));
    EXPECT_FALSE(ValueExists(L"Software\\Microsoft\\Internet Explorer", L"Download Directory"));
}

// In a cache folder of its own: this process's URL cache keeps working.
TEST_F(InternetExplorer, TemporaryFilesLeaveTheIndexOutOfATestAndWipeItAfterAClean) {
    RedirectedInternetFolders folders;
    const std::wstring folder = folders.Path(L"Cache") + L"KLARVEX1\\";
    MakeFile(folder + L"page[1].htm", 100);
    MakeFile(folder + L"index.dat", 100);
    const std::wstring index = folders.Path(L"Cache") + L"Content.IE5\\index.dat";
    const std::string image = ReadBytes(L"C:\\realdata\\plaso-Content.IE5-index.dat");
    MakeFolders(folders.Path(L"Cache") + L"Content.IE5");
    WriteTextFile(index, image);
    const RunOutcome test = RunItems(RunKind::Test, {L"Internet Explorer - Temporary Internet Files"});
    EXPECT_EQ(Summary(test), TestSummary(1, FormatKB(100))) << "the index files are not counted";
    EXPECT_TRUE(ReadBytes(index) == image);
    EXPECT_TRUE(EntryLines(test.lines).empty()) << "no lines unless asked for";
    Settings.ShowLogTempInternetFiles = true;
    RecordingHost host;
    TestRunner listed(RunKind::Test, host);
    listed.RunItem(L"Internet Explorer - Temporary Internet Files");
    Settings.ShowLogTempInternetFiles = false;
    EXPECT_EQ(LinesStartingWith(host, L"Test: deleting " + folder),
              std::vector<std::wstring>{L"Test: deleting " + folder + L"page[1].htm"});
    // The cache's index held as WinINet holds it (shared, not for deletion).
    FileHandle inUse(CreateFileW(index.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 OPEN_EXISTING, 0, nullptr));
    const RunOutcome clean = RunItems(RunKind::Clean, {L"Internet Explorer - Temporary Internet Files"});
    inUse.Reset();
    EXPECT_EQ(clean.lines.at(1), L"Clearing, please wait...");
    EXPECT_EQ(Summary(clean), CleanSummary(2, FormatKB(200)));
    EXPECT_FALSE(Exists(folder + L"page[1].htm"));
    EXPECT_FALSE(Exists(folder + L"index.dat")) << "a Clean removes the index files it can";
    const std::string overwritten = ReadBytes(index);
    EXPECT_TRUE(overwritten.size() == image.size() && overwritten != image) << "the one in use is overwritten";
}

// The command line over every Internet Explorer item of a seeded sandbox:
// what a Test lists, a Clean removes, and nothing outside the seeds. Its
// Clean empties the sandbox's real URL cache: no test after it may rely on
// adding to that cache.
TEST_F(InternetExplorer, EveryItemEndToEndFromTheCommandLine) {
    ProgramFileGuard settings, keepList(L"Cookies.dat");
    const std::wstring stem = UniqueName(L"e2e");
    ScratchFolder cache(ShellFolder(CSIDL_INTERNET_CACHE) + L"KLARVEX" + stem);
    MakeFile(cache / L"page.htm", 3000);
    const std::wstring cookie = CookiesFolder() + L"user@" + stem + L".txt";
    MakeFile(cookie, 100);
    ScratchFolder low(ShellFolder(CSIDL_HISTORY) + L"Low");
    const std::wstring visit = low / L"History.IE5\\MSHist012001010120010108\\" + stem + L".url";
    MakeFile(visit, 200);
    ScratchRegKeys typed({L"Software\\Microsoft\\Internet Explorer\\TypedURLs"});
    SetString(L"Software\\Microsoft\\Internet Explorer\\TypedURLs", L"url1", L"http://" + stem + L".example/");
    SetString(L"Software\\Microsoft\\Internet Explorer", L"Download Directory", L"C:\\Downloads");
    const std::wstring page = L"http://" + stem + L".example/cached";
    ASSERT_TRUE(CommitCacheEntry(page, NORMAL_CACHE_ENTRY, true));

    std::vector<std::wstring> items;
    for (const auto& name : RunProgram(L"klarvex-cli.exe", {L"--list"}).out)
        if (name.starts_with(L"Internet Explorer - ")) items.push_back(name);
    ASSERT_EQ(items.size(), 7u);
    auto run = [&](std::vector<std::wstring> args) {
        args.insert(args.end(), items.begin(), items.end());
        const ProcessResult result = RunProgram(L"klarvex-cli.exe", args);
        EXPECT_EQ(result.exitCode, 0) << WideToUtf8(result.err);
        return result.out;
    };
    const auto before = FilesBelow(L"C:\\");
    const auto test = run({L"--test", L"--detail"});
    for (const std::wstring& line : std::vector<std::wstring>{L"Test: deleting " + cookie, L"Test: deleting " + visit, L"Test: deleting " + page,
                             L"Test: deleting http://" + stem + L".example/",
                             L"Test: deleting registry value HKEY_CURRENT_USER\\Software\\Microsoft\\Internet "
                             L"Explorer\\Download Directory",
                             std::wstring(L"Warning: This will take effect next time windows is rebooted.")})
        EXPECT_NE(std::find(test.begin(), test.end(), line), test.end()) << WideToUtf8(line);
    EXPECT_NE(Summaries(test).at(0), TestSummary(0, L"0")) << "the cache file";

    run({L"--clean", L"--yes"});
    const auto after = Summaries(run({L"--test"}));
    ASSERT_EQ(after.size(), 7u);
    for (size_t i = 0; i < items.size(); ++i) {
        if (items[i] == L"Internet Explorer - Index.dat Files") continue;  // those go at the next start
        EXPECT_EQ(after[i], TestSummary(0, L"0")) << WideToUtf8(items[i]);
    }
    EXPECT_FALSE(Exists(cookie));
    EXPECT_FALSE(Exists(visit));
    EXPECT_FALSE(InCache(page));
    EXPECT_EQ(ChangedFiles(before, FilesBelow(L"C:\\"),
                           {ShellFolder(CSIDL_INTERNET_CACHE), ShellFolder(CSIDL_COOKIES), ShellFolder(CSIDL_HISTORY),
                            TempFolder()}),
              std::vector<std::wstring>{})
        << "nothing outside the seeded folders";
}

}  // namespace
}  // namespace klarvex
