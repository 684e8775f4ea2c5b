#pragma once

// Where the user's own files of the program live: settings.ini, Cookies.dat
// and Clist.dat.
//
// A portable copy keeps them beside itself, as the program always has. An
// installed copy sits in Program Files, which a user cannot write to without
// elevation, so it keeps them in the user's Application Data folder
// (%APPDATA%\Klarvex\), one set per user. The installer marks its folder
// with kInstalledMarker. A file that already lies beside the program is
// used where it is, installed or not, so nothing a user has is lost.

#include <string>

namespace klarvex {

// The file the installer writes beside the programs.
inline constexpr wchar_t kInstalledMarker[] = L"installed.txt";

// The user's file `name` of the program in programFolder (with trailing
// backslash). For an installed copy the folder in Application Data is made
// when missing, so the file can be written at once.
std::wstring UserFilePath(const std::wstring& name, const std::wstring& programFolder);
// The same for the running program.
std::wstring UserFilePath(const std::wstring& name);

}  // namespace klarvex
