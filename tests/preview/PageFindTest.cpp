// Find across the printed pages of a report of several hundred pages: where the first match
// at or after a page is, and how many matches the report holds, for cells on the first, a
// middle and the last page, other case and full-width input, header, footer and label
// texts, and texts that do not print (a hidden column, a hidden row, outside the print
// block).
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "grid/Sheet.h"
#include "preview/PageFind.h"
#include "print/PageCells.h"
#include "print/Pagination.h"

using namespace tessel;
using grid::Sheet;
using preview::FindMatch;
using preview::PageFinder;
using print::Pagination;
using Part = FindMatch::Part;

namespace {

constexpr int kRows = 20'000;  // about 360 pages

// 编号, 名称, 备注 (hidden), 部门 (merged, one value throughout); markers in 名称 on rows of
// the first, a middle and the last page, and one on a hidden row.
class PageFind : public ::testing::Test {
protected:
    void SetUp() override {
        const char *labels[] = {"编号", "名称", "备注", "部门"};
        for (int c = 1; c <= 4; ++c) {
            sheet.setTextUtf8(c, 0, labels[c - 1]);
            sheet.setColWidth(c, 12);
        }
        sheet.setColWidth(3, 0);
        sheet.setColMerge(4, grid::MergeMode::Always);
        for (int r = 1; r <= kRows; ++r) {
            sheet.setText(1, r, QString::number(r));
            sheet.setText(2, r, QStringLiteral("办公用品"));
            sheet.setTextUtf8(3, r, "机密");
            sheet.setTextUtf8(4, r, "华东");
        }
        sheet.setMaxCols(4);
        sheet.setMaxRows(kRows);
        sheet.setText(2, 3, QStringLiteral("Marker Alpha"));
        sheet.setText(2, kRows / 2, QStringLiteral("Marker Beta"));
        sheet.setText(2, kRows, QStringLiteral("Marker Gamma"));
        sheet.setText(2, 40, QStringLiteral("Marker Hidden"));
        sheet.setRowHeight(40, 0);
        grid::PrintSettings p = sheet.print();
        p.header = QStringLiteral("/c示例公司 销售日报/n");
        p.footer = QStringLiteral("/r第/p页/n");
        sheet.setPrint(p);
    }

    // The first match at or after `start`, wrapping; page 0 when there is none.
    static FindMatch firstFrom(const PageFinder &f, int start) {
        for (int i = 0; i < f.pageCount(); ++i) {
            const int page = (start - 1 + i) % f.pageCount() + 1;
            if (const auto on = f.matchesOnPage(page); !on.empty())
                return on.front();
        }
        return {};
    }
    static int total(const PageFinder &f) {
        int n = 0;
        for (int page = 1; page <= f.pageCount(); ++page)
            n += f.countOnPage(page);
        return n;
    }

