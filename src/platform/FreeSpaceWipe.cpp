#include "platform/FreeSpaceWipe.h"

#include <windows.h>
#include <winioctl.h>

#include <algorithm>
#include <chrono>
#include <random>

#include "base/Handles.h"
#include "platform/FileRemoval.h"
#include "platform/Folders.h"
#include "platform/SystemLookups.h"

namespace klarvex {

namespace {

constexpr DWORD kBlock = 1u << 20;             // written at a time, and the progress step
constexpr DWORD kSmallestBlock = 4096;         // what a nearly full drive still takes
constexpr uint64_t kMostFileBytes = 1u << 30;  // well below FAT32's 4 GB a file
constexpr DWORD kSmallFileBytes = 512;         // kept inside NTFS's file table
constexpr int kMostSmallFiles = 50'000;
constexpr int kSmallFilesPerProgress = 256;

// The names of a wipe's files: "w000001.tmp" fill the space, "s000001.tmp"
// the file table.
std::wstring WipeFileName(wchar_t kind, int number) {
    wchar_t name[16];
    swprintf(name, 16, L"%lc%06d.tmp", kind, number);
    return name;
}

bool IsWipeFileName(const std::wstring& name) {
    return name.size() == 11 && (name[0] == L'w' || name[0] == L's') && name.ends_with(L".tmp") &&
           std::all_of(name.begin() + 1, name.begin() + 7, [](wchar_t c) { return c >= L'0' && c <= L'9'; });
}

// A new file of the wipe, to be deleted when its handle is closed.
FileHandle CreateWipeFile(const std::wstring& folder, wchar_t kind, int number) {
    return FileHandle(CreateFileW((folder + WipeFileName(kind, number)).c_str(), GENERIC_WRITE, 0, nullptr,
                                  CREATE_NEW, FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
}

void FillRandom(std::vector<uint64_t>& block, std::mt19937_64& random) {
    std::generate(block.begin(), block.end(), [&] { return random(); });
}

// The folder of a wipe at root and, in it, the files of a wipe: the rest
// (anything else a user put there) stays, and the folder with it.
void RemoveWipeFolder(const std::wstring& root) {
    const std::wstring folder = root + kWipeFolderName;
    const auto opened = OpenedFolder::Open(folder);
    if (!opened) return;
    ForEachEntry(*opened, [&](const FolderEntry& entry) {
        if (!entry.isFolder && IsWipeFileName(entry.name)) RemoveFileEntry(*opened, entry.name, 0);
        return true;
    });
    RemoveEmptyFolder(*opened);
}

}  // namespace

std::vector<std::wstring> FixedDriveRoots() {
    std::vector<std::wstring> roots;
    const DWORD drives = GetLogicalDrives();
    for (int letter = 0; letter < 26; ++letter) {
        if (!(drives & (1u << letter))) continue;
        const std::wstring root = {static_cast<wchar_t>(L'A' + letter), L':', L'\\'};
        if (GetDriveTypeW(root.c_str()) == DRIVE_FIXED) roots.push_back(root);
    }
    return roots;
}

uint32_t ChosenOrWindowsDrive(uint32_t chosen) {
    if (chosen) return chosen;
    const auto root = DriveRootOf(GetWindowsDir().substr(0, 2));
    return root ? 1u << ((*root)[0] - L'A') : 0;
}

std::optional<std::wstring> DriveRootOf(const std::wstring& text) {
    if (text.empty() || text.size() > 3) return std::nullopt;
    const wchar_t letter = static_cast<wchar_t>(towupper(text[0]));
    if (letter < L'A' || letter > L'Z') return std::nullopt;
    if (text.size() >= 2 && text[1] != L':') return std::nullopt;
    if (text.size() == 3 && text[2] != L'\\' && text[2] != L'/') return std::nullopt;
    return std::wstring{letter, L':', L'\\'};
}

uint64_t FreeSpaceOf(const std::wstring& root) {
    ULARGE_INTEGER available{};
    return GetDiskFreeSpaceExW(root.c_str(), &available, nullptr, nullptr) ? available.QuadPart : 0;
}

std::optional<bool> IsSolidStateDrive(const std::wstring& root) {
    const std::wstring volume = L"\\\\.\\" + root.substr(0, 2);
    const FileHandle drive(CreateFileW(volume.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                       OPEN_EXISTING, 0, nullptr));
    if (!drive) return std::nullopt;
    STORAGE_PROPERTY_QUERY query{};
    query.PropertyId = StorageDeviceSeekPenaltyProperty;
    query.QueryType = PropertyStandardQuery;
    DEVICE_SEEK_PENALTY_DESCRIPTOR penalty{};
    DWORD returned = 0;
    if (!DeviceIoControl(drive.Get(), IOCTL_STORAGE_QUERY_PROPERTY, &query, sizeof(query), &penalty,
                         sizeof(penalty), &returned, nullptr) ||
        returned < sizeof(penalty))
        return std::nullopt;
    return !penalty.IncursSeekPenalty;
}

uint64_t WipeFreeSpace(const std::wstring& root, const std::function<bool(uint64_t written)>& progress) {
    RemoveWipeFolder(root);
    const std::wstring folder = root + kWipeFolderName + L"\\";
    // What a crash left and could not be removed (another program's file in
    // it) is written beside.
    if (!CreateDirectoryW(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) return 0;
    const auto opened = OpenedFolder::Open(folder);
    if (!opened) return 0;

    std::mt19937_64 random(static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
    std::vector<uint64_t> block(kBlock / sizeof(uint64_t));
    const auto* bytes = reinterpret_cast<const BYTE*>(block.data());
    std::vector<FileHandle> files;  // every one goes when closed
    uint64_t written = 0;
    bool going = true;

    // Large files until even the smallest block finds no room.
    DWORD chunk = kBlock;
    for (int number = 1; going && chunk >= kSmallestBlock; ++number) {
        FileHandle file = CreateWipeFile(folder, L'w', number);
        if (!file) break;
        FillRandom(block, random);
        uint64_t size = 0;
        while (going && size < kMostFileBytes) {
            DWORD wrote = 0;
            if (!WriteFile(file.Get(), bytes, chunk, &wrote, nullptr) || wrote < chunk) {
                size += wrote;
                written += wrote;
                if ((chunk /= 2) < kSmallestBlock) break;
                continue;
            }
            size += wrote;
            written += wrote;
            going = progress(written);
        }
        files.push_back(std::move(file));
    }
    // Then small files, each in a record of the file table, until no more
    // can be made.
    for (int number = 1; going && number <= kMostSmallFiles; ++number) {
        FileHandle file = CreateWipeFile(folder, L's', number);
        DWORD wrote = 0;
        if (!file) break;
        const bool full = !WriteFile(file.Get(), bytes + (number % 1024) * kSmallFileBytes, kSmallFileBytes, &wrote,
                                     nullptr) ||
                          wrote < kSmallFileBytes;
        written += wrote;
        files.push_back(std::move(file));
        if (full) break;
        if (number % kSmallFilesPerProgress == 0) going = progress(written);
    }
    // What was written reaches the disk before the files go.
    if (going)
        for (const auto& file : files) FlushFileBuffers(file.Get());
    files.clear();
    RemoveEmptyFolder(*opened);
    return written;
}

void RemoveWipeLeftovers() {
    for (const auto& root : FixedDriveRoots())
        if (GetFileAttributesW((root + kWipeFolderName).c_str()) != INVALID_FILE_ATTRIBUTES) RemoveWipeFolder(root);
}

}  // namespace klarvex
