#include "platform/RegistryPaths.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace klarvex {

namespace {

bool StartsWith(std::wstring_view text, std::wstring_view prefix) {
    return text.size() >= prefix.size() && text.compare(0, prefix.size(), prefix) == 0;
}

}  // namespace

RootKey RootKeyFromName(std::wstring_view upperName) {
    if (upperName == L"HKEY_CLASSES_ROOT") return RootKey::ClassesRoot;
    if (upperName == L"HKEY_CURRENT_USER") return RootKey::CurrentUser;
    if (upperName == L"HKEY_LOCAL_MACHINE") return RootKey::LocalMachine;
    if (upperName == L"HKEY_USERS") return RootKey::Users;
    if (upperName == L"HKEY_CURRENT_CONFIG") return RootKey::CurrentConfig;
    return RootKey::None;
}

const wchar_t* RootKeyText(RootKey root) {
    switch (root) {
        case RootKey::ClassesRoot: return L"HKEY_CLASSES_ROOT";
        case RootKey::CurrentUser: return L"HKEY_CURRENT_USER";
        case RootKey::LocalMachine: return L"HKEY_LOCAL_MACHINE";
        case RootKey::Users: return L"HKEY_USERS";
        case RootKey::CurrentConfig: return L"HKEY_CURRENT_CONFIG";
        case RootKey::None: break;
    }
    return L"";
}

std::wstring TrimKeyPath(std::wstring_view keyPath) {
    const size_t first = keyPath.find_first_not_of(L'\\');
    if (first == std::wstring_view::npos) return {};
    const size_t last = keyPath.find_last_not_of(L'\\');
    return std::wstring(keyPath.substr(first, last - first + 1));
}

std::optional<std::wstring> CanonicalKeyPath(std::wstring_view keyPath) {
    std::wstring path;
    for (const wchar_t c : keyPath) {
        if (c < L' ' || c == 0x7F) return std::nullopt;
        // The registry takes "a\\b" for "a\b": one separator, as it does.
        if (c == L'\\' && (path.empty() || path.back() == L'\\')) continue;
        path += c;
    }
    if (!path.empty() && path.back() == L'\\') path.pop_back();
    return path;
}

