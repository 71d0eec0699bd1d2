#include "app/typing.h"

#include "storage/calculation_file.h"

#include <QLineEdit>

#include <algorithm>

void limit_typing(QLineEdit *field)
{
    // textEdited comes from the user only; setMaxLength would also cut the program's texts.
    QObject::connect(field, &QLineEdit::textEdited, field, [field](const QString &text) {
        const QString kept = typed_text(text);
        if (kept == text)
            return;
        const int cursor = int(typed_text(text.left(field->cursorPosition())).size());
        field->setText(kept);
        field->setCursorPosition(std::min(cursor, int(kept.size())));
    });
}