    Sheet sheet;
};

TEST_F(PageFind, FirstMatchAndCount) {
    const Pagination pages(sheet);
    const int last = pages.pageCount();
    ASSERT_GT(last, 300);
    const auto pageOf = [&](int row) {
        int page = 1;
        while (pages.layout(page).lastRow < row)
            ++page;
        return page;
    };
    const int middle = pageOf(kRows / 2);
    const struct {
        const char *name;
        const char *text;
        int start;
        FindMatch first;
        int total;
    } cases[] = {
        {"first page, other case", "marker alpha", 1, {1, Part::Cell, 2, 3}, 1},
        {"middle page, full width",
         "ＭＡＲＫＥＲ　ｂｅｔａ",
         1,
         {middle, Part::Cell, 2, kRows / 2},
         1},
        {"last page", "Marker Gamma", middle, {last, Part::Cell, 2, kRows}, 1},
        {"wraps past the last page", "Marker Alpha", last, {1, Part::Cell, 2, 3}, 1},
        {"header on every page", "示例公司", 7, {7, Part::Header, 1, 0}, last},
        {"page number as printed", "第123页", 1, {123, Part::Footer, 2, 0}, 1},
        {"label on every page", "名称", 1, {1, Part::Label, 2, 0}, last},
        {"merged column once a page",
         "华东",
         2,
         {2, Part::Cell, 4, pages.layout(2).firstRow},
         last},
        {"hidden column", "机密", 1, {}, 0},
        {"hidden row", "Marker Hidden", 1, {}, 0},
        {"full-width digits", "１２３４５", 1, {pageOf(12345), Part::Cell, 1, 12345}, 1},
    };
    for (const auto &c : cases) {
        const PageFinder f(sheet, pages, QString::fromUtf8(c.text));
        const FindMatch m = firstFrom(f, c.start);
        EXPECT_EQ(m.page, c.first.page) << c.name;
        EXPECT_EQ(m.part, c.first.part) << c.name;
        EXPECT_EQ(m.col, c.first.col) << c.name;
        EXPECT_EQ(m.row, c.first.row) << c.name;
        EXPECT_EQ(total(f), c.total) << c.name;
    }
}

TEST_F(PageFind, RowsOutsideThePrintBlockAreNotSearched) {
    grid::PrintSettings p = sheet.print();
    p.type = grid::PrintType::CellRange;
    p.block = {1, 1, 4, 100};
    sheet.setPrint(p);
    const Pagination pages(sheet);
    EXPECT_EQ(total(PageFinder(sheet, pages, "Marker Alpha")), 1);
    EXPECT_EQ(total(PageFinder(sheet, pages, "Marker Gamma")), 0);
}

TEST_F(PageFind, MatchRectIsTheCellOnThePage) {
    const Pagination pages(sheet);
    const PageFinder f(sheet, pages, "Marker Alpha");
    const print::PageLayout page = pages.layout(1);
    const print::PageColumn name = pages.columns(1)[1];
    const double rowHeight = sheet.rowHeight(1);
    EXPECT_EQ(f.matchRect({1, Part::Cell, 2, 3}),
              QRectF(name.x, page.cells.top() + 2 * rowHeight, name.width, rowHeight));

    // Fitted to one page wide, the table is drawn scaled: so is the outline.
    sheet.setColWidth(2, 400);
    grid::PrintSettings fit = sheet.print();
    fit.fitPagesWide = 1;
    sheet.setPrint(fit);
    const Pagination scaled(sheet);
    ASSERT_LT(scaled.scale(), 1.0);
    const PageFinder g(sheet, scaled, "Marker Alpha");
    const print::PageLayout p1 = scaled.layout(1);
    const print::PageColumn wide = scaled.columns(1)[1];
    EXPECT_EQ(g.matchRect({1, Part::Cell, 2, 3}),
              scaled.tableTransform().mapRect(
                  QRectF(wide.x, p1.cells.top() + 2 * rowHeight, wide.width, rowHeight)));
}

}  // namespace

// Find reports only cells the page prints: a row taller than a page, hidden rows and a merged
// column, every match of every page inside one of the blocks the painter draws on it.
TEST(PageFindAndPrint, MatchesAreCellsThePagePrints) {
    Sheet sheet;
    sheet.setMaxCols(3);
    sheet.setMaxRows(300);
    sheet.setColMerge(3, grid::MergeMode::Always);
    for (int r = 1; r <= 300; ++r) {
        sheet.setText(1, r, QStringLiteral("找%1").arg(r));
        sheet.setText(2, r, QStringLiteral("找"));
        sheet.setText(3, r, QStringLiteral("找到"));
    }
    sheet.setRowHeight(7, 2000);  // taller than a page: printed cut on a page of its own
    sheet.setRowHeight(120, 0);
    sheet.setRowHeight(121, 0);
    const Pagination pg(sheet);
    const PageFinder finder(sheet, pg, QStringLiteral("找"));
    int matches = 0;
    for (int page = 1; page <= pg.pageCount(); ++page) {
        const std::vector<grid::CellSpan> printed = print::printedBlocks(sheet, pg, page);
        for (const FindMatch &m : finder.matchesOnPage(page)) {
            if (m.part != Part::Cell)
                continue;
            ++matches;
            EXPECT_TRUE(std::any_of(printed.begin(), printed.end(),
                                    [&](const grid::CellSpan &s) {
                                        return s.col <= m.col && m.col <= s.col2 &&
                                               s.row <= m.row && m.row <= s.row2;
                                    }))
                << "page " << page << " cell " << m.col << "," << m.row;
        }
    }
    EXPECT_GT(matches, 500);
}

