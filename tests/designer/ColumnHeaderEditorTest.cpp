// The column header editor: all headers as one line split at full-width commas.
#include <QDialog>
#include <QLabel>

#include "designer/DesignerWindows.h"

using namespace tessel;
using test::DesignerWindows;

namespace {

class Headers : public DesignerWindows {
protected:
    void SetUp() override {
        DesignerWindows::SetUp();
        resetSheet();
    }

    // Four columns, the second without a header, widths 6 to 9.
    void resetSheet() {
        grid::Sheet &s = session.sheet;
        s.setMaxCols(4);
        s.setMaxRows(1);
        const char *labels[] = {"编号", "", "名称", "金额"};
        for (int c = 1; c <= 4; ++c) {
            s.setText(c, 0, QString::fromUtf8(labels[c - 1]));
            s.setColWidth(c, 5 + c);
        }
    }

    QStringList headers() const {
        QStringList out;
        for (int c = 1; c <= session.sheet.maxCols(); ++c)
            out << session.sheet.text(c, 0);
        return out;
    }

    // Runs the editor from the designer's Column headers button; the user types `typed`
    // (null: leaves the text) and presses `button`. Returns what the editor showed.
    QString edit(const QString &typed, const char *button = "cmdOK") {
        QString shown;
        user.inDialog = [&](QDialog *d) {
            auto *text = d->findChild<QLineEdit *>(QStringLiteral("txtColSTR"));
            shown = text->text();
            if (!typed.isNull())
                text->setText(typed);
            d->findChild<QPushButton *>(QString::fromLatin1(button))->click();
            return d->result();
        };
        designer->button("Command1")->click();
        return shown;
    }
};

TEST_F(Headers, TheEditorShowsTheHeadersJoinedAndCarriesItsCaptions) {
    designer::ColumnHeaderEditor editor(*designer);
    EXPECT_EQ(editor.objectName(), QStringLiteral("frmLBT"));
    EXPECT_EQ(editor.windowTitle(), QStringLiteral("设置列标题文本"));
    EXPECT_EQ(control<QLabel>(&editor, "Label11")->text(), QStringLiteral("列标头："));
    EXPECT_EQ(control<QLabel>(&editor, "Label12")->text(), QStringLiteral("(用全角逗号分隔)"));
    EXPECT_EQ(control<QPushButton>(&editor, "cmdOK")->text(), QStringLiteral("确定"));
    EXPECT_EQ(control<QPushButton>(&editor, "cmdCanel")->text(), QStringLiteral("取消"));
    EXPECT_EQ(control<QLineEdit>(&editor, "txtColSTR")->text(),
              QStringLiteral("编号，，名称，金额"));

    session.sheet.setMaxCols(0);
    designer::ColumnHeaderEditor none(*designer);
    EXPECT_TRUE(control<QLineEdit>(&none, "txtColSTR")->text().isEmpty());
}

TEST_F(Headers, ConfirmingSplitsAtFullWidthCommas) {
    const struct {
        const char *typed;
        QStringList after;
    } cases[] = {
        // Unchanged: every header stays, the empty one becomes a blank.
        {nullptr, {"编号", " ", "名称", "金额"}},
        // ASCII commas make one item: the first column takes it all, the others keep theirs.
        {"号,空,名,钱", {"号,空,名,钱", "", "名称", "金额"}},
        // A header holding "，" shifts the following ones right; items past the last column
        // are dropped.
        {"编号，甲，乙，名称，金额", {"编号", "甲", "乙", "名称"}},
        // Fewer items: the remaining columns keep their headers.
        {"一，二", {"一", "二", "名称", "金额"}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.typed ? c.typed : "(unchanged)");
        resetSheet();
        const QString typed = c.typed ? QString::fromUtf8(c.typed) : QString();
        edit(typed);
        EXPECT_EQ(headers(), c.after);
        EXPECT_EQ(session.sheet.maxCols(), 4);
        for (int col = 1; col <= 4; ++col)
            EXPECT_EQ(session.sheet.colWidth(col), 5 + col) << col;
    }
}

TEST_F(Headers, CancelChangesNothingAndTheEditorIsModal) {
    edit(QStringLiteral("甲，乙，丙，丁"), "cmdCanel");
    EXPECT_EQ(headers(), (QStringList{"编号", "", "名称", "金额"}));
    EXPECT_EQ(user.dialogsRun, std::vector<QString>{QStringLiteral("frmLBT")});
    user.inDialog = nullptr;
    EXPECT_EQ(designer::runColumnHeaderEditor(*designer), QDialog::Rejected);
    user.inDialog = [](QDialog *d) {
        d->findChild<QPushButton *>(QStringLiteral("cmdOK"))->click();
        return d->result();
    };
    EXPECT_EQ(designer::runColumnHeaderEditor(*designer), QDialog::Accepted);
    EXPECT_EQ(headers(), (QStringList{"编号", " ", "名称", "金额"}));
}

}  // namespace
