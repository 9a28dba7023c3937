#include "designer/PrintSpread.h"

#include <tessel/Error.h>
#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QResizeEvent>
#include <QTime>
#include <algorithm>

#include "base/ErrorMessage.h"
#include "base/Interaction.h"
#include "base/Language.h"
#include "base/MessageTitles.h"
#include "charts/StoredCharts.h"
#include "conditions/StoredConditions.h"
#include "db/Recordset.h"
#include "definitions/Columns.h"
#include "definitions/DefinitionWrites.h"
#include "definitions/Definitions.h"
#include "definitions/OptionalColumns.h"
#include "report/ConditionsStep.h"
#include "report/ReportGrouping.h"
#include "report/ReportRun.h"
#include "report/SheetBuilding.h"
#include "settingdialogs/ChartDialog.h"
#include "settingdialogs/ColumnFormatDialog.h"
#include "settingdialogs/ConditionDialog.h"
#include "settingdialogs/GroupDialog.h"
#include "widgets/SheetView.h"

namespace tessel::designer {

namespace {

// Positions are given in twips, the unit the window's layout is written in; 15 twips make
// one pixel at 96 dpi.
constexpr int px(int twips) {
    return twips / 15;
}

constexpr int kListWidthPx = 200;

const QString kTotals = QStringLiteral("合计");

// A column counts as shown when wider than one character unit.
bool shown(const grid::Sheet &s, int col) {
    return s.colWidth(col) > 1;
}

}  // namespace

PrintSpread::PrintSpread(report::ReportSession &session, DesignerOpeners openers, QWidget *parent)
    : QWidget(parent), m_session(session), m_openers(std::move(openers)) {
    setObjectName(QStringLiteral("printSpread"));
    setWindowTitle(tessel::base::tr("报表设计主界面"));

    // A loaded window starts from its design state; so does its sheet.
    grid::Sheet &s = m_session.sheet;
    report::StartReportSheet(s);

    m_heading = new QLabel(tessel::base::tr("报表环境设计器"), this);
    m_heading->setObjectName(QStringLiteral("Label1"));
    QFont hf = m_heading->font();
    hf.setPointSize(14);
    hf.setBold(true);
    m_heading->setFont(hf);
    m_heading->adjustSize();

    auto *nameLabel = new QLabel(tessel::base::tr("报表名称："), this);
    nameLabel->setObjectName(QStringLiteral("Label2"));
    nameLabel->move(px(200), px(600));
    m_name = new QLineEdit(this);
    m_name->setObjectName(QStringLiteral("txtName"));
    // The box starts where the caption ends when a translated caption is longer.
    m_name->setGeometry(std::max(px(200) + 70, nameLabel->x() + nameLabel->sizeHint().width() + 4),
                        px(560), 220, 22);
    m_name->setText(m_session.reportName);

    m_listCaption = new QLabel(tessel::base::tr("在要显示列前打勾："), this);
    m_listCaption->setObjectName(QStringLiteral("Label3"));
    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("lsField"));
    connect(m_list, &QListWidget::itemChanged, this, &PrintSpread::onEntryChanged);

    m_grid = new widgets::SheetView(this);
    m_grid->setObjectName(QStringLiteral("VaGrid"));
    m_grid->setSheet(&s);
    m_grid->setUserResizable(true);

