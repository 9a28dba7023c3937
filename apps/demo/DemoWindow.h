// The demo host's main window: everything a host does with the component, in one place.
#pragma once

#include <tessel/clsReport.h>
#include <QMainWindow>

class QCheckBox;
class QLineEdit;
class QListWidget;
class QTableWidget;

class DemoWindow : public QMainWindow {
public:
    // Connects to the database at `database` (a SQLite file holding tsl_report); throws
    // tessel::Error when it cannot.
    explicit DemoWindow(const QString &database);

private:
    QString currentReport() const;
    void putVariables();
    void runSql(int isshow);
    void runDesigner();
    void runPreview();
    void runPrint();
    void runGrid();
    void runLayout();

    tessel::clsReport m_report;
    QListWidget *m_reports = nullptr;
    QLineEdit *m_where = nullptr;
    QCheckBox *m_totals = nullptr;
    QTableWidget *m_vars = nullptr;
};
