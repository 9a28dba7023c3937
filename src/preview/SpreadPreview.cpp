#include "preview/SpreadPreview.h"

#include <QAction>
#include <QApplication>

#include <tessel/Error.h>

#include <QEvent>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QMenu>
#include <QPalette>
#include <QScreen>
#include <QShortcut>
#include <QToolButton>
#include <algorithm>
#include <cmath>
#include <map>

#include "base/ErrorMessage.h"
#include "base/Interaction.h"
#include "base/Language.h"
#include "base/MessageTitles.h"
#include "export/ExportCommand.h"
#include "pagesetup/PageSetup.h"
#include "preview/FindBar.h"
#include "preview/Paging.h"
#include "print/PrintFonts.h"
#include "print/Printing.h"
#include "print/codes/HeaderFooterCodes.h"
#include "widgets/PageThumbnails.h"
#include "widgets/PageView.h"
#include "widgets/SheetView.h"
#include "widgets/ToolbarImages.h"
#include "widgets/Zooms.h"

namespace tessel::preview {

namespace {

using grid::CellKind;
using grid::PictureAlign;

const QColor kStripBackground(185, 206, 247);
const QColor kTipBackground(255, 255, 192);
const QColor kDisabledCaption(128, 128, 128);
constexpr double kStripRowHeight = 18;  // points
constexpr double kSpacerWidth = 0.3;    // character units
constexpr double kCounterWidth = 15;

grid::CellFont stripFont() {
    grid::CellFont font;
    font.name = QStringLiteral("MS Sans Serif");
    font.size = 8;
    return font;
}

// The width a button cell needs for its picture and caption side by side, in character
// units: the caption in the strip's font, the picture, the gap between them and the cell's
// inner margins, as the sheet view lays a button out. A translated caption may need more
// than the width the strip gives its buttons by default.
double buttonWidthFor(const QString &caption) {
    constexpr int kPictureGapAndMargins = 3 + 4;  // pixels: the gap, the button's inner margins
    const QFontMetrics metrics(print::cellFont(stripFont()));
    const int pixels =
        metrics.horizontalAdvance(caption) + widgets::kToolbarImageSize + kPictureGapAndMargins;
    // Whole units from the default up, so a caption that fits keeps the default width.
    const double units = pixels / double(widgets::SheetView::widthToPixels(1));
    return units <= grid::kDefaultColWidth ? grid::kDefaultColWidth : std::ceil(units);
}

struct ToolbarButton {
    int col;
    const char *caption;
    const char *imageKey;
    PictureAlign align;
};

// In the order the strip is built.
constexpr ToolbarButton kButtons[] = {
    {kColNext, QT_TRANSLATE_NOOP("tessel::base", "下一页"), "right",
     PictureAlign::CaptionLeftPictureRight},
    {kColPrevious, QT_TRANSLATE_NOOP("tessel::base", "前一页"), "left",
     PictureAlign::PictureLeftCaptionRight},
    {kColZoom, QT_TRANSLATE_NOOP("tessel::base", "缩放"), "zoom",
     PictureAlign::PictureLeftCaptionRight},
    {kColPrint, QT_TRANSLATE_NOOP("tessel::base", "打印"), "print",
     PictureAlign::PictureLeftCaptionRight},
    {kColSetup, QT_TRANSLATE_NOOP("tessel::base", "设置"), "setup",
     PictureAlign::PictureLeftCaptionRight},
    // The list holds no picture of the export's own.
    {kColExport, QT_TRANSLATE_NOOP("tessel::base", "导出xls"), "setup",
     PictureAlign::PictureLeftCaptionRight},
    {kColClose, QT_TRANSLATE_NOOP("tessel::base", "关闭"), "close",
     PictureAlign::PictureLeftCaptionRight},
};

// The buttons a report without a data row disables: there is nothing to print or export.
constexpr int kDataButtons[] = {kColPrint, kColExport};

// The key of the picture button `col` shows when enabled.
QString imageKeyOf(int col) {
    for (const ToolbarButton &b : kButtons) {
        if (b.col == col)
            return QString::fromLatin1(b.imageKey);
    }
    return {};
}

const QString kLeft = QStringLiteral("left");
const QString kRight = QStringLiteral("right");

void showFailure(QWidget *parent, const QString &whatFailed, const std::exception &e) {
    base::showWarning(parent, base::errorMessage(whatFailed, e), base::warningTitle());
}

}  // namespace

SpreadPreview::SpreadPreview(report::ReportSession &session, QWidget *parent)
    : QWidget(parent, Qt::Window), m_session(session) {
    setObjectName(QStringLiteral("spreadpreview"));
    setWindowTitle(tessel::base::tr("打印预览"));
    setAttribute(Qt::WA_DeleteOnClose);

    m_strip = new widgets::SheetView(this);
    m_strip->setObjectName(QStringLiteral("fpSpread1"));
    // The strip is a row of buttons: it takes no keyboard focus, so a click on it leaves the
    // page view with the focus and never starts a cell edit.
    m_strip->setFocusPolicy(Qt::NoFocus);
    // Direct connections: the tip handler answers through the pointers it is given.
    connect(m_strip, &widgets::SheetView::ButtonClicked, this, &SpreadPreview::onButtonClicked,
            Qt::DirectConnection);
    connect(m_strip, &widgets::SheetView::TextTipFetch, this, &SpreadPreview::onTextTipFetch,
            Qt::DirectConnection);

    // Beside the strip: the commands a narrow window cuts off the strip.
    m_more = new QToolButton(this);
    m_more->setObjectName(QStringLiteral("cmdMore"));
    m_more->setText(QStringLiteral("»"));
    m_more->setToolTip(tessel::base::tr("更多命令"));
    m_more->setAutoRaise(true);
    m_more->setPopupMode(QToolButton::InstantPopup);
    m_moreMenu = new QMenu(m_more);
    m_more->setMenu(m_moreMenu);
    connect(m_moreMenu, &QMenu::aboutToShow, this, &SpreadPreview::fillMoreMenu);
    m_more->hide();

    m_pageView = new widgets::PageView(this);
    m_pageView->setObjectName(QStringLiteral("fpSpreadPreview1"));
    m_pageView->setFocusPolicy(Qt::StrongFocus);
    // Whatever moves the page (keys, wheel, the thumbnails, the page buttons), the page
    // buttons and the counter follow.
    connect(m_pageView, &widgets::PageView::pageCurrentChanged, this,
            &SpreadPreview::onPageCurrentChanged);
    // A change of the sheet (a run that failed and left it empty, a page setup) changes the
    // pages: the counter, the page buttons and what can be printed follow, once per turn of
    // the event loop however many changes came.
    connect(m_pageView, &widgets::PageView::pagesChanged, this, [this] {
        if (m_refreshQueued || !m_loaded)
            return;
        m_refreshQueued = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
                m_refreshQueued = false;
                updatePageButtons();
                UpdatePageCount();
            },
            Qt::QueuedConnection);
    });
    connect(m_pageView, &widgets::PageView::zoomStepRequested, this,
            [this](int steps) { widgets::stepZoomPreset(*m_pageView, steps); });

    m_thumbnails = new widgets::PageThumbnails(m_pageView, this);
    m_thumbnails->setObjectName(QStringLiteral("thumbnails"));
    m_thumbnails->hide();
    setUpContextMenu();

    // Find: a bar under the strip, hidden until asked for.
    m_findBar = new FindBar(
        m_pageView, [this](int page) { showPage(page); }, this);
    connect(m_findBar, &FindBar::visibilityChanged, this, &SpreadPreview::layOutControls);
    new QShortcut(QKeySequence::Find, this, this, &SpreadPreview::openFind);
    // F3 on a closed bar opens it, which shows the first match from the current page again.
    new QShortcut(QKeySequence(Qt::Key_F3), this, this, [this] {
        if (m_findBar->isHidden())
            openFind();
        else
            m_findBar->findNext();
    });
    new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F3), this, this, [this] {
        if (m_findBar->isHidden())
            openFind();
        else
            m_findBar->findPrevious();
    });

    QSize size(960, 720);
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        const QSize avail = screen->availableSize();
        size = size.boundedTo(avail * 9 / 10).expandedTo(QSize(480, 320));
    }
    resize(size);
}

