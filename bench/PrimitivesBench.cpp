// Folder walk and delete speed: a tree of small files cleared through
// `klarvex-cli` (Custom Lists item, one DelFile rule) against the least work
// that does the same job: a plain FindFirstFileW walk, a plain DeleteFileW
// loop. Both sides are timed in the same run, on the same tree.
//
//   primitives_bench.exe [FILES] [FOLDERS]   (klarvex-cli.exe must sit beside it)

#include <windows.h>
#include <psapi.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

const std::wstring kTree = L"C:\\klarvex-bench-tree";

double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

void MakeTree(int files, int folders) {
    CreateDirectoryW(kTree.c_str(), nullptr);
    const char content[] = "klarvex bench file\r\n";
    for (int f = 0; f < folders; ++f) {
        const std::wstring folder = kTree + L"\\d" + std::to_wstring(f);
        CreateDirectoryW(folder.c_str(), nullptr);
        for (int i = f; i < files; i += folders) {
            const std::wstring path = folder + L"\\file" + std::to_wstring(i) + L".tmp";
            HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
            DWORD written;
            WriteFile(h, content, sizeof content - 1, &written, nullptr);
            CloseHandle(h);
        }
    }
}

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

struct Child {
    double seconds = 0;
    SIZE_T peak = 0;
    DWORD exitCode = 1;
};

Child RunCli(const std::wstring& args) {
    wchar_t exe[MAX_PATH];
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring dir(exe);
    dir = dir.substr(0, dir.find_last_of(L'\\') + 1);
    std::wstring command = L"\"" + dir + L"klarvex-cli.exe\" " + args;
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE nul = CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0, nullptr);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = nul;
    startup.hStdError = nul;
    PROCESS_INFORMATION process = {};
    Child child;
    const auto start = std::chrono::steady_clock::now();
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, dir.c_str(), &startup, &process)) {
        std::printf("cannot start klarvex-cli (%lu)\n", GetLastError());
        std::exit(2);
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    child.seconds = Seconds(start);
    PROCESS_MEMORY_COUNTERS memory = {};
    memory.cb = sizeof memory;
    if (GetProcessMemoryInfo(process.hProcess, &memory, sizeof memory)) child.peak = memory.PeakWorkingSetSize;
    GetExitCodeProcess(process.hProcess, &child.exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    CloseHandle(nul);
    return child;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const int files = argc > 1 ? _wtoi(argv[1]) : 100000;
    const int folders = argc > 2 ? _wtoi(argv[2]) : 500;
    const std::wstring item = L"\"Custom Lists - <New List>\"";

    PlainWalk(kTree, true);
    RemoveDirectoryW(kTree.c_str());
    std::printf("tree: %d files in %d folders under C:\\klarvex-bench-tree\n", files, folders);
    MakeTree(files, folders);

    // Warm the caches once, then time both sides.
    PlainWalk(kTree, false);
    auto start = std::chrono::steady_clock::now();
    const long long walked = PlainWalk(kTree, false);
    const double walk = Seconds(start);
    const Child fast = RunCli(L"--test --fast " + item);
    const Child detail = RunCli(L"--test --detail " + item);
    std::printf("plain walk          %8.3f s (%lld files)\n", walk, walked);
    std::printf("Test run, fast      %8.3f s  ratio %.2f  peak working set %zu KB  exit %lu\n", fast.seconds,
                fast.seconds / walk, fast.peak / 1024, fast.exitCode);
    std::printf("Test run, detailed  %8.3f s  ratio %.2f  peak working set %zu KB  exit %lu\n", detail.seconds,
                detail.seconds / walk, detail.peak / 1024, detail.exitCode);

    start = std::chrono::steady_clock::now();
    const long long deleted = PlainWalk(kTree, true);
    const double plainDelete = Seconds(start);
    MakeTree(files, folders);
    const Child clean = RunCli(L"--clean --fast " + item);
    const long long left = PlainWalk(kTree, false);
    std::printf("plain delete loop   %8.3f s (%lld files)\n", plainDelete, deleted);
    std::printf("Clean run, fast     %8.3f s  ratio %.2f  peak working set %zu KB  exit %lu  files left %lld\n",
                clean.seconds, clean.seconds / plainDelete, clean.peak / 1024, clean.exitCode, left);
    PlainWalk(kTree, true);
    RemoveDirectoryW(kTree.c_str());
    return 0;
}
