// The run as the main window sees it: what the run control asks of the
// window (IRunView), and what the runner's thread tells it.

#include <windowsx.h>

#include <algorithm>

#include "app/Main.h"
#include "app/MainLayout.h"
#include "app/MainRes.h"
#include "app/SaveLogDialog.h"
#include "base/Strings.h"
#include "base/Texts.h"
#include "cleaners/RunningBrowsers.h"
#include "dialogs/AskDelete.h"
#include "settings/Global.h"

namespace klarvex {

namespace {
constexpr UINT kTimerInterval = 500;
}  // namespace

std::vector<std::wstring> TfrmMain::CollectTickedItems() const { return catalogue_.CollectTickedItems(); }

bool TfrmMain::BrowserOpen(const KnownBrowser& browser) const { return klarvex::BrowserOpen(browser); }

void TfrmMain::ShowInfo(const std::wstring& text) {
    ModalScope modal(*this);
    ShowInfoBox(Handle(), text);
}

bool TfrmMain::ConfirmClean() {
    ModalScope modal(*this);
    TfrmAskDelete ask;
    return ask.ShowModal(Handle()) == IDYES;
}

void TfrmMain::SetTestButtonCancel(bool cancel) {
    SetItemText(IDC_TEST, LoadText(cancel ? IDS_CANCEL : IDS_TEST_BUTTON));
}

void TfrmMain::ShowProgressControls() {
    for (int id : {IDC_PROGRESS, IDC_CLEARING_LABEL, IDC_CURRENT_ITEM, IDC_TOTAL_ITEMS, IDC_NUMBER, IDC_RUN_STATUS})
        ShowWindow(Item(id), SW_SHOW);
}

void TfrmMain::ShowProgress(int32_t position, const std::wstring& caption, bool captionVisible) {
    HWND progress = Item(IDC_PROGRESS);
    SendMessageW(progress, PBM_SETPOS, static_cast<WPARAM>(position), 0);
    SetWindowTextW(progress, captionVisible ? caption.c_str() : L"");
}

void TfrmMain::SetTotalLabel(const std::wstring& text) {
    SetItemText(IDC_TOTAL_ITEMS, text);
    PlaceCountLabels(Handle(), dpi_);
}

void TfrmMain::SetNumber(int32_t count) { SetItemText(IDC_NUMBER, IntToStr(count)); }

void TfrmMain::SetStatus(const std::wstring& text) { SetItemText(IDC_RUN_STATUS, text); }

void TfrmMain::SetLogTextColor(COLORREF color) {
    logTextColor_ = color;
    InvalidateRect(Item(IDC_LOG), nullptr, TRUE);
}

void TfrmMain::ClearLog() {
    HWND log = Item(IDC_LOG);
    ListBox_ResetContent(log);
    ListBox_SetHorizontalExtent(log, 0);
}

void TfrmMain::ScrollLogToEnd() {
    HWND log = Item(IDC_LOG);
    const int count = ListBox_GetCount(log);
    if (count > 0) ListBox_SetTopIndex(log, count - 1);
}

void TfrmMain::FinishLog() {
    HWND log = Item(IDC_LOG);
    int widest = 0;
    {
        WindowDc dc(log);
        DcSelection font(dc.Get(), reinterpret_cast<HFONT>(SendMessageW(log, WM_GETFONT, 0, 0)));
        for (const auto& line : ListBoxLines(log)) {
            SIZE extent{};
            if (!line.empty() && GetTextExtentPoint32W(dc.Get(), line.c_str(), static_cast<int>(line.size()), &extent))
                widest = std::max(widest, static_cast<int>(extent.cx));
        }
    }
    ListBox_SetHorizontalExtent(log, widest + 10);
    ScrollLogToEnd();
}

bool TfrmMain::StartRunner(RunKind kind, const std::vector<std::wstring>& names, uint32_t generation,
                           bool automatic, TClearTaskThread::CleanerTable table) {
    results_.Start(kind == RunKind::Test, Settings.FastScan);
    return runners_.Start(Handle(), kind, names, generation, automatic, table);
}

void TfrmMain::ShowResults() { results_.ShowPage(TResultsView::Page::Results); }

void TfrmMain::TerminateRunner() { runners_.StopAll(); }

void TfrmMain::SetTimer(bool on) {
    if (on) ::SetTimer(Handle(), kRunTimerId, kTimerInterval, nullptr);
    else KillTimer(Handle(), kRunTimerId);
}

void TfrmMain::PostCleanStart() { PostMessageW(Handle(), WM_CLEAN_START, 0, 0); }

void TfrmMain::PostAutoRun() { PostMessageW(Handle(), WM_CLEAN_AUTORUN, 0, 0); }

void TfrmMain::HideWindow() { ShowWindow(Handle(), SW_HIDE); }

void TfrmMain::CloseWindow() { PostMessageW(Handle(), WM_CLOSE, 0, 0); }

void TfrmMain::OnRunMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    const auto generation = static_cast<uint32_t>(wParam);
    switch (message) {
        case WM_RUN_ON_UI: {
            // The runner's own bookkeeping: it runs whether or not the run
            // is still wanted.
            auto& call = *reinterpret_cast<RunUiWork*>(lParam);
            try {
                call.work();
            } catch (...) {
                call.error = std::current_exception();
            }
            break;
        }
        case WM_RUN_LOG:
            // A cancelled run still writes the item it was in; a run
            // replaced by a later one writes nothing into that one's log,
            // nor into its results.
            if (runControl_.OwnsLog(generation)) {
                const auto& line = *reinterpret_cast<const std::wstring*>(lParam);
                SendMessageW(Item(IDC_LOG), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
            }
            break;
        case WM_RUN_ENTRY:
            if (runControl_.OwnsLog(generation)) {
                const auto& entry = *reinterpret_cast<const RunEntryLine*>(lParam);
                SendMessageW(Item(IDC_LOG), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.line.c_str()));
                results_.Results().AddEntry(entry.line.substr(std::min(entry.entryAt, entry.line.size())));
            }
            break;
        case WM_RUN_RESULT:
            if (runControl_.OwnsLog(generation)) OnRunResult(*reinterpret_cast<const RunResultEvent*>(lParam));
            break;
        case WM_RUN_SCROLL_END:
            if (runControl_.OwnsLog(generation)) ScrollLogToEnd();
            break;
        case WM_RUN_CURRENT_ITEM: {
            const auto& name = *reinterpret_cast<const std::wstring*>(lParam);
            if (runControl_.OwnsLog(generation)) results_.Results().BeginItem(name);
            if (runControl_.IsCurrentRun(generation)) SetItemText(IDC_CURRENT_ITEM, name);
            break;
        }
        default:
            break;
    }
}

