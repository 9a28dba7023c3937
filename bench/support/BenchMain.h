// The main of a benchmark that draws nothing on a screen: Qt's offscreen platform, an
// application object of kind App (QGuiApplication for painting, QApplication where a widget
// or a dialog may show, as in a host), then every benchmark the command line selects.
#pragma once

#include <benchmark/benchmark.h>

#include <QtGlobal>

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

}  // namespace tessel::bench
