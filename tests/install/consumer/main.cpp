// A host that links the installed library: it includes the public header and uses it.
#include <tessel/clsReport.h>

#include <QApplication>
#include <cstdio>

int main(int argc, char **argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    tessel::clsReport report;
    report.setTsCols(2);
    report.setText(1, 0, QStringLiteral("编号"));
    bool ok = report.getText(1, 0).toString() == QStringLiteral("编号");
    try {
        report.ConDb(QStringLiteral("/no/such/file.db"));
        ok = false;
    } catch (const tessel::Error &e) {
        ok = ok && e.category() == tessel::Error::Category::Connection;
    }
    std::puts(ok ? "ok" : "unexpected result");
    return ok ? 0 : 1;
}
