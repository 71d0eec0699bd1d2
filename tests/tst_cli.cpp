#include "cli/cli.h"

#include <QFile>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <QTest>

#include <sstream>

// ohmara-cli's commands run in-process: arguments and standard input in, exactly what it
// prints on each stream and its exit status out. One row a line; %DIR% is a folder holding the
// files, and a text ending in "..." is what the stream starts with.
class tst_cli : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void commands_data();
    void commands();
    void json_documents_data();
    void json_documents();
    void batch_lines_answer_as_alone();
    void batch_files_of_every_length_data();
    void batch_files_of_every_length();

private:
    // The command line split at blanks, %DIR% replaced; returns the exit status.
    int run(const QString &args, const QByteArray &input, std::string &printed, std::string &said);

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
    QFile q(m_dir.filePath("q.oma"));
    QVERIFY(q.open(QIODevice::WriteOnly));
    q.write("270116\n0 0\n1\na\"b\\\t\n");
    QFile r(m_dir.filePath("r.oma"));
    QVERIFY(r.open(QIODevice::WriteOnly));
    r.write("270116\n2 0\n6\n2\n1\n");
    QFile b(m_dir.filePath("b.txt"));
    QVERIFY(b.open(QIODevice::WriteOnly));
    b.write("ohm V I=2 R=3.3\n");
}

int tst_cli::run(const QString &args, const QByteArray &input, std::string &printed, std::string &said)
{
    std::vector<std::string> argv;
    for (const QString &a : args.split(' ', Qt::SkipEmptyParts))
        argv.push_back(QString(a).replace("%DIR%", m_dir.path()).toStdString());
    std::istringstream in(input.toStdString());
    return run_cli(argv, in, printed, said);
}

