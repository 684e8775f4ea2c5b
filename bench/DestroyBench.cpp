// Shredding and free-space wiping speed: `klarvex-cli --wipe-free-space D:`
// against a bare program that writes the same drive full sequentially, and
// `klarvex-cli --shred` of a folder of small files against a bare
// DeleteFileW loop. Both sides are programs of their own, timed in the same
// run, round after round; each ratio printed is the median of the rounds'.
// Drive D: is a small drive of its own (destroy-bench.sh mounts one), never
// this machine's disk.
//
//   destroy_bench.exe [SHRED_FILES] [ROUNDS]
//   destroy_bench.exe --write            the baseline: D: written full, then given back; MB as exit code
//   destroy_bench.exe --delete-loop      the baseline: the shred folder's files deleted; count as exit code
// (klarvex-cli.exe must sit beside it.)

#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "BenchRun.h"

namespace {

const std::wstring kDrive = L"D:\\";
const std::wstring kShredFolder = L"D:\\klarvex-shred-bench";

uint64_t FreeBytes() {
    ULARGE_INTEGER available{};
    GetDiskFreeSpaceExW(kDrive.c_str(), &available, nullptr, nullptr);
    return available.QuadPart;
}

// The least a wipe can do: one file, written full in megabyte blocks of
// random bytes, flushed, and deleted when closed.
int BareWrite() {
    std::vector<uint64_t> block((1u << 20) / sizeof(uint64_t));
    std::mt19937_64 random(1);
    std::generate(block.begin(), block.end(), [&] { return random(); });
    HANDLE file = CreateFileW((kDrive + L"bare-write.tmp").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    uint64_t written = 0;
    DWORD wrote = 0;
    while (WriteFile(file, block.data(), 1u << 20, &wrote, nullptr) && wrote == 1u << 20) written += wrote;
    FlushFileBuffers(file);
    CloseHandle(file);
    return static_cast<int>(written >> 20);
}

void MakeShredFolder(int files) {
    CreateDirectoryW(kShredFolder.c_str(), nullptr);
    const char content[] = "klarvex shred bench file\r\n";
    for (int i = 0; i < files; ++i) {
        HANDLE h = CreateFileW((kShredFolder + L"\\f" + std::to_wstring(i) + L".tmp").c_str(), GENERIC_WRITE, 0,
                               nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written;
        WriteFile(h, content, sizeof content - 1, &written, nullptr);
        CloseHandle(h);
    }
}

int BareDeleteLoop() {
    int count = 0;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((kShredFolder + L"\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return 0;
    do {
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
            DeleteFileW((kShredFolder + L"\\" + data.cFileName).c_str()))
            ++count;
    } while (FindNextFileW(find, &data));
    FindClose(find);
    RemoveDirectoryW(kShredFolder.c_str());
    return count;
}

void Print(const char* name, const std::vector<double>& ratios, double seconds, SIZE_T peak) {
    std::printf("%-22s rounds:", name);
    for (const double ratio : ratios) std::printf(" %.2f", ratio);
    const std::string memory = peak ? std::to_string(peak / 1024) + " KB" : "unknown";
    std::printf("\n%-22s %8.3f s  ratio %.2f  peak working set %s\n", name, seconds, Median(ratios), memory.c_str());
}

void CompareWipes(int rounds) {
    const uint64_t free = FreeBytes();
    std::printf("drive D: %llu MB free, %d rounds\n", static_cast<unsigned long long>(free >> 20), rounds);
    std::vector<double> bare, ours, rates;
    SIZE_T peak = 0;
    for (int round = 0; round < rounds; ++round) {
        // Each side goes first every other round.
        Child plain, wipe;
        for (int side = 0; side < 2; ++side) {
            if ((side + round) % 2 == 0) plain = RunProgram(L"destroy_bench.exe", L"--write");
            else wipe = RunProgram(L"klarvex-cli.exe", L"--wipe-free-space --quiet D:");
        }
        bare.push_back(plain.seconds);
        ours.push_back(wipe.seconds);
        // The wipe writes the same free space, and its small files besides:
        // the share of the bare write's rate it reaches.
        rates.push_back(plain.seconds / wipe.seconds);
        peak = std::max(peak, wipe.peak);
    }
    std::printf("bare sequential write  %8.3f s\n", Median(bare));
    Print("free-space wipe, rate", rates, Median(ours), peak);
    std::printf("free space after: %llu MB\n", static_cast<unsigned long long>(FreeBytes() >> 20));
}

void CompareShreds(int files, int rounds) {
    std::printf("%d small files, %d rounds\n", files, rounds);
    std::vector<double> bare, ratios;
    SIZE_T peak = 0;
    double ours = 0;
    for (int round = 0; round < rounds; ++round) {
        MakeShredFolder(files);
        const Child plain = RunProgram(L"destroy_bench.exe", L"--delete-loop");
        MakeShredFolder(files);
        const Child shred = RunProgram(L"klarvex-cli.exe", L"--shred --quiet " + kShredFolder);
        bare.push_back(plain.seconds);
        ratios.push_back(shred.seconds / plain.seconds);
        ours = shred.seconds;
        peak = std::max(peak, shred.peak);
    }
    std::printf("bare delete loop       %8.3f s\n", Median(bare));
    Print("shred, time", ratios, ours, peak);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring mode = argc > 1 ? argv[1] : L"";
    if (mode == L"--write") return BareWrite();
    if (mode == L"--delete-loop") return BareDeleteLoop();
    const int files = argc > 1 ? _wtoi(argv[1]) : 1000;
    const int rounds = argc > 2 ? std::max(1, _wtoi(argv[2])) : 3;
    CompareWipes(rounds);
    CompareShreds(files, rounds);
    return 0;
}
