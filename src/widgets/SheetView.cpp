#include "widgets/SheetView.h"

#include <QApplication>
#include <QCursor>
#include <QFontMetrics>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionButton>
#include <algorithm>
#include <limits>
#include <unordered_set>

#include "grid/ColumnFormat.h"
#include "print/PrintFonts.h"
#include "widgets/CellEditor.h"
#include "widgets/ViewUnits.h"

namespace tessel::widgets {

namespace {}  // namespace

// ---- Construction and binding -------------------------------------------------------------

SheetView::SheetView(QWidget *parent) : QAbstractScrollArea(parent) {
    // The Chinese families sheets name are shown in the installed Chinese font, as printed.
    print::setupPrintFonts();
    m_ownSheet = new grid::Sheet(this);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setMouseTracking(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_tipFont = font();

    m_editor = new CellEditor(viewport());
    connect(m_editor, &CellEditor::finishRequested, this, &SheetView::commitEdit);
    connect(m_editor, &CellEditor::cancelRequested, this, &SheetView::cancelEdit);
    connect(m_editor, &CellEditor::leaveRequested, this, [this](int dCol, int dRow) {
        QPointer<SheetView> self(this);
        commitEdit();  // a receiver of EditMode may close the view
        if (self)
            moveActive(dCol, dRow, false);
    });

    bindSheet(m_ownSheet);
}

SheetView::~SheetView() {
    for (auto &c : m_conns)
        disconnect(c);
}

void SheetView::setSheet(grid::Sheet *sheet) {
    bindSheet(sheet ? sheet : m_ownSheet);
}

void SheetView::bindSheet(grid::Sheet *sheet) {
    if (m_editor->isOpen()) {
        // The edit belongs to the old sheet: drop it rather than write into the new one.
        m_editor->close();
        emit EditMode(m_editor->col(), m_editor->row(), 0, false);
    }
    for (auto &c : m_conns)
        disconnect(c);
    m_sheet = sheet;
    m_conns[0] = connect(sheet, &grid::Sheet::changed, this, &SheetView::onSheetChanged);
    m_conns[1] = connect(sheet, &grid::Sheet::countsChanged, this, &SheetView::onSheetChanged);
    m_conns[2] = connect(sheet, &QObject::destroyed, this, [this](QObject *gone) {
        if (gone != m_ownSheet)
            bindSheet(m_ownSheet);
    });
    m_activeCol = 1;
    m_activeRow = 1;
    m_anchor = {1, 1};
    m_pressedButton = {-1, -1};
    m_resizeCol = 0;
    m_resizeLabelRow = false;
    m_geometryDirty = true;
    m_frame = QImage();
    ensureGeometry();
    viewport()->update();
}

void SheetView::onSheetChanged() {
    // Sheets send many changes while they are filled; the geometry is rebuilt once, when the
    // event loop comes round or when it is first needed.
    m_geometryDirty = true;
    if (!m_refreshQueued) {
        m_refreshQueued = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
                m_refreshQueued = false;
                ensureGeometry();
            },
            Qt::QueuedConnection);
    }
    viewport()->update();
}

QString SheetView::text(int col, int row) const {
    return m_sheet->text(col, row);
}

int SheetView::maxCols() const {
    return m_sheet->maxCols();
}

int SheetView::maxRows() const {
    return m_sheet->maxRows();
}

int SheetView::widthToPixels(double widthUnits) {
    return widthUnits <= 0 ? 0 : qRound(widthUnits * kPixelsPerWidthUnit);
}

int SheetView::heightToPixels(double points) {
    return points <= 0 ? 0 : qRound(points * kPixelsPerPoint);
}

// ---- Merges ----------------------------------------------------------------------------------

SheetView::Span SheetView::spanOf(int col, int row) const {
    // The whole sheet is the window: a block scrolled partly out of view is still drawn
    // whole, with its text placed in the whole block.
    const grid::Sheet &s = *m_sheet;
    return grid::mergeSpan(s, col, row, grid::MergeWindow{1, s.maxCols(), 0, s.maxRows()});
}

