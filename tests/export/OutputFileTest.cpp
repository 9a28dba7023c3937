// PDF and workbook output on a small disk that fills up or turns read-only.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/statvfs.h>

#include <tessel/Error.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cerrno>
#include <cstring>

#include "base/Progress.h"
#include "export/CsvExport.h"
#include "export/ExportCommand.h"
#include "export/WorkbookExport.h"
#include "print/Printing.h"
#include "support/Pdf.h"
#include "support/ScriptedInteraction.h"

using namespace tessel;
using grid::Sheet;

namespace {

using Write = void (*)(const Sheet &, const QString &);
const std::pair<const char *, Write> kWriters[] = {
    {"out.pdf", [](const Sheet &s, const QString &p) { print::writePdf(s, p); }},
    {"print.pdf",
     [](const Sheet &s, const QString &p) {
         test::PrintToPdf to(p);
         print::printSheet(s);
     }},
    {"out.xlsx", [](const Sheet &s, const QString &p) { exports::writeWorkbook(p, s, {}, {}); }},
};

// A 4 MB tmpfs of its own, unmounted however the test ends. Mounting needs root (as in CI).
class SmallDisk : public ::testing::Test {
protected:
    void SetUp() override {
        if (::mount("tmpfs", root.constData(), "tmpfs", 0, "size=4m") != 0)
            GTEST_SKIP() << "cannot mount a tmpfs (" << std::strerror(errno) << "); needs root";
        mounted = true;
    }
    void TearDown() override {
        if (mounted)
            ::umount2(root.constData(), MNT_DETACH);
    }
    void remount(unsigned long flags) {
        ASSERT_EQ(::mount("tmpfs", root.constData(), "tmpfs", MS_REMOUNT | flags, "size=4m"), 0)
            << std::strerror(errno);
    }
    // Every writer fails with the system's reason, and its old file stays as it was.
    void expectRefused(const Sheet &sheet, const char *reason) {
        for (const auto &[file, write] : kWriters) {
            try {
                write(sheet, dir.filePath(file));
                ADD_FAILURE() << file << " written";
            } catch (const Error &e) {
                EXPECT_TRUE(!e.databaseText().isEmpty() && e.databaseText().contains(reason))
                    << file << ": " << e.fullText().toStdString();
            }
            QFile old(dir.filePath(file));
            EXPECT_TRUE(old.open(QIODevice::ReadOnly) && old.readAll() == "old") << file;
        }
    }

    QTemporaryDir dir;
    QByteArray root = QFile::encodeName(dir.path());
    bool mounted = false;
};

TEST_F(SmallDisk, AFullOrReadOnlyDiskKeepsTheOldFileAndLeavesNoTemporary) {
    Sheet sheet;  // over a hundred pages, a workbook of some hundred KB
    sheet.setMaxCols(1);
    sheet.setMaxRows(6000);
    for (int r = 0; r <= 6000; ++r)
        sheet.setText(1, r, QStringLiteral("名称%1").arg(r));
    const auto perms = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup;
    for (const auto &[file, write] : kWriters) {
        QFile old(dir.filePath(file));
        ASSERT_TRUE(old.open(QIODevice::WriteOnly) && old.write("old") == 3);
        old.setPermissions(perms);
    }
    struct statvfs st {};
    ASSERT_EQ(::statvfs(root.constData(), &st), 0);
    QFile filler(dir.filePath("filler"));  // all but 32 KB
    const qint64 fill = qint64(st.f_bavail * st.f_frsize) - 32 * 1024;
    ASSERT_TRUE(filler.open(QIODevice::WriteOnly) && filler.write(QByteArray(fill, 'x')) == fill);
    ASSERT_TRUE(filler.flush());
    expectRefused(sheet, "No space left on device");
    ASSERT_TRUE(filler.remove());

    remount(MS_RDONLY);  // refused while a failed write still holds a file open on the disk
    expectRefused(sheet, "");
    remount(0);

    for (const auto &[file, write] : kWriters) {
        write(sheet, dir.filePath(file));
        EXPECT_EQ(QFile::permissions(dir.filePath(file)) & 0x7077, perms) << file;
    }
    EXPECT_GT(test::pdfPageCount(dir.filePath("out.pdf")), 50);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
              (QStringList{"out.pdf", "out.xlsx", "print.pdf"}));
}

