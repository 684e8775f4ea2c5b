#pragma once

// A synthetic index.dat file of "URL " records, as large as asked: record i
// holds "http://www.bench-(i % 977).example/path/page-i.html?q=(7 i)".
// Used by the reading benchmark and by the viewer's tests of large files.

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

namespace klarvex {
namespace synthetic {

constexpr int kBlocks = 32;                      // 4096-byte hash tables
constexpr int kEntries = kBlocks * 16 - 4;       // 508 entries each
constexpr int kRecordSize = 256;                 // two 128-byte blocks
constexpr uint32_t kFirstTable = 0x4000;

inline void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v) { std::memcpy(&b[at], &v, 4); }
inline void Put64(std::vector<uint8_t>& b, size_t at, uint64_t v) { std::memcpy(&b[at], &v, 8); }

}  // namespace synthetic

// Tables and their records alternate: a table, then the records its
// entries point at, then the next table.
inline std::vector<uint8_t> BuildSyntheticIndexDat(int records) {
    using namespace synthetic;
    const int tables = (records + kEntries - 1) / kEntries;
    const size_t group = kBlocks * 128 + size_t{kEntries} * kRecordSize;
    std::vector<uint8_t> b(kFirstTable + tables * group, 0);
    std::memcpy(&b[0], "Client UrlCache MMF Ver 5.2", 28);
    Put32(b, 28, static_cast<uint32_t>(b.size()));
    Put32(b, 32, kFirstTable);
    int made = 0;
    for (int t = 0; t < tables; ++t) {
        const size_t table = kFirstTable + t * group;
        std::memcpy(&b[table], "HASH", 4);
        Put32(b, table + 4, kBlocks);
        Put32(b, table + 8, t + 1 < tables ? static_cast<uint32_t>(table + group) : 0);
        for (int e = 0; e < kEntries; ++e) {
            const size_t entry = table + 32 + 8 * e;
            if (made == records) {
                Put32(b, entry, 3);  // free slot
                Put32(b, entry + 4, 3);
                continue;
            }
            const size_t record = table + kBlocks * 128 + static_cast<size_t>(e) * kRecordSize;
            Put32(b, entry, 0x8A5C0000u | (e << 6));
            Put32(b, entry + 4, static_cast<uint32_t>(record));
            std::memcpy(&b[record], "URL ", 4);
            Put32(b, record + 4, 2);
            Put64(b, record + 16, 130849745640450000ull + uint64_t(made) * 10000000ull * 37);
            Put32(b, record + 52, 0x68);
            std::snprintf(reinterpret_cast<char*>(&b[record + 0x68]), kRecordSize - 0x68,
                          "http://www.bench-%d.example/path/page-%d.html?q=%d", made % 977, made, made * 7);
            ++made;
        }
    }
    return b;
}

}  // namespace klarvex
