#pragma once

// What the index.dat viewer shows and opens, without its window: the two
// parallel lists of rows, the one call into the index.dat reader, and the
// rule for which addresses may go to the shell.

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "formats/IndexDat.h"

namespace klarvex {

// The viewer's rows: entry i of both lists is row i of its list view.
class TIndexDatRows {
public:
    // Appends the rows of the file at `path`; false when it could not be
    // opened. `progress` is driven and pumped as the reader does it.
    bool Read(const std::wstring& path, IndexDatProgress& progress);
    void Clear();

    size_t Count() const noexcept { return addresses_.size(); }
    // Empty texts for a row that does not exist.
    const std::wstring& Address(size_t row) const;
    const std::wstring& Date(size_t row) const;
    int ImageIndex(size_t row) const;

private:
    std::vector<IndexDatAddress> addresses_;
    std::vector<std::wstring> dates_;
};

// The file the viewer may read: it exists, is not a folder, and its name
// ends in ".dat" in any letter case.
bool IsIndexDatFileName(const std::wstring& path);

// Only web and FTP addresses (http://, https://, ftp://, any letter case)
// are handed to the shell. Anything else an index.dat file holds - a local
// path, "file:", "javascript:", another scheme, a "Visited: user@" entry -
// would make the shell run or open whatever it names. Neither may it hold
// blanks, quotes or control characters, which could end the address early
// on the command line of the program the shell starts for it.
bool IsOpenableAddress(const std::wstring& address);

// How the shell is asked to open an address: the viewer's window and the
// address. The program's own is ShellExecute with "open" and SW_SHOW.
using AddressOpener = std::function<void(HWND owner, const std::wstring& address)>;
void ShellOpenAddress(HWND owner, const std::wstring& address);

// Hands the address to `opener` when it may be opened; true when it was.
bool OpenIndexDatAddress(HWND owner, const std::wstring& address, const AddressOpener& opener);

}  // namespace klarvex
