#include <gtest/gtest.h>
#include <tessel/Error.h>

#include <QPageSize>
#include <functional>
#include <random>
#include <vector>

#include "grid/Sheet.h"
#include "print/Pagination.h"

using namespace tessel::grid;
using namespace tessel::print;

namespace {

// A 200 x 300 pt paper with 20 pt margins leaves 160 x 260 pt: 20 default rows (12.75 pt)
// per page, and three columns of 10 units (52.5 pt) across.
const QPageSize kPaper(QSizeF(200, 300), QPageSize::Point, QStringLiteral("test"),
                       QPageSize::ExactMatch);
constexpr int kMargin = 400;  // twips = 20 pt

void baseSheet(Sheet &sheet, int cols, int rows) {
    sheet.setMaxCols(cols);
    sheet.setMaxRows(rows);
    for (int c = 1; c <= cols; ++c) {
        sheet.setColWidth(c, 10);
    }
    PrintSettings p = sheet.print();
    p.marginLeft = p.marginRight = p.marginTop = p.marginBottom = kMargin;
    p.colHeaders = false;
    p.rowHeaders = false;
    sheet.setPrint(p);
}

void editPrint(Sheet &sheet, const std::function<void(PrintSettings &)> &edit) {
    PrintSettings p = sheet.print();
    edit(p);
    sheet.setPrint(p);
}

struct PageExpect {
    int page;
    int number;
    int firstRow, lastRow;
    int firstCol, lastCol;
};

struct Case {
    const char *name;
    int cols;
    int rows;
    std::function<void(Sheet &)> setup;
    int pages;
    int rowBands;  // bands of the print area
    int colBands;
    std::vector<PageExpect> expect;
    PageChoice choice = PageChoice::ByPrintType;
};

const std::vector<Case> &cases() {
    static const std::vector<Case> all = {
        {"twenty default rows per page",
         2,
         100,
         [](Sheet &) {},
         5,
         5,
         1,
         {{1, 1, 1, 20, 1, 2}, {3, 3, 41, 60, 1, 2}, {5, 5, 81, 100, 1, 2}}},
        {"last page partly filled", 2, 101, [](Sheet &) {}, 6, 6, 1, {{6, 6, 101, 101, 1, 2}}},
        {"repeated column header takes its height from every page",
         2,
         100,
         [](Sheet &s) {
             s.setRowHeight(0, 20);
             editPrint(s, [](PrintSettings &p) { p.colHeaders = true; });
         },
         6,
         6,
         1,
         {{1, 1, 1, 18, 1, 2}, {6, 6, 91, 100, 1, 2}}},
        {"landscape turns the paper",
         2,
         100,
         [](Sheet &s) {
             editPrint(s, [](PrintSettings &p) { p.orientation = Orientation::Landscape; });
         },
         9,
         9,
         1,
         {{1, 1, 1, 12, 1, 2}, {9, 9, 97, 100, 1, 2}}},
        {"top margin",
         2,
         100,
         [](Sheet &s) { editPrint(s, [](PrintSettings &p) { p.marginTop = 1400; }); },
         7,
         7,
         1,
         {{1, 1, 1, 16, 1, 2}}},
        {"header line as high as its largest font",
         2,
         100,
         [](Sheet &s) {
             editPrint(s, [](PrintSettings &p) {
                 p.header = QStringLiteral(
                     "/fz\"9\"/l左/fz\"20\"/c标题/n");  // 25 pt + 6 pt gap: 229 pt left
             });
         },
         6,
         6,
         1,
         {{1, 1, 1, 17, 1, 2}, {6, 6, 86, 100, 1, 2}}},
        {"footer lines and trailing empty lines",
         2,
         100,
         [](Sheet &s) {
             editPrint(s, [](PrintSettings &p) {
                 // Two 9 pt lines (22.5 pt) + gap; the empty trailing lines take nothing.
                 p.footer = QStringLiteral("/c第一行/n/r/p/n/n/n");
             });
         },
         6,
         6,
         1,
         {{1, 1, 1, 18, 1, 2}}},
        {"wide sheet breaks into column bands, down then across",
         5,
         100,
         [](Sheet &) {},
         10,
         5,
         2,
         {{1, 1, 1, 20, 1, 3},
          {5, 5, 81, 100, 1, 3},
          {6, 6, 1, 20, 4, 5},
          {10, 10, 81, 100, 4, 5}}},
        {"hidden columns take no width",
         5,
         40,
         [](Sheet &s) {
             s.setColWidth(2, 0);
             s.setColWidth(3, 1);
         },
         2,
         2,
         1,
         {{1, 1, 1, 20, 1, 5}}},
        {"row header narrows the band",
         3,
         20,
         [](Sheet &s) { editPrint(s, [](PrintSettings &p) { p.rowHeaders = true; }); },
         2,
         1,
         2,
         {{1, 1, 1, 20, 1, 2}, {2, 2, 1, 20, 3, 3}}},
        {"row header hidden by its width",
         3,
         20,
         [](Sheet &s) {
             s.setColWidth(0, 1);
             editPrint(s, [](PrintSettings &p) { p.rowHeaders = true; });
         },
         1,
         1,
         1,
         {{1, 1, 1, 20, 1, 3}}},
        {"column wider than the body gets a band of its own",
         3,
         20,
         [](Sheet &s) { s.setColWidth(2, 40); },
         3,
         1,
         3,
         {{1, 1, 1, 20, 1, 1}, {2, 2, 1, 20, 2, 2}, {3, 3, 1, 20, 3, 3}}},
        {"cell block",
         3,
         100,
         [](Sheet &s) {
             editPrint(s, [](PrintSettings &p) {
                 p.type = PrintType::CellRange;
                 p.block = CellBlock{3, 35, 2, 11};  // given in any corner order
             });
         },
         2,
         2,
         1,
         {{1, 1, 11, 30, 2, 3}, {2, 2, 31, 35, 2, 3}}},
        {"cell block of whole columns",
         3,
         30,
         [](Sheet &s) {
             editPrint(s, [](PrintSettings &p) {
                 p.type = PrintType::CellRange;
                 p.block = CellBlock{2, -1, 2, -1};
             });
         },
         2,
         2,
         1,
         {{2, 2, 21, 30, 2, 2}}},
        {"empty cell block prints the whole sheet",
         3,
         30,
         [](Sheet &s) {
             editPrint(s, [](PrintSettings &p) {
                 p.type = PrintType::CellRange;
                 p.block = CellBlock{};
             });
         },
         2,
         2,
         1,
         {{1, 1, 1, 20, 1, 3}, {2, 2, 21, 30, 1, 3}}},
        {"current page",
         2,
         100,
         [](Sheet &s) {
             editPrint(s, [](PrintSettings &p) {
                 p.type = PrintType::CurrentPage;
                 p.currentPage = 3;
             });
         },
         1,
         5,
         1,
         {{1, 3, 41, 60, 1, 2}}},
        {"current page past the end is the last page",
         2,
         100,
         [](Sheet &s) {
             editPrint(s, [](PrintSettings &p) {
                 p.type = PrintType::CurrentPage;
                 p.currentPage = 99;
             });
         },
         1,
         5,
         1,
         {{1, 5, 81, 100, 1, 2}}},
        {"all pages whatever the page range",
         2,
         100,
         [](Sheet &s) { editPrint(s, [](PrintSettings &p) { p.type = PrintType::PageRange; }); },
         5,
         5,
         1,
         {{5, 5, 81, 100, 1, 2}},
         PageChoice::AllPages},
        {"page range",
         2,
         100,
         [](Sheet &s) {
             editPrint(s, [](PrintSettings &p) {
                 p.type = PrintType::PageRange;
                 p.pageStart = 2;
                 p.pageEnd = 4;
             });
         },
         3,
         5,
         1,
         {{1, 2, 21, 40, 1, 2}, {3, 4, 61, 80, 1, 2}}},
        {"page range clamped to the pages there are",
         2,
         100,
         [](Sheet &s) {
             editPrint(s, [](PrintSettings &p) {
                 p.type = PrintType::PageRange;
                 p.pageStart = 0;
                 p.pageEnd = 99;
             });
         },
         5,
         5,
         1,
         {{1, 1, 1, 20, 1, 2}, {5, 5, 81, 100, 1, 2}}},
        {"page range with first after last prints nothing",
         2,
         100,
         [](Sheet &s) {
             editPrint(s, [](PrintSettings &p) {
                 p.type = PrintType::PageRange;
                 p.pageStart = 4;
                 p.pageEnd = 2;
             });
         },
         0,
         5,
         1,
         {}},
        {"only data limits rows and columns",
         5,
         100,
         [](Sheet &s) {
             s.setText(2, 30, QStringLiteral("x"));
             s.setText(1, 5, QStringLiteral("y"));
             editPrint(s, [](PrintSettings &p) { p.onlyData = true; });
         },
         2,
         2,
         1,
         {{1, 1, 1, 20, 1, 2}, {2, 2, 21, 30, 1, 2}}},
        {"only data on an empty sheet prints nothing",
         5,
         100,
         [](Sheet &s) { editPrint(s, [](PrintSettings &p) { p.onlyData = true; }); },
         0,
         0,
         0,
         {}},
        {"custom row heights",
         2,
         35,
         [](Sheet &s) {
             s.setRowHeight(5, 100);  // rows 1-4 51 pt, row 5 100 pt, 8 more rows: 253 pt
             s.setRowHeight(20, 0);   // takes no space
             s.setRowHeight(30, 2);
         },
         2,
         2,
         1,
         {{1, 1, 1, 13, 1, 2}, {2, 2, 14, 35, 1, 2}}},
        {"row taller than the body gets a page of its own",
         2,
         30,
         [](Sheet &s) { s.setRowHeight(21, 500); },
         3,
         3,
         1,
         {{1, 1, 1, 20, 1, 2}, {2, 2, 21, 21, 1, 2}, {3, 3, 22, 30, 1, 2}}},
        {"no rows still prints the headers",
         2,
         0,
         [](Sheet &s) { editPrint(s, [](PrintSettings &p) { p.colHeaders = true; }); },
         1,
         1,
         1,
         {{1, 1, 1, 0, 1, 2}}},
        {"no columns prints nothing", 0, 10, [](Sheet &) {}, 0, 0, 0, {}},
        {"all columns hidden prints nothing",
         2,
         10,
         [](Sheet &s) {
             s.setColWidth(1, 0);
             s.setColWidth(2, 0.5);
         },
         0,
         0,
         0,
         {}},
    };
    return all;
}

class PaginationCases : public ::testing::TestWithParam<std::size_t> {};

TEST_P(PaginationCases, PagesAndBands) {
    const Case &c = cases()[GetParam()];
    SCOPED_TRACE(c.name);
    Sheet sheet;
    baseSheet(sheet, c.cols, c.rows);
    c.setup(sheet);
    const Pagination pg(sheet, kPaper, c.choice);
    EXPECT_EQ(pg.pageCount(), c.pages);
    EXPECT_EQ(pg.rowBandCount(), c.rowBands);
    EXPECT_EQ(pg.colBandCount(), c.colBands);
    for (const PageExpect &e : c.expect) {
        SCOPED_TRACE(e.page);
        const PageLayout l = pg.layout(e.page);
        EXPECT_EQ(l.number, e.number);
        EXPECT_EQ(l.firstRow, e.firstRow);
        EXPECT_EQ(l.lastRow, e.lastRow);
        EXPECT_EQ(l.firstCol, e.firstCol);
        EXPECT_EQ(l.lastCol, e.lastCol);
    }
    // Every page's table stays inside its body, whatever the case.
    for (int page = 1; page <= pg.pageCount(); ++page) {
        const PageLayout l = pg.layout(page);
        EXPECT_LE(l.table.bottom(), l.body.bottom() + 1e-9) << "page " << page;
        EXPECT_LE(l.table.right(), l.body.right() + 1e-9) << "page " << page;
    }
    EXPECT_THROW(pg.layout(0), tessel::Error);
    EXPECT_THROW(pg.layout(pg.pageCount() + 1), tessel::Error);
}

INSTANTIATE_TEST_SUITE_P(Sheet, PaginationCases, ::testing::Range<std::size_t>(0, cases().size()),
                         [](const ::testing::TestParamInfo<std::size_t> &info) {
                             std::string n = cases()[info.param].name;
                             for (char &ch : n) {
                                 if (!std::isalnum(static_cast<unsigned char>(ch))) {
                                     ch = '_';
                                 }
                             }
                             return n;
                         });

TEST(PaginationTest, RectanglesOfHeaderBodyFooterAndTable) {
    Sheet sheet;
    baseSheet(sheet, 4, 100);
    sheet.setRowHeight(0, 20);
    sheet.setColWidth(0, 4);  // 21 pt
    editPrint(sheet, [](PrintSettings &p) {
        p.colHeaders = true;
        p.rowHeaders = true;
        p.header = QStringLiteral("/fz\"16\"/c标题/n");  // 20 pt
        p.footer = QStringLiteral("/fz\"8\"/r/p/n");     // 10 pt
    });
    const Pagination pg(sheet, kPaper);
    EXPECT_EQ(pg.paperSizePoints(), QSizeF(200, 300));
    EXPECT_EQ(pg.printableRect(), QRectF(20, 20, 160, 260));
    // Body 218 pt high, 198 pt under the column header: 15 rows. 139 pt beside the row
    // header: 2 columns.
    ASSERT_EQ(pg.pageCount(), 14);

    const PageLayout first = pg.layout(1);
    ASSERT_EQ(first.headerLines.size(), 1u);
    ASSERT_EQ(first.footerLines.size(), 1u);
    EXPECT_EQ(first.headerLines[0], QRectF(20, 20, 160, 20));
    EXPECT_EQ(first.footerLines[0], QRectF(20, 270, 160, 10));
    EXPECT_EQ(first.body, QRectF(20, 46, 160, 218));
    EXPECT_EQ(first.colHeader, QRectF(41, 46, 105, 20));
    EXPECT_EQ(first.rowHeader, QRectF(20, 66, 21, 15 * 12.75));
    EXPECT_EQ(first.cells, QRectF(41, 66, 105, 15 * 12.75));
    EXPECT_EQ(first.table, QRectF(20, 46, 126, 20 + 15 * 12.75));
    EXPECT_EQ(first.lastRow, 15);
    EXPECT_EQ(first.lastCol, 2);

    // The last page of the first column band holds the remaining 10 rows.
    const PageLayout seventh = pg.layout(7);
    EXPECT_EQ(seventh.firstRow, 91);
    EXPECT_EQ(seventh.lastRow, 100);
    EXPECT_EQ(seventh.cells.height(), 10 * 12.75);

    const std::vector<PageColumn> cols = pg.columns(8);  // second column band
    ASSERT_EQ(cols.size(), 2u);
    EXPECT_EQ(cols[0].col, 3);
    EXPECT_EQ(cols[1].col, 4);
    EXPECT_DOUBLE_EQ(cols[0].x, 41);
    EXPECT_DOUBLE_EQ(cols[1].x, 41 + 52.5);
    EXPECT_DOUBLE_EQ(cols[1].width, 52.5);
    EXPECT_EQ(pg.layout(8).firstRow, 1);
}

// Fit to pages wide: the largest scale up to 1 at which the columns take at most N bands,
// never below kMinFitScale; rows flow down at that scale.
TEST(PaginationTest, FitToPagesWideScalesTheTable) {
    const struct {
        const char *name;
        int cols, rows, fit;
        double scale;
        int colBands, rowBands, firstPageLastCol, firstPageLastRow;
    } cases[] = {
        {"one page wide", 6, 40, 1, 160 / 315.0, 1, 1, 6, 40},
        {"two pages wide, the first band as wide as needed", 9, 40, 2, 160 / 262.5, 2, 2, 5, 33},
        {"already narrow enough", 6, 40, 5, 1, 2, 2, 3, 20},
        {"never below the smallest scale", 100, 10, 1, kMinFitScale, 4, 1, 30, 10},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        Sheet sheet;
        baseSheet(sheet, c.cols, c.rows);
        editPrint(sheet, [&](PrintSettings &p) { p.fitPagesWide = c.fit; });
        const Pagination pg(sheet, kPaper);
        EXPECT_NEAR(pg.scale(), c.scale, 1e-6);
        EXPECT_EQ(pg.colBandCount(), c.colBands);
        EXPECT_EQ(pg.rowBandCount(), c.rowBands);
        EXPECT_EQ(pg.layout(1).lastCol, c.firstPageLastCol);
        EXPECT_EQ(pg.layout(1).lastRow, c.firstPageLastRow);
        // On the paper the table starts at the body's corner and stays inside it.
        const QRectF onPaper = pg.tableTransform().mapRect(pg.layout(1).table);
        EXPECT_EQ(onPaper.topLeft(), pg.layout(1).body.topLeft());
        EXPECT_TRUE(pg.layout(1).body.adjusted(0, 0, 1e-9, 1e-9).contains(onPaper));
    }
}

TEST(PaginationTest, HeadersOffLeaveNoHeaderRectangles) {
    Sheet sheet;
    baseSheet(sheet, 2, 10);
    const PageLayout l = Pagination(sheet, kPaper).layout(1);
    EXPECT_TRUE(l.colHeader.isNull());
    EXPECT_TRUE(l.rowHeader.isNull());
    EXPECT_TRUE(l.headerLines.empty());
    EXPECT_EQ(l.body, QRectF(20, 20, 160, 260));
    EXPECT_EQ(l.cells.topLeft(), QPointF(20, 20));
}

TEST(PaginationTest, DefaultPaperIsA4AndWideColumnsAreClipped) {
    Sheet sheet;
    baseSheet(sheet, 1, 10);
    sheet.setColWidth(1, 200);  // 1050 pt
    const Pagination pg(sheet);
    EXPECT_EQ(pg.paperSizePoints(), QSizeF(595, 842));  // A4 in whole points, as Qt prints it
    const std::vector<PageColumn> cols = pg.columns(1);
    ASSERT_EQ(cols.size(), 1u);
    EXPECT_NEAR(cols[0].width, 595 - 40, 1e-9);
    EXPECT_NEAR(pg.layout(1).cells.width(), 595 - 40, 1e-9);
}

// The run arithmetic must give the same bands as placing rows one by one.
TEST(PaginationTest, BandsMatchRowByRowPlacement) {
    std::mt19937 rng(7);
    for (int round = 0; round < 30; ++round) {
        Sheet sheet;
        const int rows = 50 + int(rng() % 400);
        baseSheet(sheet, 2, rows);
        const int overrides = int(rng() % 40);
        for (int i = 0; i < overrides; ++i) {
            const int row = 1 + int(rng() % (rows + 5));  // some past the last row
            const double heights[] = {0, 3.5, 12.75, 20, 40, 100, 259.9, 260, 300};
            sheet.setRowHeight(row, heights[rng() % 9]);
        }
        const Pagination pg(sheet, kPaper);

        std::vector<int> starts;
        double used = 0;
        for (int r = 1; r <= rows; ++r) {
            const double h = sheet.rowHeight(r);
            if (starts.empty() || used + h > 260 + 1e-6) {
                starts.push_back(r);
                used = 0;
            }
            used += h;
        }
        ASSERT_EQ(pg.pageCount(), int(starts.size())) << "round " << round;
        for (std::size_t i = 0; i < starts.size(); ++i) {
            EXPECT_EQ(pg.layout(int(i) + 1).firstRow, starts[i]) << "round " << round;
        }
    }
}

TEST(PaginationTest, MillionRowsAreCountedByRuns) {
    Sheet sheet;
    baseSheet(sheet, 8, 1000000);
    sheet.setRowHeight(500000, 260);  // a full page of its own in the middle
    const Pagination pg(sheet, kPaper);
    // 499,999 rows before: 25,000 pages (the last with 19 rows); the tall row; then 500,000.
    EXPECT_EQ(pg.rowBandCount(), 25000 + 1 + 25000);
    EXPECT_EQ(pg.colBandCount(), 3);
    EXPECT_EQ(pg.pageCount(), 3 * 50001);
    EXPECT_EQ(pg.layout(25001).firstRow, 500000);
    EXPECT_EQ(pg.layout(25001).lastRow, 500000);
}

}  // namespace

