// The designer main window: the hub that holds the working sheet (VaGrid), the column check
// list and the current report name, and saves the layout into the report's definition.
#pragma once

#include <QWidget>
#include <functional>
#include <optional>
#include <vector>

#include "definitions/DefinitionRecord.h"
#include "grid/ChartSpec.h"
#include "groups/StoredGrouping.h"
#include "report/ReportSession.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QMenu;
class QPushButton;

namespace tessel::db {
class Recordset;
}
namespace tessel::widgets {
class SheetView;
}

namespace tessel::designer {

// What the designer's commands open; the component fills these in, so the designer need
// not know the windows above it. An empty opener opens nothing.
struct DesignerOpeners {
    std::function<void()> preview;        // show the preview of the working sheet, modeless
    std::function<void()> dataWizard;     // the data-set wizard on the current report
    std::function<void()> reportList;     // the list of stored reports
    std::function<void()> columnHeaders;  // the column header editor, modal
};

// What the data-set wizard's finish hands the designer once the report's definition is
// stored.
struct DataSetResult {
    QString reportName;  // the stored report's name, trimmed of blanks
    QString labels;      // the column header texts ("，"-separated), trimmed; empty: none
    int fieldCount = 0;  // the number of selected fields: the columns the labels cover
    // The report's row as it was stored before the wizard wrote it; nullopt for a new row.
    std::optional<definitions::DefinitionRecord> stored;
};

class PrintSpread : public QWidget {
    Q_OBJECT
public:
    // Builds the window in its design state, hidden, showing session.sheet. Loading
    // resets the working sheet to its design state: no columns, no rows, default layout.
    explicit PrintSpread(report::ReportSession &session, DesignerOpeners openers = {},
                         QWidget *parent = nullptr);
    ~PrintSpread() override;

    report::ReportSession &session() const { return m_session; }
    grid::Sheet &sheet() const { return m_session.sheet; }
    widgets::SheetView *grid() const { return m_grid; }

    // The current report name: kept in the session so that it survives unload and reload.
    QString reportName() const { return m_session.reportName; }
    void setReportName(const QString &name) { m_session.reportName = name; }

    // While true, ticking a column in the check list keeps its width. True after load.
    bool listini = true;

    // Rebuilds the check list from the sheet: one unticked entry per column,
    // "c.label[first value]".
    void filllist();
    // Ticks the entries of shown columns (width above 1) and merges equal neighbouring
    // header cells.
    void SetListValues();
    // The preview command: shows the working sheet in the preview window, modeless.
    void onPreview();
    // Shows the current report name in txtName.
    void showReportName();

    // After a report run built the sheet: rebuilds the check list from it, ticks the shown
    // columns (their widths kept), shows the report name, and from then on a column the user
    // ticks gets a width from its entry (listini false).
    void refreshForBuiltReport();
    // The report has no stored definition: New (cmdNew) and Preview (cmdPreview) are
    // disabled; saving the new report enables Preview again.
    void disableForUnstoredReport();
    // The sheet holds a host grid's rows, not a query's: the data-set command (cmdData) is
    // disabled.
    void disableForGridData();
    // Takes the data set the wizard finished. When it is another report than the one the
    // sheet holds, the sheet first starts clean (report::StartReportSheet, no merged
    // columns) and takes the print settings of result.stored, if any. Labels the sheet's
    // columns with result.labels over result.fieldCount columns, a column without a typed
    // label by its field's name (widths kept; a clean sheet's from the field names), or
    // with the field names of `data` when there are none; fills the sheet from the rows of
    // `data` and closes it. The report then becomes the designer's: its name, the steps of a
    // run around its rows (report/ReportRun: its stored page settings, paper among them, and
    // column formats, its rules, grouping and charts), Save, Preview and Data enabled, the
    // check list rebuilt and ticked, the name shown, and a tick gives a width (listini
    // false). When the rows cannot all be read the sheet keeps no rows, the designer keeps
    // its report, and the error is thrown.
    void takeDataSet(const DataSetResult &result, db::Recordset &data);

