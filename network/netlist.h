#pragma once

#include "calculators/response.h"
#include "numbers/complex.h"

#include <QString>

#include <string>
#include <string_view>
#include <vector>

// Netlists in the SPICE subset people paste from simulators: R, C, L, independent V and I
// sources (DC value, AC magnitude and phase), the controlled sources E and G; DC analysis, or
// AC at one frequency (".ac lin 1 F F") or over a sweep (".ac dec N F1 F2", ".ac lin N F1 F2"). Read as SPICE reads them: the first line is the
// title, "*" starts a comment line, ";" an end-of-line comment, "+" continues the line before,
// names are case-insensitive, ".end" ends the netlist, node "0" (or "gnd") is ground, and
// numbers take SPICE's scale suffixes (f p n u m k meg g t, any case; "m" is milli, and
// letters after a number are ignored, so "10nF" is 10n).

struct NetlistElement
{
    char kind = 0;    // 'R', 'C', 'L', 'V', 'I', 'E' or 'G'
    std::string name; // as written
    int line = 0;     // where it was written, from 1
    int nodes[4] = {}; // node indices, 0 for ground: n+, n-, and nc+, nc- for E and G
    double value = 0; // ohms, farads, henries, the DC value of a source, or a gain
    double ac_magnitude = 0;
    double ac_phase_deg = 0;
};

struct Netlist
{
    std::vector<std::string> nodes; // by index; "0" first
    std::vector<NetlistElement> elements;
    bool ac = false;
    double frequency = 0; // hertz, for AC: the first of the sweep
    SweepRange sweep;     // one point for ".ac lin 1 F F"
    bool swept() const { return ac && sweep.points > 1; }
};

// A netlist read, or the first error in it, with the line it is on.
struct NetlistRead
{
    bool ok = false;
    Netlist netlist;
    QString error; // "line 3: R1: 'x' is no number"
};

NetlistRead read_netlist(std::string_view text);

// A SPICE number ("4.7k", "10nF", "2.2Meg", "1e-3"); false when the text starts with none.
bool spice_number(std::string_view text, double &value);

// The modified nodal equations of a netlist: one unknown per node other than ground, then one
// per voltage source, controlled voltage source and (in DC) inductor, in the order written.
// Dense, for the grid's size; the sparse solver below takes the same equations as triplets.
struct NodalEquations
{
    bool ok = false;
    QString error; // a node without a path to ground, a loop of voltage sources
    int size = 0;
    std::vector<QString> names; // "V(out)", "I(V1)"
    bool complex = false;       // AC
    // Entry (r, c) of the matrix, summed over every element's contribution.
    struct Entry
    {
        int row, col;
        Complex value;
    };
    std::vector<Entry> entries;
    std::vector<Complex> rhs;
};

NodalEquations nodal_equations(const Netlist &netlist);

// Solves the equations whatever their size (sparse LU); false when they have no single
// solution.
bool solve_nodal(const NodalEquations &equations, std::vector<Complex> &unknowns);

// A number as the grid's cells take it, exact to the last bit: the shortest text that reads
// back as the same double, or "re+iim".
QString exact_text(const Complex &z, bool complex);

// The equations as the grid's texts, row by row: the n coefficients, then the right-hand
// side ("0" where an element adds nothing). Solving them as the grid does gives the answer.
std::vector<QString> grid_texts(const NodalEquations &equations);

// What the window says of equations the grid cannot hold.
QString grid_too_small_text(int unknowns);

// Solves equations of up to the grid's 20 unknowns exactly as the grid does, from their
// texts; larger ones with solve_nodal. False when they have no single solution.
bool solve_netlist_equations(const NodalEquations &equations, std::vector<Complex> &unknowns);

// Every unknown at every frequency of a netlist's AC sweep.
struct NetlistSweep
{
    QString error;
    std::vector<QString> names;
    std::vector<double> frequencies;
    std::vector<std::vector<Complex>> values; // per frequency, per unknown
};

// Sweeps stay below this many values (frequencies times unknowns), so memory stays bounded.
constexpr size_t NETLIST_SWEEP_LIMIT = 1000000;

NetlistSweep sweep_netlist(Netlist netlist);
// One unknown of a sweep as a curve: its magnitude (volts or amperes) and phase in degrees.
ResponseCurve netlist_response(const NetlistSweep &sweep, int unknown);
