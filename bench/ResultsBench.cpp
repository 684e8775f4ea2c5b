// How soon the main window shows a run's results: Klarvex.exe runs a Test
// of a tree of small files (the Custom Lists item, one DelFile rule), as a
// user would start it, detailed (a log line and a listed entry per file)
// and in fast mode. Timed from outside the program, by what its window
// shows: the run's end is the moment the log holds its totals line, the
// results are shown once the table is in sight with its row. The baseline
// is the run itself, in the same round: the delay is printed as a share of
// the run's own time, beside the seconds. For the detailed Test, also how
// long an item's entries take to open (a double click on its row until the
// details list holds them all), and what the program holds in memory.
//
//   results_bench.exe [FILES] [FOLDERS] [ROUNDS]   (Klarvex.exe must sit beside it;
//                                                  its settings.ini is the bench's)

#include <windows.h>
#include <commctrl.h>
#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "BenchRun.h"
#include "BenchTree.h"

namespace {

constexpr int kIdTest = 1012, kIdLog = 1011, kIdResultsList = 1033;  // app/MainRes.h

using Clock = std::chrono::steady_clock;

bool WaitFor(const std::function<bool()>& condition, double seconds, DWORD pollMs = 1) {
    const auto start = Clock::now();
    while (!condition()) {
        if (Seconds(start) > seconds) return false;
        Sleep(pollMs);
    }
    return true;
}

void RemoveTree(const std::wstring& folder) {
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        const std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        const std::wstring path = folder + L"\\" + name;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) RemoveTree(path);
        else DeleteFileW(path.c_str());
    } while (FindNextFileW(find, &data));
    FindClose(find);
    RemoveDirectoryW(folder.c_str());
}

std::wstring ExeDir() {
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring dir(path, length);
    return dir.substr(0, dir.rfind(L'\\') + 1);
}

void WriteSettings(bool fast) {
    const std::string text = std::string("[NodeSelected]\r\nSelectedCount=2\r\n1=Custom Lists\r\n") +
                             "2=Custom Lists - <New List>\r\n[Settings]\r\nAskForSweep=0\r\nFastScan=" +
                             (fast ? "1" : "0") + "\r\n";
    HANDLE file = CreateFileW((ExeDir() + L"settings.ini").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0,
                              nullptr);
    DWORD written;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
}

std::wstring ListBoxLine(HWND list, LRESULT index) {
    const LRESULT length = SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length <= 0) return L"";
    std::wstring line(static_cast<size_t>(length) + 1, L'\0');
    const LRESULT copied =
        SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(line.data()));
    line.resize(static_cast<size_t>(std::max<LRESULT>(copied, 0)));
    return line;
}

struct Round {
    double run = 0;      // from the click on Test to the totals line in the log
    double results = 0;  // from there to the results in sight
    double details = 0;  // a double click on the row until its entries are all listed
    double memoryMb = 0;
    bool ok = false;
};

HWND OwnedDialog(DWORD process, HWND owner) {
    struct Find {
        DWORD process;
        HWND owner, found;
    } find{process, owner, nullptr};
    EnumWindows(
        [](HWND window, LPARAM parameter) -> BOOL {
            auto& f = *reinterpret_cast<Find*>(parameter);
            DWORD id = 0;
            GetWindowThreadProcessId(window, &id);
            wchar_t name[16];
            GetClassNameW(window, name, 16);
            if (id != f.process || GetWindow(window, GW_OWNER) != f.owner || wcscmp(name, L"#32770") != 0 ||
                !IsWindowVisible(window))
                return TRUE;
            f.found = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&find));
    return find.found;
}

