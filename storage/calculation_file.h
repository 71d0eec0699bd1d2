#pragma once

#include "model/calculator_model.h"

#include <QString>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

// A calculation file: for the tabs up to the delta-star tab the selected unknown (the
// direction there) and the text of every field, and the texts of the network grid. Texts are
// Latin-1 bytes, one line each. Field counts and unknown ranges are the tabs' definitions.

constexpr int CALCULATION_TABS = TAB_DELTA_STAR + 1;
constexpr int CALCULATION_MAX_NETWORK = NetworkState::MAX;
// The longest text a line of the file brings back whole (the reader takes 127 bytes a line,
// its line end included).
constexpr int SAVED_TEXT_MAX = 126;
// What a user may type or paste into a field or grid cell: far beyond any number, and within
// what a file holds. The program's own texts (a huge grid result) are not cut.
constexpr int TYPED_TEXT_MAX = 120;
// What typing or pasting text leaves in a field: line breaks dropped, at most TYPED_TEXT_MAX
// characters.
QString typed_text(const QString &text);

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
    enum class Status { Loaded, CannotOpen, WrongVersion, Folder, NotRegular, Empty, OtherEncoding };

    Status status = Status::Loaded;
    // CannotOpen: the system's reason.
    int error = 0;
    // OtherEncoding: the encoding the file's first bytes show ("UTF-16").
    const char *encoding = nullptr;
    // Where the file ended before its last section: the section (0 to 4 the tabs, 5 the grid,
    // 6 the delta-star tab), and whether it ended right before it; -1 for a whole file.
    int ended_in = -1;
    bool ended_before = false;
    bool has_unknown[CALCULATION_TABS] = {};
    int unknowns[CALCULATION_TABS] = {};
    std::vector<LoadedText> fields[CALCULATION_TABS];
    // False when the network line asked for more than 20 rows: reading stopped after tab 4.
    bool network_read = false;
    long requested_network_size = 0;
    bool has_network_size = false;
    int network_size = 0;
    std::vector<LoadedText> matrix;
    std::vector<LoadedText> vector_and_results;
};

// What a save did. A refused save wrote nothing; a failed one kept the file that was there.
struct SaveOutcome
{
    enum class Status { Saved, Refused, Failed };
    // Why a text cannot go into the file.
    enum class Problem { None, TooLong, LineBreak, Unwritable };

    Status status = Status::Saved;
    Problem problem = Problem::None;
    // Refused: the text's place, a tab's field or (tab -1) a grid cell.
    int tab = -1;
    int field = -1;
    CellId cell{};
    // Failed: the system's reason ("No space left on device").
    QString reason;

    bool saved() const { return status == Status::Saved; }
};

// Writes the whole file beside its target first and moves it over the target only when it is
// complete (through a symbolic link, to the file it points to), so a failed save never
// destroys the file that was there. The old file's mode and owner stay; a write-protected
// file is refused, also for root. In a folder the user may not write in, a file the user may
// write is written in place. A file with several names (hard links) keeps only this one: the
// new file replaces it under this name, the others keep the old calculation.
SaveOutcome write_calculation_file(const char *path, const Calculation &calculation);

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
    // Where a short file ended, and a grid too large to load (as LoadedCalculation has them).
    int ended_in = -1;
    bool ended_before = false;
    bool network_read = true;
    long requested_network_size = 0;
    int error = 0;
    const char *encoding = nullptr;
};

// Saves what the calculator shows. A text the file cannot hold (too long, a line break, a
// character outside Latin-1) refuses the save before anything is written; the Unicode minus
// is saved as "-", which reads back as the same number.
SaveOutcome save_calculation(const CalculatorModel &model, const char *path);

// Each tab as a user would redo it: choose the saved unknown, type the texts, recalculate.
// A file that cannot be read changes nothing.
LoadReport load_calculation(CalculatorModel &model, const char *path);

// The title of a tab as the reader sees it, for messages that name a place in a calculation.
using TabTitle = std::function<QString(int tab)>;

// What the user reads when a file could not be saved, or not be loaded.
QString save_failure_text(const QString &name, const SaveOutcome &outcome, const TabTitle &title);
QString load_failure_text(const LoadReport &report, const QString &name);
QString load_failure_text(LoadedCalculation::Status status, const QString &name);
// What the user reads after a load that stopped early; empty when the whole file was read.
QString load_notice_text(const LoadReport &report, const QString &name, const TabTitle &title);
// Why a file named on a command line cannot be read, with the system's reason: a folder, a
// missing file and one without read permission each say so. Empty when it can be read. Opens
// nothing that could block, so pipes and devices pass.
QString unreadable_input_text(const QString &name);
