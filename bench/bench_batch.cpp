// `ohmara-cli --batch` end to end, process start to the last byte written, on a 100 000-line
// mix of seven commands (an RLC line with its panel, a complex delta-star line, a line whose
// value is no number). Judged against one microsecond a command, and recorded against `cat`
// copying the same batch to the same kind of file: the floor of reading and writing it.
#include "bench/ratio_reporter.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <random>
#include <string>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr int LINES = 100000;

const char *const MIX[] = {
    "ohm V I=2 R=3.3k",
    "ohm I V=x R=1",
    "charge R Vt=2.5 Vo=3.3 t=1m C=100n",
    "cccap t C=1u V=5 I=1m",
    "rcfilter Fc R=1k C=100n",
    "deltay to-star Rab=2+i4 Rbc=3 Rac=1",
    "rlc series Z R=1 L=1m C=1u F=1k",
};

const std::string BATCH = "/tmp/ohmara-bench-batch.txt";
const std::string OUTPUT = "/tmp/ohmara-bench-batch.out";

// Runs a program to its end, standard output into OUTPUT and messages thrown away.
bool run(const char *program, const char *a, const char *b)
{
    const pid_t child = fork();
    if (child == 0) {
        const int out = open(OUTPUT.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int null = open("/dev/null", O_WRONLY);
        dup2(out, 1);
        dup2(null, 2);
        execlp(program, program, a, b, static_cast<char *>(nullptr));
        _exit(127);
    }
    int status = 0;
    waitpid(child, &status, 0);
    // The batch holds a line that is no number: ohmara-cli ends with status 3.
    return WIFEXITED(status) && (WEXITSTATUS(status) == 0 || WEXITSTATUS(status) == 3);
}

void measure(benchmark::State &state, const char *program, const char *a, const char *b)
{
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        const bool ok = run(program, a, b);
        state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        if (!ok) {
            state.SkipWithError("the program failed");
            return;
        }
    }
    state.counters["commands_per_second"] =
        benchmark::Counter(double(state.iterations()) * LINES, benchmark::Counter::kIsRate);
}

void batch_end_to_end(benchmark::State &state)
{
    measure(state, OHMARA_CLI, "--batch", BATCH.c_str());
}

void cat_same_batch(benchmark::State &state)
{
    measure(state, "cat", BATCH.c_str(), nullptr);
}

BENCHMARK(batch_end_to_end)->UseManualTime()->Iterations(3)->Repetitions(5)->ReportAggregatesOnly(true)->Unit(benchmark::kMillisecond);
BENCHMARK(cat_same_batch)->UseManualTime()->Iterations(3)->Repetitions(5)->ReportAggregatesOnly(true)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    {
        std::ofstream batch(BATCH);
        std::mt19937 random(7);
        for (int i = 0; i < LINES; ++i)
            batch << MIX[random() % std::size(MIX)] << '\n';
    }
    // One microsecond a command: 100 000 commands in 100 ms, in the benchmarks' unit.
    const double one_microsecond_each = 1e-3 * LINES;
    const int status = run_with_ratios(argc, argv,
        {{"batch_end_to_end", "1 us a command", 1.0, "real_time", {}, one_microsecond_each},
         {"batch_end_to_end", "cat_same_batch", RatioReporter::RECORDED, "real_time"}});
    std::remove(BATCH.c_str());
    std::remove(OUTPUT.c_str());
    return status;
}
