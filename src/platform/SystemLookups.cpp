#include "platform/SystemLookups.h"

#include <knownfolders.h>
#include <shlobj.h>
#include <wininet.h>

#include <vector>

#include "base/Handles.h"
#include "base/PathText.h"
#include "base/Strings.h"
#include "platform/RegistryKeys.h"
#include "platform/WindowsVersion.h"

namespace klarvex {

namespace {

constexpr DWORD kEndBrowserSession = 42;  // INTERNET_OPTION_END_BROWSER_SESSION
const wchar_t kCurrentVersionKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion";

// A folder the system names through a call that fills a MAX_PATH buffer.
std::wstring SystemFolder(UINT(WINAPI* lookup)(LPWSTR, UINT)) {
    wchar_t path[MAX_PATH];
    const UINT length = lookup(path, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::wstring(path, length) : std::wstring();
}

}  // namespace

std::wstring ShellFoldersValue(HKEY root, const wchar_t* name) {
    return ReadRegString(root, L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", name);
}

std::wstring KnownFolderPath(const GUID& id) {
    PWSTR path = nullptr;
    const HRESULT result = SHGetKnownFolderPath(id, KF_FLAG_DONT_VERIFY, nullptr, &path);
    const std::wstring text = SUCCEEDED(result) && path ? WithBackslash(path) : std::wstring();
    CoTaskMemFree(path);
    return text;
}

void EndBrowserSession() { InternetSetOptionA(nullptr, kEndBrowserSession, nullptr, 0); }

std::wstring ShellFolderPath(int csidl) {
    ItemIdList items;
    if (FAILED(SHGetSpecialFolderLocation(nullptr, csidl, items.Put())) || !items) return {};
    wchar_t path[MAX_PATH] = {};
    if (!SHGetPathFromIDListW(items.Get(), path) || path[0] == L'\0') return {};
    return WithBackslash(path);
}

std::wstring GetMyDocumentsDir() { return ShellFolderPath(CSIDL_PERSONAL); }

std::wstring GetAppDataDir() {
    EndBrowserSession();
    return ShellFolderPath(CSIDL_APPDATA);
}

std::wstring GetLocalAppDataDir() { return WithBackslash(ShellFoldersValue(HKEY_CURRENT_USER, L"Local AppData")); }

std::wstring GetLocalLowAppDataDir() { return KnownFolderPath(FOLDERID_LocalAppDataLow); }

std::wstring GetProgramFilesDir() { return ReadRegString(HKEY_LOCAL_MACHINE, kCurrentVersionKey, L"ProgramFilesDir"); }

std::vector<std::wstring> GetProgramFilesDirs() {
    std::vector<std::wstring> folders;
    for (const wchar_t* name : {L"ProgramFilesDir", L"ProgramFilesDir (x86)"}) {
        const std::wstring folder = ReadRegString(HKEY_LOCAL_MACHINE, kCurrentVersionKey, name);
        if (folder.empty()) continue;
        bool known = false;
        for (const auto& other : folders) known = known || SameText(WithBackslash(other), WithBackslash(folder));
        if (!known) folders.push_back(folder);
    }
    return folders;
}

std::wstring GetWindowsDir() { return SystemFolder(GetWindowsDirectoryW); }

std::wstring GetSystemDir() { return SystemFolder(GetSystemDirectoryW); }

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
    Sid administrators;
    if (!AllocateAndInitializeSid(&ntAuthority, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0,
                                  0, 0, administrators.Put()))
        return false;
    const auto* groups = reinterpret_cast<const TOKEN_GROUPS*>(buffer.data());
    for (DWORD i = 0; i < groups->GroupCount; ++i) {
        // Under user account control the group is present but only to deny
        // access; such a user cannot open the machine's keys for writing.
        if (groups->Groups[i].Attributes & SE_GROUP_USE_FOR_DENY_ONLY) continue;
        if (EqualSid(groups->Groups[i].Sid, administrators.Get())) return true;
    }
    return false;
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

}  // namespace klarvex