SpreadPreview::~SpreadPreview() = default;

void SpreadPreview::setVaGridtemp(grid::Sheet *sheet) {
    m_sheet = sheet;
}

void SpreadPreview::showSheet(grid::Sheet *sheet) {
    m_sheet = sheet;
    if (m_loaded) {
        // The sheet holds another run's report now: its pages are shown from the first, and
        // the page buttons follow the new page count.
        m_pageView->setSheet(sheet);
    }
    show();
    raise();
    activateWindow();
    onActivated();
}

// ---- Toolbar strip --------------------------------------------------------------------------

void SpreadPreview::SetupToolbar() {
    grid::Sheet &s = *m_strip->sheet();
    s.setRedraw(false);

    // Every cell locked: nothing on the strip takes typing.
    grid::CellStyle base = s.defaultStyle();
    base.locked = true;
    s.setDefaultStyle(base);

    s.setMaxRows(1);
    s.setMaxCols(kToolbarCols);
    s.setRowHeight(1, kStripRowHeight);
    for (int c = 1; c <= kToolbarCols; c += 2)
        s.setColWidth(c, kSpacerWidth);
    s.setColWidth(kColCounter, kCounterWidth);

    s.setColHeadersVisible(false);
    s.setRowHeadersVisible(false);
    m_strip->setScrollBarsVisible(false);
    m_strip->setBorderVisible(false);
    m_strip->setGridLinesVisible(false);
    // The strip is wider than its 21 columns: the rest of it takes the row's colour, so the
    // strip reads as one bar across the window.
    QPalette stripPalette = m_strip->palette();
    stripPalette.setColor(QPalette::Base, kStripBackground);
    m_strip->setPalette(stripPalette);

    s.setCurrentBlock({1, 1, kToolbarCols, 1});
    s.setForeground(Qt::black);
    s.setBackground(kStripBackground);
    s.setFont(stripFont());

    // Beside the list's own pictures, greyed ones for print and export, which a report
    // without data disables.
    std::map<QString, QPixmap> pictures = widgets::toolbarPictureMap();
    for (const int col : kDataButtons)
        pictures[imageKeyOf(col) + QLatin1String("dis")] =
            widgets::greyedImage(pictures[imageKeyOf(col)]);
    s.setPictureList(pictures);
    for (const ToolbarButton &b : kButtons) {
        s.setCurrent(b.col, 1);
        s.setCellKind(CellKind::Button);
        s.setLocked(false);
        const QString caption = tessel::base::tr(b.caption);
        s.setText(b.col, 1, caption);
        s.setPicture(QString::fromLatin1(b.imageKey), b.align);
        s.setColWidth(b.col, std::max(s.colWidth(b.col), buttonWidthFor(caption)));
    }

    const grid::CellFont f = stripFont();
    QFont tipFont(f.name);
    tipFont.setPointSizeF(f.size);
    tipFont.setBold(false);
    tipFont.setItalic(false);
    m_strip->setTextTips(true);
    m_strip->setTextTipStyle(tipFont, kTipBackground, Qt::black);

    s.setRedraw(true);
    layOutControls();
}

