// Automatic jump lists through Windows' structured storage.
//
// What structured storage does under Wine 8 (probed on the real lists and
// on damaged copies of them):
// - A compound file whose sector chains or directory tree loop makes
//   StgOpenStorageEx, or the enumeration of its elements, loop for ever.
//   So a file is read whole, checked (CompoundFileIsSound), and storage is
//   opened over those checked bytes in memory: it reads nothing else, and
//   nothing can change the file between the check and the reading.
// - Element names compare without letter case ("destlist" opens DestList),
//   and elements enumerate sorted by name, not in the file's order.
// - StgCreateStorageEx with STGM_FAILIFTHERE refuses an existing file
//   (STG_E_FILEALREADYEXISTS) and writes a standard version 3 file that
//   other readers of the format read back.

#include <windows.h>

#include <objbase.h>

#include <cstring>
#include <map>

#include "base/Handles.h"
#include "base/Strings.h"
#include "formats/JumpList.h"
#include "platform/Folders.h"

namespace klarvex {

namespace {

// A list of a thousand entries of a few hundred bytes each stays far below
// this.
constexpr size_t kMaxJumpListBytes = 16 * 1024 * 1024;
constexpr wchar_t kDestListStream[] = L"DestList";

ComPtr<IStorage> StorageOnBytes(const std::string& bytes) {
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    if (!memory) return {};
    if (void* data = GlobalLock(memory)) {
        std::memcpy(data, bytes.data(), bytes.size());
        GlobalUnlock(memory);
    }
    ComPtr<ILockBytes> lockBytes;
    if (FAILED(CreateILockBytesOnHGlobal(memory, TRUE, lockBytes.Put()))) {
        GlobalFree(memory);
        return {};
    }
    ComPtr<IStorage> storage;
    if (FAILED(StgOpenStorageOnILockBytes(lockBytes.Get(), nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, nullptr, 0,
                                          storage.Put())))
        return {};
    return storage;
}

struct Element {
    std::wstring name;
    DWORD type = 0;
    uint64_t size = 0;
};

std::vector<Element> Elements(IStorage* storage) {
    std::vector<Element> elements;
    ComPtr<IEnumSTATSTG> list;
    if (FAILED(storage->EnumElements(0, nullptr, 0, list.Put()))) return elements;
    STATSTG stat;
    while (list.Get()->Next(1, &stat, nullptr) == S_OK) {
        elements.push_back({stat.pwcsName ? stat.pwcsName : L"", stat.type, stat.cbSize.QuadPart});
        CoTaskMemFree(stat.pwcsName);
    }
    return elements;
}

// The stream whole; its size is bounded by the checked file it lies in.
std::optional<std::string> ReadStream(IStorage* storage, const Element& element) {
    ComPtr<IStream> stream;
    if (FAILED(storage->OpenStream(element.name.c_str(), nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, stream.Put())))
        return std::nullopt;
    std::string bytes(static_cast<size_t>(element.size), '\0');
    ULONG read = 0;
    if (FAILED(stream.Get()->Read(bytes.data(), static_cast<ULONG>(bytes.size()), &read)) || read != bytes.size())
        return std::nullopt;
    return bytes;
}

bool WriteStream(IStorage* storage, const wchar_t* name, const std::string& bytes) {
    ComPtr<IStream> stream;
    if (FAILED(storage->CreateStream(name, STGM_CREATE | STGM_WRITE | STGM_SHARE_EXCLUSIVE, 0, 0, stream.Put())))
        return false;
    ULONG written = 0;
    return SUCCEEDED(stream.Get()->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &written)) &&
           written == bytes.size();
}

}  // namespace