    const struct {
        const char *name;
        const char *caption;
    } buttons[] = {
        {"cmdNew", QT_TRANSLATE_NOOP("tessel::base", "新建报表&N")},
        {"cmdOpen", QT_TRANSLATE_NOOP("tessel::base", "报表列表&L")},
        {"cmdSave", QT_TRANSLATE_NOOP("tessel::base", "保存&S")},
        {"cmdPreview", QT_TRANSLATE_NOOP("tessel::base", "预览&R")},
        {"cmdData", QT_TRANSLATE_NOOP("tessel::base", "数据结构&D")},
        {"Command1", QT_TRANSLATE_NOOP("tessel::base", "列标头&W")},
        {"cmdMerg", QT_TRANSLATE_NOOP("tessel::base", "合并列&H")},
        {"cmdClose", QT_TRANSLATE_NOOP("tessel::base", "关闭&X")},
    };
    int x = px(200);
    for (const auto &b : buttons) {
        auto *btn = new QPushButton(tessel::base::tr(b.caption), this);
        btn->setObjectName(QString::fromLatin1(b.name));
        // As wide as its caption needs, never narrower than the row's common width.
        const int width = std::max(96, btn->sizeHint().width());
        btn->setGeometry(x, px(930), width, 24);
        x += width + 8;
    }
    button("cmdPreview")->setToolTip(tessel::base::tr("在预览界面中设置报表显示属性"));

    connect(button("cmdNew"), &QPushButton::clicked, this, &PrintSpread::onNewReport);
    connect(button("cmdOpen"), &QPushButton::clicked, this, [this] {
        if (m_openers.reportList)
            m_openers.reportList();
    });
    connect(button("cmdSave"), &QPushButton::clicked, this, &PrintSpread::onSave);
    connect(button("cmdPreview"), &QPushButton::clicked, this, &PrintSpread::onPreview);
    connect(button("cmdData"), &QPushButton::clicked, this, [this] {
        if (m_openers.dataWizard)
            m_openers.dataWizard();
    });
    connect(button("Command1"), &QPushButton::clicked, this, [this] {
        if (m_openers.columnHeaders)
            m_openers.columnHeaders();
    });
    connect(button("cmdMerg"), &QPushButton::clicked, this, &PrintSpread::onMergeColumns);
    connect(button("cmdClose"), &QPushButton::clicked, this, &PrintSpread::onClose);
    connect(m_grid, &widgets::SheetView::RightClick, this,
            [this](int clickType, int col, int row, int x, int y) {
                if (clickType == 1 && row == 0 && col >= 1 && col <= sheet().maxCols())
                    showColumnMenu(col, QPoint(x, y));
            });

    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("lblStatus"));

    resize(1000, 640);
    markClean();
}

PrintSpread::~PrintSpread() = default;

QPushButton *PrintSpread::button(const char *name) const {
    return findChild<QPushButton *>(QString::fromLatin1(name), Qt::FindDirectChildrenOnly);
}

void PrintSpread::showReportName() {
    m_name->setText(m_session.reportName);
}

void PrintSpread::refreshForBuiltReport() {
    filllist();
    SetListValues();
    showReportName();
    listini = false;
    markClean();
}

void PrintSpread::markClean() {
    const grid::Sheet &s = sheet();
    m_cleanWidths.clear();
    for (int c = 1; c <= s.maxCols(); ++c)
        m_cleanWidths.push_back(s.colWidth(c));
    m_cleanHeaderHeight = s.rowHeight(0);
    m_userChanged = false;
    m_groups.reset();
    m_conditionsEdited = false;
    m_charts.reset();
}

bool PrintSpread::hasUnsavedChanges() const {
    if (m_userChanged)
        return true;
    const grid::Sheet &s = sheet();
    if (s.rowHeight(0) != m_cleanHeaderHeight)
        return true;
    // Columns a host added or took away are not the user's doing; the widths of those
    // that were there are.
    const int common = std::min(s.maxCols(), int(m_cleanWidths.size()));
    for (int c = 1; c <= common; ++c) {
        if (s.colWidth(c) != m_cleanWidths[std::size_t(c - 1)])
            return true;
    }
    return false;
}

void PrintSpread::disableForUnstoredReport() {
    for (const char *name : {"cmdNew", "cmdPreview"}) {
        if (QPushButton *b = button(name))
            b->setEnabled(false);
    }
}

void PrintSpread::disableForGridData() {
    if (QPushButton *b = button("cmdData"))
        b->setEnabled(false);
}

