#include "app/application.h"
#include "app/looks.h"
#include "app/ohmara.h"
#include "app/plot_window.h"
#include "calculators/capacitor.h"
#include "numbers/format.h"
#include "storage/calculation_file.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QGridLayout>
#include <QIcon>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QMenu>
#include <QScopeGuard>
#include <QScrollArea>
#include <QScrollBar>
#include <QSettings>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QStatusBar>
#include <QSpinBox>
#include <QStackedWidget>
#include <QStyle>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <memory>
#include <QTextEdit>
#include <QTextDocument>
#include <QTimer>

#include <cmath>

#include <functional>
#include <tuple>

// What only the window does: report every leave of a field once, show pictures when their page
// first shows, lay out the grid's widgets, open the help page, and run Save and Load from the
// menu with their message boxes, and hand every widget's use to the model and show what it
// changed. What the tabs compute is the model's, tested on the model.
namespace {

// A widget drawn as a repaint draws it, onto a background that is not its own, as the window's
// is not; the whole widget where repainted is empty.
QImage rendered(QWidget *w, double scale, const QRect &repainted)
{
    QImage image((QSizeF(w->size()) * scale).toSize(), QImage::Format_ARGB32_Premultiplied);
    image.fill(QColor(200, 40, 40, 128));
    QPainter painter(&image);
    painter.scale(scale, scale);
    w->render(&painter, QPoint(), repainted.isEmpty() ? QRegion() : QRegion(repainted),
              QWidget::DrawWindowBackground);
    return image;
}

} // namespace

class tst_window : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        Q_INIT_RESOURCE(pics);
        QStandardPaths::setTestModeEnabled(true);
        // Settings of this process's own: the test runs scaled alongside itself, and one
        // process clearing the settings file under the other lost what that one had chosen.
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_dir.filePath("settings"));
    }
    void init();
    void cleanup() { delete m_window; }

    // First: a test before it that reads a picture by its content loads the image plugins.
    void pictures_need_no_image_plugin();
    void every_widget_reaches_the_model();
    void standard_values();
    void every_leave_reports_once_data();
    void every_leave_reports_once();
    void pictures_data();
    void pictures();
    void grid_layout_data();
    void grid_layout();
    void grid_screen_shows_its_cells_data();
    void grid_screen_shows_its_cells();
    void grid_cells_draw_as_line_edits_data();
    void grid_cells_draw_as_line_edits();
    void long_parts_draw_as_fusion_data();
    void long_parts_draw_as_fusion();
    void kept_bars_follow_the_bar_data();
    void kept_bars_follow_the_bar();
    void returning_cells_are_new_data();
    void returning_cells_are_new();
    void focus_leaves_cells_that_go();
    void help_page();
    void typing_is_limited_data();
    void typing_is_limited();
    void save_refuses_what_the_file_cannot_hold_data();
    void save_refuses_what_the_file_cannot_hold();
    void netlist_data();
    void netlist();
    void keys_data();
    void keys();
    void save_adds_the_extension_and_remembers_the_folder();
    void legible_in_a_dark_palette();
    void plot_follows_the_tab_data();
    void plot_follows_the_tab();
    void plot_exports();
    void netlist_plot();
    void icon_after_first_paint();
    void png_pictures_data();
    void png_pictures();
    void nothing_clips_data();
    void nothing_clips();
    void file_failures_data();
    void file_failures();
    void exit_closes();
    void pages_wait_for_the_first_paint_data();
    void pages_wait_for_the_first_paint();
    void plot_buttons_pass_tab_on_data();
    void plot_buttons_pass_tab_on();
    void fingers_pan_the_grid();

private:
    QLineEdit *field(const QString &name) { return m_window->findChild<QLineEdit *>(name); }
    QLineEdit *field_at(int t, int i) { return field(QString("Value%1%2").arg(t).arg(i)); }
    void snapshot(const CalculatorModel &model, QStringList &window, QStringList &held);
    QWidget *grid_at(int row, int column);
    // Opens File > Netlist… and acts in the editor while it is open; false when none opened.
    bool in_netlist_editor(const std::function<void(QDialog *)> &act)
    {
        bool seen = false;
        QTimer::singleShot(0, this, [&] {
            if (auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget())) {
                seen = true;
                act(dialog);
            }
        });
        m_window->findChild<QAction *>("actionNetlist")->trigger();
        return seen;
    }
    QByteArray bytes_of(const QString &path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    // Types text over what e holds, as a user does, and leaves it with Tab.
    void type_into(QLineEdit *e, const QString &text)
    {
        e->setFocus();
        e->selectAll();
        // Letters beyond ASCII come as a keyboard layout sends them: a key with its text.
        for (const QChar c : text) {
            if (c.unicode() < 0x80)
                QTest::keyClick(e, c.toLatin1());
            else
                QTest::sendKeyEvent(QTest::Click, e, Qt::Key_unknown, QString(c), Qt::NoModifier);
        }
        QTest::keyClick(e, Qt::Key_Tab);
    }
    void resize_grid(int n) { m_window->findChild<QSpinBox *>("sb_network")->setValue(n); }
    // Matrix row r sits below the header rows placed before rows 0, 7 and 14.
    QLineEdit *cell(int r, int c) { return qobject_cast<QLineEdit *>(grid_at(r + r / 7 + 1, c + 1)); }
    // Runs a File menu entry on a file name; a message box it opens is read into m_message.
    void trigger(const char *action, const QString &name);
    // Clicks "Help!" and runs look on the open dialog; a dialog that never opens fails.
    void with_help(const std::function<void(QDialog *)> &look);

    ohmara *m_window = nullptr;
    QTemporaryDir m_dir;
    QString m_message;
};

void tst_window::init()
{
    QSettings().clear();
    m_window = new ohmara;
    m_window->show();
    QVERIFY(QTest::qWaitForWindowActive(m_window));
    // The pages out of sight follow the first paint.
    QTRY_VERIFY(m_window->findChild<QLineEdit *>("Value64"));
    m_message.clear();
}

QWidget *tst_window::grid_at(int row, int column)
{
    QLayoutItem *item = m_window->findChild<QGridLayout *>("gridLayout")->itemAtPosition(row, column);
    return item ? item->widget() : nullptr;
}

void tst_window::trigger(const char *action, const QString &name)
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

void tst_window::with_help(const std::function<void(QDialog *)> &look)
{
    bool seen = false;
    QTimer::singleShot(0, this, [&] {
        if (auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget())) {
            seen = true;
            look(dialog);
            dialog->close();
        }
    });
    QTest::mouseClick(m_window->findChild<QPushButton *>("pb_help"), Qt::LeftButton);
    QVERIFY2(seen, "no help dialog opened");
}

// Everything the window shows, one line an item: as the window shows it, and as the model
// holds it.
void tst_window::snapshot(const CalculatorModel &model, QStringList &window, QStringList &held)
{
    // A look by the background its style sheet paints; none before any painting.
    static const QStringList looks = {"", "#FFF", "#FF8", "#F88", "#CCC"};
    const auto background = [](const QLineEdit *e) {
        return e->styleSheet().section("background-color: ", 1).section(';', 0, 0);
    };
    auto field = [&](const QString &name, const QLineEdit *e, const FieldState &f) {
        const QString line = "%1 '%2' look %3 read-only %4 enabled %5";
        window << line.arg(name, e->text()).arg(looks.indexOf(background(e))).arg(e->isReadOnly()).arg(e->isEnabled());
        held << line.arg(name, f.text).arg(int(f.look)).arg(f.read_only).arg(f.enabled);
    };
    for (int t = 0; t < TAB_COUNT; ++t) {
        const TabState &tab = model.tab(t);
        for (int i = 0; i < tab.field_count(); ++i)
            field(QString("Value%1%2").arg(t).arg(i), field_at(t, i), tab.field(i));
        window << m_window->findChild<QLabel *>(QString("Error%1").arg(t))->text();
        held << tab.error();
        for (int m = 0; m < tab.definition().choices; ++m) {
            if (m_window->findChild<QRadioButton *>(QString("Radio%1%2").arg(t).arg(m))->isChecked())
                window << QString("tab %1 selects %2").arg(t).arg(m);
        }
        held << QString("tab %1 selects %2").arg(t).arg(tab.unknown());
    }
    window << m_window->findChild<QPlainTextEdit *>("calc6_text")->toPlainText()
           << QString::number(m_window->findChild<QComboBox *>("pd_series6")->currentIndex())
           << m_window->findChild<QLabel *>("network_status")->text()
           << QString::number(m_window->findChild<QSpinBox *>("sb_network")->value());
    held << model.tab(TAB_RLC).panel().join('\n') << QString::number(model.tab(TAB_RLC).circuit())
         << model.network.status() << QString::number(model.network.size());
    const int n = model.network.size();
    for (int r = 0; r < n; ++r) {
        for (int c = 0; c < n + 2; ++c) {
            const CellId id = c < n ? CellId{CellId::Column::Matrix, r, c}
                                    : CellId{c == n ? CellId::Column::Vector : CellId::Column::Result, r};
            field(QString("cell %1,%2").arg(r).arg(c), qobject_cast<QLineEdit *>(grid_at(r + r / 7 + 1, c < n ? c + 1 : c + 3)), model.network.cell(id));
        }
    }
}

