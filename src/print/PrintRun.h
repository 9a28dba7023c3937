// What every print run shares, to a printer or to a PDF file: its pages painted one after
// another on a paged device, and its record of the texts no installed font can draw.
#pragma once

#include "grid/Sheet.h"
#include "print/Pagination.h"

#include <tessel/Error.h>

#include <QFileDevice>
#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPrinter>
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

namespace tessel::print {

// The message of a run whose print settings select no page.
QString nothingToPrint();

// Starts this thread's record of the texts no font draws for a new run (the earlier run's
// record and the fonts' pending texts are dropped).
void beginUndrawable();

// Ends the run's record with `texts`, which undrawableOfLastRun() answers from then on; when
// there are any, one warning in the category "tessel.fonts" names them.
void endUndrawable(const QStringList &texts);

// The texts of the last run on this thread that no installed font can draw.
QStringList undrawableOfLastRun();

// The page orientation the sheet's print settings ask for.
QPageLayout::Orientation pageOrientation(const grid::Sheet &sheet);

// Why writing `file` failed. A write the disk took only in part leaves the device in error
// without a reason; its rest, tried once more, fails at once and gives the system's reason
// (a full disk, a quota).
QString writeFailure(QFileDevice &file);

// Paints the printed pages `pages` in that order on a paged device whose painter origin is the
// paper's top-left corner, at `resolution` dots per inch (the pages are painted in points,
// scaled to it). `beforePage(i)` runs before pages[i] and may throw to stop the
// work: the painter is ended (and the job of `printer`, when the pages go to one, aborted) and
// the exception passed on. `failure` is the category of a device that stops taking pages.
// `file`, when the pages go to one, is checked after each page: a disk that filled up stops
// the work there.
void paintPages(const grid::Sheet &sheet, const Pagination &pagination,
                const std::vector<int> &pages, QPagedPaintDevice &device, QPainter &painter,
                int resolution, Error::Category failure, const QString &failureText,
                const std::function<void(int)> &beforePage, QFileDevice *file = nullptr,
                QPrinter *printer = nullptr);

// The pages 1..count in order.
std::vector<int> allPages(int count);

}  // namespace tessel::print
