// Whole-process start-up and memory: the program against an empty QMainWindow program built
// the same way, each started afresh by startup_probe. The time is the probe's own, from the
// application object's construction to the end of the first paint; the memory is its peak
// resident set after start-up and after a 20 x 20 solve.
#include "bench/ratio_reporter.h"

#include <QProcess>
#include <QStringList>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

namespace {

void process_startup(benchmark::State &state, const char *program)
{
    double started_kb = 0;
    double solved_kb = 0;
    for (auto _ : state) {
        QProcess probe;
        probe.start(QStringLiteral(OHMARA_STARTUP_PROBE), {QString::fromLatin1(program)});
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
        state.SetIterationTime(double(ns) * 1e-9);
        started_kb += double(started);
        solved_kb += double(solved);
    }
    state.counters["peak_kB_started"] =
        benchmark::Counter(started_kb, benchmark::Counter::kAvgIterations);
    state.counters["peak_kB_solved"] =
        benchmark::Counter(solved_kb, benchmark::Counter::kAvgIterations);
}

BENCHMARK_CAPTURE(process_startup, ohmara, "ohmara")
    ->UseManualTime()
    ->Iterations(10)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(process_startup, empty, "empty")
    ->UseManualTime()
    ->Iterations(10)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    return run_with_ratios(argc, argv,
        {{"process_startup/ohmara", "process_startup/empty", 1.3, "real_time"},
            {"process_startup/ohmara", "process_startup/empty", 1.3, "peak_kB_started"},
            {"process_startup/ohmara", "process_startup/empty", 1.3, "peak_kB_solved"}});
}
