#include "network/solver.h"

#include <QRandomGenerator>
#include <QTest>

#include <cmath>
#include <cstring>
#include <limits>
#include <utility>

using Matrix = QList<QList<Complex>>;
using Vector = QList<Complex>;
Q_DECLARE_METATYPE(Complex)

namespace {

const double Inf = std::numeric_limits<double>::infinity();
const double NaN = std::numeric_limits<double>::quiet_NaN();

bool same_bits(double a, double b)
{
    // Which NaN an operation on NaNs yields depends on the order the compiler gives its
    // operands; every other value must match to the bit.
    return (std::isnan(a) && std::isnan(b)) || std::memcmp(&a, &b, sizeof a) == 0;
}

bool same_bits(const Complex &a, const Complex &b)
{
    return same_bits(a.re, b.re) && same_bits(a.im, b.im);
}

LinearSystem load(const Matrix &a, const Vector &b)
{
    LinearSystem s{};
    for (int r = 0; r < a.size(); ++r) {
        for (int c = 0; c < a.size(); ++c)
            s.solver_matrix[r][c] = a[r][c];
        s.solver_vector[r] = b[r];
    }
    return s;
}

// The elimination exactly as stated, step by step and entry by entry, with no shortcut: the
// reference the solver's faster paths must match bit for bit.
int literal_solve(LinearSystem &s, int n, bool complex, int &failed_step)
{
    auto &a = s.solver_matrix;
    auto &b = s.solver_vector;
    auto mag = [&](const Complex &z) { return complex ? norm(z) : std::fabs(z.re); };
    auto div = [&](Complex &z, const Complex &p) {
        if (complex)
            z = z / p;
        else
            z.re = z.re / p.re;
    };
    auto sub = [&](Complex &z, const Complex &f, const Complex &w) {
        if (complex)
            z = z - f * w;
        else
            z.re = z.re - f.re * w.re;
    };
    for (int k = 0; k < n; ++k) {
        double best = mag(a[k][k]);
        int p = k;
        for (int i = k + 1; i < n; ++i) {
            if (mag(a[i][k]) > best) {
                best = mag(a[i][k]);
                p = i;
            }
        }
        if (p != k) {
            for (int j = 0; j < n; ++j)
                std::swap(a[k][j], a[p][j]);
            std::swap(b[k], b[p]);
        }
        if (complex ? (a[k][k].re == 0 && a[k][k].im == 0) : a[k][k].re == 0) {
            failed_step = k;
            return SOLVE_SINGULAR;
        }
        const Complex pivot = a[k][k];
        for (int j = 0; j < n; ++j)
            div(a[k][j], pivot);
        div(b[k], pivot);
        for (int i = k + 1; i < n; ++i) {
            const Complex f = a[i][k];
            for (int j = k; j < n; ++j)
                sub(a[i][j], f, a[k][j]);
            sub(b[i], f, b[k]);
        }
    }
    for (int i = n - 1; i >= 1; --i) {
        for (int r = i - 1; r >= 0; --r) {
            const Complex f = a[r][i];
            for (int j = i; j >= 0; --j)
                sub(a[r][j], f, a[i][j]);
            sub(b[r], f, b[i]);
        }
    }
    return SOLVE_OK;
}

double pick(QRandomGenerator &rng, bool adversarial)
{
    if (!adversarial)
        return rng.bounded(2.0) - 1.0;
    // Small integers and signed zeros: exact cancellations leave zeros above the diagonal.
    static const double small[] = {0.0, -0.0, 1.0, -1.0, 2.0, -2.0, 3.0};
    if (rng.bounded(2u) == 0)
        return small[rng.bounded(7u)];
    // Zeros of both signs, ties, tiny and huge magnitudes, infinities and NaN.
    static const double special[] = {0.0, -0.0, 1.0, -1.0, 2.0, 1e-300, -1e-300, 1e300, 4.9e-324,
                                     Inf, -Inf, NaN, 0.5, -2.0};
    const quint32 roll = rng.bounded(20u);
    return roll < 14 ? special[roll] : rng.bounded(2.0) - 1.0;
}

} // namespace

