// Whole-process start-up and memory: the program (startup_probe) against a window holding one
// line edit and an empty QMainWindow (startup_baseline, linked against Qt Widgets alone), each
// started afresh. The time runs from just before the process is started to the end of its
// first paint, on the one monotonic clock both processes read: exec, loading the libraries,
// building and showing. The memory is the peak resident set after start-up and after a
// 20 x 20 solve. Offscreen unless QT_QPA_PLATFORM says otherwise (xcb under xvfb-run).
#include "bench/ratio_reporter.h"

#include <QProcess>
#include <QtGlobal>
#include <QStringList>

#include <chrono>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <sched.h>
#include <string>

namespace {

// Moves the calling thread to the next of the processors it may use, in turn, and leaves it
// free again: a process started now starts there. The processors of a shared machine are not
// equally fast (a spin loop pinned to each of this one's two took 8.4-9.0 ms on one and
// 9.6-10.3 ms on the other), and the program's font reader runs on another processor than its
// main thread while the baselines use one: started wherever the benchmark last woke up, a whole
// run could fall on the slow side for one program and not the other (1.13-1.42 over runs of 150
// starts each). In turn, each program starts as often from each processor.
void move_to_next_processor()
{
    static int turn = 0;
    cpu_set_t allowed;
    if (sched_getaffinity(0, sizeof allowed, &allowed) != 0 || CPU_COUNT(&allowed) < 2)
        return;
    int k = turn++ % CPU_COUNT(&allowed);
    for (int cpu = 0; cpu < CPU_SETSIZE; ++cpu) {
        if (CPU_ISSET(cpu, &allowed) && k-- == 0) {
            cpu_set_t one;
            CPU_ZERO(&one);
            CPU_SET(cpu, &one);
            sched_setaffinity(0, sizeof one, &one);
            break;
        }
    }
    sched_setaffinity(0, sizeof allowed, &allowed);
}

void process_startup(benchmark::State &state, const char *program)
{
    double started_kb = 0;
    double solved_kb = 0;
    for (auto _ : state) {
        move_to_next_processor();
        QProcess probe;
        const bool ours = std::string(program) == "ohmara";
        const auto before = std::chrono::steady_clock::now();
        probe.start(QString::fromLatin1(ours ? OHMARA_STARTUP_PROBE : OHMARA_STARTUP_BASELINE),
                    ours ? QStringList() : QStringList{QString::fromLatin1(program)});
        // A probe that never paints would hang the run; give it far more than it needs.
        const bool finished = probe.waitForFinished(30000);
        long long ns = 0;
        long started = 0;
        long solved = 0;
        if (!finished || probe.exitStatus() != QProcess::NormalExit || probe.exitCode() != 0 ||
            std::sscanf(probe.readAllStandardOutput().constData(), "%lld %ld %ld", &ns, &started,
                &solved) != 3) {
            probe.kill();
            probe.waitForFinished();
            const std::string why =
                "startup_probe failed: " + probe.readAllStandardError().toStdString();
            state.SkipWithError(why.c_str());
            break;
        }
        state.SetIterationTime(double(ns - std::chrono::duration_cast<std::chrono::nanoseconds>(before.time_since_epoch()).count()) * 1e-9);
        started_kb += double(started);
        solved_kb += double(solved);
    }
    state.counters["peak_kB_started"] =
        benchmark::Counter(started_kb, benchmark::Counter::kAvgIterations);
    state.counters["peak_kB_solved"] =
        benchmark::Counter(solved_kb, benchmark::Counter::kAvgIterations);
}

} // namespace

int main(int argc, char **argv)
{
    // For the processes started, which read it before anything else.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    for (const char *program : {"ohmara", "text", "empty"}) {
        benchmark::RegisterBenchmark(
            (std::string("process_startup/") + program).c_str(), process_startup, program)
            ->UseManualTime()
            // Each start a repetition of its own, in random order with the baselines': the
            // machine's slow spells last longer than a few starts, so each falls on few starts
            // of each side; and whatever a start leaves behind for the next (one right after
            // the program's is slower, for either side) falls on both sides alike. In blocks of
            // three, two of every three of the program's starts came right after its own.
            ->Iterations(1)
            ->Repetitions(150)
            ->ReportAggregatesOnly(true)
            ->Unit(benchmark::kMillisecond);
    }
    const std::string ohmara = "process_startup/ohmara";
    const std::string empty = "process_startup/empty";
    const std::string text = "process_startup/text";
    return run_with_ratios(argc, argv,
        {{ohmara, text, 1.3, "real_time"}, {ohmara, text, 1.2, "peak_kB_started"},
            {ohmara, text, 1.3, "peak_kB_solved"},
            {text, empty, RatioReporter::RECORDED, "real_time"},
            {ohmara, empty, RatioReporter::RECORDED, "real_time"}});
}
