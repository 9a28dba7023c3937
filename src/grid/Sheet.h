// The report sheet: a spreadsheet-like grid of cells with column widths, row heights,
// merges, cell styles, a selection and print settings. Plain data, no widget: the view
// widget, the page view, pagination, the renderer and the workbook export all read it.
//
// Addressing: cells are (col, row). Row 0 is the column header row, column 0 the row header
// column; data starts at (1, 1). Writes beyond maxCols()/maxRows() are accepted and kept:
// callers fill cells first and set the counts afterwards; cells outside the counts are
// kept but lie outside the sheet (not shown, not printed, not exported).
//
// Units: column width in character units (1 unit = 105 twips = 7 px at 96 dpi), row height
// in points (20 twips), margins in twips (1440 to the inch).
//
// Storage: texts live as UTF-8 in one arena; each cell is a 5-byte reference into it, held
// per column in blocks of rows, so a sheet of 1,000,000 × 8 cells costs about 5 bytes per cell
// plus its text.
// Overwriting a cell reuses its bytes when the new text fits and appends otherwise; the
// arena is compacted once more than half of it is unused. Styles are shared: a table of
// distinct styles, a style per column where one was set for the whole column, and a sparse
// map from cell to style only for cells whose style was set.
//
// Addresses run from 0 to kMaxColNumber / kMaxRowNumber; a negative address or count, or
// one beyond those, is refused with Error(Argument).
#pragma once

#include <QColor>
#include <QObject>
#include <QPixmap>
#include <QString>
#include <QVariant>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "grid/ChartSpec.h"
#include "grid/ColumnFormat.h"
#include "grid/ConditionRules.h"
#include "grid/Grouping.h"
#include "grid/Paper.h"
#include "grid/PodArray.h"

namespace tessel::grid {

// Width of a column that was never set, in character units.
constexpr double kDefaultColWidth = 8.43;
// Height of a row that was never set, in points.
constexpr double kDefaultRowHeight = 12.75;
// Width of the row header column (column 0) unless set, in character units.
constexpr double kDefaultRowHeaderWidth = 4.0;
// Twips per column-width unit and per point.
constexpr double kTwipsPerWidthUnit = 105.0;
constexpr double kTwipsPerPoint = 20.0;
constexpr int kTwipsPerInch = 1440;
// The highest column and row numbers (and counts) the sheet accepts.
constexpr int kMaxColNumber = 65'535;
constexpr int kMaxRowNumber = 16'777'215;

enum class CellKind : std::uint8_t {
    EditText,    // text the user may edit in place (unless locked)
    StaticText,  // text shown, never edited
    Button,      // a push button whose caption is the cell's text
    Picture,     // a picture, with the cell's text as caption
};

// Where a button's or picture cell's picture stands relative to its caption.
enum class PictureAlign : std::uint8_t {
    PictureLeftCaptionRight,  // image left, caption right
    CaptionLeftPictureRight,  // caption left, image right
    PictureOnly,
};

enum class HAlign : std::uint8_t { General, Left, Center, Right };

enum class MergeMode : std::uint8_t { None = 0, Always = 1 };

struct CellFont {
    QString name = QStringLiteral("宋体");
    double size = 9.0;  // points
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeout = false;
    bool operator==(const CellFont &) const = default;
};

// Everything about a cell but its text. Cells without a style of their own use the
// sheet's default style.
struct CellStyle {
    CellKind kind = CellKind::EditText;
    bool locked = false;
    CellFont font;
    QColor foreground;  // invalid: black
    QColor background;  // invalid: no fill
    bool border = false;
    QColor borderColor;  // invalid: grey
    HAlign align = HAlign::General;
    QString pictureKey;  // picture by key, from the sheet's picture list
    PictureAlign pictureAlign = PictureAlign::PictureLeftCaptionRight;
    bool operator==(const CellStyle &o) const;
};

// A block of cells, inclusive on both ends; either end may come first. In the current block
// col (or col2) -1 stands for every column and row (or row2) -1 for every row. An empty
// block (nothing selected) has col < 1 and row < 1, as the default {0, 0, 0, 0}.
struct CellBlock {
    int col = 0;
    int row = 0;
    int col2 = 0;
    int row2 = 0;
    bool isEmpty() const { return col < 1 && row < 1; }
    bool operator==(const CellBlock &) const = default;
};

enum class Orientation : int { Portrait = 1, Landscape = 2 };
enum class PrintType : int { All = 0, CellRange = 1, CurrentPage = 2, PageRange = 3 };

struct PrintSettings {
    QString header;  // header/footer code strings
    QString footer;
    int marginLeft = 720;  // twips
    int marginRight = 720;
    int marginTop = 720;
    int marginBottom = 720;
    Orientation orientation = Orientation::Portrait;
    PrintType type = PrintType::All;
    int pageStart = 1;
    int pageEnd = 1;
    CellBlock block;      // the cells PrintType::CellRange prints
    int currentPage = 1;  // the page PrintType::CurrentPage prints (the page view's current page)
    bool colHeaders = true;
    bool rowHeaders = true;
    bool gridLines = true;
    bool border = true;
    bool color = true;
    bool shadows = false;
    bool onlyData = false;
    // Fit to pages wide: 0 off; N > 0 shrinks the table (never enlarges it) so that its
    // columns fit N pages across, rows flowing down as usual (see Pagination::scale).
    int fitPagesWide = 0;
    Paper paper;  // A4 unless set
    bool operator==(const PrintSettings &) const = default;
};

// Notifies views of changes; QObject so widgets can connect. `changed` is sent once per
// changing call; while redraw is suspended it is held back, and resuming sends one
// `changed` when anything changed meanwhile. `countsChanged` and `printSettingsChanged` are
// rare and always sent at once, so that derived data (page breaks) never goes stale.
class Sheet : public QObject {
    Q_OBJECT
public:
    explicit Sheet(QObject *parent = nullptr);
    ~Sheet() override;