void PrintSpread::takeDataSet(const DataSetResult &result, db::Recordset &data) {
    grid::Sheet &s = sheet();
    // The designer keeps its report when the rows fail: its print settings and merges stay
    // with it, so that a later save stores that report's own.
    const grid::PrintSettings printBefore = s.print();
    const QString mergeBefore = m_session.mergeList;
    if (definitions::trimBlanks(m_session.reportName) != result.reportName) {
        // Another report: nothing of the one the sheet held (its header and footer, paper,
        // margins, merges, labels or widths) carries over.
        report::StartReportSheet(s);
        m_session.mergeList.clear();
        // The settings stored under the name, or those a stored row of NULLs gives (a new
        // report's row is such a row until its page setup is saved), so the designer shows
        // the report as its later runs print it.
        report::ApplyDefinition(result.stored ? *result.stored : definitions::DefinitionRecord{}, s,
                                m_session.mergeList);
        report::SetHeadersFromFields(data, s);
    }
    if (!result.labels.isEmpty()) {
        report::SetTypedLabels(result.labels, data.fieldNames(), result.fieldCount, s);
    } else {
        report::SetHeadersFromFields(data, s);
    }
    try {
        report::FillFromRecordset(data, s);
    } catch (const std::exception &) {
        // Rows that could not all be read are no result: none stay on the sheet.
        s.setMaxRows(0);
        s.setPrint(printBefore);
        m_session.mergeList = mergeBefore;
        throw;
    }
    data.close();

    setReportName(result.reportName);
    // The steps of a run around the wizard's own labels and rows: the named report's stored
    // page settings and formats (none for a new one), not those of the report the sheet held
    // before, its rules, grouping and charts.
    report::applyStoredLayout(m_session);
    report::ApplyConditions(m_session);
    report::arrangeReport(m_session, true, std::nullopt);
    for (const char *name : {"cmdSave", "cmdPreview"})
        button(name)->setEnabled(true);
    filllist();
    SetListValues();
    showReportName();
    button("cmdData")->setEnabled(true);
    listini = false;
    markClean();
}

void PrintSpread::filllist() {
    const grid::Sheet &s = sheet();
    m_filling = true;
    m_list->clear();
    for (int c = 1; c <= s.maxCols(); ++c) {
        auto *item =
            new QListWidgetItem(QStringLiteral("%1.%2[%3]").arg(c).arg(s.text(c, 0), s.text(c, 1)));
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
        m_list->addItem(item);
    }
    m_filling = false;
}

void PrintSpread::SetListValues() {
    grid::Sheet &s = sheet();
    m_ticking = true;
    for (int c = 1; c <= s.maxCols() && c <= m_list->count(); ++c) {
        // Ticking runs the entry's change routine, as a user's tick would.
        if (shown(s, c))
            m_list->item(c - 1)->setCheckState(Qt::Checked);
    }
    m_ticking = false;
    s.setRowMerge(0, grid::MergeMode::Always);
}

void PrintSpread::onEntryChanged(QListWidgetItem *item) {
    if (m_filling)
        return;
    if (!m_ticking)
        m_userChanged = true;
    grid::Sheet &s = sheet();
    const int col = m_list->row(item) + 1;
    const int last = s.maxRows();

    // The totals label stands in the first shown column (never the last one).
    int labelCol = 0;
    for (int c = 1; c <= s.maxCols() - 1; ++c) {
        if (shown(s, c)) {
            labelCol = c;
            break;
        }
    }
    const QString oldLabel = labelCol ? s.text(labelCol, last) : QString();

    if (item->checkState() == Qt::Checked) {
        if (!listini)
            s.setColWidth(col, 1.5 * double(item->text().size()));
    } else {
        s.setColWidth(col, 0);
    }

    if (oldLabel.trimmed() == kTotals) {
        s.setText(labelCol, last, QString());
        for (int g = 1; g <= m_list->count() - 1; ++g) {
            if (s.colWidth(g) > 0) {
                s.setText(g, last, kTotals);
                break;
            }
        }
    }
}

