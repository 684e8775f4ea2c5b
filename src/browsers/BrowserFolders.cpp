#include "browsers/BrowserFolders.h"

#include "engine/Folders.h"
#include "engine/RuleText.h"
#include "engine/SystemLookups.h"

namespace klarvex {

namespace {

// base + path when base is known and that is a plain folder; "" otherwise.
std::wstring FolderBelow(const std::wstring& base, const std::wstring& path) {
    if (base.empty()) return {};
    const std::wstring folder = base + path;
    return IsPlainFolder(folder) ? folder : std::wstring();
}

}  // namespace

std::wstring GetFirefoxProfilesDir() { return FolderBelow(GetAppDataDir(), L"Mozilla\\Firefox\\Profiles"); }

std::wstring GetFirefoxLocalProfilesDir() {
    return FolderBelow(GetLocalAppDataDir(), L"Mozilla\\Firefox\\Profiles");
}

std::wstring GetNetscapeProfileDir(const std::stop_token& stop) {
    const std::wstring appData = GetAppDataDir();
    if (appData.empty()) return {};
    const std::wstring base = appData + L"Netscape\\NSB\\Profiles\\";
    std::wstring candidate = base + L"pbzik8cu.default";
    if (!IsPlainFolder(candidate) && IsPlainFolder(base)) {
        ForEachEntry(base, [&](const FolderEntry& entry) {
            if (stop.stop_requested()) return false;
            if (!entry.isFolder) return true;
            candidate = base + entry.name;
            return candidate.find(L".default") == std::wstring::npos;
        });
    }
    return IsPlainFolder(candidate) ? WithBackslash(candidate) : std::wstring();
}

std::wstring GetOperaDir() { return WithBackslash(FolderBelow(GetAppDataDir(), L"Opera")); }

std::wstring GetOperaLocalDir() { return WithBackslash(FolderBelow(GetLocalAppDataDir(), L"Opera")); }

std::wstring GetChromeUserDir() {
    return WithBackslash(FolderBelow(GetLocalAppDataDir(), L"Google\\Chrome\\User Data\\Default"));
}

std::vector<std::wstring> GetChromeProfileDirs() {
    std::vector<std::wstring> profiles;
    if (const std::wstring profile = GetChromeUserDir(); !profile.empty()) profiles.push_back(profile);
    const std::wstring userData = WithBackslash(FolderBelow(GetLocalAppDataDir(), L"Google\\Chrome\\User Data"));
    if (userData.empty()) return profiles;
    ForEachEntry(userData, [&](const FolderEntry& entry) {
        const std::wstring profile = userData + entry.name + L"\\";
        const DWORD preferences = GetFileAttributesW((profile + L"Preferences").c_str());
        if (entry.isFolder && entry.name != L"Default" && preferences != INVALID_FILE_ATTRIBUTES &&
            !(preferences & FILE_ATTRIBUTE_DIRECTORY))
            profiles.push_back(profile);
        return true;
    });
    return profiles;
}

}  // namespace klarvex
