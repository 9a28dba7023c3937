// The column format dialog (frmColumnFormat, "列格式"), opened from the designer's column
// header menu (格式…): the format choices (cmbFormat), the decimals of a number or percent
// format (spnDecimals, 0 to 6), and a live sample (lblSample) showing a value of the column
// under the chosen format. It takes a format and gives one back; the designer applies it.
#pragma once

#include <QDialog>

#include "grid/ColumnFormat.h"

class QComboBox;
class QLabel;
class QSpinBox;

namespace tessel::settingdialogs {

class ColumnFormatDialog : public QDialog {
    Q_OBJECT
public:
    // Starts on `initial`; `sample` is the text the sample shows formatted (a value of the
    // column; a number of its own when the column has none).
    ColumnFormatDialog(const grid::ColumnFormat &initial, const QString &sample,
                       QWidget *parent = nullptr);

    // The format the controls describe.
    grid::ColumnFormat format() const;
    // The sample as shown.
    QString sampleText() const;

private:
    void refresh();

    QString m_sample;
    QComboBox *m_choice = nullptr;
    QSpinBox *m_decimals = nullptr;
    QLabel *m_shown = nullptr;
};

}  // namespace tessel::settingdialogs
