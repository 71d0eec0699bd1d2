#include "network/netlist.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <array>
#include <cmath>
#include <functional>
#include <numeric>

// Netlists as SPICE reads them, solved by modified nodal analysis; checked against ngspice.
class tst_netlist : public QObject
{
    Q_OBJECT

private slots:
    void numbers_data();
    void numbers();
    void not_numbers_data();
    void not_numbers();
    void solved_data();
    void solved();
    void errors_data();
    void errors();
    void sweeps_data();
    void sweeps();
    void sweep_agrees_with_ngspice();
    void agrees_with_ngspice_data();
    void agrees_with_ngspice();
};

namespace {

// Every unknown as "V(out)=2.5", at six significant digits, in order.
QString solution(const QString &netlist)
{
    const NetlistRead read = read_netlist(netlist.toStdString());
    if (!read.ok)
        return read.error;
    const NodalEquations eq = nodal_equations(read.netlist);
    if (!eq.ok)
        return eq.error;
    std::vector<Complex> x;
    if (!solve_nodal(eq, x))
        return QStringLiteral("no single solution");
    Q_ASSERT(int(eq.names.size()) == eq.size);
    QStringList out;
    for (int i = 0; i < eq.size; ++i) {
        const Complex z = x[size_t(i)];
        out << eq.names[size_t(i)] + "=" + QString::number(std::fabs(z.re) < 1e-15 ? 0.0 : z.re, 'g', 6)
                + (eq.complex ? "," + QString::number(std::fabs(z.im) < 1e-15 ? 0.0 : z.im, 'g', 6) : QString());
    }
    return out.join(' ');
}

} // namespace

void tst_netlist::numbers_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("value");
    QTest::newRow("plain") << "47" << 47.0;
    QTest::newRow("exponent") << "1e-3" << 1e-3;
    QTest::newRow("kilo") << "4.7k" << 4.7e3;
    QTest::newRow("m is milli") << "3M" << 3e-3;
    QTest::newRow("meg") << "2.2Meg" << 2.2e6;
    QTest::newRow("MEG") << "2.2MEG" << 2.2e6;
    QTest::newRow("unit after the scale") << "10nF" << 10e-9;
    QTest::newRow("unit alone") << "5V" << 5.0;
    QTest::newRow("femto") << "3f" << 3e-15;
    QTest::newRow("pico") << "22p" << 22e-12;
    QTest::newRow("micro") << "1u" << 1e-6;
    QTest::newRow("giga") << "1G" << 1e9;
    QTest::newRow("tera") << "1t" << 1e12;
    QTest::newRow("mil") << "2mil" << 50.8e-6;
    QTest::newRow("negative") << "-1.5k" << -1.5e3;
    QTest::newRow("leading point") << ".5" << 0.5;
}

void tst_netlist::numbers()
{
    QFETCH(QString, text);
    QFETCH(double, value);
    double x = 0;
    QVERIFY(spice_number(text.toStdString(), x));
    QCOMPARE(x, value);
}

void tst_netlist::not_numbers_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("a word") << "x";
    QTest::newRow("infinity") << "inf";
    QTest::newRow("NaN") << "nan";
    QTest::newRow("hexadecimal") << "0x10";
    QTest::newRow("digits after the unit") << "1k2";
    QTest::newRow("empty") << "";
    QTest::newRow("beyond a double") << "1e999";
}

void tst_netlist::not_numbers()
{
    QFETCH(QString, text);
    double x = 0;
    QVERIFY(!spice_number(text.toStdString(), x));
}

