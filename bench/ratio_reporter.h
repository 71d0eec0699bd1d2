#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
#include <limits>
#include <map>
#include <ostream>
#include <string>
#include <vector>

// Prints each measured pair as a ratio of medians against its baseline from the same run,
// with the target it must meet. Benchmarks register with repetitions so medians exist.
// A pair compares CPU time unless it names another metric: "real_time" (also the time a
// benchmark reports by hand) or one of the benchmarks' counters.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    // The target of a ratio that is reported for information and judged by nobody.
    static constexpr double RECORDED = std::numeric_limits<double>::infinity();

    struct Pair {
        std::string subject;
        std::string baseline;
        double target;
        std::string metric = {};
        // The baseline's metric where it differs from the subject's.
        std::string baseline_metric = {};
        // A baseline that is a fixed figure (a rate the issue asks for) rather than a run;
        // used when baseline names none of the benchmarks, and printed as its name.
        double fixed_baseline = 0;
    };

    explicit RatioReporter(std::vector<Pair> pairs)
        : m_pairs(std::move(pairs))
    {
    }

    void ReportRuns(const std::vector<Run> &runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run &r : runs) {
            if (r.run_type == Run::RT_Aggregate && r.aggregate_name == "median")
                m_medians.insert_or_assign(r.run_name.function_name +
                        (r.run_name.args.empty() ? "" : "/" + r.run_name.args),
                    r);
        }
    }

    // False when a ratio misses its target.
    bool report_ratios()
    {
        bool ok = true;
        for (const Pair &p : m_pairs) {
            const double subject = value(p.subject, p.metric);
            const double measured = value(p.baseline, p.baseline_metric.empty() ? p.metric : p.baseline_metric);
            const double baseline = measured > 0 ? measured : p.fixed_baseline;
            if (!(subject > 0) || !(baseline > 0))
                continue;
            const double ratio = subject / baseline;
            const bool met = ratio <= p.target;
            ok = ok && met;
            char verdict[64] = "(recorded)";
            if (p.target != RECORDED)
                std::snprintf(verdict, sizeof verdict, "(target <= %.3g: %s)", p.target,
                    met ? "met" : "MISSED");
            char line[256];
            std::snprintf(line, sizeof line, "%-28s / %-28s %s= %.2f  %s\n", p.subject.c_str(),
                p.baseline.c_str(), p.metric.empty() ? "" : (p.metric + " ").c_str(), ratio,
                verdict);
            GetOutputStream() << line;
        }
        return ok;
    }

private:
    // The median of a benchmark's metric; zero when the run or counter is missing.
    double value(const std::string &name, const std::string &metric) const
    {
        const auto run = m_medians.find(name);
        if (run == m_medians.end())
            return 0;
        if (metric.empty())
            return run->second.GetAdjustedCPUTime();
        if (metric == "real_time")
            return run->second.GetAdjustedRealTime();
        const auto counter = run->second.counters.find(metric);
        return counter == run->second.counters.end() ? 0 : double(counter->second);
    }

    std::vector<Pair> m_pairs;
    std::map<std::string, Run> m_medians;
};

// main() of every benchmark executable: run, then judge the ratios.
inline int run_with_ratios(int argc, char **argv, std::vector<RatioReporter::Pair> pairs)
{
    // Repetitions of a subject and its baseline interleaved in random order: on a shared
    // machine a slow spell then slows both sides of a ratio alike instead of one of them.
    std::vector<char *> args(argv, argv + argc);
    char interleave[] = "--benchmark_enable_random_interleaving=true";
    args.insert(args.begin() + 1, interleave);
    argc = int(args.size());
    argv = args.data();
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter(std::move(pairs));
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return reporter.report_ratios() ? 0 : 1;
}
