#include "app/Main.h"

#include <commdlg.h>
#include <windowsx.h>

#include <algorithm>
#include <exception>
#include <functional>

#include "app/About.h"
#include "app/CaptionProgress.h"
#include "app/MainRes.h"
#include "app/SaveLog.h"
#include "base/Exception.h"
#include "base/Strings.h"
#include "base/Texts.h"
#include "dialogs/AskDelete.h"
#include "engine/ProgressThread.h"

namespace klarvex {

namespace {

constexpr wchar_t kMainWindowClass[] = L"TfrmMain";
constexpr int kDesignWidth = 692;
constexpr int kDesignHeight = 507;
constexpr int kMinWidth = 610;
constexpr int kMinHeight = 400;
constexpr int kTitleHeight = 50;
constexpr int kPanelHeight = 30;
constexpr UINT_PTR kTimerId = 1;
constexpr UINT kTimerInterval = 500;
constexpr UINT kLinkGetIdealSize = WM_USER + 0x301;  // LM_GETIDEALSIZE

// What a runner sends the window. Each carries the generation of its run in
// wParam; the window drops what a cancelled run still writes.
constexpr UINT WM_RUN_LOG = WM_APP + 0x100;          // lParam: const std::wstring*
constexpr UINT WM_RUN_SCROLL_END = WM_APP + 0x101;
constexpr UINT WM_RUN_CURRENT_ITEM = WM_APP + 0x102;  // lParam: const std::wstring*
constexpr UINT WM_RUN_ON_UI = WM_APP + 0x103;         // lParam: UiWork*
constexpr UINT WM_RUN_ASK = WM_APP + 0x104;           // lParam: const std::wstring*; result 1 = Yes
constexpr UINT WM_RUN_NOTICE = WM_APP + 0x105;        // lParam: const RunNotice*
constexpr UINT WM_RUN_ERROR = WM_APP + 0x106;         // lParam: const std::wstring*
// After a DPI change: the title's font back on the title, once the dialog
// manager has given every control the dialog's new font.
constexpr UINT WM_TITLE_FONT = WM_APP + 0x110;

// Work of the runner on the UI thread; what it throws goes back to the
// runner, whose run it breaks off, instead of into the window procedure.
struct UiWork {
    const std::function<void()>& work;
    std::exception_ptr error;
};

struct RunNotice {
    const std::wstring& text;
    const std::wstring& caption;
};

// Tree node <-> catalogue position: the category index in the high word,
// the item index + 1 in the low word (0 for the category itself).
LPARAM NodeParam(size_t category, size_t itemPlusOne) {
    return static_cast<LPARAM>((category << 16) | itemPlusOne);
}
size_t NodeCategory(LPARAM param) { return static_cast<size_t>(param) >> 16; }
size_t NodeItemPlusOne(LPARAM param) { return static_cast<size_t>(param) & 0xFFFF; }

std::wstring WindowText(HWND window) {
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

// The check-box pair of the tree: state image 1 unticked, 2 ticked (image
// 0 is never shown).
HIMAGELIST CreateCheckBoxImages(int size) {
    HIMAGELIST list = ImageList_Create(size, size, ILC_COLOR24, 3, 0);
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HPEN frame = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNSHADOW));
    HPEN tick = CreatePen(PS_SOLID, std::max(2, size / 8), GetSysColor(COLOR_WINDOWTEXT));
    for (int image = 0; image < 3; ++image) {
        HBITMAP bitmap = CreateCompatibleBitmap(screen, size, size);
        HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
        RECT all{0, 0, size, size};
        FillRect(dc, &all, GetSysColorBrush(COLOR_WINDOW));
        if (image > 0) {
            const int a = size / 8, b = size - size / 8 - 1;
            HGDIOBJ oldPen = SelectObject(dc, frame);
            HGDIOBJ oldBrush = SelectObject(dc, GetSysColorBrush(COLOR_WINDOW));
            Rectangle(dc, a, a, b + 1, b + 1);
            if (image == 2) {
                SelectObject(dc, tick);
                const int w = b - a;
                MoveToEx(dc, a + w / 5, a + w / 2, nullptr);
                LineTo(dc, a + w * 2 / 5, a + w * 3 / 4);
                LineTo(dc, a + w * 4 / 5, a + w / 4);
            }
            SelectObject(dc, oldBrush);
            SelectObject(dc, oldPen);
        }
        SelectObject(dc, oldBitmap);
        ImageList_Add(list, bitmap, nullptr);
        DeleteObject(bitmap);
    }
    DeleteObject(frame);
    DeleteObject(tick);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return list;
}

}  // namespace

