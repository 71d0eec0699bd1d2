#include "storage/calculation_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <fcntl.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <grp.h>

#include <functional>

namespace {

Calculation sample(int n)
{
    Calculation c;
    const int unknowns[] = {2, 3, 0, 1, 2, 1};
    const char *const texts[] = {"1", "divide by zero", "  ", "32+i79.57", "", "4.7k",
                                 "Vt >= V0 error", "0.3461538+i-0.230769", "-1e-3"};
    int k = 0;
    for (int t = 0; t < CALCULATION_TABS; ++t) {
        c.unknowns[t] = unknowns[t];
        for (int i = 0; i < TAB_DEFINITIONS[t].field_count; ++i)
            c.fields[t].push_back(texts[k++ % 9]);
    }
    c.network_size = n;
    for (int i = 0; i < n * n; ++i)
        c.matrix.push_back(i % 3 ? std::to_string(i) : "");
    for (int r = 0; r < n; ++r) {
        c.vector_and_results.push_back(r ? "1+i2" : "x");
        c.vector_and_results.push_back(" 1.000000+i 0.000000");
    }
    return c;
}

constexpr uid_t NOBODY = 65534;

// Runs a save in a child process as an unprivileged user (root drops to nobody there, since
// root passes every permission check); the outcome comes back as its reason, "" when saved.
QString save_as_user(const std::function<SaveOutcome()> &save)
{
    int pipe_ends[2];
    if (::pipe(pipe_ends) != 0)
        return QStringLiteral("(no pipe)");
    const pid_t child = fork();
    if (child == 0) {
        ::close(pipe_ends[0]);
        if (::geteuid() == 0 && (::setgroups(0, nullptr) != 0 || ::setgid(NOBODY) != 0 || ::setuid(NOBODY) != 0))
            _exit(2);
        const SaveOutcome outcome = save();
        const QByteArray said = outcome.saved() ? QByteArray() : outcome.reason.toUtf8() + " ";
        (void)!::write(pipe_ends[1], said.constData(), size_t(said.size()));
        _exit(0);
    }
    ::close(pipe_ends[1]);
    QByteArray said;
    char buf[256];
    for (ssize_t n; (n = ::read(pipe_ends[0], buf, sizeof buf)) > 0;)
        said.append(buf, n);
    ::close(pipe_ends[0]);
    int status = -1;
    ::waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return QStringLiteral("(the child failed)");
    return QString::fromUtf8(said).trimmed();
}

} // namespace

class tst_calculation_file : public QObject
{
    Q_OBJECT

private slots:
    void init() { QVERIFY(m_dir.isValid()); }
    void reading_data();
    void reading();
    void interrupted_write_keeps_the_old_file();
    void save_cases_data();
    void save_cases();
    void full_disk_keeps_the_old_file();
    void texts_the_file_cannot_hold_data();
    void texts_the_file_cannot_hold();
    void load_into_the_calculator();
    void model_bytes_data();
    void model_bytes();

private:
    QString path(const char *name) { return m_dir.filePath(name); }
    QByteArray bytes(const QString &file)
    {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    LoadedCalculation load(const QByteArray &content, int current = 0)
    {
        QFile f(path("in.oma"));
        if (!f.open(QIODevice::WriteOnly))
            return {};
        f.write(content);
        f.close();
        return read_calculation_file(QFile::encodeName(path("in.oma")).constData(), current);
    }

    QTemporaryDir m_dir;
};

// Files as they come: each row is the content, then what the load reports.
void tst_calculation_file::reading_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("status"); // 0 loaded, 1 cannot open, 2 wrong version
    QTest::addColumn<QString>("expect"); // a few facts, checked below
    const QByteArray good = "270116\n1 0\nA\nB\nC\n0 1\n1\n2\n3\n4\n5\n0 2\n1\n1\n1\n1\n1\n"
                            "3 3\n1\n1\n1\n1\n0 4\n1\n1\n1\n1 NWS\n7\n8\n9\n1 5\n1\n1\n1\n1\n1\n1\n";
    QByteArray crlf = good;
    crlf.replace("\n", "\r\n");
    QTest::newRow("plain") << good << 0 << "tab0=1 field0=A net=1 cell=7 vector=8 result=9 tab5=1";
    QTest::newRow("CRLF line ends") << crlf << 0 << "tab0=1 field0=A net=1 cell=7 tab5=1";
    QTest::newRow("version with more after it") << QByteArray(good).replace("270116", "270116xyz") << 0 << "tab0=1";
    QTest::newRow("five digits of the version") << QByteArray(good).replace("270116", "27011") << 2 << "";
    QTest::newRow("empty file") << QByteArray() << 5 << "";
    QTest::newRow("unknown out of range") << QByteArray(good).replace("1 0\n", "3 0\n") << 0 << "tab0=none field0=A";
    QTest::newRow("section without a number") << QByteArray(good).replace("1 0\n", "x 0\n") << 0 << "tab0=none field0=A";
    QTest::newRow("network of 21") << QByteArray(good).replace("1 NWS", "21 NWS") << 0 << "net=stopped tab5=none";
    QTest::newRow("negative network") << QByteArray(good).replace("1 NWS\n7\n8\n9\n", "-4 NWS\n") << 0 << "net=0 tab5=1";
    QTest::newRow("network without a number") << QByteArray(good).replace("1 NWS", "NWS") << 0 << "net=none tab5=1";
    QTest::newRow("truncated after tab 0") << good.left(good.indexOf("0 1\n")) << 0 << "tab0=1 field0=A tab1=none missing=1";
    QTest::newRow("huge single line") << "270116" + QByteArray(1 << 20, 'x') << 0 << "tab0=none";
    QTest::newRow("binary") << QByteArray("270116\n\x00\xff\x80\n\x01\x02", 14) << 0 << "tab0=none";
}

