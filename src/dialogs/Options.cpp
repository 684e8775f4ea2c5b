#include "dialogs/Options.h"

#include <commctrl.h>
#include <uxtheme.h>

#include <algorithm>
#include <initializer_list>

#include "base/Texts.h"
#include "dialogs/OptionsRes.h"
#include "platform/FreeSpaceWipe.h"
#include "settings/AutoStart.h"
#include "settings/KeyNames.h"
#include "ui/BossKey.h"

namespace klarvex {

namespace {

// The atom of the trial registration; the main window's own registration
// has another name, so the two never meet.
constexpr wchar_t kTestAtomName[] = L"MyQRTZHotkey_Test";
constexpr int kOverwritePassesMax = 10;

constexpr std::initializer_list<int> kGeneralPage = {
    IDC_OPT_FAST_SCAN,  IDC_OPT_SHOW_LOG_TEMP_FILES, IDC_OPT_SHOW_LOG_RECYCLE_BIN, IDC_OPT_ASK_CLEAR,
    IDC_OPT_AUTO_START, IDC_OPT_START_WASH,          IDC_OPT_WIPE_FILE,            IDC_OPT_WIPE_NUMBER_LABEL,
    IDC_OPT_WIPE_NUMBER, IDC_OPT_WIPE_DRIVES_LABEL, IDC_OPT_WIPE_DRIVES};
constexpr std::initializer_list<int> kBossKeyPage = {IDC_OPT_BOSS_LINE1, IDC_OPT_BOSS_LINE2, IDC_OPT_BOSS_KEY,
                                                     IDC_OPT_HIDE_LABEL, IDC_OPT_HIDE};
constexpr std::initializer_list<int> kLanguagePage = {IDC_OPT_LANGUAGE_LABEL, IDC_OPT_LANGUAGE, IDC_OPT_LANGUAGE_NOTE};

bool Contains(const std::wstring& text, const wchar_t* word) { return text.find(word) != std::wstring::npos; }

bool Held(int key) { return GetKeyState(key) < 0; }

// The keys the combination box leaves to the dialog, so that it never
// keeps the keyboard: Tab and Shift+Tab move on, Esc and Enter close the
// dialog, as everywhere else in it. With Ctrl or Alt held (or Shift, for
// Esc and Enter) they are combinations like any other.
bool LeavesCombinationBox(WPARAM key) {
    if (Held(VK_CONTROL) || Held(VK_MENU)) return false;
    if (key == VK_TAB) return true;
    return (key == VK_ESCAPE || key == VK_RETURN) && !Held(VK_SHIFT);
}

}  // namespace

TfrmOptions::TfrmOptions(TBossKey& bossKey, std::function<void()> saveSettings)
    : TDialogBase(IDD_OPTIONS), bossKey_(bossKey), saveSettings_(std::move(saveSettings)) {}

TfrmOptions::~TfrmOptions() = default;

void TfrmOptions::OnInit() {
    CenterOnOwner();
    themedPages_ = IsAppThemed() != FALSE;
    HWND pages = Item(IDC_OPT_PAGES);
    for (const auto& [index, text] :
         {std::pair{0, IDS_PAGE_GENERAL}, std::pair{1, IDS_PAGE_BOSS_KEY}, std::pair{2, IDS_PAGE_LANGUAGE}}) {
        std::wstring label = LoadText(text);
        TCITEMW tab{};
        tab.mask = TCIF_TEXT;
        tab.pszText = label.data();
        TabCtrl_InsertItem(pages, index, &tab);
    }
    HWND passes = Item(IDC_OPT_WIPE_NUMBER);
    for (int n = 1; n <= kOverwritePassesMax; ++n)
        SendMessageW(passes, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(std::to_wstring(n).c_str()));
    // Windows' own language first, then each language in its own words.
    HWND languages = Item(IDC_OPT_LANGUAGE);
    SendMessageW(languages, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(LoadText(IDS_LANGUAGE_WINDOWS_DEFAULT).c_str()));
    for (const LANGID language : shippedLanguages_)
        SendMessageW(languages, CB_ADDSTRING, 0,
                     reinterpret_cast<LPARAM>(LoadTextIn(IDS_LANGUAGE_NAME, language).c_str()));
    SetWindowSubclass(Item(IDC_OPT_HIDE), HotkeyEditProc, 0, reinterpret_cast<DWORD_PTR>(this));
    CreateWipeFileHint();

    SavedHintDelay = static_cast<int>(SendMessageW(hint_, TTM_GETDELAYTIME, TTDT_INITIAL, 0));
    ExchangeRecord(false);
    ExchangeControls(false);
    InitialEnable = EditedSettings.EnableHotkey;
    InitialHotkeyText = ItemText(IDC_OPT_HIDE);
    LastGoodCharString = EditedSettings.Hotkey.CharString;
    LastGoodCharAscII = EditedSettings.Hotkey.CharAscII;
    // The hint shows while overwriting is on.
    SendMessageW(hint_, TTM_ACTIVATE, IsChecked(IDC_OPT_WIPE_FILE), 0);
    TabCtrl_SetCurSel(pages, 0);
    ShowPage(0);
    FocusOnOpen(IDC_OPT_PAGES);
}

void TfrmOptions::CreateWipeFileHint() {
    hint_ = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, 0, 0, 0, 0, Handle(), nullptr,
                            GetModuleHandleW(nullptr), nullptr);
    std::wstring text = LoadText(IDS_WIPE_FILE_HINT);
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = Handle();
    tool.uId = reinterpret_cast<UINT_PTR>(Item(IDC_OPT_WIPE_FILE));
    tool.lpszText = text.data();
    SendMessageW(hint_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    SendMessageW(hint_, TTM_SETMAXTIPWIDTH, 0, 320);
}

void TfrmOptions::ShowPage(int page) {
    for (int id : kGeneralPage) ShowWindow(Item(id), page == 0 ? SW_SHOW : SW_HIDE);
    for (int id : kBossKeyPage) ShowWindow(Item(id), page == 1 ? SW_SHOW : SW_HIDE);
    for (int id : kLanguagePage) ShowWindow(Item(id), page == 2 ? SW_SHOW : SW_HIDE);
    // The focus never stays on a control of the page that went.
    HWND focus = GetFocus();
    if (focus && !IsWindowVisible(focus))
        FocusItem(Item(IDC_OPT_PAGES));
}

void TfrmOptions::TurnPage(bool forward) {
    HWND pages = Item(IDC_OPT_PAGES);
    const int count = TabCtrl_GetItemCount(pages);
    if (count <= 0) return;
    const int page = (TabCtrl_GetCurSel(pages) + (forward ? 1 : count - 1)) % count;
    TabCtrl_SetCurSel(pages, page);
    ShowPage(page);
}

// The combination box takes Ctrl+Tab for itself, like every combination.
bool TfrmOptions::OnDialogKey(const MSG& message) {
    if (message.message != WM_KEYDOWN || !Held(VK_CONTROL) || Held(VK_MENU) || message.hwnd == Item(IDC_OPT_HIDE))
        return false;
    switch (message.wParam) {
        case VK_TAB: TurnPage(!Held(VK_SHIFT)); return true;
        case VK_NEXT: TurnPage(true); return true;
        case VK_PRIOR: TurnPage(false); return true;
        default: return false;
    }
}

bool TfrmOptions::IsChecked(int id) const { return IsDlgButtonChecked(Handle(), id) == BST_CHECKED; }

void TfrmOptions::SetChecked(int id, bool checked) const {
    CheckDlgButton(Handle(), id, checked ? BST_CHECKED : BST_UNCHECKED);
}

// ---------------------------------------------------------------- exchange

void TfrmOptions::ExchangeControls(bool toRecord) {
    TSettingsRecord& s = EditedSettings;
    if (toRecord) {
        s.AskForSweep = IsChecked(IDC_OPT_ASK_CLEAR);
        s.OverwriteFile = IsChecked(IDC_OPT_WIPE_FILE);
        s.ShowLogTempInternetFiles = IsChecked(IDC_OPT_SHOW_LOG_TEMP_FILES);
        s.ShowLogRecycleBin = IsChecked(IDC_OPT_SHOW_LOG_RECYCLE_BIN);
        s.FastScan = IsChecked(IDC_OPT_FAST_SCAN);
        s.EnableHotkey = IsChecked(IDC_OPT_BOSS_KEY);
        s.AutoClean = IsChecked(IDC_OPT_START_WASH);
        const auto index = static_cast<int>(SendMessageW(Item(IDC_OPT_WIPE_NUMBER), CB_GETCURSEL, 0, 0));
        s.OverwriteNumber = index >= 0 ? index + 1 : 1;
        s.WipeDrives = CheckedWipeDrives();
        // A setting the list cannot show (an unknown code) stays as it is
        // unless another language is chosen.
        const auto language = static_cast<int>(SendMessageW(Item(IDC_OPT_LANGUAGE), CB_GETCURSEL, 0, 0));
        if (language != LanguageIndex(s.Language))
            s.Language = language > 0 ? LanguageCode(shippedLanguages_.at(static_cast<size_t>(language - 1))) : L"";
        // The key itself comes from the key capture, never from the text.
        const std::wstring text = ItemText(IDC_OPT_HIDE);
        s.Hotkey.IsCtrl = Contains(text, L"Ctrl");
        s.Hotkey.IsShift = Contains(text, L"Shift");
        s.Hotkey.IsAlt = Contains(text, L"Alt");
        return;
    }
    SetChecked(IDC_OPT_FAST_SCAN, s.FastScan);
    SetChecked(IDC_OPT_SHOW_LOG_TEMP_FILES, s.ShowLogTempInternetFiles);
    SetChecked(IDC_OPT_SHOW_LOG_RECYCLE_BIN, s.ShowLogRecycleBin);
    SetChecked(IDC_OPT_ASK_CLEAR, s.AskForSweep);
    SetChecked(IDC_OPT_START_WASH, s.AutoClean);
    SetChecked(IDC_OPT_WIPE_FILE, s.OverwriteFile);
    SetChecked(IDC_OPT_BOSS_KEY, s.EnableHotkey);
    SendMessageW(Item(IDC_OPT_WIPE_NUMBER), CB_SETCURSEL, static_cast<WPARAM>(s.OverwriteNumber - 1), 0);
    ShowWipeDrives(s.WipeDrives);
    SendMessageW(Item(IDC_OPT_LANGUAGE), CB_SETCURSEL, static_cast<WPARAM>(LanguageIndex(s.Language)), 0);
    SetItemText(IDC_OPT_HIDE, HotkeyText(s.Hotkey.IsCtrl, s.Hotkey.IsShift, s.Hotkey.IsAlt, s.Hotkey.CharString));
    // Not from the record: the start with Windows is what the Run key says.
    SetChecked(IDC_OPT_AUTO_START, IsAutoStartCommand(ReadAutoStartCommand()));
}

int TfrmOptions::LanguageIndex(const std::wstring& setting) const {
    if (setting.empty()) return 0;
    const LANGID chosen = ChosenLanguage(setting, kEnglish, shippedLanguages_);
    const auto at = std::find(shippedLanguages_.begin(), shippedLanguages_.end(), chosen);
    return at == shippedLanguages_.end() ? 1 : static_cast<int>(at - shippedLanguages_.begin()) + 1;
}

void TfrmOptions::ExchangeRecord(bool toGlobal) {
    if (toGlobal) Settings = EditedSettings;
    else EditedSettings = Settings;
}

void TfrmOptions::ShowWipeDrives(uint32_t chosen) {
    HWND list = Item(IDC_OPT_WIPE_DRIVES);
    ListView_SetExtendedListViewStyle(list, LVS_EX_CHECKBOXES);
    ListView_DeleteAllItems(list);
    chosen = ChosenOrWindowsDrive(chosen);
    for (const auto& root : FixedDriveRoots()) {
        std::wstring name = root.substr(0, 2);
        LVITEMW item{};
        item.mask = LVIF_TEXT | LVIF_PARAM;
        item.iItem = ListView_GetItemCount(list);
        item.pszText = name.data();
        item.lParam = root[0] - L'A';
        const int index = ListView_InsertItem(list, &item);
        ListView_SetCheckState(list, index, (chosen >> item.lParam) & 1u);
    }
}

uint32_t TfrmOptions::CheckedWipeDrives() const {
    HWND list = Item(IDC_OPT_WIPE_DRIVES);
    uint32_t chosen = 0;
    for (int i = 0; i < ListView_GetItemCount(list); ++i) {
        LVITEMW item{};
        item.mask = LVIF_PARAM;
        item.iItem = i;
        if (ListView_GetItem(list, &item) && ListView_GetCheckState(list, i)) chosen |= 1u << item.lParam;
    }
    return chosen;
}

bool TfrmOptions::BossKeyChanged() const {
    const bool enabled = IsChecked(IDC_OPT_BOSS_KEY);
    return enabled != InitialEnable || (enabled && ItemText(IDC_OPT_HIDE) != InitialHotkeyText);
}

// ---------------------------------------------------------------- the boss key

// The combination is tried on the dialog's own window before it becomes the
// boss key: a combination another program holds is refused here.
bool TfrmOptions::TestHotkey() {
    const std::wstring text = ItemText(IDC_OPT_HIDE);
    // A combination of modifiers without a key can never be pressed.
    if (text.empty() || EditedSettings.Hotkey.CharString.empty()) {
        ShowErrorBox(GetActiveWindow(), LoadText(IDS_HOTKEY_BLANK));
        return false;
    }
    TestAtom = GlobalAddAtomW(kTestAtomName);
    if (!TestAtom) {
        ShowErrorBox(GetActiveWindow(), LoadText(IDS_HOTKEY_SETTING_FAILED));
        return false;
    }
    THotkey& hotkey = EditedSettings.Hotkey;
    if (text != InitialHotkeyText) {
        if (!RegisterHotKey(Handle(), TestAtom, HotkeyModifiers(hotkey), hotkey.CharAscII)) {
            ShowErrorBox(GetActiveWindow(), LoadText(IDS_BOSS_KEY_FAILED));
            SetItemText(IDC_OPT_HIDE, InitialHotkeyText);
            ExchangeControls(true);
            hotkey.CharString = LastGoodCharString;
            hotkey.CharAscII = LastGoodCharAscII;
            ReleaseTestHotkey();
            return false;
        }
        LastGoodCharString = hotkey.CharString;
        LastGoodCharAscII = hotkey.CharAscII;
    }
    ReleaseTestHotkey();
    return true;
}

void TfrmOptions::ReleaseTestHotkey() {
    if (!TestAtom) return;
    UnregisterHotKey(Handle(), TestAtom);
    GlobalDeleteAtom(TestAtom);
    // Deleted once: a second delete would take away another holder's
    // reference to the same name.
    TestAtom = 0;
}

TfrmOptions::Capture TfrmOptions::CurrentCapture() const {
    return {ItemText(IDC_OPT_HIDE), EditedSettings.Hotkey.CharString, EditedSettings.Hotkey.CharAscII};
}

void TfrmOptions::Restore(const Capture& capture) {
    HWND edit = Item(IDC_OPT_HIDE);
    SetWindowTextW(edit, capture.text.c_str());
    const auto end = static_cast<WPARAM>(capture.text.size());
    SendMessageW(edit, EM_SETSEL, end, static_cast<LPARAM>(end));
    EditedSettings.Hotkey.CharString = capture.name;
    EditedSettings.Hotkey.CharAscII = capture.code;
}

void TfrmOptions::eHideKeyDown(WPARAM key, LPARAM flags) {
    const bool ctrl = Held(VK_CONTROL), shift = Held(VK_SHIFT), alt = Held(VK_MENU);
    // Backspace alone empties the box: the way to clear the combination.
    if (key == VK_BACK && !ctrl && !shift && !alt) {
        Restore({});
        return;
    }
    const bool repeated = (flags & (1 << 30)) != 0;
    if (key != VK_SHIFT) beforeShift_.reset();
    else if (!repeated && !ctrl && !alt) beforeShift_ = CurrentCapture();
    const KeyCapture capture = CaptureKey(static_cast<uint16_t>(key), ctrl, shift, alt);
    Restore({capture.shown, capture.name, capture.code});
}

// The combination box takes every key for the capture but those that
// leave it (LeavesCombinationBox): none of them edits its text, and
// nothing is typed, pasted or cut into it.
LRESULT CALLBACK TfrmOptions::HotkeyEditProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                             DWORD_PTR self) {
    switch (message) {
        case WM_GETDLGCODE: {
            const auto* key = reinterpret_cast<const MSG*>(lParam);
            if (key && key->message == WM_KEYDOWN && LeavesCombinationBox(key->wParam))
                return DefSubclassProc(edit, message, wParam, lParam) & ~DLGC_WANTALLKEYS;
            return DefSubclassProc(edit, message, wParam, lParam) | DLGC_WANTALLKEYS;
        }
        case WM_SETFOCUS:
            reinterpret_cast<TfrmOptions*>(self)->beforeShift_.reset();
            break;
        case WM_KILLFOCUS: {
            // Left by Shift+Tab: the Shift was part of the way out.
            auto& dialog = *reinterpret_cast<TfrmOptions*>(self);
            if (dialog.beforeShift_ && Held(VK_SHIFT) && Held(VK_TAB)) {
                try {
                    dialog.Restore(*dialog.beforeShift_);
                } catch (...) {
                    // Only the memory for a string can fail: the box keeps
                    // what it showed.
                }
            }
            dialog.beforeShift_.reset();
            break;
        }
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN: {
            // The character the key makes is already on its way; with Alt
            // held the dialog would take it for a button's shortcut.
            MSG character;
            while (PeekMessageW(&character, edit, WM_CHAR, WM_DEADCHAR, PM_REMOVE | PM_NOYIELD)) {
            }
            while (PeekMessageW(&character, edit, WM_SYSCHAR, WM_SYSDEADCHAR, PM_REMOVE | PM_NOYIELD)) {
            }
            try {
                reinterpret_cast<TfrmOptions*>(self)->eHideKeyDown(wParam, lParam);
            } catch (...) {
                // Nothing a capture does can fail but the memory for a
                // string: the box keeps what it showed.
            }
            return 0;
        }
        case WM_SYSKEYUP:  // Alt or F10 released: no system menu
        case WM_CHAR:
        case WM_DEADCHAR:
        case WM_SYSCHAR:
        case WM_SYSDEADCHAR:
        case WM_PASTE:
        case WM_CUT:
        case WM_CLEAR:
        case WM_UNDO:
        case EM_UNDO:
        case WM_CONTEXTMENU:
            return 0;
        case WM_NCDESTROY:
            RemoveWindowSubclass(edit, HotkeyEditProc, 0);
            break;
        default:
            break;
    }
    return DefSubclassProc(edit, message, wParam, lParam);
}

