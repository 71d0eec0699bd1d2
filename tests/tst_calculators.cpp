#include "calculators/capacitor.h"
#include "calculators/ohms_law.h"
#include "calculators/rlc.h"
#include "numbers/format.h"

#include <QTest>

#include <cmath>
#include <limits>

Q_DECLARE_METATYPE(RealCalculator)
Q_DECLARE_METATYPE(Complex)

namespace {

const double Inf = std::numeric_limits<double>::infinity();
const double NaN = std::numeric_limits<double>::quiet_NaN();

// What the tab would show: the guard's message, or the answer at the default 9 characters.
QString shown(const Outcome &out, int width = 9)
{
    char buf[FORMAT_BUFFER_SIZE];
    switch (out.kind) {
    case Outcome::Kind::Message: return QString::fromLatin1(out.message);
    case Outcome::Kind::Answer: return QString::fromLatin1(format_value(buf, out.value, width));
    case Outcome::Kind::Nothing: break;
    }
    return QStringLiteral("(nothing)");
}

} // namespace

// Every real-valued tab's formula: the selected unknown and the stored values in field order,
// the text the unknown's field then shows.
class tst_calculators : public QObject
{
    Q_OBJECT

private slots:
    void formulas_data();
    void formulas();
    void rlc_data();
    void rlc();
    void rlc_round_trips_data();
    void rlc_round_trips();
};