void tst_calculation_file::reading()
{
    QFETCH(QByteArray, content);
    QFETCH(int, status);
    QFETCH(QString, expect);
    const LoadedCalculation l = load(content, 1);
    QCOMPARE(int(l.status), status);
    for (const QString &fact : expect.split(' ', Qt::SkipEmptyParts)) {
        const QString key = fact.section('=', 0, 0);
        const QString value = fact.section('=', 1);
        const int t = key.startsWith("tab") ? key.mid(3).toInt() : 0;
        if (key.startsWith("tab"))
            QCOMPARE(l.has_unknown[t] ? QString::number(l.unknowns[t]) : QString("none"), value);
        else if (key == "field0")
            QCOMPARE(QString::fromStdString(l.fields[0][0].text), value);
        else if (key == "net")
            QCOMPARE(!l.network_read ? QString("stopped") : l.has_network_size ? QString::number(l.network_size) : QString("none"), value);
        else if (key == "cell")
            QCOMPARE(QString::fromStdString(l.matrix.at(0).text), value);
        else if (key == "vector" || key == "result")
            QCOMPARE(QString::fromStdString(l.vector_and_results.at(key == "result").text), value);
        else if (key == "missing")
            QVERIFY(!l.fields[1][0].present);
    }
    // Whatever came in, everything handed on is within range.
    for (int t = 0; t < CALCULATION_TABS; ++t)
        QVERIFY(!l.has_unknown[t] || (l.unknowns[t] >= 0 && l.unknowns[t] < TAB_DEFINITIONS[t].choices));
    QVERIFY(l.network_size >= 0 && l.network_size <= CALCULATION_MAX_NETWORK);
    QCOMPARE(int(l.matrix.size()), l.network_size * l.network_size);
}

// A write that fails half-way (here: a file size limit, as a full disk would) must fail the
// save and leave the old file as it was, whoever runs the test.
void tst_calculation_file::interrupted_write_keeps_the_old_file()
{
    QVERIFY(QDir(m_dir.path()).mkpath("kept"));
    const QByteArray name = QFile::encodeName(path("kept/old.oma"));
    QVERIFY(write_calculation_file(name.constData(), sample(1)).saved());
    const QByteArray before = bytes(path("kept/old.oma"));
    const pid_t child = fork();
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{64, 64};
        setrlimit(RLIMIT_FSIZE, &limit);
        _exit(write_calculation_file(name.constData(), sample(20)).saved() ? 1 : 0);
    }
    int status = -1;
    QCOMPARE(waitpid(child, &status, 0), child);
    QVERIFY2(WIFEXITED(status) && WEXITSTATUS(status) == 0, "the save did not report its failure");
    QCOMPARE(bytes(path("kept/old.oma")), before);
    QCOMPARE(QDir(path("kept")).entryList(QDir::Files), QStringList{"old.oma"});
}