// The user cancels once the stage `what` has reported `at` units.
class CancelAt : public base::Progress {
public:
    CancelAt(const char *what, qint64 at) : m_what(QString::fromUtf8(what)), m_at(at) {}
    void begin(const QString &what, base::ProgressUnit, qint64) override { m_stage = what; }
    void update(qint64 done) override {
        m_cancel = m_cancel || (m_stage == m_what && done >= m_at);
    }
    bool cancelled() const override { return m_cancel; }

private:
    QString m_what, m_stage;
    qint64 m_at;
    bool m_cancel = false;
};

TEST(CancelledWrite, LeavesNoFileAndKeepsTheOldOne) {
    Sheet sheet;  // some sixty pages, a few thousand workbook rows
    sheet.setMaxCols(2);
    sheet.setMaxRows(3000);
    for (int r = 0; r <= 3000; ++r)
        sheet.setText(1, r, QStringLiteral("名称%1").arg(r));
    using Write = void (*)(const Sheet &, const QString &, base::Progress &);
    const struct {
        const char *file;
        const char *stage;
        qint64 at;
        Write write;
    } cases[] = {
        {"out.pdf", "写入 PDF 文件", 10,
         [](const Sheet &s, const QString &p, base::Progress &g) {
             print::writePdf(s, p, QPageSize(QPageSize::A4), {}, g);
         }},
        {"print.pdf", "打印", 10,
         [](const Sheet &s, const QString &p, base::Progress &g) {
             test::PrintToPdf to(p);
             print::printSheet(s, {}, g);
         }},
        {"out.xlsx", "写入工作簿", 2048,
         [](const Sheet &s, const QString &p, base::Progress &g) {
             exports::writeWorkbook(p, s, {}, {}, exports::kWorksheetRows, g);
         }},
        {"out.xlsx", "压缩工作簿", 0,
         [](const Sheet &s, const QString &p, base::Progress &g) {
             exports::writeWorkbook(p, s, {}, {}, exports::kWorksheetRows, g);
         }},
        {"out.csv", "写入 CSV 文件", 2048,
         [](const Sheet &s, const QString &p, base::Progress &g) { exports::writeCsv(p, s, g); }},
    };
    for (const bool old : {false, true}) {
        for (const auto &c : cases) {
            SCOPED_TRACE(std::string(c.stage) + (old ? ", over an old file" : ""));
            QTemporaryDir dir;
            const QString path = dir.filePath(QString::fromUtf8(c.file));
            QFile file(path);
            ASSERT_TRUE(!old || (file.open(QIODevice::WriteOnly) && file.write("old") == 3));
            file.close();
            CancelAt progress(c.stage, c.at);
            EXPECT_THROW(c.write(sheet, path, progress), base::Cancelled);
            EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
                      old ? QStringList{QString::fromUtf8(c.file)} : QStringList{});
            ASSERT_TRUE(!old || file.open(QIODevice::ReadOnly));
            EXPECT_TRUE(!old || file.readAll() == "old");
        }
    }
    // The preview's export: the user's cancel is no failure to tell, and writes nothing.
    test::ScriptedInteraction user;
    user.cancelWhen = [](const test::ScriptedInteraction::ProgressStage &) { return true; };
    QTemporaryDir dir;
    user.saveNames.push_back(dir.filePath(QStringLiteral("out.xlsx")));
    QString lastName;
    exports::exportWorkbook(nullptr, sheet, {}, {}, lastName);
    EXPECT_TRUE(user.messages.empty()) << user.texts().join(u'|').toStdString();
    EXPECT_TRUE(QDir(dir.path()).isEmpty());
}

}  // namespace
