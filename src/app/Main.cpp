#include "app/Main.h"

#include <shellapi.h>
#include <windowsx.h>

#include "app/About.h"
#include "app/CaptionProgress.h"
#include "app/MainLayout.h"
#include "app/MainRes.h"
#include "app/ResultsChart.h"
#include "app/ResultsTable.h"
#include "app/SaveLogDialog.h"
#include "app/SaveResultsDialog.h"
#include "app/ShredChoice.h"
#include "base/Exception.h"
#include "base/Strings.h"
#include "base/Texts.h"
#include "dialogs/IndexDatViewer.h"
#include "dialogs/ItemDetails.h"
#include "dialogs/NewCustomItem.h"
#include "dialogs/CookiesManager.h"
#include "dialogs/Options.h"
#include "engine/Catalogue.h"
#include "settings/UserFiles.h"

namespace klarvex {

namespace {

constexpr wchar_t kMainWindowClass[] = L"TfrmMain";
constexpr COLORREF kTitleBack = RGB(31, 78, 140);
constexpr COLORREF kTitleText = RGB(255, 255, 255);
// After a DPI change: the title's font back on the title, once the dialog
// manager has given every control the dialog's new font.
constexpr UINT WM_TITLE_FONT = WM_APP + 0x110;

}  // namespace

TfrmMain::TfrmMain(std::wstring firstArgument)
    : TDialogBase(IDD_MAIN),
      firstArgument_(std::move(firstArgument)),
      runControl_(*this),
      placement_([this] { return runControl_.SilentStart(); }) {}

TfrmMain::~TfrmMain() = default;

void TfrmMain::RegisterWindowClasses(HINSTANCE instance) {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_TREEVIEW_CLASSES | ICC_LINK_CLASS | ICC_STANDARD_CLASSES |
                                                        ICC_BAR_CLASSES | ICC_PROGRESS_CLASS | ICC_TAB_CLASSES |
                                                        ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    RegisterCaptionProgressClass(instance);
    RegisterResultsChartClass(instance);
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = DefDlgProcW;
    windowClass.cbWndExtra = DLGWINDOWEXTRA;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kMainWindowClass;
    RegisterClassExW(&windowClass);
}

TfrmMain::ModalScope::~ModalScope() {
    if (--window_.modalDepth_ == 0 && window_.closePending_) {
        window_.closePending_ = false;
        PostMessageW(window_.Handle(), WM_CLOSE, 0, 0);
    }
}

int TfrmMain::Scale(int pixels) const { return ScaleToDpi(pixels, dpi_); }

// ---------------------------------------------------------------- start-up

void TfrmMain::OnInit() {
    dpi_ = WindowDpi(Handle());
    placement_.Attach(Handle());
    accelerators_ = LoadAcceleratorsW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAIN_ACCEL));
    // The menu the dialog manager loaded may be of another language.
    if (HMENU menu = LoadMenuInLanguage(IDR_MAIN_MENU)) {
        const Menu loaded(GetMenu(Handle()));
        SetMenu(Handle(), menu);
    }
    logTextColor_ = GetSysColor(COLOR_WINDOWTEXT);
    titleBrush_.Reset(CreateSolidBrush(kTitleBack));

    // The designed size, centred; the stored placement follows at the
    // first activation.
    const int width = Scale(kMainDesignWidth), height = Scale(kMainDesignHeight);
    SetWindowPos(Handle(), nullptr, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                 (GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height, SWP_NOZORDER | SWP_NOACTIVATE);

    const std::wstring product = LoadText(IDS_PRODUCT_NAME);
    SetWindowTextW(Handle(), (product + L" " + LoadText(IDS_VERSION)).c_str());
    SetItemText(IDC_TITLE, product);
    SetItemText(IDC_TITLE_HINT, LoadText(IDS_TITLE_HINT));
    CreateTitleFont();
    SendMessageW(Item(IDC_PROGRESS), PBM_SETRANGE32, 0, kProgressMax);
    AddFastModeTooltip();

    FillAllApplications(catalogue_);
    try {
        LoadSaveSettings(true, catalogue_, placement_);
    } catch (const Exception& e) {
        ShowErrorBox(Handle(), e.Message());
    }
    catalogue_.RestoreExpandState();
    tree_.Build(Item(IDC_TREE), Scale(16));
    Button_SetCheck(Item(IDC_FAST_MODE), Settings.FastScan ? BST_CHECKED : BST_UNCHECKED);
    results_.Attach(Handle());
    taskbar_.Attach(Handle());
    Layout();
    bossKey_.Attach(Handle());
    // Files and folders dropped onto the window are shredded, once asked.
    DragAcceptFiles(Handle(), TRUE);
    if (Settings.EnableHotkey) {
        bossKey_.Unregister();  // what an earlier run left under the same name
        bossKey_.Register();
    }
}

