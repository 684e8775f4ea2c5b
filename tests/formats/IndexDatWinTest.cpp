// The index.dat reader and wiper on real files under Windows (Wine in the
// sandbox prefix): opening and sharing, the date text, WinINet's own cache
// index, and what the wipe leaves on disk.

#include <windows.h>
#include <psapi.h>
#include <shlobj.h>
#include <wininet.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "IndexDatFixture.h"
#include "base/Handles.h"
#include "base/Strings.h"
#include "support/Fixtures.h"

namespace klarvex::test {
namespace {

using klarvex::testing::ScratchFolder;

std::wstring Wide(const std::string& s) { return std::wstring(s.begin(), s.end()); }

std::vector<uint8_t> ReadBytes(const std::wstring& path) {
    FileHandle f(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                             OPEN_EXISTING, 0, nullptr));
    std::vector<uint8_t> bytes;
    if (!f) return bytes;
    LARGE_INTEGER size{};
    GetFileSizeEx(f.Get(), &size);
    bytes.resize(static_cast<size_t>(size.QuadPart));
    DWORD got = 0;
    if (!bytes.empty()) ReadFile(f.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr);
    bytes.resize(got);
    return bytes;
}

void WriteBytes(const std::wstring& path, const std::vector<uint8_t>& bytes) {
    FileHandle f(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    ASSERT_TRUE(f);
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(f.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
}

struct Listing {
    bool opened = false;
    std::vector<IndexDatAddress> addresses;
    std::vector<std::wstring> dates;
    ProgressRecorder progress;
    const std::wstring* Find(const std::wstring& address) const {
        for (size_t i = 0; i < addresses.size(); ++i)
            if (addresses[i].text == address) return &dates[i];
        return nullptr;
    }
};

Listing List(const std::wstring& path) {
    Listing l;
    l.opened = ReadIndexDat(path, 0, l.addresses, l.dates, l.progress);
    return l;
}

std::wstring ShortDate(const SYSTEMTIME& st) {
    wchar_t text[128] = L"";
    GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &st, nullptr, text, 128);
    return text;
}

uint64_t StampOfLocal(WORD y, WORD m, WORD d, WORD hh, WORD mm, WORD ss) {
    SYSTEMTIME st{y, m, 0, d, hh, mm, ss, 0};
    FILETIME local{}, utc{};
    SystemTimeToFileTime(&st, &local);
    LocalFileTimeToFileTime(&local, &utc);
    return uint64_t{utc.dwHighDateTime} << 32 | utc.dwLowDateTime;
}

TEST(IndexDatFiles, RealFilesReadFromDiskWithTheirDates) {
    Listing cache = List(L"C:\\realdata\\plaso-Content.IE5-index.dat");
    ASSERT_TRUE(cache.opened);
    EXPECT_EQ(cache.addresses.size(), 34u);
    EXPECT_EQ(cache.progress.positions.back(), 100);
    // Its first rows carry stamps no calendar can hold (>= 2^63).
    EXPECT_EQ(cache.addresses[0].text, L"http://go.microsoft.com/fwlink/?LinkID=254722");
    EXPECT_EQ(cache.dates[0], L"Not Available");
    ASSERT_NE(cache.Find(L"http://www.bing.com/favicon.ico"), nullptr);
    EXPECT_NE(*cache.Find(L"http://www.bing.com/favicon.ico"), L"Not Available");

    Listing nfury = List(L"C:\\realdata\\plaso-nfury_index.dat");
    EXPECT_EQ(nfury.addresses.size(), 1012u);
    EXPECT_TRUE(std::all_of(nfury.addresses.begin(), nfury.addresses.end(),
                            [](const IndexDatAddress& a) { return a.imageIndex == 0 && !a.text.empty(); }));

    // Published: last visited 2011-06-23 18:02:10.066 UTC. The local value
    // differs by the zone's offset, a whole multiple of 15 minutes.
    const double v = CacheTimeToDate(StampOf(2011, 6, 23, 18, 2, 10, 66));
    EXPECT_NEAR(v, 40717 + (18 * 3600 + 2 * 60 + 10.066) / 86400, 14.0 / 24 + 1e-6);
    const long long msOfDay = std::llround((v - std::floor(v)) * 86400000.0);
    EXPECT_EQ(msOfDay % 900000, 2 * 60000 + 10066);
}

TEST(IndexDatFiles, DateTextFollowsTheUserFormats) {
    SYSTEMTIME may17{2020, 5, 0, 17, 0, 0, 0, 0};
    const std::wstring date = ShortDate(may17);
    ASSERT_FALSE(date.empty());
    // Exactly midnight: the date alone.
    EXPECT_EQ(IndexDatDateText(StampOfLocal(2020, 5, 17, 0, 0, 0)), date);
    // Any other time: the date, a blank, the long time.
    SYSTEMTIME noon{2020, 5, 0, 17, 13, 4, 5, 0};
    wchar_t time[128] = L"";
    GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &noon, nullptr, time, 128);
    EXPECT_EQ(IndexDatDateText(StampOfLocal(2020, 5, 17, 13, 4, 5)), date + L" " + time);
    // One second past midnight is not midnight.
    EXPECT_NE(IndexDatDateText(StampOfLocal(2020, 5, 17, 0, 0, 1)), date);

    // Years past 2500 and stamps the system cannot convert.
    EXPECT_EQ(IndexDatDateText(StampOf(2501, 1, 2, 12, 0, 0)), L"Not Available");
    EXPECT_NE(IndexDatDateText(StampOf(2500, 6, 1, 12, 0, 0)), L"Not Available");
    EXPECT_EQ(IndexDatDateText(0x8000000000000000ull), L"Not Available");
    EXPECT_EQ(CacheTimeToDate(0xFFFFFFFFFFFFFFFFull), 0);
}

TEST(IndexDatFiles, DateTextsOfManyRowsAreTheSystemsTextsRowByRow) {
    std::vector<uint64_t> stamps;
    // Every 7th second of a day, and the edges of the calendar and of the
    // time of day.
    for (unsigned s = 0; s < 86400; s += 7) stamps.push_back(StampOfLocal(2020, 5, 17, 0, 0, 0) + s * 10000000ull);
    for (const uint64_t stamp :
         {StampOfLocal(2020, 5, 17, 0, 0, 0), StampOfLocal(2020, 5, 17, 0, 0, 0) + 10000, StampOfLocal(1899, 12, 30, 0, 0, 0),
          StampOfLocal(1899, 12, 30, 0, 0, 0) + 10000, StampOfLocal(1899, 12, 29, 6, 0, 0), StampOf(1601, 1, 1, 0, 0, 0),
          StampOf(1601, 1, 1, 12, 0, 0, 1), StampOf(2500, 12, 31, 23, 59, 59, 999), StampOf(2501, 1, 1, 0, 0, 0, 1),
          uint64_t{0}, uint64_t{1}, 0x7FFFFFFFFFFFFFFFull, 0x8000000000000000ull, 0xFFFFFFFFFFFFFFFFull})
        stamps.push_back(stamp);
    for (const char* name : {"plaso-Content.IE5-index.dat", "plaso-nfury_index.dat", "plaso-old-index.dat"})
        for (const Row& row : Walk(ReadWholeFile(RealDataPath(name)))) stamps.push_back(row.stamp);

    IndexDatDateTexts texts;
    for (const uint64_t stamp : stamps) {
        std::wstring text = L"kept ";
        texts.Append(stamp, text);
        ASSERT_EQ(text, L"kept " + IndexDatDateText(stamp)) << stamp;
    }
}

// Time formats of other locales, each laid out for every second of a day
// as the system lays it out; the pictures the builder does not take on.
TEST(TimeFormatPicture, LaysOutEverySecondAsTheSystemDoes) {
    wchar_t am[128] = L"", pm[128] = L"";
    GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_S1159, am, 128);
    GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_S2359, pm, 128);
    for (const wchar_t* picture : {L"h:mm:ss tt", L"HH:mm:ss", L"H:mm:ss", L"tt hh:mm:ss", L"t h.m.s",
                                   L"H' h 'mm' min 'ss' s'", L"HH'\u6642'mm'\u5206'ss'\u79D2'", L"hh-mm tt/"}) {
        SCOPED_TRACE(WideToUtf8(picture));
        const TimeFormatPicture built(picture, am, pm);
        ASSERT_TRUE(built.Known());
        for (unsigned s = 0; s < 86400; ++s) {
            SYSTEMTIME st{2020, 5, 0, 17, static_cast<WORD>(s / 3600), static_cast<WORD>(s / 60 % 60),
                          static_cast<WORD>(s % 60), 0};
            wchar_t system[128] = L"";
            ASSERT_NE(GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &st, picture, system, 128), 0);
            std::wstring text;
            built.Append(st.wHour, st.wMinute, st.wSecond, text);
            ASSERT_EQ(text, system) << s;
        }
    }
    for (const wchar_t* picture : {L"hhh:mm", L"h:mm 'o''clock'", L"h:mm 'open", L"d h:mm", L"''h", L"h:mm:ss K"})
        EXPECT_FALSE(TimeFormatPicture(picture, am, pm).Known()) << WideToUtf8(picture);
}

