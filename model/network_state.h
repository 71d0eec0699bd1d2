#pragma once

#include "model/tab_state.h"
#include "network/solver.h"

#include <QString>

#include <vector>

// Names one cell of the equation grid: coefficient (r, c), the right-hand side of row r, or
// the result of row r.
struct CellId
{
    enum class Column { Matrix, Vector, Result };

    Column column;
    int row;
    int col = 0;

    // The number the grid's signal mapper reports for a cell the user left: 100 r + c for a
    // coefficient, 10000 + r for a right-hand side.
    static CellId from_mapped(int id);
    int mapped() const;
};

// What a grid operation changed: the cells whose text was written, the cells repainted, and
// whether the status line was written.
struct NetworkChange
{
    std::vector<CellId> texts;
    std::vector<CellId> looks;
    bool status = false;
};

// The equation grid: up to 20 equations, each cell a field; the results column is read-only.
// A cell keeps its text while it stays inside the size; one that falls outside is gone.
class NetworkState
{
public:
    static constexpr int MAX = SOLVER_MAX_N;

    NetworkState();

    int size() const { return m_n; }
    const FieldState &cell(CellId id) const { return const_cast<NetworkState *>(this)->slot(id); }
    const QString &status() const { return m_status; }

    void type(CellId id, const QString &text) { slot(id).text = text; }
    NetworkChange fill(CellId id, const QString &text);

    // A size other than the current one forgets the unknowns' names.
    void resize(int n);
    // The names of the unknowns, one per row ("V(out)"), when the equations came from a
    // netlist; none otherwise.
    void set_names(const std::vector<QString> &names) { m_names = names; }
    const std::vector<QString> &names() const { return m_names; }
    // Paints a cell the user left: white when it holds a number, real or complex, red when not.
    NetworkChange check(CellId id);
    // Every empty coefficient and right-hand side becomes "0".
    NetworkChange fill_empty_with_zero();
    // Writes the status line, and the results when there is a solution; paints nothing.
    NetworkChange solve();

private:
    FieldState &slot(CellId id);

    int m_n = 0;
    FieldState m_cells[MAX][MAX];
    FieldState m_vector[MAX];
    FieldState m_results[MAX];
    QString m_status;
    LinearSystem m_system{};
    std::vector<QString> m_names;
};
