// The start-up's helper threads: each runs its work once, on a thread of its own, and away
// from the processor of the thread that made it wherever the maker may use another.
#include "base/thread_elsewhere.h"

#include <QScopeGuard>
#include <QTest>

#include <atomic>
#include <chrono>
#include <thread>

#include <pthread.h>
#include <sched.h>

class tst_threads : public QObject
{
    Q_OBJECT

private slots:
    void runs_once_elsewhere_data();
    void runs_once_elsewhere();
};

void tst_threads::runs_once_elsewhere_data()
{
    QTest::addColumn<bool>("maker_on_one_processor");
    QTest::newRow("maker may use every processor") << false;
    QTest::newRow("maker bound to one processor") << true;
}

void tst_threads::runs_once_elsewhere()
{
    QFETCH(bool, maker_on_one_processor);
    cpu_set_t allowed;
    QCOMPARE(sched_getaffinity(0, sizeof allowed, &allowed), 0);
    const auto restore = qScopeGuard([&allowed] { sched_setaffinity(0, sizeof allowed, &allowed); });
    cpu_set_t maker_allowed = allowed;
    if (maker_on_one_processor) {
        CPU_ZERO(&maker_allowed);
        CPU_SET(sched_getcpu(), &maker_allowed);
        QCOMPARE(sched_setaffinity(0, sizeof maker_allowed, &maker_allowed), 0);
    } else if (CPU_COUNT(&allowed) < 2) {
        QSKIP("this machine lets the test use one processor only");
    }

    // Several, as a thread left to the scheduler could start elsewhere by chance once.
    for (int k = 0; k < 5; ++k) {
        std::atomic<int> runs{0};
        pthread_t worker{};
        int start_cpu = -1;
        cpu_set_t worker_allowed;
        CPU_ZERO(&worker_allowed);
        const int maker_cpu = sched_getcpu();
        {
            ThreadElsewhere thread([&] {
                start_cpu = sched_getcpu();
                worker = pthread_self();
                pthread_getaffinity_np(worker, sizeof worker_allowed, &worker_allowed);
                // Long enough that a join which does not wait is seen.
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
                ++runs;
            });
            if (sched_getcpu() != maker_cpu)
                QSKIP("the maker moved to another processor while the thread started");
            thread.join();
            QCOMPARE(runs.load(), 1);
        }
        QCOMPARE(runs.load(), 1);
        QVERIFY(!pthread_equal(worker, pthread_self()));
        QVERIFY(CPU_EQUAL(&worker_allowed, &maker_allowed));
        if (maker_on_one_processor)
            QCOMPARE(start_cpu, maker_cpu);
        else
            QVERIFY2(start_cpu != maker_cpu, qPrintable(QString("thread %1 started beside its maker").arg(k)));
    }
}

QTEST_GUILESS_MAIN(tst_threads)
#include "tst_threads.moc"
