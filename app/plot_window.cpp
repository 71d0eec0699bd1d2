#include "app/plot_window.h"

#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QEvent>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineSeries>
#include <QLogValueAxis>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QSaveFile>
#include <QSvgGenerator>
#include <QValueAxis>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace {

QString number(double x)
{
    return QString::number(x, 'g', 6);
}

QString unit_text(const ResponseCurve &curve)
{
    return curve.magnitude_unit == QLatin1String("ohm") ? QStringLiteral("\u03a9") : curve.magnitude_unit;
}

// A logarithmic axis where every value is above zero, a linear one otherwise.
QAbstractAxis *magnitude_axis(const ResponseCurve &curve, double low, double high)
{
    if (!curve.magnitude_in_db && low > 0) {
        auto *axis = new QLogValueAxis;
        axis->setBase(10);
        axis->setLabelFormat(QStringLiteral("%g"));
        axis->setMinorTickCount(8);
        axis->setRange(std::pow(10.0, std::floor(std::log10(low))), std::pow(10.0, std::ceil(std::log10(high))));
        return axis;
    }
    auto *axis = new QValueAxis;
    axis->setRange(low, high > low ? high : low + 1);
    axis->applyNiceNumbers();
    return axis;
}

} // namespace

PlotWindow::PlotWindow(QWidget *parent, const QString &title, Source source)
    : QWidget(parent, Qt::Window)
    , m_source(std::move(source))
    , m_chart(new QChart)
    , m_view(new QChartView(m_chart))
    , m_choice(new QComboBox)
    , m_readout(new QLabel)
    , m_error(new QLabel)
{
    setWindowTitle(title);
    setObjectName(QStringLiteral("plot_window"));
    m_view->setObjectName(QStringLiteral("plot_view"));
    m_view->setRenderHint(QPainter::Antialiasing);
    m_view->viewport()->setMouseTracking(true);
    m_view->viewport()->installEventFilter(this);
    m_choice->setObjectName(QStringLiteral("plot_choice"));
    m_readout->setObjectName(QStringLiteral("plot_readout"));
    m_readout->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_error->setObjectName(QStringLiteral("plot_error"));
    m_error->setWordWrap(true);
    m_error->setStyleSheet(QStringLiteral("color: #000; background-color: #FF8080; padding: 4px"));

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_choice);
    buttons->addWidget(m_readout, 1);
    for (const char *kind : {"PNG", "SVG", "CSV"}) {
        auto *b = new QPushButton(QStringLiteral("%1\u2026").arg(QLatin1String(kind)));
        b->setObjectName(QStringLiteral("plot_export_%1").arg(QString::fromLatin1(kind).toLower()));
        b->setToolTip(QStringLiteral("Save the plot as %1").arg(QLatin1String(kind)));
        const QString k = QString::fromLatin1(kind);
        connect(b, &QPushButton::clicked, this, [this, k] { export_as(k); });
        buttons->addWidget(b);
    }
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_error);
    layout->addWidget(m_view, 1);
    layout->addLayout(buttons);
    connect(m_choice, &QComboBox::currentIndexChanged, this, [this](int i) {
        if (i >= 0 && size_t(i) < m_curves.size()) {
            m_curve = m_curves[size_t(i)];
            draw();
        }
    });
    m_file_name = [this](const QString &filter) {
        return QFileDialog::getSaveFileName(this, QStringLiteral("Export"), QString(), filter);
    };
    resize(640, 420);
    refresh();
}

void PlotWindow::refresh()
{
    m_curves = m_source();
    const bool first = m_choice->count() == 0 || m_choice->itemText(0).isEmpty();
    const int previous = m_choice->currentIndex();
    {
        const QSignalBlocker quiet(m_choice);
        m_choice->clear();
        for (const ResponseCurve &c : m_curves)
            m_choice->addItem(c.magnitude_name);
        // The first time a netlist is drawn, its output if it names one.
        const int chosen = first ? m_choice->findText(QStringLiteral("V(out)")) : previous;
        m_choice->setCurrentIndex(std::min(std::max(chosen, 0), int(m_curves.size()) - 1));
    }
    m_choice->setVisible(m_curves.size() > 1);
    m_curve = m_curves.empty() ? ResponseCurve() : m_curves[size_t(std::max(0, m_choice->currentIndex()))];
    draw();
}

