#pragma once

#include "calculators/outcome.h"

// Ohm's law, tab "Ohms law". Positions: 0 V, 1 I, 2 R.
Outcome ohms_law(int unknown, const double *values);
