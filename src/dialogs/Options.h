#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "base/Texts.h"
#include "settings/Global.h"
#include "ui/DialogBase.h"

namespace klarvex {

class TBossKey;

// The settings dialog. It edits a copy of the settings record and puts it
// back only on OK, together with the start with Windows, the boss key's
// registration and the settings file.
class TfrmOptions final : public TDialogBase {
public:
    // bossKey: the main window's registration, renewed when the boss key
    // changed; saveSettings writes settings.ini (and throws when it cannot).
    TfrmOptions(TBossKey& bossKey, std::function<void()> saveSettings);
    ~TfrmOptions() override;

    // IDOK when the settings were changed, IDCANCEL when not.
    INT_PTR ShowModal(HWND owner) { return TDialogBase::ShowModal(owner); }

protected:
    void OnInit() override;
    bool OnCommand(WORD id, WORD code, HWND control) override;
    bool OnNotify(const NMHDR& header, LRESULT& result) override;
    void OnOK() override;
    void OnCancel() override { Close(IDCANCEL); }
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    bool OnDialogKey(const MSG& message) override;

private:
    // What the combination box shows and the key it stands for.
    struct Capture {
        std::wstring text;
        std::wstring name;
        uint16_t code = 0;
    };

    static LRESULT CALLBACK HotkeyEditProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                           DWORD_PTR self);

    void ExchangeControls(bool toRecord);
    void ExchangeRecord(bool toGlobal);
    bool BossKeyChanged() const;
    // The drives "Advanced - Wipe Free Space" wipes, as the record keeps
    // them (none: the drive Windows is on), in the drives' list and back.
    void ShowWipeDrives(uint32_t chosen);
    uint32_t CheckedWipeDrives() const;
    // The language list's line for a Language setting: 0 for Windows'
    // language, else the language it chooses.
    int LanguageIndex(const std::wstring& setting) const;
    bool TestHotkey();
    void ReleaseTestHotkey();

    void ShowPage(int page);
    // Ctrl+Tab and Ctrl+PgDn: the next page; with Shift, or Ctrl+PgUp, the
    // one before.
    void TurnPage(bool forward);
    void CreateWipeFileHint();
    void cbWipeFileClick();
    void eHideKeyDown(WPARAM key, LPARAM flags);
    Capture CurrentCapture() const;
    void Restore(const Capture& capture);
    bool IsChecked(int id) const;
    void SetChecked(int id, bool checked) const;
    // Every way out of the dialog: the hint delay goes back first.
    void Close(INT_PTR result);

    TBossKey& bossKey_;
    std::function<void()> saveSettings_;
    HWND hint_ = nullptr;  // a tooltip the dialog owns: goes with it
    bool themedPages_ = false;  // the tab control draws its pages in the window colour
    const std::vector<LANGID> shippedLanguages_ = ShippedLanguages();

    TSettingsRecord EditedSettings;
    int SavedHintDelay = 0;
    ATOM TestAtom = 0;
    bool InitialEnable = false;
    std::wstring InitialHotkeyText;
    std::wstring LastGoodCharString;
    uint16_t LastGoodCharAscII = 0;
    // The box as it was before Shift went down, while Shift alone is what
    // it captured since: a Shift+Tab that leaves the box takes that back.
    std::optional<Capture> beforeShift_;
};

}  // namespace klarvex
