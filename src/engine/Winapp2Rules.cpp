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
#include "engine/Winapp2Excludes.h"
#include "engine/Winapp2Places.h"
#include "formats/RuleText.h"
#include "platform/Folders.h"
#include "platform/RegistryKeys.h"
#include "platform/SafetyGuard.h"
#include "platform/SystemLookups.h"

namespace klarvex {

namespace {

std::vector<FileMask> MasksOf(const std::vector<std::wstring>& masks) {
    std::vector<FileMask> fileMasks;
    for (const auto& mask : masks) fileMasks.emplace_back(mask, UpperCase(mask), FileMask::ExactName::AnyCase);
    return fileMasks;
}

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
    for (const auto& subkey : OwnSubkeyNames(key.Get()))
        count += DeleteKeySparing(runner, root, path + L"\\" + subkey, excludes);
    return count;
}

}  // namespace

void TClearTaskThread::RunApplicationItem(const std::wstring& itemName) {
    if (itemName.starts_with(ItemName(kApplicationsCategory, L""))) {
        TApplicationRules rules(RuleFilePath(kKlarvexRuleFile), RuleFilePath(kWinapp2RuleFile));
        if (const Winapp2Entry* entry = rules.Winapp2EntryFor(SectionNameFromItem(itemName))) {
            RunWinapp2Entry(*entry);
            return;
        }
    }
    RunRuleSection(kKlarvexRuleFile, itemName);
}

void TClearTaskThread::RunWinapp2Entry(const Winapp2Entry& entry) {
    const std::vector<Winapp2Variable> variables = ReadWinapp2Variables();
    std::vector<std::wstring> unreadable = entry.unreadableExcludes;
    const TWinapp2Excludes excludes(entry.excludes, variables, unreadable);
    // What the entry's author meant to keep is unknown: taking the rest
    // could take it.
    if (!unreadable.empty()) {
        for (const auto& line : unreadable)
            AddLog(LogPrefix + LoadText(IDS_SKIPPING_UNREADABLE_EXCLUDE) + L" " + entry.name + L": " + line);
        if (!IsTestRun() && !IsAutomaticRun())
            Host().ShowNotice(entry.name + L": " + LoadText(IDS_SKIPPING_UNREADABLE_EXCLUDE) + L"\r\n" + unreadable.front(), L"");
        return;
    }
    if (!entry.warning.empty() && !ConfirmDespiteWarning(entry.name, entry.warning)) return;
    SpareEntry spare;
    if (excludes.HasFiles()) {
        spare = [&excludes](const std::wstring& folder, const std::wstring& name, bool isFolder) {
            return excludes.SparesEntry(folder, name, isFolder);
        };
    }

    int64_t bytes = 0;
    for (const auto& files : entry.files) {
        for (const auto& path : ExpandWinapp2Variables(files.path, variables)) {
            for (const auto& folder : ExpandWildcardPath(path)) {
                const Reach reach =
                    Guard().ReachedThroughProtected(path, folder) ? Reach::ThroughProtected : Reach::Named;
                bytes += ClearMatchingFiles(folder, MasksOf(files.masks), files.recurse, files.removeSelf, spare,
                                            ItemCount, reach);
            }
        }
    }
    RuleRights rights;
    for (const auto& line : entry.registry) {
        const auto key = SplitWinapp2Key(line.key);
        if (!key || !RegistryRuleAllowed(key->root, key->path, line.value.value_or(L""), rights)) continue;
        if (!line.value) ItemCount += DeleteKeySparing(*this, key->root, key->path, excludes);
        else if (!excludes.SparesValue(key->root, UpperCase(key->path), *line.value))
            ItemCount += DeleteRegValues(RootKeyText(key->root), key->path, *line.value);
    }
    ItemBytes = bytes;
    ItemSizeText = FormatKB(bytes);
}

}  // namespace klarvex