// Every radio, field, circuit, spin box, grid button and File entry used once, in the window
// and on a bare model alike: the window shows exactly what the model holds after each step.
void tst_window::every_widget_reaches_the_model()
{
    CalculatorModel model;
    QStringList window, held;
    auto same = [&](const QString &step) {
        window.clear();
        held.clear();
        snapshot(model, window, held);
        if (window != held)
            qWarning("after %s", qPrintable(step));
        QCOMPARE(window, held);
    };
    same("start");
    auto leave = [&](QLineEdit *e, const QString &text) {
        e->setText(text);
        emit e->editingFinished();
    };
    for (int t = 0; t < TAB_COUNT; ++t) {
        TabState &tab = model.tab(t);
        for (int m = tab.definition().choices - 1; m >= 0; --m) {
            m_window->findChild<QRadioButton *>(QString("Radio%1%2").arg(t).arg(m))->click();
            tab.select(m, model.digits);
            same(QString("radio %1 of tab %2").arg(m).arg(t));
            for (int i = 0; i < tab.field_count(); ++i) {
                for (const QString text : {"x+i3", "2"}) {
                    if (tab.field(i).read_only || !tab.field(i).enabled)
                        continue;
                    leave(field_at(t, i), text);
                    tab.type(i, text);
                    tab.recalculate(model.digits);
                    same(QString("field %1 of tab %2").arg(i).arg(t));
                }
            }
        }
    }
    auto *circuits = m_window->findChild<QComboBox *>("pd_series6");
    for (int c : {2, 1, 0}) {
        circuits->setCurrentIndex(c);
        emit circuits->activated(c);
        model.tab(TAB_RLC).select_circuit(c, model.digits);
        same(QString("circuit %1").arg(c));
    }
    m_window->findChild<QSpinBox *>("sb_digits")->setValue(12);
    model.digits = 12;
    leave(field_at(0, 1), "3");
    model.tab(0).type(1, "3");
    model.tab(0).recalculate(model.digits);
    resize_grid(2);
    model.network.resize(2);
    same("grid of 2");
    for (const auto &[r, c, text] : {std::tuple{0, 0, "2"}, std::tuple{1, 1, "x"}, std::tuple{0, 2, "1"}}) {
        const CellId id = c < 2 ? CellId{CellId::Column::Matrix, r, c} : CellId{CellId::Column::Vector, r};
        leave(qobject_cast<QLineEdit *>(grid_at(r + 1, c < 2 ? c + 1 : c + 3)), text);
        model.network.type(id, text);
        model.network.check(id);
        same(QString("cell %1,%2").arg(r).arg(c));
    }
    QTest::mouseClick(m_window->findChild<QPushButton *>("network_zero"), Qt::LeftButton);
    model.network.fill_empty_with_zero();
    QTest::mouseClick(m_window->findChild<QPushButton *>("network_solve"), Qt::LeftButton);
    model.network.solve();
    same("zero fill, solve");
    // Cells that leave the grid are gone; those that stay keep their texts.
    for (int n : {1, 2}) {
        resize_grid(n);
        model.network.resize(n);
    }
    same("shrunk and grown");
    // Save from both; then load a cut copy into both.
    const QString saved = m_dir.filePath("both.oma"), mine = m_dir.filePath("model.oma");
    trigger("actionSave", saved);
    QVERIFY(save_calculation(model, QFile::encodeName(mine).constData()).saved());
    QFile a(saved), b(mine);
    QVERIFY(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
    const QByteArray bytes = a.readAll();
    QCOMPARE(bytes, b.readAll());
    QFile cut(m_dir.filePath("cut.oma"));
    QVERIFY(cut.open(QIODevice::WriteOnly) && cut.write(bytes.left(bytes.indexOf("0 3\n"))));
    cut.close();
    m_window->findChild<QRadioButton *>("Radio01")->click();
    model.tab(0).select(1, model.digits);
    leave(field_at(1, 2), "7");
    model.tab(1).type(2, "7");
    model.tab(1).recalculate(model.digits);
    trigger("actionLoad", cut.fileName());
    load_calculation(model, QFile::encodeName(cut.fileName()).constData());
    same("load");
}

// A component answer shows its standard values in the status bar, its tool tip and its menu;
// a voltage shows none, and the field's own tool tip comes back. The series is remembered.
void tst_window::standard_values()
{
    auto *series = m_window->findChild<QComboBox *>("cb_series");
    QCOMPARE(series->currentText(), QString("none"));
    series->setCurrentText("E24");
    m_window->findChild<QRadioButton *>("Radio13")->click();
    for (const auto &[i, text] : {std::pair{0, "2.5"}, std::pair{1, "3.3"}, std::pair{2, "1m"}, std::pair{4, "100n"}}) {
        field_at(1, i)->setText(text);
        emit field_at(1, i)->editingFinished();
    }
    QCOMPARE(field_at(1, 3)->text(), QString("7.05683e3"));
    QCOMPARE(m_window->statusBar()->currentMessage(), QString("R: E24 6.8k (-3.64 %) \u00b7 7.5k (+6.28 %)"));
    QCOMPARE(field_at(1, 3)->toolTip(), QString("R: E24 6.8k (-3.64 %) \u00b7 7.5k (+6.28 %); 7.5k parallel 120k = 7.06k (+0.03 %)"));
    emit field_at(1, 3)->customContextMenuRequested(QPoint(2, 2));
    auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
    QVERIFY(menu);
    const QList<QAction *> actions = menu->actions();
    QCOMPARE(QStringList({actions[actions.size() - 2]->text(), actions.last()->text()}), QStringList({"Copy 6.8k", "Copy 7.5k"}));
    menu->close();
    m_window->findChild<QRadioButton *>("Radio10")->click();
    QCOMPARE(m_window->statusBar()->currentMessage(), QString());
    QCOMPARE(field_at(1, 3)->toolTip(), QString("Enter or retrieve value of R"));
    delete m_window;
    m_window = new ohmara;
    QCOMPARE(m_window->findChild<QComboBox *>("cb_series")->currentText(), QString("E24"));
}

void tst_window::every_leave_reports_once_data()
{
    QTest::addColumn<QString>("visit");
    QTest::addColumn<int>("reports");
    QTest::newRow("typed then Tab") << "type" << 1;
    QTest::newRow("passed through") << "pass" << 1;
    QTest::newRow("set by program, passed through") << "set" << 1;
    QTest::newRow("Return, then Tab") << "return" << 2;
    QTest::newRow("left by a click elsewhere") << "click" << 1;
}

void tst_window::every_leave_reports_once()
{
    QFETCH(QString, visit);
    QFETCH(int, reports);
    QLineEdit *f = field("Value11");
    // A first visit spends the edit mark that the form's own start text left behind.
    f->setFocus();
    QTRY_VERIFY(f->hasFocus());
    QTest::keyClick(f, Qt::Key_Tab);
    QTRY_VERIFY(!f->hasFocus());
    if (visit == "set")
        f->setText("7");
    QSignalSpy spy(f, &QLineEdit::editingFinished);
    f->setFocus();
    QTRY_VERIFY(f->hasFocus());
    if (visit == "type")
        QTest::keyClicks(f, "5");
    if (visit == "return")
        QTest::keyClick(f, Qt::Key_Return);
    if (visit == "click")
        field("Value12")->setFocus(Qt::MouseFocusReason);
    else
        QTest::keyClick(f, Qt::Key_Tab);
    QTRY_VERIFY(!f->hasFocus());
    QCOMPARE(spy.count(), reports);
}

void tst_window::pictures_data()
{
    QTest::addColumn<QString>("path");
    QTest::newRow("Formula0") << ":/pics/UOhmplus.png";
    QTest::newRow("Formula5") << ":/pics/DY.png";
    QTest::newRow("lbl_rlc3_2") << ":/pics/LRSC.png";
}

// Pictures arrive when their page first shows: bring the label's page forward in every stack
// above it, as choosing its tab and circuit does.
void tst_window::pictures()
{
    QFETCH(QString, path);
    auto *label = m_window->findChild<QLabel *>(QTest::currentDataTag());
    for (QWidget *w = label; w->parentWidget(); w = w->parentWidget()) {
        if (auto *stack = qobject_cast<QStackedWidget *>(w->parentWidget()))
            stack->setCurrentWidget(w);
    }
    QVERIFY(label->isVisible());
    const QImage image(path);
    QCOMPARE(label->pixmap().toImage().convertToFormat(image.format()), image);
}

void tst_window::grid_layout_data()
{
    QTest::addColumn<int>("n");
    QTest::newRow("1") << 1;
    QTest::newRow("8") << 8;
    QTest::newRow("20") << 20;
}

void tst_window::grid_layout()
{
    QFETCH(int, n);
    resize_grid(n);
    for (int r = 0; r < n; ++r) {
        const int g = r + r / 7 + 1;
        if (r % 7 == 0) {
            for (int c = 0; c < n; ++c)
                QCOMPARE(qobject_cast<QLabel *>(grid_at(g - 1, c + 1))->text(), QString::number(c));
        }
        QCOMPARE(qobject_cast<QLabel *>(grid_at(g, 0))->text(), QString::number(r));
        QCOMPARE(cell(r, n - 1)->size(), QSize(80, 20));
        QVERIFY(!grid_at(g, n + 1));
        QCOMPARE(qobject_cast<QLabel *>(grid_at(g, n + 2))->text(), QString("Vec:%1").arg(r));
        QCOMPARE(grid_at(g, n + 3)->size(), QSize(80, 20));
        auto *result = qobject_cast<QLineEdit *>(grid_at(g, n + 4));
        QCOMPARE(result->size(), QSize(160, 20));
        QVERIFY(result->isReadOnly());
        QCOMPARE(result->styleSheet(), QString("QLineEdit { background-color: #FF8; color: #000 }"));
    }
    // Nothing beyond the grid: n header labels per header row, n labels, n x n + 2n cells.
    auto *grid = m_window->findChild<QGridLayout *>("gridLayout");
    QCOMPARE(grid->count(), (n + 6) / 7 * n + 2 * n + n * n + 2 * n);
    resize_grid(0);
    QCOMPARE(grid->count(), 0);
}

// After every step of the size box the screen shows what the grid's widgets draw: no row, header
// or cell of an earlier size left behind where the grid shrank, none missing where it grew.
void tst_window::grid_screen_shows_its_cells_data()
{
    QTest::addColumn<QList<int>>("sizes");
    // Scrolled to the grid's far corner before every size after the first.
    QTest::addColumn<bool>("scrolled");
    QTest::newRow("shrink by one") << QList<int>{5, 4} << false;
    QTest::newRow("to nothing") << QList<int>{1, 0} << false;
    QTest::newRow("grow by one") << QList<int>{4, 5} << false;
    QTest::newRow("below a header row") << QList<int>{8, 7, 6} << false;
    QTest::newRow("jumps") << QList<int>{17, 3, 12, 0, 20} << false;
    QTest::newRow("up and down") << QList<int>{2, 3, 2, 3, 1} << false;
    QTest::newRow("scrolled, grow by one") << QList<int>{19, 20} << true;
    QTest::newRow("scrolled, shrink and grow") << QList<int>{20, 14, 18, 11} << true;
}

void tst_window::grid_screen_shows_its_cells()
{
    QFETCH(QList<int>, sizes);
    QFETCH(bool, scrolled);
    m_window->resize(760, 740); // within the test screen, so all of it can be read back
    // A blinking cursor would make the two looks differ; the later tests get theirs back.
    const int flash = QApplication::cursorFlashTime();
    QApplication::setCursorFlashTime(0);
    const auto restore = qScopeGuard([flash] { QApplication::setCursorFlashTime(flash); });
    auto *area = m_window->findChild<QScrollArea *>("network_area");
    for (int n : sizes) {
        if (scrolled && n != sizes.first()) {
            area->horizontalScrollBar()->setValue(area->horizontalScrollBar()->maximum());
            area->verticalScrollBar()->setValue(area->verticalScrollBar()->maximum());
            QApplication::processEvents();
        }
        resize_grid(n);
        for (int k = 0; k < 3; ++k)
            QApplication::processEvents();
        const QImage shown = m_window->screen()->grabWindow(0).toImage().copy(m_window->geometry());
        const QImage drawn = m_window->grab().toImage().convertToFormat(shown.format());
        QVERIFY2(shown == drawn, qPrintable(QString("after size %1").arg(n)));
    }
}

// A grid cell draws what a line edit of the application's style draws, with the same size,
// look, flags and text: also the second of two cells drawn one after the other, which differ
// in no more than one of them.
void tst_window::grid_cells_draw_as_line_edits_data()
{
    // Each step: the cell (m a coefficient, r a result), its look, then read-only or disabled.
    QTest::addColumn<QStringList>("steps");
    QTest::newRow("plain, then input") << QStringList{"m Default", "m Input"};
    QTest::newRow("input, then bad") << QStringList{"m Input", "m Bad"};
    QTest::newRow("read-only, then not") << QStringList{"m Result read-only", "m Result"};
    QTest::newRow("enabled, then disabled") << QStringList{"m Excluded", "m Excluded disabled"};
    QTest::newRow("wide, then narrow") << QStringList{"r Result read-only", "m Result read-only"};
    QTest::newRow("back to plain") << QStringList{"m Bad", "m Default", "r Default"};
}

void tst_window::grid_cells_draw_as_line_edits()
{
    QFETCH(QStringList, steps);
    const QMap<QString, Look> looks{{"Default", Look::Default}, {"Input", Look::Input},
                                    {"Result", Look::Result}, {"Bad", Look::Bad},
                                    {"Excluded", Look::Excluded}};
    resize_grid(2);
    QApplication::processEvents();
    for (const QString &step : steps) {
        const QStringList words = step.split(' ');
        // The result column follows the coefficients, the row label and the right side.
        QLineEdit *e = words[0] == "m" ? cell(0, 0) : qobject_cast<QLineEdit *>(grid_at(1, 2 + 4));
        QLineEdit twin(m_window);
        twin.setFixedSize(e->size());
        for (QLineEdit *l : {e, &twin}) {
            show_sheet(l, looks.value(words[1]));
            l->setReadOnly(words.contains("read-only"));
            l->setEnabled(!words.contains("disabled"));
            l->setText("4.7k");
        }
        QCOMPARE(e->grab().toImage(), twin.grab().toImage());
    }
}

// The tab widget's pane, the group box and the grid's vertical scroll bar, drawn by the
// window's own style, are the pixels the application's style draws for them: in either palette,
// at two lengths of the bar's handle, and drawn scaled.
void tst_window::long_parts_draw_as_fusion_data()
{
    QTest::addColumn<QString>("part");
    QTest::addColumn<int>("grid");
    QTest::addColumn<bool>("dark");
    QTest::addColumn<double>("scale");
    QTest::addColumn<QRect>("repainted"); // the whole part where empty
    QTest::newRow("tab pane") << "tabWidget" << 0 << false << 1.0 << QRect();
    QTest::newRow("tab pane, dark") << "tabWidget" << 0 << true << 1.0 << QRect();
    QTest::newRow("tab pane, scaled") << "tabWidget" << 0 << false << 1.5 << QRect();
    QTest::newRow("tab pane, a strip repainted") << "tabWidget" << 0 << false << 1.0 << QRect(0, 150, 700, 20);
    QTest::newRow("group box") << "groupBox" << 0 << false << 1.0 << QRect();
    QTest::newRow("group box, dark") << "groupBox" << 0 << true << 1.0 << QRect();
    QTest::newRow("group box, scaled") << "groupBox" << 0 << false << 1.25 << QRect();
    QTest::newRow("vertical scroll bar") << "vertical" << 20 << false << 1.0 << QRect();
    QTest::newRow("vertical scroll bar, dark") << "vertical" << 20 << true << 1.0 << QRect();
    QTest::newRow("vertical scroll bar, 10 rows") << "vertical" << 10 << false << 1.0 << QRect();
    QTest::newRow("vertical scroll bar, scaled") << "vertical" << 20 << false << 1.5 << QRect();
    QTest::newRow("vertical scroll bar, a strip repainted") << "vertical" << 20 << false << 1.0 << QRect(0, 100, 20, 20);
    QTest::newRow("horizontal scroll bar") << "horizontal" << 20 << false << 1.0 << QRect();
    QTest::newRow("horizontal scroll bar, dark") << "horizontal" << 20 << true << 1.0 << QRect();
    QTest::newRow("horizontal scroll bar, 8 columns") << "horizontal" << 8 << false << 1.0 << QRect();
    QTest::newRow("horizontal scroll bar, scaled") << "horizontal" << 20 << false << 1.5 << QRect();
    QTest::newRow("horizontal scroll bar, a strip repainted") << "horizontal" << 20 << false << 1.0 << QRect(150, 0, 100, 10);
}

void tst_window::long_parts_draw_as_fusion()
{
    QFETCH(QString, part);
    QFETCH(int, grid);
    QFETCH(bool, dark);
    QFETCH(double, scale);
    QFETCH(QRect, repainted);
    const QPalette light = QApplication::palette();
    const auto restore = qScopeGuard([&light] { QApplication::setPalette(light); });
    if (dark) {
        QPalette palette(QColor(0x35, 0x35, 0x35));
        palette.setColor(QPalette::Base, QColor(0x24, 0x24, 0x24));
        QApplication::setPalette(palette);
    }
    // The grid's size gives the scroll bar its handle.
    resize_grid(grid);
    auto *area = m_window->findChild<QScrollArea *>("network_area");
    QWidget *w = part == "vertical"     ? area->verticalScrollBar()
                 : part == "horizontal" ? area->horizontalScrollBar()
                                        : m_window->findChild<QWidget *>(part);
    QTRY_VERIFY(w->isVisible());
    QStyle *own = w->style();
    QVERIFY(own != QApplication::style());
    const QImage by_own = rendered(w, scale, repainted);
    w->setStyle(QApplication::style());
    const QImage by_application = rendered(w, scale, repainted);
    w->setStyle(own);
    QCOMPARE(by_own, by_application);
}

// A bar drawn again after it changed shows how it is now, not the picture kept of how it was.
void tst_window::kept_bars_follow_the_bar_data()
{
    QTest::addColumn<Qt::Orientation>("orientation");
    QTest::addColumn<QString>("change");
    QTest::newRow("horizontal, scrolled to the end") << Qt::Horizontal << "end";
    QTest::newRow("horizontal, scrolled half way") << Qt::Horizontal << "half";
    QTest::newRow("horizontal, dark palette") << Qt::Horizontal << "dark";
    QTest::newRow("horizontal, smaller grid") << Qt::Horizontal << "smaller";
    QTest::newRow("horizontal, disabled") << Qt::Horizontal << "disabled";
    QTest::newRow("vertical, scrolled half way") << Qt::Vertical << "half";
    QTest::newRow("vertical, dark palette") << Qt::Vertical << "dark";
}

void tst_window::kept_bars_follow_the_bar()
{
    QFETCH(Qt::Orientation, orientation);
    QFETCH(QString, change);
    resize_grid(20);
    auto *area = m_window->findChild<QScrollArea *>("network_area");
    QScrollBar *bar = orientation == Qt::Horizontal ? area->horizontalScrollBar() : area->verticalScrollBar();
    QTRY_VERIFY(bar->isVisible() && bar->maximum() > 0);
    QStyle *own = bar->style();
    const QImage before = rendered(bar, 1.0, QRect());
    if (change == "end" || change == "half") {
        bar->setValue(change == "end" ? bar->maximum() : bar->maximum() / 2);
    } else if (change == "dark") {
        QPalette palette(QColor(0x35, 0x35, 0x35));
        palette.setColor(QPalette::Base, QColor(0x24, 0x24, 0x24));
        bar->setPalette(palette);
    } else if (change == "smaller") {
        resize_grid(13);
        QTRY_VERIFY(bar->maximum() < 20 * 80);
    } else {
        bar->setEnabled(false);
    }
    const QImage by_own = rendered(bar, 1.0, QRect());
    QVERIFY(by_own != before);
    bar->setStyle(QApplication::style());
    const QImage by_application = rendered(bar, 1.0, QRect());
    bar->setStyle(own);
    QCOMPARE(by_own, by_application);
}

// A cell that goes with a smaller size and comes back with a larger one is as a new one: empty,
// with nothing to undo, the plain look, and nothing to report when it is left untouched.
void tst_window::returning_cells_are_new_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("column");
    QTest::newRow("a number") << "4.7k" << 2 << 2;
    QTest::newRow("no number") << "x" << 2 << 0;
    QTest::newRow("complex") << "2+i3" << 0 << 2;
}

