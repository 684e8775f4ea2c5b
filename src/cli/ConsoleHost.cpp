#include "cli/ConsoleHost.h"

#include <windows.h>

#include "base/Strings.h"

namespace klarvex {

namespace {

constexpr size_t kFlushThreshold = 16 * 1024;  // characters

bool IsConsole(HANDLE handle) {
    DWORD mode = 0;
    return GetConsoleMode(handle, &mode) != FALSE;
}

void WriteTo(HANDLE out, bool console, std::wstring_view text) {
    if (out == nullptr || out == INVALID_HANDLE_VALUE || text.empty()) return;
    DWORD written = 0;
    if (console) {
        WriteConsoleW(out, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        return;
    }
    const std::string bytes = WideToUtf8(text);
    WriteFile(out, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

void Write(DWORD which, std::wstring_view text) {
    const HANDLE out = GetStdHandle(which);
    WriteTo(out, IsConsole(out), text);
}

// The width of the console standard error shows, in characters.
size_t ConsoleWidth() {
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (!GetConsoleScreenBufferInfo(GetStdHandle(STD_ERROR_HANDLE), &info) || info.dwSize.X <= 0) return 80;
    return static_cast<size_t>(info.dwSize.X);
}

}  // namespace

void WriteStdOut(const std::wstring& line) { Write(STD_OUTPUT_HANDLE, line + L"\r\n"); }
void WriteStdErr(const std::wstring& line) { Write(STD_ERROR_HANDLE, line + L"\r\n"); }

StdOutBlocks::StdOutBlocks() : out_(GetStdHandle(STD_OUTPUT_HANDLE)), console_(IsConsole(out_)) {}

void StdOutBlocks::Write(std::wstring_view text) const { WriteTo(out_, console_, text); }

bool StdErrIsConsole() {
    const HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
    return err != nullptr && err != INVALID_HANDLE_VALUE && IsConsole(err);
}

// Standard output and error may be the same console: the progress line
// steps aside for whatever else is written, and comes back under it.
void TConsoleHost::Flush() {
    if (pending_.empty()) return;
    EraseProgress();
    Write(outputs_.log == LogOutput::StdErr ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE, pending_);
    pending_.clear();
}

void TConsoleHost::Finish() {
    Flush();
    EraseProgress();
    finished_ = true;
}

void TConsoleHost::Tell(const std::wstring& line) {
    Flush();
    EraseProgress();
    WriteStdErr(line);
    DrawProgress();
}

void TConsoleHost::AddLog(const std::wstring& line) {
    if (outputs_.log == LogOutput::None) return;
    pending_ += line;
    pending_ += L"\r\n";
    if (pending_.size() < kFlushThreshold) return;
    Flush();
    DrawProgress();
}

void TConsoleHost::SetCurrentItem(const std::wstring& name) {
    report_.BeginItem(name);
    ++itemNumber_;
    itemSoFar_ = 0;
    DrawProgress();
}

void TConsoleHost::ItemProgress(int32_t itemCount) {
    itemSoFar_ = itemCount;
    DrawProgress();
}

void TConsoleHost::ItemEnded(int32_t count, int64_t bytes) {
    report_.EndItem(count, bytes);
    itemSoFar_ = 0;
}

void TConsoleHost::PostDone(int32_t) {
    Finish();
    done_ = true;
}

bool TConsoleHost::AskYesNo(const std::wstring& question) {
    Tell(question + (answerYes_ ? L" -> Yes (--yes)" : L" -> No (no --yes given)"));
    if (!answerYes_) report_.Declined(question);
    return answerYes_;
}

void TConsoleHost::ShowNotice(const std::wstring& text, const std::wstring& /*caption*/) {
    report_.Refused(text);
    Tell(text);
}

void TConsoleHost::ShowError(const std::wstring& message) {
    report_.Error(message);
    brokenOff_ = true;
    Finish();
    WriteStdErr(L"klarvex-cli: " + message);
}

void TConsoleHost::DrawProgress() {
    if (!outputs_.progressLine || finished_ || report_.Items().empty()) return;
    const std::wstring& name = report_.Items().back().name;
    const std::wstring text =
        ProgressLineText(itemNumber_, itemCount_, name, report_.TotalCount() + itemSoFar_, ConsoleWidth());
    // Spaces cover what a longer line before left.
    const size_t covered = progressShown_;
    progressShown_ = text.size();
    Write(STD_ERROR_HANDLE, L"\r" + text + std::wstring(covered > text.size() ? covered - text.size() : 0, L' '));
}

void TConsoleHost::EraseProgress() {
    if (progressShown_ == 0) return;
    Write(STD_ERROR_HANDLE, L"\r" + std::wstring(progressShown_, L' ') + L"\r");
    progressShown_ = 0;
}

}  // namespace klarvex
