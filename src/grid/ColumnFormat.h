// Number and date formats of a sheet column, and the text a cell shows under its column's
// format. A format changes only what is shown (on screen, on paper, in PDF and CSV) and how a
// workbook cell is typed; the cell's text stays as the data gave it.
//
// A format applies only to texts it can read: the number formats to a decimal number
// (optional blanks around, optional sign, digits with an optional point, an optional
// exponent: "24318246.5", "-0.125", "1.5e+20"; never "1,234", "0x1F" or "inf"), the date
// formats to a date as the databases give it ("2024-03-05", "2024-03-05 14:07:09",
// "2024-03-05T14:07:09.123", either with a zone offset "Z", "+08", "+08:00" that is ignored).
// Every other text shows as it is. The text format never reads a text as a number.
//
// Codes: each format has a short code, the form it is stored and offered in:
//   general ""   number "#,##0" (0 decimals) or "#,##0.00" (1 to 6 zeros after the point)
//   percent "0%" or "0.0%" (1 to 6 zeros)   date "yyyy-MM-dd"
//   date and time "yyyy-MM-dd HH:mm:ss"     text "@"
#pragma once

#include <QChar>
#include <QString>
#include <cstdint>
#include <optional>

namespace tessel::grid {

enum class FormatKind : std::uint8_t {
    General,   // as the text reads (a number too wide for its cell is rounded to fit)
    Number,    // thousands separators, a fixed count of decimals
    Percent,   // the number times 100, a fixed count of decimals, "%"; no separators
    Date,      // yyyy-MM-dd
    DateTime,  // yyyy-MM-dd HH:mm:ss
    Text,      // as the text reads, never as a number
};

// Decimals Number and Percent formats show at most.
constexpr int kMaxFormatDecimals = 6;

struct ColumnFormat {
    FormatKind kind = FormatKind::General;
    int decimals = 0;  // Number and Percent: 0..kMaxFormatDecimals; 0 for the others
    bool operator==(const ColumnFormat &) const = default;
};

// The characters a formatted number shows: the decimal point and the thousands separator.
struct Separators {
    QChar decimal = u'.';
    QChar group = u',';
    bool operator==(const Separators &) const = default;
};

// The separators every formatted text uses, for the whole process: "." and "," unless a
// host chose its locale's (see clsReport::setNumberSeparators).
Separators numberSeparators();
void setNumberSeparators(const Separators &separators);

// The text `text` shows under `format`: the formatted number or date when the format
// applies to it, nullopt when it does not (a general or text format, or a text the format
// cannot read). Numbers are rounded half away from zero at the last decimal shown, on the
// decimal digits of the text itself (so "2.675" with two decimals shows "2.68"); a result
// that reads as zero has no minus sign. Date formats drop a time's fraction of a second.
std::optional<QString> applyFormat(const QString &text, const ColumnFormat &format,
                                   const Separators &separators);
// The text shown: applyFormat's result, else `text` itself.
QString formatted(const QString &text, const ColumnFormat &format, const Separators &separators);

// A data cell as its column's format shows it: the text, and whether it reads as a number
// (aligned right when its alignment is general, never cut when too wide). A formatted
// text counts as a number; under the text format nothing does; otherwise a text that reads
// as a number (readsAsNumber, the rule of every output) does.
struct CellDisplay {
    QString text;
    bool number = false;
    bool formatted = false;  // the column's format made the text (a formatted number or date)
};
CellDisplay cellDisplay(const QString &text, const ColumnFormat &format,
                        const Separators &separators);

// The number a text holds in the decimal form above; nullopt for any other text or one that
// is not finite as a double.
std::optional<double> formatNumber(const QString &text);

// A date or date-time text as above: its date and the time of day (midnight for a date,
// whole seconds). nullopt for any other text or an impossible date.
struct DateValue {
    int year = 0, month = 0, day = 0;
    int hour = 0, minute = 0, second = 0;
};
std::optional<DateValue> formatDate(const QString &text);

// The code of a format (see above), and the format a code stands for (blanks around
// allowed); nullopt for a code that names no format.
QString formatCode(const ColumnFormat &format);
std::optional<ColumnFormat> parseFormatCode(const QString &code);

// The number format a workbook cell of this format carries (the code with the workbook's
// date letters: "yyyy-mm-dd hh:mm:ss"); empty for the general format.
QString workbookNumberFormat(const ColumnFormat &format);

}  // namespace tessel::grid
