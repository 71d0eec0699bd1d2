#include "model/calculator_model.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QTest>
#include <QXmlStreamReader>

// The calculation model driven as the window drives it: a leave recalculates, a radio selects,
// the combo picks a circuit. One row a line: the steps, then everything the tab shows.
class tst_model : public QObject
{
    Q_OBJECT

private slots:
    void steps_data();
    void steps();
    void z_keeps_its_old_imaginary_part();
    void grid_data();
    void grid();
    void grid_zero_fill();
    void form_shows_the_start_texts();
};

namespace {

// One letter a field for its look: '-' never painted, I input, R result, B bad, X excluded; a
// blank; one letter a field for its flags: w writable, r read-only, capitals when disabled.
QString shown_looks(const TabState &tab)
{
    QString looks, flags;
    for (int i = 0; i < tab.field_count(); ++i) {
        const FieldState &f = tab.field(i);
        looks += QString("-IRBX")[int(f.look)];
        flags += f.enabled ? QChar(f.read_only ? 'r' : 'w') : QChar(f.read_only ? 'R' : 'W');
    }
    return looks + ' ' + flags;
}

QString shown_texts(const TabState &tab)
{
    QStringList list;
    for (int i = 0; i < tab.field_count(); ++i)
        list << tab.field(i).text;
    return list.join('|');
}

// "NAME=TEXT" types and leaves the field, "@NAME" clicks a radio (a quantity or a direction),
// "#NAME" picks a circuit, "digits=N" sets the width of answers, "leave" leaves a field as it is.
TabChange run(TabState &tab, int &digits, const QString &steps)
{
    TabChange last;
    const TabDefinition &d = tab.definition();
    for (const QString &step : steps.split("; ", Qt::SkipEmptyParts)) {
        if (step.startsWith("digits=")) {
            digits = step.mid(7).toInt();
        } else if (step == "leave") {
            last = tab.recalculate(digits);
        } else if (step.startsWith('@')) {
            const QByteArray name = step.mid(1).toLatin1();
            int m = d.position(name.constData());
            for (int k = 0; m < 0 && d.kind == TabKind::DeltaStar && k < d.choices; ++k)
                m = name == d.choice_names[k] ? k : -1;
            [&] { QVERIFY2(m >= 0, qPrintable(step)); }();
            last = tab.select(m, digits);
        } else if (step.startsWith('#')) {
            int c = -1;
            for (int k = 0; k < RLC_CIRCUITS; ++k)
                c = step.mid(1) == RLC_CIRCUIT_DEFINITIONS[k].name ? k : c;
            last = tab.select_circuit(c, digits);
        } else {
            const qsizetype eq = step.indexOf('=');
            const int i = d.position(step.left(eq).toLatin1().constData());
            [&] { QVERIFY2(i >= 0, qPrintable(step)); }();
            tab.type(i, step.mid(eq + 1));
            last = tab.recalculate(digits);
        }
    }
    return last;
}

} // namespace

