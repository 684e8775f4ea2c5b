#include "cleaners/BrowserFolders.h"

#include "base/PathText.h"
#include "platform/Folders.h"
#include "platform/SystemLookups.h"

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

namespace {

const wchar_t* UserDataFolder(Chromium browser) {
    switch (browser) {
        case Chromium::Edge: return L"Microsoft\\Edge\\User Data\\";
        case Chromium::Brave: return L"BraveSoftware\\Brave-Browser\\User Data\\";
        case Chromium::Chrome:
        case Chromium::OperaStable: break;
    }
    return L"Google\\Chrome\\User Data\\";
}

}  // namespace

const wchar_t kOperaStable[] = L"Opera Software\\Opera Stable";

std::wstring GetChromiumUserDataDir(Chromium browser) {
    if (browser == Chromium::OperaStable) return WithBackslash(FolderBelow(GetAppDataDir(), kOperaStable));
    return WithBackslash(FolderBelow(GetLocalAppDataDir(), UserDataFolder(browser)));
}

std::vector<std::wstring> GetChromiumProfileDirs(Chromium browser) {
    std::vector<std::wstring> profiles;
    const std::wstring userData = GetChromiumUserDataDir(browser);
    if (userData.empty()) return profiles;
    if (browser == Chromium::OperaStable) return {userData};
    if (IsPlainFolder(userData + L"Default")) profiles.push_back(userData + L"Default\\");
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

std::wstring ChromiumCacheDir(Chromium browser, const std::wstring& profile) {
    if (browser != Chromium::OperaStable) return profile + L"Cache";
    const std::wstring local = FolderBelow(GetLocalAppDataDir(), kOperaStable);
    return local.empty() ? std::wstring() : WithBackslash(local) + L"Cache";
}

}  // namespace klarvex
