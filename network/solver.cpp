#include "network/solver.h"

#include <cmath>
#include <cstring>
#include <utility>

namespace {

// The two arithmetics share one elimination; each says how to measure, test, divide and
// subtract. Real mode touches real parts only, so imaginary parts keep what was written,
// moving with their rows when rows are exchanged.
//
// The real arithmetic on the real parts alone, copied into rows of plain doubles: the same
// operations on the same values in the same order, with twice as many entries to a cache line
// and rows the compiler can run through in vector registers.
struct DoubleArithmetic
{
    static constexpr bool has_short_back_substitution = true;
    static double magnitude(double x) { return std::fabs(x); }
    static bool is_zero(double x) { return x == 0.0; }
    static void divide(double &z, double pivot) { z = z / pivot; }
    static void subtract_product(double &z, double f, double w) { z = z - f * w; }

    // Two entries to a register, spelled out: the compiler will not vectorise these loops
    // itself, as it cannot tell that the rows do not overlap. Each lane does the scalar
    // operation, so the bits are those of the loops one entry at a time.
    using Pair = double __attribute__((vector_size(16)));
    static Pair load(const double *p)
    {
        Pair v;
        std::memcpy(&v, p, sizeof v);
        return v;
    }
    static void store(double *p, Pair v) { std::memcpy(p, &v, sizeof v); }

    static void divide_row(double *row, int from, int to, double pivot)
    {
        const Pair d = {pivot, pivot};
        int j = from;
        for (; j + 1 < to; j += 2)
            store(row + j, load(row + j) / d);
        if (j < to)
            divide(row[j], pivot);
    }
    static void subtract_row(double *row, const double *pivot_row, int from, int to, double f)
    {
        const Pair fv = {f, f};
        int j = from;
        for (; j + 1 < to; j += 2)
            store(row + j, load(row + j) - fv * load(pivot_row + j));
        if (j < to)
            subtract_product(row[j], f, pivot_row[j]);
    }
    // Two rows share each load of the pivot row.
    static void subtract_two_rows(double *row, double *next, const double *pivot_row, int from,
                                  int to, double f, double g)
    {
        const Pair fv = {f, f};
        const Pair gv = {g, g};
        int j = from;
        for (; j + 1 < to; j += 2) {
            const Pair w = load(pivot_row + j);
            store(row + j, load(row + j) - fv * w);
            store(next + j, load(next + j) - gv * w);
        }
        if (j < to) {
            subtract_product(row[j], f, pivot_row[j]);
            subtract_product(next[j], g, pivot_row[j]);
        }
    }
};

struct ComplexArithmetic
{
    // Complex products mix the signs of zero parts across parts; the full back substitution
    // is fast enough here, so it always runs.
    static constexpr bool has_short_back_substitution = false;
    static double magnitude(const Complex &z) { return norm(z); }
    static bool is_zero(const Complex &z) { return z.re == 0.0 && z.im == 0.0; }
    static void divide(Complex &z, const Complex &pivot) { z = z / pivot; }
    static void subtract_product(Complex &z, const Complex &f, const Complex &w)
    {
        z = z - f * w;
    }

