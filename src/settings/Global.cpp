#include "settings/Global.h"

#include <algorithm>
#include <vector>

#include "base/Strings.h"
#include "base/Texts.h"
#include "formats/IniFile.h"
#include "formats/ProfileInteger.h"
#include "settings/UserFiles.h"

namespace klarvex {

TSettingsRecord Settings;

namespace {

constexpr wchar_t kSettings[] = L"Settings";
constexpr wchar_t kHotkey[] = L"Hotkey";
constexpr wchar_t kSchedule[] = L"SChedule";
constexpr wchar_t kNodeSelected[] = L"NodeSelected";
constexpr wchar_t kFirstNodeExpand[] = L"FirstNodeExpand";
constexpr wchar_t kWindow[] = L"Window";
constexpr wchar_t kLanguage[] = L"Language";

constexpr int32_t kMaximized = 3;

// Drive letters as settings.ini keeps them ("CD") and as the record
// does (a bit a letter); anything but a letter is no drive.
uint32_t DriveLettersMask(const std::wstring& letters) {
    uint32_t mask = 0;
    for (const wchar_t c : letters) {
        const wchar_t upper = static_cast<wchar_t>(towupper(c));
        if (upper >= L'A' && upper <= L'Z') mask |= 1u << (upper - L'A');
    }
    return mask;
}

std::wstring DriveLettersText(uint32_t mask) {
    std::wstring letters;
    for (int letter = 0; letter < 26; ++letter)
        if (mask & (1u << letter)) letters += static_cast<wchar_t>(L'A' + letter);
    return letters;
}

// The numbers of the keys "1" to "count" that the NodeSelected section
// really holds, in rising order. A key that is missing would tick nothing,
// so only these are read: a damaged file with a huge count then costs no
// more than the keys it has.
std::vector<int32_t> SelectedKeys(const TIniFile& ini, int32_t count) {
    std::vector<int32_t> numbers;
    for (const auto& key : ini.KeyNames(kNodeSelected)) {
        const auto number = ParseProfileInteger(key);
        if (number && *number >= 1 && *number <= count && IntToStr(*number) == key) numbers.push_back(*number);
    }
    std::sort(numbers.begin(), numbers.end());
    numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
    return numbers;
}

void Load(const TIniFile& ini, ITickedNodes& tree, const ISettingsWindow& window) {
    auto& s = Settings;
    s.AskForSweep = ini.ReadBool(kSettings, L"AskForSweep", true);
    s.OverwriteFile = ini.ReadBool(kSettings, L"OverwriteFile", false);
    const int32_t passes = ini.ReadInteger(kSettings, L"OverwriteNumber", 1);
    s.OverwriteNumber = passes < 1 || passes > 10 ? 1 : passes;

    s.EnableHotkey = ini.ReadBool(kHotkey, L"EnableHotkey", false);
    s.Hotkey.IsCtrl = ini.ReadBool(kHotkey, L"IsCtrl", true);
    s.Hotkey.IsShift = ini.ReadBool(kHotkey, L"IsShift", false);
    s.Hotkey.IsAlt = ini.ReadBool(kHotkey, L"IsAlt", false);
    s.Hotkey.CharString = ini.ReadString(kHotkey, L"CharString", L"F5");
    s.Hotkey.CharAscII = static_cast<uint16_t>(ini.ReadInteger(kHotkey, L"CharAscII", 116));
    s.AutoClean = ini.ReadBool(kSchedule, L"Auto Clean", false);

    tree.UntickAll();
    s.SelectedCount = ini.ReadInteger(kNodeSelected, L"SelectedCount", 0);
    for (const int32_t n : SelectedKeys(ini, s.SelectedCount))
        tree.TickByName(ini.ReadString(kNodeSelected, IntToStr(n), L""));

    for (int k = 1; k <= kCategoryCount; ++k) s.FirstNodeExpand[k] = ini.ReadBool(kFirstNodeExpand, IntToStr(k), true);

    s.ShowLogTempInternetFiles = ini.ReadBool(kSettings, L"ShowLogTempInternetFiles", false);
    s.ShowLogRecycleBin = ini.ReadBool(kSettings, L"ShowLogRecycleBin", false);
    s.FastScan = ini.ReadBool(kSettings, L"FastScan", true);
    s.WipeDrives = DriveLettersMask(ini.ReadString(kSettings, L"WipeFreeSpaceDrives", L""));
    s.Language = ini.ReadString(kSettings, kLanguage, L"");

    if (ini.ReadInteger(kWindow, L"State", 1) == kMaximized) {
        s.WindowState = 2;
        return;
    }
    const WindowBounds designed = window.Bounds();
    s.Left = ini.ReadInteger(kWindow, L"Left", (window.ScreenWidth() - designed.Width) / 2);
    s.Top = ini.ReadInteger(kWindow, L"Top", (window.ScreenHeight() - designed.Height) / 2);
    s.Width = ini.ReadInteger(kWindow, L"Width", designed.Width);
    s.Height = ini.ReadInteger(kWindow, L"Height", designed.Height);
}

void Save(TIniText& ini, const ITickedNodes& tree, const ISettingsWindow& window) {
    auto& s = Settings;
    ini.WriteBool(kSettings, L"AskForSweep", s.AskForSweep);
    ini.WriteBool(kSettings, L"OverwriteFile", s.OverwriteFile);
    ini.WriteInteger(kSettings, L"OverwriteNumber", s.OverwriteNumber);

    ini.WriteBool(kHotkey, L"EnableHotkey", s.EnableHotkey);
    ini.WriteBool(kHotkey, L"IsCtrl", s.Hotkey.IsCtrl);
    ini.WriteBool(kHotkey, L"IsShift", s.Hotkey.IsShift);
    ini.WriteBool(kHotkey, L"IsAlt", s.Hotkey.IsAlt);
    ini.WriteString(kHotkey, L"CharString", s.Hotkey.CharString);
    ini.WriteInteger(kHotkey, L"CharAscII", s.Hotkey.CharAscII);
    ini.WriteBool(kSchedule, L"Auto Clean", s.AutoClean);

    s.SelectedCount = 0;
    for (const auto& name : tree.TickedNodeNames()) ini.WriteString(kNodeSelected, IntToStr(++s.SelectedCount), name);
    ini.WriteInteger(kNodeSelected, L"SelectedCount", s.SelectedCount);

    for (int k = 1; k <= kCategoryCount; ++k) ini.WriteBool(kFirstNodeExpand, IntToStr(k), s.FirstNodeExpand[k]);

    ini.WriteBool(kSettings, L"ShowLogTempInternetFiles", s.ShowLogTempInternetFiles);
    ini.WriteBool(kSettings, L"ShowLogRecycleBin", s.ShowLogRecycleBin);
    ini.WriteBool(kSettings, L"FastScan", s.FastScan);
    ini.WriteString(kSettings, L"WipeFreeSpaceDrives", DriveLettersText(s.WipeDrives));
    ini.WriteString(kSettings, kLanguage, s.Language);

    if (const UINT showCmd = window.PlacementShowCmd()) ini.WriteInteger(kWindow, L"State", static_cast<int32_t>(showCmd));
    const WindowBounds bounds = window.Bounds();
    ini.WriteInteger(kWindow, L"Left", bounds.Left);
    ini.WriteInteger(kWindow, L"Top", bounds.Top);
    ini.WriteInteger(kWindow, L"Width", bounds.Width);
    ini.WriteInteger(kWindow, L"Height", bounds.Height);
}

}  // namespace

std::wstring SettingsFilePath() { return UserFilePath(L"settings.ini"); }

std::wstring ReadLanguageSetting(const std::wstring& path) { return TIniFile(path).ReadString(kSettings, kLanguage, L""); }

LANGID ChosenLanguage(const std::wstring& setting, LANGID windowsLanguage, const std::vector<LANGID>& shipped) {
    for (const LANGID language : shipped) {
        const bool chosen = setting.empty() ? PRIMARYLANGID(language) == PRIMARYLANGID(windowsLanguage)
                                            : SameText(setting, LanguageCode(language));
        if (chosen) return language;
    }
    return kEnglish;
}

void LoadSaveSettings(bool load, ITickedNodes& tree, const ISettingsWindow& window, const std::wstring& path) {
    const TIniFile ini(path);
    if (load)
        Load(ini, tree, window);
    else
        ini.Update([&](TIniText& text) { Save(text, tree, window); });
}

}  // namespace klarvex
