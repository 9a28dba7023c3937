// PDF and workbook output on a small disk that fills up or turns read-only.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/statvfs.h>

#include <tessel/clsReport.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cerrno>
#include <cstring>

#include "platform/sheet/Printing.h"
#include "preview/WorkbookExport.h"
#include "support/Pdf.h"

using namespace tessel;
using Sheet = platform::Sheet;

namespace {

const struct Writer {
    const char *file;
    Error::Category category;
    void (*write)(const Sheet &, const QString &);
} kWriters[] = {
    {"out.pdf", Error::Category::Io,
     [](const Sheet &s, const QString &p) { platform::writePdf(s, p); }},
    {"print.pdf", Error::Category::Printing,
     [](const Sheet &s, const QString &p) {
         test::PrintToPdf to(p);
         platform::printSheet(s);
     }},
    {"out.xlsx", Error::Category::Io,
     [](const Sheet &s, const QString &p) { preview::writeWorkbook(p, s, {}, {}); }},
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
    // Each writer fails on its old file with its category and `reason`; the old file stays.
    void expectRefused(const Sheet &sheet, const char *reason) {
        for (const Writer &w : kWriters) {
            try {
                w.write(sheet, dir.filePath(w.file));
                ADD_FAILURE() << w.file << " written";
            } catch (const Error &e) {
                EXPECT_EQ(e.category(), w.category) << w.file;
                EXPECT_TRUE(e.databaseText().contains(QLatin1String(reason)) &&
                            !e.databaseText().isEmpty())
                    << w.file << ": " << e.fullText().toStdString();
            }
            QFile old(dir.filePath(w.file));
            EXPECT_TRUE(old.open(QIODevice::ReadOnly) && old.readAll() == "old") << w.file;
        }
    }
    QStringList entries() const { return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden); }

    QTemporaryDir dir;
    QByteArray root = QFile::encodeName(dir.path());
    bool mounted = false;
};

TEST_F(SmallDisk, AFullOrReadOnlyDiskKeepsTheOldFileAndLeavesNoTemporary) {
    Sheet sheet;  // some hundred pages, a workbook of some hundred KB
    sheet.setMaxCols(2);
    sheet.setMaxRows(6000);
    for (int r = 0; r <= 6000; ++r) {
        sheet.setText(1, r, QStringLiteral("名称%1").arg(r));
        sheet.setText(2, r, QString::number(r));
    }
    const auto perms = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup;
    for (const Writer &w : kWriters) {
        QFile old(dir.filePath(w.file));
        ASSERT_TRUE(old.open(QIODevice::WriteOnly) && old.write("old") == 3);
        old.setPermissions(perms);
    }
    struct statvfs st {};
    ASSERT_EQ(::statvfs(root.constData(), &st), 0);
    QFile filler(dir.filePath("filler"));  // all but 32 KB
    ASSERT_TRUE(filler.open(QIODevice::WriteOnly));
    const qint64 fill = qint64(st.f_bavail * st.f_frsize) - 32 * 1024;
    ASSERT_TRUE(filler.write(QByteArray(fill, 'x')) == fill && filler.flush());
    expectRefused(sheet, "No space left on device");
    ASSERT_TRUE(filler.remove());

    remount(MS_RDONLY);  // refused while a failed write still holds a file open on the disk
    expectRefused(sheet, "");
    remount(0);

    for (const Writer &w : kWriters) {
        const QString path = dir.filePath(w.file);
        w.write(sheet, path);
        EXPECT_EQ(QFile::permissions(path) & 0x7077, perms) << w.file;
        EXPECT_TRUE(path.endsWith(QLatin1String(".xlsx")) || test::pdfPageCount(path) > 1);
    }
    EXPECT_EQ(entries(), (QStringList{"out.pdf", "out.xlsx", "print.pdf"}));
}

}  // namespace
