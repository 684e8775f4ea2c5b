#pragma once

// Pieces of the Internet Explorer cleaners that need no runner.

#include <string>
#include <vector>

namespace klarvex {

// The name of today's daily history folder: "MSHist01" + yyyymmdd of the
// local date (MSHist0120090305 on 5 March 2009).
std::wstring TodayHistoryFolderName();

// WipeIndexDat (formats/IndexDat.h) with OverwriteFile and OverwriteNumber
// of the settings record; whether every pass was made.
bool WipeIndexDat(const std::wstring& path);

// Lines for the [rename] section of Wininit.ini in the Windows folder (the
// 9x family deletes "url=" files at start): inserted directly below the
// first "[RENAME]" line (any letter case), so they stand in reverse order,
// or appended under a new "[rename]" line. Other lines stay byte for byte.
// False when the file cannot be written.
bool AddWininitRenames(const std::vector<std::wstring>& lines);

}  // namespace klarvex
