#pragma once

// The one value type of the program: every quantity is held as a Complex, a real one with im 0.
// Plain aggregate so arrays of it keep re and im of each element adjacent.
struct Complex
{
    double re;
    double im;
};

// Inline: the solver runs these in its inner loop, where a call costs more than the arithmetic.

inline Complex operator+(Complex a, Complex b)
{
    return {a.re + b.re, a.im + b.im};
}

inline Complex operator-(Complex a, Complex b)
{
    return {a.re - b.re, a.im - b.im};
}

inline Complex operator*(Complex a, Complex b)
{
    return {a.re * b.re - a.im * b.im, a.re * b.im + a.im * b.re};
}

// Textbook quotient without rescaling. A divisor whose squared magnitude compares equal to 0
// gives (1e18, 1e18): a large finite value the formatter shows as "1e18", never a trap.
inline Complex operator/(Complex a, Complex b)
{
    // Multiplied out with the conjugate of b, in this order, so the last bits are stable.
    const double num_re = a.re * b.re - a.im * (-b.im);
    const double num_im = a.re * (-b.im) + a.im * b.re;
    const double d = b.re * b.re - b.im * (-b.im);
    // A NaN divisor makes d NaN, which is not equal to 0, so NaN passes through.
    if (d == 0.0)
        return {1e18, 1e18};
    return {num_re / d, num_im / d};
}

inline Complex reciprocal(Complex z)
{
    return Complex{1.0, 0.0} / z;
}

// Squared magnitude; callers compare it with 0 as the zero test of an impedance.
inline double norm(Complex z)
{
    return z.re * z.re + z.im * z.im;
}
