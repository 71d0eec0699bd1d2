#include "app/ohmara.h"

#include "app/leave_reporter.h"
#include "app/typing.h"
#include "app/netlist_dialog.h"
#include "app/plot_loader.h"
#include "app/looks.h"
#include "app/network_panel.h"
#include "app/fusion_frames.h"
#include "base/helper_thread.h"
#include "storage/calculation_file.h"
#include "ui_help.h"
#include "ui_ohmara.h"
#include "ui_page_charge.h"
#include "ui_page_current.h"
#include "ui_page_delta_star.h"
#include "ui_page_discharge.h"
#include "ui_page_rc_filter.h"
#include "ui_page_rlc.h"

#include <QClipboard>
#include <QDialog>
#include <QGuiApplication>
#include <QMenu>
#include <QSettings>
#include <QFile>
#include <QApplication>
#include <QFontMetrics>

#include <cmath>
#include <map>
#include <memory>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QTabBar>
#include <QHash>
#include <QImageReader>
#include <QLabel>
#include <QMessageBox>
#include <QLineEdit>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSignalMapper>
#include <QStackedWidget>
#include <QScrollBar>
#include <QStatusBar>
#include <QTimer>

namespace {

// The tab pages place their widgets by pixel, as drawn for a 9-point font. A larger desktop
// font scales those places and the fixed sizes by the ratio of the fonts' heights, so no text
// clips and the window grows only as the font needs; at 9 points nothing moves.
void fit_to_font(QWidget *root)
{
    QFont drawn = root->font();
    drawn.setPointSizeF(9);
    const double factor = double(QFontMetrics(root->font()).height()) / QFontMetrics(drawn).height();
    if (!(factor > 1.0))
        return;
    const auto scaled = [factor](int v) { return v >= QWIDGETSIZE_MAX ? v : int(std::ceil(v * factor)); };
    for (QWidget *w : root->findChildren<QWidget *>()) {
        if (w->objectName().isEmpty() || w->objectName().startsWith(QLatin1String("qt_")))
            continue;
        w->setMinimumSize(scaled(w->minimumWidth()), scaled(w->minimumHeight()));
        w->setMaximumSize(scaled(w->maximumWidth()), scaled(w->maximumHeight()));
        QWidget *parent = w->parentWidget();
        if (parent && !parent->layout()) {
            const QRect g = w->geometry();
            w->setGeometry(scaled(g.x()), scaled(g.y()), scaled(g.width()), scaled(g.height()));
        }
    }
}

} // namespace

// Gives each picture label its picture when the label is first shown. Decoding all nine at
// start-up was a third of building the window, and only one of them is in view then. Until
// then a label keeps its picture's size (read from the file's header), so no layout moves.
class PictureLoader : public QObject
{
public:
    using QObject::QObject;

    // The picture in view at the first paint is decoded on another thread, on another
    // processor, while the window is built, so it is ready when its label shows.
    void decode_ahead(const QString &path)
    {
        // Asked twice, the second would write the same picture alongside the first.
        if (m_ahead.count(path))
            return;
        Ahead &ahead = m_ahead[path];
        QImage *image = &ahead.image;
        ahead.decoding = std::make_unique<HelperThread>([image, path] { *image = QImage(path); },
                                                        HelperThread::AwayFromMaker);
    }

    void add(QLabel *label, const QString &path)
    {
        label->setMinimumSize(QImageReader(path).size());
        m_paths.insert(label, path);
        label->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show) {
            auto *label = static_cast<QLabel *>(watched);
            const QString path = m_paths.take(label);
            const auto ahead = m_ahead.find(path);
            if (ahead != m_ahead.end()) {
                ahead->second.decoding->join();
                label->setPixmap(QPixmap::fromImage(ahead->second.image));
                m_ahead.erase(ahead);
            } else {
                label->setPixmap(QPixmap(path));
            }
            label->removeEventFilter(this);
        }
        return QObject::eventFilter(watched, event);
    }

private:
    // The thread writes the picture; it goes first when an entry is destroyed, so a window
    // closed before the label showed waits for it.
    struct Ahead
    {
        QImage image;
        std::unique_ptr<HelperThread> decoding;
    };

    QHash<QObject *, QString> m_paths;
    std::map<QString, Ahead> m_ahead;
};

