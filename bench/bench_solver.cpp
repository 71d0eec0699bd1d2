// solve_linear_system against Eigen's PartialPivLU on the same random systems, real and
// complex, at 4, 10 and 20 unknowns. Both sides pay for copying the system in.
#include "network/solver.h"

#include "bench/ratio_reporter.h"

#include <Eigen/Dense>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>

namespace {

LinearSystem random_system(int n, bool complex)
{
    std::mt19937_64 rng(20 + n + (complex ? 100 : 0));
    std::uniform_real_distribution<double> d(-1.0, 1.0);
    LinearSystem s{};
    for (int r = 0; r < n; ++r) {
        for (int c = 0; c < n; ++c)
            s.solver_matrix[r][c] = {d(rng) + (r == c ? n : 0), complex ? d(rng) : 0.0};
        s.solver_vector[r] = {d(rng), complex ? d(rng) : 0.0};
    }
    return s;
}

void ohmara_solve(benchmark::State &state, bool complex)
{
    const int n = int(state.range(0));
    const LinearSystem original = random_system(n, complex);
    LinearSystem work{};
    int step = -1;
    for (auto _ : state) {
        // The n x n system in, as Eigen's side copies it; the rest of the arrays is unused.
        for (int r = 0; r < n; ++r) {
            std::copy_n(original.solver_matrix[r], n, work.solver_matrix[r]);
            work.solver_vector[r] = original.solver_vector[r];
        }
        benchmark::DoNotOptimize(solve_linear_system(work, n, complex ? 3 : 1, step));
        benchmark::DoNotOptimize(work.solver_vector);
    }
}

template<typename Scalar>
void eigen_solve(benchmark::State &state, bool complex)
{
    using Matrix = Eigen::Matrix<Scalar, Eigen::Dynamic, Eigen::Dynamic>;
    using Vector = Eigen::Matrix<Scalar, Eigen::Dynamic, 1>;
    const int n = int(state.range(0));
    const LinearSystem original = random_system(n, complex);
    Matrix a(n, n);
    Vector b(n), x(n);
    Eigen::PartialPivLU<Matrix> lu(n);
    for (auto _ : state) {
        for (int r = 0; r < n; ++r) {
            for (int c = 0; c < n; ++c) {
                const Complex &z = original.solver_matrix[r][c];
                if constexpr (std::is_same_v<Scalar, double>)
                    a(r, c) = z.re;
                else
                    a(r, c) = Scalar(z.re, z.im);
            }
            const Complex &z = original.solver_vector[r];
            if constexpr (std::is_same_v<Scalar, double>)
                b(r) = z.re;
            else
                b(r) = Scalar(z.re, z.im);
        }
        lu.compute(a);
        x.noalias() = lu.solve(b);
        benchmark::DoNotOptimize(x.data());
    }
}

void real_ohmara(benchmark::State &s) { ohmara_solve(s, false); }
void real_eigen(benchmark::State &s) { eigen_solve<double>(s, false); }
void complex_ohmara(benchmark::State &s) { ohmara_solve(s, true); }
void complex_eigen(benchmark::State &s) { eigen_solve<std::complex<double>>(s, true); }

BENCHMARK(real_ohmara)->Arg(4)->Arg(10)->Arg(20)->Repetitions(7)->ReportAggregatesOnly(true);
BENCHMARK(real_eigen)->Arg(4)->Arg(10)->Arg(20)->Repetitions(7)->ReportAggregatesOnly(true);
BENCHMARK(complex_ohmara)->Arg(4)->Arg(10)->Arg(20)->Repetitions(7)->ReportAggregatesOnly(true);
BENCHMARK(complex_eigen)->Arg(4)->Arg(10)->Arg(20)->Repetitions(7)->ReportAggregatesOnly(true);

} // namespace

int main(int argc, char **argv)
{
    // The target holds at 20 unknowns; the smaller sizes are reported for the record.
    return run_with_ratios(argc, argv,
                           {{"real_ohmara/4", "real_eigen/4", 1.0},
                            {"real_ohmara/10", "real_eigen/10", 1.0},
                            {"real_ohmara/20", "real_eigen/20", 1.0},
                            {"complex_ohmara/4", "complex_eigen/4", RatioReporter::RECORDED},
                            {"complex_ohmara/10", "complex_eigen/10", RatioReporter::RECORDED},
                            {"complex_ohmara/20", "complex_eigen/20", 1.0}});
}
