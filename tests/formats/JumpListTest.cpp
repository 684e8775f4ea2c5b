// The check of a compound file that guards structured storage, on the real
// jump lists and on damaged copies of them, and the DestList reader on
// entries written by hand. Runs natively (under the
// sanitizers) and under Wine; the fuzzer takes the DestList reader, the
// cleaner's tests the lists as a whole.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "formats/JumpList.h"
#include "IndexDatFixture.h"

namespace klarvex::test {
namespace {

const char kQuickAccess[] = "jumplist-win10-f01b4d95cf55d32a.automaticDestinations-ms";

// The real sample files (RealDataPath) come with the index.dat fixture.
std::string Sample(const char* name) {
    const auto bytes = ReadWholeFile(RealDataPath(name));
    return std::string(bytes.begin(), bytes.end());
}

void Put32(std::string& bytes, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>(value >> (8 * i));
}
uint32_t Read32Of(const std::string& bytes, size_t at) {
    uint32_t value = 0;
    for (int i = 3; i >= 0; --i) value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

TEST(CompoundFileCheck, TheRealListsAreSoundTheirDamagedCopiesNot) {
    for (const char* name : {kQuickAccess, "jumplist-win10-7e4dca80246863e3.automaticDestinations-ms",
                             "jumplist-win7-1b4dd67f29cb1962.automaticDestinations-ms"})
        EXPECT_TRUE(CompoundFileIsSound(Sample(name))) << name;

    // The Quick Access list: 512-byte sectors, its allocation table in
    // sector 0 (at 512), the directory in sectors 1, 7 and 13 (entry 1 at
    // 1152, entry 2 at 1280, entry 3 at 1408), the root's small-stream
    // store from sector 3.
    const std::string file = Sample(kQuickAccess);
    ASSERT_EQ(file.size(), 9728u);
    const std::pair<const char*, std::function<void(std::string&)>> damages[] = {
        {"cut after the allocation table", [](std::string& f) { f.resize(1024); }},
        {"cut inside the directory", [](std::string& f) { f.resize(4000); }},
        {"no signature", [](std::string& f) { f[0] = 0; }},
        {"sectors of 1024 bytes", [](std::string& f) { f[30] = 10; }},
        {"more table sectors than the file has", [](std::string& f) { Put32(f, 44, 1000); }},
        {"the directory's chain loops", [](std::string& f) { Put32(f, 512 + 4 * 1, 1); }},
        {"the small-stream store's chain loops", [](std::string& f) { Put32(f, 512 + 4 * 3, 3); }},
        {"an entry is its own sibling", [](std::string& f) { Put32(f, 1280 + 68, 2); }},
        {"two streams share a sector", [](std::string& f) { Put32(f, 1408 + 116, 0); }},
        {"a stream longer than its chain", [](std::string& f) { Put32(f, 1152 + 120, 4000); }},
    };
    for (const auto& [what, damage] : damages) {
        std::string copy = file;
        damage(copy);
        EXPECT_FALSE(CompoundFileIsSound(copy)) << what;
    }
}

// A DestList of version 3: each entry's number, pin (-1: none), path and
// property store.
struct Entry {
    uint32_t number;
    int32_t pin;
    std::string path;
    std::string store;
};
std::string DestListOf(const std::vector<Entry>& entries) {
    std::string stream(32, '\0');
    Put32(stream, 0, 3);
    Put32(stream, 4, static_cast<uint32_t>(entries.size()));
    for (const Entry& e : entries) {
        Put32(stream, 8, Read32Of(stream, 8) + (e.pin >= 0));
        std::string entry(130, '\0');
        Put32(entry, 88, e.number);
        Put32(entry, 92, 0xFFFFFFFF);  // unknown; not part of the number
        Put32(entry, 108, static_cast<uint32_t>(e.pin));
        entry[128] = static_cast<char>(e.path.size());
        for (char c : e.path) entry += std::string{c, '\0'};
        entry += std::string(4, '\0');
        Put32(entry, entry.size() - 4, static_cast<uint32_t>(e.store.size()));
        stream += entry + e.store;
    }
    return stream;
}

TEST(DestList, EntriesWithPropertyStoresAreReadAndKeptWhole) {
    const std::vector<Entry> entries = {
        {1, -1, "C:\\a.txt", ""}, {2, 0, "C:\\pinned", std::string(300, 'p')}, {3, -1, "C:\\b", "1SPS"}};
    const std::string stream = DestListOf(entries);
    const auto list = ParseDestList(stream);
    ASSERT_TRUE(list);
    ASSERT_EQ(list->entries.size(), 3u);
    for (size_t i = 0; i < entries.size(); ++i) {
        EXPECT_EQ(list->entries[i].number, entries[i].number);
        EXPECT_EQ(list->entries[i].pinned, entries[i].pin >= 0);
        EXPECT_EQ(list->entries[i].path, std::wstring(entries[i].path.begin(), entries[i].path.end()));
    }
    const auto kept = ParseDestList(PinnedOnlyDestList(stream, *list));
    ASSERT_TRUE(kept && kept->entries.size() == 1u);
    EXPECT_EQ(PinnedOnlyDestList(stream, *list).substr(32), stream.substr(list->entries[1].offset,
                                                                           list->entries[1].size));
    // A store said to be longer than the stream, and an emptied list.
    std::string overlong = stream;
    Put32(overlong, list->entries[2].offset + 130 + 2 * entries[2].path.size(), 1000);
    EXPECT_FALSE(ParseDestList(overlong));
    const auto empty = ParseDestList("");
    ASSERT_TRUE(empty);
    EXPECT_TRUE(empty->entries.empty());
}

}  // namespace
}  // namespace klarvex::test
