#include "support/GuiDriver.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>

#include "app/MainRes.h"
#include "base/Strings.h"
#include "support/Process.h"

namespace klarvex::testing {

namespace {

constexpr size_t kRemoteSize = 8192;
constexpr size_t kTextOffset = 1024;

struct FindData {
    DWORD processId;
    const std::wstring* className;
    const std::wstring* caption;
    HWND found;
};

BOOL CALLBACK FindTop(HWND window, LPARAM parameter) {
    auto& data = *reinterpret_cast<FindData*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != data.processId) return TRUE;
    wchar_t className[256];
    GetClassNameW(window, className, 256);
    if (data.className->compare(className) != 0) return TRUE;
    if (data.caption && WindowTextOf(window) != *data.caption) return TRUE;
    data.found = window;
    return FALSE;
}

BOOL CALLBACK CollectStatic(HWND window, LPARAM parameter) {
    wchar_t className[64];
    GetClassNameW(window, className, 64);
    if (_wcsicmp(className, L"Static") == 0) {
        const std::wstring text = WindowTextOf(window);
        if (!text.empty()) reinterpret_cast<std::vector<std::wstring>*>(parameter)->push_back(text);
    }
    return TRUE;
}

// xdotool is a program of the Linux side: Wine starts it through its path
// on the Unix file system.
constexpr wchar_t kXdotool[] = L"\\\\?\\unix\\usr\\bin\\xdotool";

// The X window Wine made for a top-level window.
std::wstring XWindowOf(HWND window) {
    HWND top = GetAncestor(window, GA_ROOT);
    return IntToStr(reinterpret_cast<long long>(GetPropW(top ? top : window, L"__wine_x11_whole_window")));
}

// xdotool gets no standard handles: Wine then starts it detached from the
// test's own output, which a child sharing it would cut short.
void RunXdotool(const std::wstring& arguments) {
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = startup.hStdOutput = startup.hStdError = INVALID_HANDLE_VALUE;
    StartProgram(L"\"" + std::wstring(kXdotool) + L"\" " + arguments, &startup);
}

}  // namespace

std::string TickedSettings(const std::vector<std::string>& names, const std::string& extra) {
    std::string text = "[NodeSelected]\r\nSelectedCount=" + std::to_string(names.size()) + "\r\n";
    for (size_t i = 0; i < names.size(); ++i) text += std::to_string(i + 1) + "=" + names[i] + "\r\n";
    return text + extra;
}

bool XdotoolInstalled() { return GetFileAttributesW(kXdotool) != INVALID_FILE_ATTRIBUTES; }

void PressKeys(HWND window, const std::wstring& keys) {
    RunXdotool(L"windowfocus --sync " + XWindowOf(window) + L" key --delay 40 " + keys);
}

void ClickAt(HWND window, const RECT& rect) {
    RunXdotool(L"windowfocus --sync " + XWindowOf(window) + L" mousemove --sync " +
               IntToStr((rect.left + rect.right) / 2) + L" " + IntToStr((rect.top + rect.bottom) / 2) + L" click 1");
}

void ClickOn(HWND control) {
    RECT rect{};
    GetWindowRect(control, &rect);
    ClickAt(control, rect);
}

HWND FocusOf(HWND window) {
    GUITHREADINFO thread{};
    thread.cbSize = sizeof(thread);
    return GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &thread) ? thread.hwndFocus : nullptr;
}

bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(50ms);
    }
    return true;
}

std::wstring WindowTextOf(HWND window) {
    const LRESULT size = SendMessageW(window, WM_GETTEXTLENGTH, 0, 0);
    std::wstring text(static_cast<size_t>(size > 0 ? size : 0) + 1, L'\0');
    const LRESULT length = SendMessageW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(length > 0 ? length : 0));
    return text;
}

std::vector<std::wstring> ListBoxLines(HWND list) {
    std::vector<std::wstring> lines;
    const LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        const LRESULT length = SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
        std::wstring line(static_cast<size_t>(length > 0 ? length : 0) + 1, L'\0');
        const LRESULT got = SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(line.data()));
        line.resize(static_cast<size_t>(got > 0 ? got : 0));
        lines.push_back(line);
    }
    return lines;
}

KlarvexApp::KlarvexApp(const std::wstring& argument) {
    std::wstring commandLine = L"\"" + ExeDir() + L"Klarvex.exe\"";
    if (!argument.empty()) commandLine += L" " + argument;
    process_ = StartProgram(commandLine);
    if (!process_) return;
    processId_ = GetProcessId(process_.Get());
    WaitForInputIdle(process_.Get(), 10000);
}