namespace {

// Each tab's picture, where it has one of its own.
const char *const PICTURES[TAB_COUNT] = {":/pics/UOhmplus.png", ":/pics/charge_cap.png",
    ":/pics/discharge_cap.png", ":/pics/current_cap.png", ":/pics/Fcplus.png", ":/pics/DY.png", nullptr};

// Builds one page from its form, into the empty page the window's form holds for it.
template<typename Form>
void build_into(QWidget *page)
{
    Form form;
    form.setupUi(page);
}

} // namespace

const char *const ohmara::notice_text =
    "Ohmara is freeware by the Ohmara authors - https://ohmara.example.org";

ohmara::ohmara(QWidget *parent, Qt::WindowFlags flags)
    : QMainWindow(parent, flags)
    , ui(new Ui::ohmaraClass)
    , m_leaves(new LeaveReporter(this))
    , m_pictures(new PictureLoader(this))
{
    m_pictures->decode_ahead(QString::fromLatin1(PICTURES[TAB_OHM]));
    ui->setupUi(this);
    // One proxy of Fusion, where the window draws with Fusion, for its tall parts and the
    // grid's cells; any other style draws them itself, as it draws the rest of the window.
    QStyle *frames = new_fusion_frames_style(this);
    if (frames) {
        ui->tabWidget->setStyle(frames);
        ui->groupBox->setStyle(frames);
        ui->network_area->verticalScrollBar()->setStyle(frames);
        ui->network_area->horizontalScrollBar()->setStyle(frames);
    }
    fit_to_font(ui->tabWidget);
    // The dialogs open where the user last saved or loaded.
    m_file_dir = QSettings().value(QStringLiteral("directory"), QDir::homePath()).toString();
    m_file_name = [this](bool saving) {
        const QString filter = QStringLiteral("*.oma;;All (*.*)");
        return saving ? QFileDialog::getSaveFileName(this, QStringLiteral("Save"), m_file_dir, filter)
                      : QFileDialog::getOpenFileName(this, QStringLiteral("Open"), m_file_dir, filter);
    };

    m_notice = new QLabel(QString::fromLatin1(notice_text));
    m_notice->setObjectName(QStringLiteral("notice"));
    statusBar()->addPermanentWidget(m_notice, 0);

    ui->sb_digits->setValue(m_model.digits);
    connect(ui->actionLoad, &QAction::triggered, this, &ohmara::fread_slot);
    connect(ui->actionSave, &QAction::triggered, this, &ohmara::fwrite_slot);
    connect(ui->actionNetlist, &QAction::triggered, this, &ohmara::netlist_slot);
    // The shortcuts every desktop program has; F1 is Help!.
    ui->actionSave->setShortcut(QKeySequence::Save);
    ui->actionLoad->setShortcut(QKeySequence::Open);
    // Some platforms name no key for Quit; Ctrl+Q is what Linux desktops use.
    const QList<QKeySequence> quit = QKeySequence::keyBindings(QKeySequence::Quit);
    ui->actionExit->setShortcuts(quit.isEmpty() ? QList<QKeySequence>{QKeySequence(Qt::CTRL | Qt::Key_Q)} : quit);
    ui->pb_help->setShortcut(QKeySequence::HelpContents);
    // Users expect "Exit" to leave the program, like the window's own close button.
    connect(ui->actionExit, &QAction::triggered, this, &QWidget::close);
    connect(ui->pb_help, &QPushButton::clicked, this, &ohmara::help_slot);
    connect(ui->sb_digits, &QSpinBox::valueChanged, this, &ohmara::digits_slot);

    set_up_tab(TAB_OHM);
    // Switching to a page before it is built builds it, and the others with it.
    connect(ui->tabWidget, &QTabWidget::currentChanged, this, &ohmara::build_pages);

    // Standard values: none at first, then the series the user chose last time.
    ui->cb_series->addItem(QStringLiteral("none"));
    for (const char *name : SERIES_NAMES)
        ui->cb_series->addItem(QString::fromLatin1(name));
    m_series = series_index(QSettings().value(QStringLiteral("series")).toString().toLatin1().constData());
    ui->cb_series->setCurrentIndex(m_series + 1);
    connect(ui->cb_series, &QComboBox::currentIndexChanged, this, [this](int index) {
        m_series = index - 1;
        QSettings().setValue(QStringLiteral("series"), index > 0 ? ui->cb_series->currentText() : QString());
    });

    m_network = std::make_unique<NetworkPanel>(this, ui->gridLayout, ui->network_status, frames);
    connect(m_network->mapper(), &QSignalMapper::mappedInt, this, &ohmara::network_edit_slot);
    connect(ui->sb_network, &QSpinBox::valueChanged, this, &ohmara::network_size_slot);
    connect(ui->network_solve, &QPushButton::pressed, this, &ohmara::network_solve_slot);
    connect(ui->network_zero, &QPushButton::pressed, this, &ohmara::network_zero_slot);

    ui->network_status->setText(m_model.network.status());
}

