// The index.dat viewer of the real Klarvex.exe, driven through its
// controls: the file it starts on, what "&Show" lists against what the
// reader gives, a large file read while the window stays usable, and what
// a double click hands to the shell.

#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>
#include <dlgs.h>
#include <shlobj.h>

#include <algorithm>
#include <chrono>
#include <optional>
#include <thread>
#include <string>
#include <vector>

#include "app/MainRes.h"
#include "base/Handles.h"
#include "base/Strings.h"
#include "dialogs/IndexDatViewerRes.h"
#include "formats/IndexDatFixture.h"
#include "formats/IndexDatView.h"
#include "IndexDatSynthetic.h"
#include "platform/SystemLookups.h"
#include "support/GuiDriver.h"

namespace klarvex::testing {
namespace {

const std::wstring kCaption = L"Index.dat file viewer";

void WriteBytes(const std::wstring& path, const std::vector<uint8_t>& bytes) {
    FileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD written = 0;
    ASSERT_TRUE(file && WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
}

// The viewer opened from the main window's menu.
class IndexDatViewerTest : public ::testing::Test {
protected:
    void Open() {
        ASSERT_TRUE(app.Main());
        app.MenuCommand(IDM_INDEX_DAT_VIEWER);
        viewer = app.WaitForOwned(app.Main());
        ASSERT_TRUE(viewer);
        ASSERT_EQ(WindowTextOf(viewer), kCaption);
        list = GetDlgItem(viewer, IDC_IDX_LIST);
    }
    std::wstring Total() const { return WindowTextOf(GetDlgItem(viewer, IDC_IDX_TOTAL)); }
    int Progress() const { return static_cast<int>(SendMessageW(GetDlgItem(viewer, IDC_IDX_PROGRESS), PBM_GETPOS, 0, 0)); }
    // Shows the file and waits until "Total Record:" has been set.
    void Show(const std::wstring& path) {
        SetWindowTextW(GetDlgItem(viewer, IDC_IDX_TOTAL), L"");  // so the end of this read can be seen
        KlarvexApp::SetText(viewer, IDC_IDX_FILE_NAME, path);
        KlarvexApp::Click(viewer, IDC_IDX_SHOW);
        ASSERT_TRUE(WaitUntil([&] { return !Total().empty(); }, 60s));
    }
    // What the list view shows, row by row: address and date.
    std::vector<std::pair<std::wstring, std::wstring>> Shown() {
        std::vector<std::pair<std::wstring, std::wstring>> rows;
        for (int i = 0, n = KlarvexApp::RowCount(list); i < n; ++i)
            rows.emplace_back(app.RowText(list, i, 0), app.RowText(list, i, 1));
        return rows;
    }
    // The rows as the reader gives them (through the viewer's own store).
    static std::vector<std::pair<std::wstring, std::wstring>> ReaderRows(const std::wstring& path) {
        TIndexDatRows read;
        IndexDatSilentProgress progress;
        read.Read(path, progress);
        std::vector<std::pair<std::wstring, std::wstring>> rows;
        for (size_t i = 0; i < read.Count(); ++i) rows.emplace_back(read.Address(i), read.Date(i));
        return rows;
    }

    ScratchFolder dir;
    KlarvexApp app;
    HWND viewer = nullptr;
    HWND list = nullptr;
};

TEST_F(IndexDatViewerTest, OpensOnTheUsersCacheIndexAndReadsNothing) {
    ASSERT_NO_FATAL_FAILURE(Open());
    EndBrowserSession();
    EXPECT_EQ(WindowTextOf(GetDlgItem(viewer, IDC_IDX_FILE_NAME)),
              ShellFolderPath(CSIDL_INTERNET_CACHE) + L"Content.IE5\\index.dat");
    EXPECT_EQ(KlarvexApp::RowCount(list), 0);
    EXPECT_EQ(Total(), L"0");
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(viewer, IDC_IDX_PROGRESS)));
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(viewer, IDC_IDX_SEPARATOR)));
    RECT client{};
    GetClientRect(viewer, &client);
    EXPECT_EQ(client.right, 676);
    EXPECT_EQ(client.bottom, 501);
    EXPECT_TRUE(GetWindowLongW(list, GWL_STYLE) & LVS_OWNERDATA) << "the rows live in the program, not the control";
    EXPECT_TRUE(app.SaveScreenshot(viewer, L"index-dat-viewer-opened"));

    EXPECT_TRUE(KlarvexApp::ClickToClose(viewer, IDCANCEL));
    EXPECT_TRUE(IsWindowEnabled(app.Main())) << "the main window is usable again";
}

