#include "model/calculator_model.h"

CalculatorModel::CalculatorModel()
{
    tabs.reserve(TAB_COUNT);
    for (int t = 0; t < TAB_COUNT; ++t)
        tabs.emplace_back(t, digits);
}