void PrintSpread::applyMergeList(bool merged) {
    grid::Sheet &s = sheet();
    for (const QString &entry : definitions::decodeMerges(m_session.mergeList)) {
        bool ok = false;
        const int col = entry.trimmed().toInt(&ok);
        if (!ok || col < 1 || col > s.maxCols())
            continue;  // not a column of this sheet
        s.setCurrent(col, s.currentRow());
        s.setColMerge(col, merged ? grid::MergeMode::Always : grid::MergeMode::None);
    }
}

void PrintSpread::onMergeColumns() {
    if (!m_session.mergeList.isEmpty())
        applyMergeList(false);
    const auto answer = base::interaction().input(
        this, tessel::base::tr("请输入要合并的列号，第一列是1，多列时用逗号分开。"),
        base::promptTitle(), QStringLiteral("1"), QPoint(px(1000), px(1000)));
    const QString before = m_session.mergeList;
    m_session.mergeList = answer.value_or(QString());
    if (m_session.mergeList != before)
        m_userChanged = true;
    if (!m_session.mergeList.isEmpty())
        applyMergeList(true);
}

bool PrintSpread::save() {
    if (m_session.reportName.isEmpty())
        return false;
    const grid::Sheet &s = sheet();
    const int n = s.maxCols();
    const QString name = definitions::trimBlanks(m_session.reportName);
    const QString mergeBefore = m_session.mergeList;
    bool created = false;
    bool formatsStored = false;
    bool groupsStored = false;
    const QString formats = definitions::encodeColumnFormats(s, n);
    // Only a grouping edited here is written: a stored one stays as its host wrote it.
    const std::optional<QString> grouping =
        m_groups ? std::optional(groups::writeGrouping(m_groups->grouping, m_groups->object))
                 : std::nullopt;
    // Only rules edited here are written: stored ones stay as their host wrote them, rules
    // this version could not use included.
    const std::optional<QString> rules =
        m_conditionsEdited ? std::optional(conditions::writeConditions(s.conditions()))
                           : std::nullopt;
    bool conditionsStored = false;
    // Charts likewise: only those accepted in the dialog are written, those the rows cannot
    // draw now among them.
    const std::optional<QString> charts =
        m_charts ? std::optional(charts::writeCharts(*m_charts)) : std::nullopt;
    bool chartsStored = false;
    try {
        m_session.connection.requireOpen();
        // The formats are written by a statement of their own, in the layout's transaction.
        db::Transaction tx(m_session.connection);
        created = definitions::saveLayout(m_session.connection, name, s, n, m_session.querySQL,
                                          m_session.mergeList);
        formatsStored = definitions::writeOptionalColumn(
            m_session.connection, definitions::column::kColumnFormats, name, formats);
        if (grouping)
            groupsStored = definitions::writeOptionalColumn(
                m_session.connection, definitions::column::kGrouping, name,
                grouping->isEmpty() ? QVariant() : QVariant(*grouping));
        if (rules)
            conditionsStored = definitions::writeOptionalColumn(
                m_session.connection, definitions::column::kConditions, name,
                rules->isEmpty() ? QVariant() : QVariant(*rules));
        if (charts)
            chartsStored = definitions::writeOptionalColumn(
                m_session.connection, definitions::column::kCharts, name,
                charts->isEmpty() ? QVariant() : QVariant(*charts));
        tx.commit();
    } catch (const Error &e) {
        // Nothing was stored: the transaction rolled back, and the merge list is as before.
        m_session.mergeList = mergeBefore;
        base::showWarning(this, base::errorMessage(tessel::base::tr("报表保存失败"), e),
                          base::warningTitle());
        return false;
    }
    m_session.columnFormats.insert(name, formats);
    if (grouping)
        m_session.groupings.insert(name, *grouping);
    if (rules)
        m_session.conditions.insert(name, *rules);
    if (charts)
        m_session.charts.insert(name, *charts);
    if (created)
        button("cmdPreview")->setEnabled(true);
    markClean();
    m_status->setText(
        tessel::base::tr("已保存 %1").arg(QTime::currentTime().toString(QStringLiteral("HH:mm"))));
    m_status->adjustSize();
    // Formats that could not go into the row last until the program closes: the user learns
    // why and how to keep them. Without formats nothing is lost.
    if (!formatsStored && !formats.isEmpty())
        definitions::tellIfSessionOnly(this, m_session.connection,
                                       definitions::column::kColumnFormats);
    if (grouping && !groupsStored && !grouping->isEmpty())
        definitions::tellIfSessionOnly(this, m_session.connection, definitions::column::kGrouping);
    if (rules && !conditionsStored && !rules->isEmpty())
        definitions::tellIfSessionOnly(this, m_session.connection,
                                       definitions::column::kConditions);
    if (charts && !chartsStored && !charts->isEmpty())
        definitions::tellIfSessionOnly(this, m_session.connection, definitions::column::kCharts);
    return true;
}