KlarvexApp::~KlarvexApp() {
    if (!process_) return;
    if (WaitForSingleObject(process_.Get(), 0) == WAIT_TIMEOUT) {
        // Close boxes first (a modal box would hold the close back), then
        // the window; the program must never be left running.
        for (int i = 0; i < 5; ++i)
            if (HWND box = FindWindowOf(L"#32770", L"")) PostMessageW(box, WM_CLOSE, 0, 0);
        if (main_) PostMessageW(main_, WM_CLOSE, 0, 0);
        if (WaitForSingleObject(process_.Get(), 15000) == WAIT_TIMEOUT) TerminateProcess(process_.Get(), 99);
    }
}

HWND KlarvexApp::FindWindowOf(const std::wstring& className, const std::wstring& caption) const {
    FindData data{processId_, &className, caption.empty() ? nullptr : &caption, nullptr};
    EnumWindows(FindTop, reinterpret_cast<LPARAM>(&data));
    return data.found;
}

HWND KlarvexApp::WaitForWindow(const std::wstring& className, const std::wstring& caption,
                               std::chrono::milliseconds timeout) const {
    HWND found = nullptr;
    WaitUntil([&] { return (found = FindWindowOf(className, caption)) != nullptr; }, timeout);
    return found;
}

HWND KlarvexApp::Main() {
    if (!main_) main_ = WaitForWindow(L"TfrmMain", L"", 20s);
    return main_;
}

HWND KlarvexApp::Control(int id) { return GetDlgItem(Main(), id); }

std::vector<std::wstring> KlarvexApp::StaticTexts(HWND dialog) {
    std::vector<std::wstring> texts;
    EnumChildWindows(dialog, CollectStatic, reinterpret_cast<LPARAM>(&texts));
    return texts;
}

std::vector<std::wstring> KlarvexApp::LogLines() { return ListBoxLines(Control(IDC_LOG)); }

bool KlarvexApp::HasLink(HWND link) {
    LITEM item{};
    item.mask = LIF_ITEMINDEX | LIF_STATE;
    item.iLink = 0;
    auto* remote = Remote(sizeof(item));
    if (!remote || !WriteRemote(remote, &item, sizeof(item))) return false;
    return SendMessageW(link, LM_GETITEM, 0, reinterpret_cast<LPARAM>(remote)) != FALSE;
}

std::wstring KlarvexApp::ProgressCaption() { return WindowTextOf(Control(IDC_PROGRESS)); }

void* KlarvexApp::Remote(size_t size) {
    if (!remote_) remote_ = VirtualAllocEx(process_.Get(), nullptr, kRemoteSize, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    return size <= kRemoteSize ? remote_ : nullptr;
}

bool KlarvexApp::ReadRemote(const void* remote, void* local, size_t size) {
    SIZE_T done = 0;
    return ReadProcessMemory(process_.Get(), remote, local, size, &done) && done == size;
}

bool KlarvexApp::WriteRemote(void* remote, const void* local, size_t size) {
    SIZE_T done = 0;
    return WriteProcessMemory(process_.Get(), remote, local, size, &done) && done == size;
}

std::wstring KlarvexApp::NodeText(HTREEITEM node) {
    auto* remote = static_cast<char*>(Remote(kRemoteSize));
    TVITEMW item{};
    item.mask = TVIF_TEXT | TVIF_HANDLE;
    item.hItem = node;
    item.pszText = reinterpret_cast<wchar_t*>(remote + kTextOffset);
    item.cchTextMax = 256;
    WriteRemote(remote, &item, sizeof(item));
    if (!SendMessageW(Control(IDC_TREE), TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(remote))) return L"";
    wchar_t text[256] = L"";
    ReadRemote(remote + kTextOffset, text, sizeof(text));
    text[255] = L'\0';
    return text;
}

HTREEITEM KlarvexApp::FindNode(const std::wstring& name) {
    HWND tree = Control(IDC_TREE);
    for (auto category = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0)); category;
         category = reinterpret_cast<HTREEITEM>(
             SendMessageW(tree, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(category)))) {
        const std::wstring categoryText = NodeText(category);
        if (categoryText == name) return category;
        if (name.rfind(categoryText + L" - ", 0) != 0) continue;
        for (auto item = reinterpret_cast<HTREEITEM>(
                 SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(category)));
             item; item = reinterpret_cast<HTREEITEM>(
                       SendMessageW(tree, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(item))))
            if (categoryText + L" - " + NodeText(item) == name) return item;
    }
    return nullptr;
}