ohmara::~ohmara()
{
    // Closing moves the focus out of a field, which would report a leave into a window
    // that is half gone: silence the fields first.
    delete m_leaves;
    for (QLineEdit *field : findChildren<QLineEdit *>())
        field->disconnect(this);
    m_network->mapper()->disconnect(this);
    delete ui;
}

bool ohmara::event(QEvent *e)
{
    if (e->type() == QEvent::Paint && !m_pages_asked) {
        m_pages_asked = true;
        // After the paint has reached the screen, not inside it.
        QTimer::singleShot(0, this, &ohmara::build_pages);
    }
    return QMainWindow::event(e);
}

void ohmara::build_pages()
{
    for (int t = 0; t < TAB_COUNT; ++t) {
        if (!built(t))
            build_page(t);
    }
}

void ohmara::build_page(int t)
{
    QWidget *page = ui->tabWidget->widget(t);
    switch (t) {
    case TAB_CHARGE: build_into<Ui::ChargePage>(page); break;
    case TAB_DISCHARGE: build_into<Ui::DischargePage>(page); break;
    case TAB_CONSTANT_CURRENT: build_into<Ui::CurrentPage>(page); break;
    case TAB_RC_FILTER: build_into<Ui::RcFilterPage>(page); break;
    case TAB_DELTA_STAR: build_into<Ui::DeltaStarPage>(page); break;
    case TAB_RLC: build_into<Ui::RlcPage>(page); break;
    default: return;
    }
    fit_to_font(page);
    // Children added to a page in sight wait to be shown, as any new child does.
    if (page->isVisible()) {
        for (QWidget *w : page->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
            if (!w->testAttribute(Qt::WA_WState_ExplicitShowHide))
                w->show();
        }
    }
    set_up_tab(t);
    // Polished now, in its looks, as the pages built with the window were when it first
    // showed; not by whatever next asks the window, the first step of the grid's size box.
    page->ensurePolished();
}