std::optional<AutomaticJumpList> ReadAutomaticJumpList(const std::wstring& path) {
    AutomaticJumpList list;
    auto file = ReadWholeFile(path, kMaxJumpListBytes);
    if (!file || !CompoundFileIsSound(*file)) return std::nullopt;
    list.file = std::move(*file);
    const ComPtr<IStorage> storage = StorageOnBytes(list.file);
    if (!storage) return std::nullopt;

    std::map<uint64_t, AutomaticJumpList::Link> links;
    std::optional<std::string> destList;
    for (const auto& element : Elements(storage.Get())) {
        const auto number = EntryNumberOfStream(element.name);
        if (SameText(element.name, kDestListStream)) {
            if (element.type != STGTY_STREAM) return std::nullopt;
            destList = ReadStream(storage.Get(), element);
        } else if (number) {
            if (element.type != STGTY_STREAM || !links.emplace(*number, AutomaticJumpList::Link{element.name,
                                                                                                 element.size})
                                                         .second)
                return std::nullopt;
        }
    }
    if (!destList) return std::nullopt;
    // A list emptied of its entries: nothing in it is indexed, nothing to
    // clean.
    if (destList->empty()) return list;
    auto index = ParseDestList(*destList);
    if (!index || index->entries.size() != links.size()) return std::nullopt;
    for (const auto& entry : index->entries) {
        const auto link = links.find(entry.number);
        if (link == links.end()) return std::nullopt;
        list.links.push_back(link->second);
    }
    list.destList = std::move(*destList);
    list.index = std::move(*index);
    return list;
}

namespace {

// The new copy's bytes on the disk: structured storage writes through
// handles of its own and flushes none.
bool Flushed(const std::wstring& path) {
    const FileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    return file && FlushFileBuffers(file.Get());
}

// The list's pinned entries written to a name of their own beside path
// (NewCopyName); "" when no copy could be made.
std::wstring PinnedCopy(const AutomaticJumpList& list, const std::wstring& path) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::wstring fresh = NewCopyName(path, attempt);
        if (GetFileAttributesW(fresh.c_str()) != INVALID_FILE_ATTRIBUTES) continue;  // left by a broken-off run
        if (!WritePinnedJumpList(list, fresh)) return {};
        if (Flushed(fresh)) return fresh;
        DeleteFileW(fresh.c_str());
        return {};
    }
    return {};
}

}  // namespace

PinnedRewrite KeepPinnedEntries(const AutomaticJumpList& list, const std::wstring& path) {
    const std::wstring fresh = PinnedCopy(list, path);
    if (fresh.empty()) return PinnedRewrite::NotWritten;
    PinnedRewrite result = PinnedRewrite::Done;
    if (ReadWholeFile(path, list.file.size()) != list.file)
        result = PinnedRewrite::Changed;
    else if (!MoveFileExW(fresh.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        result = PinnedRewrite::NotReplaced;
    if (result != PinnedRewrite::Done) DeleteFileW(fresh.c_str());
    return result;
}

bool WritePinnedJumpList(const AutomaticJumpList& list, const std::wstring& fresh) {
    const ComPtr<IStorage> source = StorageOnBytes(list.file);
    if (!source) return false;
    ComPtr<IStorage> target;
    if (FAILED(StgCreateStorageEx(fresh.c_str(), STGM_READWRITE | STGM_SHARE_EXCLUSIVE | STGM_FAILIFTHERE,
                                  STGFMT_DOCFILE, 0, nullptr, nullptr, IID_IStorage,
                                  reinterpret_cast<void**>(target.Put()))))
        return false;

    // Everything but the unpinned entries' links and the old index.
    std::vector<std::wstring> left{kDestListStream};
    for (size_t i = 0; i < list.links.size(); ++i)
        if (!list.index.entries[i].pinned) left.push_back(list.links[i].stream);
    std::vector<wchar_t*> exclude;
    for (auto& name : left) exclude.push_back(name.data());
    exclude.push_back(nullptr);

    const bool written = SUCCEEDED(source.Get()->CopyTo(0, nullptr, exclude.data(), target.Get())) &&
                         WriteStream(target.Get(), kDestListStream, PinnedOnlyDestList(list.destList, list.index)) &&
                         SUCCEEDED(target.Get()->Commit(STGC_DEFAULT));
    target.Reset();
    if (!written) DeleteFileW(fresh.c_str());
    return written;
}

}  // namespace klarvex