void SpreadPreview::setButtonState(int col, const QString &bitmapdirection, bool enabled) {
    grid::Sheet &s = *m_strip->sheet();
    s.setRedraw(false);
    s.setCurrent(col, 1);
    s.setLocked(!enabled);
    s.setForeground(enabled ? QColor(Qt::black) : kDisabledCaption);
    s.setPicture(enabled ? bitmapdirection : bitmapdirection + QStringLiteral("dis"),
                 s.style(col, 1).pictureAlign);
    s.setRedraw(true);
}

void SpreadPreview::DisableButton(int col, const QString &bitmapdirection) {
    setButtonState(col, bitmapdirection, false);
}

void SpreadPreview::EnableButton(int col, const QString &bitmapdirection) {
    setButtonState(col, bitmapdirection, true);
}

void SpreadPreview::UpdatePageCount() {
    grid::Sheet &s = *m_strip->sheet();
    s.setCurrent(kColCounter, 1);
    // Without pages no page is shown: page 0 of 0, never page 1 of none.
    const int count = m_pageView->pageCount();
    s.setText(
        kColCounter, 1,
        QStringLiteral("Page %1 of %2").arg(count > 0 ? m_pageView->pageCurrent() : 0).arg(count));
}

bool SpreadPreview::hasData() const {
    return m_sheet && m_sheet->maxRows() > 0;
}

