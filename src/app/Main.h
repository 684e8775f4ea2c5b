#pragma once

#include <windows.h>

#include <commctrl.h>

#include <memory>
#include <stop_token>
#include <string>
#include <vector>

#include "app/Catalogue.h"
#include "app/DialogBase.h"
#include "app/RunControl.h"
#include "base/Handles.h"
#include "settings/Global.h"

namespace klarvex {

class TRunLink;

// The main window: the tree of clean items, the log, the progress bar and
// the Test and Clean buttons. It turns the user's commands into runs of the
// clean task runner and shows what the runner reports.
class TfrmMain final : public TDialogBase, private IRunView, private ISettingsWindow {
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
    void OnOK() override {}
    void OnCancel() override {}
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    friend class TRunLink;

    // --- start-up and layout
    void CreateFonts();
    void CreateStateImages();
    void BuildTree();
    void ApplyPlacement();
    void LayoutControls();
    void PlaceCountLabels();
    int Scale(int pixels) const;

    // --- tree
    void OnTreeClick();
    void ToggleNode(HTREEITEM node);
    void RefreshTreeTicks();
    void CollectExpandState();

    // --- commands
    void SaveLogToFile();
    void OpenCustomListsEditor();
    void ShowAbout();
    void OnClose();
    void EndWork(bool showErrors);
    void WaitForRunners();
    void OnRunMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    void ScrollLogToEnd();

    // IRunView
    std::vector<std::wstring> CollectTickedItems() const override;
    bool IsCategoryTicked(const std::wstring& category) const override;
    bool WindowClassExists(const wchar_t* className) const override;
    void ShowInfo(const std::wstring& text) override;
    bool ConfirmClean() override;
    void SetTestButtonCancel(bool cancel) override;
    void ShowProgressControls() override;
    void ShowProgress(int32_t position, const std::wstring& caption, bool captionVisible) override;
    void SetTotalLabel(const std::wstring& text) override;
    void SetNumber(int32_t count) override;
    COLORREF LogTextColor() const override { return logTextColor_; }
    COLORREF LogBackColor() const override { return GetSysColor(COLOR_WINDOW); }
    void SetLogTextColor(COLORREF color) override;
    void ClearLog() override;
    void FinishLog() override;
    bool StartRunner(RunKind kind, const std::vector<std::wstring>& names, uint32_t generation,
                     bool automatic) override;
    void TerminateRunner() override;
    void SetTimer(bool on) override;
    void PostCleanStart() override;
    void PostAutoRun() override;
    void HideWindow() override;
    void CloseWindow() override;

    // ISettingsWindow
    WindowBounds Bounds() const override;
    int32_t ScreenWidth() const override;
    int32_t ScreenHeight() const override;
    UINT PlacementShowCmd() const override;

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

    struct RunRecord {
        std::unique_ptr<TRunLink> link;
        std::stop_source stop;
        UniqueHandle thread;
    };

    std::wstring firstArgument_;
    TCatalogue catalogue_;
    TRunControl runControl_;
    std::vector<RunRecord> runs_;  // runners that may still be running
    std::vector<HTREEITEM> categoryNodes_;
    std::vector<std::vector<HTREEITEM>> itemNodes_;
    HIMAGELIST stateImages_ = nullptr;
    HFONT titleFont_ = nullptr;
    HBRUSH titleBrush_ = nullptr;
    HACCEL accelerators_ = nullptr;
    HWND tooltip_ = nullptr;
    COLORREF logTextColor_ = 0;
    int dpi_ = 96;
    bool activated_ = false;
    bool closing_ = false;
    bool closePending_ = false;
    int modalDepth_ = 0;
};

}  // namespace klarvex
