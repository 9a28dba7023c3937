// What a long piece of work (reading a query onto a sheet, printing, writing a PDF file or a
// workbook) tells about itself while it runs, and how the one waiting on it stops it. The
// work reports at check points only: every kRowsPerCheck rows, every page. The default,
// noProgress(), reports nowhere and never stops anything, so callers that pass none work
// exactly as before.
#pragma once

#include <QString>
#include <QtGlobal>
#include <exception>

namespace tessel::base {

// Rows between two check points of a loop over rows. A power of two: the test is a mask.
inline constexpr qint64 kRowsPerCheck = 1024;

// Milliseconds between two check points while the work waits on something that reports
// nothing (a file being compressed on another thread).
inline constexpr int kProgressPollMs = 100;

// What the units of a stage count.
enum class ProgressUnit { Rows, Pages };

// Thrown at a check point once the work was cancelled. Whatever the work had made is undone
// by the time it reaches the caller (a file is not written, a print job is ended).
class Cancelled : public std::exception {
public:
    const char *what() const noexcept override;
};

class Progress {
public:
    virtual ~Progress();

    // A new stage of the work: `what` tells the user what is being done ("读取数据"),
    // `total` how many `unit`s it has, or -1 when not known beforehand.
    virtual void begin(const QString &what, ProgressUnit unit, qint64 total);
    // `done` units of the current stage are done; a negative `done` only says that time
    // passed, the count unchanged. Called at check points; an implementation that shows
    // something keeps it cheap by looking at the clock before anything else.
    virtual void update(qint64 done);
    // True once the user asked to stop the work.
    virtual bool cancelled() const;
    // The work ended, whichever way: whatever shows the progress goes away.
    virtual void finish();

    // A check point: reports `done`, then throws Cancelled when the work was cancelled.
    void check(qint64 done) {
        update(done);
        if (cancelled())
            throw Cancelled();
    }
    // A check point in a loop over rows: does the work of check() at every kRowsPerCheck-th
    // row only, so that a row costs one test.
    void checkRow(qint64 row) {
        if ((row & (kRowsPerCheck - 1)) == 0)
            check(row);
    }
};

// A progress that shows nothing and is never cancelled; one per process, stateless.
Progress &noProgress();

// Calls finish() on a progress on every way out of a scope.
class ProgressScope {
public:
    explicit ProgressScope(Progress &progress) : m_progress(progress) {}
    ~ProgressScope() { m_progress.finish(); }
    ProgressScope(const ProgressScope &) = delete;
    ProgressScope &operator=(const ProgressScope &) = delete;

private:
    Progress &m_progress;
};

}  // namespace tessel::base