QMenu *PrintSpread::showColumnMenu(int col, const QPoint &pos) {
    auto *menu = new QMenu(this);
    menu->setObjectName(QStringLiteral("mnuColumn"));
    menu->setAttribute(Qt::WA_DeleteOnClose);
    QAction *format = menu->addAction(tessel::base::tr("格式…"));
    format->setObjectName(QStringLiteral("actFormat"));
    connect(format, &QAction::triggered, this, [this, col] { onColumnFormat(col); });
    QAction *grouping = menu->addAction(tessel::base::tr("分组…"));
    grouping->setObjectName(QStringLiteral("actGroups"));
    connect(grouping, &QAction::triggered, this, [this, col] { onGroups(col); });
    QAction *looks = menu->addAction(tessel::base::tr("条件格式…"));
    looks->setObjectName(QStringLiteral("actConditions"));
    connect(looks, &QAction::triggered, this, [this, col] { onConditions(col); });
    QAction *charts = menu->addAction(tessel::base::tr("图表…"));
    charts->setObjectName(QStringLiteral("actCharts"));
    connect(charts, &QAction::triggered, this, [this, col] { onCharts(col); });
    menu->popup(m_grid->viewport()->mapToGlobal(pos));
    return menu;
}

void PrintSpread::onColumnFormat(int col) {
    grid::Sheet &s = sheet();
    if (col < 1 || col > s.maxCols())
        return;
    // The sample is the column's first value, so the user sees the format on real data.
    QString sample;
    for (int r = 1; r <= s.maxRows() && sample.isEmpty(); ++r)
        sample = s.text(col, r);
    if (sample.isEmpty())
        sample = QStringLiteral("24318246.5");
    settingdialogs::ColumnFormatDialog dialog(s.colFormat(col), sample, this);
    if (base::interaction().execDialog(&dialog) == QDialog::Accepted &&
        !(dialog.format() == s.colFormat(col))) {
        s.setColFormat(col, dialog.format());
        m_userChanged = true;
    }
}

void PrintSpread::onGroups(int col) {
    const grid::Sheet &s = sheet();
    if (col < 1 || col > s.maxCols())
        return;
    groups::StoredGrouping current;
    if (m_groups) {
        current = *m_groups;
    } else {
        try {
            current = report::readReportGrouping(m_session, s.maxCols());
        } catch (const Error &e) {
            // Editing from nothing would overwrite a grouping the user has not seen.
            base::showWarning(this, base::errorMessage(tessel::base::tr("无法读取报表的分组"), e),
                              base::warningTitle());
            return;
        }
    }
    settingdialogs::GroupDialog dialog(current.grouping, s, col, current.ignored, this);
    if (base::interaction().execDialog(&dialog) != QDialog::Accepted ||
        dialog.grouping() == current.grouping)
        return;
    current.grouping = dialog.grouping();
    current.ignored.clear();  // what could not be used is not written back
    m_groups = std::move(current);
    m_userChanged = true;
    // The rows shown are regrouped as a run groups them, and the charts, which may take the
    // groups' subtotals, put on them again: the sheet and its preview show what will print.
    report::rearrangeReport(m_session, m_groups->grouping, m_charts);
}

