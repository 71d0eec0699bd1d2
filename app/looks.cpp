#include "app/looks.h"

#include <QLineEdit>

QString style_sheet(Look look)
{
    switch (look) {
    case Look::Default: break;
    case Look::Input: return QStringLiteral("QLineEdit { background-color: #FFF }");
    case Look::Result: return QStringLiteral("QLineEdit { background-color: #FF8 }");
    case Look::Bad: return QStringLiteral("QLineEdit { background-color: #F88 }");
    case Look::Excluded: return QStringLiteral("QLineEdit { background-color: #CCC }");
    }
    return QString();
}

void show_look(QLineEdit *field, const FieldState &state)
{
    field->setStyleSheet(style_sheet(state.look));
    field->setReadOnly(state.read_only);
    field->setEnabled(state.enabled);
}
