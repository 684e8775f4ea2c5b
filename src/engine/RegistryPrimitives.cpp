// Removal of registry keys and values. A Test run counts and lists what a
// Clean run deletes. Counts are taken before anything is deleted, and a
// deletion the system refuses still counts: the count says what was found.

#include <windows.h>

#include "base/Handles.h"
#include "base/Strings.h"
#include "base/Texts.h"
#include "engine/ProgressThread.h"
#include "platform/RegistryKeys.h"
#include "platform/RegistryPaths.h"
#include "platform/SystemLookups.h"
#include "settings/Global.h"

namespace klarvex {

namespace {

// Subkeys depth-first, then the key.
void DeleteKeyTree(HKEY root, const std::wstring& keyPath) {
    {
        RegKey key;
        if (RegOpenKeyExW(root, keyPath.c_str(), 0, KEY_ALL_ACCESS, key.Put()) != ERROR_SUCCESS) return;
        for (const auto& subkey : SubkeyNames(key.Get())) DeleteKeyTree(root, keyPath + L"\\" + subkey);
    }
    RegDeleteKeyW(root, keyPath.c_str());
}

}  // namespace

int32_t TClearTaskThread::DeleteRegKey(const std::wstring& rootName, const std::wstring& keyPathText) {
    const RootKey rootKey = RootKeyFromName(UpperCase(rootName));
    if (rootKey == RootKey::None) return 0;
    // An empty path names the root itself: never delete a whole root.
    const std::wstring keyPath = TrimKeyPath(keyPathText);
    if (keyPath.empty()) return 0;
    const HKEY root = RootKeyHandle(rootKey);

    int32_t count = CountRegValues(root, keyPath);
    {
        RegKey key;
        if (RegOpenKeyExW(root, keyPath.c_str(), 0, KEY_ALL_ACCESS, key.Put()) != ERROR_SUCCESS) return 0;
    }
    if (!Settings.FastScan) {
        AddLog(LogPrefix + LoadText(IDS_DELETING_REG_KEY) + L" " + RootKeyText(rootKey) + L"\\" + keyPath);
        ScrollLog(0);
    }
    if (!IsTestRun()) DeleteKeyTree(root, keyPath);
    return count == 0 ? 1 : count;
}

int32_t TClearTaskThread::DeleteUserRegKey(const std::wstring& keyPath) {
    return DeleteRegKey(L"HKEY_CURRENT_USER", keyPath);
}

int32_t TClearTaskThread::DeleteRegValues(const std::wstring& rootName, const std::wstring& keyPathText,
                                          const std::wstring& valueName) {
    const RootKey rootKey = RootKeyFromName(UpperCase(rootName));
    if (rootKey == RootKey::None) return 0;
    const std::wstring keyPath = TrimKeyPath(keyPathText);
    if (keyPath.empty()) return 0;
    RegKey key;
    if (RegOpenKeyExW(RootKeyHandle(rootKey), keyPath.c_str(), 0, KEY_ALL_ACCESS, key.Put()) != ERROR_SUCCESS) return 0;

    const std::wstring valueLinePrefix =
        LogPrefix + LoadText(IDS_DELETING_REG_VALUE) + L" " + RootKeyText(rootKey) + L"\\" + keyPath + L"\\";
    auto deleteValue = [&](const std::wstring& name) {
        if (!Settings.FastScan) {
            AddLog(valueLinePrefix + name);
            ScrollLog(0);
        }
        if (!IsTestRun()) RegDeleteValueW(key.Get(), name.c_str());
    };

    if (!valueName.empty()) {
        if (RegQueryValueExW(key.Get(), valueName.c_str(), nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            return 0;
        deleteValue(valueName);
        return 1;
    }
    int32_t count = 0;
    for (const auto& name : ValueNames(key.Get())) {
        deleteValue(name);
        ++count;
    }
    for (const auto& subkey : SubkeyNames(key.Get())) count += DeleteRegKey(rootName, keyPath + L"\\" + subkey);
    return count;
}

int32_t TClearTaskThread::DeleteUserRegValues(const std::wstring& keyPath, const std::wstring& valueName) {
    return DeleteRegValues(L"HKEY_CURRENT_USER", keyPath, valueName);
}

}  // namespace klarvex