    // Counts: columns 1..maxCols(), rows 1..maxRows() are the sheet. Negative counts are
    // refused (Error(Argument)). Cells beyond the counts keep their contents: lowering a
    // count and raising it again shows them again.
    int maxCols() const { return m_maxCols; }
    int maxRows() const { return m_maxRows; }
    void setMaxCols(int n);
    void setMaxRows(int n);

    // Content. setValue converts with valueToText. Negative addresses are refused; an
    // empty text empties the cell.
    void setText(int col, int row, const QString &text);
    void setTextUtf8(int col, int row, std::string_view utf8);
    // Cells firstCol, firstCol + 1, … of `row` set to `texts` in order, each as setTextUtf8
    // sets it, with one change notice: the fast path for fills. Throws what setTextUtf8
    // throws for the first cell refused, the cells before it written.
    void setRowUtf8(int row, int firstCol, std::span<const std::string_view> texts);
    void setValue(int col, int row, const QVariant &value);
    QString text(int col, int row) const;
    std::string_view textUtf8(int col, int row) const;  // valid until the next write
    // textUtf8 for loops over many cells of addresses already checked (from 0): no address
    // check, and inline, so a search over a million rows pays no call per cell.
    std::string_view cellUtf8(int col, int row) const {
        if (std::size_t(col) >= m_cells.size())
            return {};
        const CellColumn &column = m_cells[std::size_t(col)];
        if (std::size_t(row) >= column.size())
            return {};
        const CellRef r = column.get(std::size_t(row));
        return r.length ? std::string_view(m_arena.data() + r.offset, r.length)
                        : std::string_view();
    }
    bool hasText(int col, int row) const;
    // Empties the texts of a block (styles stay). -1 as in the current block: a whole row
    // is columns 1..maxCols(), a whole column rows 1..maxRows().
    void clearText(const CellBlock &block);
    // Removes every cell text, cell and column style, width, height, column format, merge, row
    // mark, the grouping, the conditional formats and the charts. The counts, the default style,
    // pictures, headers, selection and print settings stay.
    void clear();

