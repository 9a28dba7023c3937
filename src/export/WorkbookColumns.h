// A worksheet's columns as wide as the report prints them, in the workbook's own unit.
//
// The workbook measures a column in characters of its default font (the writer's Calibri 11,
// which spreadsheet programs without it draw with the metrically equal Carlito): a character
// is the font's widest digit. The spreadsheet programs disagree on that digit: one rounds it
// to whole pixels of a 96-dpi screen (7 px, 5.25 pt), the other prints it at its true advance
// (111 twips, 5.55 pt, read back from a printed page). A column is written at the width that
// prints no wider than the report's column in either: in pixels of the workbook's 7-pixel
// characters, from the report's points at 5.55 pt a character, rounded down.
#pragma once

#include <xlsxwriter.h>

namespace tessel::grid {
class Sheet;
}

namespace tessel::exports {

// Points a character of the workbook's default font prints at, the larger of the two
// readings above.
constexpr double kWorkbookDigitPoints = 5.55;
// Pixels a character counts in the workbook's column widths.
constexpr int kWorkbookDigitPixels = 7;

// The workbook column width in pixels (as worksheet_set_column_pixels takes it) of a column
// printing `points` wide; at least 1.
int workbookColumnPixels(double points);

// Sets the widths of `worksheet`'s columns from the sheet's (sheet column c is worksheet
// column c - 1): each at the width it prints with, a column the sheet hides (width 1 or less)
// hidden in the workbook at the default width, its data kept for a user to show again.
// Throws Error(Io) when the writer refuses.
void setWorkbookColumns(lxw_worksheet *worksheet, const grid::Sheet &sheet);

}  // namespace tessel::exports
