#include "support/Unzip.h"

#include <QProcess>

namespace tessel::test {

QByteArray unzipPart(const QString &file, const QString &part) {
    QProcess p;
    p.start(QStringLiteral("unzip"), {QStringLiteral("-p"), file, part});
    // A large workbook takes a while to inflate.
    if (!p.waitForFinished(120000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return {};
    return p.readAllStandardOutput();
}

}  // namespace tessel::test
