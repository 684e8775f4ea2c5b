// The Windows side of the index.dat reader and wiper: the file itself,
// local time and the user's date and time formats.

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstring>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "base/Handles.h"
#include "formats/IndexDat.h"

namespace klarvex {
namespace {

// A file read through a few cached 64 KiB pages: the walk reads the hash
// entries in order and jumps to a record for each, so a handful of pages
// serve it without one system call per field. Writes go straight to the
// file and into the pages they touch.
class FileBytes final : public IndexDatWritableBytes {
public:
    FileBytes(HANDLE file, uint64_t length) : file_(file), length_(length) {}

    uint64_t Length() const override { return length_; }

    size_t ReadAt(uint64_t offset, void* dest, size_t count) override {
        size_t done = 0;
        auto* out = static_cast<uint8_t*>(dest);
        while (done < count && offset + done < length_) {
            const uint64_t at = offset + done;
            const Page* page = Load(at / kPageSize);
            if (!page) break;
            const size_t inPage = static_cast<size_t>(at % kPageSize);
            if (inPage >= page->data.size()) break;  // the file ended early
            const size_t n = std::min(count - done, page->data.size() - inPage);
            std::memcpy(out + done, page->data.data() + inPage, n);
            done += n;
        }
        return done;
    }

    bool WriteAt(uint64_t offset, const void* source, size_t count) override {
        if (offset > length_ || count > length_ - offset) return false;
        OVERLAPPED where{};
        where.Offset = static_cast<DWORD>(offset);
        where.OffsetHigh = static_cast<DWORD>(offset >> 32);
        DWORD written = 0;
        const bool ok = WriteFile(file_, source, static_cast<DWORD>(count), &written, &where) &&
                        written == count;
        // The pages it touched take the new bytes, so a wipe that reads
        // between its writes does not load them again. A failed write (what
        // reached the file is unknown) or one past a page's short end (the
        // file grew since) drops the page instead.
        for (Page& page : pages_) {
            const uint64_t begin = page.index * kPageSize, end = begin + page.data.size();
            if (!page.used || begin + kPageSize <= offset || offset + count <= begin) continue;
            const uint64_t from = std::max(begin, offset), to = std::min(begin + kPageSize, offset + count);
            if (!ok || to > end) {
                page.used = false;
                continue;
            }
            std::memcpy(page.data.data() + (from - begin),
                        static_cast<const uint8_t*>(source) + (from - offset), static_cast<size_t>(to - from));
        }
        return ok;
    }

private:
    static constexpr uint64_t kPageSize = 64 * 1024;
    static constexpr size_t kPages = 16;

    struct Page {
        bool used = false;
        uint64_t index = 0;
        uint64_t lastUse = 0;
        std::vector<uint8_t> data;
    };

    const Page* Load(uint64_t index) {
        Page* victim = &pages_[0];
        for (Page& page : pages_) {
            if (page.used && page.index == index) {
                page.lastUse = ++clock_;
                return &page;
            }
            if (!page.used || (victim->used && page.lastUse < victim->lastUse)) victim = &page;
        }
        victim->data.resize(kPageSize);
        // Moved to and read from rather than read with an OVERLAPPED offset:
        // under Wine that costs a call to its server for every read.
        LARGE_INTEGER where{};
        where.QuadPart = static_cast<LONGLONG>(index * kPageSize);
        DWORD got = 0;
        if (!SetFilePointerEx(file_, where, nullptr, FILE_BEGIN) ||
            !ReadFile(file_, victim->data.data(), static_cast<DWORD>(kPageSize), &got, nullptr)) {
            victim->used = false;
            return nullptr;
        }
        victim->data.resize(got);
        victim->used = true;
        victim->index = index;
        victim->lastUse = ++clock_;
        return victim;
    }