TEST(IndexDatFiles, OpeningSharingAndAddressBytes) {
    ScratchFolder dir;
    // Missing: no rows, the display untouched.
    Listing missing = List(dir / L"none.dat");
    EXPECT_FALSE(missing.opened);
    EXPECT_TRUE(missing.addresses.empty());
    EXPECT_TRUE(missing.progress.positions.empty());

    IndexDatImage img(0x2000, 0x100);
    img.Table(0x100, 1, 0);
    img.Entry(0x100, 0, 0, 0x400);
    img.Url(0x400, StampOf(2020, 1, 1, 12, 0, 0), "http://caf\xE9.example/");
    const std::wstring path = dir / L"index.dat";
    WriteBytes(path, img.bytes);

    {   // Held open by a program that shares it (as the browser does): read.
        FileHandle holder(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr));
        Listing shared = List(path);
        ASSERT_TRUE(shared.opened);
        ASSERT_EQ(shared.addresses.size(), 1u);
        // Bytes in the system code page.
        if (GetACP() == 1252) {
            EXPECT_EQ(shared.addresses[0].text, L"http://caf\u00E9.example/");
        }
        EXPECT_EQ(shared.addresses[0].text.size(), std::string("http://caf\xE9.example/").size());
    }
    {   // Held without sharing: cannot be opened.
        FileHandle locker(CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(locker);
        Listing locked = List(path);
        EXPECT_FALSE(locked.opened);
        EXPECT_TRUE(locked.progress.positions.empty());
    }
}

