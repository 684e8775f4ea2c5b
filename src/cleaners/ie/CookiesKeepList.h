#pragma once

// The cookies the user keeps (Cookies.dat) and the
// folder Internet Explorer keeps its cookies in. The cookie cleaner and the
// cookies manager share both.

#include <string>
#include <unordered_set>
#include <vector>

namespace klarvex {

// Cookies.dat where the user's files of the program live (UserFiles.h).
std::wstring KeepListPath();

// The names in section "Cookies to keep": keys "0" to Count - 1 in order,
// empty values left out. Keys at Count and above (what a longer list saved
// earlier left) are never read. The file is read once, whatever Count
// claims. Empty when the file is missing.
std::vector<std::wstring> LoadKeepList(const std::wstring& path = KeepListPath());
// Writes Count and keys "0" to n - 1; keys above stay in the file. The
// file is written whole as UTF-16 (TIniFile::Update), so names outside the
// system's code page keep their letters and a full disk never leaves half
// a list. Throws Exception("Unable to write to " + path) when the file
// cannot be written; it is then as it was.
void SaveKeepList(const std::vector<std::wstring>& names, const std::wstring& path = KeepListPath());

// The shell's cookie folder, else "c:\windows\cookies", with a trailing
// backslash; "" when neither exists. Ends the browser session first.
std::wstring CookiesFolderWithoutLow();
// The "Low" switch: folder\Low when the folder holds no *.txt file and Low
// holds at least one (Internet Explorer's protected mode keeps them there).
std::wstring ApplyLowSwitch(const std::wstring& folder);
// Both: the folder the cookie cleaner and the cookies manager work on.
std::wstring CookiesFolder();

// A file of the cookie folder is a cookie when ".txt" stands anywhere in its
// name (letter case counts); one kept by name (whole name, case counts) is
// not offered for removal.
bool IsCookieName(const std::wstring& name);
// The keep list as a set, so each cookie is looked up at once.
std::unordered_set<std::wstring> KeptNames(const std::vector<std::wstring>& keepList);
bool IsKept(const std::unordered_set<std::wstring>& keptNames, const std::wstring& name);

}  // namespace klarvex
