#include "network/network_panel.h"

#include "network/typed_system.h"
#include "numbers/parse.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSignalMapper>

namespace {

const char *const RESULT_STYLE = "QLineEdit { background-color: #FF8 }";
const int VECTOR_ID = 10000;

} // namespace

NetworkPanel::NetworkPanel(QObject *owner, QGridLayout *grid, QLabel *status)
    : m_owner(owner)
    , m_grid(grid)
    , m_status(status)
{}

QLabel *NetworkPanel::label(QLabel *&slot, const QString &text, int width, Qt::Alignment align)
{
    if (!slot) {
        slot = new QLabel(text);
        slot->setFixedSize(width, 20);
        slot->setAlignment(align | Qt::AlignVCenter);
    }
    return slot;
}

QLineEdit *NetworkPanel::cell(QLineEdit *&slot, int width)
{
    if (!slot) {
        slot = new QLineEdit;
        slot->setFixedSize(width, 20);
    }
    return slot;
}

void NetworkPanel::destroy(QWidget *&slot)
{
    if (!slot)
        return;
    m_grid->removeWidget(slot);
    delete slot;
    slot = nullptr;
}

void NetworkPanel::resize(int n)
{
    // A fresh mapper drops every old cell connection at once.
    if (m_n != 0 && m_mapper) {
        delete m_mapper;
        m_mapper = nullptr;
    }
    if (n != 0)
        m_mapper = new QSignalMapper(m_owner);

    int g = 0;
    int h = 0;
    for (int r = 0; r < n; ++r) {
        // A header row before rows 0, 7 and 14 keeps the column numbers in sight.
        if (r % 7 == 0) {
            for (int c = 0; c < n; ++c)
                m_grid->addWidget(label(m_headers[h][c], QString::number(c), 80, Qt::AlignHCenter),
                                  g, c + 1);
            ++h;
            ++g;
        }
        m_grid->addWidget(label(m_row_labels[r], QString::number(r), 20, Qt::AlignRight), g, 0);
        for (int c = 0; c < n; ++c) {
            QLineEdit *e = cell(m_cells[r][c], 80);
            m_grid->addWidget(e, g, c + 1);
            QObject::connect(e, &QLineEdit::editingFinished, m_mapper,
                             qOverload<>(&QSignalMapper::map));
            m_mapper->setMapping(e, 100 * r + c);
        }
        m_grid->addWidget(label(m_vec_labels[r], QStringLiteral("Vec:%1").arg(r), 35, Qt::AlignRight),
                          g, n + 2);
        if (!m_vector[r]) {
            cell(m_vector[r], 80);
            cell(m_results[r], 160);
            m_results[r]->setReadOnly(true);
            m_results[r]->setStyleSheet(QString::fromLatin1(RESULT_STYLE));
        }
        m_grid->addWidget(m_vector[r], g, n + 3);
        m_grid->addWidget(m_results[r], g, n + 4);
        QObject::connect(m_vector[r], &QLineEdit::editingFinished, m_mapper,
                         qOverload<>(&QSignalMapper::map));
        m_mapper->setMapping(m_vector[r], VECTOR_ID + r);
        ++g;
    }
    m_n = n;

    auto gone = [this](auto *&slot) {
        QWidget *w = slot;
        destroy(w);
        slot = nullptr;
    };
    for (int k = 0; k < MAX; ++k) {
        if (m_row_labels[k] && k >= m_n) {
            gone(m_row_labels[k]);
            gone(m_vec_labels[k]);
            gone(m_vector[k]);
            gone(m_results[k]);
        }
        if (k >= h && k < HEADER_ROWS) {
            for (QLabel *&header : m_headers[k])
                gone(header);
        }
        for (int c = 0; c < MAX; ++c) {
            if (k < HEADER_ROWS && m_headers[k][c] && c >= m_n)
                gone(m_headers[k][c]);
            if (m_cells[k][c] && (k >= m_n || c >= m_n))
                gone(m_cells[k][c]);
        }
    }
}

void NetworkPanel::check(int id)
{
    QLineEdit *e = id >= VECTOR_ID ? m_vector[id - VECTOR_ID] : m_cells[id / 100][id % 100];
    if (!e)
        return;
    Complex z{};
    const bool number = parse_value(e->text(), z) != KIND_INVALID;
    e->setStyleSheet(number ? QStringLiteral("QLineEdit { background-color: #FFF }")
                            : QStringLiteral("QLineEdit { background-color: #F88 }"));
}

void NetworkPanel::fill_empty_with_zero()
{
    for (int r = 0; r < m_n; ++r) {
        for (int c = 0; c < m_n; ++c) {
            if (m_cells[r][c]->text().isEmpty())
                m_cells[r][c]->setText(QStringLiteral("0"));
        }
        if (m_vector[r]->text().isEmpty())
            m_vector[r]->setText(QStringLiteral("0"));
    }
}

void NetworkPanel::solve()
{
    const TypedSolve solved = solve_typed_system(m_system, m_n,
        [this](int r, int c) { return (c < m_n ? m_cells[r][c] : m_vector[r])->text(); });
    m_status->setText(solved.message);
    if (solved.result != TypedSolve::Result::Solved)
        return;
    for (int r = 0; r < m_n; ++r)
        m_results[r]->setText(unknown_text(m_system.solver_vector[r]));
}
