// The custom list without its windows: how entries are composed and
// checked, which row is selected after a removal, and what section
// "<New List>" of Clist.dat holds after a save.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/Exception.h"
#include "base/Strings.h"
#include "engine/CustomList.h"
#include "formats/IndexDatView.h"
#include "support/Fixtures.h"

namespace klarvex {
namespace {

using testing::ReadBytes;
using testing::ScratchFolder;
using testing::WriteTextFile;

TEST(CustomList, FolderChoices) {
    struct Case {
        FolderChoice choice;
        bool complete;
        std::wstring entry;
    } cases[] = {
        {{L"C:\\Temp", true, FolderMode::SingleFile, L"a.txt", L""}, true, L"C:\\Temp,a.txt"},
        {{L"C:\\Temp", true, FolderMode::SingleFile, L"", L""}, false, L""},
        {{L"C:\\Temp", true, FolderMode::WholeFolder, L"", L""}, true, L"C:\\Temp"},
        {{L"C:\\Temp\\", true, FolderMode::WholeFolder, L"", L""}, true, L"C:\\Temp\\"},  // as typed
        {{L"C:\\Temp", true, FolderMode::MatchingFiles, L"", L"*.log"}, true, L"C:\\Temp,*.log"},
        {{L"C:\\Temp", true, FolderMode::MatchingFiles, L"", L"*."}, false, L""},  // 2 characters
        {{L"C:\\Temp", true, FolderMode::MatchingFiles, L"", L"*.t"}, true, L"C:\\Temp,*.t"},
        {{L"C:\\Gone", false, FolderMode::WholeFolder, L"", L""}, false, L""},
        // The interpreter would split at the folder's comma and empty C:\a.
        {{L"C:\\a,b", true, FolderMode::WholeFolder, L"", L""}, false, L""},
        // Found only against the current folder, and never by a run.
        {{L"Temp", true, FolderMode::WholeFolder, L"", L""}, false, L""},
        {{L"\\Temp", true, FolderMode::WholeFolder, L"", L""}, false, L""},
        {{L"C:Temp", true, FolderMode::SingleFile, L"a.txt", L""}, false, L""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(WideToUtf8(c.choice.folder + L" " + c.choice.file + c.choice.mask));
        EXPECT_EQ(FolderChoiceComplete(c.choice), c.complete);
        if (c.complete) {
            EXPECT_EQ(ComposeFolderEntry(c.choice), c.entry);
        }
    }
}

TEST(CustomList, RegistryChoicesAndTheirEditSplit) {
    const std::wstring key = L"HKEY_CURRENT_USER\\Software\\Foo";
    struct Case {
        RegistryChoice choice;
        bool complete;
        std::wstring entry;
    } cases[] = {
        {{key, RegistryMode::Key, L""}, true, key},
        {{key, RegistryMode::AllValues, L""}, true, key + L","},
        {{key, RegistryMode::Value, L"Name"}, true, key + L",Name"},
        {{key, RegistryMode::Value, L"a,b"}, true, key + L",a,b"},
        {{key, RegistryMode::Value, L""}, false, L""},
        {{L"hkey_current_user\\software\\foo", RegistryMode::Key, L""}, true, L"hkey_current_user\\software\\foo"},
        {{L"Software\\HKEY_X", RegistryMode::Key, L""}, true, L"Software\\HKEY_X"},  // "HKEY_" anywhere
        {{L"Software\\Foo", RegistryMode::Key, L""}, false, L""},
        {{L"HKEY_CURRENT_USER\\Soft,ware", RegistryMode::Key, L""}, false, L""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(WideToUtf8(c.choice.key + L" " + c.choice.valueName));
        EXPECT_EQ(RegistryChoiceComplete(c.choice), c.complete);
        if (!c.complete) continue;
        const std::wstring entry = ComposeRegistryEntry(c.choice);
        EXPECT_EQ(entry, c.entry);
        // Editing an entry starts from the fields that made it.
        const RegistryChoice back = SplitRegistryEntry(entry);
        EXPECT_EQ(back.key, c.choice.key);
        EXPECT_EQ(back.mode, c.choice.mode);
        EXPECT_EQ(back.valueName, c.choice.valueName);
    }
}

TEST(CustomList, SelectionAfterRemove) {
    struct Case {
        int removed, count, selected;
    } cases[] = {{0, 3, 0}, {1, 3, 1}, {2, 3, 1}, {0, 1, -1}, {1, 2, 0}};
    for (const Case& c : cases) EXPECT_EQ(SelectionAfterRemove(c.removed, c.count), c.selected) << c.removed << "/" << c.count;
}

// The file a user may have: a comment, other lists and the section itself
// between them. Written as the profile functions write (Wine's drop blank
// lines between sections when they save), so every other byte must stay.
const char kOtherBefore[] = "; my lists\r\n[Other List]\r\nDelFile1=C:\\keep\r\n";
const char kOtherAfter[] = "[Last]\r\nDelRegValue1=HKEY_CURRENT_USER\\Software\\Keep\r\n";

TEST(CustomList, SaveReplacesTheSectionAloneInRowOrder) {
    ScratchFolder dir;
    const TIniFile file(dir / L"Clist.dat");
    WriteTextFile(file.Path(), std::string(kOtherBefore) + "[<New List>]\r\nDelFile1=C:\\old\r\nDelFile2=C:\\old2\r\n" +
                                   kOtherAfter);
    const std::vector<std::wstring> rows = {
        L"C:\\Temp", L"HKEY_CURRENT_USER\\Software\\Foo,", L"C:\\Temp,*.log",
        L"hkey_current_user\\software\\foo", L"Software\\HKEY_X"};
    WriteCustomList(file, rows);

    EXPECT_EQ(file.SectionLines(L"<New List>"),
              (std::vector<std::wstring>{L"DelFile1=C:\\Temp", L"DelRegValue1=HKEY_CURRENT_USER\\Software\\Foo,",
                                         L"DelFile2=C:\\Temp,*.log", L"DelRegValue2=hkey_current_user\\software\\foo",
                                         L"DelFile3=Software\\HKEY_X"}));
    EXPECT_EQ(ReadCustomList(file), rows);
    // The other sections stay as they were, in a file now written as
    // UTF-16.
    const std::string bytes = ReadBytes(file.Path());
    EXPECT_TRUE(bytes.starts_with("\xFF\xFE"));
    const std::wstring text = DecodeTextFile(bytes, CP_ACP);
    EXPECT_TRUE(text.starts_with(Utf8ToWide(kOtherBefore)));
    EXPECT_TRUE(text.ends_with(Utf8ToWide(kOtherAfter)));
}

TEST(CustomList, HandWrittenSectionIsReadLineByLine) {
    ScratchFolder dir;
    const TIniFile file(dir / L"Clist.dat");
    // One key name twice, names the interpreter does not know, no value.
    WriteTextFile(file.Path(), "[<New List>]\r\nx=C:\\one\r\nx=HKEY_CURRENT_USER\\Software\\Two,\r\nItem=C:\\three\r\nbare\r\n");
    EXPECT_EQ(ReadCustomList(file), (std::vector<std::wstring>{L"C:\\one", L"HKEY_CURRENT_USER\\Software\\Two,",
                                                               L"C:\\three", L""}));
    EXPECT_TRUE(ReadCustomList(TIniFile(dir / L"missing.dat")).empty());
}

TEST(CustomList, FailedSaveSaysSo) {
    // Wine running as root writes even read-only files: a folder in the
    // file's place cannot be written by anyone.
    ScratchFolder dir;
    const TIniFile blocked(dir / L"Clist.dat");
    CreateDirectoryW(blocked.Path().c_str(), nullptr);
    try {
        WriteCustomList(blocked, {L"C:\\new"});
        ADD_FAILURE() << "no error";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), L"Unable to write to " + blocked.Path());
    }
}

TEST(IndexDatViewerAddresses, OnlyWebAddressesGoToTheShell) {
    struct Case {
        const wchar_t* address;
        bool opened;
    } cases[] = {
        {L"http://www.klarvex.example/a?b=1", true},
        {L"HTTPS://www.klarvex.example/", true},
        {L"ftp://ftp.klarvex.example/pub/", true},
        {L"http://", false},
        {L"C:\\Windows\\system32\\calc.exe", false},
        {L"\\\\server\\share\\run.exe", false},
        {L"file:///C:/Windows/system32/calc.exe", false},
        {L"javascript:alert(1)", false},
        {L"mailto:someone@klarvex.example", false},
        {L"Visited: user@http://www.klarvex.example/", false},
        {L" http://www.klarvex.example/", false},
        {L"http://www.klarvex.example/\" /c calc", false},
        {L"http://www.klarvex.example/a b", false},
        {L"", false},
    };
    for (const Case& c : cases) {
        std::vector<std::wstring> opened;
        const bool result = OpenIndexDatAddress(nullptr, c.address, [&](HWND, const std::wstring& address) {
            opened.push_back(address);
        });
        EXPECT_EQ(result, c.opened) << WideToUtf8(c.address);
        EXPECT_EQ(opened, c.opened ? std::vector<std::wstring>{c.address} : std::vector<std::wstring>{});
    }
}

}  // namespace
}  // namespace klarvex
