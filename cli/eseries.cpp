#include "cli/eseries.h"

#include <cmath>
#include <vector>

namespace {

const double E3[] = {1.0, 2.2, 4.7};
const double E6[] = {1.0, 1.5, 2.2, 3.3, 4.7, 6.8};
const double E12[] = {1.0, 1.2, 1.5, 1.8, 2.2, 2.7, 3.3, 3.9, 4.7, 5.6, 6.8, 8.2};
const double E24[] = {1.0, 1.1, 1.2, 1.3, 1.5, 1.6, 1.8, 2.0, 2.2, 2.4, 2.7, 3.0,
                      3.3, 3.6, 3.9, 4.3, 4.7, 5.1, 5.6, 6.2, 6.8, 7.5, 8.2, 9.1};

// E48 and up are 10^(i/n) to three significant figures; E192 keeps 9.20 where that gives 9.19.
std::vector<double> computed(int n)
{
    std::vector<double> v;
    for (int i = 0; i < n; ++i) {
        double x = std::round(100.0 * std::pow(10.0, double(i) / n)) / 100.0;
        if (n == 192 && x == 9.19)
            x = 9.20;
        v.push_back(x);
    }
    return v;
}

} // namespace

const double *eseries_values(int n, int &count)
{
    static const std::vector<double> e48 = computed(48), e96 = computed(96), e192 = computed(192);
    switch (n) {
    case 3: count = 3; return E3;
    case 6: count = 6; return E6;
    case 12: count = 12; return E12;
    case 24: count = 24; return E24;
    case 48: count = 48; return e48.data();
    case 96: count = 96; return e96.data();
    case 192: count = 192; return e192.data();
    default: count = 0; return nullptr;
    }
}

Neighbours eseries_neighbours(int n, double value)
{
    int count = 0;
    const double *v = eseries_values(n, count);
    const double decade = std::pow(10.0, std::floor(std::log10(value)));
    // Candidates from the decade below to the decade above, so both neighbours always exist.
    Neighbours out{0.0, 0.0};
    bool have_below = false, have_above = false;
    for (double scale : {decade / 10, decade, decade * 10}) {
        for (int i = 0; i < count; ++i) {
            const double x = v[i] * scale;
            if (x <= value * (1 + 1e-12) && (!have_below || x > out.below)) {
                out.below = x;
                have_below = true;
            }
            if (x >= value * (1 - 1e-12) && (!have_above || x < out.above)) {
                out.above = x;
                have_above = true;
            }
        }
    }
    return out;
}
