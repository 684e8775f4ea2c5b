#include "platform/Folders.h"

#include <winternl.h>

#include <algorithm>

#include "base/Handles.h"
#include "base/PathText.h"
#include "base/Strings.h"

namespace klarvex {

namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
constexpr size_t kMaxNtNameChars = 32767;  // a UNICODE_STRING's length is 16 bits of bytes
constexpr LONG kStatusObjectNameInvalid = static_cast<LONG>(0xC0000033);

bool IsDotEntry(std::wstring_view name) { return name == L"." || name == L".."; }

// The attributes an open handle's file or folder has; 0 when they cannot be
// told.
DWORD AttributesOf(HANDLE handle) {
    FILE_ATTRIBUTE_TAG_INFO tag = {};
    return GetFileInformationByHandleEx(handle, FileAttributeTagInfo, &tag, sizeof(tag)) ? tag.FileAttributes : 0;
}

bool IsPlainFolderHandle(HANDLE handle) {
    const DWORD attributes = AttributesOf(handle);
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) && !IsLink(attributes);
}

}  // namespace

bool IsPlainFolder(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) && !IsLink(attributes);
}

std::optional<std::wstring> SystemPathOf(HANDLE handle) {
    // A FILE_NAME_INFO: the name's length in bytes, then the name. Most
    // paths fit the first buffer; a longer one says how long it is.
    std::vector<DWORD> buffer(1 + MAX_PATH);
    for (int attempt = 0; attempt < 2; ++attempt) {
        const DWORD size = static_cast<DWORD>(buffer.size() * sizeof(DWORD));
        const auto* info = reinterpret_cast<const FILE_NAME_INFO*>(buffer.data());
        if (GetFileInformationByHandleEx(handle, FileNameInfo, buffer.data(), size))
            return std::wstring(info->FileName, info->FileNameLength / sizeof(wchar_t));
        if (GetLastError() != ERROR_MORE_DATA) return std::nullopt;
        buffer.resize(2 + info->FileNameLength / sizeof(DWORD));
    }
    return std::nullopt;
}

std::optional<OpenedFolder> OpenedFolder::Open(const std::wstring& path) {
    // Under Wine a Unix link to a folder shows as a reparse point only to
    // the path: a handle gets its target. A drive's root is the drive,
    // whatever Wine maps it to.
    if (!IsPlainFolder(path) && !IsRootFolder(WithBackslash(path))) return std::nullopt;
    FileHandle handle(CreateFileW(path.c_str(), FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | SYNCHRONIZE, kShareAll,
                                  nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT,
                                  nullptr));
    if (!handle || !IsPlainFolderHandle(handle.Get())) return std::nullopt;
    return OpenedFolder(std::move(handle));
}

FileHandle OpenedFolder::OpenEntry(const std::wstring& name, ACCESS_MASK access, ULONG options, LONG& status,
                                   DWORD share) const {
    if (name.size() > kMaxNtNameChars) {
        status = kStatusObjectNameInvalid;
        return {};
    }
    UNICODE_STRING text;
    text.Buffer = const_cast<wchar_t*>(name.c_str());
    text.Length = text.MaximumLength = static_cast<USHORT>(name.size() * sizeof(wchar_t));
    OBJECT_ATTRIBUTES attributes;
    InitializeObjectAttributes(&attributes, &text, OBJ_CASE_INSENSITIVE, handle_.Get(), nullptr);
    IO_STATUS_BLOCK io;
    HANDLE opened = nullptr;
    status = NtCreateFile(&opened, access | SYNCHRONIZE, &attributes, &io, nullptr, 0, share, FILE_OPEN,
                          options | FILE_SYNCHRONOUS_IO_NONALERT, nullptr, 0);
    return status == 0 ? FileHandle(opened) : FileHandle();
}

std::optional<OpenedFolder> OpenedFolder::OpenSubfolder(const std::wstring& name) const {
    if (!IsWindowsName(name)) return std::nullopt;
    LONG status = 0;
    FileHandle handle = OpenEntry(name, FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES,
                                  FILE_DIRECTORY_FILE | FILE_OPEN_FOR_BACKUP_INTENT | FILE_OPEN_REPARSE_POINT, status);
    if (!handle || !IsPlainFolderHandle(handle.Get()) || !IsEntry(handle.Get(), name)) return std::nullopt;
    return OpenedFolder(std::move(handle));
}

