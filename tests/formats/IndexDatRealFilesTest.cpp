// The walk on index.dat files written by Internet Explorer (forensic sample
// files of public projects), on truncated copies of them and on record
// fragments. Runs natively (under the sanitizers) and under Wine.

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "IndexDatFixture.h"

namespace klarvex::test {
namespace {

struct Expected {
    size_t count = 0;
    uint64_t hash = 0;
    std::vector<Row> rows;  // in walk order, for the smaller files
};

const std::map<std::string, Expected>& ExpectedFiles() {
    static const std::map<std::string, Expected> files = [] {
        std::map<std::string, Expected> m;
#define REAL_FILE(name, count_, hash_) m[name].count = count_, m[name].hash = hash_;
#define REAL_ROW(name, address, stamp) m[name].rows.push_back({address, stamp});
#include "IndexDatRealFiles.inc"
#undef REAL_FILE
#undef REAL_ROW
        return m;
    }();
    return files;
}

uint64_t RowsHash(const std::vector<Row>& rows) {
    uint64_t h = 0xcbf29ce484222325ull;
    for (const Row& r : rows) {
        for (char c : r.address + "\t" + std::to_string(r.stamp) + "\n")
            h = (h ^ static_cast<uint8_t>(c)) * 0x100000001b3ull;
    }
    return h;
}

const Row* Find(const std::vector<Row>& rows, const std::string& address) {
    auto it = std::find_if(rows.begin(), rows.end(), [&](const Row& r) { return r.address == address; });
    return it == rows.end() ? nullptr : &*it;
}

std::vector<uint8_t> Sample(const std::string& name) {
    auto bytes = ReadWholeFile(RealDataPath(name));
    EXPECT_FALSE(bytes.empty()) << "missing sample file " << RealDataPath(name);
    return bytes;
}

TEST(IndexDatRealFiles, EveryRowInWalkOrder) {
    for (const auto& [name, expected] : ExpectedFiles()) {
        auto bytes = Sample(name);
        ProgressRecorder progress;
        auto rows = Walk(bytes, &progress);
        EXPECT_EQ(rows.size(), expected.count) << name;
        EXPECT_EQ(RowsHash(rows), expected.hash) << name;
        if (!expected.rows.empty()) {
            EXPECT_EQ(rows, expected.rows) << name;
        }
        EXPECT_EQ(progress.positions.back(), 100) << name;
        EXPECT_TRUE(std::is_sorted(progress.positions.begin(), progress.positions.end())) << name;
    }
}

TEST(IndexDatRealFiles, AddressesAndTimesPublishedForTheSamples) {
    // Cache index (Greendale specimen).
    auto cache = Walk(Sample("plaso-Content.IE5-index.dat"));
    EXPECT_NE(Find(cache, "http://www.bing.com/favicon.ico"), nullptr);
    // IE keeps its live entries from table + 16 on; the walk starts at +32,
    // so slot 0 of this file (the one below) is not listed.
    EXPECT_EQ(Find(cache, "https://ieonline.microsoft.com/favicon.ico"), nullptr);

    auto history = Walk(Sample("plaso-History.IE5-index.dat"));
    EXPECT_NE(Find(history, "Visited: gold_administrator@http://www.msn.com/?ocid=iehp"), nullptr);

    auto daily = Walk(Sample("plaso-MSHist012013031020130311-index.dat"));
    EXPECT_NE(Find(daily, ":2013031020130311: -@http://code.google.com/p/libmsiecf"), nullptr);

    // Record at 21376: last visited 2011-06-23 18:02:10.066 UTC.
    auto old = Walk(Sample("plaso-old-index.dat"));
    const Row* cats = Find(old, "Visited: testing@http://www.trafficfusionx.com/download/tfscrn2/funnycats.exe");
    ASSERT_NE(cats, nullptr);
    EXPECT_EQ(cats->stamp, StampOf(2011, 6, 23, 18, 2, 10, 66));

    // nfury: a cached favicon and a redirect record.
    auto nfury = Walk(Sample("plaso-nfury_index.dat"));
    EXPECT_NE(Find(nfury, "http://col.stc.s-msn.com/br/gbl/lg/csl/favicon.ico"), nullptr);
    EXPECT_NE(Find(nfury, "http://ad.doubleclick.net/ad/N2724.Meebo/B5343067.13;sz=1x1;pc=[TPAS_ID];ord=2642102"),
              nullptr);
}

TEST(IndexDatRealFiles, TruncatedCopiesAndFragmentsAreSafe) {
    // Cut at every 512 bytes and at odd places around the first table and
    // the records. S still names the full size, so every field the walk
    // wants may be missing. The rows of a cut file come from the full file,
    // except for an address cut short by the end.
    for (const auto& [name, expected] : ExpectedFiles()) {
        const auto full = Sample(name);
        std::vector<size_t> cuts;
        for (size_t n = 0; n < full.size(); n += 512) cuts.push_back(n);
        for (size_t n : {size_t{31}, size_t{35}, size_t{0x4003}, size_t{0x4009}, size_t{0x5021}, size_t{0x60F1}})
            if (n < full.size()) cuts.push_back(n);
        for (size_t n : cuts) {
            std::vector<uint8_t> cut(full.begin(), full.begin() + n);
            ProgressRecorder progress;
            auto rows = Walk(cut, &progress);
            EXPECT_LE(rows.size(), expected.count) << name << " cut at " << n;
            EXPECT_EQ(progress.positions.back(), 100);
        }
    }

    // Record fragments of another project's tests: headers and records
    // without a valid chain around them.
    for (const char* fragment : {"libmsiecf-file_header.1", "libmsiecf-hash_table.1",
                                 "libmsiecf-leak_values.1", "libmsiecf-redirected_values.1",
                                 "libmsiecf-url_values.1"}) {
        ProgressRecorder progress;
        Walk(Sample(fragment), &progress);
        EXPECT_EQ(progress.positions.back(), 100) << fragment;
    }
}

}  // namespace
}  // namespace klarvex::test
