#pragma once

// What the user chooses to shred in the main window: files from a file
// dialog, a folder from a folder picker, or what is dropped onto the window;
// and the question that says what will go before anything does.

#include <windows.h>
#include <shellapi.h>

#include <cstdint>
#include <string>
#include <vector>

namespace klarvex {

// The files chosen in an open dialog (several may be); none when it was
// cancelled. Shortcuts are taken as the files they are, not their targets.
std::vector<std::wstring> ChooseFilesToShred(HWND owner);
// The folder chosen in a folder picker; none when it was cancelled.
std::vector<std::wstring> ChooseFolderToShred(HWND owner);
// The paths of what a WM_DROPFILES message carries.
std::vector<std::wstring> DroppedPaths(HDROP drop);

// The files below the paths (a folder's, its subfolders' too) and their
// bytes, as a walk of them finds them (links not followed).
struct ShredTotal {
    int64_t files = 0;
    int64_t bytes = 0;
};
ShredTotal CountToShred(const std::vector<std::wstring>& paths);

// "N files, X MB will be destroyed beyond recovery. Go on?", with the
// warning icon and No as the default: true for Yes.
bool ConfirmShred(HWND owner, const ShredTotal& total);

}  // namespace klarvex
