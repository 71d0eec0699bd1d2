#pragma once

// What a formula tab's calculation produced for its unknown: an answer to show through
// format_value, a guard's message to show in the unknown's field, or nothing at all (an
// unknown outside the tab's range).
struct Outcome
{
    enum class Kind { Nothing, Answer, Message };

    Kind kind = Kind::Nothing;
    double value = 0.0;
    const char *message = nullptr;

    static Outcome answer(double v) { return {Kind::Answer, v, nullptr}; }
    static Outcome fail(const char *text) { return {Kind::Message, 0.0, text}; }
};

// Every real-valued tab's calculator: the selected unknown and the stored values in field order.
using RealCalculator = Outcome (*)(int unknown, const double *values);
