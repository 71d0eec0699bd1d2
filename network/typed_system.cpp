#include "network/typed_system.h"

#include "numbers/format.h"
#include "numbers/parse.h"

TypedSolve solve_typed_system(
    LinearSystem &system, int n, const std::function<QString(int r, int c)> &text)
{
    TypedSolve out{TypedSolve::Result::Solved, {}};
    int incorrect = 0;
    int kinds = 0;
    for (int r = 0; r < n; ++r) {
        for (int c = 0; c <= n; ++c) {
            Complex &entry = c < n ? system.solver_matrix[r][c] : system.solver_vector[r];
            const int kind = parse_value(text(r, c), entry);
            if (kind == KIND_INVALID) {
                ++incorrect;
                out.incorrect_columns[size_t(r)] |= 1u << c;
            }
            kinds |= kind;
        }
    }
    if (incorrect > 0) {
        out.result = TypedSolve::Result::Incorrect;
        out.message = incorrect == 1 ? QStringLiteral("1 incorrect value found")
                                     : QStringLiteral("%1 incorrect values found").arg(incorrect);
        return out;
    }
    int failed_step = 0;
    if (solve_linear_system(system, n, kinds, failed_step) != SOLVE_OK) {
        out.result = TypedSolve::Result::Singular;
        out.message = QStringLiteral("Singular! (%1)").arg(failed_step);
    }
    return out;
}

QString unknown_text(const Complex &x)
{
    char text[720]; // room for two parts of the largest doubles
    c_snprintf(text, sizeof text, "%9.6f+i%9.6f", x.re, x.im);
    return QString::fromLatin1(text);
}