void TfrmMain::CreateTitleFont() {
    LOGFONTW font{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(Handle(), WM_GETFONT, 0, 0)), sizeof(font), &font);
    font.lfHeight = -Scale(20);
    font.lfWeight = FW_BOLD;
    Font created(CreateFontIndirectW(&font));
    SendMessageW(Item(IDC_TITLE), WM_SETFONT, reinterpret_cast<WPARAM>(created.Get()), FALSE);
    // The title no longer uses the old font once it has the new one.
    titleFont_ = std::move(created);
}

void TfrmMain::Shred(std::vector<std::wstring> paths) {
    if (paths.empty() || runControl_.Running()) return;
    {
        ModalScope modal(*this);
        if (!ConfirmShred(Handle(), CountToShred(paths))) return;
    }
    runControl_.Shred(std::move(paths));
}

void TfrmMain::AddFastModeTooltip() {
    tooltip_ = AddToolTip(Handle(), Item(IDC_FAST_MODE), LoadText(IDS_FAST_MODE_HINT));
}

void TfrmMain::FirstActivation() {
    if (activated_) return;
    activated_ = true;
    const StartSwitch start = ParseStartSwitch(firstArgument_);
    // A silent start never shows the window, not even maximised.
    if (!start.silent) placement_.Apply();
    runControl_.ApplyStartSwitch(start, Settings.AutoClean);
}

// ---------------------------------------------------------------- messages

bool TfrmMain::PreTranslate(MSG& message) {
    if (!Handle()) return false;
    if (accelerators_ && TranslateAcceleratorW(Handle(), accelerators_, &message)) return true;
    if ((message.hwnd == Handle() || IsChild(Handle(), message.hwnd)) && OnPageKey(message)) return true;
    return IsDialogMessageW(Handle(), &message) != FALSE;
}

// The tabs' access keys, as the dialog manager gives controls theirs (the
// key itself went its usual way, so Alt does not open the menu after it),
// and Ctrl+Tab, Ctrl+Shift+Tab from one page to the other.
bool TfrmMain::OnPageKey(const MSG& message) {
    std::optional<TResultsView::Page> page;
    if (message.message == WM_SYSCHAR) page = results_.PageOfAccessKey(static_cast<wchar_t>(message.wParam));
    else if (message.message == WM_KEYDOWN && message.wParam == VK_TAB && GetKeyState(VK_CONTROL) < 0)
        page = results_.ShownPage() == TResultsView::Page::Results ? TResultsView::Page::Log
                                                                   : TResultsView::Page::Results;
    if (!page) return false;
    ShowPage(*page);
    return true;
}

bool TfrmMain::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
        case WM_CLEAN_AUTORUN:
            runControl_.AutoRun();
            return true;
        case WM_CLEAN_DONE:
            runControl_.OnDone(static_cast<int32_t>(wParam), static_cast<uint32_t>(lParam));
            return true;
        case WM_CLEAN_PROGRESS:
            runControl_.OnProgress(static_cast<int32_t>(wParam), static_cast<uint32_t>(lParam));
            return true;
        case WM_CLEAN_START:
            runControl_.OnCleanStart();
            return true;
        case WM_RUN_LOG:
        case WM_RUN_SCROLL_END:
        case WM_RUN_CURRENT_ITEM:
        case WM_RUN_ON_UI:
        case WM_RUN_ENTRY:
        case WM_RUN_RESULT:
            OnRunMessage(message, wParam, lParam);
            return true;
        case WM_RUN_QUESTION:
            OnRunQuestion(static_cast<uint32_t>(wParam));
            return true;
        case WM_ACTIVATE:
            if (LOWORD(wParam) != WA_INACTIVE) FirstActivation();
            return false;
        case WM_SIZE:
            Layout();
            return true;
        case WM_DPICHANGED:
            // The dialog manager still gets the message for the fonts of
            // the controls.
            OnDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
            return false;
        case WM_TITLE_FONT:
            SendMessageW(Item(IDC_TITLE), WM_SETFONT, reinterpret_cast<WPARAM>(titleFont_.Get()), TRUE);
            Layout();
            return true;
        case WM_GETMINMAXINFO:
            reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = {Scale(kMainMinWidth), Scale(kMainMinHeight)};
            return true;
        case WM_PAINT:
            OnPaint();
            return true;
        case WM_CTLCOLORSTATIC:
            return OnCtlColorStatic(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam), result);
        case WM_CTLCOLORLISTBOX:
            return OnCtlColorListBox(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam), result);
        case WM_CONTEXTMENU:
            return OnContextMenu(reinterpret_cast<HWND>(wParam), {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        case WM_INITMENUPOPUP:
            OnInitMenuPopup(reinterpret_cast<HMENU>(wParam));
            return true;
        case WM_HOTKEY:
            bossKey_.OnHotkey(wParam);
            return true;
        case WM_DROPFILES: {
            const HDROP drop = reinterpret_cast<HDROP>(wParam);
            std::vector<std::wstring> paths = DroppedPaths(drop);
            DragFinish(drop);
            Shred(std::move(paths));
            return true;
        }
        case WM_CLOSE:
            OnClose();
            return true;
        case WM_ENDSESSION:
            OnEndSession(wParam != FALSE);
            result = 0;
            return true;
        case WM_DESTROY:
            PostQuitMessage(0);
            return true;
        default:
            if (message == TTaskbarProgress::ButtonCreatedMessage()) {
                taskbar_.OnButtonCreated();
                return true;
            }
            return false;
    }
}

