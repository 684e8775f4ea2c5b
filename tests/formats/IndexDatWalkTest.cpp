// The index.dat walk on built files: tables, entries, records, progress and
// hostile offsets. Runs natively (under the sanitizers) and under Wine.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>

#include "IndexDatFixture.h"

namespace klarvex::test {
namespace {

constexpr uint64_t kStamp = 0x01D0000012345678ull;

TEST(IndexDatWalk, FileWithoutTablesGivesNoRowsAndEndsAt100) {
    for (int64_t first : {0LL, 100000LL, -64LL}) {  // none, beyond S, negative
        IndexDatImage img(4096, first);
        ProgressRecorder progress;
        EXPECT_TRUE(Walk(img.bytes, &progress).empty()) << first;
        EXPECT_EQ(progress.positions, std::vector<int>{100}) << first;
        EXPECT_EQ(progress.pumps, 0);
    }
    // Shorter than the header: nothing to read, still 100 at the end.
    for (size_t length : {0u, 20u, 31u, 35u}) {
        ProgressRecorder progress;
        EXPECT_TRUE(Walk(std::vector<uint8_t>(length, 0), &progress).empty());
        EXPECT_EQ(progress.positions, std::vector<int>{100});
    }
}

TEST(IndexDatWalk, OneBlockTableHasTwelveEntriesFromOffset32) {
    IndexDatImage img(0x3000, 0x100);
    img.Table(0x100, 1, 0);
    // Look-alike entries in the table header's unread bytes (+16, +24) and
    // right behind the 12th entry must not be taken.
    img.Put32(0x100 + 16, 0);
    img.Put32(0x100 + 20, 0x2E00);
    img.Put32(0x100 + 24, 0);
    img.Put32(0x100 + 28, 0x2E00);
    img.Url(0x2E00, kStamp, "http://header.example/");
    for (int i = 0; i < 13; ++i) {
        img.Put32(0x120 + 8 * i, 0);  // index 12 lies at 0x180, past the table
        img.Put32(0x124 + 8 * i, 0x400 + 0x200 * i);
        img.Url(0x400 + 0x200 * i, kStamp + i, "http://e" + std::to_string(i) + ".example/");
    }
    ProgressRecorder progress;
    auto rows = Walk(img.bytes, &progress);
    ASSERT_EQ(rows.size(), 12u);
    for (int i = 0; i < 12; ++i) {
        EXPECT_EQ(rows[i].address, "http://e" + std::to_string(i) + ".example/");
        EXPECT_EQ(rows[i].stamp, kStamp + i);
    }
    EXPECT_EQ(progress.pumps, 12);  // one pending message per entry
}

TEST(IndexDatWalk, ChainOrderEmptyTablesAndForeignSecondTable) {
    // 0x100 (B = 0, passed over) -> 0x200 (B = 1) -> 0x400 (B = 1) -> 0x600
    IndexDatImage img(0x4000, 0x100);
    img.Table(0x100, 0, 0x200);
    img.Table(0x200, 1, 0x400);
    img.Table(0x400, 1, 0x600);
    img.Table(0x600, 1, 0, "FREE");  // not "HASH": the record pass ends here
    img.Entry(0x200, 5, 0, 0x1000);
    img.Entry(0x200, 2, 0, 0x1200);
    img.Entry(0x400, 0, 0, 0x1400);
    img.Entry(0x600, 0, 0, 0x1600);
    img.Url(0x1000, 1, "http://a.example/");
    img.Url(0x1200, 2, "http://b.example/");
    img.Url(0x1400, 3, "http://c.example/");
    img.Url(0x1600, 4, "http://after-foreign-table.example/");

    ProgressRecorder progress;
    auto rows = Walk(img.bytes, &progress);
    // Walk order: table by table, entry by entry.
    EXPECT_EQ(Addresses(rows),
              (std::vector<std::string>{"http://b.example/", "http://a.example/", "http://c.example/"}));
    // The counting pass looks at no signature: N = -4 + 12 + 12 + 12 = 32,
    // so the 24 entries read reach 24 * 100 / 32 = 75 before the final 100.
    ASSERT_GE(progress.positions.size(), 2u);
    EXPECT_EQ(progress.positions[progress.positions.size() - 2], 75);
    EXPECT_EQ(progress.positions.back(), 100);
    EXPECT_TRUE(std::is_sorted(progress.positions.begin(), progress.positions.end()));
    EXPECT_EQ(progress.pumps, 24);
}

TEST(IndexDatWalk, EntryAndRecordFilters) {
    IndexDatImage img(0x8000, 0x100, /*recordedSize*/ 0x9000);
    img.Table(0x100, 2, 0);  // 28 entries
    int slot = 0;
    auto add = [&](uint32_t hash, int32_t record) { img.Entry(0x100, slot++, hash, record); };

    // Only the hash word's low byte marks a slot as deleted (1) or free (3).
    add(0x00000003, 0x1000);  img.Url(0x1000, kStamp, "http://free.example/");
    add(0xABCDEF01, 0x1200);  img.Url(0x1200, kStamp, "http://deleted.example/");
    add(0x00000300, 0x1400);  img.Url(0x1400, kStamp, "http://live-300.example/");
    add(0x00000002, 0x1600);  img.Url(0x1600, kStamp, "http://live-2.example/");
    // Record offsets at or past S, negative, or past the real end.
    add(0, 0x9000);
    add(0, 0x7FFFFFF0);
    add(0, -0x100);
    add(0, 0x8800);
    // Address offset: only the low byte of the field at +52 counts.
    add(0, 0x1800);  img.Url(0x1800, kStamp, "", 0);  // no address
    add(0, 0x1A00);  img.Url(0x1A00, kStamp, "http://x.example/", 0x100);  // low byte 0
    add(0, 0x1C00);  img.Url(0x1C00, kStamp, "http://low-byte.example/", 0x7700 | 0x70);
    // Kinds: LEAK as URL, REDR with its own layout, others ignored.
    add(0, 0x1E00);  img.Url(0x1E00, kStamp + 1, "http://leak.example/", 104, "LEAK");
    add(0, 0x2000);  img.Redr(0x2000, kStamp + 2, "http://redirect.example/");
    add(0, 0x2200);  img.Url(0x2200, kStamp, "http://other.example/", 104, "url ");
    add(0, 0x2400);  img.Url(0x2400, kStamp, "", 104);  // empty address
    // A 300-byte address at +104 is read in full.
    const std::string longAddress = "http://long.example/" + std::string(280, 'q');
    add(0, 0x2600);  img.Url(0x2600, kStamp + 3, longAddress, 104);
    // A signature cut by the end of the data.
    add(0, 0x7FFE);
    // An address that runs into the end of the file ends there.
    add(0, 0x7F00);  img.Url(0x7F00, kStamp + 4, "", 0x68);
    img.PutText(0x7F68, std::string(0x98, 'z'), false);

    auto rows = Walk(img.bytes);
    EXPECT_EQ(rows, (std::vector<Row>{
                        {"http://live-300.example/", kStamp},
                        {"http://live-2.example/", kStamp},
                        {"http://low-byte.example/", kStamp},
                        {"http://leak.example/", kStamp + 1},
                        {"http://redirect.example/", kStamp + 2},
                        {longAddress, kStamp + 3},
                        {std::string(0x98, 'z'), kStamp + 4},
                    }));

    // A record whose address-offset byte (+52) lies past the end.
    IndexDatImage cut(0x1000, 0x100, 0x2000);
    cut.Table(0x100, 1, 0);
    cut.Entry(0x100, 0, 0, 0xFD0);
    cut.PutText(0xFD0, "URL ", false);
    cut.Put64(0xFD0 + 16, kStamp);
    EXPECT_TRUE(Walk(cut.bytes).empty());
}

TEST(IndexDatWalk, ChainsThatLoopOrOverlapEnd) {
    // 0x100 -> 0x200 -> 0x100: each table is read once.
    IndexDatImage img(0x4000, 0x100);
    img.Table(0x100, 1, 0x200);
    img.Table(0x200, 1, 0x100);
    img.Entry(0x100, 0, 0, 0x1000);
    img.Entry(0x200, 0, 0, 0x1200);
    img.Url(0x1000, 1, "http://a.example/");
    img.Url(0x1200, 2, "http://b.example/");
    EXPECT_EQ(Addresses(Walk(img.bytes)),
              (std::vector<std::string>{"http://a.example/", "http://b.example/"}));

    // A table naming itself.
    img.Table(0x200, 1, 0x200);
    EXPECT_EQ(Walk(img.bytes).size(), 2u);

    // A table laid over the entries of the one before it ends the walk too.
    img.Table(0x100, 1, 0x140);
    img.Table(0x140, 1, 0);
    img.Entry(0x140, 5, 0, 0x1200);  // at 0x188, past the entries of 0x100
    EXPECT_EQ(Addresses(Walk(img.bytes)), std::vector<std::string>{"http://a.example/"});
}

TEST(IndexDatWalk, HostileSizesStayInsideTheFileAndFinishQuickly) {
    // Next-table offsets beyond S, negative, and beyond the real end (with S
    // larger than the file) end the walk after the first table.
    for (int32_t next : {0x5000, -0x100, 0x3FF8}) {
        IndexDatImage img(0x4000, 0x100, /*recordedSize*/ 0x4800);
        img.Table(0x100, 1, next);
        img.Entry(0x100, 0, 0, 0x1000);
        img.Url(0x1000, 1, "http://a.example/");
        EXPECT_EQ(Walk(img.bytes).size(), 1u) << next;
    }

    // A table claiming 2^31 - 1 blocks, and one of negative size.
    IndexDatImage img(0x4000, 0x100);
    img.Table(0x100, -5, 0x200);
    img.Table(0x200, 0x7FFFFFFF, 0);
    img.Entry(0x200, 3, 0, 0x1000);
    img.Url(0x1000, 1, "http://a.example/");
    ProgressRecorder progress;
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(Walk(img.bytes, &progress).size(), 1u);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(2));
    EXPECT_EQ(progress.positions.back(), 100);