    // The current cell and the current block (the target of style setters). Setting the
    // current cell makes it a block of one cell. Addresses from -1 (see CellBlock).
    int currentCol() const { return m_current.col; }
    int currentRow() const { return m_current.row; }
    void setCurrent(int col, int row);
    CellBlock currentBlock() const { return m_current; }
    void setCurrentBlock(const CellBlock &block);

    // The user's selection (the view sets it). Empty when nothing is selected.
    CellBlock selection() const { return m_selection; }
    void setSelection(const CellBlock &block);

    // Styles of the current block (or cell): each setter changes one property of every
    // cell of the block, keeping the rest of its style. A block with col -1 means whole rows
    // (columns 1..maxCols()); row -1 means whole columns: the column's own style, which
    // covers its data rows (1 and on, also rows added later) unless a cell has its own;
    // both -1 means every column 1..maxCols() so. Header cells (row 0, column 0) change only
    // when the block names them.
    void setCellKind(CellKind kind);
    void setLocked(bool locked);
    void setFont(const CellFont &font);
    void setForeground(const QColor &color);
    void setBackground(const QColor &color);
    void setBorder(bool on, const QColor &color = QColor());
    void setAlign(HAlign align);
    void setPicture(const QString &key, PictureAlign align);
    // The style of one cell: its own, else its column's (data rows), else the default.
    // The reference stays valid until the next style change.
    const CellStyle &style(int col, int row) const;
    // The rows from 1, in increasing order, where some cell's style is not its column's: a
    // row with a row style (setRowStyle) or a cell with a style of its own. In every other
    // row from 1 a column's cells share one style, its column's. Costs one pass over the
    // cells with their own style.
    std::vector<int> rowsWithOwnStyles() const;
    const CellStyle &defaultStyle() const { return m_styles[0]; }
    void setDefaultStyle(const CellStyle &style);

    // Pictures by key, for button and picture cells.
    void setPictureList(const std::map<QString, QPixmap> &pictures);
    QPixmap picture(const QString &key) const;
    bool hasPictures() const { return !m_pictures.empty(); }

    // Column widths (character units; 0 hides; 1 or less counts as hidden) and row heights
    // (points; 0 hides). Column 0 is the row header column, row 0 the column header row.
    // Negative or non-finite sizes are refused.
    double colWidth(int col) const;
    void setColWidth(int col, double width);
    // Whether column `col` is hidden: a width of 1 or less, which nothing prints.
    bool colHidden(int col) const { return colWidth(col) <= 1.0; }
    double rowHeight(int row) const;
    void setRowHeight(int row, double height);
    // Rows whose height was set, for pagination: (row, height) in row order.
    const std::map<int, double> &rowHeightOverrides() const { return m_rowHeights; }

    // The number format of a column's data rows (row 1 and on; labels show as they are).
    // Held per column, never per cell: cells take their column's. A decimals count out of
    // 0..kMaxFormatDecimals (or not 0 outside Number and Percent) is refused.
    const ColumnFormat &colFormat(int col) const;
    void setColFormat(int col, const ColumnFormat &format);
    // Columns whose format is not general, in column order.
    const std::map<int, ColumnFormat> &colFormats() const { return m_colFormats; }

    MergeMode colMerge(int col) const;
    void setColMerge(int col, MergeMode mode);
    MergeMode rowMerge(int row) const;
    void setRowMerge(int row, MergeMode mode);

    // Row kinds (see RowKind): every row is data unless marked. Header and subtotal rows of a
    // grouping and the totals row are marked, so that totals, page totals and the exports
    // tell them from data; only marked rows cost storage. Row 0 and negative rows are refused.
    RowMark rowMark(int row) const;
    void setRowMark(int row, const RowMark &mark);  // a Data mark removes the row's mark
    bool isDataRow(int row) const {
        return m_rowMarks.empty() || m_rowMarks.find(row) == m_rowMarks.end();
    }
    const std::map<int, RowMark> &rowMarks() const { return m_rowMarks; }
    // The style of the cells of a data row (from 1) that have none of their own, before their
    // column's: how marked rows look alike (bold, a light fill). nullopt removes it.
    void setRowStyle(int row, const std::optional<CellStyle> &style);

