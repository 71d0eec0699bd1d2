#include "numbers/complex.h"
#include "numbers/format.h"
#include "numbers/parse.h"

#include <QRandomGenerator>
#include <QString>
#include <QTest>

#include <cfloat>
#include <cmath>
#include <cstring>
#include <limits>

Q_DECLARE_METATYPE(Complex)

namespace {

const double NaN = std::numeric_limits<double>::quiet_NaN();
const double Inf = std::numeric_limits<double>::infinity();

bool same(double a, double b)
{
    return (std::isnan(a) && std::isnan(b)) || (a == b && std::signbit(a) == std::signbit(b));
}

// What a numeral is worth by Qt's own reading in the C locale, less infinity and NaN.
bool qt_number(QStringView text, double &value)
{
    bool ok = false;
    value = text.toDouble(&ok);
    ok = ok && std::isfinite(value);
    if (!ok)
        value = 0.0;
    return ok;
}

// A numeral conversion that differs from Qt's, or an empty text when they agree.
QString disagreement(const QString &text)
{
    double ours = 7.0, qts = 7.0;
    const bool ok = convert_number(text, ours);
    const bool qt_ok = qt_number(text, qts);
    if (ok == qt_ok && same(ours, qts))
        return {};
    return QString("'%1': %2 %3, Qt %4 %5").arg(text).arg(ok).arg(ours, 0, 'g', 17).arg(qt_ok).arg(qts, 0, 'g', 17);
}

QString text_of(double x, int width)
{
    char buf[FORMAT_BUFFER_SIZE];
    return QString::fromLatin1(format_value(buf, x, width));
}

} // namespace

class tst_numbers : public QObject
{
    Q_OBJECT

private slots:
    void arithmetic_data();
    void arithmetic();

    void valid_texts_data();
    void valid_texts();
    void invalid_texts_data();
    void invalid_texts();
    void numerals_as_toDouble_data();
    void numerals_as_toDouble();
    void generated_numerals_as_toDouble();

    void format_table_data();
    void format_table();
    void format_complex_texts();
    void panel_formats_data();
    void panel_formats();
    void format_bounds_data();
    void format_bounds();
    void format_ignores_locale();
};

void tst_numbers::arithmetic_data()
{
    QTest::addColumn<char>("op");
    QTest::addColumn<Complex>("a");
    QTest::addColumn<Complex>("b");
    QTest::addColumn<Complex>("expected");
    QTest::newRow("sum") << '+' << Complex{1, 2} << Complex{3, -5} << Complex{4, -3};
    QTest::newRow("difference") << '-' << Complex{1, 2} << Complex{3, -5} << Complex{-2, 7};
    QTest::newRow("product") << '*' << Complex{1, 2} << Complex{3, 4} << Complex{-5, 10};
    QTest::newRow("quotient") << '/' << Complex{1, 2} << Complex{3, 4} << Complex{0.44, 0.08};
    QTest::newRow("reciprocal imaginary") << 'r' << Complex{0, 2} << Complex{} << Complex{0, -0.5};
    QTest::newRow("reciprocal real") << 'r' << Complex{2, 0} << Complex{} << Complex{0.5, 0};
    // A zero divisor of either sign gives 1e18 in both parts; a NaN divisor gives NaN.
    QTest::newRow("3+4i by 0") << '/' << Complex{3, 4} << Complex{0, 0} << Complex{1e18, 1e18};
    QTest::newRow("0 by 0") << '/' << Complex{0, 0} << Complex{0, 0} << Complex{1e18, 1e18};
    QTest::newRow("by (0,-0)") << '/' << Complex{1, 1} << Complex{0, -0.0} << Complex{1e18, 1e18};
    QTest::newRow("by (-0,0)") << '/' << Complex{1, 1} << Complex{-0.0, 0} << Complex{1e18, 1e18};
    QTest::newRow("underflowing divisor") << '/' << Complex{1, 0} << Complex{1e-200, 1e-200} << Complex{1e18, 1e18};
    QTest::newRow("reciprocal of 0") << 'r' << Complex{0, 0} << Complex{} << Complex{1e18, 1e18};
    QTest::newRow("NaN real part") << '/' << Complex{1, 1} << Complex{NaN, 0} << Complex{NaN, NaN};
    QTest::newRow("NaN imaginary part") << '/' << Complex{1, 1} << Complex{0, NaN} << Complex{NaN, NaN};
}

