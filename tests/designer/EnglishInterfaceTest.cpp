// Every window of the component under English shows no Chinese interface text, and under the
// default language keeps its Chinese captions; in both, every caption fits its control.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QRegularExpression>
#include <QTableWidget>
#include <functional>
#include <memory>

#include "base/Language.h"
#include "designer/ColumnHeaderEditor.h"
#include "designer/DataSetWizard.h"
#include "designer/PrintSpread.h"
#include "designer/ReportList.h"
#include "pagesetup/HeaderFooterEditor.h"
#include "pagesetup/PageSetup.h"
#include "pagesetup/PrintOptions.h"
#include "preview/SpreadPreview.h"
#include "settingdialogs/ChartDialog.h"
#include "settingdialogs/ChartEditing.h"
#include "settingdialogs/ColumnFormatDialog.h"
#include "settingdialogs/ConditionDialog.h"
#include "settingdialogs/GroupDialog.h"
#include "support/ScriptedInteraction.h"
#include "support/TestDb.h"
#include "widgets/SheetView.h"

namespace tessel {
namespace {

// What a user reads in `w` and its children: titles, captions, menu entries, tooltips,
// placeholders, list headers, combo entries and the cells of sheet controls (which hold
// captions only here: the report's data and names are Latin).
QStringList visibleTexts(QWidget *w) {
    QStringList out{w->windowTitle()};
    QList<QWidget *> all = w->findChildren<QWidget *>();
    all.prepend(w);
    for (QWidget *c : all) {
        out << c->toolTip();
        for (QAction *a : c->actions())
            out << a->text() << a->toolTip();
        if (auto *l = qobject_cast<QLabel *>(c))
            out << l->text();
        if (auto *b = qobject_cast<QAbstractButton *>(c))
            out << b->text();
        if (auto *g = qobject_cast<QGroupBox *>(c))
            out << g->title();
        if (auto *e = qobject_cast<QLineEdit *>(c))
            out << e->placeholderText();
        if (auto *box = qobject_cast<QComboBox *>(c))
            for (int i = 0; i < box->count(); ++i)
                out << box->itemText(i);
        if (auto *t = qobject_cast<QTableWidget *>(c))
            for (int i = 0; i < t->columnCount(); ++i)
                out << t->horizontalHeaderItem(i)->text();
        if (auto *v = qobject_cast<widgets::SheetView *>(c); v && v->sheet())
            for (int col = 0; col <= v->sheet()->maxCols(); ++col)
                for (int row = 0; row <= std::min(v->sheet()->maxRows(), 3); ++row)
                    out << v->sheet()->text(col, row);
    }
    return out;
}

struct Windows {
    test::TempDb db;
    report::ReportSession session;
    test::ScriptedInteraction user;
    std::unique_ptr<designer::PrintSpread> designer;

