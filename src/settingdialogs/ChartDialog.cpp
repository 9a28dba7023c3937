#include "settingdialogs/ChartDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "base/Interaction.h"
#include "base/Language.h"
#include "base/MessageTitles.h"
#include "charts/StoredCharts.h"
#include "settingdialogs/ChartEditing.h"
#include "settingdialogs/DialogParts.h"
#include "settingdialogs/ListEditor.h"
#include "settingdialogs/ListItems.h"

namespace tessel::settingdialogs {

using grid::ChartSpec;

namespace {

// The source and place boxes' entries, in the order of their enums.
constexpr const char *kSources[] = {
    QT_TRANSLATE_NOOP("tessel::base", "数据行（每行一个点）"),
    QT_TRANSLATE_NOOP("tessel::base", "分组小计（最外层每组一个点）"),
};
constexpr const char *kPlaces[] = {
    QT_TRANSLATE_NOOP("tessel::base", "报表末尾（放得下时同页）"),
    QT_TRANSLATE_NOOP("tessel::base", "单独一页"),
};

}  // namespace

ChartDialog::ChartDialog(const grid::ChartSpecs &charts, const grid::Sheet &report, int column,
                         const QStringList &ignored, QWidget *parent)
    : QDialog(parent), m_report(report), m_column(column), m_charts(charts) {
    setObjectName(QStringLiteral("frmCharts"));
    setWindowTitle(tessel::base::tr("图表"));
    setModal(true);
    if (m_charts.empty())
        m_charts.push_back(chartForColumn(report, column));
    const int cols = report.maxCols();

    // The charts.
    auto *listBox = new QGroupBox(tessel::base::tr("报表的图表（按打印顺序）"), this);
    listBox->setObjectName(QStringLiteral("grpCharts"));
    // Their order is the printing's alone: no 上移 or 下移.
    m_list =
        new ListEditor({"lstCharts", "cmdAddChart", "cmdRemoveChart"}, Qt::Horizontal, listBox);
    m_list->list()->setMaximumHeight(110);
    auto *listLayout = new QVBoxLayout(listBox);
    listLayout->addWidget(m_list, 1);

    // The chart selected.
    m_chart = new QGroupBox(tessel::base::tr("所选图表"), this);
    m_chart->setObjectName(QStringLiteral("grpChart"));
    m_type = new QComboBox(m_chart);
    m_type->setObjectName(QStringLiteral("cmbType"));
    for (const ChartTypeChoice &c : chartTypeChoices())
        m_type->addItem(tessel::base::tr(c.caption));
    m_stacked = new QCheckBox(tessel::base::tr("堆积"), m_chart);
    m_stacked->setObjectName(QStringLiteral("chkStacked"));
    auto *typeRow = new QHBoxLayout;
    typeRow->addWidget(m_type, 1);
    typeRow->addWidget(m_stacked);
    m_title = new QLineEdit(m_chart);
    m_title->setObjectName(QStringLiteral("txtTitle"));
    m_category = new QComboBox(m_chart);
    m_category->setObjectName(QStringLiteral("cmbCategory"));
    m_values = new QListWidget(m_chart);
    m_values->setObjectName(QStringLiteral("lstValues"));
    for (int c = 1; c <= cols; ++c) {
        m_category->addItem(columnCaption(c));
        auto *item = new QListWidgetItem(columnCaption(c), m_values);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
    m_source = new QComboBox(m_chart);
    m_source->setObjectName(QStringLiteral("cmbSource"));
    for (const char *s : kSources)
        m_source->addItem(tessel::base::tr(s));
    m_place = new QComboBox(m_chart);
    m_place->setObjectName(QStringLiteral("cmbPlace"));
    for (const char *p : kPlaces)
        m_place->addItem(tessel::base::tr(p));
    const auto sizeBox = [this](const char *name) {
        auto *box = new QDoubleSpinBox(m_chart);
        box->setObjectName(QString::fromLatin1(name));
        box->setRange(1.0, charts::kMaxChartSizeCm);
        box->setDecimals(1);
        box->setSingleStep(0.5);
        box->setSuffix(tessel::base::tr(" 厘米"));
        return box;
    };
    m_width = sizeBox("spnWidth");
    m_height = sizeBox("spnHeight");
    auto *sizeRow = new QHBoxLayout;
    sizeRow->addWidget(m_width);
    sizeRow->addWidget(new QLabel(QStringLiteral("×"), m_chart));
    sizeRow->addWidget(m_height);
    sizeRow->addStretch(1);
    auto *form = new QFormLayout(m_chart);
    form->addRow(tessel::base::tr("类型："), typeRow);
    form->addRow(tessel::base::tr("标题："), m_title);
    form->addRow(tessel::base::tr("分类列："), m_category);
    form->addRow(tessel::base::tr("数值列："), m_values);
    form->addRow(tessel::base::tr("数据来源："), m_source);
    form->addRow(tessel::base::tr("位置："), m_place);
    form->addRow(tessel::base::tr("大小（宽×高）："), sizeRow);

    m_picture = new ChartPicture(this);

    QLabel *const note = ignoredNote(
        this, tessel::base::tr("保存的图表中以下部分无法使用，确定后不再保留："), ignored);
    const auto [buttons, ok] = okCancelRow(this);

    auto *left = new QVBoxLayout;
    left->addWidget(listBox);
    left->addWidget(m_chart, 1);
    auto *top = new QHBoxLayout;
    top->addLayout(left, 2);
    top->addWidget(m_picture, 3);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    if (note)
        layout->addWidget(note);
    layout->addLayout(buttons);
    resize(1000, 640);

    connect(ok, &QPushButton::clicked, this, &ChartDialog::accept);
    connect(m_list, &ListEditor::currentChanged, this, [this] { showChart(); });
    connect(m_list, &ListEditor::addClicked, this, [this] {
        m_charts.push_back(chartForColumn(m_report, m_column));
        m_list->append(chartSummary(m_charts.back(), m_report));
    });
    connect(m_list, &ListEditor::removed, this, [this](int row) { removeItem(m_charts, row); });
    // Each control edits the chart selected, then the list and the picture follow.
    const auto edit = [this](auto change) {
        if (ChartSpec *c = currentChart(); c && !m_showing) {
            change(*c);
            showChart();
            chartEdited();
        }
    };
    connect(m_type, &QComboBox::currentIndexChanged, this, [edit](int index) {
        if (index >= 0)
            edit([index](ChartSpec &c) {
                setChartType(c, chartTypeChoices()[std::size_t(index)].type);
            });
    });
    connect(m_stacked, &QCheckBox::toggled, this,
            [edit](bool on) { edit([on](ChartSpec &c) { c.stacked = on; }); });
    connect(m_title, &QLineEdit::textChanged, this, [edit](const QString &text) {
        edit([&text](ChartSpec &c) { c.title = text.trimmed(); });
    });
    connect(m_category, &QComboBox::currentIndexChanged, this, [edit](int index) {
        if (index >= 0)
            edit([index](ChartSpec &c) { c.category = index + 1; });
    });
    connect(m_values, &QListWidget::itemChanged, this, [this, edit](QListWidgetItem *item) {
        const int column = m_values->row(item) + 1;
        const bool on = item->checkState() == Qt::Checked;
        edit([column, on](ChartSpec &c) { setValueColumn(c, column, on); });
    });
    connect(m_source, &QComboBox::currentIndexChanged, this, [edit](int index) {
        if (index >= 0)
            edit([index](ChartSpec &c) { c.source = grid::ChartSource(index); });
    });
    connect(m_place, &QComboBox::currentIndexChanged, this, [edit](int index) {
        if (index >= 0)
            edit([index](ChartSpec &c) { c.place = grid::ChartPlace(index); });
    });
    connect(m_width, &QDoubleSpinBox::valueChanged, this,
            [edit](double cm) { edit([cm](ChartSpec &c) { c.widthCm = cm; }); });
    connect(m_height, &QDoubleSpinBox::valueChanged, this,
            [edit](double cm) { edit([cm](ChartSpec &c) { c.heightCm = cm; }); });

    QStringList lines;
    for (const ChartSpec &c : m_charts)
        lines.push_back(chartSummary(c, m_report));
    m_list->setItems(lines, 0);
}

void ChartDialog::accept() {
    const QStringList problems = chartProblems(m_charts);
    if (!problems.isEmpty()) {
        base::showWarning(
            this,
            tessel::base::tr("以下图表还缺少内容，请补全或删除：") + u'\n' + problems.join(u'\n'),
            base::warningTitle());
        return;
    }
    QDialog::accept();
}

QString ChartDialog::columnCaption(int column) const {
    const QString label = m_report.text(column, 0).simplified();
    return label.isEmpty() ? tessel::base::tr("第 %1 列").arg(column)
                           : tessel::base::tr("%1（第 %2 列）").arg(label).arg(column);
}

ChartSpec *ChartDialog::currentChart() {
    const int row = m_list->currentRow();
    return row >= 0 && row < int(m_charts.size()) ? &m_charts[std::size_t(row)] : nullptr;
}

void ChartDialog::showChart() {
    const ChartSpec *c = currentChart();
    m_chart->setEnabled(c != nullptr);
    // One chart needs no list: the list shows when there are several to choose from.
    m_list->list()->setVisible(m_charts.size() > 1);
    if (!c) {
        m_picture->showChart(nullptr, {});
        return;
    }
    const bool wasShowing = m_showing;
    m_showing = true;
    m_type->setCurrentIndex(chartTypeIndex(c->type));
    m_stacked->setEnabled(canStack(c->type));
    m_stacked->setChecked(c->stacked);
    if (m_title->text().trimmed() != c->title)
        m_title->setText(c->title);
    m_category->setCurrentIndex(c->category - 1);
    for (int i = 0; i < m_values->count(); ++i) {
        const bool on = std::find(c->values.begin(), c->values.end(), i + 1) != c->values.end();
        m_values->item(i)->setCheckState(on ? Qt::Checked : Qt::Unchecked);
    }
    m_source->setCurrentIndex(int(c->source));
    m_place->setCurrentIndex(int(c->place));
    m_width->setValue(c->widthCm);
    m_height->setValue(c->heightCm);
    m_showing = wasShowing;
    m_picture->showChart(&m_report, *c);
}

void ChartDialog::chartEdited() {
    const int row = m_list->currentRow();
    if (row >= 0 && row < int(m_charts.size()))
        m_list->setLine(row, chartSummary(m_charts[std::size_t(row)], m_report));
}

}  // namespace tessel::settingdialogs
