#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/ItemTree.h"
#include "app/ResultsView.h"
#include "app/RunControl.h"
#include "app/RunLink.h"
#include "app/TaskbarProgress.h"
#include "app/WindowPlacement.h"
#include "base/Handles.h"
#include "engine/Catalogue.h"
#include "ui/BossKey.h"
#include "ui/DialogBase.h"

namespace klarvex {

// The main window: the tree of clean items, the log and the results of the
// last run, the progress bar and the Test and Clean buttons. It turns the
// user's commands into runs of the clean task runner and shows what the
// runner reports. Its parts live in their own units: the layout
// (MainLayout), the tree (ItemTree), the runner bridge (RunLink), the
// results (ResultsView, ResultsChart), the placement (WindowPlacement), the
// log and results export (SaveLogDialog, SaveResultsDialog), the taskbar
// button (TaskbarProgress); what the run control asks of the window is in
// MainRunView.cpp.
class TfrmMain final : public TDialogBase, private IRunView {
public:
    explicit TfrmMain(std::wstring firstArgument);
    ~TfrmMain() override;

    static void RegisterWindowClasses(HINSTANCE instance);

    // The steps of the window's first activation (placement, -Auto, /s);
    // they run once, however often the window is activated.
    void FirstActivation();
    bool SilentStart() const { return runControl_.SilentStart(); }

    // Routes keyboard shortcuts and dialog navigation; true when the message
    // was used.
    bool PreTranslate(MSG& message);

protected:
    void OnInit() override;
    bool OnCommand(WORD id, WORD code, HWND control) override;
    bool OnNotify(const NMHDR& header, LRESULT& result) override;
    void OnTimer(UINT_PTR id) override;
    // Enter: the details of the results' row selected, when the table has
    // the focus; nothing otherwise.
    void OnOK() override;
    // Esc: a run in progress is cancelled.
    void OnCancel() override { runControl_.EscapePressed(); }
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    static constexpr UINT_PTR kRunTimerId = 1;

    // --- start-up
    void CreateTitleFont();
    void AddFastModeTooltip();
    int Scale(int pixels) const;

    // --- window messages
    // Every control placed for the client size, the results' columns too.
    void Layout();
    void OnDpiChanged(int dpi, const RECT& suggested);
    void OnPaint();
    bool OnCtlColorStatic(HDC dc, HWND control, LRESULT& result);
    bool OnCtlColorListBox(HDC dc, HWND control, LRESULT& result);
    bool OnContextMenu(HWND target, POINT at);
    void OnInitMenuPopup(HMENU menu);
    // A click in the tree; true when it was on a check box.
    bool OnTreeClick();
    void ToggleNode(HTREEITEM node);
    bool LogHasLines() const;

    // --- what the runners send
    void OnRunMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void OnRunResult(const RunResultEvent& event);
    void OnRunQuestion(uint32_t generation);

    // --- commands
    void SaveLogToFile();
    void SaveResultsToFile();
    void ShowPage(TResultsView::Page page);
    bool OnPageKey(const MSG& message);
    void OpenItemDetails(std::optional<size_t> item);
    bool OnResultsNotify(const NMHDR& header);
    void OpenCustomListsEditor();
    void OpenIndexDatViewer();
    // Shreds what the user chose or dropped, once the question that says
    // how much will go is answered Yes; nothing while a run goes on.
    void Shred(std::vector<std::wstring> paths);
    void ShowAbout();
    void OpenSettings();

    // --- closing
    void OnClose();
    void OnEndSession(bool ending);
    void EndWork(bool showErrors);

    // IRunView (MainRunView.cpp)
    std::vector<std::wstring> CollectTickedItems() const override;
    bool BrowserOpen(const KnownBrowser& browser) const override;
    void ShowInfo(const std::wstring& text) override;
    bool ConfirmClean() override;
    void SetTestButtonCancel(bool cancel) override;
    void ShowProgressControls() override;
    void ShowProgress(int32_t position, const std::wstring& caption, bool captionVisible) override;
    void ShowResults() override;
    bool ResultsTellRefusal() const override { return results_.Results().AnyRefusedOrBrokenOff(); }
    void ShowTaskbarProgress(TaskbarState state, int32_t position) override { taskbar_.Show(state, position); }
    void SetTotalLabel(const std::wstring& text) override;
    void SetNumber(int32_t count) override;
    void SetStatus(const std::wstring& text) override;
    COLORREF LogTextColor() const override { return logTextColor_; }
    COLORREF LogBackColor() const override { return GetSysColor(COLOR_WINDOW); }
    void SetLogTextColor(COLORREF color) override;
    void ClearLog() override;
    void FinishLog() override;
    bool StartRunner(RunKind kind, const std::vector<std::wstring>& names, uint32_t generation, bool automatic,
                     TClearTaskThread::CleanerTable table) override;
    void TerminateRunner() override;
    void SetTimer(bool on) override;
    void PostCleanStart() override;
    void PostAutoRun() override;
    void HideWindow() override;
    void CloseWindow() override;
    void ScrollLogToEnd();

    // A modal dialog or box of ours is open: a close request waits until it
    // has gone (the code that opened it still runs on this window).
    class ModalScope {
    public:
        explicit ModalScope(TfrmMain& window) : window_(window) { ++window_.modalDepth_; }
        ~ModalScope();
        ModalScope(const ModalScope&) = delete;
        ModalScope& operator=(const ModalScope&) = delete;

    private:
        TfrmMain& window_;
    };

    std::wstring firstArgument_;
    TCatalogue catalogue_;
    TItemTree tree_{catalogue_};
    TRunControl runControl_;
    TMainPlacement placement_;
    TRunners runners_;  // runners that may still be running
    TResultsView results_;
    TTaskbarProgress taskbar_;
    TBossKey bossKey_;
    Font titleFont_;
    Brush titleBrush_;
    HACCEL accelerators_ = nullptr;  // a resource: nothing to free
    HWND tooltip_ = nullptr;         // a child of the window: goes with it
    COLORREF logTextColor_ = 0;
    int dpi_ = 96;
    bool activated_ = false;
    bool closing_ = false;
    bool closePending_ = false;
    int modalDepth_ = 0;
};

}  // namespace klarvex