    Windows() {
        db.exec(db.tslReportDdl());
        db.exec(QStringLiteral("create table sales (id integer, item text);"));
        session.connection = db.connect();
        session.reportName = QStringLiteral("Sales");
        session.sheet.setMaxCols(2);
        session.sheet.setText(1, 0, QStringLiteral("Item"));
        session.sheet.setText(2, 0, QStringLiteral("Amount"));
        designer = std::make_unique<designer::PrintSpread>(session);
    }
};

TEST(EnglishInterface, EveryWindowShowsEnglishOnlyAndTheDefaultKeepsItsCaptions) {
    const QRegularExpression chinese(QStringLiteral("[\\x{3000}-\\x{9fff}\\x{ff00}-\\x{ffef}]"));
    struct Case {
        const char *window;
        QString defaultCaption;  // a caption the window shows by default
        std::function<QWidget *(Windows &)> open;
    };
    const Case cases[] = {
        {"preview", QStringLiteral("打印预览"),
         [](Windows &w) { return new preview::SpreadPreview(w.session); }},
        {"print options", QStringLiteral("内容显示选项"),
         [](Windows &w) { return new pagesetup::PrintOptionsDialog(w.session); }},
        {"header/footer editor", QStringLiteral("修改页标头/脚注属性"),
         [](Windows &w) { return new pagesetup::HeaderFooterEditor(w.session); }},
        {"page setup", QStringLiteral("页面设置"),
         [](Windows &w) { return new pagesetup::PageSetup(w.session, nullptr); }},
        {"designer", QStringLiteral("报表设计主界面"),
         [](Windows &w) {
             QWidget *menu = w.designer->showColumnMenu(1, QPoint(0, 0));
             menu->setParent(w.designer.get(), Qt::Popup);
             return w.designer.get();
         }},
        {"wizard", QStringLiteral("报表数据结构"),
         [](Windows &w) { return new designer::DataSetWizard(*w.designer); }},
        {"report list", QStringLiteral("数据报表列表"),
         [](Windows &w) { return new designer::ReportList(*w.designer); }},
        {"column header editor", QStringLiteral("设置列标题文本"),
         [](Windows &w) { return new designer::ColumnHeaderEditor(*w.designer); }},
        {"column format", QStringLiteral("列格式"),
         [](Windows &) {
             return new settingdialogs::ColumnFormatDialog({}, QStringLiteral("1234.5"));
         }},
        {"groups", QStringLiteral("按分组排序"),
         [](Windows &w) {
             grid::Grouping g;
             g.levels.resize(1);
             g.levels[0].column = 1;
             g.levels[0].label = QStringLiteral("{value} total");  // a report's text
             g.pageTotals = grid::PageTotals{{2}, QStringLiteral("Page"), {}, {}};
             return new settingdialogs::GroupDialog(g, w.session.sheet, 1);
         }},
        {"conditional formats", QStringLiteral("应用于整行"),
         [](Windows &w) {
             grid::ConditionRule between;
             between.column = 2;
             between.when = grid::RuleWhen::Between;
             between.value = 10.0;
             between.value2 = 20.0;
             between.text = Qt::red;
             between.bold = true;
             grid::ConditionRule scale;
             scale.column = 2;
             scale.kind = grid::RuleKind::Scale;
             scale.scale = {Qt::red, Qt::yellow, Qt::green};
             return new settingdialogs::ConditionDialog({between, scale}, w.session.sheet, 2);
         }},
        {"charts", QStringLiteral("分类列："),
         [](Windows &w) {
             grid::ChartSpec pie;
             pie.type = grid::ChartType::Pie;
             pie.category = 1;
             pie.values = {2};
             return new settingdialogs::ChartDialog(
                 {pie, settingdialogs::chartForColumn(w.session.sheet, 2)}, w.session.sheet, 2);
         }},
    };
    for (const bool english : {true, false}) {
        ASSERT_EQ(
            base::setLanguage(english ? QLocale(QLocale::English) : QLocale(QLocale::Chinese)),
            english);
        for (const Case &c : cases) {
            SCOPED_TRACE(std::string(c.window) + (english ? " in English" : " by default"));
            Windows w;
            QWidget *window = c.open(w);
            const QStringList texts = visibleTexts(window);
            // Every caption fits its control in either language: nothing is cut.
            window->show();
            QCoreApplication::processEvents();
            for (QWidget *c : window->findChildren<QWidget *>()) {
                const auto *label = qobject_cast<QLabel *>(c);
                if ((!label && !qobject_cast<QAbstractButton *>(c)) || !c->isVisibleTo(window) ||
                    (label && label->wordWrap()))
                    continue;
                EXPECT_LE(c->sizeHint().width(), c->width())
                    << c->objectName().toStdString() << " in "
                    << c->parentWidget()->objectName().toStdString();
            }
            window->hide();
            if (english) {
                EXPECT_FALSE(window->windowTitle().isEmpty());
                for (const QString &t : texts)
                    EXPECT_FALSE(t.contains(chinese)) << t.toStdString();
            } else {
                EXPECT_TRUE(texts.contains(c.defaultCaption)) << texts.join(u'|').toStdString();
            }
            if (window != w.designer.get())
                delete window;
        }
    }
}

// Page totals taken up in the groups dialog get their labels in the interface language (a
// stored grouping keeps the labels it was stored with).
TEST(EnglishInterface, NewPageTotalLabelsFollowTheLanguage) {
    for (const bool english : {true, false}) {
        base::setLanguage(QLocale(english ? QLocale::English : QLocale::Chinese));
        Windows w;
        settingdialogs::GroupDialog d({}, w.session.sheet, 1);
        d.findChild<QGroupBox *>(QStringLiteral("grpPageTotals"))->setChecked(true);
        const QString label = d.findChild<QLineEdit *>(QStringLiteral("txtPageLabel"))->text();
        EXPECT_NE(label.contains(QRegularExpression(QStringLiteral("[\\x{4e00}-\\x{9fff}]"))),
                  english)
            << label.toStdString();
    }
}

}  // namespace
}  // namespace tessel
