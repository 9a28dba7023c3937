#include "widgets/SheetView.h"

#include <QApplication>
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
#include "print/CellLayout.h"
#include "print/PrintFonts.h"

namespace tessel::widgets {

namespace {

constexpr double kPixelsPerWidthUnit = 7.0;
constexpr double kPixelsPerPoint = 96.0 / 72.0;
constexpr int kCellPadding = 2;
const QColor kHeaderBackground{236, 236, 236};
const QColor kHeaderLine{160, 160, 160};
const QColor kSelectionTint{51, 153, 255, 60};

Qt::Alignment qtAlignment(print::TextAlign align) {
    switch (align) {
        case print::TextAlign::Center:
            return Qt::AlignHCenter;
        case print::TextAlign::Right:
            return Qt::AlignRight;
        case print::TextAlign::Left:
            break;
    }
    return Qt::AlignLeft;
}

std::uint64_t spanKey(int col, int row) {
    return (std::uint64_t(std::uint32_t(col)) << 32) | std::uint32_t(row);
}

}  // namespace

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

    m_editor = new QLineEdit(viewport());
    m_editor->setFrame(false);
    m_editor->hide();
    m_editor->installEventFilter(this);
    connect(m_editor, &QLineEdit::editingFinished, this, [this] { commitEdit(); });

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
    if (m_editing) {
        // The edit belongs to the old sheet: drop it rather than write into the new one.
        int col = m_editCol, row = m_editRow;
        m_editing = false;
        m_editor->hide();
        emit EditMode(col, row, 0, false);
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

// ---- Geometry --------------------------------------------------------------------------------

void SheetView::ensureGeometry() const {
    if (m_geometryDirty)
        const_cast<SheetView *>(this)->rebuildGeometry();
}

void SheetView::rebuildGeometry() {
    m_geometryDirty = false;
    const grid::Sheet &s = *m_sheet;
    m_cols.reset(s.maxCols(), widthToPixels(grid::kDefaultColWidth));
    for (int c = 1; c <= s.maxCols(); ++c)
        m_cols.add(c, widthToPixels(s.colWidth(c)));
    m_rows.reset(s.maxRows(), heightToPixels(grid::kDefaultRowHeight));
    const auto &heights = s.rowHeightOverrides();
    for (auto it = heights.lower_bound(1); it != heights.end() && it->first <= s.maxRows(); ++it)
        m_rows.add(it->first, heightToPixels(it->second));

    m_headerHeight = s.colHeadersVisible() ? heightToPixels(s.rowHeight(0)) : 0;
    m_headerWidth = 0;
    if (s.rowHeadersVisible()) {
        int set = widthToPixels(s.colWidth(0));
        // Row numbers must stay readable whatever width the header column was given, unless
        // it was hidden on purpose.
        if (set > 0) {
            QFontMetrics fm(print::cellFont(s.defaultStyle().font));
            set = std::max(set,
                           fm.horizontalAdvance(QString::number(s.maxRows())) + 4 * kCellPadding);
        }
        m_headerWidth = set;
    }
    updateScrollBars();
}

void SheetView::updateScrollBars() {
    QRect area = dataArea();
    std::int64_t w = m_cols.total(), h = m_rows.total();
    auto clampInt = [](std::int64_t v) {
        return int(std::clamp<std::int64_t>(v, 0, std::numeric_limits<int>::max()));
    };
    horizontalScrollBar()->setRange(0, clampInt(w - area.width()));
    horizontalScrollBar()->setPageStep(std::max(1, area.width()));
    horizontalScrollBar()->setSingleStep(widthToPixels(grid::kDefaultColWidth) / 2);
    verticalScrollBar()->setRange(0, clampInt(h - area.height()));
    verticalScrollBar()->setPageStep(std::max(1, area.height()));
    verticalScrollBar()->setSingleStep(heightToPixels(grid::kDefaultRowHeight));
}

int SheetView::headerWidth() const {
    ensureGeometry();
    return m_headerWidth;
}

int SheetView::headerHeight() const {
    ensureGeometry();
    return m_headerHeight;
}

QRect SheetView::dataArea() const {
    QRect r = viewport()->rect();
    r.setLeft(m_headerWidth);
    r.setTop(m_headerHeight);
    return r;
}

int SheetView::contentX(int col) const {
    return int(m_headerWidth + m_cols.offset(col) - horizontalScrollBar()->value());
}

int SheetView::contentY(int row) const {
    return int(m_headerHeight + m_rows.offset(row) - verticalScrollBar()->value());
}

QPoint SheetView::cellAt(const QPoint &pos) const {
    ensureGeometry();
    const QRect vp = viewport()->rect();
    if (!vp.contains(pos))
        return {-1, -1};
    int col = -1, row = -1;
    if (pos.x() < m_headerWidth) {
        col = 0;
    } else {
        col = m_cols.indexAt(pos.x() - m_headerWidth + horizontalScrollBar()->value());
        if (col < 1 || col > m_cols.count())
            return {-1, -1};
    }
    if (pos.y() < m_headerHeight) {
        row = 0;
    } else {
        row = m_rows.indexAt(pos.y() - m_headerHeight + verticalScrollBar()->value());
        if (row < 1 || row > m_rows.count())
            return {-1, -1};
    }
    return {col, row};
}

QRect SheetView::cellRect(int col, int row) const {
    ensureGeometry();
    if (col < 0 || row < 0 || col > m_cols.count() || row > m_rows.count())
        return {};
    int x = col == 0 ? 0 : contentX(col);
    int w = col == 0 ? m_headerWidth : m_cols.size(col);
    int y = row == 0 ? 0 : contentY(row);
    int h = row == 0 ? m_headerHeight : m_rows.size(row);
    return {x, y, w, h};
}

QRect SheetView::spanRect(const Span &span) const {
    QRect a = cellRect(span.col, span.row);
    QRect b = cellRect(span.col2, span.row2);
    return {a.left(), a.top(), b.x() + b.width() - a.x(), b.y() + b.height() - a.y()};
}

void SheetView::scrollTo(int col, int row) {
    ensureGeometry();
    const QRect area = dataArea();
    if (col >= 1 && col <= m_cols.count()) {
        const int value = horizontalScrollBar()->value();
        const auto wanted = m_cols.scrollToShow(col, value, area.width());
        if (wanted != value)
            horizontalScrollBar()->setValue(int(wanted));
    }
    if (row >= 1 && row <= m_rows.count()) {
        const int value = verticalScrollBar()->value();
        const auto wanted = m_rows.scrollToShow(row, value, area.height());
        if (wanted != value)
            verticalScrollBar()->setValue(int(wanted));
    }
}

int SheetView::topRow() const {
    ensureGeometry();
    return std::min(m_rows.indexAt(verticalScrollBar()->value()), m_rows.count());
}

int SheetView::leftCol() const {
    ensureGeometry();
    return std::min(m_cols.indexAt(horizontalScrollBar()->value()), m_cols.count());
}

QSize SheetView::contentSize() const {
    ensureGeometry();
    auto clampInt = [](std::int64_t v) {
        return int(std::min<std::int64_t>(v, std::numeric_limits<int>::max() / 2));
    };
    return {clampInt(m_headerWidth + m_cols.total()), clampInt(m_headerHeight + m_rows.total())};
}

QSize SheetView::sizeHint() const {
    QSize content = contentSize();
    int frame = 2 * frameWidth();
    return {std::min(content.width(), 800) + frame, std::min(content.height(), 600) + frame};
}

QSize SheetView::minimumSizeHint() const {
    int frame = 2 * frameWidth();
    return {std::min(contentSize().width(), 40) + frame,
            std::min(contentSize().height(), 20) + frame};
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
    if (m_editing)
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

bool SheetView::editCell(int col, int row) {
    if (!isEditable(col, row))
        return false;
    if (m_editing)
        commitEdit();
    scrollTo(col, row);
    m_activeCol = col;
    m_activeRow = row;
    m_editCol = col;
    m_editRow = row;
    m_editOriginal = m_sheet->text(col, row);
    const grid::CellStyle &st = m_sheet->style(col, row);
    m_editor->setFont(print::cellFont(st.font));
    m_editor->setText(m_editOriginal);
    m_editor->selectAll();
    QRect r = spanRect(spanOf(col, row)).intersected(dataArea());
    m_editor->setGeometry(r.adjusted(1, 1, -1, -1));
    m_editing = true;
    m_editor->show();
    m_editor->setFocus(Qt::OtherFocusReason);
    emit EditMode(col, row, 1, false);
    return true;
}

void SheetView::commitEdit() {
    if (!m_editing)
        return;
    // Cleared first: hiding the editor moves the focus, which finishes the edit again.
    m_editing = false;
    const int col = m_editCol, row = m_editRow;
    const QString text = m_editor->text();
    const bool changed = text != m_editOriginal;
    bool hadFocus = m_editor->hasFocus();
    m_editor->hide();
    if (hadFocus)
        setFocus(Qt::OtherFocusReason);
    if (changed)
        m_sheet->setText(col, row, text);
    viewport()->update();
    emit EditMode(col, row, 0, changed);
}

void SheetView::cancelEdit() {
    if (!m_editing)
        return;
    m_editing = false;
    bool hadFocus = m_editor->hasFocus();
    m_editor->hide();
    if (hadFocus)
        setFocus(Qt::OtherFocusReason);
    viewport()->update();
    emit EditMode(m_editCol, m_editRow, 0, false);
}

bool SheetView::eventFilter(QObject *watched, QEvent *event) {
    if (watched == m_editor && event->type() == QEvent::KeyPress && m_editing) {
        auto *key = static_cast<QKeyEvent *>(event);
        switch (key->key()) {
            case Qt::Key_Escape:
                cancelEdit();
                return true;
            case Qt::Key_Tab:
            case Qt::Key_Backtab: {
                const int dx = key->key() == Qt::Key_Tab ? 1 : -1;
                QPointer<SheetView> self(this);
                commitEdit();  // a receiver of EditMode may close the view
                if (self)
                    moveActive(dx, 0, false);
                return true;
            }
            case Qt::Key_Return:
            case Qt::Key_Enter:
            case Qt::Key_Up:
            case Qt::Key_Down: {
                const int dy = key->key() == Qt::Key_Up ? -1 : 1;
                QPointer<SheetView> self(this);
                commitEdit();  // a receiver of EditMode may close the view
                if (self)
                    moveActive(0, dy, false);
                return true;
            }
            default:
                break;
        }
    }
    return QAbstractScrollArea::eventFilter(watched, event);
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
    if (m_editing)
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
    if (m_editing) {
        QPointer<SheetView> self(this);
        commitEdit();  // a receiver of EditMode may close the view
        if (!self)
            return;
    }
    // A strip that takes no focus (the preview's toolbar) leaves it where it is.
    if (!hasFocus() && (focusPolicy() & Qt::ClickFocus))
        setFocus(Qt::MouseFocusReason);
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
    if (!(event->buttons() & Qt::LeftButton))
        return;
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
    if (event->button() != Qt::LeftButton || cell.x() < 0)
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
                m_editor->setText(typed);
                return;
            }
            break;
        }
    }
    QAbstractScrollArea::keyPressEvent(event);
}

