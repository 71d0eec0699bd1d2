#pragma once

// The nearest standard values of an IEC 60063 series (E3 to E192) below and above a value.
struct Neighbours
{
    double below;
    double above;
};

// Members of series n (3, 6, 12, 24, 48, 96 or 192) in the decade 1 to 10, in order; count
// receives how many. Null for any other n.
const double *eseries_values(int n, int &count);

// value must be positive and finite.
Neighbours eseries_neighbours(int n, double value);