grid::CellSpan SheetView::mergedBlock(int col, int row) const {
    return spanOf(col, row);
}

// ---- Selection and the active cell ------------------------------------------------------------

bool SheetView::isSelected(const Span &span) const {
    // A block of more than one cell is shown; a single selected cell is the active cell,
    // which has its frame instead. A merged block is selected when any of its cells is.
    grid::CellBlock b = m_sheet->selection();
    if (b.isEmpty() || (b.col == b.col2 && b.row == b.row2))
        return false;
    return span.col <= b.col2 && b.col <= span.col2 && span.row <= b.row2 && b.row <= span.row2;
}

void SheetView::selectBlock(int col, int row, int col2, int row2) {
    grid::CellBlock b{std::min(col, col2), std::min(row, row2), std::max(col, col2),
                      std::max(row, row2)};
    if (m_sheet->selection() != b)
        m_sheet->setSelection(b);
    viewport()->update();
}

void SheetView::setActiveCell(int col, int row) {
    if (m_editor->isOpen())
        commitEdit();
    m_activeCol = std::max(1, col);
    m_activeRow = std::max(1, row);
    m_anchor = {m_activeCol, m_activeRow};
    viewport()->update();
}

void SheetView::moveActive(int dCol, int dRow, bool extend) {
    ensureGeometry();
    int cols = m_cols.count(), rows = m_rows.count();
    if (cols < 1 || rows < 1)
        return;
    int col = std::clamp(m_activeCol, 1, cols);
    int row = std::clamp(m_activeRow + dRow, 1, rows);
    // Hidden columns are stepped over; when none is shown in that direction, stay put.
    if (dCol != 0) {
        int c = col + dCol;
        while (c >= 1 && c <= cols && m_cols.size(c) == 0)
            c += dCol;
        if (c >= 1 && c <= cols)
            col = c;
    }
    m_activeCol = col;
    m_activeRow = row;
    if (extend) {
        selectBlock(m_anchor.x(), m_anchor.y(), col, row);
    } else {
        m_anchor = {col, row};
        selectBlock(col, row, col, row);
    }
    scrollTo(col, row);
}

// ---- Editing ---------------------------------------------------------------------------------

bool SheetView::isEditable(int col, int row) const {
    ensureGeometry();
    if (col < 1 || row < 1 || col > m_cols.count() || row > m_rows.count())
        return false;
    if (m_cols.size(col) == 0 || m_rows.size(row) == 0)
        return false;
    const grid::CellStyle &st = m_sheet->style(col, row);
    return st.kind == grid::CellKind::EditText && !st.locked;
}

bool SheetView::isEditing() const {
    return m_editor->isOpen();
}

QLineEdit *SheetView::editor() const {
    return m_editor->lineEdit();
}

bool SheetView::editCell(int col, int row) {
    if (!isEditable(col, row))
        return false;
    if (m_editor->isOpen())
        commitEdit();
    scrollTo(col, row);
    m_activeCol = col;
    m_activeRow = row;
    const QRect r = spanRect(spanOf(col, row)).intersected(dataArea());
    m_editor->open(col, row, m_sheet->text(col, row),
                   print::cellFont(m_sheet->style(col, row).font), r.adjusted(1, 1, -1, -1));
    emit EditMode(col, row, 1, false);
    return true;
}

void SheetView::commitEdit() {
    if (!m_editor->isOpen())
        return;
    const bool hadFocus = m_editor->lineEdit()->hasFocus();
    const CellEditor::Outcome edit = m_editor->close();
    if (hadFocus)
        setFocus(Qt::OtherFocusReason);
    if (edit.changed)
        m_sheet->setText(m_editor->col(), m_editor->row(), edit.text);
    viewport()->update();
    emit EditMode(m_editor->col(), m_editor->row(), 0, edit.changed);
}

