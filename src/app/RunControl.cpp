#include "app/RunControl.h"

#include <algorithm>

#include "base/Strings.h"
#include "base/Texts.h"
#include "cleaners/CleanerTable.h"
#include "cleaners/RunningBrowsers.h"
#include "settings/Global.h"

namespace klarvex {

StartSwitch ParseStartSwitch(const std::wstring& firstArgument) {
    StartSwitch start;
    start.autoClean = firstArgument == L"-Auto";
    start.silent = CompareStringOrdinal(firstArgument.c_str(), -1, L"/s", -1, TRUE) == CSTR_EQUAL;
    return start;
}

void TRunControl::TestClick() {
    if (testIsCancel_) {
        Cancel();
        return;
    }
    // The button reads "Test" while the confirmation of a Clean is open;
    // a Test must not take over that run.
    if (running_) return;
    shredPaths_.clear();
    runMode_ = rmTest;
    StartRun();
}

void TRunControl::CleanClick() {
    if (running_) return;
    shredPaths_.clear();
    preCountTotal_ = 0;
    runMode_ = rmCleanRequested;
    StartRun();
}

// The menu's Test starts a Test like the button, but never cancels: a
// shortcut pressed twice must not break off the run it just started.
void TRunControl::MenuTest() {
    if (running_) return;
    TestClick();
}

void TRunControl::MenuClean() { CleanClick(); }

void TRunControl::Shred(std::vector<std::wstring> paths) {
    if (running_ || paths.empty()) return;
    shredPaths_ = std::move(paths);
    preCountTotal_ = 0;
    runMode_ = rmCleanRequested;
    StartRun();
}

void TRunControl::EscapePressed() {
    if (testIsCancel_) Cancel();
}

void TRunControl::AutoRun() {
    if (running_) return;
    shredPaths_.clear();
    runMode_ = rmAuto;
    StartRun();
    if (silentStart_ && running_) view_.SetTimer(true);
}

// FastScan follows the check box at once, except while a counting pass runs:
// that pass stays in fast mode, and the choice is what the removal run and
// the settings file get once it has ended or been cancelled.
void TRunControl::FastModeClicked(bool checked) {
    if (running_ && CountingPass()) savedFastScan_ = checked;
    else Settings.FastScan = checked;
}

void TRunControl::ApplyStartSwitch(const StartSwitch& start, bool autoCleanSetting) {
    if (start.autoClean && autoCleanSetting) view_.PostAutoRun();
    if (start.silent) {
        silentStart_ = true;
        view_.HideWindow();
        view_.PostAutoRun();
    }
}

void TRunControl::StartRun() {
    const bool shredding = !shredPaths_.empty();
    tickedNames_ = shredding ? shredPaths_ : view_.CollectTickedItems();
    // A silent start that cannot run ends the program: a hidden window
    // nobody can reach must not be left behind.
    auto refuse = [this] {
        if (silentStart_) view_.CloseWindow();
    };
    if (tickedNames_.empty()) {
        if (runMode_ != rmAuto) view_.ShowInfo(LoadText(IDS_NOTHING_TICKED));
        refuse();
        return;
    }
    if (running_) return;

    if (runMode_ != rmClean && !shredding) {
        if (runMode_ != rmTest) {
            const std::wstring refusal = RunningBrowserRefusal(
                tickedNames_, [this](const KnownBrowser& browser) { return view_.BrowserOpen(browser); });
            if (!refusal.empty()) {
                ShowEndOnTaskbar(true);
                view_.ShowInfo(refusal);
                refuse();
                return;
            }
        }
        running_ = true;
        if (Settings.AskForSweep && runMode_ != rmTest && !view_.ConfirmClean()) {
            running_ = false;
            refuse();
            return;
        }
    }

    running_ = true;
    testIsCancel_ = true;
    view_.SetTestButtonCancel(true);
    if (!progressShown_) {
        progressShown_ = true;
        view_.ShowProgressControls();
    }

    if (runMode_ == rmCleanRequested) {
        // The counting pass: listed invisibly, always in fast mode.
        savedLogColor_ = view_.LogTextColor();
        view_.SetLogTextColor(view_.LogBackColor());
        SetProgressCaption(LoadText(IDS_PREPARE_TO_CLEAN), true);
        savedFastScan_ = Settings.FastScan;
        Settings.FastScan = true;
        runMode_ = rmTest;
    } else {
        SetProgressPosition(0);
        SetProgressCaption(progressCaption_, false);
    }
    if (runMode_ == rmClean) SetProgressCaption(progressCaption_, true);

    view_.ClearLog();
    const bool test = runMode_ == rmTest;
    totalLabel_ = LoadText(test ? IDS_TOTAL_LABEL_TEST : IDS_TOTAL_LABEL_CLEAN);
    view_.SetTotalLabel(totalLabel_);
    view_.SetNumber(0);

    const uint32_t generation = ++lastGeneration_ == 0 ? ++lastGeneration_ : lastGeneration_;
    activeGeneration_ = generation;
    if (!view_.StartRunner(test ? RunKind::Test : RunKind::Clean, tickedNames_, generation, runMode_ == rmAuto,
                           shredding ? ShredderFor : CleanerFor)) {
        activeGeneration_ = 0;
        if (CountingPass()) {
            view_.SetLogTextColor(savedLogColor_);
            Settings.FastScan = savedFastScan_;
        }
        ResetToIdle();
        return;
    }

    brokenOff_ = false;
    ShowRunOnTaskbar();
    progressStep_ = test ? 50 : 20;
    if (test && view_.LogTextColor() != view_.LogBackColor()) view_.SetTimer(true);
}

bool TRunControl::CountingPass() const { return progressCaption_ == LoadText(IDS_PREPARE_TO_CLEAN); }

void TRunControl::Cancel() {
    const bool countingPass = running_ && CountingPass();
    view_.TerminateRunner();
    activeGeneration_ = 0;
    cleanStartPending_ = false;
    ResetToIdle();
    if (countingPass) {
        view_.SetLogTextColor(savedLogColor_);
        Settings.FastScan = savedFastScan_;
    }
    SetStatus(LoadText(IDS_CANCELLED));
    // What ran before the cancel is a result too; a counting pass has none
    // to show. A run broken off keeps its red button.
    if (runMode_ == rmAuto) return;
    if (!countingPass) view_.ShowResults();
    if (!brokenOff_) ShowEndOnTaskbar(false);
}

void TRunControl::ResetToIdle() {
    shredPaths_.clear();
    testIsCancel_ = false;
    view_.SetTestButtonCancel(false);
    view_.SetTimer(false);
    running_ = false;
}

void TRunControl::OnProgress(int32_t count, uint32_t generation) {
    if (!IsCurrentRun(generation)) return;
    view_.SetNumber(count);
    if (runMode_ == rmClean && preCountTotal_ != 0) {
        // 64-bit, so that a long run cannot wrap the share round to a
        // negative position; a run that finds more than the counting pass
        // counted keeps the bar full.
        const int64_t share = int64_t{count} * kProgressMax / preCountTotal_;
        SetProgressPosition(static_cast<int32_t>(std::clamp<int64_t>(share, 0, kProgressMax)));
        ShowRunOnTaskbar();
    }
}

void TRunControl::OnDone(int32_t total, uint32_t generation) {
    if (!running_ || !IsCurrentRun(generation)) return;
    activeGeneration_ = 0;
    if (CountingPass()) {
        preCountTotal_ = total;
        view_.ClearLog();
        cleanStartPending_ = true;
        view_.PostCleanStart();
        return;
    }
    testIsCancel_ = false;
    view_.SetTestButtonCancel(false);
    view_.FinishLog();
    view_.SetTimer(false);
    SetProgressPosition(kProgressMax);
    SetProgressCaption(LoadText(IDS_FINISHED), true);
    view_.SetNumber(total);
    SetStatus(LoadText(IDS_FINISHED) + L" " + totalLabel_ + IntToStr(total));
    running_ = false;
    shredPaths_.clear();
    if (runMode_ != rmAuto) {
        view_.ShowResults();
        ShowEndOnTaskbar(view_.ResultsTellRefusal());
    }
    if (silentStart_) view_.CloseWindow();
}

void TRunControl::OnCleanStart() {
    // Ignored when the Clean was cancelled after its counting pass ended.
    if (!running_ || !cleanStartPending_) return;
    cleanStartPending_ = false;
    view_.SetLogTextColor(savedLogColor_);
    Settings.FastScan = savedFastScan_;
    runMode_ = rmClean;
    running_ = false;
    StartRun();
}

void TRunControl::OnTimer() {
    int32_t position = progressPosition_ + progressStep_;
    if (position > kProgressMax - 1) position = 0;
    SetProgressPosition(position);
}

void TRunControl::OnRunBrokenOff(uint32_t generation) {
    if (!IsCurrentRun(generation)) return;
    // The window keeps its running state until Cancel; only a silent start,
    // which has no visible window to cancel from, ends here.
    if (silentStart_) view_.CloseWindow();
    if (runMode_ == rmAuto) return;
    brokenOff_ = true;
    view_.ShowResults();
    ShowEndOnTaskbar(true);
}

void TRunControl::Close() {
    if (testIsCancel_ || running_) Cancel();
}

void TRunControl::ShowRunOnTaskbar() {
    if (runMode_ == rmAuto) return;
    if (runMode_ == rmClean && preCountTotal_ != 0) view_.ShowTaskbarProgress(TaskbarState::Normal, progressPosition_);
    else view_.ShowTaskbarProgress(TaskbarState::Moving, 0);
}

void TRunControl::ShowEndOnTaskbar(bool refused) {
    if (runMode_ == rmAuto) return;
    view_.ShowTaskbarProgress(refused ? TaskbarState::Error : TaskbarState::None, kProgressMax);
}

void TRunControl::SetProgressPosition(int32_t position) {
    progressPosition_ = position;
    progressCaption_ = IntToStr(int64_t{position} * 100 / kProgressMax) + L"%";
    ShowProgressState();
}

void TRunControl::SetProgressCaption(const std::wstring& caption, bool visible) {
    progressCaption_ = caption;
    progressCaptionVisible_ = visible;
    ShowProgressState();
}

void TRunControl::ShowProgressState() {
    view_.ShowProgress(progressPosition_, progressCaption_, progressCaptionVisible_);
    SetStatus(progressCaptionVisible_ ? progressCaption_ : std::wstring());
}

// Only a change is passed on: a screen reader may read out every one.
void TRunControl::SetStatus(const std::wstring& text) {
    if (text == status_) return;
    status_ = text;
    view_.SetStatus(text);
}

}  // namespace klarvex
