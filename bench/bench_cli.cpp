// ohmara-cli's batch work, one command line at a time through run_cli, against the bare
// parse_value and format_value of the same values: what the command layer costs on top of
// the numbers. The commands per second are printed as a counter (target: 100 000).
#include "cli/cli.h"
#include "numbers/format.h"
#include "numbers/parse.h"

#include "bench/ratio_reporter.h"

#include <QString>

#include <benchmark/benchmark.h>

#include <sstream>

namespace {

const std::vector<std::vector<std::string>> COMMANDS = {
    {"ohm", "V", "I=2", "R=3.3k"},
    {"charge", "R", "Vt=2.5", "Vo=3.3", "t=1m", "C=100n"},
    {"rcfilter", "Fc", "R=1k", "C=100n"},
    {"deltay", "to-star", "Rab=2+i4", "Rbc=3", "Rac=1"},
};

void cli_commands(benchmark::State &state)
{
    std::string out, err;
    for (auto _ : state) {
        for (const auto &args : COMMANDS) {
            out.clear();
            benchmark::DoNotOptimize(run_cli(args, out, err));
        }
    }
    state.counters["commands_per_second"] =
        benchmark::Counter(double(state.iterations() * COMMANDS.size()), benchmark::Counter::kIsRate);
}

void numbers_only(benchmark::State &state)
{
    char buf[FORMAT_BUFFER_SIZE];
    for (auto _ : state) {
        for (const auto &args : COMMANDS) {
            for (size_t i = 2; i < args.size(); ++i) {
                Complex z;
                const std::string &a = args[i];
                benchmark::DoNotOptimize(
                    parse_value(QString::fromStdString(a.substr(a.find('=') + 1)), z));
                benchmark::DoNotOptimize(format_value(buf, z.re, 9));
            }
        }
    }
}

BENCHMARK(cli_commands)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(numbers_only)->Repetitions(5)->ReportAggregatesOnly(true);

} // namespace

int main(int argc, char **argv)
{
    return run_with_ratios(argc, argv, {{"cli_commands", "numbers_only", RatioReporter::RECORDED}});
}
