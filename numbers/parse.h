#pragma once

#include "numbers/complex.h"

#include <QString>
#include <QStringView>

// Kind codes of parse_value, usable as bit flags: the OR over a group of fields is 2 or
// more as soon as one field is complex.
enum : int {
    KIND_INVALID = 0,
    KIND_REAL = 1,
    KIND_COMPLEX = 2,
};

// Reads one field's text in engineering notation ("4.7k", "32+i79.57", "3.4-j1e-3") into out.
// Always writes out.re; writes out.im unless the real text failed to convert.
int parse_value(QStringView text, Complex &out);

// The numeral conversion inside parse_value: what QString::toDouble accepts in the C locale,
// except that no spelling of infinity or NaN is a number. On failure value is 0.
bool convert_number(QStringView text, double &value);
