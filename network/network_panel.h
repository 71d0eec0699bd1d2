#pragma once

#include "network/solver.h"

#include <Qt>
#include <QString>

class QGridLayout;
class QLabel;
class QLineEdit;
class QObject;
class QSignalMapper;
class QWidget;

// The grid of equations on the Ohm's-law tab: N x N coefficient cells, a right-hand side and
// a result cell per row, built on demand and solved on request. Widgets are created when first
// needed and keep their text while they stay inside the size.
class NetworkPanel
{
    Q_DISABLE_COPY_MOVE(NetworkPanel)

public:
    // owner parents the signal mapper; grid receives every widget; status shows the outcome.
    NetworkPanel(QObject *owner, QGridLayout *grid, QLabel *status);

    int size() const { return m_n; }
    // The mapper of the current grid, which reports the id of every cell left; null at size 0.
    QSignalMapper *mapper() const { return m_mapper; }

    QLineEdit *matrix_cell(int r, int c) const { return m_cells[r][c]; }
    QLineEdit *vector_cell(int r) const { return m_vector[r]; }
    QLineEdit *result_cell(int r) const { return m_results[r]; }

    void resize(int n);
    // id 100 r + c names matrix cell (r, c); 10000 + r names vector cell r.
    void check(int id);
    void fill_empty_with_zero();
    void solve();

private:
    static constexpr int MAX = SOLVER_MAX_N;
    static constexpr int HEADER_ROWS = 4;

    QLabel *label(QLabel *&slot, const QString &text, int width, Qt::Alignment align);
    QLineEdit *cell(QLineEdit *&slot, int width);
    void destroy(QWidget *&slot);

    QObject *m_owner;
    QGridLayout *m_grid;
    QLabel *m_status;
    int m_n = 0;
    QSignalMapper *m_mapper = nullptr;
    QLabel *m_headers[HEADER_ROWS][MAX] = {};
    QLabel *m_row_labels[MAX] = {};
    QLabel *m_vec_labels[MAX] = {};
    QLineEdit *m_cells[MAX][MAX] = {};
    QLineEdit *m_vector[MAX] = {};
    QLineEdit *m_results[MAX] = {};
    LinearSystem m_system{};
};
