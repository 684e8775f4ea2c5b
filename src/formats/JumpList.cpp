#include "formats/JumpList.h"

#include <algorithm>
#include <iterator>

namespace klarvex {

namespace {

uint16_t Read16(std::string_view bytes, size_t at) {
    return static_cast<uint16_t>(static_cast<unsigned char>(bytes[at]) |
                                 static_cast<unsigned char>(bytes[at + 1]) << 8);
}
uint32_t Read32(std::string_view bytes, size_t at) { return Read16(bytes, at) | uint32_t{Read16(bytes, at + 2)} << 16; }
uint64_t Read64(std::string_view bytes, size_t at) { return Read32(bytes, at) | uint64_t{Read32(bytes, at + 4)} << 32; }
void Write32(std::string& bytes, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>(value >> (8 * i) & 0xFF);
}

// --- compound files (the layout of MS-CFB): a 512-byte header, then
// sectors of 512 or 4096 bytes numbered from 0. The allocation table (FAT)
// chains sectors into streams; its own sectors are listed in the header
// and in a chain of DIFAT sectors. Streams under 4096 bytes live in 64-byte
// mini sectors inside the root entry's stream, chained by the mini FAT.

constexpr uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr uint32_t kNoEntry = 0xFFFFFFFF;
constexpr size_t kEntrySize = 128;
constexpr size_t kMiniSectorSize = 64;
constexpr uint64_t kMiniStreamCutoff = 4096;
constexpr size_t kHeaderFatSectors = 109;
constexpr unsigned char kSignature[] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};

// Entry types of the directory.
constexpr unsigned char kStorage = 1;
constexpr unsigned char kStream = 2;
constexpr unsigned char kRoot = 5;

class CompoundFileCheck {
public:
    explicit CompoundFileCheck(std::string_view file) : file_(file) {}

    bool Run() {
        if (!ReadHeader() || !ReadFat()) return false;
        const auto directory = Chain(Field(48), fat_, used_);
        if (!directory) return false;
        for (const uint32_t sector : *directory) directory_.append(Sector(sector));
        entries_ = directory_.size() / kEntrySize;
        if (entries_ == 0 || Entry(0)[66] != static_cast<char>(kRoot)) return false;
        return ReadMiniStream() && WalkTree();
    }

private:
    uint32_t Field(size_t at) const { return Read32(file_, at); }
    std::string_view Sector(uint32_t n) const { return file_.substr((size_t{n} + 1) * sectorSize_, sectorSize_); }
    std::string_view Entry(size_t n) const { return std::string_view(directory_).substr(n * kEntrySize, kEntrySize); }

    bool ReadHeader() {
        if (file_.size() < 512) return false;
        for (size_t i = 0; i < std::size(kSignature); ++i)
            if (static_cast<unsigned char>(file_[i]) != kSignature[i]) return false;
        const uint16_t shift = Read16(file_, 30);
        if (Read16(file_, 28) != 0xFFFE || (shift != 9 && shift != 12) || Read16(file_, 32) != 6 ||
            Field(56) != kMiniStreamCutoff)
            return false;
        sectorSize_ = size_t{1} << shift;
        // Only whole sectors count; the header fills the first one.
        if (file_.size() / sectorSize_ < 1) return false;
        sectorCount_ = file_.size() / sectorSize_ - 1;
        used_.assign(sectorCount_, false);
        return true;
    }

    // A sector of the file that nothing has claimed yet, now claimed.
    bool Claim(uint32_t sector) {
        if (sector >= sectorCount_ || used_[sector]) return false;
        used_[sector] = true;
        return true;
    }

