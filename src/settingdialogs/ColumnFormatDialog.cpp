#include "settingdialogs/ColumnFormatDialog.h"

#include "base/Language.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace tessel::settingdialogs {

namespace {

using grid::ColumnFormat;
using grid::FormatKind;

// The choices, in the order offered. Integer is the number format without decimals, offered
// on its own because it is the one most columns of counts want.
struct Choice {
    const char *caption;
    FormatKind kind;
    int decimals;  // the decimals the choice starts with
};
constexpr Choice kChoices[] = {
    {QT_TRANSLATE_NOOP("tessel::base", "常规"), FormatKind::General, 0},
    {QT_TRANSLATE_NOOP("tessel::base", "整数 #,##0"), FormatKind::Number, 0},
    {QT_TRANSLATE_NOOP("tessel::base", "数值 #,##0.00"), FormatKind::Number, 2},
    {QT_TRANSLATE_NOOP("tessel::base", "百分比 0.0%"), FormatKind::Percent, 1},
    {QT_TRANSLATE_NOOP("tessel::base", "日期 yyyy-MM-dd"), FormatKind::Date, 0},
    {QT_TRANSLATE_NOOP("tessel::base", "日期时间 yyyy-MM-dd HH:mm:ss"), FormatKind::DateTime, 0},
    {QT_TRANSLATE_NOOP("tessel::base", "文本 @"), FormatKind::Text, 0},
};
constexpr int kInteger = 1;
constexpr int kFixed = 2;
constexpr int kPercent = 3;

int choiceOf(const ColumnFormat &f) {
    if (f.kind == FormatKind::Number)
        return f.decimals == 0 ? kInteger : kFixed;
    for (int i = 0; i < int(std::size(kChoices)); ++i) {
        if (kChoices[i].kind == f.kind)
            return i;
    }
    return 0;
}

}  // namespace

ColumnFormatDialog::ColumnFormatDialog(const ColumnFormat &initial, const QString &sample,
                                       QWidget *parent)
    : QDialog(parent), m_sample(sample) {
    setObjectName(QStringLiteral("frmColumnFormat"));
    setWindowTitle(tessel::base::tr("列格式"));
    setModal(true);

    m_choice = new QComboBox(this);
    m_choice->setObjectName(QStringLiteral("cmbFormat"));
    for (const Choice &c : kChoices)
        m_choice->addItem(tessel::base::tr(c.caption));
    m_decimals = new QSpinBox(this);
    m_decimals->setObjectName(QStringLiteral("spnDecimals"));
    m_decimals->setRange(0, grid::kMaxFormatDecimals);
    m_shown = new QLabel(this);
    m_shown->setObjectName(QStringLiteral("lblSample"));
    m_shown->setMinimumWidth(220);

    auto *form = new QFormLayout;
    form->addRow(tessel::base::tr("格式："), m_choice);
    form->addRow(tessel::base::tr("小数位数："), m_decimals);
    form->addRow(tessel::base::tr("示例："), m_shown);
    auto *ok = new QPushButton(tessel::base::tr("确定"), this);
    ok->setObjectName(QStringLiteral("cmdOK"));
    ok->setDefault(true);
    auto *cancel = new QPushButton(tessel::base::tr("取消"), this);
    cancel->setObjectName(QStringLiteral("cmdCancel"));
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);

    m_choice->setCurrentIndex(choiceOf(initial));
    m_decimals->setValue(initial.decimals);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_choice, &QComboBox::currentIndexChanged, this, [this](int index) {
        // A choice brings its own count of decimals; the spin box can change it after.
        if (index >= 0)
            m_decimals->setValue(kChoices[index].decimals);
        refresh();
    });
    connect(m_decimals, &QSpinBox::valueChanged, this, [this] { refresh(); });
    refresh();
}

ColumnFormat ColumnFormatDialog::format() const {
    const int index = std::max(0, m_choice->currentIndex());
    const FormatKind kind = kChoices[index].kind;
    if (index == kInteger)
        return ColumnFormat{kind, 0};
    if (index == kFixed || index == kPercent)
        return ColumnFormat{kind, m_decimals->value()};
    return ColumnFormat{kind, 0};
}

QString ColumnFormatDialog::sampleText() const {
    return m_shown->text();
}

void ColumnFormatDialog::refresh() {
    const int index = m_choice->currentIndex();
    m_decimals->setEnabled(index == kFixed || index == kPercent);
    m_shown->setText(grid::formatted(m_sample, format(), grid::numberSeparators()));
}

}  // namespace tessel::settingdialogs
