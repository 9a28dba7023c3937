#include <gtest/gtest.h>
#include <tessel/Error.h>

#include <QDate>
#include <QDateTime>
#include <cmath>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "base/ValueText.h"
#include "grid/Sheet.h"

using namespace tessel::grid;
using tessel::Error;
using tessel::base::valueToText;

namespace {

// Counts the sheet's signals.
struct SignalCount {
    int changed = 0;
    int counts = 0;
    int print = 0;
    explicit SignalCount(Sheet &sheet) {
        QObject::connect(&sheet, &Sheet::changed, [this] { ++changed; });
        QObject::connect(&sheet, &Sheet::countsChanged, [this] { ++counts; });
        QObject::connect(&sheet, &Sheet::printSettingsChanged, [this] { ++print; });
    }
};

TEST(SheetTest, WritesBeyondCountsAreKeptButOutsideTheSheet) {
    Sheet sheet;
    sheet.setMaxCols(3);
    sheet.setMaxRows(5);
    sheet.setText(2, 3, QStringLiteral("in"));
    sheet.setText(10, 20, QStringLiteral("out"));
    EXPECT_EQ(sheet.text(10, 20), QStringLiteral("out"));
    EXPECT_EQ(sheet.lastDataRow(), 3);
    EXPECT_EQ(sheet.lastDataCol(), 2);

    sheet.setMaxCols(10);
    sheet.setMaxRows(20);
    EXPECT_EQ(sheet.lastDataRow(), 20);
    EXPECT_EQ(sheet.lastDataCol(), 10);

    // Lowering the counts keeps the cells; raising them shows them again.
    sheet.setMaxRows(2);
    EXPECT_EQ(sheet.lastDataRow(), 0);
    sheet.setMaxRows(20);
    EXPECT_EQ(sheet.text(2, 3), QStringLiteral("in"));
    EXPECT_EQ(sheet.lastDataRow(), 20);
}

TEST(SheetTest, InvalidArgumentsAreRefused) {
    Sheet sheet;
    const std::vector<std::pair<const char *, std::function<void()>>> cases = {
        {"negative col", [&] { sheet.setText(-1, 1, QStringLiteral("x")); }},
        {"negative row", [&] { sheet.setTextUtf8(1, -1, "x"); }},
        {"col too large", [&] { sheet.setTextUtf8(kMaxColNumber + 1, 1, "x"); }},
        {"row too large", [&] { sheet.setValue(1, kMaxRowNumber + 1, 1); }},
        {"negative max rows", [&] { sheet.setMaxRows(-1); }},
        {"current below -1", [&] { sheet.setCurrent(-2, 1); }},
        {"block below -1",
         [&] {
             sheet.setCurrentBlock(CellBlock{1, 1, 3, -7});
         }},
        {"clear block below -1",
         [&] {
             sheet.clearText(CellBlock{-3, 1, 1, 1});
         }},
        {"negative width", [&] { sheet.setColWidth(1, -1.0); }},
        {"width of col -1", [&] { sheet.setColWidth(-1, 5.0); }},
        {"NaN height", [&] { sheet.setRowHeight(1, std::nan("")); }},
        {"negative margin",
         [&] {
             PrintSettings p;
             p.marginTop = -1;
             sheet.setPrint(p);
         }},
        {"bad orientation",
         [&] {
             PrintSettings p;
             p.orientation = Orientation(3);
             sheet.setPrint(p);
         }},
    };
    for (const auto &[name, call] : cases) {
        try {
            call();
            ADD_FAILURE() << name << ": no error";
        } catch (const Error &e) {
            EXPECT_EQ(e.category(), Error::Category::Argument) << name;
        }
    }
    // Nothing of the refused calls stuck.
    EXPECT_EQ(sheet.maxRows(), 0);
    EXPECT_EQ(sheet.print(), PrintSettings{});
    EXPECT_EQ(sheet.currentBlock(), (CellBlock{1, 1, 1, 1}));
}

TEST(SheetTest, Utf8AndChineseRoundTrip) {
    Sheet sheet;
    const QString texts[] = {QStringLiteral("部门编号"), QStringLiteral("合计"),
                             QStringLiteral("Mixed 混合 text ü"), QString::fromUtf8("emoji 😀 𠀀"),
                             QStringLiteral(" ")};
    int row = 1;
    for (const QString &t : texts) {
        sheet.setText(1, row, t);
        EXPECT_EQ(sheet.text(1, row), t);
        const QByteArray utf8 = t.toUtf8();
        EXPECT_EQ(sheet.textUtf8(1, row), std::string_view(utf8.constData(), utf8.size()));
        sheet.setTextUtf8(2, row, std::string_view(utf8.constData(), utf8.size()));
        EXPECT_EQ(sheet.text(2, row), t);
        ++row;
    }
    // An empty text empties the cell.
    sheet.setText(1, 1, QString());
    EXPECT_FALSE(sheet.hasText(1, 1));
    EXPECT_TRUE(sheet.hasText(1, 2));
}

TEST(SheetTest, OverwritesAndCompactionKeepEveryText) {
    Sheet sheet;
    sheet.setRedraw(false);
    std::map<std::pair<int, int>, std::string> expected;
    // Texts that grow, shrink, vanish and come back, many times over a small grid, so that
    // the arena fills with garbage and is compacted several times.
    unsigned seed = 12345;
    auto next = [&seed] {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) & 0x7fff;
    };
    std::size_t maxArena = 0;
    for (int i = 0; i < 200'000; ++i) {
        const int col = int(next() % 6);
        const int row = int(next() % 300);
        const unsigned len = next() % 40;
        std::string text;
        for (unsigned k = 0; k < len; ++k)
            text += (k % 3 == 0) ? std::string("中") : std::string(1, char('a' + (i + k) % 26));
        if (next() % 10 == 0)
            text.clear();
        sheet.setTextUtf8(col, row, text);
        expected[{col, row}] = text;
        maxArena = std::max(maxArena, sheet.arenaBytes());
    }
    // Copy a cell's own text into itself and into another cell (both point into the arena).
    const std::string a(sheet.textUtf8(1, 1));
    sheet.setTextUtf8(1, 1, sheet.textUtf8(1, 1));
    sheet.setTextUtf8(2, 2, sheet.textUtf8(1, 1));
    expected[{2, 2}] = a;

