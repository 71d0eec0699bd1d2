// parse_value against QString::toDouble alone on the same texts, and format_value against one
// snprintf("%.*g") of the same values. Each pair runs in the same process, so the ratio the
// reporter prints holds on whatever machine runs it.
#include "numbers/format.h"
#include "numbers/parse.h"

#include "bench/ratio_reporter.h"

#include <QString>
#include <QStringList>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <vector>

namespace {

// What users type: plain numbers, suffixed values, complex impedances and some mistakes.
QStringList typed_texts()
{
    return {"4.7k", "100n", "2.2u", "1.5", "10", "330", "0.047", "1e-3", "5 k", "47M",
            "32+i79.57", "3.4-j1e-3", "5k+i3K", "-12.5", "1G", "22p", "4M7", "10nF", "",
            "0.5m"};
}

std::vector<double> shown_values()
{
    return {7056.83, 0.05, 1234567.0, 3.3, -0.0001, 2.2e-6, 1e18, 0.5, -47000.0, 123.456,
            1.16199e-3, 0.693147e-3, 9.99999999, 1.5e9, -1.5e-9, 100.0};
}

void parse_value_mix(benchmark::State &state)
{
    const QStringList texts = typed_texts();
    for (auto _ : state) {
        for (const QString &t : texts) {
            Complex z;
            benchmark::DoNotOptimize(parse_value(t, z));
            benchmark::DoNotOptimize(z);
        }
    }
}

void toDouble_mix(benchmark::State &state)
{
    const QStringList texts = typed_texts();
    for (auto _ : state) {
        for (const QString &t : texts) {
            bool ok;
            benchmark::DoNotOptimize(t.toDouble(&ok));
            benchmark::DoNotOptimize(ok);
        }
    }
}

void format_value_mix(benchmark::State &state)
{
    const std::vector<double> values = shown_values();
    char buf[FORMAT_BUFFER_SIZE];
    for (auto _ : state) {
        for (double v : values)
            benchmark::DoNotOptimize(format_value(buf, v, 9));
        benchmark::ClobberMemory();
    }
}

void snprintf_mix(benchmark::State &state)
{
    const std::vector<double> values = shown_values();
    char buf[FORMAT_BUFFER_SIZE];
    for (auto _ : state) {
        for (double v : values)
            benchmark::DoNotOptimize(std::snprintf(buf, sizeof buf, "%.*g", 9, v));
        benchmark::ClobberMemory();
    }
}

// Medians of several repetitions: a single run on a shared machine wanders by a third.
BENCHMARK(parse_value_mix)->Repetitions(7)->ReportAggregatesOnly(true);
BENCHMARK(toDouble_mix)->Repetitions(7)->ReportAggregatesOnly(true);
BENCHMARK(format_value_mix)->Repetitions(7)->ReportAggregatesOnly(true);
BENCHMARK(snprintf_mix)->Repetitions(7)->ReportAggregatesOnly(true);

} // namespace

int main(int argc, char **argv)
{
    return run_with_ratios(argc, argv,
                           {{"parse_value_mix", "toDouble_mix", 1.5},
                            {"format_value_mix", "snprintf_mix", 3.0}});
}
