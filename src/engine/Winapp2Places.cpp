#include "engine/Winapp2Places.h"

#include <windows.h>
#include <knownfolders.h>
#include <lmcons.h>
#include <shlobj.h>

#include "base/Handles.h"
#include "base/PathText.h"
#include "base/Strings.h"
#include "platform/Folders.h"
#include "platform/RegistryKeys.h"
#include "platform/SystemLookups.h"

namespace klarvex {

std::vector<Winapp2Entry> LoadWinapp2File(const std::wstring& path) {
    const auto bytes = ReadWholeFile(path, kMaxWinapp2FileBytes);
    if (!bytes) return {};
    std::vector<Winapp2Entry> entries = ParseWinapp2(DecodeTextFile(*bytes, CP_UTF8));
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
            if (!value.empty()) usable.push_back(WithoutTrailingBackslash(std::move(value)));
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

namespace {

// The names of a path after its drive or share ("C:\\a\\b" gives a, b);
// nothing for a path without a drive or share.
std::optional<std::pair<std::wstring, std::vector<std::wstring>>> RootAndNames(const std::wstring& path) {
    const std::wstring plain = WithoutDevicePrefix(path);
    size_t rootEnd = 0;
    if (plain.size() >= 3 && plain[1] == L':' && plain[2] == L'\\') {
        rootEnd = 3;
    } else if (plain.starts_with(L"\\\\")) {
        const size_t server = plain.find(L'\\', 2);
        const size_t share = server == std::wstring::npos ? server : plain.find(L'\\', server + 1);
        if (share == std::wstring::npos) return std::nullopt;
        rootEnd = share + 1;
    } else {
        return std::nullopt;
    }
    std::vector<std::wstring> names;
    for (size_t start = rootEnd; start < plain.size();) {
        size_t end = plain.find(L'\\', start);
        if (end == std::wstring::npos) end = plain.size();
        if (end > start) names.push_back(plain.substr(start, end - start));
        start = end + 1;
    }
    return std::make_pair(plain.substr(0, rootEnd), std::move(names));
}

}  // namespace

const TWinapp2Detector::Listing& TWinapp2Detector::FolderListing(const std::wstring& folder) {
    const auto [known, fresh] = folders_.try_emplace(UpperCase(folder));
    if (fresh) {
        ForEachEntry(folder, [&](const FolderEntry& entry) {
            known->second.emplace(UpperCase(entry.name), entry.isFolder);
            return true;
        });
    }
    return known->second;
}

bool TWinapp2Detector::Budget() { return ++wildcardWork_ <= kMaxWildcardDetectionWork; }

const std::vector<std::wstring>& TWinapp2Detector::FoldersOf(const std::wstring& root,
                                                             const std::vector<std::wstring>& names, size_t count) {
    std::wstring id = UpperCase(root);
    for (size_t i = 0; i < count; ++i) id += L'\\' + UpperCase(names[i]);
    if (const auto known = folderSets_.find(id); known != folderSets_.end()) return known->second;
    std::vector<std::wstring> folders;
    if (count == 0) {
        folders.push_back(root);
    } else {
        const std::wstring upper = UpperCase(names[count - 1]);
        const bool wildcard = HasWildcard(upper);
        for (const auto& parent : FoldersOf(root, names, count - 1)) {
            const Listing& listing = FolderListing(parent);
            if (!wildcard) {
                const auto found = listing.find(upper);
                if (found != listing.end() && found->second) folders.push_back(parent + upper + L"\\");
                continue;
            }
            for (const auto& [name, isFolder] : listing) {
                if (!Budget()) break;
                if (isFolder && WildcardMatch(upper, name)) folders.push_back(parent + name + L"\\");
            }
        }
    }
    return folderSets_.emplace(std::move(id), std::move(folders)).first->second;
}

bool TWinapp2Detector::FoundBelow(const std::wstring& root, const std::vector<std::wstring>& names) {
    if (names.empty()) return true;
    // The names of every folder the path's folders stand for, gathered
    // once for all the entries that look there.
    const auto& parents = FoldersOf(root, names, names.size() - 1);
    std::wstring id = UpperCase(root);
    for (size_t i = 0; i + 1 < names.size(); ++i) id += L'\\' + UpperCase(names[i]);
    auto [children, fresh] = childNames_.try_emplace(id);
    if (fresh) {
        for (const auto& parent : parents)
            for (const auto& [name, isFolder] : FolderListing(parent))
                if (Budget()) children->second.insert(name);
    }
    const std::wstring upper = UpperCase(names.back());
    if (!HasWildcard(upper)) return children->second.count(upper) > 0;
    for (const auto& name : children->second) {
        if (!Budget()) return false;
        if (WildcardMatch(upper, name)) return true;
    }
    return false;
}

bool TWinapp2Detector::PathExists(const std::wstring& text) {
    for (const auto& path : ExpandWinapp2Variables(text, variables_)) {
        const auto parts = RootAndNames(path);
        if (parts && FoundBelow(parts->first, parts->second)) return true;
    }
    return false;
}

const TWinapp2Detector::Listing& TWinapp2Detector::SubkeyListing(HKEY root, REGSAM view, const std::wstring& keyPath) {
    const std::wstring id = RootKeyName(root) + L"|" + std::to_wstring(view) + L"|" + UpperCase(keyPath);
    const auto [known, fresh] = keys_.try_emplace(id);
    if (fresh) {
        RegKey key;
        if (RegOpenKeyExW(root, keyPath.c_str(), 0, KEY_READ | view, key.Put()) == ERROR_SUCCESS)
            for (const auto& name : SubkeyNames(key.Get())) known->second.emplace(UpperCase(name), true);
    }
    return known->second;
}

bool TWinapp2Detector::KeyExists(const std::wstring& text) {
    const auto key = SplitWinapp2Key(text);
    if (!key) return false;
    const HKEY root = RootKeyHandle(key->root);
    // A 32-bit program's keys under the local machine are in the 32-bit view.
    const std::vector<REGSAM> views = key->root == RootKey::LocalMachine
                                          ? std::vector<REGSAM>{KEY_WOW64_64KEY, KEY_WOW64_32KEY}
                                          : std::vector<REGSAM>{0};
    for (const REGSAM view : views) {
        std::wstring parent;
        bool found = true;
        for (size_t start = 0; found && start < key->path.size();) {
            size_t end = key->path.find(L'\\', start);
            if (end == std::wstring::npos) end = key->path.size();
            const std::wstring name = key->path.substr(start, end - start);
            if (!name.empty()) {
                found = SubkeyListing(root, view, parent).count(UpperCase(name)) > 0;
                parent += (parent.empty() ? L"" : L"\\") + name;
            }
            start = end + 1;
        }
        if (found) return true;
    }
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
