#include "numbers/parse.h"

#include <charconv>
#include <cmath>

namespace {

// Suffix letters are case-sensitive; lower-case k is milli's neighbour only in the real part.
double real_suffix(QChar c)
{
    switch (c.unicode()) {
    case u'p': return 1e-12;
    case u'n': return 1e-9;
    case u'u': return 1e-6;
    case u'm': return 1e-3;
    case u'K':
    case u'k': return 1e3;
    case u'M': return 1e6;
    case u'G': return 1e9;
    default: return 0.0;
    }
}

double imaginary_suffix(QChar c)
{
    return c == u'k' ? 0.0 : real_suffix(c);
}

void chop_blanks(QStringView &s)
{
    while (s.endsWith(u' '))
        s.chop(1);
}

// Takes a suffix letter off the end; returns its factor, or 1 when there is none.
double take_suffix(QStringView &s, double (*suffix)(QChar))
{
    if (s.isEmpty())
        return 1.0;
    const double factor = suffix(s.back());
    if (factor == 0.0)
        return 1.0;
    s.chop(1);
    return factor;
}

// The plain numerals people type ("4.7", "-.5", "1e-3", "+12"): ASCII, no blanks, short. Their
// value is the correctly rounded one, as toDouble's, so std::from_chars gives the same bits
// without toDouble's copy into a byte array. Zero, subnormal results, over- and underflow go
// the slow way, where toDouble decides what fails.
bool convert_plain(QStringView text, double &value)
{
    constexpr qsizetype PLAIN_LIMIT = 32;
    const qsizetype n = text.size();
    if (n == 0 || n > PLAIN_LIMIT)
        return false;
    char bytes[PLAIN_LIMIT];
    qsizetype at = 0;
    const QChar *s = text.data();
    auto ch = [&](qsizetype i) { return s[i].unicode() < 0x80 ? char(s[i].unicode()) : '\0'; };
    auto digits = [&] {
        const qsizetype from = at;
        while (at < n && ch(at) >= '0' && ch(at) <= '9')
            ++at;
        return at - from;
    };
    if (ch(0) == '+' || ch(0) == '-')
        ++at;
    const qsizetype sign = at;
    qsizetype mantissa = digits();
    if (at < n && ch(at) == '.') {
        ++at;
        mantissa += digits();
    }
    if (mantissa == 0)
        return false;
    if (at < n && (ch(at) == 'e' || ch(at) == 'E')) {
        ++at;
        if (at < n && (ch(at) == '+' || ch(at) == '-'))
            ++at;
        if (digits() == 0)
            return false;
    }
    if (at != n)
        return false;
    for (qsizetype i = 0; i < n; ++i)
        bytes[i] = ch(i);
    // from_chars takes a minus but no plus.
    const char *first = bytes + (ch(0) == '+' ? sign : 0);
    double v = 0.0;
    const auto [end, error] = std::from_chars(first, bytes + n, v);
    if (error != std::errc() || end != bytes + n || !std::isnormal(v))
        return false;
    value = v;
    return true;
}

} // namespace

bool convert_number(QStringView text, double &value)
{
    if (convert_plain(text, value))
        return true;
    bool ok = false;
    value = text.toDouble(&ok);
    // Overflow already fails in toDouble, so a non-finite success can only be a spelling of
    // infinity or NaN, which the user must not be able to type.
    if (!ok || !std::isfinite(value)) {
        value = 0.0;
        return false;
    }
    return true;
}

int parse_value(QStringView text, Complex &out)
{
    // The first i, else the first j: one pass over the short text instead of two searches.
    qsizetype marker = -1;
    for (qsizetype k = 0, n = text.size(); k < n; ++k) {
        const char16_t c = text[k].unicode();
        if (c == u'i') {
            marker = k;
            break;
        }
        if (c == u'j' && marker < 0)
            marker = k;
    }

    QStringView real = marker < 0 ? text : text.left(marker);
    double sign = 1.0;

    out.re = 0.0;
    if (!real.isEmpty()) {
        chop_blanks(real);
        // The sign between the parts belongs to the imaginary part; a lone trailing sign
        // or comma is dropped even without a marker.
        if (real.endsWith(u'+')) {
            real.chop(1);
        } else if (real.endsWith(u'-')) {
            sign = -1.0;
            real.chop(1);
        } else if (real.endsWith(u',')) {
            real.chop(1);
        }
        if (!real.isEmpty()) {
            const double factor = take_suffix(real, real_suffix);
            double v = 0.0;
            const bool ok = convert_number(real, v);
            out.re = v * factor;
            if (!ok)
                return KIND_INVALID;
        }
    }

    if (marker < 0) {
        out.im = 0.0;
        return KIND_REAL;
    }

    QStringView imag = text.mid(marker + 1);
    chop_blanks(imag);
    const double factor = take_suffix(imag, imaginary_suffix);
    double magnitude = factor; // a bare marker ("5+i", "5+iK") stands for the factor itself
    bool ok = true;
    if (!imag.isEmpty()) {
        double v = 0.0;
        ok = convert_number(imag, v);
        magnitude = v * factor;
    }
    out.im = sign < 0 ? -magnitude : magnitude;
    return ok ? KIND_COMPLEX : KIND_INVALID;
}
