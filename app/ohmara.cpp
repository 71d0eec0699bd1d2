#include "app/ohmara.h"

#include "app/form_tab.h"
#include "calculators/capacitor.h"
#include "calculators/delta_star.h"
#include "calculators/ohms_law.h"
#include "calculators/rlc.h"
#include "network/network_panel.h"
#include "numbers/format.h"
#include "numbers/parse.h"
#include "storage/calculation_file.h"
#include "ui_help.h"
#include "ui_ohmara.h"

#include <QDialog>
#include <QFile>
#include <QFileDialog>
#include <QHash>
#include <QImageReader>
#include <QLabel>
#include <QMessageBox>
#include <QPixmap>
#include <QLineEdit>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSignalMapper>
#include <QStatusBar>

namespace {

// Gives each picture label its picture when the label is first shown. Decoding all nine at
// start-up was a third of building the window, and only one of them is in view then. Until
// then a label keeps its picture's size (read from the file's header), so no layout moves.
class PictureLoader : public QObject
{
public:
    using QObject::QObject;

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
            label->setPixmap(QPixmap(m_paths.take(label)));
            label->removeEventFilter(this);
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QHash<QObject *, QString> m_paths;
};

} // namespace

const char *const ohmara::notice_text =
    "Ohmara is freeware by the Ohmara authors - https://ohmara.example.org";

