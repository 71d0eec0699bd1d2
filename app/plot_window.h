#pragma once

#include "app/plot_loader.h"
#include "calculators/response.h"

#include <QWidget>

#include <functional>

class QChart;
class QChartView;
class QComboBox;
class QLabel;
class QLineSeries;
class QAbstractAxis;

// A frequency response beside the main window: magnitude and phase over a logarithmic
// frequency axis, the corner or resonance marked, the values under the mouse read out, and
// exports as PNG, SVG and CSV. It draws what its source computes whenever told to refresh,
// so it follows the tab it belongs to.
class Q_DECL_EXPORT PlotWindow : public QWidget
{
    Q_OBJECT

public:
    // The curves to choose from (one for a tab, one per unknown for a netlist), recomputed
    // on every refresh.
    using Source = PlotSource;
    PlotWindow(QWidget *parent, const QString &title, Source source);

public slots:
    void refresh();

public:
    // Where exports go: a file dialog, unless a test puts something else here. An empty
    // name cancels.
    using FileNameSource = std::function<QString(const QString &filter)>;
    void set_file_name_source(FileNameSource source) { m_file_name = std::move(source); }

    // The readout for the point nearest a frequency, as the mouse shows it.
    QString readout_at(double frequency) const;
    const ResponseCurve &curve() const { return m_curve; }

private:
    void draw();
    void export_as(const QString &kind);
    bool eventFilter(QObject *watched, QEvent *event) override;

    Source m_source;
    std::vector<ResponseCurve> m_curves;
    ResponseCurve m_curve;
    FileNameSource m_file_name;
    QChart *m_chart;
    QChartView *m_view;
    QComboBox *m_choice;
    QLabel *m_readout;
    QLabel *m_error;
};
