#pragma once

#include "network/solver.h"

#include <QString>

#include <array>
#include <cstdint>
#include <functional>

// A system of equations as a user types it, one text an entry: what the grid and the command
// line both solve.
struct TypedSolve {
    enum class Result { Solved, Incorrect, Singular };

    Result result;
    // What the user reads when there is no solution: "1 incorrect value found",
    // "N incorrect values found" or "Singular! (k)". Empty when solved.
    QString message;
    // Bit c of entry r is set when the text of coefficient (r, c), or of the right-hand side
    // for c == n, is no number: so a caller can say which ones.
    std::array<std::uint32_t, SOLVER_MAX_N> incorrect_columns{};
};

// text(r, c) is the text of coefficient (r, c) for c < n and of equation r's right-hand side
// for c == n. Every entry is parsed, so all incorrect ones are counted before any solving; on
// success system.solver_vector holds the unknowns.
TypedSolve solve_typed_system(
    LinearSystem &system, int n, const std::function<QString(int r, int c)> &text);

// An unknown as the results column shows it.
QString unknown_text(const Complex &x);
