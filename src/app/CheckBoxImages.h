#pragma once

#include "base/Handles.h"

namespace klarvex {

// The tree's check-box pair, drawn at size x size pixels in the system's
// colours: state image 1 is unticked, 2 ticked (image 0 is never shown).
ImageList CreateCheckBoxImages(int size);

}  // namespace klarvex
