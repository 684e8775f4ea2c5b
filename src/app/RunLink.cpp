#include "app/RunLink.h"

#include <algorithm>

#include "cleaners/CleanerTable.h"

namespace klarvex {

void TRunLink::RunOnUiThread(const std::function<void()>& work) {
    RunUiWork call{work, nullptr};
    Send(WM_RUN_ON_UI, &call);
    if (call.error) std::rethrow_exception(call.error);
}

void TRunLink::PostProgress(int32_t count) {
    PostMessageW(window_, WM_CLEAN_PROGRESS, static_cast<WPARAM>(count), generation_);
}

void TRunLink::PostDone(int32_t total) {
    PostMessageW(window_, WM_CLEAN_DONE, static_cast<WPARAM>(total), generation_);
}

void TRunLink::AddEntryLine(const std::wstring& line, size_t entryAt) {
    const RunEntryLine entry{line, entryAt};
    Send(WM_RUN_ENTRY, &entry);
}

void TRunLink::EntriesCut() { Tell({RunResultEvent::Kind::EntriesCut}); }

void TRunLink::ItemEnded(int32_t count, int64_t bytes) { Tell({RunResultEvent::Kind::ItemEnded, count, bytes}); }

// Whatever the answer came from (the user, a cancel, a close), an item that
// went without what was asked for is told as skipped.
bool TRunLink::AskYesNo(const std::wstring& question) {
    const bool yes = Ask({RunQuestion::Kind::YesNo, question, {}});
    if (!yes) Tell({RunResultEvent::Kind::Declined, 0, 0, &question});
    return yes;
}

void TRunLink::ShowNotice(const std::wstring& text, const std::wstring& caption) {
    Tell({RunResultEvent::Kind::Refused, 0, 0, &text});
    Ask({RunQuestion::Kind::Notice, text, caption});
}

void TRunLink::ShowError(const std::wstring& message) {
    Tell({RunResultEvent::Kind::BrokenOff, 0, 0, &message});
    Ask({RunQuestion::Kind::Error, message, {}});
}

bool TRunLink::Ask(RunQuestion question) {
    std::unique_lock lock(mutex_);
    if (refusing_) return false;
    question_ = std::move(question);
    waiting_ = true;
    answer_ = false;
    lock.unlock();
    const bool posted = PostMessageW(window_, WM_RUN_QUESTION, generation_, 0) != FALSE;
    lock.lock();
    if (!posted) {
        // No window to ask: the answer is No.
        question_.reset();
        waiting_ = false;
        return false;
    }
    answered_.wait(lock, [this] { return !waiting_; });
    return answer_;
}

std::optional<RunQuestion> TRunLink::TakeQuestion() {
    const std::lock_guard lock(mutex_);
    return std::exchange(question_, std::nullopt);
}

void TRunLink::Answer(bool yes) {
    {
        const std::lock_guard lock(mutex_);
        if (!waiting_) return;
        question_.reset();
        waiting_ = false;
        answer_ = yes;
    }
    answered_.notify_all();
}

void TRunLink::AnswerNoFromNowOn() {
    {
        const std::lock_guard lock(mutex_);
        refusing_ = true;
    }
    Answer(false);
}

bool TRunners::Start(HWND window, RunKind kind, const std::vector<std::wstring>& names, uint32_t generation,
                     bool automatic, TClearTaskThread::CleanerTable table) {
    // Runners of earlier runs that have ended are let go here.
    std::erase_if(runs_, [](const Record& run) { return WaitForSingleObject(run.thread.Get(), 0) == WAIT_OBJECT_0; });
    auto link = std::make_shared<TRunLink>(window, generation);
    auto* runner = new TClearTaskThread(kind, *link, names, table);
    runner->SetAutomaticRun(automatic);
    std::stop_source stop = runner->StopSource();
    UniqueHandle thread = TClearTaskThread::Start(runner);
    if (!thread) return false;
    runs_.push_back(Record{std::move(link), std::move(stop), std::move(thread)});
    return true;
}

std::shared_ptr<TRunLink> TRunners::Find(uint32_t generation) const {
    const auto run = std::find_if(runs_.begin(), runs_.end(),
                                  [generation](const Record& r) { return r.link->Generation() == generation; });
    return run == runs_.end() ? nullptr : run->link;
}

void TRunners::StopAll() {
    // Every runner still going belongs to a run that is over or being
    // cancelled now.
    for (auto& run : runs_) {
        run.stop.request_stop();
        run.link->AnswerNoFromNowOn();
    }
}

void TRunners::WaitAll() {
    StopAll();
    for (auto& run : runs_) {
        HANDLE thread = run.thread.Get();
        while (MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_SENDMESSAGE) == WAIT_OBJECT_0 + 1) {
            MSG message;
            PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
        }
    }
    runs_.clear();
}

}  // namespace klarvex
