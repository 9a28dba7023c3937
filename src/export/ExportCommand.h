// The preview's export command: the file dialog, the writer of the chosen format, and what the
// user is told afterwards.
#pragma once

#include <QString>

class QWidget;

namespace tessel::grid {
class Sheet;
}

namespace tessel::exports {

// The formats the preview's export writes, in the order its save dialog offers them.
enum class ExportFormat { Workbook, Pdf, Csv };

// The preview's "导出xls" command: asks for a file name (save dialog "数据导出" offering
// "Excel file (*.xlsx)", "PDF file (*.pdf)" and "CSV file (*.csv)", the workbook first). The
// chosen type decides the format; a name without that type's suffix gets it appended
// ("报表" → "报表.pdf", "旧.xls" → "旧.xls.xlsx"). The file is written with the busy cursor up:
// a workbook by writeWorkbook, a PDF by print::writePdf (the pages printing makes, on the
// sheet's paper, titled `title`), CSV by writeCsv. Then it says "表格数据导出到excel表成功！"
// (for a PDF "表格数据导出到PDF文件成功！", for CSV "表格数据导出到CSV文件成功！") and on a line
// of its own the file's absolute path, titled "导出数据成功"; a workbook's notices
// (writeWorkbook) follow, titled "提示", and a workbook of a paper it has no number for is
// followed by a note that says which paper to choose when printing it. A cancelled dialog
// does nothing; a failure is shown as a warning with its reason and leaves no file behind
// (an existing file of that name stays as it was). A write that takes long shows its
// progress with a 取消 button; a cancelled write, like a failed one, leaves no file and keeps
// an existing one, and is not told as a failure. `header` and `footer` are the code strings
// as the preview shows them (variables substituted), which are also the sheet's. The dialog
// opens on `lastName`, and a chosen name (with the suffix it gets) is stored back there, so
// the next export offers it. A sheet without a data row asks nothing and says
// "报表中没有数据，没有可导出的内容。" instead.
void exportWorkbook(QWidget *parent, const grid::Sheet &sheet, const QString &header,
                    const QString &footer, QString &lastName, const QString &title = QString());

}  // namespace tessel::exports
