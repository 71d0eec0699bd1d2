#include "calculators/delta_star.h"

namespace {

DeltaStar fail(const char *message)
{
    DeltaStar out;
    out.kind = DeltaStar::Kind::Message;
    out.message = message;
    return out;
}

DeltaStar answer(int first, Complex a, Complex b, Complex c)
{
    DeltaStar out;
    out.kind = DeltaStar::Kind::Answer;
    out.first = first;
    out.values[0] = a;
    out.values[1] = b;
    out.values[2] = c;
    return out;
}

} // namespace

// Every divisor is tested by its squared magnitude, so the quotient's 1e18 rule is never
// reached from here; an impedance with only an imaginary part is no zero.
DeltaStar delta_star(int direction, const Complex *v)
{
    const Complex rab = v[0], rbc = v[1], rac = v[2], ra = v[3], rb = v[4], rc = v[5];
    if (direction == 1) {
        const Complex s = (rab + rbc) + rac;
        if (norm(s) == 0.0)
            return fail("Rab+Rac+Rbc is zero");
        return answer(3, (rab * rac) / s, (rab * rbc) / s, (rbc * rac) / s);
    }
    if (direction == 0) {
        if (norm(ra) == 0.0)
            return fail("Ra is zero");
        if (norm(rb) == 0.0)
            return fail("Rb is zero");
        if (norm(rc) == 0.0)
            return fail("Rc is zero");
        const Complex n = (rb * rc) + ((ra * rb) + (ra * rc));
        return answer(0, n / rc, n / ra, n / rb);
    }
    return {};
}
