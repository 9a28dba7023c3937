#include "pagesetup/PrintOptions.h"

#include <tessel/Error.h>

#include <QButtonGroup>
#include <QCheckBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QVBoxLayout>
#include <cmath>

#include "base/ErrorMessage.h"
#include "base/Interaction.h"
#include "base/Language.h"
#include "base/MessageTitles.h"
#include "definitions/DefinitionWrites.h"

namespace tessel::pagesetup {

namespace {

QString kNoReport() {
    return tessel::base::tr("系统错误，报表不存在");
}

constexpr const char *kFlagCaptions[PrintOptionsDialog::kFlagCount] = {
    QT_TRANSLATE_NOOP("tessel::base", "列标"),
    QT_TRANSLATE_NOOP("tessel::base", "行标"),
    QT_TRANSLATE_NOOP("tessel::base", "网格线"),
    QT_TRANSLATE_NOOP("tessel::base", "边框"),
    QT_TRANSLATE_NOOP("tessel::base", "只打印数据单元格"),
    QT_TRANSLATE_NOOP("tessel::base", "彩色打印"),
    QT_TRANSLATE_NOOP("tessel::base", "阴影")};
constexpr const char *kRangeCaptions[PrintOptionsDialog::kRangeCount] = {
    QT_TRANSLATE_NOOP("tessel::base", "全部"), QT_TRANSLATE_NOOP("tessel::base", "所选单元格"),
    QT_TRANSLATE_NOOP("tessel::base", "当前页"), QT_TRANSLATE_NOOP("tessel::base", "页码范围")};
constexpr int kLargestPage = 32767;

// The sheet's flags in Check1 order.
bool *flagOf(grid::PrintSettings &s, int index) {
    bool *flags[PrintOptionsDialog::kFlagCount] = {
        &s.colHeaders, &s.rowHeaders, &s.gridLines, &s.border, &s.onlyData, &s.color, &s.shadows};
    return flags[index];
}

}  // namespace

std::optional<int> pageNumberFromText(const QString &text) {
    static const QRegularExpression number(
        QStringLiteral("^\\s*[+-]?(?:[0-9]+(?:\\.[0-9]*)?|\\.[0-9]+)\\s*$"));
    if (!number.match(text).hasMatch())
        return std::nullopt;
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    // Round to nearest, halves to even: the default floating-point rounding mode.
    const double rounded = std::nearbyint(value);
    if (rounded < 0 || rounded > kLargestPage)
        return std::nullopt;
    return int(rounded);
}

PrintOptionsDialog::PrintOptionsDialog(report::ReportSession &session, QWidget *parent)
    : QDialog(parent), m_session(session) {
    setObjectName(QStringLiteral("PrintDlg"));
    setWindowTitle(tessel::base::tr("内容显示选项"));

    auto *frame2 = new QGroupBox(tessel::base::tr("打印内容选项"), this);
    frame2->setObjectName(QStringLiteral("Frame2"));
    auto *flagsLayout = new QGridLayout(frame2);
    for (int i = 0; i < kFlagCount; ++i) {
        m_flags[i] = new QCheckBox(tessel::base::tr(kFlagCaptions[i]), frame2);
        m_flags[i]->setObjectName(QStringLiteral("Check1_%1").arg(i));
        // Indexes 0 to 2 in the left column, 3 to 6 in the right.
        if (i < 3)
            flagsLayout->addWidget(m_flags[i], i, 0);
        else
            flagsLayout->addWidget(m_flags[i], i - 3, 1);
    }

    auto *frame1 = new QGroupBox(tessel::base::tr("打印范围"), this);
    frame1->setObjectName(QStringLiteral("Frame1"));
    auto *rangeLayout = new QGridLayout(frame1);
    auto *rangeGroup = new QButtonGroup(this);
    for (int i = 0; i < kRangeCount; ++i) {
        m_ranges[i] = new QRadioButton(tessel::base::tr(kRangeCaptions[i]), frame1);
        m_ranges[i]->setObjectName(QStringLiteral("Option1_%1").arg(i));
        rangeGroup->addButton(m_ranges[i], i);
        rangeLayout->addWidget(m_ranges[i], i, 0);
        connect(m_ranges[i], &QRadioButton::toggled, this, [this, i](bool checked) {
            if (checked)
                onRangeChosen(i);
        });
    }
    auto *pagesRow = new QHBoxLayout;
    for (int i = 0; i < 2; ++i) {
        m_pages[i] = new QLineEdit(QStringLiteral("1"), frame1);
        m_pages[i]->setObjectName(QStringLiteral("Text1_%1").arg(i));
        m_pages[i]->setMaximumWidth(60);
        m_pages[i]->installEventFilter(this);
    }
    auto *label1 = new QLabel(tessel::base::tr("到"), frame1);
    label1->setObjectName(QStringLiteral("Label1"));
    pagesRow->addWidget(m_pages[0]);
    pagesRow->addWidget(label1);
    pagesRow->addWidget(m_pages[1]);
    pagesRow->addStretch(1);
    rangeLayout->addLayout(pagesRow, 3, 1);

    auto *cmdOK = new QPushButton(tessel::base::tr("保存"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    auto *command3 = new QPushButton(tessel::base::tr("取消"), this);
    command3->setObjectName(QStringLiteral("Command3"));
    command3->setAutoDefault(false);
    connect(cmdOK, &QPushButton::clicked, this, &PrintOptionsDialog::onSave);
    connect(command3, &QPushButton::clicked, this, &PrintOptionsDialog::onCancel);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdOK);
    buttons->addWidget(command3);
    auto *top = new QVBoxLayout(this);
    top->addWidget(frame2);
    top->addWidget(frame1);
    top->addLayout(buttons);

    LoadSpread();
}

PrintOptionsDialog::~PrintOptionsDialog() = default;

void PrintOptionsDialog::LoadSpread() {
    grid::PrintSettings print = m_session.sheet.print();
    for (int i = 0; i < kFlagCount; ++i)
        m_flags[i]->setChecked(*flagOf(print, i));
    const int type = int(print.type);
    if (type >= 0 && type < kRangeCount) {
        m_ranges[type]->setChecked(true);
        // Choosing an option that was chosen already sends no toggle; the rule runs anyway.
        onRangeChosen(type);
    }
}

void PrintOptionsDialog::onRangeChosen(int index) {
    const bool pageRange = index == 3;
    m_pages[0]->setEnabled(pageRange);
    m_pages[1]->setEnabled(pageRange);
}

void PrintOptionsDialog::Text1_KeyUp(int index) {
    if (!pageNumberFromText(m_pages[index]->text()))
        m_pages[index]->setText(QStringLiteral("1"));
}

bool PrintOptionsDialog::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() == QEvent::KeyRelease) {
        for (int i = 0; i < 2; ++i) {
            if (watched == m_pages[i])
                Text1_KeyUp(i);
        }
    }
    return QDialog::eventFilter(watched, event);
}