void ohmara::set_up_tab(int t)
{
    QWidget *page = ui->tabWidget->widget(t);
    // The forms name a tab's widgets by tab and place: Value10, Radio10, Error1.
    const auto name = [t](const char *kind, int i = -1) {
        return QString::fromLatin1(kind) + QString::number(t) + (i < 0 ? QString() : QString::number(i));
    };
    TabWidgets &w = m_tabs[t];
    const TabDefinition &d = m_model.tab(t).definition();
    for (int i = 0; i < d.field_count; ++i)
        w.fields[i] = page->findChild<QLineEdit *>(name("Value", i));
    for (int m = 0; m < d.choices; ++m)
        w.radios[m] = page->findChild<QRadioButton *>(name("Radio", m));
    w.error = page->findChild<QLabel *>(name("Error"));

    using Slot = void (ohmara::*)();
    const Slot radio_slots[TAB_COUNT][MAX_FIELDS] = {
        {&ohmara::Radio00_slot, &ohmara::Radio01_slot, &ohmara::Radio02_slot},
        {&ohmara::Radio10_slot, &ohmara::Radio11_slot, &ohmara::Radio12_slot,
         &ohmara::Radio13_slot, &ohmara::Radio14_slot},
        {&ohmara::Radio20_slot, &ohmara::Radio21_slot, &ohmara::Radio22_slot,
         &ohmara::Radio23_slot, &ohmara::Radio24_slot},
        {&ohmara::Radio30_slot, &ohmara::Radio31_slot, &ohmara::Radio32_slot,
         &ohmara::Radio33_slot},
        {&ohmara::Radio40_slot, &ohmara::Radio41_slot, &ohmara::Radio42_slot},
        {&ohmara::Radio50_slot, &ohmara::Radio51_slot},
        {&ohmara::Radio60_slot, &ohmara::Radio61_slot, &ohmara::Radio62_slot,
         &ohmara::Radio63_slot, &ohmara::Radio64_slot},
    };
    const Slot calculate_slots[TAB_COUNT] = {
        &ohmara::calculate0_slot, &ohmara::calculate1_slot, &ohmara::calculate2_slot,
        &ohmara::calculate3_slot, &ohmara::calculate4_slot, &ohmara::calculate5_slot,
        &ohmara::calculate6_slot};
    for (int i = 0; i < d.field_count; ++i) {
        QLineEdit *field = w.fields[i];
        m_tips[t][i] = field->toolTip();
        field->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(field, &QWidget::customContextMenuRequested, this,
                [this, t, i](const QPoint &at) { field_menu(t, i, at); });
    }
    for (int m = 0; m < d.choices; ++m)
        connect(w.radios[m], &QRadioButton::clicked, this, radio_slots[t][m]);
    for (int i = 0; i < d.field_count; ++i) {
        connect(w.fields[i], &QLineEdit::editingFinished, this, calculate_slots[t]);
        m_leaves->watch(w.fields[i]);
        limit_typing(w.fields[i]);
    }

    if (PICTURES[t])
        m_pictures->add(page->findChild<QLabel *>(name("Formula")), QString::fromLatin1(PICTURES[t]));
    if (t == TAB_RC_FILTER)
        connect(page->findChild<QPushButton *>(QStringLiteral("plot4")), &QPushButton::clicked, this, [this] { plot(TAB_RC_FILTER); });
    if (t == TAB_RLC) {
        for (const auto &[label, path] : {std::pair{"lbl_rlc0", ":/pics/series_RLC.png"},
                                          std::pair{"lbl_rlc1", ":/pics/parallel_RLC.png"},
                                          std::pair{"lbl_rlc3_2", ":/pics/LRSC.png"}})
            m_pictures->add(page->findChild<QLabel *>(QLatin1String(label)), QString::fromLatin1(path));
        connect(page->findChild<QPushButton *>(QStringLiteral("plot6")), &QPushButton::clicked, this, [this] { plot(TAB_RLC); });
        m_rlc_circuit = page->findChild<QComboBox *>(QStringLiteral("pd_series6"));
        m_rlc_figures = page->findChild<QStackedWidget *>(QStringLiteral("figure_stack6"));
        m_rlc_text = page->findChild<QPlainTextEdit *>(QStringLiteral("calc6_text"));
        connect(m_rlc_circuit, &QComboBox::activated, this, &ohmara::calc_type6_slot);
        m_rlc_text->setStyleSheet(QStringLiteral("QPlainTextEdit { background-color: #FF8; color: #000 }"));
    }
    show_everything(t);
}

// The model as it starts, or as loaded before the page was built; the form already shows most
// of it.
void ohmara::show_everything(int t)
{
    const TabState &tab = m_model.tab(t);
    TabChange all;
    all.error = true;
    all.panel = !tab.panel().isEmpty();
    for (int i = 0; i < tab.field_count(); ++i) {
        if (m_tabs[t].fields[i]->text() != tab.field(i).text)
            all.texts |= 1u << i;
        if (tab.field(i).look != Look::Default)
            all.looks |= 1u << i;
        else
            m_tabs[t].fields[i]->setReadOnly(tab.field(i).read_only);
    }
    show_tab(t, all);
    m_tabs[t].radios[tab.unknown()]->setChecked(true);
    if (t == TAB_RLC) {
        m_rlc_circuit->setCurrentIndex(tab.circuit());
        m_rlc_figures->setCurrentIndex(tab.circuit());
    }
}

void ohmara::hand_over(int t)
{
    // Whatever comes to a page comes through here first: a page not built yet is built now.
    if (!built(t))
        build_pages();
    TabState &tab = m_model.tab(t);
    for (int i = 0; i < tab.field_count(); ++i)
        tab.type(i, m_tabs[t].fields[i]->text());
}

void ohmara::show_tab(int t, const TabChange &change)
{
    const TabState &tab = m_model.tab(t);
    const TabWidgets &w = m_tabs[t];
    for (int i = 0; i < tab.field_count(); ++i) {
        if ((change.looks >> i) & 1u)
            show_look(w.fields[i], tab.field(i));
        if ((change.texts >> i) & 1u)
            w.fields[i]->setText(tab.field(i).text);
    }
    if (change.error)
        w.error->setText(tab.error());
    if (change.panel) {
        m_rlc_text->clear();
        for (const QString &line : tab.panel())
            m_rlc_text->appendPlainText(line);
    }
    if (change.answer != TabChange::Answer::None)
        show_standard_values(t);
    if (QWidget *plot = t == TAB_RC_FILTER ? m_plots[0] : t == TAB_RLC ? m_plots[1] : nullptr)
        refresh_plot_window(plot);
}

