// Removal of registry keys and values. A Test run counts and lists what a
// Clean run deletes. Counts are taken before anything is deleted, and a
// deletion the system refuses still counts: the count says what was found.
//
// What would go whole (a key, or all the values of one) is judged first by
// the key's canonical name and by where the registry really keeps it: a key
// that many programs share is never taken, however a rule spells it. Walks
// below a key never go through a registry link (OwnSubkeyNames), and a key
// that is a link itself is left.

#include <windows.h>

#include "base/Handles.h"
#include "base/Strings.h"
#include "base/Texts.h"
#include "engine/CleanerRun.h"
#include "platform/RegistryKeys.h"
#include "platform/RegistryPaths.h"
#include "platform/SystemLookups.h"
#include "settings/Global.h"

namespace klarvex {

namespace {

// Own subkeys depth-first, then the key. A key that holds a registry link
// cannot go without it: its values go, and the key stays with the link,
// as a folder stays with a link in it.
void DeleteKeyTree(HKEY root, const std::wstring& keyPath) {
    {
        RegKey key;
        if (RegOpenKeyExW(root, keyPath.c_str(), 0, KEY_ALL_ACCESS, key.Put()) != ERROR_SUCCESS) return;
        const auto own = OwnSubkeyNames(key.Get());
        const bool holdsLink = own.size() != SubkeyNames(key.Get()).size();
        for (const auto& subkey : own) DeleteKeyTree(root, keyPath + L"\\" + subkey);
        if (holdsLink) {
            for (const auto& name : ValueNames(key.Get())) RegDeleteValueW(key.Get(), name.c_str());
            return;
        }
    }
    RegDeleteKeyW(root, keyPath.c_str());
}

}  // namespace

std::optional<std::wstring> CleanerRun::KeyToTake(RootKey root, const std::wstring& keyPathText, bool whole,
                                                       RegKey& key) {
    const auto canonical = CanonicalKeyPath(keyPathText);
    // An empty path names the root itself: never delete a whole root.
    const std::wstring keyPath = canonical ? TrimKeyPath(*canonical) : std::wstring();
    if (root == RootKey::None || keyPath.empty()) return std::nullopt;
    if (RegOpenKeyExW(RootKeyHandle(root), keyPath.c_str(), 0, KEY_ALL_ACCESS, key.Put()) != ERROR_SUCCESS)
        return std::nullopt;
    // What a key that is a link holds is another key's: the link is left
    // as a folder link is.
    if (IsRegistryLink(RootKeyHandle(root), keyPath)) {
        AddLog(LogPrefix + LoadText(IDS_SKIPPING_REGISTRY_LINK) + L" " + RootKeyText(root) + L"\\" + keyPath);
        return std::nullopt;
    }
    if (whole && SkippedAsShared(root, keyPath)) return std::nullopt;
    return keyPath;
}

bool CleanerRun::SkippedAsShared(RootKey root, const std::wstring& keyPath) {
    if (!IsSharedKeyHere(root, keyPath)) return false;
    AddLog(LogPrefix + LoadText(IDS_SKIPPING_SHARED_KEY) + L" " + RootKeyText(root) + L"\\" + keyPath);
    return true;
}

int32_t CleanerRun::DeleteRegKey(const std::wstring& rootName, const std::wstring& keyPathText) {
    const RootKey rootKey = RootKeyFromName(UpperCase(rootName));
    RegKey key;
    const auto keyPath = KeyToTake(rootKey, keyPathText, true, key);
    if (!keyPath) return 0;
    key.Reset();
    const HKEY root = RootKeyHandle(rootKey);
    const int32_t count = CountRegValues(root, *keyPath);
    if (!Settings.FastScan) {
        LogEntry(LogPrefix + LoadText(IDS_DELETING_REG_KEY) + L" ",
                 std::wstring(RootKeyText(rootKey)) + L"\\" + *keyPath);
        ScrollLog(0);
    }
    if (!IsTestRun()) DeleteKeyTree(root, *keyPath);
    return count == 0 ? 1 : count;
}

int32_t CleanerRun::DeleteUserRegKey(const std::wstring& keyPath) {
    return DeleteRegKey(L"HKEY_CURRENT_USER", keyPath);
}

int32_t CleanerRun::DeleteRegValues(const std::wstring& rootName, const std::wstring& keyPathText,
                                          const std::wstring& valueName) {
    const RootKey rootKey = RootKeyFromName(UpperCase(rootName));
    RegKey key;
    const auto keyPath = KeyToTake(rootKey, keyPathText, valueName.empty(), key);
    if (!keyPath) return 0;

    const std::wstring valueLinePrefix = LogPrefix + LoadText(IDS_DELETING_REG_VALUE) + L" ";
    const std::wstring keyText = std::wstring(RootKeyText(rootKey)) + L"\\" + *keyPath + L"\\";
    auto deleteValue = [&](const std::wstring& name) {
        if (!Settings.FastScan) {
            LogEntry(valueLinePrefix, keyText + name);
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
    for (const auto& subkey : OwnSubkeyNames(key.Get())) count += DeleteRegKey(rootName, *keyPath + L"\\" + subkey);
    return count;
}

int32_t CleanerRun::DeleteUserRegValues(const std::wstring& keyPath, const std::wstring& valueName) {
    return DeleteRegValues(L"HKEY_CURRENT_USER", keyPath, valueName);
}

}  // namespace klarvex
