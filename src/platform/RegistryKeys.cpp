#include "platform/RegistryKeys.h"

#include "base/Handles.h"

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

int32_t CountRegValues(HKEY root, const std::wstring& keyPath) {
    RegKey key;
    if (RegOpenKeyExW(root, keyPath.c_str(), 0, KEY_ALL_ACCESS, key.Put()) != ERROR_SUCCESS) return 0;
    DWORD values = 0;
    if (RegQueryInfoKeyW(key.Get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr,
                         nullptr, nullptr) != ERROR_SUCCESS)
        return 0;
    int32_t count = static_cast<int32_t>(values);
    for (const auto& subkey : SubkeyNames(key.Get())) count += CountRegValues(root, keyPath + L"\\" + subkey);
    return count;
}

}  // namespace klarvex
