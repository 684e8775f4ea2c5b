#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "base/Handles.h"
#include "support/Fixtures.h"

namespace klarvex::testing {

// Starts a program (command line as given: the program, quoted, and its
// arguments) with the test's folder as its current folder. startup, when
// given, carries standard handles the program inherits. Empty when the
// program could not start.
UniqueHandle StartProgram(const std::wstring& commandLine, STARTUPINFOW* startup = nullptr);

struct ProcessResult {
    int exitCode = -1;
    std::vector<std::wstring> out;  // standard output, one entry per line
    std::wstring err;               // standard error, whole
};

// Runs a program of the test's own folder with the given arguments (each
// quoted) and waits for it, collecting its output (UTF-8, CR LF lines).
ProcessResult RunProgram(const std::wstring& program, const std::vector<std::wstring>& args);

// Another process that takes hold of something for a test (a database
// lock, the clipboard, a window) and keeps it until released. It finds two
// event names in its environment: it sets kHoldReady once it holds, and
// lets go when kHoldRelease is set.
inline constexpr wchar_t kHoldReady[] = L"KLARVEX_HOLD_READY";
inline constexpr wchar_t kHoldRelease[] = L"KLARVEX_HOLD_RELEASE";

// For the holder: the event its environment names, or nullptr.
inline HANDLE OpenHoldEvent(const wchar_t* variable, DWORD access) {
    wchar_t name[256];
    const DWORD length = GetEnvironmentVariableW(variable, name, 256);
    return length > 0 && length < 256 ? OpenEventW(access, FALSE, name) : nullptr;
}

class HolderProcess {
public:
    // Starts the holder and waits until it holds or has ended.
    explicit HolderProcess(const std::wstring& commandLine);
    ~HolderProcess() { Release(); }
    HolderProcess(const HolderProcess&) = delete;
    HolderProcess& operator=(const HolderProcess&) = delete;

    // The holder said it holds, and still runs.
    bool Holding() const;
    // Lets the holder go and waits for its end.
    void Release();
    DWORD ProcessId() const { return GetProcessId(process_.Get()); }

private:
    UniqueHandle ready_, release_, process_;
};

// Top-level windows of the classes as the program of that file name
// ("chrome.exe") has them: the window holder, copied under the name.
class ProgramWindows : private ScratchFolder, public HolderProcess {
public:
    ProgramWindows(const std::wstring& program, const std::vector<std::wstring>& classes);
    HWND Window(const std::wstring& windowClass) const;  // nullptr when not held
};

}  // namespace klarvex::testing