void PrintSpread::onConditions(int col) {
    grid::Sheet &s = sheet();
    if (col < 1 || col > s.maxCols())
        return;
    settingdialogs::ConditionDialog dialog(s.conditions(), s, col, this);
    if (base::interaction().execDialog(&dialog) != QDialog::Accepted ||
        dialog.rules() == s.conditions())
        return;
    s.setConditions(dialog.rules());
    m_conditionsEdited = true;
    m_userChanged = true;
}

void PrintSpread::onCharts(int col) {
    grid::Sheet &s = sheet();
    if (col < 1 || col > s.maxCols())
        return;
    // The charts accepted before, also those the rows could not draw, else the sheet's.
    const grid::ChartSpecs current = m_charts ? *m_charts : s.charts();
    settingdialogs::ChartDialog dialog(current, s, col, {}, this);
    if (base::interaction().execDialog(&dialog) != QDialog::Accepted || dialog.charts() == current)
        return;
    m_charts = dialog.charts();
    m_userChanged = true;
    // On the sheet as a run puts them: those the rows cannot give points are left out and told.
    report::rearrangeReport(m_session, std::nullopt, m_charts);
}

void PrintSpread::onNewReport() {
    const QString remembered = m_session.reportName;
    m_session.reportName.clear();
    if (m_openers.dataWizard)
        m_openers.dataWizard();
    m_session.reportName = remembered;
}

void PrintSpread::onPreview() {
    if (m_openers.preview)
        m_openers.preview();
}

bool PrintSpread::mayClose() {
    // Without a name there is nothing a save could store: the window closes as it always did.
    if (m_session.reportName.isEmpty() || !hasUnsavedChanges())
        return true;
    const base::MessageAnswer answer =
        base::askSaveDiscardCancel(this,
                                   tessel::base::tr("报表“%1”已修改，是否保存？")
                                       .arg(definitions::trimBlanks(m_session.reportName)),
                                   base::promptTitle());
    if (answer == base::MessageAnswer::Cancel)
        return false;
    // A failed save was told; the changes stay on screen.
    return answer != base::MessageAnswer::Save || save();
}

void PrintSpread::onClose() {
    if (!mayClose())
        return;
    m_closed = true;
    hide();
    deleteLater();
}

void PrintSpread::closeEvent(QCloseEvent *event) {
    // The title bar's close hides the window (a later run shows it again, its sheet kept), but
    // not over the user's changes unasked: as the last window it would end the host with them.
    if (!m_closed && isVisible() && !mayClose()) {
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}

void PrintSpread::resizeEvent(QResizeEvent *event) {
    QWidget::resizeEvent(event);
    const int w = width();
    const int h = height();
    // Sizes that do not fit a small window are simply not applied.
    const int gridW = w - kListWidthPx - px(420);
    const int gridH = h - px(2200);
    if (gridW > 0 && gridH > 0) {
        m_grid->setGeometry(px(200), px(1600), gridW, gridH);
        m_list->setGeometry(px(200) + gridW + px(20), px(1600), kListWidthPx, gridH);
        m_listCaption->move(m_list->x(), px(1600) - m_listCaption->sizeHint().height() - 2);
    }
    m_heading->move((w - m_heading->width()) / 2, px(150));
    // The status line sits below the sheet, in the strip the layout leaves free.
    m_status->setGeometry(px(200), h - px(480), std::max(0, w - px(400)), px(330));
}

}  // namespace tessel::designer