namespace {

// Where a key lives, whichever root or view the text names it through.
enum class Hive { User, Machine, Config };
struct HiveKey {
    Hive hive;
    std::wstring path;  // canonical, upper case; the classes under SOFTWARE\CLASSES; 32-bit views as the native
};

// The key as its hive has it; nothing for a text no key name can be, a
// root, or a user's whole hive under HKEY_USERS.
std::optional<HiveKey> InHive(RootKey root, std::wstring_view upperKeyPath) {
    const auto canonical = CanonicalKeyPath(upperKeyPath);
    if (!canonical || root == RootKey::None) return std::nullopt;
    std::wstring path = TrimKeyPath(*canonical);
    if (root == RootKey::Users) {
        // HKEY_USERS\<user> is that user's whole hive, and below it the same
        // keys as under HKEY_CURRENT_USER; HKEY_USERS\<user>_Classes is the
        // user's part of the classes, which Software\Classes shows.
        const size_t slash = path.find(L'\\');
        if (slash == std::wstring::npos) return std::nullopt;
        const bool classes = std::wstring_view(path).substr(0, slash).ends_with(L"_CLASSES");
        path = (classes ? L"SOFTWARE\\CLASSES\\" : L"") + path.substr(slash + 1);
    }
    if (path.empty()) return std::nullopt;
    if (root == RootKey::ClassesRoot) path = L"SOFTWARE\\CLASSES\\" + path;
    // The 32-bit programs' views of Software and of the classes hold the
    // same keys.
    static constexpr std::pair<std::wstring_view, std::wstring_view> kViews[] = {
        {L"SOFTWARE\\WOW6432NODE\\", L"SOFTWARE\\"},
        {L"SOFTWARE\\CLASSES\\WOW6432NODE\\", L"SOFTWARE\\CLASSES\\"}};
    for (const auto& [view, same] : kViews)
        if (StartsWith(path, view)) path = std::wstring(same) + path.substr(view.size());
    const Hive hive = root == RootKey::LocalMachine    ? Hive::Machine
                      : root == RootKey::CurrentConfig ? Hive::Config
                                                       : Hive::User;
    return HiveKey{hive, std::move(path)};
}

// path is key or lies below it.
bool AtOrBelow(std::wstring_view path, std::wstring_view key) {
    return StartsWith(path, key) && (path.size() == key.size() || path[key.size()] == L'\\');
}

// The names of a key path.
std::vector<std::wstring_view> KeyNames(std::wstring_view path) {
    std::vector<std::wstring_view> names;
    for (size_t start = 0; start <= path.size();) {
        const size_t end = std::min(path.find(L'\\', start), path.size());
        names.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    return names;
}

// The keys below Software\Microsoft that are Windows itself rather than a
// program of Microsoft's.
constexpr std::wstring_view kWindowsOwnKeys[] = {
    L"WINDOWS", L"WINDOWS NT", L"WINDOWS SCRIPT HOST", L"WINDOWS SEARCH", L"WINDOWS DEFENDER",
    L"WINDOWS MEDIA FOUNDATION", L"WINDOWS MESSAGING SUBSYSTEM", L"WINDOWSUPDATE", L"WINDOWSRUNTIME",
    L"CRYPTOGRAPHY", L"OLE", L"RPC", L"COM3", L"ACTIVE SETUP", L"COMMAND PROCESSOR", L"SYSTEMCERTIFICATES",
    L"INTERNET EXPLORER", L"SHARED TOOLS", L"ADVANCED INF SETUP", L"CTF", L"INPUT", L"INPUTMETHOD", L"IME",
    L"SPEECH", L"SPEECH_ONECORE", L"WBEM", L".NETFRAMEWORK", L"NET FRAMEWORK SETUP", L"FUSION",
    L"SECURITY CENTER", L"POLICYMANAGER", L"MULTIMEDIA", L"DIRECTX", L"DIRECTDRAW", L"DIRECT3D",
    L"DIRECTSHOW", L"TRACING", L"RAS AUTODIAL", L"SQMCLIENT", L"PROVISIONING", L"ENROLLMENTS"};

// Keys of Software whose subkeys serve every program.
constexpr std::wstring_view kSharedVendors[] = {L"MICROSOFT", L"CLASSES", L"CLIENTS", L"POLICIES",
                                                L"REGISTEREDAPPLICATIONS", L"WOW6432NODE"};

// The histories Windows keeps, below Software\Microsoft (and the classes'
// Local Settings\Software\Microsoft): what a user did, not how the system
// is set up.
constexpr std::wstring_view kHistoryKeys[] = {
    L"WINDOWS\\CURRENTVERSION\\EXPLORER\\RECENTDOCS",
    L"WINDOWS\\CURRENTVERSION\\EXPLORER\\RUNMRU",
    L"WINDOWS\\CURRENTVERSION\\EXPLORER\\TYPEDPATHS",
    L"WINDOWS\\CURRENTVERSION\\EXPLORER\\WORDWHEELQUERY",
    L"WINDOWS\\CURRENTVERSION\\EXPLORER\\COMDLG32",
    L"WINDOWS\\CURRENTVERSION\\EXPLORER\\USERASSIST",
    L"WINDOWS\\CURRENTVERSION\\EXPLORER\\STREAMMRU",
    L"WINDOWS\\CURRENTVERSION\\EXPLORER\\MAP NETWORK DRIVE MRU",
    L"WINDOWS\\CURRENTVERSION\\EXPLORER\\FEATUREUSAGE",
    L"WINDOWS\\CURRENTVERSION\\EXPLORER\\MENUORDER",
    L"WINDOWS\\CURRENTVERSION\\EXPLORER\\SEARCHHISTORY",
    L"WINDOWS\\CURRENTVERSION\\APPLETS\\PAINT\\RECENT FILE LIST",
    L"WINDOWS\\CURRENTVERSION\\APPLETS\\WORDPAD\\RECENT FILE LIST",
    L"WINDOWS\\CURRENTVERSION\\SEARCH\\RECENTAPPS",
    L"WINDOWS\\SHELL\\BAGMRU",
    L"WINDOWS\\SHELL\\BAGS",
    L"WINDOWS\\SHELL\\MUICACHE",
    L"WINDOWS\\SHELLNOROAM\\BAGMRU",
    L"WINDOWS\\SHELLNOROAM\\BAGS",
    L"WINDOWS\\SHELLNOROAM\\MUICACHE",
    L"SEARCH ASSISTANT\\ACMRU",
    L"INTERNET EXPLORER\\TYPEDURLS",
    L"INTERNET EXPLORER\\TYPEDURLSTIME",
};

// Keys that hold how the system itself is set up, below Software.
constexpr std::wstring_view kSystemSoftwareKeys[] = {
    L"SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\EXPLORER\\SHELL FOLDERS",
    L"SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\EXPLORER\\USER SHELL FOLDERS",
    L"SOFTWARE\\MICROSOFT\\WINDOWS NT\\CURRENTVERSION\\WINLOGON",
    L"SOFTWARE\\CLIENTS",
    L"SOFTWARE\\REGISTEREDAPPLICATIONS",
};

bool IsHistoryKey(std::wstring_view path) {
    constexpr std::wstring_view kBases[] = {L"SOFTWARE\\MICROSOFT\\",
                                            L"SOFTWARE\\CLASSES\\LOCAL SETTINGS\\SOFTWARE\\MICROSOFT\\"};
    for (const std::wstring_view base : kBases) {
        if (!StartsWith(path, base)) continue;
        const std::wstring_view below = path.substr(base.size());
        for (const std::wstring_view history : kHistoryKeys)
            if (AtOrBelow(below, history)) return true;
    }
    return false;
}

bool IsApplicationKey(std::wstring_view path) {
    const auto names = KeyNames(path);
    if (names.size() < 2 || names[0] != L"SOFTWARE") return false;
    if (std::find(std::begin(kSharedVendors), std::end(kSharedVendors), names[1]) == std::end(kSharedVendors))
        return true;
    // A program of Microsoft's has a key of its own below theirs.
    return names[1] == L"MICROSOFT" && names.size() >= 3 &&
           std::find(std::begin(kWindowsOwnKeys), std::end(kWindowsOwnKeys), names[2]) == std::end(kWindowsOwnKeys);
}

}  // namespace

bool IsSharedRegistryKey(RootKey root, std::wstring_view upperKeyPath) {
    static constexpr std::wstring_view kSharedKeys[] = {
        L"SOFTWARE\\MICROSOFT",
        L"SOFTWARE\\CLASSES",
        L"SOFTWARE\\POLICIES",
        L"SOFTWARE\\WOW6432NODE",
        L"SOFTWARE\\POLICIES\\MICROSOFT",
        L"SOFTWARE\\MICROSOFT\\WINDOWS",
        L"SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION",
        L"SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\RUN",
        L"SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\RUNONCE",
        L"SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\EXPLORER",
        L"SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\UNINSTALL",
        L"SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\APP PATHS",
        L"SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\POLICIES",
        L"SOFTWARE\\MICROSOFT\\WINDOWS NT",
        L"SOFTWARE\\MICROSOFT\\WINDOWS NT\\CURRENTVERSION",
        L"SOFTWARE\\MICROSOFT\\OFFICE",
        L"SOFTWARE\\MICROSOFT\\INTERNET EXPLORER",
    };
    // A key the registry cannot even name (a NUL in it), a root and a
    // user's whole hive are never taken.
    const auto key = InHive(root, upperKeyPath);
    if (!key) return true;
    const std::wstring& path = key->path;
    const auto levels = 1 + std::count(path.begin(), path.end(), L'\\');
    if (levels == 1) return true;
    // Every class, file type and interface at the first level of the
    // classes, and every control set of SYSTEM (CurrentControlSet is a link
    // to one of ControlSet001, ...), serves the whole machine.
    if (levels == 3 && StartsWith(path, L"SOFTWARE\\CLASSES\\")) return true;
    if (levels == 2 && StartsWith(path, L"SYSTEM\\")) return true;
    if (levels == 3 && (StartsWith(path, L"SYSTEM\\CURRENTCONTROLSET\\") || StartsWith(path, L"SYSTEM\\CONTROLSET")))
        return true;
    return std::find(std::begin(kSharedKeys), std::end(kSharedKeys), path) != std::end(kSharedKeys);
}

RuleKeyUse KeyUseForRules(RootKey root, std::wstring_view upperKeyPath) {
    const auto key = InHive(root, upperKeyPath);
    if (!key || key->hive == Hive::Config) return RuleKeyUse::NamedValuesAsked;
    const std::wstring& path = key->path;
    if (key->hive == Hive::Machine && AtOrBelow(path, L"SYSTEM")) return RuleKeyUse::NamedValuesAsked;
    if (key->hive == Hive::User && (AtOrBelow(path, L"CONTROL PANEL") || AtOrBelow(path, L"ENVIRONMENT")))
        return RuleKeyUse::NamedValuesAsked;
    for (const std::wstring_view system : kSystemSoftwareKeys)
        if (AtOrBelow(path, system)) return RuleKeyUse::NamedValuesAsked;
    return IsHistoryKey(path) || IsApplicationKey(path) ? RuleKeyUse::Whole : RuleKeyUse::NamedValues;
}

}  // namespace klarvex
