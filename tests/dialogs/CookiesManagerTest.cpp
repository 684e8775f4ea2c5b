// The cookies manager of the real Klarvex.exe, opened from the main menu and
// driven through its controls. Its cookies are files of the sandbox's real
// cookie folder (the one the shell names), seeded here and taken away
// afterwards; Cookies.dat beside the program is set aside for each test.

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "app/MainRes.h"
#include "base/Strings.h"
#include "cleaners/ie/CookiesKeepList.h"
#include "dialogs/CookiesManagerRes.h"
#include "platform/Folders.h"
#include "support/GuiDriver.h"

namespace klarvex::testing {
namespace {

using Names = std::vector<std::wstring>;

const wchar_t kCutNote[] = L"[...] The file is longer; the rest of it is not shown.";

// Cookie files (and folders) made in the cookie folder, or in its "Low"
// subfolder, removed when the object goes; the Low folder too when it was
// made here.
class SeededCookies {
public:
    SeededCookies() : folder_(CookiesFolderWithoutLow()) {}
    ~SeededCookies() {
        for (auto it = made_.rbegin(); it != made_.rend(); ++it) {
            SetFileAttributesW(it->c_str(), FILE_ATTRIBUTE_NORMAL);
            if (!DeleteFileW(it->c_str())) RemoveDirectoryW(it->c_str());
        }
    }
    SeededCookies(const SeededCookies&) = delete;
    SeededCookies& operator=(const SeededCookies&) = delete;

    const std::wstring& Folder() const { return folder_; }
    std::wstring Low() const { return folder_ + L"Low\\"; }

    // name may start with "Low\".
    void File(const std::wstring& name, const std::string& content = "cookie\n") {
        if (name.rfind(L"Low\\", 0) == 0 && !IsPlainFolder(Low())) MakeFolder(L"Low");
        made_.push_back(folder_ + name);
        WriteTextFile(folder_ + name, content);
    }
    void MakeFolder(const std::wstring& name) {
        made_.push_back(folder_ + name);
        CreateDirectoryW((folder_ + name).c_str(), nullptr);
    }

    // The cookie files of a folder that a test of this program did not make.
    Names ForeignCookies(const std::wstring& folder) const {
        Names found;
        ForEachEntry(folder, [&](const FolderEntry& entry) {
            if (!entry.isFolder && IsCookieName(entry.name) &&
                std::find(made_.begin(), made_.end(), folder + entry.name) == made_.end())
                found.push_back(entry.name);
            return true;
        });
        return found;
    }

private:
    std::wstring folder_;
    Names made_;
};

class CookiesManagerTest : public ::testing::Test {
protected:
    ProgramFileGuard settings;
    ProgramFileGuard keepFile{L"Cookies.dat"};
    SeededCookies cookies;
    // Names no other run uses; the sandbox's own cookies may stand beside them.
    const std::wstring stem = UniqueName(L"kx");
    std::optional<KlarvexApp> app;
    HWND manager = nullptr;

    void SetUp() override { ASSERT_FALSE(cookies.Folder().empty()) << "the sandbox has no cookie folder"; }

    std::wstring Name(const std::wstring& what) const { return stem + L"-" + what; }

    void WriteKeepList(const Names& names, int count) const {
        std::string text = "[Cookies to keep]\r\nCount=" + std::to_string(count) + "\r\n";
        for (size_t i = 0; i < names.size(); ++i)
            text += std::to_string(i) + "=" + WideToUtf8(names[i]) + "\r\n";
        keepFile.Write(text);
    }

    // Starts the program when it does not run yet, and opens the manager
    // from the menu.
    void Open() {
        if (!app) {
            app.emplace();
            ASSERT_TRUE(app->Main());
        }
        PostMessageW(app->Main(), WM_COMMAND, MAKEWPARAM(IDM_COOKIES_MANAGER, 0), 0);
        manager = app->WaitForWindow(L"#32770", L"Cookies Manager");
        ASSERT_TRUE(manager) << "no window captioned Cookies Manager";
    }
    // Ends the manager through one of its controls (or its close box) and
    // waits until it has gone.
    void CloseWith(int button) {
        if (button == 0) PostMessageW(manager, WM_SYSCOMMAND, SC_CLOSE, 0);
        else KlarvexApp::Click(manager, button);
        ASSERT_TRUE(WaitUntil([&] { return !IsWindow(manager); }, 10s)) << "the manager stayed open";
    }

