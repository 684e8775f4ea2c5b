#pragma once

#include <windows.h>

#include <cstddef>
#include <string>
#include <string_view>

#include "cli/RunOutput.h"
#include "cli/RunReport.h"
#include "engine/RunHost.h"

namespace klarvex {

// Writes one line to standard output or standard error: UTF-16 to a
// console, UTF-8 to a file or pipe. Lines end in CR LF.
void WriteStdOut(const std::wstring& line);
void WriteStdErr(const std::wstring& line);

// Standard output for text written in blocks of many lines, line ends
// included: whether it is a console is asked once, not for every block.
class StdOutBlocks {
public:
    StdOutBlocks();
    void Write(std::wstring_view text) const;

private:
    HANDLE out_;
    bool console_;
};

// Whether standard error is a console a person watches (not a file or a
// pipe).
bool StdErrIsConsole();

// The command-line front end's side of a run: log lines go where outputs
// says, notices and errors to standard error, questions are answered
// without asking (a script is never left waiting for a click), and what
// became of each item is kept for the report. Log lines are collected and
// written in blocks: a detailed run may log a line per file, and one write
// per line would cost more than the run itself.
class TConsoleHost final : public IRunHost {
public:
    TConsoleHost(bool answerYes, RunOutputs outputs, size_t itemCount)
        : answerYes_(answerYes), outputs_(outputs), itemCount_(itemCount) {}
    ~TConsoleHost() override { Finish(); }
    TConsoleHost(const TConsoleHost&) = delete;
    TConsoleHost& operator=(const TConsoleHost&) = delete;

    // Writes the collected log lines out and takes the progress line away;
    // for when the run has ended.
    void Finish();

    bool Done() const noexcept { return done_; }
    bool BrokenOff() const noexcept { return brokenOff_; }
    const TRunResults& Report() const noexcept { return report_; }

    void AddLog(const std::wstring& line) override;
    void ScrollLogToEnd() override {}
    void SetCurrentItem(const std::wstring& name) override;
    void RunOnUiThread(const std::function<void()>& work) override { work(); }
    void PostProgress(int32_t) override {}
    void PostDone(int32_t total) override;
    void ItemProgress(int32_t itemCount) override;
    void ItemEnded(int32_t count, int64_t bytes) override;
    bool AskYesNo(const std::wstring& question) override;
    void ShowNotice(const std::wstring& text, const std::wstring& caption) override;
    void ShowError(const std::wstring& message) override;

private:
    void Flush();
    // A line to standard error, after the log lines that led to it.
    void Tell(const std::wstring& line);
    void DrawProgress();
    void EraseProgress();

    std::wstring pending_;
    bool answerYes_;
    RunOutputs outputs_;
    TRunResults report_;
    bool done_ = false;
    bool brokenOff_ = false;
    // The progress line: which item, what it has counted so far, and how
    // much of the console's line it covers now.
    size_t itemCount_;
    size_t itemNumber_ = 0;
    int32_t itemSoFar_ = 0;
    size_t progressShown_ = 0;
    bool finished_ = false;
};

}  // namespace klarvex
