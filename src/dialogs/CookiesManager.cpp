#include "dialogs/CookiesManager.h"

#include <windowsx.h>

#include <algorithm>

#include "base/Handles.h"
#include "base/Texts.h"
#include "cleaners/ie/CookiesKeepList.h"
#include "dialogs/CookiesManagerRes.h"
#include "platform/Folders.h"

namespace klarvex {

namespace {

// View reads no more of a cookie file than this: real ones hold a few
// kilobytes, and a box can show no more anyway.
constexpr size_t kViewBytes = 64 * 1024;

int Count(HWND list) { return ListBox_GetCount(list); }

std::wstring TextAt(HWND list, int index) {
    const int length = ListBox_GetTextLen(list, index);
    if (length <= 0) return {};
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    text.resize(static_cast<size_t>(std::max(ListBox_GetText(list, index, text.data()), 0)));
    return text;
}

std::vector<std::wstring> Names(HWND list) {
    std::vector<std::wstring> names;
    const int count = Count(list);
    names.reserve(static_cast<size_t>(std::max(count, 0)));
    for (int i = 0; i < count; ++i) names.push_back(TextAt(list, i));
    return names;
}

// Up to limit bytes of the file, and whether it held more; nothing when it
// cannot be opened or read.
std::optional<std::string> ReadStart(const std::wstring& path, size_t limit, bool& more) {
    FileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) return std::nullopt;
    // One byte beyond the limit tells whether there is more.
    std::string bytes(limit + 1, '\0');
    size_t got = 0;
    while (got < bytes.size()) {
        DWORD read = 0;
        const DWORD want = static_cast<DWORD>(std::min<size_t>(bytes.size() - got, 1u << 20));
        if (!ReadFile(file.Get(), bytes.data() + got, want, &read, nullptr)) return std::nullopt;
        if (read == 0) break;
        got += read;
    }
    more = got > limit;
    bytes.resize(std::min(got, limit));
    return bytes;
}

std::wstring FromCodePage(const std::string& bytes) {
    if (bytes.empty()) return {};
    const int size = static_cast<int>(bytes.size());
    const int length = MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, nullptr, 0);
    std::wstring text(static_cast<size_t>(std::max(length, 0)), L'\0');
    if (length > 0) MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, text.data(), length);
    return text;
}

}  // namespace

std::optional<std::wstring> CookieFileText(const std::wstring& path, size_t maxBytes) {
    bool more = false;
    std::optional<std::string> bytes = ReadStart(path, maxBytes, more);
    if (!bytes) return std::nullopt;
    if (more) {
        // A cut file shows whole lines only (when it has a line break at all).
        const size_t lastBreak = bytes->find_last_of("\r\n");
        if (lastBreak != std::string::npos) bytes->resize(lastBreak + 1);
    }
    const std::wstring content = FromCodePage(*bytes);
    std::wstring text;
    text.reserve(content.size() + content.size() / 8 + 64);
    size_t start = 0;
    while (start < content.size()) {
        const size_t end = content.find_first_of(L"\r\n", start);
        text += L"\r\n";
        if (end == std::wstring::npos) {
            text.append(content, start, std::wstring::npos);
            break;
        }
        text.append(content, start, end - start);
        start = end + (content[end] == L'\r' && end + 1 < content.size() && content[end + 1] == L'\n' ? 2 : 1);
    }
    if (more) text += L"\r\n" + LoadText(IDS_COOKIE_TEXT_CUT);
    return text;
}

TfrmCookiesManager::TfrmCookiesManager() : TDialogBase(IDD_COOKIES_MANAGER) {}

HWND TfrmCookiesManager::Found() const { return Item(IDC_COOKIES_FOUND); }
HWND TfrmCookiesManager::Keep() const { return Item(IDC_COOKIES_KEEP); }

void TfrmCookiesManager::OnInit() {
    SetTexts();
    FillLists();
}

void TfrmCookiesManager::SetTexts() {
    SetWindowTextW(Handle(), LoadText(IDS_COOKIES_MANAGER).c_str());
    const struct {
        int control;
        unsigned text;
    } texts[] = {
        {IDC_COOKIES_FOUND_LABEL, IDS_ALL_COOKIES_FOUND}, {IDC_COOKIES_KEEP_LABEL, IDS_COOKIES_TO_KEEP},
        {IDC_COOKIES_ADD, IDS_COOKIES_ADD},               {IDC_COOKIES_REMOVE, IDS_COOKIES_REMOVE},
        {IDC_COOKIES_ADD_ALL, IDS_COOKIES_ADD_ALL},       {IDC_COOKIES_REMOVE_ALL, IDS_COOKIES_REMOVE_ALL},
        {IDC_COOKIES_VIEW, IDS_COOKIES_VIEW},             {IDOK, IDS_COOKIES_OK},
        {IDCANCEL, IDS_COOKIES_CANCEL},
    };
    for (const auto& [control, text] : texts) SetItemText(control, LoadText(text));
}

