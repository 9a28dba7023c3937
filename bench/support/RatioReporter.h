// A console reporter that ends with each benchmark's time as a multiple of its anchor's
// (the raw library doing the same work), next to the target ratio.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace tessel::bench {

class RatioReporter : public benchmark::ConsoleReporter {
public:
    // `anchorOf(name)` names the benchmark `name` is measured against, or "" for none.
    RatioReporter(std::function<std::string(const std::string &)> anchorOf, double target)
        : ConsoleReporter(OO_Tabular), m_anchorOf(std::move(anchorOf)), m_target(target) {}

    // Benchmark `name` is held to `target` instead of the one given above.
    void setTarget(const std::string &name, double target) { m_targets[name] = target; }

    void ReportRuns(const std::vector<Run> &runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run &r : runs) {
            if (r.run_type == Run::RT_Iteration && r.iterations > 0) {
                const double n = double(r.iterations);
                m_times[r.run_name.function_name] = {r.real_accumulated_time / n,
                                                     r.cpu_accumulated_time / n};
            }
        }
    }

    void Finalize() override {
        ConsoleReporter::Finalize();
        for (const auto &[name, t] : m_times) {
            const auto anchor = m_times.find(m_anchorOf(name));
            if (anchor == m_times.end() || anchor->first == name || anchor->second.real <= 0 ||
                anchor->second.cpu <= 0) {
                continue;
            }
            const auto own = m_targets.find(name);
            std::printf("%s / %s: real %.2f, cpu %.2f (target <= %.3g)\n", name.c_str(),
                        anchor->first.c_str(), t.real / anchor->second.real,
                        t.cpu / anchor->second.cpu,
                        own == m_targets.end() ? m_target : own->second);
        }
    }

private:
    struct Times {
        double real = 0;  // seconds per iteration
        double cpu = 0;
    };
    std::function<std::string(const std::string &)> m_anchorOf;
    double m_target;
    std::map<std::string, double> m_targets;
    std::map<std::string, Times> m_times;
};

}  // namespace tessel::bench