// ---------------------------------------------------------------- commands

bool TfrmOptions::OnCommand(WORD id, WORD code, HWND control) {
    if (id == IDC_OPT_WIPE_FILE && code == BN_CLICKED) {
        cbWipeFileClick();
        return true;
    }
    return TDialogBase::OnCommand(id, code, control);
}

bool TfrmOptions::OnNotify(const NMHDR& header, LRESULT& result) {
    if (header.idFrom != IDC_OPT_PAGES || header.code != TCN_SELCHANGE) return false;
    ShowPage(TabCtrl_GetCurSel(header.hwndFrom));
    result = 0;
    return true;
}

// The pages' check boxes and texts stand on the tab control's page, which
// a theme draws in the window colour rather than the dialog's.
bool TfrmOptions::OnMessage(UINT message, WPARAM wParam, LPARAM, LRESULT& result) {
    if (message != WM_CTLCOLORSTATIC || !themedPages_) return false;
    const auto dc = reinterpret_cast<HDC>(wParam);
    SetBkColor(dc, GetSysColor(COLOR_WINDOW));
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    result = reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
    return true;
}

// Checked, the box explains itself at once: its hint shows without delay.
void TfrmOptions::cbWipeFileClick() {
    const bool checked = IsChecked(IDC_OPT_WIPE_FILE);
    SendMessageW(hint_, TTM_ACTIVATE, checked, 0);
    if (checked) SendMessageW(hint_, TTM_SETDELAYTIME, TTDT_INITIAL, 0);
}

// The start with Windows is written before anything else changes, so that
// a failed write leaves the dialog open with the settings as they were.
void TfrmOptions::OnOK() {
    ExchangeControls(true);
    const bool bossKeyChanged = BossKeyChanged();
    if (bossKeyChanged && EditedSettings.EnableHotkey && !TestHotkey()) return;
    // An automatic clean at start-up needs the start with Windows.
    if (EditedSettings.AutoClean) SetChecked(IDC_OPT_AUTO_START, true);
    SetAutoStart(IsChecked(IDC_OPT_AUTO_START));
    ExchangeRecord(true);
    if (bossKeyChanged) {
        bossKey_.Unregister();
        if (Settings.EnableHotkey) bossKey_.Register();
    }
    saveSettings_();
    Close(IDOK);
}

void TfrmOptions::Close(INT_PTR result) {
    if (SendMessageW(hint_, TTM_GETDELAYTIME, TTDT_INITIAL, 0) == 0)
        SendMessageW(hint_, TTM_SETDELAYTIME, TTDT_INITIAL, SavedHintDelay);
    End(result);
}

}  // namespace klarvex
