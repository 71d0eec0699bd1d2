#include "app/looks.h"

#include <QLineEdit>

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

void show_look(QLineEdit *field, const FieldState &state)
{
    // Setting a style sheet polishes the field anew even when the sheet is the one it has.
    const QString sheet = style_sheet(state.look);
    if (field->styleSheet() != sheet)
        field->setStyleSheet(sheet);
    field->setReadOnly(state.read_only);
    field->setEnabled(state.enabled);
}
