#include <algorithm>

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

// The real ohmara-cli program where only a process shows it: answers that stream while the
// input goes on, memory that stays bounded, and outputs that cannot be written.
class tst_cli_process : public QObject
{
    Q_OBJECT

private slots:
    void endless_batch_streams_in_bounded_memory();
    void long_answers_of_a_batch_file_in_bounded_memory();
    void batch_from_a_redirected_file();
    void unwritable_output_data();
    void unwritable_output();
    void completion_data();
    void completion();
};

namespace {

// The process's peak resident memory in kB, from the kernel.
long peak_kb(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

// What a bash command prints on both streams, with $CLI the program and $VALUE a value.
QString bash(const QString &command, const QString &value)
{
    QProcess shell;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("CLI"), QStringLiteral(OHMARA_CLI));
    env.insert(QStringLiteral("VALUE"), value);
    shell.setProcessEnvironment(env);
    shell.setProcessChannelMode(QProcess::MergedChannels);
    shell.start(QStringLiteral("bash"), {QStringLiteral("-c"), command});
    if (!shell.waitForFinished(30000))
        return QStringLiteral("(bash did not end)");
    return QString::fromUtf8(shell.readAll());
}

} // namespace

// A generator feeds a batch for three seconds. Answers arrive while it still writes, and the
// peak memory after the first second does not grow with the input.
void tst_cli_process::endless_batch_streams_in_bounded_memory()
{
    QProcess cli;
    cli.start(QStringLiteral(OHMARA_CLI), {QStringLiteral("--batch")});
    QVERIFY(cli.waitForStarted());
    const QByteArray chunk = QByteArray("ohm V I=2 R=3\nrlc series Z R=1 L=1 C=1 F=1\n# a comment\n").repeated(2000);
    QElapsedTimer clock;
    clock.start();
    qint64 lines_out = 0, chunks = 0;
    long settled = -1;
    // The next chunk goes in only when every answer of the last one has come out: the program
    // answers as it reads, not when its input ends. Each chunk answers 2000 "V = 6" lines and
    // 2000 times eight lines of the RLC tab.
    while (clock.elapsed() < 3000) {
        cli.write(chunk);
        ++chunks;
        while (lines_out < chunks * 2000 * 9) {
            QVERIFY2(cli.waitForReadyRead(10000), "the answers stopped while the input went on");
            lines_out += cli.readAllStandardOutput().count('\n');
        }
        if (settled < 0 && clock.elapsed() > 1000)
            settled = peak_kb(cli.processId());
    }
    const long peak = peak_kb(cli.processId());
    cli.closeWriteChannel();
    QVERIFY(cli.waitForFinished(30000));
    QCOMPARE(cli.exitCode(), 0);
    lines_out += cli.readAllStandardOutput().count('\n');
    QCOMPARE(lines_out, chunks * 2000 * 9);
    QVERIFY(settled > 0 && peak > 0);
#ifndef OHMARA_SANITIZED
    // The sanitizers keep freed memory in quarantine, so only a plain build is judged.
    QVERIFY2(peak - settled < 4096, qPrintable(QStringLiteral("peak %1 kB after %2 kB at one second, %3 chunks")
                                                  .arg(peak).arg(settled).arg(chunks)));
#endif
}

