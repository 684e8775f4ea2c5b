// The index.dat walk on plain bytes: no platform call in this file.

#include "formats/IndexDat.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstring>
#include <iterator>
#include <map>
#include <memory>
#include <string_view>
#include <utility>

namespace klarvex {

size_t IndexDatMemory::ReadAt(uint64_t offset, void* dest, size_t count) {
    if (offset >= size_) return 0;
    size_t n = static_cast<size_t>(std::min<uint64_t>(count, size_ - offset));
    std::memcpy(dest, data_ + offset, n);
    return n;
}

bool IndexDatMemory::WriteAt(uint64_t offset, const void* source, size_t count) {
    if (offset > size_ || count > size_ - offset) return false;
    std::memcpy(data_ + offset, source, count);
    return true;
}

namespace {

constexpr int64_t kSizeField = 28;
constexpr int64_t kFirstTableField = 32;
constexpr int64_t kTableHeader = 32;  // the entries start behind it
constexpr int64_t kEntrySize = 8;
constexpr size_t kWipeBlock = 4096;

// Field readers. Offsets come from the file as signed values; a negative
// offset or a field that ends past the data is absent.
bool ReadBytes(IndexDatBytes& file, int64_t offset, void* dest, size_t count) {
    if (offset < 0) return false;
    return file.ReadAt(static_cast<uint64_t>(offset), dest, count) == count;
}

bool ReadInt32(IndexDatBytes& file, int64_t offset, int32_t& value) {
    uint8_t b[4];
    if (!ReadBytes(file, offset, b, sizeof b)) return false;
    value = static_cast<int32_t>(uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 |
                                 uint32_t(b[3]) << 24);
    return true;
}

bool ReadUInt64(IndexDatBytes& file, int64_t offset, uint64_t& value) {
    uint8_t b[8];
    if (!ReadBytes(file, offset, b, sizeof b)) return false;
    value = 0;
    for (int i = 7; i >= 0; --i) value = value << 8 | b[i];
    return true;
}

bool ReadByte(IndexDatBytes& file, int64_t offset, uint8_t& value) {
    return ReadBytes(file, offset, &value, 1);
}

bool HasSignature(IndexDatBytes& file, int64_t offset, const char (&signature)[5]) {
    char b[4];
    return ReadBytes(file, offset, b, sizeof b) && std::memcmp(b, signature, 4) == 0;
}

// Hash entries of a table of `blocks` 128-byte blocks: B * 16 - 4, that is
// negative for B = 0 and for negative B.
int64_t EntryCount(int32_t blocks) {
    return (int64_t{blocks} * 128 - kTableHeader) / kEntrySize;
}

struct Header {
    int32_t size = 0;        // S
    int32_t firstTable = 0;  // 0 = no table
};

bool ReadHeader(IndexDatBytes& file, Header& header) {
    return ReadInt32(file, kSizeField, header.size) &&
           ReadInt32(file, kFirstTableField, header.firstTable);
}

// Byte ranges [begin, end) of the file, merged where they meet: the tables
// a walk visited, the bytes a wipe pass wrote. Each keeps a small hostile
// file from costing time quadratic in its size.
class ByteRanges {
public:
    // Records [begin, end) if it meets no range, and says whether it did.
    bool Claim(int64_t begin, int64_t end) {
        auto next = ranges_.lower_bound(begin);
        if (next != ranges_.end() && next->first < end) return false;
        if (next != ranges_.begin() && std::prev(next)->second > begin) return false;
        Add(begin, end);
        return true;
    }

    // Records [begin, end), joined with the ranges it meets or touches.
    void Add(int64_t begin, int64_t end) {
        if (begin >= end) return;
        auto next = ranges_.upper_bound(begin);
        if (next != ranges_.begin() && std::prev(next)->second >= begin) {
            --next;
            begin = next->first;
            end = std::max(end, next->second);
            next = ranges_.erase(next);
        }
        while (next != ranges_.end() && next->first <= end) {
            end = std::max(end, next->second);
            next = ranges_.erase(next);
        }
        ranges_.emplace_hint(next, begin, end);
    }

    // The end of the stretch free of ranges that starts at `at`: `at` itself
    // when a range holds it, INT64_MAX when none lies behind it.
    int64_t FreeUntil(int64_t at) const {
        auto next = ranges_.upper_bound(at);
        if (next != ranges_.begin() && std::prev(next)->second > at) return at;
        return next == ranges_.end() ? INT64_MAX : next->first;
    }

