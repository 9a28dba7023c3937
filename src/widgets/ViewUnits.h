// The sheet view's units on screen, in logical pixels: a column width unit is 7 pixels (the
// spreadsheet convention at 96 dpi, so widths carry 1:1 into a workbook), a point is 96/72
// pixels.
#pragma once

namespace tessel::widgets {

inline constexpr double kPixelsPerWidthUnit = 7.0;
inline constexpr double kPixelsPerPoint = 96.0 / 72.0;

}  // namespace tessel::widgets
