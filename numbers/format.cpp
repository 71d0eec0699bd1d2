#include "numbers/format.h"

#include <clocale>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <locale.h>

namespace {

// QApplication sets the C library's locale from the environment; answers must not turn into
// "0,5" on a German desktop, so every number is printed under a private C locale.
locale_t c_locale()
{
    static const locale_t loc = newlocale(LC_ALL_MASK, "C", locale_t(nullptr));
    return loc;
}

// A text of only zeros after the point loses the point and the zeros; the exponent moves up.
void remove_zero_decimals(char *text)
{
    char *point = std::strchr(text, '.');
    if (!point)
        return;
    char *end = point + 1;
    while (*end == '0')
        ++end;
    if (*end != '\0' && *end != 'e')
        return;
    std::memmove(point, end, std::strlen(end) + 1);
}

} // namespace

int c_snprintf(char *buf, size_t size, const char *format, ...)
{
    const locale_t previous = uselocale(c_locale());
    va_list args;
    va_start(args, format);
    const int n = std::vsnprintf(buf, size, format, args);
    va_end(args);
    uselocale(previous);
    return n;
}

char *format_value(char *buf, double x, int width)
{
    buf[0] = '\0';
    if (width < 3)
        return buf;
    if (x == 0.0) {
        c_snprintf(buf, FORMAT_BUFFER_SIZE, "%-*g", width, x);
        return buf;
    }
    // The scaling loop below would never end for an infinity; NaN would fall through it.
    if (!std::isfinite(x)) {
        std::strcpy(buf, std::isnan(x) ? "nan" : (x < 0 ? "-inf" : "inf"));
        return buf;
    }

    const double a = std::fabs(x);
    int lead = x < 0 ? 3 : 2;
    int exponent = 0;
    double m = a;
    if (a >= 1000.0) {
        while (m >= 1000.0) {
            m /= 1000.0;
            exponent += 3;
        }
    } else if (a < 0.1) {
        --width; // the exponent's minus sign
        while (m < 1.0) {
            m *= 1000.0;
            exponent += 3;
        }
        exponent = -exponent;
    }
    if (exponent != 0) {
        width -= 2;
        if (std::abs(exponent) >= 10)
            --width;
        if (std::abs(exponent) >= 100)
            --width;
    }
    if (m >= 10.0)
        ++lead;
    if (m >= 100.0)
        ++lead;
    int decimals = width - lead;
    if (decimals < 0)
        decimals = 0;
    if (decimals == 0)
        --width;

    if (exponent != 0)
        c_snprintf(buf, FORMAT_BUFFER_SIZE, "%*.*fe%d", width, decimals, x < 0 ? -m : m,
                   exponent);
    else
        c_snprintf(buf, FORMAT_BUFFER_SIZE, "%*.*f", width, decimals, x);
    remove_zero_decimals(buf);
    return buf;
}

char *format_complex(char *buf, Complex z, int width)
{
    char re[FORMAT_BUFFER_SIZE];
    char im[FORMAT_BUFFER_SIZE];
    std::snprintf(buf, 2 * FORMAT_BUFFER_SIZE, "%s+i%s", format_value(re, z.re, width),
                  format_value(im, z.im, width));
    return buf;
}