    // Tables chained backwards across a whole file, each reaching to its
    // end: every byte of entries is looked at once at most.
    IndexDatImage stack(1 << 20, (1 << 20) - 4096);
    for (int64_t t = (1 << 20) - 4096; t >= 4096; t -= 4096)
        stack.Table(static_cast<size_t>(t), 1 << 20, static_cast<int32_t>(t - 4096));
    ProgressRecorder stackProgress;
    Walk(stack.bytes, &stackProgress);
    EXPECT_LE(stackProgress.pumps, (1 << 20) / 8);
}

// A file image that records every write and counts the bytes read (the
// walk's work, without a clock).
class WriteLog final : public IndexDatWritableBytes {
public:
    explicit WriteLog(std::vector<uint8_t>& bytes) : file_(bytes) {}
    uint64_t Length() const override { return file_.Length(); }
    size_t ReadAt(uint64_t o, void* d, size_t n) override {
        const size_t got = file_.ReadAt(o, d, n);
        read += got;
        return got;
    }
    bool WriteAt(uint64_t o, const void* s, size_t n) override {
        writes.emplace_back(o, n);
        return file_.WriteAt(o, s, n);
    }
    std::vector<std::pair<uint64_t, size_t>> writes;
    uint64_t read = 0;

private:
    IndexDatMemory file_;
};

TEST(IndexDatWalk, AddressesThatOverlapAreListedOnceInLinearWork) {
    // Files of 1.2 MB whose 12,000 entries name addresses in one megabyte
    // without a byte 0: listed as often as they were named, they once made
    // gigabytes of rows. Records laid over that megabyte 64 bytes apart
    // ("URL ") or 4 bytes apart ("REDR" repeated), named in file order or
    // backwards.
    const size_t length = 1200000, run = 1 << 20, runAt = length - run;
    auto overlaid = [&](const char* kind, size_t stride, bool backwards) {
        IndexDatImage img(length, 0x1000);
        for (size_t at = runAt; at < length; ++at) img.bytes[at] = kind[(at - runAt) % 4];
        const size_t records = 12000;
        img.Table(0x1000, static_cast<int32_t>((32 + 8 * records + 127) / 128), 0);
        for (size_t i = 0; i < records; ++i) {
            const size_t record = runAt + stride * (backwards ? records - 1 - i : i);
            img.Entry(0x1000, i, 0, static_cast<int32_t>(record));
            if (kind[0] == 'U') {
                img.PutText(record, kind, false);
                img.bytes[record + 52] = 104;  // the other bytes stay 'U', 'R', 'L', ' '
            }
        }
        return img;
    };
    // A second entry for a record lists it once; its neighbour still counts.
    IndexDatImage twice(0x4000, 0x100);
    twice.Table(0x100, 1, 0);
    const int32_t named[] = {0x1000, 0x1000, 0x1200, 0x1000};
    for (size_t i = 0; i < std::size(named); ++i) twice.Entry(0x100, i, 0, named[i]);
    twice.Url(0x1000, 1, "http://a.example/");
    twice.Url(0x1200, 2, "http://b.example/");
    EXPECT_EQ(Addresses(Walk(twice.bytes)), (std::vector<std::string>{"http://a.example/", "http://b.example/"}));

    struct Case {
        const char* name;
        IndexDatImage img;
        size_t rows;
    };
    Case cases[] = {
        {"12,000 entries for one record", ManyEntriesForOneRecord(length, 12000, run), 1},
        {"URL records 64 bytes apart", overlaid("URL ", 64, false), 1},
        {"URL records 64 bytes apart, backwards", overlaid("URL ", 64, true), 1},
        {"REDR records 4 bytes apart", overlaid("REDR", 4, false), 1},
        {"REDR records 4 bytes apart, backwards", overlaid("REDR", 4, true), 1},
        {"one record named three times", twice, 2},
    };
    for (Case& c : cases) {
        WriteLog file(c.img.bytes);
        ProgressRecorder progress;
        RowRecorder rows;
        WalkIndexDat(file, progress, rows);
        EXPECT_EQ(rows.rows.size(), c.rows) << c.name;
        size_t total = 0;
        for (const Row& r : rows.rows) total += r.address.size();
        // The rows are disjoint pieces of the file, and no byte of it is
        // read for an address twice.
        EXPECT_LE(total, c.img.bytes.size()) << c.name;
        EXPECT_LE(file.read, 4 * c.img.bytes.size()) << c.name;
        EXPECT_EQ(progress.positions.back(), 100) << c.name;
    }
}

TEST(IndexDatWalk, ProgressOnlyRisesAndStopsWithoutCount) {
    IndexDatImage img(0x4000, 0x100);
    img.Table(0x100, 4, 0);  // 60 entries
    // A caller whose display already stands at 50 is not moved back.
    ProgressRecorder progress(50);
    Walk(img.bytes, &progress);
    ASSERT_FALSE(progress.positions.empty());
    EXPECT_GT(progress.positions.front(), 50);
    EXPECT_TRUE(std::is_sorted(progress.positions.begin(), progress.positions.end()));
    EXPECT_EQ(progress.pumps, 60);

    // N <= 0 (only an empty table): the display moves only to the final 100.
    IndexDatImage empty(0x4000, 0x100);
    empty.Table(0x100, 0, 0);
    ProgressRecorder still(7);
    Walk(empty.bytes, &still);
    EXPECT_EQ(still.positions, std::vector<int>{100});

    // N smaller than the entries read (a B = 0 table counts -4): capped at 100.
    IndexDatImage negative(0x4000, 0x100);
    negative.Table(0x100, 1, 0x200);
    negative.Table(0x200, 0, 0);
    ProgressRecorder capped;
    Walk(negative.bytes, &capped);
    EXPECT_LE(*std::max_element(capped.positions.begin(), capped.positions.end()), 100);
}

// What goes through the text seam into the caller's two lists.
class TaggedText final : public IndexDatText {
public:
    std::wstring Address(std::string_view bytes) const override {
        return L"A:" + std::wstring(bytes.begin(), bytes.end());
    }
    std::wstring Date(uint64_t stamp) const override { return L"D:" + std::to_wstring(stamp); }
};

TEST(IndexDatWalk, RowsAreAppendedToBothListsWithTheImageIndex) {
    IndexDatImage img(0x4000, 0x100);
    img.Table(0x100, 1, 0);
    img.Entry(0x100, 0, 0, 0x1000);
    img.Url(0x1000, 42, "http://a.example/");
    std::vector<IndexDatAddress> addresses{{L"kept", 9}};
    std::vector<std::wstring> dates{L"kept"};
    IndexDatMemory file(img.bytes);
    IndexDatSilentProgress progress;
    ReadIndexDatRows(file, 0, addresses, dates, progress, TaggedText());
    ASSERT_EQ(addresses.size(), 2u);
    ASSERT_EQ(dates.size(), 2u);
    EXPECT_EQ(addresses[1].text, L"A:http://a.example/");
    EXPECT_EQ(addresses[1].imageIndex, 0);
    EXPECT_EQ(dates[1], L"D:42");
    EXPECT_EQ(addresses[0].text, L"kept");
}

TEST(IndexDatDateTime, CalendarFieldsAndTheirRanges) {
    CalendarTime f{2011, 6, 4, 23, 18, 2, 10, 66};
    const double v = CalendarToDateTime(f);
    EXPECT_NEAR(v, 40717 + (18 * 3600 + 2 * 60 + 10.066) / 86400, 1e-9);
    CalendarTime back;
    ASSERT_TRUE(DateTimeToCalendar(v, back));
    EXPECT_EQ(std::vector<int>({back.year, back.month, back.day, back.hour, back.minute, back.second,
                                back.milliseconds}),
              std::vector<int>({2011, 6, 23, 18, 2, 10, 66}));

    // Before 30 December 1899 the time counts backwards from the day.
    const double old = CalendarToDateTime({1601, 1, 1, 1, 6, 0, 0, 0});
    EXPECT_LT(old, -109000);
    ASSERT_TRUE(DateTimeToCalendar(old, back));
    EXPECT_EQ(std::vector<int>({back.year, back.month, back.day, back.hour}),
              std::vector<int>({1601, 1, 1, 6}));
    EXPECT_EQ(CalendarToDateTime({1899, 12, 6, 30, 0, 0, 0, 0}), 0);

    EXPECT_NE(CalendarToDateTime({2500, 12, 5, 31, 23, 59, 59, 999}), 0);
    for (CalendarTime bad : {CalendarTime{2501, 1, 1, 1, 0, 0, 0, 0},
                             CalendarTime{2000, 13, 1, 1, 0, 0, 0, 0},
                             CalendarTime{2000, 2, 1, 30, 0, 0, 0, 0},
                             CalendarTime{2000, 1, 8, 1, 0, 0, 0, 0},
                             CalendarTime{2000, 1, 1, 1, 24, 0, 0, 0},
                             CalendarTime{2000, 1, 1, 0, 0, 0, 0, 0}})
        EXPECT_EQ(CalendarToDateTime(bad), 0) << bad.year << "-" << bad.month << "-" << bad.day;
}

TEST(IndexDatWipe, PassCountFromTheSettings) {
    EXPECT_EQ(IndexDatWipePasses(false, 7), 1);
    EXPECT_EQ(IndexDatWipePasses(true, 7), 3);
    EXPECT_EQ(IndexDatWipePasses(true, 2), 2);
    EXPECT_EQ(IndexDatWipePasses(true, 0), 1);
    EXPECT_EQ(IndexDatWipePasses(true, -5), 1);
}

TEST(IndexDatWipe, RegionsRunFromTheEntriesToTheNextTableOrS) {
    // One table at t, S = t + 32 + 5000: 4096 then 904 bytes, ending at S.
    const size_t t = 0x400;
    IndexDatImage img(t + 32 + 5000 + 300, t, t + 32 + 5000);
    img.Table(t, 2, 0);
    std::fill(img.bytes.begin() + t + 32, img.bytes.end(), 0xEE);
    auto before = img.bytes;
    WriteLog file(img.bytes);
    ASSERT_TRUE(WipeIndexDatPass(file, 0x5A));
    EXPECT_EQ(file.writes, (std::vector<std::pair<uint64_t, size_t>>{{t + 32, 4096}, {t + 32 + 4096, 904}}));
    EXPECT_TRUE(std::equal(before.begin(), before.begin() + t + 32, img.bytes.begin()));  // headers kept
    EXPECT_TRUE(std::all_of(img.bytes.begin() + t + 32, img.bytes.begin() + t + 32 + 5000,
                            [](uint8_t b) { return b == 0x5A; }));
    EXPECT_TRUE(std::all_of(img.bytes.begin() + t + 32 + 5000, img.bytes.end(),
                            [](uint8_t b) { return b == 0xEE; }));  // past S: untouched

    // Two tables: the first region stops right before the second header.
    IndexDatImage two(0x6000, 0x100);
    two.Table(0x100, 1, 0x2100);
    two.Table(0x2100, 1, 0);
    WriteLog twoFile(two.bytes);
    ASSERT_TRUE(WipeIndexDatPass(twoFile, 0));
    EXPECT_EQ(twoFile.writes, (std::vector<std::pair<uint64_t, size_t>>{
                                  {0x120, 4096}, {0x1120, 0xFE0}, {0x2120, 4096}, {0x3120, 4096}, {0x4120, 4096}, {0x5120, 0xEE0}}));
    EXPECT_EQ(std::string(two.bytes.begin() + 0x2100, two.bytes.begin() + 0x2104), "HASH");
}

TEST(IndexDatWipe, ZigZagChainWritesEachByteOncePerPass) {
    // Tables outward from the middle of a 1 MB file: low, high, lower,
    // higher... Each low table's region runs up to the high one after it,
    // over all the regions before it (about 4 GB of writes once); the high
    // ones link backwards and have none; the last reaches to S.
    const size_t length = 1 << 20, mid = length / 2, step = 64, pairs = (mid - 0x1000) / step;
    const size_t lowest = mid - step * (pairs - 1), highest = mid + step * pairs;
    IndexDatImage img(length, mid);
    for (size_t i = 0; i < pairs; ++i) {
        const size_t low = mid - step * i, high = mid + step * (i + 1);
        img.Table(low, 1, static_cast<int32_t>(high));
        img.Table(high, 1, high == highest ? 0 : static_cast<int32_t>(low - step));
    }
    // The regions' union: all from the lowest table's entries on, except
    // the header of the highest table.
    std::vector<uint8_t> expected = img.bytes;
    std::fill(expected.begin() + lowest + 32, expected.end(), 0x5A);
    std::copy(img.bytes.begin() + highest, img.bytes.begin() + highest + 32, expected.begin() + highest);

    WriteLog file(img.bytes);
    ASSERT_TRUE(WipeIndexDatPass(file, 0x5A));
    std::vector<uint32_t> times(length, 0);
    for (auto [at, n] : file.writes) {
        EXPECT_LE(n, 4096u);
        for (size_t i = at; i < at + n; ++i) ++times[i];
    }
    EXPECT_LE(*std::max_element(times.begin(), times.end()), 1u);
    EXPECT_TRUE(img.bytes == expected);
}

TEST(IndexDatWipe, NeverWritesPastTheRealEndOrThroughBadChains) {
    // S recorded larger than the file: writes stop at the real end.
    IndexDatImage longer(0x3000, 0x100, 0x9000);
    longer.Table(0x100, 1, 0);
    WriteLog file(longer.bytes);
    ASSERT_TRUE(WipeIndexDatPass(file, 0));
    for (auto [at, n] : file.writes) EXPECT_LE(at + n, 0x3000u);
    EXPECT_EQ(file.writes.back().first + file.writes.back().second, 0x3000u);

    // A loop, a foreign signature, a backward link: each ends or skips, and
    // nothing before the first entries is written.
    IndexDatImage loop(0x4000, 0x1000);
    loop.Table(0x1000, 1, 0x2000);
    loop.Table(0x2000, 1, 0x1000);
    WriteLog loopFile(loop.bytes);
    ASSERT_TRUE(WipeIndexDatPass(loopFile, 0));
    // 0x1020 up to 0x2000 once; the backward link has no region.
    EXPECT_EQ(loopFile.writes, (std::vector<std::pair<uint64_t, size_t>>{{0x1020, 0xFE0}}));
    for (auto [at, n] : loopFile.writes) EXPECT_GE(at, 0x1020u);

    IndexDatImage foreign(0x4000, 0x1000);
    foreign.Table(0x1000, 1, 0, "LEAK");
    WriteLog foreignFile(foreign.bytes);
    ASSERT_TRUE(WipeIndexDatPass(foreignFile, 0));
    EXPECT_TRUE(foreignFile.writes.empty());
}

}  // namespace
}  // namespace klarvex::test
