#pragma once

#include "model/network_state.h"

#include <Qt>
#include <QString>

class QGridLayout;
class QLabel;
class QLineEdit;
class QObject;
class QSignalMapper;
class QStyle;
class QWidget;

// The widgets of the equation grid on the Ohm's-law tab: N x N coefficient cells, a
// right-hand side and a result cell per row, built when the size asks for them. What the cells
// mean is the grid's state; the panel shows it and hands back what the user typed.
class NetworkPanel
{
    Q_DISABLE_COPY_MOVE(NetworkPanel)

public:
    // owner parents the signal mapper; grid receives every widget; status shows the outcome;
    // cell_style, where there is one, draws the cells (else the application's style does).
    NetworkPanel(QObject *owner, QGridLayout *grid, QLabel *status, QStyle *cell_style);

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

    // A place of the grid: the widget shown there, or the one kept for when the size brings
    // the place back.
    template<typename Widget>
    struct Slot
    {
        Widget *shown = nullptr;
        Widget *spare = nullptr;
    };

    // The widget shown in slot; when there is none, the spare or else a new one. A new cell
    // reports leaving with the id given.
    QLabel *label(Slot<QLabel> &slot, const QString &text, int width, Qt::Alignment align);
    QLineEdit *cell(Slot<QLineEdit> &slot, int width, const CellId *leaving);
    void report_leaving(QLineEdit *cell, CellId id);
    // Takes w out of the grid; the widget to keep for later, or none. It waits as a new one
    // would, or with its look (style sheet, read-only and enabled flags) as it was.
    QWidget *park(QWidget *w, bool keep_look = false);
    // The slot's widget leaves the grid and waits as its spare.
    template<typename Widget>
    void leave(Slot<Widget> &slot, bool keep_look = false);

    QGridLayout *m_grid;
    QLabel *m_status;
    int m_n = 0;
    QSignalMapper *m_mapper;
    QStyle *m_cell_style; // the cells' own, where they have one
    Slot<QLabel> m_headers[HEADER_ROWS][MAX];
    Slot<QLabel> m_row_labels[MAX];
    Slot<QLabel> m_vec_labels[MAX];
    Slot<QLabel> m_names[MAX]; // beside the results, only for equations from a netlist
    Slot<QLineEdit> m_cells[MAX][MAX];
    Slot<QLineEdit> m_vector[MAX];
    Slot<QLineEdit> m_results[MAX];
};
