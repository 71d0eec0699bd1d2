#include "app/ohmara.h"
#include "model/calculator_model.h"
#include "storage/calculation_file.h"

#include <QAction>
#include <QApplication>
#include <QTimer>
#include <QComboBox>
#include <QFile>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>

// The window and a bare model take the same random steps: every text, look, flag, error
// label, panel line and saved byte the window shows must be the model's.
class tst_view_model : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { Q_INIT_RESOURCE(pics); }
    void random_steps_data();
    void random_steps();

private:
    void step(QRandomGenerator &rng, int tab);
    void step_tab(QRandomGenerator &rng, int t);
    void step_grid(QRandomGenerator &rng);
    void step_file(QRandomGenerator &rng);
    // Everything the window shows, one line an item: as the window shows it, and as the model
    // holds it.
    void snapshot(QStringList &window, QStringList &model) const;

    template <typename T> T *find(const QString &name) const
    {
        T *w = m_window->findChild<T *>(name);
        Q_ASSERT(w);
        return w;
    }
    QLineEdit *value(int t, int i) const { return find<QLineEdit>(QString("Value%1%2").arg(t).arg(i)); }
    QLineEdit *cell(CellId id) const;

    ohmara *m_window = nullptr;
    CalculatorModel *m_model = nullptr;
    QTemporaryDir m_dir;
    int m_files = 0;
};

namespace {

const char *const TEXTS[] = {
    "1", "4.7k", "100n", "2.2u", "-3", "0", "", "  ", "1e300G", "32+i79.57", "3.4-j1e-3", "i",
    "5k+i3K", "abc", "--5", "4M7", "1,5", "0.5m", "7G", "1e-320", "-0", "5+i", "j2", "1e400",
    "nan", "inf", "2-", "1+", "0+i0", "-1-i1", "10m", "3", "0.001", "1e-300", "+7", "2 k",
    "6.28", "1k+ik", "1e150", "-2.5e-3", "0,", "12345678901234567890", "x+i5", "1..2-j3",
    "k+i2", "--1+i7"};

QString random_text(QRandomGenerator &rng)
{
    if (rng.bounded(4) == 0) {
        // A random number in engineering notation, now and then complex.
        static const char *const suffixes[] = {"", "p", "n", "u", "m", "k", "K", "M", "G"};
        QString t = QString::number(rng.bounded(-1000, 1000) / double(1 + rng.bounded(100)), 'g', 6)
            + suffixes[rng.bounded(9)];
        if (rng.bounded(3) == 0)
            t += QString(rng.bounded(2) ? "+i" : "-j") + QString::number(rng.bounded(100));
        return t;
    }
    return QString::fromLatin1(TEXTS[rng.bounded(int(std::size(TEXTS)))]);
}

int look_of(const QString &css)
{
    static const QStringList looks = {"", "QLineEdit { background-color: #FFF }", "QLineEdit { background-color: #FF8 }",
                                      "QLineEdit { background-color: #F88 }", "QLineEdit { background-color: #CCC }"};
    return int(looks.indexOf(css));
}

QString field_line(const QString &name, const QString &text, int look, bool read_only, bool enabled)
{
    return QString("%1 '%2' look %3 read-only %4 enabled %5").arg(name, text).arg(look).arg(read_only).arg(enabled);
}

} // namespace

QLineEdit *tst_view_model::cell(CellId id) const
{
    auto *grid = find<QGridLayout>("gridLayout");
    const int n = m_model->network.size();
    const int row = id.row + id.row / 7 + 1;
    const int column = id.column == CellId::Column::Matrix ? id.col + 1
        : id.column == CellId::Column::Vector ? n + 3 : n + 4;
    QLayoutItem *item = grid->itemAtPosition(row, column);
    return item ? qobject_cast<QLineEdit *>(item->widget()) : nullptr;
}

