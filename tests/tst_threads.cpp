// The start-up's helper threads: each runs its work once, on a thread of its own, started away
// from the processor of the thread that made it wherever the maker may use another; the font
// configuration reader goes there only where no display server needs the other processors.
#include "app/application.h"
#include "base/helper_thread.h"

#include <QScopeGuard>
#include <QTest>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include <dlfcn.h>
#include <pthread.h>
#include <sched.h>

class tst_threads : public QObject
{
    Q_OBJECT

private slots:
    void cleanupTestCase();
    void runs_once_away_from_its_maker_data();
    void runs_once_away_from_its_maker();
    void display_server_data();
    void display_server();
    void display_server_from_the_process_environment_data();
    void display_server_from_the_process_environment();
    void reader_before_initialisers_data();
    void reader_before_initialisers();
};

// The readers' configuration is released as the toolkit's font database releases it. Never
// released, part of it reads as a leak to the leak sanitizer at exit (fontconfig reaches it by
// ways the sanitizer does not follow; released, nothing is left).
void tst_threads::cleanupTestCase()
{
    using Fini = void (*)();
    if (const auto fini = reinterpret_cast<Fini>(dlsym(RTLD_DEFAULT, "FcFini")))
        fini();
}

void tst_threads::runs_once_away_from_its_maker_data()
{
    QTest::addColumn<bool>("maker_on_one_processor");
    QTest::newRow("maker may use every processor") << false;
    QTest::newRow("maker bound to one processor") << true;
}

void tst_threads::runs_once_away_from_its_maker()
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

    // Several, as a thread left to the scheduler could start elsewhere by chance once, and a
    // thread started away may be moved back before it looks where it runs (it gives up its
    // placement first): once in five is allowed.
    int beside = 0;
    for (int k = 0; k < 5; ++k) {
        std::atomic<int> runs{0};
        pthread_t worker{};
        int start_cpu = -1;
        cpu_set_t worker_allowed;
        CPU_ZERO(&worker_allowed);
        const int maker_cpu = sched_getcpu();
        {
            HelperThread thread([&] {
                start_cpu = sched_getcpu();
                worker = pthread_self();
                pthread_getaffinity_np(worker, sizeof worker_allowed, &worker_allowed);
                // Long enough that a join which does not wait is seen.
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
                ++runs;
            }, HelperThread::AwayFromMaker);
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
            beside += start_cpu == maker_cpu;
    }
    QVERIFY2(beside <= 1, qPrintable(QString("%1 of 5 threads started beside their maker").arg(beside)));
}

void tst_threads::display_server_data()
{
    QTest::addColumn<QByteArray>("environment"); // QT_QPA_PLATFORM; "-" for none
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("server");
    QTest::newRow("nothing named: the default") << QByteArray("-") << QStringList{} << true;
    QTest::newRow("empty variable") << QByteArray("") << QStringList{} << true;
    QTest::newRow("X11") << QByteArray("xcb") << QStringList{} << true;
    QTest::newRow("Wayland, else X11") << QByteArray("wayland;xcb") << QStringList{} << true;
    QTest::newRow("offscreen") << QByteArray("offscreen") << QStringList{} << false;
    QTest::newRow("offscreen with options") << QByteArray("offscreen:enable_fonts") << QStringList{} << false;
    QTest::newRow("minimal") << QByteArray("minimal") << QStringList{} << false;
    QTest::newRow("argument over the variable") << QByteArray("xcb") << QStringList{"-platform", "offscreen"} << false;
    QTest::newRow("the other way round") << QByteArray("offscreen") << QStringList{"-platform", "xcb"} << true;
    QTest::newRow("double dash") << QByteArray("-") << QStringList{"--platform", "offscreen"} << false;
    QTest::newRow("a file named like a platform") << QByteArray("xcb") << QStringList{"offscreen"} << true;
    QTest::newRow("-platform last, no name") << QByteArray("offscreen") << QStringList{"file.oma", "-platform"} << false;
}

