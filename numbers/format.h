#pragma once

#include "numbers/complex.h"

#include <cstddef>

// Room for every text format_value writes (at most width + 4 characters for widths up to 32).
constexpr int FORMAT_BUFFER_SIZE = 64;

// Writes x in engineering notation in `width` characters into buf (FORMAT_BUFFER_SIZE bytes)
// and returns buf. Below width 3 the text is empty. Infinities and NaN read "inf", "-inf",
// "nan". Always in the C locale, whatever the desktop's language.
char *format_value(char *buf, double x, int width);

// "%s+i%s" of both parts through format_value; a negative imaginary part keeps its own sign.
// buf holds at least 2 * FORMAT_BUFFER_SIZE bytes.
char *format_complex(char *buf, Complex z, int width);

// printf's "%*.*f" and "%g" in the C locale, without printf's cost, into FORMAT_BUFFER_SIZE
// bytes: for the fixed panel texts shown beside format_value's.
char *format_fixed(char *buf, double x, int width, int decimals);
char *format_general(char *buf, double x);

// snprintf in the C locale, for the few fixed formats the window shows beside format_value.
int c_snprintf(char *buf, size_t size, const char *format, ...)
    __attribute__((format(printf, 3, 4)));
