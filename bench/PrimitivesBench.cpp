// Folder walk and delete speed: a tree of small files cleared through
// `klarvex-cli` (Custom Lists item, one DelFile rule) against the least work
// that does the same job: a plain FindFirstFileW walk, a plain DeleteFileW
// loop. Both sides are programs of their own, so both pay for starting a
// process; they are timed in the same run, on the same tree, round after
// round, and each ratio printed is the median of the rounds' ratios.
//
//   primitives_bench.exe [FILES] [FOLDERS] [CLEAN_FILES] [ROUNDS]
//   primitives_bench.exe --make-tree FILES FOLDERS   the tree alone, left in place
//   primitives_bench.exe --fast-test                 one fast Test of it: seconds
//   primitives_bench.exe --remove-tree
//   primitives_bench.exe --walk | --delete-loop      the baselines: the files seen or deleted, as exit code
// (klarvex-cli.exe must sit beside it.)

#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "BenchRun.h"
#include "BenchTree.h"

namespace {

const std::wstring kItem = L"\"Custom Lists - <New List>\"";

// The baseline walk: list every folder, look at every entry.
long long PlainWalk(const std::wstring& folder, bool remove) {
    long long count = 0;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return 0;
    do {
        const std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        const std::wstring path = folder + L"\\" + name;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            count += PlainWalk(path, remove);
            if (remove) RemoveDirectoryW(path.c_str());
        } else {
            if (remove) DeleteFileW(path.c_str());
            ++count;
        }
    } while (FindNextFileW(find, &data));
    FindClose(find);
    return count;
}

void RemoveTree() {
    PlainWalk(kTree, true);
    RemoveDirectoryW(kTree.c_str());
}

Child RunCli(const std::wstring& args) { return RunProgram(L"klarvex-cli.exe", args); }

// The baselines, as programs of their own (see wmain).
Child RunBareWalk() { return RunProgram(L"primitives_bench.exe", L"--walk"); }
Child RunBareDeleteLoop() { return RunProgram(L"primitives_bench.exe", L"--delete-loop"); }

// One side of a comparison, over the rounds.
struct Side {
    std::vector<double> seconds;
    std::vector<double> ratios;
    SIZE_T peak = 0;
    DWORD exitCode = 0;

    void Add(const Child& child, double baseline) {
        seconds.push_back(child.seconds);
        ratios.push_back(child.seconds / baseline);
        peak = std::max(peak, child.peak);
        if (child.exitCode) exitCode = child.exitCode;
    }
    void Print(const char* name) const {
        std::printf("%-19s rounds:", name);
        for (const double ratio : ratios) std::printf(" %.2f", ratio);
        std::printf("\n");
        // Wine knows a process's memory only while it runs: 0 means unknown.
        const std::string memory = peak ? std::to_string(peak / 1024) + " KB" : "unknown";
        std::printf("%-19s %8.3f s  ratio %.2f  peak working set %s  exit %lu\n", name, Median(seconds),
                    Median(ratios), memory.c_str(), exitCode);
    }
};

void CompareWalks(int files, int folders, int rounds) {
    RemoveTree();
    std::printf("tree: %d files in %d folders under C:\\klarvex-bench-tree, %d rounds\n", files, folders, rounds);
    MakeTree(files, folders);
    PlainWalk(kTree, false);  // the caches warmed once
    std::vector<double> walks;
    Side fast, detail;
    long long walked = 0;
    for (int round = 0; round < rounds; ++round) {
        // Each Test is set against a walk made just before it: on a shared
        // machine the same walk can take a third longer a few seconds later.
        for (Side* side : {&fast, &detail}) {
            const Child walk = RunBareWalk();
            walked = walk.exitCode;
            walks.push_back(walk.seconds);
            side->Add(RunCli((side == &fast ? L"--test --fast " : L"--test --detail ") + kItem), walks.back());
        }
    }
    std::printf("plain walk          %8.3f s (%lld files)\n", Median(walks), walked);
    fast.Print("Test run, fast");
    detail.Print("Test run, detailed");
    RemoveTree();
}

void CompareDeletes(int files, int folders, int rounds) {
    std::printf("tree: %d files in %d folders, %d rounds\n", files, folders, rounds);
    std::vector<double> deletes;
    Side clean;
    long long deleted = 0, left = 0;
    for (int round = 0; round < rounds; ++round) {
        // Each side goes first every other round: a tree made just after
        // another was deleted is not quite the same for the disk.
        double plain = 0;
        Child ours;
        for (int side = 0; side < 2; ++side) {
            MakeTree(files, folders);
            if ((side + round) % 2 == 0) {
                const Child loop = RunBareDeleteLoop();
                deleted = loop.exitCode;
                plain = loop.seconds;
            } else {
                ours = RunCli(L"--clean --fast " + kItem);
                left += PlainWalk(kTree, false);
                RemoveTree();
            }
        }
        deletes.push_back(plain);
        clean.Add(ours, plain);
    }
    std::printf("plain delete loop   %8.3f s (%lld files)\n", Median(deletes), deleted);
    clean.Print("Clean run, fast");
    std::printf("files left after the Cleans: %lld\n", left);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring mode = argc > 1 ? argv[1] : L"";
    if (mode == L"--make-tree" && argc > 3) {
        RemoveTree();
        MakeTree(_wtoi(argv[2]), _wtoi(argv[3]));
        PlainWalk(kTree, false);
        return 0;
    }
    if (mode == L"--fast-test") {
        const Child child = RunCli(L"--test --fast " + kItem);
        std::printf("%.3f\n", child.seconds);
        return static_cast<int>(child.exitCode);
    }
    if (mode == L"--remove-tree") {
        RemoveTree();
        return 0;
    }
    if (mode == L"--walk") return static_cast<int>(PlainWalk(kTree, false));
    if (mode == L"--delete-loop") return static_cast<int>(PlainWalk(kTree, true));
    const int files = argc > 1 ? _wtoi(argv[1]) : 100000;
    const int folders = argc > 2 ? _wtoi(argv[2]) : 500;
    const int cleanFiles = argc > 3 ? _wtoi(argv[3]) : 20000;
    const int rounds = argc > 4 ? std::max(1, _wtoi(argv[4])) : 5;
    CompareWalks(files, folders, rounds);
    CompareDeletes(cleanFiles, std::max(1, folders * cleanFiles / std::max(1, files)), rounds);
    return 0;
}