    // Calls `part(begin, end)` for each stretch of [begin, end) that meets no
    // range, in order; stops at the first call that returns false.
    template <class Part>
    bool ForEachFreePart(int64_t begin, int64_t end, Part part) const {
        while (begin < end) {
            const int64_t free = std::min(FreeUntil(begin), end);
            if (free > begin && !part(begin, free)) return false;
            auto holder = ranges_.upper_bound(free);  // the range that holds `free`
            if (free >= end || holder == ranges_.begin()) break;
            begin = std::prev(holder)->second;
        }
        return true;
    }

private:
    std::map<int64_t, int64_t> ranges_;  // begin -> end
};

// The bytes of the file that belong to an address listed so far, one bit
// per byte. The reader asks about every address it meets, so a question
// costs a few word operations rather than a search. The bits come in blocks
// made when an address first reaches them: a large file with few addresses
// costs little more than its list of blocks, and that list reaches no
// further than the walk has read.
class ListedBytes {
public:
    bool Has(int64_t at) const { return FirstIn(at, at + 1) == at; }

    // The first listed byte in [from, to), or `to` when there is none.
    int64_t FirstIn(int64_t from, int64_t to) const {
        while (from < to) {
            const size_t index = static_cast<size_t>(from / kBlockBytes);
            const int64_t blockEnd = std::min(to, (from / kBlockBytes + 1) * kBlockBytes);
            const Block* block = index < blocks_.size() ? blocks_[index].get() : nullptr;
            if (!block) {
                from = blockEnd;
                continue;
            }
            for (; from < blockEnd; from += 64 - from % 64) {
                const int64_t bit = from % kBlockBytes;
                uint64_t word = (*block)[static_cast<size_t>(bit / 64)] >> (bit % 64);
                if (blockEnd - from < 64) word &= (uint64_t{1} << (blockEnd - from)) - 1;
                if (word) return from + std::countr_zero(word);
            }
        }
        return to;
    }

    void Add(int64_t from, int64_t to) {
        while (from < to) {
            const size_t index = static_cast<size_t>(from / kBlockBytes);
            if (index >= blocks_.size()) blocks_.resize(index + 1);
            if (!blocks_[index]) blocks_[index] = std::make_unique<Block>();
            const int64_t bit = from % kBlockBytes, count = std::min(64 - bit % 64, to - from);
            const uint64_t ones = count == 64 ? ~uint64_t{0} : (uint64_t{1} << count) - 1;
            (*blocks_[index])[static_cast<size_t>(bit / 64)] |= ones << (bit % 64);
            from += count;
        }
    }

private:
    static constexpr int64_t kBlockBytes = 64 * 1024;
    using Block = std::array<uint64_t, kBlockBytes / 64>;

    std::vector<std::unique_ptr<Block>> blocks_;  // by position / kBlockBytes
};

// The text at `offset` up to its byte 0, the end of the data or the first
// byte of an address listed before, whichever comes first; no byte past it
// is read. False when it stopped at a listed byte.
bool ReadText(IndexDatBytes& file, int64_t offset, const ListedBytes& listed, std::string& text) {
    text.clear();
    char chunk[256];
    for (int64_t at = offset;;) {
        const int64_t stop = listed.FirstIn(at, at + static_cast<int64_t>(sizeof chunk));
        if (stop == at) return false;
        const size_t want = static_cast<size_t>(stop - at);
        const size_t got = file.ReadAt(static_cast<uint64_t>(at), chunk, want);
        const void* zero = std::memchr(chunk, 0, got);
        text.append(chunk, zero ? static_cast<size_t>(static_cast<const char*>(zero) - chunk) : got);
        if (zero || got < want) return true;
        at += static_cast<int64_t>(got);
    }
}

// Walks the reader's chain: t = first table; a table is visited while t is
// not 0 and t <= S, and the walk ends at a table whose header cannot be read
// whole or that lies on one already visited.
class ReaderChain {
public:
    ReaderChain(IndexDatBytes& file, const Header& header)
        : file_(file), size_(header.size), next_(header.firstTable),
          length_(static_cast<int64_t>(std::min<uint64_t>(file.Length(), INT64_MAX / 2))) {}

