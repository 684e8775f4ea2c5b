// Start-up cost of a Winapp2.ini beside the program, measured inside one
// process: filling "Applications" as both front ends do at start-up, from a
// folder without the file (the baseline) and from one with it, alternately.
//
//   winapp2_bench.exe FOLDER-WITHOUT\ FOLDER-WITH\ [ROUNDS]

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "engine/Catalogue.h"

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

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        std::fwprintf(stderr, L"usage: winapp2_bench.exe FOLDER-WITHOUT\\ FOLDER-WITH\\ [ROUNDS]\n");
        return 2;
    }
    const int rounds = argc > 3 ? std::max(1, _wtoi(argv[3])) : 9;
    std::vector<double> without, with;
    size_t itemsWithout = 0, itemsWith = 0;
    for (int r = 0; r < rounds; ++r) {
        without.push_back(FillSeconds(argv[1], itemsWithout));
        with.push_back(FillSeconds(argv[2], itemsWith));
    }
    const double base = Median(without), file = Median(with);
    std::printf("tree items: %zu without the file, %zu with it\n", itemsWithout, itemsWith);
    std::printf("filling Applications, median of %d: %.1f ms without, %.1f ms with\n", rounds, base * 1000,
                file * 1000);
    std::printf("start-up cost of the file: %+.1f ms (ratio %.2f)\n", (file - base) * 1000, file / base);
    return 0;
}