    // The grouping the rows were arranged by; empty unless set. The sheet only keeps it.
    const Grouping &grouping() const { return m_grouping; }
    void setGrouping(const Grouping &grouping);

    // The conditional formats the sheet's data cells are painted and exported with, in
    // priority order; none unless set. The sheet only keeps them: conditions::looksOf decides
    // what they give a cell.
    const ConditionRules &conditions() const { return m_conditions; }
    void setConditions(ConditionRules rules);

    // The charts printed and exported with the sheet's rows, in their order; none unless set.
    // The sheet only keeps them: charts::chartData reads their points from the rows.
    const ChartSpecs &charts() const { return m_charts; }
    void setCharts(ChartSpecs charts);

    // Rearranges the rows: row i + 1 becomes what row from[i] was (texts, cell and row
    // styles, height, row merge and mark) and from[i] == 0 gives a new empty row; the row
    // count becomes from.size(). Rows that no entry names, and cells beyond the old row
    // count, are dropped. Row 0 stays. Error(Argument) for an entry outside 0..maxRows() or
    // one naming a row twice, the sheet unchanged. Costs one pass over every column.
    void arrangeRows(const std::vector<int> &from);

    // The last data row / column (within the counts) holding a non-empty text; 0 if none.
    int lastDataRow() const;
    int lastDataCol() const;

    // Header row and column shown in the view.
    bool colHeadersVisible() const { return m_colHeadersVisible; }
    void setColHeadersVisible(bool on);
    bool rowHeadersVisible() const { return m_rowHeadersVisible; }
    void setRowHeadersVisible(bool on);

    // setPrint refuses settings the sheet cannot use (negative margins or page numbers, an
    // orientation or type out of range, a bad block) with Error(Argument), keeping the old.
    const PrintSettings &print() const { return m_print; }
    void setPrint(const PrintSettings &settings);
    PrintSettings &printSettings() { return m_print; }  // edit then call notifyPrintChanged()
    void notifyPrintChanged();

    // Exchanges everything the two sheets hold (cells, counts, styles, sizes, merges,
    // pictures, current block, selection, headers, print settings) in constant time; each
    // keeps its own redraw state. Both send their change signals and count as changed, so
    // derived data of either is rebuilt. Work that must not show half done builds on one
    // sheet and swaps it in, or swaps the old contents back.
    void swapContents(Sheet &other);

    // Redraw suspension: views repaint once when redraw resumes.
    bool redraw() const { return m_redraw; }
    void setRedraw(bool on);

    // Makes room for `bytes` more text bytes, so that writes adding up to that much do not
    // grow the text storage by more: when the room is lacking, the texts move to storage of
    // exactly their bytes plus `bytes` (one copy, no cell touched).
    void reserveText(std::size_t bytes);

    // Bytes held by cell storage (references, arena, styles): for memory measurements.
    std::size_t storageBytes() const;
    // Bytes of the text arena in use, and the part of it no cell refers to any more.
    std::size_t arenaBytes() const { return m_arena.size(); }
    std::size_t garbageBytes() const { return m_garbage; }

    // A number that grows with every change of the sheet: derived data (page breaks, a
    // view's layout) compares it to know whether it is still current.
    std::uint64_t revision() const { return m_revision; }

signals:
    void changed();        // anything changed (coalesced)
    void countsChanged();  // maxCols / maxRows
    void printSettingsChanged();

private:
    struct CellRef {
        std::uint32_t offset = 0;
        std::uint32_t length = 0;
    };

