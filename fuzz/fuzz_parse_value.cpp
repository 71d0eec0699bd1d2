// Any text a user could type: parse_value must end, never read out of bounds, give one of
// the three kinds, and every number it accepts must survive the trip through format_value.
// The numeral conversion must read every text exactly as Qt's own toDouble does.
#include "numbers/format.h"
#include "numbers/parse.h"

#include <QString>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    double ours = 0.0;
    const bool ok = convert_number(text, ours);
    bool qt_ok = false;
    const double qts = text.toDouble(&qt_ok);
    qt_ok = qt_ok && std::isfinite(qts);
    if (ok != qt_ok || (ok && std::memcmp(&ours, &qts, sizeof ours) != 0))
        std::abort();
    Complex z{};
    const int kind = parse_value(text, z);
    if (kind != KIND_INVALID && kind != KIND_REAL && kind != KIND_COMPLEX)
        std::abort();
    const bool marked = text.contains(u'i') || text.contains(u'j');
    if (kind == KIND_COMPLEX && !marked)
        std::abort();
    if (kind == KIND_REAL && (marked || z.im != 0.0))
        std::abort();
    if (kind == KIND_INVALID)
        return 0;

    // What the program shows it must read back; beyond 1e307 rounding may pass DBL_MAX.
    for (double part : {z.re, z.im}) {
        if (!std::isfinite(part) || std::fabs(part) > 1e307)
            continue;
        char buf[FORMAT_BUFFER_SIZE];
        Complex back{};
        if (parse_value(QString::fromLatin1(format_value(buf, part, 9)), back) != KIND_REAL)
            std::abort();
    }
    return 0;
}