// The main window's side of one run. It lives until the runner's thread has
// ended, so the runner can always reach it; what it sends the window carries
// the run's generation, by which the window knows a cancelled run's calls.
class TRunLink final : public IRunHost {
public:
    TRunLink(HWND window, uint32_t generation) : window_(window), generation_(generation) {}

    void AddLog(const std::wstring& line) override { Send(WM_RUN_LOG, &line); }
    void ScrollLogToEnd() override { Send(WM_RUN_SCROLL_END, nullptr); }
    void SetCurrentItem(const std::wstring& name) override { Send(WM_RUN_CURRENT_ITEM, &name); }
    void RunOnUiThread(const std::function<void()>& work) override {
        UiWork call{work, nullptr};
        Send(WM_RUN_ON_UI, &call);
        if (call.error) std::rethrow_exception(call.error);
    }
    void PostProgress(int32_t count) override {
        PostMessageW(window_, WM_CLEAN_PROGRESS, static_cast<WPARAM>(count), generation_);
    }
    void PostDone(int32_t total) override {
        PostMessageW(window_, WM_CLEAN_DONE, static_cast<WPARAM>(total), generation_);
    }
    bool AskYesNo(const std::wstring& question) override { return Send(WM_RUN_ASK, &question) == 1; }
    void ShowNotice(const std::wstring& text, const std::wstring& caption) override {
        const RunNotice notice{text, caption};
        Send(WM_RUN_NOTICE, &notice);
    }
    void ShowError(const std::wstring& message) override { Send(WM_RUN_ERROR, &message); }

private:
    LRESULT Send(UINT message, const void* data) {
        return SendMessageW(window_, message, generation_, reinterpret_cast<LPARAM>(data));
    }

    HWND window_;
    uint32_t generation_;
};

TfrmMain::TfrmMain(std::wstring firstArgument)
    : TDialogBase(IDD_MAIN), firstArgument_(std::move(firstArgument)), runControl_(*this) {}

TfrmMain::~TfrmMain() {
    if (stateImages_) ImageList_Destroy(stateImages_);
    if (titleFont_) DeleteObject(titleFont_);
    if (titleBrush_) DeleteObject(titleBrush_);
}

void TfrmMain::RegisterWindowClasses(HINSTANCE instance) {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_TREEVIEW_CLASSES | ICC_LINK_CLASS | ICC_STANDARD_CLASSES |
                                                        ICC_BAR_CLASSES | ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    RegisterCaptionProgressClass(instance);
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

int TfrmMain::Scale(int pixels) const { return MulDiv(pixels, dpi_, 96); }

// ---------------------------------------------------------------- start-up

namespace {

// The window's own DPI (per monitor on Windows 10 and later; the system's
// DPI where the call does not exist).
int WindowDpi(HWND window) {
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow = reinterpret_cast<GetDpiForWindowFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    if (getDpiForWindow)
        if (const UINT dpi = getDpiForWindow(window)) return static_cast<int>(dpi);
    HDC screen = GetDC(window);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(window, screen);
    return dpi > 0 ? dpi : 96;
}

}  // namespace

void TfrmMain::OnInit() {
    dpi_ = WindowDpi(Handle());
    accelerators_ = LoadAcceleratorsW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAIN_ACCEL));
    logTextColor_ = GetSysColor(COLOR_WINDOWTEXT);

    // The designed size, centred; the stored placement follows at the
    // first activation.
    const int width = Scale(kDesignWidth), height = Scale(kDesignHeight);
    SetWindowPos(Handle(), nullptr, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                 (GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height, SWP_NOZORDER | SWP_NOACTIVATE);

    const std::wstring product = LoadText(IDS_PRODUCT_NAME);
    SetWindowTextW(Handle(), (product + L" " + LoadText(IDS_VERSION)).c_str());
    SetItemText(IDC_TITLE, product);
    SetItemText(IDC_TITLE_HINT, LoadText(IDS_TITLE_HINT));
    CreateFonts();
    SendMessageW(Item(IDC_PROGRESS), PBM_SETRANGE32, 0, kProgressMax);

    tooltip_ = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, 0, 0, 0, 0, Handle(), nullptr,
                               GetModuleHandleW(nullptr), nullptr);
    const std::wstring hint = LoadText(IDS_FAST_MODE_HINT);
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = Handle();
    tool.uId = reinterpret_cast<UINT_PTR>(Item(IDC_FAST_MODE));
    tool.lpszText = const_cast<wchar_t*>(hint.c_str());
    SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));

    FillApplications(catalogue_, ExeDir() + TClearTaskThread::kKlarvexRuleFile);
    try {
        LoadSaveSettings(true, catalogue_, *this);
    } catch (const Exception& e) {
        ShowErrorBox(Handle(), e.Message());
    }
    catalogue_.RestoreExpandState();
    BuildTree();
    Button_SetCheck(Item(IDC_FAST_MODE), Settings.FastScan ? BST_CHECKED : BST_UNCHECKED);
    LayoutControls();
}

