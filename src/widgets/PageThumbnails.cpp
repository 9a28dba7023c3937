#include "widgets/PageThumbnails.h"

#include <QAbstractListModel>
#include <QCache>
#include <QPainter>
#include <QPixmap>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <cmath>

#include "print/PagePainter.h"
#include "widgets/PageView.h"

namespace tessel::widgets {

namespace {

constexpr int kSpacing = 4;  // pixels around each row
constexpr int kPadding = 4;  // pixels between the picture, its number and the row's edge
const QColor kFrameColor(96, 96, 96);

// Draws the picture above the page number.
class PictureAboveNumber : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        option->decorationPosition = QStyleOptionViewItem::Top;
        option->displayAlignment = Qt::AlignHCenter | Qt::AlignTop;
        // The selected page's picture is shown as it prints, not tinted: the row's highlight
        // marks it.
        const QVariant picture = index.data(Qt::DecorationRole);
        if (picture.canConvert<QPixmap>()) {
            const QPixmap pixmap = picture.value<QPixmap>();
            QIcon icon(pixmap);
            icon.addPixmap(pixmap, QIcon::Selected);
            option->icon = icon;
        }
    }
};

}  // namespace

// One row per page; the picture of a page is drawn when the view first asks for it.
class PageThumbnails::Model : public QAbstractListModel {
public:
    explicit Model(QObject *parent) : QAbstractListModel(parent) {
        m_cache.setMaxCost(kCachedPictures);
    }

    int rowCount(const QModelIndex &parent) const override {
        return parent.isValid() ? 0 : m_count;
    }

    QVariant data(const QModelIndex &index, int role) const override {
        if (!index.isValid() || index.row() >= m_count)
            return {};
        switch (role) {
            case Qt::DisplayRole:
                return QString::number(index.row() + 1);
            case Qt::DecorationRole:
                return picture(index.row() + 1);
            case Qt::SizeHintRole:
                // Every row alike, and known without drawing a picture.
                return m_rowSize;
            case Qt::TextAlignmentRole:
                return int(Qt::AlignHCenter | Qt::AlignTop);
            default:
                return {};
        }
    }

    // Counts the pages of `view` afresh and drops every picture. `textHeight` is the height
    // of a page number in pixels.
    void reload(PageView *view, qreal dpr, int textHeight) {
        beginResetModel();
        m_view = view;
        m_dpr = dpr;
        m_cache.clear();
        m_count = 0;
        QSizeF paper = (view ? view->paper() : QPageSize(QPageSize::A4)).size(QPageSize::Point);
        try {
            if (const print::Pagination *pagination = view ? view->pagination() : nullptr) {
                m_count = pagination->pageCount();
                paper = pagination->paperSizePoints();
            }
        } catch (const std::exception &) {
            // A sheet that cannot be paged has no pages to show; the page view reports why.
        }
        const int height = int(std::lround(kPictureWidth * paper.height() / paper.width()));
        m_pictureSize = QSize(kPictureWidth, std::max(1, height));
        m_rowSize =
            QSize(kPictureWidth + 2 * kPadding, m_pictureSize.height() + textHeight + 3 * kPadding);
        endResetModel();
    }

    void dropPictures() { m_cache.clear(); }
    QSize rowSize() const { return m_rowSize; }
    int renderCount() const { return m_renderCount; }

private:
    QPixmap picture(int page) const {
        if (const QPixmap *kept = m_cache.object(page))
            return *kept;
        const grid::Sheet *sheet = m_view ? m_view->sheet() : nullptr;
        if (!sheet)
            return {};
        QImage image(m_pictureSize * m_dpr, QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(m_dpr);
        image.fill(Qt::white);
        try {
            const print::Pagination *pagination = m_view->pagination();
            // Between a change of the pages and the recount the rows may outnumber them.
            if (!pagination || page > pagination->pageCount())
                return {};
            QPainter p(&image);
            p.setRenderHint(QPainter::Antialiasing);
            p.setRenderHint(QPainter::TextAntialiasing);
            p.setPen(kFrameColor);
            p.drawRect(QRectF(QPointF(0, 0), m_pictureSize).adjusted(0.5, 0.5, -0.5, -0.5));
            const QSizeF paper = pagination->paperSizePoints();
            p.scale(m_pictureSize.width() / paper.width(), m_pictureSize.height() / paper.height());
            print::paintPage(*sheet, *pagination, page, p);
        } catch (const std::exception &) {
            return {};
        }
        ++m_renderCount;
        auto *kept = new QPixmap(QPixmap::fromImage(std::move(image)));
        m_cache.insert(page, kept);
        return *kept;
    }

    QPointer<PageView> m_view;
    int m_count = 0;
    qreal m_dpr = 1;
    QSize m_pictureSize{kPictureWidth, kPictureWidth};
    QSize m_rowSize{kPictureWidth, kPictureWidth};
    mutable QCache<int, QPixmap> m_cache;
    mutable int m_renderCount = 0;
};

PageThumbnails::PageThumbnails(PageView *view, QWidget *parent)
    : QListView(parent), m_view(view), m_model(new Model(this)) {
    setModel(m_model);
    setItemDelegate(new PictureAboveNumber(this));
    setViewMode(ListMode);
    setFlow(TopToBottom);
    setWrapping(false);
    // One row height for all: laying out thousands of rows asks for no row's size.
    setUniformItemSizes(true);
    setSpacing(kSpacing);
    setSelectionMode(SingleSelection);
    setEditTriggers(NoEditTriggers);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollMode(ScrollPerPixel);

    if (view) {
        connect(view, &PageView::pagesChanged, this, &PageThumbnails::onPagesChanged);
        connect(view, &PageView::pageCurrentChanged, this, &PageThumbnails::selectCurrentPage);
    }
    // A row chosen by click or keys becomes the view's page; the view's own page change then
    // comes back here as the same row and stops.
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex &index) {
                if (index.isValid() && m_view && !m_stale)
                    m_view->setPageCurrent(index.row() + 1);
            });
}

PageThumbnails::~PageThumbnails() = default;

int PageThumbnails::renderCount() const {
    return m_model->renderCount();
}

QSize PageThumbnails::sizeHint() const {
    const int width = m_model->rowSize().width() + 2 * kSpacing +
                      verticalScrollBar()->sizeHint().width() + 2 * frameWidth();
    return {width, QListView::sizeHint().height()};
}

void PageThumbnails::onPagesChanged() {
    // Pictures of pages that may be others now are never shown; the rows wait for the
    // changes to end, and for the panel to be shown.
    m_model->dropPictures();
    viewport()->update();
    m_stale = true;
    if (m_recountQueued)
        return;
    m_recountQueued = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_recountQueued = false;
            if (m_stale && isVisible())
                recount();
        },
        Qt::QueuedConnection);
}

void PageThumbnails::recount() {
    m_stale = false;
    m_model->reload(m_view, devicePixelRatioF(), fontMetrics().height());
    selectCurrentPage();
}

void PageThumbnails::selectCurrentPage() {
    if (!m_view || m_stale)
        return;
    const QModelIndex index = m_model->index(m_view->pageCurrent() - 1);
    if (!index.isValid())
        return;
    setCurrentIndex(index);
    scrollTo(index);
}

void PageThumbnails::showEvent(QShowEvent *event) {
    QListView::showEvent(event);
    if (m_stale)
        recount();
    else
        selectCurrentPage();
}

}  // namespace tessel::widgets
