#include "designer/DataSetWizard.h"

#include <tessel/Error.h>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "base/ErrorMessage.h"
#include "base/Interaction.h"
#include "base/Language.h"
#include "base/MessageTitles.h"
#include "db/Catalogue.h"
#include "db/Recordset.h"
#include "definitions/DefinitionRecord.h"
#include "definitions/DefinitionWrites.h"
#include "definitions/Definitions.h"
#include "designer/ChildWindows.h"
#include "designer/PrintSpread.h"
#include "designer/StoredQuery.h"

namespace tessel::designer {

using definitions::trimBlanks;

namespace {

QString kNoTables() {
    return tessel::base::tr("没有可用的表，请查看连接是否正确。");
}

// The selected entry of a list, or -1 when none is selected.
int selectedRow(const QListWidget *list) {
    const QListWidgetItem *item = list->currentItem();
    return item && item->isSelected() ? list->row(item) : -1;
}

void clearSelection(QListWidget *list) {
    list->setCurrentRow(-1);
    list->clearSelection();
}

QLabel *label(QWidget *parent, const char *name, const char *text) {
    auto *l = new QLabel(tessel::base::tr(text), parent);
    l->setObjectName(QString::fromLatin1(name));
    return l;
}

template <class W>
W *named(QWidget *parent, const char *name) {
    auto *w = new W(parent);
    w->setObjectName(QString::fromLatin1(name));
    return w;
}

QPushButton *button(QWidget *parent, const char *name, const char *caption) {
    auto *b = new QPushButton(tessel::base::tr(caption), parent);
    b->setObjectName(QString::fromLatin1(name));
    return b;
}

}  // namespace

DataSetWizard::DataSetWizard(PrintSpread &designer)
    : QWidget(&designer, Qt::Window), m_designer(designer) {
    setObjectName(QStringLiteral("frmReportDataSet"));
    setWindowTitle(tessel::base::tr("报表数据结构"));
    setAttribute(Qt::WA_DeleteOnClose);

    auto *heading = label(this, "Label7", QT_TRANSLATE_NOOP("tessel::base", "设计报表数据结构"));
    QFont hf = heading->font();
    hf.setPointSize(14);
    hf.setBold(true);
    heading->setFont(hf);
    heading->setAlignment(Qt::AlignCenter);

    m_reportName = named<QLineEdit>(this, "txtReportName");
    m_path = named<QLineEdit>(this, "txtPath");
    m_table = named<QComboBox>(this, "cmbTable");
    m_table->setEditable(true);
    m_table->setInsertPolicy(QComboBox::NoInsert);
    m_tablesSel = named<QComboBox>(this, "cmbTableSel");
    m_fields = named<QListWidget>(this, "lstField");
    m_selected = named<QListWidget>(this, "lstFieldSel");
    m_cnField = named<QLineEdit>(this, "txtCNField");
    m_where = named<QLineEdit>(this, "txtWhere");
    m_sql = named<QLineEdit>(this, "txtSQL");
    m_colStr = named<QLineEdit>(this, "txtColSTR");

    auto *cmdAdd = button(this, "cmdAdd", ">");
    auto *cmdAddAll = button(this, "cmdAddAll", ">>");
    auto *cmdDel = button(this, "cmdDel", "<");
    auto *cmdDelAll = button(this, "cmdDelAll", "<<");
    auto *cmdUp = button(this, "cmdUp", QT_TRANSLATE_NOOP("tessel::base", "上"));
    auto *cmdDown = button(this, "cmdDown", QT_TRANSLATE_NOOP("tessel::base", "下"));
    m_cmdSQL = button(this, "cmdSQL", QT_TRANSLATE_NOOP("tessel::base", "生成SQL"));
    auto *cmdDesign = button(this, "cmdDesign", QT_TRANSLATE_NOOP("tessel::base", "完成"));
    auto *cmdexit = button(this, "cmdexit", QT_TRANSLATE_NOOP("tessel::base", "关闭"));

    auto *top = new QGridLayout;
    top->addWidget(label(this, "Label10", QT_TRANSLATE_NOOP("tessel::base", "报表名称")), 0, 0);
    top->addWidget(m_reportName, 0, 1);
    top->addWidget(label(this, "Label2", QT_TRANSLATE_NOOP("tessel::base", "报表路径：")), 0, 2);
    top->addWidget(m_path, 0, 3);
    top->addWidget(label(this, "Label3", QT_TRANSLATE_NOOP("tessel::base", "数据表")), 1, 0);
    top->addWidget(m_table, 1, 1);
    top->addWidget(label(this, "Label9", QT_TRANSLATE_NOOP("tessel::base", "数据表(已选)")), 1, 2);
    top->addWidget(m_tablesSel, 1, 3);

    auto *moves = new QVBoxLayout;
    moves->addStretch();
    for (QPushButton *b : {cmdAdd, cmdAddAll, cmdDel, cmdDelAll})
        moves->addWidget(b);
    moves->addStretch();
    auto *order = new QVBoxLayout;
    order->addStretch();
    order->addWidget(cmdUp);
    order->addWidget(cmdDown);
    order->addStretch();

    auto *lists = new QGridLayout;
    lists->addWidget(label(this, "Label4", QT_TRANSLATE_NOOP("tessel::base", "全部字段")), 0, 0);
    lists->addWidget(label(this, "Label5", QT_TRANSLATE_NOOP("tessel::base", "已选字段")), 0, 2);
    lists->addWidget(m_fields, 1, 0);
    lists->addLayout(moves, 1, 1);
    lists->addWidget(m_selected, 1, 2);
    lists->addLayout(order, 1, 3);

    auto *texts = new QGridLayout;
    texts->addWidget(label(this, "Label6", QT_TRANSLATE_NOOP("tessel::base", "字段中文：")), 0, 0);
    texts->addWidget(m_cnField, 0, 1);
    texts->addWidget(label(this, "Label8", QT_TRANSLATE_NOOP("tessel::base", "附加条件：")), 1, 0);
    texts->addWidget(m_where, 1, 1);
    texts->addWidget(label(this, "Label1", QT_TRANSLATE_NOOP("tessel::base", "SQL语句：")), 2, 0);
    texts->addWidget(m_sql, 2, 1);
    texts->addWidget(label(this, "Label11", QT_TRANSLATE_NOOP("tessel::base", "列标头：")), 3, 0);
    texts->addWidget(m_colStr, 3, 1);
    texts->addWidget(label(this, "Label12", QT_TRANSLATE_NOOP("tessel::base", "(用全角逗号分隔)")),
                     3, 2);

    auto *commands = new QHBoxLayout;
    commands->addStretch();
    for (QPushButton *b : {m_cmdSQL, cmdDesign, cmdexit})
        commands->addWidget(b);

    auto *all = new QVBoxLayout(this);
    all->addWidget(heading);
    all->addLayout(top);
    all->addLayout(lists, 1);
    all->addLayout(texts);
    all->addLayout(commands);

    connect(cmdAdd, &QPushButton::clicked, this, &DataSetWizard::onAddField);
    connect(cmdAddAll, &QPushButton::clicked, this, &DataSetWizard::onAddAllFields);
    connect(cmdDel, &QPushButton::clicked, this, &DataSetWizard::onRemoveField);
    connect(cmdDelAll, &QPushButton::clicked, this, &DataSetWizard::onRemoveAllFields);
    connect(cmdUp, &QPushButton::clicked, this, &DataSetWizard::onMoveFieldUp);
    connect(cmdDown, &QPushButton::clicked, this, &DataSetWizard::onMoveFieldDown);
    connect(m_cmdSQL, &QPushButton::clicked, this, &DataSetWizard::composeQuery);
    connect(cmdDesign, &QPushButton::clicked, this, &DataSetWizard::onFinish);
    connect(cmdexit, &QPushButton::clicked, this, &DataSetWizard::onExit);
    // A table is picked from the list (or its index set); filling the list while loading
    // is no pick. Enter on a typed name activates it too.
    connect(m_table, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (!m_loading && index >= 0)
            onTablePicked();
    });
    connect(m_table, &QComboBox::activated, this, [this](int) {
        if (tableText() != m_columnsOf)
            onTablePicked();
    });
    connect(m_cnField, &QLineEdit::textChanged, this, &DataSetWizard::onChineseNameChanged);
    connect(m_where, &QLineEdit::textChanged, this, &DataSetWizard::onConditionChanged);

