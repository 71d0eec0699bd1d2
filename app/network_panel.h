#pragma once

#include "model/network_state.h"

#include <Qt>
#include <QString>

class QGridLayout;
class QLabel;
class QLineEdit;
class QObject;
class QSignalMapper;
class QWidget;

// The widgets of the equation grid on the Ohm's-law tab: N x N coefficient cells, a
// right-hand side and a result cell per row, built when the size asks for them. What the cells
// mean is the grid's state; the panel shows it and hands back what the user typed.
class NetworkPanel
{
    Q_DISABLE_COPY_MOVE(NetworkPanel)

public:
    // owner parents the signal mapper; grid receives every widget; status shows the outcome.
    NetworkPanel(QObject *owner, QGridLayout *grid, QLabel *status);

    int size() const { return m_n; }
    // Reports the id of every cell left.
    QSignalMapper *mapper() const { return m_mapper; }

    QLineEdit *widget(CellId id) const;

    // Builds or removes widgets until the panel shows the state's size, and the unknowns'
    // names when the state has them.
    void resize(const NetworkState &state);
    // What the user typed into the cell, or into every cell, goes to the state.
    void hand_over(CellId id, NetworkState &state) const;
    void hand_over(NetworkState &state) const;
    void show(const NetworkState &state, const NetworkChange &change);

private:
    static constexpr int MAX = NetworkState::MAX;
    static constexpr int HEADER_ROWS = 4;

    // The widget in slot; when the slot is empty, the one in spare or else a new one. A new
    // cell reports leaving with the id given.
    QLabel *label(QLabel *&slot, QLabel *&spare, const QString &text, int width, Qt::Alignment align);
    QLineEdit *cell(QLineEdit *&slot, QLineEdit *&spare, int width, const CellId *leaving);
    void report_leaving(QLineEdit *cell, CellId id);
    // Takes w out of the grid; the widget to keep for later, or none.
    QWidget *park(QWidget *w);

    QGridLayout *m_grid;
    QLabel *m_status;
    int m_n = 0;
    QSignalMapper *m_mapper;
    QLabel *m_headers[HEADER_ROWS][MAX] = {};
    QLabel *m_row_labels[MAX] = {};
    QLabel *m_vec_labels[MAX] = {};
    QLabel *m_names[MAX] = {}; // beside the results, only for equations from a netlist
    QLineEdit *m_cells[MAX][MAX] = {};
    QLineEdit *m_vector[MAX] = {};
    QLineEdit *m_results[MAX] = {};
    // Widgets out of the grid, kept for when the size brings their places back.
    QLabel *m_spare_headers[HEADER_ROWS][MAX] = {};
    QLabel *m_spare_row_labels[MAX] = {};
    QLabel *m_spare_vec_labels[MAX] = {};
    QLabel *m_spare_names[MAX] = {};
    QLineEdit *m_spare_cells[MAX][MAX] = {};
    QLineEdit *m_spare_vector[MAX] = {};
    QLineEdit *m_spare_results[MAX] = {};
};
