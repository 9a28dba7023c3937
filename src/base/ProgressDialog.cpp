#include "base/ProgressDialog.h"

#include "base/Language.h"

#include <QApplication>
#include <QProgressDialog>
#include <QThread>
#include <QWindow>
#include <algorithm>
#include <limits>

namespace tessel::base {

namespace {

// Milliseconds the work waits, at most, for the window system to show a new dialog.
constexpr int kExposeWaitMs = 300;

// A new window is mapped by the window system and asked for its contents a moment later; the
// work turns the event loop only at its next check point, and a stretch without one (a file
// being joined or closed) would leave an empty, unpainted frame on the screen meanwhile. So
// the dialog is painted before the work goes on: the events are handled until the window is
// shown on the screen, then it is painted at once.
void paintNow(QWidget &dialog) {
    QElapsedTimer waited;
    waited.start();
    QWindow *window = dialog.windowHandle();
    while (window && !window->isExposed() && waited.elapsed() < kExposeWaitMs)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    dialog.repaint();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

}  // namespace

DialogProgress::DialogProgress(QWidget *parent) : m_parent(parent) {
    m_onGuiThread = qobject_cast<QApplication *>(QCoreApplication::instance()) &&
                    QThread::currentThread() == QCoreApplication::instance()->thread();
    m_clock.start();
    m_pump.start();
}

DialogProgress::~DialogProgress() {
    finish();
}

void DialogProgress::begin(const QString &what, base::ProgressUnit unit, qint64 total) {
    m_what = what;
    m_unit = unit;
    m_total = total;
    m_done = 0;
    m_finished = false;
    if (m_dialog)
        refresh();
}

QString DialogProgress::labelText() const {
    const QString unit =
        m_unit == base::ProgressUnit::Rows ? tessel::base::tr("行") : tessel::base::tr("页");
    if (m_total >= 0)
        return QStringLiteral("%1\n%2 / %3 %4").arg(m_what).arg(m_done).arg(m_total).arg(unit);
    return QStringLiteral("%1\n%2 %3").arg(m_what).arg(m_done).arg(unit);
}

void DialogProgress::update(qint64 done) {
    if (done >= 0)
        m_done = done;
    // Check points come every few milliseconds; only the clock is looked at between turns.
    if (!m_onGuiThread || m_finished || m_pump.elapsed() < base::kProgressPollMs)
        return;
    m_pump.restart();
    if (!m_dialog && m_clock.elapsed() >= kProgressDialogDelayMs) {
        m_dialog = new QProgressDialog(m_parent);
        m_dialog->setObjectName(QStringLiteral("progressDialog"));
        m_dialog->setWindowTitle(m_what);
        m_dialog->setCancelButtonText(tessel::base::tr("取消"));
        // Shown and hidden here, not by the dialog's own timing.
        m_dialog->setMinimumDuration(std::numeric_limits<int>::max());
        m_dialog->setAutoClose(false);
        m_dialog->setAutoReset(false);
        // The user can cancel but not start other work on the windows behind.
        m_dialog->setWindowModality(Qt::ApplicationModal);
        QObject::connect(m_dialog, &QProgressDialog::canceled, m_dialog,
                         [this] { m_cancelled = true; });
        refresh();
        m_dialog->show();
        paintNow(*m_dialog);
        m_redraw.start();
    } else if (m_dialog && m_redraw.elapsed() >= kProgressRedrawMs) {
        refresh();
        m_redraw.restart();
    }
    // Before the dialog shows, nothing may reach the windows behind but paint and timers: a
    // click there would start other work in the middle of this one.
    QCoreApplication::processEvents(m_dialog ? QEventLoop::AllEvents
                                             : QEventLoop::ExcludeUserInputEvents);
}

void DialogProgress::refresh() {
    m_dialog->setLabelText(labelText());
    if (m_total > 0 && m_total <= std::numeric_limits<int>::max()) {
        m_dialog->setRange(0, int(m_total));
        m_dialog->setValue(int(std::min(m_done, m_total)));
    } else {
        m_dialog->setRange(0, 0);  // a busy bar: the total is not known
    }
}

void DialogProgress::finish() {
    m_finished = true;
    delete m_dialog;
    m_dialog = nullptr;
}

}  // namespace tessel::base
