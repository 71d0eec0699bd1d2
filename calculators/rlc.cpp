#include "calculators/rlc.h"

#include <cmath>
#include <cstring>
#include <initializer_list>

namespace {

const double TWO_PI = 6.283185307179586;
const double FOUR_PI_SQUARED = 39.47841760435743;
const double MINUS_TWO_PI = -6.283185307179586;
const double PI = 3.141592653589793;

// One solve: the texts being written and the stored values, with the digits to write them at.
struct Solve {
    RlcValues &v;
    int digits;
    RlcResult out;

    void fail(const char *message)
    {
        out.solved = true;
        std::strncpy(out.field, message, sizeof out.field - 1);
        out.field[sizeof out.field - 1] = '\0';
    }
    void answer(double &slot, double x)
    {
        slot = x;
        out.solved = true;
        out.answered = true;
        format_value(out.field, x, digits);
    }
    // An answer unless its check fails; the answer is computed either way, which costs
    // nothing and traps nothing in IEEE arithmetic.
    void answer_unless(bool failed, const char *message, double &slot, double x)
    {
        if (failed)
            fail(message);
        else
            answer(slot, x);
    }
    void answer(Complex z)
    {
        v.z = z;
        out.solved = true;
        out.answered = true;
        format_complex(out.field, z, digits);
    }
    // a F^2 + b F + c = 0, the circuit's model multiplied out with w = 2 pi F. The positive
    // root is taken where there is one.
    void frequency(double a, double b, double c)
    {
        const double d = b * b - 4.0 * a * c;
        if (d < 0.0) {
            fail("No solution");
            return;
        }
        const double s = std::sqrt(d);
        const double r1 = (s - b) / (2.0 * a);
        const double r2 = (-b - s) / (2.0 * a);
        answer(v.f, r1 < 0.0 ? r2 : r1);
    }
    // A panel line: its words around one number's text.
    void line(int i, const char *before, const char *text = "", const char *after = "")
    {
        char *p = out.lines[i];
        for (const char *part : {before, text, after}) {
            const size_t n = std::strlen(part);
            std::memcpy(p, part, n);
            p += n;
        }
        *p = '\0';
    }
    void panel(int circuit);
};

void Solve::panel(int circuit)
{
    out.panel = true;
    char num[FORMAT_BUFFER_SIZE];
    const double w = TWO_PI * v.f;
    RlcPanelValues &values = out.values;
    values.magnitude = std::sqrt(v.z.re * v.z.re + v.z.im * v.z.im);
    line(0, "|Z| = ", format_value(num, values.magnitude, digits));
    double phi = std::atan(v.z.im / v.z.re);
    values.phase_rad = phi;
    values.phase_deg = phi / PI * 180.0;
    values.leading = !(phi > 0.0);
    values.resonance_hz = std::nan("");
    if (phi > 0.0) {
        line(1, "Current lagging by:");
    } else {
        line(1, "Current leading by:");
        phi = -phi;
    }
    line(2, "    ", format_fixed(num, phi, 3, 2), " Rad.");
    line(3, "    ", format_fixed(num, phi / PI * 180.0, 4, 2), " Deg.");
    if (circuit == RLC_L_R_PARALLEL_C) {
        const double q = 1.0 / (v.l * v.c) - (v.r / v.l) * (v.r / v.l);
        if (q <= 0.0) {
            line(4, "No resonance");
        } else {
            values.resonance_hz = std::sqrt(q) / TWO_PI;
            line(4, "Res. freq: ", format_value(num, values.resonance_hz, digits), " Hz");
        }
    } else if (v.l * v.c == 0.0) {
        line(4, "No resonance");
    } else {
        values.resonance_hz = 1.0 / (TWO_PI * std::sqrt(v.l * v.c));
        line(4, "Res. freq: ", format_value(num, values.resonance_hz, digits), " Hz");
    }
    values.z_ind = w * v.l;
    values.z_cap = w * v.c == 0.0 ? std::nan("") : -1.0 / (w * v.c);
    if (circuit == RLC_PARALLEL)
        line(5, "Zind = ", format_general(num, w * v.l));
    else
        line(5, "Zind = ", format_value(num, w * v.l, digits));
    if (w * v.c == 0.0)
        line(6, "Zcap= inf.");
    else
        line(6, circuit == RLC_L_R_PARALLEL_C ? "Zcap = " : "Zcap= ",
            format_value(num, -1.0 / (w * v.c), digits));
}

void series(Solve &s, int unknown)
{
    RlcValues &v = s.v;
    const double w = TWO_PI * v.f;
    switch (unknown) {
    case 0: s.answer(v.r, v.z.re); break;
    case 1:
        if (w * v.c == 0.0) {
            // The one failure that leaves the panel as it was.
            s.fail("Zero F or C");
            return;
        }
        s.answer(v.l, (v.z.im + 1.0 / (w * v.c)) / w);
        break;
    case 2: {
        const double d = w * (v.z.im - w * v.l);
        s.answer_unless(d == 0.0, "Divide by zero", v.c, -1.0 / d);
        break;
    }
    case 3: s.frequency(FOUR_PI_SQUARED * v.l * v.c, MINUS_TWO_PI * v.c * v.z.im, -1.0); break;
    case 4:
        v.z.re = v.r;
        if (w * v.c == 0.0)
            s.fail("Zero F or C");
        else
            s.answer(Complex{v.r, w * v.l - 1.0 / (w * v.c)});
        break;
    default: return;
    }
    s.panel(RLC_SERIES);
}

void parallel(Solve &s, int unknown)
{
    RlcValues &v = s.v;
    const double w = TWO_PI * v.f;
    const Complex y = reciprocal(v.z);
    switch (unknown) {
    case 0:
        // The conductance is the real part of the admittance, 1/R.
        s.answer_unless(y.re == 0.0, "Zero Re(1/Z)", v.r, 1.0 / y.re);
        break;
    case 1: s.answer_unless(v.f == 0.0, "Zero Freq.", v.l, -1.0 / (w * (y.im - w * v.c))); break;
    case 2: s.answer_unless(v.f == 0.0, "Zero Freq.", v.c, (y.im + 1.0 / (w * v.l)) / w); break;
    case 3: s.frequency(FOUR_PI_SQUARED * v.l * v.c, MINUS_TWO_PI * v.l * y.im, -1.0); break;
    case 4:
        if (w * v.l == 0.0)
            s.fail("Zero F or L");
        else if (v.r == 0.0)
            s.fail("Zero R");
        else
            s.answer(reciprocal(Complex{1.0 / v.r, w * v.c - 1.0 / (w * v.l)}));
        break;
    default: return;
    }
    s.panel(RLC_PARALLEL);
}

void l_r_parallel_c(Solve &s, int unknown)
{
    RlcValues &v = s.v;
    const double w = TWO_PI * v.f;
    const Complex y = reciprocal(v.z);
    switch (unknown) {
    case 0: {
        const Complex branch = reciprocal(y - Complex{0.0, w * v.c});
        s.answer(v.r, (branch - Complex{0.0, w * v.l}).re);
        break;
    }
    case 1:
        s.answer_unless(w == 0.0, "Zero Freq.", v.l, reciprocal(y - Complex{0.0, w * v.c}).im / w);
        break;
    case 2: {
        const double m = v.r * v.r + (w * v.l) * (w * v.l);
        if (m == 0.0)
            s.fail("Divide by 0");
        else
            s.answer_unless(v.f == 0.0, "Zero freq.", v.c, v.l / m + y.im / w);
        break;
    }
    case 3:
        s.frequency(FOUR_PI_SQUARED * v.l * v.c, MINUS_TWO_PI * v.l * y.im, v.r * y.re - 1.0);
        break;
    case 4: {
        const Complex branch{v.r, w * v.l};
        if (norm(branch) == 0.0) {
            s.fail("Zero R+iwL");
            break;
        }
        const Complex admittance = reciprocal(branch) + Complex{0.0, w * v.c};
        if (norm(admittance) == 0.0)
            s.fail("Zero Z");
        else
            s.answer(reciprocal(admittance));
        break;
    }
    default: return;
    }
    s.panel(RLC_L_R_PARALLEL_C);
}

} // namespace

RlcResult solve_rlc(int circuit, int unknown, RlcValues &values, int digits)
{
    Solve s{values, digits, {}};
    switch (circuit) {
    case RLC_SERIES: series(s, unknown); break;
    case RLC_PARALLEL: parallel(s, unknown); break;
    case RLC_L_R_PARALLEL_C: l_r_parallel_c(s, unknown); break;
    default: break;
    }
    return s.out;
}
