#pragma once

// The one table of the program that maps item names to their cleaners.
// Every front end gives it to the runs it starts.

#include <string>

#include "engine/ProgressThread.h"

namespace klarvex {

// The cleaner of an item name (exact comparison, case matters). Names not
// in the table take their rules from Klarvex.dat (every application,
// "Windows Log Files", ICQ, AOL Instant Messenger and the toolbar
// histories); a name that holds "Custom Lists -" anywhere takes them from
// Clist.dat.
TClearTaskThread::DispatchTarget CleanerFor(const std::wstring& itemName);

// The tables of the runs that destroy what the user names, item by item:
// each item a file or folder's absolute path, shredded (CleanerRun::
// ShredPath), or a drive's root, its free space wiped.
TClearTaskThread::DispatchTarget ShredderFor(const std::wstring& path);
TClearTaskThread::DispatchTarget FreeSpaceWiperFor(const std::wstring& root);

}  // namespace klarvex