const std::wstring& OpenedFolder::SystemPath() const {
    if (!systemPath_) {
        // Nothing told gives a path no entry's path can continue.
        systemPath_ = SystemPathOf(handle_.Get()).value_or(L"?");
        // The root's path is "\": its entries' are "\name".
        if (systemPath_->ends_with(L'\\')) systemPath_->pop_back();
    }
    return *systemPath_;
}

bool OpenedFolder::IsEntry(HANDLE handle, const std::wstring& name) const {
    const std::wstring& folder = SystemPath();
    const auto path = SystemPathOf(handle);
    if (!path || path->size() != folder.size() + 1 + name.size()) return false;
    return (*path)[folder.size()] == L'\\' && SameText(std::wstring_view(*path).substr(0, folder.size()), folder) &&
           SameText(std::wstring_view(*path).substr(folder.size() + 1), name);
}

void ForEachEntry(const OpenedFolder& folder, const std::function<bool(const FolderEntry&)>& visit,
                  const PassedOverName& passedOver) {
    // Listed through the folder's handle, as FindFirstFileEx lists with a
    // large fetch: a buffer of 64 KB at a time.
    std::vector<ULONGLONG> buffer(64 * 1024 / sizeof(ULONGLONG));
    const DWORD size = static_cast<DWORD>(buffer.size() * sizeof(ULONGLONG));
    // One entry for the whole listing: its name keeps its buffer from one
    // file to the next instead of taking a new one each time.
    FolderEntry entry;
    entry.folder = &folder;
    FILE_INFO_BY_HANDLE_CLASS kind = FileFullDirectoryRestartInfo;
    while (GetFileInformationByHandleEx(folder.Handle(), kind, buffer.data(), size)) {
        kind = FileFullDirectoryInfo;
        const auto* info = reinterpret_cast<const FILE_FULL_DIR_INFO*>(buffer.data());
        for (;;) {
            const std::wstring_view name(info->FileName, info->FileNameLength / sizeof(wchar_t));
            const DWORD attributes = info->FileAttributes;
            entry.isFolder = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
            if (IsDotEntry(name) || (entry.isFolder && IsLink(attributes))) {
                // neither a name of the folder's own nor one to follow
            } else if (!IsWindowsName(name)) {
                if (passedOver) passedOver(std::wstring(name));
            } else {
                entry.name.assign(name);
                entry.size = entry.isFolder ? 0 : info->EndOfFile.QuadPart;
                if (!visit(entry)) return;
            }
            if (info->NextEntryOffset == 0) break;
            info = reinterpret_cast<const FILE_FULL_DIR_INFO*>(reinterpret_cast<const BYTE*>(info) +
                                                               info->NextEntryOffset);
        }
    }
}

void ForEachEntry(const std::wstring& folder, const std::function<bool(const FolderEntry&)>& visit,
                  const PassedOverName& passedOver) {
    if (const auto opened = OpenedFolder::Open(folder)) ForEachEntry(*opened, visit, passedOver);
}

std::vector<std::wstring> ExpandWildcardPath(const std::wstring& path, bool lastMayBeFile) {
    // The "?" of a "\\?\" prefix is no wildcard.
    const size_t prefix = WithoutDevicePrefix(path).size() == path.size() ? 0 : 4;
    const size_t wildcard = path.find_first_of(L"*?", prefix);
    if (wildcard == std::wstring::npos) return {path};
    const size_t slash = path.rfind(L'\\', wildcard);
    if (slash == std::wstring::npos) return {};
    const std::wstring parent = path.substr(0, slash + 1);
    // A wildcard in the drive or server name leaves no folder to look into.
    if (!IsAbsolutePath(parent)) return {};
    const size_t end = path.find(L'\\', wildcard);
    const std::wstring upperPattern = UpperCase(path.substr(slash + 1, end - slash - 1));
    const std::wstring rest = end == std::wstring::npos ? std::wstring() : path.substr(end);
    std::vector<std::wstring> paths;
    ForEachEntry(parent, [&](const FolderEntry& entry) {
        const bool wanted = entry.isFolder || (rest.empty() && lastMayBeFile);
        if (wanted && WildcardMatch(upperPattern, UpperCase(entry.name))) {
            for (auto& found : ExpandWildcardPath(parent + entry.name + rest, lastMayBeFile))
                paths.push_back(std::move(found));
        }
        return true;
    });
    return paths;
}

