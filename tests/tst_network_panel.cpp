#include "tests/window_test.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalMapper>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTest>

// The equation grid of the Ohm's-law tab, driven as a user does: size it, type, solve.
class tst_network_panel : public WindowTest
{
    Q_OBJECT

private slots:
    void layout_data();
    void layout();
    void resizing_keeps_inner_texts();
    void leaving_a_cell_checks_it_data();
    void leaving_a_cell_checks_it();
    void solve_data();
    void solve();
    void zero_fill_touches_only_empty_cells();
    void typed_circuit_shows_node_voltages();

private:
    void resize(int n) { m_window->findChild<QSpinBox *>("sb_network")->setValue(n); }
    QWidget *at(int row, int column);
    // Matrix row r sits below the header rows placed before rows 0, 7 and 14.
    static int grid_row(int r) { return r + r / 7 + 1; }
    QLineEdit *cell(int r, int c) { return qobject_cast<QLineEdit *>(at(grid_row(r), c + 1)); }
    QLineEdit *vec(int r) { return qobject_cast<QLineEdit *>(at(grid_row(r), size() + 3)); }
    QLineEdit *result(int r) { return qobject_cast<QLineEdit *>(at(grid_row(r), size() + 4)); }
    QGridLayout *grid() { return m_window->findChild<QGridLayout *>("gridLayout"); }
    int size() { return m_window->findChild<QSpinBox *>("sb_network")->value(); }
    QString shown_status() { return m_window->findChild<QLabel *>("network_status")->text(); }
    void type(QLineEdit *e, const QString &text);
    void fill(const QStringList &matrix, const QStringList &vector);

};

QWidget *tst_network_panel::at(int row, int column)
{
    QLayoutItem *item = grid()->itemAtPosition(row, column);
    return item ? item->widget() : nullptr;
}

void tst_network_panel::type(QLineEdit *e, const QString &text)
{
    // New cells are shown by a queued call; let it run before focusing.
    QTRY_VERIFY(e->isVisible());
    e->setFocus();
    QTRY_VERIFY(e->hasFocus());
    QTest::keyClicks(e, text);
    QTest::keyClick(e, Qt::Key_Tab);
}

void tst_network_panel::fill(const QStringList &matrix, const QStringList &vector)
{
    resize(int(vector.size()));
    for (int i = 0; i < matrix.size(); ++i)
        cell(i / size(), i % size())->setText(matrix[i]);
    for (int r = 0; r < vector.size(); ++r)
        vec(r)->setText(vector[r]);
}

void tst_network_panel::layout_data()
{
    QTest::addColumn<int>("n");
    QTest::newRow("1") << 1;
    QTest::newRow("8") << 8;
    QTest::newRow("20") << 20;
}

void tst_network_panel::layout()
{
    QFETCH(int, n);
    resize(n);
    for (int r = 0; r < n; ++r) {
        const int g = grid_row(r);
        if (r % 7 == 0) {
            for (int c = 0; c < n; ++c)
                QCOMPARE(qobject_cast<QLabel *>(at(g - 1, c + 1))->text(), QString::number(c));
        }
        QCOMPARE(qobject_cast<QLabel *>(at(g, 0))->text(), QString::number(r));
        for (int c = 0; c < n; ++c)
            QCOMPARE(cell(r, c)->size(), QSize(80, 20));
        QVERIFY(!at(g, n + 1));
        QCOMPARE(qobject_cast<QLabel *>(at(g, n + 2))->text(), QString("Vec:%1").arg(r));
        QCOMPARE(vec(r)->size(), QSize(80, 20));
        QCOMPARE(result(r)->size(), QSize(160, 20));
        QVERIFY(result(r)->isReadOnly());
        QCOMPARE(result(r)->styleSheet(), QString("QLineEdit { background-color: #FF8 }"));
    }
    // Nothing beyond the grid: n header labels per header row, n labels, n x n + 2n cells.
    const int headers = (n + 6) / 7;
    QCOMPARE(grid()->count(), headers * n + 2 * n + n * n + 2 * n);
    resize(0);
    QCOMPARE(grid()->count(), 0);
}

void tst_network_panel::resizing_keeps_inner_texts()
{
    resize(3);
    cell(2, 2)->setText("7");
    vec(2)->setText("8");
    resize(5);
    QCOMPARE(cell(2, 2)->text(), QString("7"));
    QCOMPARE(vec(2)->text(), QString("8"));
    cell(4, 4)->setText("9");
    cell(1, 3)->setText("9");
    vec(4)->setText("9");
    resize(3);
    resize(5);
    QCOMPARE(cell(2, 2)->text(), QString("7"));
    QCOMPARE(cell(4, 4)->text(), QString(""));
    QCOMPARE(cell(1, 3)->text(), QString(""));
    QCOMPARE(vec(4)->text(), QString(""));
}

