#include "engine/SystemLookups.h"

#include <shlobj.h>
#include <wininet.h>

#include <vector>

#include "base/Handles.h"

namespace klarvex {

namespace {

constexpr DWORD kEndBrowserSession = 42;  // INTERNET_OPTION_END_BROWSER_SESSION

std::wstring ShellFoldersValue(HKEY root, const wchar_t* name) {
    return ReadRegString(root, L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", name);
}

}  // namespace

std::wstring WithBackslash(std::wstring path) {
    if (path.empty() || path.back() != L'\\') path += L'\\';
    return path;
}

void EndBrowserSession() { InternetSetOptionA(nullptr, kEndBrowserSession, nullptr, 0); }

std::wstring GetMyDocumentsDir() {
    wchar_t path[MAX_PATH];
    // Never ask the shell to create the folder: Wine would recreate a
    // missing user folder as a link out of the prefix.
    if (!SHGetSpecialFolderPathW(nullptr, path, CSIDL_PERSONAL, FALSE) || path[0] == L'\0') return {};
    return WithBackslash(path);
}

std::wstring GetAppDataDir() {
    EndBrowserSession();
    LPITEMIDLIST list = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(nullptr, CSIDL_APPDATA, &list)) || !list) return {};
    wchar_t path[MAX_PATH] = {};
    const BOOL ok = SHGetPathFromIDListW(list, path);
    CoTaskMemFree(list);
    if (!ok || path[0] == L'\0') return {};
    return WithBackslash(path);
}

std::wstring GetProgramFilesDir() {
    return ReadRegString(HKEY_LOCAL_MACHINE, L"\\Software\\Microsoft\\Windows\\CurrentVersion", L"ProgramFilesDir");
}

std::wstring GetWindowsDir() {
    wchar_t path[MAX_PATH];
    const UINT length = GetWindowsDirectoryW(path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return {};
    return std::wstring(path, length);
}

std::wstring ReadRegString(HKEY root, const std::wstring& keyPath, const std::wstring& valueName) {
    const std::wstring path = keyPath.starts_with(L'\\') ? keyPath.substr(1) : keyPath;
    RegKey key;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_QUERY_VALUE, key.Put()) != ERROR_SUCCESS) return {};
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExW(key.Get(), valueName.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return {};
    if (type != REG_SZ && type != REG_EXPAND_SZ) return {};
    std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 1, L'\0');
    DWORD bytes = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
    if (RegQueryValueExW(key.Get(), valueName.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()),
                         &bytes) != ERROR_SUCCESS)
        return {};
    // The stored text need not end in a NUL; it ends at the first one.
    std::wstring text(buffer.data(), bytes / sizeof(wchar_t));
    return text.substr(0, text.find(L'\0'));
}

bool IsFileLocked(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
    FileHandle file(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    return !file;
}

int32_t GetWindowsVersion() {
    OSVERSIONINFOW info = {};
    info.dwOSVersionInfoSize = sizeof(info);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (!GetVersionExW(&info)) return 10;
#pragma GCC diagnostic pop
    return WindowsVersionCode(info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion);
}

bool IsAdminUser() {
    UniqueHandle token;
    if (!OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, TRUE, token.Put())) {
        if (GetLastError() != ERROR_NO_TOKEN) return false;
        if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.Put())) return false;
    }
    // Ask for the size first: a user in many groups needs more than a
    // fixed buffer would hold, and would wrongly count as no administrator.
    DWORD size = 0;
    GetTokenInformation(token.Get(), TokenGroups, nullptr, 0, &size);
    if (size == 0) return false;
    std::vector<BYTE> buffer(size);
    if (!GetTokenInformation(token.Get(), TokenGroups, buffer.data(), size, &size)) return false;

    SID_IDENTIFIER_AUTHORITY ntAuthority = SECURITY_NT_AUTHORITY;
    PSID administrators = nullptr;
    if (!AllocateAndInitializeSid(&ntAuthority, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0,
                                  0, 0, &administrators))
        return false;
    const auto* groups = reinterpret_cast<const TOKEN_GROUPS*>(buffer.data());
    bool found = false;
    for (DWORD i = 0; i < groups->GroupCount && !found; ++i) {
        // Under user account control the group is present but only to deny
        // access; such a user cannot open the machine's keys for writing.
        if (groups->Groups[i].Attributes & SE_GROUP_USE_FOR_DENY_ONLY) continue;
        found = EqualSid(groups->Groups[i].Sid, administrators) != FALSE;
    }
    FreeSid(administrators);
    return found;
}

RulePlaceholders ReadRulePlaceholders() {
    RulePlaceholders values;
    values.programFiles = GetProgramFilesDir();
    values.windowsDir = GetWindowsDir();
    values.localAppData = ShellFoldersValue(HKEY_CURRENT_USER, L"Local AppData");
    values.currentAppData = ShellFoldersValue(HKEY_CURRENT_USER, L"AppData");
    values.commonAppData = ShellFoldersValue(HKEY_LOCAL_MACHINE, L"Common AppData");
    return values;
}

HKEY RootKeyHandle(RootKey root) {
    switch (root) {
        case RootKey::ClassesRoot: return HKEY_CLASSES_ROOT;
        case RootKey::CurrentUser: return HKEY_CURRENT_USER;
        case RootKey::LocalMachine: return HKEY_LOCAL_MACHINE;
        case RootKey::Users: return HKEY_USERS;
        case RootKey::CurrentConfig: return HKEY_CURRENT_CONFIG;
        case RootKey::None: break;
    }
    return nullptr;
}

std::wstring RootKeyName(HKEY root) {
    for (RootKey r : {RootKey::ClassesRoot, RootKey::CurrentUser, RootKey::LocalMachine, RootKey::Users,
                      RootKey::CurrentConfig})
        if (RootKeyHandle(r) == root) return RootKeyText(r);
    return {};
}

int32_t CountRegValues(HKEY root, const std::wstring& keyPath) {
    RegKey key;
    if (RegOpenKeyExW(root, keyPath.c_str(), 0, KEY_ALL_ACCESS, key.Put()) != ERROR_SUCCESS) return 0;
    DWORD subkeys = 0, maxSubkeyLength = 0, values = 0;
    if (RegQueryInfoKeyW(key.Get(), nullptr, nullptr, nullptr, &subkeys, &maxSubkeyLength, nullptr, &values, nullptr,
                         nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        return 0;
    int32_t count = static_cast<int32_t>(values);
    std::vector<wchar_t> name(maxSubkeyLength + 2);
    for (DWORD i = 0; i < subkeys; ++i) {
        DWORD length = static_cast<DWORD>(name.size());
        if (RegEnumKeyExW(key.Get(), i, name.data(), &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            continue;
        count += CountRegValues(root, keyPath + L"\\" + std::wstring(name.data(), length));
    }
    return count;
}

}  // namespace klarvex
