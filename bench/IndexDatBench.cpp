// index.dat reading speed: a synthetic file of 200,000 "URL " records read
// through `klarvex-cli --index-dat`, against a baseline that only reads the
// file's bytes once. Both are timed in the same run, so the ratio means
// something on a noisy machine. Then the viewer's own read of the file into
// its row store, as its window makes it: how long until the list has rows
// to show (it shows them at every new percent of the read) and until it has
// all of them.
//
//   index_dat_bench.exe [RECORDS]    (klarvex-cli.exe must sit beside it)

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "IndexDatSynthetic.h"
#include "formats/IndexDatView.h"

namespace {

double Now() {
    static LARGE_INTEGER freq = [] { LARGE_INTEGER f; QueryPerformanceFrequency(&f); return f; }();
    LARGE_INTEGER c;
    QueryPerformanceCounter(&c);
    return double(c.QuadPart) / double(freq.QuadPart);
}

// The least work for the same job: open the file and read its bytes once.
uint64_t ReadOnce(const std::wstring& path) {
    HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return 0;
    std::vector<uint8_t> buf(1 << 20);
    uint64_t sum = 0;
    DWORD got = 0;
    while (ReadFile(f, buf.data(), static_cast<DWORD>(buf.size()), &got, nullptr) && got) sum += got;
    CloseHandle(f);
    return sum;
}

// Runs the command line with stdout into `out`; returns its exit code.
DWORD RunTo(std::wstring command, const std::wstring& out) {
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    HANDLE file = CreateFileW(out.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &sa, CREATE_ALWAYS, 0, nullptr);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = file;
    si.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION pi{};
    DWORD code = 999;
    if (CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) {
        WaitForSingleObject(pi.hProcess, INFINITE);
        GetExitCodeProcess(pi.hProcess, &code);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }
    CloseHandle(file);
    return code;
}

// The viewer's progress display without its window: it notes when the rows
// read so far would first be shown, and lets pending messages through every
// 15 ms as the viewer does.
class ViewerProgress final : public klarvex::IndexDatProgress {
public:
    ViewerProgress(const klarvex::TIndexDatRows& rows, double start) : rows_(rows), start_(start) {}
    int Position() const override { return position_; }
    void SetPosition(int percent) override {
        position_ = percent;
        if (firstRows < 0 && rows_.Count() > 0) firstRows = Now() - start_;
    }
    void PumpOneMessage() override {
        const ULONGLONG now = GetTickCount64();
        if (now - lastPump_ < 15) return;
        lastPump_ = now;
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    }

    double firstRows = -1;

private:
    const klarvex::TIndexDatRows& rows_;
    double start_;
    int position_ = 0;
    ULONGLONG lastPump_ = 0;
};

size_t CountLines(const std::wstring& path) {
    HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return 0;
    std::vector<char> buf(1 << 20);
    size_t lines = 0;
    DWORD got = 0;
    while (ReadFile(f, buf.data(), static_cast<DWORD>(buf.size()), &got, nullptr) && got)
        for (DWORD i = 0; i < got; ++i) lines += buf[i] == '\n';
    CloseHandle(f);
    return lines;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const int records = argc > 1 ? _wtoi(argv[1]) : 200000;
    wchar_t exe[MAX_PATH];
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring dir = exe;
    dir.erase(dir.find_last_of(L'\\') + 1);
    const std::wstring data = dir + L"bench-index.dat", out = dir + L"bench-rows.txt";

    std::vector<uint8_t> bytes = klarvex::BuildSyntheticIndexDat(records);
    HANDLE f = CreateFileW(data.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(f);

    // Warm the file cache and the program's image, then time each three times.
    ReadOnce(data);
    RunTo(L"\"" + dir + L"klarvex-cli.exe\" --index-dat \"" + data + L"\"", out);
    // A file without tables: what starting the program costs.
    const std::wstring empty = dir + L"bench-empty.dat";
    f = CreateFileW(empty.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    WriteFile(f, bytes.data(), 36, &written, nullptr);
    CloseHandle(f);
    double baseline = 1e9, cli = 1e9, startup = 1e9;
    for (int i = 0; i < 3; ++i) {
        double s0 = Now();
        RunTo(L"\"" + dir + L"klarvex-cli.exe\" --index-dat \"" + empty + L"\"", out);
        startup = std::min(startup, Now() - s0);
        double t0 = Now();
        if (ReadOnce(data) != bytes.size()) return 1;
        baseline = std::min(baseline, Now() - t0);
        t0 = Now();
        if (RunTo(L"\"" + dir + L"klarvex-cli.exe\" --index-dat \"" + data + L"\"", out) != 0) return 1;
        cli = std::min(cli, Now() - t0);
    }
    RunTo(L"\"" + dir + L"klarvex-cli.exe\" --index-dat \"" + data + L"\"", out);
    const size_t rows = CountLines(out);
    std::printf("index.dat benchmark: %d records, file %.1f MB\n", records, bytes.size() / 1048576.0);
    std::printf("  baseline (read the bytes once):  %8.3f s\n", baseline);
    std::printf("  klarvex-cli --index-dat:         %8.3f s  (%zu rows, %.0f rows/s)\n", cli, rows, rows / cli);
    std::printf("  klarvex-cli on a file without tables (start-up): %.3f s\n", startup);
    std::printf("  ratio cli / baseline:            %8.1f\n", cli / baseline);
    std::printf("  ratio (cli - start-up) / baseline: %6.1f\n", (cli - startup) / baseline);

    double firstRows = 1e9, allRows = 1e9;
    size_t viewerRows = 0;
    for (int i = 0; i < 3; ++i) {
        klarvex::TIndexDatRows rows;
        const double t0 = Now();
        ViewerProgress progress(rows, t0);
        rows.Read(data, progress);
        allRows = std::min(allRows, Now() - t0);
        firstRows = std::min(firstRows, progress.firstRows);
        viewerRows = rows.Count();
    }
    std::printf("  viewer's read: first rows after   %8.3f s, all %zu after %.3f s\n", firstRows, viewerRows, allRows);
    DeleteFileW(data.c_str());
    DeleteFileW(out.c_str());
    DeleteFileW(empty.c_str());
    return rows == size_t(records) && viewerRows == size_t(records) ? 0 : 2;
}