void ohmara::plot(int t)
{
    QPointer<QWidget> &plot = m_plots[t == TAB_RLC];
    if (!plot) {
        const TabState &tab = m_model.tab(t);
        const PlotSource source = [&tab, t] {
            if (t == TAB_RC_FILTER)
                return std::vector<ResponseCurve>{rc_filter_response(tab.value(0).re, tab.value(1).re, tab.value(2).re, nullptr)};
            const RlcValues v{tab.value(0).re, tab.value(1).re, tab.value(2).re, tab.value(3).re, tab.value(4)};
            return std::vector<ResponseCurve>{rlc_response(tab.circuit(), v, nullptr)};
        };
        plot = open_plot_window(this, QStringLiteral("%1 - frequency response").arg(ui->tabWidget->tabText(t)), source);
        if (!plot)
            return;
    }
    // As when a field is left: what is typed counts, and the plot shows it.
    recalculate(t);
    plot->show();
    plot->raise();
}

void ohmara::show_standard_values(int t)
{
    const TabState &tab = m_model.tab(t);
    QStringList message;
    for (int i = 0; i < tab.field_count(); ++i) {
        StandardValues &sv = m_standard[t][i];
        sv = StandardValues();
        const bool answer = tab.field(i).look == Look::Result;
        if (m_series >= 0 && answer && tab.is_component_answer(i))
            sv = standard_values(SERIES_SIZES[m_series], tab.value(i).re);
        if (!sv.valid) {
            m_tabs[t].fields[i]->setToolTip(m_tips[t][i]);
            continue;
        }
        const QuantityDefinition &q = tab.definition().quantities[i];
        const QString head = QStringLiteral("%1: %2 ").arg(QLatin1String(q.name), QLatin1String(SERIES_NAMES[m_series]));
        m_tabs[t].fields[i]->setToolTip(head + QString::fromStdString(sv.text(true, q.component)));
        message << head + QString::fromStdString(sv.text(false, q.component));
    }
    if (message.isEmpty())
        statusBar()->clearMessage();
    else
        statusBar()->showMessage(message.join(QStringLiteral("; ")));
}

// The field's own menu, and for an answer with standard values a way to copy each of them.
void ohmara::field_menu(int t, int i, const QPoint &at)
{
    QLineEdit *field = m_tabs[t].fields[i];
    QMenu *menu = field->createStandardContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    const StandardValues &sv = m_standard[t][i];
    if (sv.valid) {
        menu->addSeparator();
        const bool same = sv.has_below && sv.has_above && sv.below == sv.above;
        for (const auto &[has, value] : {std::pair{sv.has_below, sv.below}, std::pair{sv.has_above && !same, sv.above}}) {
            if (!has)
                continue;
            const QString text = QString::fromStdString(part_text(value));
            menu->addAction(QStringLiteral("Copy %1").arg(text), this,
                            [text] { QGuiApplication::clipboard()->setText(text); });
        }
    }
    menu->popup(field->mapToGlobal(at));
}

void ohmara::select(int t, int m)
{
    hand_over(t);
    show_tab(t, m_model.tab(t).select(m, m_model.digits));
}

void ohmara::recalculate(int t)
{
    hand_over(t);
    show_tab(t, m_model.tab(t).recalculate(m_model.digits));
}

void ohmara::digits_slot(int n) { m_model.digits = n; }

void ohmara::Radio00_slot() { select(0, 0); }
void ohmara::Radio01_slot() { select(0, 1); }
void ohmara::Radio02_slot() { select(0, 2); }
void ohmara::calculate0_slot() { recalculate(0); }

void ohmara::Radio10_slot() { select(1, 0); }
void ohmara::Radio11_slot() { select(1, 1); }
void ohmara::Radio12_slot() { select(1, 2); }
void ohmara::Radio13_slot() { select(1, 3); }
void ohmara::Radio14_slot() { select(1, 4); }
void ohmara::calculate1_slot() { recalculate(1); }

