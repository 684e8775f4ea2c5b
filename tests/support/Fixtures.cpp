#include "support/Fixtures.h"

#include <shlobj.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "base/Handles.h"
#include "base/Strings.h"
#include "platform/RegistryKeys.h"

namespace klarvex::testing {

std::wstring EnvironmentText(const wchar_t* name) {
    std::vector<wchar_t> buffer(GetEnvironmentVariableW(name, nullptr, 0) + 1);
    const DWORD length = GetEnvironmentVariableW(name, buffer.data(), static_cast<DWORD>(buffer.size()));
    return length < buffer.size() ? std::wstring(buffer.data(), length) : std::wstring();
}

void RemoveTree(const std::wstring& path) {
    if (path.empty()) return;
    const std::wstring folder = path.back() == L'\\' ? path : path + L"\\";
    WIN32_FIND_DATAW data;
    FindHandle find(FindFirstFileW((folder + L"*").c_str(), &data));
    if (find) {
        do {
            const std::wstring name = data.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring entry = folder + name;
            // Under Wine every delete through a folder link acts on its
            // target: links are left where they are.
            if (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) continue;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(entry);
            } else {
                SetFileAttributesW(entry.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(entry.c_str());
            }
        } while (FindNextFileW(find.Get(), &data));
    }
    find.Reset();
    RemoveDirectoryW(folder.c_str());
}

std::wstring UniqueName(const std::wstring& stem) {
    static LONG counter = 0;
    return stem + L"-" + IntToStr(GetCurrentProcessId()) + L"-" + IntToStr(InterlockedIncrement(&counter));
}

void StartUrlCacheAnew() {
    wchar_t cache[MAX_PATH] = L"";
    if (SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_INTERNET_CACHE, nullptr, SHGFP_TYPE_CURRENT, cache)))
        RemoveTree(std::wstring(cache) + L"\\Content.IE5");
}

void MakeFolders(const std::wstring& path) {
    for (size_t i = 3; i <= path.size(); ++i)
        if (i == path.size() || path[i] == L'\\') CreateDirectoryW(path.substr(0, i).c_str(), nullptr);
}