void tst_window::returning_cells_are_new()
{
    QFETCH(QString, typed);
    QFETCH(int, row);
    QFETCH(int, column);
    auto *spin = m_window->findChild<QSpinBox *>("sb_network");
    resize_grid(3);
    QLineEdit *typed_into = cell(row, column);
    typed_into->setFocus();
    QTest::keyClicks(typed_into, typed);
    spin->setFocus();
    resize_grid(2);
    resize_grid(3);
    QLineEdit *back = cell(row, column);
    QCOMPARE(back->text(), QString());
    QCOMPARE(back->styleSheet(), QString());
    QVERIFY(!back->isModified());
    QVERIFY(!back->isUndoAvailable());
    QVERIFY(back->isEnabled() && !back->isReadOnly());
    QSignalSpy left(back, &QLineEdit::editingFinished);
    back->setFocus();
    spin->setFocus();
    QCOMPARE(left.count(), 0);
    QCOMPARE(back->styleSheet(), QString());
}

// The focus that was in a cell which went while its tab was hidden does not come back to it.
void tst_window::focus_leaves_cells_that_go()
{
    auto *tabs = m_window->findChild<QTabWidget *>("tabWidget");
    resize_grid(3);
    cell(2, 2)->setFocus();
    tabs->setCurrentIndex(1);
    resize_grid(2);
    tabs->setCurrentIndex(0);
    QWidget *focus = QApplication::focusWidget();
    QVERIFY(focus && focus->isVisible());
}

