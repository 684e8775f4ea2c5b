// Cleaners of the Internet Explorer category.

#include "cleaners/ie/IECleaners.h"

#include <windows.h>

#include <shlobj.h>
#include <urlhist.h>
#include <wininet.h>

#include <algorithm>
#include <cwchar>
#include <fstream>
#include <functional>

#include "base/Format.h"
#include "base/Handles.h"
#include "base/PathText.h"
#include "base/Strings.h"
#include "base/Texts.h"
#include "cleaners/ie/CookiesKeepList.h"
#include "cleaners/ie/IEHelpers.h"
#include "cleaners/ie/PStorage.h"
#include "formats/IndexDat.h"
#include "platform/Folders.h"
#include "platform/RegistryKeys.h"
#include "platform/SystemLookups.h"
#include "platform/WindowsVersion.h"
#include "settings/Global.h"

namespace klarvex {

namespace {

const wchar_t kInternetExplorerKey[] = L"Software\\Microsoft\\Internet Explorer";
const wchar_t kTypedUrlsKey[] = L"Software\\Microsoft\\Internet Explorer\\TypedURLs";
const wchar_t kExplorerBarKey[] =
    L"Software\\Microsoft\\Internet Explorer\\Explorer Bars\\{C4EE31F3-4768-11D2-BE5C-00A0C9A83DA1}\\";
const wchar_t kIntelliFormsKey[] = L"Software\\Microsoft\\Internet Explorer\\IntelliForms\\";

// The system's URL history object and its interface (IUrlHistoryStg2).
constexpr CLSID kUrlHistoryClass = {0x3c374a40, 0xbae4, 0x11cf, {0xbf, 0x7d, 0x00, 0xaa, 0x00, 0x69, 0x46, 0xee}};
constexpr IID kUrlHistoryInterface = {0xafa0dc11, 0xc313, 0x11d0, {0x83, 0x1a, 0x00, 0xc0, 0x4f, 0xd5, 0xae, 0x38}};

struct UrlCacheFindTraits {
    using Type = HANDLE;
    static Type Invalid() noexcept { return nullptr; }
    static void Close(Type h) noexcept { FindCloseUrlCache(h); }
};
using UrlCacheFind = UniqueResource<UrlCacheFindTraits>;

// A shell folder of Internet Explorer, after ending the browser session so
// the folder is the current one; "" when it does not exist.
std::wstring InternetFolder(int csidl) {
    EndBrowserSession();
    const std::wstring folder = ShellFolderPath(csidl);
    return !folder.empty() && IsPlainFolder(folder) ? folder : std::wstring();
}

std::wstring ShortPath(const std::wstring& path) {
    wchar_t buffer[MAX_PATH];
    const DWORD length = path.empty() ? 0 : GetShortPathNameW(path.c_str(), buffer, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::wstring(buffer, length) : std::wstring();
}

std::string ToSystemCodePage(const std::wstring& text) {
    if (text.empty()) return {};
    const int size = WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                         nullptr);
    std::string result(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), result.data(), size, nullptr, nullptr);
    return result;
}

// Internet Explorer's visited pages: the system's URL history object,
// and the plain web pages of the WinINet cache (how many were removed,
// or in a Test found).
void DeleteUrlHistory(CleanerRun& run) {
    const HRESULT com = CoInitialize(nullptr);
    try {
        ComPtr<IUrlHistoryStg2> history;
        ComPtr<IEnumSTATURL> urls;
        if (SUCCEEDED(CoCreateInstance(kUrlHistoryClass, nullptr, CLSCTX_INPROC_SERVER, kUrlHistoryInterface,
                                       reinterpret_cast<void**>(history.Put()))) &&
            history && SUCCEEDED(history.Get()->EnumUrls(urls.Put())) && urls) {
            for (;;) {
                STATURL entry{};
                entry.cbSize = sizeof(entry);
                ULONG fetched = 0;
                if (urls.Get()->Next(1, &entry, &fetched) != S_OK || fetched == 0) break;
                const std::wstring url = entry.pwcsUrl ? entry.pwcsUrl : L"";
                CoTaskMemFree(entry.pwcsUrl);
                CoTaskMemFree(entry.pwcsTitle);
                if (!Settings.FastScan) {
                    run.LogEntry(run.LogPrefix + LoadText(IDS_DELETING) + L" ", url);
                    run.ScrollLog(50);
                }
                const HRESULT deleted = run.IsTestRun() ? S_OK : history.Get()->DeleteUrl(url.c_str(), 0);
                if (SUCCEEDED(deleted)) {
                    ++run.ItemCount;
                    run.PostThrottledProgress(run.TotalCount + run.ItemCount);
                }
                if (deleted == S_FALSE) break;
            }
        }
    } catch (...) {
        // The history object is the system's: what goes wrong with it ends
        // this step, not the run.
    }
    if (SUCCEEDED(com)) CoUninitialize();
}

int32_t DeleteHttpCacheEntries(CleanerRun& run) {
    EndBrowserSession();
    int32_t count = 0;
    auto take = [&](const INTERNET_CACHE_ENTRY_INFOW& entry) {
        const wchar_t* url = entry.lpszSourceUrlName;
        // Only plain web pages: secure pages, cookies and the visited-page
        // records of the cache are not this item's.
        if (!url || std::wcsncmp(url, L"http://", 7) != 0) return;
        if (!Settings.FastScan) {
            run.LogEntry(run.LogPrefix + LoadText(IDS_DELETING) + L" ", url);
            run.ScrollLog(50);
        }
        if (!run.IsTestRun() && !DeleteUrlCacheEntryW(url)) return;
        ++count;
        run.PostThrottledProgress(run.TotalCount + run.ItemCount + count);
    };
    // The entry's record, in a buffer aligned for it.
    std::vector<uint64_t> buffer;
    auto record = [&](DWORD size) {
        buffer.assign(size / sizeof(uint64_t) + 1, 0);
        return reinterpret_cast<INTERNET_CACHE_ENTRY_INFOW*>(buffer.data());
    };

    DWORD size = 0;
    FindFirstUrlCacheEntryW(nullptr, nullptr, &size);
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) return count;
    UrlCacheFind find(FindFirstUrlCacheEntryW(nullptr, record(size), &size));
    if (!find) return count;
    take(*reinterpret_cast<INTERNET_CACHE_ENTRY_INFOW*>(buffer.data()));
    while (!run.Terminated()) {
        size = 0;
        if (FindNextUrlCacheEntryW(find.Get(), nullptr, &size) || GetLastError() != ERROR_INSUFFICIENT_BUFFER) break;
        INTERNET_CACHE_ENTRY_INFOW* entry = record(size);
        // The size query does not move on: an entry that cannot be fetched
        // would be asked for again and again.
        if (!FindNextUrlCacheEntryW(find.Get(), entry, &size)) break;
        take(*entry);
    }
    return count;
}

