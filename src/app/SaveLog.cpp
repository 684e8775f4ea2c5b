#include "app/SaveLog.h"

#include <windows.h>

#include "base/Handles.h"
#include "base/Strings.h"
#include "base/Texts.h"

namespace klarvex {

std::wstring LogFileName(const std::wstring& chosenName) {
    const size_t folderEnd = chosenName.find_last_of(L"\\/:");
    const size_t dot = chosenName.rfind(L'.');
    const bool hasExtension = dot != std::wstring::npos && (folderEnd == std::wstring::npos || dot > folderEnd);
    if (hasExtension && chosenName.compare(dot, std::wstring::npos, L".txt") == 0) return chosenName;
    return chosenName + L".txt";
}

std::wstring LogFileText(const std::vector<std::wstring>& logLines) {
    std::wstring text = LoadText(IDS_GENERATED_BY) + LoadText(IDS_PRODUCT_NAME) + L"\r\n";
    text += LoadText(IDS_VISIT) + LoadText(IDS_URL_HOME) + LoadText(IDS_FOR_LATEST_VERSION) + L"\r\n";
    text += L"\r\n";
    for (const auto& line : logLines) text += line + L"\r\n";
    return text;
}

bool WriteLogFile(const std::wstring& path, const std::wstring& text) {
    FileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    // UTF-8 with its byte order mark: the log holds paths in any script,
    // which the system code page cannot all carry, and with the mark every
    // Windows editor, Notepad of any version included, reads it as UTF-8.
    const std::string bytes = "\xEF\xBB\xBF" + WideToUtf8(text);
    DWORD written = 0;
    return WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

}  // namespace klarvex
