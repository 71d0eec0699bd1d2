#include "calculators/ohms_law.h"

#include <QTest>

#include <cmath>
#include <cstring>
#include <limits>

Q_DECLARE_METATYPE(RealCalculator)

namespace {

const double Inf = std::numeric_limits<double>::infinity();
const double NaN = std::numeric_limits<double>::quiet_NaN();

} // namespace

// Every real-valued tab's formula: the selected unknown and the stored values in, the answer
// or the guard's message out. An empty message column means an answer is expected.
class tst_calculators : public QObject
{
    Q_OBJECT

private slots:
    void formulas_data();
    void formulas();
};

void tst_calculators::formulas_data()
{
    QTest::addColumn<RealCalculator>("formula");
    QTest::addColumn<int>("unknown");
    QTest::addColumn<QList<double>>("values");
    QTest::addColumn<double>("answer");
    QTest::addColumn<QString>("message");
    const RealCalculator ohm = ohms_law;
    QTest::newRow("ohm V = R I") << ohm << 0 << QList<double>{99, 2, 3} << 6.0 << "";
    QTest::newRow("ohm V negative") << ohm << 0 << QList<double>{0, -2, 3} << -6.0 << "";
    QTest::newRow("ohm V overflows") << ohm << 0 << QList<double>{0, 1e300, 1e300} << Inf << "";
    QTest::newRow("ohm I = V / R") << ohm << 1 << QList<double>{5, 99, 1000} << 0.005 << "";
    QTest::newRow("ohm I, R zero") << ohm << 1 << QList<double>{10, 99, 0} << 0.0 << "divide by zero";
    QTest::newRow("ohm I, R negative zero") << ohm << 1 << QList<double>{10, 99, -0.0} << 0.0 << "divide by zero";
    QTest::newRow("ohm I, V and R zero") << ohm << 1 << QList<double>{0, 99, 0} << 0.0 << "divide by zero";
    QTest::newRow("ohm I, R NaN is no zero") << ohm << 1 << QList<double>{1, 99, NaN} << NaN << "";
    QTest::newRow("ohm R = V / I") << ohm << 2 << QList<double>{10, 4, 99} << 2.5 << "";
    QTest::newRow("ohm R, V zero") << ohm << 2 << QList<double>{0, 5, 99} << 0.0 << "";
    QTest::newRow("ohm R, I zero") << ohm << 2 << QList<double>{10, 0, 99} << 0.0 << "divide by zero";
    QTest::newRow("ohm unknown out of range") << ohm << 3 << QList<double>{1, 1, 1} << 0.0 << "-";
}

void tst_calculators::formulas()
{
    QFETCH(RealCalculator, formula);
    QFETCH(int, unknown);
    QFETCH(QList<double>, values);
    QFETCH(double, answer);
    QFETCH(QString, message);
    const Outcome out = formula(unknown, values.constData());
    if (message == "-") {
        QCOMPARE(out.kind, Outcome::Kind::Nothing);
    } else if (!message.isEmpty()) {
        QCOMPARE(out.kind, Outcome::Kind::Message);
        QCOMPARE(QString::fromLatin1(out.message), message);
    } else {
        QCOMPARE(out.kind, Outcome::Kind::Answer);
        // Exact bits: these are the numbers the user is shown.
        QVERIFY2(std::memcmp(&out.value, &answer, sizeof answer) == 0 || out.value == answer,
                 qPrintable(QString::number(out.value, 'g', 17)));
    }
}

QTEST_APPLESS_MAIN(tst_calculators)
#include "tst_calculators.moc"
