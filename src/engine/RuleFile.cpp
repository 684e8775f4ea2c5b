// The rule-file interpreter: items described in Klarvex.dat or Clist.dat.
// One section per item, one rule per line:
//   DelRegValueN=ROOT\key path[,[value name]]
//   DelFileN=BASE\folder path[,mask]   ("*" in folder names: Klarvex.dat only)
// Everything a rule does goes through the removal primitives, so rules
// count, log, ask and honour the run mode exactly as built-in cleaners do.

#include <windows.h>

#include <vector>

#include "base/Format.h"
#include "base/Strings.h"
#include "base/Texts.h"
#include "engine/ProgressThread.h"
#include "formats/IniFile.h"
#include "formats/RuleText.h"
#include "formats/Winapp2.h"
#include "platform/Folders.h"
#include "platform/RegistryKeys.h"
#include "platform/RegistryPaths.h"
#include "platform/SafetyGuard.h"
#include "platform/SystemLookups.h"
#include "platform/WindowsVersion.h"
#include "settings/UserFiles.h"

namespace klarvex {

std::wstring TClearTaskThread::RuleFilePath(const std::wstring& ruleFileName) const {
    const bool usersOwn = ruleFileName == kCustomListsRuleFile || ruleFileName == kWinapp2RuleFile;
    return usersOwn ? UserFilePath(ruleFileName) : ExeDir() + ruleFileName;
}

RulePlaceholders TClearTaskThread::RulePlaceholderValues() const { return ReadRulePlaceholders(); }

bool TClearTaskThread::RegistryRuleAllowed(RootKey root, const std::wstring& keyPath, const std::wstring& valueName,
                                           RuleRights& rights) {
    const auto canonical = CanonicalKeyPath(keyPath);
    if (!canonical) return false;
    // The root itself is never taken by the primitives, and needs no line.
    const std::wstring path = TrimKeyPath(*canonical);
    if (root != RootKey::None && !path.empty() && !KeyUseAllowed(root, path, valueName)) return false;
    if (root != RootKey::LocalMachine) return true;
    // Rules under HKEY_LOCAL_MACHINE need an administrator on the NT family.
    // Asked once, when the first such rule comes; told once per item.
    if (rights.machine == RuleRights::Machine::Unknown) {
        rights.machine = IsWin9xCode(WindowsVersionCode()) || UserIsAdmin() ? RuleRights::Machine::Allowed
                                                                            : RuleRights::Machine::Refused;
    }
    if (rights.machine == RuleRights::Machine::Allowed) return true;
    if (!rights.told && !IsAutomaticRun()) Host().ShowNotice(LoadText(IDS_NEED_ADMINISTRATOR), L"");  // no caption
    rights.told = true;
    return false;
}

bool TClearTaskThread::KeyUseAllowed(RootKey root, const std::wstring& path, const std::wstring& valueName) {
    const bool whole = valueName.empty();
    // Deleting or emptying a key many programs keep their settings in is
    // never a trace of one application, however the rule spells the key;
    // nor is any key but an application's own or a history.
    if (whole && SkippedAsShared(root, path)) return false;
    const RuleKeyUse use = KeyUseHere(root, path);
    if (whole && use != RuleKeyUse::Whole) {
        AddLog(LogPrefix + LoadText(IDS_SKIPPING_SHARED_KEY) + L" " + RootKeyText(root) + L"\\" + path);
        return false;
    }
    // A setting of Windows goes only when the user says so. A Test lists
    // what a Clean would take once the user says Yes.
    if (use == RuleKeyUse::NamedValuesAsked && !IsTestRun())
        return Host().AskYesNo(LoadText(IDS_ASK_DELETE_SYSTEM_VALUE) + RootKeyText(root) + L"\\" + path + L"\\" +
                               valueName + L"?");
    return true;
}

void TClearTaskThread::RunRuleSection(const std::wstring& ruleFileName, const std::wstring& itemName) {
    const RulePlaceholders placeholders = RulePlaceholderValues();
    const std::wstring section = SectionNameFromItem(itemName);
    const std::vector<std::wstring> lines = TIniFile(RuleFilePath(ruleFileName)).SectionLines(section);

    RuleRights rights;
    int64_t bytes = 0;
    for (const auto& line : lines) {
        const RuleKinds kinds = RuleKindsOfLine(line);
        const std::wstring value = RuleValueOfLine(line);
        if (kinds.registry) {
            if (const auto rule = SplitRegistryRule(value)) {
                const std::wstring root = UpperCase(rule->root);
                if (RegistryRuleAllowed(RootKeyFromName(root), TrimKeyPath(rule->keyPath),
                                        rule->hasComma ? rule->valueName : std::wstring(), rights)) {
                    ItemCount += rule->hasComma ? DeleteRegValues(root, rule->keyPath, rule->valueName)
                                                : DeleteRegKey(root, rule->keyPath);
                }
            }
        }
        if (kinds.file) {
            const FileRule rule = SplitFileRule(value);
            // A placeholder that reads empty leaves no folder to work on;
            // the rule must not fall back to the current drive's root.
            for (const auto& ruleFolder : RuleFolders(rule, placeholders)) {
                // The shipped file may name folders with "*" (one per
                // account, say); the user's own list names real folders.
                const auto folders = ruleFileName == kKlarvexRuleFile ? ExpandWildcardPath(ruleFolder)
                                                                      : std::vector<std::wstring>{ruleFolder};
                for (const auto& folder : folders) {
                    const Reach reach =
                        Guard().ReachedThroughProtected(ruleFolder, folder) ? Reach::ThroughProtected : Reach::Named;
                    bytes += rule.hasComma ? ClearFilesByMask(folder, rule.mask, ItemCount, false, reach)
                                           : ClearFolder(folder, true, true, L"", ItemCount, reach);
                }
            }
        }
    }
    ItemBytes = bytes;
    ItemSizeText = FormatKB(bytes);
}

}  // namespace klarvex