TEST_F(IndexDatViewerTest, ShowListsExactlyTheReadersRows) {
    // Capital letters in the extension are accepted.
    const std::wstring content = dir / L"CONTENT.DAT", history = dir / L"History.dat";
    ASSERT_TRUE(CopyFileW(L"C:\\realdata\\plaso-Content.IE5-index.dat", content.c_str(), FALSE));
    ASSERT_TRUE(CopyFileW(L"C:\\realdata\\plaso-History.IE5-index.dat", history.c_str(), FALSE));
    const auto expected = ReaderRows(content);
    ASSERT_GT(expected.size(), 10u);

    ASSERT_NO_FATAL_FAILURE(Open());
    // The file is chosen in the file dialog, which offers index.dat files.
    KlarvexApp::Click(viewer, IDC_IDX_BROWSE);
    HWND files = app.WaitForOwned(viewer);
    ASSERT_TRUE(files);
    wchar_t type[256] = L"";
    SendMessageW(GetDlgItem(files, cmb1), CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(type));
    EXPECT_STREQ(type, L"Index dat file(*.dat)");
    SetWindowTextW(GetDlgItem(files, cmb13), content.c_str());
    PostMessageW(files, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(files); }, 10s));
    EXPECT_EQ(WindowTextOf(GetDlgItem(viewer, IDC_IDX_FILE_NAME)), content);
    ASSERT_NO_FATAL_FAILURE(Show(content));
    EXPECT_EQ(Total(), std::to_wstring(expected.size()));
    EXPECT_EQ(Shown(), expected);
    EXPECT_EQ(Progress(), 100);
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(viewer, IDC_IDX_PROGRESS)));
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(viewer, IDC_IDX_SEPARATOR)));
    EXPECT_TRUE(app.SaveScreenshot(viewer, L"index-dat-viewer-rows"));

    // Not a .dat name: a box, and the rows stay.
    const std::wstring backup = dir / L"x.dat.bak";
    MakeFile(backup, 10);
    KlarvexApp::SetText(viewer, IDC_IDX_FILE_NAME, backup);
    KlarvexApp::Click(viewer, IDC_IDX_SHOW);
    HWND box = app.WaitForOwned(viewer);
    ASSERT_TRUE(box);
    EXPECT_EQ(WindowTextOf(box), kCaption);
    const auto texts = KlarvexApp::StaticTexts(box);
    EXPECT_NE(std::find(texts.begin(), texts.end(), L"Please enter the correct index.dat file name."), texts.end());
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(box); }, 5s));
    EXPECT_EQ(KlarvexApp::RowCount(list), static_cast<int>(expected.size()));

    // A second file replaces every row of the first.
    const auto second = ReaderRows(history);
    ASSERT_NO_FATAL_FAILURE(Show(history));
    EXPECT_EQ(Total(), std::to_wstring(second.size()));
    EXPECT_EQ(Shown(), second);

    // A file held open by another program with no sharing cannot be read.
    {
        FileHandle held(CreateFileW(content.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(held);
        ASSERT_NO_FATAL_FAILURE(Show(content));
    }
    EXPECT_EQ(Total(), L"0");
    EXPECT_EQ(KlarvexApp::RowCount(list), 0);
    EXPECT_EQ(Progress(), 0);
}

TEST_F(IndexDatViewerTest, LargeFileShowsRowsEarlyWhileTheWindowStaysUsable) {
    constexpr int kRecords = 200000;
    const std::wstring path = dir / L"large.dat";
    ASSERT_NO_FATAL_FAILURE(WriteBytes(path, BuildSyntheticIndexDat(kRecords)));
    ASSERT_NO_FATAL_FAILURE(Open());

    SetWindowTextW(GetDlgItem(viewer, IDC_IDX_TOTAL), L"");
    KlarvexApp::SetText(viewer, IDC_IDX_FILE_NAME, path);
    KlarvexApp::Click(viewer, IDC_IDX_SHOW);
    // Rows first seen while the total was still blank, and how many.
    std::optional<int> firstRows;
    bool ended = false, checkedDuringRead = false;
    WaitUntil([&] {
        if (!Total().empty()) return ended = true;
        if (!firstRows) {
            if (const int rows = KlarvexApp::RowCount(list); rows > 0) firstRows = rows;
        }
        if (firstRows && !checkedDuringRead) {
            checkedDuringRead = true;
            // The window answers, and a second "&Show" is ignored.
            DWORD_PTR answer = 0;
            EXPECT_TRUE(SendMessageTimeoutW(viewer, WM_NULL, 0, 0, SMTO_NORMAL, 1000, &answer));
            KlarvexApp::Click(viewer, IDC_IDX_SHOW);
        }
        return false;
    }, 120s);
    ASSERT_TRUE(ended) << "the read did not end";
    ASSERT_TRUE(firstRows) << "no row showed before the read ended";
    EXPECT_LT(*firstRows, kRecords) << "the rows came all at once, not while the file was read";
    EXPECT_TRUE(checkedDuringRead) << "the read ended before it could be watched";
    EXPECT_EQ(Total(), std::to_wstring(kRecords));
    std::this_thread::sleep_for(500ms);
    EXPECT_EQ(KlarvexApp::RowCount(list), kRecords) << "the ignored click started no second read";
    EXPECT_EQ(app.RowText(list, kRecords - 1), L"http://www.bench-" + std::to_wstring((kRecords - 1) % 977) +
                                                   L".example/path/page-" + std::to_wstring(kRecords - 1) +
                                                   L".html?q=" + std::to_wstring((kRecords - 1) * 7));

    // A close during a read waits for its end.
    SetWindowTextW(GetDlgItem(viewer, IDC_IDX_TOTAL), L"");
    KlarvexApp::Click(viewer, IDC_IDX_SHOW);
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(GetDlgItem(viewer, IDC_IDX_PROGRESS)) && Progress() < 100; }, 10s));
    PostMessageW(viewer, WM_CLOSE, 0, 0);
    // Time for the window to take the close (it looks every 15 ms), well
    // inside the read, which takes about half a second.
    std::this_thread::sleep_for(100ms);
    EXPECT_TRUE(IsWindowVisible(viewer) && Total().empty()) << "the window went in the middle of the read";
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(viewer); }, 120s)) << "the close was lost";
    EXPECT_TRUE(IsWindowEnabled(app.Main()));
}

