#include "calculators/capacitor.h"
#include "tests/window_test.h"

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTextEdit>
#include <QTimer>

#include <functional>

// The help page, opened with "Help!" as a user does.
class tst_help : public WindowTest
{
    Q_OBJECT

private slots:
    void page();
    void edits_vanish_and_tabs_stay();
    void example_matches_charge_tab_data();
    void example_matches_charge_tab();

private:
    // Clicks "Help!" and runs `look` on the open dialog, then closes it. A dialog that never
    // opens fails the test instead of hanging it.
    void with_help(const std::function<void(QDialog *)> &look);
    QString plain_help();

};

void tst_help::with_help(const std::function<void(QDialog *)> &look)
{
    bool seen = false;
    QTimer::singleShot(0, this, [&] {
        auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        seen = true;
        look(dialog);
        dialog->close();
    });
    QTimer::singleShot(5000, this, [] {
        if (QWidget *w = QApplication::activeModalWidget())
            w->close();
    });
    QTest::mouseClick(m_window->findChild<QPushButton *>("pb_help"), Qt::LeftButton);
    QVERIFY2(seen, "no help dialog opened");
    QVERIFY(!QApplication::activeModalWidget());
}

QString tst_help::plain_help()
{
    QString text;
    with_help([&](QDialog *d) { text = d->findChild<QTextEdit *>("help_window")->toPlainText(); });
    return text;
}

void tst_help::page()
{
    QString title, header;
    with_help([&](QDialog *d) {
        title = d->windowTitle();
        header = d->findChild<QTextEdit *>("textEdit")->toPlainText();
        QCOMPARE(d->objectName(), QString("help"));
        QVERIFY(d->findChild<QTextEdit *>("textEdit")->isReadOnly());
    });
    QCOMPARE(title, QString("Ohmara Help"));
    QCOMPARE(header.split('\n').first(), QString("Ohmara V1.0."));
    QVERIFY(header.contains("the Ohmara authors"));
    const QString text = "\n" + plain_help();
    qsizetype at = -1;
    for (const char *heading : {"The Problem.", "The Solution.", "Example.", "Numbers.", "Beware",
                                "Contents", "Ohms law.", "Charge.", "Discharge.", "CC Cap.",
                                "RC filt.", "D<->Y.", "RLC", "Finally"}) {
        const qsizetype next = text.indexOf(QString("\n%1\n").arg(heading), at + 1);
        QVERIFY2(next > at, heading);
        at = next;
    }
}

void tst_help::edits_vanish_and_tabs_stay()
{
    QStringList before;
    for (QLineEdit *e : m_window->findChildren<QLineEdit *>())
        before << e->text();
    const QString original = plain_help();
    with_help([](QDialog *d) { d->findChild<QTextEdit *>("help_window")->setPlainText("scribbled"); });
    QCOMPARE(plain_help(), original);
    QStringList after;
    for (QLineEdit *e : m_window->findChildren<QLineEdit *>())
        after << e->text();
    QCOMPARE(after, before);
}

// The numbers the page quotes are the ones the Charge tab computes (positions Vt, Vo, t, R, C).
void tst_help::example_matches_charge_tab_data()
{
    QTest::addColumn<int>("unknown");
    QTest::addColumn<double>("r");
    QTest::addColumn<double>("scale");
    QTest::addColumn<int>("decimals");
    QTest::addColumn<QString>("quoted");
    QTest::newRow("R") << 3 << 0.0 << 1.0 << 2 << "R = %1 Ohms";
    QTest::newRow("t with 8200") << 2 << 8200.0 << 1e3 << 2 << "%1 milli seconds";
    QTest::newRow("t with 10K") << 2 << 10e3 << 1e3 << 1 << "%1 milli seconds";
}

void tst_help::example_matches_charge_tab()
{
    QFETCH(int, unknown);
    QFETCH(double, r);
    QFETCH(double, scale);
    QFETCH(int, decimals);
    QFETCH(QString, quoted);
    const double values[] = {2.5, 3.3, 1e-3, r, 100e-9};
    const Outcome out = capacitor_charge(unknown, values);
    QCOMPARE(out.kind, Outcome::Kind::Answer);
    const QString number = QString::number(out.value * scale, 'f', decimals);
    QVERIFY2(plain_help().simplified().contains(quoted.arg(number)), qPrintable(number));
}

QTEST_MAIN(tst_help)
#include "tst_help.moc"
