#pragma once

#include "calculators/response.h"

#include <QString>

#include <functional>
#include <vector>

class QWidget;

// The plot window lives in a module of its own (Qt Charts and its companions), loaded when
// the first plot opens: a start-up without plots neither loads nor relocates them.

// What a plot draws: the curves to choose from, recomputed on every refresh.
using PlotSource = std::function<std::vector<ResponseCurve>()>;

// A new plot window of owner's, beside it, deleted when closed; null once a message box has
// said why, when the module cannot be loaded.
QWidget *open_plot_window(QWidget *owner, const QString &title, const PlotSource &source);

// Redraws a plot window from its source.
void refresh_plot_window(QWidget *plot);

// The factory the module exports, by this name.
#define OHMARA_PLOT_FACTORY "ohmara_new_plot_window"
using PlotFactory = QWidget *(*)(QWidget *parent, const QString &title, const PlotSource &source);
