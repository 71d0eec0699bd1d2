#include "model/network_state.h"

#include "network/typed_system.h"
#include "numbers/parse.h"

namespace {

const int VECTOR_ID = 10000;
const char *const STATUS_START_TEXT = "Solve impedance network";

} // namespace

CellId CellId::from_mapped(int id)
{
    if (id >= VECTOR_ID)
        return {Column::Vector, id - VECTOR_ID};
    return {Column::Matrix, id / 100, id % 100};
}

int CellId::mapped() const
{
    return column == Column::Matrix ? 100 * row + col : VECTOR_ID + row;
}

NetworkState::NetworkState()
    : m_status(QString::fromLatin1(STATUS_START_TEXT))
{}

FieldState &NetworkState::slot(CellId id)
{
    switch (id.column) {
    case CellId::Column::Matrix: return m_cells[id.row][id.col];
    case CellId::Column::Vector: return m_vector[id.row];
    case CellId::Column::Result: break;
    }
    return m_results[id.row];
}

NetworkChange NetworkState::fill(CellId id, const QString &text)
{
    slot(id).text = text;
    NetworkChange change;
    change.texts.push_back(id);
    return change;
}

void NetworkState::resize(int n)
{
    if (n < 0 || n > MAX)
        return;
    // What leaves the grid is gone; what comes back starts empty.
    for (int r = 0; r < MAX; ++r) {
        for (int c = 0; c < MAX; ++c) {
            if (r >= n || c >= n)
                m_cells[r][c] = FieldState();
        }
        if (r >= n) {
            m_vector[r] = FieldState();
            m_results[r] = FieldState();
        } else if (r >= m_n) {
            m_results[r].look = Look::Result;
            m_results[r].read_only = true;
        }
    }
    if (n != m_n)
        m_names.clear();
    m_n = n;
}

NetworkChange NetworkState::check(CellId id)
{
    NetworkChange change;
    if (id.row < 0 || id.row >= m_n || id.column == CellId::Column::Result
        || (id.column == CellId::Column::Matrix && (id.col < 0 || id.col >= m_n)))
        return change;
    FieldState &f = slot(id);
    Complex z{};
    f.look = parse_value(f.text, z) != KIND_INVALID ? Look::Input : Look::Bad;
    change.looks.push_back(id);
    return change;
}

NetworkChange NetworkState::fill_empty_with_zero()
{
    NetworkChange change;
    const QString zero = QStringLiteral("0");
    for (int r = 0; r < m_n; ++r) {
        for (int c = 0; c < m_n; ++c) {
            if (m_cells[r][c].text.isEmpty()) {
                m_cells[r][c].text = zero;
                change.texts.push_back({CellId::Column::Matrix, r, c});
            }
        }
        if (m_vector[r].text.isEmpty()) {
            m_vector[r].text = zero;
            change.texts.push_back({CellId::Column::Vector, r});
        }
    }
    return change;
}

NetworkChange NetworkState::solve()
{
    NetworkChange change;
    const TypedSolve solved = solve_typed_system(m_system, m_n,
        [this](int r, int c) { return c < m_n ? m_cells[r][c].text : m_vector[r].text; });
    m_status = solved.message;
    change.status = true;
    if (solved.result != TypedSolve::Result::Solved)
        return change;
    for (int r = 0; r < m_n; ++r) {
        m_results[r].text = unknown_text(m_system.solver_vector[r]);
        change.texts.push_back({CellId::Column::Result, r});
    }
    return change;
}