ohmara::ohmara(QWidget *parent, Qt::WindowFlags flags)
    : QMainWindow(parent, flags)
    , ui(new Ui::ohmaraClass)
    , m_leaves(new LeaveReporter(this))
{
    ui->setupUi(this);
    auto *pictures = new PictureLoader(this);
    const std::pair<QLabel *, const char *> picture_labels[] = {
        {ui->Formula0, ":/pics/UOhmplus.png"},
        {ui->Formula1, ":/pics/charge_cap.png"},
        {ui->Formula2, ":/pics/discharge_cap.png"},
        {ui->Formula3, ":/pics/current_cap.png"},
        {ui->Formula4, ":/pics/Fcplus.png"},
        {ui->Formula5, ":/pics/DY.png"},
        {ui->lbl_rlc0, ":/pics/series_RLC.png"},
        {ui->lbl_rlc1, ":/pics/parallel_RLC.png"},
        {ui->lbl_rlc3_2, ":/pics/LRSC.png"},
    };
    for (const auto &[label, path] : picture_labels)
        pictures->add(label, QString::fromLatin1(path));
    m_file_dir = QStringLiteral(".");
    m_file_name = [this](bool saving) {
        const QString filter = QStringLiteral("*.oma;;All (*.*)");
        return saving ? QFileDialog::getSaveFileName(this, QStringLiteral("Save"), m_file_dir, filter)
                      : QFileDialog::getOpenFileName(this, QStringLiteral("Open"), m_file_dir, filter);
    };

    m_notice = new QLabel(QString::fromLatin1(notice_text));
    m_notice->setObjectName(QStringLiteral("notice"));
    statusBar()->addPermanentWidget(m_notice, 0);

    m_digits = ui->sb_digits->value();

    connect(ui->actionLoad, &QAction::triggered, this, &ohmara::fread_slot);
    connect(ui->actionSave, &QAction::triggered, this, &ohmara::fwrite_slot);
    // Users expect "Exit" to leave the program, like the window's own close button.
    connect(ui->actionExit, &QAction::triggered, this, &QWidget::close);
    connect(ui->pb_help, &QPushButton::clicked, this, &ohmara::help_slot);
    connect(ui->sb_digits, &QSpinBox::valueChanged, this, &ohmara::digits_slot);

    using Slot = void (ohmara::*)();
    // Tabs 0 to 4: radios to their selector slots, every field's leave to the calculation.
    struct Tab
    {
        QList<QRadioButton *> radios;
        QList<Slot> radio_slots;
        QList<QLineEdit *> fields;
        QLabel *error;
        int unknown;
        Slot calculate;
    };
    const Tab tabs[] = {
        {{ui->Radio00, ui->Radio01, ui->Radio02},
         {&ohmara::Radio00_slot, &ohmara::Radio01_slot, &ohmara::Radio02_slot},
         {ui->Value00, ui->Value01, ui->Value02},
         ui->Error0,
         0,
         &ohmara::calculate0_slot},
        {{ui->Radio10, ui->Radio11, ui->Radio12, ui->Radio13, ui->Radio14},
         {&ohmara::Radio10_slot, &ohmara::Radio11_slot, &ohmara::Radio12_slot,
          &ohmara::Radio13_slot, &ohmara::Radio14_slot},
         {ui->Value10, ui->Value11, ui->Value12, ui->Value13, ui->Value14},
         ui->Error1,
         0,
         &ohmara::calculate1_slot},
        {{ui->Radio20, ui->Radio21, ui->Radio22, ui->Radio23, ui->Radio24},
         {&ohmara::Radio20_slot, &ohmara::Radio21_slot, &ohmara::Radio22_slot,
          &ohmara::Radio23_slot, &ohmara::Radio24_slot},
         {ui->Value20, ui->Value21, ui->Value22, ui->Value23, ui->Value24},
         ui->Error2,
         0,
         &ohmara::calculate2_slot},
        {{ui->Radio30, ui->Radio31, ui->Radio32, ui->Radio33},
         {&ohmara::Radio30_slot, &ohmara::Radio31_slot, &ohmara::Radio32_slot,
          &ohmara::Radio33_slot},
         {ui->Value30, ui->Value31, ui->Value32, ui->Value33},
         ui->Error3,
         0,
         &ohmara::calculate3_slot},
        {{ui->Radio40, ui->Radio41, ui->Radio42},
         {&ohmara::Radio40_slot, &ohmara::Radio41_slot, &ohmara::Radio42_slot},
         {ui->Value40, ui->Value41, ui->Value42},
         ui->Error4,
         2,
         &ohmara::calculate4_slot},
    };
    for (int n = 0; n < 5; ++n) {
        const Tab &tab = tabs[n];
        m_forms[n] = std::make_unique<FormTab>(tab.fields, tab.error, tab.unknown);
        // The start texts of these unknowns are already the answers to the start inputs.
        if (n <= 2)
            m_forms[n]->store_shown_answer();
        for (qsizetype m = 0; m < tab.radios.size(); ++m)
            connect(tab.radios[m], &QRadioButton::clicked, this, tab.radio_slots[m]);
        for (QLineEdit *field : tab.fields)
            connect(field, &QLineEdit::editingFinished, this, tab.calculate);
    }

    m_network = std::make_unique<NetworkPanel>(this, ui->gridLayout, ui->network_status);
    connect(ui->sb_network, &QSpinBox::valueChanged, this, &ohmara::network_size_slot);
    connect(ui->network_solve, &QPushButton::pressed, this, &ohmara::network_solve_slot);
    connect(ui->network_zero, &QPushButton::pressed, this, &ohmara::network_zero_slot);

    m_delta_star = std::make_unique<FormTab>(
        QList<QLineEdit *>{ui->Value50, ui->Value51, ui->Value52, ui->Value53, ui->Value54,
                           ui->Value55},
        ui->Error5, 0);
    for (QLineEdit *field : {ui->Value51, ui->Value52})
        field->setStyleSheet(QString::fromLatin1(RESULT_STYLE));
    connect(ui->Radio50, &QRadioButton::clicked, this, &ohmara::Radio50_slot);
    connect(ui->Radio51, &QRadioButton::clicked, this, &ohmara::Radio51_slot);
    for (QLineEdit *field :
         {ui->Value50, ui->Value51, ui->Value52, ui->Value53, ui->Value54, ui->Value55})
        connect(field, &QLineEdit::editingFinished, this, &ohmara::calculate5_slot);

    m_rlc = std::make_unique<FormTab>(
        QList<QLineEdit *>{ui->Value60, ui->Value61, ui->Value62, ui->Value63, ui->Value64},
        ui->Error6, 4);
    ui->calc6_text->setStyleSheet(QStringLiteral("QPlainTextEdit { background-color: #FF8 }"));
    connect(ui->pd_series6, &QComboBox::activated, this, &ohmara::calc_type6_slot);
    const Slot rlc_radio_slots[] = {&ohmara::Radio60_slot, &ohmara::Radio61_slot,
                                    &ohmara::Radio62_slot, &ohmara::Radio63_slot,
                                    &ohmara::Radio64_slot};
    QRadioButton *const rlc_radios[] = {ui->Radio60, ui->Radio61, ui->Radio62, ui->Radio63,
                                        ui->Radio64};
    for (int m = 0; m < 5; ++m)
        connect(rlc_radios[m], &QRadioButton::clicked, this, rlc_radio_slots[m]);
    for (QLineEdit *field : {ui->Value60, ui->Value61, ui->Value62, ui->Value63, ui->Value64})
        connect(field, &QLineEdit::editingFinished, this, &ohmara::calculate6_slot);
    ui->figure_stack6->setCurrentIndex(0);
    m_rlc_masks = SERIES_MASKS;
    select_rlc_unknown(4);
    calculate6_slot();

    static const QRegularExpression value_field(QStringLiteral("^Value\\d\\d$"));
    for (QLineEdit *field : findChildren<QLineEdit *>(value_field))
        m_leaves->watch(field);
}

