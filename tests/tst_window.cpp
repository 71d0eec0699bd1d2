#include "app/ohmara.h"

#include <QAccessible>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QTabWidget>
#include <QStackedWidget>
#include <QTest>

namespace {

// What a user reads off a widget: its text, a spin box's range and value, a combo's items.
QString shown_text(QWidget *w)
{
    if (auto *e = qobject_cast<QLineEdit *>(w))
        return e->text();
    if (auto *b = qobject_cast<QAbstractButton *>(w))
        return b->text();
    if (auto *l = qobject_cast<QLabel *>(w))
        return l->text();
    if (auto *s = qobject_cast<QSpinBox *>(w))
        return QString("%1..%2=%3").arg(s->minimum()).arg(s->maximum()).arg(s->value());
    if (auto *c = qobject_cast<QComboBox *>(w)) {
        QStringList items;
        for (int i = 0; i < c->count(); ++i)
            items << c->itemText(i);
        return items.join('|');
    }
    return {};
}

QString start_state(QWidget *w)
{
    if (auto *e = qobject_cast<QLineEdit *>(w)) {
        if (!e->isReadOnly())
            return "input";
        return e->styleSheet() == "QLineEdit { background-color: #FF8 }" ? "result" : "unpainted";
    }
    if (auto *r = qobject_cast<QRadioButton *>(w))
        return r->isChecked() ? "checked" : "";
    if (auto *p = qobject_cast<QPlainTextEdit *>(w))
        return p->isReadOnly() ? "read-only" : "editable";
    return {};
}

} // namespace

class tst_window : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { Q_INIT_RESOURCE(pics); }
    void init() { m_window = new ohmara; }
    void cleanup() { delete m_window; }

    void widgets_data();
    void widgets();
    void frame();
    void pictures_data();
    void pictures();
    void tabs_data();
    void tabs();
    void menu();
    void focus_chain();
    void digits_setting();
    void exit_closes();

private:
    ohmara *m_window = nullptr;
};

