#pragma once

#include "model/tab_state.h"

#include <QString>

class QLineEdit;

// The style sheet that gives a field its look: a background colour, or nothing for the
// toolkit's own look.
QString style_sheet(Look look);

// Copies a field's look and flags onto its widget.
void show_look(QLineEdit *field, const FieldState &state);