TEST(IndexDatFiles, HostileFileIsReadInMemoryLinearInItsSize) {
    // 12,000 entries name one record whose address runs over the last
    // megabyte of a 1.2 MB file: listed once per entry, 24 GB of rows.
    ScratchFolder dir;
    const std::wstring path = dir / L"index.dat";
    WriteBytes(path, ManyEntriesForOneRecord(1200000, 12000, 1 << 20).bytes);
    PROCESS_MEMORY_COUNTERS before{}, after{};
    ASSERT_TRUE(GetProcessMemoryInfo(GetCurrentProcess(), &before, sizeof before));
    Listing hostile = List(path);
    ASSERT_TRUE(GetProcessMemoryInfo(GetCurrentProcess(), &after, sizeof after));
    // The peak rises by no more than what the read needed on top of the
    // memory in use before it: one row of 1 MB, not one per entry.
    EXPECT_LE(after.PeakWorkingSetSize - before.PeakWorkingSetSize, size_t{32} << 20);
    ASSERT_EQ(hostile.addresses.size(), 1u);
    EXPECT_EQ(hostile.addresses[0].text, std::wstring(1 << 20, L'a'));
}

// The cache folders of the sandbox user, through the shell as IE finds them.
std::wstring CacheIndex(int csidl, const wchar_t* sub) {
    wchar_t folder[MAX_PATH] = L"";
    if (FAILED(SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, folder))) return L"";
    return std::wstring(folder) + L"\\" + sub;
}