void tst_view_model::snapshot(QStringList &window, QStringList &model) const
{
    auto field = [&](const QString &name, const QLineEdit *e, const FieldState &f) {
        window << field_line(name, e->text(), look_of(e->styleSheet()), e->isReadOnly(), e->isEnabled());
        model << field_line(name, f.text, int(f.look), f.read_only, f.enabled);
    };
    for (int t = 0; t < TAB_COUNT; ++t) {
        const TabState &tab = m_model->tab(t);
        for (int i = 0; i < tab.field_count(); ++i)
            field(QString("Value%1%2").arg(t).arg(i), value(t, i), tab.field(i));
        window << find<QLabel>(QString("Error%1").arg(t))->text();
        model << tab.error();
        for (int m = 0; m < tab.definition().choices; ++m) {
            if (find<QRadioButton>(QString("Radio%1%2").arg(t).arg(m))->isChecked())
                window << QString("tab %1 selects %2").arg(t).arg(m);
        }
        model << QString("tab %1 selects %2").arg(t).arg(tab.unknown());
    }
    window << find<QPlainTextEdit>("calc6_text")->toPlainText() << QString::number(find<QComboBox>("pd_series6")->currentIndex());
    model << m_model->tab(TAB_RLC).panel().join('\n') << QString::number(m_model->tab(TAB_RLC).circuit());
    const NetworkState &g = m_model->network;
    window << find<QLabel>("network_status")->text() << QString::number(find<QSpinBox>("sb_network")->value());
    model << g.status() << QString::number(g.size());
    for (int r = 0; r < g.size(); ++r) {
        for (int c = 0; c <= g.size() + 1; ++c) {
            const CellId id = c < g.size() ? CellId{CellId::Column::Matrix, r, c}
                : CellId{c == g.size() ? CellId::Column::Vector : CellId::Column::Result, r};
            field(QString("cell %1,%2").arg(r).arg(c), cell(id), g.cell(id));
        }
    }
}

void tst_view_model::step_tab(QRandomGenerator &rng, int t)
{
    TabState &tab = m_model->tab(t);
    const int kind = rng.bounded(10);
    if (kind < 5) {
        // Type into a field the user can type into, and leave it.
        const int i = rng.bounded(tab.field_count());
        QLineEdit *e = value(t, i);
        if (e->isReadOnly() || !e->isEnabled())
            return;
        const QString text = random_text(rng);
        e->setText(text);
        emit e->editingFinished();
        tab.type(i, text);
        tab.recalculate(m_model->digits);
    } else if (kind < 7) {
        // Leave a field without an edit.
        emit value(t, rng.bounded(tab.field_count()))->editingFinished();
        tab.recalculate(m_model->digits);
    } else if (kind < 9 || t != TAB_RLC) {
        const int m = rng.bounded(tab.definition().choices);
        find<QRadioButton>(t == TAB_DELTA_STAR ? QString("Radio5%1").arg(m)
                                               : QString("Radio%1%2").arg(t).arg(m))->click();
        tab.select(m, m_model->digits);
    } else {
        const int c = rng.bounded(RLC_CIRCUITS);
        auto *combo = find<QComboBox>("pd_series6");
        combo->setCurrentIndex(c);
        emit combo->activated(c);
        tab.select_circuit(c, m_model->digits);
    }
}

void tst_view_model::step_grid(QRandomGenerator &rng)
{
    NetworkState &g = m_model->network;
    const int kind = rng.bounded(10);
    if (kind == 0 || g.size() == 0) {
        const int n = rng.bounded(5) == 0 ? rng.bounded(21) : rng.bounded(5);
        find<QSpinBox>("sb_network")->setValue(n);
        g.resize(n);
    } else if (kind < 7) {
        const bool vector = rng.bounded(g.size() + 1) == 0;
        const CellId id = vector ? CellId{CellId::Column::Vector, rng.bounded(g.size())}
                                 : CellId{CellId::Column::Matrix, rng.bounded(g.size()), rng.bounded(g.size())};
        QLineEdit *e = cell(id);
        const QString text = rng.bounded(3) ? QString::number(rng.bounded(-9, 10)) : random_text(rng);
        e->setText(text);
        emit e->editingFinished();
        g.type(id, text);
        g.check(id);
    } else if (kind < 8) {
        find<QPushButton>("network_zero")->click();
        g.fill_empty_with_zero();
    } else {
        find<QPushButton>("network_solve")->click();
        g.solve();
    }
}

