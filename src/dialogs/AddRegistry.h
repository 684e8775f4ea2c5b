#pragma once

#include <string>

#include "engine/CustomList.h"
#include "ui/DialogBase.h"

namespace klarvex {

// Composes a registry entry of the custom list: a key to delete, a key to
// empty of its values, or one value.
class TfrmAddRegistry final : public TDialogBase {
public:
    // Starts with the fields of `initial` (an empty key and "Delete key"
    // for a new entry).
    explicit TfrmAddRegistry(RegistryChoice initial = {});

    // The entry composed; valid after ShowModal returned IDOK.
    const std::wstring& Entry() const noexcept { return entry_; }

protected:
    void OnInit() override;
    bool OnCommand(WORD id, WORD code, HWND control) override;
    void OnOK() override;

private:
    RegistryChoice Choice() const;
    void UpdateControls();

    RegistryChoice initial_;
    std::wstring entry_;
};

}  // namespace klarvex
