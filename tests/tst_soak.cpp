#include "app/ohmara.h"
#include "numbers/parse.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QApplication>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QSet>
#include <QSpinBox>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include <map>

// Thousands of random user actions on the real window, with the invariants a user relies on
// checked after every one. Seeded: a failure names its seed and step, and replays.
class tst_soak : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { Q_INIT_RESOURCE(pics); }
    void random_use_data();
    void random_use();

private:
    void step(QRandomGenerator &rng);
    void check(int seed, int step);
    QLineEdit *value(int tab, int m) { return m_window->findChild<QLineEdit *>(QString("Value%1%2").arg(tab).arg(m)); }
    void type(QLineEdit *e, const QString &text);

    ohmara *m_window = nullptr;
    QTemporaryDir m_dir;
    std::map<QLineEdit *, QString> m_typed;
};

namespace {

const int FIELDS[] = {3, 5, 5, 4, 3, 6, 5};

const char *const TEXTS[] = {"1", "4.7k", "100n", "2.2u", "-3", "0", "", "  ", "1e300G", "32+i79.57",
                             "3.4-j1e-3", "i", "5k+i3K", "abc", "--5", "4M7", "1,5", "0.5m", "7G", "1e-320"};

// Every text a tab writes into a field in place of a number.
const QSet<QString> MESSAGES = {
    "divide by zero", "RC is zero", "(1-e^t/RC) is zero", "(e^t/RC) is zero", "V0 is zero",
    "Vt >= V0 error", "I is zero", "V is zero", "C is zero", "t is zero", "RxC is zero",
    "RxFc is zero", "Rab+Rac+Rbc is zero", "Ra is zero", "Rb is zero", "Rc is zero",
    "Zero F or C", "Divide by zero", "No solution", "Zero Freq.", "Zero freq.", "Zero F or L",
    "Zero R", "Divide by 0", "Zero R+iwL", "Zero Z", "Zero Re(1/Z)"};

// An answer: a number, or an infinity or NaN that a formula without a check produced, for a
// complex answer in either part.
bool answer_text(const QString &text)
{
    for (const QString &part : text.split("+i")) {
        const QString p = part.trimmed();
        Complex z;
        if (p != "inf" && p != "-inf" && p != "nan" && parse_value(p, z) != KIND_REAL)
            return false;
    }
    return true;
}

} // namespace