// Small circuits whose answers are known by hand; SPICE's sign for a source's current (it
// enters at n+) included.
void tst_netlist::solved_data()
{
    QTest::addColumn<QString>("netlist");
    QTest::addColumn<QString>("unknowns");
    QTest::newRow("divider") << "divider\nV1 in 0 10\nR1 in out 1k\nR2 out 0 1k\n" << "V(in)=10 V(out)=5 I(V1)=-0.005";
    QTest::newRow("case, comments, continuation, gnd") << "title\n* a comment\nv1 IN gnd dc 6 ; the supply\nR1 in\n+ Out 2K\nr2 OUT 0 1k\n.end\nR3 x y 1\n" << "V(in)=6 V(out)=2 I(V1)=-0.002";
    QTest::newRow("current source into a resistor") << "t\nI1 0 a 2m\nR1 a 0 1k\n" << "V(a)=2";
    QTest::newRow("inductor is a short in DC") << "t\nV1 a 0 1\nL1 a b 1m\nR1 b 0 100\n" << "V(a)=1 V(b)=1 I(V1)=-0.01 I(L1)=0.01";
    QTest::newRow("capacitor is open in DC") << "t\nV1 a 0 1\nR1 a b 1k\nC1 b 0 1u\nR2 b 0 1k\n" << "V(a)=1 V(b)=0.5 I(V1)=-0.0005";
    QTest::newRow("voltage-controlled voltage source") << "t\nV1 a 0 1\nR1 a 0 1k\nE1 b 0 a 0 3\nR2 b 0 1k\n" << "V(a)=1 V(b)=3 I(V1)=-0.001 I(E1)=-0.003";
    QTest::newRow("transconductance") << "t\nV1 a 0 2\nR1 a 0 1k\nG1 0 b a 0 1m\nR2 b 0 1k\n" << "V(a)=2 V(b)=2 I(V1)=-0.002";
    QTest::newRow("AC: RC at its corner") << "t\nV1 in 0 AC 1\nR1 in out 1k\nC1 out 0 159.15494309189535n\n.ac lin 1 1k 1k\n" << "V(in)=1,0 V(out)=0.5,-0.5 I(V1)=-0.0005,-0.0005";
    QTest::newRow("AC: phase in degrees, DC ignored") << "t\nV1 a 0 DC 5 AC 2 90\nR1 a 0 1\n.ac lin 1 50 50\n" << "V(a)=0,2 I(V1)=0,-2";
    QTest::newRow("AC: series resonance") << "t\nV1 a 0 AC 1\nR1 a b 10\nL1 b c 1m\nC1 c 0 1u\n.ac lin 1 5032.921210448704 5032.921210448704\n" << "V(a)=1,0 V(b)=0,0 V(c)=0,-3.16228 I(V1)=-0.1,0";
}

void tst_netlist::solved()
{
    QFETCH(QString, netlist);
    QFETCH(QString, unknowns);
    QCOMPARE(solution(netlist), unknowns);
}

void tst_netlist::errors_data()
{
    QTest::addColumn<QString>("netlist");
    QTest::addColumn<QString>("error");
    QTest::newRow("unknown element") << "t\nQ1 c b e model\n" << "line 2: Q1: elements of kind Q are not supported (R, C, L, V, I, E, G)";
    QTest::newRow("value no number") << "t\nV1 a 0 1\nR1 a 0 1x2\n" << "line 3: R1: '1x2' is no number";
    QTest::newRow("missing node") << "t\nR1 a 1k\n" << "line 2: R1 needs two nodes and a value";
    QTest::newRow("controlled source short") << "t\nE1 a 0 b 2\n" << "line 2: E1 needs four nodes and a gain";
    QTest::newRow("duplicate name, any case") << "t\nV1 a 0 1\nR1 a 0 1\nr1 a 0 2\n" << "line 4: R1 is named twice (first on line 3)";
    QTest::newRow("a node met once") << "t\nV1 a 0 1\nR1 a b 1k\n" << "line 3: node 'b' of R1 is connected to nothing else";
    QTest::newRow("floating in DC") << "t\nV1 a 0 1\nC1 a b 1u\nR1 b c 1k\nR2 c b 1k\n" << "node 'b' has no path to ground in DC (capacitors are open)";
    QTest::newRow("cut off by a current source") << "t\nI1 0 a 1\nR1 a b 1\nR2 a b 1\nI2 b 0 1\n" << "node 'a' has no path to ground";
    QTest::newRow("loop of voltage sources") << "t\nV1 a 0 1\nV2 a 0 2\nR1 a 0 1\n" << "line 3: V2 closes a loop of voltage sources";
    QTest::newRow("inductor across a source in DC") << "t\nV1 a 0 1\nL1 a 0 1m\n" << "line 3: L1 closes a loop of voltage sources";
    QTest::newRow("a transient source") << "t\nV1 a 0 PULSE(0 1 0 1n 1n 1u 2u)\nR1 a 0 1\n" << "line 2: V1: only DC and AC values are supported, not 'pulse'";
    QTest::newRow("an octave sweep") << "t\nV1 a 0 AC 1\nR1 a 0 1\n.ac oct 10 1 1k\n" << "line 4: .ac takes dec or lin, 1 to 100000 points and two frequencies above 0, the second not below the first (.ac dec 10 1 1meg)";
    QTest::newRow("a sweep backwards") << "t\nV1 a 0 AC 1\nR1 a 0 1\n.ac dec 10 1k 1\n" << "line 4: .ac takes dec or lin, 1 to 100000 points and two frequencies above 0, the second not below the first (.ac dec 10 1 1meg)";
    QTest::newRow("a sweep from 0 Hz") << "t\nV1 a 0 AC 1\nR1 a 0 1\n.ac lin 10 0 1k\n" << "line 4: .ac takes dec or lin, 1 to 100000 points and two frequencies above 0, the second not below the first (.ac dec 10 1 1meg)";
    QTest::newRow("half a point") << "t\nV1 a 0 AC 1\nR1 a 0 1\n.ac lin 2.5 1 1k\n" << "line 4: .ac takes dec or lin, 1 to 100000 points and two frequencies above 0, the second not below the first (.ac dec 10 1 1meg)";
    QTest::newRow("too many decades") << "t\nV1 a 0 AC 1\nR1 a 0 1\n.ac dec 10000 1 1t\n" << "line 4: .ac: more than 100000 frequencies";
    QTest::newRow("another analysis") << "t\nV1 a 0 1\nR1 a 0 1\n.tran 1n 1u\n" << "line 4: .tran is not supported (.op, .ac, .end)";
    QTest::newRow("zero ohms") << "t\nV1 a 0 1\nR1 a 0 0\n" << "line 3: R1: a resistance of 0 (use a voltage source of 0 V)";
    QTest::newRow("only a title") << "V1 a 0 1\n" << "line 1: the netlist holds no elements (the first line is its title)";
    QTest::newRow("no ground") << "t\nV1 a b 1\nR1 a b 1\n" << "line 1: nothing is connected to ground (node 0)";
}

