#pragma once

#include <windows.h>

#include "ui/DialogBase.h"  // ScaleToDpi

namespace klarvex {

// The main window's geometry, in pixels at 96 DPI.
inline constexpr int kMainDesignWidth = 692;
inline constexpr int kMainDesignHeight = 507;
inline constexpr int kMainMinWidth = 610;
inline constexpr int kMainMinHeight = 400;
inline constexpr int kMainTitleHeight = 50;

// Places every control of the main window for its client size.
void LayoutMainWindow(HWND window, int dpi);

// The results' controls within the page below the tabs (client pixels).
void PlaceResultsPage(HWND window, int dpi, const RECT& page);

// The total label 5 pixels below "Clearing:" and the count 5 pixels right
// of it (the total label's width follows its text).
void PlaceCountLabels(HWND window, int dpi);

}  // namespace klarvex