void SheetView::cancelEdit() {
    if (!m_editor->isOpen())
        return;
    const bool hadFocus = m_editor->lineEdit()->hasFocus();
    m_editor->close();
    if (hadFocus)
        setFocus(Qt::OtherFocusReason);
    viewport()->update();
    emit EditMode(m_editor->col(), m_editor->row(), 0, false);
}

// ---- Appearance switches ------------------------------------------------------------------------

void SheetView::setScrollBarsVisible(bool on) {
    m_scrollBars = on;
    Qt::ScrollBarPolicy policy = on ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff;
    setHorizontalScrollBarPolicy(policy);
    setVerticalScrollBarPolicy(policy);
}

void SheetView::setBorderVisible(bool on) {
    setFrameShape(on ? QFrame::StyledPanel : QFrame::NoFrame);
}

bool SheetView::borderVisible() const {
    return frameShape() != QFrame::NoFrame;
}

void SheetView::setGridLinesVisible(bool on) {
    m_gridLines = on;
    viewport()->update();
}

void SheetView::setGridColor(const QColor &color) {
    m_gridColor = color;
    viewport()->update();
}

void SheetView::setTextTips(bool on) {
    m_textTips = on;
    if (!on)
        hideTip();
}

void SheetView::setTextTipStyle(const QFont &font, const QColor &background,
                                const QColor &foreground) {
    m_tipFont = font;
    m_tipBackground = background;
    m_tipForeground = foreground;
}

QString SheetView::shownTip() const {
    return m_tip && m_tip->isVisible() ? m_tip->text() : QString();
}

void SheetView::showTip(const QPoint &globalPos, const QString &text) {
    if (!m_tip) {
        m_tip = new QLabel(this, Qt::ToolTip | Qt::BypassGraphicsProxyWidget);
        m_tip->setMargin(2);
        m_tip->setFrameShape(QFrame::Box);
        m_tip->setAutoFillBackground(true);
    }
    QPalette pal = m_tip->palette();
    pal.setColor(QPalette::Window, m_tipBackground);
    pal.setColor(QPalette::WindowText, m_tipForeground);
    m_tip->setPalette(pal);
    m_tip->setFont(m_tipFont);
    m_tip->setText(text);
    m_tip->adjustSize();
    m_tip->move(globalPos + QPoint(2, 18));
    m_tip->show();
}

void SheetView::hideTip() {
    if (m_tip)
        m_tip->hide();
    m_tipCell = {-1, -1};
}

// ---- Events ------------------------------------------------------------------------------------

void SheetView::resizeEvent(QResizeEvent *event) {
    QAbstractScrollArea::resizeEvent(event);
    ensureGeometry();
    updateScrollBars();
}

void SheetView::scrollContentsBy(int, int) {
    // The editor is a child widget and cannot follow a partly scrolled-out cell tidily.
    if (m_editor->isOpen())
        commitEdit();
    hideTip();
    viewport()->update();
}

void SheetView::changeEvent(QEvent *event) {
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        onSheetChanged();
}

void SheetView::hideEvent(QHideEvent *event) {
    hideTip();
    if (isResizing())
        endResize(false);
    QAbstractScrollArea::hideEvent(event);
}

void SheetView::focusInEvent(QFocusEvent *event) {
    QAbstractScrollArea::focusInEvent(event);
    viewport()->update();
}

void SheetView::focusOutEvent(QFocusEvent *event) {
    QAbstractScrollArea::focusOutEvent(event);
    viewport()->update();
}

bool SheetView::viewportEvent(QEvent *event) {
    switch (event->type()) {
        case QEvent::ToolTip: {
            auto *help = static_cast<QHelpEvent *>(event);
            QPoint cell = cellAt(help->pos());
            if (!m_textTips || cell.x() < 0) {
                hideTip();
                return true;
            }
            QString tip;
            bool show = false;
            emit TextTipFetch(cell.x(), cell.y(), &tip, &show);
            if (show && !tip.isEmpty()) {
                showTip(help->globalPos(), tip);
                m_tipCell = cell;
            } else {
                hideTip();
            }
            return true;
        }
        case QEvent::Leave:
            hideTip();
            break;
        default:
            break;
    }
    return QAbstractScrollArea::viewportEvent(event);
}

