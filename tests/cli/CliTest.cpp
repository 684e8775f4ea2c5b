// klarvex-cli as a script would use it: its output, its exit status.

#include <gtest/gtest.h>

#include <windows.h>

#include <map>
#include <vector>

#include <nlohmann/json.hpp>

#include "base/Handles.h"
#include "base/Strings.h"
#include "base/Texts.h"
#include "engine/Catalogue.h"
#include "formats/IndexDat.h"
#include "formats/IndexDatFixture.h"
#include "formats/IniFile.h"
#include "support/Fixtures.h"
#include "support/Process.h"

namespace klarvex {
namespace {

using testing::kLogSeparator;

using testing::ProcessResult;
using testing::RunProgram;
using testing::ScratchRegKeys;


ProcessResult RunCli(const std::vector<std::wstring>& args) { return RunProgram(L"klarvex-cli.exe", args); }

bool Contains(const std::wstring& text, const std::wstring& part) { return text.find(part) != std::wstring::npos; }

// Every test runs without the settings.ini beside the programs (it is put
// back afterwards); a test that needs one writes its own.
class Cli : public ::testing::Test {
protected:
    testing::ProgramFileGuard settings_;
    testing::ProgramFileGuard winapp2_{L"Winapp2.ini"};
};

// Both programs carry one version, the one the window title shows.
TEST(ProgramVersion, BothProgramsNameTheProductAndTheVersionOfTheStringTable) {
    for (const wchar_t* program : {L"Klarvex.exe", L"klarvex-cli.exe"}) {
        SCOPED_TRACE(WideToUtf8(program));
        const std::wstring path = ExeDir() + program;
        DWORD ignored = 0;
        std::vector<BYTE> data(GetFileVersionInfoSizeW(path.c_str(), &ignored));
        ASSERT_FALSE(data.empty());
        ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, static_cast<DWORD>(data.size()), data.data()));
        auto value = [&](const wchar_t* name) {
            wchar_t* text = nullptr;
            UINT length = 0;
            const std::wstring key = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
            return VerQueryValueW(data.data(), key.c_str(), reinterpret_cast<void**>(&text), &length) && text
                       ? std::wstring(text)
                       : std::wstring();
        };
        EXPECT_EQ(value(L"ProductName"), LoadText(IDS_PRODUCT_NAME));
        EXPECT_EQ(value(L"ProductVersion"), LoadText(IDS_VERSION));
        EXPECT_EQ(value(L"ProductVersion"), L"2.8");
        EXPECT_FALSE(value(L"FileDescription").empty());
        EXPECT_FALSE(value(L"LegalCopyright").empty());
        VS_FIXEDFILEINFO* fixed = nullptr;
        UINT length = 0;
        ASSERT_TRUE(VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
        EXPECT_EQ(fixed->dwProductVersionMS, MAKELONG(8, 2));
    }
}

TEST_F(Cli, ListPrintsTheCatalogueInTreeOrderWithInstalledApplications) {
    ScratchRegKeys program({L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\KlarvexTest-Icq"},
                           HKEY_LOCAL_MACHINE);
    program.SetString(L"", L"DisplayName", L"ICQ 8.2 (build 7145)");
    const ProcessResult result = RunCli({L"--list"});
    ASSERT_EQ(result.exitCode, 0) << WideToUtf8(result.err);
    const auto& lines = result.out;
    ASSERT_EQ(lines.size(), 86u + 1);  // the catalogue and one application
    EXPECT_EQ(lines.front(), L"Internet Explorer - Recently Typed URLs");
    EXPECT_EQ(lines[7], L"Windows - Recent Documents");
    EXPECT_EQ(lines[lines.size() - 11], L"Applications - ICQ");
    EXPECT_EQ(lines[lines.size() - 10], L"Custom Lists - <New List>");
    EXPECT_EQ(lines.back(), L"Windows Explorer - Activity History");
}

TEST_F(Cli, AWinapp2FileBesideTheProgramAddsItsDetectedEntriesWhoseWarningsNeedYes) {
    ScratchRegKeys program({L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\KlarvexTest-Icq"},
                           HKEY_LOCAL_MACHINE);
    program.SetString(L"", L"DisplayName", L"ICQ 8.2 (build 7145)");
    testing::ScratchFolder folder;
    testing::MakeFile(folder / L"trace.log", 10);
    winapp2_.Write("[ICQ *]\r\nFileKey1=C:\\windows|*.*\r\n[Hidden Tool *]\r\nDetect=HKCU\\Software\\NoSuchVendor\r\n"
                   "[Demo Tool *]\r\nDetectFile=" + WideToUtf8(folder.Path()) + "\r\nWarning=Takes your logs.\r\n"
                   "FileKey1=" + WideToUtf8(folder.Path()) + "|*.log\r\n");
    const ProcessResult list = RunCli({L"--list"});
    ASSERT_EQ(list.out.size(), 86u + 2);
    EXPECT_EQ(list.out[list.out.size() - 12], L"Applications - ICQ");
    EXPECT_EQ(list.out[list.out.size() - 11], L"Applications - Demo Tool");

    const ProcessResult refused = RunCli({L"--clean", L"Applications - Demo Tool"});
    EXPECT_EQ(refused.exitCode, 0);
    EXPECT_TRUE(Contains(refused.err, L"Demo Tool: Takes your logs.")) << WideToUtf8(refused.err);
    EXPECT_TRUE(testing::Exists(folder / L"trace.log"));
    EXPECT_EQ(RunCli({L"--clean", L"--yes", L"Applications - Demo Tool"}).exitCode, 0);
    EXPECT_FALSE(testing::Exists(folder / L"trace.log"));
}

TEST_F(Cli, TestRunPrintsTheLogExactly) {
    const ProcessResult result = RunCli({L"--test", L"--detail", L"Windows - Clipboard", L"Opera - Cookies"});
    ASSERT_EQ(result.exitCode, 0) << WideToUtf8(result.err);
    EXPECT_EQ(result.out, (std::vector<std::wstring>{
                              L"Test: Clearing Windows - Clipboard ...", L"",
                              L"0 items will be removed; 0 KB will be removed.", L"", kLogSeparator,
                              L"Test: Clearing Opera - Cookies ...", L"",
                              L"0 items will be removed; 0 KB will be removed.", L"", kLogSeparator,
                              L"Total items will be removed = 0 ; Total files will be removed = 0 KB", kLogSeparator}));
    EXPECT_TRUE(result.err.empty());
}

TEST_F(Cli, CleanRunUsesTheCleanWording) {
    const ProcessResult result = RunCli({L"--clean", L"--fast", L"Windows - Clipboard"});
    ASSERT_EQ(result.exitCode, 0) << WideToUtf8(result.err);
    EXPECT_EQ(result.out, (std::vector<std::wstring>{
                              L"Clean: Clearing Windows - Clipboard ...", L"",
                              L"0 items to be removed; 0 KB to be removed.", L"", kLogSeparator,
                              L"Total items to be removed = 0 ; Total files to be removed = 0 KB", kLogSeparator}));
}

TEST_F(Cli, TickedRunsTheItemsTickedInSettingsInTreeOrder) {
    settings_.Write(
        "[NodeSelected]\r\nSelectedCount=3\r\n1=Opera - Cookies\r\n2=Windows\r\n3=Windows - Start Run\r\n");
    const ProcessResult result = RunCli({L"--test", L"--ticked"});
    ASSERT_EQ(result.exitCode, 0) << WideToUtf8(result.err);
    ASSERT_GE(result.out.size(), 6u);
    EXPECT_EQ(result.out[0], L"Test: Clearing Windows - Start Run ...");
    EXPECT_EQ(result.out[5], L"Test: Clearing Opera - Cookies ...");
}

TEST_F(Cli, IndexDatListsTheRowsOfARealFile) {
    const ProcessResult result = RunCli({L"--index-dat", L"C:\\realdata\\plaso-old-index.dat"});
    ASSERT_EQ(result.exitCode, 0) << WideToUtf8(result.err);
    ASSERT_EQ(result.out.size(), 7u);
    bool found = false;
    for (const auto& row : result.out) {
        EXPECT_NE(row.find(L'\t'), std::wstring::npos);
        found = found || Contains(row, L"funnycats.exe\t");
    }
    EXPECT_TRUE(found);

    const ProcessResult missing = RunCli({L"--index-dat", L"C:\\realdata\\no-such-index.dat"});
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_TRUE(Contains(missing.err, L"no such file: C:\\realdata\\no-such-index.dat"));
    EXPECT_EQ(RunCli({L"--index-dat"}).exitCode, 2);
}

// klarvex-cli --index-dat FILE with standard output into a file: the bytes
// as written, line ends and all.
std::string IndexDatOutput(const testing::ScratchFolder& folder, const std::wstring& file) {
    const std::wstring outPath = folder / L"rows.txt";
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    FileHandle out(CreateFileW(outPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr));
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = out.Get();
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    const UniqueHandle process =
        testing::StartProgram(L"\"" + ExeDir() + L"klarvex-cli.exe\" --index-dat \"" + file + L"\"", &startup);
    DWORD code = 1;
    EXPECT_TRUE(process && WaitForSingleObject(process.Get(), 60000) == WAIT_OBJECT_0 &&
                GetExitCodeProcess(process.Get(), &code) && code == 0);
    out.Reset();
    return testing::ReadBytes(outPath);
}

// The rows as the reader finds them, each address read in the system code
// page and each date asked of the system on its own, in UTF-8 lines.
std::string RowsOneByOne(const std::vector<uint8_t>& bytes) {
    std::wstring text;
    for (const test::Row& row : test::Walk(bytes)) {
        std::wstring address(row.address.size(), L'\0');
        address.resize(static_cast<size_t>(MultiByteToWideChar(CP_ACP, 0, row.address.data(), static_cast<int>(row.address.size()),
                                                               address.data(), static_cast<int>(address.size()))));
        text += address + L"\t" + IndexDatDateText(row.stamp) + L"\r\n";
    }
    std::string utf8(text.size() * 3, '\0');
    utf8.resize(static_cast<size_t>(WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                                        utf8.data(), static_cast<int>(utf8.size()), nullptr, nullptr)));
    return utf8;
}

// Rows enough for several blocks of output: addresses with bytes of the
// upper half of the code page now and then; time stamps at midnight, with
// milliseconds, before 1900, in 2500 and past any calendar.
std::vector<uint8_t> VariedRows() {
    const size_t rows = 4000, table = 0x1000, records = 0x10000;
    test::IndexDatImage img(records + rows * 256, table);
    img.Table(table, static_cast<int32_t>((32 + 8 * rows + 127) / 128), 0);
    const uint64_t stamps[] = {test::StampOf(2006, 7, 7, 0, 0, 0), test::StampOf(2011, 6, 23, 18, 2, 10, 66),
                               test::StampOf(1899, 12, 29, 6, 30, 0), test::StampOf(2500, 12, 31, 23, 59, 59, 999),
                               0x8000000000000000ull};
    for (size_t i = 0; i < rows; ++i) {
        const size_t record = records + i * 256;
        img.Entry(table, i, 0x100, static_cast<int32_t>(record));
        std::string address = "http://x" + std::to_string(i) + ".example/" + (i % 5 == 1 ? "caf\xe9-\x80\x9f\xff" : "");
        const uint64_t stamp = stamps[i % std::size(stamps)] + i * 37 * 10000000ull;
        if (i % 11 == 3) img.Redr(record, stamp, address);
        else img.Url(record, stamp, address);
    }
    return img.bytes;
}

TEST_F(Cli, IndexDatRowsAreTheReadersRowsWithTheSystemsTextsByteForByte) {
    testing::ScratchFolder folder;
    for (const char* name : {"plaso-Content.IE5-index.dat", "plaso-History.IE5-index.dat",
                             "plaso-MSHist012013031020130311-index.dat", "plaso-nfury_index.dat", "plaso-old-index.dat"}) {
        const std::string path = test::RealDataPath(name);
        EXPECT_EQ(IndexDatOutput(folder, Utf8ToWide(path)), RowsOneByOne(test::ReadWholeFile(path))) << name;
    }
    const auto varied = VariedRows();
    const std::wstring file = folder / L"varied.dat";
    testing::WriteTextFile(file, std::string(varied.begin(), varied.end()));
    const std::string rows = IndexDatOutput(folder, file);
    EXPECT_GT(rows.size(), 128 * 1024u);
    EXPECT_EQ(rows, RowsOneByOne(varied));
}

TEST_F(Cli, CleanNeverEmptiesTheSystemsFoldersEvenWhenToldYes) {
    testing::ProgramFileGuard list(L"Clist.dat");
    list.Write("[<New List>]\r\nDelFile1=%windir%\r\nDelFile2={C: Drive}\\,*.*\r\n");
    const ProcessResult result = RunCli({L"--clean", L"--yes", L"Custom Lists - <New List>"});
    EXPECT_EQ(result.exitCode, 0) << WideToUtf8(result.err);
    const std::wstring kept = L"Not removed: the command line never empties a drive, a system or user folder: ";
    EXPECT_NE(result.err.find(kept + L"C:\\windows\\\r\n"), std::wstring::npos) << WideToUtf8(result.err);
    EXPECT_NE(result.err.find(kept + L"C:\\\r\n"), std::wstring::npos) << WideToUtf8(result.err);
    EXPECT_NE(GetFileAttributesW(L"C:\\windows\\win.ini"), INVALID_FILE_ATTRIBUTES);
}

TEST_F(Cli, HelpAndVersionGoToStandardOutputWhateverElseIsGiven) {
    for (const auto& args : std::vector<std::vector<std::wstring>>{{L"--help"}, {L"--clean", L"--frobnicate", L"--help"}}) {
        const ProcessResult help = RunCli(args);
        EXPECT_EQ(help.exitCode, 0);
        ASSERT_FALSE(help.out.empty());
        EXPECT_EQ(help.out.front().rfind(L"usage: klarvex-cli --list", 0), 0u);
        EXPECT_TRUE(Contains(help.out.back(), L"2 usage error."));
        EXPECT_TRUE(help.err.empty());
    }
    const ProcessResult version = RunCli({L"--version"});
    EXPECT_EQ(version.exitCode, 0);
    ASSERT_FALSE(version.out.empty());
    // The string table reads the version where the version resource does.
    EXPECT_EQ(version.out.front(), L"klarvex-cli (" + LoadText(IDS_PRODUCT_NAME) + L") " + LoadText(IDS_VERSION));
}

// The names of a run as its document gives them.
std::vector<std::wstring> RunItemNames(const nlohmann::json& document) {
    std::vector<std::wstring> names;
    for (const auto& item : document["items"]) names.push_back(Utf8ToWide(item["name"].get<std::string>()));
    return names;
}

nlohmann::json Document(const ProcessResult& result) {
    std::wstring text;
    for (const auto& line : result.out) text += line + L"\n";
    return nlohmann::json::parse(WideToUtf8(text));
}

// One machine for the documents: an application from Winapp2.ini whose
// name, warning and file are outside the code page, a custom list that
// would empty the Windows folder, and a tick in settings.ini.
class CliJson : public Cli {
protected:
    CliJson() {
        testing::MakeFile(folder_ / kFileName, 10);
        winapp2_.Write(WideToUtf8(L"[" + kApplication + L" *]\r\nDetectFile=" + folder_.Path() + L"\r\nWarning=" +
                                  kWarning + L"\r\nFileKey1=" + folder_.Path() + L"|*.log\r\n"));
        list_.Write("[<New List>]\r\nDelFile1=%windir%\r\n");
        settings_.Write("[NodeSelected]\r\nSelectedCount=1\r\n1=Windows - Clipboard\r\n");
    }
    const std::wstring kApplication = L"\u03A9mega \u65E5\u672C Tool";
    const std::wstring kWarning = L"L\u00F6scht \u65E5\u672C logs.";
    const std::wstring kFileName = L"\u30C7\u30FC\u30BF.log";
    testing::ScratchFolder folder_;
    testing::ProgramFileGuard list_{L"Clist.dat"};
};

TEST_F(CliJson, ListTellsEachItemsRulesTickAndWarning) {
    const ProcessResult result = RunCli({L"--list", L"--json"});
    ASSERT_EQ(result.exitCode, 0) << WideToUtf8(result.err);
    const auto document = Document(result);
    EXPECT_EQ(document["command"], "list");
    std::map<std::wstring, nlohmann::json> items;
    for (const auto& item : document["items"]) items[Utf8ToWide(item["name"].get<std::string>())] = item;
    EXPECT_EQ(items.size(), TCatalogue().AllItemNames().size() + 1);
    EXPECT_EQ(items[L"Windows - Clipboard"],
              nlohmann::json({{"name", "Windows - Clipboard"}, {"category", "Windows"}, {"rules", "built-in"}, {"ticked", true}}));
    EXPECT_EQ(items[L"Windows - Windows Log Files"]["rules"], "Klarvex.dat");
    EXPECT_EQ(items[L"Custom Lists - <New List>"]["rules"], "Clist.dat");
    const auto& application = items[L"Applications - " + kApplication];
    EXPECT_EQ(application["rules"], "Winapp2.ini");
    EXPECT_EQ(Utf8ToWide(application["warning"].get<std::string>()), kWarning);
}

TEST_F(CliJson, RunsTellEachItemsCountAndOutcomeOnStandardOutputAndTheLogOnStandardError) {
    // Named in any case, twice, out of order: run in tree order, once.
    const ProcessResult test = RunCli({L"--test", L"--json", L"--detail", L"Applications - " + kApplication,
                                       L"windows - clipboard", L"Windows - ?lipboard"});
    ASSERT_EQ(test.exitCode, 0) << WideToUtf8(test.err);
    auto document = Document(test);
    EXPECT_EQ(document["command"], "test");
    EXPECT_EQ(RunItemNames(document),
              (std::vector<std::wstring>{L"Windows - Clipboard", L"Applications - " + kApplication}));
    EXPECT_EQ(document["items"][1]["count"], 1);
    EXPECT_EQ(document["items"][1]["bytes"], 10);
    EXPECT_EQ(document["items"][1]["outcome"], "done");
    EXPECT_EQ(document["totals"], nlohmann::json({{"count", 1}, {"bytes", 10}}));
    EXPECT_EQ(document["exit_status"], 0);
    EXPECT_TRUE(Contains(test.err, folder_ / kFileName)) << WideToUtf8(test.err);
    EXPECT_FALSE(Contains(test.err, L"Item 1 of 2"));  // no progress line into a pipe

    const ProcessResult clean = RunCli({L"--clean", L"--json", L"--quiet", L"Custom Lists - <New List>",
                                        L"Applications - " + kApplication, L"Windows - Clipboard"});
    ASSERT_EQ(clean.exitCode, 0) << WideToUtf8(clean.err);
    document = Document(clean);
    const auto& items = document["items"];
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[0]["outcome"], "done");
    EXPECT_EQ(items[1]["outcome"], "skipped");
    EXPECT_TRUE(Contains(Utf8ToWide(items[1]["question"].get<std::string>()), kApplication + L": " + kWarning));
    EXPECT_EQ(items[2]["outcome"], "refused");
    EXPECT_EQ(Utf8ToWide(items[2]["message"].get<std::string>()),
              L"Not removed: the command line never empties a drive, a system or user folder: C:\\windows\\");
    EXPECT_FALSE(Contains(clean.err, L"Clean: Clearing"));  // --quiet: no log
    EXPECT_TRUE(testing::Exists(folder_ / kFileName));
}

TEST_F(Cli, BadInputIsAUsageErrorWithAClearMessage) {
    struct Case {
        std::vector<std::wstring> args;
        std::wstring message;
    };
    for (const Case& c : std::vector<Case>{
             {{}, L"no command given"},
             {{L"--frobnicate"}, L"unknown option --frobnicate"},
             {{L"--test", L"Windows - Clipbord"},
              L"unknown item name \"Windows - Clipbord\"; did you mean \"Windows - Clipboard\""},
             {{L"--clean", L"Opera", L"xyzzy"}, L"unknown item name \"xyzzy\" (see --list)"},
             {{L"--test", L"--json", L"opera - cookies", L"opera - cookies", L"Mozila Firefox - *"},
              L"unknown item name \"Mozila Firefox - *\"; did you mean \"Mozilla Firefox\""},
             {{L"--index-dat", L"x.dat", L"--json"}, L"--json goes with"},
             {{L"--list", L"--quiet"}, L"--quiet go with"},
             {{L"--test"}, L"no items to run"},
             {{L"--test", L"--yes", L"Windows - Clipboard"}, L"--yes goes with --clean"},
             {{L"--test", L"--fast", L"--detail", L"Windows - Clipboard"}, L"exclude each other"},
             {{L"--test", L"--clean"}, L"only one of"},
             {{L"--test", L"--ticked"}, L"no item is ticked"},
         }) {
        const ProcessResult result = RunCli(c.args);
        EXPECT_EQ(result.exitCode, 2) << WideToUtf8(c.message);
        EXPECT_TRUE(Contains(result.err, c.message)) << WideToUtf8(result.err);
        EXPECT_TRUE(result.out.empty());
    }
}

}  // namespace
}  // namespace klarvex