// Overwrites every index.dat below folder, except the one directly in it.
void WipeIndexDatTree(CleanerRun& run, const std::wstring& folder) {
    if (!IsPlainFolder(folder)) return;
    const std::wstring top = WithBackslash(folder);
    const std::function<void(const std::wstring&)> walk = [&](const std::wstring& current) {
        ForEachEntry(current, [&](const FolderEntry& entry) {
            if (run.Terminated()) return false;
            if (entry.isFolder) walk(current + entry.name + L"\\");
            else if (UpperCase(entry.name) == L"INDEX.DAT" && current != top) WipeIndexDat(current + entry.name);
            return true;
        });
    };
    walk(WithBackslash(folder));
}

}  // namespace

std::wstring TodayHistoryFolderName() {
    SYSTEMTIME today;
    GetLocalTime(&today);
    wchar_t name[32];
    swprintf(name, 32, L"MSHist01%04u%02u%02u", today.wYear, today.wMonth, today.wDay);
    return name;
}

bool AddWininitRenames(const std::vector<std::wstring>& newLines) {
    const std::wstring windows = GetWindowsDir();
    if (windows.empty()) return false;
    const std::wstring path = windows + L"\\Wininit.ini";
    std::vector<std::string> lines;
    {
        std::ifstream in(path.c_str(), std::ios::binary);
        std::string line;
        while (std::getline(in, line)) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            lines.push_back(line);
        }
    }
    auto isHeader = [](std::string line) {
        for (char& c : line) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
        return line == "[RENAME]";
    };
    std::vector<std::string> added;
    for (const auto& line : newLines) added.push_back(ToSystemCodePage(line));
    const auto header = std::find_if(lines.begin(), lines.end(), isHeader);
    if (header != lines.end()) {
        const auto at = header - lines.begin() + 1;
        for (const auto& line : added) lines.insert(lines.begin() + at, line);
    } else {
        lines.push_back("[rename]");
        lines.insert(lines.end(), added.begin(), added.end());
    }
    std::ofstream out(path.c_str(), std::ios::binary | std::ios::trunc);
    for (const auto& line : lines) out << line << "\r\n";
    return static_cast<bool>(out.flush());
}

