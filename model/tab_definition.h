#pragma once

#include "calculators/outcome.h"

#include <string_view>

// What a quantity is, for the features that care which answers are parts one can buy.
enum class Component { None, Resistance, Capacitance, Inductance };

// How a tab reads its fields and what its selector picks.
enum class TabKind {
    Real,      // one unknown among real quantities; the others are inputs
    DeltaStar, // a direction: three impedances in, the other three out
    Rlc,       // one unknown of a circuit; the circuit decides which fields take part
};

constexpr int MAX_FIELDS = 6;
constexpr int RLC_QUANTITIES = 5;
constexpr int RLC_CIRCUITS = 3;

struct QuantityDefinition
{
    const char *name;       // as the command line and scripts spell it
    const char *start_text; // the field's text when the program starts
    Component component;
    // Whether its value can be complex: scripts then get an imaginary part with every answer.
    bool complex = false;
};

// One circuit of the RLC tab: per unknown, bit i set means field i takes part, bit 8 + i that
// it is an input.
struct CircuitDefinition
{
    const char *name;
    unsigned masks[RLC_QUANTITIES];
};

// Everything the program knows about one tab, as constant data.
struct TabDefinition
{
    const char *name; // "ohm", "charge", ...: the tab's name on the command line
    TabKind kind;
    int field_count;
    QuantityDefinition quantities[MAX_FIELDS];
    // The selector's start position: the unknown, or the direction on the delta-star tab.
    int start_unknown;
    // How many positions the selector has: one per field, or the two directions.
    int choices;
    // The names of the directions (delta-star tab only).
    const char *choice_names[2];
    // The formula of a real tab.
    RealCalculator formula;

    int position(std::string_view quantity) const;
};

enum TabIndex : int {
    TAB_OHM = 0,
    TAB_CHARGE,
    TAB_DISCHARGE,
    TAB_CONSTANT_CURRENT,
    TAB_RC_FILTER,
    TAB_DELTA_STAR,
    TAB_RLC,
    TAB_COUNT
};

extern const TabDefinition TAB_DEFINITIONS[TAB_COUNT];
extern const CircuitDefinition RLC_CIRCUIT_DEFINITIONS[RLC_CIRCUITS];

// The position of a tab by its name; -1 when there is none.
int tab_index(const char *name);

// The text every tab's error label shows before its first calculation; a calculation whose
// inputs are numbers empties it.
extern const char *const ERROR_START_TEXT;
// What a tab's error label says when an input is no number.
extern const char *const ILLEGAL_NUMBERS;
