#include "cli/ConsoleHost.h"

#include <windows.h>

#include "base/Strings.h"

namespace klarvex {

namespace {

void WriteLine(DWORD which, const std::wstring& line) {
    const HANDLE out = GetStdHandle(which);
    if (out == nullptr || out == INVALID_HANDLE_VALUE) return;
    const std::wstring text = line + L"\r\n";
    DWORD mode = 0;
    DWORD written = 0;
    if (GetConsoleMode(out, &mode)) {
        WriteConsoleW(out, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        return;
    }
    const std::string bytes = WideToUtf8(text);
    WriteFile(out, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

}  // namespace

void WriteStdOut(const std::wstring& line) { WriteLine(STD_OUTPUT_HANDLE, line); }
void WriteStdErr(const std::wstring& line) { WriteLine(STD_ERROR_HANDLE, line); }

void TConsoleHost::AddLog(const std::wstring& line) { WriteStdOut(line); }

bool TConsoleHost::AskYesNo(const std::wstring& question) {
    WriteStdErr(question + (answerYes_ ? L" -> Yes (--yes)" : L" -> No (no --yes given)"));
    return answerYes_;
}

void TConsoleHost::ShowNotice(const std::wstring& text) { WriteStdErr(text); }

void TConsoleHost::ShowError(const std::wstring& message) {
    brokenOff_ = true;
    WriteStdErr(L"klarvex-cli: " + message);
}

}  // namespace klarvex