    // The commands, as their buttons run them.
    void onMergeColumns();
    // Saves the layout into the definition row. Row write and both updates run in one
    // transaction: on failure nothing is stored and the user is told why. The column formats
    // go, in the same transaction, into the row's 列格式 when tsl_report has that column, and
    // into the session for the report in any case; formats kept for the session alone are
    // told once per connection (which column, the statement that adds it). A grouping the
    // user accepted in the groups dialog goes the same way into 分组, and rules accepted in
    // the conditional formats dialog into 条件格式, and charts accepted in the charts dialog
    // into 图表 (NULL for none; keys of the stored value this version does not know kept); a
    // stored value the user did not edit is left as it is. A save shows "已保存 HH:mm" in the
    // status line lblStatus. Returns true when the layout was stored.
    bool save();
    void onSave() { save(); }
    void onNewReport();
    // Closes the window: hidden at once, destroyed once control returns to the event loop.
    // With unsaved changes to a named report the user is asked first (mayClose).
    void onClose();
    // Asks, when a named report has unsaved changes, whether to save them: 保存 saves (false
    // when the save failed), 不保存 gives them up, 取消 answers false. True when the window may
    // close; nothing is asked without changes.
    bool mayClose();

    // Unsaved changes: what the user did since the report was loaded or saved. Column widths
    // and the header row height count when they differ from those at that moment (whatever
    // changed them); labels, the check list, merges and formats count when the user changed
    // them here. A run or a host's cell writes are no change.
    bool hasUnsavedChanges() const;
    // The sheet now holds the report as stored (loaded, built by a run or saved): a grouping
    // edited in the groups dialog is forgotten, the stored one (or the session's) stands, and
    // the sheet's rules and charts count as the stored ones again.
    void markClean();
    // The user changed the report in one of the designer's dialogs.
    void noteUserChange() { m_userChanged = true; }
    // True once the window was closed: it is on its way out, and the next use of the
    // designer loads a new one.
    bool closed() const { return m_closed; }

    QPushButton *button(const char *name) const;

    // The context menu of a column header (a right click on the header of column `col`):
    // "格式…" (actFormat) opens the column format dialog on that column, "分组…" (actGroups)
    // the groups dialog starting from that column, "条件格式…" (actConditions) the
    // conditional formats dialog on that column's rules, "图表…" (actCharts) the charts dialog
    // starting from that column. The menu
    // (mnuColumn) pops up at `pos` (VaGrid's viewport pixels) and is returned; it deletes
    // itself once closed.
    QMenu *showColumnMenu(int col, const QPoint &pos);
    // The column format dialog on column `col`: OK puts the chosen format on the sheet; the
    // designer's save stores it.
    void onColumnFormat(int col);
    // The groups dialog (frmGroups) on the report's grouping: the one accepted here before,
    // else the stored one as the report's runs read it (a read the database refuses is told,
    // and no dialog opens). OK with a changed grouping makes it the report's unsaved grouping
    // and regroups the sheet's data rows by it as a run does (report::rearrangeReport: the
    // earlier header and subtotal rows give way, a totals row stays last and keeps its sums,
    // no grouping puts back plain rows), the charts put on them again.
    void onGroups(int col);
    // The conditional formats dialog (frmConditions) on the rules of column `col`: OK with
    // changed rules puts every rule of the report on the sheet, where the sheet view shows
    // them at once; the designer's save stores them.
    void onConditions(int col);
    // The charts dialog (frmCharts) on the charts accepted here before, else the sheet's, a new
    // one started from column `col`: OK with changed charts puts them on the sheet as a run does
    // (report::rearrangeReport: one whose points the rows cannot give is left out and told),
    // where the preview and the exports draw them; the designer's save stores them all.
    void onCharts(int col);

protected:
    void resizeEvent(QResizeEvent *event) override;
    // The title bar's close (✕, Alt+F4) of the shown window asks as 关闭 does (mayClose);
    // when it may close the window is hidden, and stays loaded.
    void closeEvent(QCloseEvent *event) override;

private:
    void onEntryChanged(QListWidgetItem *item);
    void applyMergeList(bool merged);

    report::ReportSession &m_session;
    DesignerOpeners m_openers;
    widgets::SheetView *m_grid = nullptr;
    QListWidget *m_list = nullptr;
    QLineEdit *m_name = nullptr;
    QLabel *m_heading = nullptr;
    QLabel *m_listCaption = nullptr;
    QLabel *m_status = nullptr;
    bool m_filling = false;
    bool m_ticking = false;  // SetListValues ticks: no change of the user's
    bool m_userChanged = false;
    std::vector<double> m_cleanWidths;  // columns 1..n when last clean
    double m_cleanHeaderHeight = 0;
    bool m_closed = false;
    // The grouping accepted in the groups dialog since the report was loaded or saved.
    std::optional<groups::StoredGrouping> m_groups;
    bool m_conditionsEdited = false;  // rules accepted in the dialog since clean
    // The charts accepted in the charts dialog since clean, those the rows cannot draw too.
    std::optional<grid::ChartSpecs> m_charts;
};

}  // namespace tessel::designer