void tst_netlist::errors()
{
    QFETCH(QString, netlist);
    QFETCH(QString, error);
    QCOMPARE(solution(netlist), error);
}

namespace {

// A random linear network that has one solution: a resistor tree from ground reaches every
// node (so none floats); further resistors, capacitors and inductors close meshes; sources of
// every kind sit between nodes without forming a loop of voltage sources.
QString random_network(QRandomGenerator &rng, bool ac, int &elements)
{
    const int nodes = 2 + int(rng.bounded(7));
    QStringList lines{QStringLiteral("random network")};
    int count = 0;
    auto value = [&rng](double low, double decades) { return low * std::pow(10.0, rng.bounded(decades)); };
    auto node = [&rng, nodes](bool ground) { return int(rng.bounded(nodes + (ground ? 1 : 0))) + (ground ? 0 : 1); };
    auto name = [](int k) { return k == 0 ? QStringLiteral("0") : QStringLiteral("n%1").arg(k); };
    // Two resistors from each node: to one before it (the tree), and to any other.
    for (int k = 1; k <= nodes; ++k) {
        lines << QStringLiteral("R%1 %2 %3 %4").arg(++count).arg(name(k), name(int(rng.bounded(k)))).arg(value(10, 4), 0, 'g', 17);
        const int other = (k + 1 + int(rng.bounded(nodes))) % (nodes + 1);
        lines << QStringLiteral("R%1 %2 %3 %4").arg(++count).arg(name(k), name(other)).arg(value(10, 4), 0, 'g', 17);
    }
    // Voltage sources join nodes only where no such source joins them yet (a forest).
    std::vector<int> group(size_t(nodes + 1));
    std::iota(group.begin(), group.end(), 0);
    std::function<int(int)> find = [&](int a) { return group[size_t(a)] == a ? a : group[size_t(a)] = find(group[size_t(a)]); };
    const int extra = 1 + int(rng.bounded(8));
    for (int k = 0; k < extra; ++k) {
        const int a = node(true), b = node(true);
        if (a == b)
            continue;
        const QString ab = name(a) + " " + name(b);
        switch (rng.bounded(7)) {
        case 0: lines << QStringLiteral("R%1 %2 %3").arg(++count).arg(ab).arg(value(1, 5), 0, 'g', 17); break;
        case 1: lines << QStringLiteral("C%1 %2 %3").arg(++count).arg(ab).arg(value(1e-9, 3), 0, 'g', 17); break;
        case 2:
            // An inductor is a short in DC, where ngspice starts also an AC analysis: it must
            // not close a loop of voltage sources either.
            if (find(a) == find(b))
                break;
            group[size_t(find(a))] = find(b);
            lines << QStringLiteral("L%1 %2 %3").arg(++count).arg(ab).arg(value(1e-6, 3), 0, 'g', 17);
            break;
        case 3:
        case 4:
            if (find(a) == find(b))
                break;
            group[size_t(find(a))] = find(b);
            if (rng.bounded(2))
                lines << QStringLiteral("V%1 %2 DC %3 AC %4 %5").arg(++count).arg(ab).arg(value(0.1, 2), 0, 'g', 17).arg(value(0.1, 1), 0, 'g', 17).arg(rng.bounded(360.0) - 180, 0, 'g', 17);
            else
                lines << QStringLiteral("E%1 %2 %3 %4 %5").arg(++count).arg(ab, name(node(true)), name(node(true))).arg(value(0.1, 2) - 5, 0, 'g', 17);
            break;
        case 5: lines << QStringLiteral("I%1 %2 DC %3 AC %4 %5").arg(++count).arg(ab).arg(value(1e-3, 2), 0, 'g', 17).arg(value(1e-3, 1), 0, 'g', 17).arg(rng.bounded(360.0) - 180, 0, 'g', 17); break;
        default: lines << QStringLiteral("G%1 %2 %3 %4 %5").arg(++count).arg(ab, name(node(true)), name(node(true))).arg(value(1e-4, 2), 0, 'g', 17); break;
        }
    }
    elements = count;
    if (ac)
        lines << QStringLiteral(".ac lin 1 %1 %1").arg(value(10, 4), 0, 'g', 17);
    return lines.join('\n') + '\n';
}

// Runs ngspice on a deck; its printed output.
QByteArray run_ngspice(const QString &ngspice, QTemporaryDir &dir, const QString &deck)
{
    QFile file(dir.filePath("n.cir"));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return {};
    file.write(deck.toLatin1());
    file.close();
    QProcess run;
    run.start(ngspice, {QStringLiteral("-b"), file.fileName()});
    run.waitForFinished(30000);
    return run.readAllStandardOutput() + run.readAllStandardError();
}

// ngspice's name of an unknown: "out" for V(out), "v1#branch" for I(V1).
QString ngspice_key(const QString &name)
{
    return name.startsWith('V') ? name.mid(2).chopped(1).toLower() : name.mid(2).chopped(1).toLower() + "#branch";
}

// The largest magnitude among the voltages [0] and among the currents [1].
std::array<double, 2> largest_of_kind(const std::vector<QString> &names, const std::vector<Complex> &values)
{
    std::array<double, 2> largest{0, 0};
    for (size_t i = 0; i < names.size(); ++i) {
        double &l = largest[names[i].startsWith('I')];
        l = std::max(l, std::hypot(values[i].re, values[i].im));
    }
    return largest;
}

// wrdata's table of an AC sweep: per line the frequency, then each vector's real and
// imaginary part, by the lower-case names of its header.
QHash<QString, std::vector<Complex>> ngspice_sweep(const QByteArray &table, std::vector<double> &frequencies)
{
    QHash<QString, std::vector<Complex>> out;
    const QList<QByteArray> lines = table.split('\n');
    const QList<QByteArray> names = lines.value(0).simplified().split(' ');
    for (int l = 1; l < lines.size(); ++l) {
        const QList<QByteArray> cells = lines[l].simplified().split(' ');
        if (cells.size() != names.size())
            continue;
        frequencies.push_back(cells[0].toDouble());
        for (int c = 1; c + 1 < cells.size(); c += 2)
            out[QString::fromLatin1(names[c])].push_back(Complex{cells[c].toDouble(), cells[c + 1].toDouble()});
    }
    return out;
}

// ngspice's answers by lower-case name: "n1" for V(n1), "v3#branch" for I(V3).
QHash<QString, Complex> ngspice_answers(const QByteArray &printed)
{
    QHash<QString, Complex> out;
    static const QRegularExpression line(QStringLiteral("^(\\S+) = (\\S+?)(?:,(\\S+))?$"));
    for (const QByteArray &l : printed.split('\n')) {
        const QRegularExpressionMatch m = line.match(QString::fromLatin1(l).trimmed());
        if (m.hasMatch())
            out.insert(m.captured(1), Complex{m.captured(2).toDouble(), m.captured(3).toDouble()});
    }
    return out;
}

} // namespace

