// The header/footer editor driven through its controls against a real definition row.
#include <gtest/gtest.h>

#include <tessel/clsReport.h>

#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>

#include "db/Recordset.h"
#include "definitions/Definitions.h"
#include "pagesetup/HeaderFooterEditor.h"
#include "support/ScriptedInteraction.h"
#include "support/TestDb.h"
#include "widgets/SheetView.h"

using namespace tessel;
using base::MessageAnswer;
using base::MessageIcon;
using pagesetup::HeaderFooterEditor;

namespace {

const QString kWorkedExample = QStringLiteral(
    "/fn\"宋体\"/fz\"9\"/fb0/fi0/fu0/fk0/l日期:V日期/fn\"宋体\"/fz\"9\"/fb0/fi0/fu0/fk0/r/p/n/n"
    "/fn\"宋体\"/fz\"9\"/fb1/fi0/fu0/fk0/c报表中间/n");
const QString kFooter = QStringLiteral("/fn\"黑体\"/fz\"12\"/fb0/fi1/fu0/fk0/c第一页脚/n");
const QString kName = QStringLiteral("月报");
const QColor kGrey{128, 128, 128};

class Editor : public ::testing::Test {
protected:
    explicit Editor(test::Backend backend = test::Backend::SQLite) : db(backend) {}

    void SetUp() override {
        TESSEL_SKIP_UNLESS_AVAILABLE(db.backend());
        db.exec(db.tslReportDdl());
        db.exec(QStringLiteral("insert into tsl_report (报表名称, 页头页脚, 页头文本, 页脚文本) "
                               "values ('月报', 1, '%1', '%2')")
                    .arg(kWorkedExample, kFooter));
        session.connection = db.connect();
        session.reportName = kName;
        session.tslVar = {QVariantList{QStringLiteral("V单位"), QStringLiteral("某某公司")},
                          QVariantList{QStringLiteral("V"), QString()},
                          QVariantList{QStringLiteral("V部门"), QStringLiteral("财务部")}};
    }

    HeaderFooterEditor &open() {
        editor = std::make_unique<HeaderFooterEditor>(session);
        editor->show();
        return *editor;
    }

    grid::Sheet &grid() { return editor->gridSheet(); }
    QPushButton *button(const char *name) { return editor->button(name); }
    QRadioButton *option(int i) {
        return editor->findChild<QRadioButton *>(QStringLiteral("Option3_%1").arg(i));
    }
    QComboBox *classes() { return editor->findChild<QComboBox *>(QStringLiteral("cmdClass")); }

    // Mouse input as the user gives it, on a widget's viewport.
    static void mouse(QWidget *w, QEvent::Type type, QPoint pos, Qt::MouseButton b) {
        const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : b;
        QMouseEvent e(type, pos, w->mapToGlobal(pos), b, held, Qt::NoModifier);
        QApplication::sendEvent(w, &e);
    }
    static void click(QWidget *w, QPoint pos, Qt::MouseButton b = Qt::LeftButton) {
        mouse(w, QEvent::MouseButtonPress, pos, b);
        mouse(w, QEvent::MouseButtonRelease, pos, b);
    }
    void clickCell(int col, int row, Qt::MouseButton b = Qt::LeftButton) {
        widgets::SheetView *v = editor->grid();
        click(v->viewport(), v->cellRect(col, row).center(), b);
    }
    void doubleClickVariable(int row) {
        QTableWidget *t = editor->variableList();
        QWidget *vp = t->viewport();
        const QPoint p = t->visualItemRect(t->item(row, 0)).center();
        click(vp, p);
        mouse(vp, QEvent::MouseButtonDblClick, p, Qt::LeftButton);
        mouse(vp, QEvent::MouseButtonRelease, p, Qt::LeftButton);
    }
    // Types into a text cell through the grid's in-place editor.
    void type(int col, int row, const QString &text) {
        widgets::SheetView *v = editor->grid();
        ASSERT_TRUE(v->editCell(col, row));
        v->editor()->setText(text);
        v->commitEdit();
    }

