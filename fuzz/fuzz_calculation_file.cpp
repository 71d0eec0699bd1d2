// Any file a user could pick: the reader must end, stay in bounds, and hand on only values
// within range (unknowns of each tab, grid sizes 0 to 20, as many cells as the size says).
#include "storage/calculation_file.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // fmemopen cannot open an empty buffer.
    if (size < 2)
        return 0;
    const int current = data[0] % (CALCULATION_MAX_NETWORK + 1);
    std::FILE *f = ::fmemopen(const_cast<uint8_t *>(data + 1), size - 1, "r");
    if (!f)
        return 0;
    const LoadedCalculation l = read_calculation_file(f, current);
    std::fclose(f);
    for (int t = 0; t < CALCULATION_TABS; ++t) {
        if (l.has_unknown[t] && (l.unknowns[t] < 0 || l.unknowns[t] >= TAB_DEFINITIONS[t].choices))
            std::abort();
        if (!l.fields[t].empty() && int(l.fields[t].size()) != TAB_DEFINITIONS[t].field_count)
            std::abort();
        for (const LoadedText &line : l.fields[t]) {
            if (line.text.size() > 127)
                std::abort();
        }
    }
    const int n = l.network_size;
    if (n < 0 || n > CALCULATION_MAX_NETWORK)
        std::abort();
    if (l.has_network_size
        && (int(l.matrix.size()) != n * n || int(l.vector_and_results.size()) != 2 * n))
        std::abort();
    return 0;
}
