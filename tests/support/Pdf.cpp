#include "support/Pdf.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

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

QString pdfInfo(const QString &path) {
    return run(QStringLiteral("pdfinfo"), {path});
}

int pdfPageCount(const QString &path) {
    const auto m = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(pdfInfo(path));
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

QString pdfText(const QString &path) {
    return run(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
}

QString pdfText(const QString &path, int page) {
    const QString n = QString::number(page);
    return run(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), QStringLiteral("-f"), n,
                                             QStringLiteral("-l"), n, path, QStringLiteral("-")});
}

QSizeF pdfPageSize(const QString &path) {
    const auto m = QRegularExpression(QStringLiteral("Page size:\\s+([\\d.]+) x ([\\d.]+)"))
                       .match(pdfInfo(path));
    return m.hasMatch() ? QSizeF(m.captured(1).toDouble(), m.captured(2).toDouble()) : QSizeF();
}

QString pdfWordBoxes(const QString &path, int page) {
    const QString n = QString::number(page);
    return run(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), QStringLiteral("-f"), n,
                                             QStringLiteral("-l"), n, path, QStringLiteral("-")});
}

QString pdfFonts(const QString &path) {
    return run(QStringLiteral("pdffonts"), {path});
}

QImage pdfPageImage(const QString &path, int page, int dpi) {
    QTemporaryDir dir;
    const QString n = QString::number(page);
    const QString stem = dir.filePath(QStringLiteral("page"));
    run(QStringLiteral("pdftoppm"),
        {QStringLiteral("-gray"), QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-f"),
         n, QStringLiteral("-l"), n, QStringLiteral("-singlefile"), path, stem});
    return QImage(stem + QStringLiteral(".pgm"));
}

PrinterVariable::PrinterVariable(const std::optional<QString> &value)
    : m_old(qgetenv("TESSEL_PRINTER")), m_had(qEnvironmentVariableIsSet("TESSEL_PRINTER")) {
    if (value)
        qputenv("TESSEL_PRINTER", value->toUtf8());
    else
        qunsetenv("TESSEL_PRINTER");
}

PrinterVariable::~PrinterVariable() {
    if (m_had) {
        qputenv("TESSEL_PRINTER", m_old);
    } else {
        qunsetenv("TESSEL_PRINTER");
    }
}

}  // namespace tessel::test