class tst_solver : public QObject
{
    Q_OBJECT

private slots:
    void examples_data();
    void examples();
    void matches_literal_algorithm_data();
    void matches_literal_algorithm();
    void random_systems_solve_data();
    void random_systems_solve();
};

void tst_solver::examples_data()
{
    QTest::addColumn<Matrix>("a");
    QTest::addColumn<Vector>("b");
    QTest::addColumn<int>("flags");
    QTest::addColumn<int>("result");
    QTest::addColumn<int>("step");
    QTest::addColumn<Vector>("x");
    const int R = 1, C = 3, OK = SOLVE_OK, SING = SOLVE_SINGULAR;
    QTest::newRow("n 0") << Matrix{} << Vector{} << R << OK << -1 << Vector{};
    QTest::newRow("n 1") << Matrix{{{2, 0}}} << Vector{{6, 0}} << R << OK << -1 << Vector{{3, 0}};
    QTest::newRow("n 1 zero") << Matrix{{{0, 0}}} << Vector{{6, 0}} << R << SING << 0 << Vector{};
    QTest::newRow("pivot from row 1") << Matrix{{{0, 0}, {1, 0}}, {{1, 0}, {0, 0}}} << Vector{{2, 0}, {3, 0}} << R << OK << -1 << Vector{{3, 0}, {2, 0}};
    QTest::newRow("upper triangular") << Matrix{{{1, 0}, {5, 0}}, {{0, 0}, {1, 0}}} << Vector{{11, 0}, {2, 0}} << R << OK << -1 << Vector{{1, 0}, {2, 0}};
    QTest::newRow("dependent rows") << Matrix{{{1, 0}, {2, 0}}, {{2, 0}, {4, 0}}} << Vector{{1, 0}, {1, 0}} << R << SING << 1 << Vector{};
    QTest::newRow("tie keeps row 0") << Matrix{{{2, 0}, {1, 0}}, {{2, 0}, {1, 0}}} << Vector{{1, 0}, {1, 0}} << R << SING << 1 << Vector{};
    QTest::newRow("zero column") << Matrix{{{0, 0}, {1, 0}}, {{0, 0}, {2, 0}}} << Vector{{1, 0}, {1, 0}} << R << SING << 0 << Vector{};
    QTest::newRow("3 x 3") << Matrix{{{2, 0}, {1, 0}, {1, 0}}, {{4, 0}, {-6, 0}, {0, 0}}, {{-2, 0}, {7, 0}, {2, 0}}} << Vector{{5, 0}, {-2, 0}, {9, 0}} << R << OK << -1 << Vector{{1, 0}, {1, 0}, {2, 0}};
    QTest::newRow("complex") << Matrix{{{1, 1}, {0, 0}}, {{0, 0}, {2, 0}}} << Vector{{2, 0}, {4, 0}} << C << OK << -1 << Vector{{1, -1}, {2, 0}};
    QTest::newRow("norm picks 3 over 2+2i") << Matrix{{{2, 2}, {1, 0}}, {{3, 0}, {0, 0}}} << Vector{{3, 2}, {3, 0}} << C << OK << -1 << Vector{{1, 0}, {1, 0}};
    QTest::newRow("tiny pivot is used") << Matrix{{{1e-300, 0}}} << Vector{{1e-300, 0}} << R << OK << -1 << Vector{{1, 0}};
    QTest::newRow("real mode ignores imaginary parts") << Matrix{{{2, 5}}} << Vector{{6, 0}} << R << OK << -1 << Vector{{3, 0}};
}

void tst_solver::examples()
{
    QFETCH(Matrix, a);
    QFETCH(Vector, b);
    QFETCH(int, flags);
    QFETCH(int, result);
    QFETCH(int, step);
    QFETCH(Vector, x);
    LinearSystem s = load(a, b);
    int failed = -1;
    QCOMPARE(solve_linear_system(s, int(a.size()), flags, failed), result);
    QCOMPARE(failed, step);
    for (int r = 0; r < x.size(); ++r) {
        QCOMPARE(s.solver_vector[r].re, x[r].re);
        QCOMPARE(s.solver_vector[r].im, x[r].im);
    }
}

