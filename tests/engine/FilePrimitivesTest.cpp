// Files and folders: Test runs count and list, Clean runs remove, and the
// neighbours of what is removed stay.

#include <gtest/gtest.h>

#include <windows.h>
#include <winioctl.h>

#include <algorithm>

#include "base/Strings.h"
#include "EngineFixture.h"
#include "platform/SystemLookups.h"
#include "settings/Global.h"

namespace klarvex {
namespace {

using testing::Exists;
using testing::LinesStartingWith;
using testing::MakeFile;
using testing::MakeFolders;
using testing::ReadBytes;
using testing::RecordingHost;
using testing::ScratchFolder;
using testing::TestRunner;

class FilePrimitives : public ::testing::Test {
protected:
    void SetUp() override {
        Settings.FastScan = false;
        Settings.OverwriteFile = false;
        Settings.OverwriteNumber = 1;
    }
    void TearDown() override {
        Settings.FastScan = true;
        Settings.OverwriteFile = false;
    }
    // dir\Target\{a 100, b 2000, c 0, Sub\d 50}, and dir\Neighbour\keep
    void MakeTree() {
        MakeFolders(dir / L"Target");
        MakeFile(dir / L"Target\\a.txt", 100);
        MakeFile(dir / L"Target\\b.bin", 2000);
        MakeFile(dir / L"Target\\c", 0);
        MakeFolders(dir / L"Target\\Sub");
        MakeFile(dir / L"Target\\Sub\\d.log", 50);
        MakeFolders(dir / L"Neighbour");
        MakeFile(dir / L"Neighbour\\keep", 10);
    }
    ScratchFolder dir;
    RecordingHost host;
};

TEST_F(FilePrimitives, ClearFolderTestRunCountsListsAndLeavesTheDisk) {
    MakeTree();
    TestRunner runner(RunKind::Test, host);
    int32_t counter = 0;
    EXPECT_EQ(runner.ClearFolder(dir / L"Target", true, true, L"", counter), 2150);
    EXPECT_EQ(counter, 4);
    auto lines = LinesStartingWith(host, L"Test: deleting ");
    std::sort(lines.begin(), lines.end());
    EXPECT_EQ(lines, (std::vector<std::wstring>{L"Test: deleting " + dir.Path() + L"Target\\Sub\\d.log",
                                                 L"Test: deleting " + dir.Path() + L"Target\\a.txt",
                                                 L"Test: deleting " + dir.Path() + L"Target\\b.bin",
                                                 L"Test: deleting " + dir.Path() + L"Target\\c"}));
    EXPECT_TRUE(Exists(dir / L"Target\\Sub\\d.log"));
    EXPECT_TRUE(Exists(dir / L"Target\\c"));
    EXPECT_TRUE(host.questions.empty());

    // Fast mode: the same counts, no per-file lines; logIt false: none either.
    Settings.FastScan = true;
    RecordingHost quiet;
    TestRunner fast(RunKind::Test, quiet);
    int32_t fastCounter = 0;
    EXPECT_EQ(fast.ClearFolder(dir / L"Target\\", true, true, L"", fastCounter), 2150);
    EXPECT_EQ(fastCounter, 4);
    Settings.FastScan = false;
    fastCounter = 0;
    EXPECT_EQ(fast.ClearFolder(dir / L"Target\\", true, false, L"", fastCounter), 2150);
    EXPECT_TRUE(quiet.Lines().empty());
}

TEST_F(FilePrimitives, ClearFolderCleanRunRemovesTheTreeAndKeepsNeighbours) {
    MakeTree();
    TestRunner runner(RunKind::Clean, host);
    int32_t counter = 0;
    EXPECT_EQ(runner.ClearFolder(dir / L"Target", false, true, L"", counter), 2150);
    EXPECT_EQ(counter, 4);
    EXPECT_EQ(LinesStartingWith(host, L"Clean: deleting ").size(), 4u);
    EXPECT_FALSE(Exists(dir / L"Target\\a.txt"));
    EXPECT_FALSE(Exists(dir / L"Target\\Sub"));  // subfolders always go
    EXPECT_TRUE(Exists(dir / L"Target"));        // the folder itself only when asked
    EXPECT_EQ(ReadBytes(dir / L"Neighbour\\keep"), std::string(10, 'x'));

    counter = 0;
    EXPECT_EQ(runner.ClearFolder(dir / L"Target", true, true, L"", counter), 0);
    EXPECT_EQ(counter, 0);
    EXPECT_FALSE(Exists(dir / L"Target"));
    EXPECT_TRUE(Exists(dir / L"Neighbour"));
    EXPECT_TRUE(host.questions.empty());
}

TEST_F(FilePrimitives, MissingFolderRootlessTextAndCancelledRunGiveNothing) {
    MakeTree();
    TestRunner runner(RunKind::Clean, host);
    int32_t counter = 0;
    EXPECT_EQ(runner.ClearFolder(dir / L"Missing", true, true, L"", counter), 0);
    EXPECT_EQ(runner.ClearFolder(L"\\", true, true, L"", counter), 0);
    EXPECT_EQ(runner.ClearFilesByMask(L"\\", L"*.*", counter, false), 0);
    EXPECT_EQ(runner.ClearFolder(L"Target", true, true, L"", counter), 0);  // relative: never
    runner.Terminate();
    EXPECT_EQ(runner.ClearFolder(dir / L"Target", true, true, L"", counter), 0);
    EXPECT_EQ(runner.ClearFilesByMask(dir / L"Target", L"*", counter, true), 0);
    EXPECT_EQ(counter, 0);
    EXPECT_TRUE(host.Lines().empty());
    EXPECT_TRUE(Exists(dir / L"Target\\a.txt"));
}

TEST_F(FilePrimitives, ClearFolderKeepsTheExcludedNameInAnyCaseAndItsFolders) {
    MakeFolders(dir / L"Cache");
    MakeFile(dir / L"Cache\\index.dat", 32);
    MakeFile(dir / L"Cache\\page.htm", 10);
    MakeFolders(dir / L"Cache\\ABCD");
    MakeFile(dir / L"Cache\\ABCD\\INDEX.DAT", 32);
    MakeFile(dir / L"Cache\\ABCD\\pic.gif", 20);
    MakeFolders(dir / L"Cache\\Empty");
    MakeFile(dir / L"Cache\\Empty\\x", 1);

    TestRunner test(RunKind::Test, host);
    int32_t counter = 0;
    EXPECT_EQ(test.ClearFolder(dir / L"Cache", true, true, L"index.dat", counter), 31);
    EXPECT_EQ(counter, 3);

    TestRunner clean(RunKind::Clean, host);
    counter = 0;
    EXPECT_EQ(clean.ClearFolder(dir / L"Cache", true, true, L"index.dat", counter), 31);
    EXPECT_EQ(counter, 3);
    EXPECT_TRUE(Exists(dir / L"Cache\\index.dat"));
    EXPECT_TRUE(Exists(dir / L"Cache\\ABCD\\INDEX.DAT"));
    EXPECT_FALSE(Exists(dir / L"Cache\\ABCD\\pic.gif"));
    EXPECT_FALSE(Exists(dir / L"Cache\\Empty"));
}

TEST_F(FilePrimitives, ClearFolderExceptKeepsNamesHoldingTheText) {
    MakeFolders(dir / L"Local Storage");
    MakeFile(dir / L"Local Storage\\chrome-extension_abc_0.localstorage", 5);
    MakeFile(dir / L"Local Storage\\CHROME-EXTENSION_xyz_0.localstorage", 5);
    MakeFile(dir / L"Local Storage\\http_example.com_0.localstorage", 7);
    MakeFolders(dir / L"Local Storage\\deeper");
    MakeFile(dir / L"Local Storage\\deeper\\xchrome-extension_q", 3);
    MakeFile(dir / L"Local Storage\\deeper\\other", 4);

    Settings.FastScan = true;
    TestRunner clean(RunKind::Clean, host);
    int32_t counter = 0;
    EXPECT_EQ(clean.ClearFolderExcept(dir / L"Local Storage", true, counter, L"chrome-extension_"), 11);
    EXPECT_EQ(counter, 2);
    EXPECT_TRUE(Exists(dir / L"Local Storage\\chrome-extension_abc_0.localstorage"));
    EXPECT_TRUE(Exists(dir / L"Local Storage\\CHROME-EXTENSION_xyz_0.localstorage"));
    EXPECT_TRUE(Exists(dir / L"Local Storage\\deeper\\xchrome-extension_q"));
    EXPECT_FALSE(Exists(dir / L"Local Storage\\http_example.com_0.localstorage"));
    EXPECT_FALSE(Exists(dir / L"Local Storage\\deeper\\other"));
}

TEST_F(FilePrimitives, ClearFilesByMaskMatchesTheMaskOnlyAndLeavesFolders) {
    MakeFolders(dir / L"M");
    MakeFile(dir / L"M\\Cookies1.TXT", 1);
    MakeFile(dir / L"M\\cookies", 2);
    MakeFile(dir / L"M\\MEMORY.DMP", 4);
    MakeFile(dir / L"M\\keep.dmp.txt", 8);
    MakeFolders(dir / L"M\\Sub");
    MakeFile(dir / L"M\\Sub\\mini.dmp", 16);

    TestRunner test(RunKind::Test, host);
    int32_t counter = 0;
    EXPECT_EQ(test.ClearFilesByMask(dir / L"M", L"cookies*.txt", counter, false), 1);
    EXPECT_EQ(test.ClearFilesByMask(dir / L"M", L"Cookies", counter, false), 0);  // exact names keep their case
    EXPECT_EQ(test.ClearFilesByMask(dir / L"M", L"*.dmp", counter, false), 4);    // not in Sub
    EXPECT_EQ(test.ClearFilesByMask(dir / L"M", L"*.dmp", counter, true), 20);
    EXPECT_EQ(test.ClearFilesByMask(dir / L"M", L"*.*", counter, false), 15);
    EXPECT_EQ(counter, 1 + 1 + 2 + 4);
    EXPECT_EQ(LinesStartingWith(host, L"Test: deleting ").size(), 8u);
    EXPECT_TRUE(Exists(dir / L"M\\Cookies1.TXT"));

    TestRunner clean(RunKind::Clean, host);
    counter = 0;
    EXPECT_EQ(clean.ClearFilesByMask(dir / L"M", L"*.DMP", counter, true), 20);
    EXPECT_EQ(clean.ClearFilesByMask(dir / L"M", L"cookies", counter, false), 2);
    EXPECT_EQ(counter, 3);
    EXPECT_FALSE(Exists(dir / L"M\\MEMORY.DMP"));
    EXPECT_FALSE(Exists(dir / L"M\\Sub\\mini.dmp"));
    EXPECT_FALSE(Exists(dir / L"M\\cookies"));
    EXPECT_TRUE(Exists(dir / L"M\\Sub"));  // no folder is ever removed
    EXPECT_TRUE(Exists(dir / L"M\\Cookies1.TXT"));
    EXPECT_TRUE(Exists(dir / L"M\\keep.dmp.txt"));
}

TEST_F(FilePrimitives, ProgressDuringAWalkCarriesTheRunTotalOrTheCounterAlone) {
    MakeTree();
    Settings.FastScan = true;
    TestRunner runner(RunKind::Test, host);
    runner.SetTotalCount(100);
    int32_t counter = 0;
    runner.AgeProgressClock();
    runner.ClearFolder(dir / L"Target", true, true, L"", counter);
    runner.AgeProgressClock();
    counter = 0;
    runner.ClearFilesByMask(dir / L"Target", L"a.txt", counter, false);
    // One message each: the next file comes well within 2 seconds.
    EXPECT_EQ(host.Progress(), (std::vector<int32_t>{101, 1}));
}

TEST_F(FilePrimitives, DriveRootAndMyDocumentsAreAskedInCleanRunsOnly) {
    host.answer = false;
    TestRunner clean(RunKind::Clean, host);
    int32_t counter = 0;
    EXPECT_EQ(clean.ClearFolder(L"C:\\", true, true, L"", counter), 0);
    EXPECT_EQ(clean.ClearFilesByMask(L"C:", L"*.klarvex-none", counter, false), 0);
    EXPECT_EQ(host.questions, (std::vector<std::wstring>{L"Do you want to delete all files and folders under C:\\?",
                                                         L"Do you want to delete all files and folders under C:\\?"}));
    EXPECT_TRUE(host.Lines().empty());
    // An exact name at a drive root is not asked about.
    EXPECT_EQ(clean.ClearFilesByMask(L"C:\\", L"klarvex-none.txt", counter, false), 0);
    EXPECT_EQ(host.questions.size(), 2u);

    const std::wstring documents = GetMyDocumentsDir();
    ASSERT_FALSE(documents.empty());
    ScratchFolder inDocuments(documents + testing::UniqueName(L"klarvex-docs") + L"\\");
    MakeFile(inDocuments / L"letter.doc", 5);
    // Reached through "..", the folder is still the user's documents.
    EXPECT_EQ(clean.ClearFolder(inDocuments / L"..", false, true, L"", counter), 0);
    EXPECT_EQ(clean.ClearFilesByMask(documents, L"*.doc", counter, true), 0);
    ASSERT_EQ(host.questions.size(), 4u);
    EXPECT_EQ(host.questions[2], L"Do you want to delete all files and folders under " + inDocuments.Path() + L"..\\?");
    EXPECT_EQ(host.questions[3], L"Do you want to delete the files on " + documents + L"?");
    EXPECT_TRUE(Exists(inDocuments / L"letter.doc"));
    EXPECT_EQ(counter, 0);

    // Test runs never ask.
    RecordingHost testHost;
    TestRunner test(RunKind::Test, testHost);
    EXPECT_EQ(test.ClearFilesByMask(L"C:\\", L"*.klarvex-none", counter, false), 0);
    EXPECT_EQ(test.ClearFilesByMask(documents, L"letter.doc", counter, true), 5);
    EXPECT_TRUE(testHost.questions.empty());
}

TEST_F(FilePrimitives, OtherSpellingsOfADriveRootOrMyDocumentsAreAskedAboutToo) {
    // Masks that match nothing but a canary: a missed question costs nothing.
    host.answer = false;
    TestRunner clean(RunKind::Clean, host);
    int32_t counter = 0;
    const std::vector<std::wstring> roots = {L"\\\\?\\C:\\", L"\\\\.\\C:\\", L"C:\\\\",
                                             L"C:\\users\\..", L"c:\\Windows\\..\\."};
    for (const auto& root : roots) {
        SCOPED_TRACE(WideToUtf8(root));
        const size_t asked = host.questions.size();
        EXPECT_EQ(clean.ClearFilesByMask(root, L"*.klarvex-none", counter, false), 0);
        EXPECT_EQ(host.questions.size(), asked + 1);
    }

    const std::wstring documents = GetMyDocumentsDir();
    ASSERT_FALSE(documents.empty());
    const std::wstring canary = testing::UniqueName(L"klarvex-canary") + L".txt";
    MakeFile(documents + canary, 3);
    wchar_t shortName[MAX_PATH];
    const DWORD shortLength = GetShortPathNameW(documents.c_str(), shortName, MAX_PATH);
    ASSERT_GT(shortLength, 0u);
    ASSERT_LT(shortLength, DWORD{MAX_PATH});
    ASSERT_NE(UpperCase(shortName), UpperCase(documents)) << "the short name is another spelling";
    const std::wstring bare = documents.substr(0, documents.size() - 1);
    for (const auto& spelling : {std::wstring(shortName), L"\\\\?\\" + documents, L"\\\\.\\" + bare, bare + L".",
                                 UpperCase(documents) + L".\\"}) {
        SCOPED_TRACE(WideToUtf8(spelling));
        const size_t asked = host.questions.size();
        EXPECT_EQ(clean.ClearFilesByMask(spelling, canary, counter, false), 0);
        EXPECT_EQ(host.questions.size(), asked + 1);
    }
    EXPECT_TRUE(Exists(documents + canary));
    EXPECT_EQ(counter, 0);
    DeleteFileW((documents + canary).c_str());
}

TEST_F(FilePrimitives, WipeFileOverwritesEveryByteInPlaceAndKeepsTheLength) {
    std::string original(10000, '\0');
    for (size_t i = 0; i < original.size(); ++i) original[i] = static_cast<char>(i % 251);
    testing::WriteTextFile(dir / L"secret.bin", original);
    TestRunner runner(RunKind::Clean, host);
    runner.WipeFile(dir / L"secret.bin", 3);
    const std::string wiped = ReadBytes(dir / L"secret.bin");
    ASSERT_EQ(wiped.size(), 10000u);
    EXPECT_EQ(wiped, std::string(10000, wiped[0]));  // one byte value, through the last 1808 bytes
    EXPECT_NE(static_cast<unsigned char>(wiped[0]), 255);
    runner.WipeFile(dir / L"missing.bin", 1);  // nothing to do, no file made
    EXPECT_FALSE(Exists(dir / L"missing.bin"));
}

TEST_F(FilePrimitives, OverwriteBeforeDeleteSparesAFileWithASecondName) {
    Settings.OverwriteFile = true;
    Settings.OverwriteNumber = 2;
    MakeFolders(dir / L"Del");
    MakeFolders(dir / L"Elsewhere");
    MakeFile(dir / L"Del\\plain.txt", 5000, 'p');
    MakeFile(dir / L"Elsewhere\\shared.txt", 3000, 's');
    ASSERT_TRUE(CreateHardLinkW((dir / L"Del\\linked.txt").c_str(), (dir / L"Elsewhere\\shared.txt").c_str(), nullptr));

    // The overwrite is visible only until the delete: watch it directly.
    TestRunner runner(RunKind::Clean, host);
    runner.WipeFile(dir / L"Del\\linked.txt", 1);
    EXPECT_EQ(ReadBytes(dir / L"Elsewhere\\shared.txt"), std::string(3000, 's'));

    int32_t counter = 0;
    EXPECT_EQ(runner.ClearFolder(dir / L"Del", true, true, L"", counter), 8000);
    EXPECT_EQ(counter, 2);
    EXPECT_FALSE(Exists(dir / L"Del"));
    EXPECT_EQ(ReadBytes(dir / L"Elsewhere\\shared.txt"), std::string(3000, 's'));
}

TEST_F(FilePrimitives, ReadOnlyHiddenAndSystemFilesAreRemovedOthersKeepTheirAttributes) {
    MakeFolders(dir / L"Attr");
    const std::pair<const wchar_t*, DWORD> files[] = {{L"ro", FILE_ATTRIBUTE_READONLY},
                                                      {L"hidden", FILE_ATTRIBUTE_HIDDEN},
                                                      {L"system", FILE_ATTRIBUTE_SYSTEM},
                                                      {L"all", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                                                   FILE_ATTRIBUTE_SYSTEM}};
    for (const auto& [name, attributes] : files) {
        MakeFile(dir.Path() + L"Attr\\" + name, 10);
        ASSERT_TRUE(SetFileAttributesW((dir.Path() + L"Attr\\" + name).c_str(), attributes));
    }
    MakeFile(dir / L"keep-ro", 1);
    SetFileAttributesW((dir / L"keep-ro").c_str(), FILE_ATTRIBUTE_READONLY);

    TestRunner test(RunKind::Test, host);
    int32_t counter = 0;
    EXPECT_EQ(test.ClearFolder(dir / L"Attr", true, true, L"", counter), 40);
    EXPECT_EQ(counter, 4);
    TestRunner clean(RunKind::Clean, host);
    counter = 0;
    EXPECT_EQ(clean.ClearFolder(dir / L"Attr", true, true, L"", counter), 40);
    EXPECT_EQ(counter, 4);
    EXPECT_FALSE(Exists(dir / L"Attr"));
    EXPECT_EQ(GetFileAttributesW((dir / L"keep-ro").c_str()) & FILE_ATTRIBUTE_READONLY, DWORD{FILE_ATTRIBUTE_READONLY});

    // A read-only file with a second name: this name goes, the other keeps
    // its content and its read-only flag.
    MakeFolders(dir / L"Linked");
    MakeFile(dir / L"other-name", 6, 'o');
    ASSERT_TRUE(CreateHardLinkW((dir / L"Linked\\ro").c_str(), (dir / L"other-name").c_str(), nullptr));
    ASSERT_TRUE(SetFileAttributesW((dir / L"other-name").c_str(), FILE_ATTRIBUTE_READONLY));
    counter = 0;
    EXPECT_EQ(clean.ClearFolder(dir / L"Linked", true, true, L"", counter), 6);
    EXPECT_EQ(counter, 1);
    EXPECT_FALSE(Exists(dir / L"Linked"));
    EXPECT_EQ(ReadBytes(dir / L"other-name"), std::string(6, 'o'));
    EXPECT_EQ(GetFileAttributesW((dir / L"other-name").c_str()) & FILE_ATTRIBUTE_READONLY,
              DWORD{FILE_ATTRIBUTE_READONLY});
    SetFileAttributesW((dir / L"other-name").c_str(), FILE_ATTRIBUTE_NORMAL);

    // A read-only file another program holds, sharing no writing, is not
    // shredded: it keeps its content and its flag.
    MakeFile(dir / L"held-ro", 6, 'h');
    ASSERT_TRUE(SetFileAttributesW((dir / L"held-ro").c_str(), FILE_ATTRIBUTE_READONLY));
    {
        const FileHandle held(CreateFileW((dir / L"held-ro").c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                          nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(held);
        clean.ShredPath(dir / L"held-ro");
    }
    EXPECT_EQ(ReadBytes(dir / L"held-ro"), std::string(6, 'h'));
    EXPECT_EQ(GetFileAttributesW((dir / L"held-ro").c_str()) & FILE_ATTRIBUTE_READONLY, DWORD{FILE_ATTRIBUTE_READONLY});
    SetFileAttributesW((dir / L"held-ro").c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(FilePrimitives, DeleteFileItemDeletesOneFileNeverAFolderOrAWildcard) {
    MakeFolders(dir / L"Folder");
    MakeFile(dir / L"Folder\\inside.txt", 3);
    MakeFile(dir / L"a.tmp", 3);
    MakeFile(dir / L"b.tmp", 3);
    TestRunner clean(RunKind::Clean, host);
    EXPECT_FALSE(clean.DeleteFileItem(dir / L"Folder", true));
    EXPECT_FALSE(clean.DeleteFileItem(dir / L"*.tmp", true));
    EXPECT_FALSE(clean.DeleteFileItem(dir / L"missing", true));
    EXPECT_TRUE(Exists(dir / L"Folder\\inside.txt"));
    EXPECT_TRUE(Exists(dir / L"a.tmp"));
    EXPECT_TRUE(clean.DeleteFileItem(dir / L"a.tmp", true));
    EXPECT_FALSE(Exists(dir / L"a.tmp"));
    EXPECT_TRUE(Exists(dir / L"b.tmp"));
    EXPECT_EQ(host.Lines().back(), L"Clean: deleting " + dir.Path() + L"a.tmp");
}

TEST_F(FilePrimitives, NamesOutsideTheCodePageAreCountedAndRemoved) {
    const std::wstring folder = dir / L"\u0418\u0441\u0442\u043e\u0440\u0438\u044f";  // Cyrillic
    MakeFolders(folder);
    MakeFile(folder + L"\\\u5c65\u6b74.txt", 7);                       // CJK
    MakeFile(folder + L"\\\u0436\u0443\u0440\u043d\u0430\u043b.log", 9);  // Cyrillic
    TestRunner test(RunKind::Test, host);
    int32_t counter = 0;
    EXPECT_EQ(test.ClearFolder(folder, true, true, L"", counter), 16);
    EXPECT_EQ(counter, 2);
    EXPECT_EQ(LinesStartingWith(host, L"Test: deleting " + folder + L"\\\u5c65\u6b74.txt").size(), 1u);
    TestRunner clean(RunKind::Clean, host);
    counter = 0;
    EXPECT_EQ(clean.ClearFilesByMask(folder, L"*.LOG", counter, false), 9);
    EXPECT_EQ(clean.ClearFolder(folder, true, true, L"", counter), 7);
    EXPECT_EQ(counter, 2);
    EXPECT_FALSE(Exists(folder));
}

TEST_F(FilePrimitives, FilesLargerThan2GiBAreSizedInFull) {
    MakeFolders(dir / L"Big");
    const std::wstring path = dir / L"Big\\huge.vhd";
    {
        HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        DWORD ignored;
        DeviceIoControl(file, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &ignored, nullptr);
        LARGE_INTEGER size;
        size.QuadPart = 3LL * 1024 * 1024 * 1024 + 5;
        ASSERT_TRUE(SetFilePointerEx(file, size, nullptr, FILE_BEGIN));
        ASSERT_TRUE(SetEndOfFile(file));
        CloseHandle(file);
    }
    MakeFile(dir / L"Big\\small", 10);
    TestRunner test(RunKind::Test, host);
    int32_t counter = 0;
    EXPECT_EQ(test.ClearFolder(dir / L"Big", true, true, L"", counter), 3LL * 1024 * 1024 * 1024 + 15);
    TestRunner clean(RunKind::Clean, host);
    counter = 0;
    EXPECT_EQ(clean.ClearFilesByMask(dir / L"Big", L"*.vhd", counter, false), 3LL * 1024 * 1024 * 1024 + 5);
    EXPECT_FALSE(Exists(path));
}

}  // namespace
}  // namespace klarvex