void TfrmMain::CreateFonts() {
    LOGFONTW font{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(Handle(), WM_GETFONT, 0, 0)), sizeof(font), &font);
    font.lfHeight = -Scale(20);
    font.lfWeight = FW_BOLD;
    HFONT old = titleFont_;
    titleFont_ = CreateFontIndirectW(&font);
    SendMessageW(Item(IDC_TITLE), WM_SETFONT, reinterpret_cast<WPARAM>(titleFont_), FALSE);
    if (old) DeleteObject(old);
    if (!titleBrush_) titleBrush_ = CreateSolidBrush(RGB(31, 78, 140));
}

void TfrmMain::CreateStateImages() {
    HIMAGELIST old = stateImages_;
    stateImages_ = CreateCheckBoxImages(Scale(16));
    TreeView_SetImageList(Item(IDC_TREE), stateImages_, TVSIL_STATE);
    if (old) ImageList_Destroy(old);
}

void TfrmMain::BuildTree() {
    HWND tree = Item(IDC_TREE);
    CreateStateImages();
    const auto& categories = catalogue_.Categories();
    categoryNodes_.assign(categories.size(), nullptr);
    itemNodes_.assign(categories.size(), {});
    for (size_t c = 0; c < categories.size(); ++c) {
        TVINSERTSTRUCTW insert{};
        insert.hParent = TVI_ROOT;
        insert.hInsertAfter = TVI_LAST;
        insert.item.mask = TVIF_TEXT | TVIF_PARAM;
        insert.item.pszText = const_cast<wchar_t*>(categories[c].Text.c_str());
        insert.item.lParam = NodeParam(c, 0);
        categoryNodes_[c] = TreeView_InsertItem(tree, &insert);
        for (size_t i = 0; i < categories[c].Items.size(); ++i) {
            insert.hParent = categoryNodes_[c];
            insert.item.pszText = const_cast<wchar_t*>(categories[c].Items[i].Text.c_str());
            insert.item.lParam = NodeParam(c, i + 1);
            itemNodes_[c].push_back(TreeView_InsertItem(tree, &insert));
        }
        if (categories[c].Expanded) TreeView_Expand(tree, categoryNodes_[c], TVE_EXPAND);
    }
    RefreshTreeTicks();
    if (!categoryNodes_.empty()) TreeView_EnsureVisible(tree, categoryNodes_.front());
}

void TfrmMain::RefreshTreeTicks() {
    HWND tree = Item(IDC_TREE);
    const auto& categories = catalogue_.Categories();
    auto show = [tree](HTREEITEM node, TickState state) {
        TreeView_SetItemState(tree, node, INDEXTOSTATEIMAGEMASK(static_cast<UINT>(state)), TVIS_STATEIMAGEMASK);
    };
    for (size_t c = 0; c < categories.size(); ++c) {
        show(categoryNodes_[c], categories[c].State);
        for (size_t i = 0; i < categories[c].Items.size(); ++i) show(itemNodes_[c][i], categories[c].Items[i].State);
    }
}

void TfrmMain::FirstActivation() {
    if (activated_) return;
    activated_ = true;
    const StartSwitch start = ParseStartSwitch(firstArgument_);
    // A silent start never shows the window, not even maximised.
    if (!start.silent) ApplyPlacement();
    runControl_.ApplyStartSwitch(start, Settings.AutoClean);
}