    for (const auto &[cell, text] : expected)
        ASSERT_EQ(sheet.textUtf8(cell.first, cell.second), text)
            << cell.first << "," << cell.second;
    // 1,800 cells of at most 80 bytes: the arena stays bounded by compaction.
    EXPECT_LT(maxArena, std::size_t(400'000));
    EXPECT_LE(sheet.garbageBytes(), std::max<std::size_t>(sheet.arenaBytes() / 2, 64 * 1024));

    // Clearing everything lets the next compaction give the memory back.
    sheet.clearText(CellBlock{0, 0, 10, 400});
    sheet.setMaxCols(10);
    sheet.setMaxRows(400);
    EXPECT_EQ(sheet.lastDataRow(), 0);
    sheet.setTextUtf8(3, 3, std::string(70'000, 'x'));
    sheet.setTextUtf8(3, 3, "short");
    EXPECT_EQ(sheet.textUtf8(3, 3), "short");
    EXPECT_LT(sheet.arenaBytes(), std::size_t(1000));
}

// Texts of every length at rows on both sides of the storage's block boundaries: each case
// writes a text, reads it back once every case has written its own, and overwrites it with
// one of another length. Every cell reads back its last text after the rows are turned upside
// down, and reads empty once cleared, when its column has grown past it again.
TEST(SheetTest, TextsOfAnyLengthAtAnyRowReadBack) {
    constexpr int kRows = 250'000;
    struct Case {
        const char *name;
        int col, row;
        std::size_t first, second;  // lengths in bytes
    };
    const Case cases[] = {
        {"empty to short on the label row", 1, 0, 0, 3},
        {"long to 254 bytes in a column still short", 1, 2, 300, 254},
        {"254 to 255 bytes at a block's last row", 1, 8191, 254, 255},
        {"long to short at a block's first row", 2, 8192, 300, 4},
        {"short to long beside a long text", 2, 8193, 4, 70'000},
        {"long to empty", 3, 16383, 1000, 0},
        {"long to longer far down", 4, 100'000, 256, 512},
        {"long at the last row, moved to the first", 5, kRows, 0, 255},
    };
    Sheet sheet;
    sheet.setRedraw(false);
    sheet.setMaxCols(5);
    sheet.setMaxRows(kRows);
    const auto text = [](const Case &c, std::size_t length) {
        return std::string(length, char((length == c.first ? 'a' : 'A') + c.row % 26));
    };
    const auto moved = [](const Case &c) { return c.row == 0 ? 0 : kRows + 1 - c.row; };
    for (const Case &c : cases)
        sheet.setTextUtf8(c.col, c.row, text(c, c.first));
    for (const Case &c : cases) {
        EXPECT_EQ(sheet.textUtf8(c.col, c.row), text(c, c.first)) << c.name;
        sheet.setTextUtf8(c.col, c.row, text(c, c.second));
    }
    std::vector<int> upsideDown(kRows);
    for (int r = 0; r < kRows; ++r)
        upsideDown[std::size_t(r)] = kRows - r;
    sheet.arrangeRows(upsideDown);
    for (const Case &c : cases)
        EXPECT_EQ(sheet.textUtf8(c.col, moved(c)), text(c, c.second)) << c.name;

    sheet.clearText(CellBlock{1, 2, 5, kRows});
    for (int col = 1; col <= 5; ++col)
        sheet.setTextUtf8(col, kRows, "end");
    for (const Case &c : cases) {
        EXPECT_EQ(sheet.textUtf8(c.col, moved(c)), moved(c) <= 1 ? text(c, c.second) : "")
            << c.name;
    }
}

TEST(SheetTest, SetValueConvertsLikeValueToText) {
    const QVariant values[] = {
        QVariant(42),
        QVariant(-7),
        QVariant(qlonglong(-9'000'000'000LL)),
        QVariant(uint(4'000'000'000u)),
        QVariant(qulonglong(18'000'000'000'000'000'000ULL)),
        QVariant(12.5),
        QVariant(0.1),
        QVariant(-0.0),
        QVariant(1e20),
        QVariant(123456789.125),
        QVariant(2.5f),
        QVariant(true),
        QVariant(QDate(2024, 3, 5)),
        QVariant(QDateTime(QDate(2024, 3, 5), QTime(13, 4, 5))),
        QVariant(QDateTime(QDate(2024, 3, 5), QTime(0, 0))),
        QVariant(QStringLiteral("名称")),
        QVariant(QByteArray("bytes")),
        QVariant(QMetaType(QMetaType::Int)),  // NULL
        QVariant(),
    };
    Sheet sheet;
    int row = 1;
    for (const QVariant &v : values) {
        sheet.setText(1, row, QStringLiteral("old text"));
        sheet.setValue(1, row, v);
        EXPECT_EQ(sheet.text(1, row), valueToText(v)) << v.typeName() << " " << row;
        ++row;
    }
    EXPECT_EQ(sheet.text(1, 1), QStringLiteral("42"));
    EXPECT_EQ(sheet.text(1, 6), QStringLiteral("12.5"));
    EXPECT_FALSE(sheet.hasText(1, row - 1));  // NULL empties the cell
}

TEST(SheetTest, EqualStylesShareOneEntryAndEditsKeepOtherProperties) {
    Sheet sheet;
    sheet.setMaxCols(5);
    sheet.setMaxRows(5);
    CellFont bold;
    bold.bold = true;
    sheet.setCurrent(1, 1);
    sheet.setFont(bold);
    sheet.setCurrent(3, 4);
    sheet.setFont(bold);
    EXPECT_TRUE(sheet.style(1, 1).font.bold);
    EXPECT_EQ(&sheet.style(1, 1), &sheet.style(3, 4));  // one table entry
    EXPECT_EQ(&sheet.style(2, 2), &sheet.defaultStyle());

    sheet.setCurrent(1, 1);
    sheet.setForeground(QColor(0, 123, 28));
    EXPECT_TRUE(sheet.style(1, 1).font.bold);
    EXPECT_EQ(sheet.style(1, 1).foreground, QColor(0, 123, 28));
    EXPECT_FALSE(sheet.style(3, 4).foreground.isValid());

    // A block of mixed cells: each keeps its own rest.
    sheet.setCurrentBlock(CellBlock{3, 4, 1, 1});  // ends in either order
    sheet.setBorder(true, Qt::red);
    EXPECT_TRUE(sheet.style(2, 3).border);
    EXPECT_TRUE(sheet.style(1, 1).font.bold);
    EXPECT_EQ(sheet.style(1, 1).foreground, QColor(0, 123, 28));
    EXPECT_TRUE(sheet.style(3, 4).font.bold);
    EXPECT_EQ(sheet.style(3, 4).borderColor, QColor(Qt::red));
    EXPECT_FALSE(sheet.style(4, 4).border);
    EXPECT_EQ(&sheet.style(2, 2), &sheet.style(2, 3));

    // Undoing every change returns the cells to the default style.
    sheet.setBorder(false);
    sheet.setFont(CellFont{});
    sheet.setForeground(QColor());
    EXPECT_EQ(&sheet.style(1, 1), &sheet.defaultStyle());
    EXPECT_EQ(&sheet.style(3, 4), &sheet.defaultStyle());
}

TEST(SheetTest, WholeRowAndColumnStyles) {
    struct Case {
        const char *name;
        CellBlock block;
        std::vector<std::pair<int, int>> styled;
        std::vector<std::pair<int, int>> untouched;
    };
    const Case cases[] = {
        {"whole row", {-1, 3, -1, 3}, {{1, 3}, {4, 3}}, {{0, 3}, {5, 3}, {1, 2}, {1, 4}}},
        {"rows 2..3", {-1, 3, -1, 2}, {{1, 2}, {4, 3}}, {{1, 1}, {1, 4}, {0, 2}}},
        {"whole column", {2, -1, 2, -1}, {{2, 1}, {2, 6}, {2, 500}}, {{2, 0}, {1, 1}, {3, 1}}},
        {"column 0", {0, -1, 0, -1}, {{0, 1}, {0, 6}}, {{0, 0}, {1, 1}}},
        {"header row", {-1, 0, -1, 0}, {{1, 0}, {4, 0}}, {{0, 0}, {1, 1}}},
        {"whole sheet", {-1, -1, -1, -1}, {{1, 1}, {4, 6}, {4, 900}}, {{0, 1}, {1, 0}, {5, 1}}},
    };
    for (const Case &c : cases) {
        Sheet sheet;
        sheet.setMaxCols(4);
        sheet.setMaxRows(6);
        CellFont italic;
        italic.italic = true;
        for (const auto &[col, row] : c.styled) {
            sheet.setCurrent(col, row);
            sheet.setFont(italic);  // an own style beforehand, to be kept
        }
        sheet.setCurrentBlock(c.block);
        sheet.setBackground(Qt::green);
        for (const auto &[col, row] : c.styled) {
            EXPECT_EQ(sheet.style(col, row).background, QColor(Qt::green))
                << c.name << " (" << col << "," << row << ")";
            EXPECT_TRUE(sheet.style(col, row).font.italic) << c.name;
        }
        for (const auto &[col, row] : c.untouched)
            EXPECT_FALSE(sheet.style(col, row).background.isValid())
                << c.name << " (" << col << "," << row << ")";
    }
}

TEST(SheetTest, ColumnStyleYieldsToCellStylesSetLater) {
    Sheet sheet;
    sheet.setMaxCols(3);
    sheet.setMaxRows(1000);
    sheet.setCurrentBlock(CellBlock{2, -1, 2, -1});
    sheet.setForeground(Qt::blue);
    sheet.setCurrent(2, 7);
    sheet.setAlign(HAlign::Right);
    EXPECT_EQ(sheet.style(2, 7).foreground, QColor(Qt::blue));
    EXPECT_EQ(sheet.style(2, 7).align, HAlign::Right);
    EXPECT_EQ(sheet.style(2, 8).align, HAlign::General);
    // Rows added later carry the column's style.
    sheet.setMaxRows(1001);
    EXPECT_EQ(sheet.style(2, 1001).foreground, QColor(Qt::blue));
    // A whole-column style on a million rows stores no per-cell entry.
    sheet.setMaxRows(1'000'000);
    const std::size_t before = sheet.storageBytes();
    sheet.setCurrentBlock(CellBlock{1, -1, 3, -1});
    sheet.setBackground(Qt::gray);
    EXPECT_LT(sheet.storageBytes(), before + 4096);
    EXPECT_EQ(sheet.style(3, 999'999).background, QColor(Qt::gray));
    EXPECT_EQ(sheet.style(2, 7).align, HAlign::Right);
}

TEST(SheetTest, ClearTextEmptiesABlockAndKeepsStyles) {
    struct Case {
        const char *name;
        CellBlock block;
        std::vector<std::pair<int, int>> cleared;
        std::vector<std::pair<int, int>> kept;
    };
    const Case cases[] = {
        {"block", {2, 2, 3, 3}, {{2, 2}, {3, 3}, {2, 3}}, {{1, 1}, {4, 4}, {2, 4}}},
        {"reversed", {3, 3, 2, 2}, {{2, 2}, {3, 3}}, {{1, 2}, {4, 3}}},
        {"whole column", {2, -1, 2, -1}, {{2, 1}, {2, 4}}, {{2, 0}, {2, 5}, {1, 1}}},
        {"whole row", {-1, 4, -1, 4}, {{1, 4}, {4, 4}}, {{0, 4}, {5, 4}, {1, 3}}},
        {"header cell", {1, 0, 1, 0}, {{1, 0}}, {{1, 1}}},
    };
    for (const Case &c : cases) {
        Sheet sheet;
        for (int col = 0; col <= 5; ++col) {
            for (int row = 0; row <= 5; ++row)
                sheet.setTextUtf8(col, row, "t" + std::to_string(col) + std::to_string(row));
        }
        sheet.setMaxCols(4);
        sheet.setMaxRows(4);
        sheet.setCurrent(2, 2);
        sheet.setLocked(true);
        sheet.clearText(c.block);
        for (const auto &[col, row] : c.cleared)
            EXPECT_FALSE(sheet.hasText(col, row)) << c.name << " (" << col << "," << row << ")";
        for (const auto &[col, row] : c.kept)
            EXPECT_TRUE(sheet.hasText(col, row)) << c.name << " (" << col << "," << row << ")";
        EXPECT_TRUE(sheet.style(2, 2).locked) << c.name;
    }
}

TEST(SheetTest, LastDataRowAndColumn) {
    struct Case {
        const char *name;
        std::vector<std::pair<int, int>> cells;
        int maxCols, maxRows;
        int lastRow, lastCol;
    };
    const Case cases[] = {
        {"empty", {}, 5, 5, 0, 0},
        {"one cell", {{2, 3}}, 5, 5, 3, 2},
        {"headers do not count", {{0, 4}, {3, 0}}, 5, 5, 0, 0},
        {"different columns", {{1, 9}, {4, 2}}, 5, 10, 9, 4},
        {"beyond counts ignored", {{1, 2}, {6, 3}, {2, 11}}, 5, 10, 2, 1},
        {"empty text ignored", {{1, 2}}, 5, 10, 2, 1},
    };
    for (const Case &c : cases) {
        Sheet sheet;
        for (const auto &[col, row] : c.cells)
            sheet.setTextUtf8(col, row, "x");
        sheet.setTextUtf8(3, 8, "");
        sheet.setMaxCols(c.maxCols);
        sheet.setMaxRows(c.maxRows);
        EXPECT_EQ(sheet.lastDataRow(), c.lastRow) << c.name;
        EXPECT_EQ(sheet.lastDataCol(), c.lastCol) << c.name;
    }

    // A tall sheet whose lower rows were cleared.
    Sheet sheet;
    sheet.setRedraw(false);
    for (int r = 1; r <= 100'000; ++r)
        sheet.setTextUtf8(1 + r % 3, r, "v");
    sheet.setMaxCols(3);
    sheet.setMaxRows(100'000);
    sheet.clearText(CellBlock{-1, 50'001, -1, 100'000});
    EXPECT_EQ(sheet.lastDataRow(), 50'000);
    EXPECT_EQ(sheet.lastDataCol(), 3);
}

TEST(SheetTest, WidthsHeightsAndMerges) {
    Sheet sheet;
    EXPECT_DOUBLE_EQ(sheet.colWidth(0), kDefaultRowHeaderWidth);
    EXPECT_DOUBLE_EQ(sheet.colWidth(7), kDefaultColWidth);
    EXPECT_DOUBLE_EQ(sheet.rowHeight(0), kDefaultRowHeight);
    sheet.setColWidth(2, 14.0);
    sheet.setColWidth(3, 0.0);
    sheet.setColWidth(0, 6.0);
    EXPECT_DOUBLE_EQ(sheet.colWidth(2), 14.0);
    EXPECT_DOUBLE_EQ(sheet.colWidth(3), 0.0);
    EXPECT_DOUBLE_EQ(sheet.colWidth(0), 6.0);
    EXPECT_DOUBLE_EQ(sheet.colWidth(1), kDefaultColWidth);

    sheet.setRowHeight(0, 30.0);
    sheet.setRowHeight(5, 0.0);
    sheet.setRowHeight(9, 20.0);
    sheet.setRowHeight(9, kDefaultRowHeight);
    EXPECT_DOUBLE_EQ(sheet.rowHeight(0), 30.0);
    EXPECT_DOUBLE_EQ(sheet.rowHeight(5), 0.0);
    EXPECT_DOUBLE_EQ(sheet.rowHeight(9), kDefaultRowHeight);
    EXPECT_EQ(sheet.rowHeightOverrides(), (std::map<int, double>{{0, 30.0}, {5, 0.0}}));

    EXPECT_EQ(sheet.colMerge(2), MergeMode::None);
    sheet.setColMerge(2, MergeMode::Always);
    sheet.setColMerge(4, MergeMode::Always);
    sheet.setColMerge(4, MergeMode::None);
    sheet.setRowMerge(3, MergeMode::Always);
    EXPECT_EQ(sheet.colMerge(2), MergeMode::Always);
    EXPECT_EQ(sheet.colMerge(4), MergeMode::None);
    EXPECT_EQ(sheet.rowMerge(3), MergeMode::Always);
    EXPECT_EQ(sheet.rowMerge(2), MergeMode::None);

    // clear() drops them with the cells; counts and print settings stay.
    PrintSettings p;
    p.marginTop = 1080;
    sheet.setPrint(p);
    sheet.setMaxRows(3);
    sheet.setText(1, 1, QStringLiteral("x"));
    sheet.setCurrent(1, 1);
    sheet.setLocked(true);
    sheet.clear();
    EXPECT_FALSE(sheet.hasText(1, 1));
    EXPECT_FALSE(sheet.style(1, 1).locked);
    EXPECT_DOUBLE_EQ(sheet.colWidth(2), kDefaultColWidth);
    EXPECT_EQ(sheet.colMerge(2), MergeMode::None);
    EXPECT_TRUE(sheet.rowHeightOverrides().empty());
    EXPECT_EQ(sheet.maxRows(), 3);
    EXPECT_EQ(sheet.print().marginTop, 1080);
}

TEST(SheetTest, ChangedIsCoalescedWhileRedrawIsSuspended) {
    Sheet sheet;
    SignalCount n(sheet);
    sheet.setText(1, 1, QStringLiteral("a"));
    sheet.setValue(1, 2, 5);
    EXPECT_EQ(n.changed, 2);  // one per call when redraw is on

    const std::uint64_t revision = sheet.revision();
    sheet.setRedraw(false);
    for (int r = 1; r <= 1000; ++r)
        sheet.setTextUtf8(2, r, "x");
    sheet.setCurrent(2, 1);
    sheet.setFont(CellFont{QStringLiteral("黑体")});
    sheet.setMaxRows(1000);  // counts are told at once, even now
    EXPECT_EQ(n.changed, 2);
    EXPECT_EQ(n.counts, 1);
    EXPECT_GT(sheet.revision(), revision);
    sheet.setRedraw(true);
    EXPECT_EQ(n.changed, 3);

    // Nothing changed while suspended: no signal on resuming.
    sheet.setRedraw(false);
    sheet.setRedraw(true);
    EXPECT_EQ(n.changed, 3);

    // Setting what is already there is no change.
    sheet.setMaxRows(1000);
    sheet.setColHeadersVisible(true);
    EXPECT_EQ(n.counts, 1);
    EXPECT_EQ(n.changed, 3);

    PrintSettings p = sheet.print();
    p.orientation = Orientation::Landscape;
    sheet.setPrint(p);
    sheet.setPrint(p);
    EXPECT_EQ(n.print, 1);
    sheet.printSettings().footer = QStringLiteral("/c/p");
    sheet.notifyPrintChanged();
    EXPECT_EQ(n.print, 2);
    EXPECT_EQ(n.changed, 5);
}

// Grouping reorders rows and puts subtotal rows between them: everything of a row moves
// with it, new rows are empty, and what no row names any more is dropped.
TEST(SheetTest, ArrangeRowsMovesEverythingOfARow) {
    Sheet sheet;
    sheet.setMaxCols(2);
    sheet.setMaxRows(3);
    for (int r = 1; r <= 3; ++r)
        sheet.setText(1, r, QString::number(r * 10));
    sheet.setText(2, 4, QStringLiteral("beyond"));  // outside the count: dropped
    sheet.setText(1, 0, QStringLiteral("label"));
    sheet.setRowHeight(3, 30);
    sheet.setRowMerge(3, MergeMode::Always);
    sheet.setRowMark(1, RowMark{RowKind::Subtotal, 1});
    CellStyle bold;
    bold.font.bold = true;
    sheet.setRowStyle(1, bold);
    sheet.setCurrent(2, 3);
    sheet.setLocked(true);

    sheet.arrangeRows({3, 0, 1});
    EXPECT_EQ(sheet.maxRows(), 3);
    EXPECT_EQ(sheet.text(1, 0), QStringLiteral("label"));
    EXPECT_EQ(sheet.text(1, 1), QStringLiteral("30"));
    EXPECT_TRUE(sheet.style(2, 1).locked);
    EXPECT_DOUBLE_EQ(sheet.rowHeight(1), 30);
    EXPECT_EQ(sheet.rowMerge(1), MergeMode::Always);
    EXPECT_FALSE(sheet.hasText(1, 2));
    EXPECT_TRUE(sheet.isDataRow(2));
    EXPECT_EQ(sheet.text(1, 3), QStringLiteral("10"));
    EXPECT_EQ(sheet.rowMark(3), (RowMark{RowKind::Subtotal, 1}));
    EXPECT_TRUE(sheet.style(1, 3).font.bold);
    EXPECT_FALSE(sheet.style(1, 2).font.bold);
    EXPECT_GT(sheet.garbageBytes(), 0u);  // "20" is no row's any more
    sheet.setMaxRows(4);
    EXPECT_FALSE(sheet.hasText(2, 4));

    for (const std::vector<int> &bad : {std::vector<int>{1, 1}, {5}, {-1}}) {
        EXPECT_THROW(sheet.arrangeRows(bad), tessel::Error);
        EXPECT_EQ(sheet.text(1, 1), QStringLiteral("30"));
    }
}

// Marks of two levels, level 1 with headers: rows 1..12 below.
TEST(SheetTest, GroupSpansFollowTheMarks) {
    Sheet sheet;
    sheet.setMaxRows(12);
    const RowMark h1{RowKind::GroupHeader, 1}, s1{RowKind::Subtotal, 1}, s2{RowKind::Subtotal, 2};
    // 1 header A | 2-3 data | 4 sub(2) | 5 data | 6 sub(2) | 7 sub(1) | 8 header B | 9 data
    // | 10 sub(2) | 11 sub(1) | 12 totals
    for (const auto &[row, mark] :
         std::vector<std::pair<int, RowMark>>{{1, h1},
                                              {4, s2},
                                              {6, s2},
                                              {7, s1},
                                              {8, h1},
                                              {10, s2},
                                              {11, s1},
                                              {12, RowMark{RowKind::Totals, 0}}})
        sheet.setRowMark(row, mark);
    const std::vector<GroupSpan> expected{{2, 2, 4}, {2, 5, 6}, {1, 1, 7}, {2, 9, 10}, {1, 8, 11}};
    EXPECT_EQ(groupSpans(sheet), expected);
}

// A run moves the sheet aside and, cancelled, swaps it back: whatever a run sets must swap.
TEST(SheetTest, SwapContentsTakesFormatsMarksAndGrouping) {
    Sheet a, b;
    a.setMaxRows(2);
    a.setColFormat(2, ColumnFormat{FormatKind::Number, 2});
    a.setRowMark(2, RowMark{RowKind::Totals, 0});
    Grouping g;
    g.levels.resize(1);
    g.levels[0].column = 1;
    a.setGrouping(g);
    a.swapContents(b);
    EXPECT_TRUE(a.colFormats().empty());
    EXPECT_TRUE(a.rowMarks().empty());
    EXPECT_TRUE(a.grouping().isEmpty());
    EXPECT_EQ(b.colFormat(2), (ColumnFormat{FormatKind::Number, 2}));
    EXPECT_EQ(b.rowMark(2).kind, RowKind::Totals);
    EXPECT_EQ(b.grouping(), g);
}

// A row written in one call leaves the sheet as writing its cells one by one does: new rows,
// rows below gaps, overwrites longer and shorter, empties, texts taken from the sheet itself,
// and a row running past the last column (the cells before it written, then refused).
TEST(SheetTest, RowInOneCallMatchesCellByCell) {
    struct Case {
        const char *name;
        int row;
        int firstCol;
        std::vector<std::string> texts;  // "@r,c" stands for the text of cell (c, r)
    };
    const int lastCol = kMaxColNumber;
    const Case cases[] = {
        {"new row below the others", 4, 1, {"a", "中文", "", "12.5"}},
        {"row past a gap", 9, 2, {"x", "", "yz"}},
        {"overwrite with longer and shorter", 2, 1, {"longer text", "s", "", "新"}},
        {"empty row on new cells", 7, 1, {"", "", ""}},
        {"texts of the sheet itself", 3, 1, {"@2,2", "@1,1", "@3,1"}},
        {"header row and column", 0, 0, {"h0", "h1"}},
        {"past the last column", 5, lastCol - 1, {"p", "q", "r"}},
        {"texts of megabytes", 6, 1, {std::string(3 << 20, 'm'), "s", std::string(5 << 20, 'n')}},
    };
    const auto throws = [](auto &&write) {
        try {
            write();
        } catch (const Error &) {
            return true;
        }
        return false;
    };
    const auto resolve = [](const Sheet &s, const std::string &t) {
        return t.empty() || t[0] != '@'
                   ? std::string_view(t)
                   : s.textUtf8(std::stoi(t.substr(3)), std::stoi(t.substr(1)));
    };
    for (const Case &k : cases) {
        SCOPED_TRACE(k.name);
        Sheet one;
        Sheet each;
        for (int cell = 0; cell < 9; ++cell) {
            const std::string text =
                "r" + std::to_string(cell / 3 + 1) + "c" + std::to_string(cell);
            one.setTextUtf8(cell % 3 + 1, cell / 3 + 1, text);
            each.setTextUtf8(cell % 3 + 1, cell / 3 + 1, text);
        }
        std::vector<std::string_view> views;
        for (const std::string &t : k.texts)
            views.push_back(resolve(one, t));
        const bool oneThrew = throws([&] { one.setRowUtf8(k.row, k.firstCol, views); });
        bool eachThrew = false;
        for (std::size_t i = 0; i < k.texts.size() && !eachThrew; ++i) {
            const std::string text(resolve(each, k.texts[i]));
            eachThrew = throws([&] { each.setTextUtf8(k.firstCol + int(i), k.row, text); });
        }
        EXPECT_EQ(oneThrew, eachThrew);
        for (int r = 0; r <= 10; ++r) {
            for (int c : {0, 1, 2, 3, 4, 5, lastCol - 1, lastCol})
                EXPECT_EQ(one.textUtf8(c, r), each.textUtf8(c, r)) << c << "," << r;
        }
        for (Sheet *s : {&one, &each}) {
            s->setMaxCols(lastCol);
            s->setMaxRows(10);
        }
        EXPECT_EQ(one.lastDataRow(), each.lastDataRow());
    }
}

}  // namespace
