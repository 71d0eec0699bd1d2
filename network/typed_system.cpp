#include "network/typed_system.h"

#include "numbers/format.h"
#include "numbers/parse.h"

TypedSolve solve_typed_system(
    LinearSystem &system, int n, const std::function<QString(int r, int c)> &text)
{
    int incorrect = 0;
    int kinds = 0;
    for (int r = 0; r < n; ++r) {
        for (int c = 0; c <= n; ++c) {
            Complex &entry = c < n ? system.solver_matrix[r][c] : system.solver_vector[r];
            const int kind = parse_value(text(r, c), entry);
            incorrect += kind == KIND_INVALID;
            kinds |= kind;
        }
    }
    if (incorrect == 1)
        return {TypedSolve::Result::Incorrect, QStringLiteral("1 incorrect value found")};
    if (incorrect > 1)
        return {TypedSolve::Result::Incorrect,
            QStringLiteral("%1 incorrect values found").arg(incorrect)};
    int failed_step = 0;
    if (solve_linear_system(system, n, kinds, failed_step) != SOLVE_OK)
        return {TypedSolve::Result::Singular, QStringLiteral("Singular! (%1)").arg(failed_step)};
    return {TypedSolve::Result::Solved, {}};
}

QString unknown_text(const Complex &x)
{
    char text[720]; // room for two parts of the largest doubles
    c_snprintf(text, sizeof text, "%9.6f+i%9.6f", x.re, x.im);
    return QString::fromLatin1(text);
}
