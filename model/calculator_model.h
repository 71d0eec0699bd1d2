#pragma once

#include "model/network_state.h"
#include "model/tab_state.h"

#include <vector>

// Characters per answer when the program starts.
constexpr int DIGITS_START = 9;

// The whole calculator as one value: every tab, the equation grid and the width of answers.
// The window shows one; the command line fills a fresh one and prints what it would show.
struct CalculatorModel
{
    CalculatorModel();

    TabState &tab(int t) { return tabs[size_t(t)]; }
    const TabState &tab(int t) const { return tabs[size_t(t)]; }

    int digits = DIGITS_START;
    std::vector<TabState> tabs;
    NetworkState network;
};
