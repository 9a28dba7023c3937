// tessel-demo: a host application that embeds Tessel the way any host would, through the
// public header alone. Start it with the path of a database holding tsl_report:
//
//   tessel-demo sample.db
//
// The host code itself is in DemoWindow.cpp.
#include <QApplication>
#include <QMessageBox>

#include <tessel/clsReport.h>

#include "DemoWindow.h"

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    const QString database =
        argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("sample.db");
    try {
        DemoWindow w(database);
        w.show();
        return app.exec();
    } catch (const tessel::Error &e) {
        QMessageBox::critical(nullptr, QStringLiteral("Tessel"), e.fullText());
        return 1;
    }
}