// A grouped report with page totals: what find meets on its pages is what they print, the
// repeated header row and the carried and page-total rows included, sums as their column's
// format shows them.
TEST(PageFindGrouped, RepeatedHeadersAndPageTotalsAreFoundAsPrinted) {
    Sheet sheet;
    sheet.setMaxCols(2);
    sheet.setMaxRows(42);
    sheet.setText(1, 1, QStringLiteral("华东区"));
    sheet.setRowMark(1, {grid::RowKind::GroupHeader, 1});
    for (int r = 2; r <= 41; ++r)
        sheet.setTextUtf8(2, r, "1000");
    sheet.setRowMark(42, {grid::RowKind::Subtotal, 1});
    sheet.setTextUtf8(2, 42, "40000");
    sheet.setColFormat(2, {grid::FormatKind::Number, 2});
    grid::Grouping g;
    g.levels = {{1, {}, {}, true}};
    g.pageTotals = grid::PageTotals{
        {2}, QStringLiteral("本页小计"), QStringLiteral("累计"), QStringLiteral("承前页")};
    sheet.setGrouping(g);
    grid::PrintSettings p = sheet.print();
    p.rowHeaders = false;
    sheet.setPrint(p);
    const Pagination pages(sheet);
    ASSERT_EQ(pages.pageCount(), 1);  // 42 rows and 2 total rows fit one A4 page
    p.marginBottom = 11000;           // a short page: the report takes several
    sheet.setPrint(p);
    const Pagination shortPages(sheet);
    ASSERT_GT(shortPages.pageCount(), 2);
    const int perPage1 = shortPages.layout(1).lastRow - 1;  // data rows below the header
    const auto kinds = [](const std::vector<FindMatch> &ms) {
        std::vector<std::pair<Part, int>> out;
        for (const FindMatch &m : ms)
            out.emplace_back(m.part, m.row);
        return out;
    };
    const int pageTotal = int(print::PageRowKind::PageTotal);
    const int running = int(print::PageRowKind::RunningTotal);
    const int carried = int(print::PageRowKind::Carried);
    const QString firstSum = QStringLiteral("%1,000.00").arg(perPage1);
    const struct {
        const char *name;
        QString text;
        int page;
        std::vector<std::pair<Part, int>> expected;  // part and row of each match
    } cases[] = {
        {"page-total label", QStringLiteral("本页小计"), 2, {{Part::ExtraRow, pageTotal}}},
        {"no carried row on the first page", QStringLiteral("承前页"), 1, {}},
        {"carried label", QStringLiteral("承前页"), 2, {{Part::ExtraRow, carried}}},
        {"first page's sum, formatted, twice",
         firstSum,
         1,
         {{Part::ExtraRow, pageTotal}, {Part::ExtraRow, running}}},
        {"carried sum on the next page", firstSum, 2, {{Part::ExtraRow, carried}}},
        {"header row repeated, then the subtotal", QStringLiteral("华东区"), 2, {{Part::Cell, 1}}},
        {"subtotal row", QStringLiteral("40000"), shortPages.pageCount(), {{Part::Cell, 42}}},
        {"running total as printed",
         QStringLiteral("40,000.00"),
         shortPages.pageCount(),
         {{Part::ExtraRow, running}}},
    };
    for (const auto &c : cases) {
        const PageFinder f(sheet, shortPages, c.text);
        const std::vector<FindMatch> found = f.matchesOnPage(c.page);
        EXPECT_EQ(kinds(found), c.expected) << c.name;
        for (const FindMatch &m : found) {
            const QRectF rect = f.matchRect(m);
            EXPECT_FALSE(rect.isEmpty()) << c.name;
            EXPECT_TRUE(shortPages.layout(c.page).body.contains(rect)) << c.name;
        }
    }
}

