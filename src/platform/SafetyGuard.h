#pragma once

// The safety guard: which folders of this machine no rule may wipe, judged
// on what a path really is, never on how it is spelled. "C:\Windows\..",
// "c:/users/ME/Documents/" and a link that leads to the profile are the
// folders they stand for. The removal primitives ask it before they walk,
// empty or remove a folder, whatever the rule came from.

#include <string>
#include <string_view>
#include <vector>

namespace klarvex {

class TSafetyGuard {
public:
    // Looks the protected folders up: drive roots aside, the Windows,
    // system and both Program Files folders, ProgramData, the users folder
    // and every profile in it, the three AppData roots, and the user's
    // Desktop, Documents (with its old My Pictures), Downloads, Music,
    // Pictures and Videos. Each is resolved as ResolvedPath does.
    TSafetyGuard();

    struct Protection {
        bool driveRoot = false;
        bool folder = false;       // one of the folders above
        bool askForFiles = false;  // My Documents or its My Pictures: asked about even for named files
        bool Any() const noexcept { return driveRoot || folder; }
    };
    Protection ProtectionOf(const std::wstring& folder) const;

    // A protected folder is folder itself or lies inside it: only then can
    // a walk of folder (which never follows links) come to one.
    bool HoldsProtected(const std::wstring& folder) const;

    // folder came from a rule path whose last names take every folder
    // ("%Documents%\*\*"), and one of the folders those names stand for
    // is protected: the rule means every folder in Documents, not a
    // program's folder, and its walk counts as one of a protected folder.
    bool ReachedThroughProtected(std::wstring_view rulePath, const std::wstring& folder) const;

    // Where path really is: the system's full path of the text (".." and
    // "/" resolved, a "\\?\" prefix dropped), then the final path of its
    // deepest existing part as the file system names it once opened
    // (links on the way followed, short names made long, letter case as
    // stored), the rest appended. No trailing backslash but a root's.
    static std::wstring ResolvedPath(const std::wstring& path);

private:
    std::vector<std::wstring> folders_;  // resolved, upper case, each with a trailing backslash
    std::vector<std::wstring> askForFiles_;
};

}  // namespace klarvex