void TfrmMain::ApplyPlacement() {
    if (Settings.WindowState == 2) {
        ShowWindow(Handle(), SW_MAXIMIZE);
        return;
    }
    SetWindowPos(Handle(), nullptr, Settings.Left, Settings.Top, Settings.Width, Settings.Height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

// ---------------------------------------------------------------- layout

void TfrmMain::LayoutControls() {
    RECT client;
    GetClientRect(Handle(), &client);
    const int width = client.right, height = client.bottom;
    const int margin = Scale(8);
    auto place = [this](int id, int x, int y, int w, int h) {
        SetWindowPos(Item(id), nullptr, x, y, std::max(w, 0), std::max(h, 0), SWP_NOZORDER | SWP_NOACTIVATE);
    };

    const int panelTop = height - Scale(kPanelHeight);
    const int contentBottom = panelTop - Scale(10);
    const int top = Scale(kTitleHeight) + Scale(6);
    const int labelHeight = Scale(15);

    place(IDC_TITLE, Scale(16), Scale(4), width - Scale(32), Scale(26));
    place(IDC_TITLE_HINT, Scale(18), Scale(30), width - Scale(32), labelHeight);

    const int treeWidth = Scale(250);
    place(IDC_LABEL1, margin, top, treeWidth, labelHeight);
    place(IDC_TREE, margin, top + labelHeight + Scale(3), treeWidth, contentBottom - (top + labelHeight + Scale(3)));

    const int groupLeft = margin + treeWidth + Scale(8);
    const int groupRight = width - Scale(6);
    place(IDC_GROUPBOX1, groupLeft, top, groupRight - groupLeft, contentBottom - top);

    const int innerLeft = groupLeft + Scale(8);
    const int innerWidth = groupRight - groupLeft - Scale(16);
    const int buttonWidth = Scale(75), buttonHeight = Scale(25);
    const int buttonTop = contentBottom - Scale(10) - buttonHeight;
    const int progressTop = top + Scale(20);
    const int progressHeight = Scale(20);
    place(IDC_PROGRESS, innerLeft, progressTop, innerWidth, progressHeight);
    const int logTop = progressTop + progressHeight + Scale(6);
    // "Clearing:" sits 8 pixels below the log and the count 5 pixels below
    // it, both above the buttons and not beside them: beside them, the
    // count's label would run under the Test button at the minimum width.
    // The labels end 10 pixels above the buttons, where the log would.
    const int logBottom = buttonTop - Scale(10) - 2 * labelHeight - Scale(13);
    place(IDC_LOG, innerLeft, logTop, innerWidth, logBottom - logTop);

    const int cleanLeft = innerLeft + innerWidth - buttonWidth;
    place(IDC_CLEAN, cleanLeft, buttonTop, buttonWidth, buttonHeight);
    place(IDC_TEST, cleanLeft - Scale(20) - buttonWidth, buttonTop, buttonWidth, buttonHeight);

    const int label2Top = logBottom + Scale(8);
    const int label2Width = Scale(50);
    place(IDC_LABEL2, innerLeft, label2Top, label2Width, labelHeight);
    place(IDC_CURRENT_ITEM, innerLeft + label2Width, label2Top, innerWidth - label2Width, labelHeight);
    PlaceCountLabels();

    place(IDC_PANEL1, 0, panelTop, width, 2);
    const int linkTop = panelTop + Scale(8);
    place(IDC_ONLINE_HELP, margin, linkTop, Scale(90), labelHeight);
    place(IDC_FAST_MODE, groupLeft, panelTop + Scale(6), Scale(120), Scale(18));
    const int updateWidth = Scale(160);
    place(IDC_CHECK_UPDATE, width - Scale(8) - updateWidth, linkTop, updateWidth, labelHeight);
    // The link control draws its text from the left: move it so that the
    // text ends at the margin.
    SIZE ideal{};
    if (SendMessageW(Item(IDC_CHECK_UPDATE), kLinkGetIdealSize, static_cast<WPARAM>(updateWidth),
                     reinterpret_cast<LPARAM>(&ideal)) > 0 &&
        ideal.cx > 0 && ideal.cx <= updateWidth)
        place(IDC_CHECK_UPDATE, width - Scale(8) - ideal.cx, linkTop, ideal.cx, labelHeight);

    InvalidateRect(Handle(), nullptr, TRUE);
}

// lTotalItems 5 pixels below "Clearing:", lNumber 5 pixels right of it.
void TfrmMain::PlaceCountLabels() {
    RECT label2;
    GetWindowRect(Item(IDC_LABEL2), &label2);
    MapWindowPoints(nullptr, Handle(), reinterpret_cast<POINT*>(&label2), 2);
    HWND total = Item(IDC_TOTAL_ITEMS);
    const std::wstring text = WindowText(total);
    HDC dc = GetDC(total);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(total, WM_GETFONT, 0, 0)));
    SIZE extent{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
    SelectObject(dc, old);
    ReleaseDC(total, dc);
    const int top = label2.bottom + Scale(5);
    const int height = label2.bottom - label2.top;
    SetWindowPos(total, nullptr, label2.left, top, extent.cx, height, SWP_NOZORDER | SWP_NOACTIVATE);
    SetWindowPos(Item(IDC_NUMBER), nullptr, label2.left + extent.cx + Scale(5), top, Scale(80), height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

// ---------------------------------------------------------------- messages

bool TfrmMain::PreTranslate(MSG& message) {
    if (!Handle()) return false;
    if (accelerators_ && TranslateAcceleratorW(Handle(), accelerators_, &message)) return true;
    return IsDialogMessageW(Handle(), &message) != FALSE;
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
        case WM_RUN_ASK:
        case WM_RUN_NOTICE:
        case WM_RUN_ERROR:
            OnRunMessage(message, wParam, lParam, result);
            return true;
        case WM_ACTIVATE:
            if (LOWORD(wParam) != WA_INACTIVE) FirstActivation();
            return false;
        case WM_SIZE:
            LayoutControls();
            return true;
        case WM_DPICHANGED: {
            // Moved to a monitor of another DPI: the pixel sizes of the
            // layout, the title font and the check boxes follow, and the
            // window takes the size the system suggests. The dialog manager
            // still gets the message for the fonts of the controls.
            dpi_ = HIWORD(wParam) ? HIWORD(wParam) : dpi_;
            CreateFonts();
            CreateStateImages();
            const auto& suggested = *reinterpret_cast<const RECT*>(lParam);
            SetWindowPos(Handle(), nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                         suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
            PostMessageW(Handle(), WM_TITLE_FONT, 0, 0);
            return false;
        }
        case WM_TITLE_FONT:
            SendMessageW(Item(IDC_TITLE), WM_SETFONT, reinterpret_cast<WPARAM>(titleFont_), TRUE);
            LayoutControls();
            return true;
        case WM_GETMINMAXINFO: {
            auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
            info->ptMinTrackSize = {Scale(kMinWidth), Scale(kMinHeight)};
            return true;
        }
        case WM_PAINT: {
            PAINTSTRUCT paint;
            HDC dc = BeginPaint(Handle(), &paint);
            RECT band;
            GetClientRect(Handle(), &band);
            band.bottom = Scale(kTitleHeight);
            FillRect(dc, &band, titleBrush_);
            EndPaint(Handle(), &paint);
            return true;
        }
        case WM_CTLCOLORSTATIC: {
            const int id = GetDlgCtrlID(reinterpret_cast<HWND>(lParam));
            if (id != IDC_TITLE && id != IDC_TITLE_HINT) return false;
            auto dc = reinterpret_cast<HDC>(wParam);
            SetTextColor(dc, RGB(255, 255, 255));
            SetBkColor(dc, RGB(31, 78, 140));
            result = reinterpret_cast<LRESULT>(titleBrush_);
            return true;
        }
        case WM_CTLCOLORLISTBOX: {
            if (reinterpret_cast<HWND>(lParam) != Item(IDC_LOG)) return false;
            auto dc = reinterpret_cast<HDC>(wParam);
            SetTextColor(dc, logTextColor_);
            SetBkColor(dc, LogBackColor());
            result = reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
            return true;
        }
        case WM_CONTEXTMENU: {
            if (reinterpret_cast<HWND>(wParam) != Item(IDC_LOG)) return false;
            HMENU menu = LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_LOG_POPUP));
            HMENU popup = GetSubMenu(menu, 0);
            const bool hasLines = ListBox_GetCount(Item(IDC_LOG)) > 0;
            EnableMenuItem(popup, IDM_SAVE_LOG, MF_BYCOMMAND | (hasLines ? MF_ENABLED : MF_GRAYED));
            POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            if (at.x == -1 && at.y == -1) {  // from the keyboard
                RECT log;
                GetWindowRect(Item(IDC_LOG), &log);
                at = {log.left + Scale(10), log.top + Scale(10)};
            }
            TrackPopupMenu(popup, TPM_RIGHTBUTTON, at.x, at.y, 0, Handle(), nullptr);
            DestroyMenu(menu);
            return true;
        }
        case WM_INITMENUPOPUP: {
            const bool hasLines = ListBox_GetCount(Item(IDC_LOG)) > 0;
            EnableMenuItem(reinterpret_cast<HMENU>(wParam), IDM_SAVE_LOG,
                           MF_BYCOMMAND | (hasLines ? MF_ENABLED : MF_GRAYED));
            return true;
        }
        case WM_CLOSE:
            OnClose();
            return true;
        case WM_ENDSESSION:
            // Windows is ending the session and the process with it, without
            // a close: the settings are stored and the run is cancelled as
            // at a close, whatever dialog is open.
            if (wParam && !closing_) EndWork(false);
            result = 0;
            return true;
        case WM_DESTROY:
            PostQuitMessage(0);
            return true;
        default:
            return false;
    }
}

void TfrmMain::OnRunMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    const bool current = runControl_.IsCurrentRun(static_cast<uint32_t>(wParam));
    switch (message) {
        case WM_RUN_ON_UI:
            // The runner's own bookkeeping: it runs whether or not the run
            // is still wanted.
        {
            auto& call = *reinterpret_cast<UiWork*>(lParam);
            try {
                call.work();
            } catch (...) {
                call.error = std::current_exception();
            }
            break;
        }
        case WM_RUN_LOG:
            if (current) {
                const auto& line = *reinterpret_cast<const std::wstring*>(lParam);
                SendMessageW(Item(IDC_LOG), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
            }
            break;
        case WM_RUN_SCROLL_END:
            if (current) ScrollLogToEnd();
            break;
        case WM_RUN_CURRENT_ITEM:
            if (current) SetItemText(IDC_CURRENT_ITEM, *reinterpret_cast<const std::wstring*>(lParam));
            break;
        case WM_RUN_ASK:
            // A run being cancelled or a window being closed asks nobody:
            // the answer is No.
            result = 0;
            if (current && !closing_) {
                ModalScope modal(*this);
                result = AskYesNoBox(Handle(), *reinterpret_cast<const std::wstring*>(lParam)) ? 1 : 0;
            }
            break;
        case WM_RUN_NOTICE:
            if (current && !closing_) {
                ModalScope modal(*this);
                const auto& notice = *reinterpret_cast<const RunNotice*>(lParam);
                ShowInfoBox(Handle(), notice.text, notice.caption);
            }
            break;
        case WM_RUN_ERROR:
            if (current && !closing_) {
                {
                    ModalScope modal(*this);
                    ShowErrorBox(Handle(), *reinterpret_cast<const std::wstring*>(lParam));
                }
                runControl_.OnRunBrokenOff(static_cast<uint32_t>(wParam));
            }
            break;
        default:
            break;
    }
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
            if (ListBox_GetCount(Item(IDC_LOG)) > 0) SaveLogToFile();
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
        case IDM_INDEX_DAT_VIEWER:
        case IDM_SETTINGS:
        case IDM_COOKIES_MANAGER:
            // The side windows behind these entries come with their own
            // units.
            return true;
        default:
            return TDialogBase::OnCommand(id, code, control);
    }
}

