// Exporting the previewed report as comma-separated values: the data block the workbook
// export lays out, without the header and footer lines.
//
// The file is UTF-8 and starts with a byte-order mark, so that spreadsheet programs read its
// Chinese texts as such. It has one record per sheet row from the column labels (row 0) down
// to the last row (the totals row, when the report has one), and one field per sheet column
// 1..maxCols() the report shows (a hidden column, Sheet::colHidden, is left out, as is the
// row-header column), every record with the same number of fields. Records end in CR LF. A field is
// the cell's text as the sheet holds it (a number as its cell text), or in a data row of a column
// with a format the text that format shows ("24,318,246.50", with the separators
// grid::numberSeparators gives); a text holding a comma, a double quote, a CR or an LF is enclosed
// in double quotes with each of its double quotes doubled (RFC 4180).
#pragma once

#include <QString>
#include <string>

#include <string_view>
#include "base/Progress.h"

namespace tessel::grid {
class Sheet;
}

namespace tessel::exports {

// Appends `utf8` to `out` as one CSV field, quoted where the rules above ask for it.
void appendCsvField(std::string &out, std::string_view utf8);

// Writes the sheet's data block as CSV to `path`. The file is built under a temporary name
// in the same folder and renamed over `path` once complete and synced (a replaced file's
// permissions carry over), so on failure `path` is untouched and no partial file remains.
// Throws Error(Io) when the file cannot be written (the system's reason as the error's detail
// text) and Error(Argument) for an empty path. Reports its rows to `progress`; a cancel there
// throws base::Cancelled, leaving no file and `path` as it was.
void writeCsv(const QString &path, const grid::Sheet &sheet,
              base::Progress &progress = base::noProgress());

}  // namespace tessel::exports
