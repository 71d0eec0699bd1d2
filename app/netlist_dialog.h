#pragma once

#include "network/netlist.h"

#include <QDialog>
#include <QPointer>

#include <functional>

class QTimer;

namespace Ui {
class NetlistDialog;
}

// Where the user types, pastes or opens a netlist. Solve closes it only when the netlist's
// equations fit the grid; otherwise it says what is wrong and keeps the text for mending.
class NetlistDialog : public QDialog
{
    Q_OBJECT

public:
    // file_name asks the user for a netlist file to open; empty when none was chosen.
    NetlistDialog(QWidget *parent, const QString &text, std::function<QString()> file_name);
    ~NetlistDialog() override;

    QString text() const;
    // The equations of an accepted netlist.
    const NodalEquations &equations() const { return m_equations; }

private:
    void open_file();
    void plot();
    // The curves of the netlist as typed: one per unknown over its .ac sweep.
    std::vector<ResponseCurve> curves() const;
    void solve();

    Ui::NetlistDialog *ui;
    std::function<QString()> m_file_name;
    NodalEquations m_equations;
    QPointer<QWidget> m_plot;
    // Typing redraws the plot once it pauses, not at every key.
    QTimer *m_redraw;
};
