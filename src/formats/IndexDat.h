#pragma once

// Reading and wiping Internet Explorer's index.dat files.
//
// Both operations follow the file's chain of hash tables:
//
//   file header   +28 int32  recorded file size S (every bound check uses S)
//                 +32 int32  offset of the first hash table, 0 = none
//   hash table t  +0  "HASH", +4 int32 size B in 128-byte blocks,
//                 +8  int32 offset of the next table (0 = last),
//                 +32 the hash entries, (B * 128 - 32) / 8 of them
//   hash entry    +0  hash word (low byte 1 or 3: deleted or free slot),
//                 +4  int32 offset R of the record
//   record R      "URL " / "LEAK": time stamp at +16, address at R + byte[R+52]
//                 "REDR":          time stamp at +8,  address at R + 16
//
// The walk itself (this header's first half) looks at nothing but the bytes
// it is given, so it builds and is tested and fuzzed on any platform. Every
// read is checked against the real length of the data: a field that cannot
// be read whole counts as absent, never as zeros.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace klarvex {

// Random access to a file's bytes.
class IndexDatBytes {
public:
    virtual ~IndexDatBytes() = default;
    // The real length of the data.
    virtual uint64_t Length() const = 0;
    // Copies up to `count` bytes from `offset` into `dest` and returns how
    // many it copied: fewer at the end of the data, 0 past it.
    virtual size_t ReadAt(uint64_t offset, void* dest, size_t count) = 0;
};

// Bytes that can also be overwritten in place (never extended).
class IndexDatWritableBytes : public IndexDatBytes {
public:
    // Writes `count` bytes at `offset`; false when the write failed.
    // Callers never write past Length().
    virtual bool WriteAt(uint64_t offset, const void* source, size_t count) = 0;
};

// A block of memory seen as a file.
class IndexDatMemory final : public IndexDatWritableBytes {
public:
    IndexDatMemory(uint8_t* data, size_t size) : data_(data), size_(size) {}
    explicit IndexDatMemory(std::vector<uint8_t>& data) : data_(data.data()), size_(data.size()) {}
    uint64_t Length() const override { return size_; }
    size_t ReadAt(uint64_t offset, void* dest, size_t count) override;
    bool WriteAt(uint64_t offset, const void* source, size_t count) override;

private:
    uint8_t* data_;
    size_t size_;
};

// How the reader shows its progress and keeps its caller's window alive.
// The viewer hands in one that drives its progress bar and dispatches one
// pending window message per call of PumpOneMessage; the command-line tool
// hands in one that does nothing.
class IndexDatProgress {
public:
    virtual ~IndexDatProgress() = default;
    virtual int Position() const = 0;  // 0 to 100
    virtual void SetPosition(int percent) = 0;
    virtual void PumpOneMessage() {}
    // False when no one sees the position: the walk then leaves out its
    // counting pass, which serves the share shown and nothing else.
    virtual bool Shown() const { return true; }
};

// A progress display that no one sees and that only remembers its position.
class IndexDatSilentProgress final : public IndexDatProgress {
public:
    int Position() const override { return position_; }
    void SetPosition(int percent) override { position_ = percent; }
    bool Shown() const override { return false; }

private:
    int position_ = 0;
};

// Receives the web addresses in the order of the walk: the address's bytes
// as stored in the file (without the terminating 0, never empty) and the
// record's 8-byte time stamp (a FILETIME value, UTC).
class IndexDatRowSink {
public:
    virtual ~IndexDatRowSink() = default;
    virtual void OnRow(std::string_view address, uint64_t stamp) = 0;
};

// The reader's whole walk over one file: a counting pass for the progress
// share (when the progress is Shown()), then the record pass that reports
// every address to `rows`. Raises the progress position only, and sets it
// to 100 at the end.
// An address that shares a byte with one reported before in the same walk
// is not reported (a second entry for the same record, records laid over
// each other's addresses): the rows are disjoint pieces of the file, so
// together they are never longer than the file, and no byte is scanned for
// an address twice.
void WalkIndexDat(IndexDatBytes& file, IndexDatProgress& progress, IndexDatRowSink& rows);

// Turns what the file holds into the texts the program shows.
class IndexDatText {
public:
    virtual ~IndexDatText() = default;
    virtual std::wstring Address(std::string_view bytes) const = 0;
    virtual std::wstring Date(uint64_t stamp) const = 0;
};

// One entry of the address list: the text and its image index.
struct IndexDatAddress {
    std::wstring text;
    uint8_t imageIndex = 0;
};

// Appends one row per address to the caller's two parallel lists.
void ReadIndexDatRows(IndexDatBytes& file, uint8_t imageIndex,
                      std::vector<IndexDatAddress>& addresses, std::vector<std::wstring>& dates,
                      IndexDatProgress& progress, const IndexDatText& text);

// Number of overwrite passes for the settings: 1 to 3, whatever they say.
int IndexDatWipePasses(bool overwriteFile, int32_t overwriteNumber);