    bool ReadFat() {
        const uint32_t fatSectors = Field(44);
        if (fatSectors > sectorCount_) return false;
        std::vector<uint32_t> list;
        for (size_t i = 0; i < kHeaderFatSectors && list.size() < fatSectors; ++i) list.push_back(Field(76 + 4 * i));
        const size_t perDifat = sectorSize_ / 4 - 1;
        uint32_t difat = Field(68);
        for (uint32_t k = 0; list.size() < fatSectors; ++k) {
            if (k >= Field(72) || !Claim(difat)) return false;
            const std::string_view sector = Sector(difat);
            for (size_t j = 0; j < perDifat && list.size() < fatSectors; ++j) list.push_back(Read32(sector, 4 * j));
            difat = Read32(sector, 4 * perDifat);
        }
        for (const uint32_t sector : list) {
            if (!Claim(sector)) return false;
            const std::string_view table = Sector(sector);
            for (size_t j = 0; j < sectorSize_ / 4; ++j) fat_.push_back(Read32(table, 4 * j));
        }
        return true;
    }

    // The sectors of a chain of table from start; each must be unclaimed,
    // and is claimed: a loop, or two chains sharing a sector, fails.
    static std::optional<std::vector<uint32_t>> Chain(uint32_t start, const std::vector<uint32_t>& table,
                                                      std::vector<bool>& claimed) {
        std::vector<uint32_t> sectors;
        for (uint32_t s = start; s != kEndOfChain; s = table[s]) {
            if (s >= table.size() || s >= claimed.size() || claimed[s]) return std::nullopt;
            claimed[s] = true;
            sectors.push_back(s);
        }
        return sectors;
    }

    // A stream's size: the format's version 3 (512-byte sectors) keeps only
    // 32 bits of it and wants the rest zero.
    std::optional<uint64_t> StreamSize(std::string_view entry) const {
        const uint64_t size = Read64(entry, 120);
        if (sectorSize_ == 512 && size >> 32) return std::nullopt;
        return size;
    }

    bool ReadMiniStream() {
        const std::string_view root = Entry(0);
        const auto size = StreamSize(root);
        if (!size) return false;
        if (*size > 0) {
            const auto chain = Chain(Read32(root, 116), fat_, used_);
            if (!chain || chain->size() * sectorSize_ < *size) return false;
        }
        miniUsed_.assign(*size / kMiniSectorSize, false);
        if (Field(60) == kEndOfChain) return true;
        const auto miniFat = Chain(Field(60), fat_, used_);
        if (!miniFat) return false;
        for (const uint32_t sector : *miniFat) {
            const std::string_view table = Sector(sector);
            for (size_t j = 0; j < sectorSize_ / 4; ++j) miniFat_.push_back(Read32(table, 4 * j));
        }
        return true;
    }

    bool StreamChainHolds(std::string_view entry) {
        const auto size = StreamSize(entry);
        if (!size) return false;
        if (*size == 0) return true;
        const uint32_t start = Read32(entry, 116);
        if (*size < kMiniStreamCutoff) {
            const auto chain = Chain(start, miniFat_, miniUsed_);
            return chain && chain->size() * kMiniSectorSize >= *size;
        }
        const auto chain = Chain(start, fat_, used_);
        return chain && chain->size() * sectorSize_ >= *size;
    }

    // Every entry below the root, each reached once.
    bool WalkTree() {
        std::vector<bool> seen(entries_, false);
        std::vector<uint32_t> pending{Read32(Entry(0), 76)};
        while (!pending.empty()) {
            const uint32_t n = pending.back();
            pending.pop_back();
            if (n == kNoEntry) continue;
            if (n >= entries_ || seen[n]) return false;
            seen[n] = true;
            const std::string_view entry = Entry(n);
            const uint16_t nameBytes = Read16(entry, 64);
            if (nameBytes > 64 || nameBytes % 2 != 0) return false;
            pending.push_back(Read32(entry, 68));
            pending.push_back(Read32(entry, 72));
            const auto type = static_cast<unsigned char>(entry[66]);
            if (type == kStorage) {
                pending.push_back(Read32(entry, 76));
            } else if (type != kStream || Read32(entry, 76) != kNoEntry || !StreamChainHolds(entry)) {
                return false;
            }
        }
        return true;
    }

    std::string_view file_;
    size_t sectorSize_ = 0;
    size_t sectorCount_ = 0;
    std::vector<uint32_t> fat_, miniFat_;
    std::vector<bool> used_, miniUsed_;
    std::string directory_;
    size_t entries_ = 0;
};

// --- DestList

constexpr size_t kDestListHeaderSize = 32;
constexpr int32_t kUnpinned = -1;

}  // namespace