    HANDLE file_;
    uint64_t length_;
    uint64_t clock_ = 0;
    Page pages_[kPages];
};

FileHandle OpenShared(const std::wstring& path, DWORD access) {
    return FileHandle(CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

uint64_t LengthOf(HANDLE file) {
    LARGE_INTEGER size{};
    return GetFileSizeEx(file, &size) && size.QuadPart > 0 ? static_cast<uint64_t>(size.QuadPart)
                                                             : 0;
}

constexpr wchar_t kNotAvailable[] = L"Not Available";

SYSTEMTIME ToSystemTime(const CalendarTime& f) {
    SYSTEMTIME st{};
    st.wYear = f.year;
    st.wMonth = f.month;
    st.wDay = f.day;
    st.wHour = f.hour;
    st.wMinute = f.minute;
    st.wSecond = f.second;
    st.wMilliseconds = f.milliseconds;
    return st;
}

// The user's short date of the fields' day; false when the system gives none.
bool AppendShortDate(const CalendarTime& f, std::wstring& out) {
    const SYSTEMTIME st = ToSystemTime(f);
    wchar_t date[128] = L"";
    if (!GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &st, nullptr, date, 128)) return false;
    out += date;
    return true;
}

// The user's long time of the fields' time of day; false when the system
// gives none.
bool AppendLongTime(const CalendarTime& f, std::wstring& out) {
    const SYSTEMTIME st = ToSystemTime(f);
    wchar_t time[128] = L"";
    if (!GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &st, nullptr, time, 128)) return false;
    out += time;
    return true;
}

// At exactly midnight only the date is written.
bool IsMidnight(const CalendarTime& f) {
    return f.hour == 0 && f.minute == 0 && f.second == 0 && f.milliseconds == 0;
}

std::wstring FormatDateTime(double value) {
    CalendarTime f;
    std::wstring text;
    if (!DateTimeToCalendar(value, f) || !AppendShortDate(f, text)) return L"";
    if (!IsMidnight(f)) {
        text += L' ';
        if (!AppendLongTime(f, text)) text.pop_back();
    }
    return text;
}

CalendarTime FromSystemTime(const SYSTEMTIME& st) {
    CalendarTime f;
    f.year = st.wYear;
    f.month = st.wMonth;
    f.dayOfWeek = st.wDayOfWeek;
    f.day = st.wDay;
    f.hour = st.wHour;
    f.minute = st.wMinute;
    f.second = st.wSecond;
    f.milliseconds = st.wMilliseconds;
    return f;
}

uint64_t ToUInt64(const FILETIME& time) { return uint64_t{time.dwHighDateTime} << 32 | time.dwLowDateTime; }

// The zone's offset as FileTimeToLocalFileTime takes it off: the offset of
// the present moment, whatever the season of the stamp converted, so one
// value serves every stamp.
uint64_t LocalTimeBias() {
    const FILETIME utc{0, 0x01D00000};
    FILETIME local{};
    FileTimeToLocalFileTime(&utc, &local);
    return ToUInt64(utc) - ToUInt64(local);
}

std::wstring LocaleText(LCTYPE type) {
    wchar_t text[128] = L"";
    GetLocaleInfoW(LOCALE_USER_DEFAULT, type, text, 128);
    return text;
}

// Whether the picture gives the system's own text at sample times: every
// hour, with minutes and seconds of one digit and of two.
bool GivesTheSystemsTimes(const TimeFormatPicture& picture) {
    if (!picture.Known()) return false;
    for (uint16_t hour = 0; hour < 24; ++hour) {
        for (const auto& [minute, second] : {std::pair<uint16_t, uint16_t>{5, 9}, {59, 30}}) {
            CalendarTime f;
            f.year = 2000;
            f.month = 1;
            f.day = 1;
            f.hour = hour;
            f.minute = minute;
            f.second = second;
            std::wstring system, built;
            if (!AppendLongTime(f, system)) return false;
            picture.Append(hour, minute, second, built);
            if (built != system) return false;
        }
    }
    return true;
}

}  // namespace

double CacheTimeToDate(uint64_t stamp) {
    FILETIME utc{static_cast<DWORD>(stamp), static_cast<DWORD>(stamp >> 32)};
    FILETIME local{};
    SYSTEMTIME st{};
    if (!FileTimeToLocalFileTime(&utc, &local) || !FileTimeToSystemTime(&local, &st)) return 0;
    return CalendarToDateTime(FromSystemTime(st));
}

std::wstring IndexDatDateText(uint64_t stamp) {
    const double value = CacheTimeToDate(stamp);
    if (value == 0) return kNotAvailable;
    std::wstring text = FormatDateTime(value);
    return text.empty() ? kNotAvailable : text;
}

IndexDatDateTexts::IndexDatDateTexts()
    : bias_(LocalTimeBias()),
      time_(LocaleText(LOCALE_STIMEFORMAT), LocaleText(LOCALE_S1159), LocaleText(LOCALE_S2359)),
      timeFromPicture_(GivesTheSystemsTimes(time_)) {}

void IndexDatDateTexts::Append(uint64_t stamp, std::wstring& out) {
    if (!timeFromPicture_) {
        out += IndexDatDateText(stamp);
        return;
    }
    // Unsigned, so it wraps where FileTimeToLocalFileTime's sum does.
    const uint64_t localTime = stamp - bias_;
    const FILETIME local{static_cast<DWORD>(localTime), static_cast<DWORD>(localTime >> 32)};
    SYSTEMTIME st{};
    CalendarTime f;
    if (FileTimeToSystemTime(&local, &st)) f = FromSystemTime(st);
    // IndexDatDateText takes the fields through the date-time value and
    // back. For every value it lets through (years 1601 to 2500) that gives
    // the same fields to the millisecond, so only its rule-outs are kept.
    const Day* day = CalendarToDateTime(f) != 0 ? &DayOf(f) : nullptr;
    if (!day || !day->formatted) {
        out += kNotAvailable;
        return;
    }
    out += day->text;
    if (IsMidnight(f)) return;
    out += L' ';
    time_.Append(f.hour, f.minute, f.second, out);
}

const IndexDatDateTexts::Day& IndexDatDateTexts::DayOf(const CalendarTime& f) {
    const uint32_t key = (uint32_t{f.year} * 16 + f.month) * 32 + f.day;
    if (lastDay_ && key == lastKey_) return *lastDay_;
    auto [day, added] = days_.try_emplace(key);
    if (added) day->second.formatted = AppendShortDate(f, day->second.text);
    lastKey_ = key;
    lastDay_ = &day->second;
    return day->second;
}

// IE stores addresses in the ANSI code page of the system that wrote them;
// the system code page is our best guess at it.
void AppendIndexDatAddress(std::string_view bytes, std::wstring& out) {
    const int size = static_cast<int>(std::min<size_t>(bytes.size(), INT_MAX / 2));
    if (size == 0) return;
    const size_t at = out.size();
    // No code page makes more UTF-16 units than it reads bytes, so one call
    // does; the length is asked for only should one do so after all.
    out.resize(at + static_cast<size_t>(size));
    int n = MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, out.data() + at, size);
    if (n == 0 && GetLastError() == ERROR_INSUFFICIENT_BUFFER) {
        const int needed = MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, nullptr, 0);
        out.resize(at + static_cast<size_t>(std::max(needed, 0)));
        n = MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, out.data() + at, needed);
    }
    out.resize(at + static_cast<size_t>(std::max(n, 0)));
}

