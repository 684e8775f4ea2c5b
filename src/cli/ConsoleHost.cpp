#include "cli/ConsoleHost.h"

#include <windows.h>

#include "base/Strings.h"

namespace klarvex {

namespace {

constexpr size_t kFlushThreshold = 16 * 1024;  // characters

void Write(DWORD which, const std::wstring& text) {
    const HANDLE out = GetStdHandle(which);
    if (out == nullptr || out == INVALID_HANDLE_VALUE || text.empty()) return;
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

void WriteStdOut(const std::wstring& line) { Write(STD_OUTPUT_HANDLE, line + L"\r\n"); }
void WriteStdErr(const std::wstring& line) { Write(STD_ERROR_HANDLE, line + L"\r\n"); }

void TConsoleHost::Flush() {
    Write(STD_OUTPUT_HANDLE, pending_);
    pending_.clear();
}

void TConsoleHost::AddLog(const std::wstring& line) {
    pending_ += line;
    pending_ += L"\r\n";
    if (pending_.size() >= kFlushThreshold) Flush();
}

void TConsoleHost::PostDone(int32_t) {
    Flush();
    done_ = true;
}

bool TConsoleHost::AskYesNo(const std::wstring& question) {
    Flush();  // the question follows the lines that led to it
    WriteStdErr(question + (answerYes_ ? L" -> Yes (--yes)" : L" -> No (no --yes given)"));
    return answerYes_;
}

void TConsoleHost::ShowNotice(const std::wstring& text, const std::wstring& /*caption*/) {
    Flush();
    WriteStdErr(text);
}

void TConsoleHost::ShowError(const std::wstring& message) {
    Flush();
    brokenOff_ = true;
    WriteStdErr(L"klarvex-cli: " + message);
}

}  // namespace klarvex
