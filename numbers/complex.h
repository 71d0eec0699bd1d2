#pragma once

// The one value type of the program: every quantity is held as a Complex, a real one with im 0.
// Plain aggregate so arrays of it keep re and im of each element adjacent.
struct Complex
{
    double re;
    double im;
};

Complex operator+(Complex a, Complex b);
Complex operator-(Complex a, Complex b);
Complex operator*(Complex a, Complex b);
// Textbook quotient without rescaling. A divisor whose squared magnitude compares equal to 0
// gives (1e18, 1e18): a large finite value the formatter shows as "1e18", never a trap.
Complex operator/(Complex a, Complex b);

Complex reciprocal(Complex z);
// Squared magnitude; callers compare it with 0 as the zero test of an impedance.
double norm(Complex z);