void ohmara::Radio20_slot() { select(2, 0); }
void ohmara::Radio21_slot() { select(2, 1); }
void ohmara::Radio22_slot() { select(2, 2); }
void ohmara::Radio23_slot() { select(2, 3); }
void ohmara::Radio24_slot() { select(2, 4); }
void ohmara::calculate2_slot() { recalculate(2); }

void ohmara::Radio30_slot() { select(3, 0); }
void ohmara::Radio31_slot() { select(3, 1); }
void ohmara::Radio32_slot() { select(3, 2); }
void ohmara::Radio33_slot() { select(3, 3); }
void ohmara::calculate3_slot() { recalculate(3); }

void ohmara::Radio40_slot() { select(4, 0); }
void ohmara::Radio41_slot() { select(4, 1); }
void ohmara::Radio42_slot() { select(4, 2); }
void ohmara::calculate4_slot() { recalculate(4); }

void ohmara::Radio50_slot() { select(TAB_DELTA_STAR, 0); }
void ohmara::Radio51_slot() { select(TAB_DELTA_STAR, 1); }
void ohmara::calculate5_slot() { recalculate(TAB_DELTA_STAR); }

void ohmara::Radio60_slot() { select(TAB_RLC, 0); }
void ohmara::Radio61_slot() { select(TAB_RLC, 1); }
void ohmara::Radio62_slot() { select(TAB_RLC, 2); }
void ohmara::Radio63_slot() { select(TAB_RLC, 3); }
void ohmara::Radio64_slot() { select(TAB_RLC, 4); }
void ohmara::calculate6_slot() { recalculate(TAB_RLC); }

void ohmara::calc_type6_slot(int circuit)
{
    m_rlc_figures->setCurrentIndex(circuit);
    hand_over(TAB_RLC);
    show_tab(TAB_RLC, m_model.tab(TAB_RLC).select_circuit(circuit, m_model.digits));
}

void ohmara::network_size_slot(int n)
{
    // Cells that stay keep what the user typed into them.
    m_network->hand_over(m_model.network);
    m_model.network.resize(n);
    resize_network();
}

void ohmara::resize_network()
{
    m_network->resize(m_model.network);
}

void ohmara::show_network(const NetworkChange &change)
{
    m_network->show(m_model.network, change);
}

void ohmara::network_solve_slot()
{
    m_network->hand_over(m_model.network);
    show_network(m_model.network.solve());
}

QList<QWidget *> ohmara::focus_order() const
{
    QList<QWidget *> order{ui->sb_digits, ui->cb_series, ui->pb_help, ui->tabWidget->tabBar()};
    const int t = ui->tabWidget->currentIndex();
    if (t == TAB_RLC)
        order << m_rlc_circuit;
    const TabDefinition &d = m_model.tab(t).definition();
    // Of a group of radio buttons only the chosen one takes the focus, as Qt keeps it.
    for (int m = 0; m < d.choices; ++m) {
        if (m_tabs[t].radios[m]->isChecked())
            order << m_tabs[t].radios[m];
    }
    for (int i = 0; i < d.field_count; ++i)
        order << m_tabs[t].fields[i];
    if (t == TAB_RLC)
        order << m_rlc_text;
    if (t == TAB_OHM) {
        order << ui->network_zero << ui->network_solve << ui->sb_network;
        for (int r = 0; r < m_network->size(); ++r) {
            for (int c = 0; c <= m_network->size(); ++c)
                order << m_network->widget(c < m_network->size() ? CellId{CellId::Column::Matrix, r, c} : CellId{CellId::Column::Vector, r});
        }
    }
    return order;
}

bool ohmara::focusNextPrevChild(bool next)
{
    const QList<QWidget *> order = focus_order();
    QWidget *now = QApplication::focusWidget();
    // A spin box's or combo box's inner editor stands for the box.
    while (now && !order.contains(now) && now != this)
        now = now->parentWidget();
    const int at = order.indexOf(now);
    if (at < 0)
        return QMainWindow::focusNextPrevChild(next);
    for (int step = 1; step <= order.size(); ++step) {
        QWidget *w = order[(at + (next ? step : order.size() - step)) % order.size()];
        if (w && w->isVisible() && w->isEnabled() && (w->focusPolicy() & Qt::TabFocus)) {
            w->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
            return true;
        }
    }
    return false;
}

