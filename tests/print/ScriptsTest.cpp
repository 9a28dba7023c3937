// Text in every script, printed with the fonts scripts/install-deps installs.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "grid/Sheet.h"
#include "print/PagePainter.h"
#include "print/Pagination.h"
#include "print/Printing.h"
#include "support/Pdf.h"

using namespace tessel::grid;
using namespace tessel::print;

namespace {

struct Row {
    const char *script;
    QString text;
};

const std::vector<Row> &rows() {
    static const std::vector<Row> r = {
        {"Simplified Chinese", QStringLiteral("销售报表汇总")},
        {"Traditional Chinese", QStringLiteral("銷售報表彙總")},
        {"Japanese", QStringLiteral("こんにちは、カタカナ")},
        {"Korean", QStringLiteral("안녕하세요 보고서")},
        {"Arabic", QStringLiteral("مرحبا بالعالم لا 2024")},
        {"Hebrew", QStringLiteral("שלום עולם")},
        {"Devanagari", QStringLiteral("नमस्ते भारत दुकान")},
        {"Thai", QStringLiteral("สวัสดีชาวโลก")},
        {"Cyrillic", QStringLiteral("Привет, мир")},
        {"Greek", QStringLiteral("Καλημέρα κόσμε")},
        {"Latin with accents", QStringLiteral("Crème brûlée, Łódź, Ærøskøbing")},
        {"emoji", QStringLiteral("👍 😀")}};
    return r;
}

// The rows above in column 1, right-to-left texts in column 2 as well with explicit left
// alignment; no grid, headers or frame, so the only ink is text.
void multilingual(Sheet &sheet) {
    sheet.setMaxCols(2);
    sheet.setMaxRows(int(rows().size()));
    sheet.setColWidth(1, 40);
    sheet.setColWidth(2, 40);
    for (int r = 1; r <= int(rows().size()); ++r) {
        sheet.setText(1, r, rows()[r - 1].text);
        if (rows()[r - 1].text.isRightToLeft()) {
            sheet.setText(2, r, rows()[r - 1].text);
            sheet.setCurrent(2, r);
            sheet.setAlign(HAlign::Left);
        }
    }
    PrintSettings p = sheet.print();
    p.colHeaders = p.rowHeaders = p.gridLines = p.border = false;
    sheet.setPrint(p);
}

}  // namespace

TEST(ScriptsTest, EveryScriptComesBackFromThePdfInEmbeddedSubsetFonts) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("scripts.pdf"));
    Sheet sheet;
    multilingual(sheet);
    ASSERT_EQ(writePdf(sheet, path), 1);
    EXPECT_TRUE(undrawableTextsOfLastPrint().isEmpty())
        << undrawableTextsOfLastPrint().join(u',').toStdString();
    EXPECT_LE(QFileInfo(path).size(), 300 * 1024);

    // Arabic comes back in presentation forms, which compatibility normalisation undoes;
    // direction marks the extractor adds around right-to-left runs and the spaces it guesses
    // from gaps are left out.
    QString text = tessel::test::pdfText(path).normalized(QString::NormalizationForm_KC);
    const QRegularExpression ignored(QStringLiteral("[\\s\\x{200E}\\x{200F}\\x{202A}-\\x{202E}]"));
    text.remove(ignored);
    for (const Row &row : rows()) {
        EXPECT_TRUE(text.contains(QString(row.text).remove(ignored)))
            << row.script << ": " << text.toStdString();
    }

    const QStringList fonts = tessel::test::pdfFonts(path).split(u'\n').mid(2);
    int count = 0;
    for (const QString &line : fonts) {
        const QStringList f = line.simplified().split(u' ');
        if (f.size() < 6) {
            continue;
        }
        ++count;
        EXPECT_EQ(f[f.size() - 5], QLatin1String("yes")) << "embedded: " << line.toStdString();
        EXPECT_EQ(f[f.size() - 4], QLatin1String("yes")) << "subset: " << line.toStdString();
    }
    EXPECT_GE(count, 5);  // CJK, Arabic, Hebrew, Devanagari, Thai, emoji
}

