// The preview window: a report sheet shown page by page as it will print, under a one-row
// toolbar strip with the page buttons, zoom, print, page setup, export and close, and a page
// counter. The window reads the sheet it is given, rewrites the sheet's print header and
// footer with the report variables, and prints through it; it never builds the sheet.
// Beside the strip's buttons: a thumbnail panel left of the pages (F4), the page view's keys
// and wheel, and its context menu (thumbnails, page width, whole page). The page buttons and
// the counter follow the page whatever moved it.
#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>

#include "grid/Sheet.h"
#include "report/ReportSession.h"

class QAction;
class QToolButton;

namespace tessel::widgets {
class PageThumbnails;
class PageView;
class SheetView;
}  // namespace tessel::widgets

class QMenu;

namespace tessel::preview {

class FindBar;

// Columns of the toolbar strip (one row, 21 columns).
inline constexpr int kToolbarCols = 21;
inline constexpr int kColNext = 2;
inline constexpr int kColPrevious = 4;
inline constexpr int kColZoom = 6;
inline constexpr int kColPrint = 8;
inline constexpr int kColSetup = 10;
inline constexpr int kColCounter = 14;
inline constexpr int kColExport = 16;
inline constexpr int kColClose = 18;

class SpreadPreview : public QWidget {
    Q_OBJECT
    Q_PROPERTY(tessel::grid::Sheet *vaGridtemp READ vaGridtemp WRITE setVaGridtemp)
public:
    // Builds the window hidden; it deletes itself when closed. `session` gives the report
    // variables, the connection and the report name to the dialogs opened from here, and
    // must outlive the window.
    explicit SpreadPreview(report::ReportSession &session, QWidget *parent = nullptr);
    ~SpreadPreview() override;

    // The sheet to preview; set before the window is first shown. Not owned: a sheet
    // destroyed while shown leaves the window empty.
    grid::Sheet *vaGridtemp() const { return m_sheet; }
    void setVaGridtemp(grid::Sheet *sheet);
    // Shows the window on `sheet` again (a report built anew): the page view starts at page
    // 1 of the new pages and the page buttons and counter follow them; the view mode and zoom
    // stay as they are. Shows the window for the first time when it never was.
    void showSheet(grid::Sheet *sheet);

    widgets::SheetView *toolbar() const { return m_strip; }     // fpSpread1
    widgets::PageView *pageView() const { return m_pageView; }  // fpSpreadPreview1
    // The panel of page pictures left of the page view (F4 or 缩略图 in the page view's
    // context menu); hidden at first.
    widgets::PageThumbnails *thumbnails() const { return m_thumbnails; }
    bool thumbnailsVisible() const;
    void setThumbnailsVisible(bool visible);
    FindBar *findBar() const { return m_findBar; }  // findBar

    // Opens the find bar under the toolbar strip (Ctrl+F, the page view's 查找).
    void openFind();
    // Adds the page view's context menu entries to `menu`.
    void fillPageViewMenu(QMenu &menu);

    // The window's working copies of the sheet's print header and footer, as the last
    // activation substituted them.
    QString headerText() const { return m_headerText; }
    QString footerText() const { return m_footerText; }

    // Builds the toolbar strip: 21 locked cells in one row with the seven buttons, their
    // captions, pictures and the page counter cell; tips on.
    void SetupToolbar();
    // Greys out (locks) or re-enables the button in strip column `col`; `bitmapdirection` is
    // the key of its enabled picture ("left" or "right"), the disabled one adds "dis".
    void DisableButton(int col, const QString &bitmapdirection);
    void EnableButton(int col, const QString &bitmapdirection);
    // Writes "Page <current> of <count>" into the counter cell.
    void UpdatePageCount();

    // Once per load (the first showing): strip, button states, zoom preset "100%".
    void setUpOnFirstShow();
    // On every activation: binds the page view, recounts pages, sets the page buttons for the
    // current page and count, and substitutes the report variables into the sheet's print
    // header and footer.
    void onActivated();

    // The strip's button-click and tip-request handlers.
    void onButtonClicked(int col, int row);
    void onTextTipFetch(int col, int row, QString *tipText, bool *showTip);

protected:
    bool event(QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void layOutControls();
    void setUpContextMenu();
    void onPageCurrentChanged();
    void bindPageView();
    void updatePageButtons();
    void setButtonState(int col, const QString &bitmapdirection, bool enabled);
    void printNow();
    void openPageSetup();
    void exportSheet();
    void showPage(int page);
    // Whether the sheet holds a data row to print or export.
    bool hasData() const;
    // The strip columns of the buttons a narrow window cuts off, and the menu offering them.
    QList<int> hiddenButtons() const;
    void fillMoreMenu();

    report::ReportSession &m_session;
    QPointer<grid::Sheet> m_sheet;
    widgets::SheetView *m_strip = nullptr;
    widgets::PageView *m_pageView = nullptr;
    widgets::PageThumbnails *m_thumbnails = nullptr;
    QAction *m_thumbnailsAction = nullptr;
    FindBar *m_findBar = nullptr;
    QToolButton *m_more = nullptr;  // cmdMore: the buttons the strip cannot show
    QMenu *m_moreMenu = nullptr;
    bool m_refreshQueued = false;
    QString m_headerText;
    QString m_footerText;
    bool m_loaded = false;
};

// The designer's preview command: shows session.sheet in the preview window, modeless, and
// returns the window. There is one preview window at a time: one already open is shown again
// on the sheet (SpreadPreview::showSheet), else a new one is made.
QWidget *openPreview(report::ReportSession &session);

}  // namespace tessel::preview
