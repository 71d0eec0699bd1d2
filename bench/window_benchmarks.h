#pragma once

#include "bench/ratio_reporter.h"

#include <QApplication>

// main() of the benchmarks that drive the real window: offscreen unless a display is chosen,
// the pictures registered, one application object for the whole run.
inline int run_window_benchmarks(int argc, char **argv, std::vector<RatioReporter::Pair> pairs)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    Q_INIT_RESOURCE(pics);
    QApplication app(argc, argv);
    return run_with_ratios(argc, argv, std::move(pairs));
}