    struct Table {
        int64_t offset = 0;
        int64_t entries = 0;  // n, may be 0 or negative
    };

    // `checkSignature`: the record pass ends at a table that is not "HASH";
    // the counting pass looks at no signature.
    bool Next(Table& table, bool checkSignature) {
        int64_t t = next_;
        if (t == 0 || t > size_ || t < 0) return false;
        if (checkSignature && !HasSignature(file_, t, "HASH")) return false;
        int32_t blocks = 0, next = 0;
        if (!ReadInt32(file_, t + 4, blocks) || !ReadInt32(file_, t + 8, next)) return false;
        table.offset = t;
        table.entries = EntryCount(blocks);
        int64_t end = t + kTableHeader + kEntrySize * std::max<int64_t>(table.entries, 0);
        end = std::max(std::min(end, length_), t + 12);
        // A table on one already visited ends the walk: a chain that leads
        // back, or tables laid over each other's entries, which would let a
        // small hostile file cost time quadratic in its size.
        if (!visited_.Claim(t, end)) return false;
        next_ = next;
        return true;
    }

private:
    IndexDatBytes& file_;
    int64_t size_;
    int64_t next_;
    int64_t length_;
    ByteRanges visited_;  // the tables' headers and entries
};

}  // namespace

void WalkIndexDat(IndexDatBytes& file, IndexDatProgress& progress, IndexDatRowSink& rows) {
    Header header;
    if (ReadHeader(file, header)) {
        // Counting pass: the sum of n over every table, non-positive n too.
        int64_t total = 0;
        if (progress.Shown()) {
            ReaderChain chain(file, header);
            ReaderChain::Table table;
            while (chain.Next(table, false)) total += table.entries;
        }

        // Record pass.
        ReaderChain chain(file, header);
        ReaderChain::Table table;
        int64_t counted = 0;
        std::string text;
        // Every address listed so far, and the stretches known to run into
        // one: an address that meets them is not listed (a second entry for
        // the same record, records laid over each other's addresses). So no
        // byte of the file is listed twice or scanned twice.
        ListedBytes listed;
        while (chain.Next(table, true)) {
            for (int64_t i = 0; i < table.entries; ++i) {
                const int64_t entry = table.offset + kTableHeader + i * kEntrySize;
                progress.PumpOneMessage();
                ++counted;
                if (total > 0) {
                    int64_t share = std::min<int64_t>(counted * 100 / total, 100);
                    if (share > progress.Position()) progress.SetPosition(static_cast<int>(share));
                }

                uint8_t flag = 0;
                int32_t record = 0;
                // The entries run in file order: once one lies past the
                // end of the data, so do all that follow.
                if (!ReadByte(file, entry, flag) || !ReadInt32(file, entry + 4, record)) break;
                if (flag == 1 || flag == 3) continue;  // deleted or free slot
                if (record >= header.size || record < 0) continue;

                uint64_t stamp = 0;
                int64_t textAt = 0;
                if (HasSignature(file, record, "URL ") || HasSignature(file, record, "LEAK")) {
                    uint8_t textOffset = 0;
                    if (!ReadUInt64(file, record + 16, stamp) ||
                        !ReadByte(file, record + 52, textOffset) || textOffset == 0)
                        continue;
                    textAt = record + textOffset;
                } else if (HasSignature(file, record, "REDR")) {
                    if (!ReadUInt64(file, record + 8, stamp)) continue;
                    textAt = record + 16;
                } else {
                    continue;
                }
                if (listed.Has(textAt)) continue;
                const bool whole = ReadText(file, textAt, listed, text);
                listed.Add(textAt, textAt + static_cast<int64_t>(text.size()));
                if (whole && !text.empty()) rows.OnRow(text, stamp);
            }
        }
    }
    progress.SetPosition(100);
}

namespace {

class ListSink final : public IndexDatRowSink {
public:
    ListSink(uint8_t imageIndex, std::vector<IndexDatAddress>& addresses,
             std::vector<std::wstring>& dates, const IndexDatText& text)
        : imageIndex_(imageIndex), addresses_(addresses), dates_(dates), text_(text) {}

