// Cleaners of the Instant Messengers category that are built into the
// program (ICQ and AOL Instant Messenger come from Klarvex.dat).

#include "cleaners/messengers/MessengerCleaners.h"

#include <windows.h>

#include <shlobj.h>

#include <string>
#include <vector>

#include "base/Format.h"
#include "base/Handles.h"
#include "base/PathText.h"
#include "base/Strings.h"
#include "platform/Folders.h"
#include "platform/RegistryKeys.h"
#include "platform/SystemLookups.h"

namespace klarvex {

namespace {

const wchar_t kPassportSettingsKey[] = L"Software\\Microsoft\\MSNMessenger\\PerPassportSettings";

// The message log folder of the first passport whose "MessageLogPath" names
// an existing folder; otherwise what the last readable passport said.
std::wstring MsnMessageLogPath() {
    std::vector<std::wstring> passports;
    {
        RegKey settings;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, kPassportSettingsKey, 0, KEY_ALL_ACCESS, settings.Put()) != ERROR_SUCCESS)
            return {};
        // A passport key that is a registry link is another program's.
        passports = OwnSubkeyNames(settings.Get());
    }
    std::wstring logPath;
    for (const auto& passport : passports) {
        logPath = ReadRegString(HKEY_CURRENT_USER, std::wstring(kPassportSettingsKey) + L"\\" + passport,
                                L"MessageLogPath");
        // Only a whole path is taken: a relative one (or an unexpanded
        // "%USERPROFILE%\...") would be completed with whatever the current
        // folder happens to be, and that folder would be emptied.
        if (!IsAbsolutePath(logPath)) logPath.clear();
        if (!logPath.empty() && IsPlainFolder(logPath)) break;
    }
    return logPath;
}

// The folder as the system resolves it ("\.\" and "\..\" taken out), with a
// trailing backslash; the text itself when it cannot be resolved.
std::wstring ResolvedFolder(const std::wstring& folder) {
    wchar_t buffer[MAX_PATH * 2];
    const DWORD length = GetFullPathNameW(folder.c_str(), MAX_PATH * 2, buffer, nullptr);
    if (length == 0 || length >= MAX_PATH * 2) return folder;
    return WithBackslash(std::wstring(buffer, length));
}

// True when folder lies somewhere below outer.
bool LiesInside(const std::wstring& folder, const std::wstring& outer) {
    if (folder.empty() || outer.empty()) return false;
    const std::wstring inner = ResolvedFolder(folder), around = ResolvedFolder(outer);
    return inner.size() > around.size() && SameText(inner.substr(0, around.size()), around);
}

}  // namespace

void CleanMsnMessenger(CleanerRun& run) {
    std::wstring logPath = MsnMessageLogPath();

    EndBrowserSession();
    const std::wstring documents = ShellFolderPath(CSIDL_PERSONAL);
    std::wstring received = documents.empty() ? std::wstring() : documents + L"My Received Files\\";

    logPath = WithBackslash(logPath);
    // Folder names are not case-sensitive: the same folder written in other
    // letters is still the same folder, and would be counted twice.
    if (!logPath.empty() && !received.empty() && SameText(ResolvedFolder(logPath), ResolvedFolder(received)))
        received.clear();
    // MSN Messenger keeps its history below "My Received Files" unless told
    // otherwise. The walk of that folder takes the log folder with it, so
    // a walk of its own would list every log file twice in a Test run,
    // while a Clean run removes each once.
    if (LiesInside(logPath, received) && IsPlainFolder(received)) logPath.clear();

    int64_t bytes = 0;
    if (!logPath.empty() && IsPlainFolder(logPath)) bytes += run.ClearFolder(logPath, false, true, L"", run.ItemCount);
    if (!received.empty() && IsPlainFolder(received)) bytes += run.ClearFolder(received, false, true, L"", run.ItemCount);
    run.ItemBytes = bytes;
    run.ItemSizeText = FormatKB(bytes);
}

void CleanYahooMessenger(CleanerRun& run) {
    // A 32-bit program: on a 64-bit system it lives in the second Program
    // Files folder. Each folder is looked at once.
    int64_t bytes = 0;
    for (const auto& programFiles : GetProgramFilesDirs()) {
        // Without a whole path the folders below would start at the root of
        // the current drive.
        if (!IsAbsolutePath(programFiles)) continue;
        const std::wstring messenger = WithBackslash(programFiles) + L"Yahoo!\\Messenger";
        bytes += run.ClearFilesByMask(messenger, L"ypager.log", run.ItemCount, false);
        bytes += run.ClearFolder(messenger + L"\\IMVCache", false, true, L"", run.ItemCount);
        bytes += run.ClearFolder(messenger + L"\\Profiles", false, true, L"", run.ItemCount);
    }
    run.ItemBytes = bytes;
    run.ItemSizeText = FormatKB(bytes);
}

void CleanSkype(CleanerRun& run) {
    const std::wstring appData = GetAppDataDir();
    if (appData.empty() || !IsPlainFolder(appData)) return;
    run.ItemBytes = run.ClearFilesByMask(appData + L"Skype", L"*.dbb", run.ItemCount, true);
    run.ItemSizeText = FormatKB(run.ItemBytes);
}

}  // namespace klarvex
