// Replacing a file only by a complete one: every writer of a file the user asked for (the
// workbook, CSV and PDF) writes under a temporary name in the target's folder, and the target takes
// that file's place only once it is complete and on the disk. A failed or cancelled write leaves
// the target as it was and no temporary file behind; a replaced file's permissions carry over.
#pragma once

#include <tessel/Error.h>

#include <QSaveFile>
#include <QString>
#include <QTemporaryFile>

namespace tessel::base {

// A file for a writer that takes a file name (the workbook library): a temporary file in
// the target's folder, removed on destruction unless committed.
class ReplacementFile {
public:
    // Makes the temporary file beside `path`, so that a target this user may not write (an
    // existing read-only file, a folder) or a folder that takes no new file is found before any
    // work is done. Throws Error(Io) ("无法写入文件 <target>", the reason).
    explicit ReplacementFile(const QString &path);
    ReplacementFile(const ReplacementFile &) = delete;
    ReplacementFile &operator=(const ReplacementFile &) = delete;

    // The temporary file the writer writes.
    const QString &tempName() const { return m_tempName; }
    // The target as messages name it: absolute, with the system's separators.
    const QString &targetName() const { return m_targetName; }

    // Puts the written temporary file on the disk and renames it over the target, with a
    // replaced file's permissions (a new file: what the umask leaves of rw-rw-rw-). Throws
    // Error(Io) with the system's reason; the target then stays as it was.
    void commit();

private:
    QString m_path;
    QString m_targetName;
    QTemporaryFile m_temp;
    QString m_tempName;
};

// Finishes a QSaveFile a writer has filled: flushed, put on the disk, and renamed over its
// target (QSaveFile keeps the replaced file's permissions). Throws Error(`category`,
// failureText, the system's reason) when any step fails; the target then stays as it was.
void commitSaveFile(QSaveFile &file, const QString &failureText,
                    Error::Category category = Error::Category::Io);

}  // namespace tessel::base