// ---- Painting ----------------------------------------------------------------------------------

void SheetView::paintEvent(QPaintEvent *) {
    ensureGeometry();
    QPainter out(viewport());
    const qreal dpr = viewport()->devicePixelRatioF();
    const QSize pixelSize = viewport()->size() * dpr;
    // While the sheet's redraw is suspended the view keeps showing its last picture, so a
    // caller's many small changes never appear half done.
    if (!m_sheet->redraw() && m_frame.size() == pixelSize) {
        out.drawImage(0, 0, m_frame);
        return;
    }
    if (m_frame.size() != pixelSize)
        m_frame = QImage(pixelSize, QImage::Format_ARGB32_Premultiplied);
    m_frame.setDevicePixelRatio(dpr);
    {
        QPainter p(&m_frame);
        paintFrame(p);
    }
    out.drawImage(0, 0, m_frame);
}

void SheetView::paintFrame(QPainter &p) {
    const QRect vp = viewport()->rect();
    p.fillRect(vp, palette().color(QPalette::Base));
    const QRect area = dataArea();
    const int xScroll = horizontalScrollBar()->value();
    const int yScroll = verticalScrollBar()->value();

    int firstCol = std::max(1, m_cols.indexAt(xScroll));
    int lastCol = std::min(m_cols.count(), m_cols.indexAt(xScroll + std::max(0, area.width() - 1)));
    int firstRow = std::max(1, m_rows.indexAt(yScroll));
    int lastRow =
        std::min(m_rows.count(), m_rows.indexAt(yScroll + std::max(0, area.height() - 1)));

    if (area.width() > 0 && area.height() > 0 && firstCol <= lastCol && firstRow <= lastRow) {
        p.save();
        p.setClipRect(area);
        // A merged block is drawn once, from the first of its cells met in view; the rest
        // of its cells are skipped.
        std::unordered_set<std::uint64_t> drawn;
        // The last run found down each column: the rows below it in view belong to it
        // without walking the run again (a merged column may hold one run of a million rows).
        std::vector<Span> columnRun(std::size_t(lastCol - firstCol + 1), Span{0, 0, 0, 0});
        for (int row = firstRow; row <= lastRow; ++row) {
            if (m_rows.size(row) == 0)
                continue;
            for (int col = firstCol; col <= lastCol; ++col) {
                if (m_cols.size(col) == 0)
                    continue;
                Span &run = columnRun[std::size_t(col - firstCol)];
                if (run.col == col && run.col2 == col && row > run.row && row <= run.row2)
                    continue;  // drawn with the run's first cell in view
                Span span = spanOf(col, row);
                if (span.col == col && span.col2 == col && span.row2 > span.row)
                    run = span;
                if (!span.single() && !drawn.insert(spanKey(span.col, span.row)).second)
                    continue;
                paintCell(p, span, spanRect(span));
            }
        }
        p.restore();
    }
    paintHeaders(p, firstCol, lastCol, firstRow, lastRow);
}