void CleanIETempFiles(CleanerRun& run) {
    const bool logFiles = Settings.ShowLogTempInternetFiles;
    if (!run.IsTestRun() && !logFiles) run.AddPleaseWaitLine();
    const std::wstring cache = InternetFolder(CSIDL_INTERNET_CACHE);
    if (cache.empty()) return;
    EndBrowserSession();
    // A Test run leaves the cache's index files out: they are not removed
    // but overwritten, after the files, in a Clean run.
    run.ItemBytes = run.ClearFolder(cache, false, logFiles, run.IsTestRun() ? L"index.dat" : L"", run.ItemCount);
    run.ItemSizeText = FormatKB(run.ItemBytes);
    if (!run.IsTestRun()) WipeIndexDat(cache + L"Content.IE5\\index.dat");
}

void CleanIECookies(CleanerRun& run) {
    const std::wstring folder = CookiesFolder();
    if (folder.empty()) return;
    const auto keep = KeptNames(LoadKeepList());
    int64_t bytes = 0;
    ForEachEntry(folder, [&](const FolderEntry& entry) {
        if (run.Terminated()) return false;
        if (entry.isFolder || !IsCookieName(entry.name) || IsKept(keep, entry.name)) return true;
        if (run.DeleteFileItem(folder, entry, true)) {
            ++run.ItemCount;
            bytes += entry.size;
            run.PostThrottledProgress(run.TotalCount + run.ItemCount);
        }
        return true;
    });
    run.ItemBytes = bytes;
    run.ItemSizeText = FormatKB(bytes);
    // The cookie index names the kept cookies too: it stays while any is kept.
    if (!run.IsTestRun() && keep.empty()) WipeIndexDat(folder + L"index.dat");
}

void CleanIEHistory(CleanerRun& run) {
    const std::wstring history = InternetFolder(CSIDL_HISTORY);
    DeleteUrlHistory(run);
    run.ItemCount += DeleteHttpCacheEntries(run);
    if (history.empty()) return;
    std::wstring scratch;  // the folder whose own index.dat stays, the others below it are wiped
    if (run.WindowsVersionCode() == 11) {
        // One folder a day below Low\History.IE5; today's is in use.
        scratch = history + L"Low\\History.IE5";
        if (IsPlainFolder(scratch)) {
            const std::wstring today = UpperCase(TodayHistoryFolderName());
            const std::wstring days = WithBackslash(scratch);
            ForEachEntry(days, [&](const FolderEntry& entry) {
                if (run.Terminated()) return false;
                if (entry.isFolder && UpperCase(entry.name).find(today) == std::wstring::npos)
                    run.ItemBytes += run.ClearFolder(days + entry.name, true, true, L"", run.ItemCount);
                return true;
            });
            run.ItemSizeText = FormatKB(run.ItemBytes);
        }
        scratch = history;
    } else {
        scratch = history + L"History.IE5";
        run.ItemBytes = run.ClearFolder(scratch, false, true, L"index.dat", run.ItemCount);
        run.ItemSizeText = FormatKB(run.ItemBytes);
    }
    if (!run.IsTestRun()) WipeIndexDatTree(run, scratch);
}

