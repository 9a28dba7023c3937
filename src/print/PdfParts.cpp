#include "print/PdfParts.h"

#include "base/Language.h"
#include "base/SafeReplace.h"
#include "print/Pagination.h"
#include "print/PdfText.h"
#include "print/PrintFonts.h"
#include "print/PrintRun.h"

#include <QDir>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QScopeGuard>
#include <QTemporaryFile>
#include <QThread>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace tessel::print {

int pdfPartCount(int pages, int cores) {
    int parts = 1;
    for (int n = 2; n <= cores && pages / n >= kMinPagesPerPart * (n - 1); ++n)
        parts = n;
    return parts;
}

namespace {

// Passes the PDF writer's bytes on to the file until hold() is called, and keeps the rest
// (what the writer writes when the painter ends) for completePdfFonts.
class TailHoldingDevice : public QIODevice {
public:
    explicit TailHoldingDevice(QIODevice &target) : m_target(target) { open(WriteOnly); }
    void hold() {
        m_holding = true;
        m_heldFrom = m_written;
    }
    qint64 heldFrom() const { return m_heldFrom; }
    const QByteArray &held() const { return m_held; }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *data, qint64 len) override {
        if (m_holding) {
            m_held.append(data, len);
            m_written += len;
            return len;
        }
        const qint64 n = m_target.write(data, len);
        if (n > 0) {
            m_written += n;
        }
        return n;
    }

private:
    QIODevice &m_target;
    bool m_holding = false;
    qint64 m_written = 0;
    qint64 m_heldFrom = 0;
    QByteArray m_held;
};

// Writes the printed pages `pages` in that order to `file` as one PDF document from one
// writer, its fonts completed (completePdfFonts) with the glyphs drawn on this thread.
// `beforePage` as for paintPages.
void writePdfPages(const grid::Sheet &sheet, const Pagination &pagination,
                   const std::vector<int> &pages, QFileDevice &file, const QString &title,
                   Error::Category failure, const QString &failureText,
                   const std::function<void(int)> &beforePage) {
    GlyphTextRecorder glyphTexts;
    TailHoldingDevice device(file);
    {
        QPdfWriter writer(&device);
        writer.setCreator(QStringLiteral("Tessel"));
        writer.setTitle(title);
        writer.setPageLayout(QPageLayout(pagination.paper(), pageOrientation(sheet),
                                         QMarginsF(0, 0, 0, 0), QPageLayout::Point));
        QPainter painter;
        if (!painter.begin(&writer))
            throw Error(failure, failureText);
        paintPages(sheet, pagination, pages, writer, painter, writer.resolution(), failure,
                   failureText, beforePage, &file);
        // The fonts are written when the painter ends; their names and character maps are
        // completed before they reach the file.
        device.hold();
        if (!painter.end())
            throw Error(failure, failureText);
    }
    file.write(completePdfFonts(device.held(), device.heldFrom(), glyphTexts));
}

// Thrown on a painting thread that stops because another one failed or the user cancelled.
struct Stopped {};

// One range of pages painted on a thread of its own into a temporary file.
struct PdfPart {
    // What its writer paints: first the first page of every part in part order, then the
    // rest of its own range. The writer numbers a font's glyphs in the order it first draws
    // them, so the parts' fonts begin alike; when the range draws no glyph those pages did
    // not, they stay alike and the joined file embeds each font once.
    std::vector<int> pages;
    std::vector<int> kept;  // positions in `pages` of the range's own pages, in page order
    QTemporaryFile file;
    std::atomic<int> painted{0};  // own pages painted so far
    QStringList undrawable;       // of its own pages, in page order
    std::exception_ptr error;     // Stopped, or what ended the painting
};

