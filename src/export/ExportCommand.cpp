#include "export/ExportCommand.h"

#include <tessel/Error.h>

#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <memory>
#include <vector>

#include "base/ErrorMessage.h"
#include "base/Interaction.h"
#include "base/Language.h"
#include "base/MessageTitles.h"
#include "export/CsvExport.h"
#include "export/WorkbookExport.h"
#include "grid/Paper.h"
#include "grid/Sheet.h"
#include "print/Printing.h"

namespace tessel::exports {

void exportWorkbook(QWidget *parent, const grid::Sheet &sheet, const QString &header,
                    const QString &footer, QString &lastName, const QString &title) {
    // A report without a data row (its run failed, or found nothing) is not written out as a
    // file of labels alone and called a success.
    if (sheet.maxRows() < 1) {
        base::showInformation(parent, tessel::base::tr("报表中没有数据，没有可导出的内容。"),
                              base::informationTitle());
        return;
    }
    struct Format {
        base::FileType type;
        const char *done;
    };
    // Built on each call: the filters and messages are in the current interface language.
    const Format formats[] = {
        {{tessel::base::tr("Excel file (*.xlsx)"), QStringLiteral("xlsx")},
         QT_TRANSLATE_NOOP("tessel::base", "表格数据导出到excel表成功！")},
        {{tessel::base::tr("PDF file (*.pdf)"), QStringLiteral("pdf")},
         QT_TRANSLATE_NOOP("tessel::base", "表格数据导出到PDF文件成功！")},
        {{tessel::base::tr("CSV file (*.csv)"), QStringLiteral("csv")},
         QT_TRANSLATE_NOOP("tessel::base", "表格数据导出到CSV文件成功！")},
    };
    std::vector<base::FileType> types;
    for (const Format &f : formats)
        types.push_back(f.type);
    const base::SaveChoice choice =
        base::interaction().saveFile(parent, tessel::base::tr("数据导出"), types, lastName);
    if (choice.name.isEmpty())
        return;
    const auto format = ExportFormat(std::clamp(choice.type, 0, int(std::size(formats)) - 1));
    const Format &chosen = formats[int(format)];
    QString name = choice.name;
    // The type chosen is what the file holds; under another suffix it would not open as one.
    if (QFileInfo(name).suffix().compare(chosen.type.suffix, Qt::CaseInsensitive) != 0)
        name += u'.' + chosen.type.suffix;
    // The name is remembered whether or not the write succeeds: after a failure the user
    // corrects it rather than typing it again.
    lastName = name;
    QStringList notices;
    try {
        const std::unique_ptr<base::Progress> progress = base::interaction().progress(parent);
        base::ProgressScope shown(*progress);
        base::BusyCursor busy;
        switch (format) {
            case ExportFormat::Workbook:
                notices = writeWorkbook(name, sheet, header, footer, kWorksheetRows, *progress);
                break;
            case ExportFormat::Pdf:
                print::writePdf(sheet, name, std::nullopt, title, *progress);
                break;
            case ExportFormat::Csv:
                writeCsv(name, sheet, *progress);
                break;
        }
    } catch (const base::Cancelled &) {
        return;  // the user stopped it: no file, nothing to tell
    } catch (const Error &e) {
        base::showWarning(parent, base::errorMessage(tessel::base::tr("数据导出失败"), e),
                          base::warningTitle());
        return;
    }
    // The file is named on a line of its own, where a user looks for what was written.
    base::showInformation(parent,
                          tessel::base::tr(chosen.done) + u'\n' +
                              QDir::toNativeSeparators(QFileInfo(name).absoluteFilePath()),
                          tessel::base::tr("导出数据成功"));
    for (const QString &notice : notices)
        base::showInformation(parent, notice, base::noticeTitle());
    const grid::Paper paper = sheet.print().paper;
    if (format == ExportFormat::Workbook && workbookPaperIndex(paper) == 0) {
        base::showInformation(
            parent,
            tessel::base::tr("工作簿没有 %1 × %2 毫米的纸张，打印它时用打印机的默认纸张；"
                             "请在打印时选择这种纸张。")
                .arg(QString::number(paper.widthMm), QString::number(paper.heightMm)),
            base::informationTitle());
    }
}

}  // namespace tessel::exports