void tst_model::steps_data()
{
    QTest::addColumn<int>("tab");
    QTest::addColumn<QString>("steps");
    QTest::addColumn<QString>("texts");
    QTest::addColumn<QString>("looks"); // then a blank, then the flags
    QTest::addColumn<QString>("error");
    QTest::newRow("start: ohm") << 0 << "" << "1|1|1" << "R-- rww" << "-";
    QTest::newRow("start: charge") << 1 << "" << "0.632121|1|1|1|1" << "R---- rwwww" << "-";
    QTest::newRow("start: discharge") << 2 << "" << "0.367879|1|1|1|1" << "R---- rwwww" << "-";
    QTest::newRow("start: cccap") << 3 << "" << "1|1|1|1" << "R--- rwww" << "-";
    QTest::newRow("start: rcfilter") << 4 << "" << "1|1|0.159155" << "--R wwr" << "-";
    QTest::newRow("start: deltay") << 5 << "" << "3|3|3|1|1|1" << "RRR--- rrrwww" << "-";
    QTest::newRow("start: rlc, calculated") << 6 << "" << "1|1|1|1|1+i6.1240304" << "IIIIR wwwwr" << "";
    QTest::newRow("ohm V") << 0 << "I=2; R=3" << "6|2|3" << "RII rww" << "";
    QTest::newRow("ohm I, suffix") << 0 << "@I; V=5; R=1k" << "5|5e-3|1k" << "IRI wrw" << "";
    QTest::newRow("ohm guard") << 0 << "@I; V=10; R=0" << "10|divide by zero|0" << "IRI wrw" << "";
    QTest::newRow("ohm message becomes a bad input") << 0 << "@I; R=0; @V" << "1|divide by zero|0" << "RBI rww" << "Illegal number(s)";
    QTest::newRow("ohm bad inputs keep the answer") << 0 << "I=2; R=3; I=abc; R=4M7" << "6|abc|4M7" << "RBB rww" << "Illegal number(s)";
    QTest::newRow("ohm complex is no real") << 0 << "I=1+i" << "1|1+i|1" << "RBI rww" << "Illegal number(s)";
    QTest::newRow("ohm digits") << 0 << "digits=12; I=1; R=3.3" << "3.3000000000|1|3.3" << "RII rww" << "";
    QTest::newRow("charge R, help example") << 1 << "@R; Vt=2.5; Vo=3.3; t=1m; C=100n" << "2.5|3.3|1m|7.05683e3|100n" << "IIIRI wwwrw" << "";
    QTest::newRow("charge ratio guard") << 1 << "@t; Vt=5; Vo=3" << "5|3|Vt >= V0 error|1|1" << "IIRII wwrww" << "";
    QTest::newRow("discharge t") << 2 << "@t; Vt=1; Vo=2; R=1k; C=1u" << "1|2|693.15e-6|1k|1u" << "IIRII wwrww" << "";
    QTest::newRow("cccap I") << 3 << "@I; t=20m; C=470u; V=0.5" << "20m|470u|0.5|11.750e-3" << "IIIR wwwr" << "";
    QTest::newRow("rcfilter Fc") << 4 << "R=1k; C=100n" << "1k|100n|1.59155e3" << "IIR wwr" << "";
    QTest::newRow("rcfilter R") << 4 << "@R; C=100n; Fc=1k" << "1.59155e3|100n|1k" << "RII rww" << "";
    QTest::newRow("to delta") << 5 << "Ra=1" << "3|3|3|1|1|1" << "RRR--- rrrwww" << "";
    QTest::newRow("to star, complex") << 5 << "@to-star; Rab=2+i4; Rbc=3; Rac=1" << "2+i4|3|1|0.5384615+i0.3076923|1.6153846+i0.9230769|0.3461538+i-0.230769" << "IIIRRR wwwrrr" << "";
    QTest::newRow("to star, the check speaks in Rab") << 5 << "@to-star; Rab=0; Rbc=0; Rac=0" << "Rab+Rac+Rbc is zero|0|0|0        |0        |0        " << "IIIRRR wwwrrr" << "";
    QTest::newRow("to delta, Rb zero") << 5 << "Rb=0" << "Rb is zero|3|3|1|0|1" << "RRR--- rrrwww" << "";
    QTest::newRow("delta-star bad input stays white") << 5 << "Ra=x" << "3|3|3|x|1|1" << "RRR--- rrrwww" << "Illegal number(s)";
    QTest::newRow("to star 10 20 30") << 5 << "@to-star; Rab=10; Rbc=20; Rac=30" << "10|20|30|5|3.3333333|10" << "IIIRRR wwwrrr" << "";
    QTest::newRow("to delta from rounded texts") << 5 << "Ra=5; Rb=3.3333333; Rc=10" << "9.9999999|20|30|5|3.3333333|10" << "RRR--- rrrwww" << "";
    QTest::newRow("an imaginary arm is no zero") << 5 << "Ra=i" << "1+i2|2+i-1|1+i2|i|1|1" << "RRR--- rrrwww" << "";
    QTest::newRow("negative arms") << 5 << "Ra=-1; Rb=2; Rc=2" << "0        |0        |0        |-1|2|2" << "RRR--- rrrwww" << "";
    QTest::newRow("to delta, Ra tested first") << 5 << "Rb=0; Ra=0" << "Ra is zero|3|3|0|0|1" << "RRR--- rrrwww" << "";
    QTest::newRow("to delta, all complex") << 5 << "Ra=1+i; Rb=1+i; Rc=1+i" << "3+i3|3+i3|3+i3|1+i|1+i|1+i" << "RRR--- rrrwww" << "";
    QTest::newRow("to delta, Rc zero") << 5 << "Rc=0" << "Rc is zero|3|3|1|1|0" << "RRR--- rrrwww" << "";
    QTest::newRow("to delta, Rb tested before Rc") << 5 << "Rc=0; Rb=0" << "Rb is zero|3|3|1|0|0" << "RRR--- rrrwww" << "";
    QTest::newRow("rlc series F") << 6 << "@F; Z=5; L=1m; C=1u" << "1|1m|1u|5.03292e3|5" << "XIIRI Wwwrw" << "";
    QTest::newRow("rlc series R: excluded fields are not judged") << 6 << "@R; L=abc; Z=2+i3" << "2|abc|1|1|2+i3" << "RXXXI rWWWw" << "";
    QTest::newRow("rlc series L: no F or C") << 6 << "@L; F=0" << "1|Zero F or C|1|0|1+i6.1240304" << "XRIII Wrwww" << "";
    QTest::newRow("rlc series F at 32 digits") << 6 << "digits=32; @F; Z=5+i3K; L=1m; C=1u" << "1|1m|1u|477.51787503006528368132421747e3|5+i3K" << "XIIRI Wwwrw" << "";
    QTest::newRow("rlc lrc F, the root at zero") << 6 << "#lrc; @F; R=2; Z=1+i" << "2|1|1|0        |1+i" << "IIIRI wwwrw" << "";
    QTest::newRow("rlc a new circuit repaints") << 6 << "@R; #parallel" << "38.503748|1|1|1|1+i6.1240304" << "RIIII rwwww" << "";
    QTest::newRow("rlc parallel Z") << 6 << "#parallel; R=10; L=1m; C=1u; F=1k" << "10|1m|1u|1k|2.9967239+i4.5811445" << "IIIIR wwwwr" << "";
    QTest::newRow("rlc parallel R: zero Re(1/Z)") << 6 << "#parallel; @R; Z=i5" << "Zero Re(1/Z)|1|1|1|i5" << "RIIII rwwww" << "";
    QTest::newRow("rlc lrc C") << 6 << "#lrc; @C; R=0; L=0" << "0|0|Divide by 0|1|657.87e-6+i-0.163184" << "IIRII wwrww" << "";
    QTest::newRow("rlc bad Z never turns red") << 6 << "@R; Z=x" << "1|1|1|1|x" << "RXXXI rWWWw" << "Illegal number(s)";
}