void SheetView::paintCell(QPainter &p, const Span &span, const QRect &rect) {
    const grid::CellStyle &st = m_sheet->style(span.col, span.row);
    // A data cell shows as its column's format shows it.
    const grid::CellDisplay shown =
        grid::cellDisplay(m_sheet->text(span.col, span.row),
                          span.row >= 1 ? m_sheet->colFormat(span.col) : grid::ColumnFormat{},
                          grid::numberSeparators());
    const QString &caption = shown.text;
    p.fillRect(rect, st.background.isValid() ? st.background : palette().color(QPalette::Base));

    if (st.kind == grid::CellKind::Button) {
        QStyleOptionButton opt;
        opt.initFrom(viewport());
        opt.rect = rect.adjusted(0, 0, -1, -1);
        opt.state = QStyle::State_Enabled;
        const bool down = m_pressedButton == QPoint(span.col, span.row) && m_buttonUnderMouse;
        opt.state |= down ? QStyle::State_Sunken : QStyle::State_Raised;
        if (st.background.isValid())
            opt.palette.setColor(QPalette::Button, st.background);
        style()->drawControl(QStyle::CE_PushButtonBevel, &opt, &p, viewport());
        QRect inner = rect.adjusted(2, 1, -2, -1);
        if (down)
            inner.translate(1, 1);
        paintContent(p, inner, st, caption, shown.number);
    } else {
        if (isSelected(span))
            p.fillRect(rect, kSelectionTint);
        paintContent(p, rect.adjusted(kCellPadding, 0, -kCellPadding, 0), st, caption,
                     shown.number);
    }

    if (m_gridLines) {
        p.setPen(m_gridColor);
        p.drawLine(rect.topRight(), rect.bottomRight());
        p.drawLine(rect.bottomLeft(), rect.bottomRight());
    }
    if (st.border) {
        p.setPen(st.borderColor.isValid() ? st.borderColor : QColor(128, 128, 128));
        p.setBrush(Qt::NoBrush);
        p.drawRect(rect.adjusted(0, 0, -1, -1));
    }
    const bool active = span.col <= m_activeCol && m_activeCol <= span.col2 &&
                        span.row <= m_activeRow && m_activeRow <= span.row2;
    if (active && hasFocus() && st.kind != grid::CellKind::Button) {
        p.setPen(QPen(palette().color(QPalette::Text), 2));
        p.setBrush(Qt::NoBrush);
        p.drawRect(rect.adjusted(1, 1, -1, -1));
    }
}

