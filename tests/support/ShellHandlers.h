#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "base/Handles.h"
#include "support/Fixtures.h"

namespace klarvex::testing {

// Registers the recorder as the program that opens addresses of these
// schemes, and puts back what was there: the old command, or no "shell"
// key at all.
class ShellHandlers {
public:
    explicit ShellHandlers(const std::vector<std::wstring>& schemes) {
        const std::wstring command = L"\"" + ExeDir() + L"klarvex-open-recorder.exe\" \"%1\"";
        for (const auto& scheme : schemes) {
            Saved saved{scheme + L"\\shell", false, false, {}};
            RegKey existing;
            saved.shellExisted =
                RegOpenKeyExW(HKEY_CLASSES_ROOT, saved.shell.c_str(), 0, KEY_READ, existing.Put()) == ERROR_SUCCESS;
            saved.commandExisted = ReadCommand(scheme, saved.command);
            saved_.push_back(saved);
            RegKey created;
            RegCreateKeyExW(HKEY_CLASSES_ROOT, (scheme + kCommand).c_str(), 0, nullptr, 0, KEY_WRITE, nullptr,
                            created.Put(), nullptr);
            SetCommand(created.Get(), command);
        }
    }
    ~ShellHandlers() {
        for (const auto& saved : saved_) {
            if (!saved.shellExisted) {
                RegDeleteTreeW(HKEY_CLASSES_ROOT, saved.shell.c_str());
                RegDeleteKeyW(HKEY_CLASSES_ROOT, saved.shell.c_str());
                continue;
            }
            RegKey key;
            if (RegOpenKeyExW(HKEY_CLASSES_ROOT, (saved.shell + kOpenCommand).c_str(), 0, KEY_WRITE, key.Put()) != ERROR_SUCCESS)
                continue;
            if (saved.commandExisted) SetCommand(key.Get(), saved.command);
            else RegDeleteValueW(key.Get(), nullptr);
        }
    }
    ShellHandlers(const ShellHandlers&) = delete;
    ShellHandlers& operator=(const ShellHandlers&) = delete;

private:
    static constexpr wchar_t kCommand[] = L"\\shell\\open\\command";
    static constexpr wchar_t kOpenCommand[] = L"\\open\\command";
    struct Saved {
        std::wstring shell;  // the scheme's "shell" key
        bool shellExisted, commandExisted;
        std::wstring command;
    };
    static bool ReadCommand(const std::wstring& scheme, std::wstring& command) {
        RegKey key;
        if (RegOpenKeyExW(HKEY_CLASSES_ROOT, (scheme + kCommand).c_str(), 0, KEY_READ, key.Put()) != ERROR_SUCCESS)
            return false;
        wchar_t value[1024] = L"";
        DWORD size = sizeof(value) - sizeof(wchar_t);
        if (RegQueryValueExW(key.Get(), nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(value), &size) != ERROR_SUCCESS)
            return false;
        command = value;
        return true;
    }
    static void SetCommand(HKEY key, const std::wstring& command) {
        RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                       static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t)));
    }
    std::vector<Saved> saved_;
};

}  // namespace klarvex::testing
