#pragma once

// Path and file-name text: wildcards, file masks, the spellings of a
// path's start, and how a path of a rule file or a mask is read before
// anything acts on it. A rule is judged by what it means, never by its
// spelling: "C:/Users//me/./Documents" is the Documents folder, and "?*"
// takes every file as "*" does. No system call here, so the native build
// can run it under the sanitizers; what a path really is on the disk is
// the safety guard's (platform/SafetyGuard.h).

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
    const std::wstring& Text() const noexcept { return mask_; }
    // The mask takes every file, whatever its spelling (IsEverythingMask).
    bool MatchesEveryName() const noexcept;

private:
    std::wstring mask_;
    std::wstring upper_;
    std::wstring prefix_;
    std::wstring suffix_;
    bool hasWildcard_ = false;
    bool oneStar_ = false;  // a single "*" and no "?": prefix and suffix
    ExactName exact_ = ExactName::WithCase;
};

// The name (given with its upper-case form) fits one of the masks.
bool FitsAnyMask(const std::vector<FileMask>& masks, std::wstring_view name, std::wstring_view upperName);

// The path with one trailing backslash (added when missing; "" stays "",
// never the bare "\" that would name the current drive's root).
std::wstring WithBackslash(std::wstring path);
// The path without trailing backslashes, but for a drive's root ("C:\"),
// which keeps its own.
std::wstring WithoutTrailingBackslash(std::wstring path);

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

// A path of a rule file as the system will take it: "/" read as "\",
// repeated separators and "." names dropped, ".." resolved, without a
// trailing backslash (a drive root keeps its own: "C:\"). Wildcards stay.
// nullopt for what no rule may name: an empty text, a NUL or other control
// character, a relative path ("Temp", "C:Temp", "\Temp"), a network or
// device path ("\\host\share", "\\?\C:\", "\\.\pipe"), a ":" after the
// drive (a file's stream), a name ending in "." or " " (Windows would
// drop them and name another folder), or a ".." above the drive's root.
std::optional<std::wstring> CanonicalRulePath(std::wstring_view text);

// A name of the path, split at "\" and "/", is "." or "..": the path could
// lead out of the folder it seems to name.
bool HasDotName(std::wstring_view text);

// A name a file or folder on Windows can have: not empty, not "." or "..",
// without "\", "/", ":", a wildcard, '"', "<", ">", "|", a control
// character or U+FFFD (what a name that is no valid Unicode is listed as),
// and not ending in "." or " ". A listing may hand out other names (a Unix
// file system holds them): joined to their folder, such a name would name
// something else ("..\Documents"), or (dropped dot) another file.
bool IsWindowsName(std::wstring_view name);

// The mask takes every file whatever its spelling: it is made only of "*",
// "?" and "." with at least one wildcard ("*", "?*", "*.*", "*.", "??*.*").
// A mask that holds anything else names files.
bool IsEverythingMask(std::wstring_view mask);

// A mask that, in a folder the user keeps things in, takes only what nobody
// keeps: an exact name, or a wildcard mask that fixes an extension other
// than those of documents, pictures, audio, video, archives, programs and
// system files ("*.log", "*.tmp", "~*.bak", "*.dmp" are narrow; "*a*",
// "*.txt", "*.dll", "*.jpg", "*.lo?", "*.*" are not).
bool IsNarrowMask(std::wstring_view mask);

// upperName (in upper case) is that of a program or a part of the system:
// an extension such as EXE, DLL, SYS, DRV, OCX, CPL, MUI, MSI, SCR or EFI.
bool IsProgramFileName(std::wstring_view upperName);

// How many names at the end of a path hold a wildcard:
// "C:\Users\me\Documents\*\*o*" ends in two. A rule that reaches folders
// this way directly below a protected folder ("%Documents%\*a*") means
// whatever the user keeps there, not a program's folder.
size_t TrailingWildcardNames(std::wstring_view path);

}  // namespace klarvex