// Text, or a picture with its caption, laid out in `rect` as the cell's kind and
// placement ask.
void SheetView::paintContent(QPainter &p, const QRect &rect, const grid::CellStyle &st,
                             const QString &caption, bool number) {
    if (rect.width() <= 0 || rect.height() <= 0)
        return;
    p.save();
    p.setClipRect(rect, Qt::IntersectClip);
    const QFont font = print::cellFont(st.font);
    p.setFont(font);
    p.setPen(st.foreground.isValid() ? st.foreground : QColor(Qt::black));

    const bool withPicture =
        st.kind == grid::CellKind::Button || st.kind == grid::CellKind::Picture;
    const QPixmap pm =
        withPicture && !st.pictureKey.isEmpty() ? m_sheet->picture(st.pictureKey) : QPixmap();
    if (!withPicture || pm.isNull()) {
        const Qt::Alignment h = qtAlignment(print::cellTextAlign(st, caption, false, number));
        if (!(withPicture && st.pictureAlign == grid::PictureAlign::PictureOnly)) {
            // A number too wide for its cell is rounded or shown as "#" marks, as on paper,
            // rather than cut to digits that read as another number.
            const QFontMetricsF metrics(font, p.device());
            const QString shown = print::fittedCellText(
                caption, number, rect.width(),
                [&](const QString &t) { return metrics.horizontalAdvance(t); });
            p.drawText(rect, int(h | Qt::AlignVCenter) | Qt::TextSingleLine, shown);
        }
        p.restore();
        return;
    }

    const QSizeF pmSize = pm.deviceIndependentSize();
    const int pmW = qRound(pmSize.width()), pmH = qRound(pmSize.height());
    const bool showCaption =
        st.pictureAlign != grid::PictureAlign::PictureOnly && !caption.isEmpty();
    const int textW = showCaption ? QFontMetrics(font).horizontalAdvance(caption) : 0;
    const int gap = showCaption ? 3 : 0;
    const int total = pmW + gap + textW;
    int x = rect.left() + std::max(0, (rect.width() - total) / 2);
    const int pmY = rect.top() + (rect.height() - pmH) / 2;
    auto drawCaption = [&](int left) {
        p.drawText(QRect(left, rect.top(), textW + 1, rect.height()),
                   Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, caption);
    };
    if (st.pictureAlign == grid::PictureAlign::CaptionLeftPictureRight) {
        if (showCaption)
            drawCaption(x);
        p.drawPixmap(QPoint(x + textW + gap, pmY), pm);
    } else {
        p.drawPixmap(QPoint(x, pmY), pm);
        if (showCaption)
            drawCaption(x + pmW + gap);
    }
    p.restore();
}