// A chart's title, category labels and (with two series) series names are text on its page:
// found there, each once, besides the cells that hold the same text.
TEST(PageFindCharts, AChartsTextsAreFoundOnItsPage) {
    Sheet sheet;
    sheet.setMaxCols(3);
    sheet.setMaxRows(3);
    const char *labels[] = {"部门", "收入", "成本"};
    for (int c = 1; c <= 3; ++c)
        sheet.setTextUtf8(c, 0, labels[c - 1]);
    const char *names[] = {"甲部", "乙部", "丙部"};
    for (int r = 1; r <= 3; ++r) {
        sheet.setTextUtf8(1, r, names[r - 1]);
        sheet.setText(2, r, QString::number(r * 100));
        sheet.setText(3, r, QString::number(r * 10));
    }
    grid::ChartSpec chart;
    chart.title = QStringLiteral("各部门收支");
    chart.category = 1;
    chart.values = {2, 3};
    sheet.setCharts({chart});
    const Pagination pages(sheet);
    ASSERT_EQ(pages.pageCount(), 1);  // three rows and the chart below them
    const struct {
        const char *text;
        std::vector<Part> expected;
    } cases[] = {
        {"各部门收支", {Part::Chart}},
        {"乙部", {Part::Cell, Part::Chart}},
        {"成本", {Part::Label, Part::Chart}},  // the legend names the series
    };
    for (const auto &c : cases) {
        std::vector<Part> parts;
        for (const FindMatch &m :
             PageFinder(sheet, pages, QString::fromUtf8(c.text)).matchesOnPage(1))
            parts.push_back(m.part);
        EXPECT_EQ(parts, c.expected) << c.text;
    }
}

// Find and the painter agree on merged blocks: every block the painter draws whose text holds
// the searched text is found once, at its first printed cell, and nothing else is. A merged
// column's value in a group header row above its run (a marked row joins no run), a run cut by
// page breaks, a row merge whose first cell is in a hidden column, a run through hidden rows.
TEST(PageFindAndPrint, FindsEachPrintedBlockOnce) {
    const struct {
        const char *name;
        std::function<void(Sheet &)> build;  // on a sheet of 3 columns and 300 rows of "其他"
    } cases[] = {
        {"group header above a merged run",
         [](Sheet &s) {
             s.setColMerge(1, grid::MergeMode::Always);
             s.setRowMark(1, {grid::RowKind::GroupHeader, 1});
             for (int r = 1; r <= 5; ++r)
                 s.setTextUtf8(1, r, "华东");
         }},
        {"run across page breaks",
         [](Sheet &s) {
             s.setColMerge(2, grid::MergeMode::Always);
             for (int r = 1; r <= 300; ++r)
                 s.setTextUtf8(2, r, "华东");
         }},
        {"row merge from a hidden column",
         [](Sheet &s) {
             s.setColWidth(1, 0);
             s.setRowMerge(2, grid::MergeMode::Always);
             for (int c = 1; c <= 3; ++c)
                 s.setTextUtf8(c, 2, "华东");
         }},
        {"run through hidden rows",
         [](Sheet &s) {
             s.setColMerge(3, grid::MergeMode::Always);
             for (int r = 10; r <= 20; ++r)
                 s.setTextUtf8(3, r, "华东");
             s.setRowHeight(10, 0);
             s.setRowHeight(15, 0);
         }},
    };
    for (const auto &c : cases) {
        Sheet sheet;
        sheet.setMaxCols(3);
        sheet.setMaxRows(300);
        for (int r = 1; r <= 300; ++r) {
            for (int col = 1; col <= 3; ++col)
                sheet.setTextUtf8(col, r, "其他");
        }
        c.build(sheet);
        const Pagination pages(sheet);
        const PageFinder finder(sheet, pages, QStringLiteral("华东"));
        for (int page = 1; page <= pages.pageCount(); ++page) {
            std::vector<std::pair<int, int>> printed, found;
            for (const grid::CellSpan &b : print::printedBlocks(sheet, pages, page)) {
                if (b.row >= 1 && sheet.text(b.col, b.row) == QStringLiteral("华东"))
                    printed.emplace_back(b.col, b.row);
            }
            for (const FindMatch &m : finder.matchesOnPage(page))
                found.emplace_back(m.col, m.row);
            std::sort(printed.begin(), printed.end());
            std::sort(found.begin(), found.end());
            EXPECT_EQ(found, printed) << c.name << ", page " << page;
        }
    }
}
