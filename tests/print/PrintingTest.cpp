#include <gtest/gtest.h>
#include <tessel/Error.h>

#include <QImage>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPrinterInfo>
#include <QTemporaryDir>
#include <QTextItem>
#include <algorithm>
#include <functional>
#include <optional>

#include "grid/Sheet.h"
#include "print/PagePainter.h"
#include "print/Pagination.h"
#include "print/Printing.h"
#include "support/Pdf.h"

using namespace tessel::grid;
using namespace tessel::print;
using tessel::Error;
using namespace tessel::test;

namespace {

// A paint device that records every text drawn on it, with its position in points.
class RecordingEngine : public QPaintEngine {
public:
    RecordingEngine() : QPaintEngine(QPaintEngine::AllFeatures) {}
    bool begin(QPaintDevice *) override { return true; }
    bool end() override { return true; }
    void updateState(const QPaintEngineState &) override {}
    void drawPixmap(const QRectF &, const QPixmap &, const QRectF &) override {}
    void drawPolygon(const QPointF *, int, PolygonDrawMode) override {}
    void drawPath(const QPainterPath &) override {}
    void drawTextItem(const QPointF &p, const QTextItem &item) override {
        texts.push_back({item.text(), painter()->transform().map(p)});
    }
    Type type() const override { return QPaintEngine::User; }

