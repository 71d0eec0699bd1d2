// Any size and any entries (NaN, infinities, subnormals): the solve must end, report only
// SOLVE_OK or SOLVE_SINGULAR with a step inside the system, and never touch an entry outside
// the leading n x n block.
#include "network/solver.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

const Complex SENTINEL{-12345.5, 67890.25};

bool untouched(const Complex &z)
{
    return std::memcmp(&z, &SENTINEL, sizeof z) == 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2)
        return 0;
    const int n = data[0] % (SOLVER_MAX_N + 1);
    const int flags = data[1] & 3;
    data += 2;
    size -= 2;

    LinearSystem s;
    for (auto &row : s.solver_matrix) {
        for (Complex &z : row)
            z = SENTINEL;
    }
    for (Complex &z : s.solver_vector)
        z = SENTINEL;
    // Entries come from the input, repeated as needed, as raw doubles.
    auto next = [&, pos = size_t(0)]() mutable {
        double d = 0.0;
        if (size >= sizeof d) {
            std::memcpy(&d, data + pos, sizeof d);
            pos = (pos + sizeof d) % (size - sizeof d + 1);
        }
        return d;
    };
    for (int r = 0; r < n; ++r) {
        for (int c = 0; c < n; ++c)
            s.solver_matrix[r][c] = {next(), flags >= 2 ? next() : 0.0};
        s.solver_vector[r] = {next(), flags >= 2 ? next() : 0.0};
    }

    int step = -1;
    const int result = solve_linear_system(s, n, flags, step);
    if (result != SOLVE_OK && result != SOLVE_SINGULAR)
        std::abort();
    if (result == SOLVE_SINGULAR && (step < 0 || step >= n))
        std::abort();
    for (int r = 0; r < SOLVER_MAX_N; ++r) {
        for (int c = 0; c < SOLVER_MAX_N; ++c) {
            if ((r >= n || c >= n) && !untouched(s.solver_matrix[r][c]))
                std::abort();
        }
        if (r >= n && !untouched(s.solver_vector[r]))
            std::abort();
    }
    return 0;
}
