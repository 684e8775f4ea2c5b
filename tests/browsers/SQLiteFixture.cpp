#include "SQLiteFixture.h"

#include <atomic>
#include <vector>

namespace klarvex::test {

namespace {

void RemoveTree(const std::wstring& folder) {
    WIN32_FIND_DATAW entry;
    const HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &entry);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = entry.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring path = folder + L"\\" + name;
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(path);
            } else {
                SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(path.c_str());
            }
        } while (FindNextFileW(find, &entry));
        FindClose(find);
    }
    RemoveDirectoryW(folder.c_str());
}

}  // namespace

ScratchFolder::ScratchFolder() {
    static std::atomic<int> counter{0};
    std::vector<wchar_t> temp(MAX_PATH + 1);
    const DWORD length = GetTempPathW(static_cast<DWORD>(temp.size()), temp.data());
    std::wstring base(temp.data(), length);
    if (!base.empty() && base.back() == L'\\') base.pop_back();
    path_ = base + L"\\klarvex-sqlite-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
            std::to_wstring(++counter);
    RemoveTree(path_);
    if (!CreateDirectoryW(path_.c_str(), nullptr))
        ADD_FAILURE() << "cannot create the scratch folder, error " << GetLastError();
}

ScratchFolder::~ScratchFolder() { RemoveTree(path_); }

std::wstring CopyRealData(const ScratchFolder& folder, const std::wstring& name) {
    const std::wstring source = L"C:\\realdata\\" + name;
    const std::wstring copy = folder / name;
    if (!CopyFileW(source.c_str(), copy.c_str(), TRUE))
        ADD_FAILURE() << "cannot copy the real database, error " << GetLastError();
    SetFileAttributesW(copy.c_str(), FILE_ATTRIBUTE_NORMAL);
    return copy;
}

bool FileExists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace klarvex::test
