#include "platform/FileRemoval.h"

#include <windows.h>
#include <winternl.h>

#include <algorithm>
#include <chrono>
#include <optional>
#include <iterator>
#include <random>
#include <vector>

#include "base/PathText.h"

namespace klarvex {

namespace {

constexpr DWORD kWipeBlock = 4096;
// Opened for removal: the delete itself, and the attributes (a read-only
// file loses its flag before it goes).
constexpr ACCESS_MASK kRemovalAccess = DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES;
constexpr ULONG kFileOptions = FILE_NON_DIRECTORY_FILE | FILE_OPEN_REPARSE_POINT;

constexpr LONG kStatusNoSuchFile = static_cast<LONG>(0xC000000F);
constexpr LONG kStatusObjectNameNotFound = static_cast<LONG>(0xC0000034);
constexpr LONG kStatusObjectPathNotFound = static_cast<LONG>(0xC000003A);
constexpr LONG kStatusFileIsADirectory = static_cast<LONG>(0xC00000BA);

FileRemoval RemovalOfFailedOpen(LONG status) {
    switch (status) {
        case kStatusNoSuchFile:
        case kStatusObjectNameNotFound:
        case kStatusObjectPathNotFound: return FileRemoval::Missing;
        case kStatusFileIsADirectory: return FileRemoval::NotAsListed;
        default: return FileRemoval::Failed;
    }
}

// The file name of folder opened through it, checked to be the plain file
// listed there: a link whose target would be acted on instead is refused.
// With write, opened for writing too when no other program has it open;
// writable says whether it was. What stood in the way, or nothing.
std::optional<FileRemoval> OpenListedFile(const OpenedFolder& folder, const std::wstring& name, ACCESS_MASK access,
                                          bool write, FileHandle& file, bool& writable) {
    if (!IsWindowsName(name)) return FileRemoval::NotAsListed;
    LONG status = 0;
    writable = false;
    if (write) {
        file = folder.OpenEntry(name, access | GENERIC_READ | GENERIC_WRITE, kFileOptions, status, 0);
        writable = static_cast<bool>(file);
    }
    if (!file) file = folder.OpenEntry(name, access, kFileOptions, status);
    if (!file) return RemovalOfFailedOpen(status);
    if (!folder.IsEntry(file.Get(), name)) return FileRemoval::NotAsListed;
    return std::nullopt;
}

// Overwrites an open file with passes passes of random bytes, unless it is
// a link or has another name.
bool OverwriteOpenFile(HANDLE file, int32_t passes) {
    FILE_STANDARD_INFO standard;
    FILE_ATTRIBUTE_TAG_INFO tag;
    if (!GetFileInformationByHandleEx(file, FileStandardInfo, &standard, sizeof(standard)) ||
        !GetFileInformationByHandleEx(file, FileAttributeTagInfo, &tag, sizeof(tag)))
        return false;
    // A file with a second name (hard link) keeps its content: the other
    // name is not ours to overwrite. Nor is a link's target.
    if (standard.Directory || standard.NumberOfLinks > 1 || IsLink(tag.FileAttributes)) return false;
    const uint64_t size = static_cast<uint64_t>(standard.EndOfFile.QuadPart);

    std::mt19937 random(static_cast<unsigned>(std::chrono::steady_clock::now().time_since_epoch().count()));
    std::uniform_int_distribution<int> byteValue(0, 254);
    std::vector<BYTE> block(kWipeBlock);
    for (int32_t pass = 0; pass < passes; ++pass) {
        std::fill(block.begin(), block.end(), static_cast<BYTE>(byteValue(random)));
        if (!SetFilePointerEx(file, LARGE_INTEGER{}, nullptr, FILE_BEGIN)) return false;
        for (uint64_t done = 0; done < size;) {
            const DWORD chunk = static_cast<DWORD>(std::min<uint64_t>(kWipeBlock, size - done));
            DWORD written = 0;
            if (!WriteFile(file, block.data(), chunk, &written, nullptr) || written != chunk) return false;
            done += chunk;
        }
        if (!FlushFileBuffers(file)) return false;
    }
    return true;
}

bool MarkForDeletion(HANDLE handle) {
    FILE_DISPOSITION_INFO disposition = {TRUE};
    return SetFileInformationByHandle(handle, FileDispositionInfo, &disposition, sizeof(disposition)) != FALSE;
}

bool SetAttributes(HANDLE file, DWORD attributes) {
    FILE_BASIC_INFO basic = {};  // times of 0 stay as they are
    basic.FileAttributes = attributes ? attributes : FILE_ATTRIBUTE_NORMAL;
    return SetFileInformationByHandle(file, FileBasicInfo, &basic, sizeof(basic)) != FALSE;
}

// The system refuses to delete a read-only file: the flag is cleared first,
// and put back when the delete still fails. The flag belongs to the file,
// not to this name: a file with a second name (hard link) gets it back
// once this name is marked to go.
bool DeleteReadOnly(HANDLE file) {
    FILE_BASIC_INFO basic;
    FILE_STANDARD_INFO standard;
    if (!GetFileInformationByHandleEx(file, FileBasicInfo, &basic, sizeof(basic)) ||
        !(basic.FileAttributes & FILE_ATTRIBUTE_READONLY) ||
        !GetFileInformationByHandleEx(file, FileStandardInfo, &standard, sizeof(standard)))
        return false;
    const DWORD attributes = basic.FileAttributes;
    if (!SetAttributes(file, attributes & ~DWORD{FILE_ATTRIBUTE_READONLY})) return false;
    if (!MarkForDeletion(file)) {
        SetAttributes(file, attributes);
        return false;
    }
    if (standard.NumberOfLinks > 1) SetAttributes(file, attributes);
    return true;
}

// Marks the open file to go when its handle closes, read-only or not.
bool MarkForDeletionEvenReadOnly(HANDLE file) {
    return MarkForDeletion(file) || (GetLastError() == ERROR_ACCESS_DENIED && DeleteReadOnly(file));
}

// A name of length letters and digits, for a file about to go: what a
// recovery tool finds of it says nothing of what it was.
std::wstring RandomName(size_t length, std::mt19937& random) {
    static constexpr wchar_t kLetters[] = L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    std::uniform_int_distribution<size_t> pick(0, std::size(kLetters) - 2);
    std::wstring name(length, L'\0');
    for (auto& c : name) c = kLetters[pick(random)];
    return name;
}

// Renames the open file to a random name of name's length in folderPath,
// its own folder; false when no such name could be taken.
bool RenameAtRandom(HANDLE file, const std::wstring& folderPath, const std::wstring& name) {
    std::mt19937 random(static_cast<unsigned>(std::chrono::steady_clock::now().time_since_epoch().count()));
    for (int attempt = 0; attempt < 3; ++attempt) {
        // The system's own path form: a name alone would be taken from the
        // current folder.
        const std::wstring target = L"\\??\\" + WithoutDevicePrefix(folderPath) + RandomName(name.size(), random);
        std::vector<BYTE> buffer(sizeof(FILE_RENAME_INFO) + target.size() * sizeof(wchar_t));
        auto* rename = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
        rename->ReplaceIfExists = FALSE;
        rename->RootDirectory = nullptr;
        rename->FileNameLength = static_cast<DWORD>(target.size() * sizeof(wchar_t));
        std::copy(target.begin(), target.end(), rename->FileName);
        if (SetFileInformationByHandle(file, FileRenameInfo, rename, static_cast<DWORD>(buffer.size()))) return true;
    }
    return false;
}

}  // namespace

Shredding ShredFileEntry(const OpenedFolder& folder, const std::wstring& folderPath, const std::wstring& name,
                         int32_t passes) {
    FileHandle file;
    bool writable = false;
    if (const auto failure = OpenListedFile(folder, name, kRemovalAccess, true, file, writable)) return {*failure};
    FILE_BASIC_INFO basic;
    FILE_STANDARD_INFO standard;
    if (!GetFileInformationByHandleEx(file.Get(), FileBasicInfo, &basic, sizeof(basic)) ||
        !GetFileInformationByHandleEx(file.Get(), FileStandardInfo, &standard, sizeof(standard)))
        return {FileRemoval::Failed};
    // Neither a link's target nor the content of another name is ours to
    // destroy: only this name goes.
    if (IsLink(basic.FileAttributes) || standard.NumberOfLinks > 1) {
        return {MarkForDeletionEvenReadOnly(file.Get()) ? FileRemoval::Removed : FileRemoval::Failed};
    }
    if (!writable && (basic.FileAttributes & FILE_ATTRIBUTE_READONLY)) {
        // The system opens a read-only file for no writing: the flag goes
        // first, through the handle that was checked, and the file is
        // opened again.
        if (!SetAttributes(file.Get(), basic.FileAttributes & ~DWORD{FILE_ATTRIBUTE_READONLY}))
            return {FileRemoval::Failed};
        file.Reset();
        if (const auto failure = OpenListedFile(folder, name, kRemovalAccess, true, file, writable))
            return {*failure};
    }
    // A file another program holds is not destroyed, and not deleted half;
    // a read-only one gets its flag back.
    if (!writable || !OverwriteOpenFile(file.Get(), std::max(passes, 1))) {
        if (basic.FileAttributes & FILE_ATTRIBUTE_READONLY) SetAttributes(file.Get(), basic.FileAttributes);
        return {FileRemoval::Failed};
    }
    RenameAtRandom(file.Get(), folderPath, name);
    FILE_END_OF_FILE_INFO empty{};
    SetFileInformationByHandle(file.Get(), FileEndOfFileInfo, &empty, sizeof(empty));
    return {MarkForDeletionEvenReadOnly(file.Get()) ? FileRemoval::Removed : FileRemoval::Failed, true};
}

FileRemoval RemoveFileEntry(const OpenedFolder& folder, const std::wstring& name, int32_t overwritePasses) {
    FileHandle file;
    bool writable = false;
    if (const auto failure = OpenListedFile(folder, name, kRemovalAccess, overwritePasses > 0, file, writable))
        return *failure;
    if (writable) OverwriteOpenFile(file.Get(), overwritePasses);
    return MarkForDeletionEvenReadOnly(file.Get()) ? FileRemoval::Removed : FileRemoval::Failed;
}

bool OverwriteFileEntry(const OpenedFolder& folder, const std::wstring& name, int32_t passes) {
    FileHandle file;
    bool writable = false;
    return !OpenListedFile(folder, name, FILE_READ_ATTRIBUTES, true, file, writable) && writable &&
           OverwriteOpenFile(file.Get(), passes);
}

FileRemoval RemoveLinkEntry(const OpenedFolder& folder, const std::wstring& name) {
    if (!IsWindowsName(name)) return FileRemoval::NotAsListed;
    LONG status = 0;
    const FileHandle link =
        folder.OpenEntry(name, DELETE | FILE_READ_ATTRIBUTES, FILE_OPEN_REPARSE_POINT | FILE_OPEN_FOR_BACKUP_INTENT, status);
    if (!link) return RemovalOfFailedOpen(status);
    FILE_ATTRIBUTE_TAG_INFO tag{};
    if (!GetFileInformationByHandleEx(link.Get(), FileAttributeTagInfo, &tag, sizeof(tag)) || !IsLink(tag.FileAttributes) ||
        !folder.IsEntry(link.Get(), name))
        return FileRemoval::NotAsListed;
    return MarkForDeletion(link.Get()) ? FileRemoval::Removed : FileRemoval::Failed;
}

bool RemoveEmptyFolder(const OpenedFolder& folder) {
    LONG status = 0;
    const FileHandle self = folder.OpenEntry(
        L"", DELETE | FILE_READ_ATTRIBUTES, FILE_DIRECTORY_FILE | FILE_OPEN_FOR_BACKUP_INTENT | FILE_OPEN_REPARSE_POINT,
        status);
    return self && MarkForDeletion(self.Get());
}

}  // namespace klarvex
