#pragma once

// Where the browsers keep their profiles. Each lookup gives a folder that
// exists and is no link to another place, or "" (then the cleaners that use
// it do nothing at all).

#include <stop_token>
#include <string>
#include <vector>

namespace klarvex {

// The folder of all Firefox profiles in the roaming and in the local
// application data folder, without trailing backslash.
std::wstring GetFirefoxProfilesDir();
std::wstring GetFirefoxLocalProfilesDir();

// The Netscape profile, with a trailing backslash: "pbzik8cu.default" when
// it exists, else the first profile folder whose path holds ".default",
// else the last one listed. The listing ends early when stop is requested.
std::wstring GetNetscapeProfileDir(const std::stop_token& stop);

// Opera's roaming and local folders, with a trailing backslash.
std::wstring GetOperaDir();
std::wstring GetOperaLocalDir();

// Chrome and the browsers built on it, which keep the same profiles in a
// user-data folder of their own below the local application data; today's
// Opera keeps its one profile in the roaming folder ("Opera Stable").
enum class Chromium : int { Chrome, Edge, Brave, OperaStable };

// The user-data folder, which holds the profiles and what they share, with
// a trailing backslash; today's Opera's is its one profile.
std::wstring GetChromiumUserDataDir(Chromium browser);
// Every profile of the browser, each with a trailing backslash: the
// default one, then the other folders of the user data that hold a
// Preferences file ("Profile 1", ...), in listing order.
std::vector<std::wstring> GetChromiumProfileDirs(Chromium browser);
// The disk cache of one of those profiles: its "Cache" folder, or for
// Opera the one below the local application data.
std::wstring ChromiumCacheDir(Chromium browser, const std::wstring& profile);

}  // namespace klarvex