// Grouped sheets on the 20-row page. `rows` lists the rows in order: "d" a data row (column 2
// holds its row number), "H"/"h" a header row of level 1/2, "S"/"s" a subtotal row of level
// 1/2 (column 2 holds 1000, which page sums must leave out); a count before a letter repeats
// it ("19d").
TEST(PaginationTest, GroupedPagesAndPageTotals) {
    struct Page {
        int page, first, last;
        std::vector<int> headers;  // repeated header rows
        bool carried;
        std::vector<double> sums;  // page, running, carried sums of column 2 (when given)
    };
    const PageTotals withRunning{
        {2}, QStringLiteral("本页小计"), QStringLiteral("累计"), QStringLiteral("承前页")};
    const GroupLevel kept{1, {}, {}, false, false, true};
    const struct {
        const char *name;
        const char *rows;
        std::vector<GroupLevel> levels;
        std::optional<PageTotals> totals;
        int pages;
        std::vector<Page> expect;
    } cases[] = {
        // One row of room for the page total: 19 rows a page.
        {"page totals alone",
         "50d",
         {},
         PageTotals{{2}, QStringLiteral("本页小计"), {}, {}},
         3,
         {{1, 1, 19, {}, false, {190}},
          {2, 20, 38, {}, false, {551}},
          {3, 39, 50, {}, false, {534}}}},
        // 18 rows on the first page, 17 below the carried row on the others.
        {"running and carried rows",
         "60d",
         {},
         withRunning,
         4,
         {{1, 1, 18, {}, false, {171, 171, 0}},
          {2, 19, 35, {}, true, {459, 630, 171}},
          {4, 53, 60, {}, true, {452, 1830, 1378}}}},
        {"subtotal rows are not summed",
         "3d S 3d S",
         {{1, {}}},
         withRunning,
         1,
         {{1, 1, 8, {}, false, {24, 24, 0}}}},
        {"a group ending at the page's end stays",
         "19d S 10d S",
         {kept},
         {},
         2,
         {{1, 1, 20, {}, false, {}}, {2, 21, 31, {}, false, {}}}},
        {"a group that fits is kept together",
         "15d S 10d S",
         {kept},
         {},
         2,
         {{1, 1, 16, {}, false, {}}, {2, 17, 27, {}, false, {}}}},
        {"a longer group is split as usual",
         "5d S 30d S",
         {kept},
         {},
         2,
         {{1, 1, 20, {}, false, {}}, {2, 21, 37, {}, false, {}}}},
        {"each group on a new page",
         "3d S 4d S 2d S",
         {{1, {}, {}, false, true, false}},
         {},
         3,
         {{1, 1, 4, {}, false, {}}, {2, 5, 9, {}, false, {}}, {3, 10, 12, {}, false, {}}}},
        {"a continued group repeats its header, which takes room",
         "H 45d S",
         {{1, {}, {}, true}},
         {},
         3,
         {{1, 1, 20, {}, false, {}}, {2, 21, 39, {1}, false, {}}, {3, 40, 47, {1}, false, {}}}},
        {"headers of both levels, outer first",
         "H h 25d s S",
         {{1, {}, {}, true}, {1, {}, {}, true}},
         {},
         2,
         {{1, 1, 20, {}, false, {}}, {2, 21, 29, {1, 2}, false, {}}}},
        // Page 2: carried row, header, 16 rows, page total, running total.
        {"header, carried row and totals together",
         "H 40d S",
         {{1, {}, {}, true}},
         withRunning,
         3,
         {{1, 1, 18, {}, false, {170, 170, 0}}, {2, 19, 34, {1}, true, {424, 594, 170}}}},
        // The second outer group (rows 15-26) is cut on page 1 and fits on a page: it moves
        // whole, its header row with it, not only its inner group (rows 16-25).
        {"an outer group kept together before an inner one",
         "H h 10d s S H h 8d s S",
         {{1, {}, {}, true, false, true}, {1, {}, {}, true, false, true}},
         {},
         2,
         {{1, 1, 14, {}, false, {}}, {2, 15, 26, {}, false, {}}}},
    };
    for (const auto &c : cases) {
        Sheet sheet;
        int row = 0;
        for (const QString &token : QString::fromUtf8(c.rows).split(u' ')) {
            const int count = token.size() > 1 ? token.chopped(1).toInt() : 1;
            const QChar kind = token.back();
            for (int i = 0; i < count; ++i) {
                sheet.setMaxRows(++row);
                if (kind == u'd') {
                    sheet.setText(2, row, QString::number(row));
                    continue;
                }
                const bool header = kind.toLower() == u'h';
                sheet.setRowMark(row, {header ? RowKind::GroupHeader : RowKind::Subtotal,
                                       kind.isUpper() ? 1 : 2});
                sheet.setText(header ? 1 : 2, row,
                              header ? QStringLiteral("组") : QStringLiteral("1000"));
            }
        }
        baseSheet(sheet, 2, row);
        Grouping g;
        g.levels = c.levels;
        g.pageTotals = c.totals;
        sheet.setGrouping(g);
        const Pagination pg(sheet, kPaper);
        ASSERT_EQ(pg.pageCount(), c.pages) << c.name;
        for (const Page &e : c.expect) {
            const PageLayout l = pg.layout(e.page);
            const std::string at = std::string(c.name) + ", page " + std::to_string(e.page);
            EXPECT_EQ(std::pair(l.firstRow, l.lastRow), std::pair(e.first, e.last)) << at;
            EXPECT_EQ(l.repeatedHeaders, e.headers) << at;
            EXPECT_EQ(l.carried, e.carried) << at;
            const ExtraRow kinds[] = {ExtraRow::PageTotal, ExtraRow::RunningTotal,
                                      ExtraRow::Carried};
            for (std::size_t k = 0; k < e.sums.size(); ++k) {
                EXPECT_EQ(pg.pageTotal(l.rowBand, kinds[k], 2), e.sums[k]) << at << " sum " << k;
            }
            // Everything the page prints fits on it.
            EXPECT_LE(l.cells.bottom(), l.body.bottom() + 1e-6) << at;
        }
    }
}

