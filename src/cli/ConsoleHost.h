#pragma once

#include <string>

#include "engine/RunHost.h"

namespace klarvex {

// Writes one line to standard output or standard error: UTF-16 to a
// console, UTF-8 to a file or pipe. Lines end in CR LF.
void WriteStdOut(const std::wstring& line);
void WriteStdErr(const std::wstring& line);

// The command-line front end's side of a run: log lines go to standard
// output, notices and errors to standard error, questions are answered
// without asking (a script is never left waiting for a click). Log lines
// are collected and written in blocks: a detailed run may log a line per
// file, and one write per line would cost more than the run itself.
class TConsoleHost final : public IRunHost {
public:
    explicit TConsoleHost(bool answerYes) : answerYes_(answerYes) {}
    ~TConsoleHost() override { Flush(); }
    TConsoleHost(const TConsoleHost&) = delete;
    TConsoleHost& operator=(const TConsoleHost&) = delete;

    // Writes the collected log lines out.
    void Flush();

    bool Done() const noexcept { return done_; }
    bool BrokenOff() const noexcept { return brokenOff_; }

    void AddLog(const std::wstring& line) override;
    void ScrollLogToEnd() override {}
    void SetCurrentItem(const std::wstring&) override {}
    void RunOnUiThread(const std::function<void()>& work) override { work(); }
    void PostProgress(int32_t) override {}
    void PostDone(int32_t) override;
    bool AskYesNo(const std::wstring& question) override;
    void ShowNotice(const std::wstring& text, const std::wstring& caption) override;
    void ShowError(const std::wstring& message) override;

private:
    std::wstring pending_;
    bool answerYes_;
    bool done_ = false;
    bool brokenOff_ = false;
};

}  // namespace klarvex