// One overwrite pass: every table's region from its first hash entry up to
// the next table (the last table: up to the recorded size S) is filled with
// `filler`, in 4096-byte pieces and then the rest. Writes stay inside
// [t + 32, min(S, real length)) of each table t. Regions that overlap (a
// chain that zig-zags through the file) are not written twice: a region's
// bytes that an earlier region of the pass wrote are left out, so no byte
// is written more than once per pass. Returns false when a write failed
// (the wipe then stops).
bool WipeIndexDatPass(IndexDatWritableBytes& file, uint8_t filler);

// The toolkit's date-time value: days since 30 December 1899, the time of
// day as the fraction (for days before that date the fraction counts
// backwards, so -1.25 is 29 December 1899, 06:00).
struct CalendarTime {
    uint16_t year = 0, month = 0, dayOfWeek = 0, day = 0;
    uint16_t hour = 0, minute = 0, second = 0, milliseconds = 0;
};
// 0 when the fields are outside the ranges a cache time stamp may have.
double CalendarToDateTime(const CalendarTime& fields);
// The fields of a date-time value (day of week not filled in); false for
// values outside years 1 to 9999.
bool DateTimeToCalendar(double value, CalendarTime& fields);

// A time format picture of the user's locale ("h:mm:ss tt", "HH:mm:ss",
// "H' h 'mm"...) laid out for a time of day without asking the system: h,
// hh, H, HH (hours of 12 and of 24), m, mm, s, ss, t, tt (the first letter
// of the AM or PM text, or all of it) and text in single quotes. A picture
// with anything else - another letter, a letter three times in a row, a
// quote that is not closed or two together - is not Known(), and the times
// are left to the system.
class TimeFormatPicture {
public:
    TimeFormatPicture(std::wstring_view picture, std::wstring am, std::wstring pm);
    bool Known() const noexcept { return known_; }
    // Appends the time of day (hour 0 to 23) to `out`.
    void Append(unsigned hour, unsigned minute, unsigned second, std::wstring& out) const;

private:
    enum class Field : uint8_t { Text, Hour12, Hour24, Minute, Second, Marker };
    struct Part {
        Field field = Field::Text;
        bool twoLetters = false;  // hh, mm, ss: two digits; tt: the whole text
        std::wstring text;
    };
    std::vector<Part> parts_;
    std::wstring am_, pm_;
    bool known_ = true;
};

#ifdef _WIN32
// ---- Windows side: files, local time, the user's formats ----

// Local date and time of a cache time stamp as a date-time value, or 0 when
// the stamp cannot be converted.
double CacheTimeToDate(uint64_t stamp);

// The date column's text: the user's short date, a blank and the long time
// (the time left out at exactly midnight), or "Not Available". Asks the
// system for all of it, for this one stamp.
std::wstring IndexDatDateText(uint64_t stamp);

// The date column's texts of many stamps, each the one IndexDatDateText
// gives, at a fraction of its cost: the zone's offset is asked for once,
// the short date once per day, and the time of day is laid out by the
// user's time format picture - when that picture is Known() and gives the
// system's own texts for a set of sample times; otherwise every stamp goes
// to IndexDatDateText.
class IndexDatDateTexts {
public:
    IndexDatDateTexts();
    // Appends the text of `stamp` to `out`.
    void Append(uint64_t stamp, std::wstring& out);

private:
    struct Day {
        bool formatted = false;
        std::wstring text;
    };
    const Day& DayOf(const CalendarTime& fields);

    uint64_t bias_ = 0;  // UTC minus local time, in FILETIME units
    TimeFormatPicture time_;
    bool timeFromPicture_ = false;
    std::unordered_map<uint32_t, Day> days_;  // by year, month and day
    uint32_t lastKey_ = 0;                    // rows come in runs of one day
    const Day* lastDay_ = nullptr;
};

// Appends the address's bytes, read in the system code page, to `out`.
void AppendIndexDatAddress(std::string_view bytes, std::wstring& out);

// Addresses in the system code page, dates as above.
class IndexDatSystemText final : public IndexDatText {
public:
    std::wstring Address(std::string_view bytes) const override;
    std::wstring Date(uint64_t stamp) const override;

private:
    mutable IndexDatDateTexts dates_;  // what it learns of the formats, kept between rows
};

// Walks one index.dat file (shared for reading and writing), telling `rows`
// of each address as it is found; false when the file cannot be opened.
bool WalkIndexDatFile(const std::wstring& path, IndexDatProgress& progress, IndexDatRowSink& rows);

// Lists the addresses of one index.dat file. A file that cannot be opened
// (shared for reading and writing) yields no rows and leaves the progress
// alone; the result says whether it could be opened.
bool ReadIndexDat(const std::wstring& path, uint8_t imageIndex,
                  std::vector<IndexDatAddress>& addresses, std::vector<std::wstring>& dates,
                  IndexDatProgress& progress);

// Overwrites one index.dat file in place with IndexDatWipePasses passes:
// random fillers, zeros in the last pass. Files that are links or have more
// than one hard link are left alone. Every failure is swallowed; the result
// says whether every pass was made.
// `afterPass`, when given, is told of each pass made and its filler byte.
bool WipeIndexDat(const std::wstring& path, bool overwriteFile, int32_t overwriteNumber,
                  const std::function<void(int pass, uint8_t filler)>& afterPass = {});
#endif

}  // namespace klarvex
