#include "calculators/response.h"

#include "calculators/capacitor.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace {

const double PI = 3.141592653589793;
constexpr int POINTS_PER_DECADE = 50;

bool positive(double x)
{
    return x > 0 && std::isfinite(x);
}

// The frequencies of the range with `extra` put in at their places, so the curve passes
// through them exactly rather than between two neighbours.
std::vector<double> with(std::vector<double> frequencies, std::initializer_list<double> extra, const SweepRange &range)
{
    for (double f : extra) {
        if (!(positive(f) && f >= range.from && f <= range.to))
            continue;
        // A neighbour a rounding away would draw the same point twice.
        frequencies.erase(std::remove_if(frequencies.begin(), frequencies.end(),
                                         [f](double g) { return std::abs(g - f) <= 1e-9 * f; }),
                          frequencies.end());
        frequencies.push_back(f);
    }
    std::sort(frequencies.begin(), frequencies.end());
    frequencies.erase(std::unique(frequencies.begin(), frequencies.end()), frequencies.end());
    return frequencies;
}

} // namespace

QString sweep_range_error(const SweepRange &r)
{
    if (!std::isfinite(r.from) || !std::isfinite(r.to) || r.from < 0
        || (r.spacing == SweepRange::Spacing::Log && r.from <= 0))
        return QStringLiteral("the sweep needs frequencies above 0 Hz");
    if (r.to < r.from)
        return QStringLiteral("the sweep ends below its start");
    if (r.points < 1 || r.points > SWEEP_MAX_POINTS)
        return QStringLiteral("a sweep takes 1 to %1 points").arg(SWEEP_MAX_POINTS);
    return {};
}

std::vector<double> sweep_frequencies(const SweepRange &r)
{
    std::vector<double> out;
    if (!sweep_range_error(r).isEmpty())
        return out;
    out.reserve(size_t(r.points));
    if (r.points == 1) {
        out.push_back(r.from);
        return out;
    }
    const bool log = r.spacing == SweepRange::Spacing::Log;
    const double a = log ? std::log10(r.from) : r.from;
    const double b = log ? std::log10(r.to) : r.to;
    for (int k = 0; k < r.points; ++k) {
        // The ends exactly as given, whatever rounding does in between.
        const double x = k == 0 ? a : k == r.points - 1 ? b : a + (b - a) * k / (r.points - 1);
        out.push_back(k == 0 ? r.from : k == r.points - 1 ? r.to : log ? std::pow(10.0, x) : x);
    }
    return out;
}

SweepRange sweep_around(double centre, double also)
{
    double low = std::log10(centre) - 2, high = std::log10(centre) + 2;
    if (positive(also)) {
        low = std::min(low, std::log10(also) - 0.25);
        high = std::max(high, std::log10(also) + 0.25);
    }
    SweepRange r;
    r.from = std::pow(10.0, low);
    r.to = std::pow(10.0, high);
    r.points = std::min(SWEEP_MAX_POINTS, int(std::ceil((high - low) * POINTS_PER_DECADE)) + 1);
    return r;
}

ResponsePoint rc_filter_point(double fc, double f)
{
    const double x = f / fc;
    return {f, -10.0 * std::log10(1.0 + x * x), -std::atan(x) / PI * 180.0};
}

ResponseCurve rc_filter_response(double r, double c, double fc, const SweepRange *range)
{
    ResponseCurve curve;
    curve.magnitude_name = QStringLiteral("Gain");
    curve.magnitude_unit = QStringLiteral("dB");
    curve.magnitude_in_db = true;
    curve.marked_name = QStringLiteral("Fc");
    curve.marked = fc;
    // The stage is R and C; Fc is what the tab shows for them (or was given with them).
    const double values[3] = {r, c, fc};
    const Outcome check = rc_filter(2, values);
    if (check.kind != Outcome::Kind::Answer || !positive(fc) || !positive(r) || !positive(c)) {
        curve.error = QStringLiteral("The RC stage needs R, C and Fc above zero");
        return curve;
    }
    const SweepRange chosen = range ? *range : sweep_around(fc, std::nan(""));
    if (curve.error = sweep_range_error(chosen); !curve.error.isEmpty())
        return curve;
    for (double f : with(sweep_frequencies(chosen), {fc}, chosen))
        curve.points.push_back(rc_filter_point(fc, f));
    return curve;
}

bool rlc_point(int circuit, RlcValues values, double f, ResponsePoint &point)
{
    values.f = f;
    const RlcResult z = solve_rlc(circuit, 4, values, 6);
    point = {f, z.values.magnitude, z.values.phase_deg};
    return z.answered && std::isfinite(z.values.magnitude) && std::isfinite(z.values.phase_deg);
}

ResponseCurve rlc_response(int circuit, const RlcValues &values, const SweepRange *range)
{
    ResponseCurve curve;
    curve.magnitude_name = QStringLiteral("|Z|");
    curve.magnitude_unit = QStringLiteral("ohm");
    curve.marked_name = QStringLiteral("f0");
    RlcValues at_f = values;
    const RlcResult tab = solve_rlc(circuit, 4, at_f, 6);
    curve.marked = tab.panel ? tab.values.resonance_hz : std::nan("");
    const double f = positive(values.f) ? values.f : std::nan("");
    const double centre = positive(curve.marked) ? curve.marked : f;
    if (!range && !positive(centre)) {
        curve.error = QStringLiteral("The circuit has no resonance and F is not above zero");
        return curve;
    }
    const SweepRange chosen = range ? *range : sweep_around(centre, f);
    if (curve.error = sweep_range_error(chosen); !curve.error.isEmpty())
        return curve;
    for (double x : with(sweep_frequencies(chosen), {curve.marked, f}, chosen)) {
        ResponsePoint p;
        if (rlc_point(circuit, values, x, p))
            curve.points.push_back(p);
    }
    if (curve.points.empty())
        curve.error = QStringLiteral("Z cannot be computed at these frequencies (a zero R, L or C?)");
    return curve;
}

std::string shortest_text(double x)
{
    char buf[64];
    const auto end = std::to_chars(buf, buf + sizeof buf, x).ptr;
    return std::string(buf, end);
}

std::string response_csv(const std::vector<ResponseCurve> &curves)
{
    std::string out = "frequency_hz";
    for (const ResponseCurve &curve : curves) {
        std::string name;
        for (QChar ch : curve.magnitude_name) {
            if (ch != QLatin1Char('|'))
                name += char(ch.toLower().toLatin1());
        }
        out += "," + name + "_" + curve.magnitude_unit.toLower().toStdString() + ","
            + (curves.size() > 1 ? name + "_" : std::string()) + "phase_deg";
    }
    out += "\n";
    const size_t n = curves.empty() ? 0 : curves.front().points.size();
    for (size_t k = 0; k < n; ++k) {
        out += shortest_text(curves.front().points[k].frequency);
        for (const ResponseCurve &curve : curves)
            out += "," + shortest_text(curve.points[k].magnitude) + "," + shortest_text(curve.points[k].phase_deg);
        out += "\n";
    }
    return out;
}
