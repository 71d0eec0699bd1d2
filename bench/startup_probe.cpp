// One start-up of a whole process, as a launch from the desktop does it: timed from the
// application object's construction to the end of the window's first paint. Then the peak
// resident memory at that point and again after a 20 x 20 solve has been painted.
// Usage: startup_probe ohmara|empty|text; prints "<ns> <peak kB at start-up> <peak kB after
// solve>". "empty" builds a bare QMainWindow the same way, "text" one whose only content is a
// line edit: the least a window pays to show any text (fonts found, loaded and rasterised).
// Neither has anything to solve, so their second figure is the peak after the same extra
// round of events.
#include "app/application.h"
#include "app/ohmara.h"

#include <QApplication>
#include <QFile>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>

namespace {

// The kernel's high-water mark of resident memory, in kB.
long peak_rss_kb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (QByteArray line = status.readLine(); !line.isEmpty(); line = status.readLine()) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    }
    return -1;
}

// Calls back once the first paint of a window has finished: the zero timer fires only after
// the repaint that delivered the paint event has flushed.
class FirstPaint : public QObject {
public:
    explicit FirstPaint(std::function<void()> done)
        : m_done(std::move(done))
    {
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && m_done) {
            QTimer::singleShot(0, this, std::move(m_done));
            m_done = nullptr;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> m_done;
};

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

int main(int argc, char *argv[])
{
    const QByteArray kind = argc == 2 ? argv[1] : "";
    if (kind != "ohmara" && kind != "empty" && kind != "text") {
        std::fprintf(stderr, "usage: startup_probe ohmara|empty|text\n");
        return 2;
    }
    const bool full = kind == "ohmara";
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    Q_INIT_RESOURCE(pics);

    const auto start = std::chrono::steady_clock::now();
    QApplication app(argc, argv);
    set_up_application();
    std::unique_ptr<QMainWindow> window;
    if (full) {
        window = std::make_unique<ohmara>();
    } else {
        window = std::make_unique<QMainWindow>();
        if (kind == "text")
            window->setCentralWidget(new QLineEdit(QStringLiteral("4.7k")));
    }

    int status = 0;
    FirstPaint first_paint([&] {
        const auto painted = std::chrono::steady_clock::now();
        const long at_start = peak_rss_kb();
        if (full && !solve_20(static_cast<ohmara &>(*window))) {
            std::fprintf(stderr, "startup_probe: the 20 x 20 system was not solved\n");
            status = 1;
        }
        window->repaint();
        QApplication::processEvents();
        const long after_solve = peak_rss_kb();
        std::printf("%lld %ld %ld\n",
            static_cast<long long>(
                std::chrono::duration_cast<std::chrono::nanoseconds>(painted - start).count()),
            at_start, after_solve);
        QApplication::quit();
    });
    window->installEventFilter(&first_paint);
    window->show();
    app.exec();
    return status;
}
