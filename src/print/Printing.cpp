#include "print/Printing.h"

#include "base/Language.h"
#include "print/PagePainter.h"
#include "print/Pagination.h"
#include "print/PdfText.h"
#include "print/PrintFonts.h"

#include <tessel/Error.h>

#include <unistd.h>

#include <QLoggingCategory>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QSaveFile>
#include <cerrno>
#include <cstring>

namespace tessel::print {

namespace {

QString kNothingToPrint() {
    return tessel::base::tr("没有可打印的页：打印设置选出的页数为 0");
}

Q_LOGGING_CATEGORY(lcFonts, "tessel.fonts")

thread_local QStringList t_lastUndrawable;

// Starts a print run's record of texts no font can draw.
void beginUndrawable() {
    takeUndrawableTexts();
    t_lastUndrawable.clear();
}

// Ends the run's record: one warning naming the texts, where a host's message handler sees
// it.
void endUndrawable() {
    t_lastUndrawable = takeUndrawableTexts();
    if (!t_lastUndrawable.isEmpty()) {
        qCWarning(lcFonts).noquote()
            << QStringLiteral("No installed font can draw some characters of: \"%1\"")
                   .arg(t_lastUndrawable.join(QStringLiteral("\", \"")));
    }
}

// Passes the PDF writer's bytes on to the file until hold() is called, and keeps the rest
// (what the writer writes when the painter ends) for completePdfFonts.
class TailHoldingDevice : public QIODevice {
public:
    explicit TailHoldingDevice(QIODevice &target) : m_target(target) { open(WriteOnly); }
    void hold() {
        m_holding = true;
        m_heldFrom = m_written;
    }
    qint64 heldFrom() const { return m_heldFrom; }
    const QByteArray &held() const { return m_held; }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *data, qint64 len) override {
        if (m_holding) {
            m_held.append(data, len);
            m_written += len;
            return len;
        }
        const qint64 n = m_target.write(data, len);
        if (n > 0) {
            m_written += n;
        }
        return n;
    }

private:
    QIODevice &m_target;
    bool m_holding = false;
    qint64 m_written = 0;
    qint64 m_heldFrom = 0;
    QByteArray m_held;
};

QPageLayout::Orientation pageOrientation(const grid::Sheet &sheet) {
    return sheet.print().orientation == grid::Orientation::Landscape ? QPageLayout::Landscape
                                                                     : QPageLayout::Portrait;
}

// Why writing `file` failed. A write the disk took only in part leaves the device in error
// without a reason; its rest, tried once more, fails at once and gives the system's reason
// (a full disk, a quota).
QString writeFailure(QSaveFile &file) {
    file.flush();
    return file.errorString();
}

// Paints every printed page on a paged device whose painter origin is the paper's top-left
// corner. `failure` is the category of a device that stops taking pages. `file`, when the
// pages go to one, is checked after each page: a disk that filled up stops the work there.
// A cancel seen before a page ends the painting (and aborts the job of `printer`, when the
// pages go to one) and is passed on.
void paintPages(const grid::Sheet &sheet, const Pagination &pagination, QPagedPaintDevice &device,
                QPainter &painter, int resolution, Error::Category failure,
                const QString &failureText, base::Progress &progress, QSaveFile *file = nullptr,
                QPrinter *printer = nullptr) {
    const double scale = resolution / 72.0;
    for (int page = 1; page <= pagination.pageCount(); ++page) {
        try {
            progress.check(page - 1);
        } catch (const base::Cancelled &) {
            if (printer)
                printer->abort();
            painter.end();
            throw;
        }
        if (file && file->error() != QFileDevice::NoError) {
            painter.end();
            throw Error(failure, failureText, writeFailure(*file));
        }
        if (page > 1 && !device.newPage()) {
            painter.end();
            throw Error(failure, failureText);
        }
        painter.save();
        painter.scale(scale, scale);
        paintPage(sheet, pagination, page, painter);
        painter.restore();
    }
}

int writePdfFile(const grid::Sheet &sheet, const QString &path, const QPageSize &paper,
                 const QString &title, Error::Category failure, const QString &stage,
                 base::Progress &progress) {
    const Pagination pagination(sheet, paper);
    if (pagination.pageCount() == 0) {
        throw Error(Error::Category::Printing, kNothingToPrint());
    }
    const QString failureText = tessel::base::tr("无法写入 PDF 文件“%1”").arg(path);

    // The pages go to a temporary file in the target's folder, which takes the target's name
    // (and its permissions) only once it is complete and on the disk: a full disk or a
    // failed write never costs the user the file that was there. Until commit() the
    // temporary file is removed on every way out.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw Error(failure, failureText, file.errorString());
    beginUndrawable();
    GlyphTextRecorder glyphTexts;
    TailHoldingDevice device(file);
    {
        QPdfWriter writer(&device);
        writer.setCreator(QStringLiteral("Tessel"));
        writer.setTitle(title);
        writer.setPageLayout(QPageLayout(pagination.paper(), pageOrientation(sheet),
                                         QMarginsF(0, 0, 0, 0), QPageLayout::Point));
        QPainter painter;
        if (!painter.begin(&writer))
            throw Error(failure, failureText);
        progress.begin(stage, base::ProgressUnit::Pages, pagination.pageCount());
        paintPages(sheet, pagination, writer, painter, writer.resolution(), failure, failureText,
                   progress, &file);
        // The fonts are written when the painter ends; their names and character maps are
        // completed before they reach the file.
        device.hold();
        if (!painter.end())
            throw Error(failure, failureText);
    }
    file.write(completePdfFonts(device.held(), device.heldFrom(), glyphTexts));
    endUndrawable();
    // The writer reports no write error of its own: the file's error state is the only
    // witness of a write the disk refused, the last buffered bytes included.
    if (!file.flush() || file.error() != QFileDevice::NoError)
        throw Error(failure, failureText, writeFailure(file));
    // The last page may take a while: a cancel meanwhile still leaves the old file.
    progress.check(pagination.pageCount());
    // commit() syncs too but ignores a failed sync; a disk that takes the data only now must
    // not end in a renamed, incomplete file.
    if (::fsync(file.handle()) != 0)
        throw Error(failure, failureText, QString::fromLocal8Bit(std::strerror(errno)));
    if (!file.commit())
        throw Error(failure, failureText, file.errorString());
    return pagination.pageCount();
}

int printToPrinter(const grid::Sheet &sheet, const QString &name, const QString &jobName,
                   base::Progress &progress) {
    const QPrinterInfo info =
        name.isEmpty() ? QPrinterInfo::defaultPrinter() : QPrinterInfo::printerInfo(name);
    if (info.isNull()) {
        throw Error(Error::Category::Printing,
                    name.isEmpty() ? tessel::base::tr("没有可用的打印机：系统未设置默认打印机")
                                   : tessel::base::tr("找不到打印机“%1”").arg(name));
    }
    const QString printerName = info.printerName();
    QPrinter printer(info, QPrinter::HighResolution);
    printer.setDocName(jobName.isEmpty() ? QStringLiteral("Tessel") : jobName);
    // Our margins are the sheet's own: paint from the paper's corner.
    printer.setFullPage(true);
    // The report's paper where the printer takes it (a driver may refuse a size it does
    // not know): the pages are broken on the paper the printer will feed.
    printer.setPageSize(grid::pageSize(sheet.print().paper));
    printer.setPageOrientation(pageOrientation(sheet));
    const Pagination pagination(sheet, printer.pageLayout().pageSize());
    if (pagination.pageCount() == 0) {
        throw Error(Error::Category::Printing, kNothingToPrint());
    }
    const QString failureText = tessel::base::tr("打印机“%1”打印失败").arg(printerName);
    beginUndrawable();
    QPainter painter;
    if (!painter.begin(&printer)) {
        throw Error(Error::Category::Printing, failureText);
    }
    progress.begin(tessel::base::tr("打印"), base::ProgressUnit::Pages, pagination.pageCount());
    paintPages(sheet, pagination, printer, painter, printer.resolution(), Error::Category::Printing,
               failureText, progress, nullptr, &printer);
    if (!painter.end() || printer.printerState() == QPrinter::Error ||
        printer.printerState() == QPrinter::Aborted) {
        throw Error(Error::Category::Printing, failureText);
    }
    endUndrawable();
    return pagination.pageCount();
}

}  // namespace

QStringList undrawableTextsOfLastPrint() {
    return t_lastUndrawable;
}

int writePdf(const grid::Sheet &sheet, const QString &path, const std::optional<QPageSize> &paper,
             const QString &title, base::Progress &progress) {
    return writePdfFile(sheet, path, paper.value_or(grid::pageSize(sheet.print().paper)), title,
                        Error::Category::Io, tessel::base::tr("写入 PDF 文件"), progress);
}

int printSheet(const grid::Sheet &sheet, const QString &jobName, base::Progress &progress) {
    const QString destination = qEnvironmentVariable(kPrinterEnvVar).trimmed();
    if (destination.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive)) {
        return writePdfFile(sheet, destination, grid::pageSize(sheet.print().paper), jobName,
                            Error::Category::Printing, tessel::base::tr("打印"), progress);
    }
    return printToPrinter(sheet, destination, jobName, progress);
}

}  // namespace tessel::print
