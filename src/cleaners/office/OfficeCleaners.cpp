// Cleaners of the Microsoft Office category.
//
// Office keeps the shortcuts of recently opened documents in one Recent
// folder under the user's application data, and its recent-file lists in
// the registry under one key per Office version. Versions 8.0 (Office 97)
// to 12.0 (Office 2007) are cleaned; later versions keep their lists
// elsewhere and are left alone.

#include "cleaners/office/OfficeCleaners.h"

#include <string>

#include "base/Format.h"
#include "platform/Folders.h"
#include "platform/SystemLookups.h"

namespace klarvex {

namespace {

constexpr int kFirstOfficeVersion = 8;
constexpr int kLastOfficeVersion = 12;

// "Software\Microsoft\Office\<v>.0" + suffix.
std::wstring OfficeKey(int version, const wchar_t* suffix) {
    return L"Software\\Microsoft\\Office\\" + std::to_wstring(version) + L".0" + suffix;
}

// The Office Recent folder, or "" when the application data folder is
// missing (then the item finds nothing at all).
std::wstring OfficeRecentFolder(const std::wstring& appData) {
    if (appData.empty() || !IsPlainFolder(appData)) return {};
    return appData + L"Microsoft\\Office\\Recent";
}

}  // namespace

void CleanOfficeAccess(CleanerRun& run) {
    const std::wstring recent = OfficeRecentFolder(GetAppDataDir());
    if (recent.empty()) return;
    run.ItemBytes = run.ClearFilesByMask(recent, L"*.mdb", run.ItemCount, false);
    run.ItemSizeText = FormatKB(run.ItemBytes);
    for (int v = kFirstOfficeVersion; v <= kLastOfficeVersion; ++v)
        run.ItemCount += run.DeleteUserRegKey(OfficeKey(v, L"\\Access\\Settings"));
}

void CleanOfficeExcel(CleanerRun& run) {
    const std::wstring recent = OfficeRecentFolder(GetAppDataDir());
    if (recent.empty()) return;
    run.ItemBytes = run.ClearFilesByMask(recent, L"*.xls", run.ItemCount, false);
    run.ItemSizeText = FormatKB(run.ItemBytes);
    // The whole Excel key of each version goes, not only its file lists.
    for (int v = kFirstOfficeVersion; v <= kLastOfficeVersion; ++v)
        run.ItemCount += run.DeleteUserRegKey(OfficeKey(v, L"\\Excel"));
}

void CleanOfficeFrontPage(CleanerRun& run) {
    const std::wstring recent = OfficeRecentFolder(GetAppDataDir());
    if (recent.empty()) return;
    // "*.htm" matches names ending in ".htm" only; ".html" needs a mask of
    // its own.
    run.ItemBytes = run.ClearFilesByMask(recent, L"*.htm", run.ItemCount, false);
    run.ItemBytes += run.ClearFilesByMask(recent, L"*.html", run.ItemCount, false);
    run.ItemSizeText = FormatKB(run.ItemBytes);
    const std::wstring explorer = L"Software\\Microsoft\\FrontPage\\Explorer\\FrontPage Explorer\\";
    run.ItemCount += run.DeleteUserRegKey(explorer + L"Recent File List");
    run.ItemCount += run.DeleteUserRegKey(explorer + L"Recent Page List");
    run.ItemCount += run.DeleteUserRegKey(explorer + L"Recent Web List");
}

void CleanOfficePowerpoint(CleanerRun& run) {
    const std::wstring recent = OfficeRecentFolder(GetAppDataDir());
    if (recent.empty()) return;
    run.ItemBytes = run.ClearFilesByMask(recent, L"*.ppt", run.ItemCount, false);
    run.ItemSizeText = FormatKB(run.ItemBytes);
    // PowerPoint's own lists; the Excel key belongs to the Excel item.
    for (int v = kFirstOfficeVersion; v <= kLastOfficeVersion; ++v) {
        run.ItemCount += run.DeleteUserRegKey(OfficeKey(v, L"\\PowerPoint\\Recent File List"));
        run.ItemCount += run.DeleteUserRegKey(OfficeKey(v, L"\\PowerPoint\\Recent Folder List"));
    }
}

void CleanOfficeWord(CleanerRun& run) {
    const std::wstring recent = OfficeRecentFolder(GetAppDataDir());
    if (recent.empty()) return;
    run.ItemBytes = run.ClearFilesByMask(recent, L"*.doc", run.ItemCount, false);
    run.ItemSizeText = FormatKB(run.ItemBytes);
    // Word keeps its recent-file list in the one binary value "Settings".
    for (int v = kFirstOfficeVersion; v <= kLastOfficeVersion; ++v)
        run.ItemCount += run.DeleteUserRegValues(OfficeKey(v, L"\\Word\\Data"), L"Settings");
}

void CleanOfficeRecentFiles(CleanerRun& run) {
    const std::wstring recent = OfficeRecentFolder(GetAppDataDir());
    if (recent.empty()) return;
    run.ItemBytes = run.ClearFilesByMask(recent, L"*.*", run.ItemCount, false);
    run.ItemSizeText = FormatKB(run.ItemBytes);
}

}  // namespace klarvex