// SPICE's sweeps: N points a decade from the start as far as they reach the end, or N points
// evenly from start to end.
void tst_netlist::sweeps_data()
{
    QTest::addColumn<QString>("analysis");
    QTest::addColumn<QString>("frequencies");
    QTest::newRow("a decade a point") << ".ac dec 1 10 1k" << "10 100 1000";
    QTest::newRow("steps spread to the end") << ".ac dec 2 1 20" << "1 4.47213595499958 20";
    QTest::newRow("linear") << ".ac lin 3 1k 2k" << "1000 1500 2000";
    QTest::newRow("one frequency") << ".ac lin 1 50 50" << "50";
}

void tst_netlist::sweeps()
{
    QFETCH(QString, analysis);
    QFETCH(QString, frequencies);
    const NetlistRead read = read_netlist(("t\nV1 a 0 AC 1\nR1 a b 1k\nC1 b 0 1u\n" + analysis + "\n").toStdString());
    QVERIFY2(read.ok, qPrintable(read.error));
    const NetlistSweep sweep = sweep_netlist(read.netlist);
    QCOMPARE(sweep.error, QString());
    QStringList shown;
    for (double f : sweep.frequencies)
        shown << QString::fromStdString(shortest_text(f));
    QCOMPARE(shown.join(' '), frequencies);
    QCOMPARE(read.netlist.swept(), sweep.frequencies.size() > 1);
    QCOMPARE(int(sweep.values.size()), int(sweep.frequencies.size()));
}

