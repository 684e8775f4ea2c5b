// Cleaning an entry of a Winapp2.ini: its FileKey and RegKey lines through
// the removal primitives, sparing what its ExcludeKey lines name. The same
// questions and refusals hold as for Klarvex.dat: folders of the system
// and the user are asked about, keys many programs share are never taken,
// the local machine's keys need an administrator.

#include <windows.h>

#include <algorithm>

#include "base/Format.h"
#include "base/Handles.h"
#include "base/PathText.h"
#include "base/Strings.h"
#include "base/Texts.h"
#include "engine/Catalogue.h"
#include "engine/ProgressThread.h"
#include "engine/Winapp2Places.h"
#include "formats/IniFile.h"
#include "formats/RuleText.h"
#include "platform/RegistryKeys.h"
#include "platform/SystemLookups.h"

namespace klarvex {

namespace {

std::vector<FileMask> MasksOf(const std::vector<std::wstring>& masks) {
    std::vector<FileMask> fileMasks;
    for (const auto& mask : masks) fileMasks.emplace_back(mask, UpperCase(mask), FileMask::ExactName::AnyCase);
    return fileMasks;
}

// The ExcludeKey lines of an entry, ready to be asked.
class TWinapp2Excludes {
public:
    TWinapp2Excludes(const std::vector<Winapp2Exclude>& excludes, const std::vector<Winapp2Variable>& variables) {
        for (const auto& exclude : excludes) {
            if (exclude.kind == Winapp2Exclude::Kind::Registry) {
                if (const auto key = SplitWinapp2Key(exclude.path))
                    keys_.push_back({key->root, UpperCase(key->path), exclude.value});
                continue;
            }
            // Wildcards stay in the pattern: a folder that fits it is spared.
            for (const auto& path : ExpandWinapp2Variables(exclude.path, variables))
                files_.push_back({UpperCase(WithBackslash(path)), MasksOf(exclude.masks),
                                  exclude.kind == Winapp2Exclude::Kind::Path});
        }
    }

    bool HasFiles() const { return !files_.empty(); }

    // folder comes with its trailing backslash.
    bool SparesEntry(const std::wstring& folder, const std::wstring& name, bool isFolder) const {
        const std::wstring upperFolder = UpperCase(folder);
        const std::wstring upperName = UpperCase(name);
        for (const auto& exclude : files_) {
            if (!exclude.below) {
                if (!isFolder && WildcardMatch(exclude.pattern, upperFolder) &&
                    FitsAnyMask(exclude.masks, name, upperName))
                    return true;
            } else if (exclude.masks.empty()) {
                // The folder and all below it, the folder's own entry too.
                const std::wstring path = upperFolder + upperName + (isFolder ? L"\\" : L"");
                if (WildcardMatch(exclude.pattern + L"*", path)) return true;
            } else if (!isFolder && WildcardMatch(exclude.pattern + L"*", upperFolder) &&
                       FitsAnyMask(exclude.masks, name, upperName)) {
                return true;
            }
        }
        return false;
    }