void SheetView::mousePressEvent(QMouseEvent *event) {
    hideTip();
    const QPoint pos = event->position().toPoint();
    const QPoint cell = cellAt(pos);
    if (event->button() == Qt::RightButton) {
        m_rightDouble = false;
        return;
    }
    if (event->button() != Qt::LeftButton)
        return;
    if (m_editor->isOpen()) {
        QPointer<SheetView> self(this);
        commitEdit();  // a receiver of EditMode may close the view
        if (!self)
            return;
    }
    // A strip that takes no focus (the preview's toolbar) leaves it where it is.
    if (!hasFocus() && (focusPolicy() & Qt::ClickFocus))
        setFocus(Qt::MouseFocusReason);
    if (beginResize(pos))
        return;
    if (cell.x() < 0)
        return;
    const int col = cell.x(), row = cell.y();
    const int cols = maxCols(), rows = maxRows();
    const bool shift = event->modifiers() & Qt::ShiftModifier;
    if (col >= 1 && row >= 1) {
        if (shift) {
            selectBlock(m_anchor.x(), m_anchor.y(), col, row);
        } else {
            m_anchor = {col, row};
            selectBlock(col, row, col, row);
        }
        m_activeCol = col;
        m_activeRow = row;
        m_dragSelecting = true;
        const grid::CellStyle &st = m_sheet->style(col, row);
        if (st.kind == grid::CellKind::Button && !st.locked) {
            Span span = spanOf(col, row);
            m_pressedButton = {span.col, span.row};
            m_buttonUnderMouse = true;
            m_dragSelecting = false;
        }
    } else if (col >= 1 && row == 0 && rows >= 1) {
        selectBlock(col, 1, col, rows);  // the whole column
    } else if (col == 0 && row >= 1 && cols >= 1) {
        selectBlock(1, row, cols, row);  // the whole row
    } else if (col == 0 && row == 0 && cols >= 1 && rows >= 1) {
        selectBlock(1, 1, cols, rows);
    }
    emit Click(col, row);
}

void SheetView::mouseMoveEvent(QMouseEvent *event) {
    const QPoint pos = event->position().toPoint();
    if (m_tipCell.x() >= 0 && cellAt(pos) != m_tipCell)
        hideTip();
    if (isResizing()) {
        dragResize(pos);
        return;
    }
    if (!(event->buttons() & Qt::LeftButton)) {
        updateResizeCursor(pos);
        return;
    }
    if (m_pressedButton.x() >= 0) {
        QPoint cell = cellAt(pos);
        bool over = false;
        if (cell.x() >= 1 && cell.y() >= 1) {
            Span span = spanOf(cell.x(), cell.y());
            over = QPoint(span.col, span.row) == m_pressedButton;
        }
        if (over != m_buttonUnderMouse) {
            m_buttonUnderMouse = over;
            viewport()->update();
        }
        return;
    }
    if (m_dragSelecting) {
        ensureGeometry();
        // Dragging past the edge keeps the nearest cell, so a block can reach the last row
        // in view.
        QRect area = dataArea();
        QPoint clamped(std::clamp(pos.x(), area.left(), std::max(area.left(), area.right())),
                       std::clamp(pos.y(), area.top(), std::max(area.top(), area.bottom())));
        QPoint cell = cellAt(clamped);
        if (cell.x() >= 1 && cell.y() >= 1) {
            m_activeCol = cell.x();
            m_activeRow = cell.y();
            selectBlock(m_anchor.x(), m_anchor.y(), cell.x(), cell.y());
        }
    }
}