void SheetView::paintHeaders(QPainter &p, int firstCol, int lastCol, int firstRow, int lastRow) {
    const QRect area = dataArea();
    const grid::Sheet &s = *m_sheet;
    auto headerCell = [&](const QRect &rect, const QString &text, const grid::CellStyle &st) {
        p.fillRect(rect, st.background.isValid() ? st.background : kHeaderBackground);
        p.setPen(kHeaderLine);
        p.drawLine(rect.topRight(), rect.bottomRight());
        p.drawLine(rect.bottomLeft(), rect.bottomRight());
        p.setFont(print::cellFont(st.font));
        p.setPen(st.foreground.isValid() ? st.foreground : QColor(Qt::black));
        const Qt::Alignment h = qtAlignment(print::cellTextAlign(st, text, true, false));
        p.drawText(rect.adjusted(kCellPadding, 0, -kCellPadding, 0),
                   int(h | Qt::AlignVCenter) | Qt::TextSingleLine, text);
    };

    if (m_headerHeight > 0 && firstCol <= lastCol) {
        p.save();
        p.setClipRect(QRect(area.left(), 0, area.width(), m_headerHeight));
        for (int col = firstCol; col <= lastCol; ++col) {
            if (m_cols.size(col) == 0)
                continue;
            Span span = spanOf(col, 0);
            if (span.col < col && span.col >= firstCol)
                continue;  // drawn with the first cell of its merge
            QRect rect = spanRect(span);
            headerCell(rect, print::columnLabel(s, span.col), s.style(span.col, 0));
            col = std::max(col, span.col2);
        }
        p.restore();
    }
    if (m_headerWidth > 0 && firstRow <= lastRow) {
        p.save();
        p.setClipRect(QRect(0, area.top(), m_headerWidth, area.height()));
        for (int row = firstRow; row <= lastRow; ++row) {
            if (m_rows.size(row) == 0)
                continue;
            headerCell(cellRect(0, row), print::rowLabel(s, row), s.style(0, row));
        }
        p.restore();
    }
    if (m_headerWidth > 0 && m_headerHeight > 0)
        headerCell(QRect(0, 0, m_headerWidth, m_headerHeight), s.text(0, 0), s.style(0, 0));
}

}  // namespace tessel::widgets
