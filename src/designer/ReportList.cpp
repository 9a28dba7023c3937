#include "designer/ReportList.h"

#include <tessel/Error.h>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
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
#include "definitions/Definitions.h"
#include "designer/ChildWindows.h"
#include "designer/PrintSpread.h"
#include "report/ReportRun.h"

namespace tessel::designer {

using definitions::trimBlanks;

namespace {

constexpr int kSampleRows = 50;

bool isWordChar(QChar c) {
    return c.isLetterOrNumber() || c == u'_' || c.unicode() > 0x7f;
}

// A small reader over a query's text: blanks, words and digits from a position on.
struct Reader {
    const QString &text;
    qsizetype pos;

    void skipSpace() {
        while (pos < text.size() && text[pos].isSpace())
            ++pos;
    }
    // The word at the current position (after blanks), without moving.
    QString peekWord() const {
        qsizetype p = pos;
        while (p < text.size() && text[p].isSpace())
            ++p;
        qsizetype e = p;
        while (e < text.size() && isWordChar(text[e]))
            ++e;
        return text.mid(p, e - p);
    }
    bool takeWord(const char *word) {
        const QString w = peekWord();
        if (w.compare(QLatin1String(word), Qt::CaseInsensitive) != 0)
            return false;
        skipSpace();
        pos += w.size();
        return true;
    }
};

}  // namespace

QString sampleQuery(const QString &storedQuery) {
    const QString q = trimBlanks(storedQuery);
    // The top clause goes after "select" (its first six characters) and after a distinct or
    // all that follows it, where the server expects it.
    Reader r{q, std::min<qsizetype>(6, q.size())};
    if (r.takeWord("distinct") || r.takeWord("all")) {
        // r.pos is past the qualifier
    }
    const qsizetype insertAt = r.pos;
    if (!r.takeWord("top"))
        return q.left(insertAt) + QStringLiteral(" top 50") + q.mid(insertAt);

    // A top clause of its own: a second one would be refused. A plain count above 50 is
    // lowered so that the sample stays a sample.
    r.skipSpace();
    const bool parenthesised = r.pos < q.size() && q[r.pos] == u'(';
    if (parenthesised) {
        ++r.pos;
        r.skipSpace();
    }
    const qsizetype digitsAt = r.pos;
    while (r.pos < q.size() && q[r.pos].isDigit())
        ++r.pos;
    const qsizetype digitsEnd = r.pos;
    if (digitsEnd == digitsAt)
        return q;  // an expression: kept as stored
    if (parenthesised) {
        r.skipSpace();
        if (r.pos >= q.size() || q[r.pos] != u')')
            return q;
        ++r.pos;
    } else if (r.pos < q.size() && isWordChar(q[r.pos])) {
        return q;  // not a count after all
    }
    if (r.takeWord("percent"))
        return q;
    bool ok = false;
    const qlonglong count = q.mid(digitsAt, digitsEnd - digitsAt).toLongLong(&ok);
    if (ok && count <= kSampleRows)
        return q;
    return q.left(digitsAt) + QString::number(kSampleRows) + q.mid(digitsEnd);
}

ReportList::ReportList(PrintSpread &designer)
    : QWidget(&designer, Qt::Window), m_designer(designer) {
    setObjectName(QStringLiteral("frmTableList"));
    setWindowTitle(QStringLiteral("Form1"));
    setAttribute(Qt::WA_DeleteOnClose);

    auto *heading = new QLabel(tessel::base::tr("数据报表列表"), this);
    heading->setObjectName(QStringLiteral("Label2"));
    QFont hf = heading->font();
    hf.setPointSize(14);
    hf.setBold(true);
    heading->setFont(hf);
    heading->setAlignment(Qt::AlignCenter);
    auto *listLabel = new QLabel(tessel::base::tr("已经存在的报表："), this);
    listLabel->setObjectName(QStringLiteral("Label1"));
    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("lsTable"));

    const struct {
        const char *name, *caption;
        void (ReportList::*run)();
    } buttons[] = {
        {"cmdOK", QT_TRANSLATE_NOOP("tessel::base", "确定&O"), &ReportList::onOpenReport},
        {"Command1", QT_TRANSLATE_NOOP("tessel::base", "删除&D"), &ReportList::onDeleteReport},
        {"cmdCanel", QT_TRANSLATE_NOOP("tessel::base", "取消"), &ReportList::onCancel}};
    auto *commands = new QHBoxLayout;
    commands->addStretch();
    for (const auto &b : buttons) {
        auto *btn = new QPushButton(tessel::base::tr(b.caption), this);
        btn->setObjectName(QString::fromLatin1(b.name));
        connect(btn, &QPushButton::clicked, this, b.run);
        commands->addWidget(btn);
    }

