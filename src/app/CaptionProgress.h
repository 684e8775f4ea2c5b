#pragma once

#include <windows.h>

namespace klarvex {

// A progress bar that draws its window text centred over the bar: the
// percentage, "Prepare to clean..." or "Finished!". Answers PBM_SETRANGE32,
// PBM_SETPOS, PBM_GETPOS and PBM_GETRANGE like the common control; an empty
// window text draws no caption.
inline constexpr wchar_t kCaptionProgressClass[] = L"KlarvexProgressBar";
void RegisterCaptionProgressClass(HINSTANCE instance);

}  // namespace klarvex
