#include "platform/Folders.h"

#include <algorithm>

#include "base/Handles.h"
#include "base/PathText.h"
#include "base/Strings.h"

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
    // One entry for the whole listing: its name keeps its buffer from one
    // file to the next instead of taking a new one each time.
    FolderEntry entry;
    do {
        if (IsDotEntry(data.cFileName)) continue;
        entry.isFolder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if (entry.isFolder && IsLink(data.dwFileAttributes)) continue;
        entry.name.assign(data.cFileName);
        entry.size = entry.isFolder ? 0 : static_cast<int64_t>((uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow);
        entry.attributes = data.dwFileAttributes;
        if (!visit(entry)) return;
    } while (FindNextFileW(find.Get(), &data));
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
    FileHandle file(CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION info;
    if (!file || !GetFileInformationByHandle(file.Get(), &info)) return false;
    return IsLink(info.dwFileAttributes) || info.nNumberOfLinks > 1;
}

bool ReplaceFileContent(const std::wstring& path, std::string_view bytes) {
    // A name of our own beside the file: another copy of the program may
    // be saving at the same moment, and a name left by a broken save is
    // never reused.
    FileHandle file;
    std::wstring fresh;
    for (int attempt = 0; attempt < 100 && !file; ++attempt) {
        fresh = path + L"." + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(attempt) + L".new";
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
    FileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    BY_HANDLE_FILE_INFORMATION info;
    if (!file || !GetFileInformationByHandle(file.Get(), &info) || IsLink(info.dwFileAttributes) ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
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
