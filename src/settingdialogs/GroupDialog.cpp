#include "settingdialogs/GroupDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "base/Language.h"
#include "groups/ArrangeGroups.h"
#include "settingdialogs/DialogParts.h"
#include "settingdialogs/GroupEditing.h"
#include "settingdialogs/ListEditor.h"

namespace tessel::settingdialogs {

namespace {

using grid::GroupLevel;
using grid::TotalFunction;

QCheckBox *checkBox(QWidget *parent, const char *name, const char *caption) {
    auto *c = new QCheckBox(tessel::base::tr(caption), parent);
    c->setObjectName(QString::fromLatin1(name));
    return c;
}

QLineEdit *lineEdit(QWidget *parent, const char *name) {
    auto *e = new QLineEdit(parent);
    e->setObjectName(QString::fromLatin1(name));
    return e;
}

}  // namespace

GroupDialog::GroupDialog(const grid::Grouping &initial, const grid::Sheet &report, int column,
                         const QStringList &ignored, QWidget *parent)
    : QDialog(parent), m_grouping(initial), m_startColumn(column) {
    setObjectName(QStringLiteral("frmGroups"));
    setWindowTitle(tessel::base::tr("分组"));
    setModal(true);
    takeDataSample(report, kSampleRows, m_data);
    const int cols = m_data.maxCols();

    // The levels.
    auto *levelsBox = new QGroupBox(tessel::base::tr("分组级别（外层在上）"), this);
    levelsBox->setObjectName(QStringLiteral("grpLevels"));
    m_levels =
        new ListEditor({"lstLevels", "cmdAddLevel", "cmdRemoveLevel", "cmdLevelUp", "cmdLevelDown"},
                       Qt::Vertical, levelsBox);
    m_levels->setCapacity(cols > 0 ? grid::kMaxGroupLevels : 0);
    auto *levelsLayout = new QHBoxLayout(levelsBox);
    levelsLayout->addWidget(m_levels);

    // The level selected.
    m_level = new QGroupBox(tessel::base::tr("本级设置"), this);
    m_level->setObjectName(QStringLiteral("grpLevel"));
    m_column = new QComboBox(m_level);
    m_column->setObjectName(QStringLiteral("cmbColumn"));
    for (int c = 1; c <= cols; ++c)
        m_column->addItem(columnCaption(c));
    m_label = lineEdit(m_level, "txtLabel");
    m_label->setToolTip(tessel::base::tr("小计行的文字，{value} 代表本组的值"));
    m_header = checkBox(m_level, "chkHeader", QT_TRANSLATE_NOOP("tessel::base", "组标题"));
    m_header->setToolTip(tessel::base::tr("每组上方加一行显示本组的值，跨页时在新页重复"));
    m_pageBreak = checkBox(m_level, "chkPageBreak", QT_TRANSLATE_NOOP("tessel::base", "每组分页"));
    m_keepTogether =
        checkBox(m_level, "chkKeepTogether", QT_TRANSLATE_NOOP("tessel::base", "保持同页"));
    m_keepTogether->setToolTip(tessel::base::tr("一页放得下的组不拆到两页"));
    m_defaultTotals = checkBox(m_level, "chkDefaultTotals",
                               QT_TRANSLATE_NOOP("tessel::base", "按报表的合计列求和"));
    m_defaultTotals->setToolTip(tessel::base::tr("运行时指定的合计列，未指定时为每个数值列"));
    m_totals = new QTableWidget(cols, 2, m_level);
    m_totals->setObjectName(QStringLiteral("tblTotals"));
    m_totals->setHorizontalHeaderLabels({tessel::base::tr("小计列"), tessel::base::tr("汇总方式")});
    m_totals->verticalHeader()->hide();
    m_totals->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    m_totals->horizontalHeader()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    m_totals->setSelectionMode(QAbstractItemView::NoSelection);
    for (int c = 1; c <= cols; ++c) {
        auto *item = new QTableWidgetItem(columnCaption(c));
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
        m_totals->setItem(c - 1, 0, item);
        auto *function = new QComboBox(m_totals);
        function->setObjectName(QStringLiteral("cmbFunction_%1").arg(c));
        for (const TotalChoice &choice : totalChoices())
            function->addItem(tessel::base::tr(choice.caption));
        m_totals->setCellWidget(c - 1, 1, function);
        connect(function, &QComboBox::currentIndexChanged, this, [this, c](int index) {
            GroupLevel *level = currentLevel();
            if (m_showing || !level || index < 0 ||
                m_totals->item(c - 1, 0)->checkState() != Qt::Checked)
                return;
            setTotal(*level, c, totalChoices()[std::size_t(index)].function, defaultTotals());
            refreshSample();
        });
    }
    auto *levelForm = new QFormLayout;
    levelForm->addRow(tessel::base::tr("分组列："), m_column);
    levelForm->addRow(tessel::base::tr("小计标签："), m_label);
    auto *levelChecks = new QHBoxLayout;
    for (QCheckBox *c : {m_header, m_pageBreak, m_keepTogether})
        levelChecks->addWidget(c);
    levelChecks->addStretch(1);
    auto *levelLayout = new QVBoxLayout(m_level);
    levelLayout->addLayout(levelForm);
    levelLayout->addLayout(levelChecks);
    levelLayout->addWidget(m_defaultTotals);
    levelLayout->addWidget(m_totals, 1);

    m_sort = checkBox(this, "chkSort", QT_TRANSLATE_NOOP("tessel::base", "按分组排序"));
    m_sort->setToolTip(tessel::base::tr("先按各级分组列排序，同组内保持查询的顺序"));

    // Page totals.
    m_pageTotals = new QGroupBox(tessel::base::tr("页小计（仅打印）"), this);
    m_pageTotals->setObjectName(QStringLiteral("grpPageTotals"));
    m_pageTotals->setCheckable(true);
    m_pageColumns = new QListWidget(m_pageTotals);
    m_pageColumns->setObjectName(QStringLiteral("lstPageColumns"));
    for (int c = 1; c <= cols; ++c) {
        auto *item = new QListWidgetItem(columnCaption(c), m_pageColumns);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
    m_pageLabel = lineEdit(m_pageTotals, "txtPageLabel");
    m_running = lineEdit(m_pageTotals, "txtRunning");
    m_carried = lineEdit(m_pageTotals, "txtCarried");
    for (QLineEdit *e : {m_running, m_carried})
        e->setPlaceholderText(tessel::base::tr("空：不打印"));
    for (QLineEdit *e : {m_pageLabel, m_running, m_carried})
        e->setMinimumWidth(150);
    auto *pageForm = new QFormLayout;
    pageForm->addRow(tessel::base::tr("本页行："), m_pageLabel);
    pageForm->addRow(tessel::base::tr("累计行："), m_running);
    pageForm->addRow(tessel::base::tr("承前行："), m_carried);
    auto *pageLayout = new QVBoxLayout(m_pageTotals);
    pageLayout->addWidget(new QLabel(tessel::base::tr("求和的列："), m_pageTotals));
    pageLayout->addWidget(m_pageColumns, 1);
    pageLayout->addLayout(pageForm);

    m_sample = new SampleView(this);

    QLabel *const note = ignoredNote(
        this, tessel::base::tr("保存的分组中以下部分无法使用，确定后不再保留："), ignored);

    const auto [buttons, ok] = okCancelRow(this);

    auto *top = new QGridLayout;
    top->addWidget(levelsBox, 0, 0);
    top->addWidget(m_level, 0, 1, 2, 1);
    top->addWidget(m_pageTotals, 0, 2, 2, 1);
    top->addWidget(m_sort, 1, 0);
    top->setColumnStretch(1, 3);
    top->setColumnStretch(2, 2);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top, 3);
    layout->addWidget(m_sample, 2);
    if (note)
        layout->addWidget(note);
    layout->addLayout(buttons);
    resize(1000, 640);

    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_levels, &ListEditor::currentChanged, this, [this] { showLevel(); });
    connect(m_levels, &ListEditor::addClicked, this, [this] {
        // The column the menu was opened on, unless a level has it already: then the first
        // column no level has.
        auto used = [this](int c) {
            return std::any_of(m_grouping.levels.begin(), m_grouping.levels.end(),
                               [c](const GroupLevel &l) { return l.column == c; });
        };
        int column = m_startColumn;
        for (int c = 1; used(column) && c <= m_data.maxCols(); ++c)
            column = c;
        if (addLevel(m_grouping, column)) {
            m_levels->append(columnCaption(column));
            refreshSample();
        }
    });
    connect(m_levels, &ListEditor::removed, this, [this](int row) {
        if (removeLevel(m_grouping, row))
            refreshSample();
    });
    connect(m_levels, &ListEditor::moved, this, [this](int from, int to) {
        if (moveLevel(m_grouping, from, to - from))
            refreshSample();
    });
    connect(m_column, &QComboBox::currentIndexChanged, this, [this](int index) {
        GroupLevel *level = currentLevel();
        if (m_showing || !level || index < 0)
            return;
        level->column = index + 1;
        m_levels->setLine(m_levels->currentRow(), columnCaption(index + 1));
        refreshSample();
    });
    connect(m_label, &QLineEdit::textEdited, this, [this](const QString &text) {
        if (GroupLevel *level = currentLevel()) {
            level->label = text;
            refreshSample();
        }
    });
    for (const auto &[box, flag] :
         {std::pair{m_header, &GroupLevel::header}, std::pair{m_pageBreak, &GroupLevel::pageBreak},
          std::pair{m_keepTogether, &GroupLevel::keepTogether}}) {
        connect(box, &QCheckBox::toggled, this, [this, flag = flag](bool on) {
            GroupLevel *level = currentLevel();
            if (m_showing || !level)
                return;
            level->*flag = on;
            refreshSample();
        });
    }
    connect(m_defaultTotals, &QCheckBox::toggled, this, [this](bool on) {
        GroupLevel *level = currentLevel();
        if (m_showing || !level)
            return;
        if (on) {
            level->totals.reset();
        } else {
            // The user starts from what the default gave, and changes it column by column.
            level->totals.emplace();
            for (int c : defaultTotals())
                level->totals->push_back(grid::GroupTotal{c, TotalFunction::Sum});
        }
        showTotals();
        refreshSample();
    });
    connect(m_totals, &QTableWidget::itemChanged, this, [this](QTableWidgetItem *item) {
        GroupLevel *level = currentLevel();
        if (m_showing || !level || item->column() != 0)
            return;
        const int c = item->row() + 1;
        std::optional<TotalFunction> function;
        if (item->checkState() == Qt::Checked) {
            const auto *box = static_cast<QComboBox *>(m_totals->cellWidget(item->row(), 1));
            function = totalChoices()[std::size_t(std::max(0, box->currentIndex()))].function;
        }
        setTotal(*level, c, function, defaultTotals());
        refreshSample();
    });
    connect(m_sort, &QCheckBox::toggled, this, [this](bool on) {
        if (m_showing)
            return;
        m_grouping.sort = on;
        refreshSample();
    });
    connect(m_pageTotals, &QGroupBox::toggled, this, [this](bool on) {
        if (m_showing)
            return;
        if (on) {
            // New labels in the interface language; stored ones stay as they were stored.
            grid::PageTotals totals;
            totals.columns = defaultTotals();
            totals.label = tessel::base::tr("本页小计");
            totals.running = tessel::base::tr("累计");
            totals.carried = tessel::base::tr("承前页");
            m_grouping.pageTotals = totals;
        } else {
            m_grouping.pageTotals.reset();
        }
        showPageTotals();
    });
    connect(m_pageColumns, &QListWidget::itemChanged, this, [this] {
        if (m_showing || !m_grouping.pageTotals)
            return;
        std::vector<int> &columns = m_grouping.pageTotals->columns;
        columns.clear();
        for (int i = 0; i < m_pageColumns->count(); ++i) {
            if (m_pageColumns->item(i)->checkState() == Qt::Checked)
                columns.push_back(i + 1);
        }
    });
    for (const auto &[edit, text] : {std::pair{m_pageLabel, &grid::PageTotals::label},
                                     std::pair{m_running, &grid::PageTotals::running},
                                     std::pair{m_carried, &grid::PageTotals::carried}}) {
        connect(edit, &QLineEdit::textEdited, this, [this, text = text](const QString &value) {
            if (m_grouping.pageTotals)
                (*m_grouping.pageTotals).*text = value;
        });
    }

