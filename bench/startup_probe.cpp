// One start-up of the program as a launch from the desktop does it, up to the end of the
// window's first paint, then the peak resident memory at that point and again after a 20 x 20
// solve has been painted. Prints "<monotonic ns at the end of the first paint> <peak kB at
// start-up> <peak kB after solve>": the benchmark, which noted the same clock before starting
// the process, gets the whole start-up, loading the libraries included. startup_baseline is
// the same for windows that link Qt Widgets alone.
#include "app/application.h"
#include "app/ohmara.h"
#include "bench/startup_common.h"

#include <QApplication>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>

#include <chrono>
#include <cstdio>

namespace {

// Sizes the grid to 20, types a regular system into it (distinct pseudo-random coefficients)
// and solves. False when the window reports anything but a solution.
bool solve_20(ohmara &window)
{
    window.findChild<QSpinBox *>(QStringLiteral("sb_network"))->setValue(20);
    QApplication::processEvents(); // the new cells are shown by a queued call
    unsigned seed = 12345;
    for (QLineEdit *e : window.findChild<QWidget *>(QStringLiteral("gridLayoutWidget"))
                            ->findChildren<QLineEdit *>()) {
        if (e->isReadOnly())
            continue;
        seed = seed * 1103515245u + 12345u;
        e->setText(QString::number(int(seed >> 16) % 2000 - 1000) + QLatin1Char('k'));
    }
    window.findChild<QPushButton *>(QStringLiteral("network_solve"))->click();
    return window.findChild<QLabel *>(QStringLiteral("network_status"))->text().isEmpty();
}

} // namespace

// As the program does.
__attribute__((section(".preinit_array"), used)) static void (*const run_first)(int, char **, char **) =
    FontConfigurationAhead::start_before_initialisers;

int main(int argc, char *argv[])
{
    // Started by hand. The benchmark names the platform in the environment, where the reader
    // started before the initialisers looks for it.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    Q_INIT_RESOURCE(pics);
    FontConfigurationAhead fonts(argc, argv);
    QApplication app(argc, argv);
    set_up_application();
    fonts.wait();
    ohmara window;
    set_icon_after_first_paint(window);
    int status = 0;
    FirstPaint first_paint([&] {
        const auto painted = std::chrono::steady_clock::now();
        const long at_start = peak_rss_kb();
        if (!solve_20(window)) {
            std::fprintf(stderr, "startup_probe: the 20 x 20 system was not solved\n");
            status = 1;
        }
        report_startup(window, painted, at_start);
    });
    window.installEventFilter(&first_paint);
    window.show();
    app.exec();
    return status;
}
