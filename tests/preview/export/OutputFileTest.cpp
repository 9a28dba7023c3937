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

#include "platform/sheet/Printing.h"
#include "preview/WorkbookExport.h"
#include "support/Pdf.h"

using namespace tessel;
using platform::Sheet;

namespace {

using Write = void (*)(const Sheet &, const QString &);
const std::pair<const char *, Write> kWriters[] = {
    {"out.pdf", [](const Sheet &s, const QString &p) { platform::writePdf(s, p); }},
    {"print.pdf",
     [](const Sheet &s, const QString &p) {
         test::PrintToPdf to(p);
         platform::printSheet(s);
     }},
    {"out.xlsx", [](const Sheet &s, const QString &p) { preview::writeWorkbook(p, s, {}, {}); }},
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

}  // namespace
