// The number a cell's text stands for, as totals, subtotals and comparisons read it.
#pragma once

#include <QString>
#include <optional>
#include <string>
#include <string_view>

namespace tessel::grid {

// The value of a cell text, or nullopt when the text is not numeric. Numeric: blanks
// (spaces, tabs) around, an optional sign, digits with an optional decimal point ("."),
// thousands separators "," between groups of three digits before it, and an optional
// exponent; "1,234" is 1234, "1e3" is 1000, "12abc" and the empty text are not numeric, nor
// is a value beyond the range of a double.
std::optional<double> cellNumber(std::string_view text);

// A total (a sum, mean, least or greatest value) as the totals and subtotal rows show it:
// rounded to 15 significant digits, the precision its addends carry (0.1 + 0.2 shows 0.3,
// not 0.30000000000000004), then written as base::appendDouble writes a number. Appended to
// `out` as UTF-8; totalText gives the same as a QString.
void appendTotal(std::string &out, double total);
QString totalText(double total);
// The totals row's and the page totals' text of a sum: totalText, but the empty text for 0.
QString sumText(double sum);

}  // namespace tessel::grid
