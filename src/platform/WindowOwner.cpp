#include "platform/WindowOwner.h"

#include "base/Handles.h"

namespace klarvex {

std::wstring WindowProgramName(HWND window) {
    DWORD processId = 0;
    if (!GetWindowThreadProcessId(window, &processId) || processId == 0) return {};
    // The limited right is granted for processes of other users and of
    // higher integrity too, where reading their memory is not. Wine grants
    // it for every process, and names the image of a program started from
    // outside every drive "\\?\unix\...": its last part is still the
    // program's file name.
    UniqueHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    if (!process) return {};
    std::wstring path(32 * 1024, L'\0');
    DWORD length = static_cast<DWORD>(path.size());
    if (!QueryFullProcessImageNameW(process.Get(), 0, path.data(), &length)) return {};
    path.resize(length);
    return path.substr(path.find_last_of(L"\\/") + 1);
}

}  // namespace klarvex