TEST(IndexDatFiles, ListsWhatWinInetWroteIntoItsOwnIndex) {
    testing::StartUrlCacheAnew();  // another suite's Clean may have emptied it
    const std::vector<std::string> urls = {
        "http://klarvex-test.example/page.html", "https://secure.klarvex-test.example/app.js",
        "http://klarvex-test.example/images/logo.png", "http://gone.klarvex-test.example/"};
    SYSTEMTIME st{2021, 3, 0, 14, 9, 26, 53, 0};
    FILETIME modified{}, expires{};
    SystemTimeToFileTime(&st, &modified);
    st.wYear = 2031;
    SystemTimeToFileTime(&st, &expires);
    for (const std::string& url : urls) {
        char file[MAX_PATH] = "";
        ASSERT_TRUE(CreateUrlCacheEntryA(url.c_str(), 0, "html", file, 0)) << url;
        HANDLE h = CreateFileA(file, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD w = 0;
        WriteFile(h, "<html/>", 7, &w, nullptr);
        CloseHandle(h);
        ASSERT_TRUE(CommitUrlCacheEntryA(url.c_str(), file, expires, modified, NORMAL_CACHE_ENTRY, nullptr, 0,
                                         "html", nullptr)) << url;
    }
    const std::string visited = "Visited: klarvex@http://klarvex-test.example/page.html";
    ASSERT_TRUE(CommitUrlCacheEntryA(visited.c_str(), nullptr, expires, modified, URLHISTORY_CACHE_ENTRY,
                                     nullptr, 0, nullptr, nullptr));
    // A deleted entry keeps its record; its hash slot is marked.
    ASSERT_TRUE(DeleteUrlCacheEntryA(urls.back().c_str()));

    Listing cache = List(CacheIndex(CSIDL_INTERNET_CACHE, L"Content.IE5\\index.dat"));
    ASSERT_TRUE(cache.opened);
    for (size_t i = 0; i + 1 < urls.size(); ++i) {
        const std::wstring* date = cache.Find(Wide(urls[i]));
        ASSERT_NE(date, nullptr) << urls[i];
        EXPECT_NE(*date, L"Not Available") << urls[i];
    }
    EXPECT_EQ(cache.Find(Wide(urls.back())), nullptr);

    Listing history = List(CacheIndex(CSIDL_HISTORY, L"History.IE5\\index.dat"));
    ASSERT_TRUE(history.opened);
    EXPECT_NE(history.Find(Wide(visited)), nullptr);

    for (size_t i = 0; i + 1 < urls.size(); ++i) DeleteUrlCacheEntryA(urls[i].c_str());
    DeleteUrlCacheEntryA(visited.c_str());
}

// A file of two tables with records behind them, filled with 0xEE.
IndexDatImage WipeSample(size_t t1, size_t t2, size_t length, int64_t recorded = -1) {
    IndexDatImage img(length, static_cast<int64_t>(t1), recorded);
    std::fill(img.bytes.begin() + 36, img.bytes.end(), 0xEE);
    img.Table(t1, 1, static_cast<int32_t>(t2));
    img.Table(t2, 1, 0);
    img.Entry(t1, 0, 0, static_cast<int32_t>(t2 + 0x200));
    img.Url(t2 + 0x200, 1, "http://a.example/");
    return img;
}

bool AllEqual(const std::vector<uint8_t>& b, size_t from, size_t to, uint8_t value) {
    return std::all_of(b.begin() + from, b.begin() + to, [=](uint8_t x) { return x == value; });
}

TEST(IndexDatFiles, WipePassesFillersAndRegions) {
    ScratchFolder dir;
    const std::wstring path = dir / L"index.dat";
    const size_t t1 = 0x4000, t2 = 0x6000, length = 0x9000;
    const IndexDatImage img = WipeSample(t1, t2, length);

    // OverwriteFile off: one pass of zeros, whatever the number says.
    WriteBytes(path, img.bytes);
    std::vector<uint8_t> fillers;
    WipeIndexDat(path, false, 7, [&](int, uint8_t f) { fillers.push_back(f); });
    EXPECT_EQ(fillers, std::vector<uint8_t>{0});
    auto after = ReadBytes(path);
    ASSERT_EQ(after.size(), length);
    EXPECT_TRUE(std::equal(img.bytes.begin(), img.bytes.begin() + t1 + 32, after.begin()));  // header, table 1
    EXPECT_TRUE(AllEqual(after, t1 + 32, t2, 0));
    EXPECT_TRUE(std::equal(img.bytes.begin() + t2, img.bytes.begin() + t2 + 32, after.begin() + t2));
    EXPECT_TRUE(AllEqual(after, t2 + 32, length, 0));
    EXPECT_TRUE(List(path).addresses.empty());

    // OverwriteNumber 7: three passes, the file as each one left it.
    WriteBytes(path, img.bytes);
    std::vector<std::vector<uint8_t>> states;
    fillers.clear();
    WipeIndexDat(path, true, 7, [&](int, uint8_t f) {
        fillers.push_back(f);
        states.push_back(ReadBytes(path));
    });
    ASSERT_EQ(fillers.size(), 3u);
    EXPECT_LE(fillers[0], 254);
    EXPECT_LE(fillers[1], 254);
    EXPECT_EQ(fillers[2], 0);
    for (size_t p = 0; p < 3; ++p) {
        EXPECT_TRUE(AllEqual(states[p], t1 + 32, t2, fillers[p])) << "pass " << p + 1;
        EXPECT_TRUE(AllEqual(states[p], t2 + 32, length, fillers[p])) << "pass " << p + 1;
        EXPECT_TRUE(std::equal(img.bytes.begin(), img.bytes.begin() + t1 + 32, states[p].begin()));
        EXPECT_EQ(states[p].size(), length);
    }

    // The random fillers change from call to call (not a constant).
    std::vector<uint8_t> seen;
    for (int i = 0; i < 6; ++i) {
        WriteBytes(path, img.bytes);
        WipeIndexDat(path, true, 2, [&](int pass, uint8_t f) { if (pass == 1) seen.push_back(f); });
    }
    std::sort(seen.begin(), seen.end());
    EXPECT_GT(std::unique(seen.begin(), seen.end()) - seen.begin(), 1);
}

TEST(IndexDatFiles, WipeStaysInsideTheFile) {
    ScratchFolder dir;
    const std::wstring path = dir / L"index.dat";

    // One table at t, S = t + 32 + 5000 in a longer file: ends exactly at S.
    const size_t t = 0x4000, s = t + 32 + 5000;
    IndexDatImage one(s + 700, static_cast<int64_t>(t), static_cast<int64_t>(s));
    std::fill(one.bytes.begin() + 36, one.bytes.end(), 0xEE);
    one.Table(t, 2, 0);
    WriteBytes(path, one.bytes);
    EXPECT_TRUE(WipeIndexDat(path, false, 1));
    auto after = ReadBytes(path);
    EXPECT_TRUE(AllEqual(after, t + 32, s, 0));
    EXPECT_TRUE(AllEqual(after, s, after.size(), 0xEE));
    EXPECT_TRUE(std::equal(one.bytes.begin(), one.bytes.begin() + t + 32, after.begin()));

    // S larger than the file: the file does not grow.
    const IndexDatImage longer = WipeSample(0x4000, 0x6000, 0x7000, 0x20000);
    WriteBytes(path, longer.bytes);
    WipeIndexDat(path, true, 3);
    after = ReadBytes(path);
    EXPECT_EQ(after.size(), 0x7000u);
    EXPECT_TRUE(AllEqual(after, 0x6020, 0x7000, 0));

    // Held open, shared, by the browser: still wiped.
    WriteBytes(path, longer.bytes);
    {
        FileHandle holder(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr));
        EXPECT_TRUE(WipeIndexDat(path, false, 1));
    }
    EXPECT_TRUE(AllEqual(ReadBytes(path), 0x4020, 0x6000, 0));

    // The second table links to a third that the first one's region has
    // overwritten: the pass reads the zeros it wrote and ends there.
    IndexDatImage over(0x8000, 0x1000);
    std::fill(over.bytes.begin() + 36, over.bytes.end(), 0xEE);
    over.Table(0x1000, 1, 0x4000);
    over.Table(0x4000, 1, 0x2000);
    over.Table(0x2000, 1, 0);
    WriteBytes(path, over.bytes);
    WipeIndexDat(path, false, 1);
    after = ReadBytes(path);
    EXPECT_TRUE(AllEqual(after, 0x1020, 0x4000, 0));
    EXPECT_TRUE(std::equal(over.bytes.begin() + 0x4000, over.bytes.end(), after.begin() + 0x4000));

    // Missing file, or a folder of that name: nothing happens, no crash.
    EXPECT_FALSE(WipeIndexDat(dir / L"none.dat", true, 3));
    CreateDirectoryW((dir / L"folder.dat").c_str(), nullptr);
    EXPECT_FALSE(WipeIndexDat(dir / L"folder.dat", true, 3));
}

