// Run by folder_links_test.sh, which builds a tree holding links to a folder
// beside it and checks from outside Wine what survived.

#include <gtest/gtest.h>

#include <windows.h>

#include "base/Strings.h"
#include "formats/SQLiteTable3.h"
#include "formats/TableCleanup.h"
#include "EngineFixture.h"
#include "platform/Folders.h"
#include "platform/SystemLookups.h"
#include "settings/Global.h"

namespace klarvex {
namespace {

using testing::Exists;
using testing::RecordingHost;
using testing::TestRunner;

std::wstring Fixture() {
    wchar_t buffer[MAX_PATH];
    const DWORD length = GetEnvironmentVariableW(L"KLARVEX_LINK_FIXTURE", buffer, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::wstring(buffer, length) + L"\\" : std::wstring();
}

TEST(FolderLinks, WalksNeitherEnterNorRemoveALinkAndNeverTouchItsTarget) {
    const std::wstring root = Fixture();
    ASSERT_FALSE(root.empty()) << "run by folder_links_test.sh, which makes the links";
    const DWORD linkAttributes = GetFileAttributesW((root + L"Tree\\Link").c_str());
    ASSERT_NE(linkAttributes, INVALID_FILE_ATTRIBUTES);
    ASSERT_TRUE(linkAttributes & FILE_ATTRIBUTE_REPARSE_POINT) << "Wine shows the symlink as a reparse point";

    Settings.FastScan = true;
    Settings.OverwriteFile = true;  // nothing behind a link may be overwritten either
    Settings.OverwriteNumber = 1;
    RecordingHost host;
    host.answer = true;
    TestRunner test(RunKind::Test, host);
    int32_t counter = 0;
    EXPECT_EQ(test.ClearFilesByMask(root + L"Tree", L"*.log", counter, true), 2);  // Sub\b.log only
    EXPECT_EQ(counter, 1);
    counter = 0;
    EXPECT_EQ(test.ClearFolder(root + L"Tree\\Link", true, true, L"", counter), 0);  // a link as the folder itself
    EXPECT_EQ(counter, 0);
    // Names with wildcards never stand for a link either.
    using Paths = std::vector<std::wstring>;
    EXPECT_EQ(ExpandWildcardPath(root + L"Tree\\*"), Paths{root + L"Tree\\Sub"});
    EXPECT_EQ(ExpandWildcardPath(root + L"Tree\\*\\*.log", true), Paths{root + L"Tree\\Sub\\b.log"});

    TestRunner clean(RunKind::Clean, host);
    EXPECT_EQ(clean.ClearFolderExcept(root + L"Tree\\Sub", false, counter, L"nothing"), 2);
    EXPECT_EQ(clean.ClearFolder(root + L"Tree", true, true, L"", counter), 2);
    EXPECT_EQ(counter, 2);
    EXPECT_FALSE(Exists(root + L"Tree\\a.txt"));
    EXPECT_TRUE(Exists(root + L"Tree"));  // still holds the link
    EXPECT_TRUE(Exists(root + L"Elsewhere\\precious.log"));
    EXPECT_TRUE(Exists(root + L"Elsewhere\\Deep\\x.txt"));
    Settings.OverwriteFile = false;
}

TEST(FolderLinks, MyDocumentsReachedThroughALinkIsStillAskedAbout) {
    const std::wstring root = Fixture();
    ASSERT_FALSE(root.empty()) << "run by folder_links_test.sh, which makes the links";
    const std::wstring documents = GetMyDocumentsDir();
    const std::wstring users = L"C:\\users\\";
    ASSERT_EQ(UpperCase(documents.substr(0, users.size())), UpperCase(users));
    const std::wstring viaLink = root + L"Users\\" + documents.substr(users.size());
    const std::wstring canary = testing::UniqueName(L"klarvex-canary") + L".txt";
    testing::MakeFile(documents + canary, 3);
    ASSERT_TRUE(Exists(viaLink + canary));

    RecordingHost host;
    host.answer = false;
    TestRunner clean(RunKind::Clean, host);
    int32_t counter = 0;
    EXPECT_EQ(clean.ClearFilesByMask(viaLink, canary, counter, false), 0);
    EXPECT_EQ(host.questions, std::vector<std::wstring>{L"Do you want to delete the files on " + viaLink + L"?"});
    EXPECT_TRUE(Exists(documents + canary));
    DeleteFileW((documents + canary).c_str());
}

// Under Wine a Unix link to a file shows no reparse point: the database is
// judged by what its handle is, and the archive it leads to keeps its rows.
TEST(FolderLinks, ADatabaseThatIsALinkIsNamedAndLeftAlone) {
    const std::wstring root = Fixture();
    ASSERT_FALSE(root.empty()) << "run by folder_links_test.sh, which makes the links";
    const std::wstring archive = root + L"Elsewhere\\archive.sqlite", places = root + L"Profile\\places.sqlite";
    TSQLiteDatabase(archive).ExecuteStatement(L"CREATE TABLE moz_historyvisits AS SELECT 1 AS id");
    ASSERT_FALSE(IsLink(GetFileAttributesW(places.c_str())));
    const TableStatement visits[] = {{L"moz_historyvisits", L"DELETE FROM moz_historyvisits"}};
    for (const RunKind kind : {RunKind::Test, RunKind::Clean}) {
        RecordingHost host;
        TestRunner runner(kind, host);
        EXPECT_EQ(runner.EmptyDatabaseTables(places, {visits, nullptr, L"moz_historyvisits"}), 0);
        EXPECT_EQ(host.Lines().at(0).substr(host.Lines().at(0).find(L':')),
                  L": skipping database that is a link or has a second name: " + places);
    }
    EXPECT_EQ(TSQLiteDatabase(archive).QueryTable(L"SELECT * FROM moz_historyvisits").RowTotal(), 1);
}

}  // namespace
}  // namespace klarvex
