#pragma once

#include "numbers/complex.h"
#include "numbers/format.h"

// The quantities of the RLC tab in field order: R, L, C, F (hertz) and the impedance Z.
struct RlcValues
{
    double r;
    double l;
    double c;
    double f;
    Complex z;
};

enum RlcCircuit : int { RLC_SERIES = 0, RLC_PARALLEL = 1, RLC_L_R_PARALLEL_C = 2 };

// The numbers behind the panel's lines, for scripts. The phase is Z's own (positive when the
// current lags); no resonance and an infinite Zcap are NaN.
struct RlcPanelValues
{
    double magnitude = 0;
    double phase_rad = 0;
    double phase_deg = 0;
    bool leading = false;
    double resonance_hz = 0;
    double z_ind = 0;
    double z_cap = 0;
};

// Texts for the tab: the unknown's field (an answer or a check's message) and the lines of
// the extra-information panel, which a few failures leave as they were.
struct RlcResult
{
    static constexpr int LINES = 7;

    bool solved = false;
    // True when the field holds an answer, false when it holds a check's message.
    bool answered = false;
    char field[2 * FORMAT_BUFFER_SIZE] = {};
    bool panel = false;
    char lines[LINES][2 * FORMAT_BUFFER_SIZE] = {};
    RlcPanelValues values;
};

// Solves the unknown (0 R, 1 L, 2 C, 3 F, 4 Z) of the circuit from the stored values, stores
// it there (a failed check leaves it alone), and writes the panel from the stored values.
// Texts are written at `digits` characters per number.
RlcResult solve_rlc(int circuit, int unknown, RlcValues &values, int digits);