void tst_model::steps()
{
    QFETCH(int, tab);
    QFETCH(QString, steps);
    int digits = DIGITS_START;
    TabState state(tab, digits);
    run(state, digits, steps);
    QFETCH(QString, texts);
    QFETCH(QString, looks);
    QFETCH(QString, error);
    QCOMPARE(shown_texts(state), texts);
    QCOMPARE(shown_looks(state), looks);
    QCOMPARE(state.error(), error);
}

// A Z whose real part is no number keeps the imaginary part it had, which the panel of a later
// failed check still shows.
void tst_model::z_keeps_its_old_imaginary_part()
{
    int digits = DIGITS_START;
    TabState state(TAB_RLC, digits);
    const TabChange last = run(state, digits, "@R; Z=x+i5; F=0; @Z");
    QVERIFY(last.panel);
    QCOMPARE(state.panel().first(), QString("|Z| = 6.2051389"));
}

void tst_model::grid_data()
{
    QTest::addColumn<int>("n");
    QTest::addColumn<QStringList>("cells"); // row by row, each row's right-hand side last
    QTest::addColumn<QString>("status");
    QTest::addColumn<QString>("results");
    QTest::addColumn<QString>("looks"); // after every cell was left
    using L = QStringList;
    QTest::newRow("solved") << 2 << L{"2", "-1", "1", "-1", "2", "0"} << "" << " 0.666667+i 0.000000| 0.333333+i 0.000000" << "III|III";
    QTest::newRow("complex") << 1 << L{"2+i2", "4"} << "" << " 1.000000+i-1.000000" << "II";
    QTest::newRow("singular") << 2 << L{"1", "2", "1", "2", "4", "1"} << "Singular! (1)" << "|" << "III|III";
    QTest::newRow("one incorrect") << 1 << L{"x", "1"} << "1 incorrect value found" << "" << "BI";
    QTest::newRow("an empty cell reads as 0") << 2 << L{"1", "", "1", "0", "1", "y"} << "1 incorrect value found" << "|" << "III|IIB";
    QTest::newRow("two incorrect") << 2 << L{"1", "i+i", "1", "0", "1", "y"} << "2 incorrect values found" << "|" << "IBI|IIB";
}

