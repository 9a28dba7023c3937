// tessel-screenshots: the pictures of the README's tour, taken without a display. Runs the
// sample report 订单明细 into the print preview through the public API, as a host does,
// works the preview's controls by their object names and saves the window as PNG.
//
//   QT_QPA_PLATFORM=offscreen build/dev/apps/tessel-screenshots build/demo/sample.db docs
//
// writes docs/find-bar.png: the find bar open on "前海物流", the second match shown and
// outlined; docs/page-setup.png: page setup opened from the preview, the paper list open
// on the continuous forms; docs/designer.png and docs/designer-english.png: the designer on
// the same report after a column border was dragged wider with the mouse; and
// docs/preview-english.png: the report previewed with the interface in English
// (clsReport::setLanguage), the report's own texts as stored; docs/grouped-preview.png: the
// grouped report 部门销售汇总 previewed with its totals row; docs/groups-dialog.png and
// docs/groups-dialog-english.png: the groups dialog opened from the designer's column menu
// on that report; docs/conditional-formats.png: the preview of 订单明细 coloured by its
// stored conditional formats, and docs/conditions-dialog.png and
// docs/conditions-dialog-english.png: the conditional formats dialog on the report's 金额
// column; docs/chart-preview.png: the last page of 部门销售汇总 in the preview, with its
// stored chart, and docs/charts-dialog.png and docs/charts-dialog-english.png: the charts
// dialog opened from that report's 销售额 column. scripts/screenshots builds the sample
// database and runs it (and renders docs/chart-pdf.png from the renderer's PDF).
#include <QAbstractScrollArea>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <functional>

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

