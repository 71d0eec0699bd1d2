#include "app/looks.h"

#include <QLineEdit>

namespace {

// The style sheet that gives a field its look: a background colour, or nothing for the
// toolkit's own look.
QString style_sheet(Look look)
{
    switch (look) {
    case Look::Default: break;
    // Each look sets its text colour with its background, so a dark palette's light text
    // never lands on these light backgrounds.
    case Look::Input: return QStringLiteral("QLineEdit { background-color: #FFF; color: #000 }");
    case Look::Result: return QStringLiteral("QLineEdit { background-color: #FF8; color: #000 }");
    case Look::Bad: return QStringLiteral("QLineEdit { background-color: #F88; color: #000 }");
    case Look::Excluded: return QStringLiteral("QLineEdit { background-color: #CCC; color: #4A4A4A }");
    }
    return QString();
}

} // namespace

void show_sheet(QLineEdit *field, Look look)
{
    const QString sheet = style_sheet(look);
    if (field->styleSheet() != sheet)
        field->setStyleSheet(sheet);
}

void show_look(QLineEdit *field, const FieldState &state)
{
    show_sheet(field, state.look);
    field->setReadOnly(state.read_only);
    field->setEnabled(state.enabled);
}
