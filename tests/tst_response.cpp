// Frequency responses: the RC stage and the RLC circuits pass through what their tabs show,
// and sweeps cover exactly the frequencies asked for.

#include "calculators/response.h"
#include "model/tab_state.h"
#include "numbers/format.h"

#include <QtTest>

#include <algorithm>
#include <cmath>

class tst_response : public QObject
{
    Q_OBJECT

private slots:
    void ranges_data();
    void ranges();
    void bad_ranges_data();
    void bad_ranges();
    void rc_stage_data();
    void rc_stage();
    void rlc_through_the_tab_data();
    void rlc_through_the_tab();
    void series_resonance();
    void csv();
};

void tst_response::ranges_data()
{
    QTest::addColumn<double>("from");
    QTest::addColumn<double>("to");
    QTest::addColumn<int>("points");
    QTest::addColumn<bool>("log");
    QTest::addColumn<QString>("frequencies");
    QTest::newRow("log, a decade a step") << 1.0 << 1000.0 << 4 << true << "1 10 100 1000";
    QTest::newRow("log, half decades") << 10.0 << 1000.0 << 5 << true << "10 31.622776601683793 100 316.22776601683796 1000";
    QTest::newRow("linear") << 0.0 << 1.0 << 5 << false << "0 0.25 0.5 0.75 1";
    QTest::newRow("one point") << 50.0 << 50.0 << 1 << true << "50";
}

void tst_response::ranges()
{
    QFETCH(double, from);
    QFETCH(double, to);
    QFETCH(int, points);
    QFETCH(bool, log);
    QFETCH(QString, frequencies);
    SweepRange r{from, to, points, log ? SweepRange::Spacing::Log : SweepRange::Spacing::Linear};
    QCOMPARE(sweep_range_error(r), QString());
    QStringList shown;
    for (double f : sweep_frequencies(r))
        shown << QString::fromStdString(shortest_text(f));
    QCOMPARE(shown.join(' '), frequencies);
}

void tst_response::bad_ranges_data()
{
    QTest::addColumn<double>("from");
    QTest::addColumn<double>("to");
    QTest::addColumn<int>("points");
    QTest::addColumn<bool>("log");
    QTest::addColumn<QString>("error");
    QTest::newRow("log from zero") << 0.0 << 1.0 << 3 << true << "the sweep needs frequencies above 0 Hz";
    QTest::newRow("negative") << -1.0 << 1.0 << 3 << false << "the sweep needs frequencies above 0 Hz";
    QTest::newRow("infinite") << 1.0 << qInf() << 3 << true << "the sweep needs frequencies above 0 Hz";
    QTest::newRow("backwards") << 2.0 << 1.0 << 3 << true << "the sweep ends below its start";
    QTest::newRow("no points") << 1.0 << 2.0 << 0 << true << "a sweep takes 1 to 100000 points";
    QTest::newRow("too many points") << 1.0 << 2.0 << 100001 << false << "a sweep takes 1 to 100000 points";
}

void tst_response::bad_ranges()
{
    QFETCH(double, from);
    QFETCH(double, to);
    QFETCH(int, points);
    QFETCH(bool, log);
    QFETCH(QString, error);
    SweepRange r{from, to, points, log ? SweepRange::Spacing::Log : SweepRange::Spacing::Linear};
    QCOMPARE(sweep_range_error(r), error);
    QVERIFY(sweep_frequencies(r).empty());
}

// The stage's gain and phase at multiples of Fc, and Fc itself among the points of a sweep.
void tst_response::rc_stage_data()
{
    QTest::addColumn<double>("ratio"); // f / Fc
    QTest::addColumn<QString>("gain"); // dB, 5 significant digits
    QTest::addColumn<QString>("phase");
    QTest::newRow("at Fc") << 1.0 << "-3.0103" << "-45";
    QTest::newRow("a decade below") << 0.1 << "-0.043214" << "-5.7106";
    QTest::newRow("a decade above") << 10.0 << "-20.043" << "-84.289";
    QTest::newRow("two decades above") << 100.0 << "-40" << "-89.427";
}