// The page in its order, quoting what the Charge tab computes for its example (positions Vt,
// Vo, t, R, C); a fresh page each time, so what the user typed into it is gone.
void tst_window::help_page()
{
    QString text;
    with_help([&](QDialog *d) {
        text = "\n" + d->findChild<QTextEdit *>("help_window")->toPlainText();
        d->findChild<QTextEdit *>("help_window")->setPlainText("scribbled");
    });
    qsizetype at = -1;
    for (const char *heading : {"The Problem.", "The Solution.", "Example.", "Numbers.", "Beware",
                                "Contents", "Ohms law.", "Charge.", "Discharge.", "CC Cap.",
                                "RC filt.", "D<->Y.", "RLC", "Netlists.", "Finally"}) {
        const qsizetype next = text.indexOf(QString("\n%1\n").arg(heading), at + 1);
        QVERIFY2(next > at, heading);
        at = next;
    }
    const auto charge = [](int unknown, double r) {
        const double values[] = {2.5, 3.3, 1e-3, r, 100e-9};
        return capacitor_charge(unknown, values).value;
    };
    for (const QString &quoted : {QString("R = %1 Ohms").arg(charge(3, 0), 0, 'f', 2),
                                  QString("%1 milli seconds").arg(charge(2, 8200) * 1e3, 0, 'f', 2),
                                  QString("%1 milli seconds").arg(charge(2, 10e3) * 1e3, 0, 'f', 1)})
        QVERIFY2(text.simplified().contains(quoted), qPrintable(quoted));
    QVERIFY(text.simplified().contains("m is milli and meg is mega, so 1M is 1 milli"));
    QString again;
    with_help([&](QDialog *d) { again = "\n" + d->findChild<QTextEdit *>("help_window")->toPlainText(); });
    QCOMPARE(again, text);
}

// Typed or pasted, a field or grid cell keeps at most 120 characters and no line break.
void tst_window::typing_is_limited_data()
{
    QTest::addColumn<bool>("in_grid");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("pasted");
    QTest::addColumn<QString>("shown");
    const QString none;
    QTest::newRow("130 characters typed") << false << QString(130, 'a') << none << QString(120, 'a');
    QTest::newRow("120 characters typed") << false << QString(120, '7') << none << QString(120, '7');
    QTest::newRow("a line break pasted") << false << none << "1\n2" << "12";
    QTest::newRow("CRLF pasted after typing") << false << "4." << "7\r\nk" << "4.7k";
    QTest::newRow("a long paste") << false << none << QString(200, 'b') << QString(120, 'b');
    QTest::newRow("grid: typed") << true << QString(125, '1') << none << QString(120, '1');
    QTest::newRow("grid: a line break pasted") << true << none << "2\n+i3\n" << "2+i3";
}

