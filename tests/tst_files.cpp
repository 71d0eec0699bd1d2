#include "tests/window_test.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

// Save and Load through the File menu, with the file name handed in instead of typed into a
// dialog. Any message box is read and closed; one that nobody expected fails the test.
class tst_files : public WindowTest
{
    Q_OBJECT

private slots:
    void init()
    {
        WindowTest::init();
        m_message.clear();
    }

    void save_and_load_restore_every_tab();
    void loaded_unknown_is_selected_and_recomputed();
    void loaded_grid_cells_data();
    void loaded_grid_cells();
    void same_size_keeps_the_grid();
    void failures_data();
    void failures();

private:
    void trigger(const char *action, const QString &name);
    QLineEdit *field(const QString &name) { return m_window->findChild<QLineEdit *>(name); }
    QString file(const char *name) { return m_dir.filePath(name); }
    void write(const QString &name, const QByteArray &content);

    QTemporaryDir m_dir;
    QString m_message;
};

void tst_files::write(const QString &name, const QByteArray &content)
{
    QFile f(name);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(content);
}

// Runs a File menu entry with the given name; a message box it opens is read into m_message.
void tst_files::trigger(const char *action, const QString &name)
{
    m_window->set_file_name_source([name](bool) { return name; });
    QTimer watchdog;
    connect(&watchdog, &QTimer::timeout, this, [this] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            m_message = box->text();
            box->close();
        }
    });
    watchdog.start(10);
    m_window->findChild<QAction *>(action)->trigger();
}

void tst_files::save_and_load_restore_every_tab()
{
    const QString name = file("all.oma");
    field("Value01")->setText("2+i4");
    field("Value31")->setText("4.7k");
    field("Value53")->setText("3.3333333");
    m_window->findChild<QSpinBox *>("sb_network")->setValue(2);
    // Every Value field but the RLC tab's, which is not saved, and every grid cell.
    QList<QLineEdit *> fields;
    for (QLineEdit *e : m_window->findChildren<QLineEdit *>(QRegularExpression("^Value[0-5]")))
        fields << e;
    fields << m_window->findChild<QWidget *>("gridLayoutWidget")->findChildren<QLineEdit *>();
    for (int i = 0; i < fields.size(); ++i) {
        if (fields[i]->objectName().isEmpty())
            fields[i]->setText(QString("g%1").arg(i));
    }
    QStringList saved;
    for (QLineEdit *e : fields)
        saved << e->text();
    trigger("actionSave", name);
    QCOMPARE(m_message, QString());
    for (QLineEdit *e : fields)
        e->setText("changed");
    trigger("actionLoad", name);
    QCOMPARE(m_message, QString());
    // Loading recalculates each tab, so its result fields show fresh answers.
    for (int i = 0; i < fields.size(); ++i) {
        if (!fields[i]->isReadOnly() || fields[i]->objectName().isEmpty())
            QCOMPARE(fields[i]->text(), saved[i]);
    }
}

void tst_files::loaded_unknown_is_selected_and_recomputed()
{
    const QString name = file("charge.oma");
    m_window->findChild<QRadioButton *>("Radio13")->click();
    field("Value10")->setText("2.5");
    field("Value11")->setText("3.3");
    field("Value12")->setText("1m");
    field("Value14")->setText("100n");
    trigger("actionSave", name);
    m_window->findChild<QRadioButton *>("Radio10")->click();
    field("Value13")->setText("47");
    trigger("actionLoad", name);
    QVERIFY(m_window->findChild<QRadioButton *>("Radio13")->isChecked());
    QVERIFY(field("Value13")->isReadOnly());
    QCOMPARE(field("Value13")->styleSheet(), QString("QLineEdit { background-color: #FF8 }"));
    QCOMPARE(field("Value13")->text(), QString("7.05683e3"));
}

