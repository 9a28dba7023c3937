// The report list (frmTableList): the names of the stored reports, to open one into the
// designer's working sheet or to delete one.
#pragma once

#include <QString>
#include <QWidget>

class QListWidget;

namespace tessel::designer {

class PrintSpread;

class ReportList : public QWidget {
    Q_OBJECT
public:
    // Builds the list as a window of `designer` and fills it with the stored report names
    // in the order the database returns them ("没有报表数据" when there are none). The window
    // deletes itself when closed.
    explicit ReportList(PrintSpread &designer);
    ~ReportList() override;

    // Open: makes the selected report the designer's and builds its sheet as a run does
    // (report::buildReport) from a sample of at most 50 rows: its definition, stored settings,
    // labels and widths, grouped as the report is (without totals columns) and with its
    // charts; then closes. When the row or the sample cannot be read, the user is told why and
    // nothing changes.
    void onOpenReport();
    // Delete: after the user confirms, deletes the selected report by its exact name.
    void onDeleteReport();
    void onCancel();

private:
    void load();

    PrintSpread &m_designer;
    QListWidget *m_list = nullptr;
};

// The query that shows a sample of a stored report: the stored query (trimmed of blanks)
// limited to its first 50 rows by a top clause after "select" (and after distinct or all).
// A query that already holds a top clause keeps it, lowered to 50 when it asks for more
// rows; a percentage or an expression stays as it is.
QString sampleQuery(const QString &storedQuery);

// Opens the report list on the designer, modeless, and returns it. A list already open on
// this designer is brought to the front instead.
QWidget *openReportList(PrintSpread &designer);

}  // namespace tessel::designer