void tst_cli::commands_data()
{
    QTest::addColumn<QString>("args");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("out");
    QTest::addColumn<QByteArray>("err");
    const QByteArray none;
    // 30 resistors of 1 ohm in series across 30 V: 31 unknowns, more than the grid holds.
    QByteArray ladder = "ladder\nV1 n0 0 30\n";
    for (int k = 0; k < 30; ++k)
        ladder += QByteArray("R") + QByteArray::number(k) + " n" + QByteArray::number(k) + " " + (k == 29 ? QByteArray("0") : "n" + QByteArray::number(k + 1)) + " 1\n";
    QTest::newRow("ohm V") << "ohm V I=2 R=3" << none << 0 << QByteArray("V = 6\n") << none;
    QTest::newRow("charge R, help example") << "charge R Vt=2.5 Vo=3.3 t=1m C=100n" << none << 0 << QByteArray("R = 7.05683e3\n") << none;
    QTest::newRow("digits") << "--digits 12 ohm V I=1 R=3.3" << none << 0 << QByteArray("V = 3.3000000000\n") << none;
    QTest::newRow("digits above the range") << "--digits 33 ohm V I=1 R=1" << none << 2 << none << QByteArray("--digits takes 6 to 32\n");
    QTest::newRow("digits below the range") << "--digits 5 ohm V I=1 R=1" << none << 2 << none << QByteArray("--digits takes 6 to 32\n");
    QTest::newRow("digits=N") << "--digits=12 ohm V I=1 R=3.3" << none << 0 << QByteArray("V = 3.3000000000\n") << none;
    QTest::newRow("options after the command") << "ohm V I=1 R=3.3 --digits 12" << none << 0 << QByteArray("V = 3.3000000000\n") << none;
    QTest::newRow("digits not a number") << "--digits 9abc ohm V I=1 R=1" << none << 2 << none << QByteArray("--digits takes 6 to 32\n");
    QTest::newRow("-- ends the options") << "--digits 12 -- ohm V I=2 R=3" << none << 0 << QByteArray("V = 6\n") << none;
    QTest::newRow("unknown option") << "ohm V --bogus I=1 R=1" << none << 2 << none << QByteArray("unknown option: --bogus (try --help)\n");
    QTest::newRow("version") << "-V" << none << 0 << QByteArray("ohmara-cli 1.0\n") << none;
    QTest::newRow("batch from a file, options for every line") << "--batch %DIR%/b.txt --digits 12" << none << 0 << QByteArray("V = 6.6000000000\n") << none;
    QTest::newRow("batch from standard input") << "--batch - --digits 12" << QByteArray("ohm V I=2 R=3\n") << 0 << QByteArray("V = 6\n") << none;
    QTest::newRow("batch file missing") << "--batch %DIR%/none.txt" << none << 4 << none << QByteArray("Could not open '%DIR%/none.txt' for reading: No such file or directory\n");
    QTest::newRow("batch from a folder") << "--batch %DIR%" << none << 4 << none << QByteArray("'%DIR%' is a folder, not a file\n");
    QTest::newRow("to star, complex") << "deltay to-star Rab=2+i4 Rbc=3 Rac=1" << none << 0 << QByteArray("Ra = 0.5384615+i0.3076923\nRb = 1.6153846+i0.9230769\nRc = 0.3461538+i-0.230769\n") << none;
    QTest::newRow("rlc series Z") << "rlc series Z R=1 L=1 C=1 F=1" << none << 0 << QByteArray("Z = 1+i6.1240304\n|Z| = 6.2051388\nCurrent lagging by:\n    1.41 Rad.\n    80.73 Deg.\nRes. freq: 0.1591549 Hz\nZind = 6.2831853\nZcap= -0.159155\n") << none;
    QTest::newRow("rlc: a quantity the circuit does not use") << "rlc series F R=1000 L=1m C=1u Z=5" << none << 2 << none << QByteArray("R is not used when F is solved in a series circuit\n");
    QTest::newRow("rlc: not used, also when no number") << "rlc series R L=x Z=5" << none << 2 << none << QByteArray("L is not used when R is solved in a series circuit\n");
    QTest::newRow("rlc: the inputs it uses") << "rlc series R Z=5" << none << 0 << QByteArray("R = 5\n|Z| = 5\nCurrent leading by:\n    -0.00 Rad.\n    -0.00 Deg.\nRes. freq: 0.1591549 Hz\nZind = 6.2831853\nZcap= -0.159155\n") << none;
    QTest::newRow("eseries E24") << "eseries E24 7056.83" << none << 0 << QByteArray("below = 6.8k (-3.64 %)\nabove = 7.5k (+6.28 %)\npair = 7.5k parallel 120k = 7.06k (+0.03 %)\n") << none;
    QTest::newRow("eseries E192 9.20") << "eseries E192 9.195" << none << 0 << QByteArray("below = 9.09 (-1.14 %)\nabove = 9.2 (+0.05 %)\npair = 105m series 9.09 = 9.2 (+0.00 %)\n") << none;
    QTest::newRow("series: a resistance") << "--series E24 charge R Vt=2.5 Vo=3.3 t=1m C=100n" << none << 0 << QByteArray("R = 7.05683e3\nR: below 6.8k (-3.64 %), above 7.5k (+6.28 %), pair 7.5k parallel 120k (+0.03 %)\n") << none;
    QTest::newRow("series: capacitors in series") << "--series E6 rcfilter C R=1k Fc=1k" << none << 0 << QByteArray("C = 159.15e-9\nC: below 150n (-5.75 %), above 220n (+38.23 %), pair 10n parallel 150n (+0.53 %)\n") << none;
    QTest::newRow("series: no voltage, no impedance") << "--series E6 deltay to-star Rab=1+i Rbc=1 Rac=1" << none << 0 << QByteArray("Ra = 0.4000000+i0.2000000\nRb = 0.4000000+i0.2000000\nRc = 0.3000000+i-0.100000\n") << none;
    QTest::newRow("eseries: zero") << "eseries E24 0" << none << 3 << none << QByteArray("Illegal number(s): 0 (a positive value)\n");
    QTest::newRow("eseries: negative") << "eseries E24 -4.7k" << none << 3 << none << QByteArray("Illegal number(s): -4.7k (a positive value)\n");
    QTest::newRow("eseries: beyond a double") << "eseries E24 1e999" << none << 3 << none << QByteArray("Illegal number(s): 1e999 (a positive value)\n");
    QTest::newRow("eseries: a sign only") << "eseries E24 -" << none << 3 << none << QByteArray("Illegal number(s): - (a positive value)\n");
    QTest::newRow("eseries: subnormal") << "eseries E24 5e-324" << none << 3 << none << QByteArray("5e-324 is beyond the reach of the E24 table\n");
    QTest::newRow("eseries: no member above") << "eseries E3 1.7e308" << none << 3 << none << QByteArray("1.7e308 is beyond the reach of the E3 table\n");
    QTest::newRow("series: recalc") << "--series E12 recalc %DIR%/r.oma" << none << 4 << QByteArray("[ohm]\nV = 6\nI = 2\nR = 3\nR: below 2.7 (-10.00 %), above 3.3 (+10.00 %), pair 1.2 series 1.8 (+0.00 %)\n[charge]\nVt = 0.6321206\n...") << QByteArray("'%DIR%/r.oma' ends after the ohm tab: the rest was left as it was\n");
    QTest::newRow("series unknown") << "--series E5 ohm R V=1 I=1" << none << 2 << none << QByteArray("--series takes E3, E6, E12, E24, E48, E96 or E192\n");
    QTest::newRow("solve") << "solve -" << QByteArray("2 -1 0 1\n-1 3 -1 0\n0 -1 2 0\n") << 0 << QByteArray(" 0.625000+i 0.000000\n 0.250000+i 0.000000\n 0.125000+i 0.000000\n") << none;
    QTest::newRow("solve singular") << "solve -" << QByteArray("1 2 1\n2 4 1\n") << 1 << none << QByteArray("Singular! (1)\n");
    QTest::newRow("solve incorrect") << "solve -" << QByteArray("1 x 1\n2 4 y\n") << 3 << none << QByteArray("2 incorrect values found: row 1 column 2, row 2 column 3\n");
    QTest::newRow("solve: a right-hand side incorrect") << "solve -" << QByteArray("1 2 1\n2 4 y\n") << 3 << none << QByteArray("1 incorrect value found: row 2 column 3\n");
    QTest::newRow("solve: 21 equations") << "solve -" << QByteArray("1 1\n").repeated(21) << 2 << none << QByteArray("solve takes 1 to 20 equations\n");
    QTest::newRow("solve: no equations") << "solve -" << QByteArray("\n \n") << 2 << none << QByteArray("solve takes 1 to 20 equations\n");
    QTest::newRow("solve: an endless line") << "solve -" << QByteArray(70000, '1') << 2 << none << QByteArray("line 1 of the equations is longer than 65536 characters\n");
    QTest::newRow("solve: a folder") << "solve %DIR%" << none << 4 << none << QByteArray("'%DIR%' is a folder, not a file\n");
    QTest::newRow("solve: a missing file") << "solve %DIR%/none" << none << 4 << none << QByteArray("Could not open '%DIR%/none' for reading: No such file or directory\n");
    QTest::newRow("solve, short row") << "solve -" << QByteArray("1 2 3\n4\n") << 2 << none << QByteArray("equation 2 needs 3 numbers\n");
    QTest::newRow("batch") << "--batch" << QByteArray("ohm V I=2 R=3\n\nrcfilter R C=100n Fc=1k\n") << 0 << QByteArray("V = 6\nR = 1.59155e3\n") << none;
    QTest::newRow("batch keeps the worst status, names lines") << "--batch" << QByteArray("ohm V I=x R=1\n# a comment\n\nohm I V=1 R=0\nohm V I=2 R=3\n") << 3 << QByteArray("V = 6\n") << QByteArray("line 1: Illegal number(s): I\nline 4: I = divide by zero\n");
    QTest::newRow("batch: solve - refused") << "--batch" << QByteArray("solve -\nohm V I=1 R=1\n") << 2 << QByteArray("V = 1\n") << QByteArray("line 1: solve - inside a batch would read the batch itself; give a file\n");
    QTest::newRow("batch: a NUL byte") << "--batch" << QByteArray("ohm V I=1\0 R=1\nohm V I=x R=1\nohm V I=2 R=1\n", 43) << 3 << QByteArray("V = 2\n") << QByteArray("line 1: not text: a NUL byte\nline 2: Illegal number(s): I\n");
    QTest::newRow("batch: a NUL byte among the first eight") << "--batch" << QByteArray("ohm\0V I=1 R=1 A=1\n", 18) << 3 << none << QByteArray("line 1: not text: a NUL byte\n");
    QTest::newRow("batch: not UTF-8 among the first eight") << "--batch" << QByteArray("ohm \xff I=1 R=1 A=1\n") << 3 << none << QByteArray("line 1: not text: bytes that are not UTF-8\n");
    QTest::newRow("batch: not UTF-8") << "--batch" << QByteArray("ohm V I=\xff R=1\nohm V I=\xc3\xa9 R=1\n") << 3 << none << QByteArray("line 1: not text: bytes that are not UTF-8\nline 2: Illegal number(s): I\n");
    QTest::newRow("batch: an overlong encoding") << "--batch" << QByteArray("ohm V I=\xc0\xb1 R=1\n") << 3 << none << QByteArray("line 1: not text: bytes that are not UTF-8\n");
    QTest::newRow("batch: a line too long") << "--batch" << QByteArray(70000, 'x') + "\nohm V I=1 R=1\n" << 2 << QByteArray("V = 1\n") << QByteArray("line 1: longer than 65536 characters\n");
    QTest::newRow("batch: a line as long as allowed") << "--batch" << "ohm V I=1 R=1" + QByteArray(65536 - 13, ' ') + "\nohm V I=2 R=1\n" << 0 << QByteArray("V = 1\nV = 2\n") << none;
    QTest::newRow("batch: a line one byte too long") << "--batch" << "ohm V I=1 R=1" + QByteArray(65537 - 13, ' ') + "\nohm V I=2 R=1\n" << 2 << QByteArray("V = 2\n") << QByteArray("line 1: longer than 65536 characters\n");
    QTest::newRow("batch: a long last line without a break") << "--batch" << "ohm V I=2 R=1\nohm V I=1 R=1" + QByteArray(1000, ' ') << 0 << QByteArray("V = 2\nV = 1\n") << none;
    QTest::newRow("batch: the last line without a break") << "--batch" << QByteArray("ohm V I=1 R=1\nohm V I=3 R=1") << 0 << QByteArray("V = 1\nV = 3\n") << none;
    QTest::newRow("batch: options after --batch") << "--batch - --bogus" << none << 2 << none << QByteArray("unknown option: --bogus (try --help)\n");
    QTest::newRow("guard") << "ohm I V=10 R=0" << none << 1 << none << QByteArray("I = divide by zero\n");
    QTest::newRow("delta-star guard speaks in Rab") << "deltay to-delta Ra=0 Rb=1 Rc=1" << none << 1 << none << QByteArray("Rab = Ra is zero\n");
    QTest::newRow("illegal numbers named") << "charge Vt Vo=4k7 t=1 R=1+i C=1" << none << 3 << none << QByteArray("Illegal number(s): Vo, R\n");
    QTest::newRow("illegal delta-star inputs named") << "deltay to-star Rab=x Rbc=1 Rac=--1" << none << 3 << none << QByteArray("Illegal number(s): Rab, Rac\n");
    QTest::newRow("illegal Z named") << "rlc series C Z=i+i L=1 F=1" << none << 3 << none << QByteArray("Illegal number(s): Z\n");
    QTest::newRow("rlc check that keeps the panel") << "rlc series L C=1 F=0 Z=1" << none << 1 << none << QByteArray("L = Zero F or C\n");
    QTest::newRow("missing value") << "ohm V I=2" << none << 2 << none << QByteArray("missing value: R\n");
    QTest::newRow("value twice") << "ohm V I=2 I=3 R=1" << none << 2 << none << QByteArray("given twice: I\n");
    QTest::newRow("unknown given a value") << "ohm V V=1 I=2 R=1" << none << 2 << none << QByteArray("V is the unknown; give the other quantities\n");
    QTest::newRow("result given a value") << "deltay to-star Ra=1 Rab=1 Rbc=1 Rac=1" << none << 2 << none << QByteArray("Ra is computed in this direction\n");
    QTest::newRow("unknown quantity") << "ohm X" << none << 2 << none << QByteArray("not a quantity of ohm: X\n");
    QTest::newRow("unknown circuit") << "rlc loop Z" << none << 2 << none << QByteArray("rlc needs series, parallel or lrc\n");
    QTest::newRow("unknown tab") << "ohms" << none << 2 << none << QByteArray("unknown command: ohms (try --help)\n");
    QTest::newRow("recalc") << "recalc %DIR%/t.oma" << none << 0 << QByteArray("[ohm]\nV = 6\nI = 2\nR = 3\n[charge]\nVt = 0.6321206\nVo = 1\nt = 1\nR = 1\nC = 1\n[discharge]\nVt = 0.3678794\nVo = 1\nt = 1\nR = 1\nC = 1\n[cccap]\nt = 1\nC = 1\nV = 1\nI = 1\n[rcfilter]\nR = 1\nC = 1\nFc = 0.1591549\n[network 1]\nA0,0 = 7\nb0 = 8\nx0 = 9\n[deltay]\nRab = x\nRbc = 1\nRac = 1\nRa = 1\nRb = 1\nRc = 1\nerror = Illegal number(s)\n") << none;
    QTest::newRow("recalc a missing file") << "recalc %DIR%/none.oma" << none << 4 << none << QByteArray("Could not open '%DIR%/none.oma' for reading: No such file or directory\n");
    QTest::newRow("recalc a folder") << "recalc %DIR%" << none << 4 << none << QByteArray("'%DIR%' is a folder, not a file\n");
    QTest::newRow("an empty value") << "ohm V I= R=1" << none << 3 << none << QByteArray("Illegal number(s): I\n");
    QTest::newRow("a sign only") << "ohm V I=- R=+" << none << 3 << none << QByteArray("Illegal number(s): I, R\n");
    QTest::newRow("netlist") << "netlist -" << QByteArray("divider\nV1 in 0 10\nR1 in out 1k\nR2 out 0 1k\n") << 0 << QByteArray("V(in) = 10\nV(out) = 5\nI(V1) = -5e-3\n") << none;
    QTest::newRow("netlist: AC at its digits") << "--digits 7 netlist -" << QByteArray("rc\nV1 in 0 AC 1\nR1 in out 1k\nC1 out 0 159.15494309189535n\n.ac lin 1 1k 1k\n") << 0 << QByteArray("V(in) = 1+i0\nV(out) = 0.50000+i-0.5000\nI(V1) = -500e-6+i-500e-6\n") << none;
    QTest::newRow("netlist: larger than the grid") << "netlist -" << ladder << 0 << QByteArray("V(n0) = 30\nV(n1) = 29\nV(n2) = 28\n...") << none;
    QTest::newRow("netlist: an error names its line") << "netlist -" << QByteArray("t\nV1 a 0 1\nR1 a 0 x\n") << 3 << none << QByteArray("line 3: R1: 'x' is no number\n");
    QTest::newRow("netlist: no single solution") << "netlist -" << QByteArray("t\nV1 a 0 1\nR1 a b 1\nE1 b 0 b 0 1\n") << 1 << none << QByteArray("the netlist's equations have no single solution\n");
    QTest::newRow("netlist - in a batch") << "--batch" << QByteArray("netlist -\n") << 2 << none << QByteArray("line 1: netlist - inside a batch would read the batch itself; give a file\n");
    QTest::newRow("sweep rcfilter: -3 dB and -45 degrees at Fc") << "sweep rcfilter R=1k C=1u --from 159.15494309189535 --to 159.15494309189535 --points 1" << none << 0 << QByteArray("frequency_hz,gain_db,phase_deg\n159.15494309189535,-3.010299956639812,-45\n") << none;
    QTest::newRow("sweep rcfilter, three points a decade apart") << "sweep rcfilter R=1 C=1 --from 10m --to 1 --points 3" << none << 0 << QByteArray("frequency_hz,gain_db,phase_deg\n0.01,-0.01711150434458182,-3.5952737798681755\n0.1,-1.4450701162052872,-32.14190763534206\n0.15915494309189535,-3.010299956639812,-45\n1,-16.072235265805517,-80.95693892096232\n") << none;
    QTest::newRow("sweep rlc series: |Z| = R at f0") << "sweep rlc series R=10 L=1m C=1u --from 5032.921210448703 --to 5032.921210448703 --points 1" << none << 0 << QByteArray("frequency_hz,z_ohm,phase_deg\n5032.921210448703,10,-2.0355549961366507e-14\n") << none;
    QTest::newRow("sweep around f0, the tab's F in it") << "sweep rlc lrc R=1 L=1m C=1u F=50k" << none << 0 << QByteArray("frequency_hz,z_ohm,phase_deg\n50.30404120413572,...") << none;
    QTest::newRow("sweep: no resonance, no F") << "sweep rlc series R=10 L=0 C=1u" << none << 1 << none << QByteArray("The circuit has no resonance and F is not above zero\n");
    QTest::newRow("sweep: a stage without C") << "sweep rcfilter R=1k C=0" << none << 1 << none << QByteArray("The RC stage needs R, C and Fc above zero\n");
    QTest::newRow("sweep: Fc is what it shows") << "sweep rcfilter R=1k Fc=1k" << none << 2 << none << QByteArray("Fc is not given to a sweep; it is what the curve shows\n");
    QTest::newRow("sweep: another tab") << "sweep ohm V=1" << none << 2 << none << QByteArray("sweep takes rcfilter or rlc\n");
    QTest::newRow("sweep: from without to") << "sweep rcfilter R=1 C=1 --from 1" << none << 2 << none << QByteArray("a sweep of its own range needs both --from and --to\n");
    QTest::newRow("sweep: points without a range") << "sweep rcfilter R=1 C=1 --points 9" << none << 2 << none << QByteArray("a sweep of its own range needs both --from and --to\n");
    QTest::newRow("sweep: backwards") << "sweep rcfilter R=1 C=1 --from 1k --to 1" << none << 2 << none << QByteArray("the sweep ends below its start\n");
    QTest::newRow("sweep: from zero") << "sweep rcfilter R=1 C=1 --from 0 --to 1" << none << 2 << none << QByteArray("the sweep needs frequencies above 0 Hz\n");
    QTest::newRow("sweep: too many points") << "sweep rcfilter R=1 C=1 --from 1 --to 2 --points 100001" << none << 2 << none << QByteArray("a sweep takes 1 to 100000 points\n");
    QTest::newRow("sweep: a frequency that is no number") << "sweep rcfilter R=1 C=1 --from x --to 2" << none << 3 << none << QByteArray("--from takes a frequency: x\n");
    QTest::newRow("sweep options elsewhere") << "ohm V I=1 R=1 --points 5" << none << 2 << none << QByteArray("--points belongs to sweep\n");
    QTest::newRow("netlist: a sweep as CSV") << "netlist -" << QByteArray("rc\nV1 in 0 AC 1\nR1 in out 1k\nC1 out 0 159.15494309189535n\n.ac dec 1 100 1k\n") << 0 << QByteArray("frequency_hz,v(in)_v,v(in)_phase_deg,v(out)_v,v(out)_phase_deg,i(v1)_a,i(v1)_phase_deg\n100,1,0,0.9950371902099892,-5.710593137499643,9.950371902099892e-05,-95.71059313749964\n1000,1,0,0.7071067811865476,-45,0.0007071067811865475,-135\n") << none;
    QTest::newRow("help names every exit status") << "--help" << none << 0 << QByteArray("usage: ohmara-cli [--digits N] TAB UNKNOWN NAME=VALUE ...\n...") << none;
    QTest::newRow("no command") << "" << none << 2 << none << QByteArray("usage: ohmara-cli [--digits N] TAB UNKNOWN NAME=VALUE ...\n...");
}