bool CompoundFileIsSound(std::string_view file) { return CompoundFileCheck(file).Run(); }

std::optional<DestList> ParseDestList(std::string_view stream) {
    if (stream.empty()) return DestList{};
    if (stream.size() < kDestListHeaderSize) return std::nullopt;
    DestList list;
    list.version = Read32(stream, 0);
    if (list.version != 1 && list.version != 3 && list.version != 4) return std::nullopt;
    const uint32_t count = Read32(stream, 4);
    const uint32_t pinnedCount = Read32(stream, 8);
    // The bytes of an entry before its path (the last two hold the path's
    // length); from version 3 on, the path is followed by the size of a
    // property store and the store.
    const size_t fixed = list.version == 1 ? 114 : 130;
    const bool propertyStore = list.version != 1;
    constexpr size_t kStoreSizeBytes = 4;

    uint32_t pinned = 0;
    for (size_t at = kDestListHeaderSize; at < stream.size();) {
        const size_t left = stream.size() - at;
        if (list.entries.size() == count || left < fixed) return std::nullopt;
        const size_t pathEnd = fixed + 2 * size_t{Read16(stream, at + fixed - 2)};
        size_t size = pathEnd;
        if (propertyStore) {
            if (left < pathEnd + kStoreSizeBytes) return std::nullopt;
            const size_t store = Read32(stream, at + pathEnd);
            if (store > left - pathEnd - kStoreSizeBytes) return std::nullopt;
            size += kStoreSizeBytes + store;
        }
        if (left < size) return std::nullopt;
        DestListEntry entry;
        entry.number = Read32(stream, at + 88);
        const auto pin = static_cast<int32_t>(Read32(stream, at + 108));
        if (entry.number == 0 || pin < kUnpinned) return std::nullopt;
        entry.pinned = pin != kUnpinned;
        pinned += entry.pinned;
        for (size_t c = at + fixed; c < at + pathEnd; c += 2)
            entry.path.push_back(static_cast<wchar_t>(Read16(stream, c)));
        entry.offset = at;
        entry.size = size;
        list.entries.push_back(std::move(entry));
        at += size;
    }
    if (list.entries.size() != count || pinned != pinnedCount) return std::nullopt;
    std::vector<uint64_t> numbers;
    for (const auto& entry : list.entries) numbers.push_back(entry.number);
    std::sort(numbers.begin(), numbers.end());
    if (std::adjacent_find(numbers.begin(), numbers.end()) != numbers.end()) return std::nullopt;
    return list;
}

std::string PinnedOnlyDestList(std::string_view stream, const DestList& list) {
    if (stream.size() < kDestListHeaderSize) return std::string(stream);
    std::string kept(stream.substr(0, kDestListHeaderSize));
    uint32_t count = 0;
    for (const auto& entry : list.entries) {
        if (!entry.pinned) continue;
        kept.append(stream.substr(entry.offset, entry.size));
        ++count;
    }
    Write32(kept, 4, count);
    Write32(kept, 8, count);
    return kept;
}

std::wstring EntryStreamName(uint64_t number) {
    std::wstring name;
    do {
        name.insert(name.begin(), L"0123456789abcdef"[number % 16]);
        number /= 16;
    } while (number != 0);
    return name;
}

std::optional<uint64_t> EntryNumberOfStream(std::wstring_view name) {
    if (name.empty() || name.size() > 16 || name.front() == L'0') return std::nullopt;
    uint64_t number = 0;
    for (const wchar_t c : name) {
        int digit;
        if (c >= L'0' && c <= L'9') digit = c - L'0';
        else if (c >= L'a' && c <= L'f') digit = c - L'a' + 10;
        else if (c >= L'A' && c <= L'F') digit = c - L'A' + 10;
        else return std::nullopt;
        number = number * 16 + static_cast<uint64_t>(digit);
    }
    return number;
}

}  // namespace klarvex
