#include "calculators/ohms_law.h"

Outcome ohms_law(int unknown, const double *values)
{
    const double v = values[0];
    const double i = values[1];
    const double r = values[2];
    switch (unknown) {
    case 0: return Outcome::answer(r * i);
    // Only the divisor is tested, exactly: V may be 0, and a NaN is no zero.
    case 1: return r == 0.0 ? Outcome::fail("divide by zero") : Outcome::answer(v / r);
    case 2: return i == 0.0 ? Outcome::fail("divide by zero") : Outcome::answer(v / i);
    default: return {};
    }
}