bool TfrmMain::OnNotify(const NMHDR& header, LRESULT& result) {
    switch (header.idFrom) {
        case IDC_TREE:
            if (header.code == NM_CLICK) {
                OnTreeClick();
                result = 0;
                return true;
            }
            if (header.code == TVN_KEYDOWN &&
                reinterpret_cast<const NMTVKEYDOWN&>(header).wVKey == VK_SPACE) {
                if (HTREEITEM node = TreeView_GetSelection(Item(IDC_TREE))) ToggleNode(node);
                result = 1;  // no incremental search for the space
                return true;
            }
            return false;
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

void TfrmMain::OnTimer(UINT_PTR id) {
    if (id == kTimerId) runControl_.OnTimer();
}

// ---------------------------------------------------------------- tree

void TfrmMain::OnTreeClick() {
    HWND tree = Item(IDC_TREE);
    const DWORD position = GetMessagePos();
    TVHITTESTINFO hit{};
    hit.pt = {GET_X_LPARAM(position), GET_Y_LPARAM(position)};
    ScreenToClient(tree, &hit.pt);
    if (!TreeView_HitTest(tree, &hit) || !hit.hItem) return;
    if (hit.flags & TVHT_ONITEMSTATEICON) {
        ToggleNode(hit.hItem);
        return;
    }
    if (hit.flags & TVHT_ONITEMLABEL) {
        TVITEMW item{};
        item.mask = TVIF_PARAM;
        item.hItem = hit.hItem;
        TreeView_GetItem(tree, &item);
        const size_t c = NodeCategory(item.lParam), i = NodeItemPlusOne(item.lParam);
        const auto& categories = catalogue_.Categories();
        if (i > 0 && c < categories.size() && categories[c].Items[i - 1].Text == kNewListItem)
            OpenCustomListsEditor();
    }
}

void TfrmMain::ToggleNode(HTREEITEM node) {
    // The ticks are the run's list of items: they stay as they are until
    // the run is over.
    if (runControl_.Running()) return;
    TVITEMW item{};
    item.mask = TVIF_PARAM;
    item.hItem = node;
    if (!TreeView_GetItem(Item(IDC_TREE), &item)) return;
    const size_t c = NodeCategory(item.lParam), i = NodeItemPlusOne(item.lParam);
    if (c >= catalogue_.Categories().size()) return;
    if (i == 0) catalogue_.ClickCheckBox(c);
    else catalogue_.ClickCheckBox(c, i - 1);
    RefreshTreeTicks();
}

void TfrmMain::CollectExpandState() {
    HWND tree = Item(IDC_TREE);
    for (size_t c = 0; c < categoryNodes_.size(); ++c)
        catalogue_.SetExpanded(c, (TreeView_GetItemState(tree, categoryNodes_[c], TVIS_EXPANDED) & TVIS_EXPANDED) != 0);
    catalogue_.StoreExpandState();
}

void TfrmMain::OpenCustomListsEditor() {
    // The custom lists editor is not part of the program yet.
}

void TfrmMain::ShowAbout() {
    ModalScope modal(*this);
    TfrmAbout about;
    about.ShowModal(Handle());
}

// ---------------------------------------------------------------- save log

void TfrmMain::SaveLogToFile() {
    ModalScope modal(*this);
    std::wstring filter = LoadText(IDS_TEXT_FILES_FILTER);
    std::replace(filter.begin(), filter.end(), L'|', L'\0');
    filter.push_back(L'\0');
    const std::wstring title = LoadText(IDS_SAVE_AS_TEXT);
    std::wstring name(MAX_PATH * 4, L'\0');
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = Handle();
    dialog.lpstrFilter = filter.c_str();
    dialog.lpstrFile = name.data();
    dialog.nMaxFile = static_cast<DWORD>(name.size());
    dialog.lpstrTitle = title.c_str();
    dialog.Flags = OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    if (!GetSaveFileNameW(&dialog)) return;
    name.resize(wcslen(name.c_str()));
    const std::wstring path = LogFileName(name);
    if (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES &&
        !AskYesNoBox(Handle(), path + LoadText(IDS_FILE_EXISTS)))
        return;

    HWND log = Item(IDC_LOG);
    std::vector<std::wstring> lines;
    const int count = ListBox_GetCount(log);
    for (int i = 0; i < count; ++i) {
        std::wstring line(static_cast<size_t>(std::max(0, ListBox_GetTextLen(log, i))) + 1, L'\0');
        line.resize(static_cast<size_t>(std::max(0, ListBox_GetText(log, i, line.data()))));
        lines.push_back(std::move(line));
    }
    if (!WriteLogFile(path, LogFileText(lines))) ShowErrorBox(Handle(), L"Unable to write to " + path);
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

// What closing does before the window goes: the run is cancelled, the
// settings are stored, and every runner has ended.
void TfrmMain::EndWork(bool showErrors) {
    runControl_.Close();
    closing_ = true;
    CollectExpandState();
    try {
        LoadSaveSettings(false, catalogue_, *this);
    } catch (const Exception& e) {
        if (showErrors) ShowErrorBox(Handle(), e.Message());
    }
    // The runner may be in the middle of a step that cannot be broken off;
    // it reaches this window until it has ended, so the window goes only
    // then. Until that moment nobody sees it.
    ShowWindow(Handle(), SW_HIDE);
    WaitForRunners();
}

// Waits for every runner still running, answering what they send meanwhile
// (a runner blocked in SendMessage to this window could never end if the
// window simply waited).
void TfrmMain::WaitForRunners() {
    for (auto& run : runs_) {
        run.stop.request_stop();
        HANDLE thread = run.thread.Get();
        while (MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_SENDMESSAGE) == WAIT_OBJECT_0 + 1) {
            MSG message;
            PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
        }
    }
    runs_.clear();
}

// ---------------------------------------------------------------- IRunView

std::vector<std::wstring> TfrmMain::CollectTickedItems() const { return catalogue_.CollectTickedItems(); }

bool TfrmMain::IsCategoryTicked(const std::wstring& category) const { return catalogue_.IsCategoryTicked(category); }

bool TfrmMain::WindowClassExists(const wchar_t* className) const { return FindWindowW(className, nullptr) != nullptr; }

void TfrmMain::ShowInfo(const std::wstring& text) {
    ModalScope modal(*this);
    ShowInfoBox(Handle(), text);
}

bool TfrmMain::ConfirmClean() {
    ModalScope modal(*this);
    TfrmAskDelete ask;
    return ask.ShowModal(Handle()) == IDYES;
}

void TfrmMain::SetTestButtonCancel(bool cancel) { SetItemText(IDC_TEST, LoadText(cancel ? IDS_CANCEL : IDS_TEST)); }

void TfrmMain::ShowProgressControls() {
    for (int id : {IDC_PROGRESS, IDC_LABEL2, IDC_CURRENT_ITEM, IDC_TOTAL_ITEMS, IDC_NUMBER})
        ShowWindow(Item(id), SW_SHOW);
}

void TfrmMain::ShowProgress(int32_t position, const std::wstring& caption, bool captionVisible) {
    HWND progress = Item(IDC_PROGRESS);
    SendMessageW(progress, PBM_SETPOS, static_cast<WPARAM>(position), 0);
    SetWindowTextW(progress, captionVisible ? caption.c_str() : L"");
}

void TfrmMain::SetTotalLabel(const std::wstring& text) {
    SetItemText(IDC_TOTAL_ITEMS, text);
    PlaceCountLabels();
}

void TfrmMain::SetNumber(int32_t count) { SetItemText(IDC_NUMBER, IntToStr(count)); }

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
    HDC dc = GetDC(log);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(log, WM_GETFONT, 0, 0)));
    int widest = 0;
    const int count = ListBox_GetCount(log);
    std::wstring line;
    for (int i = 0; i < count; ++i) {
        line.assign(static_cast<size_t>(std::max(0, ListBox_GetTextLen(log, i))) + 1, L'\0');
        const int length = ListBox_GetText(log, i, line.data());
        SIZE extent{};
        if (length > 0 && GetTextExtentPoint32W(dc, line.c_str(), length, &extent)) widest = std::max(widest, int(extent.cx));
    }
    SelectObject(dc, old);
    ReleaseDC(log, dc);
    ListBox_SetHorizontalExtent(log, widest + 10);
    ScrollLogToEnd();
}