// ---- Load, activation, layout ---------------------------------------------------------------

void SpreadPreview::setUpOnFirstShow() {
    SetupToolbar();
    DisableButton(kColPrevious, kLeft);
    widgets::SetZoom(*m_pageView, widgets::kDefaultZoomPreset);
    bindPageView();
    // The page keys work from the start.
    m_pageView->setFocus();
    if (m_pageView->pageCount() == 1)
        DisableButton(kColNext, kRight);
}

void SpreadPreview::bindPageView() {
    // Binding starts the page view at page 1: rebinding the sheet already shown would throw
    // away the page the user is on each time the window is activated.
    if (m_pageView->sheet() != m_sheet)
        m_pageView->setSheet(m_sheet);
}

void SpreadPreview::updatePageButtons() {
    // Page setup may have changed the page count or the pages per screen; the current page is
    // kept within the pages there are, and the buttons follow the same rules as the paging.
    const int count = m_pageView->pageCount();
    m_pageView->setPageCurrent(std::clamp(m_pageView->pageCurrent(), 1, std::max(1, count)));
    const PageButtons can =
        pageButtons(m_pageView->pageCurrent(), count, m_pageView->pagesPerScreen());
    setButtonState(kColPrevious, kLeft, can.previous);
    setButtonState(kColNext, kRight, can.next);
    // A sheet without a data row (a run that failed) has nothing to print or export.
    const bool data = hasData();
    for (const int col : kDataButtons)
        setButtonState(col, imageKeyOf(col), data);
}

void SpreadPreview::onActivated() {
    bindPageView();
    updatePageButtons();
    UpdatePageCount();
    if (!m_sheet)
        return;

    // Activations come with every return to the window; only a real change breaks the pages
    // anew, and a header or footer of another height can change the page count.
    if (print::substituteSheetVariables(*m_sheet, m_session.tslVar)) {
        updatePageButtons();
        UpdatePageCount();
    }
    m_headerText = m_sheet->print().header;
    m_footerText = m_sheet->print().footer;
}

void SpreadPreview::layOutControls() {
    const int stripHeight = m_strip->sizeHint().height();
    m_strip->setGeometry(0, 0, width(), stripHeight);
    // A window too narrow for the whole strip keeps every command within reach: the
    // buttons cut off at the right are offered in a menu at the strip's right end.
    const bool cut = m_loaded && !hiddenButtons().isEmpty();
    m_more->setVisible(cut);
    if (cut) {
        const int side = stripHeight;  // a square button
        m_more->setGeometry(width() - side, 0, side, stripHeight);
        m_strip->setGeometry(0, 0, width() - side, stripHeight);
    }
    int top = stripHeight;
    if (m_findBar && !m_findBar->isHidden()) {
        const int barHeight = m_findBar->sizeHint().height();
        m_findBar->setGeometry(0, top, width(), barHeight);
        top += barHeight;
    }
    const int paneHeight = std::max(0, height() - top);
    int left = 0;
    if (m_thumbnails->isVisibleTo(this)) {
        left = std::min(width(), m_thumbnails->sizeHint().width());
        m_thumbnails->setGeometry(0, top, left, paneHeight);
    }
    m_pageView->setGeometry(left, top, width() - left, paneHeight);
}