void tst_response::rc_stage()
{
    QFETCH(double, ratio);
    QFETCH(QString, gain);
    QFETCH(QString, phase);
    const double fc = 1.0 / (6.283185307179586 * 1e3 * 100e-9);
    const ResponsePoint p = rc_filter_point(fc, ratio * fc);
    QCOMPARE(QString::number(p.magnitude, 'g', 5), gain);
    QCOMPARE(QString::number(p.phase_deg, 'g', 5), phase);
    const ResponseCurve curve = rc_filter_response(1e3, 100e-9, fc, nullptr);
    QCOMPARE(curve.error, QString());
    QCOMPARE(curve.marked, fc);
    QVERIFY(curve.points.front().frequency <= fc / 100 * 1.0000001 && curve.points.back().frequency >= fc * 99.99999);
    const auto at = std::find_if(curve.points.begin(), curve.points.end(), [fc](const ResponsePoint &q) { return q.frequency == fc; });
    QVERIFY(at != curve.points.end());
    QCOMPARE(QString::number(at->magnitude, 'g', 5), QString("-3.0103"));
}

// Each circuit's curve at the tab's own F shows the panel's |Z| to the tab's digits, and
// marks the panel's resonance.
void tst_response::rlc_through_the_tab_data()
{
    QTest::addColumn<int>("circuit");
    QTest::addColumn<QStringList>("typed"); // R, L, C, F
    QTest::addColumn<int>("digits");
    QTest::newRow("series") << 0 << QStringList{"47", "10m", "220n", "3.3k"} << 9;
    QTest::newRow("parallel") << 1 << QStringList{"1k", "2.2m", "4.7n", "50k"} << 12;
    QTest::newRow("L-R parallel C") << 2 << QStringList{"3.3", "100u", "1u", "10k"} << 7;
    QTest::newRow("far from resonance") << 0 << QStringList{"1", "1", "1", "1meg"} << 9;
}

void tst_response::rlc_through_the_tab()
{
    QFETCH(int, circuit);
    QFETCH(QStringList, typed);
    QFETCH(int, digits);
    TabState tab(TAB_RLC, digits);
    tab.select_circuit(circuit, digits);
    tab.select(4, digits);
    for (int i = 0; i < 4; ++i)
        tab.type(i, typed[i]);
    tab.recalculate(digits);
    const RlcValues v{tab.value(0).re, tab.value(1).re, tab.value(2).re, tab.value(3).re, tab.value(4)};
    const ResponseCurve curve = rlc_response(circuit, v, nullptr);
    QCOMPARE(curve.error, QString());
    const auto at = std::find_if(curve.points.begin(), curve.points.end(), [&v](const ResponsePoint &q) { return q.frequency == v.f; });
    QVERIFY2(at != curve.points.end(), "the tab's F is no point of the curve");
    char shown[FORMAT_BUFFER_SIZE];
    QCOMPARE(QStringLiteral("|Z| = %1").arg(QLatin1String(format_value(shown, at->magnitude, digits))), tab.panel().value(0));
    QCOMPARE(QStringLiteral("Res. freq: %1 Hz").arg(QLatin1String(format_value(shown, curve.marked, digits))), tab.panel().value(4));
}

// A series circuit's |Z| is least at f0, where it is R and its phase turns from negative to
// positive.
void tst_response::series_resonance()
{
    const RlcValues v{10, 1e-3, 1e-6, 1000, {0, 0}};
    const ResponseCurve curve = rlc_response(RLC_SERIES, v, nullptr);
    const auto least = std::min_element(curve.points.begin(), curve.points.end(),
                                        [](const ResponsePoint &a, const ResponsePoint &b) { return a.magnitude < b.magnitude; });
    QCOMPARE(least->frequency, curve.marked);
    QCOMPARE(QString::number(least->magnitude, 'g', 12), QString("10"));
    QVERIFY(std::abs(least->phase_deg) < 1e-9);
    QVERIFY((least - 1)->phase_deg < 0 && (least + 1)->phase_deg > 0);
    QCOMPARE(curve.points.front().frequency, 50.329212104487034);
}

void tst_response::csv()
{
    ResponseCurve gain;
    gain.magnitude_name = "Gain";
    gain.magnitude_unit = "dB";
    gain.points = {{1, -0.5, -10}, {1e3, -3.0103, -45.5}};
    QCOMPARE(QByteArray::fromStdString(response_csv({gain})), QByteArray("frequency_hz,gain_db,phase_deg\n1,-0.5,-10\n1000,-3.0103,-45.5\n"));
    ResponseCurve z = gain;
    z.magnitude_name = "V(Out)";
    z.magnitude_unit = "V";
    QCOMPARE(QByteArray::fromStdString(response_csv({gain, z})), QByteArray("frequency_hz,gain_db,gain_phase_deg,v(out)_v,v(out)_phase_deg\n1,-0.5,-10,-0.5,-10\n1000,-3.0103,-45.5,-3.0103,-45.5\n"));
}

QTEST_APPLESS_MAIN(tst_response)
#include "tst_response.moc"
