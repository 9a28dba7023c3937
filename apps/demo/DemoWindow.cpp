// The demo host's main window. Read it top to bottom: connect, list the stored reports,
// set report variables, then run a report three ways (PrintPreSQL1, PrintPreGrid,
// getReport). It uses the public header alone, as any host would.
#include "DemoWindow.h"

#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QSqlQuery>
#include <QStandardItemModel>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

// The demo's own captions in the component's interface language: the component installs its
// translation in the application (TESSEL_LANG, clsReport::setLanguage), and the demo's texts
// are in the same catalogue, so the window speaks the language the component's windows do.
QString text(const char *source) {
    return QCoreApplication::translate("tessel::base", source);
}

}  // namespace

DemoWindow::DemoWindow(const QString &database) {
    setObjectName(QStringLiteral("tesselDemo"));
    setWindowTitle(text(QT_TRANSLATE_NOOP("tessel::base", "Tessel 演示 — %1")).arg(database));

    // 1. Hand the component a connection. Any connection string works; a host that
    //    already has a QSqlDatabase open would call m_report.setTsDBc(db) instead. A bare
    //    file name is the SQLite sample; a URL or a key=value string is taken as it is.
    const bool connectionString =
        database.contains(QLatin1String("://")) || database.contains(u'=');
    m_report.ConDb(connectionString ? database : QStringLiteral("sqlite:") + database);

    auto *central = new QWidget(this);
    auto *layout = new QVBoxLayout(central);
    setCentralWidget(central);

    // 2. The stored reports, read through the component's connection.
    m_reports = new QListWidget(central);
    m_reports->setObjectName(QStringLiteral("reports"));
    QSqlQuery q(m_report.tsDBc());
    q.exec(QStringLiteral("select 报表名称 from tsl_report"));
    while (q.next())
        m_reports->addItem(q.value(0).toString());
    if (m_reports->count() > 0)
        m_reports->setCurrentRow(0);
    layout->addWidget(new QLabel(text(QT_TRANSLATE_NOOP("tessel::base", "已存报表：")), central));
    layout->addWidget(m_reports);

    // 3. What the host adds to a run: a condition and report variables.
    auto *form = new QFormLayout;
    m_where = new QLineEdit(central);
    m_where->setObjectName(QStringLiteral("where"));
    m_where->setPlaceholderText(QStringLiteral("where 订单.金额 > 5000"));
    form->addRow(text(QT_TRANSLATE_NOOP("tessel::base", "查询条件：")), m_where);
    m_totals = new QCheckBox(text(QT_TRANSLATE_NOOP("tessel::base", "加合计行")), central);
    m_totals->setObjectName(QStringLiteral("totals"));
    form->addRow(QString(), m_totals);
    layout->addLayout(form);

    m_vars = new QTableWidget(2, 2, central);
    m_vars->setObjectName(QStringLiteral("variables"));
    m_vars->setHorizontalHeaderLabels({text(QT_TRANSLATE_NOOP("tessel::base", "变量")),
                                       text(QT_TRANSLATE_NOOP("tessel::base", "值"))});
    m_vars->horizontalHeader()->setStretchLastSection(true);
    m_vars->setItem(0, 0, new QTableWidgetItem(QStringLiteral("公司")));
    m_vars->setItem(0, 1, new QTableWidgetItem(QStringLiteral("示例贸易有限公司")));
    m_vars->setItem(1, 0, new QTableWidgetItem(QStringLiteral("制表人")));
    m_vars->setItem(1, 1, new QTableWidgetItem(QStringLiteral("张伟")));
    layout->addWidget(m_vars);

    // 4. The runs.
    auto *buttons = new QHBoxLayout;
    const struct {
        const char *name;
        const char *caption;
        void (DemoWindow::*run)();
    } runs[] = {
        {"design", QT_TRANSLATE_NOOP("tessel::base", "设计"), &DemoWindow::runDesigner},
        {"preview", QT_TRANSLATE_NOOP("tessel::base", "预览"), &DemoWindow::runPreview},
        {"print", QT_TRANSLATE_NOOP("tessel::base", "打印"), &DemoWindow::runPrint},
        {"grid", QT_TRANSLATE_NOOP("tessel::base", "网格报表"), &DemoWindow::runGrid},
        {"layout", QT_TRANSLATE_NOOP("tessel::base", "仅版式"), &DemoWindow::runLayout},
    };
    for (const auto &r : runs) {
        auto *b = new QPushButton(text(r.caption), central);
        b->setObjectName(QString::fromLatin1(r.name));
        connect(b, &QPushButton::clicked, this, r.run);
        buttons->addWidget(b);
    }
    layout->addLayout(buttons);

    // The designer builds new reports from the database's tables.
    QMenu *menu = menuBar()->addMenu(text(QT_TRANSLATE_NOOP("tessel::base", "报表(&R)")));
    QAction *design = menu->addAction(text(QT_TRANSLATE_NOOP("tessel::base", "报表设计器…")));
    connect(design, &QAction::triggered, this, [this] { m_report.setVisible(true); });
    menu->addAction(text(QT_TRANSLATE_NOOP("tessel::base", "退出")), this, &QWidget::close);
    resize(520, 520);
}

