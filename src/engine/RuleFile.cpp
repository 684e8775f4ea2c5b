// The rule-file interpreter: items described in Klarvex.dat or Clist.dat.
// One section per item, one rule per line:
//   DelRegValueN=ROOT\key path[,[value name]]
//   DelFileN=BASE\folder path[,mask]
// Everything a rule does goes through the removal primitives, so rules
// count, log, ask and honour the run mode exactly as built-in cleaners do.

#include <windows.h>

#include <vector>

#include "base/Strings.h"
#include "base/Texts.h"
#include "engine/Format.h"
#include "engine/ProgressThread.h"
#include "engine/RuleText.h"
#include "engine/SystemLookups.h"
#include "settings/IniFile.h"
#include "settings/UserFiles.h"

namespace klarvex {

bool TClearTaskThread::UserIsAdmin() const { return IsAdminUser(); }

int32_t TClearTaskThread::WindowsVersionCode() const { return GetWindowsVersion(); }

std::wstring TClearTaskThread::RuleFilePath(const std::wstring& ruleFileName) const {
    return ruleFileName == kCustomListsRuleFile ? UserFilePath(ruleFileName) : ExeDir() + ruleFileName;
}

RulePlaceholders TClearTaskThread::RulePlaceholderValues() const { return ReadRulePlaceholders(); }

void TClearTaskThread::RunRuleSection(const std::wstring& ruleFileName, const std::wstring& itemName) {
    const RulePlaceholders placeholders = RulePlaceholderValues();
    const std::wstring section = SectionNameFromItem(itemName);
    const std::vector<std::wstring> lines = TIniFile(RuleFilePath(ruleFileName)).SectionLines(section);

    // Rules under HKEY_LOCAL_MACHINE need an administrator on the NT family.
    // Asked once, when the first such rule comes; told once per item.
    enum class Machine { Unknown, Allowed, Refused } machine = Machine::Unknown;
    bool told = false;
    auto machineAllowed = [&] {
        if (machine == Machine::Unknown)
            machine = IsWin9xCode(WindowsVersionCode()) || UserIsAdmin() ? Machine::Allowed : Machine::Refused;
        if (machine == Machine::Allowed) return true;
        if (!told && !IsAutomaticRun()) Host().ShowNotice(LoadText(IDS_NEED_ADMINISTRATOR), L"");  // a box without caption
        told = true;
        return false;
    };

    int64_t bytes = 0;
    for (const auto& line : lines) {
        const RuleKinds kinds = RuleKindsOfLine(line);
        const std::wstring value = RuleValueOfLine(line);
        if (kinds.registry) {
            if (const auto rule = SplitRegistryRule(value)) {
                const std::wstring root = UpperCase(rule->root);
                const RootKey rootKey = RootKeyFromName(root);
                // Deleting or emptying a key many programs keep their
                // settings in is never a trace of one application.
                const bool whole = !rule->hasComma || rule->valueName.empty();
                const std::wstring keyPath = TrimKeyPath(rule->keyPath);
                if (whole && rootKey != RootKey::None && !keyPath.empty() &&
                    IsSharedRegistryKey(rootKey, UpperCase(keyPath))) {
                    AddLog(LogPrefix + LoadText(IDS_SKIPPING_SHARED_KEY) + L" " + RootKeyText(rootKey) + L"\\" +
                           keyPath);
                } else if (rootKey != RootKey::LocalMachine || machineAllowed()) {
                    ItemCount += rule->hasComma ? DeleteRegValues(root, rule->keyPath, rule->valueName)
                                                : DeleteRegKey(root, rule->keyPath);
                }
            }
        }
        if (kinds.file) {
            const FileRule rule = SplitFileRule(value);
            // A placeholder that reads empty leaves no folder to work on;
            // the rule must not fall back to the current drive's root.
            for (const auto& folder : RuleFolders(rule, placeholders)) {
                bytes += rule.hasComma ? ClearFilesByMask(folder, rule.mask, ItemCount, false)
                                       : ClearFolder(folder, true, true, L"", ItemCount);
            }
        }
    }
    ItemBytes = bytes;
    ItemSizeText = FormatKB(bytes);
}

}  // namespace klarvex
