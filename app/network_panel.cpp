#include "app/network_panel.h"

#include "app/typing.h"

#include "app/looks.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSignalMapper>
#include <QWidget>

NetworkPanel::NetworkPanel(QObject *owner, QGridLayout *grid, QLabel *status)
    : m_grid(grid)
    , m_status(status)
    , m_mapper(new QSignalMapper(owner))
{
    // The grid's contents stay anchored at the top left while the size changes, so a step of
    // the size box repaints only the cells it adds or moves, not all 460.
    if (QWidget *host = grid->parentWidget()) {
        host->setAttribute(Qt::WA_StaticContents);
        if (QWidget *area = host->parentWidget())
            area->setAttribute(Qt::WA_StaticContents);
    }
}

QLabel *NetworkPanel::label(QLabel *&slot, const QString &text, int width, Qt::Alignment align)
{
    if (!slot) {
        slot = new QLabel(text, m_grid->parentWidget());
        slot->setFixedSize(width, 20);
        slot->setAlignment(align | Qt::AlignVCenter);
    }
    return slot;
}

QLineEdit *NetworkPanel::cell(QLineEdit *&slot, int width)
{
    if (!slot) {
        slot = new QLineEdit(m_grid->parentWidget());
        slot->setFixedSize(width, 20);
        limit_typing(slot);
    }
    return slot;
}

// A cell reports its id whenever it is left, for as long as it lives: its mapping goes with it.
void NetworkPanel::report_leaving(QLineEdit *cell, CellId id)
{
    QObject::connect(cell, &QLineEdit::editingFinished, m_mapper, qOverload<>(&QSignalMapper::map));
    m_mapper->setMapping(cell, id.mapped());
}

void NetworkPanel::destroy(QWidget *&slot)
{
    if (!slot)
        return;
    m_grid->removeWidget(slot);
    delete slot;
    slot = nullptr;
}

void NetworkPanel::resize(const NetworkState &state)
{
    const int n = state.size();
    // The layout waits until the grid is whole again: showing a cell into an active layout
    // lays out every cell at once, which made building a row quadratic.
    m_grid->setEnabled(false);
    QWidget *host = m_grid->parentWidget();
    const bool visible = host && host->isVisible();

    // A widget already in the grid keeps its place unless the size moved its column: the
    // coefficients, row numbers and headers stay where they are, the columns right of them
    // move with the size.
    const bool moved = n != m_n;
    // A new widget joins the grid; one whose column moved keeps its layout item and only
    // changes cell, so the layout need not measure it again.
    const auto place = [this, visible](QWidget *w, bool fresh, bool move, int row, int column) {
        if (!fresh) {
            const int index = move ? m_grid->indexOf(w) : -1;
            if (index >= 0)
                m_grid->addItem(m_grid->takeAt(index), row, column);
            return;
        }
        m_grid->addWidget(w, row, column);
        // New children of a visible grid wait to be shown; shown now, while the layout waits,
        // rather than one by one from the event queue. Under a hidden grid they show with it.
        if (visible && w->isHidden())
            w->show();
    };
    int g = 0;
    int h = 0;
    for (int r = 0; r < n; ++r) {
        // A header row before rows 0, 7 and 14 keeps the column numbers in sight.
        if (r % 7 == 0) {
            for (int c = 0; c < n; ++c) {
                const bool fresh = !m_headers[h][c];
                place(label(m_headers[h][c], QString::number(c), 80, Qt::AlignHCenter), fresh,
                    false, g, c + 1);
            }
            ++h;
            ++g;
        }
        const bool fresh_row = !m_row_labels[r];
        place(
            label(m_row_labels[r], QString::number(r), 20, Qt::AlignRight), fresh_row, false, g, 0);
        for (int c = 0; c < n; ++c) {
            const bool fresh = !m_cells[r][c];
            QLineEdit *e = cell(m_cells[r][c], 80);
            place(e, fresh, false, g, c + 1);
            if (fresh)
                report_leaving(e, CellId{CellId::Column::Matrix, r, c});
        }
        place(label(m_vec_labels[r], QStringLiteral("Vec:%1").arg(r), 35, Qt::AlignRight),
            fresh_row, moved, g, n + 2);
        if (!m_vector[r]) {
            report_leaving(cell(m_vector[r], 80), CellId{CellId::Column::Vector, r});
            cell(m_results[r], 160);
            show_look(m_results[r], state.cell({CellId::Column::Result, r}));
        }
        place(m_vector[r], fresh_row, moved, g, n + 3);
        place(m_results[r], fresh_row, moved, g, n + 4);
        if (size_t(r) < state.names().size()) {
            const bool fresh = !m_names[r];
            QLabel *name = label(m_names[r], QString(), 80, Qt::AlignLeft);
            name->setText(state.names()[size_t(r)]);
            place(name, fresh, fresh_row || moved, g, n + 5);
        }
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
        if (m_names[k] && size_t(k) >= state.names().size())
            gone(m_names[k]);
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
    m_grid->setEnabled(true);
    m_grid->activate();
}

QLineEdit *NetworkPanel::widget(CellId id) const
{
    switch (id.column) {
    case CellId::Column::Matrix: return m_cells[id.row][id.col];
    case CellId::Column::Vector: return m_vector[id.row];
    case CellId::Column::Result: break;
    }
    return m_results[id.row];
}

void NetworkPanel::hand_over(CellId id, NetworkState &state) const
{
    if (const QLineEdit *e = widget(id))
        state.type(id, e->text());
}

void NetworkPanel::hand_over(NetworkState &state) const
{
    for (int r = 0; r < m_n; ++r) {
        for (int c = 0; c < m_n; ++c)
            hand_over({CellId::Column::Matrix, r, c}, state);
        hand_over({CellId::Column::Vector, r}, state);
        hand_over({CellId::Column::Result, r}, state);
    }
}

void NetworkPanel::show(const NetworkState &state, const NetworkChange &change)
{
    for (const CellId &id : change.texts) {
        if (QLineEdit *e = widget(id))
            e->setText(state.cell(id).text);
    }
    for (const CellId &id : change.looks) {
        if (QLineEdit *e = widget(id))
            e->setStyleSheet(style_sheet(state.cell(id).look));
    }
    if (change.status)
        m_status->setText(state.status());
}
