#include "numbers/format.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstdint>
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

// The widest text the quick paths below write: printf would cut longer ones at the buffer's
// end, which they do not imitate.
constexpr int QUICK_WIDTH_LIMIT = 40;

// printf's "%*.*f" and "%*.*fe%d" for widths and decimals up to QUICK_WIDTH_LIMIT: to_chars
// rounds exactly as glibc's printf does (the exact decimal value, ties to even), without its
// locale switches and format parsing.
__extension__ typedef unsigned __int128 Wide;

// Writes the decimal digits of n, at least `least` of them (zeros before), into a buffer
// that ends at `end`; returns where they begin.
char *digits_before(char *end, Wide n, int least)
{
    char *p = end;
    // In 64-bit pieces: a 128-bit division for every digit would cost more than the rest.
    constexpr uint64_t TEN_19 = 10000000000000000000ull;
    uint64_t low = uint64_t(n);
    uint64_t high = 0;
    if (n >> 64) {
        high = uint64_t(n / TEN_19);
        low = uint64_t(n - Wide(high) * TEN_19);
        for (int k = 0; k < 19; ++k) {
            *--p = char('0' + low % 10);
            low /= 10;
        }
        low = high;
    }
    do {
        *--p = char('0' + low % 10);
        low /= 10;
    } while (low != 0);
    while (end - p < least)
        *--p = '0';
    return p;
}

// "%.*f" of a finite x below 1e4 with at most 30 decimals, exactly: x is M 2^e, so x 10^d is
// M 5^d 2^(d+e), an integer times a power of two that 128 bits hold; rounded to the nearest,
// ties to even, as glibc's printf rounds. Null when x is out of that range.
char *write_fixed_exact(char *out, double x, int decimals)
{
    if (!(std::fabs(x) < 1e4) || decimals < 0 || decimals > 30)
        return nullptr;
    // |x| = M 2^e with M the significand as an integer, read off the bits.
    uint64_t bits = 0;
    std::memcpy(&bits, &x, sizeof bits);
    const int biased = int((bits >> 52) & 0x7FF);
    const uint64_t fraction = bits & ((uint64_t(1) << 52) - 1);
    const uint64_t significand = biased ? fraction | (uint64_t(1) << 52) : fraction;
    const int e = (biased ? biased : 1) - 1075;
    static const auto FIVES = [] {
        std::array<Wide, 31> powers{};
        powers[0] = 1;
        for (size_t k = 1; k < powers.size(); ++k)
            powers[k] = powers[k - 1] * 5;
        return powers;
    }();
    Wide n = Wide(significand) * FIVES[size_t(decimals)];
    const int shift = decimals + e;
    if (shift >= 0) {
        n <<= shift;
    } else if (shift > -128) {
        const Wide rest = n & ((Wide(1) << -shift) - 1);
        const Wide half = Wide(1) << (-shift - 1);
        n >>= -shift;
        if (rest > half || (rest == half && (n & 1)))
            ++n;
    } else {
        n = 0;
    }
    if (std::signbit(x))
        *out++ = '-';
    // All digits at once, at least one before the point; the point goes in after.
    char digits[48];
    char *end = digits + sizeof digits;
    const char *first = digits_before(end, n, decimals + 1);
    const size_t whole = size_t(end - first) - size_t(decimals);
    std::memcpy(out, first, whole);
    out += whole;
    if (decimals > 0) {
        *out++ = '.';
        std::memcpy(out, first + whole, size_t(decimals));
        out += decimals;
    }
    return out;
}

void write_fixed(char *buf, double m, int width, int decimals, int exponent)
{
    char digits[2 * FORMAT_BUFFER_SIZE];
    char *end = write_fixed_exact(digits, m, decimals);
    if (!end)
        end = std::to_chars(digits, digits + sizeof digits, m, std::chars_format::fixed, decimals).ptr;
    const int length = int(end - digits);
    char *out = buf;
    // A negative width, left after a narrow width paid for the exponent, pads on the right.
    for (int pad = width - length; pad > 0; --pad)
        *out++ = ' ';
    std::memcpy(out, digits, size_t(length));
    out += length;
    for (int pad = -width - length; pad > 0; --pad)
        *out++ = ' ';
    if (exponent != 0) {
        *out++ = 'e';
        out = std::to_chars(out, buf + FORMAT_BUFFER_SIZE - 1, exponent).ptr;
    }
    *out = '\0';
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
    const bool quick = width <= QUICK_WIDTH_LIMIT;
    if (x == 0.0) {
        // printf's "%-*g": "0" or "-0", padded on the right.
        if (!quick) {
            c_snprintf(buf, FORMAT_BUFFER_SIZE, "%-*g", width, x);
            return buf;
        }
        char *out = buf;
        if (std::signbit(x))
            *out++ = '-';
        *out++ = '0';
        while (out < buf + width)
            *out++ = ' ';
        *out = '\0';
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

    if (quick)
        write_fixed(buf, exponent != 0 && x < 0 ? -m : exponent != 0 ? m : x, width, decimals, exponent);
    else if (exponent != 0)
        c_snprintf(buf, FORMAT_BUFFER_SIZE, "%*.*fe%d", width, decimals, x < 0 ? -m : m,
                   exponent);
    else
        c_snprintf(buf, FORMAT_BUFFER_SIZE, "%*.*f", width, decimals, x);
    remove_zero_decimals(buf);
    return buf;
}

char *format_fixed(char *buf, double x, int width, int decimals)
{
    // Large, infinite or NaN values, wide widths and many decimals are printf's.
    if (std::abs(width) <= QUICK_WIDTH_LIMIT && decimals >= 0 && decimals <= 30 && std::fabs(x) < 1e4)
        write_fixed(buf, x, width, decimals, 0);
    else
        c_snprintf(buf, FORMAT_BUFFER_SIZE, "%*.*f", width, decimals, x);
    return buf;
}

char *format_general(char *buf, double x)
{
    // The standard defines this conversion as printf's "%.6g".
    *std::to_chars(buf, buf + FORMAT_BUFFER_SIZE - 1, x, std::chars_format::general, 6).ptr = '\0';
    return buf;
}

char *format_complex(char *buf, Complex z, int width)
{
    char im[FORMAT_BUFFER_SIZE];
    format_value(im, z.im, width);
    // The real part is written in place; "+i" and the imaginary part follow, cut where buf
    // ends as snprintf would cut them.
    const size_t re_length = std::strlen(format_value(buf, z.re, width));
    const size_t room = 2 * FORMAT_BUFFER_SIZE - 1 - re_length;
    char tail[FORMAT_BUFFER_SIZE + 2] = "+i";
    std::strcpy(tail + 2, im);
    const size_t n = std::min(room, std::strlen(tail));
    std::memcpy(buf + re_length, tail, n);
    buf[re_length + n] = '\0';
    return buf;
}
