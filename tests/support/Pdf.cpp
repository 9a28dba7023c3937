#include "support/Pdf.h"

#include <QProcess>
#include <QRegularExpression>

namespace tessel::test {

namespace {
QString run(const QString &tool, const QStringList &args) {
    QProcess p;
    p.start(tool, args);
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        return {};
    }
    return QString::fromUtf8(p.readAllStandardOutput());
}
}  // namespace

int pdfPageCount(const QString &path) {
    const QString info = run(QStringLiteral("pdfinfo"), {path});
    const auto m = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(info);
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

QString pdfText(const QString &path) {
    return run(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
}

PrintToPdf::PrintToPdf(const QString &path)
    : m_old(qgetenv("TESSEL_PRINTER")), m_had(qEnvironmentVariableIsSet("TESSEL_PRINTER")) {
    qputenv("TESSEL_PRINTER", path.toUtf8());
}

PrintToPdf::~PrintToPdf() {
    if (m_had) {
        qputenv("TESSEL_PRINTER", m_old);
    } else {
        qunsetenv("TESSEL_PRINTER");
    }
}

}  // namespace tessel::test