TEST(ScriptsTest, RightToLeftTextAlignsRightUnlessTheCellSaysOtherwise) {
    Sheet sheet;
    multilingual(sheet);
    const Pagination pg(sheet);
    QImage image(pg.paper().sizePoints() * 2, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        painter.scale(2, 2);
        paintPage(sheet, pg, 1, painter);
    }
    const std::vector<PageColumn> cols = pg.columns(1);
    // The ink of a cell, as [first, last] x in points.
    const auto ink = [&](int row, const PageColumn &col) {
        const double top = pg.layout(1).cells.top() + (row - 1) * sheet.rowHeight(1);
        int first = image.width(), last = -1;
        for (int y = int(top * 2); y < int((top + sheet.rowHeight(1)) * 2); ++y) {
            for (int x = int(col.x * 2); x < int((col.x + col.width) * 2); ++x) {
                if (qGray(image.pixel(x, y)) < 128) {
                    first = std::min(first, x);
                    last = std::max(last, x);
                }
            }
        }
        return std::pair(first / 2.0, last / 2.0);
    };
    for (int r = 1; r <= int(rows().size()); ++r) {
        SCOPED_TRACE(rows()[r - 1].script);
        const auto [first, last] = ink(r, cols[0]);
        ASSERT_GE(last, first);
        if (rows()[r - 1].text.isRightToLeft()) {
            EXPECT_GT(first, cols[0].x + cols[0].width / 2);
            EXPECT_NEAR(last, cols[0].x + cols[0].width, 4);
            const auto [left, right] = ink(r, cols[1]);  // aligned left by its style
            EXPECT_NEAR(left, cols[1].x, 4);
            EXPECT_LT(right, cols[1].x + cols[1].width / 2);
        } else {
            EXPECT_NEAR(first, cols[0].x, 4);
        }
    }
}

TEST(ScriptsTest, CharactersNoFontDrawsAreNamedOncePerPrint) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("x.pdf"));
    const QString unassigned = QStringLiteral("编号 \U0010FFFD");  // a private-use character
    Sheet sheet;
    sheet.setMaxCols(1);
    sheet.setMaxRows(60);
    for (int r = 1; r <= 60; ++r) {
        sheet.setText(1, r, r % 2 ? unassigned : QStringLiteral("ok"));
    }
    writePdf(sheet, path);
    EXPECT_EQ(undrawableTextsOfLastPrint(), QStringList{unassigned});
    for (int r = 1; r <= 60; ++r) {
        sheet.setText(1, r, QStringLiteral("ok 👍"));
    }
    writePdf(sheet, path);
    EXPECT_TRUE(undrawableTextsOfLastPrint().isEmpty());
}

// The font engine's notes on fonts it passes over for a script stay off standard error,
// and other messages still reach it. Runs the check in a child process, whose message
// handling starts afresh.
TEST(ScriptsTest, FontEngineNotesStayOffStandardError) {
    if (qEnvironmentVariableIsSet("TESSEL_SCRIPTS_CHILD")) {
        QTemporaryDir dir;
        Sheet sheet;
        multilingual(sheet);
        writePdf(sheet, dir.filePath(QStringLiteral("x.pdf")));
        qWarning("a message of the host");
        return;
    }
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("TESSEL_SCRIPTS_CHILD"), QStringLiteral("1"));
    child.setProcessEnvironment(env);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--gtest_filter=ScriptsTest.FontEngineNotesStayOffStandardError")});
    ASSERT_TRUE(child.waitForFinished(60000));
    const QString err = QString::fromUtf8(child.readAllStandardError());
    EXPECT_EQ(child.exitCode(), 0);
    EXPECT_TRUE(err.contains(QLatin1String("a message of the host"))) << err.toStdString();
    EXPECT_FALSE(err.contains(QLatin1String("OpenType"))) << err.toStdString();
}
