// The print content options dialog: what a printed page shows (column and row headers, grid
// lines, border, colour, shadows, only the data area) and which part of the report prints
// (all, the selected cells, the current page, a page range). Save puts the choices on the
// working sheet and stores them in the report's definition row.
#pragma once

#include <QDialog>
#include <QString>
#include <optional>

#include "report/ReportSession.h"

class QCheckBox;
class QLineEdit;
class QRadioButton;

namespace tessel::pagesetup {

// A page box's text read as a page number: a plain decimal number (an optional sign, digits
// with an optional point and fraction, blanks around it) rounded to the nearest whole number
// with halves going to the even neighbour ("2.5" gives 2, "3.5" gives 4). Numbers that round
// to below 0 or above 32767, and every other text, are not page numbers: nullopt.
std::optional<int> pageNumberFromText(const QString &text);

class PrintOptionsDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int kFlagCount = 7;
    static constexpr int kRangeCount = 4;

    // Builds the dialog filled from session.sheet (LoadSpread). Saving stores into the
    // definition row of session.reportName over session.connection. `session` must outlive
    // the dialog.
    explicit PrintOptionsDialog(report::ReportSession &session, QWidget *parent = nullptr);
    ~PrintOptionsDialog() override;

    // Check boxes from the sheet's print flags, the range option from its print type; the
    // page boxes keep "1" and "1".
    void LoadSpread();
    // Reads the definition row for update; without one tells the user "系统错误，报表不存在"
    // and changes nothing. Otherwise puts flags and range on the sheet and in the row and
    // writes the row; a row that cannot be written leaves the sheet as it was (the error
    // propagates). Returns whether anything was stored.
    bool SaveSpread();

    void onSave();    // 保存: SaveSpread, then close when it stored
    void onCancel();  // 取消: close, nothing changed
    // Choosing range option `index`: the page boxes take input only for 3 (页码范围).
    void onRangeChosen(int index);
    // After a key is released in page box `index`: a text that is not a page number
    // becomes "1".
    void Text1_KeyUp(int index);

    QCheckBox *Check1(int index) const { return m_flags[index]; }
    QRadioButton *Option1(int index) const { return m_ranges[index]; }
    QLineEdit *Text1(int index) const { return m_pages[index]; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    report::ReportSession &m_session;
    QCheckBox *m_flags[kFlagCount] = {};
    QRadioButton *m_ranges[kRangeCount] = {};
    QLineEdit *m_pages[2] = {};
};

}  // namespace tessel::pagesetup
