// The check of a compound file that guards structured storage, on the real
// jump lists and on damaged copies of them, and the DestList reader on
// entries written by hand. Runs natively (under the sanitizers) and under
// Wine; the fuzzer takes the DestList reader, the
// cleaner's tests the lists as a whole.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <tuple>
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

// A DestList of version 3 whose entries carry property stores.
struct Entry {
    uint32_t number;
    bool pinned;
    std::string path, store;
};
std::string DestListOf(const std::vector<Entry>& entries) {
    std::string stream(32, '\0');
    Put32(stream, 0, 3);
    Put32(stream, 4, static_cast<uint32_t>(entries.size()));
    uint32_t pinned = 0;
    for (const Entry& e : entries) {
        pinned += e.pinned;
        std::string entry(130, '\0');
        Put32(entry, 88, e.number);
        Put32(entry, 92, 0xFFFFFFFF);  // unknown, not part of the number
        Put32(entry, 108, e.pinned ? 0 : 0xFFFFFFFF);
        entry[128] = static_cast<char>(e.path.size());
        for (char c : e.path) entry += std::string{c, '\0'};
        entry.resize(entry.size() + 4);
        Put32(entry, entry.size() - 4, static_cast<uint32_t>(e.store.size()));
        stream += entry + e.store;
    }
    Put32(stream, 8, pinned);
    return stream;
}

TEST(DestList, EntriesWithPropertyStoresAreReadAndKeptWhole) {
    const std::vector<Entry> entries = {
        {1, false, "C:\\a", ""}, {2, true, "C:\\pinned", std::string(300, 'p')}, {0x1f, false, "C:\\b", "1SPS"}};
    const std::string stream = DestListOf(entries);
    const auto list = ParseDestList(stream);
    ASSERT_TRUE(list && list->entries.size() == 3u);
    for (size_t i = 0; i < 3; ++i)
        EXPECT_EQ(std::tuple(list->entries[i].number, list->entries[i].pinned, list->entries[i].path),
                  std::tuple(uint64_t{entries[i].number}, entries[i].pinned,
                             std::wstring(entries[i].path.begin(), entries[i].path.end())));
    // The pinned entry is kept byte for byte, its store with it.
    EXPECT_EQ(PinnedOnlyDestList(stream, *list).substr(32), DestListOf({entries[1]}).substr(32));
    std::string overlong = stream;  // the last store said to reach past the stream
    Put32(overlong, stream.size() - 8, 1000);
    EXPECT_FALSE(ParseDestList(overlong));
    EXPECT_TRUE(ParseDestList("") && ParseDestList("")->entries.empty()) << "an emptied list";
}

}  // namespace
}  // namespace klarvex::test