void tst_window::widgets_data()
{
    QTest::addColumn<QString>("cls");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("tip");
    QTest::addColumn<QString>("spoken");
    QTest::addColumn<QString>("state");
    QTest::newRow("sl_prec") << "QLabel" << "Prec." << "" << "" << "";
    QTest::newRow("sb_digits") << "QSpinBox" << "6..32=9" << "Nr. of total characters of answers." << "Digits of answers" << "";
    QTest::newRow("pb_help") << "QPushButton" << "Help!" << "" << "Help" << "";
    QTest::newRow("Error0") << "QLabel" << "-" << "" << "" << "";
    QTest::newRow("Radio00") << "QRadioButton" << "V" << "Calculate V given I and R" << "Ohm's law, solve for V" << "checked";
    QTest::newRow("Value00") << "QLineEdit" << "1" << "Enter or retrieve value of V" << "Ohm's law, V" << "result";
    QTest::newRow("Radio01") << "QRadioButton" << "I" << "Calculate I given V and R" << "Ohm's law, solve for I" << "";
    QTest::newRow("Value01") << "QLineEdit" << "1" << "Enter or retrieve value of I" << "Ohm's law, I" << "input";
    QTest::newRow("Radio02") << "QRadioButton" << "R" << "Calculate R given I and V" << "Ohm's law, solve for R" << "";
    QTest::newRow("Value02") << "QLineEdit" << "1" << "Enter or retrieve value of R" << "Ohm's law, R" << "input";
    QTest::newRow("network_status") << "QLabel" << "Solve impedance network" << "" << "" << "";
    QTest::newRow("network_zero") << "QPushButton" << "0" << "Fills empty entries with zero" << "Fill empty network entries with zero" << "";
    QTest::newRow("network_solve") << "QPushButton" << "Solve" << "Start solving linear equations." << "Solve network" << "";
    QTest::newRow("label_17") << "QLabel" << "Network elements:" << "" << "" << "";
    QTest::newRow("sb_network") << "QSpinBox" << "0..20=0" << "Size of network<br>(e.g. 4=4x4 plus 4 element vector)" << "Network size" << "";
    QTest::newRow("Error1") << "QLabel" << "-" << "" << "" << "";
    QTest::newRow("Radio10") << "QRadioButton" << "Vt" << "" << "Charge, solve for Vt" << "checked";
    QTest::newRow("Value10") << "QLineEdit" << "0.632121" << "Enter or retrieve value of Vt" << "Charge, Vt" << "result";
    QTest::newRow("Radio11") << "QRadioButton" << "Vo" << "" << "Charge, solve for Vo" << "";
    QTest::newRow("Value11") << "QLineEdit" << "1" << "Enter or retrieve value of Vo" << "Charge, Vo" << "input";
    QTest::newRow("Radio12") << "QRadioButton" << "t" << "" << "Charge, solve for t" << "";
    QTest::newRow("Value12") << "QLineEdit" << "1" << "Enter or retrieve value of t" << "Charge, t" << "input";
    QTest::newRow("Radio13") << "QRadioButton" << "R" << "" << "Charge, solve for R" << "";
    QTest::newRow("Value13") << "QLineEdit" << "1" << "Enter or retrieve value of R" << "Charge, R" << "input";
    QTest::newRow("Radio14") << "QRadioButton" << "C" << "" << "Charge, solve for C" << "";
    QTest::newRow("Value14") << "QLineEdit" << "1" << "Enter or retrieve value of C" << "Charge, C" << "input";
    QTest::newRow("Error2") << "QLabel" << "-" << "" << "" << "";
    QTest::newRow("Radio20") << "QRadioButton" << "Vt" << "Calculate Vt given Vo, t, R, C" << "Discharge, solve for Vt" << "checked";
    QTest::newRow("Value20") << "QLineEdit" << "0.367879" << "Enter or retrieve value of Vt" << "Discharge, Vt" << "result";
    QTest::newRow("Radio21") << "QRadioButton" << "Vo" << "Calculate Vo given Vt, T, R, C" << "Discharge, solve for Vo" << "";
    QTest::newRow("Value21") << "QLineEdit" << "1" << "Enter or retrieve value of Vo" << "Discharge, Vo" << "input";
    QTest::newRow("Radio22") << "QRadioButton" << "t" << "Calculate t given Vt, Vo, R, C" << "Discharge, solve for t" << "";
    QTest::newRow("Value22") << "QLineEdit" << "1" << "Enter or retrieve value of t" << "Discharge, t" << "input";
    QTest::newRow("Radio23") << "QRadioButton" << "R" << "Calculate R given Vt, T, t, C" << "Discharge, solve for R" << "";
    QTest::newRow("Value23") << "QLineEdit" << "1" << "Enter or retrieve value of R" << "Discharge, R" << "input";
    QTest::newRow("Radio24") << "QRadioButton" << "C" << "Calculate C given Vt, T, t, R" << "Discharge, solve for C" << "";
    QTest::newRow("Value24") << "QLineEdit" << "1" << "Enter or retrieve value of C" << "Discharge, C" << "input";
    QTest::newRow("Error3") << "QLabel" << "-" << "" << "" << "";
    QTest::newRow("Radio30") << "QRadioButton" << "t" << "Calculate t given C, V, I" << "Constant-current capacitor, solve for t" << "checked";
    QTest::newRow("Value30") << "QLineEdit" << "1" << "Enter or retrieve value of t" << "Constant-current capacitor, t" << "result";
    QTest::newRow("Radio31") << "QRadioButton" << "C" << "Calculate C given t, V, I" << "Constant-current capacitor, solve for C" << "";
    QTest::newRow("Value31") << "QLineEdit" << "1" << "Enter or retrieve value of C" << "Constant-current capacitor, C" << "input";
    QTest::newRow("Radio32") << "QRadioButton" << "V" << "Calculate V given C, t, I" << "Constant-current capacitor, solve for V" << "";
    QTest::newRow("Value32") << "QLineEdit" << "1" << "Enter or retrieve value of V" << "Constant-current capacitor, V" << "input";
    QTest::newRow("Radio33") << "QRadioButton" << "I" << "Calculate I given C, V, t" << "Constant-current capacitor, solve for I" << "";
    QTest::newRow("Value33") << "QLineEdit" << "1" << "Enter or retrieve value of I" << "Constant-current capacitor, I" << "input";
    QTest::newRow("Error4") << "QLabel" << "-" << "" << "" << "";
    QTest::newRow("Radio40") << "QRadioButton" << "R" << "Calculate R given C, Fc" << "RC filter, solve for R" << "";
    QTest::newRow("Value40") << "QLineEdit" << "1" << "Enter or retrieve value of R" << "RC filter, R" << "input";
    QTest::newRow("Radio41") << "QRadioButton" << "C" << "Calculate C given R, Fc" << "RC filter, solve for C" << "";
    QTest::newRow("Value41") << "QLineEdit" << "1" << "Enter or retrieve value of C" << "RC filter, C" << "input";
    QTest::newRow("Radio42") << "QRadioButton" << "Fc" << "Calculate Fc given C, R" << "RC filter, solve for Fc" << "checked";
    QTest::newRow("Value42") << "QLineEdit" << "0.159155" << "Enter or retrieve value of Fc" << "RC filter, Fc" << "result";
    QTest::newRow("Radio50") << "QRadioButton" << "Delta or Pi" << "Convert from T/Y to Delta/Pi" << "Delta-star, convert to delta or pi" << "checked";
    QTest::newRow("Radio51") << "QRadioButton" << "T or Y" << "Convert from Delta/Pi to T/Y" << "Delta-star, convert to T or Y" << "";
    QTest::newRow("label_2") << "QLabel" << "Rab" << "" << "" << "";
    QTest::newRow("Value50") << "QLineEdit" << "3" << "Enter or retrieve value of Rab" << "Delta-star, Rab" << "result";
    QTest::newRow("label_3") << "QLabel" << "Rbc" << "" << "" << "";
    QTest::newRow("Value51") << "QLineEdit" << "3" << "Enter or retrieve value of Rbc" << "Delta-star, Rbc" << "result";
    QTest::newRow("label_4") << "QLabel" << "Rac" << "" << "" << "";
    QTest::newRow("Value52") << "QLineEdit" << "3" << "Enter or retrieve value of Rac" << "Delta-star, Rac" << "result";
    QTest::newRow("label_6") << "QLabel" << "Ra" << "" << "" << "";
    QTest::newRow("Value53") << "QLineEdit" << "1" << "Enter or retrieve value of Ra" << "Delta-star, Ra" << "input";
    QTest::newRow("label_7") << "QLabel" << "Rb" << "" << "" << "";
    QTest::newRow("Value54") << "QLineEdit" << "1" << "Enter or retrieve value of Rb" << "Delta-star, Rb" << "input";
    QTest::newRow("label_5") << "QLabel" << "Rc" << "" << "" << "";
    QTest::newRow("Value55") << "QLineEdit" << "1" << "Enter or retrieve value of Rc" << "Delta-star, Rc" << "input";
    QTest::newRow("Error5") << "QLabel" << "-" << "" << "" << "";
    QTest::newRow("label") << "QLabel" << "For impedance use 'i': e.g. 2+i4" << "" << "" << "";
    QTest::newRow("pd_series6") << "QComboBox" << "Series impedance|Parallel impedance|L + Resistor // C" << "Select one of three circuits." << "RLC circuit" << "";
    QTest::newRow("Error6") << "QLabel" << "" << "" << "" << "";
    QTest::newRow("Radio60") << "QRadioButton" << "R" << "Calculate R given L, C, F, Z" << "RLC, solve for R" << "";
    QTest::newRow("Value60") << "QLineEdit" << "1" << "Enter or retrieve value of R" << "RLC, R" << "input";
    QTest::newRow("Radio61") << "QRadioButton" << "L" << "Calculate L given R, C, F, Z" << "RLC, solve for L" << "";
    QTest::newRow("Value61") << "QLineEdit" << "1" << "Enter or retrieve value of L" << "RLC, L" << "input";
    QTest::newRow("Radio62") << "QRadioButton" << "C" << "Calculate C given L, R, F, Z" << "RLC, solve for C" << "";
    QTest::newRow("Value62") << "QLineEdit" << "1" << "Enter or retrieve value of C" << "RLC, C" << "input";
    QTest::newRow("Radio63") << "QRadioButton" << "Frq" << "Calculate F given L, C, R, Z" << "RLC, solve for F" << "";
    QTest::newRow("Value63") << "QLineEdit" << "1" << "Enter or retrieve value of F" << "RLC, F" << "input";
    QTest::newRow("Radio64") << "QRadioButton" << "Z" << "Calculate Z given L, R, F, C" << "RLC, solve for Z" << "checked";
    QTest::newRow("Value64") << "QLineEdit" << "1+i6.1240304" << "Enter or retrieve value of Z" << "RLC, Z" << "result";
    QTest::newRow("calc6_text") << "QPlainTextEdit" << "" << "Extra information" << "RLC, extra information" << "read-only";
}

