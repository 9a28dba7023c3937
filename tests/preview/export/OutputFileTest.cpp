// Output files on a disk that fills up or turns read-only: PDF (written directly or printed to
// a .pdf destination) and workbook alike replace an existing file only when complete.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/statvfs.h>

#include <tessel/clsReport.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cerrno>
#include <cstring>
#include <functional>

#include "platform/sheet/Printing.h"
#include "platform/sheet/Sheet.h"
#include "preview/WorkbookExport.h"
#include "support/Pdf.h"

using namespace tessel;

namespace {

constexpr char kDiskSize[] = "size=4m";

// A tmpfs of its own in a temporary folder, unmounted however the test ends. Mounting needs
// root (as in CI); elsewhere the test is skipped and says why.
class SmallDisk : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        if (::mount("tmpfs", root().constData(), "tmpfs", 0, kDiskSize) != 0) {
            GTEST_SKIP() << "cannot mount a tmpfs on " << root().constData() << " ("
                         << std::strerror(errno) << "); these tests need root";
        }
        mounted = true;
    }
    void TearDown() override {
        if (mounted)
            ::umount2(root().constData(), MNT_DETACH);
    }

    QByteArray root() const { return QFile::encodeName(dir.path()); }
    QString file(const char *name) const { return dir.filePath(QString::fromUtf8(name)); }
    QStringList entries() const {
        return QDir(dir.path())
            .entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    }
    // Fills the disk with a file of its own until about `leave` bytes are free.
    void fillLeaving(qint64 leave) {
        struct statvfs st {};
        ASSERT_EQ(::statvfs(root().constData(), &st), 0);
        const qint64 fill = qint64(st.f_bavail) * qint64(st.f_frsize) - leave;
        QFile filler(file("filler"));
        ASSERT_TRUE(filler.open(QIODevice::WriteOnly));
        ASSERT_EQ(filler.write(QByteArray(fill, 'x')), fill);
        ASSERT_TRUE(filler.flush());
    }
    void makeReadOnly() {
        ASSERT_EQ(::mount("tmpfs", root().constData(), "tmpfs", MS_REMOUNT | MS_RDONLY, kDiskSize),
                  0)
            << std::strerror(errno);
    }
    void writeOld(const QString &path) {
        QFile old(path);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("the previous output");
        ASSERT_TRUE(old.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
    }
    std::string contents(const QString &path) const {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll().left(40).toStdString() : "(unreadable)";
    }

    QTemporaryDir dir;
    bool mounted = false;
};

// A report of `rows` rows in three columns: some hundred pages, a workbook of some hundred KB.
void fill(platform::Sheet &sheet, int rows) {
    sheet.setMaxCols(3);
    sheet.setMaxRows(rows);
    sheet.setText(1, 0, QStringLiteral("编码"));
    sheet.setText(2, 0, QStringLiteral("名称"));
    sheet.setText(3, 0, QStringLiteral("数量"));
    for (int r = 1; r <= rows; ++r) {
        sheet.setText(1, r, QStringLiteral("C%1").arg(r));
        sheet.setText(2, r, QStringLiteral("名称%1").arg(r));
        sheet.setText(3, r, QString::number(r));
    }
}

struct Writer {
    const char *name;
    const char *target;
    Error::Category category;
    std::function<void(const platform::Sheet &, const QString &)> write;
};

const Writer kWriters[] = {
    {"writePdf", "out.pdf", Error::Category::Io,
     [](const platform::Sheet &s, const QString &path) { platform::writePdf(s, path); }},
    {"printSheet to a .pdf", "out.pdf", Error::Category::Printing,
     [](const platform::Sheet &s, const QString &path) {
         test::PrintToPdf printer(path);
         platform::printSheet(s);
     }},
    {"writeWorkbook", "out.xlsx", Error::Category::Io,
     [](const platform::Sheet &s, const QString &path) {
         preview::writeWorkbook(path, s, {}, {});
     }},
};

// The write fails with `category` and the system's reason (any, when `reason` is empty).
void expectRefused(const Writer &w, const platform::Sheet &sheet, const QString &path,
                   const char *reason) {
    try {
        w.write(sheet, path);
        ADD_FAILURE() << w.name << ": no error";
    } catch (const Error &e) {
        EXPECT_EQ(e.category(), w.category) << w.name;
        EXPECT_FALSE(e.databaseText().isEmpty()) << w.name;
        EXPECT_TRUE(e.databaseText().contains(QLatin1String(reason)))
            << w.name << ": " << e.fullText().toStdString();
    }
}

TEST_F(SmallDisk, AFullDiskKeepsTheOldFileAndLeavesNoTemporary) {
    platform::Sheet sheet;
    fill(sheet, 6000);
    for (const Writer &w : kWriters) {
        SCOPED_TRACE(w.name);
        const QString path = file(w.target);
        writeOld(path);
        fillLeaving(32 * 1024);
        expectRefused(w, sheet, path, "No space left on device");
        EXPECT_EQ(contents(path), "the previous output");
        EXPECT_EQ(entries(), (QStringList{QStringLiteral("filler"), QString::fromUtf8(w.target)}));

        // With room again the same write replaces the file, keeping its permissions.
        ASSERT_TRUE(QFile::remove(file("filler")));
        w.write(sheet, path);
        if (path.endsWith(QLatin1String(".pdf")))
            EXPECT_GT(test::pdfPageCount(path), 1);
        else
            EXPECT_EQ(contents(path).substr(0, 2), "PK");
        EXPECT_EQ(QFile::permissions(path) & 0x7077,
                  QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
        EXPECT_EQ(entries(), QStringList{QString::fromUtf8(w.target)});
        ASSERT_TRUE(QFile::remove(path));
    }
}

TEST_F(SmallDisk, AReadOnlyFolderKeepsTheOldFile) {
    platform::Sheet sheet;
    fill(sheet, 20);
    for (const Writer &w : kWriters)
        writeOld(file(w.target));
    makeReadOnly();
    for (const Writer &w : kWriters) {
        SCOPED_TRACE(w.name);
        expectRefused(w, sheet, file(w.target), "");
        EXPECT_EQ(contents(file(w.target)), "the previous output");
    }
    EXPECT_EQ(entries(), (QStringList{QStringLiteral("out.pdf"), QStringLiteral("out.xlsx")}));
}

}  // namespace
