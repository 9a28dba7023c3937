// The widget that shows a sheet as a grid: the designer's working sheet, toolbar strips and
// small editor grids. It draws headers, cells with their fonts, colours, borders, merges,
// buttons and pictures, edits editable cells in place, keeps the user's block selection on the
// sheet and reports clicks, edits and tip requests through signals. Where switched on, the
// user sizes columns and the label row by dragging header borders.
//
// Sizes: a column of width w character units is round(7 * w) pixels wide (0 hides it); a row
// of height h points is round(h * 96 / 72) pixels high. Pixels are the widget's logical
// pixels. Positions taken and returned by the view are viewport coordinates in pixels.
//
// The view paints only the rows and columns in view, and finds rows from their offsets
// (default height times the row number, corrected by the rows whose height was set), so a
// sheet of a million rows opens and scrolls without delay.
#pragma once

#include <QAbstractScrollArea>
#include <QColor>
#include <QFont>
#include <QImage>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QString>

#include "grid/MergeSpans.h"
#include "grid/Sheet.h"
#include "widgets/Axis.h"

class QLabel;
class QLineEdit;

namespace tessel::widgets {
class CellEditor;
}

namespace tessel::widgets {

class SheetView : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit SheetView(QWidget *parent = nullptr);
    ~SheetView() override;

    // The sheet shown. A new view shows a sheet of its own (owned by the view); setSheet
    // shows another sheet, which the view does not own and which must outlive the binding
    // (a sheet destroyed while shown makes the view fall back to its own sheet).
    // setSheet(nullptr) returns to the view's own sheet. An edit in progress is dropped.
    grid::Sheet *sheet() const { return m_sheet; }
    void setSheet(grid::Sheet *sheet);

    // The sheet's text and counts, for callers that reach the view by name.
    Q_INVOKABLE QString text(int col, int row) const;
    Q_INVOKABLE int maxCols() const;
    Q_INVOKABLE int maxRows() const;

    // Pixel sizes of the sheet's units.
    static int widthToPixels(double widthUnits);
    static int heightToPixels(double points);

    // Appearance switches. Scroll bars are shown as needed by default; the frame around the
    // grid and the grid lines are on by default. Header visibility is the sheet's own
    // (Sheet::setColHeadersVisible / setRowHeadersVisible).
    void setScrollBarsVisible(bool on);
    bool scrollBarsVisible() const { return m_scrollBars; }
    void setBorderVisible(bool on);
    bool borderVisible() const;
    void setGridLinesVisible(bool on);
    bool gridLinesVisible() const { return m_gridLines; }
    void setGridColor(const QColor &color);
    QColor gridColor() const { return m_gridColor; }

    // Tips for cells. Off by default; when on, hovering over a cell emits TextTipFetch and the
    // tip the receiver supplies is shown in the tip font and colours.
    void setTextTips(bool on);
    bool textTips() const { return m_textTips; }
    void setTextTipStyle(const QFont &font, const QColor &background, const QColor &foreground);
    // The text of the tip on screen; empty when no tip is shown.
    QString shownTip() const;

    // Sizing from the headers. Off by default; when on, the cursor over a column's right
    // border in the column header row (a few pixels either side) shows a horizontal split:
    // dragging sets the column's width live (never below 0, where the column hides; Escape
    // during the drag puts the width back), and a double click fits the column to its widest
    // text (see headerResize::fitColumnWidth). Over the lower border of the column header row
    // (within the header row, or either side of it within the row header column) the cursor
    // shows a vertical split and dragging sets row 0's height. A press on a border neither
    // selects nor emits Click / DblClick. Sizes go to the sheet (Sheet::setColWidth /
    // setRowHeight) and each change the user makes emits ColumnWidthChanged /
    // RowHeightChanged.
    void setUserResizable(bool on);
    bool userResizable() const { return m_userResizable; }

    // The active cell: the cell the keyboard acts on and the user clicked last (column and
    // row from 1). Starts at (1, 1).
    int activeCol() const { return m_activeCol; }
    int activeRow() const { return m_activeRow; }
    void setActiveCell(int col, int row);

    // In-place editing of an editable (CellKind::EditText), unlocked, shown cell. editCell
    // starts it (returns false and does nothing for any other cell) and emits EditMode with
    // mode 1; commitEdit writes a changed text with Sheet::setText and emits EditMode with
    // mode 0; cancelEdit leaves the sheet as it was and emits EditMode with mode 0.
    bool isEditable(int col, int row) const;
    bool editCell(int col, int row);
    bool isEditing() const;
    void commitEdit();
    void cancelEdit();
    QLineEdit *editor() const;

    // The cell under a viewport position: (col, row) with col 0 for the row header column and
    // row 0 for the column header row; (-1, -1) when the position is on no cell. Hidden
    // columns are never returned.
    QPoint cellAt(const QPoint &pos) const;
    // The rectangle of one cell in viewport coordinates at the current scroll position (it may
    // lie outside the viewport); zero width for a hidden column; a null rectangle for a cell
    // outside the sheet.
    QRect cellRect(int col, int row) const;
    // Scrolls so that the cell is in view.
    void scrollTo(int col, int row);
    // The first data row and column at the top left of the view.
    int topRow() const;
    int leftCol() const;

