#pragma once

// Rule files in the Winapp2 format, the community's shared list of
// application traces, which a user may put beside the program as
// Winapp2.ini. This part reads the text only (no Windows calls, so the
// native build can run it under the sanitizers and fuzz it); finding an
// entry's places on the machine and cleaning them is the engine's.
//
//   [Entry name *]                  an entry (the " *" is not shown)
//   Detect=HKCU\Software\Vendor     a key that must exist (any one of
//   DetectFile=%AppData%\Vendor     them, or of the files, is enough)
//   DetectOS=6.1|10.0               a Windows version range
//   SpecialDetect=DET_CHROME        a browser that must be there
//   FileKey1=path|mask1;mask2[|RECURSE|REMOVESELF]
//   RegKey1=HKCU\Software\Vendor\History[|value]
//   ExcludeKey1=FILE|path|mask, FILE|path\name, PATH|path[|mask] or
//               REG|key[|value]
//   Warning=text shown before the entry is cleaned

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/RegistryPaths.h"

namespace klarvex {

inline constexpr wchar_t kWinapp2RuleFile[] = L"Winapp2.ini";

// The files of a FileKey line: those directly in path that match a mask,
// with recurse also those in every subfolder; with removeSelf the folders
// left empty go too, the path's own folder included.
struct Winapp2Files {
    std::wstring path;  // variables and wildcards as written
    std::vector<std::wstring> masks;
    bool recurse = false;
    bool removeSelf = false;
};

// A RegKey line: the key with its subkeys, or one value of it.
struct Winapp2Registry {
    std::wstring key;  // the root written short (HKCU) or long
    std::optional<std::wstring> value;
};

// What an entry's own lines must spare.
struct Winapp2Exclude {
    enum class Kind { File, Path, Registry } kind = Kind::File;
    std::wstring path;               // a folder, or a registry key
    std::vector<std::wstring> masks; // File: required; Path: none means all
    std::optional<std::wstring> value;  // Registry: one value, or the key
};

struct Winapp2Version {
    uint32_t major = 0;
    uint32_t minor = 0;
    auto operator<=>(const Winapp2Version&) const = default;
};

struct Winapp2Entry {
    std::wstring name;
    std::vector<std::wstring> detectKeys;
    std::vector<std::wstring> detectFiles;
    std::optional<Winapp2Version> osMin, osMax;
    std::wstring specialDetect;  // as written; "" for none
    std::vector<Winapp2Files> files;
    std::vector<Winapp2Registry> registry;
    std::vector<Winapp2Exclude> excludes;
    // ExcludeKey lines this reader cannot understand, as written: what the
    // author meant to keep is unknown, so the entry is never cleaned.
    std::vector<std::wstring> unreadableExcludes;
    std::wstring warning;
};

// Longest path, key or mask a line may hold; a longer one makes the line
// malformed. Bounds the work of matching wildcards against real names.
inline constexpr size_t kWinapp2MaxPath = 2048;

// Every entry of the text, in file order. Lines before the first entry,
// comments, unknown keys and malformed lines are passed over; the work is
// linear in the text's length.
std::vector<Winapp2Entry> ParseWinapp2(std::wstring_view text);

// The folder a SpecialDetect name stands for, in the path syntax of the
// file ("%LocalAppData%\Google\Chrome\User Data" for DET_CHROME, the
// Windows folder for DET_WINDOWS: Windows is always there); nullopt for a
// name this program does not know.
std::optional<std::wstring> SpecialDetectFolder(std::wstring_view name);

// A variable's name and values, as the machine gives them (no trailing
// backslash). %ProgramFiles% has two on a 64-bit system.
struct Winapp2Variable {
    std::wstring upperName;  // "LOCALAPPDATA"
    std::vector<std::wstring> values;
};

// Every path a text of the file stands for once its %Variables% are
// replaced (a variable with two values gives two paths), read as
// CanonicalRulePath reads it ("/" as "\", repeated and trailing
// separators dropped). Nothing when it names an unknown variable or one
// without a value, when the result is no path of a drive of this machine
// (a network path included: nothing in the file may reach the network),
// or when a name in it is "." or "..", which could lead out of the place
// the line names.
std::vector<std::wstring> ExpandWinapp2Variables(std::wstring_view text, const std::vector<Winapp2Variable>& variables);

// A registry key as the file writes it: a root, short (HKCU, HKLM, HKU,
// HKCR, HKCC) or long, then the path, read as CanonicalKeyPath reads it.
// nullopt for another root, a control character, or when no path follows
// it (a line never acts on a whole root).
struct Winapp2Key {
    RootKey root = RootKey::None;
    std::wstring path;  // canonical, without leading or trailing backslashes
};
std::optional<Winapp2Key> SplitWinapp2Key(std::wstring_view text);

}  // namespace klarvex