void tst_numbers::arithmetic()
{
    QFETCH(char, op);
    QFETCH(Complex, a);
    QFETCH(Complex, b);
    QFETCH(Complex, expected);
    Complex r{};
    switch (op) {
    case '+': r = a + b; break;
    case '-': r = a - b; break;
    case '*': r = a * b; break;
    case '/': r = a / b; break;
    default: r = reciprocal(a); break;
    }
    QVERIFY(same(r.re, expected.re) && same(r.im, expected.im));
}

void tst_numbers::valid_texts_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("re");
    QTest::addColumn<double>("im");
    QTest::addColumn<int>("kind");
    const int R = KIND_REAL;
    const int C = KIND_COMPLEX;
    QTest::newRow("empty") << "" << 0.0 << 0.0 << R;
    QTest::newRow("blanks") << "   " << 0.0 << 0.0 << R;
    QTest::newRow("plus alone") << "+" << 0.0 << 0.0 << R;
    QTest::newRow("minus alone") << "-" << 0.0 << 0.0 << R;
    QTest::newRow("comma alone") << "," << 0.0 << 0.0 << R;
    QTest::newRow("dangling minus") << "5-" << 5.0 << 0.0 << R;
    QTest::newRow("dangling comma") << "5," << 5.0 << 0.0 << R;
    QTest::newRow("surrounding blanks") << " 5 " << 5.0 << 0.0 << R;
    QTest::newRow("kilo") << "1.5k" << 1500.0 << 0.0 << R;
    QTest::newRow("micro") << "2.2u" << 2.2e-6 << 0.0 << R;
    QTest::newRow("blank before suffix") << "5 k" << 5000.0 << 0.0 << R;
    QTest::newRow("every suffix p") << "3p" << 3 * 1e-12 << 0.0 << R;
    QTest::newRow("every suffix n") << "3n" << 3 * 1e-9 << 0.0 << R;
    QTest::newRow("every suffix m") << "3m" << 3 * 1e-3 << 0.0 << R;
    QTest::newRow("every suffix K") << "3K" << 3e3 << 0.0 << R;
    QTest::newRow("every suffix M") << "3M" << 3e6 << 0.0 << R;
    QTest::newRow("every suffix G") << "3G" << 3e9 << 0.0 << R;
    QTest::newRow("exponent") << "-1.5e-3" << -1.5e-3 << 0.0 << R;
    QTest::newRow("overflow by suffix") << "1e300G" << Inf << 0.0 << R;
    QTest::newRow("complex") << "32+i79.57" << 32.0 << 79.57 << C;
    QTest::newRow("j marker") << "3.4-j1e-3" << 3.4 << -0.001 << C;
    QTest::newRow("blanks around") << "5 +i 3" << 5.0 << 3.0 << C;
    QTest::newRow("comma before marker") << "5,i3" << 5.0 << 3.0 << C;
    QTest::newRow("no sign") << "5i3" << 5.0 << 3.0 << C;
    QTest::newRow("minus after marker") << "5+i-3" << 5.0 << -3.0 << C;
    QTest::newRow("two minus signs") << "5-i-3" << 5.0 << 3.0 << C;
    QTest::newRow("trailing marker") << "2i" << 2.0 << 1.0 << C;
    QTest::newRow("plus marker") << "5+i" << 5.0 << 1.0 << C;
    QTest::newRow("minus j") << "5-j" << 5.0 << -1.0 << C;
    QTest::newRow("marker alone") << "i" << 0.0 << 1.0 << C;
    QTest::newRow("minus i5") << "-i5" << 0.0 << -5.0 << C;
    QTest::newRow("i5") << "i5" << 0.0 << 5.0 << C;
    QTest::newRow("suffix alone") << "5+iK" << 5.0 << 1000.0 << C;
    QTest::newRow("suffix both parts") << "5k+i3K" << 5000.0 << 3000.0 << C;
    QTest::newRow("blank after sign") << "5k+ i3" << 5000.0 << 3.0 << C;
    QTest::newRow("shown complex text") << "0.3461538+i-0.230769" << 0.3461538 << -0.230769 << C;
    QTest::newRow("shown zero part") << "5+i0        " << 5.0 << 0.0 << C;
}

void tst_numbers::valid_texts()
{
    QFETCH(QString, text);
    QFETCH(double, re);
    QFETCH(double, im);
    QFETCH(int, kind);
    Complex z{7, 7};
    QCOMPARE(parse_value(text, z), kind);
    // Exact bits: QCOMPARE on doubles would forgive the last digits.
    QVERIFY2(same(z.re, re) && same(z.im, im),
             qPrintable(QString("(%1, %2)").arg(z.re, 0, 'g', 17).arg(z.im, 0, 'g', 17)));
}

