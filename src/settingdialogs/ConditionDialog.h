// The conditional formats dialog (frmConditions, "条件格式"), opened from the designer's column
// header menu (条件格式…). It edits the rules of one column of a report:
//  - the column's rules in priority order (lstRules; cmdAddRule, cmdRemoveRule, cmdRuleUp,
//    cmdRuleDown);
//  - for the rule selected: its kind (cmbKind: a condition, a scale of two or three colours,
//    a data bar); a condition (cmbWhen) with the values it takes (txtValue, txtValue2, and
//    chkPercent for top and bottom) and the look it gives: text colour (chkText, cmdText),
//    fill (chkFill, cmdFill), bold (chkBold), italic (chkItalic), to the whole row (chkRow),
//    later rules stopped where it matched (chkStop); a scale's colours (cmdScale_0 smallest,
//    cmdScale_1 middle of three, cmdScale_2 largest); a bar's colour (cmdBar). A colour button
//    shows its colour and opens a colour dialog (dlgColour).
// A live sample (VaSample) shows the report's first rows coloured by every rule of the report
// as edited that a run would apply (a rule whose value is still to be typed colours nothing).
// OK keeps the dialog open, and says why, while a rule lacks what it needs (a value, a count of
// 1 to 1000) or compares a number column by order with a text (textComparisons). It takes the
// report's rules and gives them back with the column's edited in place.
#pragma once

#include <QDialog>

#include "grid/ConditionRules.h"
#include "grid/Sheet.h"
#include "settingdialogs/SampleView.h"

class QCheckBox;
class QComboBox;
class QFormLayout;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace tessel::settingdialogs {

class ListEditor;

class ConditionDialog : public QDialog {
    Q_OBJECT
public:
    // The rows the sample shows at most.
    static constexpr int kSampleRows = SampleView::kRows;

    // Edits the rules of `column` (1..report.maxCols()) among `rules`, all of the report's.
    // The column labels and the sample come from `report` (row 0 and its first kSampleRows
    // rows).
    ConditionDialog(const grid::ConditionRules &rules, const grid::Sheet &report, int column,
                    QWidget *parent = nullptr);

    // Every rule of the report: the others as given, the column's as edited in their places.
    grid::ConditionRules rules() const;
    // The sample as shown, its rules set.
    const grid::Sheet &sample() const { return m_sample->sheet(); }

    void accept() override;

private:
    void showRule();
    void showShape();
    void ruleEdited();
    void refreshSample();
    grid::ConditionRule *currentRule();
    QPushButton *colourButton(const char *name);
    void showColour(QPushButton *button, const QColor &colour);
    // Asks for a colour starting at `colour`; true with the new one in `colour` when chosen.
    bool chooseColour(QColor &colour);

    grid::ConditionRules m_all;
    int m_column = 1;
    int m_columnCount = 0;
    grid::ConditionRules m_rules;  // the column's, as edited
    bool m_showing = false;        // controls are being set from a rule: no edit
    // The colours the two look boxes bring back when ticked again.
    QColor m_lastText;
    QColor m_lastFill;

    ListEditor *m_list = nullptr;
    QGroupBox *m_rule = nullptr;
    QFormLayout *m_form = nullptr;
    QComboBox *m_kind = nullptr;
    QComboBox *m_when = nullptr;
    QLineEdit *m_value = nullptr;
    QLabel *m_and = nullptr;
    QLineEdit *m_value2 = nullptr;
    QCheckBox *m_percent = nullptr;
    QCheckBox *m_hasText = nullptr;
    QPushButton *m_text = nullptr;
    QCheckBox *m_hasFill = nullptr;
    QPushButton *m_fill = nullptr;
    QCheckBox *m_bold = nullptr;
    QCheckBox *m_italic = nullptr;
    QCheckBox *m_row = nullptr;
    QCheckBox *m_stop = nullptr;
    QPushButton *m_scale[3] = {};
    QLabel *m_middleCaption = nullptr;
    QPushButton *m_bar = nullptr;
    SampleView *m_sample = nullptr;  // the report's first rows, coloured by the rules
};

}  // namespace tessel::settingdialogs
