// The data-set wizard (frmReportDataSet): builds a report's SELECT from the user tables and
// columns of the connected database, with display names per column and a condition, stores
// the report's query and labels in its definition row and loads the result into the
// designer's working sheet.
#pragma once

#include <QString>
#include <QWidget>

#include "designer/StoredQuery.h"

class QComboBox;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace tessel::designer {

class PrintSpread;

class DataSetWizard : public QWidget {
    Q_OBJECT
public:
    // Builds the wizard as a window of `designer` and loads it: fills the table list from
    // the database catalogue and, when the designer holds a report, restores that report's
    // fields, tables, condition, query and header texts. The window deletes itself when
    // closed.
    explicit DataSetWizard(PrintSpread &designer);
    ~DataSetWizard() override;

    // The head of the SELECT being generated ("select" and what stood before the first
    // field of a restored query).
    QString sqlStart;

    // The commands, as their buttons run them.
    void onAddField();
    void onAddAllFields();
    void onRemoveField();
    void onRemoveAllFields();
    void onMoveFieldUp();
    void onMoveFieldDown();
    void composeQuery();
    // Finish: stores the definition row and fills the designer's sheet, then closes. When
    // the database refuses the data query or the row write, the user is told why, nothing
    // is stored, the sheet is left alone and the wizard stays open.
    void onFinish();
    void onExit();

private:
    void load();
    void restore(const QString &query);
    void onTablePicked();
    void onChineseNameChanged();
    void onConditionChanged();
    void LoadSelection(const StoredQuery::Selection &selection);
    void AddTableSel();
    void DelTableSel();
    void removeFieldsOf(const QString &table);
    QString tableText() const;
    void showNoTables();

    PrintSpread &m_designer;
    QLineEdit *m_reportName = nullptr;
    QComboBox *m_table = nullptr;
    QListWidget *m_fields = nullptr;
    QListWidget *m_selected = nullptr;
    QComboBox *m_tablesSel = nullptr;
    QLineEdit *m_cnField = nullptr;
    QLineEdit *m_where = nullptr;
    QLineEdit *m_sql = nullptr;
    QLineEdit *m_colStr = nullptr;
    QLineEdit *m_path = nullptr;
    QPushButton *m_cmdSQL = nullptr;
    // The table whose columns lstField shows; a pick of the same table is not run twice.
    QString m_columnsOf;
    bool m_loading = false;
};

// Opens the data-set wizard on the designer's current report (empty when the designer
// holds none), modeless, and returns it. A wizard already open on this designer is brought
// to the front instead.
QWidget *openDataSetWizard(PrintSpread &designer);

}  // namespace tessel::designer
