// A side panel of small pictures of a page view's pages, one under another with the page
// number below each. The list is virtual: it holds one row per page and no pictures; a
// picture is drawn through the page paint path (paintPage) only when its row scrolls into
// sight, and the last ones drawn are kept in a bounded cache. The page view's current page is
// the selected row, kept in sight; choosing a row (click or keys) makes its page the view's
// current page, so everything that follows the view's page follows the panel too.
//
// The panel follows the view's pages: when the sheet, its contents or print settings or the
// paper change, the pictures are dropped at once and the rows are recounted once control is
// back at the event loop (a sheet being filled changes once per cell). While the panel is
// hidden it does no work; it recounts when shown.
#pragma once

#include <QListView>
#include <QPointer>

namespace tessel::widgets {

class PageView;

class PageThumbnails : public QListView {
    Q_OBJECT
public:
    // Width of a page picture in pixels; its height follows the paper's shape.
    static constexpr int kPictureWidth = 120;
    // Pictures kept at most.
    static constexpr int kCachedPictures = 128;

    // A panel showing the pages of `view` (not owned; a view destroyed first leaves the panel
    // empty).
    explicit PageThumbnails(PageView *view, QWidget *parent = nullptr);
    ~PageThumbnails() override;

    PageView *pageView() const { return m_view; }
    // How many pictures the panel has drawn since it was created (cache misses).
    int renderCount() const;

    // Wide enough for a picture, its margins and the scroll bar, in pixels.
    QSize sizeHint() const override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    class Model;

    void onPagesChanged();
    void recount();
    void selectCurrentPage();

    QPointer<PageView> m_view;
    Model *m_model = nullptr;
    bool m_recountQueued = false;
    bool m_stale = true;  // the rows may not match the view's pages; recount before showing
};

}  // namespace tessel::widgets
