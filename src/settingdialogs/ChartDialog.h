// The charts dialog (frmCharts, "图表"), opened from the designer's column header menu
// (图表…). It edits a report's charts:
//  - the charts, in the order they print (lstCharts; cmdAddChart adds one started from the
//    column the menu was opened on, cmdRemoveChart removes the one selected);
//  - for the chart selected (grpChart): its type (cmbType), 堆积 (chkStacked, for column, bar
//    and area), its title (txtTitle), the column labelling its categories (cmbCategory), the
//    columns of its series (lstValues, a tick per column; a pie takes one), where its points
//    come from (cmbSource: the data rows or the groups' subtotals), where it prints
//    (cmbPlace: after the report's rows or on a page of its own) and its size on paper
//    (spnWidth × spnHeight, centimetres).
// A live picture (picChart) draws the chart selected on the report's data as it will print.
// A report without charts starts with one made from the column (the common case: open, OK).
// OK keeps the dialog open, and says why, while a chart has no value column.
#pragma once

#include <QDialog>

#include "grid/ChartSpec.h"
#include "grid/Sheet.h"
#include "settingdialogs/ChartPicture.h"

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;

namespace tessel::settingdialogs {

class ListEditor;

class ChartDialog : public QDialog {
    Q_OBJECT
public:
    // Starts on `charts`, whose columns lie in 1..report.maxCols() (as charts::readCharts gives
    // them for the report's columns). The column labels and the picture come from `report`,
    // which must outlive the dialog; a new chart starts from `column`. `ignored` (the charts of
    // the stored value that could not be used) is shown above the buttons when not empty.
    ChartDialog(const grid::ChartSpecs &charts, const grid::Sheet &report, int column,
                const QStringList &ignored = {}, QWidget *parent = nullptr);

    // The charts the controls describe.
    const grid::ChartSpecs &charts() const { return m_charts; }
    const ChartPicture *picture() const { return m_picture; }

    void accept() override;

private:
    void showChart();
    void chartEdited();
    grid::ChartSpec *currentChart();
    QString columnCaption(int column) const;

    const grid::Sheet &m_report;
    int m_column = 1;
    grid::ChartSpecs m_charts;
    bool m_showing = false;  // controls are being set from a chart: no edit

    ListEditor *m_list = nullptr;
    QGroupBox *m_chart = nullptr;
    QComboBox *m_type = nullptr;
    QCheckBox *m_stacked = nullptr;
    QLineEdit *m_title = nullptr;
    QComboBox *m_category = nullptr;
    QListWidget *m_values = nullptr;
    QComboBox *m_source = nullptr;
    QComboBox *m_place = nullptr;
    QDoubleSpinBox *m_width = nullptr;
    QDoubleSpinBox *m_height = nullptr;
    ChartPicture *m_picture = nullptr;
};

}  // namespace tessel::settingdialogs
