// The groups dialog (frmGroups, "分组"), opened from the designer's column header menu
// (分组…). It edits a report's grouping:
//  - the levels, outermost first (lstLevels; cmdAddLevel, cmdRemoveLevel, cmdLevelUp,
//    cmdLevelDown), at most grid::kMaxGroupLevels;
//  - for the level selected: its column (cmbColumn), the label of its subtotal rows
//    (txtLabel, "{value}" standing for the group's value), 组标题 (chkHeader), 每组分页
//    (chkPageBreak), 保持同页 (chkKeepTogether), and its totals: the report's default
//    (chkDefaultTotals) or, per column, none or one function (tblTotals: a tick and a
//    function box per column);
//  - 按分组排序 (chkSort);
//  - the page totals (grpPageTotals, checkable): the columns summed (lstPageColumns) and the
//    labels of the page's row (txtPageLabel), the running row (txtRunning) and the carried
//    row (txtCarried), the last two left out when empty.
// A live sample (VaSample) shows the report's first rows grouped as edited (page totals are
// printed only, and are not shown there). It takes a grouping and gives one back; the
// designer keeps it and its save stores it.
#pragma once

#include <QDialog>
#include <memory>
#include <vector>

#include "grid/Grouping.h"
#include "grid/Sheet.h"
#include "settingdialogs/SampleView.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QListWidget;
class QTableWidget;

namespace tessel::settingdialogs {

class ListEditor;

class GroupDialog : public QDialog {
    Q_OBJECT
public:
    // The rows the sample shows at most.
    static constexpr int kSampleRows = SampleView::kRows;

    // Starts on `initial`, whose columns lie in 1..report.maxCols() (as groups::readGrouping
    // gives them for the report's columns). The column labels and the sample come from `report`
    // (row 0, and its first kSampleRows data rows). With no level yet, cmdAddLevel adds one on
    // `column`; `ignored` (the parts of the stored value that could not be used) is shown above the
    // buttons when not empty.
    GroupDialog(const grid::Grouping &initial, const grid::Sheet &report, int column,
                const QStringList &ignored = {}, QWidget *parent = nullptr);

    // The grouping the controls describe.
    const grid::Grouping &grouping() const { return m_grouping; }
    // The sample as shown: the report's first rows grouped as edited.
    const grid::Sheet &sample() const { return m_sample->sheet(); }

private:
    void showLevel();
    void showTotals();
    void showPageTotals();
    void refreshSample();
    grid::GroupLevel *currentLevel();
    std::vector<int> defaultTotals() const;
    QString columnCaption(int column) const;

    grid::Grouping m_grouping;
    int m_startColumn = 1;
    grid::Sheet m_data;      // the report's columns and first rows
    bool m_showing = false;  // controls are being set from m_grouping: no edit

    ListEditor *m_levels = nullptr;
    QGroupBox *m_level = nullptr;
    QComboBox *m_column = nullptr;
    QLineEdit *m_label = nullptr;
    QCheckBox *m_header = nullptr;
    QCheckBox *m_pageBreak = nullptr;
    QCheckBox *m_keepTogether = nullptr;
    QCheckBox *m_defaultTotals = nullptr;
    QTableWidget *m_totals = nullptr;
    QCheckBox *m_sort = nullptr;
    QGroupBox *m_pageTotals = nullptr;
    QListWidget *m_pageColumns = nullptr;
    QLineEdit *m_pageLabel = nullptr;
    QLineEdit *m_running = nullptr;
    QLineEdit *m_carried = nullptr;
    SampleView *m_sample = nullptr;  // m_data grouped as edited
};

}  // namespace tessel::settingdialogs