ohmara::~ohmara()
{
    // Closing moves the focus out of a field, which would report a leave into a window
    // that is half gone: silence the fields first.
    delete m_leaves;
    for (QLineEdit *field : findChildren<QLineEdit *>())
        field->disconnect(this);
    delete ui;
}

void ohmara::digits_slot(int n)
{
    m_digits = n;
}

// Per unknown R, L, C, F, Z: bit i, field i takes part; bit 8 + i, it is an input.
const unsigned ohmara::SERIES_MASKS[5] = {0x1011, 0x1C1E, 0x1A1E, 0x161E, 0x0F1F};
const unsigned ohmara::OTHER_MASKS[5] = {0x1E1F, 0x1D1F, 0x1B1F, 0x171F, 0x0F1F};

void ohmara::select_unknown(int tab, int m)
{
    m_forms[tab]->select(m);
    calculate(tab);
}

void ohmara::calculate(int tab)
{
    switch (tab) {
    case 0: calculate0_slot(); break;
    case 1: calculate1_slot(); break;
    case 2: calculate2_slot(); break;
    case 3: calculate3_slot(); break;
    case 4: calculate4_slot(); break;
    }
}

void ohmara::Radio00_slot() { select_unknown(0, 0); }
void ohmara::Radio01_slot() { select_unknown(0, 1); }
void ohmara::Radio02_slot() { select_unknown(0, 2); }

void ohmara::Radio10_slot() { select_unknown(1, 0); }
void ohmara::Radio11_slot() { select_unknown(1, 1); }
void ohmara::Radio12_slot() { select_unknown(1, 2); }
void ohmara::Radio13_slot() { select_unknown(1, 3); }
void ohmara::Radio14_slot() { select_unknown(1, 4); }

void ohmara::Radio20_slot() { select_unknown(2, 0); }
void ohmara::Radio21_slot() { select_unknown(2, 1); }
void ohmara::Radio22_slot() { select_unknown(2, 2); }
void ohmara::Radio23_slot() { select_unknown(2, 3); }
void ohmara::Radio24_slot() { select_unknown(2, 4); }

void ohmara::Radio30_slot() { select_unknown(3, 0); }
void ohmara::Radio31_slot() { select_unknown(3, 1); }
void ohmara::Radio32_slot() { select_unknown(3, 2); }
void ohmara::Radio33_slot() { select_unknown(3, 3); }

void ohmara::Radio40_slot() { select_unknown(4, 0); }
void ohmara::Radio41_slot() { select_unknown(4, 1); }
void ohmara::Radio42_slot() { select_unknown(4, 2); }