    db::Recordset row() {
        return definitions::open(definitions::selectReport(kName), session.connection,
                                 definitions::Access::ReadOnly);
    }
    QString stored(const char *field) { return row().text(QString::fromUtf8(field)); }

    test::TempDb db;
    test::ScriptedInteraction user;
    report::ReportSession session;
    std::unique_ptr<HeaderFooterEditor> editor;
};

// The editor's loads and saves, on every backend.
using EditorOn = test::OnEveryBackend<Editor>;

TEST_F(Editor, OpensWithItsControlsGridAndVariables) {
    open();
    EXPECT_EQ(editor->objectName(), QStringLiteral("headerfooter"));
    EXPECT_EQ(editor->windowTitle(), QStringLiteral("修改页标头/脚注属性"));
    const struct {
        const char *name, *caption;
    } captions[] = {{"Label1", "报表页标头页脚设置"},
                    {"Label5", "显示类型"},
                    {"Label3", "按保存按钮避免设置信息丢失"},
                    {"Label4", "配置文件名"},
                    {"file1", "report1.ini"},
                    {"Command3", "保存文本"},
                    {"Command4", "复位"},
                    {"Command1", "确定"},
                    {"Command2", "取消"},
                    {"Option3_0", "表头文本"},
                    {"Option3_1", "脚注文本"},
                    {"Frame1", "应用于"}};
    for (const auto &c : captions) {
        QWidget *w = editor->findChild<QWidget *>(QString::fromLatin1(c.name));
        ASSERT_NE(w, nullptr) << c.name;
        EXPECT_EQ(w->property(w->inherits("QGroupBox") ? "title" : "text").toString(),
                  QString::fromUtf8(c.caption));
    }
    EXPECT_FALSE(button("Command3")->isEnabled());
    EXPECT_TRUE(button("Command1")->isDefault());
    EXPECT_TRUE(option(0)->isChecked());
    EXPECT_TRUE(option(0)->font().bold());
    // The row holds 1 ("仅表头"); the window always starts on "都显示".
    EXPECT_EQ(classes()->count(), 4);
    EXPECT_EQ(classes()->currentText(), QStringLiteral("都显示"));

    // The layout grid.
    grid::Sheet &g = grid();
    EXPECT_EQ(g.maxCols(), 6);
    EXPECT_EQ(g.maxRows(), 9);
    EXPECT_EQ(g.colWidth(0), 5);
    EXPECT_EQ(g.text(0, 9), QStringLiteral("Line 9"));
    const char *heads[] = {"报表左边", "报表中间", "报表右边"};
    for (int i = 0; i < 3; ++i) {
        const int col = 2 * i + 1;
        EXPECT_EQ(g.text(col, 0), QString::fromUtf8(heads[i]));
        EXPECT_EQ(g.colWidth(col), 20);
        EXPECT_EQ(g.colWidth(col + 1), 3);
        for (int r = 1; r <= 9; ++r) {
            const grid::CellStyle &st = g.style(col + 1, r);
            EXPECT_EQ(st.kind, grid::CellKind::Button);
            EXPECT_EQ(g.text(col + 1, r), QStringLiteral("..."));
            EXPECT_TRUE(st.font.bold);
            EXPECT_TRUE(st.border);
            EXPECT_EQ(st.borderColor, QColor(192, 192, 192));
        }
    }

    // Every variable is offered, the last one too; the nameless one is not.
    QTableWidget *t = editor->variableList();
    EXPECT_EQ(t->objectName(), QStringLiteral("msgd"));
    EXPECT_EQ(t->horizontalHeaderItem(0)->text(), QStringLiteral("变量名称"));
    EXPECT_EQ(t->horizontalHeaderItem(1)->text(), QStringLiteral("变量值"));
    QStringList names, values;
    for (int r = 0; r < t->rowCount(); ++r) {
        names << t->item(r, 0)->text();
        values << t->item(r, 1)->text();
    }
    EXPECT_EQ(names, (QStringList{"V单位", "V部门", "V时间", "V日期"}));
    EXPECT_EQ(values, (QStringList{"某某公司", "财务部", "", ""}));

    // A list of one entry offers it; no list offers the two built-in placeholders.
    session.tslVar = {QVariantList{QStringLiteral("V单位"), 12}};
    open();
    EXPECT_EQ(editor->variableList()->rowCount(), 3);
    EXPECT_EQ(editor->variableList()->item(0, 1)->text(), QStringLiteral("12"));
    session.tslVar.clear();
    open();
    EXPECT_EQ(editor->variableList()->rowCount(), 2);
}

TEST_P(EditorOn, LoadsTheStoredHeaderAndComposesItBack) {
    open();
    grid::Sheet &g = grid();
    EXPECT_EQ(g.text(1, 1), QStringLiteral("日期:V日期"));
    EXPECT_EQ(g.style(1, 1).font.name, QStringLiteral("宋体"));
    EXPECT_EQ(g.style(1, 1).font.size, 9);
    EXPECT_EQ(g.text(5, 1), print::kPageNumberText);
    EXPECT_EQ(g.style(5, 1).foreground, kGrey);
    EXPECT_FALSE(editor->grid()->isEditable(5, 1));
    EXPECT_EQ(g.text(3, 3), QStringLiteral("报表中间"));
    EXPECT_TRUE(g.style(3, 3).font.bold);
    EXPECT_FALSE(g.style(1, 1).font.bold);
    EXPECT_EQ(editor->GetCellData(5, 1), QStringLiteral("/fn\"宋体\"/fz\"9\"/fb0/fi0/fu0/fk0/r/p"));
    EXPECT_EQ(editor->GetCellData(3, 2), QString());
    EXPECT_EQ(editor->composeGrid(), kWorkedExample);
    EXPECT_TRUE(user.messages.empty());
}

TEST_P(EditorOn, SaveWritesTheRowAndTheSheet) {
    open();
    type(3, 5, QStringLiteral("第五行"));  // an empty line 4 now lies between lines with text
    EXPECT_TRUE(button("Command3")->isEnabled());
    button("Command3")->click();
    EXPECT_FALSE(button("Command3")->isEnabled());

    const QString expected =
        kWorkedExample + QStringLiteral("/n/fn\"宋体\"/fz\"9\"/fb0/fi0/fu0/fk0/c第五行/n");
    EXPECT_EQ(stored("页头文本"), expected);
    EXPECT_EQ(stored("页脚文本"), kFooter);
    EXPECT_EQ(stored("页头页脚"), QStringLiteral("3"));
    EXPECT_EQ(session.sheet.print().header, expected);
    EXPECT_TRUE(user.messages.empty());
}

TEST_P(EditorOn, AFailedSaveKeepsTheWindowOpenWithTheEdits) {
    db.refuse(QStringLiteral("before update on tsl_report"), QStringLiteral("页头被拒绝"));
    open();
    type(3, 5, QStringLiteral("第五行"));
    for (const char *name : {"Command3", "Command1"}) {
        SCOPED_TRACE(name);
        user.messages.clear();
        button(name)->click();
        ASSERT_EQ(user.messages.size(), 1u);
        EXPECT_EQ(user.messages[0].icon, MessageIcon::Warning);
        EXPECT_TRUE(user.messages[0].text.contains(QStringLiteral("页头被拒绝")));
        EXPECT_TRUE(editor->isVisible());
        EXPECT_EQ(editor->result(), QDialog::Rejected);
        EXPECT_TRUE(button("Command3")->isEnabled());  // still unsaved
        EXPECT_EQ(grid().text(3, 5), QStringLiteral("第五行"));
    }
    EXPECT_EQ(stored("页头文本"), kWorkedExample);
    EXPECT_EQ(session.sheet.print().header, QString());
}

TEST_P(EditorOn, DisplayChoiceIsStoredAsItsCode) {
    const struct {
        const char *item;
        const char *code;
    } cases[] = {{"仅表头", "1"}, {"仅脚注", "2"}, {"都不显示", "0"}, {"都显示", "3"}};
    open();
    int line = 1;
    for (const auto &c : cases) {
        classes()->setCurrentText(QString::fromUtf8(c.item));
        EXPECT_FALSE(button("Command3")->isEnabled());
        type(1, ++line, QString::fromUtf8(c.code));  // editing enables the save button
        button("Command3")->click();
        EXPECT_EQ(stored("页头页脚"), QString::fromLatin1(c.code)) << c.item;
    }
}

TEST_F(Editor, SwitchingModesShowsWhatWasSaved) {
    open();
    option(1)->click();
    EXPECT_EQ(editor->mode(), HeaderFooterEditor::Mode::Footer);
    EXPECT_TRUE(option(1)->font().bold());
    EXPECT_FALSE(option(0)->font().bold());
    EXPECT_EQ(button("Command3")->text(), QStringLiteral("保存脚注文本"));
    EXPECT_EQ(grid().text(3, 1), QStringLiteral("第一页脚"));
    EXPECT_EQ(grid().text(1, 1), QString());
    EXPECT_TRUE(grid().style(3, 1).font.italic);
    EXPECT_EQ(grid().style(3, 1).font.name, QStringLiteral("黑体"));

    // Unsaved edits are dropped on a switch.
    type(1, 2, QStringLiteral("未保存"));
    option(0)->click();
    EXPECT_EQ(button("Command3")->text(), QStringLiteral("保存表头文本"));
    EXPECT_EQ(editor->composeGrid(), kWorkedExample);

    // A saved header comes back after a trip to the footer, and saving the footer then
    // keeps it.
    type(1, 1, QStringLiteral("新页头"));
    button("Command3")->click();
    const QString savedHeader = stored("页头文本");
    EXPECT_TRUE(savedHeader.contains(QStringLiteral("/l新页头")));
    option(1)->click();
    type(5, 2, QStringLiteral("新页脚"));
    button("Command3")->click();
    option(0)->click();
    EXPECT_EQ(grid().text(1, 1), QStringLiteral("新页头"));
    EXPECT_EQ(stored("页头文本"), savedHeader);
    EXPECT_TRUE(stored("页脚文本").contains(QStringLiteral("/r新页脚")));
    EXPECT_EQ(session.sheet.print().header, savedHeader);
    EXPECT_EQ(session.sheet.print().footer, stored("页脚文本"));
}

TEST_F(Editor, RightButtonTogglesPageNumbers) {
    open();
    // An empty cell becomes a page-number cell and back.
    clickCell(3, 2);
    clickCell(1, 7, Qt::RightButton);  // acts on the active cell, not the one under the mouse
    EXPECT_EQ(grid().text(3, 2), print::kPageNumberText);
    EXPECT_EQ(grid().text(1, 7), QString());
    EXPECT_EQ(grid().style(3, 2).foreground, kGrey);
    EXPECT_FALSE(editor->grid()->isEditable(3, 2));
    EXPECT_TRUE(editor->GetCellData(3, 2).endsWith(QStringLiteral("/c/p")));
    clickCell(3, 2, Qt::RightButton);
    EXPECT_EQ(grid().text(3, 2), QString());
    EXPECT_NE(grid().style(3, 2).foreground, kGrey);
    EXPECT_TRUE(editor->grid()->isEditable(3, 2));
    EXPECT_TRUE(user.messages.empty());

    // Text is replaced only when the user agrees.
    clickCell(1, 1);
    user.answers = {MessageAnswer::No, MessageAnswer::Yes};
    clickCell(1, 1, Qt::RightButton);
    ASSERT_EQ(user.messages.size(), 1u);
    EXPECT_EQ(user.messages[0].text,
              QStringLiteral("Inserting page numbering in this cell will overwrite your exiting "
                             "text.  Do you want to replace the existing text with page numbers?"));
    EXPECT_EQ(user.messages[0].title, QStringLiteral("Replace Existing Text"));
    EXPECT_EQ(user.messages[0].icon, MessageIcon::Question);
    EXPECT_EQ(user.messages[0].buttons, base::MessageButtons::YesNo);
    EXPECT_EQ(grid().text(1, 1), QStringLiteral("日期:V日期"));
    clickCell(1, 1, Qt::RightButton);
    EXPECT_EQ(grid().text(1, 1), print::kPageNumberText);

    // Button columns take no page number.
    editor->grid()->setActiveCell(2, 4);
    clickCell(2, 4, Qt::RightButton);
    EXPECT_EQ(grid().text(2, 4), QStringLiteral("..."));
    EXPECT_FALSE(button("Command3")->isEnabled());
}

TEST_F(Editor, DoubleClickedVariablesGoIntoTheClickedCell) {
    open();
    // Before any click: the left cell of line 1.
    doubleClickVariable(3);
    EXPECT_EQ(grid().text(1, 1), QStringLiteral("日期:V日期日期:V日期"));
    EXPECT_EQ(editor->lastClickedCol(), 0);

    clickCell(5, 4);
    EXPECT_EQ(editor->lastClickedCol(), 5);
    EXPECT_EQ(editor->lastClickedRow(), 4);
    doubleClickVariable(1);  // the last variable of the list
    doubleClickVariable(0);
    EXPECT_EQ(grid().text(5, 4), QStringLiteral("部门:V部门单位:V单位"));

    // A click on a font button leaves the text cell it belongs to as the target.
    clickCell(4, 6);
    EXPECT_EQ(editor->lastClickedCol(), 4);
    doubleClickVariable(2);
    EXPECT_EQ(grid().text(3, 6), QStringLiteral("时间:V时间"));
    EXPECT_EQ(grid().text(4, 6), QStringLiteral("..."));

    // A page-number cell keeps its page number.
    clickCell(5, 1);
    doubleClickVariable(0);
    EXPECT_EQ(grid().text(5, 1), print::kPageNumberText);

    button("Command1")->click();
    EXPECT_TRUE(stored("页头文本").contains(QStringLiteral("/r部门:V部门单位:V单位/n")));
    EXPECT_TRUE(stored("页头文本").contains(QStringLiteral("/c时间:V时间/n")));
}

TEST_F(Editor, FontButtonsSetTheCellFont) {
    open();
    QFont chosen(QStringLiteral("DejaVu Sans"));
    chosen.setPointSizeF(14.5);
    chosen.setBold(true);
    chosen.setUnderline(true);
    chosen.setStrikeOut(true);
    user.fonts = {chosen, std::nullopt};
    clickCell(6, 3);  // the button right of the right cell of line 3
    ASSERT_EQ(user.fontsOffered.size(), 1u);
    EXPECT_EQ(user.fontsOffered[0].family(), QStringLiteral("宋体"));
    EXPECT_EQ(user.fontsOffered[0].pointSizeF(), 9);
    EXPECT_EQ(editor->grid()->activeCol(), 5);
    EXPECT_EQ(editor->grid()->activeRow(), 3);
    const grid::CellFont f = grid().style(5, 3).font;
    EXPECT_EQ(f.name, QStringLiteral("DejaVu Sans"));
    EXPECT_EQ(f.size, 14.5);
    EXPECT_TRUE(f.bold && f.underline && f.strikeout);
    EXPECT_FALSE(f.italic);

    // The bold middle text of line 3: the dialog is preset with its font; cancel keeps it.
    clickCell(4, 3);
    ASSERT_EQ(user.fontsOffered.size(), 2u);
    EXPECT_TRUE(user.fontsOffered[1].bold());
    EXPECT_TRUE(grid().style(3, 3).font.bold);

    type(5, 3, QStringLiteral("右"));
    EXPECT_EQ(editor->GetCellData(5, 3),
              QStringLiteral("/fn\"DejaVu Sans\"/fz\"14.5\"/fb1/fi0/fu1/fk1/r右"));
}

TEST_F(Editor, ResetClearsTheSheetAtOnceAndTheRowOnlyOnSave) {
    open();
    session.sheet.printSettings().header = kWorkedExample;
    user.answers = {MessageAnswer::No};
    button("Command4")->click();
    ASSERT_EQ(user.messages.size(), 1u);
    EXPECT_EQ(user.messages[0].text,
              QStringLiteral("Are you sure you want to clear the text and formatting for the "
                             "selected header?"));
    EXPECT_EQ(user.messages[0].title, QStringLiteral("Clear Text"));
    EXPECT_EQ(user.messages[0].icon, MessageIcon::None);
    EXPECT_EQ(grid().text(1, 1), QStringLiteral("日期:V日期"));

    button("Command4")->click();  // Yes
    EXPECT_EQ(session.sheet.print().header, QString());
    EXPECT_EQ(editor->composeGrid(), QString());
    EXPECT_FALSE(grid().style(3, 3).font.bold);
    EXPECT_TRUE(editor->grid()->isEditable(5, 1));
    button("Command2")->click();
    EXPECT_EQ(editor->result(), QDialog::Rejected);
    EXPECT_EQ(stored("页头文本"), kWorkedExample);
}

TEST_F(Editor, MissingRowLoadsTheSheetAndSavesNothing) {
    session.reportName = QStringLiteral("不存在");
    session.sheet.printSettings().header =
        QStringLiteral("/fn\"宋体\"/fz\"9\"/fb0/fi0/fu0/fk0/l表头");
    session.sheet.printSettings().footer = kFooter;
    open();
    EXPECT_EQ(grid().text(1, 1), QStringLiteral("表头"));
    option(1)->click();
    EXPECT_EQ(grid().text(3, 1), QStringLiteral("第一页脚"));
    type(3, 1, QStringLiteral("改"));
    button("Command1")->click();
    ASSERT_EQ(user.messages.size(), 1u);
    EXPECT_EQ(user.messages[0].text, QStringLiteral("系统错误，报表不存在"));
    EXPECT_EQ(user.messages[0].title, QStringLiteral("提示信息"));
    EXPECT_EQ(user.messages[0].icon, MessageIcon::Information);
    EXPECT_EQ(session.sheet.print().footer, kFooter);
    EXPECT_EQ(editor->result(), QDialog::Accepted);  // the window closes all the same
    EXPECT_EQ(stored("页脚文本"), kFooter);
}

TEST_F(Editor, MalformedStringIsReportedAndKeepsWhatWasRead) {
    db.exec(QStringLiteral("update tsl_report set 页脚文本 = '/fn\"A\"/lA/n/fn\"B'"));
    open();
    option(1)->click();
    ASSERT_EQ(user.messages.size(), 1u);
    EXPECT_EQ(user.messages[0].text, QStringLiteral("Error parsing FONT NAME"));
    EXPECT_EQ(user.messages[0].title, QStringLiteral("GetHeaderDetail"));
    EXPECT_EQ(user.messages[0].icon, MessageIcon::None);
    EXPECT_EQ(user.messages[0].buttons, base::MessageButtons::Ok);
    EXPECT_EQ(grid().text(1, 1), QStringLiteral("A"));
    EXPECT_EQ(grid().text(1, 2), QString());
}

TEST_P(EditorOn, PageNumbersInsideTextLoadAsTextAndSaveBack) {
    const QString mixed = QStringLiteral("/fn\"宋体\"/fz\"9\"/fb0/fi0/fu0/fk0/c第/p页/n");
    db.exec(QStringLiteral("update tsl_report set 页脚文本 = '%1'").arg(mixed));
    open();
    option(1)->click();
    EXPECT_EQ(grid().text(3, 1), "第" + print::kPageNumberText + "页");
    EXPECT_TRUE(editor->grid()->isEditable(3, 1));
    button("Command1")->click();
    EXPECT_EQ(stored("页脚文本"), mixed);
}

TEST_F(Editor, RunsModallyUnderItsName) {
    user.dialogResults = {QDialog::Accepted};
    EXPECT_EQ(pagesetup::runHeaderFooterEditor(session, nullptr), QDialog::Accepted);
    EXPECT_EQ(user.dialogsRun, std::vector<QString>{QStringLiteral("headerfooter")});
}

INSTANTIATE_TEST_SUITE_P(Backends, EditorOn, ::testing::ValuesIn(test::kAllBackends),
                         test::BackendTestName());

}  // namespace