std::wstring IndexDatSystemText::Address(std::string_view bytes) const {
    std::wstring text;
    AppendIndexDatAddress(bytes, text);
    return text;
}

std::wstring IndexDatSystemText::Date(uint64_t stamp) const {
    std::wstring text;
    dates_.Append(stamp, text);
    return text;
}

bool WalkIndexDatFile(const std::wstring& path, IndexDatProgress& progress, IndexDatRowSink& rows) {
    FileHandle file = OpenShared(path, GENERIC_READ);
    if (!file) return false;
    FileBytes bytes(file.Get(), LengthOf(file.Get()));
    WalkIndexDat(bytes, progress, rows);
    return true;
}

bool ReadIndexDat(const std::wstring& path, uint8_t imageIndex,
                  std::vector<IndexDatAddress>& addresses, std::vector<std::wstring>& dates,
                  IndexDatProgress& progress) {
    FileHandle file = OpenShared(path, GENERIC_READ);
    if (!file) return false;
    FileBytes bytes(file.Get(), LengthOf(file.Get()));
    ReadIndexDatRows(bytes, imageIndex, addresses, dates, progress, IndexDatSystemText());
    return true;
}

bool WipeIndexDat(const std::wstring& path, bool overwriteFile, int32_t overwriteNumber,
                  const std::function<void(int pass, uint8_t filler)>& afterPass) {
    try {
        const DWORD attributes = GetFileAttributesW(path.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
        // Overwriting through a link would destroy another file's bytes.
        if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return false;
        // Windows refuses to open a read-only file for writing; Wine running
        // as root would open it, so the attribute is checked here.
        if (attributes & FILE_ATTRIBUTE_READONLY) return false;

        const int passes = IndexDatWipePasses(overwriteFile, overwriteNumber);
        std::minstd_rand random(static_cast<unsigned>(
            std::chrono::high_resolution_clock::now().time_since_epoch().count()));
        std::uniform_int_distribution<int> anyByte(0, 254);

        for (int pass = 1; pass <= passes; ++pass) {
            FileHandle file = OpenShared(path, GENERIC_READ | GENERIC_WRITE);
            if (!file) return false;
            BY_HANDLE_FILE_INFORMATION info{};
            if (!GetFileInformationByHandle(file.Get(), &info) || info.nNumberOfLinks > 1 ||
                (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
                return false;
            const uint8_t filler = pass == passes ? 0 : static_cast<uint8_t>(anyByte(random));
            FileBytes bytes(file.Get(), LengthOf(file.Get()));
            if (!WipeIndexDatPass(bytes, filler)) return false;
            // Each pass must reach the disk, not merge with the next in the cache.
            FlushFileBuffers(file.Get());
            file.Reset();
            if (afterPass) afterPass(pass, filler);
        }
        return true;
    } catch (...) {
        // A failed wipe ends here: the cleaner goes on with its item.
        return false;
    }
}

}  // namespace klarvex