void SheetView::mouseReleaseEvent(QMouseEvent *event) {
    const QPoint pos = event->position().toPoint();
    const QPoint cell = cellAt(pos);
    if (event->button() == Qt::RightButton) {
        int clickType = m_rightDouble ? 2 : 1;
        m_rightDouble = false;
        if (cell.x() >= 0)
            emit RightClick(clickType, cell.x(), cell.y(), pos.x(), pos.y());
        return;
    }
    if (event->button() != Qt::LeftButton)
        return;
    if (isResizing()) {
        dragResize(pos);
        endResize(false);
        updateResizeCursor(pos);
        return;
    }
    m_dragSelecting = false;
    if (m_pressedButton.x() >= 0) {
        const QPoint pressed = m_pressedButton;
        m_pressedButton = {-1, -1};
        m_buttonUnderMouse = false;
        viewport()->update();
        if (cell.x() >= 1 && cell.y() >= 1) {
            Span span = spanOf(cell.x(), cell.y());
            const grid::CellStyle &st = m_sheet->style(span.col, span.row);
            // The cell may have been locked between press and release (a window disabling
            // the button it is acting on): a locked button does nothing.
            if (QPoint(span.col, span.row) == pressed && st.kind == grid::CellKind::Button &&
                !st.locked)
                emit ButtonClicked(span.col, span.row);
        }
    }
}

void SheetView::mouseDoubleClickEvent(QMouseEvent *event) {
    const QPoint pos = event->position().toPoint();
    const QPoint cell = cellAt(pos);
    if (event->button() == Qt::RightButton) {
        m_rightDouble = true;
        return;
    }
    if (event->button() != Qt::LeftButton)
        return;
    // A double click on a column's border fits the column; on the label row's border it is
    // no click on a cell either.
    if (onLabelRowBorder(pos))
        return;
    if (const int border = columnBorderAt(pos); border > 0) {
        fitColumn(border);
        return;
    }
    if (cell.x() < 0)
        return;
    const int col = cell.x(), row = cell.y();
    if (col >= 1 && row >= 1 && m_sheet->style(col, row).kind == grid::CellKind::Button) {
        // A quick second click on a button is a second click, not a double click.
        mousePressEvent(event);
        return;
    }
    QPointer<SheetView> self(this);
    emit DblClick(col, row);  // a receiver may close the view
    if (self && col >= 1 && row >= 1)
        editCell(col, row);
}

void SheetView::keyPressEvent(QKeyEvent *event) {
    if (isResizing()) {
        // Escape puts the size back; other keys wait until the drag ends.
        if (event->key() == Qt::Key_Escape) {
            endResize(true);
            updateResizeCursor(viewport()->mapFromGlobal(QCursor::pos()));
        }
        return;
    }
    const bool shift = event->modifiers() & Qt::ShiftModifier;
    switch (event->key()) {
        case Qt::Key_Left:
            moveActive(-1, 0, shift);
            return;
        case Qt::Key_Right:
            moveActive(1, 0, shift);
            return;
        case Qt::Key_Up:
            moveActive(0, -1, shift);
            return;
        case Qt::Key_Down:
            moveActive(0, 1, shift);
            return;
        case Qt::Key_PageUp:
        case Qt::Key_PageDown: {
            ensureGeometry();
            int step = std::max(1, dataArea().height() / std::max(1, m_rows.size(m_activeRow)));
            moveActive(0, event->key() == Qt::Key_PageUp ? -step : step, shift);
            return;
        }
        case Qt::Key_F2:
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (editCell(m_activeCol, m_activeRow))
                return;
            break;
        default: {
            const QString typed = event->text();
            if (!typed.isEmpty() && typed.at(0).isPrint() &&
                !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) &&
                editCell(m_activeCol, m_activeRow)) {
                // Typing into a cell replaces its text, as in any spreadsheet.
                m_editor->lineEdit()->setText(typed);
                return;
            }
            break;
        }
    }
    QAbstractScrollArea::keyPressEvent(event);
}

}  // namespace tessel::widgets