    resize(760, 620);
    load();
}

DataSetWizard::~DataSetWizard() = default;

QString DataSetWizard::tableText() const {
    return trimBlanks(m_table->currentText());
}

void DataSetWizard::showNoTables() {
    base::showInformation(this, kNoTables(), base::promptTitle());
}

void DataSetWizard::load() {
    m_loading = true;
    struct Done {
        bool &flag;
        ~Done() { flag = false; }
    } done{m_loading};

    m_sql->clear();
    m_table->setEditText(QString());

    const report::ReportSession &session = m_designer.session();
    QStringList tables;
    try {
        tables = db::userTables(session.connection);
    } catch (const std::exception &) {
        // A catalogue the connection cannot read is as good as none: the user is sent to
        // check the connection.
    }
    if (tables.isEmpty()) {
        showNoTables();
        return;
    }
    m_table->addItems(tables);
    // Filling the list leaves no table picked.
    m_table->setCurrentIndex(-1);
    m_table->setEditText(QString());

    const QString reportName = m_designer.reportName();
    if (reportName.isEmpty())
        return;
    m_reportName->setText(reportName);
    QString query;
    try {
        db::Recordset def =
            definitions::open(definitions::selectReportForWizard(trimBlanks(reportName)),
                              session.connection, definitions::Access::WizardLoad);
        if (!definitions::notFound(def)) {
            const definitions::DefinitionRecord stored = definitions::readDefinition(def);
            query = trimBlanks(stored.query.value());
            m_colStr->setText(trimBlanks(stored.labels.value().value_or(QString())));
        } else {
            query = trimBlanks(session.querySQL);
        }
    } catch (const std::exception &) {
        return;  // the definition cannot be read: the wizard starts without it
    }
    restore(query);
}