void ohmara::calculate0_slot()
{
    m_forms[0]->calculate(ohms_law, m_digits);
}

void ohmara::calculate1_slot()
{
    m_forms[1]->calculate(capacitor_charge, m_digits);
}

void ohmara::calculate2_slot()
{
    m_forms[2]->calculate(capacitor_discharge, m_digits);
}

void ohmara::calculate3_slot()
{
    m_forms[3]->calculate(constant_current, m_digits);
}

void ohmara::calculate4_slot()
{
    m_forms[4]->calculate(rc_filter, m_digits);
}

void ohmara::network_size_slot(int n)
{
    m_network->resize(n);
    if (QSignalMapper *mapper = m_network->mapper())
        connect(mapper, &QSignalMapper::mappedInt, this, &ohmara::network_edit_slot);
}

void ohmara::network_solve_slot()
{
    m_network->solve();
}

void ohmara::network_zero_slot()
{
    m_network->fill_empty_with_zero();
}

void ohmara::network_edit_slot(int cell)
{
    m_network->check(cell);
}

void ohmara::Radio50_slot()
{
    m_direction = 0;
    m_delta_star->select_results(0b000111);
    calculate5_slot();
}

void ohmara::Radio51_slot()
{
    m_direction = 1;
    m_delta_star->select_results(0b111000);
    calculate5_slot();
}

// Nothing turns red on this tab: a bad impedance shows in the error label alone. An input
// written with i or j makes all three results complex texts.
void ohmara::calculate5_slot()
{
    QString texts[6];
    for (int i = 0; i < 6; ++i)
        texts[i] = m_delta_star->fields()[i]->text();
    int kinds = 0;
    const int failures = read_complex_inputs(texts, m_direction, m_delta_star_values, kinds);
    if (!m_delta_star->report_inputs(failures == 0))
        return;
    const DeltaStar out = delta_star(m_direction, m_delta_star_values);
    if (out.kind == DeltaStar::Kind::Message)
        m_delta_star->write(0, out.message);
    if (out.kind != DeltaStar::Kind::Answer)
        return;
    for (int k = 0; k < 3; ++k) {
        const Complex z = out.values[k];
        m_delta_star_values[out.first + k] = z;
        char text[2 * FORMAT_BUFFER_SIZE];
        m_delta_star->write(out.first + k, kinds > 1 ? format_complex(text, z, m_digits)
                                                     : format_value(text, z.re, m_digits));
    }
}

void ohmara::calc_type6_slot(int circuit)
{
    ui->figure_stack6->setCurrentIndex(circuit);
    m_circuit = circuit;
    if (circuit == RLC_SERIES)
        m_rlc_masks = SERIES_MASKS;
    else if (circuit == RLC_PARALLEL || circuit == RLC_L_R_PARALLEL_C)
        m_rlc_masks = OTHER_MASKS;
    select_rlc_unknown(m_rlc->unknown());
    calculate6_slot();
}

void ohmara::select_rlc_unknown(int m)
{
    m_rlc->select_masked(m, m_rlc_masks[m]);
    calculate6_slot();
}

void ohmara::Radio60_slot() { select_rlc_unknown(0); }
void ohmara::Radio61_slot() { select_rlc_unknown(1); }
void ohmara::Radio62_slot() { select_rlc_unknown(2); }
void ohmara::Radio63_slot() { select_rlc_unknown(3); }
void ohmara::Radio64_slot() { select_rlc_unknown(4); }

