// Database cleaning speed: a Clean of "Mozilla Firefox - Visited URL
// History" through `klarvex-cli` on a large places.sqlite, rebuild
// included, against the least work that does the same job: SQLite alone
// running the same statements in one transaction, then VACUUM, in a program
// of its own. Both sides pay for starting a process and work on the same
// copy of the database, in write-ahead-log and in rollback-journal mode;
// each ratio printed is the median of the rounds' ratios.
//
//   database_bench.exe [ROUNDS] [PLACES]
//   database_bench.exe --baseline PATH     the baseline on the database at PATH
// (klarvex-cli.exe and sqlite3.dll must sit beside it.)

#include <windows.h>
#include <shlobj.h>

#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "BenchRun.h"
#include "cleaners/firefox/FirefoxTables.h"

namespace {

using klarvex::kFirefoxHistoryTables;

const std::wstring kWork = L"C:\\klarvex-bench-db\\";
const std::wstring kTemplate = L"C:\\realdata\\modern\\firefox\\x.default\\places.sqlite";
const std::wstring kItem = L"\"Mozilla Firefox - Visited URL History\"";

std::string Utf8(const std::wstring& text) {
    std::string utf8(static_cast<size_t>(WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr,
                                                             nullptr)),
                     '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, utf8.data(), static_cast<int>(utf8.size()), nullptr, nullptr);
    utf8.pop_back();
    return utf8;
}

void Exec(sqlite3* db, const std::string& sql) {
    char* error = nullptr;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
        std::printf("SQLite: %s: %s\n", sql.c_str(), error ? error : "?");
        std::exit(2);
    }
}

int64_t Count(sqlite3* db, const std::string& sql) {
    sqlite3_stmt* statement = nullptr;
    int64_t count = -1;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr) == SQLITE_OK &&
        sqlite3_step(statement) == SQLITE_ROW)
        count = sqlite3_column_int64(statement, 0);
    sqlite3_finalize(statement);
    return count;
}

void RemoveDatabase(const std::wstring& path) {
    for (const wchar_t* suffix : {L"", L"-wal", L"-journal", L"-shm"}) DeleteFileW((path + suffix).c_str());
}

// A copy of a real places.sqlite of today's Firefox (its bookmarks stay)
// with places visits added, one visit each, in the journal mode asked for.
void MakeDatabase(const std::wstring& path, const char* journalMode, int places) {
    RemoveDatabase(path);
    CopyFileW(kTemplate.c_str(), path.c_str(), FALSE);
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    sqlite3* db = nullptr;
    sqlite3_open(Utf8(path).c_str(), &db);
    Exec(db, "BEGIN");
    Exec(db, "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " + std::to_string(places) +
                 ") INSERT INTO moz_places (url, title, rev_host, visit_count, frecency, last_visit_date, guid, "
                 "url_hash) SELECT 'https://www.example' || (i % 997) || '.test/articles/' || i || "
                 "'/a-page-about-something?ref=bench', 'A page about something, number ' || i, "
                 "'tset.' || (i % 997) || 'elpmaxe.www.', 1, 100, 1700000000000000 + i, "
                 "printf('bench%07d', i), 47358000000000 + i FROM n");
    Exec(db, "INSERT INTO moz_historyvisits (from_visit, place_id, visit_date, visit_type, session) "
             "SELECT 0, id, last_visit_date, 1, 0 FROM moz_places WHERE guid LIKE 'bench%'");
    Exec(db, "COMMIT");
    Exec(db, std::string("PRAGMA journal_mode = ") + journalMode);
    sqlite3_close(db);
}

// The baseline: the statements of the cleaner where their tables exist, in
// one transaction, then VACUUM, with the page cache the cleaner gives its
// connection (with SQLite's default of 2 MB the rollback-journal run takes
// four times as long).
int Baseline(const std::wstring& path) {
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(Utf8(path).c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) return 2;
    Exec(db, "PRAGMA foreign_keys = ON");
    Exec(db, "PRAGMA cache_size = -65536");
    Exec(db, "BEGIN");
    for (const auto& statement : kFirefoxHistoryTables)
        if (Count(db, "SELECT COUNT(*) FROM sqlite_master WHERE type = 'table' AND name = '" +
                          Utf8(statement.table) + "'") > 0)
            Exec(db, Utf8(statement.sql));
    Exec(db, "COMMIT");
    Exec(db, "VACUUM");
    sqlite3_close(db);
    return 0;
}