void tst_window::widgets()
{
    QFETCH(QString, cls);
    QFETCH(QString, text);
    QFETCH(QString, tip);
    QFETCH(QString, spoken);
    QFETCH(QString, state);
    auto *w = m_window->findChild<QWidget *>(QTest::currentDataTag());
    QVERIFY(w);
    QCOMPARE(w->metaObject()->className(), cls);
    QCOMPARE(shown_text(w), text);
    QCOMPARE(w->toolTip(), tip);
    QCOMPARE(start_state(w), state);
    if (qobject_cast<QComboBox *>(w)) {
        // A combo box speaks its current item as its name; its own name is the property.
        QCOMPARE(w->accessibleName(), spoken);
    } else if (!spoken.isEmpty()) {
        QAccessibleInterface *a = QAccessible::queryAccessibleInterface(w);
        QVERIFY(a);
        QCOMPARE(a->text(QAccessible::Name), spoken);
    }
}

void tst_window::frame()
{
    QCOMPARE(m_window->metaObject()->className(), "ohmara");
    QCOMPARE(m_window->windowTitle(), QString("MainWindow"));
    QCOMPARE(m_window->size(), QSize(632, 448));
    auto *notice = m_window->statusBar()->findChild<QLabel *>("notice");
    QVERIFY(notice);
    QCOMPARE(notice->text(), QString::fromLatin1(ohmara::notice_text));
    QVERIFY(notice->text().contains("freeware") && notice->text().contains("the Ohmara authors"));
    // The result fields of every tab start yellow; the RLC tab's extra text too.
    QCOMPARE(m_window->findChild<QWidget *>("calc6_text")->styleSheet(),
             QString("QPlainTextEdit { background-color: #FF8 }"));
    for (int n = 0; n <= 6; ++n)
        QCOMPARE(m_window->findChild<QLabel *>(QString("Error%1").arg(n))->font().bold(), true);
}

