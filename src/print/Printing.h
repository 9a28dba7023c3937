// Printing a sheet: to a printer or to a PDF file, through the one page paint path.
#pragma once

#include "base/Progress.h"
#include "grid/Sheet.h"

#include <QPageSize>
#include <QString>
#include <QStringList>
#include <optional>

namespace tessel::print {

// The environment variable naming the print destination: a printer name, or a file path
// ending in ".pdf" for PDF output. Unset or empty means the system default printer.
inline constexpr char kPrinterEnvVar[] = "TESSEL_PRINTER";

// Prints the pages the sheet's print settings produce to the destination TESSEL_PRINTER
// names, on the sheet's paper (a printer is asked for that size; a PDF file is written as
// writePdf writes it). Returns the number of pages printed. Throws Error(Printing) when no printer
// is available, the named printer does not exist, there is nothing to print, or the printer or file
// refuses the job. The pages are reported to `progress` (stage "打印", one unit a page); when it is
// cancelled the job is aborted before its next page (nothing is printed, a PDF destination is not
// written) and Cancelled is thrown.
int printSheet(const grid::Sheet &sheet, const QString &jobName = QString(),
               base::Progress &progress = base::noProgress());

// Writes the pages the sheet's print settings produce to a PDF file at `path` on `paper`
// (portrait size; the sheet's orientation turns it), by default the sheet's own paper. Texts are
// real text in the PDF, in every script: each embedded font is a subset named as one, and glyphs
// made by shaping or drawn for characters beyond the Basic Multilingual Plane carry their
// characters (completePdfFonts). Returns the number of pages written. The file is written under a
// temporary name in the same folder and renamed over `path` once complete and synced, keeping a
// replaced file's permissions; on any failure `path` stays as it was and no temporary file remains.
// Throws Error(Io) when the file cannot be written (the system's reason as the error's
// detail text), Error(Printing) when there is nothing to print. The pages are reported to
// `progress` (stage "写入 PDF 文件", one unit a page); when it is cancelled the work stops
// before its next page, `path` stays as it was, and Cancelled is thrown.
int writePdf(const grid::Sheet &sheet, const QString &path,
             const std::optional<QPageSize> &paper = std::nullopt, const QString &title = QString(),
             base::Progress &progress = base::noProgress());

// The texts of the last printSheet or writePdf on this thread that hold characters no
// installed font can draw (at most 20, each once). Such a print also logs one warning in the
// category "tessel.fonts" that names them.
QStringList undrawableTextsOfLastPrint();

}  // namespace tessel::print