Round RunOnce(bool fast) {
    Round round;
    WriteSettings(fast);
    std::wstring command = L"\"" + ExeDir() + L"Klarvex.exe\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
        return round;
    // The window, once its controls are made and it has been activated.
    HWND main = nullptr;
    WaitFor([&] { return (main = FindWindowW(L"TfrmMain", nullptr)) && GetDlgItem(main, kIdTest); }, 30);
    HWND log = GetDlgItem(main, kIdLog), list = GetDlgItem(main, kIdResultsList);
    Sleep(500);
    const auto start = Clock::now();
    PostMessageW(GetDlgItem(main, kIdTest), BM_CLICK, 0, 0);
    const bool ended = WaitFor(
        [&] {
            const LRESULT count = SendMessageW(log, LB_GETCOUNT, 0, 0);
            return count >= 3 && ListBoxLine(log, count - 2).rfind(L"Total items will be removed = ", 0) == 0;
        },
        1800, 200);  // a detailed run lists each file in the log: minutes under Wine
    round.run = Seconds(start);
    const auto end = Clock::now();
    const bool shown = ended && WaitFor([&] {
        return IsWindowVisible(list) && SendMessageW(list, LVM_GETITEMCOUNT, 0, 0) >= 1;
    }, 60);
    round.results = Seconds(end);
    round.ok = ended && shown;

    if (round.ok && !fast) {
        // The row's middle, through memory of the program's own.
        void* remote = VirtualAllocEx(info.hProcess, nullptr, sizeof(RECT), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
        RECT rect{LVIR_LABEL, 0, 0, 0};
        SIZE_T done = 0;
        WriteProcessMemory(info.hProcess, remote, &rect, sizeof rect, &done);
        SendMessageW(list, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(remote));
        ReadProcessMemory(info.hProcess, remote, &rect, sizeof rect, &done);
        const LPARAM at = MAKELPARAM(rect.left + 8, (rect.top + rect.bottom) / 2);
        const auto open = Clock::now();
        PostMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
        PostMessageW(list, WM_LBUTTONUP, 0, at);
        PostMessageW(list, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
        PostMessageW(list, WM_LBUTTONUP, 0, at);
        HWND details = nullptr;
        const bool listed = WaitFor([&] {
            if (!details) details = OwnedDialog(info.dwProcessId, main);
            HWND entries = details ? GetDlgItem(details, 2503) : nullptr;  // dialogs/ItemDetailsRes.h
            return entries && SendMessageW(entries, LVM_GETITEMCOUNT, 0, 0) > 0;
        }, 60);
        round.details = Seconds(open);
        round.ok = listed;
        PROCESS_MEMORY_COUNTERS memory{};
        memory.cb = sizeof memory;
        if (GetProcessMemoryInfo(info.hProcess, &memory, sizeof memory))
            round.memoryMb = static_cast<double>(memory.PeakWorkingSetSize) / (1024.0 * 1024.0);
        if (details) PostMessageW(details, WM_CLOSE, 0, 0);
        WaitFor([&] { return !IsWindow(details); }, 10);
    }
    PostMessageW(main, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(info.hProcess, 30000) != WAIT_OBJECT_0) TerminateProcess(info.hProcess, 1);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    return round;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const int files = argc > 1 ? _wtoi(argv[1]) : 100000;
    const int folders = argc > 2 ? _wtoi(argv[2]) : 500;
    const int rounds = argc > 3 ? _wtoi(argv[3]) : 3;
    MakeTree(files, folders);
    bool failed = false;
    for (const bool fast : {false, true}) {
        std::vector<double> run, results, share, details, memory;
        for (int i = 0; i < rounds; ++i) {
            const Round round = RunOnce(fast);
            if (!round.ok) {
                std::printf("%s Test: round %d did not end or showed no results\n", fast ? "fast" : "detailed", i + 1);
                failed = true;
                continue;
            }
            run.push_back(round.run);
            results.push_back(round.results);
            share.push_back(round.results / round.run);
            details.push_back(round.details);
            memory.push_back(round.memoryMb);
        }
        if (run.empty()) continue;
        std::printf("%-9s Test of %d files: run %7.2f s, results shown %6.3f s after its end (%.3f of the run)\n",
                    fast ? "fast" : "detailed", files, Median(run), Median(results), Median(share));
        if (!fast)
            std::printf("          the item's entries open in %.3f s; the program's peak working set %.0f MB\n",
                        Median(details), Median(memory));
    }
    RemoveTree(kTree);
    return failed ? 1 : 0;
}
