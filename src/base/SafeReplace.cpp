#include "base/SafeReplace.h"

#include <sys/stat.h>
#include <unistd.h>

#include <tessel/Error.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "base/Language.h"

namespace tessel::base {

namespace {

Error ioError(const QString &message, const QString &reason) {
    return Error(Error::Category::Io, message, reason);
}

// Permissions a newly created file gets in this process: what the umask leaves of rw-rw-rw-.
QFileDevice::Permissions newFilePermissions() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    const mode_t mode = 0666 & ~mask;
    QFileDevice::Permissions p;
    if (mode & S_IRUSR)
        p |= QFileDevice::ReadOwner | QFileDevice::ReadUser;
    if (mode & S_IWUSR)
        p |= QFileDevice::WriteOwner | QFileDevice::WriteUser;
    if (mode & S_IRGRP)
        p |= QFileDevice::ReadGroup;
    if (mode & S_IWGRP)
        p |= QFileDevice::WriteGroup;
    if (mode & S_IROTH)
        p |= QFileDevice::ReadOther;
    if (mode & S_IWOTH)
        p |= QFileDevice::WriteOther;
    return p;
}

// Puts the finished file on the disk before it replaces anything, so that a crash never
// leaves an empty file in place of the old one; a write the disk refuses late (space
// allocated only now) shows up here as well.
void syncFile(const QString &name, const QString &targetName) {
    QFile f(name);
    if (!f.open(QIODevice::ReadOnly))
        throw ioError(tessel::base::tr("无法写入文件 %1").arg(targetName), f.errorString());
    if (::fsync(f.handle()) != 0) {
        throw ioError(tessel::base::tr("无法写入文件 %1").arg(targetName),
                      QString::fromLocal8Bit(std::strerror(errno)));
    }
}

}  // namespace

ReplacementFile::ReplacementFile(const QString &path)
    : m_path(path),
      m_targetName(QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath())),
      m_temp(QFileInfo(path).absolutePath() + QStringLiteral("/.") + QFileInfo(path).fileName() +
             QStringLiteral(".XXXXXX")) {
    // The check the CSV and PDF writers' QSaveFile makes, made by QSaveFile itself: an existing
    // file this user may not write, or a folder of that name, is refused with its reason.
    // Renaming over a read-only file would otherwise replace it, since only the folder's
    // permissions govern a rename.
    {
        QSaveFile probe(path);
        if (!probe.open(QIODevice::WriteOnly))
            throw ioError(tessel::base::tr("无法写入文件 %1").arg(m_targetName),
                          probe.errorString());
        probe.cancelWriting();
    }
    if (!m_temp.open())
        throw ioError(tessel::base::tr("无法写入文件 %1").arg(m_targetName), m_temp.errorString());
    m_tempName = m_temp.fileName();
    m_temp.close();
}

void ReplacementFile::commit() {
    syncFile(m_tempName, m_targetName);
    // The replaced file's permissions carry over; a new file gets the usual ones.
    const QFileDevice::Permissions perms =
        QFileInfo::exists(m_path) ? QFile::permissions(m_path) : newFilePermissions();
    QFile::setPermissions(m_tempName, perms);
    if (std::rename(QFile::encodeName(m_tempName).constData(),
                    QFile::encodeName(QFileInfo(m_path).absoluteFilePath()).constData()) != 0) {
        const QString reason = QString::fromLocal8Bit(std::strerror(errno));
        throw ioError(tessel::base::tr("无法写入文件 %1").arg(m_targetName), reason);
    }
    m_temp.setAutoRemove(false);
}

void commitSaveFile(QSaveFile &file, const QString &failureText, Error::Category category) {
    // The file's error state is the only witness of a write the disk refused, the last
    // buffered bytes included.
    if (!file.flush() || file.error() != QFileDevice::NoError)
        throw Error(category, failureText, file.errorString());
    // commit() ignores a failed sync; a disk that refuses the data only now must not end in
    // a renamed, incomplete file.
    if (::fsync(file.handle()) != 0)
        throw Error(category, failureText, QString::fromLocal8Bit(std::strerror(errno)));
    if (!file.commit())
        throw Error(category, failureText, file.errorString());
}

}  // namespace tessel::base