int64_t FileSize(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (path.empty() || !GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return 0;
    return static_cast<int64_t>((uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow);
}

bool DeleteAtReboot(const std::wstring& path) {
    if (path.empty() || GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) return true;
    return MoveFileExW(path.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT | MOVEFILE_REPLACE_EXISTING) != FALSE;
}

bool IsLinkedFile(const std::wstring& path) {
    const size_t slash = path.rfind(L'\\');
    if (slash == std::wstring::npos) return false;
    const auto folder = OpenedFolder::Open(path.substr(0, slash + 1));
    if (!folder) return false;
    const std::wstring name = path.substr(slash + 1);
    LONG status = 0;
    FileHandle file = folder->OpenEntry(name, FILE_READ_ATTRIBUTES, FILE_OPEN_REPARSE_POINT, status);
    if (!file) return false;
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(file.Get(), &info)) return false;
    return IsLink(info.dwFileAttributes) || info.nNumberOfLinks > 1 || !folder->IsEntry(file.Get(), name);
}

std::wstring NewCopyName(const std::wstring& path, int attempt) {
    return path + L"." + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(attempt) + L".new";
}

bool ReplaceFileContent(const std::wstring& path, std::string_view bytes) {
    FileHandle file;
    std::wstring fresh;
    for (int attempt = 0; attempt < 100 && !file; ++attempt) {
        fresh = NewCopyName(path, attempt);
        file.Reset(CreateFileW(fresh.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file && GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS) return false;
    }
    if (!file) return false;
    bool written = true;
    for (size_t done = 0; written && done < bytes.size();) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 20));
        DWORD wrote = 0;
        written = WriteFile(file.Get(), bytes.data() + done, chunk, &wrote, nullptr) && wrote == chunk;
        done += wrote;
    }
    written = written && FlushFileBuffers(file.Get());
    file.Reset();
    if (!written || !MoveFileExW(fresh.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileW(fresh.c_str());
        return false;
    }
    return true;
}

std::optional<std::string> ReadWholeFile(const std::wstring& path, size_t maxBytes) {
    const size_t slash = path.rfind(L'\\');
    const auto folder = slash == std::wstring::npos ? std::nullopt : OpenedFolder::Open(path.substr(0, slash + 1));
    if (!folder) return std::nullopt;
    const std::wstring name = path.substr(slash + 1);
    LONG status = 0;
    const FileHandle file = folder->OpenEntry(name, GENERIC_READ, FILE_NON_DIRECTORY_FILE | FILE_OPEN_REPARSE_POINT |
                                                                      FILE_SEQUENTIAL_ONLY,
                                              status, FILE_SHARE_READ | FILE_SHARE_WRITE);
    BY_HANDLE_FILE_INFORMATION info;
    if (!file || !GetFileInformationByHandle(file.Get(), &info) || IsLink(info.dwFileAttributes) ||
        !folder->IsEntry(file.Get(), name))
        return std::nullopt;
    const uint64_t size = (uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow;
    if (size > maxBytes) return std::nullopt;
    std::string bytes(static_cast<size_t>(size), '\0');
    for (size_t got = 0; got < bytes.size();) {
        DWORD read = 0;
        const DWORD want = static_cast<DWORD>(std::min<size_t>(bytes.size() - got, 1u << 20));
        if (!ReadFile(file.Get(), bytes.data() + got, want, &read, nullptr)) return std::nullopt;
        if (read == 0) {  // shorter than it said: what is there
            bytes.resize(got);
            break;
        }
        got += read;
    }
    return bytes;
}

}  // namespace klarvex
