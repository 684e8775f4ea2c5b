#include <gtest/gtest.h>

#include "base/Exception.h"
#include "base/Texts.h"
#include "engine/Catalogue.h"
#include "formats/IniFile.h"
#include "settings/Global.h"
#include "support/Fixtures.h"

namespace klarvex {
namespace {

using testing::ScratchFolder;
using testing::WriteTextFile;

class FakeWindow final : public ISettingsWindow {
public:
    WindowBounds bounds{0, 0, 692, 507};
    UINT showCmd = 1;
    WindowBounds Bounds() const override { return bounds; }
    int32_t ScreenWidth() const override { return 1025; }
    int32_t ScreenHeight() const override { return 768; }
    UINT PlacementShowCmd() const override { return showCmd; }
};

class SettingsFileTest : public ::testing::Test {
protected:
    void SetUp() override { Settings = TSettingsRecord{}; }
    void TearDown() override { Settings = TSettingsRecord{}; }

    void Load() { LoadSaveSettings(true, tree_, window_, path_); }
    void Save() { LoadSaveSettings(false, tree_, window_, path_); }
    std::wstring Read(const wchar_t* section, const wchar_t* key) {
        return TIniFile(path_).ReadString(section, key, L"<missing>");
    }

    ScratchFolder dir_;
    std::wstring path_ = dir_ / L"settings.ini";
    TCatalogue tree_;
    FakeWindow window_;
};

TEST_F(SettingsFileTest, RecordIsEmptyUntilLoadedAndAMissingFileGivesTheDefaults) {
    EXPECT_FALSE(Settings.FastScan);
    EXPECT_EQ(Settings.OverwriteNumber, 0);
    Load();
    EXPECT_TRUE(Settings.AskForSweep);
    EXPECT_FALSE(Settings.OverwriteFile);
    EXPECT_EQ(Settings.OverwriteNumber, 1);
    EXPECT_FALSE(Settings.EnableHotkey);
    EXPECT_TRUE(Settings.Hotkey.IsCtrl);
    EXPECT_FALSE(Settings.Hotkey.IsShift || Settings.Hotkey.IsAlt);
    EXPECT_EQ(Settings.Hotkey.CharString, L"F5");
    EXPECT_EQ(Settings.Hotkey.CharAscII, 116);
    EXPECT_FALSE(Settings.AutoClean);
    EXPECT_TRUE(Settings.FastScan);
    EXPECT_FALSE(Settings.ShowLogTempInternetFiles || Settings.ShowLogRecycleBin);
    for (int k = 1; k <= kCategoryCount; ++k) EXPECT_TRUE(Settings.FirstNodeExpand[k]) << k;
    EXPECT_EQ(Settings.WindowState, 0);
    EXPECT_EQ(Settings.Left, (1025 - 692) / 2);
    EXPECT_EQ(Settings.Top, (768 - 507) / 2);
    EXPECT_EQ(Settings.Width, 692);
    EXPECT_EQ(Settings.Height, 507);
    // Every node now shows an unticked check box.
    for (const auto& category : tree_.Categories()) {
        EXPECT_EQ(category.State, TickState::Unticked);
        for (const auto& item : category.Items) EXPECT_EQ(item.State, TickState::Unticked);
    }
    EXPECT_EQ(GetFileAttributesW(path_.c_str()), INVALID_FILE_ATTRIBUTES);  // loading writes nothing
}

TEST_F(SettingsFileTest, SaveThenLoadGivesBackEverySetting) {
    Load();
    Settings.AskForSweep = false;
    Settings.OverwriteFile = true;
    Settings.OverwriteNumber = 10;
    Settings.EnableHotkey = true;
    Settings.Hotkey = {false, true, true, L"F11", 122};
    Settings.AutoClean = true;
    Settings.FirstNodeExpand[3] = false;
    Settings.ShowLogRecycleBin = true;
    Settings.FastScan = false;
    tree_.TickByName(L"Windows");
    tree_.TickByName(L"Windows - Recent Documents");
    tree_.TickByName(L"Custom Lists - <New List>");
    window_.bounds = {10, 20, 800, 600};
    Save();

    EXPECT_EQ(Read(L"NodeSelected", L"1"), L"Windows");
    EXPECT_EQ(Read(L"NodeSelected", L"2"), L"Windows - Recent Documents");
    EXPECT_EQ(Read(L"NodeSelected", L"SelectedCount"), L"3");
    EXPECT_EQ(Read(L"SChedule", L"Auto Clean"), L"1");
    EXPECT_EQ(Read(L"Window", L"State"), L"1");

    const TSettingsRecord saved = Settings;
    Settings = TSettingsRecord{};
    TCatalogue reloaded;
    LoadSaveSettings(true, reloaded, window_, path_);
    EXPECT_FALSE(Settings.AskForSweep);
    EXPECT_TRUE(Settings.OverwriteFile);
    EXPECT_EQ(Settings.OverwriteNumber, 10);
    EXPECT_TRUE(Settings.EnableHotkey);
    EXPECT_FALSE(Settings.Hotkey.IsCtrl);
    EXPECT_TRUE(Settings.Hotkey.IsShift && Settings.Hotkey.IsAlt);
    EXPECT_EQ(Settings.Hotkey.CharString, L"F11");
    EXPECT_EQ(Settings.Hotkey.CharAscII, 122);
    EXPECT_TRUE(Settings.AutoClean);
    EXPECT_EQ(Settings.SelectedCount, 3);
    EXPECT_EQ(Settings.FirstNodeExpand, saved.FirstNodeExpand);
    EXPECT_TRUE(Settings.ShowLogRecycleBin);
    EXPECT_FALSE(Settings.FastScan);
    EXPECT_EQ(Settings.Left, 10);
    EXPECT_EQ(Settings.Top, 20);
    EXPECT_EQ(Settings.Width, 800);
    EXPECT_EQ(Settings.Height, 600);
    EXPECT_EQ(reloaded.TickedNodeNames(), tree_.TickedNodeNames());
}

TEST_F(SettingsFileTest, TheLanguageIsAShippedOneByItsCodeOrWindowsOwnElseEnglish) {
    const LANGID german = MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN), french = MAKELANGID(LANG_FRENCH, SUBLANG_FRENCH);
    const LANGID swissGerman = MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN_SWISS);
    const LANGID japanese = MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT);
    const std::vector<LANGID> shipped{kEnglish, german, french};
    const struct {
        const char* file;  // the [Settings] section's Language line, if any
        LANGID windows, chosen;
    } cases[] = {
        {"", swissGerman, german}, {"", japanese, kEnglish}, {"Language=\r\n", french, french},
        {"Language=DE\r\n", french, german}, {"Language=xx\r\n", german, kEnglish},
        {"Language=fr\r\n", japanese, french},
    };
    for (const auto& c : cases) {
        WriteTextFile(path_, std::string("[Settings]\r\n") + c.file);
        EXPECT_EQ(ChosenLanguage(ReadLanguageSetting(path_), c.windows, shipped), c.chosen) << c.file << c.windows;
    }
    // An unknown code is kept as it is: the next version may speak it.
    Load();
    EXPECT_EQ(Settings.Language, L"fr");
    Settings.Language = L"xx";
    Save();
    EXPECT_EQ(Read(L"Settings", L"Language"), L"xx");
}