void tst_window::typing_is_limited()
{
    QFETCH(bool, in_grid);
    QFETCH(QString, typed);
    QFETCH(QString, pasted);
    QFETCH(QString, shown);
    resize_grid(1);
    QLineEdit *edit = in_grid ? cell(0, 0) : field_at(0, 1);
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, typed);
    if (!pasted.isEmpty()) {
        QGuiApplication::clipboard()->setText(pasted);
        QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
    }
    QCOMPARE(edit->text(), shown);
}

// What a save cannot write so that it reads back is refused with the place named, and the
// file that was there stays; the Unicode minus is written as "-".
void tst_window::save_refuses_what_the_file_cannot_hold_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("line");
    QTest::newRow("Unicode minus") << QString::fromUtf8("\u22121") << "" << "-1";
    QTest::newRow("Latin-1 letters") << QString::fromUtf8("2\u00b5") << "" << QString::fromUtf8("2\u00b5");
    QTest::newRow("outside Latin-1") << QString::fromUtf8("5\u03a9") << "'%1' was not saved: the text of I on the Ohms law tab holds a character a calculation file cannot hold" << "";
    QTest::newRow("a huge grid result") << "grid" << "'%1' was not saved: the text of the result of row 1 of the equation grid is longer than 126 characters" << "";
}

void tst_window::save_refuses_what_the_file_cannot_hold()
{
    QFETCH(QString, typed);
    QFETCH(QString, message);
    QFETCH(QString, line);
    const QString path = m_dir.filePath("texts.oma");
    QFile before(path);
    QVERIFY(before.open(QIODevice::WriteOnly) && before.write("mine\n") == 5);
    before.close();
    if (typed == "grid") {
        resize_grid(1);
        type_into(cell(0, 0), "1");
        type_into(qobject_cast<QLineEdit *>(grid_at(1, 4)), "1e200");
        QTest::mouseClick(m_window->findChild<QPushButton *>("network_solve"), Qt::LeftButton);
    } else {
        type_into(field_at(0, 1), typed);
    }
    trigger("actionSave", path);
    QCOMPARE(m_message, message.isEmpty() ? QString() : message.arg(path));
    QFile after(path);
    QVERIFY(after.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = after.readAll().split('\n');
    QCOMPARE(lines.value(0), line.isEmpty() ? QByteArray("mine") : QByteArray("270116"));
    if (!line.isEmpty())
        QCOMPARE(lines.value(3), line.toLatin1());
    QCOMPARE(QDir(m_dir.path()).entryList({"texts.oma*", ".ohmara*"}, QDir::Files | QDir::Hidden), QStringList{"texts.oma"});
}

// File > Netlist…: a pasted netlist fills the grid with its equations, solves them and names
// each unknown beside its answer; one that is wrong keeps the editor open with the reason.
void tst_window::netlist_data()
{
    QTest::addColumn<QString>("netlist");
    QTest::addColumn<QString>("error");
    QTest::addColumn<QStringList>("answers"); // "name result" per row
    QTest::newRow("divider") << "divider\nV1 in 0 10\nR1 in out 1k\nR2 out 0 3k\n" << ""
                             << QStringList{"V(in) 10.000000+i 0.000000", "V(out)  7.500000+i 0.000000", "I(V1) -0.002500+i 0.000000"};
    QTest::newRow("AC") << "rc\nV1 in 0 AC 1\nR1 in out 1k\nC1 out 0 159.15494309189535n\n.ac lin 1 1k 1k\n" << ""
                        << QStringList{"V(in)  1.000000+i 0.000000", "V(out)  0.500000+i-0.500000", "I(V1) -0.000500+i-0.000500"};
    QTest::newRow("an error") << "t\nV1 a 0 1\nR1 a b 1k\n" << "line 3: node 'b' of R1 is connected to nothing else" << QStringList();
    QString ladder = "ladder\nV1 n0 0 30\n";
    for (int k = 0; k < 30; ++k)
        ladder += QString("R%1 n%1 %2 1\n").arg(k).arg(k == 29 ? QString("0") : QString("n%1").arg(k + 1));
    QTest::newRow("too large for the grid") << ladder << "The netlist has 31 unknowns; the grid holds 20. ohmara-cli netlist solves any size." << QStringList();
}

void tst_window::netlist()
{
    QFETCH(QString, netlist);
    QFETCH(QString, error);
    QFETCH(QStringList, answers);
    resize_grid(2);
    QString shown_error;
    const bool seen = in_netlist_editor([&](QDialog *dialog) {
        auto *text = dialog->findChild<QPlainTextEdit *>("netlist_text");
        text->setFocus();
        QGuiApplication::clipboard()->setText(netlist);
        QTest::keyClick(text, Qt::Key_V, Qt::ControlModifier);
        QTest::mouseClick(dialog->findChild<QPushButton *>("netlist_solve"), Qt::LeftButton);
        if (dialog->isVisible()) {
            auto *label = dialog->findChild<QLabel *>("netlist_error");
            shown_error = label->isVisible() ? label->text() : QString();
            dialog->reject();
        }
    });
    QVERIFY2(seen, "no netlist editor opened");
    QCOMPARE(shown_error, error);
    if (!error.isEmpty()) {
        QCOMPARE(m_window->findChild<QSpinBox *>("sb_network")->value(), 2);
        return;
    }
    const int n = int(answers.size());
    QCOMPARE(m_window->findChild<QSpinBox *>("sb_network")->value(), n);
    QStringList shown;
    for (int r = 0; r < n; ++r)
        shown << qobject_cast<QLabel *>(grid_at(r + 1, n + 5))->text() + " " + qobject_cast<QLineEdit *>(grid_at(r + 1, n + 4))->text();
    QCOMPARE(shown, answers);
    // The grid works as before: a changed cell solves again, and another size drops the names.
    QLineEdit *last = qobject_cast<QLineEdit *>(grid_at(n, n + 3));
    type_into(last, "0");
    QTest::mouseClick(m_window->findChild<QPushButton *>("network_solve"), Qt::LeftButton);
    QVERIFY(qobject_cast<QLineEdit *>(grid_at(n, n + 4))->text() != answers.last().section(' ', 1));
    resize_grid(n + 1);
    QVERIFY(!grid_at(1, n + 1 + 5));
}

// The desktop's shortcuts, a File menu mnemonic that takes no letter from a field, and Tab
// through every control of the tab shown.
void tst_window::keys_data()
{
    QTest::addColumn<QKeySequence>("keys");
    QTest::addColumn<QString>("effect");
    QTest::newRow("Ctrl+S saves") << QKeySequence(QKeySequence::Save) << "save";
    QTest::newRow("Ctrl+O loads") << QKeySequence(QKeySequence::Open) << "load";
    QTest::newRow("F1 is Help!") << QKeySequence(Qt::Key_F1) << "help";
    QTest::newRow("Alt+F opens the menu") << QKeySequence(Qt::ALT | Qt::Key_F) << "menu";
    QTest::newRow("Tab reaches every control") << QKeySequence(Qt::Key_Tab) << "tab";
    QTest::newRow("Ctrl+Q quits") << QKeySequence(Qt::CTRL | Qt::Key_Q) << "quit";
}

void tst_window::keys()
{
    QFETCH(QKeySequence, keys);
    QFETCH(QString, effect);
    resize_grid(1);
    QApplication::processEvents(); // new cells show once the event loop runs
    QLineEdit *start = field_at(0, 1);
    start->setFocus();
    QString asked;
    m_window->set_file_name_source([&asked](bool saving) { asked = saving ? "save" : "load"; return QString(); });
    if (effect == "help") {
        // A button's shortcut clicks it a moment later, as a click that can be seen.
        bool seen = false;
        QTimer watchdog;
        connect(&watchdog, &QTimer::timeout, this, [&] {
            if (auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget()))
                seen = true, dialog->close();
        });
        watchdog.start(10);
        QTest::keySequence(start, keys);
        QTRY_VERIFY(seen);
    } else if (effect == "menu") {
        QTest::keySequence(start, keys);
        QVERIFY(qobject_cast<QMenu *>(QApplication::activePopupWidget()));
        QApplication::activePopupWidget()->close();
        QCOMPARE(start->text(), QString("1"));
    } else if (effect == "tab") {
        QStringList reached;
        for (int i = 0; i < 14; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            reached << QApplication::focusWidget()->objectName();
        }
        QCOMPARE(reached.join(' '), QString("Value02 network_zero network_solve sb_network   sb_digits cb_series pb_help qt_tabwidget_tabbar Radio00 Value00 Value01 Value02"));
        QCOMPARE(QApplication::focusWidget(), field_at(0, 2));
    } else if (effect == "quit") {
        QTest::keySequence(start, keys);
        QVERIFY(!m_window->isVisible());
    } else {
        QTest::keySequence(start, keys);
        QCOMPARE(asked, effect);
    }
}