QString DemoWindow::currentReport() const {
    return m_reports->currentItem() ? m_reports->currentItem()->text() : QString();
}

// Report variables go in as (name, value) rows; the header and footer use them as VName.
void DemoWindow::putVariables() {
    QVariantList rows;
    for (int r = 0; r < m_vars->rowCount(); ++r) {
        const auto *name = m_vars->item(r, 0);
        const auto *value = m_vars->item(r, 1);
        if (name && !name->text().isEmpty()) {
            rows << QVariant(QVariantList{name->text(), value ? value->text() : QString()});
        }
    }
    m_report.PutVar(rows);
}

// PrintPreSQL1: the stored query with the host's condition; isshow 0 designer, 1 preview,
// 2 printer. The component shows its own messages when something goes wrong.
void DemoWindow::runSql(int isshow) {
    putVariables();
    // A condition typed without its keyword ("订单.金额 > 60000") gets it: the component reads
    // the host's condition from its where, in any case.
    static const QRegularExpression clause(
        QStringLiteral("^\\s*(where|order\\s+by|group\\s+by)\\b"),
        QRegularExpression::CaseInsensitiveOption);
    QString condition = m_where->text();
    if (!condition.trimmed().isEmpty() && !clause.match(condition).hasMatch())
        condition = QStringLiteral("where ") + condition;
    m_report.PrintPreSQL1(QStringLiteral("select * from x ") + condition, currentReport(), isshow,
                          m_totals->isChecked());
}

void DemoWindow::runDesigner() {
    runSql(0);
}
void DemoWindow::runPreview() {
    runSql(1);
}
void DemoWindow::runPrint() {
    runSql(2);
}

// PrintPreGrid: the host fills a grid of its own and the stored layout dresses it.
void DemoWindow::runGrid() {
    putVariables();
    QStandardItemModel model(3, 4);
    model.setHorizontalHeaderLabels({QStringLiteral("季度"), QStringLiteral("收入"),
                                     QStringLiteral("成本"), QStringLiteral("利润")});
    const double figures[3][3] = {{120.5, 80, 40.5}, {150, 95.5, 54.5}, {180.25, 100, 80.25}};
    for (int r = 0; r < 3; ++r) {
        model.setItem(r, 0, new QStandardItem(QStringLiteral("Q%1").arg(r + 1)));
        for (int c = 0; c < 3; ++c) {
            model.setItem(r, c + 1, new QStandardItem(QString::number(figures[r][c])));
        }
    }
    m_report.PrintPreGrid(&model, QStringLiteral("季度利润"), 1, true);
}

// getReport: the stored layout alone; the host writes the cells itself.
void DemoWindow::runLayout() {
    try {
        m_report.setNameOfReport(currentReport());
        m_report.setTsRows(2);
        m_report.setText(1, 1, QStringLiteral("由宿主写入"));
        m_report.setText(1, 2, 42);
        m_report.getReport(currentReport(), m_report.tsCols() > 0 ? m_report.tsCols() : 4, 0);
    } catch (const tessel::Error &e) {
        QMessageBox::warning(this, QStringLiteral("Tessel"), e.fullText());
    }
}
