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
    PROCESS_INFORMATION info{};
    ProcessResult result;
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, ExeDir().c_str(), &startup,
                        &info))
        return result;
    UniqueHandle process(info.hProcess), thread(info.hThread);
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

}  // namespace klarvex::testing
