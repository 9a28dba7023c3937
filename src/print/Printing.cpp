#include "print/Printing.h"

#include "base/Language.h"
#include "print/Pagination.h"
#include "print/PdfParts.h"
#include "print/PrintFonts.h"
#include "print/PrintRun.h"

#include <tessel/Error.h>

#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>

namespace tessel::print {

namespace {

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
        throw Error(Error::Category::Printing, nothingToPrint());
    }
    const QString failureText = tessel::base::tr("打印机“%1”打印失败").arg(printerName);
    beginUndrawable();
    QPainter painter;
    if (!painter.begin(&printer)) {
        throw Error(Error::Category::Printing, failureText);
    }
    progress.begin(tessel::base::tr("打印"), base::ProgressUnit::Pages, pagination.pageCount());
    paintPages(
        sheet, pagination, allPages(pagination.pageCount()), printer, painter, printer.resolution(),
        Error::Category::Printing, failureText, [&](int i) { progress.check(i); }, nullptr,
        &printer);
    if (!painter.end() || printer.printerState() == QPrinter::Error ||
        printer.printerState() == QPrinter::Aborted) {
        throw Error(Error::Category::Printing, failureText);
    }
    endUndrawable(takeUndrawableTexts());
    return pagination.pageCount();
}

}  // namespace

QStringList undrawableTextsOfLastPrint() {
    return undrawableOfLastRun();
}

int writePdf(const grid::Sheet &sheet, const QString &path, const std::optional<QPageSize> &paper,
             const QString &title, base::Progress &progress) {
    return writePdfInParts(sheet, path, paper.value_or(grid::pageSize(sheet.print().paper)), title,
                           Error::Category::Io, tessel::base::tr("写入 PDF 文件"), progress, 0);
}

int printSheet(const grid::Sheet &sheet, const QString &jobName, base::Progress &progress) {
    const QString destination = qEnvironmentVariable(kPrinterEnvVar).trimmed();
    if (destination.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive)) {
        return writePdfInParts(sheet, destination, grid::pageSize(sheet.print().paper), jobName,
                               Error::Category::Printing, tessel::base::tr("打印"), progress, 0);
    }
    return printToPrinter(sheet, destination, jobName, progress);
}

}  // namespace tessel::print
