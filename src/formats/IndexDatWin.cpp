// The Windows side of the index.dat reader and wiper: the file itself,
// local time and the user's date and time formats.

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstring>
#include <random>
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
        OVERLAPPED where{};
        where.Offset = static_cast<DWORD>(index * kPageSize);
        where.OffsetHigh = static_cast<DWORD>((index * kPageSize) >> 32);
        DWORD got = 0;
        if (!ReadFile(file_, victim->data.data(), static_cast<DWORD>(kPageSize), &got, &where)) {
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

std::wstring FormatDateTime(double value) {
    CalendarTime f;
    if (!DateTimeToCalendar(value, f)) return L"";
    SYSTEMTIME st{};
    st.wYear = f.year;
    st.wMonth = f.month;
    st.wDay = f.day;
    st.wHour = f.hour;
    st.wMinute = f.minute;
    st.wSecond = f.second;
    st.wMilliseconds = f.milliseconds;
    wchar_t date[128] = L"", time[128] = L"";
    if (!GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &st, nullptr, date, 128)) return L"";
    std::wstring text = date;
    // At exactly midnight only the date is written.
    if (f.hour != 0 || f.minute != 0 || f.second != 0 || f.milliseconds != 0) {
        if (GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &st, nullptr, time, 128)) {
            text += L' ';
            text += time;
        }
    }
    return text;
}

}  // namespace

double CacheTimeToDate(uint64_t stamp) {
    FILETIME utc{static_cast<DWORD>(stamp), static_cast<DWORD>(stamp >> 32)};
    FILETIME local{};
    SYSTEMTIME st{};
    if (!FileTimeToLocalFileTime(&utc, &local) || !FileTimeToSystemTime(&local, &st)) return 0;
    CalendarTime f;
    f.year = st.wYear;
    f.month = st.wMonth;
    f.dayOfWeek = st.wDayOfWeek;
    f.day = st.wDay;
    f.hour = st.wHour;
    f.minute = st.wMinute;
    f.second = st.wSecond;
    f.milliseconds = st.wMilliseconds;
    return CalendarToDateTime(f);
}

std::wstring IndexDatDateText(uint64_t stamp) {
    const double value = CacheTimeToDate(stamp);
    if (value == 0) return L"Not Available";
    std::wstring text = FormatDateTime(value);
    return text.empty() ? L"Not Available" : text;
}

// IE stores addresses in the ANSI code page of the system that wrote them;
// the system code page is our best guess at it.
std::wstring IndexDatSystemText::Address(std::string_view bytes) const {
    if (bytes.empty()) return {};
    const int size = static_cast<int>(std::min<size_t>(bytes.size(), INT_MAX / 2));
    const int n = MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, nullptr, 0);
    std::wstring text(static_cast<size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0) MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, text.data(), n);
    return text;
}

std::wstring IndexDatSystemText::Date(uint64_t stamp) const { return IndexDatDateText(stamp); }

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