// Charts after the rows: below the last row when they fit, else on pages of their own, shrunk
// to the body's width; the 160 x 260 pt body of kPaper starts at (20, 20).
TEST(PaginationTest, ChartsFollowTheRows) {
    const auto chart = [](ChartPlace place, double w, double h,
                          ChartSource source = ChartSource::Rows) {
        ChartSpec c;
        c.category = 1;
        c.values = {2};
        c.place = place;
        c.widthCm = w;
        c.heightCm = h;
        c.source = source;
        return c;
    };
    constexpr double cm = 72 / 2.54;
    const ChartSpec small = chart(ChartPlace::End, 5, 3);
    struct Placed {
        int page;
        int chart;
        QRectF rect;
    };
    const struct {
        const char *name;
        int rows;
        ChartSpecs charts;
        int pages;
        std::vector<Placed> placed;
    } cases[] = {
        {"fits below the last row", 4, {small}, 1, {{1, 0, {20, 83, 5 * cm, 3 * cm}}}},
        {"too tall for the room left", 18, {small}, 2, {{2, 0, {20, 20, 5 * cm, 3 * cm}}}},
        {"a page of its own",
         4,
         {chart(ChartPlace::Page, 5, 3)},
         2,
         {{2, 0, {20, 20, 5 * cm, 3 * cm}}}},
        {"two below the rows",
         4,
         {small, small},
         1,
         {{1, 0, {20, 83, 5 * cm, 3 * cm}}, {1, 1, {20, 95 + 3 * cm, 5 * cm, 3 * cm}}}},
        {"after a chart page, a new page",
         4,
         {chart(ChartPlace::Page, 5, 3), small},
         3,
         {{2, 0, {20, 20, 5 * cm, 3 * cm}}, {3, 1, {20, 20, 5 * cm, 3 * cm}}}},
        {"shrunk to the body's width",
         4,
         {chart(ChartPlace::End, 16, 9)},
         1,
         {{1, 0, {20, 83, 160, 160 * 9 / 16.0}}}},
        {"groups without a grouping left out",
         4,
         {chart(ChartPlace::End, 5, 3, ChartSource::Groups)},
         1,
         {}},
    };
    for (const auto &c : cases) {
        Sheet sheet;
        baseSheet(sheet, 3, c.rows);
        sheet.setCharts(c.charts);
        const Pagination p(sheet, kPaper);
        ASSERT_EQ(p.pageCount(), c.pages) << c.name;
        std::vector<Placed> got;
        for (int page = 1; page <= p.pageCount(); ++page) {
            const PageLayout l = p.layout(page);
            EXPECT_EQ(l.tablePage, page <= p.tablePageCount()) << c.name << " page " << page;
            EXPECT_EQ(p.columns(page).empty(), !l.tablePage) << c.name << " page " << page;
            for (const PlacedChart &placed : l.charts)
                got.push_back({page, placed.chart, placed.rect});
        }
        ASSERT_EQ(got.size(), c.placed.size()) << c.name;
        for (std::size_t i = 0; i < got.size(); ++i) {
            const Placed &e = c.placed[i];
            EXPECT_EQ(got[i].page, e.page) << c.name << " chart " << i;
            EXPECT_EQ(got[i].chart, e.chart) << c.name << " chart " << i;
            for (auto [a, b] :
                 {std::pair(got[i].rect.x(), e.rect.x()), std::pair(got[i].rect.y(), e.rect.y()),
                  std::pair(got[i].rect.width(), e.rect.width()),
                  std::pair(got[i].rect.height(), e.rect.height())})
                EXPECT_NEAR(a, b, 1e-6) << c.name << " chart " << i;
        }
    }
}