// The stored query shows whole in txtSQL, its condition in txtWhere (set first: the
// condition's change handler rewrites txtSQL) and its parts in the selection lists.
void DataSetWizard::restore(const QString &s) {
    const StoredQuery parts = parseStoredQuery(s);
    if (parts.condition) {
        m_where->setText(*parts.condition);
    } else {
        m_where->clear();
    }
    m_sql->setText(s);
    if (parts.selection)
        LoadSelection(*parts.selection);
}

// Fills the selection lists from a taken-apart query; its head goes into sqlStart.
void DataSetWizard::LoadSelection(const StoredQuery::Selection &selection) {
    m_selected->clear();
    m_tablesSel->clear();
    sqlStart = selection.head;
    for (const QString &field : selection.fields)
        m_selected->addItem(field);
    for (const QString &t : selection.tables)
        m_tablesSel->addItem(t);
}

void DataSetWizard::AddTableSel() {
    const QString table = tableText();
    for (int i = 0; i < m_tablesSel->count(); ++i) {
        if (trimBlanks(m_tablesSel->itemText(i)) == table)
            return;
    }
    m_tablesSel->addItem(table);
}

void DataSetWizard::DelTableSel() {
    const int sel = selectedRow(m_selected);
    if (sel < 0)
        return;
    const QString table = entryTable(m_selected->item(sel)->text());
    // Another entry that reads the same table keeps it in the from list. Each entry is
    // compared by its own table name, so 员工 is not kept alive by 员工工资.姓名.
    for (int i = 0; i < m_selected->count(); ++i) {
        if (i != sel && entryTable(m_selected->item(i)->text()) == table)
            return;
    }
    for (int i = m_tablesSel->count() - 1; i >= 0; --i) {
        if (trimBlanks(m_tablesSel->itemText(i)) == table)
            m_tablesSel->removeItem(i);
    }
}

void DataSetWizard::onTablePicked() {
    m_fields->clear();
    m_columnsOf.clear();
    const QString table = tableText();
    QStringList columns;
    try {
        columns = db::columnsOf(m_designer.session().connection, table);
    } catch (const std::exception &) {
        // As with the table list: the user is sent to check the connection.
    }
    if (columns.isEmpty()) {
        showNoTables();
        return;
    }
    m_fields->addItems(columns);
    m_columnsOf = table;
}

void DataSetWizard::onAddField() {
    AddTableSel();
    const int col = selectedRow(m_fields);
    if (col < 0)
        return;
    const int sel = selectedRow(m_selected);
    const int at = sel < 0 ? 0 : sel + 1;
    m_selected->insertItem(at, tableText() + u'.' + trimBlanks(m_fields->item(col)->text()));
    if (col + 1 < m_fields->count())
        m_fields->setCurrentRow(col + 1);
    m_selected->setCurrentRow(at);
}

void DataSetWizard::onAddAllFields() {
    AddTableSel();
    const QString table = tableText();
    // The table's own fields make way for the full set; a field of another table whose
    // name merely contains this one's (员工工资 beside 员工) stays.
    removeFieldsOf(table);
    // The columns go in as one block in the table's order, at the selected entry (at the top
    // when nothing is selected), ahead of it.
    const int sel = selectedRow(m_selected);
    const int at = sel < 0 ? 0 : sel;
    for (int i = 0; i < m_fields->count(); ++i)
        m_selected->insertItem(at + i, table + u'.' + trimBlanks(m_fields->item(i)->text()));
}

void DataSetWizard::onRemoveField() {
    const int sel = selectedRow(m_selected);
    if (sel < 0)
        return;
    DelTableSel();
    delete m_selected->takeItem(sel);
    clearSelection(m_selected);
}

void DataSetWizard::onRemoveAllFields() {
    const QString table = tableText();
    for (int i = m_tablesSel->count() - 1; i >= 0; --i) {
        if (trimBlanks(m_tablesSel->itemText(i)) == table)
            m_tablesSel->removeItem(i);
    }
    removeFieldsOf(table);
}