// A load selects each saved unknown, fills the texts, recalculates and paints the grid's
// coefficients; the RLC tab is not in the file.
void tst_calculation_file::load_into_the_calculator()
{
    QFile f(path("in.oma"));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("270116\n0 0\n1\n1\n1\n3 1\n2.5\n3.3\n1m\n1\n100n\n0 2\n1\n1\n1\n1\n1\n0 3\n1\n1\n1\n1\n"
            "2 4\n1\n1\n1\n2 NWS\nx\n1\n1\n1\ny\nold\n2\n\n1 5\n");
    f.close();
    CalculatorModel model;
    model.tab(TAB_RLC).type(1, "5");
    QCOMPARE(load_calculation(model, QFile::encodeName(path("in.oma")).constData()).status, LoadedCalculation::Status::Loaded);
    QCOMPARE(model.tab(TAB_CHARGE).field(3).text, QString("7.05683e3"));
    QCOMPARE(model.tab(TAB_CHARGE).field(3).look, Look::Result);
    QCOMPARE(model.tab(TAB_DELTA_STAR).unknown(), 1);
    QCOMPARE(model.tab(TAB_RLC).field(1).text, QString("5"));
    QCOMPARE(model.network.cell({CellId::Column::Matrix, 0, 0}).look, Look::Bad);
    QCOMPARE(model.network.cell({CellId::Column::Matrix, 1, 1}).look, Look::Input);
    QCOMPARE(model.network.cell({CellId::Column::Vector, 0}).look, Look::Default);
    QCOMPARE(model.network.cell({CellId::Column::Result, 0}).text, QString("old"));
}

// The calculator's state as bytes: the program's start, then a grid of one typed row.
void tst_calculation_file::model_bytes_data()
{
    QTest::addColumn<int>("n");
    QTest::addColumn<QByteArray>("file");
    const QByteArray tabs = "270116\n0 0\n1\n1\n1\n0 1\n0.632121\n1\n1\n1\n1\n0 2\n0.367879\n1\n1\n1\n1\n0 3\n1\n1\n1\n1\n2 4\n1\n1\n0.159155\n";
    QTest::newRow("start") << 0 << tabs + "0 NWS\n0 5\n3\n3\n3\n1\n1\n1\n";
    QTest::newRow("grid of 2") << 2 << tabs + "2 NWS\nr0c0\nr0c1\nr1c0\nr1c1\nb0\n\nb1\n\n0 5\n3\n3\n3\n1\n1\n1\n";
}

void tst_calculation_file::model_bytes()
{
    QFETCH(int, n);
    QFETCH(QByteArray, file);
    CalculatorModel model;
    model.network.resize(n);
    for (int r = 0; r < n; ++r) {
        for (int c = 0; c < n; ++c)
            model.network.type({CellId::Column::Matrix, r, c}, QString("r%1c%2").arg(r).arg(c));
        model.network.type({CellId::Column::Vector, r}, QString("b%1").arg(r));
    }
    const QByteArray name = QFile::encodeName(path("model.oma"));
    QVERIFY(save_calculation(model, name.constData()).saved());
    QCOMPARE(bytes(path("model.oma")), file);
}

// Each case starts from an existing file with known bytes ("old"), saves over it, and checks
// the outcome, the bytes under each name afterwards, and that no temporary file is left.
// "user" runs the save as an unprivileged user.
void tst_calculation_file::save_cases_data()
{
    QTest::addColumn<QString>("setup");
    QTest::addColumn<bool>("user");
    QTest::addColumn<QString>("reason"); // "" when saved
    QTest::newRow("write-protected, as root or the owner") << "protected" << false << "Permission denied";
    QTest::newRow("write-protected, as a user") << "protected" << true << "Permission denied";
    QTest::newRow("someone else's file") << "foreign" << true << "Permission denied";
    QTest::newRow("through a symbolic link") << "symlink" << false << "";
    QTest::newRow("a name of 250 characters") << "long" << false << "";
    QTest::newRow("a name of 255 characters") << "longest" << false << "";
    QTest::newRow("a hard link: this name only") << "hardlink" << false << "";
    QTest::newRow("writable file in a read-only folder") << "readonly-folder" << true << "";
    QTest::newRow("new file in a read-only folder") << "readonly-folder-new" << true << "Permission denied";
    QTest::newRow("mode and owner kept") << "owner" << false << "";
}