// Random AC networks swept here and by ngspice's "ac dec": every node voltage and source
// current at every frequency within 1e-6 of the largest of its kind.
void tst_netlist::sweep_agrees_with_ngspice()
{
    const QString ngspice = QStandardPaths::findExecutable(QStringLiteral("ngspice"));
    if (ngspice.isEmpty())
        QSKIP("ngspice is not installed (scripts/test installs it)");
    QRandomGenerator rng(7);
    QTemporaryDir dir;
    for (int k = 0; k < 20; ++k) {
        int elements = 0;
        QString netlist = random_network(rng, true, elements);
        const double from = std::pow(10.0, rng.bounded(4.0));
        netlist = netlist.left(netlist.lastIndexOf(".ac")) + QStringLiteral(".ac dec 7 %1 %2\n").arg(from, 0, 'g', 17).arg(from * 500, 0, 'g', 17);
        const NetlistRead read = read_netlist(netlist.toStdString());
        QVERIFY2(read.ok, qPrintable(read.error + "\n" + netlist));
        const NetlistSweep mine = sweep_netlist(read.netlist);
        QVERIFY2(mine.error.isEmpty(), qPrintable(mine.error + "\n" + netlist));
        run_ngspice(ngspice, dir, netlist.left(netlist.lastIndexOf(".ac")) + ".control\nset wr_vecnames\nset wr_singlescale\noption numdgt=16\n"
                    + QStringLiteral("ac dec 7 %1 %2\n").arg(from, 0, 'g', 17).arg(from * 500, 0, 'g', 17)
                    + "wrdata " + dir.filePath("w.txt") + " all\n.endc\n.end\n");
        QFile table(dir.filePath("w.txt"));
        QVERIFY(table.open(QIODevice::ReadOnly));
        std::vector<double> frequencies;
        const QHash<QString, std::vector<Complex>> theirs = ngspice_sweep(table.readAll(), frequencies);
        QCOMPARE(int(frequencies.size()), int(mine.frequencies.size()));
        for (size_t f = 0; f < frequencies.size(); ++f)
            QVERIFY(std::abs(frequencies[f] - mine.frequencies[f]) <= 1e-9 * frequencies[f]);
        for (size_t f = 0; f < frequencies.size(); ++f) {
            const std::array<double, 2> largest = largest_of_kind(mine.names, mine.values[f]);
            for (size_t i = 0; i < mine.names.size(); ++i) {
                const QString name = mine.names[i];
                const QString key = ngspice_key(name);
                QVERIFY2(theirs.contains(key) && theirs[key].size() == frequencies.size(), qPrintable(key + "\n" + netlist));
                const Complex a = mine.values[f][i], b = theirs[key][f];
                QVERIFY2(std::hypot(a.re - b.re, a.im - b.im) <= 1e-6 * largest[name.startsWith('I')] + 1e-12,
                         qPrintable(QStringLiteral("%1 at %2 Hz\n%3").arg(name).arg(frequencies[f]).arg(netlist)));
            }
        }
    }
}