    m_showing = true;
    m_sort->setChecked(m_grouping.sort);
    m_showing = false;
    showPageTotals();
    QStringList lines;
    for (const GroupLevel &level : m_grouping.levels)
        lines.push_back(columnCaption(level.column));
    m_levels->setItems(lines, m_grouping.levels.empty() ? -1 : 0);
    refreshSample();
}

QString GroupDialog::columnCaption(int column) const {
    return QStringLiteral("%1. %2").arg(column).arg(m_data.text(column, 0).trimmed());
}

GroupLevel *GroupDialog::currentLevel() {
    const int row = m_levels->currentRow();
    if (row < 0 || row >= int(m_grouping.levels.size()))
        return nullptr;
    return &m_grouping.levels[std::size_t(row)];
}

std::vector<int> GroupDialog::defaultTotals() const {
    // The run's totals columns are not known here: the sample sums what a report run
    // without them sums, every numeric column.
    return groups::defaultTotalColumns(m_data, std::nullopt);
}

void GroupDialog::showLevel() {
    const GroupLevel *level = currentLevel();
    m_level->setEnabled(level != nullptr);
    m_showing = true;
    const GroupLevel shown = level ? *level : GroupLevel{};
    m_column->setCurrentIndex(shown.column - 1);
    m_label->setText(shown.label);
    m_header->setChecked(shown.header);
    m_pageBreak->setChecked(shown.pageBreak);
    m_keepTogether->setChecked(shown.keepTogether);
    m_defaultTotals->setChecked(!shown.totals.has_value());
    m_showing = false;
    showTotals();
}

