#pragma once

// The runner bridge: how a runner on its own thread reaches the main window.
// Log lines, the current item and the runner's own bookkeeping are sent
// (the runner waits while the window handles them, which is always short).
// A question, a notice or an error needs a box the user may leave open
// for as long as he likes: it is posted, and the runner waits for the
// answer on the link, which the window can give No at any time (a cancel,
// a close, the end of the Windows session) without closing the box first.

#include <windows.h>

#include <condition_variable>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <stop_token>
#include <string>
#include <vector>

#include "base/Handles.h"
#include "engine/ProgressThread.h"
#include "engine/RunHost.h"

namespace klarvex {

// What a runner sends the window. Each carries the generation of its run in
// wParam, by which the window tells the runs apart.
inline constexpr UINT WM_RUN_LOG = WM_APP + 0x100;           // lParam: const std::wstring*
inline constexpr UINT WM_RUN_SCROLL_END = WM_APP + 0x101;
inline constexpr UINT WM_RUN_CURRENT_ITEM = WM_APP + 0x102;  // lParam: const std::wstring*
inline constexpr UINT WM_RUN_ON_UI = WM_APP + 0x103;         // lParam: RunUiWork*
inline constexpr UINT WM_RUN_QUESTION = WM_APP + 0x104;      // posted; the question waits on the link
inline constexpr UINT WM_RUN_ENTRY = WM_APP + 0x105;         // lParam: const RunEntryLine*
inline constexpr UINT WM_RUN_RESULT = WM_APP + 0x106;        // lParam: const RunResultEvent*

// A log line that names an entry of the current item, from entryAt on.
struct RunEntryLine {
    const std::wstring& line;
    size_t entryAt;
};

// What the window's results take of the run besides the log: an item's
// end, what became of it, the end of the list of entries.
struct RunResultEvent {
    enum class Kind { ItemEnded, Refused, Declined, BrokenOff, EntriesCut };
    Kind kind;
    int32_t count = 0;
    int64_t bytes = 0;
    const std::wstring* text = nullptr;  // Refused, Declined, BrokenOff
};

// Work of the runner on the UI thread; what it throws goes back to the
// runner, whose run it breaks off, instead of into the window procedure.
struct RunUiWork {
    const std::function<void()>& work;
    std::exception_ptr error;
};

// A box a runner waits for.
struct RunQuestion {
    enum class Kind { YesNo, Notice, Error };
    Kind kind = Kind::YesNo;
    std::wstring text;
    std::wstring caption;  // notices only
};

// The window's side of one run. It lives until the runner's thread has
// ended, so the runner can always reach it.
class TRunLink final : public IRunHost {
public:
    TRunLink(HWND window, uint32_t generation) : window_(window), generation_(generation) {}

    uint32_t Generation() const noexcept { return generation_; }

    // --- the runner's thread
    void AddLog(const std::wstring& line) override { Send(WM_RUN_LOG, &line); }
    void AddEntryLine(const std::wstring& line, size_t entryAt) override;
    void EntriesCut() override;
    void ScrollLogToEnd() override { Send(WM_RUN_SCROLL_END, nullptr); }
    void SetCurrentItem(const std::wstring& name) override { Send(WM_RUN_CURRENT_ITEM, &name); }
    void RunOnUiThread(const std::function<void()>& work) override;
    void PostProgress(int32_t count) override;
    void PostDone(int32_t total) override;
    void ItemProgress(int32_t) override {}
    void ItemEnded(int32_t count, int64_t bytes) override;
    bool AskYesNo(const std::wstring& question) override;
    void ShowNotice(const std::wstring& text, const std::wstring& caption) override;
    void ShowError(const std::wstring& message) override;

    // --- the window's thread
    // The question the runner waits with, once: whoever takes it answers.
    std::optional<RunQuestion> TakeQuestion();
    // Answers the question the runner waits with (no effect when it has
    // been answered already).
    void Answer(bool yes);
    // From now on every question is answered No at once, the one the
    // runner may be waiting with included.
    void AnswerNoFromNowOn();

private:
    LRESULT Send(UINT message, const void* data) const {
        return SendMessageW(window_, message, generation_, reinterpret_cast<LPARAM>(data));
    }
    bool Ask(RunQuestion question);
    void Tell(const RunResultEvent& event) const { Send(WM_RUN_RESULT, &event); }

    HWND window_;
    uint32_t generation_;

    std::mutex mutex_;
    std::condition_variable answered_;
    std::optional<RunQuestion> question_;  // posted, not yet taken
    bool waiting_ = false;
    bool answer_ = false;
    bool refusing_ = false;
};

// The runners the window has started that may still be running.
class TRunners {
public:
    // Starts a runner for the run with that generation; false when no
    // thread could be started.
    bool Start(HWND window, RunKind kind, const std::vector<std::wstring>& names, uint32_t generation,
               bool automatic, TClearTaskThread::CleanerTable table);
    // The link of that run while its runner may still be running.
    std::shared_ptr<TRunLink> Find(uint32_t generation) const;
    // Every runner is asked to stop; what they ask is answered No.
    void StopAll();
    // Stops every runner and waits until all have ended, handling what they
    // send meanwhile (a runner blocked in SendMessage to the window could
    // never end if the window simply waited).
    void WaitAll();

private:
    struct Record {
        std::shared_ptr<TRunLink> link;
        std::stop_source stop;
        UniqueHandle thread;
    };
    std::vector<Record> runs_;
};

}  // namespace klarvex