// Random and adversarial systems of every size, real and complex: the solver's answer, code
// and failed step are those of the literal algorithm, to the bit.
void tst_solver::matches_literal_algorithm_data()
{
    QTest::addColumn<bool>("complex");
    QTest::addColumn<bool>("adversarial");
    QTest::newRow("real random") << false << false;
    QTest::newRow("real adversarial") << false << true;
    QTest::newRow("complex random") << true << false;
    QTest::newRow("complex adversarial") << true << true;
}

void tst_solver::matches_literal_algorithm()
{
    QFETCH(bool, complex);
    QFETCH(bool, adversarial);
    QRandomGenerator rng(complex * 2 + adversarial + 1);
    for (int trial = 0; trial < 3000; ++trial) {
        const int n = 1 + int(rng.bounded(SOLVER_MAX_N));
        // Sparse systems too: zeros above the diagonal send real solves down the full path.
        const bool sparse = rng.bounded(3u) == 0;
        LinearSystem s{};
        for (int r = 0; r < n; ++r) {
            for (int c = 0; c < n; ++c) {
                const bool zero = sparse && r != c && rng.bounded(2u) == 0;
                s.solver_matrix[r][c] = {zero ? 0.0 : pick(rng, adversarial),
                                         complex && !zero ? pick(rng, adversarial) : 0.0};
            }
            s.solver_vector[r] = {pick(rng, adversarial), complex ? pick(rng, adversarial) : 0.0};
        }
        LinearSystem reference = s;
        int step = -1, reference_step = -1;
        const int result = solve_linear_system(s, n, complex ? 3 : 1, step);
        QCOMPARE(result, literal_solve(reference, n, complex, reference_step));
        QCOMPARE(step, reference_step);
        if (result != SOLVE_OK)
            continue;
        for (int r = 0; r < n; ++r) {
            QVERIFY2(same_bits(s.solver_vector[r], reference.solver_vector[r]),
                     qPrintable(QString("trial %1, n %2, x[%3]").arg(trial).arg(n).arg(r)));
        }
    }
}

void tst_solver::random_systems_solve_data()
{
    QTest::addColumn<bool>("complex_matrix");
    QTest::addColumn<bool>("complex_rhs");
    QTest::newRow("real") << false << false;
    QTest::newRow("complex") << true << true;
    QTest::newRow("complex coefficients, real right-hand sides") << true << false;
}

// Well-conditioned systems of every size solve with a tiny residual; a real system leaves
// exact zero imaginary parts.
void tst_solver::random_systems_solve()
{
    QFETCH(bool, complex_matrix);
    QFETCH(bool, complex_rhs);
    QRandomGenerator rng(42);
    for (int n = 1; n <= SOLVER_MAX_N; ++n) {
        LinearSystem s{};
        for (int r = 0; r < n; ++r) {
            for (int c = 0; c < n; ++c)
                s.solver_matrix[r][c] = {rng.bounded(2.0) - 1 + (r == c ? n : 0),
                                         complex_matrix ? rng.bounded(2.0) - 1 : 0.0};
            s.solver_vector[r] = {rng.bounded(2.0) - 1, complex_rhs ? rng.bounded(2.0) - 1 : 0.0};
        }
        const LinearSystem original = s;
        const int flags = complex_matrix || complex_rhs ? 3 : 1;
        int step = -1;
        QCOMPARE(solve_linear_system(s, n, flags, step), int(SOLVE_OK));
        double residual = 0, size = 0;
        for (int r = 0; r < n; ++r) {
            Complex sum{0, 0};
            for (int c = 0; c < n; ++c)
                sum = sum + original.solver_matrix[r][c] * s.solver_vector[c];
            residual += norm(sum - original.solver_vector[r]);
            size += norm(original.solver_vector[r]);
            if (flags == 1)
                QCOMPARE(s.solver_vector[r].im, 0.0);
        }
        QVERIFY2(std::sqrt(residual) <= 1e-13 * std::sqrt(size), qPrintable(QString::number(n)));
    }
}

QTEST_APPLESS_MAIN(tst_solver)
#include "tst_solver.moc"
