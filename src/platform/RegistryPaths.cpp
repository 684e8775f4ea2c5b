#include "platform/RegistryPaths.h"

#include <algorithm>
#include <utility>

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
    // A key the registry cannot even name (a NUL in it) is no key to judge
    // by its text: never taken.
    const auto canonical = CanonicalKeyPath(upperKeyPath);
    if (!canonical) return true;
    std::wstring path = TrimKeyPath(*canonical);
    if (root == RootKey::Users) {
        // HKEY_USERS\<user> is that user's whole hive, and below it the same
        // keys as under HKEY_CURRENT_USER; HKEY_USERS\<user>_Classes is the
        // user's part of the classes, which Software\Classes shows.
        const size_t slash = path.find(L'\\');
        if (slash == std::wstring::npos) return true;
        const bool classes = std::wstring_view(path).substr(0, slash).ends_with(L"_CLASSES");
        path = (classes ? L"SOFTWARE\\CLASSES\\" : L"") + path.substr(slash + 1);
    }
    if (path.empty()) return true;
    if (root == RootKey::ClassesRoot) path = L"SOFTWARE\\CLASSES\\" + path;
    // The 32-bit programs' views of Software and of the classes hold the
    // same shared keys.
    static constexpr std::pair<std::wstring_view, std::wstring_view> kViews[] = {
        {L"SOFTWARE\\WOW6432NODE\\", L"SOFTWARE\\"},
        {L"SOFTWARE\\CLASSES\\WOW6432NODE\\", L"SOFTWARE\\CLASSES\\"}};
    for (const auto& [view, same] : kViews)
        if (StartsWith(path, view)) path = std::wstring(same) + path.substr(view.size());
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

}  // namespace klarvex