void tst_cli::commands()
{
    QFETCH(QString, args);
    QFETCH(QByteArray, input);
    QFETCH(int, status);
    QFETCH(QByteArray, out);
    QFETCH(QByteArray, err);
    std::string printed, said;
    QCOMPARE(run(args, input, printed, said), status);
    err.replace("%DIR%", m_dir.path().toUtf8());
    for (auto [shown, expected] : {std::pair{QByteArray::fromStdString(printed), out},
                                   std::pair{QByteArray::fromStdString(said), err}}) {
        if (expected.endsWith("..."))
            shown.truncate(expected.size() - 3), expected.chop(3);
        QCOMPARE(shown, expected);
    }
}

// Every document scripts get parses back: --json prints one indented document per command,
// --json-lines one compact document a line. Each row gives the documents as compact JSON, a
// line each; QJsonObject orders the members by name.
void tst_cli::json_documents_data()
{
    QTest::addColumn<QString>("args");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("documents");
    const QByteArray none;
    QTest::newRow("an answer") << "--json ohm V I=2 R=3" << none << 0 << QByteArray(R"j({"answers":[{"name":"V","re":6,"text":"6"}],"command":"ohm","messages":[],"status":0})j");
    QTest::newRow("zero trimmed") << "--json ohm V I=0 R=1" << none << 0 << QByteArray(R"j({"answers":[{"name":"V","re":0,"text":"0"}],"command":"ohm","messages":[],"status":0})j");
    QTest::newRow("a check: null and its message") << "--json ohm I V=10 R=0" << none << 1 << QByteArray(R"j({"answers":[{"message":"divide by zero","name":"I","re":null,"text":"divide by zero"}],"command":"ohm","messages":["I = divide by zero"],"status":1})j");
    QTest::newRow("usage error") << "--json ohm X" << none << 2 << QByteArray(R"j({"answers":[],"command":"ohm","messages":["not a quantity of ohm: X"],"status":2})j");
    QTest::newRow("complex answers") << "--json deltay to-star Rab=2+i4 Rbc=3 Rac=1" << none << 0 << QByteArray(R"j({"answers":[{"im":0.3076923076923077,"name":"Ra","re":0.5384615384615384,"text":"0.5384615+i0.3076923"},{"im":0.9230769230769231,"name":"Rb","re":1.6153846153846154,"text":"1.6153846+i0.9230769"},{"im":-0.23076923076923078,"name":"Rc","re":0.34615384615384615,"text":"0.3461538+i-0.230769"}],"command":"deltay","messages":[],"status":0})j");
    QTest::newRow("rlc panel by name") << "--json rlc series Z R=1 L=1 C=1 F=1" << none << 0 << QByteArray(R"j({"answers":[{"im":6.124030364087691,"name":"Z","re":1,"text":"1+i6.1240304"}],"command":"rlc","messages":[],"panel":{"leading":false,"magnitude":6.205138830055941,"phase_deg":80.72595557158056,"phase_rad":1.4089337165427418,"resonance_hz":0.15915494309189535,"z_cap":-0.15915494309189535,"z_ind":6.283185307179586},"status":0})j");
    QTest::newRow("rlc: no resonance, no Zcap") << "--json rlc parallel R L=1 C=0 F=1 Z=1" << none << 0 << QByteArray(R"j({"answers":[{"name":"R","re":1,"text":"1"}],"command":"rlc","messages":[],"panel":{"leading":true,"magnitude":1,"phase_deg":0,"phase_rad":0,"resonance_hz":null,"z_cap":null,"z_ind":6.283185307179586},"status":0})j");
    QTest::newRow("standard values") << "--json --series E3 ohm R V=1 I=1" << none << 0 << QByteArray(R"j({"answers":[{"name":"R","re":1,"standard_values":{"above":{"percent":0,"text":"1","value":1},"below":{"percent":0,"text":"1","value":1},"series":"E3"},"text":"1"}],"command":"ohm","messages":[],"status":0})j");
    QTest::newRow("solve") << "--json solve -" << QByteArray("2 -1 0 1\n-1 3 -1 0\n0 -1 2 0\n") << 0 << QByteArray(R"j({"answers":[{"im":0,"name":"x0","re":0.625,"text":"0.625000+i 0.000000"},{"im":0,"name":"x1","re":0.25,"text":"0.250000+i 0.000000"},{"im":0,"name":"x2","re":0.125,"text":"0.125000+i 0.000000"}],"command":"solve","messages":[],"status":0})j");
    QTest::newRow("eseries") << "--json eseries E3 2" << none << 0 << QByteArray(R"j({"answers":[{"name":"below","percent":-50,"re":1,"text":"1 (-50.00 %)"},{"name":"above","percent":10.000000000000009,"re":2.2,"text":"2.2 (+10.00 %)"},{"name":"pair","percent":0,"re":2,"text":"1 series 1 = 2 (+0.00 %)"}],"command":"eseries","messages":[],"status":0})j");
    QTest::newRow("recalc: one document, escapes") << "--json recalc %DIR%/q.oma" << none << 4 << QByteArray(R"j({"command":"recalc","messages":["'%DIR%/q.oma' ends inside the ohm tab: the rest was left as it was"],"status":4,"tabs":[{"answers":[{"name":"V","re":1,"text":"1"},{"name":"I","re":null,"text":"a\"b\\"},{"name":"R","re":1,"text":"1"}],"error":"Illegal number(s)","tab":"ohm"},{"answers":[{"name":"Vt","re":0.6321206,"text":"0.6321206"},{"name":"Vo","re":1,"text":"1"},{"name":"t","re":1,"text":"1"},{"name":"R","re":1,"text":"1"},{"name":"C","re":1,"text":"1"}],"tab":"charge"},{"answers":[{"name":"Vt","re":0.3678794,"text":"0.3678794"},{"name":"Vo","re":1,"text":"1"},{"name":"t","re":1,"text":"1"},{"name":"R","re":1,"text":"1"},{"name":"C","re":1,"text":"1"}],"tab":"discharge"},{"answers":[{"name":"t","re":1,"text":"1"},{"name":"C","re":1,"text":"1"},{"name":"V","re":1,"text":"1"},{"name":"I","re":1,"text":"1"}],"tab":"cccap"},{"answers":[{"name":"R","re":1,"text":"1"},{"name":"C","re":1,"text":"1"},{"name":"Fc","re":0.1591549,"text":"0.1591549"}],"tab":"rcfilter"},{"answers":[{"im":0,"name":"Rab","re":3,"text":"3"},{"im":0,"name":"Rbc","re":3,"text":"3"},{"im":0,"name":"Rac","re":3,"text":"3"},{"im":0,"name":"Ra","re":1,"text":"1"},{"im":0,"name":"Rb","re":1,"text":"1"},{"im":0,"name":"Rc","re":1,"text":"1"}],"tab":"deltay"}]})j");
    QTest::newRow("recalc of a file cut short") << "--json-lines recalc %DIR%/r.oma" << none << 4 << QByteArray(R"j({"command":"recalc","messages":["'%DIR%/r.oma' ends after the ohm tab: the rest was left as it was"],)j" R"j("status":4,"tabs":[{"answers":[{"name":"V","re":6,"text":"6"},{"name":"I","re":2,"text":"2"},{"name":"R","re":3,"text":"3"}],"tab":"ohm"},{"answers":[{"name":"Vt","re":0.6321206,"text":"0.6321206"},{"name":"Vo","re":1,"text":"1"},{"name":"t","re":1,"text":"1"},{"name":"R","re":1,"text":"1"},{"name":"C","re":1,"text":"1"}],"tab":"charge"},{"answers":[{"name":"Vt","re":0.3678794,"text":"0.3678794"},{"name":"Vo","re":1,"text":"1"},{"name":"t","re":1,"text":"1"},{"name":"R","re":1,"text":"1"},{"name":"C","re":1,"text":"1"}],"tab":"discharge"},{"answers":[{"name":"t","re":1,"text":"1"},{"name":"C","re":1,"text":"1"},{"name":"V","re":1,"text":"1"},{"name":"I","re":1,"text":"1"}],"tab":"cccap"},{"answers":[{"name":"R","re":1,"text":"1"},{"name":"C","re":1,"text":"1"},{"name":"Fc","re":0.1591549,"text":"0.1591549"}],"tab":"rcfilter"},{"answers":[{"im":0,"name":"Rab","re":3,"text":"3"},{"im":0,"name":"Rbc","re":3,"text":"3"},{"im":0,"name":"Rac","re":3,"text":"3"},{"im":0,"name":"Ra","re":1,"text":"1"},{"im":0,"name":"Rb","re":1,"text":"1"},{"im":0,"name":"Rc","re":1,"text":"1"}],"tab":"deltay"}]})j");
    QTest::newRow("batch: an object for every line") << "--json-lines --batch" << QByteArray("ohm V I=x R=1\n# a comment\n\nohm V I=2 R=3\nohm V I=\xff R=1\n") << 3 << QByteArray(R"j({"answers":[],"command":"ohm","line":1,"messages":["Illegal number(s): I"],"status":3})j" "\n" R"j({"answers":[{"name":"V","re":6,"text":"6"}],"command":"ohm","line":4,"messages":[],"status":0})j" "\n" R"j({"answers":[],"command":null,"line":5,"messages":["not text: bytes that are not UTF-8"],"status":3})j");
}