    struct Drawn {
        QString text;
        QPointF at;
    };
    std::vector<Drawn> texts;
};

class RecordingDevice : public QPaintDevice {
public:
    QPaintEngine *paintEngine() const override { return &m_engine; }
    const std::vector<RecordingEngine::Drawn> &texts() const { return m_engine.texts; }
    int count(const QString &text) const {
        return int(std::count_if(texts().begin(), texts().end(),
                                 [&](const auto &d) { return d.text == text; }));
    }
    std::optional<QPointF> position(const QString &text) const {
        for (const auto &d : texts()) {
            if (d.text == text) {
                return d.at;
            }
        }
        return std::nullopt;
    }

protected:
    int metric(PaintDeviceMetric m) const override {
        switch (m) {
            case PdmWidth:
            case PdmHeight:
                return 1000;
            case PdmWidthMM:
            case PdmHeightMM:
                return 353;
            case PdmDpiX:
            case PdmDpiY:
            case PdmPhysicalDpiX:
            case PdmPhysicalDpiY:
                return 72;
            case PdmDepth:
                return 32;
            case PdmNumColors:
                return 0x7fffffff;
            case PdmDevicePixelRatio:
                return 1;
            case PdmDevicePixelRatioScaled:
                return int(QPaintDevice::devicePixelRatioFScale());
        }
        return 0;
    }

private:
    mutable RecordingEngine m_engine;
};

const QPageSize kPaper(QSizeF(200, 300), QPageSize::Point, QStringLiteral("test"),
                       QPageSize::ExactMatch);

// Two columns of 10 units, `rows` rows, 20 pt margins: 20 rows on a page without headers.
void fill(Sheet &sheet, int rows, const std::function<void(PrintSettings &)> &edit = {}) {
    sheet.setMaxCols(2);
    sheet.setMaxRows(rows);
    sheet.setColWidth(1, 10);
    sheet.setColWidth(2, 10);
    sheet.setText(1, 0, QStringLiteral("编号"));
    sheet.setText(2, 0, QStringLiteral("姓名"));
    for (int r = 1; r <= rows; ++r) {
        sheet.setText(1, r, QStringLiteral("R%1").arg(r));
        sheet.setText(2, r, QStringLiteral("甲%1").arg(r));
    }
    PrintSettings p = sheet.print();
    p.marginLeft = p.marginRight = p.marginTop = p.marginBottom = 400;
    p.colHeaders = false;
    p.rowHeaders = false;
    if (edit) {
        edit(p);
    }
    sheet.setPrint(p);
}

void record(const Sheet &sheet, int page, RecordingDevice &device) {
    const Pagination pg(sheet, kPaper);
    QPainter painter(&device);
    paintPage(sheet, pg, page, painter);
}

TEST(RendererTest, PaintsOnlyThePageRowsAndRepeatsHeaders) {
    struct Case {
        const char *name;
        bool colHeaders;
        bool rowHeaders;
    };
    for (const Case &c : {Case{"no headers", false, false}, Case{"column headers", true, false},
                          Case{"both headers", true, true}}) {
        SCOPED_TRACE(c.name);
        Sheet sheet;
        fill(sheet, 60, [&](PrintSettings &p) {
            p.colHeaders = c.colHeaders;
            p.rowHeaders = c.rowHeaders;
        });
        const Pagination pg(sheet, kPaper);
        RecordingDevice device;
        record(sheet, 2, device);
        const PageLayout l = pg.layout(2);
        EXPECT_EQ(device.count(QStringLiteral("R%1").arg(l.firstRow)), 1);
        EXPECT_EQ(device.count(QStringLiteral("甲%1").arg(l.lastRow)), 1);
        EXPECT_EQ(device.count(QStringLiteral("R%1").arg(l.firstRow - 1)), 0);
        EXPECT_EQ(device.count(QStringLiteral("R%1").arg(l.lastRow + 1)), 0);
        EXPECT_EQ(device.count(QStringLiteral("编号")), c.colHeaders ? 1 : 0);
        EXPECT_EQ(device.count(QString::number(l.firstRow)), c.rowHeaders ? 1 : 0);
        // Data cells count one per cell of the page.
        int cells = 0;
        for (const auto &d : device.texts()) {
            cells += d.text.startsWith(u'R') || d.text.startsWith(u'甲');
        }
        EXPECT_EQ(cells, 2 * (l.lastRow - l.firstRow + 1));
        // The first row's text stands inside the cells' rectangle.
        const auto at = device.position(QStringLiteral("R%1").arg(l.firstRow));
        ASSERT_TRUE(at.has_value());
        EXPECT_TRUE(l.cells.contains(*at)) << at->x() << "," << at->y();
    }
}

TEST(RendererTest, MergedCellsAreDrawnOnceAndHiddenColumnsNotAtAll) {
    struct Case {
        const char *name;
        std::function<void(Sheet &)> setup;
        QString text;
        int page;
        int times;
    };
    const std::vector<Case> cases = {
        {"unmerged column draws every cell",
         [](Sheet &s) {
             for (int r = 1; r <= 5; ++r) {
                 s.setText(1, r, QStringLiteral("部门甲"));
             }
         },
         QStringLiteral("部门甲"), 1, 5},
        {"merged column draws a run once",
         [](Sheet &s) {
             for (int r = 1; r <= 5; ++r) {
                 s.setText(1, r, QStringLiteral("部门甲"));
             }
             s.setText(1, 7, QStringLiteral("部门甲"));  // not adjacent: drawn again
             s.setColMerge(1, MergeMode::Always);
         },
         QStringLiteral("部门甲"), 1, 2},
        {"a run split by a page break shows on both pages",
         [](Sheet &s) {
             for (int r = 18; r <= 23; ++r) {
                 s.setText(1, r, QStringLiteral("部门丙"));
             }
             s.setColMerge(1, MergeMode::Always);
         },
         QStringLiteral("部门丙"), 2, 1},
        {"merged row draws equal neighbours once",
         [](Sheet &s) {
             s.setText(1, 3, QStringLiteral("合并"));
             s.setText(2, 3, QStringLiteral("合并"));
             s.setRowMerge(3, MergeMode::Always);
         },
         QStringLiteral("合并"), 1, 1},
        {"hidden column is skipped",
         [](Sheet &s) {
             s.setText(2, 4, QStringLiteral("隐藏"));
             s.setColWidth(2, 0);
         },
         QStringLiteral("隐藏"), 1, 0},
        {"column of width 1 is hidden too",
         [](Sheet &s) {
             s.setText(2, 4, QStringLiteral("隐藏"));
             s.setColWidth(2, 1);
         },
         QStringLiteral("隐藏"), 1, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Sheet sheet;
        fill(sheet, 60);
        c.setup(sheet);
        RecordingDevice device;
        record(sheet, c.page, device);
        EXPECT_EQ(device.count(c.text), c.times);
    }
}

TEST(RendererTest, TextTooWideForItsCellIsCutAndNumbersTurnToHashes) {
    Sheet sheet;
    fill(sheet, 5);
    sheet.setColWidth(1, 4);  // 21 pt, 17 pt for text: one 9 pt Chinese character
    sheet.setText(1, 1, QStringLiteral("很长的文字"));
    sheet.setText(1, 2, QStringLiteral("123456789.5"));
    sheet.setText(1, 3, QStringLiteral("短"));
    sheet.setText(1, 4, QStringLiteral("0.142857142857143"));  // 1/7: rounded, not hashes
    RecordingDevice device;
    record(sheet, 1, device);
    EXPECT_TRUE(std::any_of(device.texts().begin(), device.texts().end(), [](const auto &d) {
        return d.text.startsWith("0.1") && d.text.size() < 17;
    }));
    EXPECT_EQ(device.count(QStringLiteral("很")), 1);
    EXPECT_EQ(device.count(QStringLiteral("很长的文字")), 0);
    EXPECT_EQ(device.count(QStringLiteral("123456789.5")), 0);
    EXPECT_EQ(device.count(QStringLiteral("短")), 1);
    const auto hashes = std::find_if(device.texts().begin(), device.texts().end(),
                                     [](const auto &d) { return d.text.startsWith(u'#'); });
    ASSERT_NE(hashes, device.texts().end());
    EXPECT_EQ(hashes->text, QString(hashes->text.size(), u'#'));
}

TEST(RendererTest, HeaderAndFooterPartsAndPageNumbers) {
    Sheet sheet;
    fill(sheet, 100, [](PrintSettings &p) {
        p.header = QStringLiteral("/fz\"12\"/l左边/c中间/r右边/n");
        p.footer = QStringLiteral("/c/p/n");
        p.type = PrintType::PageRange;
        p.pageStart = 3;
        p.pageEnd = 4;
    });
    const Pagination pg(sheet, kPaper);
    ASSERT_EQ(pg.pageCount(), 2);
    RecordingDevice device;
    record(sheet, 1, device);
    // The page number is the page's number in the report, not its place in the range.
    EXPECT_EQ(device.count(QStringLiteral("3")), 1);
    EXPECT_EQ(device.count(QStringLiteral("1")), 0);
    const auto left = device.position(QStringLiteral("左边"));
    const auto centre = device.position(QStringLiteral("中间"));
    const auto right = device.position(QStringLiteral("右边"));
    ASSERT_TRUE(left && centre && right);
    const PageLayout l = pg.layout(1);
    EXPECT_NEAR(left->x(), l.headerLines[0].left(), 1.0);
    EXPECT_LT(left->x(), centre->x());
    EXPECT_LT(centre->x(), right->x());
    EXPECT_GT(right->x(), l.headerLines[0].center().x());
    EXPECT_TRUE(l.headerLines[0].contains(*left));
    const auto number = device.position(QStringLiteral("3"));
    EXPECT_TRUE(l.footerLines[0].contains(*number));
}

TEST(RendererTest, PageNumbersPrintInsideTheTextOfTheirPart) {
    const struct {
        const char *footer;
        const char *printed;  // the footer line's texts left to right on page 3
    } cases[] = {
        {"/c第/p页/n", "第3页"},
        {"/r-/p-/n", "-3-"},
        {"/lPage /p/n", "Page 3"},
        {"/fz\"9\"/c第/fz\"20\"/p/fz\"9\"页/n", "第3页"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.footer);
        Sheet sheet;
        fill(sheet, 100, [&](PrintSettings &p) { p.footer = QString::fromUtf8(c.footer); });
        const Pagination pg(sheet, kPaper);
        RecordingDevice device;
        record(sheet, 3, device);
        const QRectF line = pg.layout(3).footerLines.at(0);
        std::vector<RecordingEngine::Drawn> drawn;
        std::copy_if(device.texts().begin(), device.texts().end(), std::back_inserter(drawn),
                     [&](const auto &d) { return line.contains(d.at); });
        std::sort(drawn.begin(), drawn.end(),
                  [](const auto &a, const auto &b) { return a.at.x() < b.at.x(); });
        QString printed;
        for (const auto &d : drawn) {
            printed += d.text;
            EXPECT_DOUBLE_EQ(d.at.y(), drawn.front().at.y());  // one baseline
        }
        EXPECT_EQ(printed, QString::fromUtf8(c.printed));
    }
    // A size raised in the middle of a part raises the line.
    Sheet sheet;
    fill(sheet, 10,
         [](PrintSettings &p) { p.footer = QStringLiteral("/fz\"9\"/cA/fz\"20\"/p/n"); });
    EXPECT_DOUBLE_EQ(Pagination(sheet, kPaper).layout(1).footerLines.at(0).height(),
                     20 * kCodeLineFactor);
}

// Renders page 1 at 1 pixel per point onto white.
QImage renderImage(const Sheet &sheet) {
    const Pagination pg(sheet, kPaper);
    QImage image(200, 300, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    paintPage(sheet, pg, 1, painter);
    return image;
}

TEST(RendererTest, ColoursGreyWithoutColourPrintingAndFrameSwitches) {
    for (bool colour : {true, false}) {
        SCOPED_TRACE(colour);
        Sheet sheet;
        fill(sheet, 10, [&](PrintSettings &p) {
            p.color = colour;
            p.shadows = true;
            p.border = true;
        });
        sheet.setCurrentBlock(CellBlock{1, 1, 1, 1});
        sheet.setBackground(QColor(255, 0, 0));
        const QImage image = renderImage(sheet);
        // Cell (1, 1) spans x 20..72.5, y 20..32.75; sample beside its text.
        const QColor px = image.pixelColor(68, 26);
        if (colour) {
            EXPECT_EQ(px, QColor(255, 0, 0));
        } else {
            EXPECT_EQ(px.red(), px.green());
            EXPECT_EQ(px.green(), px.blue());
            EXPECT_LT(px.red(), 255);
        }
        // Shadow right of the table (x 125..128) and border on its left edge.
        EXPECT_EQ(image.pixelColor(126, 80), QColor(128, 128, 128));
        EXPECT_LT(image.pixelColor(20, 80).lightness(), 80);
    }
    Sheet plain;
    fill(plain, 10, [](PrintSettings &p) {
        p.shadows = false;
        p.border = false;
        p.gridLines = false;
    });
    const QImage image = renderImage(plain);
    EXPECT_EQ(image.pixelColor(126, 80), QColor(Qt::white));
    EXPECT_EQ(image.pixelColor(20, 80), QColor(Qt::white));
    EXPECT_EQ(image.pixelColor(72, 80), QColor(Qt::white));  // no grid line between columns
}

// A report without digits in its cells, so every digit on a page is its page number.
void chineseReport(Sheet &sheet, int rows) {
    static const QString names[] = {QStringLiteral("张三"), QStringLiteral("李四"),
                                    QStringLiteral("王五")};
    sheet.setMaxCols(3);
    sheet.setMaxRows(rows);
    sheet.setText(1, 0, QStringLiteral("姓名"));
    sheet.setText(2, 0, QStringLiteral("部门"));
    sheet.setText(3, 0, QStringLiteral("备注"));
    for (int r = 1; r <= rows; ++r) {
        sheet.setText(1, r, names[r % 3]);
        sheet.setText(2, r, QStringLiteral("销售部"));
        sheet.setText(3, r, QStringLiteral("好"));
    }
    PrintSettings p = sheet.print();
    p.rowHeaders = false;
    p.header = QStringLiteral(
        "/fn\"宋体\"/fz\"14\"/fb1/fi0/fu0/fk0/c月度销售报表/fn\"宋体\"/fz\"9\"/fb0/r/p/n");
    sheet.setPrint(p);
}

TEST(PrintingTest, PdfThroughPrinterVariableHoldsChineseTextAndPageNumbers) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("报表.pdf"));
    Sheet sheet;
    chineseReport(sheet, 150);
    const int expected = Pagination(sheet).pageCount();
    ASSERT_GT(expected, 2);

    PrinterVariable env(path);
    EXPECT_EQ(printSheet(sheet, QStringLiteral("月报")), expected);
    EXPECT_EQ(pdfPageCount(path), expected);
    for (int page : {1, 2, expected}) {
        SCOPED_TRACE(page);
        const QString text = pdfText(path, page);
        EXPECT_TRUE(text.contains(QStringLiteral("月度销售报表")));
        EXPECT_TRUE(text.contains(QStringLiteral("张三")));
        EXPECT_TRUE(text.contains(QStringLiteral("销售部")));
        EXPECT_TRUE(text.contains(QStringLiteral("姓名")));  // repeated column header
        QString digits;
        for (QChar ch : text) {
            if (ch.isDigit()) {
                digits += ch;
            }
        }
        EXPECT_EQ(digits, QString::number(page));
    }
}

TEST(PrintingTest, PdfFollowsOrientationAndPrintType) {
    QTemporaryDir dir;
    Sheet sheet;
    chineseReport(sheet, 300);
    PrintSettings p = sheet.print();
    p.orientation = Orientation::Landscape;
    p.type = PrintType::PageRange;
    p.pageStart = 2;
    p.pageEnd = 3;
    sheet.setPrint(p);
    const QString path = dir.filePath(QStringLiteral("x.pdf"));
    EXPECT_EQ(writePdf(sheet, path), 2);
    EXPECT_EQ(pdfPageCount(path), 2);
    const QString info = pdfInfo(path);
    EXPECT_TRUE(info.contains(QStringLiteral("842 x 595 pts"))) << info.toStdString();
    EXPECT_TRUE(pdfText(path, 1).contains(u'2'));  // the second page of the report
}

TEST(PrintingTest, FailuresAreErrors) {
    QTemporaryDir dir;
    Sheet sheet;
    chineseReport(sheet, 10);

    auto expectError = [&](const std::function<void()> &f, Error::Category category) {
        try {
            f();
            ADD_FAILURE() << "no error";
        } catch (const Error &e) {
            EXPECT_EQ(e.category(), category);
            EXPECT_FALSE(e.userMessage().isEmpty());
        }
    };
    {
        PrinterVariable env(QStringLiteral("no-such-printer-here"));
        expectError([&] { printSheet(sheet); }, Error::Category::Printing);
    }
    {
        const QString path = dir.filePath(QStringLiteral("missing/dir/x.pdf"));
        PrinterVariable env(path);
        expectError([&] { printSheet(sheet); }, Error::Category::Printing);
        expectError([&] { writePdf(sheet, path); }, Error::Category::Io);
    }
    {
        Sheet empty;
        PrintSettings p = empty.print();
        p.onlyData = true;
        empty.setPrint(p);
        empty.setMaxCols(3);
        empty.setMaxRows(10);
        const QString path = dir.filePath(QStringLiteral("empty.pdf"));
        expectError([&] { writePdf(empty, path); }, Error::Category::Printing);
        EXPECT_FALSE(QFile::exists(path));
    }
    if (QPrinterInfo::defaultPrinter().isNull()) {
        PrinterVariable env(std::nullopt);
        expectError([&] { printSheet(sheet); }, Error::Category::Printing);
    }
}

}  // namespace

