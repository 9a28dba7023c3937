// What reporting progress costs a piece of work: the work run with the silent progress and
// with the desktop's (a DialogProgress, which looks at the clock at every check point, shows
// its dialog after 0.5 s and turns the event loop while the work runs), in alternate rounds
// of one run, so that whatever else the machine does falls on both alike. On a shared machine
// the rounds of the same work differ by more than the few per cent asked about, so the cost
// is also measured where it arises: the processor time spent inside the progress's calls.
#pragma once

#include <benchmark/benchmark.h>
#include <time.h>

#include <algorithm>
#include <vector>

#include "base/Progress.h"
#include "base/ProgressDialog.h"

namespace tessel::bench {

// Milliseconds on `clock`.
inline double clockMs(clockid_t clock) {
    timespec t{};
    clock_gettime(clock, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

// A progress that adds up the thread's processor time spent inside another's calls.
class TimedProgress : public base::Progress {
public:
    explicit TimedProgress(base::Progress &inner) : m_inner(inner) {}
    void begin(const QString &what, base::ProgressUnit unit, qint64 total) override {
        const double start = clockMs(CLOCK_THREAD_CPUTIME_ID);
        m_inner.begin(what, unit, total);
        m_spent += clockMs(CLOCK_THREAD_CPUTIME_ID) - start;
    }
    void update(qint64 done) override {
        const double start = clockMs(CLOCK_THREAD_CPUTIME_ID);
        m_inner.update(done);
        m_spent += clockMs(CLOCK_THREAD_CPUTIME_ID) - start;
    }
    bool cancelled() const override { return m_inner.cancelled(); }
    void finish() override {
        const double start = clockMs(CLOCK_THREAD_CPUTIME_ID);
        m_inner.finish();
        m_spent += clockMs(CLOCK_THREAD_CPUTIME_ID) - start;
    }
    double spentMs() const { return m_spent; }

private:
    base::Progress &m_inner;
    double m_spent = 0;
};

// Runs `work(progress)` `rounds` times each way. Counters, all from the fastest round of each
// kind (the machine's other load only ever slows a round), in milliseconds of the thread's
// processor time: without_ms, with_ms; inside_progress_ms, the time the with-rounds spent in
// the progress's own calls (dialog, event loop and all), and overhead_pct, that time as a
// percentage of without_ms; wall_without_ms and wall_with_ms give wall-clock times.
template <class Work>
void measureProgressOverhead(benchmark::State &state, int rounds, Work &&work) {
    struct Times {
        double cpu, wall, inside;
    };
    std::vector<Times> without, with;
    const auto timed = [&](base::Progress &progress, const TimedProgress *timing) {
        const double cpu = clockMs(CLOCK_THREAD_CPUTIME_ID), wall = clockMs(CLOCK_MONOTONIC);
        work(progress);
        return Times{clockMs(CLOCK_THREAD_CPUTIME_ID) - cpu, clockMs(CLOCK_MONOTONIC) - wall,
                     timing ? timing->spentMs() : 0.0};
    };
    for (auto _ : state) {
        for (int i = 0; i < rounds; ++i) {
            without.push_back(timed(base::noProgress(), nullptr));
            base::DialogProgress shown(nullptr);
            TimedProgress timing(shown);
            with.push_back(timed(timing, &timing));
        }
    }
    const auto fastest = [](const std::vector<Times> &v, double Times::*field) {
        double best = v.front().*field;
        for (const Times &t : v)
            best = std::min(best, t.*field);
        return best;
    };
    const double base = fastest(without, &Times::cpu);
    const double inside = fastest(with, &Times::inside);
    state.counters["without_ms"] = base;
    state.counters["with_ms"] = fastest(with, &Times::cpu);
    state.counters["inside_progress_ms"] = inside;
    state.counters["overhead_pct"] = inside / base * 100.0;
    state.counters["wall_without_ms"] = fastest(without, &Times::wall);
    state.counters["wall_with_ms"] = fastest(with, &Times::wall);
}

}  // namespace tessel::bench
