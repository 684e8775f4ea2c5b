#include "support/Fixtures.h"


#include <fstream>
#include <sstream>

#include "base/Handles.h"
#include "base/Strings.h"

namespace klarvex::testing {

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

TempDir::TempDir() {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    static LONG counter = 0;
    path_ = std::wstring(temp) + L"klarvex-test-" + IntToStr(GetCurrentProcessId()) + L"-" +
            IntToStr(InterlockedIncrement(&counter)) + L"\\";
    RemoveTree(path_);
    CreateDirectoryW(path_.c_str(), nullptr);
}

TempDir::~TempDir() { RemoveTree(path_); }

SettingsFileGuard::SettingsFileGuard() {
    hadFile_ = MoveFileExW(Path().c_str(), (Path() + L".test-saved").c_str(), MOVEFILE_REPLACE_EXISTING) != FALSE;
}

SettingsFileGuard::~SettingsFileGuard() {
    DeleteFileW(Path().c_str());
    if (hadFile_) MoveFileExW((Path() + L".test-saved").c_str(), Path().c_str(), MOVEFILE_REPLACE_EXISTING);
}

std::wstring SettingsFileGuard::Path() { return ExeDir() + L"settings.ini"; }

void SettingsFileGuard::Write(const std::string& content) const { WriteTextFile(Path(), content); }

std::wstring SettingsFileGuard::Read(const std::wstring& section, const std::wstring& key) const {
    wchar_t value[2048] = L"";
    GetPrivateProfileStringW(section.c_str(), key.c_str(), L"<missing>", value, 2048, Path().c_str());
    return value;
}

ScratchRegKey::ScratchRegKey(HKEY root, std::wstring path) : root_(root), path_(std::move(path)) {
    RegDeleteTreeW(root_, path_.c_str());
}

ScratchRegKey::~ScratchRegKey() { RegDeleteTreeW(root_, path_.c_str()); }

void ScratchRegKey::SetString(const std::wstring& subkey, const std::wstring& name, const std::wstring& value) const {
    const std::wstring path = subkey.empty() ? path_ : path_ + L"\\" + subkey;
    HKEY key;
    if (RegCreateKeyExW(root_, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return;
    RegSetValueExW(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
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

}  // namespace klarvex::testing
