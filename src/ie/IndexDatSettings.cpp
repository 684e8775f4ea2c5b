// WipeIndexDat with the overwrite settings of the settings record. Kept
// apart so that code using only the reader does not pull in the settings.

#include "ie/IndexDat.h"
#include "settings/Global.h"

namespace klarvex {

void WipeIndexDat(const std::wstring& path) {
    WipeIndexDat(path, Settings.OverwriteFile.Get(), Settings.OverwriteNumber.Get());
}

}  // namespace klarvex
