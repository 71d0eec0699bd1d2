#pragma once

// What the start-up probes share: the peak memory the kernel reports and a hook on the end of
// a window's first paint.
#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QObject>
#include <QTimer>
#include <QWidget>

#include <chrono>
#include <cstdio>

#include <functional>

// The kernel's high-water mark of resident memory, in kB.
inline long peak_rss_kb()
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

// The probe's line: when the first paint ended (monotonic ns), the peak memory then, and the
// peak after one more paint and round of events (after the solve, for the program). Then quits.
inline void report_startup(QWidget &window, std::chrono::steady_clock::time_point painted, long at_start)
{
    window.repaint();
    QCoreApplication::processEvents();
    std::printf("%lld %ld %ld\n",
                static_cast<long long>(std::chrono::duration_cast<std::chrono::nanoseconds>(painted.time_since_epoch()).count()),
                at_start, peak_rss_kb());
    QCoreApplication::quit();
}