// Moved to a monitor of another DPI: the pixel sizes of the layout, the
// title font and the check boxes follow, and the window takes the size the
// system suggests.
void TfrmMain::Layout() {
    LayoutMainWindow(Handle(), dpi_);
    results_.FitColumns();
}

void TfrmMain::OnDpiChanged(int dpi, const RECT& suggested) {
    if (dpi > 0) dpi_ = dpi;
    CreateTitleFont();
    tree_.SetCheckBoxSize(Scale(16));
    SetWindowPos(Handle(), nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    PostMessageW(Handle(), WM_TITLE_FONT, 0, 0);
}

void TfrmMain::OnPaint() {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(Handle(), &paint);
    RECT band;
    GetClientRect(Handle(), &band);
    band.bottom = Scale(kMainTitleHeight);
    FillRect(dc, &band, titleBrush_.Get());
    EndPaint(Handle(), &paint);
}

bool TfrmMain::OnCtlColorStatic(HDC dc, HWND control, LRESULT& result) {
    const int id = GetDlgCtrlID(control);
    if (id != IDC_TITLE && id != IDC_TITLE_HINT) return false;
    SetTextColor(dc, kTitleText);
    SetBkColor(dc, kTitleBack);
    result = reinterpret_cast<LRESULT>(titleBrush_.Get());
    return true;
}

bool TfrmMain::OnCtlColorListBox(HDC dc, HWND control, LRESULT& result) {
    if (control != Item(IDC_LOG)) return false;
    SetTextColor(dc, logTextColor_);
    SetBkColor(dc, LogBackColor());
    result = reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
    return true;
}

bool TfrmMain::LogHasLines() const { return ListBox_GetCount(Item(IDC_LOG)) > 0; }

bool TfrmMain::OnContextMenu(HWND target, POINT at) {
    if (target != Item(IDC_LOG)) return false;
    const Menu menu(LoadMenuInLanguage(IDR_LOG_POPUP));
    HMENU popup = GetSubMenu(menu.Get(), 0);
    EnableMenuItem(popup, IDM_SAVE_LOG, MF_BYCOMMAND | (LogHasLines() ? MF_ENABLED : MF_GRAYED));
    if (at.x == -1 && at.y == -1) {  // from the keyboard
        RECT log;
        GetWindowRect(Item(IDC_LOG), &log);
        at = {log.left + Scale(10), log.top + Scale(10)};
    }
    TrackPopupMenu(popup, TPM_RIGHTBUTTON, at.x, at.y, 0, Handle(), nullptr);
    return true;
}

void TfrmMain::OnInitMenuPopup(HMENU menu) {
    EnableMenuItem(menu, IDM_SAVE_LOG, MF_BYCOMMAND | (LogHasLines() ? MF_ENABLED : MF_GRAYED));
    EnableMenuItem(menu, IDM_SAVE_RESULTS, MF_BYCOMMAND | (results_.Results().HasItems() ? MF_ENABLED : MF_GRAYED));
}

bool TfrmMain::OnCommand(WORD id, WORD code, HWND control) {
    switch (id) {
        case IDC_TEST:
            if (code == BN_CLICKED) runControl_.TestClick();
            return true;
        case IDC_CLEAN:
            if (code == BN_CLICKED) runControl_.CleanClick();
            return true;
        case IDC_FAST_MODE:
            if (code == BN_CLICKED) runControl_.FastModeClicked(Button_GetCheck(control) == BST_CHECKED);
            return true;
        case IDM_TEST:
            runControl_.MenuTest();
            return true;
        case IDM_CLEAN:
            runControl_.MenuClean();
            return true;
        case IDM_EXIT:
            PostMessageW(Handle(), WM_CLOSE, 0, 0);
            return true;
        case IDM_SAVE_LOG:
            if (LogHasLines()) SaveLogToFile();
            return true;
        case IDM_SAVE_RESULTS:
            if (results_.Results().HasItems()) SaveResultsToFile();
            return true;
        case IDC_SHOW_EMPTY:
            if (code == BN_CLICKED) results_.OnShowEmptyClicked();
            return true;

        case IDM_ONLINE_HELP:
            OpenWebPage(Handle(), LoadText(IDS_URL_HELP));
            return true;
        case IDM_HOME_PAGE:
            OpenWebPage(Handle(), LoadText(IDS_URL_HOME));
            return true;
        case IDM_DONATE:
            OpenWebPage(Handle(), LoadText(IDS_URL_DONATE));
            return true;
        case IDM_ABOUT:
            ShowAbout();
            return true;
        case IDM_CUSTOM_LISTS:
            OpenCustomListsEditor();
            return true;
        case IDM_COOKIES_MANAGER: {
            ModalScope modal(*this);
            TfrmCookiesManager manager;
            manager.ShowModal(Handle());
            return true;
        }
        case IDM_INDEX_DAT_VIEWER:
            OpenIndexDatViewer();
            return true;
        case IDM_SHRED_FILES:
        case IDM_SHRED_FOLDER: {
            std::vector<std::wstring> paths;
            {
                ModalScope modal(*this);
                paths = id == IDM_SHRED_FILES ? ChooseFilesToShred(Handle()) : ChooseFolderToShred(Handle());
            }
            Shred(std::move(paths));
            return true;
        }
        case IDM_SETTINGS:
            OpenSettings();
            return true;
        default:
            return TDialogBase::OnCommand(id, code, control);
    }
}

bool TfrmMain::OnNotify(const NMHDR& header, LRESULT& result) {
    switch (header.idFrom) {
        case IDC_TREE:
            if (header.code == NM_CLICK) {
                // Nonzero: the tree leaves its check box alone, the
                // catalogue has set it.
                result = OnTreeClick() ? 1 : 0;
                return true;
            }
            if (header.code == TVN_KEYDOWN && reinterpret_cast<const NMTVKEYDOWN&>(header).wVKey == VK_SPACE) {
                if (HTREEITEM node = TreeView_GetSelection(Item(IDC_TREE))) ToggleNode(node);
                result = 1;  // no incremental search for the space
                return true;
            }
            return false;
        case IDC_RESULT_TABS:
        case IDC_RESULTS_LIST:
            if (!OnResultsNotify(header)) return false;
            result = 0;
            return true;
        case IDC_ONLINE_HELP:
        case IDC_CHECK_UPDATE:
            if (header.code != NM_CLICK && header.code != NM_RETURN) return false;
            OpenWebPage(Handle(), LoadText(header.idFrom == IDC_ONLINE_HELP ? IDS_URL_HELP : IDS_URL_UPDATE));
            result = 0;
            return true;
        default:
            return false;
    }
}

bool TfrmMain::OnResultsNotify(const NMHDR& header) {
    switch (header.code) {
        case TCN_SELCHANGE:
            results_.OnTabChanged();
            return true;
        case LVN_COLUMNCLICK:
            results_.OnColumnClick(reinterpret_cast<const NMLISTVIEW&>(header).iSubItem);
            return true;
        case NM_DBLCLK:
            OpenItemDetails(results_.ItemOfRow(reinterpret_cast<const NMITEMACTIVATE&>(header).iItem));
            return true;
        default:
            return false;
    }
}

void TfrmMain::OnOK() {
    if (GetFocus() == Item(IDC_RESULTS_LIST)) OpenItemDetails(results_.SelectedItem());
}

void TfrmMain::OnTimer(UINT_PTR id) {
    if (id == kRunTimerId) runControl_.OnTimer();
}

bool TfrmMain::OnTreeClick() {
    const DWORD position = GetMessagePos();
    const TItemTree::Hit hit = tree_.HitAt({GET_X_LPARAM(position), GET_Y_LPARAM(position)});
    if (hit.part == TItemTree::HitPart::CheckBox) {
        ToggleNode(hit.node);
        return true;
    }
    if (hit.part == TItemTree::HitPart::Label && tree_.IsNewListItem(hit.node)) OpenCustomListsEditor();
    return false;
}

void TfrmMain::ToggleNode(HTREEITEM node) {
    // The ticks are the run's list of items: they stay as they are until
    // the run is over.
    if (!runControl_.Running()) tree_.Toggle(node);
}

// ---------------------------------------------------------------- commands

void TfrmMain::SaveLogToFile() {
    ModalScope modal(*this);
    SaveLogWithDialog(Handle(), Item(IDC_LOG));
}

void TfrmMain::SaveResultsToFile() {
    ModalScope modal(*this);
    SaveResultsWithDialog(Handle(), results_.Results(), results_.TestRun());
}

// A page chosen by its access key or Ctrl+Tab takes the focus with it, as a
// click on its tab would leave the focus on the tabs.
void TfrmMain::ShowPage(TResultsView::Page page) {
    results_.ShowPage(page);
    HWND target = Item(page == TResultsView::Page::Results ? IDC_RESULTS_LIST : IDC_LOG);
    FocusItem(target);
}

void TfrmMain::OpenItemDetails(std::optional<size_t> item) {
    if (!item) return;
    const ItemResult& result = results_.Results().Items().at(*item);
    // The dialog keeps its own copy: a run still going may add to the
    // results while it is open.
    TfrmItemDetails details(LoadText(IDS_DETAILS_CAPTION, {DisplayItemName(result.name)}), result.entries,
                            EntriesNote(result, results_.FastMode()));
    ModalScope modal(*this);
    details.ShowModal(Handle());
}

void TfrmMain::OpenCustomListsEditor() {
    ModalScope modal(*this);
    TfrmNewCustomItem editor(TIniFile(UserFilePath(TClearTaskThread::kCustomListsRuleFile)));
    editor.ShowModal(Handle());
}

void TfrmMain::OpenIndexDatViewer() {
    ModalScope modal(*this);
    TfrmIndexDatViewer viewer;
    viewer.ShowModal(Handle());
}

void TfrmMain::ShowAbout() {
    ModalScope modal(*this);
    TfrmAbout about;
    about.ShowModal(Handle());
}

void TfrmMain::OpenSettings() {
    ModalScope modal(*this);
    const bool fastScan = Settings.FastScan;
    TfrmOptions options(bossKey_, [this] { LoadSaveSettings(false, catalogue_, placement_); });
    // A save that failed after the settings were taken over keeps the
    // dialog open; its Cancel must not leave the check box behind.
    if (options.ShowModal(Handle()) == IDOK || Settings.FastScan != fastScan)
        Button_SetCheck(Item(IDC_FAST_MODE), Settings.FastScan ? BST_CHECKED : BST_UNCHECKED);
}

// ---------------------------------------------------------------- closing

void TfrmMain::OnClose() {
    if (closing_) return;
    if (modalDepth_ > 0) {
        // A dialog or box of ours is open, and the code that opened it
        // still runs on this window: close when it has gone.
        closePending_ = true;
        return;
    }
    EndWork(true);
    DestroyWindow(Handle());
}

// Windows is ending the session and the process with it, without a close:
// the settings are stored and the run is cancelled as at a close, whatever
// dialog is open. A runner waiting for a box that is still open gets its
// No now, so it can end before the session does.
void TfrmMain::OnEndSession(bool ending) {
    if (ending && !closing_) EndWork(false);
}

// What closing does before the window goes: the run is cancelled, the
// settings are stored, and every runner has ended.
void TfrmMain::EndWork(bool showErrors) {
    runControl_.Close();
    closing_ = true;
    tree_.StoreExpandState();
    try {
        LoadSaveSettings(false, catalogue_, placement_);
    } catch (const Exception& e) {
        if (showErrors) ShowErrorBox(Handle(), e.Message());
    }
    bossKey_.Release();
    // The runner may be in the middle of a step that cannot be broken off;
    // it reaches this window until it has ended, so the window goes only
    // then. Until that moment nobody sees it.
    ShowWindow(Handle(), SW_HIDE);
    runners_.WaitAll();
}

}  // namespace klarvex
