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
    // system and both Program Files folders, ProgramData, the users folder,
    // and every profile of the machine (the registry's profile list and the
    // users folder's, Public among them) with the folders each keeps the
    // user's things in: Desktop, Documents (with its old My Pictures),
    // Downloads, Music, Pictures, Videos, Favorites, Contacts, Links, Saved
    // Games, Searches, 3D Objects, OneDrive and the AppData roots, and
    // wherever the shell says the user's and the public ones are. Each is
    // resolved as ResolvedPath does.
    TSafetyGuard();

    struct Protection {
        bool driveRoot = false;
        bool folder = false;       // one of the folders above
        bool askForFiles = false;  // a Documents folder or its My Pictures: asked about even for named files
        bool Any() const noexcept { return driveRoot || folder; }
    };
    Protection ProtectionOf(const std::wstring& folder) const;

    // A protected folder is folder itself or lies inside it: only then can
    // a walk of folder (which never follows links) come to one.
    bool HoldsProtected(const std::wstring& folder) const;

    // The folder is the Windows folder or a Program Files folder, or lies
    // inside one: what programs and the system are made of is there.
    bool InSystemFolder(const std::wstring& folder) const;

    // folder came from a rule path whose last names hold wildcards
    // ("%Documents%\*", "%UserProfile%\*s"), and the folder one of those
    // names is matched in is protected: the rule means whatever the user
    // keeps there, not a program's folder, and its walk counts as one of a
    // protected folder.
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
    std::vector<std::wstring> systemFolders_;
};

}  // namespace klarvex