void tst_network_panel::leaving_a_cell_checks_it_data()
{
    QTest::addColumn<int>("r");
    QTest::addColumn<int>("c"); // -1: the vector cell
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("style");
    QTest::newRow("matrix 2,5 bad") << 2 << 5 << "x" << 205 << "QLineEdit { background-color: #F88 }";
    QTest::newRow("matrix 2,5 complex") << 2 << 5 << "2+i4" << 205 << "QLineEdit { background-color: #FFF }";
    QTest::newRow("vector 4 bad") << 4 << -1 << "1e" << 10004 << "QLineEdit { background-color: #F88 }";
    QTest::newRow("vector 4 suffixed") << 4 << -1 << "4.7k" << 10004 << "QLineEdit { background-color: #FFF }";
}

void tst_network_panel::leaving_a_cell_checks_it()
{
    QFETCH(int, r);
    QFETCH(int, c);
    QFETCH(QString, text);
    QFETCH(int, id);
    QFETCH(QString, style);
    resize(6);
    QSignalSpy ids(m_window->findChild<QSignalMapper *>(), &QSignalMapper::mappedInt);
    QLineEdit *e = c < 0 ? vec(r) : cell(r, c);
    type(e, text);
    QCOMPARE(ids.count(), 1);
    QCOMPARE(ids.first().first().toInt(), id);
    QCOMPARE(e->styleSheet(), style);
}

void tst_network_panel::solve_data()
{
    QTest::addColumn<QStringList>("matrix");
    QTest::addColumn<QStringList>("vector");
    QTest::addColumn<QString>("status");
    QTest::addColumn<QStringList>("results");
    using S = QStringList;
    QTest::newRow("one value") << S{"2"} << S{"4"} << "" << S{" 2.000000+i 0.000000"};
    QTest::newRow("empty cells are zeros") << S{"2", "", "", "4"} << S{"2", "8"} << "" << S{" 1.000000+i 0.000000", " 2.000000+i 0.000000"};
    QTest::newRow("singular") << S{"1", "2", "2", "4"} << S{"1", "1"} << "Singular! (1)" << S{"", ""};
    QTest::newRow("one incorrect") << S{"1", "x", "0", "1"} << S{"1", "1"} << "1 incorrect value found" << S{"", ""};
    QTest::newRow("three incorrect") << S{"1", "x", "y", "1"} << S{"z", "1"} << "3 incorrect values found" << S{"", ""};
    QTest::newRow("complex right-hand side") << S{"1"} << S{"2+i4"} << "" << S{" 2.000000+i 4.000000"};
    QTest::newRow("complex coefficient") << S{"i"} << S{"1"} << "" << S{" 0.000000+i-1.000000"};
    QTest::newRow("suffixes") << S{"1k"} << S{"5"} << "" << S{" 0.005000+i 0.000000"};
}

void tst_network_panel::solve()
{
    QFETCH(QStringList, matrix);
    QFETCH(QStringList, vector);
    QFETCH(QString, status);
    QFETCH(QStringList, results);
    fill(matrix, vector);
    QTest::mouseClick(m_window->findChild<QPushButton *>("network_solve"), Qt::LeftButton);
    QCOMPARE(shown_status(), status);
    for (int r = 0; r < results.size(); ++r)
        QCOMPARE(result(r)->text(), results[r]);
}

void tst_network_panel::zero_fill_touches_only_empty_cells()
{
    fill({"", " ", "x", ""}, {"", "3"});
    type(cell(1, 0), "");
    QTest::mouseClick(m_window->findChild<QPushButton *>("network_zero"), Qt::LeftButton);
    const QStringList expected = {"0", " ", "x", "0"};
    for (int i = 0; i < 4; ++i)
        QCOMPARE(cell(i / 2, i % 2)->text(), expected[i]);
    QCOMPARE(cell(1, 0)->styleSheet(), QString("QLineEdit { background-color: #F88 }"));
    QCOMPARE(vec(0)->text(), QString("0"));
    QCOMPARE(vec(1)->text(), QString("3"));
    QCOMPARE(result(0)->text(), QString(""));
}

// Node equations of a ladder fed with 1 A, every resistor 1 ohm, typed cell by cell.
void tst_network_panel::typed_circuit_shows_node_voltages()
{
    resize(3);
    const QStringList g = {"2", "-1", "", "-1", "3", "-1", "", "-1", "2"};
    for (int i = 0; i < 9; ++i) {
        if (!g[i].isEmpty())
            type(cell(i / 3, i % 3), g[i]);
    }
    type(vec(0), "1");
    QTest::mouseClick(m_window->findChild<QPushButton *>("network_zero"), Qt::LeftButton);
    QTest::mouseClick(m_window->findChild<QPushButton *>("network_solve"), Qt::LeftButton);
    QCOMPARE(shown_status(), QString(""));
    QCOMPARE(result(0)->text(), QString(" 0.625000+i 0.000000"));
    QCOMPARE(result(1)->text(), QString(" 0.250000+i 0.000000"));
    QCOMPARE(result(2)->text(), QString(" 0.125000+i 0.000000"));
}

QTEST_MAIN(tst_network_panel)
#include "tst_network_panel.moc"
