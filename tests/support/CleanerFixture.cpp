#include "support/CleanerFixture.h"

#include <shlobj.h>

#include "base/Handles.h"
#include "base/Strings.h"
#include "cleaners/CleanerTable.h"
#include "settings/Global.h"
#include "support/Fixtures.h"

namespace klarvex::testing {

RunOutcome RunItems(RunKind kind, const std::vector<std::wstring>& names) {
    RecordingHost host;
    UniqueHandle thread = TClearTaskThread::Start(new TClearTaskThread(kind, host, names, CleanerFor));
    RunOutcome outcome;
    if (!thread || WaitForSingleObject(thread.Get(), 120000) != WAIT_OBJECT_0) {
        outcome.errors.push_back(L"the run did not end");
        return outcome;
    }
    outcome.lines = host.Lines();
    outcome.errors = host.errors;
    outcome.done = host.done;
    return outcome;
}

namespace {

bool EndsWith(const std::wstring& text, const std::wstring& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

}  // namespace

std::vector<std::wstring> Summaries(const std::vector<std::wstring>& lines) {
    std::vector<std::wstring> result;
    for (const auto& line : lines)
        if (EndsWith(line, L"KB will be removed.") || EndsWith(line, L"KB to be removed.")) result.push_back(line);
    return result;
}

std::wstring Summary(const RunOutcome& run) {
    const auto all = Summaries(run.lines);
    return all.size() == 1 ? all.front() : L"(" + IntToStr(static_cast<long long>(all.size())) + L" summaries)";
}

std::wstring TestSummary(int items, const std::wstring& kb) {
    return IntToStr(items) + L" items will be removed; " + kb + L" KB will be removed.";
}

std::wstring CleanSummary(int items, const std::wstring& kb) {
    return IntToStr(items) + L" items to be removed; " + kb + L" KB to be removed.";
}

std::vector<std::wstring> EntryLines(const std::vector<std::wstring>& lines) {
    std::vector<std::wstring> result;
    for (const auto& line : lines)
        if (line.rfind(L"Test: deleting", 0) == 0 || line.rfind(L"Clean: deleting", 0) == 0) result.push_back(line);
    return result;
}

std::wstring ShellFolder(int csidl) {
    wchar_t path[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, csidl, nullptr, 0, path))) return {};
    return std::wstring(path) + L"\\";
}

std::wstring TempFolder() {
    wchar_t path[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, path);
    return path;
}

bool FolderIsEmpty(const std::wstring& path) {
    WIN32_FIND_DATAW data;
    FindHandle find(FindFirstFileW((path + (path.back() == L'\\' ? L"*" : L"\\*")).c_str(), &data));
    if (!find) return true;
    do {
        const std::wstring name = data.cFileName;
        if (name != L"." && name != L"..") return false;
    } while (FindNextFileW(find.Get(), &data));
    return true;
}

void DeleteFilesIn(const std::wstring& folder) {
    WIN32_FIND_DATAW data;
    FindHandle find(FindFirstFileW((folder + L"*").c_str(), &data));
    if (!find) return;
    do {
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) DeleteFileW((folder + data.cFileName).c_str());
    } while (FindNextFileW(find.Get(), &data));
}

PlacedFiles::~PlacedFiles() {
    for (const auto& file : files_) {
        SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(file.c_str());
    }
    for (auto it = folders_.rbegin(); it != folders_.rend(); ++it) RemoveTree(*it);
}

std::wstring PlacedFiles::File(const std::wstring& path, size_t size) {
    MakeFile(path, size);
    files_.push_back(path);
    return path;
}

std::wstring PlacedFiles::Folder(const std::wstring& path) {
    if (Exists(path)) return path;  // not ours: only our files in it go
    MakeFolders(path);
    folders_.push_back(path);
    return path;
}

namespace {

std::wstring Env(const wchar_t* name) {
    wchar_t value[MAX_PATH] = {};
    const DWORD length = GetEnvironmentVariableW(name, value, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::wstring(value, length) : std::wstring();
}

void SetEnv(const wchar_t* name, const std::wstring& value) {
    SetEnvironmentVariableW(name, value.empty() ? nullptr : value.c_str());
}

}  // namespace

TempRedirect::TempRedirect() : oldTmp_(Env(L"TMP")), oldTemp_(Env(L"TEMP")) {
    path_ = TempFolder() + L"klarvex-cleaners-temp-" + IntToStr(GetCurrentProcessId()) + L"\\";
    RemoveTree(path_);
    MakeFolders(path_);
    SetEnv(L"TMP", path_);
    SetEnv(L"TEMP", path_);
}

TempRedirect::~TempRedirect() {
    SetEnv(L"TMP", oldTmp_);
    SetEnv(L"TEMP", oldTemp_);
    RemoveTree(path_);
}

bool TrashIsInTheSandbox() {
    wchar_t value[1024] = {};
    const DWORD length = GetEnvironmentVariableW(L"XDG_DATA_HOME", value, 1024);
    return length > 0 && length < 1024 && std::wstring(value).find(L"/sandbox/home/") != std::wstring::npos &&
           GetLogicalDrives() == 0x4;
}

void ResetSettings() {
    Settings.FastScan = false;
    Settings.OverwriteFile = false;
    Settings.OverwriteNumber = 1;
    Settings.ShowLogRecycleBin = false;
}

}  // namespace klarvex::testing