void tst_soak::type(QLineEdit *e, const QString &text)
{
    e->setFocus();
    QTest::keyClick(e, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(e, Qt::Key_Delete);
    QTest::keyClicks(e, text);
    m_typed[e] = text;
    QTest::keyClick(e, Qt::Key_Tab);
}

void tst_soak::step(QRandomGenerator &rng)
{
    const int tab = int(rng.bounded(7));
    m_window->findChild<QTabWidget *>("tabWidget")->setCurrentIndex(tab);
    switch (rng.bounded(10)) {
    case 0: case 1: case 2: case 3: {
        QLineEdit *e = value(tab, int(rng.bounded(FIELDS[tab])));
        if (e->isEnabled() && !e->isReadOnly())
            type(e, TEXTS[rng.bounded(int(std::size(TEXTS)))]);
        break;
    }
    case 4: {
        const int m = tab == 5 ? int(rng.bounded(2)) : int(rng.bounded(FIELDS[tab]));
        m_window->findChild<QRadioButton *>(QString("Radio%1%2").arg(tab).arg(m))->click();
        break;
    }
    case 5: {
        auto *combo = m_window->findChild<QComboBox *>("pd_series6");
        combo->setCurrentIndex(int(rng.bounded(3)));
        emit combo->activated(combo->currentIndex());
        break;
    }
    case 6: {
        m_window->findChild<QSpinBox *>("sb_network")->setValue(int(rng.bounded(5)));
        QApplication::processEvents();
        const QList<QLineEdit *> cells = m_window->findChild<QWidget *>("gridLayoutWidget")->findChildren<QLineEdit *>();
        for (QLineEdit *cell : cells) {
            if (!cell->isReadOnly() && rng.bounded(2))
                cell->setText(TEXTS[rng.bounded(int(std::size(TEXTS)))]);
        }
        break;
    }
    case 7:
        m_window->findChild<QPushButton *>(rng.bounded(2) ? "network_solve" : "network_zero")->click();
        emit m_window->findChild<QPushButton *>("network_solve")->pressed();
        break;
    case 8:
        m_window->findChild<QSpinBox *>("sb_digits")->setValue(6 + int(rng.bounded(27)));
        break;
    case 9: {
        // Save, scribble over every input, load: the inputs come back.
        const QString name = m_dir.filePath("soak.oma");
        m_window->set_file_name_source([name](bool) { return name; });
        QList<QLineEdit *> inputs;
        for (QLineEdit *e : m_window->findChildren<QLineEdit *>(QRegularExpression("^Value[0-5]"))) {
            if (!e->isReadOnly())
                inputs << e;
        }
        inputs << m_window->findChild<QWidget *>("gridLayoutWidget")->findChildren<QLineEdit *>();
        QStringList before;
        for (QLineEdit *e : inputs)
            before << e->text();
        m_window->findChild<QAction *>("actionSave")->trigger();
        m_window->findChild<QAction *>("actionLoad")->trigger();
        QStringList after;
        for (QLineEdit *e : inputs)
            after << e->text();
        QCOMPARE(after, before);
        break;
    }
    }
}

void tst_soak::check(int seed, int step)
{
    const QString where = QString("seed %1, step %2").arg(seed).arg(step);
    for (int tab = 0; tab < 7; ++tab) {
        int results = 0;
        for (int m = 0; m < FIELDS[tab]; ++m) {
            QLineEdit *e = value(tab, m);
            const QString css = e->styleSheet();
            Complex z;
            const bool number = parse_value(e->text(), z) != KIND_INVALID || answer_text(e->text());
            QVERIFY2(number || MESSAGES.contains(e->text()) || m_typed[e] == e->text(),
                     qPrintable(where + ": " + e->objectName() + " shows " + e->text()));
            if (!e->isEnabled())
                QVERIFY2(css == "QLineEdit { background-color: #CCC }", qPrintable(where));
            else if (e->isReadOnly())
                QVERIFY2(css == "QLineEdit { background-color: #FF8 }", qPrintable(where + " " + e->objectName()));
            else
                QVERIFY2(css != "QLineEdit { background-color: #FF8 }", qPrintable(where + " " + e->objectName()));
            results += e->isReadOnly() && e->isEnabled();
            // The result is the field whose radio is checked: every radio reaches its slot.
            const bool chosen = tab == 5
                ? m_window->findChild<QRadioButton *>(m < 3 ? "Radio50" : "Radio51")->isChecked()
                : m_window->findChild<QRadioButton *>(QString("Radio%1%2").arg(tab).arg(m))->isChecked();
            QVERIFY2(chosen == (e->isReadOnly() && e->isEnabled()), qPrintable(where + " " + e->objectName()));
        }
        QVERIFY2(tab == 5 ? results == 3 : results == 1, qPrintable(where));
    }
}

void tst_soak::random_use_data()
{
    QTest::addColumn<int>("seed");
    QTest::addColumn<int>("steps");
    for (int seed = 1; seed <= 4; ++seed)
        QTest::addRow("seed %d", seed) << seed << 1500;
}

void tst_soak::random_use()
{
    QFETCH(int, seed);
    QFETCH(int, steps);
    m_window = new ohmara;
    m_typed.clear();
    m_window->show();
    QVERIFY(QTest::qWaitForWindowActive(m_window));
    QRandomGenerator rng{quint32(seed)};
    for (int i = 0; i < steps; ++i) {
        step(rng);
        if (QTest::currentTestFailed())
            break;
        check(seed, i);
        if (QTest::currentTestFailed())
            break;
    }
    delete m_window;
    m_window = nullptr;
}

QTEST_MAIN(tst_soak)
#include "tst_soak.moc"