// A chart prints its title, category labels and legend as text, on the last table page or on
// a page of its own.
TEST(PrintingTest, PdfHoldsTheChartsTexts) {
    QTemporaryDir dir;
    Sheet sheet;
    sheet.setMaxCols(3);
    sheet.setMaxRows(3);
    const char *cells[][3] = {{"部门", "销售额", "成本"},
                              {"华东区", "120", "80"},
                              {"西南区", "95", "60"},
                              {"Nordic", "40", "25"}};
    for (int row = 0; row <= 3; ++row) {
        for (int col = 1; col <= 3; ++col)
            sheet.setText(col, row, QString::fromUtf8(cells[row][col - 1]));
    }
    const struct {
        const char *name;
        ChartType type;
        ChartPlace place;
        int pages;
    } cases[] = {
        {"columns below the rows", ChartType::Column, ChartPlace::End, 1},
        {"a line chart on its own page", ChartType::Line, ChartPlace::Page, 2},
        {"bars", ChartType::Bar, ChartPlace::End, 1},
    };
    for (const auto &c : cases) {
        ChartSpec chart;
        chart.type = c.type;
        chart.place = c.place;
        chart.title = QStringLiteral("各区销售额");
        chart.category = 1;
        chart.values = {2, 3};
        sheet.setCharts({chart});
        const QString path = dir.filePath(QStringLiteral("chart.pdf"));
        ASSERT_EQ(writePdf(sheet, path), c.pages) << c.name;
        const QString text = pdfText(path, c.pages);
        for (const char *word : {"各区销售额", "华东区", "西南区", "Nordic", "成本"})
            EXPECT_TRUE(text.contains(QString::fromUtf8(word))) << c.name << ": " << word;
    }
}