void GroupDialog::showTotals() {
    const GroupLevel *level = currentLevel();
    const bool byDefault = !level || !level->totals;
    const std::vector<int> defaults = byDefault ? defaultTotals() : std::vector<int>{};
    m_showing = true;
    m_totals->setEnabled(level && !byDefault);
    for (int c = 1; c <= m_totals->rowCount(); ++c) {
        std::optional<TotalFunction> function;
        if (byDefault) {
            if (std::find(defaults.begin(), defaults.end(), c) != defaults.end())
                function = TotalFunction::Sum;
        } else {
            function = totalOf(*level, c);
        }
        m_totals->item(c - 1, 0)->setCheckState(function ? Qt::Checked : Qt::Unchecked);
        static_cast<QComboBox *>(m_totals->cellWidget(c - 1, 1))
            ->setCurrentIndex(totalChoiceIndex(function.value_or(TotalFunction::Sum)));
    }
    m_showing = false;
}

void GroupDialog::showPageTotals() {
    m_showing = true;
    const std::optional<grid::PageTotals> &p = m_grouping.pageTotals;
    m_pageTotals->setChecked(p.has_value());
    const grid::PageTotals shown = p.value_or(grid::PageTotals{});
    for (int i = 0; i < m_pageColumns->count(); ++i) {
        const bool on =
            std::find(shown.columns.begin(), shown.columns.end(), i + 1) != shown.columns.end();
        m_pageColumns->item(i)->setCheckState(on ? Qt::Checked : Qt::Unchecked);
    }
    m_pageLabel->setText(shown.label);
    m_running->setText(shown.running);
    m_carried->setText(shown.carried);
    m_showing = false;
}

void GroupDialog::refreshSample() {
    takeDataSample(m_data, kSampleRows, m_sample->sheet());
    groups::arrangeGroups(m_sample->sheet(), m_grouping, defaultTotals());
}

}  // namespace tessel::settingdialogs