// A mouse event on `w` at `pos`, as the window system delivers it.
void mouse(QWidget *w, QEvent::Type type, QPoint pos, Qt::MouseButtons buttons) {
    QMouseEvent e(type, pos, w->mapToGlobal(pos),
                  type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, buttons,
                  Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

// Drags the right border of the designer sheet's `n`-th column `by` pixels to the right: the
// border is found where the header row shows the sizing cursor, as a user finds it.
bool dragColumnBorder(QWidget *designer, int n, int by) {
    auto *grid = designer->findChild<QAbstractScrollArea *>(QStringLiteral("VaGrid"));
    if (!grid)
        return false;
    QWidget *view = grid->viewport();
    const int y = 6;  // inside the header row
    int found = 0;
    for (int x = 1; x < view->width(); ++x) {
        mouse(view, QEvent::MouseMove, QPoint(x, y), Qt::NoButton);
        if (view->cursor().shape() != Qt::SplitHCursor)
            continue;
        if (++found < n) {
            x += 10;  // past this border
            continue;
        }
        mouse(view, QEvent::MouseButtonPress, QPoint(x, y), Qt::LeftButton);
        mouse(view, QEvent::MouseMove, QPoint(x + by, y), Qt::LeftButton);
        mouse(view, QEvent::MouseButtonRelease, QPoint(x + by, y), Qt::NoButton);
        return true;
    }
    return false;
}

// The designer on the sample report with its third column dragged wider.
bool designerShot(const QString &database, const QString &path) {
    try {
        tessel::clsReport report;
        report.ConDb(QStringLiteral("sqlite:") + database);
        report.PrintPreSQL1(QStringLiteral("select * from x where 订单.金额 > 5000"),
                            QStringLiteral("订单明细"), 0, false);
    } catch (const std::exception &e) {
        std::fprintf(stderr, "%s\n", e.what());
        return false;
    }
    QWidget *designer = topLevel(QStringLiteral("printSpread"));
    if (!designer) {
        std::fprintf(stderr, "the designer did not open\n");
        return false;
    }
    designer->resize(1000, 560);
    settle(200);
    if (!dragColumnBorder(designer, 3, 60)) {
        std::fprintf(stderr, "no column border to drag in the designer\n");
        return false;
    }
    settle(200);
    const bool saved = save(designer, path);
    designer->hide();
    return saved;
}

// The grouped sample report in the preview, with the totals row over its counts and sums.
bool groupedPreviewShot(const QString &database, const QString &path) {
    try {
        tessel::clsReport report;
        report.ConDb(QStringLiteral("sqlite:") + database);
        report.PrintPreSQL1(QString(), QStringLiteral("部门销售汇总"), 1, true,
                            QVariantList{4, 5, 6});
    } catch (const std::exception &e) {
        std::fprintf(stderr, "%s\n", e.what());
        return false;
    }
    QWidget *preview = topLevel(QStringLiteral("spreadpreview"));
    if (!preview) {
        std::fprintf(stderr, "the preview did not open\n");
        return false;
    }
    preview->resize(900, 1040);
    settle(300);
    const bool saved = save(preview, path);
    preview->close();
    settle(100);
    return saved;
}

// The last page of the grouped sample report in the preview: the page its chart is drawn on.
bool chartPreviewShot(const QString &database, const QString &path) {
    try {
        tessel::clsReport report;
        report.ConDb(QStringLiteral("sqlite:") + database);
        report.PrintPreSQL1(QString(), QStringLiteral("部门销售汇总"), 1, true,
                            QVariantList{4, 5, 6});
    } catch (const std::exception &e) {
        std::fprintf(stderr, "%s\n", e.what());
        return false;
    }
    QWidget *preview = topLevel(QStringLiteral("spreadpreview"));
    QWidget *pages =
        preview ? preview->findChild<QWidget *>(QStringLiteral("fpSpreadPreview1")) : nullptr;
    if (!pages) {
        std::fprintf(stderr, "the preview did not open\n");
        return false;
    }
    preview->resize(900, 1040);
    settle(300);
    pages->setProperty("pageCurrent", pages->property("pageCount"));
    settle(300);
    const bool saved = save(preview, path);
    preview->close();
    settle(100);
    return saved;
}

// A column dialog of the designer, opened as a user opens it: report `reportName` run with
// `sql` into the designer, a right click on the header of column `col`, the menu entry
// `action`. The dialog is modal: `picture` is called from inside its own event loop with the
// dialog (it may select something first) and saves it; the dialog then closes unchanged.
bool columnDialogShot(const QString &database, const QString &sql, const QString &reportName,
                      int col, const char *action,
                      const std::function<bool(QWidget *dialog)> &picture) {
    try {
        tessel::clsReport report;
        report.ConDb(QStringLiteral("sqlite:") + database);
        report.PrintPreSQL1(sql, reportName, 0, false);
    } catch (const std::exception &e) {
        std::fprintf(stderr, "%s\n", e.what());
        return false;
    }
    QWidget *designer = topLevel(QStringLiteral("printSpread"));
    QWidget *grid = designer ? designer->findChild<QWidget *>(QStringLiteral("VaGrid")) : nullptr;
    if (!grid) {
        std::fprintf(stderr, "the designer did not open\n");
        return false;
    }
    QMetaObject::invokeMethod(grid, "RightClick", Q_ARG(int, 1), Q_ARG(int, col), Q_ARG(int, 0),
                              Q_ARG(int, 100), Q_ARG(int, 5));
    auto *menu = designer->findChild<QMenu *>(QStringLiteral("mnuColumn"));
    QAction *entry = menu ? menu->findChild<QAction *>(QLatin1String(action)) : nullptr;
    if (!entry) {
        std::fprintf(stderr, "the column menu has no %s\n", action);
        return false;
    }
    menu->close();
    bool saved = false;
    QTimer::singleShot(300, [&] {
        QWidget *dialog = QApplication::activeModalWidget();
        if (dialog) {
            saved = picture(dialog);
            dialog->close();
        } else {
            std::fprintf(stderr, "%s opened no dialog\n", action);
        }
    });
    entry->trigger();
    designer->hide();
    return saved;
}

// Saves `dialog` to `path` once it has settled, when it is the window `name`.
std::function<bool(QWidget *)> pictureOf(const char *name, const QString &path) {
    return [name, path](QWidget *dialog) {
        if (dialog->objectName() != QLatin1String(name)) {
            std::fprintf(stderr, "%s did not open\n", name);
            return false;
        }
        settle(200);
        return save(dialog, path);
    };
}

// The charts dialog on the grouped sample report, from its 销售额 column.
bool chartsDialogShot(const QString &database, const QString &path) {
    return columnDialogShot(database, QString(), QStringLiteral("部门销售汇总"), 6, "actCharts",
                            pictureOf("frmCharts", path));
}

// The groups dialog on the grouped sample report, from its month column.
bool groupsDialogShot(const QString &database, const QString &path) {
    return columnDialogShot(database, QString(), QStringLiteral("部门销售汇总"), 2, "actGroups",
                            pictureOf("frmGroups", path));
}

// The conditional formats dialog on 订单明细's 金额 column, with its rule `rule` (from 0)
// selected.
bool conditionsShot(const QString &database, const QString &path, int rule) {
    const auto selectRule = [&](QWidget *dialog) {
        if (auto *rules = dialog->findChild<QListWidget *>(QStringLiteral("lstRules")))
            rules->setCurrentRow(rule);
        return pictureOf("frmConditions", path)(dialog);
    };
    return columnDialogShot(database, QStringLiteral("select * from x where 订单.金额 > 5000"),
                            QStringLiteral("订单明细"), 7, "actConditions", selectRule);
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

    // Page setup is modal: it is pictured from inside its own event loop, then closed.
    bool pageSetupSaved = false;
    QTimer::singleShot(300, [&] {
        QWidget *dialog = QApplication::activeModalWidget();
        if (auto *papers =
                dialog ? dialog->findChild<QComboBox *>(QStringLiteral("cboPaper")) : nullptr) {
            const int form = papers->count() - 3;  // a continuous form, as a user picks it
            papers->setCurrentIndex(form);
            QMetaObject::invokeMethod(papers, "activated", Q_ARG(int, form));
            settle(100);
            pageSetupSaved = save(dialog, out.filePath(QStringLiteral("page-setup.png")));
        } else {
            std::fprintf(stderr, "page setup has no paper list\n");
        }
        if (dialog)
            dialog->close();
    });
    QMetaObject::invokeMethod(preview->findChild<QWidget *>(QStringLiteral("fpSpread1")),
                              "ButtonClicked", Q_ARG(int, 10), Q_ARG(int, 1));
    if (!pageSetupSaved)
        return 1;
    preview->close();
    settle(100);

    if (!designerShot(database, out.filePath(QStringLiteral("designer.png"))) ||
        !groupedPreviewShot(database, out.filePath(QStringLiteral("grouped-preview.png"))) ||
        !groupsDialogShot(database, out.filePath(QStringLiteral("groups-dialog.png"))) ||
        !chartPreviewShot(database, out.filePath(QStringLiteral("chart-preview.png"))) ||
        !chartsDialogShot(database, out.filePath(QStringLiteral("charts-dialog.png"))))
        return 1;
    tessel::clsReport::setLanguage(QLocale(QLocale::English));
    if (!designerShot(database, out.filePath(QStringLiteral("designer-english.png"))) ||
        !groupsDialogShot(database, out.filePath(QStringLiteral("groups-dialog-english.png"))) ||
        !chartsDialogShot(database, out.filePath(QStringLiteral("charts-dialog-english.png"))))
        return 1;
    preview = runReport();
    if (!preview || !save(preview, out.filePath(QStringLiteral("preview-english.png"))))
        return 1;
    preview->close();
    if (!conditionsShot(database, out.filePath(QStringLiteral("conditions-dialog-english.png")), 1))
        return 1;
    tessel::clsReport::setLanguage(QLocale(QLocale::Chinese));
    if (!conditionsShot(database, out.filePath(QStringLiteral("conditions-dialog.png")), 0))
        return 1;
    // The orders over 50,000 show in red bold across the row, the amounts on their scale.
    preview = runReport();
    return preview && save(preview, out.filePath(QStringLiteral("conditional-formats.png"))) ? 0
                                                                                             : 1;
}
