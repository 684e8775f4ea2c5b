#include "platform/RegistryKeys.h"

#include <algorithm>
#include <utility>

#include "base/Handles.h"
#include "base/Strings.h"
#include "platform/SystemLookups.h"

namespace klarvex {

namespace {

enum class KeyPart { Values, Subkeys };

std::vector<std::wstring> NamesOf(HKEY key, KeyPart part) {
    const bool values = part == KeyPart::Values;
    DWORD subkeys = 0, maxSubkey = 0, valueCount = 0, maxValue = 0;
    if (RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subkeys, &maxSubkey, nullptr, &valueCount, &maxValue,
                         nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        return {};
    const DWORD count = values ? valueCount : subkeys;
    std::vector<std::wstring> names;
    std::vector<wchar_t> name((values ? maxValue : maxSubkey) + 2);
    for (DWORD i = 0; i < count; ++i) {
        DWORD length = static_cast<DWORD>(name.size());
        const LONG result = values ? RegEnumValueW(key, i, name.data(), &length, nullptr, nullptr, nullptr, nullptr)
                                   : RegEnumKeyExW(key, i, name.data(), &length, nullptr, nullptr, nullptr, nullptr);
        if (result == ERROR_SUCCESS) names.emplace_back(name.data(), length);
    }
    return names;
}

// The name the registry keeps for an open key ("\REGISTRY\MACHINE\..."),
// asked of the kernel: the documented calls give no such name.
std::optional<std::wstring> KernelKeyName(HKEY key) {
    using NtQueryKeyFunction = LONG(NTAPI*)(HANDLE, int, void*, ULONG, ULONG*);
    constexpr int kKeyNameInformation = 3;
    static const auto query = reinterpret_cast<NtQueryKeyFunction>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryKey")));
    if (!query) return std::nullopt;
    std::vector<ULONG> buffer(1024);  // ULONGs: the name's length, then its characters
    for (int attempt = 0; attempt < 2; ++attempt) {
        ULONG needed = 0;
        const ULONG size = static_cast<ULONG>(buffer.size() * sizeof(ULONG));
        const LONG status = query(key, kKeyNameInformation, buffer.data(), size, &needed);
        if (status == 0) {
            const size_t bytes = std::min<size_t>(buffer[0], size - sizeof(ULONG));
            return std::wstring(reinterpret_cast<const wchar_t*>(buffer.data() + 1), bytes / sizeof(wchar_t));
        }
        if (needed <= size) return std::nullopt;
        buffer.resize(needed / sizeof(ULONG) + 1);
    }
    return std::nullopt;
}

}  // namespace

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

std::vector<std::wstring> ValueNames(HKEY key) { return NamesOf(key, KeyPart::Values); }
std::vector<std::wstring> SubkeyNames(HKEY key) { return NamesOf(key, KeyPart::Subkeys); }

std::vector<std::wstring> OwnSubkeyNames(HKEY key) {
    const auto parent = KernelKeyName(key);
    std::vector<std::wstring> own;
    for (auto& name : SubkeyNames(key)) {
        RegKey subkey;
        if (RegOpenKeyExW(key, name.c_str(), 0, KEY_READ, subkey.Put()) != ERROR_SUCCESS) continue;
        const auto real = KernelKeyName(subkey.Get());
        if (parent && real && SameText(*real, *parent + L"\\" + name)) own.push_back(std::move(name));
    }
    return own;
}

std::optional<RealKey> RealKeyOf(HKEY key) {
    const auto name = KernelKeyName(key);
    if (!name) return std::nullopt;
    for (const auto& [prefix, root] : {std::pair<std::wstring, RootKey>{L"\\REGISTRY\\MACHINE", RootKey::LocalMachine},
                                       std::pair<std::wstring, RootKey>{L"\\REGISTRY\\USER", RootKey::Users}}) {
        if (name->size() < prefix.size() || !SameText(name->substr(0, prefix.size()), prefix)) continue;
        if (name->size() > prefix.size() && (*name)[prefix.size()] != L'\\') continue;
        return RealKey{root, TrimKeyPath(std::wstring_view(*name).substr(prefix.size()))};
    }
    return std::nullopt;
}

bool IsSharedKeyHere(RootKey root, const std::wstring& keyPath) {
    const std::wstring upper = UpperCase(keyPath);
    if (IsSharedRegistryKey(root, upper)) return true;
    RegKey key;
    if (RegOpenKeyExW(RootKeyHandle(root), keyPath.c_str(), 0, KEY_READ, key.Put()) != ERROR_SUCCESS) return false;
    const auto real = RealKeyOf(key.Get());
    return real && IsSharedRegistryKey(real->root, UpperCase(real->path));
}

RuleKeyUse KeyUseHere(RootKey root, const std::wstring& keyPath) {
    const RuleKeyUse named = KeyUseForRules(root, UpperCase(keyPath));
    RegKey key;
    if (RegOpenKeyExW(RootKeyHandle(root), keyPath.c_str(), 0, KEY_READ, key.Put()) != ERROR_SUCCESS) return named;
    const auto real = RealKeyOf(key.Get());
    // A key the registry cannot place is judged as a key of the system.
    const RuleKeyUse kept = real ? KeyUseForRules(real->root, UpperCase(real->path)) : RuleKeyUse::NamedValuesAsked;
    return std::max(named, kept);
}

bool IsRegistryLink(HKEY root, const std::wstring& keyPath) {
    RegKey key;
    if (RegOpenKeyExW(root, keyPath.c_str(), REG_OPTION_OPEN_LINK, KEY_QUERY_VALUE, key.Put()) != ERROR_SUCCESS)
        return false;
    DWORD type = REG_NONE;
    return RegQueryValueExW(key.Get(), L"SymbolicLinkValue", nullptr, &type, nullptr, nullptr) == ERROR_SUCCESS &&
           type == REG_LINK;
}

int32_t CountRegValues(HKEY root, const std::wstring& keyPath) {
    RegKey key;
    if (RegOpenKeyExW(root, keyPath.c_str(), 0, KEY_ALL_ACCESS, key.Put()) != ERROR_SUCCESS) return 0;
    DWORD values = 0;
    if (RegQueryInfoKeyW(key.Get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr,
                         nullptr, nullptr) != ERROR_SUCCESS)
        return 0;
    int32_t count = static_cast<int32_t>(values);
    for (const auto& subkey : OwnSubkeyNames(key.Get())) count += CountRegValues(root, keyPath + L"\\" + subkey);
    return count;
}

}  // namespace klarvex