int KlarvexApp::TickState(HTREEITEM node) {
    const LRESULT state = SendMessageW(Control(IDC_TREE), TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(node), TVIS_STATEIMAGEMASK);
    return static_cast<int>((state & TVIS_STATEIMAGEMASK) >> 12);
}

bool KlarvexApp::IsExpanded(HTREEITEM node) {
    return (SendMessageW(Control(IDC_TREE), TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(node), TVIS_EXPANDED) &
            TVIS_EXPANDED) != 0;
}

bool KlarvexApp::ClickNode(HTREEITEM node, int labelOffset) {
    HWND tree = Control(IDC_TREE);
    SendMessageW(tree, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(node));
    auto* remote = Remote(sizeof(RECT));
    RECT rect{};
    // TVM_GETITEMRECT takes the item in the rectangle's place.
    WriteRemote(remote, &node, sizeof(node));
    if (!SendMessageW(tree, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(remote))) return false;
    ReadRemote(remote, &rect, sizeof(rect));
    POINT at{rect.left + labelOffset, (rect.top + rect.bottom) / 2};
    POINT screen = at;
    ClientToScreen(tree, &screen);
    SetCursorPos(screen.x, screen.y);
    const LPARAM position = MAKELPARAM(at.x, at.y);
    PostMessageW(tree, WM_LBUTTONDOWN, MK_LBUTTON, position);
    PostMessageW(tree, WM_LBUTTONUP, 0, position);
    return true;
}

// The state image sits just left of the label.
void KlarvexApp::ClickCheckBox(HTREEITEM node) { ClickNode(node, -10); }

bool KlarvexApp::ClickLabel(HTREEITEM node) { return ClickNode(node, 5); }

void KlarvexApp::PressSpaceOn(HTREEITEM node) {
    HWND tree = Control(IDC_TREE);
    SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(node));
    PostMessageW(tree, WM_KEYDOWN, VK_SPACE, 0x00390001);
    PostMessageW(tree, WM_KEYUP, VK_SPACE, 0xC0390001);
}

int KlarvexApp::WaitForExit(std::chrono::milliseconds timeout) {
    if (!process_) return -1;
    if (WaitForSingleObject(process_.Get(), static_cast<DWORD>(timeout.count())) != WAIT_OBJECT_0) return -1;
    DWORD code = 0;
    GetExitCodeProcess(process_.Get(), &code);
    return static_cast<int>(code);
}

int KlarvexApp::Close(std::chrono::milliseconds timeout) {
    PostMessageW(Main(), WM_CLOSE, 0, 0);
    return WaitForExit(timeout);
}

RECT KlarvexApp::TabRect(HWND tabs, int index) {
    RECT rect{};
    auto* remote = Remote(sizeof(rect));
    if (!remote || !SendMessageW(tabs, TCM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(remote)) ||
        !ReadRemote(remote, &rect, sizeof(rect)))
        return {};
    MapWindowPoints(tabs, nullptr, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

namespace {

void PostClick(HWND window, POINT at) {
    const LPARAM position = MAKELPARAM(at.x, at.y);
    PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, position);
    PostMessageW(window, WM_LBUTTONUP, 0, position);
}

}  // namespace

void KlarvexApp::ClickTab(HWND tabs, int index) {
    const RECT rect = TabRect(tabs, index);
    POINT middle{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    ScreenToClient(tabs, &middle);
    PostClick(tabs, middle);
}

void KlarvexApp::ClickColumnHeader(HWND list, int column) {
    HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
    RECT rect{};
    auto* remote = Remote(sizeof(rect));
    if (!remote ||
        !SendMessageW(header, HDM_GETITEMRECT, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(remote)) ||
        !ReadRemote(remote, &rect, sizeof(rect)))
        return;
    PostClick(header, {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2});
}

std::vector<std::wstring> KlarvexApp::Rows(HWND list) {
    HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
    const auto columns = static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0));
    std::vector<std::wstring> rows;
    for (int row = 0; row < RowCount(list); ++row) {
        std::wstring text;
        for (int column = 0; column < std::max(columns, 1); ++column)
            text += (column > 0 ? L" | " : L"") + RowText(list, row, column);
        rows.push_back(std::move(text));
    }
    return rows;
}

