#include "calculators/capacitor.h"

#include <cmath>

// Operands are combined in the order written: it decides the last bits of every answer, so
// the same inputs give the same digits wherever the program runs. All zero tests are exact,
// and a NaN is no zero.

namespace {

struct Exponential
{
    double vt, vo, t, r, c;
};

Exponential unpack(const double *v)
{
    return {v[0], v[1], v[2], v[3], v[4]};
}

// Shared by both directions: solving for t, R or C needs a logarithm that only a voltage
// ratio inside its range makes finite. Vt >= Vo is false when either is NaN, so NaN passes.
const char *ratio_guard(const Exponential &e)
{
    if (e.vo == 0.0)
        return "V0 is zero";
    if (e.vt >= e.vo)
        return "Vt >= V0 error";
    return nullptr;
}

// e^(-t/RC) or 1 - e^(-t/RC), by which way the capacitor goes.
double decay(const Exponential &e, double rc, bool charging)
{
    const double x = std::exp(-(e.t / rc));
    return charging ? 1.0 - x : x;
}

Outcome exponential(int unknown, const double *values, bool charging)
{
    const Exponential e = unpack(values);
    const double rc = e.c * e.r;
    switch (unknown) {
    case 0:
        if (rc == 0.0)
            return Outcome::fail("RC is zero");
        return Outcome::answer(decay(e, rc, charging) * e.vo);
    case 1: {
        if (rc == 0.0)
            return Outcome::fail("RC is zero");
        const double k = decay(e, rc, charging);
        if (k == 0.0)
            return Outcome::fail(charging ? "(1-e^t/RC) is zero" : "(e^t/RC) is zero");
        return Outcome::answer(e.vt / k);
    }
    case 2:
    case 3:
    case 4: {
        if (const char *message = ratio_guard(e))
            return Outcome::fail(message);
        const double ln = std::log(charging ? 1.0 - e.vt / e.vo : e.vt / e.vo);
        if (unknown == 2)
            return Outcome::answer(-(ln * rc));
        if (unknown == 3)
            return Outcome::answer(-(e.t / (ln * e.c)));
        return Outcome::answer(-(e.t / (ln * e.r)));
    }
    default: return {};
    }
}

} // namespace

Outcome capacitor_charge(int unknown, const double *values)
{
    return exponential(unknown, values, true);
}

Outcome capacitor_discharge(int unknown, const double *values)
{
    return exponential(unknown, values, false);
}

Outcome constant_current(int unknown, const double *values)
{
    const double t = values[0];
    const double c = values[1];
    const double v = values[2];
    const double i = values[3];
    switch (unknown) {
    case 0: return i == 0.0 ? Outcome::fail("I is zero") : Outcome::answer((v * c) / i);
    case 1: return v == 0.0 ? Outcome::fail("V is zero") : Outcome::answer((i * t) / v);
    case 2: return c == 0.0 ? Outcome::fail("C is zero") : Outcome::answer((i * t) / c);
    case 3: return t == 0.0 ? Outcome::fail("t is zero") : Outcome::answer((v * c) / t);
    default: return {};
    }
}

Outcome rc_filter(int unknown, const double *values)
{
    const double two_pi = 6.283185307179586;
    const double r = values[0];
    const double c = values[1];
    const double fc = values[2];
    double x = 0.0;
    const char *message = nullptr;
    switch (unknown) {
    case 0: x = (c * two_pi) * fc; message = "RxC is zero"; break;
    case 1: x = (r * two_pi) * fc; message = "RxFc is zero"; break;
    case 2: x = (r * two_pi) * c; message = "RC is zero"; break;
    default: return {};
    }
    return x == 0.0 ? Outcome::fail(message) : Outcome::answer(1.0 / x);
}