    // The key (upper case) is spared with all below it.
    bool SparesKey(RootKey root, const std::wstring& upperPath) const {
        return std::any_of(keys_.begin(), keys_.end(), [&](const Key& key) {
            return key.root == root && !key.value &&
                   (upperPath == key.path || upperPath.starts_with(key.path + L"\\"));
        });
    }
    bool SparesValue(RootKey root, const std::wstring& upperPath, const std::wstring& value) const {
        return SparesKey(root, upperPath) || std::any_of(keys_.begin(), keys_.end(), [&](const Key& key) {
                   return key.root == root && key.value && key.path == upperPath && SameText(*key.value, value);
               });
    }
    // Something at or below the key is spared.
    bool SparesWithin(RootKey root, const std::wstring& upperPath) const {
        return std::any_of(keys_.begin(), keys_.end(), [&](const Key& key) {
            return key.root == root && (key.path == upperPath || key.path.starts_with(upperPath + L"\\"));
        });
    }

private:
    struct Files {
        std::wstring pattern;  // upper case, with a trailing backslash
        std::vector<FileMask> masks;
        bool below = false;  // PATH: the folder and its subfolders; FILE: the folder only
    };
    struct Key {
        RootKey root;
        std::wstring path;  // upper case
        std::optional<std::wstring> value;
    };
    std::vector<Files> files_;
    std::vector<Key> keys_;
};

// The key with its subkeys, as DeleteRegKey takes it, except what the
// entry spares: around a spared value or subkey the other values and
// subkeys go one by one, and the key itself stays.
int32_t DeleteKeySparing(TClearTaskThread& runner, RootKey root, const std::wstring& path,
                         const TWinapp2Excludes& excludes) {
    const std::wstring upperPath = UpperCase(path);
    if (excludes.SparesKey(root, upperPath)) return 0;
    const std::wstring rootName = RootKeyText(root);
    if (!excludes.SparesWithin(root, upperPath)) return runner.DeleteRegKey(rootName, path);
    RegKey key;
    if (RegOpenKeyExW(RootKeyHandle(root), path.c_str(), 0, KEY_READ, key.Put()) != ERROR_SUCCESS) return 0;
    int32_t count = 0;
    for (const auto& name : ValueNames(key.Get())) {
        // The unnamed value cannot be named alone to the primitive.
        if (!name.empty() && !excludes.SparesValue(root, upperPath, name))
            count += runner.DeleteRegValues(rootName, path, name);
    }
    for (const auto& subkey : SubkeyNames(key.Get())) count += DeleteKeySparing(runner, root, path + L"\\" + subkey, excludes);
    return count;
}

}  // namespace

void TClearTaskThread::RunApplicationItem(const std::wstring& itemName) {
    const std::wstring section = SectionNameFromItem(itemName);
    if (itemName.starts_with(ItemName(kApplicationsCategory, L""))) {
        const auto sections = TIniFile(RuleFilePath(kKlarvexRuleFile)).SectionNames();
        const bool inKlarvexDat =
            std::any_of(sections.begin(), sections.end(), [&](const std::wstring& s) { return SameText(s, section); });
        if (!inKlarvexDat) {
            for (const auto& entry : LoadWinapp2File(RuleFilePath(kWinapp2RuleFile))) {
                if (SameText(entry.name, section)) {
                    RunWinapp2Entry(entry);
                    return;
                }
            }
        }
    }
    RunRuleSection(kKlarvexRuleFile, itemName);
}

void TClearTaskThread::RunWinapp2Entry(const Winapp2Entry& entry) {
    if (!entry.warning.empty() && !ConfirmDespiteWarning(entry.name, entry.warning)) return;
    const std::vector<Winapp2Variable> variables = ReadWinapp2Variables();
    const TWinapp2Excludes excludes(entry.excludes, variables);
    SpareEntry spare;
    if (excludes.HasFiles()) {
        spare = [&excludes](const std::wstring& folder, const std::wstring& name, bool isFolder) {
            return excludes.SparesEntry(folder, name, isFolder);
        };
    }

    int64_t bytes = 0;
    for (const auto& files : entry.files) {
        for (const auto& folder : FindWinapp2Paths(files.path, variables, false))
            bytes += ClearMatchingFiles(folder, MasksOf(files.masks), files.recurse, files.removeSelf, spare, ItemCount);
    }
    RuleRights rights;
    for (const auto& line : entry.registry) {
        const auto key = SplitWinapp2Key(line.key);
        if (!key || !RegistryRuleAllowed(key->root, key->path, !line.value, rights)) continue;
        if (!line.value) ItemCount += DeleteKeySparing(*this, key->root, key->path, excludes);
        else if (!excludes.SparesValue(key->root, UpperCase(key->path), *line.value))
            ItemCount += DeleteRegValues(RootKeyText(key->root), key->path, *line.value);
    }
    ItemBytes = bytes;
    ItemSizeText = FormatKB(bytes);
}

}  // namespace klarvex