// Save adds ".oma" to a name without an extension, and the dialogs open in the folder used last.
void tst_window::save_adds_the_extension_and_remembers_the_folder()
{
    const QString bare = m_dir.filePath("bare");
    trigger("actionSave", bare);
    QVERIFY(QFile::exists(bare + ".oma"));
    QVERIFY(!QFile::exists(bare));
    QCOMPARE(QSettings().value("directory").toString(), m_dir.path());
}

// In a dark palette every look of a field, a grid cell and the RLC panel keeps a contrast of
// at least 4.5:1 (WCAG AA) between its text and its background.
void tst_window::legible_in_a_dark_palette()
{
    const QPalette light = QApplication::palette();
    QPalette dark(QColor(0x35, 0x35, 0x35));
    dark.setColor(QPalette::Text, QColor(0xEE, 0xEE, 0xEE));
    dark.setColor(QPalette::Base, QColor(0x24, 0x24, 0x24));
    dark.setColor(QPalette::WindowText, QColor(0xEE, 0xEE, 0xEE));
    auto luminance = [](const QColor &c) {
        auto channel = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
        return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
    };
    auto contrast = [&](QWidget *w) {
        w->ensurePolished();
        const QPalette::ColorGroup group = w->isEnabled() ? QPalette::Active : QPalette::Disabled;
        const double a = luminance(w->palette().color(group, QPalette::Text));
        const double b = luminance(w->palette().color(group, QPalette::Base));
        return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
    };
    for (const QPalette &palette : {light, dark}) {
        QApplication::setPalette(palette);
        resize_grid(1);
        for (QWidget *w : {static_cast<QWidget *>(field_at(6, 0)), static_cast<QWidget *>(cell(0, 0)),
                           static_cast<QWidget *>(m_window->findChild<QPlainTextEdit *>("calc6_text"))}) {
            for (Look look : {Look::Input, Look::Result, Look::Bad, Look::Excluded}) {
                if (auto *e = qobject_cast<QLineEdit *>(w))
                    show_look(e, FieldState{QString(), look, look == Look::Result, look != Look::Excluded});
                QVERIFY2(contrast(w) >= 4.5, qPrintable(QString("%1 in look %2: %3:1").arg(w->objectName()).arg(int(look)).arg(contrast(w))));
            }
        }
    }
    QApplication::setPalette(light);
}

// At the desktop fonts people use, every label, radio button, field text and RLC panel line
// shows whole; at 9 points the window keeps its drawn geometry.
// Plot on the RC filt. and RLC tabs: the curve marks the frequency the tab shows, reads -3 dB
// and -45 degrees at the corner, and moves when a value changes.
void tst_window::plot_follows_the_tab_data()
{
    QTest::addColumn<int>("tab");
    QTest::addColumn<QStringList>("typed"); // field index=text, typed in turn
    QTest::addColumn<QString>("marked");    // where the marked frequency is shown
    QTest::addColumn<QString>("readout");   // at the marked frequency, or the plot's error
    QTest::newRow("RC filt.") << 4 << QStringList{"0=1k", "1=100n"} << "Value42" << "f = 1591.55 Hz   Gain = -3.0103 dB   phase = -45.00\u00b0";
    QTest::newRow("RC filt., R moves Fc") << 4 << QStringList{"0=1k", "1=100n", "0=2k"} << "Value42" << "f = 795.775 Hz   Gain = -3.0103 dB   phase = -45.00\u00b0";
    QTest::newRow("RC filt. without C") << 4 << QStringList{"1=0"} << "" << "The RC stage needs R, C and Fc above zero";
    QTest::newRow("RLC series") << 6 << QStringList{"0=10", "1=1m", "2=1u"} << "Res. freq" << "f = 5032.92 Hz   |Z| = 10 \u03a9   phase = 0.00\u00b0";
    QTest::newRow("RLC L-R parallel C") << 6 << QStringList{"circuit=2", "0=1", "1=1m", "2=1u"} << "Res. freq" << "f = 5030.4 Hz   |Z| = 1000 \u03a9   phase = 0.00\u00b0";
}

void tst_window::plot_follows_the_tab()
{
    QFETCH(int, tab);
    QFETCH(QStringList, typed);
    QFETCH(QString, marked);
    QFETCH(QString, readout);
    m_window->findChild<QTabWidget *>("tabWidget")->setCurrentIndex(tab);
    QTest::mouseClick(m_window->findChild<QPushButton *>(QString("plot%1").arg(tab)), Qt::LeftButton);
    auto *plot = m_window->findChild<PlotWindow *>();
    QVERIFY(plot && plot->isVisible());
    for (const QString &t : typed) {
        if (t.startsWith("circuit="))
        {
            auto *circuits = m_window->findChild<QComboBox *>("pd_series6");
            circuits->setCurrentIndex(t.section('=', 1).toInt());
            emit circuits->activated(circuits->currentIndex());
        }
        else
            type_into(field_at(tab, t.section('=', 0, 0).toInt()), t.section('=', 1));
    }
    auto *error = plot->findChild<QLabel *>("plot_error");
    if (marked.isEmpty()) {
        QVERIFY(error->isVisibleTo(plot));
        QCOMPARE(error->text(), readout);
        return;
    }
    QVERIFY(!error->isVisibleTo(plot));
    char shown[64];
    format_value(shown, plot->curve().marked, m_window->digits());
    const QString tab_shows = marked.startsWith("Value") ? field(marked)->text()
        : m_window->findChild<QPlainTextEdit *>("calc6_text")->toPlainText().section('\n', 4, 4);
    QCOMPARE(tab_shows, marked.startsWith("Value") ? QString(shown) : QString("Res. freq: %1 Hz").arg(shown));
    QCOMPARE(plot->readout_at(plot->curve().marked), readout);
}

// PNG, SVG and CSV, each a file of its kind, the extension added where the name has none.
void tst_window::plot_exports()
{
    m_window->findChild<QTabWidget *>("tabWidget")->setCurrentIndex(4);
    QTest::mouseClick(m_window->findChild<QPushButton *>("plot4"), Qt::LeftButton);
    auto *plot = m_window->findChild<PlotWindow *>();
    QVERIFY(plot);
    QString asked;
    plot->set_file_name_source([&](const QString &filter) { asked = filter; return m_dir.filePath("response"); });
    const std::tuple<const char *, const char *, QByteArray> kinds[] = {
        {"png", "PNG (*.png)", QByteArray("\x89PNG\r\n")},
        {"svg", "SVG (*.svg)", QByteArray("<?xml")},
        {"csv", "CSV (*.csv)", QByteArray("frequency_hz,gain_db,phase_deg\n")},
    };
    for (const auto &[kind, filter, start] : kinds) {
        QTest::mouseClick(plot->findChild<QPushButton *>(QString("plot_export_%1").arg(kind)), Qt::LeftButton);
        QCOMPARE(asked, QString(filter));
        QVERIFY2(bytes_of(m_dir.filePath(QString("response.%1").arg(kind))).startsWith(start), kind);
    }
    QVERIFY(bytes_of(m_dir.filePath("response.svg")).contains("<svg"));
    QVERIFY(bytes_of(m_dir.filePath("response.csv")).contains("\n0.15915494309189535,-3.010299956639812,-45\n"));
    QVERIFY(QImage(m_dir.filePath("response.png")).width() > 100);
}

// The netlist editor's Plot draws its .ac sweep, V(out) first, and says what is missing.
void tst_window::netlist_plot()
{
    QStringList errors;
    double at_1k = 0;
    const bool seen = in_netlist_editor([&](QDialog *dialog) {
        auto *text = dialog->findChild<QPlainTextEdit *>("netlist_text");
        text->setPlainText("rc\nV1 in 0 AC 1\nR1 in out 1k\nC1 out 0 159.15494309189535n\n");
        QTest::mouseClick(dialog->findChild<QPushButton *>("netlist_plot"), Qt::LeftButton);
        auto *plot = dialog->findChild<PlotWindow *>();
        errors << plot->findChild<QLabel *>("plot_error")->text();
        text->appendPlainText(".ac lin 5001 1 100k");
        QTest::mouseClick(dialog->findChild<QPushButton *>("netlist_plot"), Qt::LeftButton);
        errors << plot->findChild<QLabel *>("plot_error")->text();
        text->setPlainText(text->toPlainText().replace(".ac lin 5001 1 100k", ".ac dec 10 10 100k"));
        QTest::mouseClick(dialog->findChild<QPushButton *>("netlist_plot"), Qt::LeftButton);
        errors << plot->findChild<QLabel *>("plot_error")->text() << plot->curve().magnitude_name;
        for (const ResponsePoint &p : plot->curve().points)
            at_1k = p.frequency == 1000 ? p.magnitude : at_1k;
        dialog->reject();
    });
    QVERIFY(seen);
    QCOMPARE(errors, (QStringList{"Give the netlist an .ac sweep to plot, as .ac dec 20 10 100k",
                                  "The plot draws at most 5000 frequencies; ohmara-cli netlist prints a sweep of any length", "", "V(out)"}));
    QCOMPARE(QString::number(at_1k, 'g', 12), QString("0.707106781187"));
}

