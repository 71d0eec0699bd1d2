#pragma once

#include "numbers/complex.h"

constexpr int SOLVER_MAX_N = 20;

enum : int {
    SOLVE_OK = 0,
    SOLVE_SINGULAR = 2,
};

// One system of up to SOLVER_MAX_N linear equations, solved in place. Row r of
// solver_matrix holds the coefficients of equation r; solver_vector holds the right-hand
// sides on entry and the unknowns after a successful solve. The matrix is the solver's to
// use: a real solve leaves it as it was, a complex one eliminated. Fixed size: no allocation.
struct LinearSystem
{
    Complex solver_matrix[SOLVER_MAX_N][SOLVER_MAX_N];
    Complex solver_vector[SOLVER_MAX_N];
};

// Gauss-Jordan elimination with partial pivoting over rows on the leading n x n block.
// kind_flags is the OR of the parse kinds of every entry: below 2 the solve works on the real
// parts only, otherwise in complex arithmetic. Only an exact zero pivot fails: then
// failed_step is the 0-based step (the first unknown the equations do not determine) and the
// result is SOLVE_SINGULAR. n of 0 or less solves nothing.
int solve_linear_system(LinearSystem &system, int n, int kind_flags, int &failed_step);
