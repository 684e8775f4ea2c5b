#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include <windows.h>

namespace klarvex {

// A setting that the run thread reads while the main thread may change it
// (the "Fast Mode" check box during a run). Each read and write is whole;
// no ordering beyond that is needed. Copyable, so the settings dialog can
// edit a copy of the record.
template <typename T>
class SharedSetting {
public:
    SharedSetting(T value = T{}) noexcept : value_(value) {}
    SharedSetting(const SharedSetting& other) noexcept : value_(other.Get()) {}
    SharedSetting& operator=(const SharedSetting& other) noexcept {
        value_.store(other.Get(), std::memory_order_relaxed);
        return *this;
    }
    SharedSetting& operator=(T value) noexcept {
        value_.store(value, std::memory_order_relaxed);
        return *this;
    }
    operator T() const noexcept { return Get(); }
    T Get() const noexcept { return value_.load(std::memory_order_relaxed); }

private:
    std::atomic<T> value_;
};

// The categories of the tree of clean items are numbered 1 to this; each
// number keeps its category's expand flag in the settings file.
inline constexpr int kCategoryCount = 14;

struct THotkey {
    bool IsCtrl = false;
    bool IsShift = false;
    bool IsAlt = false;
    std::wstring CharString;  // the key's display name, e.g. "F5"
    uint16_t CharAscII = 0;   // the key's virtual-key code, e.g. 116 for F5
};

// Every user setting, plus the main window's expanded categories and
// placement. One instance for the program's life; every part of the program
// reads its fields in place. All fields are zero, false or empty until the
// settings file is loaded.
struct TSettingsRecord {
    bool AskForSweep = false;
    SharedSetting<bool> OverwriteFile;
    SharedSetting<int32_t> OverwriteNumber;
    bool EnableHotkey = false;
    THotkey Hotkey;
    bool AutoClean = false;
    int32_t SelectedCount = 0;
    // Indexed 1 to kCategoryCount by category number; entry 0 is unused.
    std::array<bool, kCategoryCount + 1> FirstNodeExpand{};
    SharedSetting<bool> ShowLogTempInternetFiles;
    SharedSetting<bool> ShowLogRecycleBin;
    SharedSetting<bool> FastScan;
    // The drives "Advanced - Wipe Free Space" wipes: bit n for the drive
    // letter 'A' + n; none, the drive Windows is on.
    SharedSetting<uint32_t> WipeDrives;
    // The window's language as settings.ini keeps it: a language's code
    // ("de"), or empty for the language of Windows (ChosenLanguage).
    std::wstring Language;
    uint8_t WindowState = 0;  // 2 = start maximized
    int32_t Left = 0;
    int32_t Top = 0;
    int32_t Height = 0;
    int32_t Width = 0;
};

extern TSettingsRecord Settings;

}  // namespace klarvex

namespace klarvex {

// The ticks the settings file keeps, by the names of the ticked nodes of
// the tree of clean items (the catalogue offers them).
class ITickedNodes {
public:
    virtual ~ITickedNodes() = default;
    // Every node to unticked (the first step of loading).
    virtual void UntickAll() = 0;
    // Ticks the node of that name; an unknown name ticks nothing.
    virtual void TickByName(const std::wstring& name) = 0;
    // The names of the ticked nodes, in tree order.
    virtual std::vector<std::wstring> TickedNodeNames() const = 0;
};

struct WindowBounds {
    int32_t Left = 0;
    int32_t Top = 0;
    int32_t Width = 0;
    int32_t Height = 0;
};

// What the settings file needs of the main window.
class ISettingsWindow {
public:
    virtual ~ISettingsWindow() = default;
    // The window's current bounds (at load time: its designed size).
    virtual WindowBounds Bounds() const = 0;
    virtual int32_t ScreenWidth() const = 0;
    virtual int32_t ScreenHeight() const = 0;
    // The show command of the window's placement (1 normal, 2 minimized,
    // 3 maximized), or 0 when the placement cannot be had.
    virtual UINT PlacementShowCmd() const = 0;
};

// settings.ini where the user's files of the program live (UserFiles.h).
std::wstring SettingsFilePath();

// settings.ini's Language, read at the start before anything else of it:
// the window is made in that language.
std::wstring ReadLanguageSetting(const std::wstring& path = SettingsFilePath());

// The language the window speaks for a Language setting: the shipped
// language of that code (any letter case); for an empty one, the language
// of Windows' user interface when one of the shipped speaks it; else
// English. shipped: ShippedLanguages(), English first.
LANGID ChosenLanguage(const std::wstring& setting, LANGID windowsLanguage, const std::vector<LANGID>& shipped);

// load = true: the file into Settings and the ticks of the tree;
// load = false: Settings and the ticks into the file. A failed write throws
// Exception("Unable to write to <path>") and skips the rest of the save.
void LoadSaveSettings(bool load, ITickedNodes& tree, const ISettingsWindow& window,
                      const std::wstring& path = SettingsFilePath());

}  // namespace klarvex