// The icon is set only once the window has been painted, and then it is there; its picture is
// decoded when something asks for it.
void tst_window::icon_after_first_paint()
{
    QApplication::setWindowIcon(QIcon());
    QWidget window;
    set_icon_after_first_paint(window);
    QCoreApplication::processEvents();
    QVERIFY(QApplication::windowIcon().isNull());
    window.show();
    QTRY_VERIFY(!QApplication::windowIcon().isNull());
    QCOMPARE(QApplication::windowIcon().availableSizes(), QList<QSize>{QSize(256, 256)});
    QCOMPARE(QApplication::windowIcon().availableSizes(QIcon::Disabled), QList<QSize>{});
    // Asked for, the picture is the file's, at its size and scaled down.
    const QImage file(QStringLiteral(":/desktop/org.example.Ohmara-256.png"));
    const auto premultiplied = [](const QImage &image) {
        return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    };
    QCOMPARE(premultiplied(QApplication::windowIcon().pixmap(QSize(256, 256)).toImage()), premultiplied(file));
    QCOMPARE(QApplication::windowIcon().pixmap(QSize(48, 48)).size(), QSize(48, 48));
    QCOMPARE(QApplication::windowIcon().actualSize(QSize(512, 512)), QSize(256, 256));
}

void tst_window::png_pictures_data()
{
    QTest::addColumn<QByteArray>("bytes"); // a file's content, or null for the resource named
    QTest::addColumn<QString>("path");
    QTest::addColumn<QSize>("size"); // invalid: no picture
    QTest::addColumn<QString>("error");
    QTest::newRow("drawing") << QByteArray() << ":/pics/DY.png" << QSize(304, 220) << "Unknown error";
    QTest::newRow("drawing twice as dense") << QByteArray() << ":/pics/DY@2x.png" << QSize(608, 440) << "Unknown error";
    QTest::newRow("tall drawing") << QByteArray() << ":/pics/LRSC.png" << QSize(214, 271) << "Unknown error";
    QTest::newRow("icon") << QByteArray() << ":/desktop/org.example.Ohmara-256.png" << QSize(256, 256) << "Unknown error";
    QTest::newRow("text named .png") << QByteArray("not a picture\n") << "" << QSize() << "Unsupported image format";
    QTest::newRow("empty file") << QByteArray("") << "" << QSize() << "Unsupported image format";
    QTest::newRow("signature alone") << QByteArray("\x89PNG\r\n\x1a\n", 8) << "" << QSize() << "Unable to read image data";
    QTest::newRow("header without its checksum")
        << QByteArray("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR\0\0\0\x10\0\0\0\x08\x08\x02\0\0\0", 29) << ""
        << QSize() << "Unable to read image data";
}

// The program reads PNG files by their suffix as the toolkit's own decoder does: the size from
// the header, then the picture from the same reader; nothing, with the reader's error, from
// what is not one.
void tst_window::png_pictures()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, path);
    QFETCH(QSize, size);
    QFETCH(QString, error);
    QTemporaryDir dir;
    if (path.isEmpty()) {
        path = dir.filePath(QStringLiteral("picture.png"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    QImageReader reader(path);
    QCOMPARE(reader.size(), size);
    QCOMPARE(reader.canRead(), size.isValid());
    QCOMPARE(reader.read().size(), size.isValid() ? size : QSize(0, 0));
    QCOMPARE(reader.errorString(), error);
}

// Building the window, showing every tab and the icon read the pictures and the style's own
// drawings without waking the image plugins.
void tst_window::pictures_need_no_image_plugin()
{
    const auto plugins_loaded = [] {
        QFile maps(QStringLiteral("/proc/self/maps"));
        return !maps.open(QIODevice::ReadOnly) || maps.readAll().contains("/imageformats/");
    };
    ohmara window;
    set_icon_after_first_paint(window);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto *tabs = window.findChild<QTabWidget *>();
    for (int i = 0; i < tabs->count(); ++i) {
        tabs->setCurrentIndex(i);
        QVERIFY(tabs->currentWidget()->isVisible());
        window.grab();
    }
    QTRY_VERIFY(!QApplication::windowIcon().isNull());
    QVERIFY(!QApplication::windowIcon().pixmap(QSize(48, 48)).isNull());
    QVERIFY(!plugins_loaded());
}

void tst_window::nothing_clips_data()
{
    QTest::addColumn<double>("points");
    QTest::newRow("9 pt") << 9.0;
    QTest::newRow("10 pt") << 10.0;
    QTest::newRow("11 pt") << 11.0;
}

void tst_window::nothing_clips()
{
    QFETCH(double, points);
    const QFont before = QApplication::font();
    QFont font = before;
    font.setPointSizeF(points);
    QApplication::setFont(font);
    ohmara window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    // The size drawn for the default font; at twice the scale that is 1264 pixels, within a
    // 1280-pixel screen.
    if (points == 9.0)
        QCOMPARE(window.size(), QSize(632, 448));
    QStringList clipped;
    auto *tabs = window.findChild<QTabWidget *>("tabWidget");
    for (int t = 0; t < tabs->count(); ++t) {
        tabs->setCurrentIndex(t);
        QApplication::processEvents();
        for (QWidget *w : window.findChildren<QWidget *>()) {
            if (!w->isVisible())
                continue;
            const QFontMetrics m = w->fontMetrics();
            int need = 0, has = 0;
            if (auto *l = qobject_cast<QLabel *>(w); l && l->wordWrap())
                need = l->heightForWidth(l->width()), has = l->height();
            else if (l && l->pixmap().isNull())
                need = m.horizontalAdvance(l->text()), has = l->contentsRect().width();
            else if (auto *r = qobject_cast<QRadioButton *>(w))
                need = r->style()->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth) + r->style()->pixelMetric(QStyle::PM_RadioButtonLabelSpacing) + m.horizontalAdvance(r->text()), has = r->width();
            else if (auto *e = qobject_cast<QLineEdit *>(w); e && e->objectName().startsWith("Value"))
                need = m.horizontalAdvance(e->text()), has = e->contentsRect().width() - 4;
            else if (auto *p = qobject_cast<QPlainTextEdit *>(w))
                need = int(p->document()->size().height() * m.lineSpacing()), has = p->viewport()->height();
            if (need > has)
                clipped << QString("%1 on tab %2: %3 > %4").arg(w->objectName()).arg(t).arg(need).arg(has);
        }
    }
    QApplication::setFont(before);
    QCOMPARE(clipped, QStringList());
}

void tst_window::file_failures_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("message");
    QTest::newRow("save into a vanished folder") << "actionSave" << "gone/x.oma" << "Could not open '%1' for writing: No such file or directory";
    QTest::newRow("save over a folder") << "actionSave" << "folder.oma" << "Could not open '%1' for writing: Is a directory";
    QTest::newRow("save over a write-protected file") << "actionSave" << "protected.oma" << "Could not open '%1' for writing: Permission denied";
    QTest::newRow("load a missing file") << "actionLoad" << "missing.oma" << "Could not open '%1' for reading";
    QTest::newRow("load a wrong version") << "actionLoad" << "old.oma" << "'%1' has wrong version number";
    QTest::newRow("load a folder") << "actionLoad" << "folder" << "'%1' is a folder, not a calculation file";
    QTest::newRow("load an empty file") << "actionLoad" << "empty.oma" << "'%1' is empty";
    QTest::newRow("load UTF-16") << "actionLoad" << "utf16.oma" << "'%1' is written in UTF-16; a calculation file is Latin-1 text";
    QTest::newRow("load UTF-16, big-endian, no mark") << "actionLoad" << "utf16be.oma" << "'%1' is written in UTF-16; a calculation file is Latin-1 text";
    QTest::newRow("load UTF-32") << "actionLoad" << "utf32.oma" << "'%1' is written in UTF-32; a calculation file is Latin-1 text";
    QTest::newRow("load another kind of file") << "actionLoad" << "zip.oma" << "'%1' has wrong version number";
    QTest::newRow("load a device") << "actionLoad" << "/dev/zero" << "'%1' is not a regular file";
    QTest::newRow("load a pipe, without waiting") << "actionLoad" << "fifo.oma" << "'%1' is not a regular file";
    QTest::newRow("load a file cut short") << "actionLoad" << "short.oma" << "'%1' ends after the Discharge tab: the rest was left as it was";
    QTest::newRow("load a file cut inside a tab") << "actionLoad" << "cut.oma" << "'%1' ends inside the Ohms law tab: the rest was left as it was";
    QTest::newRow("load a network of 21") << "actionLoad" << "big.oma" << "'%1' asks for 21 equations, more than 20: the equation grid and the D<->Y tab were left as they were";
}

