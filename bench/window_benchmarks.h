#pragma once

#include "bench/ratio_reporter.h"

#include <QApplication>
#include <QtMessageHandler>

// main() of the benchmarks that drive the real window: offscreen unless a display is chosen,
// the pictures registered, one application object for the whole run.
inline int run_window_benchmarks(int argc, char **argv, std::vector<RatioReporter::Pair> pairs)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The offscreen platform says for every new window that it has no window manager to
    // pass size limits to; a run builds hundreds of windows, and the lines buried the figures.
    static QtMessageHandler previous = qInstallMessageHandler(
        [](QtMsgType type, const QMessageLogContext &context, const QString &text) {
            if (!text.contains(QLatin1String("does not support propagateSizeHints")))
                previous(type, context, text);
        });
    Q_INIT_RESOURCE(pics);
    QApplication app(argc, argv);
    return run_with_ratios(argc, argv, std::move(pairs));
}