void tst_calculation_file::save_cases()
{
    QFETCH(QString, setup);
    QFETCH(bool, user);
    QFETCH(QString, reason);
    const bool root = ::geteuid() == 0;
    // The folders are open to the unprivileged user; the case's files are theirs unless the
    // case says otherwise.
    QCOMPARE(::chmod(QFile::encodeName(m_dir.path()).constData(), 0755), 0);
    const QString folder = m_dir.filePath(setup);
    QVERIFY(QDir().mkpath(folder));
    const QByteArray dir = QFile::encodeName(folder);
    QString name = setup == "long" ? QString(250, 'n') : setup == "longest" ? QString(255, 'n') : QStringLiteral("calc.oma");
    const QString file = QDir(folder).filePath(name);
    const QByteArray path = QFile::encodeName(file);
    const QByteArray old = "old bytes\n";
    QString target = file; // where the bytes end up
    if (setup == "symlink") {
        target = QDir(folder).filePath("real.oma");
        QVERIFY(QFile::link(target, file));
    }
    if (setup != "readonly-folder-new") {
        QFile f(target);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(old) == old.size());
    }
    const QByteArray target_path = QFile::encodeName(target);
    const uid_t owner = user && setup != "foreign" ? NOBODY : ::geteuid();
    if (root) {
        QCOMPARE(::chown(dir.constData(), owner, owner), 0);
        if (QFile::exists(target))
            QCOMPARE(::chown(target_path.constData(), setup == "owner" ? NOBODY : owner, setup == "owner" ? NOBODY : owner), 0);
    }
    if (QFile::exists(target))
        QCOMPARE(::chmod(target_path.constData(), setup == "protected" ? 0444 : setup == "owner" ? 0460 : 0644), 0);
    if (setup == "hardlink")
        QCOMPARE(::link(path.constData(), QFile::encodeName(QDir(folder).filePath("other.oma")).constData()), 0);
    if (setup.startsWith("readonly-folder"))
        QCOMPARE(::chmod(dir.constData(), 0555), 0);

    const Calculation c = sample(2);
    const QString said = user ? save_as_user([&] { return write_calculation_file(path.constData(), c); })
                              : [&] { const SaveOutcome o = write_calculation_file(path.constData(), c); return o.saved() ? QString() : o.reason; }();
    ::chmod(dir.constData(), 0755);
    QCOMPARE(said, reason);
    // What is under each name now.
    const QByteArray now = bytes(target);
    if (reason.isEmpty())
        QVERIFY(now.startsWith("270116\n"));
    else if (setup != "readonly-folder-new")
        QCOMPARE(now, old);
    if (setup == "symlink")
        QVERIFY(QFileInfo(file).isSymLink());
    if (setup == "hardlink")
        QCOMPARE(bytes(QDir(folder).filePath("other.oma")), old);
    if (setup == "owner") {
        struct stat st {};
        QCOMPARE(::stat(path.constData(), &st), 0);
        // Exactly the old mode: QSaveFile's own copy would add the owner's write bit.
        QCOMPARE(st.st_mode & 07777, mode_t(0460));
        // Only root can give the old file another owner to keep.
        QCOMPARE(st.st_uid, root ? NOBODY : ::geteuid());
    }
    QStringList left = QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System);
    left.removeAll(name);
    left.removeAll("real.oma");
    left.removeAll("other.oma");
    QCOMPARE(left, QStringList());
}

// A full disk, as root on a small file system of its own: the save fails with the system's
// reason, and the old file and its folder are as they were.
void tst_calculation_file::full_disk_keeps_the_old_file()
{
    if (::geteuid() != 0)
        QSKIP("only root can mount a small file system for this");
    const QString folder = m_dir.filePath("small");
    QVERIFY(QDir().mkpath(folder));
    const QByteArray dir = QFile::encodeName(folder);
    if (::mount("tmpfs", dir.constData(), "tmpfs", 0, "size=64k") != 0)
        QSKIP("this machine does not let the test mount a file system");
    const QString file = QDir(folder).filePath("calc.oma");
    const SaveOutcome first = write_calculation_file(QFile::encodeName(file).constData(), sample(0));
    QVERIFY(first.saved());
    const QByteArray old = bytes(file);
    {
        QFile filler(QDir(folder).filePath("filler"));
        QVERIFY(filler.open(QIODevice::WriteOnly));
        const QByteArray block(4096, 'x');
        while (filler.write(block) == block.size() && filler.flush()) {
        }
    }
    const SaveOutcome full = write_calculation_file(QFile::encodeName(file).constData(), sample(20));
    const QByteArray after = bytes(file);
    const QStringList left = QDir(folder).entryList(QDir::Files | QDir::Hidden);
    ::umount(dir.constData());
    QCOMPARE(full.reason, QString("No space left on device"));
    QCOMPARE(after, old);
    QCOMPARE(left, (QStringList{"calc.oma", "filler"}));
}