// Random networks through ngspice and through the nodal equations here: every node voltage
// and source current agrees within 1e-6 (relative to the largest of its kind). ngspice adds
// no gmin to linear elements, so nothing needs accounting for.
void tst_netlist::agrees_with_ngspice_data()
{
    QTest::addColumn<bool>("ac");
    QTest::addColumn<quint32>("seed");
    for (quint32 seed = 1; seed <= 10; ++seed) {
        QTest::addRow("DC, seed %u", seed) << false << seed;
        QTest::addRow("AC, seed %u", seed) << true << seed;
    }
}

void tst_netlist::agrees_with_ngspice()
{
    QFETCH(bool, ac);
    QFETCH(quint32, seed);
    const QString ngspice = QStandardPaths::findExecutable(QStringLiteral("ngspice"));
    if (ngspice.isEmpty())
        QSKIP("ngspice is not installed (scripts/test installs it)");
    QRandomGenerator rng(seed);
    QTemporaryDir dir;
    // 50 networks a run, one ngspice process each (ngspice starts slowly).
    for (int k = 0; k < 50; ++k) {
        int elements = 0;
        const QString netlist = random_network(rng, ac, elements);
        const NetlistRead read = read_netlist(netlist.toStdString());
        QVERIFY2(read.ok, qPrintable(read.error + "\n" + netlist));
        const NodalEquations eq = nodal_equations(read.netlist);
        if (!eq.ok)
            continue; // a generated node only capacitors reach, in DC
        std::vector<Complex> mine, grid;
        QVERIFY2(solve_nodal(eq, mine), qPrintable(netlist));
        const QString analysis = ac ? QStringLiteral("ac lin 1 %1 %1").arg(read.netlist.frequency, 0, 'g', 17) : QStringLiteral("op");
        const QByteArray printed = run_ngspice(ngspice, dir, netlist + ".control\nset numdgt=16\n" + analysis + "\nprint all\n.endc\n.end\n");
        const QHash<QString, Complex> theirs = ngspice_answers(printed);
        const std::array<double, 2> largest = largest_of_kind(eq.names, mine);
        // The grid's texts of the same equations, solved as the grid solves them, agree too.
        QVERIFY2(solve_netlist_equations(eq, grid), qPrintable(netlist));
        for (size_t i = 0; i < mine.size(); ++i)
            QVERIFY2(std::hypot(grid[i].re - mine[i].re, grid[i].im - mine[i].im) <= 1e-9 * largest[eq.names[i].startsWith('I')] + 1e-15,
                     qPrintable(QStringLiteral("%1: %2 %3 vs %4 %5\n%6").arg(eq.names[i]).arg(grid[i].re, 0, 'g', 17).arg(grid[i].im, 0, 'g', 17).arg(mine[i].re, 0, 'g', 17).arg(mine[i].im, 0, 'g', 17).arg(netlist)));
        for (int i = 0; i < eq.size; ++i) {
            const QString name = eq.names[size_t(i)];
            const QString key = ngspice_key(name);
            QVERIFY2(theirs.contains(key), qPrintable(QStringLiteral("ngspice gave no %1 for\n%2\n%3").arg(key, netlist, QString::fromLatin1(printed.right(600)))));
            const Complex a = mine[size_t(i)], b = theirs.value(key);
            // Relative to the largest of its kind, and within SPICE's own absolute tolerance of
            // a picoampere (or picovolt) where everything is close to zero.
            const double scale = largest[name.startsWith('I')];
            QVERIFY2(std::hypot(a.re - b.re, a.im - b.im) <= 1e-6 * scale + 1e-12,
                     qPrintable(QStringLiteral("%1: %2%3i here, %4%5i from ngspice\n%6").arg(name).arg(a.re).arg(a.im, 0, 'g', 6).arg(b.re).arg(b.im, 0, 'g', 6).arg(netlist)));
        }
        Q_UNUSED(elements);
    }
}

QTEST_APPLESS_MAIN(tst_netlist)
#include "tst_netlist.moc"