void KlarvexApp::SaveAs(HWND dialog, const std::wstring& path) {
    constexpr int kFileNameBox = 0x47c;  // cmb13 of the Explorer-style dialog
    SetText(dialog, kFileNameBox, path);
    Click(dialog, IDOK);
}

bool KlarvexApp::SaveScreenshot(const std::wstring& name) { return SaveScreenshot(Main(), name); }

namespace {

// A picture of width x height pixels (24 or 32 bits each, rows bottom-up
// as in a BMP file) of what draw paints into a memory device context; the
// screen's device context is at hand for a copy from the screen. Empty
// when it cannot be made.
std::vector<uint8_t> Picture(int width, int height, WORD bitCount,
                             const std::function<bool(HDC memory, HDC screen)>& draw) {
    WindowDc screen(nullptr);
    MemoryDc memory(CreateCompatibleDC(screen.Get()));
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = bitCount;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    const Bitmap bitmap(CreateDIBSection(screen.Get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!memory || !bitmap || !bits) return {};
    {
        DcSelection selected(memory.Get(), bitmap.Get());
        if (!draw(memory.Get(), screen.Get())) return {};
        GdiFlush();
    }
    const size_t stride = (static_cast<size_t>(width) * bitCount / 8 + 3) & ~size_t{3};
    const auto* begin = static_cast<const uint8_t*>(bits);
    return std::vector<uint8_t>(begin, begin + stride * static_cast<size_t>(height));
}

}  // namespace

bool KlarvexApp::SaveScreenshot(HWND window, const std::wstring& name) {
    RECT rect;
    if (!GetWindowRect(window, &rect)) return false;
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0) return false;
    const std::vector<uint8_t> image = Picture(width, height, 24, [&](HDC memory, HDC screen) {
        return BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY) != FALSE;
    });
    if (image.empty()) return false;
    BITMAPINFOHEADER header{};
    header.biSize = sizeof(header);
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
    file.bfSize = file.bfOffBits + static_cast<DWORD>(image.size());
    const std::wstring folder = ExeDir() + L"screenshots";
    CreateDirectoryW(folder.c_str(), nullptr);
    std::ofstream out((folder + L"\\" + name + L".bmp").c_str(), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(&file), sizeof(file));
    out.write(reinterpret_cast<const char*>(&header), sizeof(header));
    out.write(reinterpret_cast<const char*>(image.data()), static_cast<std::streamsize>(image.size()));
    return static_cast<bool>(out.flush());
}

void KlarvexApp::MenuCommand(int id) { PostMessageW(Main(), WM_COMMAND, MAKEWPARAM(id, 0), 0); }

namespace {

struct OwnedData {
    DWORD processId;
    HWND owner;
    HWND found;
};

BOOL CALLBACK FindOwned(HWND window, LPARAM parameter) {
    auto& data = *reinterpret_cast<OwnedData*>(parameter);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    wchar_t className[64];
    GetClassNameW(window, className, 64);
    if (process != data.processId || GetWindow(window, GW_OWNER) != data.owner || wcscmp(className, L"#32770") != 0 ||
        !IsWindowVisible(window))
        return TRUE;
    data.found = window;
    return FALSE;
}

}  // namespace

HWND KlarvexApp::WaitForOwned(HWND owner, std::chrono::milliseconds timeout) const {
    OwnedData data{processId_, owner, nullptr};
    WaitUntil([&] {
        EnumWindows(FindOwned, reinterpret_cast<LPARAM>(&data));
        return data.found != nullptr;
    }, timeout);
    return data.found;
}

