// Any double at any width: format_value must end, stay inside its buffer and, for the widths
// the window offers, never write more than width + 4 characters.
#include "numbers/format.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2 * sizeof(double) + 1)
        return 0;
    Complex z;
    std::memcpy(&z.re, data, sizeof(double));
    std::memcpy(&z.im, data + sizeof(double), sizeof(double));
    // Also widths outside the spin box's range: the formatter must cope with every int.
    const int width = int(int8_t(data[2 * sizeof(double)])) % 40;

    char buf[FORMAT_BUFFER_SIZE];
    const size_t n = std::strlen(format_value(buf, z.re, width));
    if (width >= 6 && width <= 32 && std::isfinite(z.re) && n > size_t(width) + 4)
        std::abort();
    if (width < 3 && n != 0)
        std::abort();

    char both[2 * FORMAT_BUFFER_SIZE];
    const size_t m = std::strlen(format_complex(both, z, width));
    if (width >= 6 && width <= 32 && std::isfinite(z.re) && std::isfinite(z.im)
        && m > 2 * (size_t(width) + 4) + 2)
        std::abort();
    return 0;
}
