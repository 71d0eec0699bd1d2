#pragma once

#include "network/netlist.h"

#include <QDialog>

#include <functional>

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
    void solve();

    Ui::NetlistDialog *ui;
    std::function<QString()> m_file_name;
    NodalEquations m_equations;
};
