// The column header editor (frmLBT): every column header of the designer's working sheet as
// one line of text, the texts separated by full-width commas.
#pragma once

#include <QDialog>

class QLineEdit;

namespace tessel::designer {

class PrintSpread;

class ColumnHeaderEditor : public QDialog {
    Q_OBJECT
public:
    // Builds the editor on `designer` and fills txtColSTR with the header texts (row 0) of
    // columns 1..N joined by "，" (no separator after the last; empty for no columns).
    explicit ColumnHeaderEditor(PrintSpread &designer);
    ~ColumnHeaderEditor() override;

    // OK: splits txtColSTR at "，" into columns 1..N (an empty item gives " ", columns
    // without an item keep their header, items past N are dropped; widths stay), then
    // closes with Accepted.
    void onApplyHeaders();
    // Cancel: closes with Rejected; the sheet is not touched.
    void onCancel();

private:
    PrintSpread &m_designer;
    QLineEdit *m_text = nullptr;
};

// Runs the column header editor on the designer's sheet, modal; returns the dialog's result
// (QDialog::Accepted after OK).
int runColumnHeaderEditor(PrintSpread &designer);

}  // namespace tessel::designer