void DataSetWizard::removeFieldsOf(const QString &table) {
    for (int i = m_selected->count() - 1; i >= 0; --i) {
        if (isFieldOf(m_selected->item(i)->text(), table))
            delete m_selected->takeItem(i);
    }
}

void DataSetWizard::onMoveFieldUp() {
    const int k = selectedRow(m_selected);
    if (k <= 0)
        return;
    m_selected->insertItem(k - 1, m_selected->takeItem(k));
    m_selected->setCurrentRow(k - 1);
}

void DataSetWizard::onMoveFieldDown() {
    const int k = selectedRow(m_selected);
    if (k < 0 || k >= m_selected->count() - 1)
        return;
    m_selected->insertItem(k + 1, m_selected->takeItem(k));
    m_selected->setCurrentRow(k + 1);
}

// Every keystroke rewrites the selected entry, so it always carries exactly one alias.
void DataSetWizard::onChineseNameChanged() {
    const int sel = selectedRow(m_selected);
    if (sel < 0 || trimBlanks(m_cnField->text()).isEmpty())
        return;
    QListWidgetItem *item = m_selected->item(sel);
    item->setText(withAlias(item->text(), m_cnField->text()));
}

void DataSetWizard::onConditionChanged() {
    // A blank condition gives the statement back as it stands: it is left untouched.
    const QString s = withCondition(m_sql->text(), m_where->text());
    if (s != m_sql->text())
        m_sql->setText(s);
}

void DataSetWizard::composeQuery() {
    QStringList fields;
    for (int i = 0; i < m_selected->count(); ++i)
        fields << m_selected->item(i)->text();
    QStringList tables;
    for (int i = 0; i < m_tablesSel->count(); ++i)
        tables << m_tablesSel->itemText(i);
    sqlStart = QStringLiteral("select ");
    m_sql->setText(
        composeSelect(fields, tables, m_where->text(), m_designer.session().connection.dialect()));
    // Later edits of the lists no longer regenerate the text; the user may edit it by hand.
    m_cmdSQL->setEnabled(false);
}

void DataSetWizard::onFinish() {
    if (m_cmdSQL->isEnabled())
        composeQuery();
    const QString name = trimBlanks(m_reportName->text());
    if (name.isEmpty()) {
        base::showInformation(this, tessel::base::tr("请在报表名称中输入信息，再点击完成按钮。"),
                              base::noticeTitle());
        return;
    }
    report::ReportSession &session = m_designer.session();
    const int count = m_selected->count();

    // The sheet shows the query without its own condition, under the host's condition when
    // the host ran this very report; another report's condition would name columns this
    // query may not have.
    const bool hostsReport = trimBlanks(session.whereReport) == name;
    db::Recordset data;
    try {
        data.open(definitions::cutBeforeWhere(m_sql->text()) + u' ' +
                      (hostsReport ? session.whereSQL : QString()),
                  session.connection, db::CursorType::ForwardOnly, db::LockType::ReadOnly,
                  db::kCommandText);
    } catch (const std::exception &e) {
        base::showWarning(this, base::errorMessage(tessel::base::tr("报表数据查询失败"), e),
                          base::warningTitle());
        return;
    }

    // The definition is stored before the sheet is touched: when the database refuses the
    // row, the designer keeps the report it had and the wizard stays open.
    DataSetResult result{name, trimBlanks(m_colStr->text()), count, std::nullopt};
    bool created = false;
    try {
        created = definitions::saveQuery(session.connection, name, trimBlanks(m_sql->text()),
                                         result.labels, count);
    } catch (const std::exception &e) {
        base::showWarning(this, base::errorMessage(tessel::base::tr("报表保存失败"), e),
                          base::warningTitle());
        return;
    }
    // A report stored before brings its print settings to a sheet that held another report.
    // Should the row not read back, the sheet starts clean and the next run applies them.
    if (!created) {
        try {
            db::Recordset def = definitions::open(
                definitions::selectReport(name), session.connection, definitions::Access::ReadOnly);
            if (!definitions::notFound(def))
                result.stored = definitions::readDefinition(def);
        } catch (const std::exception &) {
        }
    }

    try {
        m_designer.takeDataSet(result, data);
    } catch (const std::exception &e) {
        // Rows that could not all be read are no result: the wizard stays open with the
        // reason.
        base::showWarning(this, base::errorMessage(tessel::base::tr("报表数据查询失败"), e),
                          base::warningTitle());
        return;
    }
    close();
}

void DataSetWizard::onExit() {
    close();
}

QWidget *openDataSetWizard(PrintSpread &designer) {
    return showOnce<DataSetWizard>(designer);
}

}  // namespace tessel::designer