bool TfrmMain::StartRunner(RunKind kind, const std::vector<std::wstring>& names, uint32_t generation,
                           bool automatic) {
    // Runners of earlier runs that have ended are let go here.
    std::erase_if(runs_, [](const RunRecord& run) { return WaitForSingleObject(run.thread.Get(), 0) == WAIT_OBJECT_0; });
    auto link = std::make_unique<TRunLink>(Handle(), generation);
    auto* runner = new TClearTaskThread(kind, *link, names);
    runner->SetAutomaticRun(automatic);
    // The user at the window sees why a file stayed; an automatic or silent
    // clean has nobody to answer a box, so it must never wait for one.
    runner->SetShellErrorUi(!automatic);
    std::stop_source stop = runner->StopSource();
    UniqueHandle thread = TClearTaskThread::Start(runner);
    if (!thread) return false;
    runs_.push_back(RunRecord{std::move(link), std::move(stop), std::move(thread)});
    return true;
}

void TfrmMain::TerminateRunner() {
    // Every runner still going belongs to a run that is over or being
    // cancelled now.
    for (auto& run : runs_) run.stop.request_stop();
}

void TfrmMain::SetTimer(bool on) {
    if (on) ::SetTimer(Handle(), kTimerId, kTimerInterval, nullptr);
    else KillTimer(Handle(), kTimerId);
}

