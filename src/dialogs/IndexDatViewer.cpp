#include "dialogs/IndexDatViewer.h"

#include <commctrl.h>
#include <commdlg.h>
#include <shlobj.h>

#include <algorithm>
#include <string>

#include "base/Strings.h"
#include "base/Texts.h"
#include "dialogs/IndexDatViewerRes.h"
#include "platform/SystemLookups.h"

namespace klarvex {

namespace {

constexpr int kClientWidth = 676;
constexpr int kClientHeight = 501;

// Sizes the window to that client area, keeping its place.
void SetClientSize(HWND window, int clientWidth, int clientHeight) {
    RECT frame{0, 0, clientWidth, clientHeight};
    AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongW(window, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongW(window, GWL_EXSTYLE)));
    SetWindowPos(window, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE);
}

}  // namespace

// Drives the progress bar, shows the rows read so far, and keeps the window
// alive: the reader calls PumpOneMessage for every hash entry, and every
// 15 ms that call hands on what has queued up. The bar and the rows are
// drawn at once when the first rows are read, then at most every 100 ms and
// at the end: drawn at every new percent, they took a large file's read ten
// times as long as reading it.
class TfrmIndexDatViewer::ReadProgress final : public IndexDatProgress {
public:
    explicit ReadProgress(TfrmIndexDatViewer& viewer) : viewer_(viewer), bar_(viewer.Item(IDC_IDX_PROGRESS)) {}
    ~ReadProgress() override {
        // A quit request met during the read belongs to the loop outside.
        if (quit_) PostQuitMessage(quitCode_);
    }
    ReadProgress(const ReadProgress&) = delete;
    ReadProgress& operator=(const ReadProgress&) = delete;

    int Position() const override { return position_; }

    void SetPosition(int percent) override {
        position_ = std::clamp(percent, 0, 100);
        const size_t rows = viewer_.rows_.Count();
        const ULONGLONG now = GetTickCount64();
        if (position_ < 100 && (rows == 0 || rowsShown_) && now - lastShown_ < kShowEvery) return;
        lastShown_ = now;
        rowsShown_ = rows > 0;
        SendMessageW(bar_, PBM_SETPOS, static_cast<WPARAM>(position_), 0);
        viewer_.SetRowCount(rows);
    }

    void PumpOneMessage() override {
        if (quit_) return;
        const ULONGLONG now = GetTickCount64();
        if (now - lastPump_ < 15) return;
        lastPump_ = now;
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                quit_ = true;
                quitCode_ = static_cast<int>(message.wParam);
                return;
            }
            if (!IsDialogMessageW(viewer_.Handle(), &message)) {
                TranslateMessage(&message);
                DispatchMessageW(&message);
            }
        }
    }

private:
    static constexpr ULONGLONG kShowEvery = 100;  // ms

    TfrmIndexDatViewer& viewer_;
    HWND bar_;
    int position_ = 0;
    ULONGLONG lastShown_ = 0;
    bool rowsShown_ = false;
    ULONGLONG lastPump_ = 0;
    bool quit_ = false;
    int quitCode_ = 0;
};

TfrmIndexDatViewer::TfrmIndexDatViewer(AddressOpener opener)
    : TDialogBase(IDD_INDEX_DAT_VIEWER), opener_(std::move(opener)) {}

TfrmIndexDatViewer::~TfrmIndexDatViewer() = default;

void TfrmIndexDatViewer::OnInit() {
    SetWindowTextW(Handle(), LoadText(IDS_INDEX_DAT_VIEWER).c_str());
    const int dpi = WindowDpi(Handle());
    SetClientSize(Handle(), ScaleToDpi(kClientWidth, dpi), ScaleToDpi(kClientHeight, dpi));
    CentreOnOwner(Handle());
    PlaceControls();
    SetUpList();
    SendMessageW(Item(IDC_IDX_PROGRESS), PBM_SETRANGE32, 0, 100);
    ShowWindow(Item(IDC_IDX_PROGRESS), SW_HIDE);
    SetItemText(IDC_IDX_TOTAL, L"0");

    // The current cache folder: WinINet is told the session has ended
    // before the shell is asked for it.
    EndBrowserSession();
    const std::wstring cache = ShellFolderPath(CSIDL_INTERNET_CACHE);
    if (!cache.empty()) SetItemText(IDC_IDX_FILE_NAME, cache + L"Content.IE5\\index.dat");
}

