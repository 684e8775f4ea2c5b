#pragma once

// The text of rule files (Klarvex.dat, Clist.dat): the splitting of their
// lines and the placeholders of their folders. No system call here, so the
// native build can run it under the sanitizers.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>


namespace klarvex {

// The section of a rule file that belongs to an item: the item name from
// the second character after its first "-" ("Windows - Windows Log Files"
// gives "Windows Log Files"; later "-" stay).
std::wstring SectionNameFromItem(std::wstring_view itemName);

// Which kinds of rule a rule-file line holds (a line may hold both).
struct RuleKinds {
    bool registry = false;  // the line contains "DelRegValue"
    bool file = false;      // the line contains "DelFile"
};
RuleKinds RuleKindsOfLine(std::wstring_view line);

// The value of a rule line: everything after its first "=" (empty when none).
std::wstring RuleValueOfLine(std::wstring_view line);

// ROOT\key path[,value name]
struct RegistryRule {
    std::wstring root;       // as written
    std::wstring keyPath;
    bool hasComma = false;   // values form: ",", or "," + value name
    std::wstring valueName;  // empty: every value of the key and its subkeys
};
// Splits at the first "\" (root) and the rest at its first ",". A value
// without "\" names no root: nullopt.
std::optional<RegistryRule> SplitRegistryRule(std::wstring_view value);

// BASE\folder path[,mask]
struct FileRule {
    std::wstring base;        // a placeholder or a literal folder ("C:")
    std::wstring folderPath;  // may be empty: the rule applies to BASE itself
    bool hasComma = false;
    std::wstring mask;
};
// A value without "\" gets one appended first (BASE alone).
FileRule SplitFileRule(std::wstring_view value);

// What the placeholders of file rules stand for in this call.
struct RulePlaceholders {
    std::wstring programFiles;   // %ProgramFiles%
    // The second Program Files folder of a 64-bit system, where 32-bit
    // programs live ("" when there is none, or it is the same folder):
    // %ProgramFiles% rules take both.
    std::wstring programFilesX86;
    std::wstring windowsDir;     // %windir%
    std::wstring localAppData;   // {Local AppData}
    std::wstring currentAppData; // {Current AppData}
    std::wstring commonAppData;  // {Common AppData}
    std::wstring localLowAppData; // {LocalLow AppData}
};

// The placeholders as they read now (RulePlaceholders.cpp).
RulePlaceholders ReadRulePlaceholders();

// True when base is one of the placeholders (exact letter case).
bool IsPlaceholder(std::wstring_view base);

// The folder a file rule works on: BASE replaced (placeholders compared
// with case, anything else taken literally), a "\" added when missing, then
// the folder path, read as CanonicalRulePath reads it. nullopt when a
// placeholder resolves to an empty text, or the result is no path of a
// drive of this machine ("\\server\...", a relative path, a control
// character, ...): such a rule would act relative to the current drive or
// folder, or reach out to the network.
std::optional<std::wstring> RuleFolder(const FileRule& rule, const RulePlaceholders& placeholders);
// Every folder the rule works on: RuleFolder's, and for a %ProgramFiles%
// rule the same path under the 32-bit programs' folder as well.
std::vector<std::wstring> RuleFolders(const FileRule& rule, const RulePlaceholders& placeholders);

}  // namespace klarvex
