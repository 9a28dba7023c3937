// The number a cell's text stands for, as totals, subtotals and comparisons read it.
#pragma once

#include <QString>
#include <optional>
#include <string_view>

namespace tessel::grid {

// The value of a cell text, or nullopt when the text is not numeric. Numeric: blanks
// (spaces, tabs) around, an optional sign, digits with an optional decimal point ("."),
// thousands separators "," between groups of three digits before it, and an optional
// exponent; "1,234" is 1234, "1e3" is 1000, "12abc" and the empty text are not numeric, nor
// is a value beyond the range of a double.
std::optional<double> cellNumber(std::string_view text);

// The text a sum of cell numbers shows (the totals row, subtotals, page totals): the sum to
// 15 significant digits, the precision its addends carry, written as the shortest text that
// reads back as that value; the empty text for 0.
QString sumText(double sum);

}  // namespace tessel::grid
