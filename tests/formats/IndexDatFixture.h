#pragma once

// Helpers for the index.dat tests: building files byte by byte, recording
// what the walk reports, and finding the real sample files.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "formats/IndexDat.h"

namespace klarvex::test {

// An index.dat image under construction.
class IndexDatImage {
public:
    // `length` real bytes; the header records `recordedSize` (default: the
    // length) and the first table.
    explicit IndexDatImage(size_t length, int64_t firstTable = 0, int64_t recordedSize = -1)
        : bytes(length, 0) {
        Put32(28, recordedSize < 0 ? static_cast<int32_t>(length) : static_cast<int32_t>(recordedSize));
        Put32(32, static_cast<int32_t>(firstTable));
    }

    void Put32(size_t at, int32_t v) {
        for (int i = 0; i < 4; ++i) bytes.at(at + i) = static_cast<uint8_t>(uint32_t(v) >> (8 * i));
    }
    void Put64(size_t at, uint64_t v) {
        for (int i = 0; i < 8; ++i) bytes.at(at + i) = static_cast<uint8_t>(v >> (8 * i));
    }
    void PutText(size_t at, const std::string& s, bool terminate = true) {
        for (size_t i = 0; i < s.size(); ++i) bytes.at(at + i) = static_cast<uint8_t>(s[i]);
        if (terminate) bytes.at(at + s.size()) = 0;
    }

    void Table(size_t at, int32_t blocks, int32_t next, const char* signature = "HASH") {
        PutText(at, signature, false);
        Put32(at + 4, blocks);
        Put32(at + 8, next);
    }
    // Entry `index` of the table at `table`: the first at table + 32.
    void Entry(size_t table, size_t index, uint32_t hash, int32_t record) {
        Put32(table + 32 + 8 * index, static_cast<int32_t>(hash));
        Put32(table + 36 + 8 * index, record);
    }
    // A "URL " (or "LEAK") record whose address lies at record + textOffset.
    void Url(size_t at, uint64_t stamp, const std::string& address, uint32_t textOffsetField = 104,
             const char* signature = "URL ") {
        PutText(at, signature, false);
        Put64(at + 8, 0x1111111111111111ull);  // not the time stamp of this kind
        Put64(at + 16, stamp);
        Put32(at + 52, static_cast<int32_t>(textOffsetField));
        if (textOffsetField & 0xFF) PutText(at + (textOffsetField & 0xFF), address);
    }
    void Redr(size_t at, uint64_t stamp, const std::string& address) {
        PutText(at, "REDR", false);
        Put64(at + 8, stamp);
        PutText(at + 16, address);
    }

    std::vector<uint8_t> bytes;
};

// The hostile shape of a small file that once took all memory: a table at
// 0x1000 whose first `entries` entries all name one "URL " record, whose
// address runs over the last `run` bytes of the file with no byte 0.
inline IndexDatImage ManyEntriesForOneRecord(size_t length, size_t entries, size_t run) {
    const size_t table = 0x1000, record = length - run - 104;
    IndexDatImage img(length, table);
    img.Table(table, static_cast<int32_t>((32 + 8 * entries + 127) / 128), 0);
    for (size_t i = 0; i < entries; ++i) img.Entry(table, i, 0, static_cast<int32_t>(record));
    img.Url(record, 1, "");
    std::fill(img.bytes.end() - static_cast<std::ptrdiff_t>(run), img.bytes.end(), 'a');
    return img;
}

struct Row {
    std::string address;
    uint64_t stamp = 0;
    bool operator==(const Row& o) const { return address == o.address && stamp == o.stamp; }
};

class RowRecorder final : public IndexDatRowSink {
public:
    void OnRow(std::string_view address, uint64_t stamp) override {
        rows.push_back({std::string(address), stamp});
    }
    std::vector<Row> rows;
};

// Keeps every position it is given and counts the message pumps.
class ProgressRecorder final : public IndexDatProgress {
public:
    explicit ProgressRecorder(int start = 0) : position(start) {}
    int Position() const override { return position; }
    void SetPosition(int percent) override {
        position = percent;
        positions.push_back(percent);
    }
    void PumpOneMessage() override { ++pumps; }

    int position;
    std::vector<int> positions;
    long long pumps = 0;
};

inline std::vector<Row> Walk(std::vector<uint8_t> bytes, ProgressRecorder* progress = nullptr) {
    ProgressRecorder local;
    IndexDatMemory file(bytes);
    RowRecorder rows;
    WalkIndexDat(file, progress ? *progress : local, rows);
    return rows.rows;
}

inline std::vector<std::string> Addresses(const std::vector<Row>& rows) {
    std::vector<std::string> out;
    for (const Row& r : rows) out.push_back(r.address);
    return out;
}

// The real sample files: C:\realdata in the sandbox prefix, the shared
// folder beside the repository when built natively.
inline std::string RealDataPath(const std::string& name) {
#ifdef _WIN32
    return "C:\\realdata\\" + name;
#else
    const char* dir = std::getenv("KLARVEX_REALDATA");
#ifdef KLARVEX_REALDATA_DIR
    if (!dir) dir = KLARVEX_REALDATA_DIR;
#endif
    return std::string(dir ? dir : "realdata") + "/" + name;
#endif
}

inline std::vector<uint8_t> ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

// FILETIME of a UTC calendar moment, computed without the platform.
inline uint64_t StampOf(int y, unsigned m, unsigned d, unsigned hh, unsigned mm, unsigned ss,
                        unsigned ms = 0) {
    // Days from 1601-01-01 by counting whole years and months.
    auto leap = [](int yr) { return (yr % 4 == 0 && yr % 100 != 0) || yr % 400 == 0; };
    static const unsigned mdays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    uint64_t days = 0;
    for (int yr = 1601; yr < y; ++yr) days += leap(yr) ? 366 : 365;
    for (unsigned mo = 1; mo < m; ++mo) days += mdays[mo - 1] + (mo == 2 && leap(y) ? 1 : 0);
    days += d - 1;
    const uint64_t msTotal = ((days * 24 + hh) * 60 + mm) * 60000ull + ss * 1000ull + ms;
    return msTotal * 10000ull;
}

}  // namespace klarvex::test