namespace {

// argv as main() gets it, after the program's name.
struct Arguments
{
    explicit Arguments(const QStringList &arguments)
    {
        texts.push_back("ohmara");
        for (const QString &a : arguments)
            texts.push_back(a.toLocal8Bit());
        for (QByteArray &t : texts)
            pointers.push_back(t.data());
        pointers.push_back(nullptr);
    }
    int argc() const { return int(texts.size()); }
    char **argv() { return pointers.data(); }

    std::vector<QByteArray> texts;
    std::vector<char *> pointers;
};

// An environment as handed to the code run before the initialisers; "-" leaves the variable out.
Arguments environment_with_platform(const QByteArray &platform)
{
    QStringList variables{"HOME=/home/user"};
    if (platform != "-")
        variables.push_back(QString::fromLatin1("QT_QPA_PLATFORM=" + platform));
    // A longer name after it, which must not be taken for it.
    variables.push_back("QT_QPA_PLATFORMTHEME=gtk3");
    Arguments environment(variables);
    environment.pointers.erase(environment.pointers.begin()); // no program name here
    return environment;
}

} // namespace

void tst_threads::display_server()
{
    QFETCH(QByteArray, environment);
    QFETCH(QStringList, arguments);
    QFETCH(bool, server);
    Arguments args(arguments);
    Arguments variables = environment_with_platform(environment);
    QCOMPARE(has_display_server(args.argc(), args.argv(), variables.argv()), server);
}

void tst_threads::display_server_from_the_process_environment_data()
{
    QTest::addColumn<QByteArray>("environment");
    QTest::addColumn<bool>("server");
    QTest::newRow("offscreen") << QByteArray("offscreen") << false;
    QTest::newRow("X11") << QByteArray("xcb") << true;
}

void tst_threads::display_server_from_the_process_environment()
{
    QFETCH(QByteArray, environment);
    QFETCH(bool, server);
    const QByteArray saved = qgetenv("QT_QPA_PLATFORM");
    const bool was_set = qEnvironmentVariableIsSet("QT_QPA_PLATFORM");
    const auto restore = qScopeGuard([&] {
        if (was_set)
            qputenv("QT_QPA_PLATFORM", saved);
        else
            qunsetenv("QT_QPA_PLATFORM");
    });
    qputenv("QT_QPA_PLATFORM", environment);
    Arguments args({});
    QCOMPARE(has_display_server(args.argc(), args.argv()), server);
}

void tst_threads::reader_before_initialisers_data()
{
    QTest::addColumn<QByteArray>("environment");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("early");
    QTest::newRow("offscreen") << QByteArray("offscreen") << QStringList{} << true;
    QTest::newRow("minimal, by argument") << QByteArray("xcb") << QStringList{"-platform", "minimal"} << true;
    QTest::newRow("X11") << QByteArray("xcb") << QStringList{} << false;
    QTest::newRow("nothing named") << QByteArray("-") << QStringList{} << false;
}

void tst_threads::reader_before_initialisers()
{
    QFETCH(QByteArray, environment);
    QFETCH(QStringList, arguments);
    QFETCH(bool, early);
    Arguments args(arguments);
    Arguments variables = environment_with_platform(environment);
    QVERIFY(!FontConfigurationAhead::started_early());
    FontConfigurationAhead::start_before_initialisers(args.argc(), args.argv(), variables.argv());
    QCOMPARE(FontConfigurationAhead::started_early(), early);
    // A second call finds the first reader.
    FontConfigurationAhead::start_before_initialisers(args.argc(), args.argv(), variables.argv());
    QCOMPARE(FontConfigurationAhead::started_early(), early);
    {
        FontConfigurationAhead fonts(args.argc(), args.argv());
        // Taken over by the object main() makes, which waits for it.
        QVERIFY(!FontConfigurationAhead::started_early());
        fonts.wait();
    }
    QVERIFY(!FontConfigurationAhead::started_early());
}

QTEST_GUILESS_MAIN(tst_threads)
#include "tst_threads.moc"
