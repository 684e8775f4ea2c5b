#include "support/Process.h"

#include <windows.h>

#include "base/Handles.h"
#include "base/Strings.h"

namespace klarvex::testing {

namespace {

// Takes what the pipe holds now, without waiting for more.
void ReadAvailable(HANDLE pipe, std::string& data) {
    char buffer[4096];
    DWORD available = 0;
    while (PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr) && available > 0) {
        DWORD read = 0;
        if (!ReadFile(pipe, buffer, sizeof(buffer), &read, nullptr) || read == 0) return;
        data.append(buffer, read);
    }
}

std::vector<std::wstring> SplitLines(const std::wstring& text) {
    std::vector<std::wstring> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find(L'\n', start);
        if (end == std::wstring::npos) end = text.size();
        std::wstring line = text.substr(start, end - start);
        if (!line.empty() && line.back() == L'\r') line.pop_back();
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

}  // namespace

UniqueHandle StartProgram(const std::wstring& commandLine, STARTUPINFOW* startup) {
    STARTUPINFOW plain{};
    plain.cb = sizeof(plain);
    std::wstring command = commandLine;
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, startup != nullptr, 0, nullptr, ExeDir().c_str(),
                        startup ? startup : &plain, &info))
        return {};
    CloseHandle(info.hThread);
    return UniqueHandle(info.hProcess);
}

ProcessResult RunProgram(const std::wstring& program, const std::vector<std::wstring>& args) {
    std::wstring commandLine = L"\"" + ExeDir() + program + L"\"";
    for (const auto& arg : args) commandLine += L" \"" + arg + L"\"";

    SECURITY_ATTRIBUTES inherit{};
    inherit.nLength = sizeof(inherit);
    inherit.bInheritHandle = TRUE;
    UniqueHandle outRead, outWrite, errRead, errWrite;
    CreatePipe(outRead.Put(), outWrite.Put(), &inherit, 0);
    CreatePipe(errRead.Put(), errWrite.Put(), &inherit, 0);
    SetHandleInformation(outRead.Get(), HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(errRead.Get(), HANDLE_FLAG_INHERIT, 0);

    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = outWrite.Get();
    startup.hStdError = errWrite.Get();
    ProcessResult result;
    UniqueHandle process = StartProgram(commandLine, &startup);
    if (!process) return result;
    outWrite.Reset();
    errWrite.Reset();

    // The output ends when the program does. Waiting for the pipes to close
    // instead would hang: Wine's desktop process, started by the first
    // program that touches windows, inherits them and stays.
    std::string out, err;
    for (bool exited = false; !exited;) {
        exited = WaitForSingleObject(process.Get(), 20) == WAIT_OBJECT_0;
        ReadAvailable(outRead.Get(), out);
        ReadAvailable(errRead.Get(), err);
    }
    DWORD code = 0;
    GetExitCodeProcess(process.Get(), &code);
    result.exitCode = static_cast<int>(code);
    result.out = SplitLines(Utf8ToWide(out));
    result.err = Utf8ToWide(err);
    return result;
}

HolderProcess::HolderProcess(const std::wstring& commandLine) {
    static LONG counter = 0;
    const std::wstring tag = IntToStr(GetCurrentProcessId()) + L"-" + IntToStr(InterlockedIncrement(&counter));
    const std::wstring readyName = L"KlarvexHoldReady-" + tag, releaseName = L"KlarvexHoldRelease-" + tag;
    ready_.Reset(CreateEventW(nullptr, TRUE, FALSE, readyName.c_str()));
    release_.Reset(CreateEventW(nullptr, TRUE, FALSE, releaseName.c_str()));
    if (!ready_ || !release_) return;
    SetEnvironmentVariableW(kHoldReady, readyName.c_str());
    SetEnvironmentVariableW(kHoldRelease, releaseName.c_str());
    process_ = StartProgram(commandLine);
    SetEnvironmentVariableW(kHoldReady, nullptr);
    SetEnvironmentVariableW(kHoldRelease, nullptr);
    if (!process_) return;
    const HANDLE waits[] = {ready_.Get(), process_.Get()};
    WaitForMultipleObjects(2, waits, FALSE, 60000);
}

bool HolderProcess::Holding() const {
    return process_ && WaitForSingleObject(ready_.Get(), 0) == WAIT_OBJECT_0 &&
           WaitForSingleObject(process_.Get(), 0) == WAIT_TIMEOUT;
}

void HolderProcess::Release() {
    if (!process_) return;
    SetEvent(release_.Get());
    WaitForSingleObject(process_.Get(), 60000);
    process_.Reset();
}

namespace {

std::wstring HolderCopy(const std::wstring& copy, const std::vector<std::wstring>& classes) {
    CopyFileW((ExeDir() + L"klarvex-window-holder.exe").c_str(), copy.c_str(), FALSE);
    std::wstring command = L"\"" + copy + L"\"";
    for (const auto& windowClass : classes) command += L" " + windowClass;
    return command;
}

}  // namespace

ProgramWindows::ProgramWindows(const std::wstring& program, const std::vector<std::wstring>& classes)
    : HolderProcess(HolderCopy(*this / program, classes)) {}

HWND ProgramWindows::Window(const std::wstring& windowClass) const {
    for (HWND window = nullptr; (window = FindWindowExW(nullptr, window, windowClass.c_str(), nullptr)) != nullptr;) {
        DWORD owner = 0;
        if (GetWindowThreadProcessId(window, &owner) && owner == ProcessId()) return window;
    }
    return nullptr;
}

}  // namespace klarvex::testing