void TfrmMain::OnRunResult(const RunResultEvent& event) {
    TRunResults& results = results_.Results();
    switch (event.kind) {
        case RunResultEvent::Kind::ItemEnded: results.EndItem(event.count, event.bytes); break;
        case RunResultEvent::Kind::Refused: results.Refused(*event.text); break;
        case RunResultEvent::Kind::Declined: results.Declined(*event.text); break;
        case RunResultEvent::Kind::BrokenOff: results.Error(*event.text); break;
        case RunResultEvent::Kind::EntriesCut: results.EntriesCut(); return;
    }
    results_.Changed();
}

// A box a runner waits for. A run being cancelled or a window being closed
// asks nobody: the answer is No.
void TfrmMain::OnRunQuestion(uint32_t generation) {
    const std::shared_ptr<TRunLink> link = runners_.Find(generation);
    if (!link) return;
    const std::optional<RunQuestion> question = link->TakeQuestion();
    if (!question) return;
    if (!runControl_.IsCurrentRun(generation) || closing_) {
        link->Answer(false);
        return;
    }
    bool yes = false;
    {
        ModalScope modal(*this);
        switch (question->kind) {
            case RunQuestion::Kind::YesNo: yes = AskYesNoBox(Handle(), question->text); break;
            case RunQuestion::Kind::Notice: ShowInfoBox(Handle(), question->text, question->caption); break;
            case RunQuestion::Kind::Error: ShowErrorBox(Handle(), question->text); break;
        }
    }
    // Were the session ended while the box was open, the runner has had
    // its No already and this answer is not taken.
    link->Answer(yes);
    if (question->kind == RunQuestion::Kind::Error && !closing_) runControl_.OnRunBrokenOff(generation);
}

}  // namespace klarvex
