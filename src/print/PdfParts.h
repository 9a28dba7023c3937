// A PDF file painted in page ranges on several threads at once, each range by a writer of its
// own, and joined into one file.
#pragma once

#include "base/Progress.h"
#include "grid/Sheet.h"
#include "print/PdfJoin.h"

#include <tessel/Error.h>

#include <QPageSize>
#include <QString>

namespace tessel::print {

// Own pages a range painted on a thread of its own holds at least, per page it paints only to
// set its fonts up (one for each other range). A range costs a writer, its fonts embedded once
// more and the first pages of the other ranges painted once more; at 8 pages a range two
// threads already take about three quarters of one thread's time.
inline constexpr int kMinPagesPerPart = 8;

// The number of ranges a PDF file of `pages` pages is painted in on a machine with `cores`
// cores: one per core, as long as each range holds kMinPagesPerPart own pages per other range
// (and at least kMinPagesPerPart); 1 paints on the calling thread alone.
int pdfPartCount(int pages, int cores);

// Writes the pages the sheet's print settings produce to a PDF file at `path` on `paper`, as
// writePdf does (atomic write, fonts completed, progress in stage `stage`, cancel), the pages
// painted in `parts` contiguous ranges on as many threads (the calling thread paints the
// first) into files in the system's temporary folder and joined in order (joinPdfParts), or
// on the calling thread alone when no such file can be made; `parts` of 1 writes the file from one
// writer on the calling thread, 0 or less takes pdfPartCount(pages, the machine's cores). Failures
// are Error(`failure`), Error(Printing) when there is nothing to print. Returns the number of pages
// written.
int writePdfInParts(const grid::Sheet &sheet, const QString &path, const QPageSize &paper,
                    const QString &title, Error::Category failure, const QString &stage,
                    base::Progress &progress, int parts);

}  // namespace tessel::print