void tst_model::grid()
{
    QFETCH(int, n);
    QFETCH(QStringList, cells);
    QFETCH(QString, looks);
    NetworkState g;
    g.resize(n);
    QString painted;
    for (int r = 0; r < n; ++r) {
        for (int c = 0; c <= n; ++c) {
            const CellId id = c < n ? CellId{CellId::Column::Matrix, r, c} : CellId{CellId::Column::Vector, r};
            g.type(id, cells[r * (n + 1) + c]);
            g.check(id);
            painted += QString("-IRBX")[int(g.cell(id).look)];
        }
        painted += r + 1 < n ? "|" : "";
    }
    g.solve();
    QStringList shown;
    for (int r = 0; r < n; ++r)
        shown << g.cell({CellId::Column::Result, r}).text;
    QFETCH(QString, status);
    QFETCH(QString, results);
    QCOMPARE(g.status(), status);
    QCOMPARE(shown.join('|'), results);
    QCOMPARE(painted, looks);
}

void tst_model::grid_zero_fill()
{
    NetworkState g;
    g.resize(2);
    g.type({CellId::Column::Matrix, 0, 1}, "5");
    g.type({CellId::Column::Vector, 1}, " ");
    QCOMPARE(g.fill_empty_with_zero().texts.size(), size_t(4));
    QStringList texts;
    for (int r = 0; r < 2; ++r) {
        for (int c = 0; c < 3; ++c)
            texts << g.cell(c < 2 ? CellId{CellId::Column::Matrix, r, c} : CellId{CellId::Column::Vector, r}).text;
    }
    QCOMPARE(texts.join('|'), QString("0|5|0|0|0| "));
}

// The forms keep the start texts for the designer's preview; the window shows the model's.
void tst_model::form_shows_the_start_texts()
{
    QHash<QString, QString> texts;
    const QStringList forms = QDir(QStringLiteral(OHMARA_FORMS)).entryList({QStringLiteral("*.ui")});
    QVERIFY(forms.contains("ohmara.ui"));
    for (const QString &name : forms) {
        QFile form(QStringLiteral(OHMARA_FORMS) + '/' + name);
        QVERIFY(form.open(QIODevice::ReadOnly));
        QXmlStreamReader xml(&form);
        QString widget;
        bool text_property = false;
        while (!xml.atEnd()) {
            xml.readNext();
            if (xml.isEndElement() && xml.name() == QLatin1String("property"))
                text_property = false;
            if (!xml.isStartElement())
                continue;
            if (xml.name() == QLatin1String("widget"))
                widget = xml.attributes().value("name").toString();
            else if (xml.name() == QLatin1String("property"))
                text_property = xml.attributes().value("name") == QLatin1String("text");
            else if (text_property && xml.name() == QLatin1String("string"))
                texts.insert(widget, xml.readElementText());
        }
        QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
    }
    for (int t = 0; t < TAB_COUNT; ++t) {
        const TabDefinition &d = TAB_DEFINITIONS[t];
        for (int i = 0; i < d.field_count; ++i)
            QCOMPARE(texts.value(QString("Value%1%2").arg(t).arg(i)), QString(d.quantities[i].start_text));
    }
}

QTEST_APPLESS_MAIN(tst_model)
#include "tst_model.moc"