void KlarvexApp::Click(HWND dialog, int id) { PostMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

bool KlarvexApp::ClickToClose(HWND dialog, int id, std::chrono::milliseconds timeout) {
    Click(dialog, id);
    return WaitUntil([&] { return !IsWindow(dialog); }, timeout);
}

bool KlarvexApp::CloseAndWait(HWND window, std::chrono::milliseconds timeout) {
    PostMessageW(window, WM_CLOSE, 0, 0);
    return WaitUntil([&] { return !IsWindow(window); }, timeout);
}

void KlarvexApp::SetText(HWND dialog, int id, const std::wstring& text) {
    SendMessageW(GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

bool KlarvexApp::Checked(HWND dialog, int id) {
    return SendMessageW(GetDlgItem(dialog, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

int KlarvexApp::RowCount(HWND list) { return static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)); }

std::wstring KlarvexApp::RowText(HWND list, int row, int column) {
    auto* remote = static_cast<char*>(Remote(kRemoteSize));
    constexpr int kChars = 2048;
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = reinterpret_cast<wchar_t*>(remote + kTextOffset);
    item.cchTextMax = kChars;
    if (!remote || !WriteRemote(remote, &item, sizeof(item))) return L"";
    const LRESULT length = SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(remote));
    std::wstring text(kChars, L'\0');
    if (!ReadRemote(remote + kTextOffset, text.data(), kChars * sizeof(wchar_t))) return L"";
    text.resize(static_cast<size_t>(std::clamp<LRESULT>(length, 0, kChars - 1)));
    return text;
}

int KlarvexApp::SelectedRow(HWND list) const {
    return static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

void KlarvexApp::SelectRow(HWND list, int row) {
    auto* remote = Remote(sizeof(LVITEMW));
    LVITEMW item{};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = 0;
    WriteRemote(remote, &item, sizeof(item));
    SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(remote));
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    WriteRemote(remote, &item, sizeof(item));
    SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(remote));
}

void KlarvexApp::DoubleClickRow(HWND list, int row) {
    auto* remote = Remote(sizeof(RECT));
    RECT rect{};
    rect.left = LVIR_LABEL;
    WriteRemote(remote, &rect, sizeof(rect));
    SendMessageW(list, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(remote));
    ReadRemote(remote, &rect, sizeof(rect));
    const LPARAM at = MAKELPARAM(rect.left + 8, (rect.top + rect.bottom) / 2);
    PostMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(list, WM_LBUTTONUP, 0, at);
    PostMessageW(list, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
    PostMessageW(list, WM_LBUTTONUP, 0, at);
}

void KlarvexApp::ClickListBoxRow(HWND listBox, int row) {
    const auto height = static_cast<int>(SendMessageW(listBox, LB_GETITEMHEIGHT, 0, 0));
    const auto top = static_cast<int>(SendMessageW(listBox, LB_GETTOPINDEX, 0, 0));
    const LPARAM at = MAKELPARAM(5, (row - top) * height + height / 2);
    PostMessageW(listBox, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(listBox, WM_LBUTTONUP, 0, at);
}

LPCWSTR KlarvexApp::BoxIcon(HWND box) {
    HWND icon = nullptr;
    for (HWND child = GetWindow(box, GW_CHILD); child && !icon; child = GetWindow(child, GW_HWNDNEXT))
        if ((GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON && IsWindowVisible(child)) icon = child;
    if (!icon) return nullptr;
    RECT rect;
    GetClientRect(icon, &rect);
    POINT origin{0, 0};
    ClientToScreen(icon, &origin);
    const int width = rect.right, height = rect.bottom;
    if (width <= 0 || height <= 0) return nullptr;
    const auto shown = Picture(width, height, 32, [&](HDC memory, HDC screen) {
        return BitBlt(memory, 0, 0, width, height, screen, origin.x, origin.y, SRCCOPY) != FALSE;
    });
    if (shown.empty()) return nullptr;
    // The last row holds the top left pixel: the background, which an
    // icon leaves clear at its corners.
    const size_t corner = shown.size() - static_cast<size_t>(width) * 4;
    const COLORREF back = RGB(shown[corner + 2], shown[corner + 1], shown[corner]);
    LPCWSTR closest = nullptr;
    long long best = -1;
    for (LPCWSTR candidate : {IDI_INFORMATION, IDI_ERROR, IDI_WARNING, IDI_QUESTION}) {
        const auto drawn = Picture(width, height, 32, [&](HDC memory, HDC) {
            const Brush fill(CreateSolidBrush(back));
            RECT all{0, 0, width, height};
            FillRect(memory, &all, fill.Get());
            return DrawIconEx(memory, 0, 0, LoadIconW(nullptr, candidate), 0, 0, 0, nullptr, DI_NORMAL) != FALSE;
        });
        if (drawn.size() != shown.size()) continue;
        long long difference = 0;
        for (size_t i = 0; i < shown.size(); ++i) difference += std::abs(int{shown[i]} - int{drawn[i]});
        if (best < 0 || difference < best) best = difference, closest = candidate;
    }
    return closest;
}

}  // namespace klarvex::testing