// Texts the file cannot bring back are refused before anything is written; the Unicode
// minus is written as the minus the fields read.
void tst_calculation_file::texts_the_file_cannot_hold_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("in_grid");
    QTest::addColumn<int>("problem");
    QTest::addColumn<QByteArray>("line"); // as saved, or the refusal's message
    using P = SaveOutcome::Problem;
    QTest::newRow("126 characters") << QString(126, '1') << false << int(P::None) << QByteArray(126, '1');
    QTest::newRow("127 characters") << QString(127, '1') << false << int(P::TooLong) << QByteArray("f was not saved: the text of R on the Charge tab is longer than 126 characters");
    QTest::newRow("a line break") << "1\n2" << false << int(P::LineBreak) << QByteArray("f was not saved: the text of R on the Charge tab holds a line break");
    QTest::newRow("a carriage return") << "1\r" << false << int(P::LineBreak) << QByteArray("f was not saved: the text of R on the Charge tab holds a line break");
    QTest::newRow("a NUL") << QString::fromLatin1("1\0" "2", 3) << false << int(P::Unwritable) << QByteArray("f was not saved: the text of R on the Charge tab holds a character a calculation file cannot hold");
    QTest::newRow("outside Latin-1") << QString::fromUtf8("1\u03a9") << false << int(P::Unwritable) << QByteArray("f was not saved: the text of R on the Charge tab holds a character a calculation file cannot hold");
    QTest::newRow("Unicode minus") << QString::fromUtf8("\u22124.7k") << false << int(P::None) << QByteArray("-4.7k");
    QTest::newRow("Latin-1") << QString::fromUtf8("\u00b5\u00e9") << false << int(P::None) << QByteArray("\xb5\xe9");
    QTest::newRow("grid: too long") << QString(200, '2') << true << int(P::TooLong) << QByteArray("f was not saved: the text of the right-hand side of row 2 of the equation grid is longer than 126 characters");
    QTest::newRow("grid: Unicode minus") << QString::fromUtf8("\u22122") << true << int(P::None) << QByteArray("-2");
}

void tst_calculation_file::texts_the_file_cannot_hold()
{
    QFETCH(QString, text);
    QFETCH(bool, in_grid);
    QFETCH(int, problem);
    QFETCH(QByteArray, line);
    CalculatorModel model;
    model.network.resize(2);
    const CellId cell{CellId::Column::Vector, 1};
    if (in_grid)
        model.network.type(cell, text);
    else
        model.tab(TAB_CHARGE).type(3, text);
    const QString file = path("texts.oma");
    QFile old(file);
    QVERIFY(old.open(QIODevice::WriteOnly) && old.write("old\n") == 4);
    old.close();
    const SaveOutcome outcome = save_calculation(model, QFile::encodeName(file).constData());
    QCOMPARE(int(outcome.problem), problem);
    if (problem != int(SaveOutcome::Problem::None)) {
        QCOMPARE(outcome.status, SaveOutcome::Status::Refused);
        QCOMPARE(bytes(file), QByteArray("old\n"));
        QCOMPARE(save_failure_text("f", outcome, [](int t) { return t == TAB_CHARGE ? QString("Charge") : QString(); }).remove('\''), QString(line));
        return;
    }
    QVERIFY(outcome.saved());
    // The charge tab's R is the 10th line; the grid's second vector cell is the 4th after "2 NWS".
    const QList<QByteArray> lines = bytes(file).split('\n');
    QCOMPARE(lines.value(in_grid ? lines.indexOf("2 NWS") + 4 + 3 : 9), line);
    CalculatorModel back;
    QCOMPARE(load_calculation(back, QFile::encodeName(file).constData()).ended_in, -1);
    QCOMPARE(in_grid ? back.network.cell(cell).text : back.tab(TAB_CHARGE).field(3).text, QString::fromLatin1(line));
}

QTEST_APPLESS_MAIN(tst_calculation_file)
#include "tst_calculation_file.moc"