TEST(IndexDatFiles, WipeLeavesFilesItMustNotTouch) {
    ScratchFolder dir;
    const IndexDatImage img = WipeSample(0x4000, 0x6000, 0x8000);

    // A second hard link: the same bytes live under another name.
    const std::wstring linked = dir / L"index.dat", other = dir / L"other.dat";
    WriteBytes(linked, img.bytes);
    ASSERT_TRUE(CreateHardLinkW(other.c_str(), linked.c_str(), nullptr));
    EXPECT_FALSE(WipeIndexDat(linked, false, 1));
    EXPECT_EQ(ReadBytes(linked), img.bytes);

    // Read-only: cannot be opened for writing, left as it is.
    const std::wstring readOnly = dir / L"ro.dat";
    WriteBytes(readOnly, img.bytes);
    SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_FALSE(WipeIndexDat(readOnly, false, 1));
    EXPECT_EQ(ReadBytes(readOnly), img.bytes);
    SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_NORMAL);

    // Held without write sharing: no pass is made.
    const std::wstring held = dir / L"held.dat";
    WriteBytes(held, img.bytes);
    {
        FileHandle holder(CreateFileW(held.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
        int passes = 0;
        EXPECT_FALSE(WipeIndexDat(held, true, 3, [&](int, uint8_t) { ++passes; }));
        EXPECT_EQ(passes, 0);
    }
    EXPECT_EQ(ReadBytes(held), img.bytes);
}

}  // namespace
}  // namespace klarvex::test
