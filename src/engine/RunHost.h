#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace klarvex {

// Messages between a run and the main window; the numbers are fixed.
inline constexpr unsigned WM_CLEAN_AUTORUN = 0x2407;
inline constexpr unsigned WM_CLEAN_DONE = 0x2409;      // wParam = the run's total
inline constexpr unsigned WM_CLEAN_PROGRESS = 0x2410;  // wParam = a count of entries
inline constexpr unsigned WM_CLEAN_START = 0x2411;

// The most entries a run hands its host by AddEntryLine; the lines of the
// entries after them go through AddLog.
inline constexpr size_t kMaxListedEntries = 100000;

// What a run needs of the front end that started it. The main window
// implements it with messages to itself; the command-line front end prints.
// Every call comes from the run's thread.
class IRunHost {
public:
    virtual ~IRunHost() = default;

    // Appends one line to the log, synchronously.
    virtual void AddLog(const std::wstring& line) = 0;
    // A log line that names one entry the current item takes (a file, a
    // registry key or value, an address), whose text starts at entryAt: for
    // a front end that lists them. A run hands at most kMaxListedEntries,
    // then tells EntriesCut once and logs the others as plain lines.
    virtual void AddEntryLine(const std::wstring& line, size_t /*entryAt*/) { AddLog(line); }
    virtual void EntriesCut() {}
    // Scrolls the log to its last line.
    virtual void ScrollLogToEnd() = 0;
    // Shows the item being cleared.
    virtual void SetCurrentItem(const std::wstring& name) = 0;
    // Runs work on the UI thread and returns when it has run.
    virtual void RunOnUiThread(const std::function<void()>& work) = 0;
    // WM_CLEAN_PROGRESS and WM_CLEAN_DONE; never waited for.
    virtual void PostProgress(int32_t count) = 0;
    virtual void PostDone(int32_t total) = 0;
    // For a front end that tells the run item by item (the window reads it
    // all from the log): the current item's count of entries so far, with
    // each progress post while it runs; and its end, with what it counted
    // (entries, file bytes). An item broken off by an error never ends.
    virtual void ItemProgress(int32_t itemCount) = 0;
    virtual void ItemEnded(int32_t count, int64_t bytes) = 0;
    // A Yes/No question (No is the default answer).
    virtual bool AskYesNo(const std::wstring& question) = 0;
    // A notice the user should read, in a box with that caption.
    virtual void ShowNotice(const std::wstring& text, const std::wstring& caption) = 0;
    // The run was broken off by an error; its log line is already written.
    virtual void ShowError(const std::wstring& message) = 0;
};

}  // namespace klarvex