void tst_window::pictures_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QSize>("size");
    QTest::newRow("Formula0") << ":/pics/UOhmplus.png" << QSize(158, 121);
    QTest::newRow("Formula1") << ":/pics/charge_cap.png" << QSize(266, 180);
    QTest::newRow("Formula2") << ":/pics/discharge_cap.png" << QSize(220, 154);
    QTest::newRow("Formula3") << ":/pics/current_cap.png" << QSize(174, 161);
    QTest::newRow("Formula4") << ":/pics/Fcplus.png" << QSize(390, 178);
    QTest::newRow("Formula5") << ":/pics/DY.png" << QSize(304, 220);
    QTest::newRow("lbl_rlc0") << ":/pics/series_RLC.png" << QSize(235, 271);
    QTest::newRow("lbl_rlc1") << ":/pics/parallel_RLC.png" << QSize(252, 271);
    QTest::newRow("lbl_rlc3_2") << ":/pics/LRSC.png" << QSize(214, 271);
}

void tst_window::pictures()
{
    QFETCH(QString, path);
    QFETCH(QSize, size);
    const QImage image(path);
    QCOMPARE(image.size(), size);
    auto *label = m_window->findChild<QLabel *>(QTest::currentDataTag());
    QVERIFY(label);
    QVERIFY(label->text().isEmpty());
    // Pictures arrive when first shown: bring the label's page forward in every stack above
    // it, as choosing its tab and circuit does.
    m_window->show();
    for (QWidget *w = label; w->parentWidget(); w = w->parentWidget()) {
        if (auto *stack = qobject_cast<QStackedWidget *>(w->parentWidget()))
            stack->setCurrentWidget(w);
    }
    QVERIFY(label->isVisible());
    const QImage shown = label->pixmap().toImage();
    QCOMPARE(shown.convertToFormat(image.format()), image);
}