// The layout in pixels of the client area, at 96 DPI. The buttons and the
// total's label are as wide as their texts need, in any language.
void TfrmIndexDatViewer::PlaceControls() {
    const int dpi = WindowDpi(Handle());
    auto scale = [dpi](int pixels) { return ScaleToDpi(pixels, dpi); };
    auto fit = [&](int id, int designed, int padding) {
        return std::max(scale(designed), TextWidth(Item(id), ItemText(id)) + scale(padding));
    };
    const int right = scale(668), bottomRow = scale(464), buttonHeight = scale(28);
    const int browse = fit(IDC_IDX_BROWSE, 78, 16), label = fit(IDC_IDX_TOTAL_LABEL, 80, 4);
    const int close = fit(IDCANCEL, 90, 16), show = fit(IDC_IDX_SHOW, 90, 16), more = fit(IDC_IDX_MORE, 122, 16);
    const int browseLeft = right - scale(10) - browse, showLeft = right - close - scale(8) - show;
    const struct Place {
        int id, x, y, width, height;
    } places[] = {
        {IDC_IDX_LOCATION_GROUP, scale(8), scale(4), scale(660), scale(54)},
        {IDC_IDX_FILE_NAME, scale(18), scale(24), browseLeft - scale(6) - scale(18), scale(22)},
        {IDC_IDX_BROWSE, browseLeft, scale(24), browse, scale(22)},
        {IDC_IDX_SEPARATOR, scale(8), scale(65), scale(660), 2},
        {IDC_IDX_PROGRESS, scale(8), scale(61), scale(660), scale(10)},
        {IDC_IDX_LIST_LABEL, scale(8), scale(76), scale(300), scale(16)},
        {IDC_IDX_LIST, scale(8), scale(94), scale(660), scale(360)},
        {IDC_IDX_TOTAL_LABEL, scale(8), scale(470), label, scale(18)},
        {IDC_IDX_TOTAL, scale(10) + label, scale(465), scale(100), scale(26)},
        {IDC_IDX_MORE, showLeft - scale(6) - more, bottomRow, more, buttonHeight},
        {IDC_IDX_SHOW, showLeft, bottomRow, show, buttonHeight},
        {IDCANCEL, right - close, bottomRow, close, buttonHeight},
    };
    for (const Place& place : places)
        SetWindowPos(Item(place.id), nullptr, place.x, place.y, place.width, place.height,
                     SWP_NOZORDER | SWP_NOACTIVATE);
}

void TfrmIndexDatViewer::SetUpList() {
    HWND list = Item(IDC_IDX_LIST);
    ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT);
    const std::wstring titles[] = {LoadText(IDS_COLUMN_URL), LoadText(IDS_COLUMN_LAST_MODIFIED)};
    const int widths[] = {380, 120};
    const int dpi = WindowDpi(Handle());
    for (int i = 0; i < 2; ++i) {
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        column.pszText = const_cast<wchar_t*>(titles[i].c_str());
        column.cx = ScaleToDpi(widths[i], dpi);
        column.iSubItem = i;
        ListView_InsertColumn(list, i, &column);
    }
    // One picture in front of every row. The list view (LVS_SHAREIMAGELISTS)
    // leaves the image list to `images_`.
    images_.Reset(ImageList_Create(GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON),
                                   ILC_COLOR32 | ILC_MASK, 1, 0));
    if (images_) {
        ImageList_AddIcon(images_.Get(), LoadIconW(nullptr, IDI_INFORMATION));
        ListView_SetImageList(list, images_.Get(), LVSIL_SMALL);
    }
    AddToolTip(Handle(), list, LoadText(IDS_INDEX_DAT_HINT));
}

bool TfrmIndexDatViewer::OnCommand(WORD id, WORD code, HWND control) {
    if (code != BN_CLICKED) return TDialogBase::OnCommand(id, code, control);
    switch (id) {
        case IDC_IDX_BROWSE: BrowseClick(); return true;
        case IDC_IDX_MORE: OpenWebPage(Handle(), LoadText(IDS_URL_INDEX_DAT)); return true;
        case IDC_IDX_SHOW: ShowClick(); return true;
        default: return TDialogBase::OnCommand(id, code, control);
    }
}

void TfrmIndexDatViewer::OnCancel() {
    if (reading_) closeAfterRead_ = true;
    else End(IDCANCEL);
}

