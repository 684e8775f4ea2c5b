#include "formats/IndexDatView.h"

#include <windows.h>

#include <shellapi.h>

#include "base/Strings.h"

namespace klarvex {

namespace {
const std::wstring kNoText;
}

// The viewer's only use of the reader.
bool TIndexDatRows::Read(const std::wstring& path, IndexDatProgress& progress) {
    return ReadIndexDat(path, 0, addresses_, dates_, progress);
}

void TIndexDatRows::Clear() {
    // Given back, not kept: the next file may be far smaller.
    std::vector<IndexDatAddress>().swap(addresses_);
    std::vector<std::wstring>().swap(dates_);
}

const std::wstring& TIndexDatRows::Address(size_t row) const {
    return row < addresses_.size() ? addresses_[row].text : kNoText;
}

const std::wstring& TIndexDatRows::Date(size_t row) const { return row < dates_.size() ? dates_[row] : kNoText; }

int TIndexDatRows::ImageIndex(size_t row) const { return row < addresses_.size() ? addresses_[row].imageIndex : 0; }

bool IsIndexDatFileName(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
    return path.size() >= 4 && SameText(std::wstring_view(path).substr(path.size() - 4), L".dat");
}

bool IsOpenableAddress(const std::wstring& address) {
    for (const wchar_t c : address)
        if (c <= L' ' || c == L'"' || c == 0x7F) return false;
    const std::wstring upper = UpperCase(address);
    for (const wchar_t* scheme : {L"HTTP://", L"HTTPS://", L"FTP://"}) {
        const std::wstring prefix(scheme);
        // Something must follow the scheme: a bare "http://" names nothing.
        if (upper.size() > prefix.size() && upper.compare(0, prefix.size(), prefix) == 0) return true;
    }
    return false;
}

void ShellOpenAddress(HWND owner, const std::wstring& address) {
    ShellExecuteW(owner, L"open", address.c_str(), nullptr, nullptr, SW_SHOW);
}

bool OpenIndexDatAddress(HWND owner, const std::wstring& address, const AddressOpener& opener) {
    if (!IsOpenableAddress(address)) return false;
    opener(owner, address);
    return true;
}

}  // namespace klarvex
