// tessel-screenshots: the pictures of the README's tour, taken without a display. Runs the
// sample report 订单明细 into the print preview through the public API, as a host does,
// works the preview's controls by their object names and saves the window as PNG.
//
//   QT_QPA_PLATFORM=offscreen build/dev/apps/tessel-screenshots build/demo/sample.db docs
//
// writes docs/find-bar.png: the find bar open on "前海物流", the second match shown and
// outlined; and docs/preview-english.png: the same report previewed with the interface in
// English (clsReport::setLanguage), the report's own texts as stored. scripts/screenshots
// builds the sample database and runs it.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QWidget>
#include <cstdio>

#include <tessel/clsReport.h>

namespace {

QWidget *topLevel(const QString &name) {
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (w->objectName() == name && w->isVisible())
            return w;
    }
    return nullptr;
}

// Lets the window settle: events, the count's slices and the repaint.
void settle(int ms) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms)
        QApplication::processEvents(QEventLoop::AllEvents, 10);
}

// A key as the user types it: a key press the shortcut map sees first, then the release.
void press(QWidget *w, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QKeyEvent down(QEvent::KeyPress, key, modifiers);
    QApplication::sendEvent(w, &down);
    QKeyEvent up(QEvent::KeyRelease, key, modifiers);
    QApplication::sendEvent(w, &up);
}

bool save(QWidget *window, const QString &path) {
    if (!window->grab().save(path)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

}  // namespace

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: tessel-screenshots DATABASE OUTPUT_FOLDER\n");
        return 2;
    }
    const QString database = QString::fromLocal8Bit(argv[1]);
    const QDir out(QString::fromLocal8Bit(argv[2]));
    const auto runReport = [&database]() -> QWidget * {
        try {
            tessel::clsReport report;
            report.ConDb(QStringLiteral("sqlite:") + database);
            report.PutVar(QVariantList{
                QVariantList{QStringLiteral("公司"), QStringLiteral("示例贸易有限公司")},
                QVariantList{QStringLiteral("制表人"), QStringLiteral("张伟")}});
            report.PrintPreSQL1(QStringLiteral("select * from x where 订单.金额 > 5000"),
                                QStringLiteral("订单明细"), 1, false);
        } catch (const std::exception &e) {
            std::fprintf(stderr, "%s\n", e.what());
            return nullptr;
        }
        QWidget *preview = topLevel(QStringLiteral("spreadpreview"));
        if (!preview) {
            std::fprintf(stderr, "the preview did not open\n");
            return nullptr;
        }
        preview->resize(900, 640);
        preview->activateWindow();
        settle(200);
        return preview;
    };
    QWidget *preview = runReport();
    if (!preview)
        return 1;

    press(preview, Qt::Key_F, Qt::ControlModifier);
    auto *text = preview->findChild<QLineEdit *>(QStringLiteral("txtFind"));
    if (!text || !text->isVisible()) {
        std::fprintf(stderr, "Ctrl+F did not open the find bar\n");
        return 1;
    }
    text->setText(QStringLiteral("前海物流"));
    settle(300);
    press(text, Qt::Key_Return);
    settle(300);
    if (!save(preview, out.filePath(QStringLiteral("find-bar.png"))))
        return 1;
    preview->close();
    settle(100);

    tessel::clsReport::setLanguage(QLocale(QLocale::English));
    preview = runReport();
    return preview && save(preview, out.filePath(QStringLiteral("preview-english.png"))) ? 0 : 1;
}