void MakeFile(const std::wstring& path, size_t size, char fill) {
    MakeFolders(path.substr(0, path.find_last_of(L'\\')));
    FileHandle file(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return;
    const std::string data(size, fill);
    DWORD written = 0;
    if (size > 0) WriteFile(file.Get(), data.data(), static_cast<DWORD>(size), &written, nullptr);
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string ReadBytes(const std::wstring& path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    std::stringstream content;
    content << in.rdbuf();
    return content.str();
}

void CopyTree(const std::wstring& from, const std::wstring& to) {
    MakeFolders(to);
    WIN32_FIND_DATAW data;
    FindHandle find(FindFirstFileW((from + L"\\*").c_str(), &data));
    if (!find) return;
    do {
        const std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            CopyTree(from + L"\\" + name, to + L"\\" + name);
        } else {
            CopyFileW((from + L"\\" + name).c_str(), (to + L"\\" + name).c_str(), FALSE);
            SetFileAttributesW((to + L"\\" + name).c_str(), FILE_ATTRIBUTE_NORMAL);
        }
    } while (FindNextFileW(find.Get(), &data));
}

namespace {

void AddFilesBelow(const std::wstring& folder, std::map<std::wstring, int64_t>& files) {
    WIN32_FIND_DATAW data;
    FindHandle find(FindFirstFileW((folder + L"*").c_str(), &data));
    if (!find) return;
    do {
        const std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            files[folder + name] = static_cast<int64_t>((uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow);
        else if (!(data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
            AddFilesBelow(folder + name + L"\\", files);
    } while (FindNextFileW(find.Get(), &data));
}

}  // namespace

std::map<std::wstring, int64_t> FilesBelow(const std::wstring& folder) {
    std::map<std::wstring, int64_t> files;
    AddFilesBelow(folder.ends_with(L'\\') ? folder : folder + L"\\", files);
    return files;
}

namespace {

void AddRegistryBelow(HKEY key, const std::wstring& path, std::map<std::wstring, int64_t>& entries) {
    entries[path + L"\\"] = 0;
    DWORD subkeys = 0, maxSubkey = 0, values = 0, maxValue = 0;
    if (RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subkeys, &maxSubkey, nullptr, &values, &maxValue, nullptr,
                         nullptr, nullptr) != ERROR_SUCCESS)
        return;
    std::vector<wchar_t> name(std::max(maxSubkey, maxValue) + 2);
    for (DWORD i = 0; i < values; ++i) {
        DWORD length = static_cast<DWORD>(name.size()), size = 0;
        if (RegEnumValueW(key, i, name.data(), &length, nullptr, nullptr, nullptr, &size) == ERROR_SUCCESS)
            entries[path + L"\\|" + std::wstring(name.data(), length)] = size;
    }
    for (const auto& subkey : OwnSubkeyNames(key)) {
        RegKey child;
        if (RegOpenKeyExW(key, subkey.c_str(), 0, KEY_READ, child.Put()) == ERROR_SUCCESS)
            AddRegistryBelow(child.Get(), path + L"\\" + subkey, entries);
    }
}

}  // namespace

std::map<std::wstring, int64_t> RegistryBelow(HKEY root, const std::wstring& path) {
    std::map<std::wstring, int64_t> entries;
    // A root opened by an empty path is the root's own handle, which the
    // registry cannot name: its subkeys are taken one by one.
    const std::vector<std::wstring> keys = path.empty() ? SubkeyNames(root) : std::vector<std::wstring>{path};
    for (const auto& keyPath : keys) {
        RegKey key;
        if (RegOpenKeyExW(root, keyPath.c_str(), 0, KEY_READ, key.Put()) == ERROR_SUCCESS)
            AddRegistryBelow(key.Get(), path.empty() ? L"\\" + keyPath : keyPath, entries);
    }
    return entries;
}

std::vector<std::wstring> ChangedFiles(const std::map<std::wstring, int64_t>& before,
                                       const std::map<std::wstring, int64_t>& after,
                                       const std::vector<std::wstring>& leftOut) {
    auto counts = [&](const std::wstring& path) {
        const std::wstring upper = UpperCase(path);
        for (const auto& folder : leftOut)
            if (!folder.empty() && upper.starts_with(UpperCase(folder))) return false;
        return true;
    };
    std::vector<std::wstring> changed;
    for (const auto& [path, size] : before) {
        const auto now = after.find(path);
        if (counts(path) && (now == after.end() || now->second != size)) changed.push_back(path);
    }
    for (const auto& [path, size] : after)
        if (counts(path) && !before.count(path)) changed.push_back(path);
    return changed;
}

ScratchFolder::ScratchFolder() {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    path_ = std::wstring(temp) + UniqueName(L"klarvex-test") + L"\\";
    RemoveTree(path_);
    MakeFolders(path_);
}

ScratchFolder::ScratchFolder(std::wstring path) : path_(std::move(path)) {
    RemoveTree(path_);
    MakeFolders(path_);
}

ScratchFolder::~ScratchFolder() { RemoveTree(path_); }

std::wstring ScratchFolder::operator/(const std::wstring& name) const {
    return (path_.ends_with(L'\\') ? path_ : path_ + L"\\") + name;
}

ProgramFileGuard::ProgramFileGuard(std::wstring name) : path_(ExeDir() + name) {
    hadFile_ = MoveFileExW(path_.c_str(), (path_ + L".test-saved").c_str(), MOVEFILE_REPLACE_EXISTING) != FALSE;
}

ProgramFileGuard::~ProgramFileGuard() {
    DeleteFileW(path_.c_str());
    if (hadFile_) MoveFileExW((path_ + L".test-saved").c_str(), path_.c_str(), MOVEFILE_REPLACE_EXISTING);
}

void ProgramFileGuard::Write(const std::string& content) const { WriteTextFile(path_, content); }

std::wstring ProgramFileGuard::Read(const std::wstring& section, const std::wstring& key) const {
    wchar_t value[2048] = L"";
    GetPrivateProfileStringW(section.c_str(), key.c_str(), L"<missing>", value, 2048, path_.c_str());
    return value;
}

ScratchRegKeys::ScratchRegKeys(std::vector<std::wstring> paths, HKEY root) : root_(root), paths_(std::move(paths)) {
    for (const auto& path : paths_) RegDeleteTreeW(root_, path.c_str());
}

ScratchRegKeys::~ScratchRegKeys() {
    for (const auto& path : paths_) RegDeleteTreeW(root_, path.c_str());
}

void ScratchRegKeys::SetString(const std::wstring& subkey, const std::wstring& name, const std::wstring& value) const {
    klarvex::testing::SetString(subkey.empty() ? paths_.at(0) : paths_.at(0) + L"\\" + subkey, name, value, REG_SZ,
                                root_);
}

namespace {

void SetRaw(HKEY root, const std::wstring& path, const std::wstring& name, DWORD type, const void* data, DWORD size) {
    RegKey key;
    if (RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.Put(), nullptr) !=
        ERROR_SUCCESS)
        return;
    RegSetValueExW(key.Get(), name.c_str(), 0, type, static_cast<const BYTE*>(data), size);
}

}  // namespace

RegistryLink::RegistryLink(std::wstring path, const std::wstring& target, HKEY targetRoot) : path_(std::move(path)) {
    RegKey key;
    if (RegOpenKeyExW(targetRoot, target.c_str(), 0, KEY_READ, key.Put()) != ERROR_SUCCESS) return;
    const auto real = RealKeyOf(key.Get());
    RegKey link;
    if (!real || RegCreateKeyExW(HKEY_CURRENT_USER, path_.c_str(), 0, nullptr,
                                 REG_OPTION_CREATE_LINK | REG_OPTION_VOLATILE, KEY_ALL_ACCESS | KEY_CREATE_LINK,
                                 nullptr, link.Put(), nullptr) != ERROR_SUCCESS)
        return;
    const std::wstring name =
        (real->root == RootKey::LocalMachine ? L"\\REGISTRY\\MACHINE\\" : L"\\REGISTRY\\USER\\") + real->path;
    made_ = RegSetValueExW(link.Get(), L"SymbolicLinkValue", 0, REG_LINK, reinterpret_cast<const BYTE*>(name.data()),
                           static_cast<DWORD>(name.size() * sizeof(wchar_t))) == ERROR_SUCCESS;
}

RegistryLink::~RegistryLink() {
    // Deleted as itself: a delete by name would go through to its target.
    RegKey link;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path_.c_str(), REG_OPTION_OPEN_LINK, DELETE, link.Put()) != ERROR_SUCCESS)
        return;
    using NtDeleteKey = LONG(NTAPI*)(HANDLE);
    reinterpret_cast<NtDeleteKey>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtDeleteKey")))(link.Get());
}

