#pragma once

#include <cstdio>
#include <string>
#include <vector>

// A calculation file: for tabs 0 to 5 the selected unknown and the text of every Value field,
// and the texts of the network grid. Texts are Latin-1 bytes, one line each.

constexpr int CALCULATION_TABS = 6;
constexpr int CALCULATION_MAX_NETWORK = 20;
// Value fields per tab, and how many unknowns (directions on tab 5) each tab has.
constexpr int CALCULATION_FIELDS[CALCULATION_TABS] = {3, 5, 5, 4, 3, 6};
constexpr int CALCULATION_UNKNOWNS[CALCULATION_TABS] = {3, 5, 5, 4, 3, 2};

// What is saved.
struct Calculation
{
    int unknowns[CALCULATION_TABS] = {};
    std::vector<std::string> fields[CALCULATION_TABS];
    int network_size = 0;
    std::vector<std::string> matrix;             // row by row, network_size squared
    std::vector<std::string> vector_and_results; // per row: vector cell, then result cell
};

// One line as read back; a file that ends early yields lines that are not there.
struct LoadedText
{
    bool present = false;
    std::string text;
};

// What is read back. Everything here is within range: an unknown only where its line held an
// integer within the tab's range, a network size only from 0 to 20.
struct LoadedCalculation
{
    enum class Status { Loaded, CannotOpen, WrongVersion };

    Status status = Status::Loaded;
    bool has_unknown[CALCULATION_TABS] = {};
    int unknowns[CALCULATION_TABS] = {};
    std::vector<LoadedText> fields[CALCULATION_TABS];
    // False when the network line asked for more than 20 rows: reading stopped after tab 4.
    bool network_read = false;
    bool has_network_size = false;
    int network_size = 0;
    std::vector<LoadedText> matrix;
    std::vector<LoadedText> vector_and_results;
};

// Writes the whole file beside its target first and moves it over the target only when it is
// complete, so a failed save never destroys the file that was there. False on any failure.
bool write_calculation_file(const char *path, const Calculation &calculation);

// current_network_size: the grid's size now, whose lines a network line without a number
// passes over.
LoadedCalculation read_calculation_file(const char *path, int current_network_size);
LoadedCalculation read_calculation_file(std::FILE *file, int current_network_size);
