// What every benchmark needs to time a program: seconds since a moment, the
// median of the rounds, and a program beside the bench run to its end.
#pragma once

#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

inline double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

inline double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

struct Child {
    double seconds = 0;
    SIZE_T peak = 0;  // the largest working set seen while it ran; 0 when unknown
    DWORD exitCode = 1;
};

// A program beside this one, run to its end with its output discarded; its
// memory is looked at while it runs (Wine forgets it at the end). A program
// that cannot be started ends the bench.
inline Child RunProgram(const std::wstring& program, const std::wstring& args) {
    wchar_t exe[MAX_PATH];
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring dir(exe);
    dir = dir.substr(0, dir.find_last_of(L'\\') + 1);
    std::wstring command = L"\"" + dir + program + L"\" " + args;
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
        std::printf("cannot start %ls (%lu)\n", program.c_str(), GetLastError());
        std::exit(2);
    }
    while (WaitForSingleObject(process.hProcess, 50) == WAIT_TIMEOUT) {
        PROCESS_MEMORY_COUNTERS memory = {};
        memory.cb = sizeof memory;
        if (GetProcessMemoryInfo(process.hProcess, &memory, sizeof memory))
            child.peak = std::max({child.peak, memory.WorkingSetSize, memory.PeakWorkingSetSize});
    }
    child.seconds = Seconds(start);
    PROCESS_MEMORY_COUNTERS memory = {};
    memory.cb = sizeof memory;
    if (GetProcessMemoryInfo(process.hProcess, &memory, sizeof memory))
        child.peak = std::max(child.peak, memory.PeakWorkingSetSize);
    GetExitCodeProcess(process.hProcess, &child.exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    CloseHandle(nul);
    return child;
}
