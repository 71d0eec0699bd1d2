#include "model/standard_values.h"

#include "numbers/format.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <cstring>
#include <vector>

const char *const SERIES_NAMES[SERIES_COUNT] = {"E3", "E6", "E12", "E24", "E48", "E96", "E192"};
const int SERIES_SIZES[SERIES_COUNT] = {3, 6, 12, 24, 48, 96, 192};

namespace {

const double E3[] = {1.0, 2.2, 4.7};
const double E6[] = {1.0, 1.5, 2.2, 3.3, 4.7, 6.8};
const double E12[] = {1.0, 1.2, 1.5, 1.8, 2.2, 2.7, 3.3, 3.9, 4.7, 5.6, 6.8, 8.2};
// Not the rounded geometric series: 2.7 to 4.7 and 8.2 are the published values.
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

double deviation(double value, double x)
{
    return (value - x) / x * 100.0;
}

// Every member from about x / 10^span to x * 10^span, in ascending order; members that
// overflow or underflow the double range are left out.
std::vector<double> members_around(const double *v, int count, double x, int span)
{
    std::vector<double> out;
    const int decade = int(std::floor(std::log10(x)));
    for (int d = decade - span; d <= decade + span; ++d) {
        const double scale = std::pow(10.0, d);
        for (int i = 0; i < count; ++i) {
            // 4.7 x 10^-3 as 47 / 10^4: the decimal value a part carries, to the last bit
            // where it can be.
            const double m = d >= 0 ? v[i] * scale : v[i] / std::pow(10.0, -d);
            if (std::isfinite(m) && m > 0)
                out.push_back(m);
        }
    }
    return out;
}

} // namespace

int series_index(const char *name)
{
    for (int k = 0; k < SERIES_COUNT; ++k) {
        if (std::strcmp(SERIES_NAMES[k], name) == 0)
            return k;
    }
    return -1;
}

const double *eseries_values(int size, int &count)
{
    static const std::vector<double> e48 = computed(48), e96 = computed(96), e192 = computed(192);
    switch (size) {
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

std::string part_text(double x)
{
    static const char *const suffixes[] = {"p", "n", "u", "m", "", "k", "M", "G"};
    int e = int(std::floor(std::log10(x) / 3.0));
    e = e < -4 ? -4 : e > 3 ? 3 : e;
    char buf[64];
    c_snprintf(buf, sizeof buf, "%.3g%s", x / std::pow(1000.0, e), suffixes[e + 4]);
    return buf;
}

std::string StandardValues::pair_text(Component component) const
{
    const bool parallel = reciprocal != (component == Component::Capacitance);
    return part_text(first) + (parallel ? " parallel " : " series ") + part_text(second);
}

std::string StandardValues::text(bool with_pair, Component component) const
{
    char buf[256];
    std::string out;
    if (has_below) {
        c_snprintf(buf, sizeof buf, "%s (%+.2f %%)", part_text(below).c_str(), below_deviation);
        out += buf;
    }
    if (has_above) {
        c_snprintf(buf, sizeof buf, "%s%s (%+.2f %%)", out.empty() ? "" : " \xc2\xb7 ",
                   part_text(above).c_str(), above_deviation);
        out += buf;
    }
    if (with_pair && has_pair) {
        c_snprintf(buf, sizeof buf, "; %s = %s (%+.2f %%)", pair_text(component).c_str(),
                   part_text(pair).c_str(), pair_deviation);
        out += buf;
    }
    return out;
}

StandardValues standard_values(int size, double x)
{
    StandardValues out;
    int count = 0;
    const double *v = eseries_values(size, count);
    // Below the smallest normal double the decades lose digits, and no neighbour is right.
    if (!v || !(x >= std::numeric_limits<double>::min()) || !std::isfinite(x))
        return out;
    out.valid = true;
    const std::vector<double> near = members_around(v, count, x, 1);
    for (double m : near) {
        // A member equal to x within rounding is both neighbours.
        if (m <= x * (1 + 1e-12) && (!out.has_below || m > out.below)) {
            out.below = m;
            out.has_below = true;
        }
        if (m >= x * (1 - 1e-12) && (!out.has_above || m < out.above)) {
            out.above = m;
            out.has_above = true;
        }
    }
    double best = 1e300;
    if (out.has_below) {
        out.below_deviation = deviation(out.below, x);
        best = std::fabs(out.below_deviation);
    }
    if (out.has_above) {
        out.above_deviation = deviation(out.above, x);
        best = std::fmin(best, std::fabs(out.above_deviation));
    }
    // Two parts: a + b in series with a below x, or a // b in parallel with a above x. For
    // each a the nearest members to the ideal b are tried.
    const std::vector<double> wide = members_around(v, count, x, 3);
    auto nearest = [&wide](double b, auto &&use) {
        auto it = std::lower_bound(wide.begin(), wide.end(), b);
        if (it != wide.end())
            use(*it);
        if (it != wide.begin())
            use(*(it - 1));
    };
    for (double a : wide) {
        const bool reciprocal = a > x;
        const double ideal = reciprocal ? 1.0 / (1.0 / x - 1.0 / a) : x - a;
        if (!(ideal > 0) || !std::isfinite(ideal))
            continue;
        nearest(ideal, [&](double b) {
            const double value = reciprocal ? a * b / (a + b) : a + b;
            const double d = deviation(value, x);
            if (std::fabs(d) < best - 1e-9) {
                best = std::fabs(d);
                out.has_pair = true;
                out.reciprocal = reciprocal;
                out.first = a < b ? a : b;
                out.second = a < b ? b : a;
                out.pair = value;
                out.pair_deviation = d;
            }
        });
    }
    return out;
}
