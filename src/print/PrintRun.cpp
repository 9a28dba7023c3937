#include "print/PrintRun.h"

#include "base/Language.h"
#include "print/PagePainter.h"
#include "print/PrintFonts.h"

#include <QLoggingCategory>
#include <numeric>

namespace tessel::print {

namespace {

Q_LOGGING_CATEGORY(lcFonts, "tessel.fonts")

thread_local QStringList t_lastUndrawable;

}  // namespace

QString nothingToPrint() {
    return tessel::base::tr("没有可打印的页：打印设置选出的页数为 0");
}

void beginUndrawable() {
    takeUndrawableTexts();
    t_lastUndrawable.clear();
}

// The warning goes where a host's message handler sees it.
void endUndrawable(const QStringList &texts) {
    t_lastUndrawable = texts;
    if (!t_lastUndrawable.isEmpty()) {
        qCWarning(lcFonts).noquote()
            << QStringLiteral("No installed font can draw some characters of: \"%1\"")
                   .arg(t_lastUndrawable.join(QStringLiteral("\", \"")));
    }
}

QStringList undrawableOfLastRun() {
    return t_lastUndrawable;
}

QPageLayout::Orientation pageOrientation(const grid::Sheet &sheet) {
    return sheet.print().orientation == grid::Orientation::Landscape ? QPageLayout::Landscape
                                                                     : QPageLayout::Portrait;
}

QString writeFailure(QFileDevice &file) {
    file.flush();
    return file.errorString();
}

void paintPages(const grid::Sheet &sheet, const Pagination &pagination,
                const std::vector<int> &pages, QPagedPaintDevice &device, QPainter &painter,
                int resolution, Error::Category failure, const QString &failureText,
                const std::function<void(int)> &beforePage, QFileDevice *file, QPrinter *printer) {
    const double scale = resolution / 72.0;
    for (int i = 0; i < int(pages.size()); ++i) {
        try {
            beforePage(i);
        } catch (...) {
            if (printer)
                printer->abort();
            painter.end();
            throw;
        }
        if (file && file->error() != QFileDevice::NoError) {
            painter.end();
            throw Error(failure, failureText, writeFailure(*file));
        }
        if (i > 0 && !device.newPage()) {
            painter.end();
            throw Error(failure, failureText);
        }
        painter.save();
        painter.scale(scale, scale);
        paintPage(sheet, pagination, pages[i], painter);
        painter.restore();
    }
}

std::vector<int> allPages(int count) {
    std::vector<int> pages(count);
    std::iota(pages.begin(), pages.end(), 1);
    return pages;
}

}  // namespace tessel::print
