#include "pagesetup/PageSetup.h"

#include <tessel/Error.h>

#include <QButtonGroup>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QSpinBox>
#include <QVBoxLayout>
#include <cmath>

#include "base/ErrorMessage.h"
#include "base/Interaction.h"
#include "base/Language.h"
#include "base/MessageTitles.h"
#include "definitions/Columns.h"
#include "definitions/DefinitionWrites.h"
#include "definitions/OptionalColumns.h"
#include "pagesetup/HeaderFooterEditor.h"
#include "pagesetup/PrintOptions.h"
#include "widgets/PageView.h"
#include "widgets/ToolbarImages.h"
#include "widgets/Zooms.h"

namespace tessel::pagesetup {

namespace {

QString kNoReport() {
    return tessel::base::tr("系统错误，报表不存在");
}
// Written by the dialog itself: a margin box is complete only as one digit, a point and two
// digits.
QString kIncompleteMargin() {
    return tessel::base::tr("页边距请按 0.00 的格式填写（0.00 到 9.99 英寸）");
}

// Captions of the margin boxes pagemargin 0 to 3: left, right, top, bottom.
constexpr const char *kMarginCaptions[4] = {
    QT_TRANSLATE_NOOP("tessel::base", "左:"), QT_TRANSLATE_NOOP("tessel::base", "右:"),
    QT_TRANSLATE_NOOP("tessel::base", "上:"), QT_TRANSLATE_NOOP("tessel::base", "底:")};

QString kIncompleteMarginCm() {
    return tessel::base::tr("页边距请按 0.00 的格式填写（0.00 到 99.99 厘米）");
}

constexpr double kCmPerInch = 2.54;

QString inchesText(int twips) {
    return QString::number(double(twips) / grid::kTwipsPerInch, 'f', 2);
}

// The margin boxes' pattern: one digit, a point and two digits in inches; up to two digits
// before the point in centimetres, so that the same margins fit.
void setMarginPattern(QLineEdit *box, bool centimetres) {
    const QRegularExpression pattern(centimetres ? QStringLiteral("[0-9]{1,2}\\.[0-9]{2}")
                                                 : QStringLiteral("[0-9]\\.[0-9]{2}"));
    delete box->validator();
    box->setValidator(new QRegularExpressionValidator(pattern, box));
    box->setMaxLength(centimetres ? 5 : 4);
}

void showFailure(QWidget *parent, const std::exception &e) {
    base::showWarning(parent, base::errorMessage(tessel::base::tr("页面设置保存失败"), e),
                      base::warningTitle());
}

}  // namespace

PageSetup::PageSetup(report::ReportSession &session, widgets::PageView *preview, QWidget *parent)
    : QDialog(parent), m_session(session), m_preview(preview) {
    setObjectName(QStringLiteral("pagesetup"));
    setWindowTitle(tessel::base::tr("页面设置"));

    // Orientation, with a picture of each paper position.
    auto *frame1 = new QGroupBox(tessel::base::tr("打印方向"), this);
    frame1->setObjectName(QStringLiteral("Frame1"));
    auto *orientationGroup = new QButtonGroup(this);
    auto *frame1Layout = new QGridLayout(frame1);
    const char *orientationCaptions[2] = {QT_TRANSLATE_NOOP("tessel::base", "纵向"),
                                          QT_TRANSLATE_NOOP("tessel::base", "横向")};
    const char *orientationImages[2] = {"portrait", "landscape"};
    for (int i = 0; i < 2; ++i) {
        auto *image = new QLabel(frame1);
        image->setObjectName(QStringLiteral("Image1_%1").arg(i));
        image->setPixmap(widgets::toolbarImage(QString::fromLatin1(orientationImages[i])));
        m_orientation[i] = new QRadioButton(tessel::base::tr(orientationCaptions[i]), frame1);
        m_orientation[i]->setObjectName(QStringLiteral("porientation_%1").arg(i));
        orientationGroup->addButton(m_orientation[i], i);
        frame1Layout->addWidget(image, i, 0);
        frame1Layout->addWidget(m_orientation[i], i, 1);
    }

    // Paper, under the orientation: a named paper or a continuous form, or a custom size.
    auto *framePaper = new QGroupBox(tessel::base::tr("纸张"), this);
    framePaper->setObjectName(QStringLiteral("FramePaper"));
    auto *paperLayout = new QGridLayout(framePaper);
    m_paper = new QComboBox(framePaper);
    m_paper->setObjectName(QStringLiteral("cboPaper"));
    for (const grid::PaperChoice &choice : grid::paperChoices())
        m_paper->addItem(tessel::base::tr(choice.caption), choice.name);
    m_paper->addItem(tessel::base::tr("自定义"));
    paperLayout->addWidget(m_paper, 0, 0, 1, 4);
    const char *sizeCaptions[2] = {QT_TRANSLATE_NOOP("tessel::base", "宽(毫米):"),
                                   QT_TRANSLATE_NOOP("tessel::base", "高(毫米):")};
    const char *sizeNames[2] = {"spnPaperWidth", "spnPaperHeight"};
    for (int i = 0; i < 2; ++i) {
        auto *label = new QLabel(tessel::base::tr(sizeCaptions[i]), framePaper);
        m_paperSize[i] = new QDoubleSpinBox(framePaper);
        m_paperSize[i]->setObjectName(QString::fromLatin1(sizeNames[i]));
        m_paperSize[i]->setRange(grid::kMinPaperMm, grid::kMaxPaperMm);
        m_paperSize[i]->setDecimals(1);
        label->setBuddy(m_paperSize[i]);
        paperLayout->addWidget(label, 1, i * 2);
        paperLayout->addWidget(m_paperSize[i], 1, i * 2 + 1);
    }
    m_paperSize[0]->setToolTip(tessel::base::tr("横过打印页面的宽度（纵向时）"));

    // Preview type.
    auto *framePreview = new QGroupBox(tessel::base::tr("预览方式"), this);
    framePreview->setObjectName(QStringLiteral("Frame2"));
    auto *previewLayout = new QHBoxLayout(framePreview);
    auto *label1 = new QLabel(tessel::base::tr("类型:"), framePreview);
    label1->setObjectName(QStringLiteral("Label1"));
    m_zoom = new QComboBox(framePreview);
    m_zoom->setObjectName(QStringLiteral("Combo1"));
    m_zoom->setEditable(false);
    previewLayout->addWidget(label1);
    previewLayout->addWidget(m_zoom, 1);

    // Margins in inches.
    auto *frameMargins = new QGroupBox(tessel::base::tr("纸张边界设置(英寸)"), this);
    frameMargins->setObjectName(QStringLiteral("Frame2"));
    m_marginFrame = frameMargins;
    auto *marginLayout = new QGridLayout(frameMargins);
    for (int i = 0; i < 4; ++i) {
        auto *label = new QLabel(tessel::base::tr(kMarginCaptions[i]), frameMargins);
        label->setObjectName(QStringLiteral("Label2_%1").arg(i));
        m_margin[i] = new QLineEdit(frameMargins);
        m_margin[i]->setObjectName(QStringLiteral("pagemargin_%1").arg(i));
        setMarginPattern(m_margin[i], false);
        m_margin[i]->setPlaceholderText(QStringLiteral("_.__"));
        marginLayout->addWidget(label, i / 2, (i % 2) * 2);
        marginLayout->addWidget(m_margin[i], i / 2, (i % 2) * 2 + 1);
    }
    // Centimetres beside inches, in every interface language.
    auto *unitLabel = new QLabel(tessel::base::tr("单位:"), frameMargins);
    m_marginUnit = new QComboBox(frameMargins);
    m_marginUnit->setObjectName(QStringLiteral("cboMarginUnit"));
    m_marginUnit->addItems({tessel::base::tr("英寸"), tessel::base::tr("厘米")});
    unitLabel->setBuddy(m_marginUnit);
    marginLayout->addWidget(unitLabel, 2, 0);
    marginLayout->addWidget(m_marginUnit, 2, 1);

    // Fit to pages wide, under the margins: the columns shrink to N pages across.
    auto *fitLayout = new QHBoxLayout;
    auto *fitLabel = new QLabel(tessel::base::tr("适合页宽"), this);
    fitLabel->setObjectName(QStringLiteral("lblFitWide"));
    m_fitWide = new QSpinBox(this);
    m_fitWide->setObjectName(QStringLiteral("spnFitWide"));
    m_fitWide->setRange(0, definitions::kMaxFitPagesWide);
    m_fitWide->setToolTip(tessel::base::tr("把各列缩放到这么多页宽；0 不缩放"));
    fitLabel->setBuddy(m_fitWide);
    fitLayout->addWidget(fitLabel);
    fitLayout->addWidget(m_fitWide);
    fitLayout->addStretch(1);

    // The dialogs for what a page shows.
    auto *frame3 = new QGroupBox(tessel::base::tr("显示设置"), this);
    frame3->setObjectName(QStringLiteral("Frame3"));
    auto *frame3Layout = new QVBoxLayout(frame3);
    auto *cmdPageset = new QPushButton(tessel::base::tr("显示内容设置"), frame3);
    cmdPageset->setObjectName(QStringLiteral("cmdPageset"));
    auto *command1 = new QPushButton(tessel::base::tr("设置页头/页脚信息"), frame3);
    command1->setObjectName(QStringLiteral("Command1"));
    frame3Layout->addWidget(cmdPageset);
    frame3Layout->addWidget(command1);

    auto *command4 = new QPushButton(tessel::base::tr("打印&P"), this);
    command4->setObjectName(QStringLiteral("Command4"));
    auto *ok = new QPushButton(tessel::base::tr("确定&O"), this);
    ok->setObjectName(QStringLiteral("Command2_0"));
    ok->setDefault(true);
    auto *cancel = new QPushButton(tessel::base::tr("取消&C"), this);
    cancel->setObjectName(QStringLiteral("Command2_1"));
    cancel->setAutoDefault(false);

    auto *left = new QVBoxLayout;
    left->addWidget(frame1);
    left->addWidget(framePaper);
    left->addWidget(framePreview);
    left->addStretch(1);
    auto *right = new QVBoxLayout;
    right->addWidget(frameMargins);
    right->addLayout(fitLayout);
    right->addWidget(frame3);
    right->addStretch(1);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(command4);
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto *top = new QGridLayout(this);
    top->addLayout(left, 0, 0);
    top->addLayout(right, 0, 1);
    top->addLayout(buttons, 1, 0, 1, 2);

    connect(ok, &QPushButton::clicked, this, [this] { onOkOrCancel(0); });
    connect(cancel, &QPushButton::clicked, this, [this] { onOkOrCancel(1); });
    connect(cmdPageset, &QPushButton::clicked, this, &PageSetup::onOpenPrintOptions);
    connect(command1, &QPushButton::clicked, this, &PageSetup::onOpenHeaderFooter);
    connect(command4, &QPushButton::clicked, this, &PageSetup::onOpenPrinterDialog);
    connect(m_paper, &QComboBox::activated, this, &PageSetup::onPaperChosen);
    connect(m_marginUnit, &QComboBox::activated, this, &PageSetup::onMarginUnitChosen);

    loadFromSheet();
}

PageSetup::~PageSetup() = default;

void PageSetup::loadFromSheet() {
    const grid::PrintSettings &print = m_session.sheet.print();
    const int twips[4] = {print.marginLeft, print.marginRight, print.marginTop, print.marginBottom};
    m_marginUnit->setCurrentIndex(0);
    onMarginUnitChosen();
    for (int i = 0; i < 4; ++i)
        m_margin[i]->setText(inchesText(twips[i]));
    if (print.orientation == grid::Orientation::Landscape)
        m_orientation[1]->setChecked(true);
    else
        m_orientation[0]->setChecked(true);
    m_fitWide->setValue(print.fitPagesWide);
    showPaper(print.paper);
    m_zoom->clear();
    m_zoom->addItems(widgets::zoomPresetTexts());
    m_zoom->setCurrentIndex(widgets::kDefaultZoomPreset);
}

void PageSetup::onOkOrCancel(int index) {
    if (index == 1) {
        reject();
        returnToPreview();
        return;
    }
    try {
        if (!applyAndStore())
            return;
    } catch (const std::exception &e) {
        showFailure(this, e);
        return;
    }
    accept();
    returnToPreview();
}

bool PageSetup::applyAndStore() {
    // A box the pattern does not fill (prompts left, or a margin of ten inches or more read
    // from the sheet) has no value to store: the user completes it first.
    double inches[4] = {};
    for (int i = 0; i < 4; ++i) {
        if (!m_margin[i]->hasAcceptableInput()) {
            base::showInformation(this, centimetres() ? kIncompleteMarginCm() : kIncompleteMargin(),
                                  base::informationTitle());
            m_margin[i]->setFocus();
            m_margin[i]->selectAll();
            return false;
        }
        inches[i] = m_margin[i]->text().toDouble();
        // Four decimals of an inch (a fortieth of a millimetre) keep the row's value short:
        // a longer one may not read back equal, and the row could not be written again.
        if (centimetres())
            inches[i] = std::round(inches[i] / kCmPerInch * 1e4) / 1e4;
    }

    const bool portrait = m_orientation[0]->isChecked();
    grid::PrintSettings next = m_session.sheet.print();
    next.marginTop = int(std::lround(inches[2] * grid::kTwipsPerInch));
    next.marginBottom = int(std::lround(inches[3] * grid::kTwipsPerInch));
    next.marginLeft = int(std::lround(inches[0] * grid::kTwipsPerInch));
    next.marginRight = int(std::lround(inches[1] * grid::kTwipsPerInch));
    next.orientation = portrait ? grid::Orientation::Portrait : grid::Orientation::Landscape;
    next.fitPagesWide = m_fitWide->value();
    next.paper = chosenPaper();
    const definitions::PageSetupValues values{portrait, inches[0], inches[1], inches[2], inches[3]};

    // Sheet and row change together: a row that cannot be written puts the sheet back, so
    // what the report prints now is what it will print the next time it is run. A failure
    // before the sheet changed leaves it equal to previous.
    const grid::PrintSettings previous = m_session.sheet.print();
    bool fitStored = true, paperStored = true;
    try {
        // The fit is written by a statement of its own, in the same transaction as the row.
        db::Transaction tx(m_session.connection);
        if (!definitions::savePageSetup(m_session.connection, m_session.reportName, values,
                                        [&] { m_session.sheet.setPrint(next); })) {
            base::showInformation(this, kNoReport(), base::informationTitle());
            return false;
        }
        fitStored = definitions::writeOptionalColumn(m_session.connection,
                                                     definitions::column::kFitPagesWide,
                                                     m_session.reportName, next.fitPagesWide);
        paperStored = definitions::writeOptionalColumn(
            m_session.connection, definitions::column::kPaper, m_session.reportName,
            definitions::encodePaper(next.paper));
        tx.commit();
    } catch (...) {
        m_session.sheet.setPrint(previous);
        throw;
    }
    // A setting the table has no column for lives for the session: the user is told once
    // which column keeps it, and how to add it.
    if (!fitStored && next.fitPagesWide != 0)
        definitions::tellIfSessionOnly(this, m_session.connection,
                                       definitions::column::kFitPagesWide);
    if (!paperStored && !(next.paper == grid::Paper{}))
        definitions::tellIfSessionOnly(this, m_session.connection, definitions::column::kPaper);
    m_session.fitPagesWide.insert(m_session.reportName, next.fitPagesWide);
    m_session.papers.insert(m_session.reportName, next.paper);
    if (m_preview)
        widgets::SetZoom(*m_preview, m_zoom->currentIndex());
    return true;
}

grid::Paper PageSetup::chosenPaper() const {
    return grid::Paper{m_paperSize[0]->value(), m_paperSize[1]->value()};
}

void PageSetup::showPaper(const grid::Paper &paper) {
    const std::optional<grid::PaperChoice> choice = grid::paperChoice(paper);
    const int index = choice ? m_paper->findData(choice->name) : m_paper->count() - 1;
    m_paper->setCurrentIndex(index);
    m_paperSize[0]->setValue(paper.widthMm);
    m_paperSize[1]->setValue(paper.heightMm);
    onPaperChosen();
}

void PageSetup::onPaperChosen() {
    // A named paper shows its size; "自定义" keeps the size shown and lets it be typed.
    const bool custom = m_paper->currentIndex() == m_paper->count() - 1;
    if (!custom) {
        const grid::Paper named = grid::paperChoices()[std::size_t(m_paper->currentIndex())].paper;
        m_paperSize[0]->setValue(named.widthMm);
        m_paperSize[1]->setValue(named.heightMm);
    }
    for (QDoubleSpinBox *box : m_paperSize)
        box->setEnabled(custom);
}

bool PageSetup::centimetres() const {
    return m_marginUnit->currentIndex() == 1;
}

void PageSetup::onMarginUnitChosen() {
    const bool cm = centimetres();
    if (m_margin[0]->maxLength() == (cm ? 5 : 4))
        return;  // the boxes show this unit already
    m_marginFrame->setTitle(cm ? tessel::base::tr("纸张边界设置(厘米)")
                               : tessel::base::tr("纸张边界设置(英寸)"));
    // Each complete value is shown in the new unit; what the user has not finished stays.
    for (QLineEdit *box : m_margin) {
        const bool complete = box->hasAcceptableInput();
        const double value = box->text().toDouble() * (cm ? kCmPerInch : 1 / kCmPerInch);
        setMarginPattern(box, cm);
        if (complete)
            box->setText(QString::number(std::min(value, cm ? 99.99 : 9.99), 'f', 2));
    }
}

void PageSetup::returnToPreview() {
    if (QWidget *owner = parentWidget()) {
        owner->window()->activateWindow();
        owner->window()->setFocus();
    }
}

void PageSetup::onOpenPrintOptions() {
    PrintOptionsDialog dialog(m_session, this);
    base::interaction().execDialog(&dialog);
}

void PageSetup::onOpenHeaderFooter() {
    runHeaderFooterEditor(m_session, this);
}

void PageSetup::onOpenPrinterDialog() {
    QPrinter printer;
    printer.setPageSize(grid::pageSize(chosenPaper()));
    printer.setPageOrientation(m_session.sheet.print().orientation == grid::Orientation::Landscape
                                   ? QPageLayout::Landscape
                                   : QPageLayout::Portrait);
    base::interaction().choosePrinter(this, &printer);
}

}  // namespace tessel::pagesetup