    // The block of cells the view draws (col, row) in: equal neighbours of merged columns and
    // rows over the whole sheet (see mergeSpan); the cell alone when it joins none.
    grid::CellSpan mergedBlock(int col, int row) const;

    // Pixel size of the whole grid: headers shown plus every column and row.
    QSize contentSize() const;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    // A mouse click (press and release over the same cell) on an unlocked button cell.
    void ButtonClicked(int col, int row);
    // The left button was pressed on a cell (col 0 / row 0 for header cells).
    void Click(int col, int row);
    void DblClick(int col, int row);
    // In-place editing of (col, row) began (mode 1) or ended (mode 0); changeMade tells
    // whether the end wrote a changed text.
    void EditMode(int col, int row, int mode, bool changeMade);
    // The right button was released over a cell: clickType 1 for a single click, 2 for the
    // second click of a double click; mouseX, mouseY in viewport pixels.
    void RightClick(int clickType, int col, int row, int mouseX, int mouseY);
    // A tip is wanted for (col, row). Receivers connected with Qt::DirectConnection set
    // *tipText and set *showTip to true to have the tip shown; both start empty / false.
    void TextTipFetch(int col, int row, QString *tipText, bool *showTip);
    // The user changed a column's width (character units, on the sheet) by dragging or
    // fitting its border; emitted at every change while a drag goes on, never for a width
    // set by a program.
    void ColumnWidthChanged(int col);
    // The user changed a row's height (points, on the sheet) by dragging its border.
    void RowHeightChanged(int row);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    bool viewportEvent(QEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    using Span = grid::CellSpan;

    void bindSheet(grid::Sheet *sheet);
    void onSheetChanged();
    void ensureGeometry() const;
    void rebuildGeometry();
    void updateScrollBars();
    int headerWidth() const;   // 0 when the row header column is hidden
    int headerHeight() const;  // 0 when the column header row is hidden
    QRect dataArea() const;
    int contentX(int col) const;  // viewport x of a data column's left edge
    int contentY(int row) const;  // viewport y of a data row's top edge
    Span spanOf(int col, int row) const;
    QRect spanRect(const Span &span) const;
    bool isSelected(const Span &span) const;
    void selectBlock(int col, int row, int col2, int row2);
    void moveActive(int dCol, int dRow, bool extend);
    void showTip(const QPoint &globalPos, const QString &text);
    void hideTip();

    // Sizing from the headers (SheetViewResize.cpp). The column whose right border a
    // viewport position grabs in the column header row (0: none); whether it grabs the
    // lower border of the column header row.
    int columnBorderAt(const QPoint &pos) const;
    bool onLabelRowBorder(const QPoint &pos) const;
    void updateResizeCursor(const QPoint &pos);
    // Starts a drag when `pos` grabs a border; false when it grabs none.
    bool beginResize(const QPoint &pos);
    void dragResize(const QPoint &pos);
    // Ends the drag, keeping the size reached, or with `restore` the size it began with.
    void endResize(bool restore);
    bool isResizing() const { return m_resizeCol > 0 || m_resizeLabelRow; }
    void fitColumn(int col);

    void paintFrame(QPainter &p);
    void paintCell(QPainter &p, const Span &span, const QRect &rect);
    void paintHeaders(QPainter &p, int firstCol, int lastCol, int firstRow, int lastRow);
    // The picture and caption of a cell drawn in `cell`, its text `padding` pixels from the
    // left and right edges. `number`: the caption reads as a number (aligned right under
    // general alignment, drawn smaller when `formatted`, rounded or shown as "#" marks rather
    // than cut when too wide).
    void paintContent(QPainter &p, const QRect &cell, int padding, const grid::CellStyle &style,
                      const QString &caption, bool number, bool formatted);

    static constexpr int kCellPadding = 2;  // pixels between a cell's edge and its text

    grid::Sheet *m_ownSheet = nullptr;
    QPointer<grid::Sheet> m_sheet;
    QMetaObject::Connection m_conns[3];

    mutable bool m_geometryDirty = true;
    bool m_refreshQueued = false;
    Axis m_cols;
    Axis m_rows;
    int m_headerWidth = 0;
    int m_headerHeight = 0;

    bool m_scrollBars = true;
    bool m_gridLines = true;
    QColor m_gridColor{192, 192, 192};

    bool m_textTips = false;
    QFont m_tipFont;
    QColor m_tipBackground{255, 255, 225};
    QColor m_tipForeground{Qt::black};
    QLabel *m_tip = nullptr;
    QPoint m_tipCell{-1, -1};

    int m_activeCol = 1;
    int m_activeRow = 1;
    QPoint m_anchor{1, 1};  // selection anchor for shift-click and dragging
    bool m_dragSelecting = false;
    QPoint m_pressedButton{-1, -1};  // anchor of the button cell held down
    bool m_buttonUnderMouse = false;
    bool m_rightDouble = false;

    bool m_userResizable = false;
    int m_resizeCol = 0;  // the column whose border is being dragged; 0 for none
    bool m_resizeLabelRow = false;
    int m_resizeStartPos = 0;      // viewport x or y where the drag began
    int m_resizeStartPx = 0;       // the size in pixels the drag began from
    double m_resizeStartSize = 0;  // and in the sheet's units, to put back on Escape

    CellEditor *m_editor = nullptr;

    QImage m_frame;  // the last painted picture, shown while the sheet's redraw is off
};

}  // namespace tessel::widgets