void tst_cli::json_documents()
{
    QFETCH(QString, args);
    QFETCH(QByteArray, input);
    QFETCH(int, status);
    QFETCH(QByteArray, documents);
    std::string printed, said;
    QCOMPARE(run(args, input, printed, said), status);
    const QByteArray shown = QByteArray::fromStdString(printed);
    const QList<QByteArray> parts = args.contains("--json-lines") ? shown.trimmed().split('\n') : QList{shown};
    QByteArrayList compact;
    for (const QByteArray &part : parts) {
        QJsonParseError error{};
        const QJsonDocument doc = QJsonDocument::fromJson(part, &error);
        QVERIFY2(error.error == QJsonParseError::NoError, qPrintable(error.errorString() + ": " + part));
        compact << doc.toJson(QJsonDocument::Compact);
    }
    QCOMPARE(compact.join('\n'), documents.replace("%DIR%", m_dir.path().toUtf8()));
}

// A batch answers every line as the same command alone answers it, also where the line sets up
// a tab an earlier line set up too (same tab, circuit and unknown; other digits; other values;
// a failing value between), and in JSON, where every document names its line.
void tst_cli::batch_lines_answer_as_alone()
{
    const QStringList lines = {
        "ohm V I=2 R=3.3k",
        "ohm V I=5 R=1",
        "--digits 6 ohm V I=2 R=3.3k",
        "ohm I V=x R=1",
        "ohm V I=2 R=3.3k",
        "rlc series Z R=1 L=1m C=1u F=1k",
        "rlc series F R=1 L=1m C=1u",
        "rlc series Z R=2 L=1m C=1u F=50",
        "rlc parallel Z R=1 L=1m C=1u F=1k",
        "rlc lrc C R=10 L=1m F=1k Z=5+i3",
        "rlc series F R=1 L=1m C=1u",
        "--digits 12 rlc series Z R=1 L=1m C=1u F=1k",
        "deltay to-star Rab=2+i4 Rbc=3 Rac=1",
        "deltay to-star Rab=2 Rbc=3 Rac=1",
        "deltay to-delta Ra=1 Rb=2 Rc=3",
        "charge R Vt=2.5 Vo=3.3 t=1m C=100n",
        "charge R Vt=4 Vo=3.3 t=1m C=100n",
        "--series E24 charge R Vt=2.5 Vo=3.3 t=1m C=100n",
        "cccap t C=1u V=5 I=1m",
        "rcfilter Fc R=1k C=100n",
        "eseries E12 4.7k",
    };
    for (const char *options : {"", "--json-lines ", "--digits 7 "}) {
        QByteArray batch;
        std::string expected_out, expected_err;
        for (int k = 0; k < lines.size(); ++k) {
            batch += lines[k].toUtf8() + '\n';
            std::string out, err;
            run(options + lines[k], {}, out, err);
            // In a batch, a document and every message name their line.
            const std::string line = std::to_string(k + 1);
            if (!std::string(options).empty() && out.size() > 1 && out[0] == '{')
                out.insert(out.rfind(",\"messages\""), ",\"line\":" + line);
            for (size_t at = 0; at < err.size(); at = err.find('\n', at) + 1)
                err.insert(at, "line " + line + ": ");
            expected_out += out;
            expected_err += err;
        }
        std::string out, err;
        run(QString(options) + "--batch", batch, out, err);
        QCOMPARE(QByteArray::fromStdString(out), QByteArray::fromStdString(expected_out));
        QCOMPARE(QByteArray::fromStdString(err), QByteArray::fromStdString(expected_err));
    }
}