    static void divide_row(Complex *row, int from, int to, const Complex &pivot)
    {
        for (int j = from; j < to; ++j)
            divide(row[j], pivot);
    }
    static void subtract_row(Complex *row, const Complex *pivot_row, int from, int to, const Complex &f)
    {
        for (int j = from; j < to; ++j)
            subtract_product(row[j], f, pivot_row[j]);
    }
    static void subtract_two_rows(Complex *row, Complex *next, const Complex *pivot_row, int from,
                                  int to, const Complex &f, const Complex &g)
    {
        for (int j = from; j < to; ++j) {
            subtract_product(row[j], f, pivot_row[j]);
            subtract_product(next[j], g, pivot_row[j]);
        }
    }
};

// After forward elimination every entry left of the diagonal is a zero of some sign (or a
// NaN, where infinities met). The full back substitution subtracts products of those zeros
// from the rows above, which changes nothing but the signs of entries that are zero
// themselves. When every entry above the diagonal is finite and nonzero, no such sign can
// reach the answer, and only the right-hand side needs updating: the same operations in the
// same order give the same bits.
bool short_back_substitution_is_exact(const double (*a)[SOLVER_MAX_N], int n)
{
    for (int r = 0; r < n; ++r) {
        for (int j = 0; j < r; ++j) {
            if (a[r][j] != 0.0)
                return false;
        }
        for (int j = r + 1; j < n; ++j) {
            if (a[r][j] == 0.0 || !std::isfinite(a[r][j]))
                return false;
        }
    }
    return true;
}

// Gauss-Jordan elimination with partial pivoting; `exchanged[k]` receives the row that
// step k exchanged with row k.
template<typename Arithmetic, typename T>
int solve(T (*a)[SOLVER_MAX_N], T *b, int n, int &failed_step, int *exchanged)
{
    // When row k is normalised, its entries left of the diagonal are zeros of some sign (or
    // NaN), and no later step changes that row. Only the full back substitution reads those
    // entries' signs; the test for the short one asks whether they are zero, which a division
    // cannot change. So their divisions wait until the full substitution needs them: the same
    // operations on the same values, and almost half the divisions saved when it does not run.
    T pivots[SOLVER_MAX_N];
    for (int k = 0; k < n; ++k) {
        // The earliest row of the largest magnitude wins: ties keep the upper row.
        double best = Arithmetic::magnitude(a[k][k]);
        int p = k;
        for (int i = k + 1; i < n; ++i) {
            const double m = Arithmetic::magnitude(a[i][k]);
            if (m > best) {
                best = m;
                p = i;
            }
        }
        exchanged[k] = p;
        if (p != k) {
            for (int j = 0; j < n; ++j)
                std::swap(a[k][j], a[p][j]);
            std::swap(b[k], b[p]);
        }
        if (Arithmetic::is_zero(a[k][k])) {
            failed_step = k;
            return SOLVE_SINGULAR;
        }

        const T pivot = a[k][k];
        pivots[k] = pivot;
        Arithmetic::divide_row(a[k], k, n, pivot);
        Arithmetic::divide(b[k], pivot);

        // Two rows at a time; every entry still gets its own one operation.
        int i = k + 1;
        for (; i + 1 < n; i += 2) {
            const T f = a[i][k];
            const T g = a[i + 1][k];
            Arithmetic::subtract_two_rows(a[i], a[i + 1], a[k], k, n, f, g);
            Arithmetic::subtract_product(b[i], f, b[k]);
            Arithmetic::subtract_product(b[i + 1], g, b[k]);
        }
        if (i < n) {
            const T f = a[i][k];
            Arithmetic::subtract_row(a[i], a[k], k, n, f);
            Arithmetic::subtract_product(b[i], f, b[k]);
        }
    }

    if constexpr (Arithmetic::has_short_back_substitution) {
        if (short_back_substitution_is_exact(a, n)) {
            for (int i = n - 1; i >= 1; --i) {
                for (int r = i - 1; r >= 0; --r)
                    Arithmetic::subtract_product(b[r], a[r][i], b[i]);
            }
            return SOLVE_OK;
        }
    }

    // Zeros above the diagonal, infinities or NaN: every entry is updated, so the signs of
    // zeros and the NaN that an infinite factor makes of a zero reach the answer as stated.
    for (int k = 1; k < n; ++k) {
        for (int j = 0; j < k; ++j)
            Arithmetic::divide(a[k][j], pivots[k]);
    }
    for (int i = n - 1; i >= 1; --i) {
        for (int r = i - 1; r >= 0; --r) {
            const T f = a[r][i];
            for (int j = i; j >= 0; --j)
                Arithmetic::subtract_product(a[r][j], f, a[i][j]);
            Arithmetic::subtract_product(b[r], f, b[i]);
        }
    }
    return SOLVE_OK;
}

} // namespace

int solve_linear_system(LinearSystem &system, int n, int kind_flags, int &failed_step)
{
    if (n <= 0)
        return SOLVE_OK;
    if (n > SOLVER_MAX_N)
        n = SOLVER_MAX_N;
    int exchanged[SOLVER_MAX_N];
    if (kind_flags >= 2)
        return solve<ComplexArithmetic>(system.solver_matrix, system.solver_vector, n, failed_step, exchanged);
    // Real: the real parts go through the elimination as plain doubles and the unknowns come
    // back; the imaginary parts of the right-hand side, which real arithmetic never touches,
    // move with their rows.
    double a[SOLVER_MAX_N][SOLVER_MAX_N];
    double b[SOLVER_MAX_N];
    for (int r = 0; r < n; ++r) {
        for (int c = 0; c < n; ++c)
            a[r][c] = system.solver_matrix[r][c].re;
        b[r] = system.solver_vector[r].re;
    }
    int step = -1;
    const int status = solve<DoubleArithmetic>(a, b, n, step, exchanged);
    if (status != SOLVE_OK)
        failed_step = step;
    const int steps = status == SOLVE_OK ? n : step + 1;
    for (int k = 0; k < steps; ++k) {
        if (exchanged[k] != k)
            std::swap(system.solver_vector[k].im, system.solver_vector[exchanged[k]].im);
    }
    for (int r = 0; r < n; ++r)
        system.solver_vector[r].re = b[r];
    return status;
}