void tst_numbers::invalid_texts_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("infix suffix") << "4M7";
    QTest::newRow("unit") << "10nF";
    QTest::newRow("suffix alone") << "m";
    QTest::newRow("two suffixes") << "5mm";
    QTest::newRow("double sign") << "--5";
    QTest::newRow("lower k imaginary") << "5k+i3k";
    QTest::newRow("blank hides suffix") << "5k +i3";
    QTest::newRow("capital I") << "5I3";
    QTest::newRow("i after j") << "1+j2i";
    QTest::newRow("micro sign") << QString::fromUtf8("5\u00b5");
    QTest::newRow("inf") << "inf";
    QTest::newRow("INF") << "INF";
    QTest::newRow("Inf") << "Inf";
    QTest::newRow("-INF") << "-INF";
    QTest::newRow("infinity") << "infinity";
    QTest::newRow("nan") << "nan";
    QTest::newRow("NaN") << "NaN";
    QTest::newRow("NAN") << "NAN";
    QTest::newRow("imaginary NaN") << "1+iNaN";
    QTest::newRow("imaginary INF") << "1+jINF";
    QTest::newRow("overflowing numeral") << "1e999";
    QTest::newRow("group separator") << "1,000";
    QTest::newRow("letters") << "abc";
}

void tst_numbers::invalid_texts()
{
    QFETCH(QString, text);
    Complex z{};
    QCOMPARE(parse_value(text, z), int(KIND_INVALID));
}

// Numerals at the edges of the quick path and of the double's range, each read as Qt reads it.
void tst_numbers::numerals_as_toDouble_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("trailing point") << "5.";
    QTest::newRow("leading point") << "-.5";
    QTest::newRow("plus") << "+5";
    QTest::newRow("plus point") << "+.25e2";
    QTest::newRow("two signs") << "+-5";
    QTest::newRow("point alone") << ".";
    QTest::newRow("signed point") << "+.";
    QTest::newRow("exponent alone") << ".e3";
    QTest::newRow("open exponent") << "1e";
    QTest::newRow("signed open exponent") << "1e+";
    QTest::newRow("capital exponent") << "2.5E-3";
    QTest::newRow("leading zeros") << "00012";
    QTest::newRow("zero") << "0";
    QTest::newRow("minus zero") << "-0.0";
    QTest::newRow("zero huge exponent") << "0e999999";
    QTest::newRow("long exponent") << "1e0000000000000000005";
    QTest::newRow("subnormal") << "1e-310";
    QTest::newRow("least subnormal") << "4.9e-324";
    QTest::newRow("underflow") << "2e-324";
    QTest::newRow("overflow") << "1e309";
    QTest::newRow("largest") << "1.7976931348623157e308";
    QTest::newRow("least normal") << "2.2250738585072014e-308";
    QTest::newRow("halfway") << "9007199254740993";
    QTest::newRow("32 digits") << "12345678901234567890123456789012";
    QTest::newRow("33 digits") << "123456789012345678901234567890123";
    QTest::newRow("hexadecimal") << "0x10";
    QTest::newRow("blank before") << "  5";
    QTest::newRow("blank after") << "5 ";
    QTest::newRow("tab") << "\t5";
    QTest::newRow("no-break space") << QString::fromUtf8("5\u00a0");
    QTest::newRow("arabic digits") << QString::fromUtf8("\u0661\u0662");
    QTest::newRow("fullwidth digit") << QString::fromUtf8("\uff15");
    QTest::newRow("two points") << "1.5.2";
    QTest::newRow("underscore") << "1_0";
    QTest::newRow("d exponent") << "1d5";
    QTest::newRow("inf") << "inf";
    QTest::newRow("nan") << "-nan";
}

void tst_numbers::numerals_as_toDouble()
{
    QFETCH(QString, text);
    const QString d = disagreement(text);
    QVERIFY2(d.isEmpty(), qPrintable(d));
}

// Texts built from the pieces of numerals, most of them near-numerals, some plain noise.
void tst_numbers::generated_numerals_as_toDouble()
{
    static const char *const PIECES[] = {"0", "1", "5", "9", "7", "00", "123", "4503599627370497", ".",
                                         "e", "E", "+", "-", " ", "e-", "e+3", "e308", "e-308", "e-320",
                                         "x", "\t", "inf"};
    QRandomGenerator random(20261207);
    int agreed = 0;
    for (int n = 0; n < 100000; ++n) {
        QString text;
        const int count = random.bounded(1, 8);
        for (int k = 0; k < count; ++k)
            text += QLatin1String(PIECES[random.bounded(int(std::size(PIECES)))]);
        const QString d = disagreement(text);
        QVERIFY2(d.isEmpty(), qPrintable(d));
        ++agreed;
    }
    QCOMPARE(agreed, 100000);
}