// A batch file is answered in blocks of lines by two threads: around the block's size every
// line still answers once, in its order, its messages naming it, and a failing line anywhere
// makes the status.
void tst_cli::batch_files_of_every_length_data()
{
    QTest::addColumn<int>("lines");
    QTest::addColumn<int>("sweep_every"); // lines with long answers, answered alone; 0: none
    QTest::newRow("1") << 1 << 0;
    QTest::newRow("one short of a block") << 1023 << 0;
    QTest::newRow("a block") << 1024 << 0;
    QTest::newRow("one past a block") << 1025 << 0;
    QTest::newRow("two blocks") << 2048 << 0;
    QTest::newRow("three blocks and a bit") << 3100 << 0;
    QTest::newRow("a sweep now and then") << 3100 << 301;
    QTest::newRow("a sweep where a block would end") << 2100 << 1024;
    QTest::newRow("many sweeps") << 1500 << 7;
    QTest::newRow("only a sweep") << 1 << 1;
}

void tst_cli::batch_files_of_every_length()
{
    QFETCH(int, lines);
    QFETCH(int, sweep_every);
    // Line k asks for V = I * 1 with I = k % 900 + 1; every 97th line has no number for I,
    // every 50th is a comment, and every sweep_every-th a sweep of two points.
    QByteArray batch;
    std::string expected_out, expected_err;
    for (int k = 1; k <= lines; ++k) {
        const std::string i = std::to_string(k % 900 + 1);
        if (sweep_every && k % sweep_every == 0) {
            batch += "sweep rcfilter R=1k C=100n --from 10 --to 100 --points 2\n";
            expected_out += "frequency_hz,gain_db,phase_deg\n"
                            "10,-0.00017144920494890274,-0.3599952627020996\n"
                            "100,-0.01711150434458182,-3.5952737798681746\n";
        } else if (k % 50 == 0) {
            batch += "# a comment\n";
        } else if (k % 97 == 0) {
            batch += "ohm V I=x R=1\n";
            expected_err += "line " + std::to_string(k) + ": Illegal number(s): I\n";
        } else {
            batch += QByteArray("ohm V I=") + i.c_str() + " R=1\n";
            expected_out += "V = " + i + "\n";
        }
    }
    QFile file(m_dir.filePath("long.txt"));
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(batch);
    file.close();
    std::string out, err;
    QCOMPARE(run("--batch %DIR%/long.txt", {}, out, err), !expected_err.empty() ? 3 : 0);
    QCOMPARE(QByteArray::fromStdString(out), QByteArray::fromStdString(expected_out));
    QCOMPARE(QByteArray::fromStdString(err), QByteArray::fromStdString(expected_err));
}

QTEST_APPLESS_MAIN(tst_cli)
#include "tst_cli.moc"