bool TfrmIndexDatViewer::OnNotify(const NMHDR& header, LRESULT& result) {
    if (header.idFrom != IDC_IDX_LIST) return false;
    if (header.code == LVN_GETDISPINFOW) {
        GetRowData(*reinterpret_cast<NMLVDISPINFOW*>(const_cast<NMHDR*>(&header)));
        result = 0;
        return true;
    }
    if (header.code == NM_DBLCLK) {
        ListDoubleClick();
        result = 0;
        return true;
    }
    return false;
}

void TfrmIndexDatViewer::BrowseClick() {
    std::wstring filter = LoadText(IDS_INDEX_DAT_FILTER);
    std::replace(filter.begin(), filter.end(), L'|', L'\0');
    filter.push_back(L'\0');
    std::wstring name(MAX_PATH * 4, L'\0');
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = Handle();
    dialog.lpstrFilter = filter.c_str();
    dialog.lpstrFile = name.data();
    dialog.nMaxFile = static_cast<DWORD>(name.size());
    dialog.Flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    if (!GetOpenFileNameW(&dialog)) return;
    name.resize(wcslen(name.c_str()));
    SetItemText(IDC_IDX_FILE_NAME, name);
}

void TfrmIndexDatViewer::ShowClick() {
    if (reading_) return;
    const std::wstring path = ItemText(IDC_IDX_FILE_NAME);
    if (!IsIndexDatFileName(path)) {
        MessageBoxInLanguage(Handle(), LoadText(IDS_WRONG_INDEX_DAT), LoadText(IDS_INDEX_DAT_VIEWER),
                             MB_OK | MB_ICONWARNING);
        FocusItem(Item(IDC_IDX_FILE_NAME));
        return;
    }

    SetRowCount(0);
    rows_.Clear();
    ShowWindow(Item(IDC_IDX_SEPARATOR), SW_HIDE);
    ShowWindow(Item(IDC_IDX_PROGRESS), SW_SHOW);
    SendMessageW(Item(IDC_IDX_PROGRESS), PBM_SETPOS, 0, 0);

    reading_ = true;
    try {
        ReadProgress progress(*this);
        rows_.Read(path, progress);
    } catch (...) {
        // A read broken off shows what it found so far, without a message.
    }
    reading_ = false;
    // The rows read are shown whether or not the read went to the end.
    SetRowCount(rows_.Count());
    SetItemText(IDC_IDX_TOTAL, IntToStr(static_cast<long long>(rows_.Count())));
    if (closeAfterRead_) End(IDCANCEL);
}

void TfrmIndexDatViewer::SetRowCount(size_t count) const {
    SendMessageW(Item(IDC_IDX_LIST), LVM_SETITEMCOUNT, static_cast<WPARAM>(count),
                 LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
    InvalidateRect(Item(IDC_IDX_LIST), nullptr, FALSE);
}

void TfrmIndexDatViewer::GetRowData(NMLVDISPINFOW& info) const {
    LVITEMW& item = info.item;
    if (item.iItem < 0) return;
    const auto row = static_cast<size_t>(item.iItem);
    if ((item.mask & LVIF_TEXT) && item.pszText && item.cchTextMax > 0) {
        const std::wstring& text = item.iSubItem == 0 ? rows_.Address(row) : rows_.Date(row);
        const size_t length = std::min(text.size(), static_cast<size_t>(item.cchTextMax - 1));
        text.copy(item.pszText, length);
        item.pszText[length] = L'\0';
    }
    if (item.mask & LVIF_IMAGE) item.iImage = rows_.ImageIndex(row);
}

// Enter on a selected row opens it, as a double click does; elsewhere, and
// with no row selected, Enter is "&Show" as ever.
bool TfrmIndexDatViewer::OnDialogKey(const MSG& message) {
    HWND list = Item(IDC_IDX_LIST);
    if (message.message != WM_KEYDOWN || message.wParam != VK_RETURN || message.hwnd != list ||
        GetKeyState(VK_CONTROL) < 0 || GetKeyState(VK_MENU) < 0 || GetKeyState(VK_SHIFT) < 0 ||
        ListView_GetNextItem(list, -1, LVNI_SELECTED) < 0)
        return false;
    ListDoubleClick();
    return true;
}

void TfrmIndexDatViewer::ListDoubleClick() {
    const int row = ListView_GetNextItem(Item(IDC_IDX_LIST), -1, LVNI_SELECTED);
    if (row < 0) return;
    OpenIndexDatAddress(Handle(), rows_.Address(static_cast<size_t>(row)), opener_);
}

}  // namespace klarvex
