// The preview's find bar: a text box, previous and next buttons, the match count and a close
// button, under the toolbar strip. It searches every printed page of the page view's sheet
// (PageFinder), turns the preview to the page of a match and has the page view outline the
// matching text.
//
// Each edit of the text moves to the first match at or after the current page (after the
// last page the search goes on from the first). Enter or F3 moves to the next match, Shift
// with either to the previous one, wrapping at the ends with a note beside the count. Esc
// closes the bar and removes the outline.
//
// The count ("3 / 120") is made page by page in slices of a few milliseconds on the event
// loop, starting at the current page, so typing never waits for it: the first slice runs at
// once and usually finds the first match; the count follows when every page has been read.
// A new edit starts a new count; a change of the sheet or its pages starts the search again.
#pragma once

#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "grid/Sheet.h"
#include "preview/PageFind.h"
#include "print/Pagination.h"

class QLabel;
class QLineEdit;
class QToolButton;

namespace tessel::widgets {
class PageView;
}

namespace tessel::preview {

class FindBar : public QWidget {
    Q_OBJECT
public:
    // Searches what `view` shows. `showPage` turns the preview to a page the way any page
    // change of the preview does (page counter and page buttons follow). Built hidden.
    FindBar(widgets::PageView *view, std::function<void(int page)> showPage,
            QWidget *parent = nullptr);
    ~FindBar() override;

    // Shows the bar with its text selected and the keyboard focus in it.
    void open();
    // Hides the bar, stops the count and removes the outline.
    void closeBar();
    // The next and the previous match (wrapping), as Enter and Shift+Enter.
    void findNext();
    void findPrevious();

    // The match shown (none before the first is found or when there is none), and the
    // number of matches once every page has been counted (-1 until then).
    std::optional<FindMatch> currentMatch() const { return m_current; }
    int totalCount() const { return m_done ? m_total : -1; }

signals:
    // The bar was shown or hidden: the window lays its controls out again.
    void visibilityChanged();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool isStale() const;
    void restart();
    void countSlice();
    int pageMatches(int page);
    void step(bool forward);
    void showMatch(const FindMatch &match, int indexOnPage, bool wrapped, bool forward);
    void updateLabel();

    QPointer<widgets::PageView> m_view;
    std::function<void(int)> m_showPage;
    QLineEdit *m_text = nullptr;
    QToolButton *m_previous = nullptr;
    QToolButton *m_next = nullptr;
    QLabel *m_count = nullptr;
    QToolButton *m_close = nullptr;

    // The search: a copy of the view's pages (the view may break its pages anew at any
    // time) and what they were broken from.
    QPointer<grid::Sheet> m_sheet;
    std::uint64_t m_revision = 0;
    QPageSize m_paper;
    std::unique_ptr<print::Pagination> m_pages;
    std::unique_ptr<PageFinder> m_finder;
    QMetaObject::Connection m_sheetChanged;

    // The count: matches per page (index = page, -1 not yet counted), read from m_start on.
    std::vector<int> m_counts;
    std::vector<int> m_before;  // matches on the pages before each page, once done
    int m_start = 1;
    int m_scanned = 0;
    int m_total = 0;
    bool m_done = false;
    bool m_wantFirst = false;  // the edit's first match is not shown yet
    QTimer m_slice;
    QTimer m_restart;

    std::optional<FindMatch> m_current;
    int m_currentIndex = 0;  // its place among the matches of its page
    QString m_note;          // the wrap note
};

}  // namespace tessel::preview