    HWND Found() const { return GetDlgItem(manager, IDC_COOKIES_FOUND); }
    HWND Keep() const { return GetDlgItem(manager, IDC_COOKIES_KEEP); }
    Names Lines(HWND list) const { return ListBoxLines(list); }
    int Selection(HWND list) const { return static_cast<int>(SendMessageW(list, LB_GETCURSEL, 0, 0)); }
    void Select(HWND list, int index) const { SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(index), 0); }
    int IndexOf(HWND list, const std::wstring& name) const {
        const Names lines = Lines(list);
        const auto it = std::find(lines.begin(), lines.end(), name);
        return it == lines.end() ? -1 : static_cast<int>(it - lines.begin());
    }
    // The button's click is handled when this returns.
    void Click(int button) const { SendMessageW(GetDlgItem(manager, button), BM_CLICK, 0, 0); }

    // A double click with the mouse on an entry, and the wait for its move.
    void DoubleClick(HWND list, int index) const {
        SendMessageW(list, LB_SETTOPINDEX, static_cast<WPARAM>(index), 0);
        const int top = static_cast<int>(SendMessageW(list, LB_GETTOPINDEX, 0, 0));
        const int height = static_cast<int>(SendMessageW(list, LB_GETITEMHEIGHT, 0, 0));
        const LPARAM at = MAKELPARAM(8, (index - top) * height + height / 2);
        const auto before = SendMessageW(list, LB_GETCOUNT, 0, 0);
        PostMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
        PostMessageW(list, WM_LBUTTONUP, 0, at);
        PostMessageW(list, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
        PostMessageW(list, WM_LBUTTONUP, 0, at);
        EXPECT_TRUE(WaitUntil([&] { return SendMessageW(list, LB_GETCOUNT, 0, 0) != before; }, 5s))
            << "the double click moved nothing";
    }

    // Clicks View for the entry of "All cookies found" and returns the text
    // of the box that comes up captioned with its name (closing the box);
    // nothing when no box comes.
    // The icon is checked only with checkIcon (a box taller than the screen
    // shows it off the screen).
    std::optional<std::wstring> View(const std::wstring& name, std::chrono::milliseconds wait = 10s,
                                     bool checkIcon = true) {
        SCOPED_TRACE(WideToUtf8(name));
        const int index = IndexOf(Found(), name);
        EXPECT_GE(index, 0) << WideToUtf8(name) << " is not listed";
        Select(Found(), index);
        PostMessageW(GetDlgItem(manager, IDC_COOKIES_VIEW), BM_CLICK, 0, 0);
        HWND box = app->WaitForWindow(L"#32770", name, wait);
        if (!box) return std::nullopt;
        const Names texts = KlarvexApp::StaticTexts(box);
        if (checkIcon) {
            EXPECT_TRUE(HasIcon(box, IDI_INFORMATION));
        }
        EXPECT_TRUE(KlarvexApp::ClickToClose(box, IDOK));
        std::wstring text;
        for (const auto& t : texts) text += t;
        return text;
    }

    // (Once the box has been painted.)
    static bool HasIcon(HWND box, LPCWSTR which) {
        return WaitUntil([&] { return KlarvexApp::BoxIcon(box) == which; }, 3s);
    }

    // Only the entries this test made, in their order.
    Names Ours(const Names& lines) const {
        Names ours;
        for (const auto& line : lines)
            if (line.rfind(stem + L"-", 0) == 0) ours.push_back(line);
        return ours;
    }
};

Names Without(Names names, const std::wstring& name) {
    names.erase(std::remove(names.begin(), names.end(), name), names.end());
    return names;
}

Names Plus(Names names, const Names& more) {
    names.insert(names.end(), more.begin(), more.end());
    return names;
}

TEST_F(CookiesManagerTest, ListsTheFolderBesideTheKeepListAndOkWritesTheListBack) {
    const std::wstring kept = Name(L"kept@a[1].txt"), differsInCase = Name(L"case@b[1].txt"),
                       backup = Name(L"old@c[1].txt.bak"), plain = Name(L"plain@d[1].txt"),
                       stale = Name(L"gone@e[1].txt");
    for (const auto& name : {kept, differsInCase, backup, plain}) cookies.File(name);
    cookies.File(Name(L"notes.TXT"));   // ".txt" in another case: no cookie
    cookies.File(Name(L"readme"));      // no ".txt" at all
    cookies.MakeFolder(Name(L"dir.txt"));  // a folder
    const std::wstring upperCase = Name(L"CASE@b[1].txt");
    // An empty entry is skipped; key 4 lies beyond Count and is never read.
    WriteKeepList({kept, upperCase, L"", stale, Name(L"beyond.txt")}, 4);

    ASSERT_NO_FATAL_FAILURE(Open());
    EXPECT_FALSE(IsWindowEnabled(app->Main())) << "the manager is modal";
    const Names labels = KlarvexApp::StaticTexts(manager);
    EXPECT_NE(std::find(labels.begin(), labels.end(), L"All cookies &found"), labels.end());
    EXPECT_NE(std::find(labels.begin(), labels.end(), L"Cookies to &keep"), labels.end());
    const std::pair<int, const wchar_t*> buttons[] = {
        {IDC_COOKIES_ADD, L"&Add"}, {IDC_COOKIES_REMOVE, L"&Remove"},
        {IDC_COOKIES_ADD_ALL, L"Add A&ll"}, {IDC_COOKIES_REMOVE_ALL, L"Re&move All"},
        {IDC_COOKIES_VIEW, L"&View"}, {IDOK, L"&OK"}, {IDCANCEL, L"&Cancel"}};
    for (const auto& [id, caption] : buttons) EXPECT_EQ(WindowTextOf(GetDlgItem(manager, id)), caption);
    for (HWND list : {Found(), Keep()})
        EXPECT_EQ(GetWindowLongW(list, GWL_STYLE) & (LBS_MULTIPLESEL | LBS_EXTENDEDSEL | LBS_SORT), 0);

    EXPECT_EQ(Lines(Keep()), (Names{kept, upperCase, stale})) << "the keep list as stored, stale entry included";
    const Names found = Ours(Lines(Found()));
    EXPECT_EQ(std::set<std::wstring>(found.begin(), found.end()),
              (std::set<std::wstring>{differsInCase, backup, plain}))
        << "a keep-list entry protects its exact name only; \".txt\" may stand anywhere";
    EXPECT_TRUE(app->SaveScreenshot(manager, L"cookies-manager"));

    // The stale entry and the one that differs in case are written back as
    // they were, with the moved cookie after them.
    Select(Found(), IndexOf(Found(), plain));
    Click(IDC_COOKIES_ADD);
    ASSERT_NO_FATAL_FAILURE(CloseWith(IDOK));
    EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(app->Main()) != FALSE; }, 5s));
    EXPECT_EQ(LoadKeepList(keepFile.Path()), (Names{kept, upperCase, stale, plain}));
    EXPECT_EQ(keepFile.Read(L"Cookies to keep", L"Count"), L"4");

    // A shorter list saved after the longer one reads back as exactly the
    // new list.
    ASSERT_NO_FATAL_FAILURE(Open());
    Click(IDC_COOKIES_REMOVE_ALL);
    Select(Found(), IndexOf(Found(), backup));
    Click(IDC_COOKIES_ADD);
    ASSERT_NO_FATAL_FAILURE(CloseWith(IDOK));
    EXPECT_EQ(LoadKeepList(keepFile.Path()), (Names{backup}));
    EXPECT_EQ(app->Close(), 0);
}

