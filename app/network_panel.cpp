#include "app/network_panel.h"

#include "app/typing.h"

#include "app/looks.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QFocusEvent>
#include <QGridLayout>
#include <QLabel>
#include <QInputDevice>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QSignalMapper>
#include <QWidget>

#include <algorithm>
#include <utility>
#include <vector>

namespace {

// A widget shown posts itself an update, and the repaint manager checks each one against every
// sibling above it: showing hundreds of cells at once cost a quarter of building the grid. One
// that lies outside the part of the grid its scroll area shows has nothing to paint; scrolling
// it into view paints it.
bool update_unseen(const QWidget *w, const QEvent *e)
{
    if (e->type() != QEvent::UpdateLater)
        return false;
    const QWidget *host = w->parentWidget();
    if (!host)
        return false;
    // What of the grid its scroll area's viewport leaves in sight, in the grid's coordinates.
    // The ancestors above the viewport seldom clip it, and where they do, a cell they hide
    // only paints for nothing.
    QRect seen = host->rect();
    QPoint offset;
    for (const QWidget *a = host; !a->isWindow() && a->parentWidget(); a = a->parentWidget()) {
        offset += a->pos();
        seen &= a->parentWidget()->rect().translated(-offset);
        if (a->parentWidget()->objectName() == QLatin1String("qt_scrollarea_viewport"))
            break;
    }
    return !seen.intersects(w->geometry());
}

// A widget of the grid, which posts no update out of sight.
template<typename Widget>
class InGrid : public Widget
{
public:
    using Widget::Widget;

protected:
    bool event(QEvent *e) override { return update_unseen(this, e) || Widget::event(e); }
};

// A label of the grid: row and column numbers, the unknowns' names.
using GridLabel = InGrid<QLabel>;

// A cell of the grid. Its size is fixed, so the size it asks for is that size: a line edit
// measures its font and frame whenever a layout asks, and a layout built anew asks every cell,
// a sixth of building the whole grid.
class FixedCell : public InGrid<QLineEdit>
{
public:
    using InGrid::InGrid;

    QSize sizeHint() const override { return minimumSize(); }
    QSize minimumSizeHint() const override { return minimumSize(); }
};

// Where w is among the layout's items, or -1. Taking an item out or moving it puts the items
// the size changes at the end of the list, so the search starts there; the layout's own search
// runs through all 460 items every time.
int index_of(const QLayout *layout, const QWidget *w)
{
    for (int i = layout->count() - 1; i >= 0; --i) {
        if (layout->itemAt(i)->widget() == w)
            return i;
    }
    return -1;
}

bool touch_input()
{
    const auto devices = QInputDevice::devices();
    return std::any_of(devices.begin(), devices.end(), [](const QInputDevice *d) {
        return d->type() == QInputDevice::DeviceType::TouchScreen || d->type() == QInputDevice::DeviceType::TouchPad;
    });
}

} // namespace

NetworkPanel::NetworkPanel(QObject *owner, QGridLayout *grid, QLabel *status, QStyle *cell_style)
    : m_grid(grid)
    , m_status(status)
    , m_mapper(new QSignalMapper(owner))
    , m_cell_style(cell_style)
{
    // The grid's contents stay anchored at the top left while the size changes, so a step of
    // the size box repaints only the cells it adds or moves, not all 460.
    QWidget *host = grid->parentWidget();
    if (host) {
        host->setAttribute(Qt::WA_StaticContents);
        if (QWidget *area = host->parentWidget())
            area->setAttribute(Qt::WA_StaticContents);
    }
    // A scroll area listens on its viewport for panning with fingers, and while it listens
    // every event to every cell passes the gesture recogniser first: a tenth of showing the
    // grid. Where no touch screen or touch pad is attached, no finger pans.
    for (QWidget *w = host; w; w = w->parentWidget()) {
        if (auto *scroll = qobject_cast<QAbstractScrollArea *>(w)) {
            if (!touch_input())
                scroll->viewport()->ungrabGesture(Qt::PanGesture);
            break;
        }
    }
}

QLabel *NetworkPanel::label(Slot<QLabel> &slot, const QString &text, int width, Qt::Alignment align)
{
    if (!slot.shown && slot.spare) {
        std::swap(slot.shown, slot.spare);
    } else if (!slot.shown) {
        slot.shown = new GridLabel(text, m_grid->parentWidget());
        slot.shown->setFixedSize(width, 20);
        slot.shown->setAlignment(align | Qt::AlignVCenter);
    }
    return slot.shown;
}

QLineEdit *NetworkPanel::cell(Slot<QLineEdit> &slot, int width, const CellId *leaving)
{
    if (!slot.shown && slot.spare) {
        std::swap(slot.shown, slot.spare);
    } else if (!slot.shown) {
        slot.shown = new FixedCell(m_grid->parentWidget());
        if (m_cell_style)
            slot.shown->setStyle(m_cell_style);
        slot.shown->setFixedSize(width, 20);
        limit_typing(slot.shown);
        if (leaving)
            report_leaving(slot.shown, *leaving);
    }
    return slot.shown;
}

// A cell reports its id whenever it is left, for as long as it lives: its mapping goes with it.
void NetworkPanel::report_leaving(QLineEdit *cell, CellId id)
{
    QObject::connect(cell, &QLineEdit::editingFinished, m_mapper, qOverload<>(&QSignalMapper::map));
    m_mapper->setMapping(cell, id.mapped());
}

