#pragma once

#include "calculators/outcome.h"

// Tab "Charge": Vt = Vo (1 - e^(-t/RC)). Positions: 0 Vt, 1 Vo, 2 t, 3 R, 4 C.
Outcome capacitor_charge(int unknown, const double *values);

// Tab "Discharge": Vt = Vo e^(-t/RC). Positions as for the charge.
Outcome capacitor_discharge(int unknown, const double *values);

// Tab "CC & Cap": C V = I t. Positions: 0 t, 1 C, 2 V, 3 I.
Outcome constant_current(int unknown, const double *values);

// Tab "RC filt.": Fc = 1 / (2 pi R C). Positions: 0 R, 1 C, 2 Fc.
Outcome rc_filter(int unknown, const double *values);
