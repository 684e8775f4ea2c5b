#include "engine/Folders.h"

#include "base/Handles.h"

namespace klarvex {

namespace {

bool IsDotEntry(const wchar_t* name) {
    return name[0] == L'.' && (name[1] == L'\0' || (name[1] == L'.' && name[2] == L'\0'));
}

}  // namespace

bool IsPlainFolder(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) && !IsLink(attributes);
}

void ForEachEntry(const std::wstring& folder, const std::function<bool(const FolderEntry&)>& visit) {
    WIN32_FIND_DATAW data;
    FindHandle find(FindFirstFileExW((folder + L"*").c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr,
                                     FIND_FIRST_EX_LARGE_FETCH));
    if (!find) return;
    do {
        if (IsDotEntry(data.cFileName)) continue;
        const bool isFolder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if (isFolder && IsLink(data.dwFileAttributes)) continue;
        const int64_t size = static_cast<int64_t>((uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow);
        if (!visit(FolderEntry{data.cFileName, isFolder, isFolder ? 0 : size})) return;
    } while (FindNextFileW(find.Get(), &data));
}

}  // namespace klarvex
