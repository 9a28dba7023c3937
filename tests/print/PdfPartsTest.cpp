// A PDF file painted in page ranges on several threads and joined reads back as the file one
// writer makes: the same pages in the same order with the same text, each font embedded once.
#include <gtest/gtest.h>

#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <map>

#include "base/Progress.h"
#include "grid/Sheet.h"
#include "print/PdfParts.h"
#include "print/Printing.h"
#include "support/Pdf.h"

using namespace tessel;
using namespace tessel::grid;

namespace {

// `rows` rows of Chinese, Latin, Arabic and Devanagari texts and numbers under a header with
// the page number: each page's text tells which page it is.
void report(Sheet &sheet, int rows) {
    static const QString texts[] = {QStringLiteral("华东区销售部"), QStringLiteral("Crème brûlée"),
                                    QStringLiteral("مرحبا بالعالم"), QStringLiteral("नमस्ते भारत")};
    sheet.setMaxCols(3);
    sheet.setMaxRows(rows);
    for (int r = 1; r <= rows; ++r) {
        sheet.setText(1, r, texts[r % 4]);
        sheet.setText(2, r, QString::number(r * 7.25, 'f', 2));
        sheet.setText(3, r, texts[r * 7 % 4]);
    }
    for (int r = 7; r <= rows; r += 40)  // texts no font draws, named in page order
        sheet.setText(3, r, QStringLiteral("编号 \U0010FFFD %1").arg(r));
    PrintSettings p = sheet.print();
    p.header = QStringLiteral("/fn\"宋体\"/fz\"9\"/fb0/fi0/fu0/fk0/c月报/r/p/n");
    sheet.setPrint(p);
}

int write(const Sheet &sheet, const QString &path, int parts, base::Progress &progress) {
    return print::writePdfInParts(sheet, path, QPageSize(QPageSize::A4), QStringLiteral("月报"),
                                  Error::Category::Io, QStringLiteral("PDF"), progress, parts);
}

// The user cancels once `at` pages are reported.
class CancelAt : public base::Progress {
public:
    explicit CancelAt(qint64 at) : m_at(at) {}
    void update(qint64 done) override { m_cancel = m_cancel || done >= m_at; }
    bool cancelled() const override { return m_cancel; }

private:
    qint64 m_at;
    bool m_cancel = false;
};

// How often each font (its name without the subset tag) is listed by pdffonts.
std::map<QString, int> fontCounts(const QString &path) {
    std::map<QString, int> counts;
    static const QRegularExpression line(QStringLiteral("^[A-Z]{6}\\+(\\S+)"),
                                         QRegularExpression::MultilineOption);
    for (auto it = line.globalMatch(test::pdfFonts(path)); it.hasNext();)
        ++counts[it.next().captured(1)];
    return counts;
}

TEST(PdfPartsTest, JoinedPartsReadBackAsOneWritersFile) {
    const struct {
        const char *name;
        int rows;
        int parts;
        int cancelAt;  // pages reported before the user cancels; -1: never
    } cases[] = {
        {"two parts", 300, 2, -1},
        {"three parts of uneven length", 260, 3, -1},
        {"more parts than pages", 80, 5, -1},
        {"cancelled on the first part's pages", 300, 2, 1},
        {"cancelled while the others finish", 300, 3, 5},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir, temp;
        qputenv("TMPDIR", temp.path().toLocal8Bit());
        Sheet sheet;
        report(sheet, c.rows);
        const QString one = dir.filePath(QStringLiteral("one.pdf"));
        const QString joined = dir.filePath(QStringLiteral("joined.pdf"));
        const int pages = write(sheet, one, 1, base::noProgress());
        const QStringList undrawable = print::undrawableTextsOfLastPrint();
        if (c.cancelAt >= 0) {
            CancelAt progress(c.cancelAt);
            EXPECT_THROW(write(sheet, joined, c.parts, progress), base::Cancelled);
            EXPECT_FALSE(QFile::exists(joined));
        } else {
            ASSERT_EQ(write(sheet, joined, c.parts, base::noProgress()), pages);
            EXPECT_EQ(print::undrawableTextsOfLastPrint(), undrawable);
            ASSERT_EQ(test::pdfPageCount(joined), pages);
            for (int page = 1; page <= pages; ++page)
                EXPECT_EQ(test::pdfText(joined, page), test::pdfText(one, page)) << page;
            EXPECT_EQ(test::pdfText(joined), test::pdfText(one));
            EXPECT_TRUE(test::pdfInfo(joined).contains(QStringLiteral("月报")));
            const std::map<QString, int> fonts = fontCounts(joined);
            EXPECT_EQ(fonts.size(), fontCounts(one).size());
            for (const auto &[font, count] : fonts)
                EXPECT_EQ(count, 1) << font.toStdString();
        }
        EXPECT_TRUE(QDir(temp.path()).isEmpty()) << "temporary files left";
        qunsetenv("TMPDIR");
    }
}

}  // namespace