QList<int> SpreadPreview::hiddenButtons() const {
    // Cells are placed from the strip's left edge whatever its width, the buttons left to
    // right: when the last one ends inside the window nothing is cut; otherwise every button
    // that ends past the menu button's left edge is.
    QList<int> cut;
    if (m_strip->cellRect(std::end(kButtons)[-1].col, 1).right() < width())
        return cut;
    const int side = m_strip->sizeHint().height();
    for (const ToolbarButton &b : kButtons) {
        if (m_strip->cellRect(b.col, 1).right() >= width() - side)
            cut << b.col;
    }
    return cut;
}

void SpreadPreview::fillMoreMenu() {
    m_moreMenu->clear();
    const grid::Sheet &s = *m_strip->sheet();
    for (const int col : hiddenButtons()) {
        QAction *action =
            m_moreMenu->addAction(s.text(col, 1), this, [this, col] { onButtonClicked(col, 1); });
        action->setEnabled(!s.style(col, 1).locked);
    }
}

void SpreadPreview::setUpContextMenu() {
    // The page view's context menu lists these actions; their keys work anywhere in the
    // window.
    m_pageView->setContextMenuPolicy(Qt::ActionsContextMenu);
    auto addEntry = [this](const QString &text, QKeySequence key) {
        auto *action = new QAction(text, this);
        action->setShortcut(key);
        addAction(action);
        m_pageView->addAction(action);
        return action;
    };
    connect(addEntry(tessel::base::tr("查找"), {}), &QAction::triggered, this,
            &SpreadPreview::openFind);
    m_thumbnailsAction = addEntry(tessel::base::tr("缩略图"), Qt::Key_F4);
    m_thumbnailsAction->setCheckable(true);
    connect(m_thumbnailsAction, &QAction::toggled, this, &SpreadPreview::setThumbnailsVisible);
    connect(addEntry(tessel::base::tr("页宽"), {}), &QAction::triggered, this,
            [this] { widgets::SetZoom(*m_pageView, widgets::kPageWidthPreset); });
    connect(addEntry(tessel::base::tr("整页"), {}), &QAction::triggered, this,
            [this] { widgets::SetZoom(*m_pageView, widgets::kWholePagePreset); });
}

bool SpreadPreview::thumbnailsVisible() const {
    return m_thumbnails->isVisibleTo(this);
}

void SpreadPreview::setThumbnailsVisible(bool visible) {
    m_thumbnailsAction->setChecked(visible);
    m_thumbnails->setVisible(visible);
    layOutControls();
}

void SpreadPreview::onPageCurrentChanged() {
    // Before the first showing there is no strip to update yet.
    if (!m_loaded)
        return;
    updatePageButtons();
    UpdatePageCount();
}

bool SpreadPreview::event(QEvent *event) {
    if (event->type() == QEvent::WindowActivate && m_loaded)
        onActivated();
    return QWidget::event(event);
}

void SpreadPreview::showEvent(QShowEvent *event) {
    QWidget::showEvent(event);
    if (!m_loaded) {
        m_loaded = true;
        setUpOnFirstShow();
    }
    // The window system may not report activation (an offscreen or unfocused display), so
    // being shown counts as being activated.
    onActivated();
}

void SpreadPreview::resizeEvent(QResizeEvent *event) {
    QWidget::resizeEvent(event);
    layOutControls();
}

// ---- Toolbar actions ------------------------------------------------------------------------

