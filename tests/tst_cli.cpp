#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

// ohmara-cli run as a script runs it: arguments and standard input in, printed text and the
// exit status out.
class tst_cli : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void commands_data();
    void commands();

private:
    QTemporaryDir m_dir;
};

// A calculation file whose Ohm's-law section asks for an unknown out of range (V stays) and
// whose D<->Y section converts to the star from a bad Rab.
void tst_cli::initTestCase()
{
    QFile f(m_dir.filePath("t.oma"));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("270116\n3 0\n1\n2\n3\n0 1\n1\n1\n1\n1\n1\n0 2\n1\n1\n1\n1\n1\n0 3\n1\n1\n1\n1\n"
            "2 4\n1\n1\n1\n1 NWS\n7\n8\n9\n1 5\nx\n1\n1\n1\n1\n1\n");
}

void tst_cli::commands_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("out");
    QTest::addColumn<QByteArray>("err"); // a part of what standard error must say
    using S = QStringList;
    const QByteArray none;
    QTest::newRow("ohm V") << S{"ohm", "V", "I=2", "R=3"} << none << 0 << QByteArray("V = 6\n") << none;
    QTest::newRow("ohm I, suffix") << S{"ohm", "I", "V=5", "R=1k"} << none << 0 << QByteArray("I = 5e-3\n") << none;
    QTest::newRow("charge R, help example") << S{"charge", "R", "Vt=2.5", "Vo=3.3", "t=1m", "C=100n"} << none << 0 << QByteArray("R = 7.05683e3\n") << none;
    QTest::newRow("discharge t") << S{"discharge", "t", "Vt=1", "Vo=2", "R=1k", "C=1u"} << none << 0 << QByteArray("t = 693.15e-6\n") << none;
    QTest::newRow("cccap I") << S{"cccap", "I", "t=20m", "C=470u", "V=0.5"} << none << 0 << QByteArray("I = 11.750e-3\n") << none;
    QTest::newRow("rcfilter Fc") << S{"rcfilter", "Fc", "R=1k", "C=100n"} << none << 0 << QByteArray("Fc = 1.59155e3\n") << none;
    QTest::newRow("digits") << S{"--digits", "12", "ohm", "V", "I=1", "R=3.3"} << none << 0 << QByteArray("V = 3.3000000000\n") << none;
    QTest::newRow("to delta") << S{"deltay", "to-delta", "Ra=1", "Rb=1", "Rc=1"} << none << 0 << QByteArray("Rab = 3\nRbc = 3\nRac = 3\n") << none;
    QTest::newRow("to star, complex") << S{"deltay", "to-star", "Rab=2+i4", "Rbc=3", "Rac=1"} << none << 0 << QByteArray("Ra = 0.5384615+i0.3076923\nRb = 1.6153846+i0.9230769\nRc = 0.3461538+i-0.230769\n") << none;
    QTest::newRow("rlc series Z") << S{"rlc", "series", "Z", "R=1", "L=1", "C=1", "F=1"} << none << 0 << QByteArray("Z = 1+i6.1240304\n|Z| = 6.2051388\nCurrent lagging by:\n    1.41 Rad.\n    80.73 Deg.\nRes. freq: 0.1591549 Hz\nZind = 6.2831853\nZcap= -0.159155\n") << none;
    QTest::newRow("rlc series F") << S{"rlc", "series", "F", "Z=5", "L=1m", "C=1u"} << none << 0 << QByteArray("F = 5.03292e3\n|Z| = 5\nCurrent leading by:\n    -0.00 Rad.\n    -0.00 Deg.\nRes. freq: 5.03292e3 Hz\nZind = 31.622777\nZcap= -31.62278\n") << none;
    QTest::newRow("eseries E24") << S{"eseries", "E24", "7056.83"} << none << 0 << QByteArray("below = 6.8k (-3.64 %)\nabove = 7.5k (+6.28 %)\n") << none;
    QTest::newRow("eseries exact") << S{"eseries", "E12", "4.7u"} << none << 0 << QByteArray("below = 4.7u (+0.00 %)\nabove = 4.7u (+0.00 %)\n") << none;
    QTest::newRow("eseries E192 9.20") << S{"eseries", "E192", "9.195"} << none << 0 << QByteArray("below = 9.09 (-1.14 %)\nabove = 9.2 (+0.05 %)\n") << none;
    QTest::newRow("solve") << S{"solve", "-"} << QByteArray("2 -1 0 1\n-1 3 -1 0\n0 -1 2 0\n") << 0 << QByteArray(" 0.625000+i 0.000000\n 0.250000+i 0.000000\n 0.125000+i 0.000000\n") << none;
    QTest::newRow("solve singular") << S{"solve", "-"} << QByteArray("1 2 1\n2 4 1\n") << 1 << none << QByteArray("Singular! (1)");
    QTest::newRow("solve incorrect") << S{"solve", "-"} << QByteArray("1 x 1\n2 4 y\n") << 3 << none << QByteArray("2 incorrect values found");
    QTest::newRow("batch") << S{"--batch"} << QByteArray("ohm V I=2 R=3\n\nrcfilter R C=100n Fc=1k\n") << 0 << QByteArray("V = 6\nR = 1.59155e3\n") << none;
    QTest::newRow("batch keeps the worst status") << S{"--batch"} << QByteArray("ohm I V=1 R=0\nohm V I=2 R=3\n") << 1 << QByteArray("V = 6\n") << QByteArray("I = divide by zero");
    QTest::newRow("guard") << S{"ohm", "I", "V=10", "R=0"} << none << 1 << none << QByteArray("I = divide by zero");
    QTest::newRow("illegal numbers named") << S{"charge", "Vt", "Vo=4k7", "t=1", "R=1+i", "C=1"} << none << 3 << none << QByteArray("Illegal number(s): Vo, R");
    QTest::newRow("missing value") << S{"ohm", "V", "I=2"} << none << 2 << none << QByteArray("missing value: R");
    QTest::newRow("value twice") << S{"ohm", "V", "I=2", "I=3", "R=1"} << none << 2 << none << QByteArray("given twice: I");
    QTest::newRow("unknown given a value") << S{"ohm", "V", "V=1", "I=2", "R=1"} << none << 2 << none << QByteArray("V is the unknown");
    QTest::newRow("unknown quantity") << S{"ohm", "X"} << none << 2 << none << QByteArray("not a quantity of ohm: X");
    QTest::newRow("unknown tab") << S{"ohms"} << none << 2 << none << QByteArray("unknown command: ohms");
    QTest::newRow("json") << S{"--json", "ohm", "V", "I=2", "R=3"} << none << 0 << QByteArray("{\"name\": \"V\", \"text\": \"6\"}\n") << none;
    QTest::newRow("json batch") << S{"--json", "--batch"} << QByteArray("eseries E3 2\n") << 0 << QByteArray("{\"name\": \"below\", \"text\": \"1 (-50.00 %)\"}\n{\"name\": \"above\", \"text\": \"2.2 (+10.00 %)\"}\n") << none;
    QTest::newRow("recalc") << S{"recalc", "%DIR%/t.oma"} << none << 0 << QByteArray("[ohm]\nV = 6\nI = 2\nR = 3\n[charge]\nVt = 0.6321206\nVo = 1\nt = 1\nR = 1\nC = 1\n[discharge]\nVt = 0.3678794\nVo = 1\nt = 1\nR = 1\nC = 1\n[cccap]\nt = 1\nC = 1\nV = 1\nI = 1\n[rcfilter]\nR = 1\nC = 1\nFc = 0.1591549\n[network 1]\nA0,0 = 7\nb0 = 8\nx0 = 9\n[deltay]\nRab = x\nRbc = 1\nRac = 1\nRa = 1\nRb = 1\nRc = 1\nerror = Illegal number(s)\n") << none;
    QTest::newRow("recalc a missing file") << S{"recalc", "%DIR%/none.oma"} << none << 4 << none << QByteArray("Could not open");
    QTest::newRow("help") << S{"--help"} << none << 0 << none << none;
}

void tst_cli::commands()
{
    QFETCH(QStringList, args);
    QFETCH(QByteArray, input);
    QFETCH(int, status);
    QFETCH(QByteArray, out);
    QFETCH(QByteArray, err);
    args.replaceInStrings("%DIR%", m_dir.path());
    QProcess cli;
    cli.start(QStringLiteral(OHMARA_CLI), args);
    QVERIFY(cli.waitForStarted());
    cli.write(input);
    cli.closeWriteChannel();
    QVERIFY(cli.waitForFinished(10000));
    QCOMPARE(cli.exitCode(), status);
    const QByteArray printed = cli.readAllStandardOutput();
    if (QTest::currentDataTag() == QByteArray("help"))
        QVERIFY(printed.startsWith("usage: ohmara-cli"));
    else
        QCOMPARE(printed, out);
    QVERIFY2(cli.readAllStandardError().contains(err), err.constData());
}

QTEST_APPLESS_MAIN(tst_cli)
#include "tst_cli.moc"