// Every move keeps the lists' order and leaves the selections where the
// user expects them.
TEST_F(CookiesManagerTest, EveryMoveLeavesTheSelectionsWhereTheUserExpectsThem) {
    for (const auto* what : {L"one@a[1].txt", L"two@b[1].txt", L"three@c[1].txt"}) cookies.File(Name(what));
    const Names keep{Name(L"k1.txt"), Name(L"k2.txt")};
    WriteKeepList(keep, 2);
    ASSERT_NO_FATAL_FAILURE(Open());
    const Names found = Lines(Found());  // the system's order; the sandbox's own cookies too
    const int n = static_cast<int>(found.size());
    ASSERT_GE(n, 3);

    {
        SCOPED_TRACE("Add with nothing selected");
        Select(Found(), -1);
        Click(IDC_COOKIES_ADD);
        EXPECT_EQ(Lines(Found()), found);
        EXPECT_EQ(Lines(Keep()), keep);
    }

    {
        SCOPED_TRACE("Add of the last entry");
        Select(Found(), n - 1);
        Click(IDC_COOKIES_ADD);
        EXPECT_EQ(Lines(Keep()), Plus(keep, {found[n - 1]}));
        EXPECT_EQ(Selection(Keep()), 0);
        EXPECT_EQ(Lines(Found()), Without(found, found[n - 1]));
        EXPECT_EQ(Selection(Found()), 0) << "the first entry follows the last";
    }
    {
        SCOPED_TRACE("Add of the first entry");
        Select(Found(), 0);
        Click(IDC_COOKIES_ADD);
        EXPECT_EQ(Lines(Keep()), Plus(keep, {found[n - 1], found[0]}));
        EXPECT_EQ(Lines(Found()), Without(Without(found, found[n - 1]), found[0]));
        EXPECT_EQ(Selection(Found()), 0) << "the entry after the moved one";
    }
    {
        SCOPED_TRACE("Remove of an entry in the middle");
        Select(Found(), -1);
        Select(Keep(), 1);
        const Names before = Lines(Found());
        Click(IDC_COOKIES_REMOVE);
        EXPECT_EQ(Lines(Found()), Plus(before, {keep[1]}));
        EXPECT_EQ(Selection(Found()), -1) << "a list that holds more than the moved entry keeps its selection";
        EXPECT_EQ(Lines(Keep()), (Names{keep[0], found[n - 1], found[0]}));
        EXPECT_EQ(Selection(Keep()), 1);
    }
    {
        SCOPED_TRACE("double click on the last kept entry");
        const Names before = Lines(Found());
        Select(Found(), 1);
        DoubleClick(Keep(), 2);
        EXPECT_EQ(Lines(Found()), Plus(before, {found[0]})) << "moved to the end";
        EXPECT_EQ(Selection(Found()), 0);
        EXPECT_EQ(Lines(Keep()), (Names{keep[0], found[n - 1]}));
        EXPECT_EQ(Selection(Keep()), 0);
    }
    {
        SCOPED_TRACE("double click in All cookies found");
        const Names before = Lines(Found());
        Select(Keep(), 1);
        DoubleClick(Found(), 1);
        EXPECT_EQ(Lines(Keep()), (Names{keep[0], found[n - 1], before[1]}));
        EXPECT_EQ(Selection(Keep()), 0);
        EXPECT_EQ(Lines(Found()), Without(before, before[1]));
        EXPECT_EQ(Selection(Found()), 1);
    }
    {
        SCOPED_TRACE("Remove All, then Remove with nothing to remove");
        const Names before = Lines(Found()), kept = Lines(Keep());
        Click(IDC_COOKIES_REMOVE_ALL);
        EXPECT_EQ(Lines(Found()), Plus(before, kept));
        EXPECT_EQ(Selection(Found()), 0);
        EXPECT_TRUE(Lines(Keep()).empty());
        Click(IDC_COOKIES_REMOVE);
        Click(IDC_COOKIES_REMOVE_ALL);
        EXPECT_EQ(Lines(Found()), Plus(before, kept));
    }
    {
        SCOPED_TRACE("Add All, then Remove into the empty list");
        const Names all = Lines(Found());
        Click(IDC_COOKIES_ADD_ALL);
        EXPECT_EQ(Lines(Keep()), all);
        EXPECT_EQ(Selection(Keep()), 0);
        EXPECT_TRUE(Lines(Found()).empty());
        Select(Keep(), 2);
        Click(IDC_COOKIES_REMOVE);
        EXPECT_EQ(Lines(Found()), (Names{all[2]}));
        EXPECT_EQ(Selection(Found()), 0) << "the moved entry is selected when it is the list's only one";
        EXPECT_EQ(Selection(Keep()), 2);
    }
    // Nothing of it reaches the file without OK.
    ASSERT_NO_FATAL_FAILURE(CloseWith(IDCANCEL));
    EXPECT_EQ(LoadKeepList(keepFile.Path()), keep);
    EXPECT_EQ(app->Close(), 0);
}