// A batch file of long answers (sweeps of 20 000 points, over a megabyte each) written to a
// file takes about the memory of a few of them, however many lines it has: the lines that
// are answered in blocks do not gather them.
void tst_cli_process::long_answers_of_a_batch_file_in_bounded_memory()
{
#ifdef OHMARA_SANITIZED
    QSKIP("the sanitizers keep freed memory in quarantine");
#endif
    QTemporaryDir dir;
    auto peak_of = [&dir](int lines) {
        QFile batch(dir.filePath(QStringLiteral("sweeps.txt")));
        if (!batch.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return -1L;
        batch.write(QByteArray("sweep rcfilter R=1k C=100n --from 1 --to 1M --points 20000\n").repeated(lines));
        batch.close();
        QProcess cli;
        cli.setStandardOutputFile(QProcess::nullDevice());
        cli.start(QStringLiteral(OHMARA_CLI), {QStringLiteral("--batch"), batch.fileName()});
        long peak = 0;
        while (cli.state() != QProcess::NotRunning && !cli.waitForFinished(5))
            peak = std::max(peak, peak_kb(cli.processId()));
        return cli.exitStatus() == QProcess::NormalExit && cli.exitCode() == 0 ? peak : -1L;
    };
    const long few = peak_of(4);
    const long many = peak_of(40);
    QVERIFY2(few > 0 && many > 0, "the sweeps were not answered");
    QVERIFY2(many - few < 8192, qPrintable(QStringLiteral("peak %1 kB for 40 sweeps, %2 kB for 4").arg(many).arg(few)));
}

// Standard input redirected from a file is read at will, as a named file is: its answers,
// written to a file, come in their order and its messages name their lines.
void tst_cli_process::batch_from_a_redirected_file()
{
    QCOMPARE(bash(QStringLiteral(
                 "f=$(mktemp); for k in $(seq 2100); do if [ $((k % 97)) = 0 ]; then echo 'ohm V I=x R=1'; "
                 "else echo \"ohm V I=$((k % 900 + 1)) R=1\"; fi; done >\"$f\"; "
                 "\"$CLI\" --batch <\"$f\" >\"$f.out\" 2>\"$f.err\"; echo \"exit $?\"; "
                 "for k in $(seq 2100); do [ $((k % 97)) = 0 ] || echo \"V = $((k % 900 + 1))\"; done "
                 "| cmp -s - \"$f.out\" && echo 'answers in order'; head -2 \"$f.err\"; rm -f \"$f\" \"$f.out\" \"$f.err\""),
                 {}),
             QStringLiteral("exit 3\nanswers in order\nline 97: Illegal number(s): I\nline 194: Illegal number(s): I\n"));
}

void tst_cli_process::unwritable_output_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("said");
    QTest::newRow("full device") << "\"$CLI\" ohm V I=2 R=3 >/dev/full; echo \"exit $?\"" << "ohmara-cli: could not write the output: No space left on device\nexit 4\n";
    QTest::newRow("full device, batch file") << "f=$(mktemp); printf 'ohm V I=2 R=3\\n%.0s' $(seq 3000) >\"$f\"; \"$CLI\" --batch \"$f\" >/dev/full; echo \"exit $?\"; rm -f \"$f\"" << "ohmara-cli: could not write the output: No space left on device\nexit 4\n";
    QTest::newRow("full device, batch file with a message") << "f=$(mktemp); { echo 'ohm V I=x R=1'; printf 'ohm V I=2 R=3\\n%.0s' $(seq 3000); } >\"$f\"; \"$CLI\" --batch \"$f\" >/dev/full; echo \"exit $?\"; rm -f \"$f\"" << "line 1: Illegal number(s): I\nohmara-cli: could not write the output: No space left on device\nexit 4\n";
    QTest::newRow("full device, batch") << "printf 'ohm V I=2 R=3\\n%.0s' $(seq 3000) | \"$CLI\" --batch >/dev/full; echo \"exit $?\"" << "ohmara-cli: could not write the output: No space left on device\nexit 4\n";
    // Root reads anything, so the program runs as nobody there.
    QTest::newRow("unreadable file") << "f=$(mktemp); chmod 000 \"$f\"; as=; [ \"$(id -u)\" = 0 ] && as='setpriv --reuid=65534 --regid=65534 --clear-groups'; $as \"$CLI\" solve \"$f\" 2>&1 | sed \"s|$f|FILE|\"; echo \"exit ${PIPESTATUS[0]}\"; rm -f \"$f\"" << "Could not open 'FILE' for reading: Permission denied\nexit 4\n";
    QTest::newRow("reader gone") << "yes 'ohm V I=1 R=1' | \"$CLI\" --batch | head -c 1 >/dev/null; echo \"exit ${PIPESTATUS[1]}\"" << "ohmara-cli: could not write the output: Broken pipe\nexit 4\n";
}

void tst_cli_process::unwritable_output()
{
    QFETCH(QString, command);
    QFETCH(QString, said);
    QCOMPARE(bash(command, {}), said);
}

void tst_cli_process::completion_data()
{
    QTest::addColumn<QString>("words");
    QTest::addColumn<QString>("offered");
    QTest::newRow("commands") << "" << "ohm charge discharge cccap rcfilter deltay rlc solve eseries recalc netlist sweep";
    QTest::newRow("n for netlist") << "n" << "netlist";
    QTest::newRow("what a sweep draws") << "sweep " << "rcfilter rlc";
    QTest::newRow("the circuit of a sweep") << "sweep rlc " << "series parallel lrc";
    QTest::newRow("the parts of a sweep") << "--points 9 sweep rlc lrc R=1 " << "L= C= F=";
    QTest::newRow("unknowns") << "charge " << "Vt Vo t R C";
    QTest::newRow("inputs") << "ohm V " << "I= R=";
    QTest::newRow("after options") << "--digits 12 --json cccap I " << "t= C= V=";
    QTest::newRow("directions") << "deltay " << "to-delta to-star";
    QTest::newRow("circuits") << "rlc " << "series parallel lrc";
    QTest::newRow("unknowns of a circuit") << "rlc lrc " << "R L C F Z";
    QTest::newRow("only what the circuit uses") << "rlc series F " << "L= C= Z=";
    QTest::newRow("series of eseries") << "eseries E1" << "E12 E192";
    QTest::newRow("options") << "ohm V --j" << "--json --json-lines";
}

void tst_cli_process::completion()
{
    QFETCH(QString, words);
    QFETCH(QString, offered);
    // $VALUE holds the words typed after the program's name.
    QCOMPARE(bash(QStringLiteral(
        "source '" OHMARA_COMPLETION "'; read -ra COMP_WORDS <<<\"ohmara-cli $VALUE\"; "
        "[[ $VALUE == '' || $VALUE == *' ' ]] && COMP_WORDS+=(''); "
        "COMP_CWORD=$((${#COMP_WORDS[@]} - 1)); _ohmara_cli; echo \"${COMPREPLY[*]}\""), words),
        offered + "\n");
}

QTEST_GUILESS_MAIN(tst_cli_process)
#include "tst_cli_process.moc"
