#pragma once

#include "numbers/complex.h"

// What a delta-star conversion produced: three impedances for the positions from `first` on,
// a zero test's message, or nothing (a direction outside 0 and 1).
struct DeltaStar
{
    enum class Kind { Nothing, Answer, Message };

    Kind kind = Kind::Nothing;
    const char *message = nullptr;
    int first = 0;
    Complex values[3] = {};
};

// Tab "D<->Y". Positions: 0 Rab, 1 Rbc, 2 Rac (delta), 3 Ra, 4 Rb, 5 Rc (star). Direction 0
// computes the delta from the star, direction 1 the star from the delta.
DeltaStar delta_star(int direction, const Complex *values);
