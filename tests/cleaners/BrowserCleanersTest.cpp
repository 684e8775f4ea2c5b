// The Firefox, Netscape, Opera and Chrome cleaners on profiles placed where
// the browsers keep them in the sandbox, with real browser databases.

#include <gtest/gtest.h>

#include <windows.h>

#include <shlobj.h>

#include <algorithm>
#include <map>
#include <set>

#include "base/Format.h"
#include "base/Strings.h"
#include "formats/SQLiteFixture.h"
#include "platform/SystemLookups.h"
#include "support/CleanerFixture.h"
#include "support/Process.h"

namespace klarvex {
namespace {

using namespace testing;
using test::CopyRealData;

// Row counts of every table of a database, and its integrity check.
std::map<std::wstring, int64_t> RowCounts(const std::wstring& path) {
    TSQLiteDatabase db(path);
    std::map<std::wstring, int64_t> counts;
    const TSQLiteTable tables = db.QueryTable(L"select name from sqlite_master where type = 'table'");
    for (int32_t row = 0; row < tables.RowTotal(); ++row) {
        const std::wstring name = std::get<std::wstring>(tables.Cell(row, 0));
        counts[name] = std::get<int64_t>(db.QueryTable(L"select count(*) from [" + name + L"]").Cell(0, 0));
    }
    return counts;
}

std::wstring IntegrityOf(const std::wstring& path) {
    TSQLiteDatabase db(path);
    return std::get<std::wstring>(db.QueryTable(L"pragma integrity_check").Cell(0, 0));
}

int64_t Scalar(const std::wstring& path, const std::wstring& sql) {
    TSQLiteDatabase db(path);
    return std::get<int64_t>(db.QueryTable(sql).Cell(0, 0));
}

// The files below folder whose bytes hold text, in ASCII or in UTF-16.
std::vector<std::wstring> FilesHolding(const std::wstring& folder, const std::string& text) {
    std::string wide;
    for (char c : text) wide += std::string{c, '\0'};
    std::vector<std::wstring> found;
    for (const auto& [path, size] : FilesBelow(folder)) {
        const std::string bytes = ReadBytes(path);
        if (bytes.find(text) != std::string::npos || bytes.find(wide) != std::string::npos) found.push_back(path);
    }
    return found;
}

// The browsers' folders of the sandbox user, emptied before and after.
class BrowserProfiles : public ::testing::Test {
protected:
    void SetUp() override {
        ResetSettings();
        ASSERT_FALSE(appData.empty());
        ASSERT_FALSE(local.empty());
    }