// Registers the recorder as the program that opens addresses of these
// schemes, and puts back what was there: the old command, or no "shell"
// key at all.
class ShellHandlers {
public:
    explicit ShellHandlers(const std::vector<std::wstring>& schemes) {
        const std::wstring command = L"\"" + ExeDir() + L"klarvex-open-recorder.exe\" \"%1\"";
        for (const auto& scheme : schemes) {
            Saved saved{scheme + L"\\shell", false, false, {}};
            RegKey existing;
            saved.shellExisted =
                RegOpenKeyExW(HKEY_CLASSES_ROOT, saved.shell.c_str(), 0, KEY_READ, existing.Put()) == ERROR_SUCCESS;
            saved.commandExisted = ReadCommand(scheme, saved.command);
            saved_.push_back(saved);
            RegKey created;
            RegCreateKeyExW(HKEY_CLASSES_ROOT, (scheme + kCommand).c_str(), 0, nullptr, 0, KEY_WRITE, nullptr,
                            created.Put(), nullptr);
            SetCommand(created.Get(), command);
        }
    }
    ~ShellHandlers() {
        for (const auto& saved : saved_) {
            if (!saved.shellExisted) {
                RegDeleteTreeW(HKEY_CLASSES_ROOT, saved.shell.c_str());
                RegDeleteKeyW(HKEY_CLASSES_ROOT, saved.shell.c_str());
                continue;
            }
            RegKey key;
            if (RegOpenKeyExW(HKEY_CLASSES_ROOT, (saved.shell + kOpenCommand).c_str(), 0, KEY_WRITE, key.Put()) != ERROR_SUCCESS)
                continue;
            if (saved.commandExisted) SetCommand(key.Get(), saved.command);
            else RegDeleteValueW(key.Get(), nullptr);
        }
    }
    ShellHandlers(const ShellHandlers&) = delete;
    ShellHandlers& operator=(const ShellHandlers&) = delete;

private:
    static constexpr wchar_t kCommand[] = L"\\shell\\open\\command";
    static constexpr wchar_t kOpenCommand[] = L"\\open\\command";
    struct Saved {
        std::wstring shell;  // the scheme's "shell" key
        bool shellExisted, commandExisted;
        std::wstring command;
    };
    static bool ReadCommand(const std::wstring& scheme, std::wstring& command) {
        RegKey key;
        if (RegOpenKeyExW(HKEY_CLASSES_ROOT, (scheme + kCommand).c_str(), 0, KEY_READ, key.Put()) != ERROR_SUCCESS)
            return false;
        wchar_t value[1024] = L"";
        DWORD size = sizeof(value) - sizeof(wchar_t);
        if (RegQueryValueExW(key.Get(), nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(value), &size) != ERROR_SUCCESS)
            return false;
        command = value;
        return true;
    }
    static void SetCommand(HKEY key, const std::wstring& command) {
        RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                       static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t)));
    }
    std::vector<Saved> saved_;
};