void tst_files::loaded_grid_cells_data()
{
    QTest::addColumn<QByteArray>("cells"); // (0,0) (0,1) (1,0) (1,1) v0 r0 v1 r1
    QTest::addColumn<QStringList>("styles"); // editable cells as made: (0,0) (0,1) v0 (1,0) (1,1) v1
    const QString red = "QLineEdit { background-color: #F88 }";
    const QString white = "QLineEdit { background-color: #FFF }";
    QTest::newRow("bad matrix cell turns red") << QByteArray("x\n1\n1\n1\n2\nold\n3\nold\n") << QStringList{red, white, "", white, white, ""};
    QTest::newRow("bad vector cell keeps its colour") << QByteArray("1\n1\n1\n1\ny\nold\nz\nold\n") << QStringList{white, white, "", white, white, ""};
}

void tst_files::loaded_grid_cells()
{
    QFETCH(QByteArray, cells);
    QFETCH(QStringList, styles);
    const QByteArray head = "270116\n0 0\n1\n1\n1\n0 1\n1\n1\n1\n1\n1\n0 2\n1\n1\n1\n1\n1\n"
                            "0 3\n1\n1\n1\n1\n2 4\n1\n1\n1\n2 NWS\n";
    write(file("grid.oma"), head + cells + "0 5\n1\n1\n1\n1\n1\n1\n");
    trigger("actionLoad", file("grid.oma"));
    QCOMPARE(m_message, QString());
    auto *grid = m_window->findChild<QSpinBox *>("sb_network");
    QCOMPARE(grid->value(), 2);
    const QList<QLineEdit *> cellsShown = m_window->findChild<QWidget *>("gridLayoutWidget")->findChildren<QLineEdit *>();
    QStringList seen;
    for (QLineEdit *e : cellsShown) {
        if (!e->isReadOnly())
            seen << e->styleSheet();
    }
    QCOMPARE(seen, styles);
    // Result cells come back as text, with nothing solved.
    QCOMPARE(m_window->findChild<QLabel *>("network_status")->text(), QString("Solve impedance network"));
}

void tst_files::same_size_keeps_the_grid()
{
    auto *grid = m_window->findChild<QSpinBox *>("sb_network");
    grid->setValue(1);
    QLineEdit *cell = m_window->findChild<QWidget *>("gridLayoutWidget")->findChild<QLineEdit *>();
    cell->setText("5");
    trigger("actionSave", file("one.oma"));
    cell->setText("6");
    trigger("actionLoad", file("one.oma"));
    QCOMPARE(m_window->findChild<QWidget *>("gridLayoutWidget")->findChild<QLineEdit *>(), cell);
    QCOMPARE(cell->text(), QString("5"));
}

void tst_files::failures_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("message");
    QTest::newRow("save into a vanished folder") << "actionSave" << "gone/x.oma" << "Could not open '%1' for writing";
    QTest::newRow("save over a folder") << "actionSave" << "folder" << "Could not open '%1' for writing";
    QTest::newRow("load a missing file") << "actionLoad" << "missing.oma" << "Could not open '%1' for reading";
    QTest::newRow("load a wrong version") << "actionLoad" << "old.oma" << "'%1' has wrong version number";
    QTest::newRow("load a network of 21") << "actionLoad" << "big.oma" << "";
}

void tst_files::failures()
{
    QFETCH(QString, action);
    QFETCH(QString, name);
    QFETCH(QString, message);
    QVERIFY(QDir(m_dir.path()).mkpath("folder"));
    write(file("old.oma"), "27011\n");
    write(file("big.oma"), "270116\n2 0\n5\n5\n5\n0 1\n1\n1\n1\n1\n1\n0 2\n1\n1\n1\n1\n1\n0 3\n1\n1\n1\n1\n2 4\n1\n1\n1\n21 NWS\n");
    const QString before = field("Value50")->text();
    trigger(qPrintable(action), file(qPrintable(name)));
    QCOMPARE(m_message, message.isEmpty() ? QString() : message.arg(file(qPrintable(name))));
    QVERIFY(QFileInfo(file("folder")).isDir());
    // A load stopped by the grid's size leaves the tabs after it alone.
    QCOMPARE(field("Value50")->text(), before);
}

QTEST_MAIN(tst_files)
#include "tst_files.moc"
