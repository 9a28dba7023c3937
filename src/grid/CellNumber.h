// The number a cell's text stands for: the one reading of a cell as a number, for totals,
// subtotals, page sums, conditional format rules, alignment on screen and paper, chart
// values and the type of a workbook cell, so that a text counted on one output is a number on
// every other.
#pragma once

#include <QChar>
#include <QString>
#include <QStringView>
#include <optional>
#include <string>
#include <string_view>

namespace tessel::grid {

// How a text is read. The decimal point is always ".", the point the fill writes (the
// sheet's own form of a number); `group` is the thousands separator taken between groups of
// three digits before it (none when null, or when it is "." itself, which the sheet's form
// reads as the point).
struct NumberReading {
    QChar group = u',';
    // Only a text whose digits a double keeps one for one (at most 15 significant digits).
    // The workbook asks this: its cells hold 15 digits, so a longer number (an account or an
    // identity number) goes in as text rather than with other digits than it shows.
    bool exactDigits = false;
};

// The reading every output uses: the thousands separator in force (numberSeparators(), ","
// unless a host chose its locale's), any number of digits.
NumberReading numberReadingInForce();

// The value of a cell text, or nullopt when the text is not numeric. Numeric: blanks
// (spaces, tabs) around, an optional sign, digits with an optional decimal point ("."),
// thousands separators between groups of three digits before it, and an optional exponent:
// "1,234" is 1234, "1e5" is 100000, " 12 " is 12, "-0" is 0. Not numeric: "12abc", "1,23,4"
// (a separator out of place), "inf", "nan", "0x1F", digits of other scripts or full-width
// ones, the empty text, and a value beyond the range of a double. The first form reads as
// numberReadingInForce() says.
std::optional<double> cellNumber(std::string_view text);
std::optional<double> cellNumber(std::string_view text, const NumberReading &reading);

// Whether a displayed text reads as a number by cellNumber's rule in force: what aligns a
// general cell to the right and keeps it whole. A text with a character beyond ASCII other
// than the separator is refused without converting it (names and places, most of a page).
bool readsAsNumber(QStringView text);

// A total (a sum, mean, least or greatest value) as the totals and subtotal rows show it:
// rounded to 15 significant digits, the precision its addends carry (0.1 + 0.2 shows 0.3,
// not 0.30000000000000004), then written as base::appendDouble writes a number. Appended to
// `out` as UTF-8; totalText gives the same as a QString.
void appendTotal(std::string &out, double total);
QString totalText(double total);
// The totals row's and the page totals' text of a sum: totalText, but the empty text for 0.
QString sumText(double sum);

}  // namespace tessel::grid