bool PrintOptionsDialog::SaveSpread() {
    grid::Sheet &sheet = m_session.sheet;
    grid::PrintSettings next = sheet.print();
    for (int i = 0; i < kFlagCount; ++i)
        *flagOf(next, i) = m_flags[i]->isChecked();
    if (m_ranges[0]->isChecked()) {
        next.type = grid::PrintType::All;
    } else if (m_ranges[1]->isChecked()) {
        next.block = sheet.selection();
        next.type = grid::PrintType::CellRange;
    } else if (m_ranges[2]->isChecked()) {
        next.type = grid::PrintType::CurrentPage;
    } else {
        // The page range, also when no option is chosen. A box the key check has not seen
        // (text put there otherwise) is read as that check would leave it.
        next.pageStart = pageNumberFromText(m_pages[0]->text()).value_or(1);
        next.pageEnd = pageNumberFromText(m_pages[1]->text()).value_or(1);
        next.type = grid::PrintType::PageRange;
    }

    // The row is looked for before anything changes, so a report that was never saved keeps
    // its sheet as it was, too. Sheet and row change together: a row that cannot be written
    // puts the sheet back (a failure before the sheet changed leaves it equal to previous).
    const grid::PrintSettings previous = sheet.print();
    try {
        if (!definitions::savePrintOptions(m_session.connection, m_session.reportName, next,
                                           [&] { sheet.setPrint(next); })) {
            base::showInformation(this, kNoReport(), base::informationTitle());
            return false;
        }
    } catch (...) {
        sheet.setPrint(previous);
        throw;
    }
    return true;
}

void PrintOptionsDialog::onSave() {
    try {
        if (!SaveSpread())
            return;
    } catch (const std::exception &e) {
        base::showWarning(this, base::errorMessage(tessel::base::tr("打印设置保存失败"), e),
                          base::warningTitle());
        return;
    }
    accept();
}

void PrintOptionsDialog::onCancel() {
    reject();
}

}  // namespace tessel::pagesetup
