#pragma once

#include <windows.h>

#include <string>

#include "app/ResultsTable.h"

namespace klarvex {

// The chart of a run's results: a horizontal bar for each of the biggest
// bars of ChartData, with its label and value, under the chart's caption;
// drawn with GDI in the control's font, so it follows the DPI with the
// font, and as many bars as its height holds (the rest summed up in the
// last). With no bars it shows the text it was given for that case. Its
// window text says all of it in words, for a screen reader.
inline constexpr wchar_t kResultsChartClass[] = L"KlarvexResultsChart";
void RegisterResultsChartClass(HINSTANCE instance);

void SetChartContent(HWND chart, ChartData data, const std::wstring& emptyText, wchar_t decimalPoint);

}  // namespace klarvex