// A widget the grid no longer needs waits, hidden and as new, until the size asks for its
// place again: building the same cells anew whenever the size came back was most of a step.
// The one the focus is in, or returns to, goes as before, so the focus moves as it always did.
QWidget *NetworkPanel::park(QWidget *w, bool keep_look)
{
    if (const int index = index_of(m_grid, w); index >= 0) {
        delete m_grid->takeAt(index);
        m_grid->invalidate();
    }
    if (w == w->window()->focusWidget()) {
        delete w;
        return nullptr;
    }
    // As a new widget is: not laid out, so joining the grid again does not search the whole
    // layout for where it was.
    w->setAttribute(Qt::WA_LaidOut, false);
    const QSignalBlocker quiet(w);
    // A page or the window may still name it as the child to give the focus back to; a widget
    // gone would not be named, and the focus would go elsewhere.
    w->clearFocus();
    w->hide();
    if (auto *e = qobject_cast<QLineEdit *>(w)) {
        e->setText(QString()); // and with it the undo history, the selection and the cursor
        if (!keep_look) {
            show_sheet(e, Look::Default);
            e->setReadOnly(false);
            e->setEnabled(true);
        }
        // A line edit reports a leave only after a change since its last report, and the text
        // just set is one; a leave nobody hears forgets it, as a new cell has none.
        QFocusEvent leave(QEvent::FocusOut, Qt::OtherFocusReason);
        QCoreApplication::sendEvent(e, &leave);
    }
    return w;
}

template<typename Widget>
void NetworkPanel::leave(Slot<Widget> &slot, bool keep_look)
{
    slot.spare = static_cast<Widget *>(park(std::exchange(slot.shown, nullptr), keep_look));
}

void NetworkPanel::resize(const NetworkState &state)
{
    const int n = state.size();
    // The layout waits until the grid is whole again: showing a cell into an active layout
    // lays out every cell at once, which made building a row quadratic.
    m_grid->setEnabled(false);

    // A widget already in the grid keeps its place unless the size moved its column: the
    // coefficients, row numbers and headers stay where they are, the columns right of them
    // move with the size.
    const bool moved = n != m_n;
    // A widget new to the grid joins it; one whose column moved keeps its layout item and only
    // changes cell, so the layout need not measure it again.
    const auto place = [this](QWidget *w, bool fresh, bool move, int row, int column) {
        if (!fresh) {
            const int index = move ? index_of(m_grid, w) : -1;
            if (index >= 0)
                m_grid->addItem(m_grid->takeAt(index), row, column);
            return;
        }
        m_grid->addWidget(w, row, column);
        // New children of a visible grid wait to be shown, and parked ones were hidden: shown
        // now, while the layout waits, rather than one by one from the event queue. New ones
        // under a hidden grid show with it.
        if (w->isHidden())
            w->show();
    };
    int g = 0;
    int h = 0;
    for (int r = 0; r < n; ++r) {
        // A header row before rows 0, 7 and 14 keeps the column numbers in sight.
        if (r % 7 == 0) {
            for (int c = 0; c < n; ++c) {
                const bool fresh = !m_headers[h][c].shown;
                QLabel *header = label(m_headers[h][c], QString::number(c), 80, Qt::AlignHCenter);
                place(header, fresh, false, g, c + 1);
            }
            ++h;
            ++g;
        }
        const bool fresh_row = !m_row_labels[r].shown;
        QLabel *row_label = label(m_row_labels[r], QString::number(r), 20, Qt::AlignRight);
        place(row_label, fresh_row, false, g, 0);
        for (int c = 0; c < n; ++c) {
            const bool fresh = !m_cells[r][c].shown;
            const CellId id{CellId::Column::Matrix, r, c};
            place(cell(m_cells[r][c], 80, &id), fresh, false, g, c + 1);
        }
        QLabel *vec_label = label(m_vec_labels[r], QStringLiteral("Vec:%1").arg(r), 35, Qt::AlignRight);
        place(vec_label, fresh_row, moved, g, n + 2);
        if (!m_vector[r].shown) {
            const CellId id{CellId::Column::Vector, r};
            cell(m_vector[r], 80, &id);
            show_look(cell(m_results[r], 160, nullptr), state.cell({CellId::Column::Result, r}));
        }
        place(m_vector[r].shown, fresh_row, moved, g, n + 3);
        place(m_results[r].shown, fresh_row, moved, g, n + 4);
        if (size_t(r) < state.names().size()) {
            const bool fresh = !m_names[r].shown;
            QLabel *name = label(m_names[r], QString(), 80, Qt::AlignLeft);
            name->setText(state.names()[size_t(r)]);
            place(name, fresh, fresh_row || moved, g, n + 5);
        }
        ++g;
    }
    m_n = n;

    for (int k = 0; k < MAX; ++k) {
        if (m_row_labels[k].shown && k >= m_n) {
            leave(m_row_labels[k]);
            leave(m_vec_labels[k]);
            leave(m_vector[k]);
            // Its look is given again whenever it comes back; kept, an unchanged look costs
            // nothing then, where setting a style sheet anew costs as much as a new cell.
            leave(m_results[k], true);
        }
        if (m_names[k].shown && size_t(k) >= state.names().size())
            leave(m_names[k]);
        for (int c = 0; c < MAX; ++c) {
            if (k < HEADER_ROWS && m_headers[k][c].shown && (k >= h || c >= m_n))
                leave(m_headers[k][c]);
            if (m_cells[k][c].shown && (k >= m_n || c >= m_n))
                leave(m_cells[k][c]);
        }
    }
    m_grid->setEnabled(true);
    m_grid->activate();
}

QLineEdit *NetworkPanel::widget(CellId id) const
{
    switch (id.column) {
    case CellId::Column::Matrix: return m_cells[id.row][id.col].shown;
    case CellId::Column::Vector: return m_vector[id.row].shown;
    case CellId::Column::Result: break;
    }
    return m_results[id.row].shown;
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
            show_sheet(e, state.cell(id).look);
    }
    if (change.status)
        m_status->setText(state.status());
}