void tst_numbers::format_table_data()
{
    QTest::addColumn<double>("x");
    QTest::addColumn<int>("width");
    QTest::addColumn<QString>("text");
    QTest::newRow("kilo") << 7056.83 << 9 << "7.05683e3";
    QTest::newRow("kilo narrow") << 7056.83 << 6 << "7.06e3";
    QTest::newRow("mega") << 1234567.0 << 9 << "1.23457e6";
    QTest::newRow("1000") << 1000.0 << 9 << "1e3";
    QTest::newRow("100") << 100.0 << 9 << "100";
    QTest::newRow("5") << 5.0 << 9 << "5";
    QTest::newRow("3.3") << 3.3 << 9 << "3.3000000";
    QTest::newRow("12.5") << 12.5 << 9 << "12.500000";
    QTest::newRow("123.456") << 123.456 << 9 << "123.45600";
    QTest::newRow("0.5") << 0.5 << 9 << "0.5000000";
    QTest::newRow("0.1") << 0.1 << 9 << "0.1000000";
    QTest::newRow("-0.5") << -0.5 << 9 << "-0.500000";
    QTest::newRow("-2.5") << -2.5 << 9 << "-2.500000";
    QTest::newRow("0.05") << 0.05 << 9 << "50e-3";
    QTest::newRow("0.001") << 0.001 << 9 << "1e-3";
    QTest::newRow("0.000123") << 0.000123 << 9 << "123e-6";
    QTest::newRow("-0.0001") << -0.0001 << 9 << "-100e-6";
    QTest::newRow("2.2e-6") << 2.2e-6 << 9 << "2.2000e-6";
    QTest::newRow("-1.5e-9") << -1.5e-9 << 9 << "-1.500e-9";
    QTest::newRow("1e-12") << 1e-12 << 9 << "1e-12";
    QTest::newRow("zero divisor value") << 1e18 << 9 << "1e18";
    QTest::newRow("1.5e9") << 1.5e9 << 9 << "1.50000e9";
    QTest::newRow("-47000") << -47000.0 << 9 << "-47e3";
    QTest::newRow("zero") << 0.0 << 9 << "0        ";
    QTest::newRow("negative zero") << -0.0 << 9 << "-0       ";
    QTest::newRow("carry to 10") << 9.99999999 << 9 << "10";
    QTest::newRow("carry to 100e-3") << 0.099999999 << 9 << "100e-3";
    QTest::newRow("carry to 1000e3") << 999999.6 << 9 << "1000e3";
    QTest::newRow("no room for decimals") << -1.23e-121 << 6 << "-123e-123";
    QTest::newRow("tie rounds to even, down") << 1.0625 << 5 << "1.062";
    QTest::newRow("tie rounds to even, up") << 1.1875 << 5 << "1.188";
    QTest::newRow("short of a tie") << 1.0625000000000002 << 5 << "1.063";
    QTest::newRow("too narrow, padded before the exponent") << 2e-102 << 3 << "2  e-102";
    QTest::newRow("exact decimals, width 40") << 1.0 / 3 << 40 << "0.33333333333333331482961625624739099294";
    QTest::newRow("exact decimals, width 41") << 1.0 / 3 << 41 << "0.333333333333333314829616256247390992939";
    QTest::newRow("zero width 3") << 0.0 << 3 << "0  ";
    QTest::newRow("width 2 is empty") << 5.0 << 2 << "";
    QTest::newRow("inf") << Inf << 9 << "inf";
    QTest::newRow("-inf") << -Inf << 9 << "-inf";
    QTest::newRow("nan") << NaN << 9 << "nan";
}

void tst_numbers::format_table()
{
    QFETCH(double, x);
    QFETCH(int, width);
    QFETCH(QString, text);
    QCOMPARE(text_of(x, width), text);
}

