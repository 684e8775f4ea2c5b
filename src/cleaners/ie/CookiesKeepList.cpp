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

// The profile functions write a file in the encoding they find it in, and
// a new one in the system's code page, where every name outside that code
// page turns into question marks (a user name in another script gives such
// cookie names): a kept cookie would then be deleted after all. A file
// that is not UTF-16 yet is rewritten as UTF-16 (a byte-order mark, then
// its text), which they keep. A file that cannot be read is left to the
// writes that follow, which report it.
void MakeUnicodeFile(const std::wstring& path) {
    std::string bytes;
    {
        FileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file && GetLastError() != ERROR_FILE_NOT_FOUND) return;
        if (file) {
            LARGE_INTEGER size{};
            // Far more than a keep list ever holds: not ours to rewrite.
            if (!GetFileSizeEx(file.Get(), &size) || size.QuadPart > (1 << 26)) return;
            bytes.resize(static_cast<size_t>(size.QuadPart));
            DWORD read = 0;
            const DWORD want = static_cast<DWORD>(bytes.size());
            if (want > 0 && (!ReadFile(file.Get(), bytes.data(), want, &read, nullptr) || read != want)) return;
        }
    }
    if (bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE') return;
    // The text of a file made by hand may be UTF-8 with its mark.
    UINT codePage = CP_ACP;
    if (bytes.rfind("\xEF\xBB\xBF", 0) == 0) {
        bytes.erase(0, 3);
        codePage = CP_UTF8;
    }
    std::wstring text(L"\xFEFF");
    if (!bytes.empty()) {
        const int size = static_cast<int>(bytes.size());
        const int length = MultiByteToWideChar(codePage, 0, bytes.data(), size, nullptr, 0);
        text.resize(1 + static_cast<size_t>(std::max(length, 0)));
        if (length > 0) MultiByteToWideChar(codePage, 0, bytes.data(), size, text.data() + 1, length);
    }
    FileHandle file(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    const DWORD size = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    if (!file || !WriteFile(file.Get(), text.data(), size, &written, nullptr) || written != size)
        throw Exception(LoadText(IDS_UNABLE_TO_WRITE) + path);
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
    MakeUnicodeFile(path);
    const TIniFile file(path);
    file.WriteInteger(kSection, kCount, static_cast<int32_t>(names.size()));
    for (size_t i = 0; i < names.size(); ++i) file.WriteString(kSection, IntToStr(static_cast<long long>(i)), names[i]);
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

bool IsKept(const std::vector<std::wstring>& keepList, const std::wstring& name) {
    return std::find(keepList.begin(), keepList.end(), name) != keepList.end();
}

}  // namespace klarvex