TEST_F(IndexDatViewerTest, DoubleClickHandsOnlyWebAddressesToTheShell) {
    const std::wstring recorder = ExeDir() + L"klarvex-open-recorder.exe";
    const std::wstring log = ExeDir() + L"klarvex-opened.txt";
    DeleteFileW(log.c_str());
    ShellHandlers handlers({L"http", L"https", L"ftp", L"javascript", L"file"});

    // Rows as a hostile file may hold them: a web address, a program on
    // the disk, script, a file address of that program, a visited entry.
    const std::string web = "http://www.klarvex.example/viewer?row=1";
    const std::string local = WideToUtf8(recorder);
    std::string fileUrl = "file:///" + local;
    std::replace(fileUrl.begin(), fileUrl.end(), '\\', '/');
    const std::vector<std::string> addresses = {local, "javascript:alert(1)", fileUrl,
                                                "Visited: user@http://www.klarvex.example/", web};
    klarvex::test::IndexDatImage image(0x2000, 0x100);
    image.Table(0x100, 1, 0);
    for (size_t i = 0; i < addresses.size(); ++i) {
        image.Entry(0x100, i, 0, static_cast<int32_t>(0x400 + 0x200 * i));
        image.Url(0x400 + 0x200 * i, 130849745640450000ull, addresses[i]);
    }
    const std::wstring path = dir / L"links.dat";
    ASSERT_NO_FATAL_FAILURE(WriteBytes(path, image.bytes));

    ASSERT_NO_FATAL_FAILURE(Open());
    ASSERT_NO_FATAL_FAILURE(Show(path));
    ASSERT_EQ(KlarvexApp::RowCount(list), static_cast<int>(addresses.size()));
    // No row selected: a double click below the rows opens nothing.
    ASSERT_EQ(app.SelectedRow(list), -1);
    PostMessageW(list, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(200, 300));
    for (int row = 0; row < static_cast<int>(addresses.size()); ++row) {
        ASSERT_EQ(app.RowText(list, row), Utf8ToWide(addresses[row]));
        // One row after the other: the click selects the row it is on.
        app.DoubleClickRow(list, row);
        ASSERT_TRUE(WaitUntil([&] { return app.SelectedRow(list) == row; }, 5s));
        std::this_thread::sleep_for(300ms);
    }
    // The recorder writes as soon as the shell starts it; give each a moment.
    EXPECT_TRUE(WaitUntil([&] { return Exists(log); }, 10s));
    std::this_thread::sleep_for(2s);
    EXPECT_EQ(ReadTextFile(log), Utf8ToWide(web) + L"\n");
    // Enter on the selected row (the last clicked) opens it too.
    DeleteFileW(log.c_str());
    PostMessageW(list, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_TRUE(WaitUntil([&] { return ReadTextFile(log) == Utf8ToWide(web) + L"\n"; }, 10s));

    // "&More Index.dat": the product's page about index.dat files.
    DeleteFileW(log.c_str());
    KlarvexApp::Click(viewer, IDC_IDX_MORE);
    EXPECT_TRUE(WaitUntil([&] { return Exists(log); }, 10s));
    std::this_thread::sleep_for(500ms);
    EXPECT_EQ(ReadTextFile(log), L"https://www.klarvex.example/index-dat/\n");
    DeleteFileW(log.c_str());
}

}  // namespace
}  // namespace klarvex::testing