void tst_window::tabs_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("title");
    QTest::newRow("tab_3") << 0 << "Ohms law";
    QTest::newRow("tab") << 1 << "Charge";
    QTest::newRow("tab_2") << 2 << "Discharge";
    // Doubled so that the tab shows an ampersand instead of underlining a mnemonic.
    QTest::newRow("tab_7") << 3 << "CC && Cap";
    QTest::newRow("tab_4") << 4 << "RC filt.";
    QTest::newRow("widget") << 5 << "D<->Y";
    QTest::newRow("tab_5") << 6 << "RLC";
}

void tst_window::tabs()
{
    QFETCH(int, index);
    QFETCH(QString, title);
    auto *tabs = m_window->findChild<QTabWidget *>("tabWidget");
    QCOMPARE(tabs->currentIndex(), 0);
    QCOMPARE(tabs->widget(index)->objectName(), QString(QTest::currentDataTag()));
    QCOMPARE(tabs->tabText(index), title);
}

void tst_window::menu()
{
    auto *file = m_window->menuBar()->findChild<QMenu *>("menuSave");
    QVERIFY(file);
    QCOMPARE(file->title(), QString("File"));
    QStringList seen;
    for (QAction *a : file->actions()) {
        seen << (a->isSeparator() ? "|" : a->objectName() + "=" + a->text());
        QVERIFY(a->shortcut().isEmpty());
    }
    QCOMPARE(seen, QStringList({"actionSave=Save", "actionLoad=Load", "|", "actionExit=Exit"}));
}

void tst_window::focus_chain()
{
    QStringList expected = {"Radio00", "Radio01", "Radio02", "Value00", "Value01", "Value02",
                            "tabWidget", "sb_digits", "sb_network", "network_zero",
                            "network_solve", "pb_help", "network_area"};
    const int counts[] = {5, 5, 4, 3};
    for (int n = 1; n <= 4; ++n) {
        for (const char *kind : {"Radio", "Value"}) {
            for (int m = 0; m < counts[n - 1]; ++m)
                expected << QString("%1%2%3").arg(kind).arg(n).arg(m);
        }
    }
    expected << "Radio50" << "Value53" << "Value54" << "Value55" << "Radio51" << "Value50"
             << "Value51" << "Value52" << "pd_series6" << "Radio60" << "Radio61" << "Radio62"
             << "Radio63" << "Radio64" << "Value60" << "Value61" << "Value62" << "Value63"
             << "Value64" << "calc6_text";
    // Walk the chain from the first stop, keeping only the stops of the list.
    QStringList seen;
    QWidget *w = m_window->findChild<QWidget *>("Radio00");
    for (int guard = 0; guard < 1000 && seen.size() < expected.size(); ++guard) {
        if (expected.contains(w->objectName()) && !seen.contains(w->objectName()))
            seen << w->objectName();
        w = w->nextInFocusChain();
    }
    QCOMPARE(seen, expected);
}

void tst_window::digits_setting()
{
    QCOMPARE(m_window->digits(), 9);
    auto *digits = m_window->findChild<QSpinBox *>("sb_digits");
    digits->setValue(12);
    QCOMPARE(m_window->digits(), 12);
    digits->setValue(40);
    QCOMPARE(m_window->digits(), 32);
    // A new width leaves every shown text as it was.
    QCOMPARE(m_window->findChild<QLineEdit *>("Value10")->text(), QString("0.632121"));
}

void tst_window::exit_closes()
{
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window));
    m_window->findChild<QAction *>("actionExit")->trigger();
    QVERIFY(!m_window->isVisible());
}

QTEST_MAIN(tst_window)
#include "tst_window.moc"
