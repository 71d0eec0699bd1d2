#include "numbers/complex.h"

Complex operator+(Complex a, Complex b)
{
    return {a.re + b.re, a.im + b.im};
}

Complex operator-(Complex a, Complex b)
{
    return {a.re - b.re, a.im - b.im};
}

Complex operator*(Complex a, Complex b)
{
    return {a.re * b.re - a.im * b.im, a.re * b.im + a.im * b.re};
}

Complex operator/(Complex a, Complex b)
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

Complex reciprocal(Complex z)
{
    return Complex{1.0, 0.0} / z;
}

double norm(Complex z)
{
    return z.re * z.re + z.im * z.im;
}
