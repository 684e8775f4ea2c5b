#pragma once

// Text rules of the cleaning engine that need no system call: file masks,
// the splitting of rule-file lines, root key names, placeholders and the
// Windows version code. Kept free of Windows calls so the native build can
// run them under the sanitizers.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace klarvex {

// Whether upperName fits upperPattern, both in upper case: "*" stands for
// any run of characters (none too), "?" for any one character.
bool WildcardMatch(std::wstring_view upperPattern, std::wstring_view upperName);

// True when text holds a "*" or a "?".
bool HasWildcard(std::wstring_view text);

// A file mask ("cookies*.txt", "*.dmp", "*", "*.*", "*Cache*", "log?.txt",
// or an exact name such as "index.dat"). A one-star mask is a prefix and a
// suffix, compared in upper case; a mask with more stars or a "?" is
// matched as a whole in upper case; a mask without either is an exact name.
class FileMask {
public:
    enum class ExactName { WithCase, AnyCase };
    // upperMask is mask in upper case (the caller's locale decides it).
    // Exact names are compared with letter case unless exact says AnyCase.
    FileMask(std::wstring mask, std::wstring_view upperMask, ExactName exact = ExactName::WithCase);

    // name and its upper-case form.
    bool Matches(std::wstring_view name, std::wstring_view upperName) const;

    // The mask is empty or holds a wildcard (it may stand for any file).
    bool EmptyOrWildcard() const noexcept { return mask_.empty() || hasWildcard_; }
    // The mask takes every file ("*", "*.*", "**").
    bool MatchesEveryName() const noexcept {
        return mask_ == L"*.*" || (hasWildcard_ && upper_.find_first_not_of(L'*') == std::wstring::npos);
    }

private:
    std::wstring mask_;
    std::wstring upper_;
    std::wstring prefix_;
    std::wstring suffix_;
    bool hasWildcard_ = false;
    bool oneStar_ = false;  // a single "*" and no "?": prefix and suffix
    ExactName exact_ = ExactName::WithCase;
};

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

// True when base is one of the placeholders (exact letter case).
bool IsPlaceholder(std::wstring_view base);

// The folder a file rule works on: BASE replaced (placeholders compared
// with case, anything else taken literally), a "\" added when missing, then
// the folder path. nullopt when a placeholder resolves to an empty text, or
// the result is not an absolute path ("X:\..." or "\\server\..."): such a
// rule would otherwise act relative to the current drive or folder. A
// value that begins with "\" has no base and keeps its path as written.
std::optional<std::wstring> RuleFolder(const FileRule& rule, const RulePlaceholders& placeholders);
// Every folder the rule works on: RuleFolder's, and for a %ProgramFiles%
// rule the same path under the 32-bit programs' folder as well.
std::vector<std::wstring> RuleFolders(const FileRule& rule, const RulePlaceholders& placeholders);

// The five registry roots, by the names rule files use.
enum class RootKey { None, ClassesRoot, CurrentUser, LocalMachine, Users, CurrentConfig };
// upperName must already be in upper case; abbreviations ("HKCU") are no root.
RootKey RootKeyFromName(std::wstring_view upperName);
// "HKEY_CURRENT_USER" and so on; "" for None.
const wchar_t* RootKeyText(RootKey root);

// A registry key path as the system wants it: without leading or trailing
// backslashes. Empty when nothing is left (the root itself).
std::wstring TrimKeyPath(std::wstring_view keyPath);

// A key that holds the settings of many programs, which no rule may delete
// or empty whole: the first level of every root (Software, SYSTEM, a user's
// hive under HKEY_USERS, the classes), and the shared keys below Software
// (Microsoft, Classes, Policies, Wow6432Node, Windows\CurrentVersion, its
// Run, Explorer and Uninstall keys, ...), also as the 32-bit programs' view
// under Wow6432Node and as HKEY_USERS\<user>\... . upperKeyPath must
// already be in upper case.
bool IsSharedRegistryKey(RootKey root, std::wstring_view upperKeyPath);

// The program's code for a Windows version: platformId 2 is the NT family,
// anything else the 9x family.
//   NT: 3.x 5, 4.x 6, 5.0 7, 5.1 9, 5.2 10, other 5.x 7, 6 and later 11,
//       below 3 10
//   9x: 4.0 1, 4.10 3, 4.90 8, other 10
int32_t WindowsVersionCode(uint32_t platformId, uint32_t major, uint32_t minor);
// Codes 1 to 4 and 8 are the 9x family.
bool IsWin9xCode(int32_t code);

// The path with one trailing backslash (added when missing; "" stays "",
// never the bare "\" that would name the current drive's root).
std::wstring WithBackslash(std::wstring path);

// "X:\..." or "\\server\...", also behind a "\\?\" or "\\.\" prefix: a path
// that names its drive. Anything else would be taken relative to the
// current drive or folder, or names a device rather than a folder.
bool IsAbsolutePath(std::wstring_view path);

// The path without a "\\?\" or "\\.\" prefix ("\\?\UNC\server\share" becomes
// "\\server\share"): the spelling the drive-root and folder comparisons use.
std::wstring WithoutDevicePrefix(std::wstring_view path);

// The root of a drive or of a network share ("C:\", "\\server\share\"), in
// any spelling of the prefix. The folder comes with its trailing backslash.
bool IsRootFolder(std::wstring_view folderWithBackslash);

}  // namespace klarvex
