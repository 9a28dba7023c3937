// A formatted number that does not fit its column: drawn smaller down to 70 % of its size,
// past that its column widened for the run; never "#" marks.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "grid/Sheet.h"
#include "print/CellLayout.h"
#include "print/FontWidths.h"
#include "print/NumberWidths.h"
#include "print/Pagination.h"
#include "print/PrintFonts.h"
#include "print/Printing.h"
#include "support/Pdf.h"

using namespace tessel;

namespace {

// A column of amounts under "#,##0.00", its subtotal (bold) the widest of them.
TEST(NumberWidths, FormattedNumbersPrintWholeNeverAsHashes) {
    const QString subtotal = QStringLiteral("123,456,789.00");
    grid::Sheet probe;
    grid::CellStyle bold = probe.defaultStyle();
    bold.font.bold = true;
    const double textPoints =
        print::fontWidths(print::cellFont(bold.font)).width(subtotal, print::cellPoints(bold.font));
    // The column width whose room for text is `share` of the subtotal's width.
    const auto widthFor = [&](double share) {
        return (textPoints * share + 2 * print::kCellPaddingPoints) / print::kPointsPerWidthUnit;
    };
    const struct {
        const char *name;
        double share;
        bool widened;
    } cases[] = {
        {"room enough", 1.2, false},
        {"drawn smaller", 0.8, false},
        {"widened for the run", 0.5, true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        grid::Sheet sheet;
        sheet.setMaxCols(2);
        sheet.setMaxRows(3);
        sheet.setText(1, 0, QStringLiteral("客户"));
        sheet.setText(2, 0, QStringLiteral("金额"));
        sheet.setText(1, 1, QStringLiteral("甲"));
        sheet.setText(2, 1, QStringLiteral("123456788.5"));
        sheet.setText(2, 2, QStringLiteral("0.5"));
        sheet.setText(1, 3, QStringLiteral("小计"));
        sheet.setText(2, 3, QStringLiteral("123456789"));
        sheet.setRowMark(3, grid::RowMark{grid::RowKind::Subtotal, 1});
        sheet.setRowStyle(3, bold);
        sheet.setColFormat(2, grid::ColumnFormat{grid::FormatKind::Number, 2});
        sheet.setColWidth(2, widthFor(c.share));

        const std::vector<int> widened = print::widenForNumbers(sheet);
        EXPECT_EQ(widened, c.widened ? std::vector<int>{2} : std::vector<int>{});
        if (c.widened) {
            EXPECT_GE(sheet.colWidth(2), widthFor(1.0) - 0.01);
        }

        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("out.pdf"));
        print::writePdf(sheet, pdf);
        const QString text = test::pdfText(pdf);
        EXPECT_TRUE(text.contains(subtotal)) << text.toStdString();
        EXPECT_FALSE(text.contains(u'#')) << text.toStdString();
    }
}

}  // namespace