void tst_calculators::formulas_data()
{
    QTest::addColumn<RealCalculator>("formula");
    QTest::addColumn<int>("unknown");
    QTest::addColumn<QList<double>>("values");
    QTest::addColumn<int>("width");
    QTest::addColumn<QString>("text");
    using L = QList<double>;
    const RealCalculator ohm = ohms_law;
    QTest::newRow("ohm V = R I") << ohm << 0 << L{99, 2, 3} << 9 << "6";
    QTest::newRow("ohm V, I zero") << ohm << 0 << L{99, 0, 3} << 9 << "0        ";
    QTest::newRow("ohm V negative") << ohm << 0 << L{0, -2, 3} << 9 << "-6";
    QTest::newRow("ohm V overflows") << ohm << 0 << L{0, 1e300, 1e300} << 9 << "inf";
    QTest::newRow("ohm I = V / R") << ohm << 1 << L{5, 99, 1000} << 9 << "5e-3";
    QTest::newRow("ohm I, R zero") << ohm << 1 << L{10, 99, 0} << 9 << "divide by zero";
    QTest::newRow("ohm I, R negative zero") << ohm << 1 << L{10, 99, -0.0} << 9 << "divide by zero";
    QTest::newRow("ohm I, V and R zero") << ohm << 1 << L{0, 99, 0} << 9 << "divide by zero";
    QTest::newRow("ohm I, R NaN is no zero") << ohm << 1 << L{1, 99, NaN} << 9 << "nan";
    QTest::newRow("ohm R = V / I") << ohm << 2 << L{10, 4, 99} << 9 << "2.5000000";
    QTest::newRow("ohm R, V zero") << ohm << 2 << L{0, 5, 99} << 9 << "0        ";
    QTest::newRow("ohm R, I zero") << ohm << 2 << L{10, 0, 99} << 9 << "divide by zero";
    QTest::newRow("ohm unknown out of range") << ohm << 3 << L{1, 1, 1} << 9 << "(nothing)";

    // Positions Vt, Vo, t, R, C.
    const RealCalculator chg = capacitor_charge;
    QTest::newRow("charge Vt, all 1") << chg << 0 << L{99, 1, 1, 1, 1} << 9 << "0.6321206";
    QTest::newRow("charge Vt, R zero") << chg << 0 << L{99, 1, 1, 0, 1} << 9 << "RC is zero";
    QTest::newRow("charge Vt, C zero") << chg << 0 << L{99, 1, 1, 1, 0} << 9 << "RC is zero";
    QTest::newRow("charge Vo") << chg << 1 << L{0.5, 99, 1, 1, 1} << 9 << "0.7909884";
    QTest::newRow("charge Vo, RC zero first") << chg << 1 << L{0.5, 99, 0, 0, 1} << 9 << "RC is zero";
    QTest::newRow("charge Vo, t zero") << chg << 1 << L{0.5, 99, 0, 1, 1} << 9 << "(1-e^t/RC) is zero";
    QTest::newRow("charge t, R 8.2k") << chg << 2 << L{2.5, 3.3, 99, 8200, 100e-9} << 9 << "1.1620e-3";
    QTest::newRow("charge t, R 10k") << chg << 2 << L{2.5, 3.3, 99, 10e3, 100e-9} << 9 << "1.4171e-3";
    QTest::newRow("charge t, Vt equals Vo") << chg << 2 << L{3.3, 3.3, 99, 1, 1} << 9 << "Vt >= V0 error";
    QTest::newRow("charge t, Vt above Vo") << chg << 2 << L{4, 3.3, 99, 1, 1} << 9 << "Vt >= V0 error";
    QTest::newRow("charge t, V0 zero tested first") << chg << 2 << L{1, 0, 99, 1, 1} << 9 << "V0 is zero";
    QTest::newRow("charge t, NaN passes the voltage test") << chg << 2 << L{NaN, 3.3, 99, 1, 1} << 9 << "nan";
    QTest::newRow("charge R, help example") << chg << 3 << L{2.5, 3.3, 1e-3, 99, 100e-9} << 9 << "7.05683e3";
    QTest::newRow("charge R, V0 zero") << chg << 3 << L{2.5, 0, 1e-3, 99, 100e-9} << 9 << "V0 is zero";
    QTest::newRow("charge R, Vt zero unguarded") << chg << 3 << L{0, 3.3, 1e-3, 99, 100e-9} << 9 << "-inf";
    QTest::newRow("charge C") << chg << 4 << L{2.5, 3.3, 1e-3, 7056.834, 99} << 9 << "100e-9";
    QTest::newRow("charge C, Vt above Vo") << chg << 4 << L{5, 3.3, 1e-3, 1, 99} << 9 << "Vt >= V0 error";
    QTest::newRow("charge unknown out of range") << chg << 5 << L{1, 1, 1, 1, 1} << 9 << "(nothing)";

    const RealCalculator dis = capacitor_discharge;
    QTest::newRow("discharge Vt, all 1") << dis << 0 << L{99, 1, 1, 1, 1} << 9 << "0.3678794";
    QTest::newRow("discharge Vt, RC zero") << dis << 0 << L{99, 1, 1, 1, 0} << 9 << "RC is zero";
    QTest::newRow("discharge Vo") << dis << 1 << L{0.5, 99, 1, 1, 1} << 9 << "1.3591409";
    QTest::newRow("discharge Vo, e^-t/RC underflows") << dis << 1 << L{1, 99, 1e6, 1, 1} << 9 << "(e^t/RC) is zero";
    QTest::newRow("discharge t, ln 2 ms") << dis << 2 << L{1, 2, 99, 1e3, 1e-6} << 9 << "693.15e-6";
    QTest::newRow("discharge t, Vt equals Vo") << dis << 2 << L{2, 2, 99, 1, 1} << 9 << "Vt >= V0 error";
    QTest::newRow("discharge t, Vt zero unguarded") << dis << 2 << L{0, 2, 99, 1, 1} << 9 << "inf";
    QTest::newRow("discharge R") << dis << 3 << L{1, 2, 0.693147e-3, 99, 1e-6} << 9 << "999.99974";
    QTest::newRow("discharge R, V0 zero") << dis << 3 << L{1, 0, 1, 99, 1} << 9 << "V0 is zero";
    QTest::newRow("discharge C") << dis << 4 << L{1, 2, 1e-3, 1e3, 99} << 9 << "1.4427e-6";

    // Positions t, C, V, I.
    const RealCalculator cc = constant_current;
    QTest::newRow("cc t") << cc << 0 << L{99, 1000e-6, 1, 10e-3} << 9 << "0.1000000";
    QTest::newRow("cc t, I zero") << cc << 0 << L{99, 1, 1, 0} << 9 << "I is zero";
    QTest::newRow("cc C") << cc << 1 << L{2, 99, 4, 3} << 9 << "1.5000000";
    QTest::newRow("cc C, V zero") << cc << 1 << L{2, 99, 0, 3} << 9 << "V is zero";
    QTest::newRow("cc V") << cc << 2 << L{2, 3, 99, 6} << 9 << "4";
    QTest::newRow("cc V, C zero") << cc << 2 << L{2, 0, 99, 6} << 9 << "C is zero";
    QTest::newRow("cc I") << cc << 3 << L{20e-3, 470e-6, 0.5, 99} << 9 << "11.750e-3";
    QTest::newRow("cc I, t zero") << cc << 3 << L{0, 470e-6, 0.5, 99} << 9 << "t is zero";
    QTest::newRow("cc I, V zero is no guard") << cc << 3 << L{1, 1, 0, 99} << 9 << "0        ";

    // Positions R, C, Fc.
    const RealCalculator rc = rc_filter;
    QTest::newRow("rc Fc, all 1") << rc << 2 << L{1, 1, 99} << 9 << "0.1591549";
    QTest::newRow("rc Fc") << rc << 2 << L{1e3, 100e-9, 99} << 9 << "1.59155e3";
    QTest::newRow("rc Fc, C zero") << rc << 2 << L{1e3, 0, 99} << 9 << "RC is zero";
    QTest::newRow("rc Fc, NaN is no zero") << rc << 2 << L{NaN, 1, 99} << 9 << "nan";
    QTest::newRow("rc C") << rc << 1 << L{1e3, 99, 1e3} << 9 << "159.15e-9";
    QTest::newRow("rc C, R zero") << rc << 1 << L{0, 99, 1e3} << 9 << "RxFc is zero";
    QTest::newRow("rc R") << rc << 0 << L{99, 100e-9, 1e3} << 9 << "1.59155e3";
    QTest::newRow("rc R, Fc zero") << rc << 0 << L{99, 100e-9, 0} << 9 << "RxC is zero";
    QTest::newRow("rc R, negative Fc") << rc << 0 << L{99, 1, -Inf} << 9 << "-0       ";
    // At 32 characters the last bits show: each answer must come from its operands combined in
    // the written order (the R and Fc of one RC stage differ in their 17th digit for that reason).
    QTest::newRow("charge Vt") << RealCalculator(capacitor_charge) << 0 << L{99, 1, 1, 1, 1} << 32 << "0.632120558828557665975722557050";
    QTest::newRow("charge R") << RealCalculator(capacitor_charge) << 3 << L{2.5, 3.3, 1e-3, 99, 100e-9} << 32 << "7.0568342338105152222738070122e3";
    QTest::newRow("charge t") << RealCalculator(capacitor_charge) << 2 << L{2.5, 3.3, 99, 8200, 100e-9} << 32 << "1.161994136225048324106978725e-3";
    QTest::newRow("discharge t") << RealCalculator(capacitor_discharge) << 2 << L{1, 2, 99, 1e3, 1e-6} << 32 << "693.1471805599452409296645783e-6";
    QTest::newRow("rc Fc") << RealCalculator(rc_filter) << 2 << L{1e3, 100e-9, 99} << 32 << "1.5915494309189537336379771659e3";
    QTest::newRow("rc R") << RealCalculator(rc_filter) << 0 << L{99, 100e-9, 1e3} << 32 << "1.5915494309189535115933722409e3";
    QTest::newRow("cc I") << RealCalculator(constant_current) << 3 << L{20e-3, 470e-6, 0.5, 99} << 32 << "11.75000000000000000000000000e-3";
}

