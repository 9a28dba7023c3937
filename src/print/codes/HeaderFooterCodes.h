// Writing page header/footer code strings from an editor layout, and putting report
// variables into a code string before it is printed.
#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>
#include <QVariantList>
#include <vector>

#include "print/codes/PrintCodes.h"

namespace tessel::grid {
class Sheet;
}

namespace tessel::print {

// The codes of one cell at position `pos`: font name, size (points, as a single-precision
// number with at most seven significant digits and no trailing zeros: 12, 10.5, 9.75),
// bold, italic, underline, strikethrough, the alignment code, then the text with "/p" for
// each page number in it ("/p" alone for a page-number cell, 第/p页 for 第<Page Number>页).
// A cell with empty text gives the empty string.
QString composeCell(const print::CodeCell &cell, print::CodePos pos);

// The code string of a layout: lines 1 to the last line with any text, each its non-empty
// cells left, centre, right followed by "/n" (an empty line is "/n" alone). A layout with no
// text gives the empty string.
QString composeLayout(const std::vector<print::CodeLine> &lines);

// The built-in placeholders, replaced after the report variables: the current date and
// time, and the current date.
inline const QString kTimePlaceholder = QStringLiteral("V时间");
inline const QString kDatePlaceholder = QStringLiteral("V日期");

// A report variable as a header or footer holds it: its name with the "V" prefix, which is
// the placeholder, and its value as text.
struct Placeholder {
    QString name;
    QString value;
};

// The placeholders of the report variable list `tslVar` (rows, each a QVariantList {name
// with its "V" prefix, value}) in list order, the order they are replaced in. A row named
// "V" alone, or not named, has no placeholder and is left out.
std::vector<Placeholder> listedPlaceholders(const QVariantList &tslVar);

// How the built-in placeholders write the date (V日期) and the date and time (V时间): the
// format strings (QLocale::toString's) and the locale that spells them out.
struct DateForms {
    QLocale locale;
    QString date;
    QString dateTime;
};

// The one rule for those forms: the system's short forms, except where the system locale
// is C or POSIX, which speaks no language: then the interface language's, which for Chinese
// is yyyy-MM-dd and yyyy-MM-dd HH:mm written out (Qt's own Chinese short form, 2026/12/8,
// reads as a fraction path in a header) and for another language its short forms.
DateForms placeholderDateForms(const QLocale &system, const QLocale &interfaceLanguage);

// Replaces the report-variable placeholders in a header or footer code string. `tslVar` is
// the report variable list: rows, each a QVariantList {name with its "V" prefix, value}.
// In list order, every occurrence of a row's name is replaced by its value as text (rows
// named "V" alone, or not named, are skipped); then every "V时间" becomes `now` in the date
// and time form of `forms`, and every "V日期" its date in the date form. Replacement is exact
// and case-sensitive, so a listed 时间 or 日期 wins over the built-in value.
QString substituteVariables(const QString &text, const QVariantList &tslVar, const QDateTime &now,
                            const DateForms &forms);

// The same with the current date and time, in the forms of the system's regional format and
// the interface language.
QString substituteVariables(const QString &text, const QVariantList &tslVar);

// Replaces the placeholders in the sheet's print header and footer (substituteVariables
// with the current date and time), announcing the change of print settings only when either
// text changed, since every announcement breaks the pages anew. True when one changed.
bool substituteSheetVariables(grid::Sheet &sheet, const QVariantList &tslVar);

}  // namespace tessel::print
