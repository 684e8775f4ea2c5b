// The Microsoft Office cleaners: files of the Office Recent folder and the
// lists under the version keys 8.0 to 12.0; later versions are left alone.

#include <gtest/gtest.h>

#include <shlobj.h>

#include "support/CleanerFixture.h"

namespace klarvex {
namespace {

using namespace testing;

const std::wstring kOffice = L"Software\\Microsoft\\Office\\";
const std::wstring kFrontPage = L"Software\\Microsoft\\FrontPage\\Explorer\\FrontPage Explorer\\";

class OfficeCleaners : public ::testing::Test {
protected:
    void SetUp() override {
        ResetSettings();
        ASSERT_FALSE(ShellFolder(CSIDL_APPDATA).empty());
    }

    std::wstring Recent(const std::wstring& name) const { return recent_ / name; }

    ScratchFolder recent_{ShellFolder(CSIDL_APPDATA) + L"Microsoft\\Office\\Recent"};
    ScratchRegKeys keys_{{kOffice + L"8.0", kOffice + L"9.0", kOffice + L"10.0", kOffice + L"11.0", kOffice + L"12.0",
                   kOffice + L"13.0", L"Software\\Microsoft\\FrontPage"}};
};

TEST_F(OfficeCleaners, ExcelTakesTheWholeExcelKeysOfVersions8To12AndTheXlsShortcuts) {
    SetValues(kOffice + L"11.0\\Excel", 2);
    SetValues(kOffice + L"11.0\\Excel\\Recent Files", 1);
    CreateKey(kOffice + L"12.0\\Excel");  // no values: counts 1
    SetValues(kOffice + L"13.0\\Excel\\Recent Files", 2);
    SetValues(kOffice + L"11.0\\Word\\Data", 1);
    MakeFile(Recent(L"Budget.xls"), 300);
    MakeFile(Recent(L"PLAN.XLS"), 300);
    MakeFile(Recent(L"book.xlsx"), 300);

    const RunOutcome test = RunItems(RunKind::Test, {L"Microsoft Office - Excel"});
    EXPECT_EQ(Summary(test), TestSummary(6, L"1"));
    EXPECT_TRUE(KeyExists(kOffice + L"11.0\\Excel\\Recent Files"));

    const RunOutcome clean = RunItems(RunKind::Clean, {L"Microsoft Office - Excel"});
    EXPECT_EQ(Summary(clean), CleanSummary(6, L"1"));
    EXPECT_FALSE(KeyExists(kOffice + L"11.0\\Excel"));
    EXPECT_FALSE(KeyExists(kOffice + L"12.0\\Excel"));
    EXPECT_TRUE(KeyExists(kOffice + L"13.0\\Excel\\Recent Files"));
    EXPECT_TRUE(ValueExists(kOffice + L"11.0\\Word\\Data", L"V1"));
    EXPECT_FALSE(Exists(Recent(L"Budget.xls")));
    EXPECT_FALSE(Exists(Recent(L"PLAN.XLS")));
    EXPECT_TRUE(Exists(Recent(L"book.xlsx")));
}

TEST_F(OfficeCleaners, FrontPageCountsBothPageMasksAndItsThreeLists) {
    MakeFile(Recent(L"index.htm"), 100);
    MakeFile(Recent(L"about.HTM"), 100);
    MakeFile(Recent(L"news.html"), 100);
    MakeFile(Recent(L"letter.doc"), 100);
    SetValues(kFrontPage + L"Recent File List", 2);
    SetValues(kFrontPage + L"Recent Page List", 1);
    SetValues(kFrontPage + L"Recent Web List", 1);
    SetValues(kFrontPage + L"Options", 1);

    const RunOutcome test = RunItems(RunKind::Test, {L"Microsoft Office - FrontPage"});
    EXPECT_EQ(Summary(test), TestSummary(7, L"1"));
    EXPECT_EQ(EntryLines(test.lines).size(), 6u);  // three files, three keys

    const RunOutcome clean = RunItems(RunKind::Clean, {L"Microsoft Office - FrontPage"});
    EXPECT_EQ(Summary(clean), CleanSummary(7, L"1"));
    EXPECT_FALSE(Exists(Recent(L"news.html")));
    EXPECT_FALSE(Exists(Recent(L"index.htm")));
    EXPECT_TRUE(Exists(Recent(L"letter.doc")));
    EXPECT_FALSE(KeyExists(kFrontPage + L"Recent Web List"));
    EXPECT_TRUE(KeyExists(kFrontPage + L"Options"));
}

TEST_F(OfficeCleaners, WordTakesTheSettingsValueOnly) {
    SetBinary(kOffice + L"11.0\\Word\\Data", L"Settings", 200);
    SetBinary(kOffice + L"11.0\\Word\\Data", L"Toolbars", 20);
    SetBinary(kOffice + L"13.0\\Word\\Data", L"Settings", 200);
    MakeFile(Recent(L"Letter.DOC"), 1025);
    MakeFile(Recent(L"letter.docx"), 10);

    const RunOutcome test = RunItems(RunKind::Test, {L"Microsoft Office - Word"});
    EXPECT_EQ(Summary(test), TestSummary(2, L"2"));
    EXPECT_EQ(EntryLines(test.lines).back(),
              L"Test: deleting registry value HKEY_CURRENT_USER\\" + kOffice + L"11.0\\Word\\Data\\Settings");

    const RunOutcome clean = RunItems(RunKind::Clean, {L"Microsoft Office - Word"});
    EXPECT_EQ(Summary(clean), CleanSummary(2, L"2"));
    EXPECT_FALSE(ValueExists(kOffice + L"11.0\\Word\\Data", L"Settings"));
    EXPECT_TRUE(ValueExists(kOffice + L"11.0\\Word\\Data", L"Toolbars"));
    EXPECT_TRUE(ValueExists(kOffice + L"13.0\\Word\\Data", L"Settings"));
    EXPECT_TRUE(Exists(Recent(L"letter.docx")));
}

TEST_F(OfficeCleaners, AccessAndPowerPointTakeTheirOwnListsAndNothingOfExcel) {
    SetValues(kOffice + L"9.0\\Access\\Settings", 2);
    SetValues(kOffice + L"9.0\\Access\\Settings\\Sub", 1);
    SetValues(kOffice + L"9.0\\Access\\Options", 1);
    SetValues(kOffice + L"10.0\\PowerPoint\\Recent File List", 2);
    SetValues(kOffice + L"10.0\\PowerPoint\\Recent Folder List", 1);
    SetValues(kOffice + L"10.0\\PowerPoint\\Options", 1);
    SetValues(kOffice + L"10.0\\Excel\\Recent File List", 1);
    SetValues(kOffice + L"13.0\\PowerPoint\\Recent File List", 1);
    MakeFile(Recent(L"orders.mdb"), 10);
    MakeFile(Recent(L"talk.ppt"), 10);
    MakeFile(Recent(L"talk.pptx"), 10);

    EXPECT_EQ(Summary(RunItems(RunKind::Test, {L"Microsoft Office - Access"})), TestSummary(4, L"1"));
    EXPECT_EQ(Summary(RunItems(RunKind::Test, {L"Microsoft Office - Powerpoint"})), TestSummary(4, L"1"));

    const RunOutcome clean =
        RunItems(RunKind::Clean, {L"Microsoft Office - Access", L"Microsoft Office - Powerpoint"});
    EXPECT_EQ(Summaries(clean.lines), (std::vector<std::wstring>{CleanSummary(4, L"1"), CleanSummary(4, L"1")}));
    EXPECT_FALSE(KeyExists(kOffice + L"9.0\\Access\\Settings"));
    EXPECT_TRUE(KeyExists(kOffice + L"9.0\\Access\\Options"));
    EXPECT_FALSE(KeyExists(kOffice + L"10.0\\PowerPoint\\Recent File List"));
    EXPECT_FALSE(KeyExists(kOffice + L"10.0\\PowerPoint\\Recent Folder List"));
    EXPECT_TRUE(KeyExists(kOffice + L"10.0\\PowerPoint\\Options"));
    EXPECT_TRUE(KeyExists(kOffice + L"10.0\\Excel\\Recent File List"));
    EXPECT_TRUE(KeyExists(kOffice + L"13.0\\PowerPoint\\Recent File List"));
    EXPECT_FALSE(Exists(Recent(L"orders.mdb")));
    EXPECT_FALSE(Exists(Recent(L"talk.ppt")));
    EXPECT_TRUE(Exists(Recent(L"talk.pptx")));
}

TEST_F(OfficeCleaners, RecentFilesTakesEveryFileOfTheFolderButNoneBelowIt) {
    MakeFile(Recent(L"a.doc.LNK"), 10);
    MakeFile(Recent(L"index.dat"), 10);
    MakeFile(Recent(L"noextension"), 10);
    MakeFile(Recent(L"Old\\b.lnk"), 10);

    EXPECT_EQ(Summary(RunItems(RunKind::Test, {L"Microsoft Office - Recent Files"})), TestSummary(3, L"1"));
    const RunOutcome clean = RunItems(RunKind::Clean, {L"Microsoft Office - Recent Files"});
    EXPECT_EQ(Summary(clean), CleanSummary(3, L"1"));
    EXPECT_FALSE(Exists(Recent(L"noextension")));
    EXPECT_TRUE(Exists(Recent(L"Old\\b.lnk")));
    EXPECT_EQ(Summary(RunItems(RunKind::Test, {L"Microsoft Office - Recent Files"})), TestSummary(0, L"0"));
}

}  // namespace
}  // namespace klarvex
