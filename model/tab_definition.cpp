#include "model/tab_definition.h"

#include "calculators/capacitor.h"
#include "calculators/ohms_law.h"

#include <cstring>

namespace {

constexpr Component NONE = Component::None;
constexpr Component RES = Component::Resistance;
constexpr Component CAP = Component::Capacitance;
constexpr Component IND = Component::Inductance;

} // namespace

const char *const ERROR_START_TEXT = "-";
const char *const ILLEGAL_NUMBERS = "Illegal number(s)";

// The start texts of the unknowns are the answers to the start inputs, so the program opens
// showing a finished calculation on every tab.
const TabDefinition TAB_DEFINITIONS[TAB_COUNT] = {
    {"ohm", TabKind::Real, 3,
     {{"V", "1", NONE}, {"I", "1", NONE}, {"R", "1", RES}},
     0, 3, {}, ohms_law},
    {"charge", TabKind::Real, 5,
     {{"Vt", "0.632121", NONE}, {"Vo", "1", NONE}, {"t", "1", NONE}, {"R", "1", RES},
      {"C", "1", CAP}},
     0, 5, {}, capacitor_charge},
    {"discharge", TabKind::Real, 5,
     {{"Vt", "0.367879", NONE}, {"Vo", "1", NONE}, {"t", "1", NONE}, {"R", "1", RES},
      {"C", "1", CAP}},
     0, 5, {}, capacitor_discharge},
    {"cccap", TabKind::Real, 4,
     {{"t", "1", NONE}, {"C", "1", CAP}, {"V", "1", NONE}, {"I", "1", NONE}},
     0, 4, {}, constant_current},
    {"rcfilter", TabKind::Real, 3,
     {{"R", "1", RES}, {"C", "1", CAP}, {"Fc", "0.159155", NONE}},
     2, 3, {}, rc_filter},
    // Direction 0 computes the delta (first three fields) from the star, 1 the star.
    {"deltay", TabKind::DeltaStar, 6,
     {{"Rab", "3", RES, true}, {"Rbc", "3", RES, true}, {"Rac", "3", RES, true},
      {"Ra", "1", RES, true}, {"Rb", "1", RES, true}, {"Rc", "1", RES, true}},
     0, 2, {"to-delta", "to-star"}, nullptr},
    {"rlc", TabKind::Rlc, 5,
     {{"R", "1", RES}, {"L", "1", IND}, {"C", "1", CAP}, {"F", "1", NONE},
      {"Z", "1+i6.12403", NONE, true}},
     4, 5, {}, nullptr},
};

// Series: only Z feeds R, and F needs no R. The other two circuits need every other field.
const CircuitDefinition RLC_CIRCUIT_DEFINITIONS[RLC_CIRCUITS] = {
    {"series", {0x1011, 0x1C1E, 0x1A1E, 0x161E, 0x0F1F}},
    {"parallel", {0x1E1F, 0x1D1F, 0x1B1F, 0x171F, 0x0F1F}},
    {"lrc", {0x1E1F, 0x1D1F, 0x1B1F, 0x171F, 0x0F1F}},
};

int TabDefinition::position(std::string_view quantity) const
{
    for (int i = 0; i < field_count; ++i) {
        // Compared in place: the names are C strings, and most differ at the first letter.
        const char *name = quantities[i].name;
        size_t k = 0;
        while (k < quantity.size() && name[k] != '\0' && name[k] == quantity[k])
            ++k;
        if (k == quantity.size() && name[k] == '\0')
            return i;
    }
    return -1;
}

int tab_index(const char *name)
{
    for (int t = 0; t < TAB_COUNT; ++t) {
        if (std::strcmp(TAB_DEFINITIONS[t].name, name) == 0)
            return t;
    }
    return -1;
}