void tst_calculators::formulas()
{
    QFETCH(RealCalculator, formula);
    QFETCH(int, unknown);
    QFETCH(QList<double>, values);
    QFETCH(int, width);
    QFETCH(QString, text);
    QCOMPARE(shown(formula(unknown, values.constData()), width), text);
}

// Stored R, L, C, F, Z in; the unknown's field text and the panel's lines out ("=" when the
// panel is left as it was).
void tst_calculators::rlc_data()
{
    QTest::addColumn<int>("circuit");
    QTest::addColumn<int>("unknown");
    QTest::addColumn<QList<double>>("in"); // R, L, C, F, Re Z, Im Z
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("panel");
    using L = QList<double>;
    const int S = RLC_SERIES, P = RLC_PARALLEL, X = RLC_L_R_PARALLEL_C;
    QTest::newRow("series Z, defaults") << S << 4 << L{1, 1, 1, 1, 0, 0} << "1+i6.1240304" << "|Z| = 6.2051388|Current lagging by:|    1.41 Rad.|    80.73 Deg.|Res. freq: 0.1591549 Hz|Zind = 6.2831853|Zcap= -0.159155";
    QTest::newRow("series Z, F zero") << S << 4 << L{2, 1, 1, 0, 7, 7} << "Zero F or C" << "|Z| = 7.2801099|Current lagging by:|    1.29 Rad.|    74.05 Deg.|Res. freq: 0.1591549 Hz|Zind = 0        |Zcap= inf.";
    QTest::newRow("series R") << S << 0 << L{9, 1, 1, 1, 5, 0} << "5" << "|Z| = 5|Current leading by:|    -0.00 Rad.|    -0.00 Deg.|Res. freq: 0.1591549 Hz|Zind = 6.2831853|Zcap= -0.159155";
    QTest::newRow("series L, F zero keeps the panel") << S << 1 << L{1, 1, 1, 0, 1, 1} << "Zero F or C" << "=";
    QTest::newRow("series C, divide by zero") << S << 2 << L{1, 1, 1, 1, 1, 6.283185307179586} << "Divide by zero" << "|Z| = 6.3622651|Current lagging by:|    1.41 Rad.|    80.96 Deg.|Res. freq: 0.1591549 Hz|Zind = 6.2831853|Zcap= -0.159155";
    QTest::newRow("series F, resonance") << S << 3 << L{5, 1e-3, 1e-6, 1, 5, 0} << "5.03292e3" << "|Z| = 5|Current leading by:|    -0.00 Rad.|    -0.00 Deg.|Res. freq: 5.03292e3 Hz|Zind = 31.622777|Zcap= -31.62278";
    QTest::newRow("series F, no solution") << S << 3 << L{1, -1, 1, 1, 1, 0} << "No solution" << "|Z| = 1|Current leading by:|    -0.00 Rad.|    -0.00 Deg.|Res. freq: nan Hz|Zind = -6.283185|Zcap= -0.159155";
    QTest::newRow("series R, Z zero leads") << S << 0 << L{1, 1, 1, 1, 0, 0} << "0        " << "|Z| = 0        |Current leading by:|    nan Rad.|     nan Deg.|Res. freq: 0.1591549 Hz|Zind = 6.2831853|Zcap= -0.159155";
    QTest::newRow("parallel Z, defaults") << P << 4 << L{1, 1, 1, 1, 0, 0} << "25.971e-3+i-0.159050" << "|Z| = 0.1611567|Current leading by:|    1.41 Rad.|    80.73 Deg.|Res. freq: 0.1591549 Hz|Zind = 6.28319|Zcap= -0.159155";
    QTest::newRow("parallel Z, R zero") << P << 4 << L{0, 1, 1, 1, 3, 4} << "Zero R" << "|Z| = 5|Current lagging by:|    0.93 Rad.|    53.13 Deg.|Res. freq: 0.1591549 Hz|Zind = 6.28319|Zcap= -0.159155";
    QTest::newRow("parallel Z, F zero") << P << 4 << L{1, 1, 1, 0, 3, 4} << "Zero F or L" << "|Z| = 5|Current lagging by:|    0.93 Rad.|    53.13 Deg.|Res. freq: 0.1591549 Hz|Zind = 0|Zcap= inf.";
    QTest::newRow("parallel R from 1/Z") << P << 0 << L{9, 1, 1, 1, 0.02597149769913799, -0.15905024051035466} << "1" << "|Z| = 0.1611567|Current leading by:|    1.41 Rad.|    80.73 Deg.|Res. freq: 0.1591549 Hz|Zind = 6.28319|Zcap= -0.159155";
    QTest::newRow("parallel R, no conductance") << P << 0 << L{9, 1, 1, 1, 0, 1} << "Zero Re(1/Z)" << "|Z| = 1|Current lagging by:|    1.57 Rad.|    90.00 Deg.|Res. freq: 0.1591549 Hz|Zind = 6.28319|Zcap= -0.159155";
    QTest::newRow("parallel L, F zero") << P << 1 << L{1, 1, 1, 0, 1, 0} << "Zero Freq." << "|Z| = 1|Current leading by:|    -0.00 Rad.|    -0.00 Deg.|Res. freq: 0.1591549 Hz|Zind = 0|Zcap= inf.";
    QTest::newRow("L+R//C Z, no resonance") << X << 4 << L{1, 1, 1, 1, 0, 0} << "657.87e-6+i-0.163184" << "|Z| = 0.1631851|Current leading by:|    1.57 Rad.|    89.77 Deg.|No resonance|Zind = 6.2831853|Zcap = -0.159155";
    QTest::newRow("L+R//C Z, R and F zero") << X << 4 << L{0, 1, 1, 0, 1, 0} << "Zero R+iwL" << "|Z| = 1|Current leading by:|    -0.00 Rad.|    -0.00 Deg.|Res. freq: 0.1591549 Hz|Zind = 0        |Zcap= inf.";
    QTest::newRow("L+R//C L, F zero") << X << 1 << L{1, 1, 1, 0, 1, 0} << "Zero Freq." << "|Z| = 1|Current leading by:|    -0.00 Rad.|    -0.00 Deg.|No resonance|Zind = 0        |Zcap= inf.";
    QTest::newRow("L+R//C C, R and F zero") << X << 2 << L{0, 1, 1, 0, 1, 0} << "Divide by 0" << "|Z| = 1|Current leading by:|    -0.00 Rad.|    -0.00 Deg.|Res. freq: 0.1591549 Hz|Zind = 0        |Zcap= inf.";
    QTest::newRow("L+R//C C, F zero") << X << 2 << L{1, 1, 1, 0, 1, 0} << "Zero freq." << "|Z| = 1|Current leading by:|    -0.00 Rad.|    -0.00 Deg.|No resonance|Zind = 0        |Zcap= inf.";
    QTest::newRow("other circuit") << 3 << 4 << L{1, 1, 1, 1, 0, 0} << "" << "=";
}

