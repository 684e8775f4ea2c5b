#include "engine/Winapp2Places.h"

#include <windows.h>
#include <knownfolders.h>
#include <lmcons.h>
#include <shlobj.h>

#include "base/Handles.h"
#include "base/Strings.h"
#include "engine/Folders.h"
#include "engine/SystemLookups.h"

namespace klarvex {

namespace {

std::wstring WithoutBackslash(std::wstring folder) {
    while (folder.size() > 3 && folder.back() == L'\\') folder.pop_back();
    return folder;
}

}  // namespace

std::wstring DecodeWinapp2(std::string_view bytes) {
    if (bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE') {
        std::wstring text((bytes.size() - 2) / 2, L'\0');
        for (size_t i = 0; i < text.size(); ++i)
            text[i] = static_cast<wchar_t>(static_cast<unsigned char>(bytes[2 + 2 * i]) |
                                           static_cast<unsigned char>(bytes[3 + 2 * i]) << 8);
        return text;
    }
    if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
    return Utf8ToWide(bytes);
}

std::vector<Winapp2Entry> LoadWinapp2File(const std::wstring& path) {
    const auto bytes = ReadWholeFile(path, kMaxWinapp2FileBytes);
    if (!bytes) return {};
    std::vector<Winapp2Entry> entries = ParseWinapp2(DecodeWinapp2(*bytes));
    std::vector<Winapp2Entry> kept;
    std::map<std::wstring, bool> seen;
    for (auto& entry : entries)
        if (seen.emplace(UpperCase(entry.name), true).second) kept.push_back(std::move(entry));
    return kept;
}

std::vector<Winapp2Variable> ReadWinapp2Variables() {
    std::vector<Winapp2Variable> variables;
    auto add = [&](const wchar_t* name, std::vector<std::wstring> values) {
        std::vector<std::wstring> usable;
        for (auto& value : values)
            if (!value.empty()) usable.push_back(WithoutBackslash(std::move(value)));
        variables.push_back({name, std::move(usable)});
    };
    const std::wstring windows = GetWindowsDir();
    const std::vector<std::wstring> programFiles = GetProgramFilesDirs();
    std::vector<std::wstring> commonFiles;
    for (const auto& folder : programFiles) commonFiles.push_back(WithBackslash(folder) + L"Common Files");
    wchar_t temp[MAX_PATH + 1] = {};
    const DWORD tempLength = GetTempPathW(MAX_PATH + 1, temp);
    wchar_t user[UNLEN + 1] = {};
    DWORD userLength = UNLEN + 1;
    const bool haveUser = GetUserNameW(user, &userLength) != 0;

    add(L"LOCALAPPDATA", {GetLocalAppDataDir()});
    add(L"APPDATA", {ShellFolderPath(CSIDL_APPDATA)});
    add(L"PROGRAMFILES", programFiles);
    add(L"PROGRAMDATA", {ShellFolderPath(CSIDL_COMMON_APPDATA)});
    add(L"COMMONAPPDATA", {ShellFolderPath(CSIDL_COMMON_APPDATA)});
    add(L"USERPROFILE", {ShellFolderPath(CSIDL_PROFILE)});
    add(L"WINDIR", {windows});
    add(L"SYSTEMROOT", {windows});
    add(L"SYSTEMDRIVE", {windows.size() >= 2 && windows[1] == L':' ? windows.substr(0, 2) : std::wstring()});
    add(L"COMMONPROGRAMFILES", commonFiles);
    add(L"PUBLIC", {KnownFolderPath(FOLDERID_Public)});
    add(L"TEMP", {tempLength > 0 && tempLength <= MAX_PATH ? std::wstring(temp, tempLength) : std::wstring()});
    add(L"TMP", {tempLength > 0 && tempLength <= MAX_PATH ? std::wstring(temp, tempLength) : std::wstring()});
    add(L"LOCALLOWAPPDATA", {GetLocalLowAppDataDir()});
    add(L"DOCUMENTS", {GetMyDocumentsDir()});
    // A name, not a folder: it stands inside paths ("C:\Users\%UserName%").
    variables.push_back({L"USERNAME", {haveUser ? std::wstring(user) : std::wstring()}});
    return variables;
}

std::vector<std::wstring> FindWinapp2Paths(std::wstring_view text, const std::vector<Winapp2Variable>& variables,
                                           bool lastMayBeFile) {
    std::vector<std::wstring> found;
    for (const auto& path : ExpandWinapp2Variables(text, variables))
        for (auto& each : ExpandWildcardPath(path, lastMayBeFile)) found.push_back(std::move(each));
    return found;
}

Winapp2Version RunningWindowsVersion() {
    OSVERSIONINFOW info = {};
    info.dwOSVersionInfoSize = sizeof(info);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (!GetVersionExW(&info)) return {};
#pragma GCC diagnostic pop
    return {info.dwMajorVersion, info.dwMinorVersion};
}

TWinapp2Detector::TWinapp2Detector(std::vector<Winapp2Variable> variables, Winapp2Version windows)
    : variables_(std::move(variables)), windows_(windows) {}

bool TWinapp2Detector::KeyExists(const std::wstring& text) {
    const auto [known, fresh] = keys_.emplace(UpperCase(text), false);
    if (!fresh) return known->second;
    const auto key = SplitWinapp2Key(text);
    if (!key) return false;
    // A 32-bit program's keys under the local machine are in the 32-bit view.
    for (const REGSAM view : {KEY_WOW64_64KEY, KEY_WOW64_32KEY}) {
        RegKey opened;
        if (RegOpenKeyExW(RootKeyHandle(key->root), key->path.c_str(), 0, KEY_READ | view, opened.Put()) ==
            ERROR_SUCCESS)
            return known->second = true;
    }
    return false;
}

bool TWinapp2Detector::PathExists(const std::wstring& text) {
    const auto [known, fresh] = paths_.emplace(UpperCase(text), false);
    if (!fresh) return known->second;
    for (const auto& path : FindWinapp2Paths(text, variables_, true))
        if (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) return known->second = true;
    return false;
}

bool TWinapp2Detector::IsDetected(const Winapp2Entry& entry) {
    if (entry.osMin && windows_ < *entry.osMin) return false;
    if (entry.osMax && windows_ > *entry.osMax) return false;
    if (!entry.specialDetect.empty()) {
        const auto folder = SpecialDetectFolder(entry.specialDetect);
        if (!folder || !PathExists(*folder)) return false;
    }
    if (entry.detectKeys.empty() && entry.detectFiles.empty()) return true;
    for (const auto& key : entry.detectKeys)
        if (KeyExists(key)) return true;
    for (const auto& path : entry.detectFiles)
        if (PathExists(path)) return true;
    return false;
}

}  // namespace klarvex
