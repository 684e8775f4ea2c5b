#include "gui/GuiDriver.h"

#include <gtest/gtest.h>

#include <commctrl.h>

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

bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(50ms);
    }
    return true;
}

std::wstring WindowTextOf(HWND window) {
    wchar_t text[1024] = L"";
    const LRESULT length = SendMessageW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text));
    return std::wstring(text, static_cast<size_t>(length > 0 ? length : 0));
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

std::vector<std::wstring> KlarvexApp::LogLines() {
    HWND log = Control(IDC_LOG);
    std::vector<std::wstring> lines;
    const LRESULT count = SendMessageW(log, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        const LRESULT length = SendMessageW(log, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
        std::wstring line(static_cast<size_t>(length > 0 ? length : 0) + 1, L'\0');
        const LRESULT got = SendMessageW(log, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(line.data()));
        line.resize(static_cast<size_t>(got > 0 ? got : 0));
        lines.push_back(line);
    }
    return lines;
}

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

void KlarvexApp::ClickCheckBox(HTREEITEM node) {
    HWND tree = Control(IDC_TREE);
    SendMessageW(tree, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(node));
    auto* remote = Remote(sizeof(RECT));
    RECT rect{};
    // TVM_GETITEMRECT takes the item in the rectangle's place.
    WriteRemote(remote, &node, sizeof(node));
    SendMessageW(tree, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(remote));
    ReadRemote(remote, &rect, sizeof(rect));
    // The state image sits just left of the label.
    POINT at{rect.left - 10, (rect.top + rect.bottom) / 2};
    POINT screen = at;
    ClientToScreen(tree, &screen);
    SetCursorPos(screen.x, screen.y);
    const LPARAM position = MAKELPARAM(at.x, at.y);
    PostMessageW(tree, WM_LBUTTONDOWN, MK_LBUTTON, position);
    PostMessageW(tree, WM_LBUTTONUP, 0, position);
}

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

bool KlarvexApp::SaveScreenshot(const std::wstring& name, HWND window) {
    RECT rect;
    if (!GetWindowRect(window ? window : Main(), &rect)) return false;
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0) return false;
    WindowDc screen(nullptr);
    MemoryDc memory(CreateCompatibleDC(screen.Get()));
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    const Bitmap bitmap(CreateDIBSection(screen.Get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!memory || !bitmap || !bits) return false;
    {
        DcSelection selected(memory.Get(), bitmap.Get());
        if (!BitBlt(memory.Get(), 0, 0, width, height, screen.Get(), rect.left, rect.top, SRCCOPY)) return false;
    }
    const DWORD stride = ((static_cast<DWORD>(width) * 3 + 3) & ~3u);
    const DWORD imageSize = stride * static_cast<DWORD>(height);
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
    file.bfSize = file.bfOffBits + imageSize;
    const std::wstring folder = ExeDir() + L"screenshots";
    CreateDirectoryW(folder.c_str(), nullptr);
    std::ofstream out((folder + L"\\" + name + L".bmp").c_str(), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(&file), sizeof(file));
    out.write(reinterpret_cast<const char*>(&info.bmiHeader), sizeof(info.bmiHeader));
    out.write(static_cast<const char*>(bits), imageSize);
    return static_cast<bool>(out.flush());
}

}  // namespace klarvex::testing
