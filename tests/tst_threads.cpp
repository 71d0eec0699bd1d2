// The start-up's helper threads: each runs its work once, on a thread of its own, and away
// from the processor of the thread that made it wherever the maker may use another.
#include "app/application.h"

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
    if (maker_on_one_processor) {
        cpu_set_t one;
        CPU_ZERO(&one);
        CPU_SET(sched_getcpu(), &one);
        QCOMPARE(sched_setaffinity(0, sizeof one, &one), 0);
    } else if (CPU_COUNT(&allowed) < 2) {
        QSKIP("this machine lets the test use one processor only");
    }

    std::atomic<int> runs{0};
    pthread_t worker{};
    int worker_cpu = -1;
    cpu_set_t worker_allowed;
    CPU_ZERO(&worker_allowed);
    const int maker_cpu = sched_getcpu();
    {
        ThreadElsewhere thread([&] {
            // Long enough that a join which does not wait is seen.
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            worker = pthread_self();
            worker_cpu = sched_getcpu();
            pthread_getaffinity_np(worker, sizeof worker_allowed, &worker_allowed);
            ++runs;
        });
        if (sched_getcpu() != maker_cpu)
            QSKIP("the maker moved to another processor while the thread started");
        thread.join();
        QCOMPARE(runs.load(), 1);
    }
    QCOMPARE(runs.load(), 1);
    QVERIFY(!pthread_equal(worker, pthread_self()));
    if (maker_on_one_processor) {
        QCOMPARE(worker_cpu, maker_cpu);
        QCOMPARE(CPU_COUNT(&worker_allowed), 1);
    } else {
        QVERIFY(worker_cpu != maker_cpu);
        QVERIFY(!CPU_ISSET(maker_cpu, &worker_allowed));
        QCOMPARE(CPU_COUNT(&worker_allowed), CPU_COUNT(&allowed) - 1);
    }
}

QTEST_GUILESS_MAIN(tst_threads)
#include "tst_threads.moc"
