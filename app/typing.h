#pragma once

class QLineEdit;

// Keeps what a user types or pastes into a field within what a calculation file can hold:
// line breaks dropped, the length limited. What the program writes is left whole.
void limit_typing(QLineEdit *field);
