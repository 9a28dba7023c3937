#include "designer/ChartDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include "base/Interaction.h"
#include "base/Language.h"
#include "base/MessageTitles.h"
#include "charts/ChartData.h"
#include "charts/ChartPainter.h"
#include "charts/StoredCharts.h"
#include "designer/ChartEditing.h"
#include "designer/DialogParts.h"

namespace tessel::designer {

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

ChartPicture::ChartPicture(QWidget *parent) : QWidget(parent) {
    setObjectName(QStringLiteral("picChart"));
    setMinimumSize(320, 200);
}

void ChartPicture::showChart(const grid::Sheet *sheet, const ChartSpec &chart) {
    m_sheet = sheet;
    m_chart = chart;
    m_why.clear();
    if (sheet) {
        // The data is taken again when painted: the check here only finds the sentence.
        if (const charts::ChartDataResult result = charts::chartData(*sheet, chart); !result.data)
            m_why = result.why;
    }
    update();
}

void ChartPicture::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    if (!m_sheet)
        return;
    const charts::ChartDataResult result = charts::chartData(*m_sheet, m_chart);
    if (!result.data) {
        painter.setPen(palette().color(QPalette::Text));
        painter.drawText(rect().adjusted(8, 8, -8, -8), Qt::AlignCenter | Qt::TextWordWrap, m_why);
        return;
    }
    painter.setRenderHint(QPainter::Antialiasing);
    // The painter works in points, as on paper: the widget's pixels are scaled to them.
    const double scale = logicalDpiX() / 72.0;
    painter.scale(scale, scale);
    const QRectF points(6, 6, width() / scale - 12, height() / scale - 12);
    charts::paintChart(*result.data, points, painter);
}

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
    m_list = new QListWidget(listBox);
    m_list->setObjectName(QStringLiteral("lstCharts"));
    m_list->setMaximumHeight(110);
    m_add = plainButton(listBox, "cmdAddChart", QT_TRANSLATE_NOOP("tessel::base", "添加"));
    m_remove = plainButton(listBox, "cmdRemoveChart", QT_TRANSLATE_NOOP("tessel::base", "删除"));
    auto *listButtons = new QHBoxLayout;
    listButtons->addWidget(m_add);
    listButtons->addWidget(m_remove);
    listButtons->addStretch(1);
    auto *listLayout = new QVBoxLayout(listBox);
    listLayout->addWidget(m_list, 1);
    listLayout->addLayout(listButtons);

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
    connect(m_list, &QListWidget::currentRowChanged, this, [this] { showChart(); });
    connect(m_add, &QPushButton::clicked, this, [this] {
        m_charts.push_back(chartForColumn(m_report, m_column));
        fillList(int(m_charts.size()) - 1);
    });
    connect(m_remove, &QPushButton::clicked, this, [this] {
        const int row = m_list->currentRow();
        if (row < 0 || row >= int(m_charts.size()))
            return;
        m_charts.erase(m_charts.begin() + row);
        fillList(std::min(row, int(m_charts.size()) - 1));
    });
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

    fillList(0);
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

void ChartDialog::fillList(int select) {
    m_showing = true;
    m_list->clear();
    for (const ChartSpec &c : m_charts)
        m_list->addItem(chartSummary(c, m_report));
    m_showing = false;
    m_list->setCurrentRow(select);
    showChart();
}

void ChartDialog::showChart() {
    const ChartSpec *c = currentChart();
    m_remove->setEnabled(c != nullptr);
    m_chart->setEnabled(c != nullptr);
    // One chart needs no list: the list shows when there are several to choose from.
    m_list->setVisible(m_charts.size() > 1);
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
        m_list->item(row)->setText(chartSummary(m_charts[std::size_t(row)], m_report));
}

}  // namespace tessel::designer