void tst_view_model::step_file(QRandomGenerator &rng)
{
    const QString name = m_dir.filePath(QString("f%1.oma").arg(m_files++));
    if (rng.bounded(2) == 0) {
        m_window->set_file_name_source([name](bool) { return name; });
        find<QAction>("actionSave")->trigger();
        const QString mine = name + ".model";
        QVERIFY(save_calculation(*m_model, QFile::encodeName(mine).constData()));
        QFile a(name), b(mine);
        QVERIFY(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
        QCOMPARE(a.readAll(), b.readAll());
        return;
    }
    // What the window saved earlier in the walk, now and then cut short or with an odd line.
    if (m_files < 2)
        return;
    const QString saved = m_dir.filePath(QString("f%1.oma").arg(rng.bounded(m_files - 1)));
    QFile f(saved);
    if (!f.open(QIODevice::ReadOnly))
        return;
    QList<QByteArray> lines = f.readAll().split('\n');
    const int cut = rng.bounded(4);
    if (cut == 0)
        lines = lines.mid(0, rng.bounded(int(lines.size())));
    else if (cut == 1)
        lines[rng.bounded(int(lines.size()))] = QByteArray::number(rng.bounded(-2, 25)) + " x";
    QFile out(name);
    QVERIFY(out.open(QIODevice::WriteOnly));
    out.write(lines.join('\n'));
    out.close();
    m_window->set_file_name_source([name](bool) { return name; });
    // A file that is no calculation gets a message box; close it as a user would.
    QTimer::singleShot(0, m_window, [] {
        if (QWidget *box = QApplication::activeModalWidget())
            box->close();
    });
    find<QAction>("actionLoad")->trigger();
    load_calculation(*m_model, QFile::encodeName(name).constData());
}

void tst_view_model::step(QRandomGenerator &rng, int tab)
{
    const int kind = rng.bounded(100);
    if (kind < 3) {
        const int d = rng.bounded(6, 33);
        find<QSpinBox>("sb_digits")->setValue(d);
        m_model->digits = d;
    } else if (tab == TAB_COUNT) {
        step_grid(rng);
    } else if (tab == TAB_COUNT + 1) {
        if (kind < 15)
            step_file(rng);
        else if (kind < 50)
            step_grid(rng);
        else
            step_tab(rng, rng.bounded(TAB_RLC));
    } else {
        step_tab(rng, tab);
    }
}

void tst_view_model::random_steps_data()
{
    QTest::addColumn<int>("tab");
    QTest::addColumn<int>("steps");
    const char *const names[] = {"ohm", "charge", "discharge", "cccap", "rcfilter", "deltay", "rlc", "grid", "files"};
    // OHMARA_STEPS sets the steps of each walk: more for a long run by hand, fewer under valgrind.
    const int steps = qEnvironmentVariableIsSet("OHMARA_STEPS") ? qEnvironmentVariableIntValue("OHMARA_STEPS") : 2000;
    for (int t = 0; t <= TAB_COUNT + 1; ++t)
        QTest::newRow(names[t]) << t << steps;
}

void tst_view_model::random_steps()
{
    QFETCH(int, tab);
    QFETCH(int, steps);
    ohmara window;
    CalculatorModel model;
    m_window = &window;
    m_model = &model;
    QStringList window_shows, model_holds;
    snapshot(window_shows, model_holds);
    QCOMPARE(window_shows, model_holds);
    QRandomGenerator rng(quint32(1000 + tab + 100 * steps));
    for (int s = 0; s < steps; ++s) {
        step(rng, tab);
        window_shows.clear();
        model_holds.clear();
        snapshot(window_shows, model_holds);
        if (window_shows != model_holds)
            qWarning("differ after step %d", s);
        QCOMPARE(window_shows, model_holds);
    }
}

QTEST_MAIN(tst_view_model)
#include "tst_view_model.moc"