void TfrmMain::PostCleanStart() { PostMessageW(Handle(), WM_CLEAN_START, 0, 0); }

void TfrmMain::PostAutoRun() { PostMessageW(Handle(), WM_CLEAN_AUTORUN, 0, 0); }

void TfrmMain::HideWindow() { ShowWindow(Handle(), SW_HIDE); }

void TfrmMain::CloseWindow() { PostMessageW(Handle(), WM_CLOSE, 0, 0); }

// ---------------------------------------------------------------- ISettingsWindow

WindowBounds TfrmMain::Bounds() const {
    // A silent start never placed the window: what was loaded is kept.
    if (runControl_.SilentStart()) return {Settings.Left, Settings.Top, Settings.Width, Settings.Height};
    RECT rect;
    GetWindowRect(Handle(), &rect);
    WINDOWPLACEMENT placement{};
    placement.length = sizeof(placement);
    // A minimised window sits far off screen: its bounds would bring the
    // next start up where nobody can see it. Its normal bounds are kept.
    if ((IsIconic(Handle()) || IsZoomed(Handle())) && GetWindowPlacement(Handle(), &placement))
        rect = placement.rcNormalPosition;
    return {rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
}

int32_t TfrmMain::ScreenWidth() const { return GetSystemMetrics(SM_CXSCREEN); }

int32_t TfrmMain::ScreenHeight() const { return GetSystemMetrics(SM_CYSCREEN); }

UINT TfrmMain::PlacementShowCmd() const {
    if (runControl_.SilentStart()) return Settings.WindowState == 2 ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL;
    WINDOWPLACEMENT placement{};
    placement.length = sizeof(placement);
    if (!GetWindowPlacement(Handle(), &placement)) return 0;
    return placement.showCmd;
}

}  // namespace klarvex