    const std::wstring appData = ShellFolder(CSIDL_APPDATA);
    const std::wstring local = GetLocalAppDataDir();
    ScratchFolder mozilla{appData + L"Mozilla"};
    ScratchFolder mozillaLocal{local + L"Mozilla"};
    ScratchFolder netscape{appData + L"Netscape"};
    ScratchFolder opera{appData + L"Opera"};
    ScratchFolder operaLocal{local + L"Opera"};
    ScratchFolder google{local + L"Google"};
    ScratchFolder edgeData{local + L"Microsoft\\Edge"};
    ScratchFolder brave{local + L"BraveSoftware"};
    ScratchFolder operaSoftware{appData + L"Opera Software"};
    ScratchFolder operaSoftwareLocal{local + L"Opera Software"};
    const std::wstring firefox = mozilla / L"Firefox\\Profiles\\";
    const std::wstring firefoxLocal = mozillaLocal / L"Firefox\\Profiles\\";
    const std::wstring chrome = google / L"Chrome\\User Data\\Default\\";
    const std::wstring edge = edgeData / L"User Data\\Default\\";
};

struct FileSetCase {
    const wchar_t* item;
    std::vector<const wchar_t*> taken;  // below the browser's folder
    std::vector<const wchar_t*> kept;
};

// Test counts exactly the files of the item and removes nothing; Clean
// removes them and nothing else.
void CheckFileSet(const std::wstring& folder, const FileSetCase& c) {
    SCOPED_TRACE(c.item);
    for (const auto* file : c.taken) MakeFile(folder + file, 10);
    for (const auto* file : c.kept) MakeFile(folder + file, 10);
    const std::wstring kb = FormatKB(10 * static_cast<int64_t>(c.taken.size()));
    EXPECT_EQ(Summary(RunItems(RunKind::Test, {c.item})), TestSummary(static_cast<int>(c.taken.size()), kb));
    for (const auto* file : c.taken) EXPECT_TRUE(Exists(folder + file)) << WideToUtf8(file);
    EXPECT_EQ(Summary(RunItems(RunKind::Clean, {c.item})), CleanSummary(static_cast<int>(c.taken.size()), kb));
    for (const auto* file : c.taken) EXPECT_FALSE(Exists(folder + file)) << WideToUtf8(file);
    for (const auto* file : c.kept) EXPECT_TRUE(Exists(folder + file)) << WideToUtf8(file);
}

TEST_F(BrowserProfiles, EachFileItemTakesItsFilesAndNothingElse) {
    // Firefox: every profile at any depth; exact names keep their case,
    // "cookies*.txt" does not. A database goes with its journals; those of
    // a database that stays, stay.
    for (const FileSetCase& c : std::vector<FileSetCase>{
             {L"Mozilla Firefox - Cookies",
              {L"a1.default\\cookies.sqlite", L"a1.default\\COOKIES.TXT", L"b2.work\\deep\\cookies-2.txt",
               L"a1.default\\cookies.sqlite-wal", L"a1.default\\cookies.sqlite-shm",
               L"b2.work\\cookies.sqlite-journal"},
              {L"b2.work\\Cookies.sqlite", L"a1.default\\places.sqlite-wal"}},
             {L"Mozilla Firefox - Visited URL History",
              {L"a1.default\\history.dat", L"b2.work\\history.dat"},
              {L"b2.work\\sub\\History.dat"}},
             {L"Mozilla Firefox - Download Manager", {L"a1.default\\downloads.rdf", L"b2.work\\downloads.sqlite"}, {}},
             {L"Mozilla Firefox - Autocomplete History",
              {L"a1.default\\signons.txt", L"a1.default\\signons3.txt", L"b2.work\\signons.sqlite",
               L"a1.default\\logins.json", L"a1.default\\logins-backup.json"},
              {L"a1.default\\key4.db", L"a1.default\\cert9.db"}},
             {L"Mozilla Firefox - Preferences",
              {L"a1.default\\prefs.js", L"a1.default\\content-prefs.sqlite"},
              {L"a1.default\\user.js"}},
             {L"Mozilla Firefox - Saved Form Information",
              {L"a1.default\\formhistory.dat", L"b2.work\\formhistory.sqlite"},
              {}},
             {L"Mozilla Firefox - Session",
              {L"a1.default\\sessionstore.js", L"a1.default\\sessionstore.bak", L"a1.default\\sessionstore.jsonlz4",
               L"b2.work\\sessionstore-backups\\recovery.jsonlz4"},
              {L"a1.default\\sessionCheckpoints.json"}},
         })
        CheckFileSet(firefox, c);

    // Opera: the whole roaming tree, exact names.
    for (const FileSetCase& c : std::vector<FileSetCase>{
             {L"Opera - Cookies", {L"Opera\\cookies4.dat", L"Opera Next\\cookies4.dat"}, {}},
             {L"Opera - Autocomplete History", {L"Opera\\wand.dat"}, {L"Opera Next\\Wand.dat"}},
             {L"Opera - Transfers", {L"Opera\\download.dat"}, {}},
             {L"Opera - Recently Typed URLs", {L"Opera\\opera.dir", L"Opera\\typed_history.xml"}, {}},
             {L"Opera - Visited URL History",
              {L"Opera\\global.dat", L"Opera\\vlink4.dat", L"Opera\\autosave.win", L"Opera\\global_history.dat",
               L"Opera Next\\typed_history.xml"},
              {}},
         })
        CheckFileSet(opera.Path() + L"\\", c);

    // Chrome: the default profile at any depth; extensions' storage stays.
    for (const FileSetCase& c : std::vector<FileSetCase>{
             {L"Google Chrome - Cookies",
              {L"Cookies", L"Network\\Cookies", L"Local Storage\\http_example.com_0.localstorage",
               L"Local Storage\\leveldb\\000003.log", L"Cookies-journal", L"Network\\Cookies-wal",
               L"Network\\Cookies-shm"},
              {L"Local Storage\\chrome-extension_abc_0.localstorage",
               L"Local Storage\\CHROME-EXTENSION_xyz_0.localstorage", L"Web Data-journal"}},
             {L"Google Chrome - Visited URL History",
              {L"Current Session", L"History", L"Archived History", L"Thumbnails", L"Visited Links", L"Current Tabs",
               L"Last Tabs", L"Top Sites", L"History Provider Cache", L"Network Action Predictor",
               L"History Index 2010-01", L"history index 2010-02", L"Old\\History Index 2010-01", L"History-journal",
               L"History-wal", L"History Index 2010-01-journal", L"..\\segmentation_platform\\ukm_db",
               L"..\\segmentation_platform\\ukm_db-wal"},
              {L"Extensions\\history", L"History Index old\\x", L"Web Data-wal"}},
             {L"Google Chrome - Session",
              {L"Current Session", L"Last Session", L"Sessions\\Session_1", L"Sessions_Encrypted\\Tabs_1"},
              {L"Session Storage\\000003.log"}},
             {L"Google Chrome - Stored passwords in Forms",
              {L"Login Data", L"Login Data-journal"},
              {L"Login Data For Account", L"Web Data-journal"}},
         })
        CheckFileSet(chrome, c);
}

TEST_F(BrowserProfiles, CacheItemsEmptyTheCacheFoldersOfEveryProfile) {
    MakeFile(firefox + L"a1.default\\Cache\\1", 1000);
    MakeFile(firefox + L"a1.default\\Cache\\2", 1000);
    MakeFile(firefox + L"a1.default\\Cache\\A\\3", 1000);
    MakeFile(firefoxLocal + L"a1.default\\Cache\\4", 1000);
    MakeFile(firefoxLocal + L"a1.default\\Cache\\5", 1000);
    MakeFile(firefoxLocal + L"a1.default\\cache2\\entries\\6", 1000);  // today's cache
    const RunOutcome test = RunItems(RunKind::Test, {L"Mozilla Firefox - Temporary Internet Files"});
    EXPECT_EQ(Summary(test), TestSummary(6, L"6"));
    EXPECT_TRUE(EntryLines(test.lines).empty()) << "the cache's lines only when asked for";
    const RunOutcome clean = RunItems(RunKind::Clean, {L"Mozilla Firefox - Temporary Internet Files"});
    EXPECT_EQ(Summary(clean), CleanSummary(6, L"6"));
    EXPECT_EQ(clean.lines.at(1), L"Clearing, please wait...");
    EXPECT_TRUE(FolderIsEmpty(firefox + L"a1.default\\Cache"));
    EXPECT_TRUE(FolderIsEmpty(firefoxLocal + L"a1.default\\Cache"));

    // Opera: the roaming profile's cache4 and the local folders' caches.
    MakeFile(opera / L"Opera\\profile\\cache4\\a", 10);
    for (const wchar_t* cache : {L"cache\\b", L"opcache\\c", L"icons\\cache\\d", L"temporary_downloads\\e"})
        MakeFile(operaLocal / (std::wstring(L"Opera\\") + cache), 10);
    MakeFile(operaLocal / L"Opera\\vps\\0001.ax", 10);
    EXPECT_EQ(Summary(RunItems(RunKind::Clean, {L"Opera - Temporary Internet Files"})), CleanSummary(5, L"1"));
    EXPECT_TRUE(Exists(operaLocal / L"Opera\\vps\\0001.ax"));
    const RunOutcome history = RunItems(RunKind::Clean, {L"Opera - Visited URL History"});
    EXPECT_EQ(Summary(history), CleanSummary(1, L"1")) << "the visited-pages index";

    // Without a roaming Opera folder the local one is not looked at.
    MakeFile(operaLocal / L"Opera\\cache\\f", 10);
    RemoveTree(opera.Path());
    EXPECT_EQ(Summary(RunItems(RunKind::Test, {L"Opera - Temporary Internet Files"})), TestSummary(0, L"0"));

    MakeFile(chrome + L"Cache\\data_1", 2048);
    MakeFile(chrome + L"Cache\\Cache_Data\\f_000001", 10);
    EXPECT_EQ(Summary(RunItems(RunKind::Clean, {L"Google Chrome - Temporary Internet Files"})),
              CleanSummary(2, L"3"));
    EXPECT_TRUE(FolderIsEmpty(chrome + L"Cache"));
}

TEST_F(BrowserProfiles, OperasTypedHistoryIsCountedByBothItemsAndRemovedOnce) {
    MakeFile(opera / L"Opera\\typed_history.xml", 10);
    const std::vector<std::wstring> both = {L"Opera - Recently Typed URLs", L"Opera - Visited URL History"};
    EXPECT_EQ(Summaries(RunItems(RunKind::Test, both).lines),
              (std::vector<std::wstring>{TestSummary(1, L"1"), TestSummary(1, L"1")}));
    EXPECT_EQ(Summaries(RunItems(RunKind::Clean, both).lines),
              (std::vector<std::wstring>{CleanSummary(1, L"1"), CleanSummary(0, L"0")}));
}

TEST_F(BrowserProfiles, NetscapeUsesOneProfileAndOnlyItsOwnFiles) {
    struct Case {
        std::vector<const wchar_t*> profiles;
        const wchar_t* used;
    };
    const std::wstring profiles = netscape / L"NSB\\Profiles\\";
    for (const Case& c : {Case{{L"q.default", L"pbzik8cu.default"}, L"pbzik8cu.default"},
                          Case{{L"abc.xyz", L"def.uvw"}, L"def.uvw"},
                          Case{{L"k.work", L"m.default", L"n.default"}, L"m.default"}}) {
        RemoveTree(profiles);
        for (const auto* profile : c.profiles) {
            MakeFile(profiles + profile + L"\\prefs.js", 10);
            MakeFile(profiles + profile + L"\\sub\\cookies.txt", 10);
        }
        MakeFile(profiles + c.used + L"\\cookies.txt", 10);
        const RunOutcome test = RunItems(RunKind::Test, {L"Netscape - Preferences", L"Netscape - Cookies"});
        EXPECT_EQ(EntryLines(test.lines),
                  (std::vector<std::wstring>{L"Test: deleting " + profiles + c.used + L"\\prefs.js",
                                             L"Test: deleting " + profiles + c.used + L"\\cookies.txt"}))
            << WideToUtf8(c.used);
    }
}

// Firefox's history tables in every profile whose name holds ".default",
// in the removal run only; bookmarked places stay.
TEST_F(BrowserProfiles, FirefoxHistoryEmptiesThePlacesOfDefaultProfilesOnly) {
    for (const wchar_t* profile : {L"a1.default", L"c3.default", L"b2.work", L"x.default", L"d4.default"})
        MakeFolders(firefox + profile);
    ScratchFolder copies;
    const auto place = [&](const std::wstring& realName, const std::wstring& profile) {
        const std::wstring copy = CopyRealData(copies, realName);
        MoveFileW(copy.c_str(), (firefox + profile + L"\\places.sqlite").c_str());
        return firefox + profile + L"\\places.sqlite";
    };
    const std::wstring plaso = place(L"plaso-places.sqlite", L"a1.default");
    const std::wstring firefox25 = place(L"dfirlabs-firefox-25.0-places.sqlite", L"c3.default");
    CopyFileW(L"C:\\realdata\\dfirlabs-firefox-25.0-places.sqlite-wal", (firefox25 + L"-wal").c_str(), FALSE);
    const std::wstring work = place(L"plaso-places.sqlite", L"b2.work");
    const std::wstring visitsOnly = firefox + L"d4.default\\places.sqlite";
    {
        TSQLiteDatabase db(visitsOnly);
        db.ExecuteStatement(L"create table moz_historyvisits (id integer, place_id integer)");
        db.ExecuteStatement(L"insert into moz_historyvisits values (1, 1)");
    }
    const auto before = [&] {
        std::map<std::wstring, std::map<std::wstring, int64_t>> all;
        for (const auto& db : {plaso, firefox25, work, visitsOnly}) all[db] = RowCounts(db);
        return all;
    }();
    const std::wstring bookmarked =
        L"select count(*) from moz_places where id in (select fk from moz_bookmarks where fk is not null)";
    std::map<std::wstring, int64_t> kept;
    std::map<std::wstring, std::vector<std::string>> removedUrls;
    for (const auto& db : {plaso, firefox25}) {
        const TSQLiteTable urls = TSQLiteDatabase(db).QueryTable(
            L"select url from moz_places where id not in (select fk from moz_bookmarks where fk is not null)");
        for (int32_t row = 0; row < urls.RowTotal(); ++row)
            removedUrls[db].push_back(WideToUtf8(std::get<std::wstring>(urls.Cell(row, 0))));
        kept[db] = Scalar(db, bookmarked);
        ASSERT_GT(before.at(db).at(L"moz_places"), kept[db]) << "the sample holds history to remove";
        ASSERT_GT(kept[db], 0) << "and bookmarks to keep";
    }

    // A Test run never opens a database: a lock held on one stops nothing.
    {
        test::LockHolder holder(plaso);
        ASSERT_TRUE(holder.Holding());
        EXPECT_TRUE(RunItems(RunKind::Test, {L"Mozilla Firefox - Visited URL History"}).done);
    }
    EXPECT_EQ(RowCounts(plaso), before.at(plaso));

    const RunOutcome clean = RunItems(RunKind::Clean, {L"Mozilla Firefox - Visited URL History"});
    ASSERT_TRUE(clean.done) << (clean.errors.empty() ? "" : WideToUtf8(clean.errors[0]));
    EXPECT_EQ(Summary(clean), CleanSummary(0, L"0")) << "rows are not counted";
    for (const auto& db : {plaso, firefox25}) {
        SCOPED_TRACE(WideToUtf8(db));
        EXPECT_EQ(IntegrityOf(db), L"ok");
        auto after = RowCounts(db);
        EXPECT_EQ(after.at(L"moz_places"), kept[db]);
        EXPECT_EQ(Scalar(db, bookmarked), kept[db]);
        EXPECT_EQ(after.at(L"moz_historyvisits"), 0);
        EXPECT_EQ(Scalar(db, L"select count(*) from moz_annos where place_id not in (select id from moz_places)"), 0)
            << "nothing is left of a removed place";
        EXPECT_EQ(Scalar(db, L"select count(*) from pragma_foreign_key_check"), 0);
        auto others = before.at(db);
        for (const wchar_t* named : {L"moz_places", L"moz_historyvisits", L"moz_annos", L"moz_inputhistory",
                                     L"moz_places_metadata", L"moz_origins"}) {
            after.erase(named);
            others.erase(named);
        }
        EXPECT_EQ(after, others) << "no other table changed";
        for (const wchar_t* file : {L"", L"-wal", L"-journal"}) {
            const std::string bytes = ReadBytes(db + file);
            for (const auto& url : removedUrls[db])
                EXPECT_EQ(bytes.find(url), std::string::npos) << url << " is still in the file" << WideToUtf8(file);
        }
    }
    EXPECT_EQ(RowCounts(work), before.at(work)) << "not a default profile";
    EXPECT_EQ(RowCounts(visitsOnly).at(L"moz_historyvisits"), 0);
    EXPECT_FALSE(Exists(firefox + L"x.default\\places.sqlite")) << "never created";
}

// A database the browser holds is named and left whole; the run goes on.
TEST_F(BrowserProfiles, ALockedDatabaseIsNamedAndLeftWholeAndTheRunGoesOn) {
    MakeFile(firefox + L"a1.default\\cookies.sqlite", 10);
    ScratchFolder copies;
    const std::wstring places = firefox + L"a1.default\\places.sqlite";
    MoveFileW(CopyRealData(copies, L"plaso-places.sqlite").c_str(), places.c_str());
    const auto before = RowCounts(places);
    test::LockHolder holder(places);
    ASSERT_TRUE(holder.Holding());
    const RunOutcome clean =
        RunItems(RunKind::Clean, {L"Mozilla Firefox - Visited URL History", L"Mozilla Firefox - Cookies"});
    EXPECT_TRUE(clean.done);
    EXPECT_NE(std::find(clean.lines.begin(), clean.lines.end(), L"Clean: file in use, left in place: " + places),
              clean.lines.end());
    EXPECT_FALSE(Exists(firefox + L"a1.default\\cookies.sqlite"));
    holder.Release();
    EXPECT_EQ(RowCounts(places), before);
}

// Chrome's download list, logins and form data of real databases: emptied
// in the removal run only, with nothing else changed; tables a database
// does not have are nothing to clean.
TEST_F(BrowserProfiles, ChromeDatabasesLoseExactlyTheirNamedTables) {
    struct Case {
        const wchar_t* history;
        const wchar_t* webData;
    };
    const std::vector<std::wstring> autofill = {L"autocomplete", L"addresses", L"address_type_tokens", L"autofill",
                                                L"autofill_dates",
                                                L"autofill_profile_emails",
                                                L"autofill_profile_names",
                                                L"autofill_profile_phones",
                                                L"autofill_profiles",
                                                L"autofill_profiles_trash"};
    for (const Case& c : {Case{L"dfirlabs-chrome-57.0.2987.133-History", L"dfirlabs-chrome-8.0.552.237-Web Data"},
                          Case{L"plaso-History-59.0.3071.86", L"plaso-Web Data"},
                          Case{L"modern\\chrome\\Default\\History", L"modern\\chrome\\Default\\Web Data"}}) {
        SCOPED_TRACE(WideToUtf8(c.webData));
        RemoveTree(chrome);
        MakeFolders(chrome);
        CopyFileW((std::wstring(L"C:\\realdata\\") + c.history).c_str(), (chrome + L"History").c_str(), FALSE);
        CopyFileW((std::wstring(L"C:\\realdata\\") + c.webData).c_str(), (chrome + L"Web Data").c_str(), FALSE);
        const auto history = RowCounts(chrome + L"History");
        const auto webData = RowCounts(chrome + L"Web Data");
        ASSERT_GT(history.at(L"downloads"), 0);
        const std::vector<std::wstring> items = {L"Google Chrome - Stored passwords in Forms",
                                                 L"Google Chrome - Download History",
                                                 L"Google Chrome - Saved Form Information"};
        EXPECT_EQ(Summaries(RunItems(RunKind::Test, items).lines), std::vector<std::wstring>(3, TestSummary(0, L"0")));
        EXPECT_EQ(RowCounts(chrome + L"History"), history);
        EXPECT_EQ(RowCounts(chrome + L"Web Data"), webData);

        const RunOutcome clean = RunItems(RunKind::Clean, items);
        ASSERT_TRUE(clean.done) << (clean.errors.empty() ? "" : WideToUtf8(clean.errors[0]));
        EXPECT_EQ(Summaries(clean.lines), std::vector<std::wstring>(3, CleanSummary(0, L"0")));
        for (const auto& file : {L"History", L"Web Data"}) EXPECT_EQ(IntegrityOf(chrome + file), L"ok");
        auto expectedHistory = history;
        for (const wchar_t* table : {L"downloads", L"downloads_url_chains"})
            if (expectedHistory.count(table)) expectedHistory[table] = 0;
        EXPECT_EQ(RowCounts(chrome + L"History"), expectedHistory);
        auto expectedWebData = webData;
        for (const auto& table : autofill)
            if (expectedWebData.count(table)) expectedWebData[table] = 0;
        if (expectedWebData.count(L"logins")) expectedWebData[L"logins"] = 0;
        EXPECT_EQ(RowCounts(chrome + L"Web Data"), expectedWebData);
    }
}

// A database with a second name (a hard link from elsewhere) is not only
// the browser's: rows deleted through one name would go from the other.
TEST_F(BrowserProfiles, AHardLinkedDatabaseKeepsItsRows) {
    MakeFolders(chrome);
    ScratchFolder elsewhere;
    const std::wstring other = elsewhere / L"Kept.db";
    CopyFileW(L"C:\\realdata\\plaso-History-59.0.3071.86", other.c_str(), FALSE);
    ASSERT_TRUE(CreateHardLinkW((chrome + L"History").c_str(), other.c_str(), nullptr));
    const auto before = RowCounts(other);
    ASSERT_GT(before.at(L"downloads"), 0);
    EXPECT_EQ(RunItems(RunKind::Clean, {L"Google Chrome - Download History"}).lines.at(1),
              L"Clean: skipping database that is a link or has a second name: " + chrome + L"History");
    EXPECT_EQ(RowCounts(other), before);
}

// A window of a browser's class stops a Clean of that browser's items from
// the command line only when the browser's own program made it; a Test
// runs.
TEST_F(BrowserProfiles, TheCommandLineRefusesACleanWhileTheBrowserIsOpen) {
    struct Case {
        const wchar_t *program, *windowClass, *item;  // the program holds a window of the class
        std::wstring file;
        const wchar_t* message;  // nullptr: the Clean runs
    };
    const std::wstring firefoxCookies = firefox + L"a.default\\cookies.sqlite", chromeCookies = chrome + L"Cookies";
    const wchar_t *chromium = L"Chrome_WidgetWin_1", *mozilla = L"MozillaWindowClass";
    for (const Case& c : {
             Case{L"firefox.exe", mozilla, L"Mozilla Firefox - Cookies", firefoxCookies,
                  L"Please close Mozilla Firefox firstly!"},
             Case{L"chrome.exe", chromium, L"Google Chrome - Cookies", chromeCookies,
                  L"Please close Google Chrome firstly!"},
             Case{L"opera.exe", chromium, L"Opera - Cookies", operaSoftware / L"Opera Stable\\Cookies",
                  L"Please close Opera firstly!"},
             // Programs built on the same toolkits, another browser, and
             // Opera 12's files, which today's Opera does not hold.
             Case{L"thunderbird.exe", mozilla, L"Mozilla Firefox - Cookies", firefoxCookies, nullptr},
             Case{L"Code.exe", chromium, L"Google Chrome - Cookies", chromeCookies, nullptr},
             Case{L"chrome.exe", chromium, L"Microsoft Edge - Cookies", edge + L"Cookies", nullptr},
             Case{L"opera.exe", chromium, L"Opera - Recently Typed URLs", opera / L"Opera\\typed_history.xml", nullptr},
         }) {
        SCOPED_TRACE(WideToUtf8(std::wstring(c.program) + L" " + c.item));
        MakeFile(c.file, 10);
        ProgramWindows browser(c.program, {c.windowClass});
        ASSERT_TRUE(browser.Holding());
        const ProcessResult clean = RunProgram(L"klarvex-cli.exe", {L"--clean", L"--yes", c.item});
        EXPECT_EQ(clean.exitCode, c.message ? 1 : 0);
        EXPECT_EQ(clean.err, c.message ? std::wstring(L"klarvex-cli: ") + c.message + L"\r\n" : L"");
        EXPECT_EQ(Exists(c.file), c.message != nullptr);
        if (c.message) {
            EXPECT_EQ(RunProgram(L"klarvex-cli.exe", {L"--test", c.item}).exitCode, 0);
        }
    }
}

// Today's profiles as a Windows user has them: the command line's Test,
// Clean and Test again over every browser item, and nothing outside the
// profiles touched.
TEST_F(BrowserProfiles, TodaysProfilesEndToEndFromTheCommandLine) {
    const std::wstring secondProfile = google / L"Chrome\\User Data\\Profile 1\\";
    const std::wstring braveProfile = brave / L"Brave-Browser\\User Data\\Default\\";
    const std::wstring operaStable = operaSoftware / L"Opera Stable\\";
    for (const auto& profile : {chrome, secondProfile, edge, braveProfile, operaStable}) {
        CopyTree(L"C:\\realdata\\modern\\chrome\\Default", profile);
        MakeFolders(profile + L"Network");
        MoveFileW((profile + L"Cookies").c_str(), (profile + L"Network\\Cookies").c_str());
    }
    CopyTree(L"C:\\realdata\\modern\\chrome\\segmentation_platform",
             google / L"Chrome\\User Data\\segmentation_platform");
    CopyTree(L"C:\\realdata\\modern\\firefox\\x.default", firefox + L"x.default");
    CopyTree(L"C:\\realdata\\modern\\firefox-local\\x.default", firefoxLocal + L"x.default");
    MakeFile(chrome + L"Cache\\Cache_Data\\data_0", 100);  // the sample's cache may be empty
    // Today's Opera keeps its cache below the local application data.
    MakeFolders(operaSoftwareLocal / L"Opera Stable");
    MoveFileW((operaStable + L"Cache").c_str(), (operaSoftwareLocal / L"Opera Stable\\Cache").c_str());
    ProgramFileGuard settings;  // the command line's defaults

    const auto outside = FilesBelow(L"C:\\");
    std::vector<std::wstring> items;
    for (const auto& name : RunProgram(L"klarvex-cli.exe", {L"--list"}).out)
        for (const wchar_t* category : {L"Mozilla Firefox - ", L"Netscape - ", L"Opera - ", L"Google Chrome - ",
                                        L"Microsoft Edge - ", L"Brave - "})
            if (name.starts_with(category)) items.push_back(name);
    ASSERT_EQ(items.size(), 40u);

    auto run = [&](std::vector<std::wstring> args) {
        args.insert(args.end(), items.begin(), items.end());
        const ProcessResult result = RunProgram(L"klarvex-cli.exe", args);
        EXPECT_EQ(result.exitCode, 0) << WideToUtf8(result.err);
        return Summaries(result.out);
    };
    const auto test = run({L"--test", L"--detail"});
    ASSERT_EQ(test.size(), 40u);
    std::map<std::wstring, std::wstring> tested;
    for (size_t i = 0; i < items.size(); ++i) tested[items[i]] = test[i];
    // cookies.sqlite and webappsstore.sqlite with their -wal files, and the
    // site's storage folder.
    EXPECT_EQ(tested[L"Mozilla Firefox - Cookies"].substr(0, 8), L"7 items ");
    EXPECT_EQ(tested[L"Mozilla Firefox - Preferences"].substr(0, 8), L"2 items ");
    EXPECT_EQ(tested[L"Mozilla Firefox - Saved Form Information"].substr(0, 8), L"1 items ");
    EXPECT_EQ(tested[L"Google Chrome - Stored passwords in Forms"].substr(0, 8), L"4 items ")
        << "both profiles' Login Data and its journal";
    EXPECT_EQ(tested[L"Google Chrome - Cookies"].rfind(L"0 items", 0), std::wstring::npos);
    EXPECT_EQ(tested[L"Google Chrome - Visited URL History"].rfind(L"0 items", 0), std::wstring::npos);
    EXPECT_EQ(tested[L"Google Chrome - Temporary Internet Files"].rfind(L"0 items", 0), std::wstring::npos);
    for (const wchar_t* browser : {L"Microsoft Edge - ", L"Brave - "})
        EXPECT_EQ(tested[browser + std::wstring(L"Stored passwords in Forms")].substr(0, 8), L"2 items ");

    run({L"--clean", L"--yes"});
    EXPECT_EQ(run({L"--test"}), std::vector<std::wstring>(40, TestSummary(0, L"0")));
    // Every database left in the profiles is sound.
    for (const auto* folder : {&mozilla, &google, &edgeData, &brave, &operaSoftware})
        for (const auto& [path, size] : FilesBelow(folder->Path())) {
            if (ReadBytes(path).rfind(std::string("SQLite format 3\0", 16), 0) != 0) continue;
            EXPECT_EQ(IntegrityOf(path), L"ok") << WideToUtf8(path);
            EXPECT_EQ(Scalar(path, L"select count(*) from pragma_foreign_key_check"), 0) << WideToUtf8(path);
        }
    EXPECT_TRUE(Exists(firefox + L"x.default\\places.sqlite")) << "the bookmarks' database stays";

    EXPECT_EQ(ChangedFiles(outside, FilesBelow(L"C:\\"),
                           {mozilla.Path(), mozillaLocal.Path(), google.Path(), edgeData.Path(), brave.Path(),
                            operaSoftware.Path(), operaSoftwareLocal.Path(), TempFolder()}),
              std::vector<std::wstring>{})
        << "nothing outside the profiles changed";

    // The site visited by the browsers that wrote the profiles is gone but
    // for the bookmark the user made; Preferences keep the user's settings.
    const std::string site = "127.0.0.1:47663";
    EXPECT_EQ(FilesHolding(mozilla.Path(), site), std::vector<std::wstring>{firefox + L"x.default\\places.sqlite"});
    EXPECT_EQ(FilesHolding(mozillaLocal.Path(), site), std::vector<std::wstring>{});
    for (const auto* folder : {&google, &edgeData, &brave, &operaSoftware})
        EXPECT_EQ(FilesHolding(folder->Path(), site), std::vector<std::wstring>{}) << WideToUtf8(folder->Path());
    const std::string preferences = ReadBytes(chrome + L"Preferences");
    const std::string original = ReadBytes(L"C:\\realdata\\modern\\chrome\\Default\\Preferences");
    EXPECT_LT(preferences.size(), original.size());
    EXPECT_GT(preferences.size(), original.size() / 2) << "the settings stay";
    EXPECT_NE(preferences.find("\"site_engagement\":{}"), std::string::npos);
    EXPECT_EQ(FilesHolding(operaSoftwareLocal.Path(), site), std::vector<std::wstring>{});
    EXPECT_EQ(tested[L"Opera - Autocomplete History"].substr(0, 8), L"2 items ")
        << "Opera Stable's Login Data and its journal";
    for (const wchar_t* kept : {L"x.default\\key4.db", L"x.default\\cert9.db", L"x.default\\extensions.json"})
        EXPECT_TRUE(Exists(firefox + kept)) << WideToUtf8(kept);
    EXPECT_EQ(Scalar(firefox + L"x.default\\places.sqlite", L"select count(*) from moz_bookmarks"), 12);
    EXPECT_EQ(Scalar(firefox + L"x.default\\places.sqlite", L"select count(*) from pragma_foreign_key_check"), 0);
}

// Item by item on today's profiles: what each takes and what it leaves.
// A path ending in "\\" stands for every file below that folder.
TEST_F(BrowserProfiles, EachItemOfTodaysProfilesTakesItsTracesAndLeavesTheRest) {
    struct Row {
        const wchar_t* item;
        std::wstring root;
        std::vector<const wchar_t*> gone, kept;
    };
    const std::wstring ffRoaming = firefox + L"x.default\\", ffLocal = firefoxLocal + L"x.default\\";
    const std::wstring operaStable = operaSoftware / L"Opera Stable\\";
    const Row rows[] = {
        {L"Mozilla Firefox - Temporary Internet Files", ffLocal, {L"cache2\\"}, {}},
        {L"Mozilla Firefox - Cookies", ffRoaming,
         {L"cookies.sqlite", L"webappsstore.sqlite", L"storage\\default\\"},
         {L"storage\\permanent\\chrome\\idb\\1657114595AmcateirvtiSty.sqlite", L"key4.db", L"prefs.js"}},
        {L"Mozilla Firefox - Session", ffRoaming, {L"sessionstore.jsonlz4", L"sessionstore-backups\\"},
         {L"sessionCheckpoints.json", L"prefs.js"}},
        {L"Mozilla Firefox - Autocomplete History", ffRoaming, {L"logins.json"}, {L"key4.db", L"cert9.db"}},
        {L"Mozilla Firefox - Visited URL History", ffRoaming, {}, {L"places.sqlite", L"favicons.sqlite"}},
        {L"Google Chrome - Visited URL History", chrome,
         {L"History", L"Favicons", L"Shortcuts", L"DIPS", L"Top Sites", L"shared_proto_db\\"},
         {L"Preferences", L"Login Data", L"Web Data", L"Bookmarks", L"Extension State\\"}},
        {L"Google Chrome - Cookies", chrome, {L"Network\\Cookies", L"Local Storage\\"}, {L"Preferences"}},
        {L"Google Chrome - Session", chrome, {L"Sessions\\", L"Sessions_Encrypted\\"}, {L"Preferences"}},
        {L"Google Chrome - Stored passwords in Forms", chrome, {L"Login Data"},
         {L"Login Data For Account", L"Web Data"}},
        {L"Microsoft Edge - Cookies", edge, {L"Network\\Cookies"}, {L"Preferences"}},
        {L"Brave - Session", brave / L"Brave-Browser\\User Data\\Default\\", {L"Sessions\\"}, {L"Preferences"}},
        {L"Opera - Visited URL History", operaStable, {L"History", L"Sessions\\"}, {L"Preferences", L"Bookmarks"}},
    };
    auto filesIn = [](const std::wstring& folder) { return FilesBelow(folder).size(); };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.item);
        for (const auto& profile : {chrome, edge, brave / L"Brave-Browser\\User Data\\Default\\", operaStable}) {
            RemoveTree(profile);
            CopyTree(L"C:\\realdata\\modern\\chrome\\Default", profile);
            MakeFolders(profile + L"Network");
            MoveFileW((profile + L"Cookies").c_str(), (profile + L"Network\\Cookies").c_str());
            MakeFile(profile + L"Bookmarks", 10);
        }
        RemoveTree(firefox);
        RemoveTree(firefoxLocal);
        CopyTree(L"C:\\realdata\\modern\\firefox\\x.default", ffRoaming);
        CopyTree(L"C:\\realdata\\modern\\firefox-local\\x.default", ffLocal);
        for (const auto* path : row.gone) {
            const std::wstring full = row.root + path;
            ASSERT_TRUE(full.ends_with(L'\\') ? filesIn(full) > 0 : Exists(full)) << WideToUtf8(full);
        }
        const ProcessResult clean = RunProgram(L"klarvex-cli.exe", {L"--clean", L"--yes", row.item});
        ASSERT_EQ(clean.exitCode, 0) << WideToUtf8(clean.err);
        for (const auto* path : row.gone) {
            const std::wstring full = row.root + path;
            EXPECT_TRUE(full.ends_with(L'\\') ? filesIn(full) == 0 : !Exists(full)) << WideToUtf8(full);
        }
        for (const auto* path : row.kept) {
            const std::wstring full = row.root + path;
            EXPECT_TRUE(full.ends_with(L'\\') ? filesIn(full) > 0 : Exists(full)) << WideToUtf8(full);
        }
    }
}

}  // namespace
}  // namespace klarvex
