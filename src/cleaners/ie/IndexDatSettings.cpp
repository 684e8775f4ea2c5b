// WipeIndexDat with the overwrite settings of the settings record: the
// reader and wiper themselves know no settings.

#include "cleaners/ie/IEHelpers.h"
#include "formats/IndexDat.h"
#include "settings/Global.h"

namespace klarvex {

bool WipeIndexDat(const std::wstring& path) {
    return WipeIndexDat(path, Settings.OverwriteFile.Get(), Settings.OverwriteNumber.Get());
}

}  // namespace klarvex
