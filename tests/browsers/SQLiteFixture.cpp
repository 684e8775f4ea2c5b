#include "SQLiteFixture.h"

#include <windows.h>

namespace klarvex::test {

std::wstring CopyRealData(const testing::ScratchFolder& folder, const std::wstring& name) {
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