void tst_window::file_failures()
{
    QFETCH(QString, action);
    QFETCH(QString, name);
    QFETCH(QString, message);
    QVERIFY(QDir(m_dir.path()).mkpath("folder") && QDir(m_dir.path()).mkpath("folder.oma"));
    const QByteArray start = "270116\n2 0\n5\n5\n5\n0 1\n1\n1\n1\n1\n1\n0 2\n1\n1\n1\n1\n1\n";
    for (const auto &[file, content] : {std::pair{"old.oma", QByteArray("27011\n")},
             std::pair{"big.oma", start + "0 3\n1\n1\n1\n1\n2 4\n1\n1\n1\n21 NWS\n"},
             std::pair{"short.oma", start}, std::pair{"cut.oma", QByteArray("270116\n2 0\n5\n")},
             std::pair{"empty.oma", QByteArray()}, std::pair{"protected.oma", QByteArray("mine\n")},
             std::pair{"utf16.oma", QByteArray("\xff\xfe" "2\0" "7\0" "0\0", 8)},
             std::pair{"utf16be.oma", QByteArray("\0" "2\0" "7", 4)}, std::pair{"zip.oma", QByteArray("PK\x03\x04")},
             std::pair{"utf32.oma", QByteArray("\xff\xfe\0\0" "2\0\0\0", 8)}}) {
        QFile f(m_dir.filePath(file));
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(content) == content.size());
    }
    QVERIFY(QFile::setPermissions(m_dir.filePath("protected.oma"), QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    QVERIFY(QFile::exists(m_dir.filePath("fifo.oma")) || ::mkfifo(QFile::encodeName(m_dir.filePath("fifo.oma")).constData(), 0600) == 0);
    const QString path = name.startsWith('/') ? name : m_dir.filePath(name);
    trigger(qPrintable(action), path);
    QCOMPARE(m_message, message.isEmpty() ? QString() : message.arg(path));
    // No temporary file is left beside a failed save.
    QCOMPARE(QDir(m_dir.path()).entryList({"folder.*", "x.oma*"}, QDir::Files | QDir::Hidden), QStringList());
    // A load stopped early leaves the tabs after it alone.
    QCOMPARE(field("Value50")->text(), QString("3"));
    const bool loaded = name == "big.oma" || name == "short.oma" || name == "cut.oma";
    QCOMPARE(field("Value00")->text(), loaded ? QString("5") : QString("1"));
    // A loaded tab is recalculated from what it holds, as the window always did.
    QCOMPARE(field("Value10")->text(), loaded ? QString("0.6321206") : QString("0.632121"));
    // A refused save leaves the file as it was.
    QFile protected_file(m_dir.filePath("protected.oma"));
    QVERIFY(protected_file.open(QIODevice::ReadOnly));
    QCOMPARE(protected_file.readAll(), QByteArray("mine\n"));
}

void tst_window::exit_closes()
{
    m_window->findChild<QAction *>("actionExit")->trigger();
    QVERIFY(!m_window->isVisible());
}

// The pages out of sight are built after the first paint, or at once when something needs one.
void tst_window::pages_wait_for_the_first_paint_data()
{
    QTest::addColumn<QString>("first");
    QTest::newRow("shown") << "show";
    QTest::newRow("a file loaded before") << "load";
    QTest::newRow("saved before") << "save";
    QTest::newRow("its tab chosen before the window shows") << "choose";
    QTest::newRow("its tab chosen before the first paint") << "choose shown";
}

void tst_window::pages_wait_for_the_first_paint()
{
    QFETCH(QString, first);
    // What a whole window saves after 2k typed as the charge tab's R.
    type_into(field_at(1, 2), "2k");
    const QString typed = m_dir.filePath("typed.oma");
    trigger("actionSave", typed);
    QCOMPARE(m_message, QString());
    // And what it saves once that file is loaded again.
    m_window->load(typed);
    const QString again = m_dir.filePath("again.oma");
    trigger("actionSave", again);
    delete m_window;
    m_window = new ohmara;
    QVERIFY(!field_at(1, 0));
    if (first == "load") {
        m_window->load(typed);
        QCOMPARE(field_at(1, 2)->text(), QString("2k"));
    } else if (first == "save") {
        const QString saved = m_dir.filePath("saved.oma");
        m_window->set_file_name_source([saved](bool) { return saved; });
        m_window->findChild<QAction *>("actionSave")->trigger();
        QVERIFY(field_at(1, 0));
        QVERIFY(bytes_of(saved) != bytes_of(typed));
        m_window->load(typed);
        m_window->set_file_name_source([saved](bool) { return saved; });
        m_window->findChild<QAction *>("actionSave")->trigger();
        QCOMPARE(bytes_of(saved), bytes_of(again));
    } else if (first.startsWith("choose")) {
        if (first.endsWith("shown"))
            m_window->show();
        m_window->findChild<QTabWidget *>("tabWidget")->setCurrentIndex(TAB_RLC);
        QVERIFY(field_at(TAB_RLC, 0));
    }
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window));
    QTRY_VERIFY(field_at(TAB_RLC, 4));
    if (first.startsWith("choose")) {
        QVERIFY(field_at(TAB_RLC, 0)->isVisible());
        QVERIFY(m_window->findChild<QLabel *>("lbl_rlc0")->isVisible());
    }
    if (first == "load")
        QCOMPARE(field_at(1, 2)->text(), QString("2k"));
}

// A Plot button is not in the order Tab walks; Tab goes on from it all the same.
void tst_window::plot_buttons_pass_tab_on_data()
{
    QTest::addColumn<int>("tab");
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("reached");
    QTest::newRow("RC filt., Tab") << int(TAB_RC_FILTER) << "plot4" << int(Qt::Key_Tab) << "cb_series";
    QTest::newRow("RC filt., Backtab") << int(TAB_RC_FILTER) << "plot4" << int(Qt::Key_Backtab) << "Value42";
    QTest::newRow("RLC, Tab") << int(TAB_RLC) << "plot6" << int(Qt::Key_Tab) << "cb_series";
    QTest::newRow("RLC, Backtab") << int(TAB_RLC) << "plot6" << int(Qt::Key_Backtab) << "calc6_text";
}

void tst_window::plot_buttons_pass_tab_on()
{
    QFETCH(int, tab);
    QFETCH(QString, button);
    QFETCH(int, key);
    QFETCH(QString, reached);
    m_window->findChild<QTabWidget *>("tabWidget")->setCurrentIndex(tab);
    auto *plot = m_window->findChild<QPushButton *>(button);
    plot->setFocus();
    QCOMPARE(QApplication::focusWidget(), plot);
    QTest::keyClick(plot, Qt::Key(key));
    QCOMPARE(QApplication::focusWidget()->objectName(), reached);
}

// Where a touch screen is attached, two fingers drawn up the grid scroll it down.
void tst_window::fingers_pan_the_grid()
{
    const std::unique_ptr<QPointingDevice> screen(QTest::createTouchDevice(QInputDevice::DeviceType::TouchScreen));
    delete m_window;
    m_window = new ohmara;
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window));
    resize_grid(20);
    QApplication::processEvents();
    auto *area = m_window->findChild<QScrollArea *>("network_area");
    QWidget *viewport = area->viewport();
    QCOMPARE(area->verticalScrollBar()->value(), 0);
    const QPoint a(60, 150);
    const QPoint b(120, 150);
    QTest::touchEvent(viewport, screen.get()).press(0, a).press(1, b);
    for (int i = 1; i <= 12; ++i)
        QTest::touchEvent(viewport, screen.get()).move(0, a - QPoint(0, 10 * i)).move(1, b - QPoint(0, 10 * i));
    QTest::touchEvent(viewport, screen.get()).release(0, a - QPoint(0, 120)).release(1, b - QPoint(0, 120));
    QTRY_VERIFY(area->verticalScrollBar()->value() > 0);
}

QTEST_MAIN(tst_window)
#include "tst_window.moc"