TEST_F(SettingsFileTest, OverwriteNumberOutsideOneToTenLoadsAsOne) {
    for (const auto& [stored, loaded] : std::vector<std::pair<std::string, int>>{
             {"0", 1}, {"11", 1}, {"-3", 1}, {"10", 10}, {"7", 7}, {"seven", 1}, {"$A", 10}}) {
        WriteTextFile(path_, "[Settings]\r\nOverwriteNumber=" + stored + "\r\n");
        Load();
        EXPECT_EQ(Settings.OverwriteNumber, loaded) << stored;
    }
}

TEST_F(SettingsFileTest, FewerTicksLeaveStaleKeysThatTheNextLoadIgnores) {
    Load();
    for (const wchar_t* name : {L"Windows - Recent Documents", L"Windows - Start Run", L"Windows - Clipboard",
                                L"Opera - Cookies", L"Opera - Transfers"})
        tree_.TickByName(name);
    Save();
    tree_.UntickAll();
    for (const wchar_t* name : {L"Windows - Clipboard", L"Opera - Cookies", L"Opera - Transfers"})
        tree_.TickByName(name);
    Save();
    EXPECT_EQ(Read(L"NodeSelected", L"SelectedCount"), L"3");
    EXPECT_EQ(Read(L"NodeSelected", L"4"), L"Opera - Cookies");  // left from the first save
    EXPECT_EQ(Read(L"NodeSelected", L"5"), L"Opera - Transfers");

    TCatalogue reloaded;
    LoadSaveSettings(true, reloaded, window_, path_);
    EXPECT_EQ(reloaded.CollectTickedItems(),
              (std::vector<std::wstring>{L"Windows - Clipboard", L"Opera - Cookies", L"Opera - Transfers"}));
}

