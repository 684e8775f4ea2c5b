#pragma once

// The run control of the main window without the window: which run is
// going, what the Test button and the progress bar show, and what happens
// when a run ends. The window supplies the view; the unit tests a fake one.

#include <cstdint>
#include <string>
#include <vector>

#include <windows.h>

#include "engine/ProgressThread.h"

namespace klarvex {

struct KnownBrowser;

enum TRunMode { rmClean = 0, rmAuto = 1, rmTest = 2, rmCleanRequested = 3 };

inline constexpr int32_t kProgressMax = 1000;

// What the window's taskbar button shows of a run: nothing, a bar that
// moves without an end (a Test, the counting pass), a share done (a
// Clean), or a full red bar (the run was refused or broken off).
enum class TaskbarState { None, Moving, Normal, Error };

// What the run control needs of the main window.
class IRunView {
public:
    virtual ~IRunView() = default;

    virtual std::vector<std::wstring> CollectTickedItems() const = 0;
    // True when a window of the browser's own is open.
    virtual bool BrowserOpen(const KnownBrowser& browser) const = 0;

    virtual void ShowInfo(const std::wstring& text) = 0;
    // The confirmation dialog; true when it closes with Yes.
    virtual bool ConfirmClean() = 0;

    virtual void SetTestButtonCancel(bool cancel) = 0;
    virtual void ShowProgressControls() = 0;
    // The bar's position, and its caption (drawn only while visible).
    virtual void ShowProgress(int32_t position, const std::wstring& caption, bool captionVisible) = 0;
    virtual void SetTotalLabel(const std::wstring& text) = 0;
    virtual void SetNumber(int32_t count) = 0;
    // The run's state as plain text, beside what the bar paints: for
    // screen readers, and for whoever reads rather than looks.
    virtual void SetStatus(const std::wstring& text) = 0;

    // The run has ended (or was cancelled, or broken off): its results
    // show in place of the log.
    virtual void ShowResults() = 0;
    // An item of the run was refused, or the run was broken off in one.
    virtual bool ResultsTellRefusal() const = 0;
    virtual void ShowTaskbarProgress(TaskbarState state, int32_t position) = 0;

    virtual COLORREF LogTextColor() const = 0;
    virtual COLORREF LogBackColor() const = 0;
    virtual void SetLogTextColor(COLORREF color) = 0;
    virtual void ClearLog() = 0;
    // End of a run: widest line as horizontal extent, last line in view.
    virtual void FinishLog() = 0;

    // Starts a runner for the run with that generation (automatic: a clean
    // started by -Auto or /s, which shows no notices) of names through
    // table; false when no thread could be started.
    virtual bool StartRunner(RunKind kind, const std::vector<std::wstring>& names, uint32_t generation,
                             bool automatic, TClearTaskThread::CleanerTable table) = 0;
    virtual void TerminateRunner() = 0;
    virtual void SetTimer(bool on) = 0;
    virtual void PostCleanStart() = 0;
    virtual void PostAutoRun() = 0;
    virtual void HideWindow() = 0;
    virtual void CloseWindow() = 0;
};

// How the program was started, from its first command-line argument.
struct StartSwitch {
    bool autoClean = false;  // "-Auto", exactly
    bool silent = false;     // "/s", any case
};
StartSwitch ParseStartSwitch(const std::wstring& firstArgument);

class TRunControl {
public:
    explicit TRunControl(IRunView& view) : view_(view) {}

    // The buttons, the Action menu and the automatic start.
    void TestClick();
    void CleanClick();
    void MenuTest();
    void MenuClean();
    // Esc in the window: cancels a run in progress, like the Cancel button.
    void EscapePressed();
    void AutoRun();
    // Destroys the files and folders at paths, which the user was asked
    // about already: a Clean of them (ShredderFor), counted first as every
    // Clean is.
    void Shred(std::vector<std::wstring> paths);
    // The Fast Mode check box was set or cleared.
    void FastModeClicked(bool checked);

    // First activation of the window: the start switch and the auto-clean
    // setting.
    void ApplyStartSwitch(const StartSwitch& start, bool autoCleanSetting);

    // Messages of the run with that generation; those of an earlier run
    // (cancelled, or replaced by a later one) are ignored.
    void OnProgress(int32_t count, uint32_t generation);
    void OnDone(int32_t total, uint32_t generation);
    void OnCleanStart();
    void OnTimer();
    // The run was broken off by an error (the box has been shown).
    void OnRunBrokenOff(uint32_t generation);

    // Closing the window: a run in progress is cancelled.
    void Close();

    bool IsCurrentRun(uint32_t generation) const { return generation != 0 && generation == activeGeneration_; }
    // True while the log shows that run: from its start until the next
    // run starts, a cancel included. A cancelled runner still finishes the
    // item it was in, and its lines and the item's summary belong there;
    // nothing of it reaches a later run's log.
    bool OwnsLog(uint32_t generation) const { return generation != 0 && generation == lastGeneration_; }
    bool Running() const { return running_; }
    bool SilentStart() const { return silentStart_; }
    TRunMode RunMode() const { return runMode_; }
    int32_t PreCountTotal() const { return preCountTotal_; }
    int32_t ProgressStep() const { return progressStep_; }
    bool TestButtonIsCancel() const { return testIsCancel_; }
    const std::wstring& ProgressCaption() const { return progressCaption_; }
    int32_t ProgressPosition() const { return progressPosition_; }

private:
    void StartRun();
    void Cancel();
    bool CountingPass() const;
    void SetProgressPosition(int32_t position);
    void SetProgressCaption(const std::wstring& caption, bool visible);
    void ShowProgressState();
    void SetStatus(const std::wstring& text);
    void ResetToIdle();
    // The taskbar button while a run goes, and when it has ended; never for
    // an automatic run (-Auto, /s), which shows what it always showed.
    void ShowRunOnTaskbar();
    void ShowEndOnTaskbar(bool refused);

    IRunView& view_;
    std::vector<std::wstring> tickedNames_;
    std::vector<std::wstring> shredPaths_;  // the run shreds these instead of running the ticked items
    bool silentStart_ = false;
    int32_t progressStep_ = 0;
    COLORREF savedLogColor_ = 0;
    bool savedFastScan_ = false;
    TRunMode runMode_ = rmClean;
    bool running_ = false;
    int32_t preCountTotal_ = 0;

    bool testIsCancel_ = false;
    bool progressShown_ = false;
    int32_t progressPosition_ = 0;
    std::wstring progressCaption_;
    bool progressCaptionVisible_ = false;
    std::wstring totalLabel_;
    std::wstring status_;  // what the view was last told
    uint32_t lastGeneration_ = 0;    // the run whose lines the log shows
    uint32_t activeGeneration_ = 0;  // 0: no runner of ours is running
    bool cleanStartPending_ = false;  // a counting pass has ended, WM_CLEAN_START is on its way
    bool brokenOff_ = false;          // the run was broken off by an error
};

}  // namespace klarvex