TEST_F(CookiesManagerTest, CancelAndTheCloseBoxWriteNothing) {
    cookies.File(Name(L"one@a[1].txt"));
    ASSERT_NO_FATAL_FAILURE(Open());
    Click(IDC_COOKIES_ADD_ALL);
    ASSERT_NO_FATAL_FAILURE(CloseWith(IDCANCEL));
    EXPECT_FALSE(Exists(keepFile.Path())) << "Cancel made the file";

    WriteKeepList({Name(L"k1.txt")}, 1);
    const std::string before = ReadBytes(keepFile.Path());
    for (int close : {IDCANCEL, 0}) {
        ASSERT_NO_FATAL_FAILURE(Open());
        EXPECT_EQ(Lines(Keep()), (Names{Name(L"k1.txt")})) << "the lists start from the file each time";
        Click(IDC_COOKIES_ADD_ALL);
        Click(IDC_COOKIES_REMOVE);
        ASSERT_NO_FATAL_FAILURE(CloseWith(close));
        EXPECT_EQ(ReadBytes(keepFile.Path()), before);
    }
    EXPECT_EQ(app->Close(), 0);
}

TEST_F(CookiesManagerTest, FailedSaveShowsTheErrorAndKeepsTheWindowOpen) {
    // A folder where the file should be: nothing can be written there.
    ASSERT_TRUE(CreateDirectoryW(keepFile.Path().c_str(), nullptr));
    struct FolderInTheWay {
        std::wstring path;
        ~FolderInTheWay() { RemoveDirectoryW(path.c_str()); }
    } inTheWay{keepFile.Path()};
    cookies.File(Name(L"one@a[1].txt"));
    ASSERT_NO_FATAL_FAILURE(Open());
    Click(IDC_COOKIES_ADD_ALL);
    PostMessageW(GetDlgItem(manager, IDOK), BM_CLICK, 0, 0);
    HWND box = app->WaitForWindow(L"#32770", L"Klarvex");
    ASSERT_TRUE(box) << "no error shown";
    const Names texts = KlarvexApp::StaticTexts(box);
    EXPECT_NE(std::find(texts.begin(), texts.end(), L"Unable to write to " + keepFile.Path()), texts.end());
    EXPECT_TRUE(HasIcon(box, IDI_ERROR));
    ASSERT_TRUE(KlarvexApp::ClickToClose(box, IDOK));
    std::this_thread::sleep_for(300ms);
    EXPECT_TRUE(IsWindow(manager)) << "the window closed although nothing was saved";
    EXPECT_NE(IndexOf(Keep(), Name(L"one@a[1].txt")), -1) << "the lists are as they were";
    ASSERT_NO_FATAL_FAILURE(CloseWith(IDCANCEL));
    EXPECT_EQ(app->Close(), 0);
}

