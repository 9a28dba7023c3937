// The main of a benchmark that draws nothing on a screen: Qt's offscreen platform, an
// application object of kind App (QGuiApplication for painting, QApplication where a widget
// or a dialog may show, as in a host), then every benchmark the command line selects.
#pragma once

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QtGlobal>
#include <functional>
#include <map>
#include <string>

#include "support/BenchDb.h"
#include "support/RatioReporter.h"

namespace tessel::bench {

template <class App>
int runBenchmarks(int argc, char **argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    App app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

// The main of a benchmark over the bench database of `rows` rows (generated before any
// timing) that reports each benchmark's ratio to the one `anchorOf` names (empty: none),
// held to `target` (those named in `targets` to their own). A QApplication: the fill shows the
// busy cursor.
inline int runAgainstAnchors(int argc, char **argv, int rows,
                             std::function<std::string(const std::string &)> anchorOf,
                             double target, const std::map<std::string, double> &targets = {}) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchDatabase(rows);
    RatioReporter reporter(std::move(anchorOf), target);
    for (const auto &[name, own] : targets)
        reporter.setTarget(name, own);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}

}  // namespace tessel::bench
