#include "app/netlist_dialog.h"

#include "app/plot_loader.h"
#include "model/network_state.h"
#include "ui_netlist_dialog.h"

#include <QFile>
#include <QFontDatabase>
#include <QTimer>

namespace {

// A netlist far larger than anyone types; opening stops there.
constexpr qint64 OPEN_LIMIT = qint64(4) << 20;
// More frequencies than a chart has pixels to show them.
constexpr int PLOT_MAX_POINTS = 5000;

} // namespace

NetlistDialog::NetlistDialog(QWidget *parent, const QString &text, std::function<QString()> file_name)
    : QDialog(parent)
    , ui(new Ui::NetlistDialog)
    , m_file_name(std::move(file_name))
    , m_redraw(new QTimer(this))
{
    ui->setupUi(this);
    ui->netlist_text->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    ui->netlist_text->setPlainText(text);
    // Its own background, so the message reads in light and dark palettes alike.
    ui->netlist_error->setStyleSheet(QStringLiteral("QLabel { background-color: #FFD8D8; color: #000000; padding: 2px }"));
    ui->netlist_error->hide();
    connect(ui->netlist_open, &QPushButton::clicked, this, &NetlistDialog::open_file);
    connect(ui->netlist_solve, &QPushButton::clicked, this, &NetlistDialog::solve);
    connect(ui->netlist_close, &QPushButton::clicked, this, &QDialog::reject);
    connect(ui->netlist_plot, &QPushButton::clicked, this, &NetlistDialog::plot);
    m_redraw->setSingleShot(true);
    m_redraw->setInterval(300);
    connect(m_redraw, &QTimer::timeout, this, [this] {
        if (m_plot)
            refresh_plot_window(m_plot);
    });
    connect(ui->netlist_text, &QPlainTextEdit::textChanged, m_redraw, qOverload<>(&QTimer::start));
}

std::vector<ResponseCurve> NetlistDialog::curves() const
{
    const NetlistRead read = read_netlist(text().toStdString());
    ResponseCurve failed;
    failed.error = read.error;
    if (read.ok && !read.netlist.swept())
        failed.error = QStringLiteral("Give the netlist an .ac sweep to plot, as .ac dec 20 10 100k");
    // The window redraws as the text changes; a sweep far longer than a chart can show would
    // hold it up for seconds at every pause in typing.
    if (read.ok && read.netlist.swept() && read.netlist.sweep.points > PLOT_MAX_POINTS)
        failed.error = QStringLiteral("The plot draws at most %1 frequencies; ohmara-cli netlist prints a sweep of any length")
                           .arg(PLOT_MAX_POINTS);
    if (!failed.error.isEmpty())
        return {failed};
    const NetlistSweep sweep = sweep_netlist(read.netlist);
    if (!sweep.error.isEmpty()) {
        failed.error = sweep.error;
        return {failed};
    }
    std::vector<ResponseCurve> out;
    for (int i = 0; i < int(sweep.names.size()); ++i)
        out.push_back(netlist_response(sweep, i));
    return out;
}

void NetlistDialog::plot()
{
    if (!m_plot)
        m_plot = open_plot_window(this, QStringLiteral("Netlist - frequency response"), [this] { return curves(); });
    if (!m_plot)
        return;
    refresh_plot_window(m_plot);
    m_plot->show();
    m_plot->raise();
}

NetlistDialog::~NetlistDialog()
{
    delete ui;
}

QString NetlistDialog::text() const
{
    return ui->netlist_text->toPlainText();
}

void NetlistDialog::open_file()
{
    const QString name = m_file_name();
    if (name.isEmpty())
        return;
    QFile file(name);
    if (!file.open(QIODevice::ReadOnly)) {
        ui->netlist_error->setText(file.errorString());
        ui->netlist_error->show();
        return;
    }
    ui->netlist_text->setPlainText(QString::fromUtf8(file.read(OPEN_LIMIT)));
    ui->netlist_error->hide();
}

void NetlistDialog::solve()
{
    const NetlistRead read = read_netlist(text().toStdString());
    m_equations = read.ok ? nodal_equations(read.netlist) : NodalEquations{};
    QString error = !read.ok ? read.error : m_equations.error;
    if (error.isEmpty() && m_equations.size > NetworkState::MAX)
        error = grid_too_small_text(m_equations.size);
    if (error.isEmpty()) {
        accept();
        return;
    }
    ui->netlist_error->setText(error);
    ui->netlist_error->show();
}
