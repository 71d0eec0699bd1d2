#pragma once

#include "calculators/rlc.h"

#include <QString>

#include <string>
#include <vector>

// Frequency responses, point by point through the tabs' own formulas, so a curve passes
// exactly through what the tab shows: the RC filt. tab's stage (gain in dB and phase of a
// low-pass, series R and shunt C; a high-pass mirrors the phase) and each RLC circuit's
// impedance (|Z| and the phase the panel shows).

struct ResponsePoint
{
    double frequency; // hertz
    double magnitude; // dB for a gain, ohms for an impedance, volts or amperes for a netlist
    double phase_deg;
};

// Where a sweep runs: `points` frequencies from `from` to `to`, spaced evenly on a
// logarithmic scale (SPICE's "dec") or a linear one ("lin").
struct SweepRange
{
    enum class Spacing { Log, Linear };
    double from = 0;
    double to = 0;
    int points = 0;
    Spacing spacing = Spacing::Log;
};

// Most points a sweep computes; more would only slow the window, never sharpen a curve.
constexpr int SWEEP_MAX_POINTS = 100000;

struct ResponseCurve
{
    QString error; // why there is no curve, or empty
    QString magnitude_name; // "Gain", "|Z|", "V(out)"
    QString magnitude_unit; // "dB", "ohm", "V", "A"
    bool magnitude_in_db = false;
    // The frequency to mark (Fc, the resonance) and its name, NaN where there is none.
    double marked = 0;
    QString marked_name;
    std::vector<ResponsePoint> points;
};

// The frequencies of a sweep; empty when the range is no range (see sweep_range_error).
std::vector<double> sweep_frequencies(const SweepRange &range);
// What is wrong with a range, or empty: frequencies must be positive and finite (above zero
// for a logarithmic sweep), `to` not below `from`, 1 to SWEEP_MAX_POINTS points.
QString sweep_range_error(const SweepRange &range);

// Two decades either side of `centre` at 50 points a decade, widened to take `also` in
// (NaN for nothing else) with a quarter-decade to spare.
SweepRange sweep_around(double centre, double also);

// One point of the RC stage whose -3 dB frequency is fc.
ResponsePoint rc_filter_point(double fc, double f);
// The RC filt. tab's stored R, C and Fc: the curve marks the Fc the tab shows. `range` null
// sweeps around Fc.
ResponseCurve rc_filter_response(double r, double c, double fc, const SweepRange *range);

// One point of the circuit's impedance, as the tab computes Z at frequency f.
bool rlc_point(int circuit, RlcValues values, double f, ResponsePoint &point);
// The RLC tab's stored values: the curve marks the resonance and passes through the tab's F.
// `range` null sweeps around the resonance (or F where there is none).
ResponseCurve rlc_response(int circuit, const RlcValues &values, const SweepRange *range);

// Curves over the same frequencies as CSV: a header "frequency_hz,<magnitude>_<unit>,phase_deg"
// (the phase column named after its curve when there are several), then one line a point,
// every number the shortest text that reads back as the same double.
std::string response_csv(const std::vector<ResponseCurve> &curves);
// The shortest text that reads back as x.
std::string shortest_text(double x);
