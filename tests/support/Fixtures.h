#pragma once

// Fixtures shared by the test programs: folders, files and registry keys
// that remove themselves, the program's own files set aside for a test,
// and a run host that records.

#include <windows.h>

#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "base/Handles.h"
#include "engine/RunHost.h"

namespace klarvex::testing {

// The line that separates the items of a run's log.
inline const std::wstring kLogSeparator(107, L'-');

// A name no other test of this run uses: stem-<process>-<counter>.
std::wstring UniqueName(const std::wstring& stem);

// The text of an environment variable; "" when it is not set.
std::wstring EnvironmentText(const wchar_t* name);

// --- files and folders
// Removes a folder and everything in it; links inside are left alone.
void RemoveTree(const std::wstring& path);
void MakeFolders(const std::wstring& path);  // with all its parents
// A file of size bytes of fill; its folders are made as needed.
void MakeFile(const std::wstring& path, size_t size, char fill = 'x');
bool Exists(const std::wstring& path);
std::string ReadBytes(const std::wstring& path);
std::wstring ReadTextFile(const std::wstring& path);  // UTF-8
void WriteTextFile(const std::wstring& path, const std::string& content);

// Removes the sandbox's URL cache, for WinINet to make anew at this
// process's first call into it (call before that). A Clean of the cache
// leaves the index WinINet held open without the folders it names, and
// WinINet makes no folder for an index it finds.
void StartUrlCacheAnew();

// Copies a folder with all it holds (read-only flags dropped).
void CopyTree(const std::wstring& from, const std::wstring& to);

// Every file below a folder (links to folders not followed): its whole
// path and size.
std::map<std::wstring, int64_t> FilesBelow(const std::wstring& folder);
// Every key and value below a registry key (its own subkeys only, never
// through a registry link): "KEY\" and "KEY\|VALUE" with the value's size.
std::map<std::wstring, int64_t> RegistryBelow(HKEY root, const std::wstring& path);
// The paths that appear, vanish or change size between two listings,
// leaving out those below any of the folders given (any letter case).
std::vector<std::wstring> ChangedFiles(const std::map<std::wstring, int64_t>& before,
                                       const std::map<std::wstring, int64_t>& after,
                                       const std::vector<std::wstring>& leftOut);

// A folder that belongs to the test alone, removed with everything in it
// before (what an earlier run left) and when the object goes.
class ScratchFolder {
public:
    // A new folder under the temporary folder; Path() ends in "\".
    ScratchFolder();
    // That folder, made with its parents; Path() is the text as given.
    explicit ScratchFolder(std::wstring path);
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::wstring& Path() const { return path_; }
    std::wstring operator/(const std::wstring& name) const;

private:
    std::wstring path_;
};

// A file beside the programs (settings.ini, Clist.dat, ...), which the
// programs under test read: moved away while the object lives and put back
// when it goes, so a test starts without one, may write its own, and never
// loses the user's.
class ProgramFileGuard {
public:
    explicit ProgramFileGuard(std::wstring name = L"settings.ini");
    ~ProgramFileGuard();
    ProgramFileGuard(const ProgramFileGuard&) = delete;
    ProgramFileGuard& operator=(const ProgramFileGuard&) = delete;

    const std::wstring& Path() const { return path_; }
    void Write(const std::string& content) const;
    std::wstring Read(const std::wstring& section, const std::wstring& key) const;

private:
    std::wstring path_;
    bool hadFile_ = false;
};

// --- registry, under HKEY_CURRENT_USER unless a root is given
// The display's DPI for the programs started while the object lives.
class DpiSetting {
public:
    explicit DpiSetting(DWORD dpi);
    ~DpiSetting();
    DpiSetting(const DpiSetting&) = delete;
    DpiSetting& operator=(const DpiSetting&) = delete;

private:
    RegKey key_;
    DWORD old_ = 0;
    bool had_ = false;
};

// Keys removed with their subtrees when made and when the object goes.
class ScratchRegKeys {
public:
    explicit ScratchRegKeys(std::vector<std::wstring> paths, HKEY root = HKEY_CURRENT_USER);
    ~ScratchRegKeys();
    ScratchRegKeys(const ScratchRegKeys&) = delete;
    ScratchRegKeys& operator=(const ScratchRegKeys&) = delete;

    // A string value below the first key ("" for that key itself).
    void SetString(const std::wstring& subkey, const std::wstring& name, const std::wstring& value) const;

private:
    HKEY root_;
    std::vector<std::wstring> paths_;
};
// A registry link at path (under HKEY_CURRENT_USER) that leads to the key
// target of targetRoot (existing), removed as a link when the object goes:
// make it after the keys around it, so it goes before they do.
class RegistryLink {
public:
    RegistryLink(std::wstring path, const std::wstring& target, HKEY targetRoot = HKEY_CURRENT_USER);
    ~RegistryLink();
    RegistryLink(const RegistryLink&) = delete;
    RegistryLink& operator=(const RegistryLink&) = delete;
    bool Made() const { return made_; }

private:
    std::wstring path_;
    bool made_ = false;
};
void CreateKey(const std::wstring& path, HKEY root = HKEY_CURRENT_USER);
void SetString(const std::wstring& path, const std::wstring& name, const std::wstring& value,
               DWORD type = REG_SZ, HKEY root = HKEY_CURRENT_USER);
void SetBinary(const std::wstring& path, const std::wstring& name, size_t size, HKEY root = HKEY_CURRENT_USER);
void SetDword(const std::wstring& path, const std::wstring& name, DWORD value, HKEY root = HKEY_CURRENT_USER);
// Fills a key with n binary values named V1...Vn.
void SetValues(const std::wstring& path, int n, HKEY root = HKEY_CURRENT_USER);
bool KeyExists(const std::wstring& path, HKEY root = HKEY_CURRENT_USER);
bool ValueExists(const std::wstring& path, const std::wstring& name, HKEY root = HKEY_CURRENT_USER);

// Records what a run tells its front end.
class RecordingHost : public IRunHost {
public:
    std::vector<std::wstring> Lines() const;
    std::vector<int32_t> Progress() const;
    bool done = false;
    int32_t doneTotal = -1;
    std::vector<std::wstring> errors;
    std::vector<std::wstring> currentItems;
    std::vector<std::pair<int32_t, int64_t>> itemEnds;  // count, bytes
    bool answer = false;
    std::vector<std::wstring> questions;
    std::vector<std::wstring> notices;
    std::vector<std::wstring> noticeCaptions;
    std::vector<std::wstring> entries;  // what AddEntryLine named
    int entriesCut = 0;

    void AddLog(const std::wstring& line) override;
    void AddEntryLine(const std::wstring& line, size_t entryAt) override;
    void EntriesCut() override { ++entriesCut; }
    void ScrollLogToEnd() override {}
    void SetCurrentItem(const std::wstring& name) override;
    void RunOnUiThread(const std::function<void()>& work) override;
    void PostProgress(int32_t count) override;
    void PostDone(int32_t total) override;
    void ItemProgress(int32_t) override {}
    void ItemEnded(int32_t count, int64_t bytes) override;
    bool AskYesNo(const std::wstring& question) override;
    void ShowNotice(const std::wstring& text, const std::wstring& caption) override;
    void ShowError(const std::wstring& message) override;

private:
    mutable std::mutex mutex_;
    std::vector<std::wstring> lines_;
    std::vector<int32_t> progress_;
};

// Lines of the log that start with text.
std::vector<std::wstring> LinesStartingWith(const RecordingHost& host, const std::wstring& text);

}  // namespace klarvex::testing
