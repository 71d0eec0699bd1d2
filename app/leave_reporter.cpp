#include "app/leave_reporter.h"

#include <QApplication>
#include <QFocusEvent>
#include <QLineEdit>

void LeaveReporter::watch(QLineEdit *field)
{
    field->installEventFilter(this);
    connect(field, &QLineEdit::editingFinished, this, [this] { m_reported = true; });
}

// Qt reports a leave only after an edit, and counts a programmatic setText() as one. So the
// field handles its own focus loss first, and the report is added only when Qt made none.
bool LeaveReporter::eventFilter(QObject *watched, QEvent *event)
{
    auto *field = qobject_cast<QLineEdit *>(watched);
    if (!field || event->type() != QEvent::FocusOut)
        return false;
    m_reported = false;
    watched->event(event);
    // Opening the field's own context menu is no leave.
    const bool own_popup = static_cast<QFocusEvent *>(event)->reason() == Qt::PopupFocusReason
        && QApplication::activePopupWidget()
        && QApplication::activePopupWidget()->parentWidget() == field;
    if (!m_reported && !own_popup)
        emit field->editingFinished();
    return true;
}