void ohmara::netlist_slot()
{
    NetlistDialog dialog(this, m_netlist_text, [this] {
        return QFileDialog::getOpenFileName(this, QStringLiteral("Open netlist"), m_file_dir,
                                            QStringLiteral("Netlists (*.cir *.net *.sp *.spice *.txt);;All (*)"));
    });
    const int result = dialog.exec();
    m_netlist_text = dialog.text();
    if (result != QDialog::Accepted)
        return;
    const NodalEquations &equations = dialog.equations();
    const std::vector<QString> texts = grid_texts(equations);
    const int n = equations.size;
    {
        const QSignalBlocker quiet(ui->sb_network);
        ui->sb_network->setValue(n);
    }
    m_network->hand_over(m_model.network);
    m_model.network.resize(n);
    m_model.network.set_names(equations.names);
    resize_network();
    // As if typed: every coefficient and right-hand side written and checked, then solved.
    for (int r = 0; r < n; ++r) {
        for (int c = 0; c <= n; ++c) {
            const CellId id = c < n ? CellId{CellId::Column::Matrix, r, c} : CellId{CellId::Column::Vector, r};
            show_network(m_model.network.fill(id, texts[size_t(r * (n + 1) + c)]));
            show_network(m_model.network.check(id));
        }
    }
    show_network(m_model.network.solve());
}

void ohmara::network_zero_slot()
{
    m_network->hand_over(m_model.network);
    show_network(m_model.network.fill_empty_with_zero());
}

void ohmara::network_edit_slot(int cell)
{
    const CellId id = CellId::from_mapped(cell);
    m_network->hand_over(id, m_model.network);
    show_network(m_model.network.check(id));
}

// A new dialog each time, so whatever the user typed into the page is gone when it closes.
void ohmara::help_slot()
{
    QDialog dialog(this);
    Ui::help form;
    form.setupUi(&dialog);
    dialog.exec();
}

namespace {

// A message box of its own, not tied to the window, as file errors have always been shown.
void tell(const QString &text)
{
    QMessageBox box(QMessageBox::NoIcon, QString(), text);
    box.exec();
}

} // namespace

void ohmara::remember_folder(const QString &name)
{
    m_file_dir = QFileInfo(name).absolutePath();
    QSettings().setValue(QStringLiteral("directory"), m_file_dir);
}

void ohmara::fwrite_slot()
{
    QString name = m_file_name(true);
    if (name.isEmpty())
        return;
    // Without its extension the Load dialog would not list the file.
    if (QFileInfo(name).suffix().isEmpty())
        name += QStringLiteral(".oma");
    remember_folder(name);
    for (int t = 0; t < TAB_COUNT; ++t)
        hand_over(t);
    m_network->hand_over(m_model.network);
    // The name goes to the file system in its own encoding, so any name the dialog offers works.
    const SaveOutcome outcome = save_calculation(m_model, QFile::encodeName(name).constData());
    if (!outcome.saved())
        tell(save_failure_text(name, outcome, tab_title()));
}

void ohmara::fread_slot()
{
    const QString name = m_file_name(false);
    if (name.isEmpty())
        return;
    remember_folder(name);
    load(name);
}

void ohmara::load(const QString &name)
{
    for (int t = 0; t < TAB_COUNT; ++t)
        hand_over(t);
    m_network->hand_over(m_model.network);
    const LoadReport report = load_calculation(m_model, QFile::encodeName(name).constData());
    if (report.status != LoadedCalculation::Status::Loaded) {
        tell(load_failure_text(report, name));
        return;
    }
    if (report.network_resized || report.has_network_size) {
        const QSignalBlocker quiet(ui->sb_network);
        ui->sb_network->setValue(m_model.network.size());
        resize_network();
    }
    show_network(report.network);
    for (int t = 0; t < CALCULATION_TABS; ++t) {
        m_tabs[t].radios[m_model.tab(t).unknown()]->setChecked(true);
        show_tab(t, report.tabs[t]);
    }
    const QString notice = load_notice_text(report, name, tab_title());
    if (!notice.isEmpty())
        tell(notice);
}

TabTitle ohmara::tab_title() const
{
    // A tab's text doubles its ampersands, which would otherwise mark a shortcut.
    return [this](int t) { return ui->tabWidget->tabText(t).replace(QStringLiteral("&&"), QStringLiteral("&")); };
}
