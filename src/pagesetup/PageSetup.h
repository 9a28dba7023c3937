// The page setup dialog: paper orientation, the four page margins (inches), the preview's
// zoom preset, and the way on to the print content options, the header/footer editor and the
// printer dialog. OK puts orientation and margins on the working sheet and stores them in the
// report's definition row. Beside them, "适合页宽" (spnFitWide) fits the report's columns to
// N pages across (0 off); OK puts it on the sheet and stores it in the row's 页宽缩放 when the
// table has that column, and in the session for the report in any case. The paper
// (cboPaper, under the orientation) works the same way with 纸张: a named paper, a continuous
// form, or "自定义" with a width (spnPaperWidth) and height (spnPaperHeight) in millimetres.
// In every interface language the margins may also be shown and typed in centimetres
// (cboMarginUnit); the sheet and the row keep them as always.
#pragma once

#include <QDialog>
#include <QString>

#include "grid/Paper.h"

#include "report/ReportSession.h"

class QComboBox;
class QDoubleSpinBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;

namespace tessel::widgets {
class PageView;
}

namespace tessel::pagesetup {

class PageSetup : public QDialog {
    Q_OBJECT
public:
    // Builds the dialog filled from session.sheet. `preview` is the preview's page view the
    // chosen zoom preset is applied to on OK (nullptr: none). `session` (and `preview`) must
    // outlive the dialog.
    PageSetup(report::ReportSession &session, widgets::PageView *preview,
              QWidget *parent = nullptr);
    ~PageSetup() override;

    // Fills the controls from the sheet: margins (twips) as inches "0.00", orientation, fit
    // to pages wide, and the zoom presets with "100%" selected.
    void loadFromSheet();
    // Command2 index 0 (OK) and 1 (Cancel).
    void onOkOrCancel(int index);
    // The print content options, modal.
    void onOpenPrintOptions();
    // The header/footer editor, modal.
    void onOpenHeaderFooter();
    // The printer dialog; nothing is read back from it.
    void onOpenPrinterDialog();

    QLineEdit *pagemargin(int index) const { return m_margin[index]; }  // 0 左 1 右 2 上 3 底
    QRadioButton *porientation(int index) const { return m_orientation[index]; }  // 0 纵向 1 横向
    QComboBox *combo() const { return m_zoom; }
    QSpinBox *fitWide() const { return m_fitWide; }  // 适合页宽: pages across, 0 off
    QComboBox *paperCombo() const {
        return m_paper;
    }  // the papers of grid::paperChoices, then 自定义
    QDoubleSpinBox *paperWidth() const { return m_paperSize[0]; }   // millimetres, custom only
    QDoubleSpinBox *paperHeight() const { return m_paperSize[1]; }  // millimetres, custom only
    // The paper the controls choose now.
    grid::Paper chosenPaper() const;
    QComboBox *marginUnit() const { return m_marginUnit; }  // 0 英寸, 1 厘米

private:
    bool applyAndStore();
    void returnToPreview();
    void showPaper(const grid::Paper &paper);
    void onPaperChosen();
    bool centimetres() const;
    void onMarginUnitChosen();

    report::ReportSession &m_session;
    widgets::PageView *m_preview;
    QLineEdit *m_margin[4] = {};
    QRadioButton *m_orientation[2] = {};
    QComboBox *m_zoom = nullptr;
    QSpinBox *m_fitWide = nullptr;
    QComboBox *m_paper = nullptr;
    QDoubleSpinBox *m_paperSize[2] = {};
    QComboBox *m_marginUnit = nullptr;
    QGroupBox *m_marginFrame = nullptr;
};

}  // namespace tessel::pagesetup