// The panel's printf-style texts: fixed decimals padded to a width, and %g.
void tst_numbers::panel_formats_data()
{
    QTest::addColumn<double>("x");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("decimals");
    QTest::addColumn<QString>("fixed");
    QTest::addColumn<QString>("general");
    QTest::newRow("quarter turn") << 0.7853981633974483 << 3 << 2 << "0.79" << "0.785398";
    QTest::newRow("degrees") << 45.0 << 4 << 2 << "45.00" << "45";
    QTest::newRow("padded") << 1.5 << 6 << 2 << "  1.50" << "1.5";
    QTest::newRow("no decimals") << 2.5 << 3 << 0 << "  2" << "2.5";
    QTest::newRow("tie to even") << 0.125 << 1 << 2 << "0.12" << "0.125";
    QTest::newRow("negative zero") << -0.001 << 3 << 2 << "-0.00" << "-0.001";
    QTest::newRow("kilo") << 6283.185307179586 << 3 << 2 << "6283.19" << "6283.19";
    QTest::newRow("mega") << 1e6 << 3 << 2 << "1000000.00" << "1e+06";
    QTest::newRow("small") << 1.5e-5 << 3 << 2 << "0.00" << "1.5e-05";
    QTest::newRow("many decimals") << 0.1 << 3 << 30 << "0.100000000000000005551115123126" << "0.1";
    QTest::newRow("inf") << Inf << 4 << 2 << " inf" << "inf";
    QTest::newRow("nan") << NaN << 4 << 2 << " nan" << "nan";
}

void tst_numbers::panel_formats()
{
    QFETCH(double, x);
    QFETCH(int, width);
    QFETCH(int, decimals);
    QFETCH(QString, fixed);
    QFETCH(QString, general);
    char buf[FORMAT_BUFFER_SIZE];
    QCOMPARE(QString::fromLatin1(format_fixed(buf, x, width, decimals)), fixed);
    QCOMPARE(QString::fromLatin1(format_general(buf, x)), general);
}

void tst_numbers::format_complex_texts()
{
    char buf[2 * FORMAT_BUFFER_SIZE];
    QCOMPARE(QString::fromLatin1(format_complex(buf, {0, 5}, 9)), QString("0        +i5"));
    QCOMPARE(QString::fromLatin1(format_complex(buf, {3, -2.5}, 9)), QString("3+i-2.500000"));
    QCOMPARE(QString::fromLatin1(format_complex(buf, {5, 0}, 9)), QString("5+i0        "));
}

// Every finite double ends in at most width + 4 characters; values where rounding carries
// into a new digit and the extremes of the double range are the ones that could break it.
void tst_numbers::format_bounds_data()
{
    QTest::addColumn<double>("x");
    QList<double> values = {DBL_MAX, -DBL_MAX, DBL_MIN, -DBL_MIN, 4.9e-324, -4.9e-324,
                            DBL_MIN / 3, DBL_EPSILON};
    for (double base : {0.1, 1.0, 1000.0}) {
        for (double scale = 1e-300; scale < 1e300; scale *= 1000) {
            const double v = base * scale;
            values << v << std::nextafter(v, 0.0) << std::nextafter(v, DBL_MAX) << -v;
        }
    }
    QRandomGenerator rng(7);
    for (int i = 0; i < 300; ++i) {
        quint64 bits = rng.generate64();
        double v;
        std::memcpy(&v, &bits, sizeof v);
        if (std::isfinite(v))
            values << v;
    }
    int row = 0;
    for (double v : values)
        QTest::addRow("value %d (%.17g)", row++, v) << v;
}

void tst_numbers::format_bounds()
{
    QFETCH(double, x);
    for (int width = 6; width <= 32; ++width) {
        const QString t = text_of(x, width);
        QVERIFY2(t.size() <= width + 4, qPrintable(QString("%1 at %2").arg(t).arg(width)));
        QVERIFY(!t.isEmpty());
        // What is shown must read back as (nearly) the same number; near DBL_MAX the
        // rounded text may lie beyond the double range.
        if (std::fabs(x) > 1e307)
            continue;
        Complex back{};
        QCOMPARE(parse_value(t, back), int(KIND_REAL));
        // Narrow widths with long exponents keep a single digit; wider ones keep three.
        const double tolerance = width >= 12 ? 0.01 : 0.5;
        if (std::fabs(x) >= 1e-290)
            QVERIFY2(std::fabs(back.re - x) <= std::fabs(x) * tolerance,
                     qPrintable(QString("%1 at %2").arg(t).arg(width)));
    }
}

void tst_numbers::format_ignores_locale()
{
    const char *old = setlocale(LC_NUMERIC, nullptr);
    const QByteArray saved(old ? old : "C");
    if (!setlocale(LC_NUMERIC, "de_DE.UTF-8") && !setlocale(LC_NUMERIC, "fr_FR.UTF-8"))
        QSKIP("no locale with a decimal comma installed");
    const QString t = text_of(0.5, 9);
    setlocale(LC_NUMERIC, saved.constData());
    QCOMPARE(t, QString("0.5000000"));
}

QTEST_APPLESS_MAIN(tst_numbers)
#include "tst_numbers.moc"
