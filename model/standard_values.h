#pragma once

#include "model/tab_definition.h"

#include <string>

// The standard part values of the IEC 60063 series E3 to E192, over every decade a double
// holds: which values to buy for an answer, and how far off they are.

// The series' names, and their sizes in the same order.
constexpr int SERIES_COUNT = 7;
extern const char *const SERIES_NAMES[SERIES_COUNT];
extern const int SERIES_SIZES[SERIES_COUNT];

// The index of a series by its name ("E24"); -1 when there is none.
int series_index(const char *name);

// Members of the series of the given size (3, 6, 12, 24, 48, 96 or 192) in the decade 1 to 10,
// in order; count receives how many. Null for any other size.
const double *eseries_values(int size, int &count);

// A part value as printed on parts and typed into fields: three significant digits and a
// suffix (6.8k, 470n, 2.2u), which the fields read back as the same value.
std::string part_text(double x);

// For an answer x: the nearest members below and above, and the best pair of members in
// series or in parallel when it comes closer than either. Nothing for an answer that is not
// positive, normal and finite; no member above the largest doubles.
struct StandardValues
{
    bool valid = false;
    bool has_below = false, has_above = false;
    double below = 0, above = 0;
    double below_deviation = 0, above_deviation = 0; // percent, (value - x) / x
    bool has_pair = false;
    // The pair's value is 1 / (1 / first + 1 / second), not first + second: resistors or
    // inductors in parallel, capacitors in series.
    bool reciprocal = false;
    double first = 0, second = 0, pair = 0, pair_deviation = 0;

    // "7.5k parallel 120k": how parts of this kind are connected to give the pair's value.
    std::string pair_text(Component component) const;
    // "6.8k (-3.64 %) · 7.5k (+6.28 %)", and "; 7.5k parallel 120k = 7.06k (+0.03 %)" when asked.
    std::string text(bool with_pair, Component component) const;
};

StandardValues standard_values(int size, double x);
