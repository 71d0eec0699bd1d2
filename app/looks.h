#pragma once

#include "model/tab_state.h"

class QLineEdit;

// Gives a field the look's style sheet, unless it has it: setting a style sheet polishes the
// field anew even when the sheet is the one it has.
void show_sheet(QLineEdit *field, Look look);

// Copies a field's look and flags onto its widget.
void show_look(QLineEdit *field, const FieldState &state);
