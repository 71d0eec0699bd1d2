#include "model/standard_values.h"
#include "numbers/parse.h"

#include <QRandomGenerator>
#include <QTest>

#include <cfloat>
#include <cmath>
#include <limits>

// The standard part values: the published series, the nearest members of an answer, and the
// best pair of two parts.
class tst_standard_values : public QObject
{
    Q_OBJECT

private slots:
    void series_data();
    void series();
    void nearest_data();
    void nearest();
    void neighbours_enclose_the_answer();
    void no_better_pair_exists();
};

void tst_standard_values::series_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<QString>("members"); // a few members, "-" before one that is not
    QTest::newRow("E3") << 3 << "1 2.2 4.7 -3.3";
    QTest::newRow("E6") << 6 << "1 1.5 3.3 6.8 -8.2";
    QTest::newRow("E12") << 12 << "1.2 2.7 3.9 8.2 -9.1";
    QTest::newRow("E24, the published exceptions") << 24 << "2.7 3 3.3 3.6 3.9 4.3 4.7 8.2 9.1 -2.6 -2.9 -3.2 -3.5 -3.8 -4.2 -4.6 -8.3";
    QTest::newRow("E48") << 48 << "1 1.05 4.64 9.53 -9.76";
    QTest::newRow("E96") << 96 << "1 1.02 4.64 9.76 -9.8";
    QTest::newRow("E192, 9.20 for 9.19") << 192 << "1 1.01 9.2 9.88 -9.19";
}

void tst_standard_values::series()
{
    QFETCH(int, size);
    QFETCH(QString, members);
    int count = 0;
    const double *v = eseries_values(size, count);
    QCOMPARE(count, size);
    QCOMPARE(v[0], 1.0);
    for (int i = 1; i < count; ++i)
        QVERIFY(v[i] > v[i - 1] && v[i] < 10);
    for (const QString &m : members.split(' ')) {
        const double x = m.mid(m.startsWith('-')).toDouble();
        QCOMPARE(std::find(v, v + count, x) != v + count, !m.startsWith('-'));
    }
}

void tst_standard_values::nearest_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<double>("x");
    QTest::addColumn<QString>("shown"); // the window's text; empty when there is no suggestion
    const double inf = std::numeric_limits<double>::infinity();
    QTest::newRow("between") << 24 << 7056.83 << "6.8k (-3.64 %) \xc2\xb7 7.5k (+6.28 %); 7.5k parallel 120k = 7.06k (+0.03 %)";
    QTest::newRow("a member") << 12 << 4.7e-6 << "4.7u (+0.00 %) \xc2\xb7 4.7u (+0.00 %)";
    QTest::newRow("just below a member") << 12 << 4.69e-6 << "3.9u (-16.84 %) \xc2\xb7 4.7u (+0.21 %); 4.7u parallel 2.2m = 4.69u (-0.00 %)";
    QTest::newRow("decade edge") << 24 << 9.9e3 << "9.1k (-8.08 %) \xc2\xb7 10k (+1.01 %); 2.4k series 7.5k = 9.9k (+0.00 %)";
    QTest::newRow("small") << 6 << 3e-13 << "0.22p (-26.67 %) \xc2\xb7 0.33p (+10.00 %); 0.15p series 0.15p = 0.3p (+0.00 %)";
    QTest::newRow("largest double has no member above") << 3 << DBL_MAX << "1e+299G (-44.37 %); 4.7e+298G series 1e+299G = 1.47e+299G (-18.23 %)";
    QTest::newRow("smallest normal double") << 24 << DBL_MIN << "2.2e-296p (-1.13 %) \xc2\xb7 2.4e-296p (+7.86 %)";
    QTest::newRow("subnormal") << 24 << 1e-309 << "";
    QTest::newRow("zero") << 24 << 0.0 << "";
    QTest::newRow("negative") << 24 << -47.0 << "";
    QTest::newRow("infinite") << 24 << inf << "";
    QTest::newRow("NaN") << 24 << std::nan("") << "";
    QTest::newRow("no series") << 10 << 47.0 << "";
}

void tst_standard_values::nearest()
{
    QFETCH(int, size);
    QFETCH(double, x);
    QFETCH(QString, shown);
    QCOMPARE(QString::fromStdString(standard_values(size, x).text(true, Component::Resistance)), shown);
}

// Below and above are members (their texts read back as themselves) that enclose the answer
// with no member between them.
void tst_standard_values::neighbours_enclose_the_answer()
{
    QRandomGenerator rng(36);
    for (int trial = 0; trial < 3000; ++trial) {
        const int size = SERIES_SIZES[rng.bounded(SERIES_COUNT)];
        const double x = std::pow(10.0, rng.bounded(27.0) - 15.0);
        const StandardValues sv = standard_values(size, x);
        QVERIFY(sv.has_below && sv.has_above && sv.below <= x * (1 + 1e-12) && sv.above >= x * (1 - 1e-12));
        int count = 0;
        const double *v = eseries_values(size, count);
        for (double m : {sv.below, sv.above}) {
            Complex back{};
            QCOMPARE(parse_value(QString::fromStdString(part_text(m)), back), int(KIND_REAL));
            QVERIFY(std::fabs(back.re / m - 1) < 1e-12);
        }
        for (int d = -1; d <= 1; ++d) {
            const double decade = std::pow(10.0, std::floor(std::log10(sv.below)) + d);
            QVERIFY(std::none_of(v, v + count, [&](double e) { return std::fabs(e * decade / sv.below - 1) < 1e-9; }) == (d != 0));
            for (int i = 0; i < count; ++i)
                QVERIFY(!(v[i] * decade > sv.below * (1 + 1e-9) && v[i] * decade < sv.above * (1 - 1e-9)));
        }
    }
}

// For random targets between 1 and 10, no pair of members from 0.1 to 1000 comes closer than
// the pair found, and the pair's value is what its deviation says.
void tst_standard_values::no_better_pair_exists()
{
    QRandomGenerator rng(2);
    int count = 0;
    const double *v = eseries_values(24, count);
    QList<double> members;
    for (double d : {0.1, 1.0, 10.0, 100.0})
        for (int i = 0; i < count; ++i)
            members << v[i] * d;
    for (int trial = 0; trial < 200; ++trial) {
        const double x = 1.0 + rng.bounded(9.0);
        const StandardValues sv = standard_values(24, x);
        double best = std::fmin(std::fabs(sv.below_deviation), std::fabs(sv.above_deviation));
        if (sv.has_pair) {
            const double value = sv.reciprocal ? sv.first * sv.second / (sv.first + sv.second) : sv.first + sv.second;
            QVERIFY(std::fabs((value - x) / x * 100 - sv.pair_deviation) < 1e-9);
            QVERIFY(std::fabs(sv.pair_deviation) < best);
            best = std::fabs(sv.pair_deviation);
        }
        for (double a : members) {
            for (double b : members) {
                for (double value : {a + b, a * b / (a + b)})
                    QVERIFY2(std::fabs((value - x) / x * 100) >= best - 1e-9, qPrintable(QString("%1: %2, %3").arg(x).arg(a).arg(b)));
            }
        }
    }
}

QTEST_APPLESS_MAIN(tst_standard_values)
#include "tst_standard_values.moc"
