#include "platform/SafetyGuard.h"

#include <windows.h>

#include <knownfolders.h>
#include <shlobj.h>

#include <algorithm>

#include "base/Handles.h"
#include "base/PathText.h"
#include "base/Strings.h"
#include "platform/Folders.h"
#include "platform/SystemLookups.h"

namespace klarvex {

namespace {

// The folder that holds folder (both with a trailing backslash), or "".
std::wstring ParentFolder(const std::wstring& folder) {
    if (folder.size() < 2) return {};
    const size_t slash = folder.rfind(L'\\', folder.size() - 2);
    return slash == std::wstring::npos ? std::wstring() : folder.substr(0, slash + 1);
}

std::wstring WithoutTrailingBackslash(std::wstring path) {
    while (path.size() > 3 && path.back() == L'\\') path.pop_back();
    return path;
}

// The path the file system gives an existing file or folder once opened;
// nothing when it cannot be opened.
std::optional<std::wstring> FinalPath(const std::wstring& path) {
    FileHandle opened(CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!opened) return std::nullopt;
    std::vector<wchar_t> buffer(32 * 1024);
    const DWORD length = GetFinalPathNameByHandleW(opened.Get(), buffer.data(), static_cast<DWORD>(buffer.size()),
                                                   FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (length == 0 || length >= buffer.size()) return std::nullopt;
    return WithoutTrailingBackslash(WithoutDevicePrefix({buffer.data(), length}));
}

// The folders no rule may wipe, as the system names them. They are asked
// for by their known-folder IDs: the path comes straight back, without the
// item-list round trip every run would otherwise pay for.
std::vector<std::wstring> ProtectedFolders() {
    std::vector<std::wstring> folders;
    auto add = [&](const std::wstring& folder) {
        if (!folder.empty()) folders.push_back(WithBackslash(folder));
    };
    add(GetWindowsDir());
    add(GetSystemDir());
    wchar_t wow64[MAX_PATH];
    const UINT length = GetSystemWow64DirectoryW(wow64, MAX_PATH);
    if (length > 0 && length < MAX_PATH) add(std::wstring(wow64, length));
    for (const auto& programFiles : GetProgramFilesDirs()) {
        add(programFiles);
        add(WithBackslash(programFiles) + L"Common Files");
    }
    add(KnownFolderPath(FOLDERID_ProgramData));
    // Every profile of the machine, the user's own and the public one.
    const std::wstring profile = KnownFolderPath(FOLDERID_Profile);
    const std::wstring users = ParentFolder(profile);
    add(profile);
    add(users);
    if (!users.empty()) {
        ForEachEntry(users, [&](const FolderEntry& entry) {
            if (entry.isFolder) add(users + entry.name);
            return true;
        });
    }
    add(KnownFolderPath(FOLDERID_Public));
    const std::wstring roaming = KnownFolderPath(FOLDERID_RoamingAppData);
    add(roaming);
    add(ParentFolder(roaming));  // AppData
    add(KnownFolderPath(FOLDERID_LocalAppData));
    add(GetLocalLowAppDataDir());
    for (const GUID* id :
         {&FOLDERID_Desktop, &FOLDERID_Music, &FOLDERID_Pictures, &FOLDERID_Videos, &FOLDERID_Downloads})
        add(KnownFolderPath(*id));
    return folders;
}

void AddResolved(std::vector<std::wstring>& list, const std::wstring& folder) {
    list.push_back(UpperCase(WithBackslash(TSafetyGuard::ResolvedPath(folder))));
}

bool Contains(const std::vector<std::wstring>& list, const std::wstring& upperFolder) {
    return std::find(list.begin(), list.end(), upperFolder) != list.end();
}

}  // namespace

TSafetyGuard::TSafetyGuard() {
    for (const auto& folder : ProtectedFolders()) AddResolved(folders_, folder);
    const std::wstring documents = GetMyDocumentsDir();
    if (!documents.empty()) {
        for (const auto& folder : {documents, documents + L"My Pictures\\"}) {
            AddResolved(folders_, folder);
            AddResolved(askForFiles_, folder);
        }
    }
}

std::wstring TSafetyGuard::ResolvedPath(const std::wstring& path) {
    std::vector<wchar_t> buffer(32 * 1024);
    const DWORD size = static_cast<DWORD>(buffer.size());
    const DWORD length = GetFullPathNameW(WithoutDevicePrefix(path).c_str(), size, buffer.data(), nullptr);
    if (length == 0 || length >= size) return WithoutTrailingBackslash(path);
    std::wstring existing = WithoutTrailingBackslash({buffer.data(), length});
    std::wstring rest;
    for (;;) {
        if (const auto final = FinalPath(existing)) return *final + rest;
        const size_t slash = existing.rfind(L'\\');
        if (slash == std::wstring::npos || IsRootFolder(WithBackslash(existing))) return existing + rest;
        rest = existing.substr(slash) + rest;
        existing = WithoutTrailingBackslash(existing.substr(0, slash + 1));
    }
}

TSafetyGuard::Protection TSafetyGuard::ProtectionOf(const std::wstring& folder) const {
    const std::wstring resolved = UpperCase(WithBackslash(ResolvedPath(folder)));
    return {IsRootFolder(resolved) || IsRootFolder(WithBackslash(folder)), Contains(folders_, resolved),
            Contains(askForFiles_, resolved)};
}

bool TSafetyGuard::HoldsProtected(const std::wstring& folder) const {
    const std::wstring resolved = UpperCase(WithBackslash(ResolvedPath(folder)));
    if (IsRootFolder(resolved)) return true;
    return std::any_of(folders_.begin(), folders_.end(),
                       [&](const std::wstring& protectedFolder) { return protectedFolder.starts_with(resolved); });
}

bool TSafetyGuard::ReachedThroughProtected(std::wstring_view rulePath, const std::wstring& folder) const {
    std::wstring ancestor = WithBackslash(ResolvedPath(folder));
    for (size_t level = TrailingEverythingNames(rulePath); level > 0; --level) {
        ancestor = ParentFolder(ancestor);
        if (ancestor.empty()) return false;
        if (ProtectionOf(ancestor).Any()) return true;
    }
    return false;
}

}  // namespace klarvex
