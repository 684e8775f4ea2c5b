#include "settings/UserFiles.h"

#include <windows.h>

#include <shlobj.h>

#include "base/Strings.h"
#include "base/Texts.h"
#include "platform/SystemLookups.h"

namespace klarvex {

namespace {

bool FileExists(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

std::wstring UserFilePath(const std::wstring& name, const std::wstring& programFolder) {
    const std::wstring beside = programFolder + name;
    if (FileExists(beside) || !FileExists(programFolder + kInstalledMarker)) return beside;
    const std::wstring appData = ShellFolderPath(CSIDL_APPDATA);
    if (appData.empty()) return beside;
    const std::wstring folder = appData + LoadText(IDS_PRODUCT_NAME) + L"\\";
    // A folder that cannot be made shows as a failed write of the file.
    CreateDirectoryW(folder.c_str(), nullptr);
    return folder + name;
}

std::wstring UserFilePath(const std::wstring& name) { return UserFilePath(name, ExeDir()); }

}  // namespace klarvex
