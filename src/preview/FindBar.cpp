#include "preview/FindBar.h"

#include <QElapsedTimer>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <numeric>

#include "base/Language.h"
#include "widgets/PageView.h"

namespace tessel::preview {

namespace {

// One slice of the count: short enough that typing and painting go on between slices.
constexpr int kSliceMs = 8;

QString kWrappedToFirst() {
    return tessel::base::tr("已回到开头");
}
QString kWrappedToLast() {
    return tessel::base::tr("已回到末尾");
}

QToolButton *barButton(QWidget *parent, const char *name, const QString &text, const QString &tip) {
    auto *b = new QToolButton(parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setText(text);
    b->setToolTip(tip);
    b->setAutoRaise(true);
    b->setFocusPolicy(Qt::NoFocus);  // the keyboard stays in the text box
    return b;
}

}  // namespace

FindBar::FindBar(widgets::PageView *view, std::function<void(int)> showPage, QWidget *parent)
    : QWidget(parent), m_view(view), m_showPage(std::move(showPage)) {
    setObjectName(QStringLiteral("findBar"));
    setAutoFillBackground(true);

    m_text = new QLineEdit(this);
    m_text->setObjectName(QStringLiteral("txtFind"));
    m_text->setPlaceholderText(tessel::base::tr("查找"));
    m_text->setClearButtonEnabled(true);
    m_text->installEventFilter(this);
    m_previous = barButton(this, "cmdFindPrev", QStringLiteral("▲"), tessel::base::tr("上一个"));
    m_next = barButton(this, "cmdFindNext", QStringLiteral("▼"), tessel::base::tr("下一个"));
    m_count = new QLabel(this);
    m_count->setObjectName(QStringLiteral("lblFindCount"));
    m_close = barButton(this, "cmdFindClose", QStringLiteral("✕"), tessel::base::tr("关闭"));

    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(6, 3, 6, 3);
    row->setSpacing(4);
    row->addWidget(new QLabel(tessel::base::tr("查找:"), this));
    row->addWidget(m_text, 1);
    row->addWidget(m_previous);
    row->addWidget(m_next);
    row->addWidget(m_count);
    row->addStretch(2);
    row->addWidget(m_close);
    m_text->setMaximumWidth(320);
    m_count->setMinimumWidth(m_count->fontMetrics().horizontalAdvance(
        QStringLiteral("88888 / 88888  ") + kWrappedToFirst()));

    connect(m_text, &QLineEdit::textChanged, this, &FindBar::restart);
    connect(m_next, &QToolButton::clicked, this, &FindBar::findNext);
    connect(m_previous, &QToolButton::clicked, this, &FindBar::findPrevious);
    connect(m_close, &QToolButton::clicked, this, &FindBar::closeBar);

    m_slice.setSingleShot(true);
    m_slice.setInterval(0);
    connect(&m_slice, &QTimer::timeout, this, &FindBar::countSlice);
    // A sheet sends a change per edited cell: one new search after a burst of them.
    m_restart.setSingleShot(true);
    m_restart.setInterval(0);
    connect(&m_restart, &QTimer::timeout, this, [this] {
        if (!isHidden())
            restart();
    });
    hide();
}

FindBar::~FindBar() {
    disconnect(m_sheetChanged);
}

void FindBar::open() {
    const bool wasHidden = isHidden();
    show();
    raise();
    m_text->setFocus(Qt::ShortcutFocusReason);
    m_text->selectAll();
    if (wasHidden) {
        emit visibilityChanged();
        if (!m_text->text().isEmpty())
            restart();  // the pages may have changed while the bar was closed
    }
}

void FindBar::closeBar() {
    m_slice.stop();
    m_restart.stop();
    if (m_view) {
        m_view->clearHighlight();
        m_view->setFocus(Qt::OtherFocusReason);
    }
    if (!isHidden()) {
        hide();
        emit visibilityChanged();
    }
}

bool FindBar::isStale() const {
    return !m_finder || !m_view || !m_sheet || m_view->sheet() != m_sheet ||
           m_sheet->revision() != m_revision || m_view->paper() != m_paper;
}

// A new text, or new pages: the search starts over from the current page.
void FindBar::restart() {
    m_slice.stop();
    m_restart.stop();
    m_finder.reset();
    m_pages.reset();
    m_current.reset();
    m_note.clear();
    m_counts.clear();
    m_before.clear();
    m_done = false;
    m_total = 0;
    m_scanned = 0;
    m_wantFirst = false;
    disconnect(m_sheetChanged);
    m_sheet = m_view ? m_view->sheet() : nullptr;
    const print::Pagination *pages = nullptr;
    try {
        pages = m_view && m_sheet ? m_view->pagination() : nullptr;
    } catch (const std::exception &) {
        // A sheet that cannot be paged shows no pages, so there is nothing to find on them.
    }
    if (m_view)
        m_view->clearHighlight();
    if (!pages) {
        updateLabel();
        return;
    }
    m_revision = m_sheet->revision();
    m_paper = m_view->paper();
    m_pages = std::make_unique<print::Pagination>(*pages);
    m_finder = std::make_unique<PageFinder>(*m_sheet, *m_pages, m_text->text());
    m_sheetChanged =
        connect(m_sheet, &grid::Sheet::changed, &m_restart, qOverload<>(&QTimer::start));
    if (m_finder->isEmpty() || m_pages->pageCount() == 0) {
        m_done = true;
        updateLabel();
        return;
    }
    m_counts.assign(std::size_t(m_pages->pageCount()) + 1, -1);
    m_start = m_view->pageCurrent();
    m_wantFirst = true;
    countSlice();  // the first slice at once: the first match is usually in it
}

int FindBar::pageMatches(int page) {
    int &n = m_counts[std::size_t(page)];
    if (n < 0)
        n = m_finder->countOnPage(page);
    return n;
}

void FindBar::countSlice() {
    if (isStale()) {
        restart();
        return;
    }
    QElapsedTimer clock;
    clock.start();
    const int pageCount = m_pages->pageCount();
    while (m_scanned < pageCount) {
        const int page = (m_start - 1 + m_scanned) % pageCount + 1;
        ++m_scanned;
        if (pageMatches(page) > 0 && m_wantFirst) {
            m_wantFirst = false;
            showMatch(m_finder->matchesOnPage(page).front(), 0, page < m_start, true);
        }
        if (clock.elapsed() >= kSliceMs)
            break;
    }
    if (m_scanned < pageCount) {
        m_slice.start();
        return;
    }
    m_before.assign(m_counts.size(), 0);
    for (int page = 2; page <= pageCount; ++page)
        m_before[std::size_t(page)] =
            m_before[std::size_t(page) - 1] + m_counts[std::size_t(page) - 1];
    m_total = m_before[std::size_t(pageCount)] + m_counts[std::size_t(pageCount)];
    m_done = true;
    m_wantFirst = false;
    updateLabel();
}

void FindBar::findNext() {
    step(true);
}

void FindBar::findPrevious() {
    step(false);
}

void FindBar::step(bool forward) {
    if (isStale()) {
        restart();  // shows the first match at or after the current page
        return;
    }
    if (!m_finder || m_finder->isEmpty() || !m_pages || m_pages->pageCount() == 0)
        return;
    const int pageCount = m_pages->pageCount();
    if (!m_current && m_done && m_total == 0)
        return;
    // Within the page of the match shown first; from the current page when none is shown.
    int page = m_current ? m_current->page : m_view->pageCurrent();
    if (m_current) {
        const std::vector<FindMatch> on = m_finder->matchesOnPage(page);
        const int next = m_currentIndex + (forward ? 1 : -1);
        if (next >= 0 && next < int(on.size())) {
            showMatch(on[std::size_t(next)], next, false, forward);
            return;
        }
    } else {
        page += forward ? -1 : 1;  // the current page itself is looked at first
    }
    for (int i = 1; i <= pageCount; ++i) {
        const int raw = forward ? page + i : page - i;
        const int p = (raw - 1 + pageCount) % pageCount + 1;
        if (pageMatches(p) == 0)
            continue;
        m_wantFirst = false;
        const std::vector<FindMatch> on = m_finder->matchesOnPage(p);
        const int index = forward ? 0 : int(on.size()) - 1;
        showMatch(on[std::size_t(index)], index, forward ? raw > pageCount : raw < 1, forward);
        return;
    }
}

void FindBar::showMatch(const FindMatch &match, int indexOnPage, bool wrapped, bool forward) {
    m_current = match;
    m_currentIndex = indexOnPage;
    m_note = wrapped ? (forward ? kWrappedToFirst() : kWrappedToLast()) : QString();
    if (m_showPage)
        m_showPage(match.page);
    if (m_view)
        m_view->setHighlight(match.page, m_finder->matchRect(match));
    updateLabel();
}

void FindBar::updateLabel() {
    QString text;
    if (m_finder && !m_finder->isEmpty()) {
        if (!m_done)
            text = tessel::base::tr("… / …");
        else if (!m_current)
            text = QStringLiteral("0 / 0");
        else
            text = QStringLiteral("%1 / %2")
                       .arg(m_before[std::size_t(m_current->page)] + m_currentIndex + 1)
                       .arg(m_total);
    }
    if (!m_note.isEmpty())
        text += QStringLiteral("  ") + m_note;
    m_count->setText(text);
}

bool FindBar::eventFilter(QObject *watched, QEvent *event) {
    if (watched == m_text && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        const bool shift = key->modifiers() & Qt::ShiftModifier;
        switch (key->key()) {
            case Qt::Key_Return:
            case Qt::Key_Enter:
            case Qt::Key_F3:
                step(!shift);
                return true;
            case Qt::Key_Escape:
                closeBar();
                return true;
            default:
                break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace tessel::preview
