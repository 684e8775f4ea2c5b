#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace klarvex {

// "Save to text file": asks for a file name (and whether to overwrite an
// existing file), then writes the log list box's lines there. A file that
// cannot be written is told in an error box.
void SaveLogWithDialog(HWND owner, HWND log);

// The lines of a list box, in order.
std::vector<std::wstring> ListBoxLines(HWND list);

}  // namespace klarvex
