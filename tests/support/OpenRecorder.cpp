// Test helper: stands in for the program the shell starts for an address
// (registered as the handler of a scheme) and for any program the shell
// might be made to run. It appends one line to klarvex-opened.txt beside
// itself: its arguments joined by blanks, or "(no address)".
//   klarvex-open-recorder.exe [ADDRESS...]

#include <windows.h>

#include <string>

int wmain(int argc, wchar_t** argv) {
    wchar_t exe[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring log(exe, length);
    log.erase(log.find_last_of(L'\\') + 1);
    log += L"klarvex-opened.txt";

    std::wstring line;
    for (int i = 1; i < argc; ++i) line += (i > 1 ? L" " : L"") + std::wstring(argv[i]);
    if (argc < 2) line = L"(no address)";
    line += L"\n";
    const int size = WideCharToMultiByte(CP_UTF8, 0, line.c_str(), static_cast<int>(line.size()), nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, line.c_str(), static_cast<int>(line.size()), utf8.data(), size, nullptr, nullptr);

    HANDLE file = CreateFileW(log.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 1;
    DWORD written = 0;
    WriteFile(file, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
    CloseHandle(file);
    return 0;
}
