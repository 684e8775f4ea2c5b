#pragma once

// Wiping a drive's free space, where the files deleted earlier are: it is
// filled with files of random bytes, then with many small files (NTFS keeps
// a small file inside its file table, where deleted small files were), in a
// folder of the program's own at the drive's root. Every file is opened to
// be deleted when it is closed, so the space comes back when the wipe ends,
// is cancelled, or the program is ended; the folder a crash leaves is
// removed at the next start of the program.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace klarvex {

// The folder at a drive's root that a wipe fills.
inline constexpr wchar_t kWipeFolderName[] = L"Klarvex free space wipe";

// The roots ("C:\") of the local fixed drives, in letter order.
std::vector<std::wstring> FixedDriveRoots();

// The drives a wipe of the chosen ones takes (bit n for the letter 'A' + n):
// those chosen, or when none is, the drive Windows is on.
uint32_t ChosenOrWindowsDrive(uint32_t chosen);

// A drive root as the user may name it ("d", "D:", "d:\"): "D:\"; nothing
// for any other text.
std::optional<std::wstring> DriveRootOf(const std::wstring& text);

// The bytes of the drive's free space this user may write; 0 when the
// drive cannot tell.
uint64_t FreeSpaceOf(const std::wstring& root);

// Whether the drive says it is a solid-state drive (it incurs no seek
// penalty); nothing when it does not say.
std::optional<bool> IsSolidStateDrive(const std::wstring& root);

// Fills the free space of the drive at root, as above, and gives it back.
// progress is told the bytes written so far, after each block of at most a
// megabyte, and stops the wipe by returning false. The bytes written.
uint64_t WipeFreeSpace(const std::wstring& root, const std::function<bool(uint64_t written)>& progress);

// Removes what a wipe ended by a crash left at the root of each local fixed
// drive: its folder, and in it the files of such a wipe alone.
void RemoveWipeLeftovers();

}  // namespace klarvex
