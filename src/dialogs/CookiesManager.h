#pragma once

#include <optional>
#include <string>
#include <vector>

#include "ui/DialogBase.h"

namespace klarvex {

// The cookies manager: the cookie files of Internet Explorer's cookie
// folder on the left ("All cookies found"), the names the cookie cleaner
// must keep on the right ("Cookies to keep"), and buttons to move names
// between the two. Only OK writes the keep list (Cookies.dat); Cancel and
// the close box leave it as it was. Made for one modal showing.
class TfrmCookiesManager final : public TDialogBase {
public:
    TfrmCookiesManager();

protected:
    void OnInit() override;
    bool OnCommand(WORD id, WORD code, HWND control) override;
    void OnOK() override;

private:
    enum class TargetSelection { First, FirstWhenAlone };

    void SetTexts();
    void FillLists();
    // Moves the selected name of from to the end of to. In to the first
    // entry becomes selected (FirstWhenAlone: only when the moved one is
    // its only entry); in from the entry after the moved one (the first,
    // when it was the last). Nothing happens when nothing is selected.
    void MoveSelected(HWND from, HWND to, TargetSelection targetSelection);
    // Moves every name of from, in order, to the end of to, and selects the
    // first entry of to.
    void MoveAll(HWND from, HWND to);
    void AddName(HWND list, const std::wstring& name);
    void View();

    HWND Found() const;  // "All cookies found"
    HWND Keep() const;   // "Cookies to keep"

    std::wstring cookiesFolder_;  // with its trailing backslash; "" when there is none
};

// The text View shows for a cookie file: each line of the file preceded by
// CR LF, the file read as text of the system's code page (lines end at CR,
// LF or CR LF). Only the first maxBytes bytes are read; a longer file's
// text ends, after its last whole line, with a note that the rest is not
// shown. Nothing when the file cannot be read.
std::optional<std::wstring> CookieFileText(const std::wstring& path, size_t maxBytes);

}  // namespace klarvex
