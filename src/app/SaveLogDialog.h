#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace klarvex {

// "Save to text file": asks for a file name (and whether to overwrite an
// existing file), then writes the log list box's lines there. A file that
// cannot be written is told in an error box.
void SaveLogWithDialog(HWND owner, HWND log);

// The name chosen in a Save As dialog of that title and filter ("Text
// files (*.txt)|*.txt"), or none when it was cancelled.
std::optional<std::wstring> AskSaveFileName(HWND owner, const std::wstring& title, const std::wstring& filter,
                                            const wchar_t* defaultExtension = nullptr, DWORD flags = 0);

// The lines of a list box, in order.
std::vector<std::wstring> ListBoxLines(HWND list);

}  // namespace klarvex