std::wstring FirefoxProfile() {
    wchar_t appData[MAX_PATH];
    SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, 0, appData);
    return std::wstring(appData) + L"\\Mozilla\\Firefox\\Profiles\\klarvexbench.default\\";
}

// The database's places left and its size, as the cleaned copy has them.
std::string Outcome(const std::wstring& path) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(Utf8(path).c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    const int64_t places = Count(db, "SELECT COUNT(*) FROM moz_places");
    const int64_t bytes = Count(db, "SELECT page_count * page_size FROM pragma_page_count, pragma_page_size");
    sqlite3_close(db);
    return std::to_string(places) + " places, " + std::to_string(bytes / 1024) + " KB";
}

void Compare(const char* journalMode, int places, int rounds) {
    const std::wstring pristine = kWork + L"pristine.sqlite", copy = kWork + L"baseline.sqlite";
    const std::wstring profile = FirefoxProfile(), cleaned = profile + L"places.sqlite";
    MakeDatabase(pristine, journalMode, places);
    WIN32_FILE_ATTRIBUTE_DATA size = {};
    GetFileAttributesExW(pristine.c_str(), GetFileExInfoStandard, &size);
    std::printf("%s mode: places.sqlite of %lu KB, %d places and visits added, %d rounds\n", journalMode,
                static_cast<unsigned long>((uint64_t{size.nFileSizeHigh} << 32 | size.nFileSizeLow) / 1024), places,
                rounds);
    std::vector<double> baselines, cleans, ratios;
    std::string ours, theirs;
    for (int round = 0; round < rounds; ++round) {
        RemoveDatabase(cleaned);
        RemoveDatabase(copy);
        CopyFileW(pristine.c_str(), cleaned.c_str(), FALSE);
        CopyFileW(pristine.c_str(), copy.c_str(), FALSE);
        // Each side goes first every other round.
        double clean = 0, baseline = 0;
        for (int side = 0; side < 2; ++side) {
            if ((side + round) % 2 == 0) {
                const Child cli = RunProgram(L"klarvex-cli.exe", L"--clean --fast --yes " + kItem);
                if (cli.exitCode) std::printf("klarvex-cli ended with %lu\n", cli.exitCode);
                clean = cli.seconds;
            } else {
                const Child alone = RunProgram(L"database_bench.exe", L"--baseline \"" + copy + L"\"");
                if (alone.exitCode) std::printf("the baseline ended with %lu\n", alone.exitCode);
                baseline = alone.seconds;
            }
        }
        cleans.push_back(clean);
        baselines.push_back(baseline);
        ratios.push_back(clean / baseline);
        ours = Outcome(cleaned);
        theirs = Outcome(copy);
    }
    std::printf("  SQLite alone        %8.3f s  (%s left)\n", Median(baselines), theirs.c_str());
    std::printf("  Clean, rebuilt      %8.3f s  (%s left)  rounds:", Median(cleans), ours.c_str());
    for (const double ratio : ratios) std::printf(" %.2f", ratio);
    std::printf("  ratio %.2f\n", Median(ratios));
    RemoveDatabase(cleaned);
    RemoveDatabase(copy);
    RemoveDatabase(pristine);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring mode = argc > 1 ? argv[1] : L"";
    if (mode == L"--baseline" && argc > 2) return Baseline(argv[2]);
    const int rounds = argc > 1 ? std::max(1, _wtoi(argv[1])) : 5;
    const int places = argc > 2 ? std::max(1, _wtoi(argv[2])) : 200000;
    CreateDirectoryW(kWork.c_str(), nullptr);
    SHCreateDirectoryExW(nullptr, FirefoxProfile().c_str(), nullptr);
    for (const char* journalMode : {"wal", "delete"}) Compare(journalMode, places, rounds);
    // The profile's folders go as far up as the bench made them.
    std::wstring folder = FirefoxProfile();
    for (int up = 0; up < 4; ++up) {
        folder.pop_back();
        if (!RemoveDirectoryW(folder.c_str())) break;
        folder.erase(folder.find_last_of(L'\\') + 1);
    }
    RemoveDirectoryW(kWork.c_str());
    return 0;
}