    // One column's cell references, rows from 0, held in blocks of kBlockRows rows. A column
    // grows a block at a time and never moves what it holds: a fill of a million rows copies
    // no reference and leaves no outgrown buffer behind, where one growing array would leave
    // each of its smaller copies to the allocator, resident, and keep up to half of its last
    // one unused. Only a short column's one block grows by doubling, so that a column of a
    // few cells (a toolbar strip, an editor grid) costs a few bytes. A reference takes 5
    // bytes: its offset, and its length in one byte, since a report's cell is short; a block
    // holding a text of kLong bytes or more gets a table of whole lengths, which that byte
    // then defers to. References past size() in the blocks held are empty.
    class CellColumn {
    public:
        std::size_t size() const { return m_size; }
        bool empty() const { return m_size == 0; }
        CellRef get(std::size_t row) const {
            const Block &b = m_blocks[row >> kBlockShift];
            const std::size_t i = row & kMask;
            const std::uint8_t n = b.length[i];
            return {b.offset[i], n != kLong ? n : b.longLength[i]};
        }
        void set(std::size_t row, CellRef ref) {
            Block &b = m_blocks[row >> kBlockShift];
            const std::size_t i = row & kMask;
            b.offset[i] = ref.offset;
            if (ref.length < kLong)
                b.length[i] = std::uint8_t(ref.length);
            else
                setLongLength(row, ref.length);
        }
        // Grows with empty references, or shrinks, releasing the blocks past the new end.
        void resize(std::size_t rows);
        // Bytes held: the blocks and the table of them.
        std::size_t bytes() const;

    private:
        static constexpr unsigned kBlockShift = 13;
        static constexpr std::size_t kBlockRows = std::size_t(1) << kBlockShift;  // 40 KiB
        static constexpr std::size_t kMask = kBlockRows - 1;
        static constexpr std::size_t kFirstRows = 16;  // the least a column's block holds
        static constexpr std::uint8_t kLong = 255;
        struct Block {
            std::unique_ptr<std::uint32_t[]> offset;
            std::unique_ptr<std::uint8_t[]> length;  // kLong: see longLength
            std::unique_ptr<std::uint32_t[]> longLength;
        };
        static Block emptyBlock(std::size_t rows);
        void setLongLength(std::size_t row, std::uint32_t length);
        std::size_t blockRows(std::size_t block) const {
            return block == 0 ? m_firstRows : kBlockRows;
        }
        std::size_t capacity() const {
            return m_blocks.empty() ? 0 : m_firstRows + (m_blocks.size() - 1) * kBlockRows;
        }
        std::vector<Block> m_blocks;
        std::size_t m_size = 0;
        std::size_t m_firstRows = 0;  // rows of block 0; below kBlockRows only when it is alone
    };

    static std::uint64_t key(int col, int row) {
        return (std::uint64_t(std::uint32_t(col)) << 32) | std::uint32_t(row);
    }
    // The reference of a cell; empty for a cell never written.
    CellRef cellRef(int col, int row) const;
    void store(int col, int row, std::string_view utf8);
    bool inArena(std::string_view utf8) const;
    std::uint16_t styleIndex(const CellStyle &style);
    std::uint16_t fallbackStyle(int col, int row) const;
    void compactStyles();
    template <class F>
    void editBlockStyle(F &&edit);
    void maybeCompactArena();
    void compactArena();
    void touch();

    int m_maxCols = 0;
    int m_maxRows = 0;
    std::vector<CellColumn> m_cells;  // [col][row]
    detail::PodArray<char> m_arena;
    std::size_t m_garbage = 0;        // arena bytes no cell refers to any more
    std::vector<CellStyle> m_styles;  // [0] is the default style
    std::unordered_map<std::uint64_t, std::uint16_t> m_cellStyles;
    std::map<int, std::uint16_t> m_colStyles;  // whole-column styles, for rows >= 1
    std::map<int, double> m_colWidths;
    std::map<int, double> m_rowHeights;
    std::map<int, ColumnFormat> m_colFormats;
    std::map<int, MergeMode> m_colMerge;
    std::map<int, MergeMode> m_rowMerge;
    std::map<int, RowMark> m_rowMarks;
    std::map<int, std::uint16_t> m_rowStyles;  // whole-row styles, for rows >= 1
    Grouping m_grouping;
    ConditionRules m_conditions;
    ChartSpecs m_charts;
    std::map<QString, QPixmap> m_pictures;
    CellBlock m_current{1, 1, 1, 1};
    CellBlock m_selection{0, 0, 0, 0};
    bool m_colHeadersVisible = true;
    bool m_rowHeadersVisible = true;
    PrintSettings m_print;
    bool m_redraw = true;
    bool m_dirty = false;
    std::uint64_t m_revision = 0;
};

}  // namespace tessel::grid
