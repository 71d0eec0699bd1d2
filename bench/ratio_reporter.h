#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <ostream>
#include <string>
#include <vector>

// Prints each measured pair as a ratio of medians against its baseline from the same run,
// with the target it must meet. Benchmarks register with repetitions so medians exist.
class RatioReporter : public benchmark::ConsoleReporter
{
public:
    struct Pair
    {
        std::string subject;
        std::string baseline;
        double target;
    };

    explicit RatioReporter(std::vector<Pair> pairs)
        : m_pairs(std::move(pairs))
    {}

    void ReportRuns(const std::vector<Run> &runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run &r : runs) {
            if (r.run_type == Run::RT_Aggregate && r.aggregate_name == "median")
                m_times[r.run_name.function_name
                        + (r.run_name.args.empty() ? "" : "/" + r.run_name.args)] = r.GetAdjustedCPUTime();
        }
    }

    // False when a ratio misses its target.
    bool report_ratios()
    {
        bool ok = true;
        for (const Pair &p : m_pairs) {
            const auto s = m_times.find(p.subject);
            const auto b = m_times.find(p.baseline);
            if (s == m_times.end() || b == m_times.end() || b->second <= 0)
                continue;
            const double ratio = s->second / b->second;
            const bool met = ratio <= p.target;
            ok = ok && met;
            char line[256];
            std::snprintf(line, sizeof line, "%-28s / %-28s = %.2f  (target <= %.1f: %s)\n",
                          p.subject.c_str(), p.baseline.c_str(), ratio, p.target,
                          met ? "met" : "MISSED");
            GetOutputStream() << line;
        }
        return ok;
    }

private:
    std::vector<Pair> m_pairs;
    std::map<std::string, double> m_times;
};

// main() of every benchmark executable: run, then judge the ratios.
inline int run_with_ratios(int argc, char **argv, std::vector<RatioReporter::Pair> pairs)
{
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter(std::move(pairs));
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return reporter.report_ratios() ? 0 : 1;
}
