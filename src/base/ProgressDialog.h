// The progress of a long piece of work as the desktop shows it: nothing for the first half
// second, then an application-modal dialog saying what is being done, how many rows or pages
// of how many are done, with a 取消 button. While the work runs, the user-interface thread
// handles its events at the check points, so every window keeps painting.
#pragma once

#include <QElapsedTimer>
#include <QPointer>
#include <QString>

#include "base/Progress.h"

class QProgressDialog;
class QWidget;

namespace tessel::base {

// Milliseconds of work before the dialog shows.
inline constexpr int kProgressDialogDelayMs = 500;
// Milliseconds between two redraws of the dialog's count and bar: a redraw costs more than
// a turn of the event loop (the texts are laid out and the window painted again).
inline constexpr int kProgressRedrawMs = 500;

class DialogProgress : public base::Progress {
public:
    // The dialog, once shown, is a child of `parent` (may be nullptr). Off the application's
    // user-interface thread nothing is shown and nothing is cancelled.
    explicit DialogProgress(QWidget *parent);
    ~DialogProgress() override;

    void begin(const QString &what, base::ProgressUnit unit, qint64 total) override;
    void update(qint64 done) override;
    bool cancelled() const override { return m_cancelled; }
    void finish() override;

    // The text the dialog shows for the current stage.
    QString labelText() const;

private:
    void refresh();

    QPointer<QWidget> m_parent;
    QProgressDialog *m_dialog = nullptr;
    QElapsedTimer m_clock;   // since the work began
    QElapsedTimer m_pump;    // since the event loop last turned
    QElapsedTimer m_redraw;  // since the dialog last showed a new count
    QString m_what;
    base::ProgressUnit m_unit = base::ProgressUnit::Rows;
    qint64 m_total = -1;
    qint64 m_done = 0;
    bool m_onGuiThread = false;
    bool m_cancelled = false;
    bool m_finished = false;  // until the next begin(): updates show nothing
};

}  // namespace tessel::base