    auto *all = new QVBoxLayout(this);
    all->addWidget(heading);
    all->addWidget(listLabel);
    all->addWidget(m_list, 1);
    all->addLayout(commands);
    resize(360, 420);
    load();
}

ReportList::~ReportList() = default;

void ReportList::load() {
    try {
        db::Recordset rs =
            definitions::open(definitions::selectReportNames(), m_designer.session().connection,
                              definitions::Access::ReadOnly);
        if (definitions::notFound(rs)) {
            base::showInformation(this, tessel::base::tr("没有报表数据"), base::informationTitle());
            return;
        }
        m_list->addItems(db::firstFields(rs));
    } catch (const std::exception &e) {
        base::showWarning(this, base::errorMessage(tessel::base::tr("报表列表读取失败"), e),
                          base::warningTitle());
    }
}

void ReportList::onOpenReport() {
    QListWidgetItem *item = m_list->currentItem();
    if (!item || !item->isSelected())
        return;
    const QString name = trimBlanks(item->text());
    report::ReportSession &session = m_designer.session();
    const std::unique_ptr<base::Progress> progress = base::interaction().progress(this);
    try {
        db::Recordset def = definitions::open(definitions::selectReport(name), session.connection,
                                              definitions::Access::ReadOnly);
        if (definitions::notFound(def)) {
            throw Error(Error::Category::Statement,
                        tessel::base::tr("不存在这个报表数据：%1").arg(name));
        }
        // The sample is run before anything changes: a query the database refuses leaves
        // the designer with the report it had, so a later save cannot write one report's
        // layout under another's name.
        const definitions::DefinitionRecord stored = definitions::readDefinition(def);
        // The sample query runs up to its first row before the sheet changes: a query that
        // takes long (a sort, a join) can be cancelled while it runs, and the designer then
        // keeps its report as after a refusal. Its rows are few: the fill is not cut short.
        progress->begin(tessel::base::tr("读取样本数据"), base::ProgressUnit::Rows, -1);
        db::Recordset sample;
        {
            const db::StatementProgress watched(session.connection, *progress);
            sample.open(sampleQuery(stored.query.value()), session.connection,
                        db::CursorType::ForwardOnly, db::LockType::ReadOnly, db::kCommandText);
        }
        progress->finish();

        m_designer.setReportName(stored.name.value());
        report::RunRequest run;
        run.source.kind = report::RunSource::Kind::OpenRows;
        run.source.rows = &sample;
        report::buildReport(session, stored, run);
        m_designer.markClean();
    } catch (const std::exception &e) {
        progress->finish();
        // Stopped by the user while the database worked: the dialog stays, nothing to tell.
        if (!progress->cancelled()) {
            base::showWarning(this, base::errorMessage(tessel::base::tr("报表打开失败"), e),
                              base::warningTitle());
        }
        return;
    }
    close();
}

void ReportList::onDeleteReport() {
    if (!base::askYesNo(this, tessel::base::tr("真的要删除当前报表吗？"), base::warningTitle()))
        return;
    try {
        QListWidgetItem *item = m_list->currentItem();
        if (!item || !item->isSelected())
            throw Error(Error::Category::Argument, QStringLiteral("No report is selected"));
        // The exact name: a stored name with blanks around is deleted as stored.
        const int row = m_list->row(item);
        m_designer.session().connection.execute(definitions::deleteReport(item->text()));
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        delete m_list->takeItem(row);
        m_list->setCurrentRow(-1);
        m_list->clearSelection();
    } catch (const std::exception &) {
        base::showWarning(this, tessel::base::tr("操作失败！"), base::warningTitle());
        return;
    }
    base::showInformation(this, tessel::base::tr("报表删除成功！"), base::noticeTitle());
}

void ReportList::onCancel() {
    close();
}

QWidget *openReportList(PrintSpread &designer) {
    return showOnce<ReportList>(designer);
}

}  // namespace tessel::designer