    void OnRow(std::string_view address, uint64_t stamp) override {
        addresses_.push_back({text_.Address(address), imageIndex_});
        dates_.push_back(text_.Date(stamp));
    }

private:
    uint8_t imageIndex_;
    std::vector<IndexDatAddress>& addresses_;
    std::vector<std::wstring>& dates_;
    const IndexDatText& text_;
};

}  // namespace

void ReadIndexDatRows(IndexDatBytes& file, uint8_t imageIndex,
                      std::vector<IndexDatAddress>& addresses, std::vector<std::wstring>& dates,
                      IndexDatProgress& progress, const IndexDatText& text) {
    ListSink sink(imageIndex, addresses, dates, text);
    WalkIndexDat(file, progress, sink);
}

int IndexDatWipePasses(bool overwriteFile, int32_t overwriteNumber) {
    int32_t passes = overwriteFile ? overwriteNumber : 0;
    return std::clamp<int32_t>(passes, 1, 3);
}

bool WipeIndexDatPass(IndexDatWritableBytes& file, uint8_t filler) {
    Header header;
    if (!ReadHeader(file, header)) return true;
    const int64_t size = header.size;
    // Writes end at S, and never past the real end: the file must not grow.
    const int64_t limit =
        std::min<int64_t>(size, static_cast<int64_t>(std::min<uint64_t>(file.Length(), INT64_MAX)));

    uint8_t block[kWipeBlock];
    std::memset(block, filler, sizeof block);
    // Regions may overlap (a chain that zig-zags through the file): each
    // byte is written once per pass, by the first region that holds it.
    ByteRanges visited, written;
    for (int64_t t = header.firstTable; t != 0 && t <= size;) {
        if (t < 0 || !visited.Claim(t, t + 1)) break;
        if (!HasSignature(file, t, "HASH")) break;
        int32_t blocks = 0, next = 0;
        if (!ReadInt32(file, t + 4, blocks) || !ReadInt32(file, t + 8, next)) break;

        // The region: whole pieces while they end at S, then the rest of
        // the length (at most up to S), then cut at the real end.
        const int64_t begin = t + kTableHeader;
        const int64_t length = (next == 0 ? size : int64_t{next}) - begin;
        int64_t end = begin;
        if (length > 0) {
            const int64_t fit = size >= begin ? (size - begin) / int64_t{kWipeBlock} : 0;
            end += std::min(length / int64_t{kWipeBlock}, fit) * int64_t{kWipeBlock};
            if (end < size) end += std::min(length % int64_t{kWipeBlock}, size - end);
        }
        end = std::min(end, limit);
        // In 4096-byte pieces and then the rest.
        const bool ok = written.ForEachFreePart(begin, end, [&](int64_t from, int64_t to) {
            for (int64_t pos = from; pos < to; pos += int64_t{kWipeBlock}) {
                const size_t count = static_cast<size_t>(std::min<int64_t>(kWipeBlock, to - pos));
                if (!file.WriteAt(static_cast<uint64_t>(pos), block, count)) return false;
            }
            return true;
        });
        if (!ok) return false;
        written.Add(begin, end);
        t = next;
    }
    return true;
}

namespace {

// Days from 1 January of year 0 of the proleptic Gregorian calendar
// (H. Hinnant's days_from_civil, shifted to count from 1970-03-01).
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

void CivilFromDays(int64_t z, int64_t& y, unsigned& m, unsigned& d) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    y = static_cast<int64_t>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp < 10 ? mp + 3 : mp - 9;
    y += m <= 2;
}

bool IsLeap(unsigned y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

unsigned DaysInMonth(unsigned y, unsigned m) {
    static const unsigned days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && IsLeap(y) ? 29 : days[m - 1];
}

const int64_t kDateTimeEpoch = DaysFromCivil(1899, 12, 30);
constexpr int64_t kMsPerDay = 86400000;

}  // namespace

double CalendarToDateTime(const CalendarTime& f) {
    // The ranges a cache time stamp is accepted in.
    if (f.year > 2500 || f.month > 12 || f.dayOfWeek > 7 || f.day > 31 || f.hour > 24 ||
        f.minute > 60 || f.second > 60 || f.milliseconds > 1000)
        return 0;
    // Inside them, fields that name no real moment (month 0, 31 February,
    // 24:00, a 60th second...) cannot be encoded either.
    if (f.year < 1 || f.month < 1 || f.day < 1 || f.day > DaysInMonth(f.year, f.month) ||
        f.hour > 23 || f.minute > 59 || f.second > 59 || f.milliseconds > 999)
        return 0;
    const double days = static_cast<double>(DaysFromCivil(f.year, f.month, f.day) - kDateTimeEpoch);
    const double time =
        static_cast<double>(((f.hour * 60 + f.minute) * 60 + f.second) * 1000 + f.milliseconds) /
        kMsPerDay;
    return days >= 0 ? days + time : days - time;
}

bool DateTimeToCalendar(double value, CalendarTime& f) {
    if (!std::isfinite(value) || value < -693593.0 || value >= 2958466.0) return false;
    const double whole = std::trunc(value);
    int64_t ms = std::llround(std::fabs(value - whole) * kMsPerDay);
    if (ms >= kMsPerDay) ms = kMsPerDay - 1;
    int64_t y = 0;
    unsigned m = 0, d = 0;
    CivilFromDays(static_cast<int64_t>(whole) + kDateTimeEpoch, y, m, d);
    f.year = static_cast<uint16_t>(y);
    f.month = static_cast<uint16_t>(m);
    f.day = static_cast<uint16_t>(d);
    f.dayOfWeek = 0;
    f.hour = static_cast<uint16_t>(ms / 3600000);
    f.minute = static_cast<uint16_t>(ms / 60000 % 60);
    f.second = static_cast<uint16_t>(ms / 1000 % 60);
    f.milliseconds = static_cast<uint16_t>(ms % 1000);
    return true;
}

namespace {

void AppendNumber(unsigned value, bool twoDigits, std::wstring& out) {
    if (twoDigits || value >= 10) out += static_cast<wchar_t>(L'0' + value / 10 % 10);
    out += static_cast<wchar_t>(L'0' + value % 10);
}

bool IsAsciiLetter(wchar_t c) { return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z'); }

}  // namespace

TimeFormatPicture::TimeFormatPicture(std::wstring_view picture, std::wstring am, std::wstring pm)
    : am_(std::move(am)), pm_(std::move(pm)) {
    auto text = [this]() -> std::wstring& {
        if (parts_.empty() || parts_.back().field != Field::Text) parts_.push_back({});
        return parts_.back().text;
    };
    for (size_t i = 0; i < picture.size() && known_;) {
        const wchar_t c = picture[i];
        if (c == L'\'') {
            // How the system reads a quote left open, or two together, is
            // not settled here.
            const size_t close = picture.find(L'\'', i + 1);
            if (close == std::wstring_view::npos || close == i + 1 ||
                (close + 1 < picture.size() && picture[close + 1] == L'\'')) {
                known_ = false;
                break;
            }
            text() += picture.substr(i + 1, close - i - 1);
            i = close + 1;
            continue;
        }
        if (!IsAsciiLetter(c)) {
            text() += c;
            ++i;
            continue;
        }
        size_t run = 1;
        while (i + run < picture.size() && picture[i + run] == c) ++run;
        Field field = Field::Text;
        switch (c) {
            case L'h': field = Field::Hour12; break;
            case L'H': field = Field::Hour24; break;
            case L'm': field = Field::Minute; break;
            case L's': field = Field::Second; break;
            case L't': field = Field::Marker; break;
            default: break;
        }
        known_ = field != Field::Text && run <= 2;
        parts_.push_back({field, run == 2, {}});
        i += run;
    }
}

void TimeFormatPicture::Append(unsigned hour, unsigned minute, unsigned second, std::wstring& out) const {
    const std::wstring& marker = hour < 12 ? am_ : pm_;
    for (const Part& part : parts_) {
        switch (part.field) {
            case Field::Text: out += part.text; break;
            case Field::Hour12: AppendNumber(hour % 12 == 0 ? 12 : hour % 12, part.twoLetters, out); break;
            case Field::Hour24: AppendNumber(hour, part.twoLetters, out); break;
            case Field::Minute: AppendNumber(minute, part.twoLetters, out); break;
            case Field::Second: AppendNumber(second, part.twoLetters, out); break;
            case Field::Marker:
                if (part.twoLetters) out += marker;
                else if (!marker.empty()) out += marker.front();
                break;
        }
    }
}

}  // namespace klarvex
