#include "settings/AutoStart.h"

#include <windows.h>

#include "base/Exception.h"
#include "base/Handles.h"
#include "base/Strings.h"
#include "base/Texts.h"
#include "platform/RegistryKeys.h"

namespace klarvex {

std::wstring ReadAutoStartCommand() {
    return ReadRegString(HKEY_CURRENT_USER, kRunKeyPath, LoadText(IDS_PRODUCT_NAME));
}

bool IsAutoStartCommand(const std::wstring& command) { return command.find(L"-Auto") != std::wstring::npos; }

std::wstring AutoStartCommand(const std::wstring& exePath) {
    const std::wstring program = exePath.find(L' ') == std::wstring::npos ? exePath : L"\"" + exePath + L"\"";
    return program + L" -Auto";
}

void SetAutoStart(bool on) {
    const std::wstring name = LoadText(IDS_PRODUCT_NAME);
    RegKey run;
    // A key that cannot be opened shows as the failed write below.
    RegCreateKeyExW(HKEY_CURRENT_USER, kRunKeyPath, 0, nullptr, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr,
                    run.Put(), nullptr);
    if (!on) {
        if (run) RegDeleteValueW(run.Get(), name.c_str());
        return;
    }
    const std::wstring command = AutoStartCommand(ExePath());
    const auto bytes = static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t));
    if (!run || RegSetValueExW(run.Get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                               bytes) != ERROR_SUCCESS) {
        std::wstring message = LoadText(IDS_FAILED_TO_SET_DATA);
        if (const size_t at = message.find(L"%s"); at != std::wstring::npos) message.replace(at, 2, name);
        throw Exception(message);
    }
}

}  // namespace klarvex