TEST_F(CookiesManagerTest, ViewShowsTheCookieTextLineByLineInABoxCaptionedWithItsName) {
    const std::wstring cookie = Name(L"view@x[1].txt"), mixed = Name(L"mixed@x[1].txt"),
                       huge = Name(L"huge@x[1].txt"), locked = Name(L"locked@x[1].txt");
    cookies.File(cookie, "id\nabc123\nexample.test/\n1536\n*\n");
    cookies.File(mixed, "a\r\nb\rc\n\nd");
    std::string lines;
    for (int i = 0; lines.size() < 4u * 1024 * 1024; ++i) lines += "line " + std::to_string(i) + "\n";
    cookies.File(huge, lines);
    cookies.File(locked, "secret\n");
    ASSERT_NO_FATAL_FAILURE(Open());

    EXPECT_EQ(View(cookie), L"\r\nid\r\nabc123\r\nexample.test/\r\n1536\r\n*");
    EXPECT_EQ(View(mixed), L"\r\na\r\nb\r\nc\r\n\r\nd") << "lines end at CR LF, CR or LF";

    // Only the start of a huge file is read and shown, in whole lines.
    const auto text = View(huge, 10s, false);
    ASSERT_TRUE(text);
    EXPECT_EQ(text->rfind(L"\r\nline 0\r\nline 1\r\n", 0), 0u);
    EXPECT_LT(text->size(), 80u * 1024);
    const std::wstring end = std::wstring(L"\r\n") + kCutNote;
    ASSERT_GT(text->size(), end.size());
    EXPECT_EQ(text->substr(text->size() - end.size()), end);
    const std::wstring beforeNote = text->substr(0, text->size() - end.size());
    const std::wstring lastLine = beforeNote.substr(beforeNote.rfind(L"\r\n") + 2);
    EXPECT_NE(lines.find("\n" + WideToUtf8(lastLine) + "\n"), std::string::npos) << "a line cut in two";

    {
        // A file the program cannot open: no box at all.
        FileHandle hold(CreateFileW((cookies.Folder() + locked).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(hold);
        EXPECT_FALSE(View(locked, 2s));
    }
    // Only "All cookies found" is viewed: with a kept entry selected and
    // none of the other list, View shows nothing.
    Select(Found(), IndexOf(Found(), cookie));
    Click(IDC_COOKIES_ADD);
    Select(Found(), -1);
    Select(Keep(), 0);
    PostMessageW(GetDlgItem(manager, IDC_COOKIES_VIEW), BM_CLICK, 0, 0);
    std::this_thread::sleep_for(1s);
    EXPECT_FALSE(app->FindWindowOf(L"#32770", cookie));
    ASSERT_NO_FATAL_FAILURE(CloseWith(IDCANCEL));
    EXPECT_EQ(app->Close(), 0);
}

// A user name outside the system's code page gives cookie names outside it:
// such a name is kept by its exact name like any other, and a name of the
// code page that a keep list written in it holds stays as it was.
TEST_F(CookiesManagerTest, ANameOutsideTheCodePageIsKeptAsItIs) {
    const std::wstring name = Name(L"\x0436\x0443\x0440\x043D\x0430\x043B@\x4F8B\x5B50[1].txt");
    const std::wstring inCodePage = Name(L"caf\x00E9@a[1].txt");
    char ansi[256] = "";
    BOOL lost = FALSE;
    WideCharToMultiByte(CP_ACP, 0, inCodePage.c_str(), -1, ansi, sizeof(ansi), nullptr, &lost);
    ASSERT_FALSE(lost) << "the system's code page has no \"\xE9\"";
    keepFile.Write(std::string("[Cookies to keep]\r\nCount=1\r\n0=") + ansi + "\r\n");
    cookies.File(name);
    ASSERT_NO_FATAL_FAILURE(Open());
    const int index = IndexOf(Found(), name);
    ASSERT_NE(index, -1);
    Select(Found(), index);
    Click(IDC_COOKIES_ADD);
    ASSERT_NO_FATAL_FAILURE(CloseWith(IDOK));
    EXPECT_EQ(LoadKeepList(keepFile.Path()), (Names{inCodePage, name}));
    ASSERT_NO_FATAL_FAILURE(Open());
    EXPECT_EQ(Lines(Keep()), (Names{inCodePage, name}));
    EXPECT_EQ(IndexOf(Found(), name), -1) << "the kept cookie is offered for removal again";
    ASSERT_NO_FATAL_FAILURE(CloseWith(IDCANCEL));
    EXPECT_EQ(app->Close(), 0);
}

// Internet Explorer's protected mode keeps the cookies in "Low": the
// manager lists and views them there when the folder itself holds none,
// and ignores "Low" while it does.
TEST_F(CookiesManagerTest, CookiesOnlyInTheLowFolderAreListedAndViewedThere) {
    ASSERT_TRUE(cookies.ForeignCookies(cookies.Folder()).empty()) << "the sandbox's cookie folder holds cookies";
    const std::wstring low = Name(L"low@x[1].txt"), top = Name(L"top@x[1].txt");
    cookies.File(L"Low\\" + low, "from low\n");
    ASSERT_NO_FATAL_FAILURE(Open());
    EXPECT_EQ(Ours(Lines(Found())), (Names{low}));
    EXPECT_EQ(View(low), L"\r\nfrom low");
    ASSERT_NO_FATAL_FAILURE(CloseWith(IDCANCEL));

    cookies.File(top, "from the top\n");
    ASSERT_NO_FATAL_FAILURE(Open());
    EXPECT_EQ(Ours(Lines(Found())), (Names{top}));
    EXPECT_EQ(View(top), L"\r\nfrom the top");
    ASSERT_NO_FATAL_FAILURE(CloseWith(IDCANCEL));
    EXPECT_EQ(app->Close(), 0);
}

}  // namespace
}  // namespace klarvex::testing
