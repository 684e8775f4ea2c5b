#pragma once

#include <string>

#include "StringIds.h"

namespace klarvex {

// A text of the program's string table (res/Strings.rc, linked into every
// executable). A missing text loads as empty.
std::wstring LoadText(unsigned id);

}  // namespace klarvex
