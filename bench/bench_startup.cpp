// Whole-process start-up and memory: the program against an empty QMainWindow program built
// the same way, each started afresh by startup_probe. A window holding one line edit is
// measured too: the gap between it and the empty one is what showing any text costs. The time is
// the probe's own, from the application object's construction to the end of the first paint; the
// memory is its peak resident set after start-up and after a 20 x 20 solve.
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

} // namespace

int main(int argc, char **argv)
{
    for (const char *program : {"ohmara", "text", "empty"}) {
        benchmark::RegisterBenchmark(
            (std::string("process_startup/") + program).c_str(), process_startup, program)
            ->UseManualTime()
            ->Iterations(10)
            ->Repetitions(5)
            ->ReportAggregatesOnly(true)
            ->Unit(benchmark::kMillisecond);
    }
    const std::string ohmara = "process_startup/ohmara";
    const std::string empty = "process_startup/empty";
    const std::string text = "process_startup/text";
    return run_with_ratios(argc, argv,
        {{ohmara, empty, 1.3, "real_time"}, {ohmara, empty, 1.3, "peak_kB_started"},
            {ohmara, empty, 1.3, "peak_kB_solved"},
            {text, empty, RatioReporter::RECORDED, "real_time"},
            {ohmara, text, RatioReporter::RECORDED, "real_time"},
            {ohmara, text, RatioReporter::RECORDED, "peak_kB_started"}});
}
