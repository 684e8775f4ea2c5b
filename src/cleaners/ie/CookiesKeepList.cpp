#include "cleaners/ie/CookiesKeepList.h"

#include <windows.h>

#include <shlobj.h>

#include <algorithm>
#include <cwctype>
#include <map>

#include "base/Exception.h"
#include "base/Handles.h"
#include "base/PathText.h"
#include "base/Strings.h"
#include "base/Texts.h"
#include "formats/IniFile.h"
#include "platform/Folders.h"
#include "platform/SystemLookups.h"
#include "settings/UserFiles.h"

namespace klarvex {

namespace {

const wchar_t kSection[] = L"Cookies to keep";
const wchar_t kCount[] = L"Count";

// The key's number when it is written as the profile functions would look
// it up for that number ("0", "17"; not "017" or "+1").
bool KeyNumber(const std::wstring& key, uint32_t& number) {
    if (key.empty() || key.size() > 9 || (key.size() > 1 && key[0] == L'0')) return false;
    number = 0;
    for (wchar_t c : key) {
        if (c < L'0' || c > L'9') return false;
        number = number * 10 + static_cast<uint32_t>(c - L'0');
    }
    return true;
}

bool HasFileMatching(const std::wstring& folder, const wchar_t* mask) {
    WIN32_FIND_DATAW data;
    FindHandle find(FindFirstFileW((folder + mask).c_str(), &data));
    if (!find) return false;
    do {
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) return true;
    } while (FindNextFileW(find.Get(), &data));
    return false;
}

}  // namespace

std::wstring KeepListPath() { return UserFilePath(L"Cookies.dat"); }

std::vector<std::wstring> LoadKeepList(const std::wstring& path) {
    const TIniFile file(path);
    const int32_t count = file.ReadInteger(kSection, kCount, 0);
    if (count <= 0) return {};
    // One read of the section: a Count of two thousand million must not
    // mean as many lookups.
    std::map<uint32_t, std::wstring> byNumber;
    for (const auto& line : file.SectionLines(kSection)) {
        const size_t equals = line.find(L'=');
        if (equals == std::wstring::npos) continue;
        uint32_t number = 0;
        if (!KeyNumber(line.substr(0, equals), number) || number >= static_cast<uint32_t>(count)) continue;
        byNumber.emplace(number, line.substr(equals + 1));  // the first of equal keys, as the system reads
    }
    std::vector<std::wstring> names;
    for (auto& [number, name] : byNumber)
        if (!name.empty()) names.push_back(std::move(name));
    return names;
}

void SaveKeepList(const std::vector<std::wstring>& names, const std::wstring& path) {
    TIniFile(path).Update([&](TIniText& text) {
        text.WriteInteger(kSection, kCount, static_cast<int32_t>(names.size()));
        for (size_t i = 0; i < names.size(); ++i) text.WriteString(kSection, IntToStr(static_cast<long long>(i)), names[i]);
    });
}

std::wstring CookiesFolderWithoutLow() {
    EndBrowserSession();
    const std::wstring shell = ShellFolderPath(CSIDL_COOKIES);
    if (!shell.empty() && IsPlainFolder(shell)) return shell;
    const std::wstring fallback = L"c:\\windows\\cookies";
    return IsPlainFolder(fallback) ? WithBackslash(fallback) : std::wstring();
}

std::wstring ApplyLowSwitch(const std::wstring& folder) {
    if (folder.empty()) return folder;
    const std::wstring low = folder + L"Low\\";
    if (IsPlainFolder(low) && !HasFileMatching(folder, L"*.txt") && HasFileMatching(low, L"*.txt")) return low;
    return folder;
}

std::wstring CookiesFolder() { return ApplyLowSwitch(CookiesFolderWithoutLow()); }

bool IsCookieName(const std::wstring& name) { return name.find(L".txt") != std::wstring::npos; }

std::unordered_set<std::wstring> KeptNames(const std::vector<std::wstring>& keepList) {
    return {keepList.begin(), keepList.end()};
}

bool IsKept(const std::unordered_set<std::wstring>& keptNames, const std::wstring& name) {
    return keptNames.count(name) > 0;
}

}  // namespace klarvex