// Paints `partCount` ranges of the pages into temporary files, the first on the calling
// thread (which reports the pages of all to `progress`), the others on threads of their own,
// and writes them joined to `file`. Every painting thread is stopped before this returns or
// throws, and the temporary files are removed. Returns false, having painted nothing, when
// the temporary files cannot be made.
bool writePdfParts(const grid::Sheet &sheet, const Pagination &pagination, QSaveFile &file,
                   const QString &title, Error::Category failure, const QString &failureText,
                   base::Progress &progress, int partCount) {
    const int pages = pagination.pageCount();
    std::vector<int> firsts;
    for (int k = 0; k <= partCount; ++k)
        firsts.push_back(1 + int(qint64(pages) * k / partCount));
    std::vector<std::unique_ptr<PdfPart>> parts;
    for (int k = 0; k < partCount; ++k) {
        auto part = std::make_unique<PdfPart>();
        part->pages.assign(firsts.begin(), firsts.end() - 1);
        part->kept.push_back(k);
        for (int page = firsts[k] + 1; page < firsts[k + 1]; ++page) {
            part->kept.push_back(int(part->pages.size()));
            part->pages.push_back(page);
        }
        part->file.setFileTemplate(QDir::temp().filePath(QStringLiteral("tessel-XXXXXX.pdf")));
        if (!part->file.open())
            return false;
        parts.push_back(std::move(part));
    }
    std::atomic<bool> stop{false};
    std::mutex mutex;
    std::condition_variable changed;  // a page or a part was done
    int running = partCount - 1;      // threads still painting, under `mutex`
    const auto painted = [&] {
        int n = 0;
        for (const auto &part : parts)
            n += part->painted.load(std::memory_order_relaxed);
        return n;
    };
    // Part k: the calling thread's when k is 0.
    const auto paintPart = [&](int k) {
        PdfPart &part = *parts[k];
        const bool calling = k == 0;
        beginUndrawable();
        // What the page at position `i` left: its texts no font draws, and one more page
        // painted when it is one of the range's own.
        const auto pageDone = [&](int i) {
            const QStringList texts = takeUndrawableTexts();
            // The range's own pages: the first page of its own at position k, then all from
            // the first page after the others' first pages on.
            if (i == k || i >= partCount) {
                for (const QString &text : texts)
                    addUndrawable(part.undrawable, text);
                part.painted.fetch_add(1, std::memory_order_relaxed);
            }
        };
        try {
            writePdfPages(sheet, pagination, part.pages, part.file, title, failure, failureText,
                          [&](int i) {
                              if (i > 0)
                                  pageDone(i - 1);
                              if (calling)
                                  progress.check(painted());
                              else
                                  changed.notify_one();
                              if (stop.load(std::memory_order_relaxed))
                                  throw Stopped();
                          });
            pageDone(int(part.pages.size()) - 1);
            if (!part.file.flush() || part.file.error() != QFileDevice::NoError)
                throw Error(failure, failureText, writeFailure(part.file));
        } catch (...) {
            part.error = std::current_exception();
            stop = true;
        }
    };
    {
        // Joined on every way out; `stop` set first, so that they end before their next page.
        std::vector<std::jthread> threads;
        const auto stopAll = qScopeGuard([&] {
            stop = true;
            for (auto &thread : threads) {
                if (thread.joinable())
                    thread.join();
            }
        });
        for (int k = 1; k < partCount; ++k) {
            threads.emplace_back([&, k] {
                paintPart(k);
                {
                    const std::lock_guard lock(mutex);
                    --running;
                }
                changed.notify_one();
            });
        }
        paintPart(0);
        // The calling thread goes on reporting the others' pages (and seeing a cancel) until
        // they are done.
        std::unique_lock lock(mutex);
        while (running > 0 && !parts[0]->error) {
            changed.wait_for(lock, std::chrono::milliseconds(base::kProgressPollMs));
            lock.unlock();
            try {
                progress.check(painted());
            } catch (...) {
                parts[0]->error = std::current_exception();
            }
            lock.lock();
        }
    }
    // The first failure in page order is the one reported; a thread that only stopped
    // because of it has nothing to tell.
    for (const auto &part : parts) {
        if (!part->error)
            continue;
        try {
            std::rethrow_exception(part->error);
        } catch (const Stopped &) {
        }
    }
    QStringList undrawable;
    for (const auto &part : parts) {
        for (const QString &text : part->undrawable)
            addUndrawable(undrawable, text);
    }
    endUndrawable(undrawable);
    std::vector<PdfPartPages> joined;
    for (const auto &part : parts)
        joined.push_back({part->file.fileName(), part->kept});
    try {
        joinPdfParts(joined, file);
    } catch (const std::exception &e) {
        throw Error(failure, failureText, QString::fromLocal8Bit(e.what()));
    }
    return true;
}

}  // namespace

int writePdfInParts(const grid::Sheet &sheet, const QString &path, const QPageSize &paper,
                    const QString &title, Error::Category failure, const QString &stage,
                    base::Progress &progress, int parts) {
    const Pagination pagination(sheet, paper);
    const int pages = pagination.pageCount();
    if (pages == 0) {
        throw Error(Error::Category::Printing, nothingToPrint());
    }
    const QString failureText = tessel::base::tr("无法写入 PDF 文件“%1”").arg(path);

    // The pages go to a temporary file in the target's folder, which takes the target's name
    // (and its permissions) only once it is complete and on the disk (base::commitSaveFile):
    // a full disk or a failed write never costs the user the file that was there. Until then
    // the temporary file is removed on every way out.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw Error(failure, failureText, file.errorString());
    beginUndrawable();
    progress.begin(stage, base::ProgressUnit::Pages, pages);
    // A pixmap may only be used off the application's thread where the window system allows
    // it, which not every platform does: a sheet holding pictures is painted here alone.
    const int cores = sheet.hasPictures() ? 1 : QThread::idealThreadCount();
    parts = std::clamp(parts > 0 ? parts : pdfPartCount(pages, cores), 1, pages);
    // Without a temporary folder to paint the parts in, the pages are painted here alone.
    if (parts == 1 ||
        !writePdfParts(sheet, pagination, file, title, failure, failureText, progress, parts)) {
        writePdfPages(sheet, pagination, allPages(pages), file, title, failure, failureText,
                      [&](int i) { progress.check(i); });
        endUndrawable(takeUndrawableTexts());
    }
    // The last page may take a while: a cancel meanwhile still leaves the old file.
    progress.check(pages);
    // The writer reports no write error of its own: committing checks the file's.
    base::commitSaveFile(file, failureText, failure);
    return pages;
}

}  // namespace tessel::print
