// The placeholders of file rules as this machine gives them. Apart from
// RuleText.cpp, which makes no system call.

#include <windows.h>

#include "formats/RuleText.h"
#include "platform/SystemLookups.h"

namespace klarvex {

RulePlaceholders ReadRulePlaceholders() {
    RulePlaceholders values;
    const std::vector<std::wstring> programFiles = GetProgramFilesDirs();
    if (!programFiles.empty()) values.programFiles = programFiles[0];
    if (programFiles.size() > 1) values.programFilesX86 = programFiles[1];
    values.windowsDir = GetWindowsDir();
    values.localAppData = ShellFoldersValue(HKEY_CURRENT_USER, L"Local AppData");
    values.currentAppData = ShellFoldersValue(HKEY_CURRENT_USER, L"AppData");
    values.commonAppData = ShellFoldersValue(HKEY_LOCAL_MACHINE, L"Common AppData");
    values.localLowAppData = GetLocalLowAppDataDir();
    return values;
}

}  // namespace klarvex
