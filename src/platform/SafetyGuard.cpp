#include "platform/SafetyGuard.h"

#include <windows.h>

#include <knownfolders.h>
#include <shlobj.h>

#include <algorithm>
#include <set>

#include "base/Handles.h"
#include "base/PathText.h"
#include "base/Strings.h"
#include "platform/Folders.h"
#include "platform/RegistryKeys.h"
#include "platform/SystemLookups.h"

namespace klarvex {

namespace {

// The folder that holds folder (both with a trailing backslash), or "".
std::wstring ParentFolder(const std::wstring& folder) {
    if (folder.size() < 2) return {};
    const size_t slash = folder.rfind(L'\\', folder.size() - 2);
    return slash == std::wstring::npos ? std::wstring() : folder.substr(0, slash + 1);
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

// The folders a profile keeps the user's own things in, by the names they
// have in every profile; in another user's profile the shell cannot tell
// where that user moved them, so the names are what is known.
constexpr const wchar_t* kProfileFolders[] = {
    L"Desktop", L"Documents", L"My Documents", L"Downloads", L"Music", L"Pictures", L"Videos",
    L"Favorites", L"Contacts", L"Links", L"Saved Games", L"Searches", L"3D Objects", L"OneDrive",
    L"AppData", L"AppData\\Roaming", L"AppData\\Local", L"AppData\\LocalLow", L"Documents\\My Pictures"};
// Of those, the ones whose files are asked about even when a rule names
// them one by one.
constexpr const wchar_t* kProfileFoldersAskedForFiles[] = {L"Documents", L"My Documents",
                                                           L"Documents\\My Pictures"};

// text with its %variables% expanded; "" when it cannot be.
std::wstring ExpandedText(const std::wstring& text) {
    if (text.empty()) return {};
    std::vector<wchar_t> buffer(MAX_PATH);
    for (int attempt = 0; attempt < 2; ++attempt) {
        const DWORD length = ExpandEnvironmentStringsW(text.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) return {};
        if (length <= buffer.size()) return std::wstring(buffer.data());
        buffer.resize(length);
    }
    return {};
}

// Every profile of the machine: those the registry's profile list names,
// and every folder in the users folder (Public and Default among them).
std::vector<std::wstring> Profiles(const std::wstring& users) {
    std::vector<std::wstring> profiles;
    if (!users.empty()) {
        ForEachEntry(users, [&](const FolderEntry& entry) {
            if (entry.isFolder) profiles.push_back(users + entry.name);
            return true;
        });
    }
    const wchar_t* const kProfileList = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList";
    RegKey list;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kProfileList, 0, KEY_READ, list.Put()) == ERROR_SUCCESS) {
        for (const auto& sid : SubkeyNames(list.Get())) {
            const std::wstring path = ExpandedText(ReadRegString(list.Get(), sid, L"ProfileImagePath"));
            if (IsAbsolutePath(path)) profiles.push_back(path);
        }
    }
    return profiles;
}

// The folders no rule may wipe, as the system names them. They are asked
// for by their known-folder IDs: the path comes straight back, without the
// item-list round trip every run would otherwise pay for.
struct Folders {
    std::vector<std::wstring> all;
    std::vector<std::wstring> askedForFiles;
};
Folders ProtectedFolders() {
    Folders folders;
    // Each resolved once: the same folder comes as a profile's, the shell's
    // and the registry's.
    std::set<std::wstring> added;
    auto add = [&](const std::wstring& folder) {
        if (!folder.empty() && added.insert(UpperCase(WithBackslash(folder))).second)
            folders.all.push_back(WithBackslash(folder));
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
    // Every profile of the machine, the user's own and the public one, and
    // what each keeps the user's things in.
    const std::wstring profile = KnownFolderPath(FOLDERID_Profile);
    const std::wstring users = ParentFolder(profile);
    add(users);
    std::vector<std::wstring> profiles = Profiles(users);
    profiles.push_back(profile);
    profiles.push_back(KnownFolderPath(FOLDERID_Public));
    std::set<std::wstring> seen;
    for (const auto& folder : profiles) {
        if (folder.empty() || !seen.insert(UpperCase(WithBackslash(folder))).second) continue;
        add(folder);
        // A folder that is not there holds nothing to protect.
        for (const wchar_t* name : kProfileFolders)
            if (IsPlainFolder(WithBackslash(folder) + name)) add(WithBackslash(folder) + name);
        for (const wchar_t* name : kProfileFoldersAskedForFiles)
            if (IsPlainFolder(WithBackslash(folder) + name))
                folders.askedForFiles.push_back(WithBackslash(WithBackslash(folder) + name));
    }
    // Where the shell keeps the user's and the public folders, wherever
    // they were moved.
    const std::wstring roaming = KnownFolderPath(FOLDERID_RoamingAppData);
    add(roaming);
    add(ParentFolder(roaming));  // AppData
    add(KnownFolderPath(FOLDERID_LocalAppData));
    add(GetLocalLowAppDataDir());
    for (const GUID* id : {&FOLDERID_Desktop, &FOLDERID_Music, &FOLDERID_Pictures, &FOLDERID_Videos,
                           &FOLDERID_Downloads, &FOLDERID_Favorites, &FOLDERID_Contacts, &FOLDERID_Links,
                           &FOLDERID_SavedGames, &FOLDERID_SavedSearches, &FOLDERID_PublicDesktop,
                           &FOLDERID_PublicDownloads, &FOLDERID_PublicMusic, &FOLDERID_PublicPictures,
                           &FOLDERID_PublicVideos})
        add(KnownFolderPath(*id));
    for (const auto& documents : {GetMyDocumentsDir(), KnownFolderPath(FOLDERID_PublicDocuments)}) {
        if (documents.empty()) continue;
        for (const auto& folder : {documents, documents + L"My Pictures\\"}) {
            add(folder);
            folders.askedForFiles.push_back(folder);
        }
    }
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
    const Folders folders = ProtectedFolders();
    for (const auto& folder : folders.all) AddResolved(folders_, folder);
    for (const auto& folder : folders.askedForFiles) AddResolved(askForFiles_, folder);
    std::vector<std::wstring> systemFolders = GetProgramFilesDirs();
    systemFolders.push_back(GetWindowsDir());
    for (const auto& folder : systemFolders)
        if (!folder.empty()) AddResolved(systemFolders_, folder);
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

bool TSafetyGuard::InSystemFolder(const std::wstring& folder) const {
    const std::wstring resolved = UpperCase(WithBackslash(ResolvedPath(folder)));
    return std::any_of(systemFolders_.begin(), systemFolders_.end(),
                       [&](const std::wstring& system) { return resolved.starts_with(system); });
}

bool TSafetyGuard::HoldsProtected(const std::wstring& folder) const {
    const std::wstring resolved = UpperCase(WithBackslash(ResolvedPath(folder)));
    if (IsRootFolder(resolved)) return true;
    return std::any_of(folders_.begin(), folders_.end(),
                       [&](const std::wstring& protectedFolder) { return protectedFolder.starts_with(resolved); });
}

bool TSafetyGuard::ReachedThroughProtected(std::wstring_view rulePath, const std::wstring& folder) const {
    std::wstring ancestor = WithBackslash(ResolvedPath(folder));
    for (size_t level = TrailingWildcardNames(rulePath); level > 0; --level) {
        ancestor = ParentFolder(ancestor);
        if (ancestor.empty()) return false;
        if (ProtectionOf(ancestor).Any()) return true;
    }
    return false;
}

}  // namespace klarvex
