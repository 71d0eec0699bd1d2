// The baselines of the start-up benchmark, linked against Qt Widgets alone so their start
// loads only what any Qt window loads: "empty" shows a bare QMainWindow, "text" one whose only
// content is a line edit (fonts found, loaded and rasterised: the least any window showing
// text pays). Prints what startup_probe prints; with nothing to solve, the second memory
// figure is the peak after the same extra round of events.
#include "bench/startup_common.h"

#include <QApplication>
#include <QLineEdit>
#include <QMainWindow>

#include <chrono>
#include <cstdio>

int main(int argc, char *argv[])
{
    const QByteArray kind = argc == 2 ? argv[1] : "";
    if (kind != "empty" && kind != "text") {
        std::fprintf(stderr, "usage: startup_baseline empty|text\n");
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QMainWindow window;
    if (kind == "text")
        window.setCentralWidget(new QLineEdit(QStringLiteral("4.7k")));
    window.resize(632, 448);
    FirstPaint first_paint([&] {
        const auto painted = std::chrono::steady_clock::now();
        const long at_start = peak_rss_kb();
        report_startup(window, painted, at_start);
    });
    window.installEventFilter(&first_paint);
    window.show();
    return app.exec();
}