void CreateKey(const std::wstring& path, HKEY root) {
    RegKey key;
    RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.Put(), nullptr);
}

void SetString(const std::wstring& path, const std::wstring& name, const std::wstring& value, DWORD type, HKEY root) {
    SetRaw(root, path, name, type, value.c_str(), static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

void SetBinary(const std::wstring& path, const std::wstring& name, size_t size, HKEY root) {
    const std::string data(size, '\x5a');
    SetRaw(root, path, name, REG_BINARY, data.data(), static_cast<DWORD>(size));
}

void SetDword(const std::wstring& path, const std::wstring& name, DWORD value, HKEY root) {
    SetRaw(root, path, name, REG_DWORD, &value, sizeof(value));
}

void SetValues(const std::wstring& path, int n, HKEY root) {
    for (int i = 1; i <= n; ++i) SetBinary(path, L"V" + IntToStr(i), 8, root);
    if (n == 0) CreateKey(path, root);
}

bool KeyExists(const std::wstring& path, HKEY root) {
    RegKey key;
    return RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, key.Put()) == ERROR_SUCCESS;
}

bool ValueExists(const std::wstring& path, const std::wstring& name, HKEY root) {
    return RegGetValueW(root, path.c_str(), name.c_str(), RRF_RT_ANY, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

std::wstring ReadTextFile(const std::wstring& path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    std::stringstream content;
    content << in.rdbuf();
    return Utf8ToWide(content.str());
}

void WriteTextFile(const std::wstring& path, const std::string& content) {
    std::ofstream out(path.c_str(), std::ios::binary | std::ios::trunc);
    out << content;
}

std::vector<std::wstring> RecordingHost::Lines() const {
    std::lock_guard lock(mutex_);
    return lines_;
}

std::vector<int32_t> RecordingHost::Progress() const {
    std::lock_guard lock(mutex_);
    return progress_;
}

void RecordingHost::AddLog(const std::wstring& line) {
    std::lock_guard lock(mutex_);
    lines_.push_back(line);
}

void RecordingHost::AddEntryLine(const std::wstring& line, size_t entryAt) {
    std::lock_guard lock(mutex_);
    lines_.push_back(line);
    entries.push_back(line.substr(entryAt));
}

void RecordingHost::SetCurrentItem(const std::wstring& name) {
    std::lock_guard lock(mutex_);
    currentItems.push_back(name);
}

void RecordingHost::RunOnUiThread(const std::function<void()>& work) { work(); }

void RecordingHost::PostProgress(int32_t count) {
    std::lock_guard lock(mutex_);
    progress_.push_back(count);
}

void RecordingHost::PostDone(int32_t total) {
    std::lock_guard lock(mutex_);
    done = true;
    doneTotal = total;
}

void RecordingHost::ItemEnded(int32_t count, int64_t bytes) {
    std::lock_guard lock(mutex_);
    itemEnds.emplace_back(count, bytes);
}

bool RecordingHost::AskYesNo(const std::wstring& question) {
    std::lock_guard lock(mutex_);
    questions.push_back(question);
    return answer;
}

void RecordingHost::ShowNotice(const std::wstring& text, const std::wstring& caption) {
    std::lock_guard lock(mutex_);
    notices.push_back(text);
    noticeCaptions.push_back(caption);
}

void RecordingHost::ShowError(const std::wstring& message) {
    std::lock_guard lock(mutex_);
    errors.push_back(message);
}

std::vector<std::wstring> LinesStartingWith(const RecordingHost& host, const std::wstring& text) {
    std::vector<std::wstring> found;
    for (const auto& line : host.Lines())
        if (line.starts_with(text)) found.push_back(line);
    return found;
}

DpiSetting::DpiSetting(DWORD dpi) {
    RegCreateKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key_.Put(),
                    nullptr);
    DWORD size = sizeof(old_);
    had_ = RegQueryValueExW(key_.Get(), L"LogPixels", nullptr, nullptr, reinterpret_cast<BYTE*>(&old_), &size) ==
           ERROR_SUCCESS;
    RegSetValueExW(key_.Get(), L"LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi), sizeof(dpi));
}

DpiSetting::~DpiSetting() {
    if (had_)
        RegSetValueExW(key_.Get(), L"LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&old_), sizeof(old_));
    else
        RegDeleteValueW(key_.Get(), L"LogPixels");
}

}  // namespace klarvex::testing