void ohmara::calculate6_slot()
{
    if (!m_rlc->report_inputs(m_rlc->read_real_inputs(4, &m_rlc_z)))
        return;
    const std::vector<double> &v = m_rlc->values();
    RlcValues values{v[0], v[1], v[2], v[3], m_rlc_z};
    const RlcResult out = solve_rlc(m_circuit, m_rlc->unknown(), values, m_digits);
    const double stored[] = {values.r, values.l, values.c, values.f};
    for (int i = 0; i < 4; ++i)
        m_rlc->store(i, stored[i]);
    m_rlc_z = values.z;
    if (out.solved)
        m_rlc->write(m_rlc->unknown(), out.field);
    if (!out.panel)
        return;
    ui->calc6_text->clear();
    for (const char *line : out.lines)
        ui->calc6_text->appendPlainText(QString::fromLatin1(line));
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

std::string latin1(const QLineEdit *field)
{
    return field->text().toLatin1().toStdString();
}

void fill(QLineEdit *field, const LoadedText &line)
{
    if (line.present)
        field->setText(QString::fromLatin1(line.text.data(), qsizetype(line.text.size())));
}

} // namespace

void ohmara::fwrite_slot()
{
    const QString name = m_file_name(true);
    if (name.isEmpty())
        return;
    Calculation c;
    for (int t = 0; t < 5; ++t) {
        c.unknowns[t] = m_forms[t]->unknown();
        for (const QLineEdit *field : m_forms[t]->fields())
            c.fields[t].push_back(latin1(field));
    }
    c.unknowns[5] = m_direction;
    for (const QLineEdit *field : m_delta_star->fields())
        c.fields[5].push_back(latin1(field));
    const int n = m_network->size();
    c.network_size = n;
    for (int r = 0; r < n; ++r) {
        for (int col = 0; col < n; ++col)
            c.matrix.push_back(latin1(m_network->matrix_cell(r, col)));
        c.vector_and_results.push_back(latin1(m_network->vector_cell(r)));
        c.vector_and_results.push_back(latin1(m_network->result_cell(r)));
    }
    // The name goes to the file system in its own encoding, so any name the dialog offers works.
    if (!write_calculation_file(QFile::encodeName(name).constData(), c))
        tell(QStringLiteral("Could not open '%1' for writing").arg(name));
}

void ohmara::fread_slot()
{
    const QString name = m_file_name(false);
    if (!name.isEmpty())
        load(name);
}

// Each tab as a user would redo it: choose the saved unknown, type the texts, recalculate.
void ohmara::load(const QString &name)
{
    const LoadedCalculation l =
        read_calculation_file(QFile::encodeName(name).constData(), m_network->size());
    if (l.status == LoadedCalculation::Status::CannotOpen) {
        tell(QStringLiteral("Could not open '%1' for reading").arg(name));
        return;
    }
    if (l.status == LoadedCalculation::Status::WrongVersion) {
        tell(QStringLiteral("'%1' has wrong version number").arg(name));
        return;
    }
    for (int t = 0; t < 5; ++t) {
        if (l.has_unknown[t]) {
            findChild<QRadioButton *>(QStringLiteral("Radio%1%2").arg(t).arg(l.unknowns[t]))
                ->setChecked(true);
            select_unknown(t, l.unknowns[t]);
        }
        for (size_t i = 0; i < l.fields[t].size(); ++i)
            fill(m_forms[t]->fields()[qsizetype(i)], l.fields[t][i]);
        calculate(t);
    }
    if (!l.network_read)
        return;
    if (l.has_network_size) {
        const int n = l.network_size;
        if (n != m_network->size())
            ui->sb_network->setValue(n);
        for (int r = 0; r < n; ++r) {
            for (int c = 0; c < n; ++c) {
                fill(m_network->matrix_cell(r, c), l.matrix[size_t(r * n + c)]);
                network_edit_slot(100 * r + c);
            }
            fill(m_network->vector_cell(r), l.vector_and_results[size_t(2 * r)]);
            fill(m_network->result_cell(r), l.vector_and_results[size_t(2 * r + 1)]);
        }
    }
    if (l.has_unknown[5]) {
        if (l.unknowns[5] == 0) {
            ui->Radio50->setChecked(true);
            Radio50_slot();
        } else {
            ui->Radio51->setChecked(true);
            Radio51_slot();
        }
    }
    for (size_t i = 0; i < l.fields[5].size(); ++i)
        fill(m_delta_star->fields()[qsizetype(i)], l.fields[5][i]);
    calculate5_slot();
}
