// How a number cell's text is shown when its column is too narrow for it. The screen and the
// printed page both use this, so a number reads the same in both.
#pragma once

#include <QString>
#include <functional>

namespace tessel::grid {

// Measures a text in the unit of the available width (points, pixels or characters).
using TextWidth = std::function<double(const QString &)>;

// The text a number cell shows in a space `available` wide, as a spreadsheet's general
// format shows it: `text` itself when it fits (returned as is, without a copy of its
// characters); otherwise the number rounded half up to as many decimals as fit, trailing
// zeros and a bare point dropped (0.142857142857143 in six characters: 0.1429; an exponent
// stays and its mantissa is rounded: 1.23e+20); "#" marks filling the space when not even
// the number rounded to a whole one fits (123456789 in six characters: ######). A rounded
// number that reads as zero loses its minus sign. A text not in the decimal form of a number
// (optional sign, digits, point, digits, exponent) shows as "#" marks when it does not fit.
// The cell's text itself is not changed.
QString fitNumberText(const QString &text, double available, const TextWidth &width);

}  // namespace tessel::grid
