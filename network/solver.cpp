#include "network/solver.h"

#include <cmath>
#include <utility>

namespace {

// The two arithmetics share one elimination; each says how to measure, test, divide and
// subtract. Real mode touches real parts only, so imaginary parts keep what was written,
// moving with their rows when rows are exchanged.
struct RealArithmetic
{
    static constexpr bool has_short_back_substitution = true;
    static double magnitude(const Complex &z) { return std::fabs(z.re); }
    static bool is_zero(const Complex &z) { return z.re == 0.0; }
    static void divide(Complex &z, const Complex &pivot) { z.re = z.re / pivot.re; }
    // z := z - f * w
    static void subtract_product(Complex &z, const Complex &f, const Complex &w)
    {
        z.re = z.re - f.re * w.re;
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
};

// After forward elimination every entry left of the diagonal is a zero of some sign (or a
// NaN, where infinities met). The full back substitution subtracts products of those zeros
// from the rows above, which changes nothing but the signs of entries that are zero
// themselves. When every entry above the diagonal is finite and nonzero, no such sign can
// reach the answer, and only the right-hand side needs updating: the same operations in the
// same order give the same bits.
bool short_back_substitution_is_exact(const Complex (*a)[SOLVER_MAX_N], int n)
{
    for (int r = 0; r < n; ++r) {
        for (int j = 0; j < r; ++j) {
            if (a[r][j].re != 0.0)
                return false;
        }
        for (int j = r + 1; j < n; ++j) {
            if (a[r][j].re == 0.0 || !std::isfinite(a[r][j].re))
                return false;
        }
    }
    return true;
}

template<typename Arithmetic>
int solve(Complex (*a)[SOLVER_MAX_N], Complex *b, int n, int &failed_step)
{
    // When row k is normalised, its entries left of the diagonal are zeros of some sign (or
    // NaN), and no later step changes that row. Only the full back substitution reads those
    // entries' signs; the test for the short one asks whether they are zero, which a division
    // cannot change. So their divisions wait until the full substitution needs them: the same
    // operations on the same values, and almost half the divisions saved when it does not run.
    Complex pivots[SOLVER_MAX_N];
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
        if (p != k) {
            for (int j = 0; j < n; ++j)
                std::swap(a[k][j], a[p][j]);
            std::swap(b[k], b[p]);
        }
        if (Arithmetic::is_zero(a[k][k])) {
            failed_step = k;
            return SOLVE_SINGULAR;
        }

        const Complex pivot = a[k][k];
        pivots[k] = pivot;
        for (int j = k; j < n; ++j)
            Arithmetic::divide(a[k][j], pivot);
        Arithmetic::divide(b[k], pivot);

        // Two rows at a time share each load of the pivot row; every entry still gets its
        // own one operation.
        int i = k + 1;
        for (; i + 1 < n; i += 2) {
            const Complex f = a[i][k];
            const Complex g = a[i + 1][k];
            for (int j = k; j < n; ++j) {
                const Complex w = a[k][j];
                Arithmetic::subtract_product(a[i][j], f, w);
                Arithmetic::subtract_product(a[i + 1][j], g, w);
            }
            Arithmetic::subtract_product(b[i], f, b[k]);
            Arithmetic::subtract_product(b[i + 1], g, b[k]);
        }
        if (i < n) {
            const Complex f = a[i][k];
            for (int j = k; j < n; ++j)
                Arithmetic::subtract_product(a[i][j], f, a[k][j]);
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
            const Complex f = a[r][i];
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
    if (kind_flags >= 2)
        return solve<ComplexArithmetic>(system.solver_matrix, system.solver_vector, n, failed_step);
    return solve<RealArithmetic>(system.solver_matrix, system.solver_vector, n, failed_step);
}