void SpreadPreview::onButtonClicked(int col, int row) {
    grid::Sheet &s = *m_strip->sheet();
    s.setCurrent(col, row);
    const grid::CellStyle &style = s.style(col, row);
    // A disabled (locked) button does nothing, whoever reports the click.
    if (row != 1 || style.kind != CellKind::Button || style.locked)
        return;

    const int current = m_pageView->pageCurrent();
    const int count = m_pageView->pageCount();
    const int perScreen = m_pageView->pagesPerScreen();
    switch (col) {
        case kColNext:
            m_pageView->setPageCurrent(nextPage(current, count, perScreen));
            updatePageButtons();
            UpdatePageCount();
            break;
        case kColPrevious:
            m_pageView->setPageCurrent(previousPage(current, perScreen));
            updatePageButtons();
            UpdatePageCount();
            break;
        case kColZoom:
            m_pageView->zoomToggle();
            break;
        case kColPrint:
            printNow();
            break;
        case kColSetup:
            openPageSetup();
            break;
        case kColExport:
            exportSheet();
            break;
        case kColClose:
            close();
            break;
        default:
            break;
    }
}

void SpreadPreview::onTextTipFetch(int col, int row, QString *tipText, bool *showTip) {
    grid::Sheet &s = *m_strip->sheet();
    s.setCurrent(col, row);
    const grid::CellStyle &style = s.style(col, row);
    const QString text = s.text(col, row);
    if (style.kind == CellKind::Button) {
        if (!style.locked) {
            *tipText = text;
            *showTip = true;
        }
    } else if (style.kind != CellKind::Picture && !text.isEmpty()) {
        *tipText = text;
        *showTip = true;
    }
}

void SpreadPreview::printNow() {
    if (!m_sheet)
        return;
    if (!hasData()) {
        base::showInformation(this, tessel::base::tr("报表中没有数据，没有可打印的内容。"),
                              base::informationTitle());
        return;
    }
    try {
        const std::unique_ptr<base::Progress> progress = base::interaction().progress(this);
        base::ProgressScope shown(*progress);
        base::BusyCursor busy;
        print::printSheet(*m_sheet, m_session.reportName, *progress);
    } catch (const base::Cancelled &) {
        // The user ended the job: nothing was printed, nothing to tell.
    } catch (const std::exception &e) {
        // A print that did not happen is told, never passed over.
        showFailure(this, tessel::base::tr("打印失败"), e);
    }
}

void SpreadPreview::openPageSetup() {
    {
        pagesetup::PageSetup dialog(m_session, m_pageView, this);
        base::interaction().execDialog(&dialog);
    }
    // Back from a modal dialog: the window is active again, whether or not the window system
    // says so.
    activateWindow();
    onActivated();
}

void SpreadPreview::exportSheet() {
    if (!m_sheet)
        return;
    // The texts as this window substituted them, which are the sheet's own since the last
    // activation.
    exports::exportWorkbook(this, *m_sheet, m_headerText, m_footerText, m_session.lastExportName,
                            m_session.reportName);
}

// ---- Find ------------------------------------------------------------------------------------

void SpreadPreview::openFind() {
    m_findBar->open();
}

void SpreadPreview::fillPageViewMenu(QMenu &menu) {
    menu.addActions(m_pageView->actions());
}

// A page change from find goes the way of every page change: the counter and the page
// buttons follow the page shown.
void SpreadPreview::showPage(int page) {
    m_pageView->setPageCurrent(page);
    updatePageButtons();
    UpdatePageCount();
}

// ---- Opening --------------------------------------------------------------------------------

QWidget *openPreview(report::ReportSession &session) {
    // One preview per thread, as the session is.
    thread_local QPointer<SpreadPreview> current;
    if (current && current->isVisible()) {
        // The open preview is shown again on the sheet, as a window that is already loaded
        // is: it keeps the zoom the user chose, and a dialog it has open (page setup and
        // those beyond it) stays valid.
        current->showSheet(&session.sheet);
        return current;
    }
    if (current) {
        // Closed, its deletion pending: showing it again would put the user's dialogs on a
        // window that goes the next time events are processed.
        SpreadPreview *old = current;
        current = nullptr;
        old->close();
    }
    auto *window = new SpreadPreview(session);
    window->setVaGridtemp(&session.sheet);
    current = window;
    window->show();
    return window;
}

}  // namespace tessel::preview
