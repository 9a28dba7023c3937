#include "platform/sheet/Printing.h"

#include "platform/sheet/Pagination.h"
#include "platform/sheet/Renderer.h"

#include <tessel/clsReport.h>

#include <QFileInfo>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QPrinterInfo>

namespace tessel::platform {

namespace {

const QString kNothingToPrint = QStringLiteral("没有可打印的页：打印设置选出的页数为 0");

QPageLayout::Orientation pageOrientation(const Sheet &sheet) {
    return sheet.print().orientation == Orientation::Landscape ? QPageLayout::Landscape
                                                               : QPageLayout::Portrait;
}

// Paints every printed page on a paged device whose painter origin is the paper's top-left
// corner. `failure` is the category of a device that stops taking pages.
void paintPages(const Sheet &sheet, const Pagination &pagination, QPagedPaintDevice &device,
                QPainter &painter, int resolution, Error::Category failure,
                const QString &failureText) {
    const double scale = resolution / 72.0;
    for (int page = 1; page <= pagination.pageCount(); ++page) {
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

int writePdfFile(const Sheet &sheet, const QString &path, const QPageSize &paper,
                 const QString &title, Error::Category failure) {
    const Pagination pagination(sheet, paper);
    if (pagination.pageCount() == 0) {
        throw Error(Error::Category::Printing, kNothingToPrint);
    }
    const QString failureText = QStringLiteral("无法写入 PDF 文件“%1”").arg(path);
    QPdfWriter writer(path);
    writer.setCreator(QStringLiteral("Tessel"));
    writer.setTitle(title);
    writer.setPageLayout(QPageLayout(pagination.paper(), pageOrientation(sheet),
                                     QMarginsF(0, 0, 0, 0), QPageLayout::Point));
    QPainter painter;
    if (!painter.begin(&writer)) {
        throw Error(failure, failureText);
    }
    paintPages(sheet, pagination, writer, painter, writer.resolution(), failure, failureText);
    if (!painter.end()) {
        throw Error(failure, failureText);
    }
    // The writer reports no error of its own once painting started; a file that is not there
    // afterwards (a full disk, a vanished directory) is a failed print.
    const QFileInfo written(path);
    if (!written.exists() || written.size() == 0) {
        throw Error(failure, failureText);
    }
    return pagination.pageCount();
}

int printToPrinter(const Sheet &sheet, const QString &name, const QString &jobName) {
    const QPrinterInfo info =
        name.isEmpty() ? QPrinterInfo::defaultPrinter() : QPrinterInfo::printerInfo(name);
    if (info.isNull()) {
        throw Error(Error::Category::Printing,
                    name.isEmpty() ? QStringLiteral("没有可用的打印机：系统未设置默认打印机")
                                   : QStringLiteral("找不到打印机“%1”").arg(name));
    }
    const QString printerName = info.printerName();
    QPrinter printer(info, QPrinter::HighResolution);
    printer.setDocName(jobName.isEmpty() ? QStringLiteral("Tessel") : jobName);
    // Our margins are the sheet's own: paint from the paper's corner.
    printer.setFullPage(true);
    printer.setPageOrientation(pageOrientation(sheet));
    const Pagination pagination(sheet, printer.pageLayout().pageSize());
    if (pagination.pageCount() == 0) {
        throw Error(Error::Category::Printing, kNothingToPrint);
    }
    const QString failureText = QStringLiteral("打印机“%1”打印失败").arg(printerName);
    QPainter painter;
    if (!painter.begin(&printer)) {
        throw Error(Error::Category::Printing, failureText);
    }
    paintPages(sheet, pagination, printer, painter, printer.resolution(), Error::Category::Printing,
               failureText);
    if (!painter.end() || printer.printerState() == QPrinter::Error ||
        printer.printerState() == QPrinter::Aborted) {
        throw Error(Error::Category::Printing, failureText);
    }
    return pagination.pageCount();
}

}  // namespace

int writePdf(const Sheet &sheet, const QString &path, const QPageSize &paper,
             const QString &title) {
    return writePdfFile(sheet, path, paper, title, Error::Category::Io);
}

int printSheet(const Sheet &sheet, const QString &jobName) {
    const QString destination = qEnvironmentVariable(kPrinterEnvVar).trimmed();
    if (destination.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive)) {
        return writePdfFile(sheet, destination, QPageSize(QPageSize::A4), jobName,
                            Error::Category::Printing);
    }
    return printToPrinter(sheet, destination, jobName);
}

}  // namespace tessel::platform