void CleanIETypedURLs(CleanerRun& run) {
    if (!Settings.FastScan) {
        RegKey key;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, kTypedUrlsKey, 0, KEY_READ, key.Put()) == ERROR_SUCCESS) {
            for (const auto& name : ValueNames(key.Get()))
                run.LogEntry(run.LogPrefix + LoadText(IDS_DELETING) + L" ", ReadRegString(key.Get(), L"", name));
            run.ScrollLog(0);
        }
    }
    run.ItemCount = run.DeleteUserRegKey(kTypedUrlsKey);
    run.ItemCount += run.DeleteUserRegKey(std::wstring(kExplorerBarKey) + L"FilesNamedMRU");
    run.ItemCount += run.DeleteUserRegKey(std::wstring(kExplorerBarKey) + L"ContainingTextMRU");
}

void CleanIEIndexDat(CleanerRun& run) {
    run.AddLog(LoadText(IDS_INDEX_DAT_WARNING));
    // A folder the shell does not have gives no path at all: "index.dat"
    // alone would be taken from whatever the current folder is.
    auto inFolder = [](int csidl, const wchar_t* name) {
        const std::wstring folder = InternetFolder(csidl);
        return folder.empty() ? std::wstring() : folder + name;
    };
    struct IndexFile {
        std::wstring path;
        int64_t size = 0;
        // Overwritten, or marked for removal at the next start; in a Test,
        // what a Clean would try.
        bool done = false;
    };
    std::vector<IndexFile> files;
    for (const auto& path : {inFolder(CSIDL_COOKIES, L"index.dat"),
                             inFolder(CSIDL_INTERNET_CACHE, L"Content.IE5\\index.dat"),
                             inFolder(CSIDL_HISTORY, L"History.IE5\\index.dat")})
        if (const int64_t size = FileSize(path); size > 0) files.push_back({path, size, run.IsTestRun()});

    if (!run.IsTestRun()) {
        // The system holds these files: each is overwritten where it lies,
        // and goes when Windows starts next.
        for (auto& file : files) file.done = WipeIndexDat(file.path);
        if (IsWin9xCode(run.WindowsVersionCode())) {
            std::vector<std::wstring> lines;
            for (const auto& file : files) lines.push_back(L"url=" + ShortPath(file.path));
            // A line without a short name removes nothing.
            if (AddWininitRenames(lines))
                for (size_t i = 0; i < files.size(); ++i) files[i].done = files[i].done || lines[i] != L"url=";
        } else {
            for (auto& file : files) file.done = run.RemoveAtNextStart(file.path) || file.done;
        }
    }
    for (const auto& file : files) {
        if (!file.done) continue;
        ++run.ItemCount;
        run.ItemBytes += file.size;
    }
    run.ItemSizeText = FormatKB(run.ItemBytes);
}

void CleanIEDownloadDir(CleanerRun& run) {
    run.ItemCount += run.DeleteUserRegValues(kInternetExplorerKey, L"Download Directory");
}

void CleanIEAutocomplete(CleanerRun& run) {
    try {
        TPStorage storage;
        // Up to Internet Explorer 6 the entries live in the service; later
        // versions keep them in the registry alone (below).
        if (TPStorage::IsAvailable() && storage.Connect()) {
            for (const GUID& type : storage.ListTypes()) {
                if (storage.TypeDisplayName(type) != L"Internet Explorer") continue;
                for (const GUID& subtype : storage.ListSubtypes(type)) {
                    const TItemList items = storage.ListItems(type, subtype);
                    size_t taken = 0;
                    for (size_t i = 0; i < items.Count(); ++i) {
                        const std::wstring name = items.At(i);
                        if (name.starts_with(L"http://") && name.find(L"StringData") != std::wstring::npos)
                            run.PostThrottledProgress(run.TotalCount + run.ItemCount);
                        if (run.IsTestRun() || storage.RemoveItem(type, subtype, items.WholeName(i))) ++taken;
                    }
                    // Each entry is stored as a pair of items.
                    run.ItemCount += taken == 1 ? 1 : static_cast<int32_t>(taken / 2);
                }
            }
        }
    } catch (...) {
        // The service is the system's: its failures end its part of this
        // item with what was counted so far.
    }
    run.ItemCount += run.DeleteUserRegKey(std::wstring(kIntelliFormsKey) + L"Storage1");
    run.ItemCount += run.DeleteUserRegKey(std::wstring(kIntelliFormsKey) + L"Storage2");
}

}  // namespace klarvex