TEST_F(SettingsFileTest, AHugeSelectedCountCostsOnlyTheKeysTheFileHas) {
    // Reading every key number up to the count would take hours here.
    WriteTextFile(path_, "[NodeSelected]\r\nSelectedCount=2147483647\r\n9=Opera - Cookies\r\n"
                         "1=Windows - Clipboard\r\n01=Windows - Start Run\r\n-2=Opera - Transfers\r\n");
    const DWORD start = GetTickCount();
    Load();
    EXPECT_LT(GetTickCount() - start, 5000u);
    EXPECT_EQ(tree_.CollectTickedItems(), (std::vector<std::wstring>{L"Windows - Clipboard", L"Opera - Cookies"}));
}

TEST_F(SettingsFileTest, MaximizedStateIgnoresTheStoredBounds) {
    WriteTextFile(path_, "[Window]\r\nState=3\r\nLeft=5\r\nTop=6\r\nWidth=700\r\nHeight=500\r\n");
    Load();
    EXPECT_EQ(Settings.WindowState, 2);
    EXPECT_EQ(Settings.Width, 0);

    WriteTextFile(path_, "[Window]\r\nState=2\r\nLeft=5\r\nTop=6\r\nWidth=700\r\nHeight=500\r\n");
    Settings = TSettingsRecord{};
    Load();  // minimized is not treated specially
    EXPECT_EQ(Settings.WindowState, 0);
    EXPECT_EQ(Settings.Left, 5);
    EXPECT_EQ(Settings.Height, 500);
}

TEST_F(SettingsFileTest, PlacementStateIsLeftOutWhenThePlacementCannotBeHad) {
    Load();
    window_.showCmd = 0;
    Save();
    EXPECT_EQ(Read(L"Window", L"State"), L"<missing>");
    EXPECT_EQ(Read(L"Window", L"Width"), L"692");
}

TEST_F(SettingsFileTest, KeysThatTheProgramDoesNotWriteSurviveASave) {
    WriteTextFile(path_, "[Settings]\r\nMyOwnKey=kept\r\n[Extra]\r\nA=1\r\n");
    Load();
    Save();
    EXPECT_EQ(Read(L"Settings", L"MyOwnKey"), L"kept");
    EXPECT_EQ(Read(L"Extra", L"A"), L"1");
}

TEST_F(SettingsFileTest, LongStringsAreCutOnLoad) {
    WriteTextFile(path_, "[Hotkey]\r\nCharString=" + std::string(3000, 'x') + "\r\n");
    Load();
    EXPECT_EQ(Settings.Hotkey.CharString, std::wstring(2047, L'x'));
}

TEST_F(SettingsFileTest, AFailedWriteNamesTheFileAndStopsTheSave) {
    const std::wstring unwritable = dir_ / L"no such folder\\settings.ini";
    Load();
    try {
        LoadSaveSettings(false, tree_, window_, unwritable);
        FAIL() << "the save did not fail";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), L"Unable to write to " + unwritable);
    }

    // A folder where the file should be: no writer can get past that.
    ASSERT_TRUE(CreateDirectoryW(path_.c_str(), nullptr));
    EXPECT_THROW(Save(), Exception);
    RemoveDirectoryW(path_.c_str());
}

}  // namespace
}  // namespace klarvex