// The keep list is shown even when there is no cookie folder; the folder's
// cookies are those not kept by their exact name.
void TfrmCookiesManager::FillLists() {
    cookiesFolder_ = CookiesFolderWithoutLow();
    const std::vector<std::wstring> keepList = LoadKeepList();
    for (const auto& name : keepList) AddName(Keep(), name);
    if (cookiesFolder_.empty()) return;
    cookiesFolder_ = ApplyLowSwitch(cookiesFolder_);
    const auto kept = KeptNames(keepList);
    ForEachEntry(cookiesFolder_, [&](const FolderEntry& entry) {
        if (!entry.isFolder && IsCookieName(entry.name) && !IsKept(kept, entry.name)) AddName(Found(), entry.name);
        return true;
    });
}

bool TfrmCookiesManager::OnCommand(WORD id, WORD code, HWND control) {
    switch (id) {
        case IDC_COOKIES_ADD:
            if (code == BN_CLICKED) MoveSelected(Found(), Keep(), TargetSelection::First);
            return true;
        case IDC_COOKIES_REMOVE:
            if (code == BN_CLICKED) MoveSelected(Keep(), Found(), TargetSelection::FirstWhenAlone);
            return true;
        case IDC_COOKIES_ADD_ALL:
            if (code == BN_CLICKED) MoveAll(Found(), Keep());
            return true;
        case IDC_COOKIES_REMOVE_ALL:
            if (code == BN_CLICKED) MoveAll(Keep(), Found());
            return true;
        case IDC_COOKIES_VIEW:
            if (code == BN_CLICKED) View();
            return true;
        case IDC_COOKIES_FOUND:
            if (code == LBN_DBLCLK) MoveSelected(Found(), Keep(), TargetSelection::First);
            return true;
        case IDC_COOKIES_KEEP:
            if (code == LBN_DBLCLK) MoveSelected(Keep(), Found(), TargetSelection::First);
            return true;
        default:
            return TDialogBase::OnCommand(id, code, control);
    }
}

void TfrmCookiesManager::MoveSelected(HWND from, HWND to, TargetSelection targetSelection) {
    const int selected = ListBox_GetCurSel(from);
    if (selected < 0) return;
    const std::wstring name = TextAt(from, selected);
    AddName(to, name);
    if (targetSelection == TargetSelection::First || Count(to) == 1) ListBox_SetCurSel(to, 0);
    const int count = Count(from);
    ListBox_DeleteString(from, selected);
    // The entry after the moved one now stands where it stood.
    if (count > 1) ListBox_SetCurSel(from, selected + 1 < count ? selected : 0);
}

void TfrmCookiesManager::MoveAll(HWND from, HWND to) {
    if (Count(from) == 0) return;
    SetWindowRedraw(to, FALSE);
    for (const auto& name : Names(from)) AddName(to, name);
    SetWindowRedraw(to, TRUE);
    InvalidateRect(to, nullptr, TRUE);
    ListBox_SetCurSel(to, 0);
    ListBox_ResetContent(from);
}

// Appends the name, and widens the list's scrolling width when the name is
// wider than any before it.
void TfrmCookiesManager::AddName(HWND list, const std::wstring& name) {
    ListBox_AddString(list, name.c_str());
    WindowDc dc(list);
    DcSelection font(dc.Get(), GetWindowFont(list));
    SIZE size{};
    GetTextExtentPoint32W(dc.Get(), name.c_str(), static_cast<int>(name.size()), &size);
    const int width = size.cx + 2 * GetSystemMetrics(SM_CXEDGE) + 4;
    if (width > ListBox_GetHorizontalExtent(list)) ListBox_SetHorizontalExtent(list, width);
}

// Only the folder's cookies can be viewed: a kept name may have no file.
void TfrmCookiesManager::View() {
    const int selected = ListBox_GetCurSel(Found());
    if (selected < 0) return;
    const std::wstring name = TextAt(Found(), selected);
    if (const auto text = CookieFileText(cookiesFolder_ + name, kViewBytes)) ShowInfoBox(Handle(), *text, name);
}

// A write that fails throws: the error is shown and the window stays open.
void TfrmCookiesManager::OnOK() {
    SaveKeepList(Names(Keep()));
    End(IDOK);
}

}  // namespace klarvex