void tst_calculators::rlc()
{
    QFETCH(int, circuit);
    QFETCH(int, unknown);
    QFETCH(QList<double>, in);
    QFETCH(QString, field);
    QFETCH(QString, panel);
    RlcValues v{in[0], in[1], in[2], in[3], {in[4], in[5]}};
    const RlcResult out = solve_rlc(circuit, unknown, v, 9);
    QCOMPARE(QString::fromLatin1(out.field), field);
    QStringList lines;
    for (const char *line : out.lines)
        lines << QString::fromLatin1(line);
    QCOMPARE(out.panel ? lines.join('|') : QString("="), panel);
}

// Z from R, L, C and F, then each of them solved back from that Z: the circuit's formulas
// must invert each other.
void tst_calculators::rlc_round_trips_data()
{
    QTest::addColumn<int>("circuit");
    QTest::addColumn<QList<double>>("rlcf");
    QTest::newRow("series") << int(RLC_SERIES) << QList<double>{47, 1e-3, 100e-9, 2e3};
    QTest::newRow("parallel") << int(RLC_PARALLEL) << QList<double>{4.7e3, 10e-3, 47e-9, 5e3};
    QTest::newRow("L + R // C") << int(RLC_L_R_PARALLEL_C) << QList<double>{10, 1e-3, 1e-6, 3e3};
}

void tst_calculators::rlc_round_trips()
{
    QFETCH(int, circuit);
    QFETCH(QList<double>, rlcf);
    RlcValues forward{rlcf[0], rlcf[1], rlcf[2], rlcf[3], {0, 0}};
    QVERIFY(solve_rlc(circuit, 4, forward, 9).solved);
    for (int unknown = 0; unknown < 4; ++unknown) {
        RlcValues back = forward;
        double *slot[] = {&back.r, &back.l, &back.c, &back.f};
        *slot[unknown] = 12345.0;
        solve_rlc(circuit, unknown, back, 9);
        QVERIFY2(std::fabs(*slot[unknown] / rlcf[unknown] - 1) < 1e-9,
                 qPrintable(QString("unknown %1: %2").arg(unknown).arg(*slot[unknown], 0, 'g', 17)));
    }
}

QTEST_APPLESS_MAIN(tst_calculators)
#include "tst_calculators.moc"
