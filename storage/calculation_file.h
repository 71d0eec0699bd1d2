#pragma once

#include "model/calculator_model.h"

#include <QString>

#include <cstdio>
#include <string>
#include <vector>

// A calculation file: for the tabs up to the delta-star tab the selected unknown (the
// direction there) and the text of every field, and the texts of the network grid. Texts are
// Latin-1 bytes, one line each. Field counts and unknown ranges are the tabs' definitions.

constexpr int CALCULATION_TABS = TAB_DELTA_STAR + 1;
constexpr int CALCULATION_MAX_NETWORK = NetworkState::MAX;

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

// What loading a file into the calculator changed, for a view to show.
struct LoadReport
{
    LoadedCalculation::Status status = LoadedCalculation::Status::Loaded;
    TabChange tabs[CALCULATION_TABS];
    NetworkChange network;
    // The grid took the file's size, which differs from the size it had.
    bool network_resized = false;
    // The file gave the grid a size.
    bool has_network_size = false;
};

// Saves what the calculator shows. False on any failure; the file that was there is kept.
bool save_calculation(const CalculatorModel &model, const char *path);

// Each tab as a user would redo it: choose the saved unknown, type the texts, recalculate.
// A file that cannot be read changes nothing.
LoadReport load_calculation(CalculatorModel &model, const char *path);

// What the user reads when a file could not be saved, or not be loaded.
QString save_failure_text(const QString &name);
QString load_failure_text(LoadedCalculation::Status status, const QString &name);
// Why a file named on a command line cannot be read, with the system's reason: a folder, a
// missing file and one without read permission each say so. Empty when it can be read. Opens
// nothing that could block, so pipes and devices pass.
QString unreadable_input_text(const QString &name);