void PlotWindow::draw()
{
    // The chart's own theme follows the palette, so the plot reads in dark desktops too.
    const bool dark = palette().color(QPalette::Window).lightness() < 128;
    m_chart->setTheme(dark ? QChart::ChartThemeDark : QChart::ChartThemeLight);
    m_chart->removeAllSeries();
    for (QAbstractAxis *axis : m_chart->axes()) {
        m_chart->removeAxis(axis);
        delete axis;
    }
    m_error->setText(m_curve.error);
    m_error->setVisible(!m_curve.error.isEmpty());
    m_readout->clear();
    if (!m_curve.error.isEmpty() || m_curve.points.empty())
        return;
    const std::vector<ResponsePoint> &points = m_curve.points;
    double low = points.front().magnitude, high = low, phase_low = points.front().phase_deg, phase_high = phase_low;
    for (const ResponsePoint &p : points) {
        low = std::min(low, p.magnitude);
        high = std::max(high, p.magnitude);
        phase_low = std::min(phase_low, p.phase_deg);
        phase_high = std::max(phase_high, p.phase_deg);
    }

    auto *frequency = new QLogValueAxis;
    frequency->setBase(10);
    frequency->setLabelFormat(QStringLiteral("%g"));
    frequency->setMinorTickCount(8);
    frequency->setTitleText(QStringLiteral("Frequency (Hz)"));
    frequency->setRange(points.front().frequency, points.back().frequency);
    m_chart->addAxis(frequency, Qt::AlignBottom);
    QAbstractAxis *magnitude = magnitude_axis(m_curve, low, high);
    magnitude->setTitleText(QStringLiteral("%1 (%2)").arg(m_curve.magnitude_name, unit_text(m_curve)));
    m_chart->addAxis(magnitude, Qt::AlignLeft);
    auto *phase = new QValueAxis;
    phase->setTitleText(QStringLiteral("Phase (\u00b0)"));
    phase->setRange(std::min(-90.0, std::floor(phase_low / 45) * 45), std::max(90.0, std::ceil(phase_high / 45) * 45));
    phase->setTickCount(int((phase->max() - phase->min()) / 45) + 1);
    phase->setLabelFormat(QStringLiteral("%d"));
    m_chart->addAxis(phase, Qt::AlignRight);

    auto *m = new QLineSeries;
    m->setName(m_curve.magnitude_name);
    auto *p = new QLineSeries;
    p->setName(QStringLiteral("Phase"));
    for (const ResponsePoint &point : points) {
        m->append(point.frequency, point.magnitude);
        p->append(point.frequency, point.phase_deg);
    }
    // A series joins the chart in its line style (after the theme gave it its colour) and
    // on its two axes.
    const auto add = [this, frequency](QLineSeries *series, Qt::PenStyle style, QAbstractAxis *y) {
        m_chart->addSeries(series);
        QPen pen = series->pen();
        pen.setStyle(style);
        series->setPen(pen);
        series->attachAxis(frequency);
        series->attachAxis(y);
    };
    add(m, Qt::SolidLine, magnitude);
    add(p, Qt::DashLine, phase);
    if (std::isfinite(m_curve.marked) && m_curve.marked >= points.front().frequency && m_curve.marked <= points.back().frequency) {
        auto *mark = new QLineSeries;
        mark->setName(QStringLiteral("%1 = %2 Hz").arg(m_curve.marked_name, number(m_curve.marked)));
        mark->append(m_curve.marked, phase->min());
        mark->append(m_curve.marked, phase->max());
        add(mark, Qt::DotLine, phase);
    }
}

QString PlotWindow::readout_at(double frequency) const
{
    const std::vector<ResponsePoint> &points = m_curve.points;
    if (points.empty() || !(frequency > 0))
        return {};
    const auto nearest = std::min_element(points.begin(), points.end(), [frequency](const ResponsePoint &a, const ResponsePoint &b) {
        return std::abs(std::log(a.frequency / frequency)) < std::abs(std::log(b.frequency / frequency));
    });
    // Hundredths of a degree, as the panel shows them; a rounding residue reads as 0.
    const double phase = std::abs(nearest->phase_deg) < 0.005 ? 0.0 : nearest->phase_deg;
    return QStringLiteral("f = %1 Hz   %2 = %3 %4   phase = %5\u00b0")
        .arg(number(nearest->frequency), m_curve.magnitude_name, number(nearest->magnitude), unit_text(m_curve),
             QString::number(phase, 'f', 2));
}

bool PlotWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_view->viewport() && event->type() == QEvent::MouseMove && !m_chart->series().isEmpty()) {
        const QPointF at = m_chart->mapToValue(m_view->mapToScene(static_cast<QMouseEvent *>(event)->position().toPoint()),
                                               m_chart->series().front());
        m_readout->setText(m_chart->plotArea().contains(m_view->mapToScene(static_cast<QMouseEvent *>(event)->position().toPoint()))
                               ? readout_at(at.x()) : QString());
    }
    return QWidget::eventFilter(watched, event);
}

void PlotWindow::export_as(const QString &kind)
{
    const QString suffix = kind.toLower();
    QString name = m_file_name(QStringLiteral("%1 (*.%2)").arg(kind, suffix));
    if (name.isEmpty())
        return;
    if (QFileInfo(name).suffix().isEmpty())
        name += QLatin1Char('.') + suffix;
    QString problem;
    if (kind == QLatin1String("PNG")) {
        if (!m_view->grab().save(name, "PNG"))
            problem = QStringLiteral("the image could not be written");
    } else if (kind == QLatin1String("SVG")) {
        QSvgGenerator svg;
        svg.setFileName(name);
        svg.setSize(m_view->size());
        svg.setViewBox(QRect(QPoint(0, 0), m_view->size()));
        svg.setTitle(windowTitle());
        QPainter painter;
        if (!painter.begin(&svg))
            problem = QStringLiteral("the drawing could not be written");
        else
            m_view->render(&painter);
    } else {
        QSaveFile file(name);
        const std::string csv = response_csv({m_curve});
        if (!file.open(QIODevice::WriteOnly) || file.write(csv.data(), qint64(csv.size())) != qint64(csv.size()) || !file.commit())
            problem = file.errorString();
    }
    if (!problem.isEmpty())
        QMessageBox::warning(this, windowTitle(), QStringLiteral("Could not write '%1': %2").arg(name, problem));
}

// What the program finds when it loads this module.
extern "C" Q_DECL_EXPORT QWidget *ohmara_new_plot_window(QWidget *parent, const QString &title, const PlotSource &source)
{
    return new PlotWindow(parent, title, source);
}
