// Start-up cost of a Winapp2.ini beside the program, measured inside one
// process: filling "Applications" as both front ends do at start-up, from a
// folder without the file (the baseline) and from one with it, alternately;
// with a third folder, also from a hostile file of as many entries whose
// Detect lines go down the whole drive with wildcards.
//
//   winapp2_bench.exe FOLDER-WITHOUT\ FOLDER-WITH\ [ROUNDS [FOLDER-HOSTILE\]]
//
// And the cost of exclusions: a Test of an entry over FOLDER (every file,
// recursively) with the ExcludeKey lines of EXCLUDES.ini, against the same
// entry without them.
//
//   winapp2_bench.exe --excludes FOLDER\ EXCLUDES.ini

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "BenchRun.h"
#include "base/Strings.h"
#include "engine/Catalogue.h"
#include "engine/ProgressThread.h"
#include "formats/Winapp2.h"
#include "platform/Folders.h"

namespace {

double FillSeconds(const std::wstring& folder, size_t& items) {
    const auto start = std::chrono::steady_clock::now();
    klarvex::TCatalogue catalogue;
    klarvex::FillApplications(catalogue, folder + L"Klarvex.dat");
    klarvex::AddWinapp2Applications(catalogue, folder + L"Winapp2.ini");
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    items = catalogue.AllItemNames().size();
    return seconds;
}

// A host that takes the log and answers nothing: the bench times the walk.
class QuietHost : public klarvex::IRunHost {
public:
    void AddLog(const std::wstring&) override {}
    void ScrollLogToEnd() override {}
    void SetCurrentItem(const std::wstring&) override {}
    void RunOnUiThread(const std::function<void()>& work) override { work(); }
    void PostProgress(int32_t) override {}
    void PostDone(int32_t) override {}
    void ItemProgress(int32_t) override {}
    void ItemEnded(int32_t, int64_t) override {}
    bool AskYesNo(const std::wstring&) override { return false; }
    void ShowNotice(const std::wstring&, const std::wstring&) override {}
    void ShowError(const std::wstring&) override {}
};

class EntryRunner : public klarvex::TClearTaskThread {
public:
    explicit EntryRunner(klarvex::IRunHost& host)
        : TClearTaskThread(klarvex::RunKind::Test, host, {}, [](const std::wstring&) { return DispatchTarget{}; }) {}
    int32_t Count() const { return ItemCount; }
};

double TestSeconds(const klarvex::Winapp2Entry& entry, int32_t& count) {
    QuietHost host;
    EntryRunner runner(host);
    const auto start = std::chrono::steady_clock::now();
    runner.RunWinapp2Entry(entry);
    count = runner.Count();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

int Excludes(const std::wstring& folder, const std::wstring& excludesFile) {
    const auto text = klarvex::ReadWholeFile(excludesFile, 256u << 20);
    if (!text) {
        std::fwprintf(stderr, L"winapp2_bench.exe: cannot read %ls\n", excludesFile.c_str());
        return 2;
    }
    const std::wstring entry = L"[Excludes *]\r\nFileKey1=" + folder + L"|*|RECURSE\r\n";
    const auto bare = klarvex::ParseWinapp2(entry);
    const auto excluded = klarvex::ParseWinapp2(entry + klarvex::Utf8ToWide(*text));
    int32_t all = 0, left = 0;
    const double base = TestSeconds(bare.front(), all);
    const double with = TestSeconds(excluded.front(), left);
    std::printf("%zu exclusions over %d files: %.2f s (%d files left to clean), without them %.2f s; ratio %.2f\n",
                excluded.front().excludes.size(), all, with, left, base, with / base);
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc == 4 && std::wstring(argv[1]) == L"--excludes") return Excludes(argv[2], argv[3]);
    if (argc < 3) {
        std::fwprintf(stderr, L"usage: winapp2_bench.exe FOLDER-WITHOUT\\ FOLDER-WITH\\ [ROUNDS [FOLDER-HOSTILE\\]]\n"
                              L"       winapp2_bench.exe --excludes FOLDER\\ EXCLUDES.ini\n");
        return 2;
    }
    const int rounds = argc > 3 ? std::max(1, _wtoi(argv[3])) : 9;
    std::vector<double> without, with, hostile;
    size_t itemsWithout = 0, itemsWith = 0, itemsHostile = 0;
    for (int r = 0; r < rounds; ++r) {
        without.push_back(FillSeconds(argv[1], itemsWithout));
        with.push_back(FillSeconds(argv[2], itemsWith));
        if (argc > 4) hostile.push_back(FillSeconds(argv[4], itemsHostile));
    }
    const double base = Median(without), file = Median(with);
    std::printf("tree items: %zu without the file, %zu with it\n", itemsWithout, itemsWith);
    std::printf("filling Applications, median of %d: %.1f ms without, %.1f ms with\n", rounds, base * 1000,
                file * 1000);
    std::printf("start-up cost of the file: %+.1f ms (ratio %.2f)\n", (file - base) * 1000, file / base);
    if (!hostile.empty()) {
        const double worst = Median(hostile);
        std::printf("hostile Detect lines (%zu items shown): %.1f ms, ratio %.2f to the file of the same size\n",
                    itemsHostile, worst * 1000, worst / file);
    }
    return 0;
}
