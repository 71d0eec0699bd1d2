#include "cli/cli.h"

#include "model/calculator_model.h"
#include "model/standard_values.h"
#include "network/typed_system.h"
#include "storage/calculation_file.h"
#include "numbers/format.h"
#include "numbers/parse.h"

#include <QString>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>

namespace {

// The usage text; the tabs and their quantities are added from the definitions.
const char *const USAGE =
    "usage: ohmara-cli [--digits N] TAB UNKNOWN NAME=VALUE ...\n"
    "       options anywhere: --digits N or --digits=N, --series E24, --json, -- ends them;\n"
    "       -h/--help, -V/--version\n"
    "       ohmara-cli solve FILE|-\n"
    "       ohmara-cli eseries E3|E6|E12|E24|E48|E96|E192 VALUE\n"
    "       --series E3..E192 before a tab's command or recalc adds standard values to\n"
    "         every answer that is a resistance, capacitance or inductance\n"
    "       ohmara-cli recalc FILE.oma   (every tab of a calculation file, recalculated)\n"
    "       --json before any command prints one JSON object per answer\n"
    "       ohmara-cli --batch   (one command per line from standard input)\n"
    "tabs and their quantities:\n";
const char *const USAGE_END =
    "Values as in the window: 4.7k, 100n, 32+i79.57. The answer prints as NAME = TEXT.\n";

std::string usage()
{
    std::string text = USAGE;
    for (const TabDefinition &d : TAB_DEFINITIONS) {
        std::string line = std::string("  ") + d.name;
        line.resize(13, ' ');
        std::string names;
        for (int i = 0; i < d.field_count; ++i)
            names += (i ? " " : "") + std::string(d.quantities[i].name);
        if (d.kind == TabKind::Real) {
            line += names;
        } else if (d.kind == TabKind::DeltaStar) {
            for (int direction = 0; direction < d.choices; ++direction) {
                TabState tab(int(&d - TAB_DEFINITIONS), DIGITS_START);
                tab.select(direction, DIGITS_START);
                line += std::string(direction ? " | " : "") + d.choice_names[direction];
                for (int i = 0; i < d.field_count; ++i) {
                    if (!tab.field(i).read_only)
                        line += std::string(" ") + d.quantities[i].name;
                }
            }
        } else {
            for (int c = 0; c < RLC_CIRCUITS; ++c)
                line += std::string(c ? "|" : "") + RLC_CIRCUIT_DEFINITIONS[c].name;
            line += " UNKNOWN, quantities " + names;
        }
        text += line + "\n";
    }
    return text + USAGE_END;
}

std::string json_string(const std::string &text)
{
    std::string q = "\"";
    for (char ch : text) {
        if (ch == '"' || ch == '\\')
            q += '\\';
        if (static_cast<unsigned char>(ch) < 0x20) {
            char esc[8];
            std::snprintf(esc, sizeof esc, "\\u%04x", ch);
            q += esc;
            continue;
        }
        q += ch;
    }
    return q + "\"";
}

struct Context
{
    std::istream &in;
    std::string &out;
    std::string &err;
    int digits = 9;
    bool json = false;
    int series = -1; // an index into SERIES_NAMES, or none

    // One answer: "NAME = TEXT", or {"name": ..., "text": ...} for scripts.
    void answer(const std::string &name, const std::string &text)
    {
        if (json)
            out += "{\"name\": " + json_string(name) + ", \"text\": " + json_string(text) + "}\n";
        else
            out += name + " = " + text + "\n";
    }
    void lines(const char *const *begin, const char *const *end)
    {
        if (!json) {
            for (auto l = begin; l != end; ++l)
                out += std::string(*l) + "\n";
            return;
        }
        std::string list;
        for (auto l = begin; l != end; ++l)
            list += (list.empty() ? "" : ", ") + json_string(*l);
        out += "{\"panel\": [" + list + "]}\n";
    }

    int fail(int status, const std::string &message)
    {
        err += message + "\n";
        return status;
    }
};

// NAME=VALUE arguments into the texts of the named quantities; every name known, none twice.
int collect(Context &cx, const TabDefinition &d, std::vector<std::string>::const_iterator begin,
            std::vector<std::string>::const_iterator end, std::map<int, std::string> &texts)
{
    for (auto it = begin; it != end; ++it) {
        const size_t eq = it->find('=');
        const int m = eq == std::string::npos ? -1 : d.position(it->substr(0, eq).c_str());
        if (m < 0)
            return cx.fail(CLI_USAGE, "not a quantity of this tab: " + *it);
        if (texts.count(m))
            return cx.fail(CLI_USAGE, std::string("given twice: ") + d.quantities[m].name);
        texts[m] = it->substr(eq + 1);
    }
    return CLI_OK;
}

// A fresh window's tab with the unknown chosen: the inputs it needs are the fields the user
// can type into. Fields that take no part may be given; they are read as the window reads them.
int fill(Context &cx, TabState &tab, const std::map<int, std::string> &texts)
{
    const TabDefinition &d = tab.definition();
    for (const auto &[i, text] : texts) {
        const FieldState &f = tab.field(i);
        if (f.read_only && f.enabled)
            return cx.fail(CLI_USAGE, d.kind == TabKind::DeltaStar
                    ? std::string(d.quantities[i].name) + " is computed in this direction"
                    : std::string(d.quantities[i].name) + " is the unknown; give the other quantities");
    }
    for (int i = 0; i < d.field_count; ++i) {
        const FieldState &f = tab.field(i);
        const auto given = texts.find(i);
        if (given != texts.end())
            tab.type(i, QString::fromStdString(given->second));
        else if (!f.read_only && f.enabled)
            return cx.fail(CLI_USAGE, std::string("missing value: ") + d.quantities[i].name);
    }
    return CLI_OK;
}

// The parts to buy for an answer: "R: below 6.8k (-3.64 %), above 7.5k (+6.28 %)", and the
// best pair of parts where two come closer than one.
void suggest(Context &cx, const std::string &name, Component component, double x)
{
    const StandardValues sv = standard_values(SERIES_SIZES[cx.series], x);
    if (!sv.valid)
        return;
    char buf[160];
    std::string line, json;
    auto add = [&](const char *label, double value, double percent) {
        c_snprintf(buf, sizeof buf, "%s%s %s (%+.2f %%)", line.empty() ? "" : ", ", label,
                   part_text(value).c_str(), percent);
        line += buf;
        c_snprintf(buf, sizeof buf, ", \"%s\": \"%s\", \"%s_percent\": %.2f", label,
                   part_text(value).c_str(), label, percent);
        json += buf;
    };
    if (sv.has_below)
        add("below", sv.below, sv.below_deviation);
    if (sv.has_above)
        add("above", sv.above, sv.above_deviation);
    if (sv.has_pair) {
        const std::string pair = sv.pair_text(component);
        c_snprintf(buf, sizeof buf, ", pair %s (%+.2f %%)", pair.c_str(), sv.pair_deviation);
        line += buf;
        c_snprintf(buf, sizeof buf, ", \"pair\": \"%s\", \"pair_percent\": %.2f", pair.c_str(), sv.pair_deviation);
        json += buf;
    }
    if (cx.json)
        cx.out += "{\"name\": \"" + name + "\", \"series\": \"" + SERIES_NAMES[cx.series] + "\"" + json + "}\n";
    else
        cx.out += name + ": " + line + "\n";
}

// Recalculates and prints what the window shows: the written fields, or the check's message.
int answer(Context &cx, TabState &tab)
{
    const TabChange change = tab.recalculate(cx.digits);
    if (change.rejected)
        return cx.fail(CLI_ILLEGAL, std::string(ILLEGAL_NUMBERS) + ": " + tab.names(change.rejected).toStdString());
    int status = CLI_OK;
    for (int i = 0; i < tab.field_count(); ++i) {
        if (!((change.texts >> i) & 1u))
            continue;
        const std::string name = tab.definition().quantities[i].name;
        const std::string text = tab.field(i).text.toStdString();
        if (change.answer == TabChange::Answer::Message) {
            status = cx.fail(CLI_GUARD, name + " = " + text);
        } else {
            cx.answer(name, text);
            if (cx.series >= 0 && tab.is_component_answer(i))
                suggest(cx, name, tab.definition().quantities[i].component, tab.value(i).re);
        }
    }
    if (change.panel) {
        std::vector<std::string> lines;
        for (const QString &line : tab.panel())
            lines.push_back(line.toStdString());
        std::vector<const char *> pointers;
        for (const std::string &line : lines)
            pointers.push_back(line.c_str());
        cx.lines(pointers.data(), pointers.data() + pointers.size());
    }
    return status;
}

int tab_command(Context &cx, int t, const std::vector<std::string> &args)
{
    const TabDefinition &d = TAB_DEFINITIONS[t];
    TabState tab(t, cx.digits);
    size_t first = 2;
    if (d.kind == TabKind::Real) {
        if (args.size() < 2)
            return cx.fail(CLI_USAGE, std::string("which quantity of ") + d.name + " is unknown?");
        const int unknown = d.position(args[1].c_str());
        if (unknown < 0)
            return cx.fail(CLI_USAGE, "not a quantity of " + std::string(d.name) + ": " + args[1]);
        tab.select(unknown, cx.digits);
    } else if (d.kind == TabKind::DeltaStar) {
        int direction = -1;
        for (int k = 0; k < d.choices; ++k) {
            if (args.size() > 1 && args[1] == d.choice_names[k])
                direction = k;
        }
        if (direction < 0)
            return cx.fail(CLI_USAGE, std::string(d.name) + " needs " + d.choice_names[0] + " or "
                                          + d.choice_names[1]);
        tab.select(direction, cx.digits);
    } else {
        int circuit = -1;
        for (int c = 0; c < RLC_CIRCUITS; ++c) {
            if (args.size() > 1 && args[1] == RLC_CIRCUIT_DEFINITIONS[c].name)
                circuit = c;
        }
        if (circuit < 0) {
            std::string names;
            for (int c = 0; c < RLC_CIRCUITS; ++c)
                names += std::string(c == 0 ? "" : c + 1 < RLC_CIRCUITS ? ", " : " or ")
                    + RLC_CIRCUIT_DEFINITIONS[c].name;
            return cx.fail(CLI_USAGE, std::string(d.name) + " needs " + names);
        }
        const int unknown = args.size() > 2 ? d.position(args[2].c_str()) : -1;
        if (unknown < 0) {
            std::string names;
            for (int i = 0; i < d.field_count; ++i)
                names += std::string(i == 0 ? "" : i + 1 < d.field_count ? ", " : " or ")
                    + d.quantities[i].name;
            return cx.fail(CLI_USAGE, std::string(d.name) + " needs the unknown: " + names);
        }
        tab.select_circuit(circuit, cx.digits);
        tab.select(unknown, cx.digits);
        first = 3;
    }
    std::map<int, std::string> texts;
    if (int status = collect(cx, d, args.begin() + long(first), args.end(), texts))
        return status;
    if (int status = fill(cx, tab, texts))
        return status;
    return answer(cx, tab);
}

// One equation per line: the coefficients, then the right-hand side, separated by blanks.
int solve(Context &cx, const std::vector<std::string> &args)
{
    if (args.size() != 2)
        return cx.fail(CLI_USAGE, "solve needs a file, or - for standard input");
    std::ifstream file;
    if (args[1] != "-") {
        file.open(args[1]);
        if (!file)
            return cx.fail(CLI_IO, load_failure_text(LoadedCalculation::Status::CannotOpen,
                                                     QString::fromStdString(args[1])).toStdString());
    }
    std::istream &in = args[1] == "-" ? cx.in : file;
    std::vector<std::vector<std::string>> rows;
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        std::vector<std::string> row;
        for (std::string w; words >> w;)
            row.push_back(w);
        if (!row.empty())
            rows.push_back(row);
    }
    const int n = int(rows.size());
    if (n == 0 || n > SOLVER_MAX_N)
        return cx.fail(CLI_USAGE, "solve takes 1 to 20 equations");
    for (int r = 0; r < n; ++r) {
        if (int(rows[size_t(r)].size()) != n + 1)
            return cx.fail(CLI_USAGE, "equation " + std::to_string(r + 1) + " needs " +
                                          std::to_string(n + 1) + " numbers");
    }
    LinearSystem s{};
    const TypedSolve solved = solve_typed_system(s, n, [&rows](int r, int c) {
        return QString::fromStdString(rows[size_t(r)][size_t(c)]);
    });
    if (solved.result != TypedSolve::Result::Solved)
        return cx.fail(solved.result == TypedSolve::Result::Incorrect ? CLI_ILLEGAL : CLI_GUARD,
                       solved.message.toStdString());
    for (int r = 0; r < n; ++r) {
        const std::string text = unknown_text(s.solver_vector[r]).toStdString();
        if (cx.json)
            cx.answer("x" + std::to_string(r), text);
        else
            cx.out += text + "\n";
    }
    return CLI_OK;
}

int eseries(Context &cx, const std::vector<std::string> &args)
{
    const int k = args.size() == 3 ? series_index(args[1].c_str()) : -1;
    if (k < 0)
        return cx.fail(CLI_USAGE, "eseries needs E3, E6, E12, E24, E48, E96 or E192 and a value");
    Complex z{};
    if (parse_value(QString::fromStdString(args[2]), z) != KIND_REAL || !(z.re > 0) || !std::isfinite(z.re))
        return cx.fail(CLI_ILLEGAL, std::string(ILLEGAL_NUMBERS) + ": " + args[2] + " (a positive value)");
    const StandardValues sv = standard_values(SERIES_SIZES[k], z.re);
    char buf[160];
    auto one = [&](const char *label, bool has, double value, double percent) {
        if (!has)
            return;
        c_snprintf(buf, sizeof buf, "%s (%+.2f %%)", part_text(value).c_str(), percent);
        cx.answer(label, buf);
    };
    one("below", sv.has_below, sv.below, sv.below_deviation);
    one("above", sv.has_above, sv.above, sv.above_deviation);
    if (sv.has_pair) {
        // As resistors combine.
        c_snprintf(buf, sizeof buf, "%s = %s (%+.2f %%)", sv.pair_text(Component::Resistance).c_str(),
                   part_text(sv.pair).c_str(), sv.pair_deviation);
        cx.answer("pair", buf);
    }
    return CLI_OK;
}

// A calculation file as the window shows it after loading: a fresh window loads it, and every
// saved tab prints what it shows; the grid's texts as saved.
int recalc(Context &cx, const std::vector<std::string> &args)
{
    if (args.size() != 2)
        return cx.fail(CLI_USAGE, "recalc needs a calculation file");
    CalculatorModel model;
    model.digits = cx.digits;
    const LoadReport report = load_calculation(model, args[1].c_str());
    if (report.status != LoadedCalculation::Status::Loaded)
        return cx.fail(CLI_IO, load_failure_text(report.status, QString::fromStdString(args[1]))
                                   .toStdString());
    for (int t = 0; t < CALCULATION_TABS; ++t) {
        const TabState &tab = model.tab(t);
        cx.out += std::string("[") + tab.definition().name + "]\n";
        const bool answered = report.tabs[t].answer == TabChange::Answer::Value && !tab.inputs_rejected();
        for (int i = 0; i < tab.field_count(); ++i) {
            const QuantityDefinition &q = tab.definition().quantities[i];
            cx.answer(q.name, tab.field(i).text.toStdString());
            if (cx.series >= 0 && answered && tab.field(i).look == Look::Result && tab.is_component_answer(i))
                suggest(cx, q.name, q.component, tab.value(i).re);
        }
        if (tab.inputs_rejected())
            cx.answer("error", tab.error().toStdString());
        if (t == TAB_RC_FILTER && report.has_network_size) {
            const NetworkState &grid = model.network;
            const int n = grid.size();
            cx.out += "[network " + std::to_string(n) + "]\n";
            auto text = [&grid](CellId id) { return grid.cell(id).text.toStdString(); };
            for (int r = 0; r < n; ++r) {
                for (int c = 0; c < n; ++c)
                    cx.answer("A" + std::to_string(r) + "," + std::to_string(c),
                              text({CellId::Column::Matrix, r, c}));
                cx.answer("b" + std::to_string(r), text({CellId::Column::Vector, r}));
                cx.answer("x" + std::to_string(r), text({CellId::Column::Result, r}));
            }
        }
    }
    return CLI_OK;
}

// Options as GNU tools take them: anywhere among the arguments, "--digits 12" or
// "--digits=12", and "--" ends them. What is left is the command.
int take_options(Context &cx, std::vector<std::string> &args, bool &help, bool &version)
{
    std::vector<std::string> rest;
    for (size_t k = 0; k < args.size(); ++k) {
        const std::string &a = args[k];
        if (a == "--") {
            rest.insert(rest.end(), args.begin() + long(k) + 1, args.end());
            break;
        }
        if (a == "-h" || a == "--help") {
            help = true;
            continue;
        }
        if (a == "-V" || a == "--version") {
            version = true;
            continue;
        }
        if (a == "--json") {
            cx.json = true;
            continue;
        }
        if (a.rfind("--", 0) != 0) {
            rest.push_back(a);
            continue;
        }
        const size_t eq = a.find('=');
        const std::string name = a.substr(0, eq);
        if (name != "--digits" && name != "--series")
            return cx.fail(CLI_USAGE, "unknown option: " + a + " (try --help)");
        std::string value;
        if (eq != std::string::npos)
            value = a.substr(eq + 1);
        else if (k + 1 < args.size())
            value = args[++k];
        if (name == "--series") {
            cx.series = series_index(value.c_str());
            if (cx.series < 0)
                return cx.fail(CLI_USAGE, "--series takes E3, E6, E12, E24, E48, E96 or E192");
            continue;
        }
        char *end = nullptr;
        const long d = std::strtol(value.c_str(), &end, 10);
        if (value.empty() || *end != '\0' || d < 6 || d > 32)
            return cx.fail(CLI_USAGE, "--digits takes 6 to 32");
        cx.digits = int(d);
    }
    args = rest;
    return CLI_OK;
}

int command(Context &cx, std::vector<std::string> args)
{
    bool help = false, version = false;
    if (const int status = take_options(cx, args, help, version))
        return status;
    if (version) {
        cx.out += "ohmara-cli " OHMARA_VERSION "\n";
        return CLI_OK;
    }
    if (args.empty() || help) {
        (help ? cx.out : cx.err) += usage();
        return help ? CLI_OK : CLI_USAGE;
    }
    if (const int t = tab_index(args[0].c_str()); t >= 0)
        return tab_command(cx, t, args);
    if (args[0] == "solve")
        return solve(cx, args);
    if (args[0] == "eseries")
        return eseries(cx, args);
    if (args[0] == "recalc")
        return recalc(cx, args);
    return cx.fail(CLI_USAGE, "unknown command: " + args[0] + " (try --help)");
}

} // namespace

int run_cli(const std::vector<std::string> &args, std::string &out, std::string &err)
{
    return run_cli(args, std::cin, out, err);
}

int run_cli(const std::vector<std::string> &args, std::istream &in, std::string &out,
            std::string &err)
{
    Context cx{in, out, err};
    const auto batch = std::find(args.begin(), args.end(), "--batch");
    if (batch == args.end())
        return command(cx, args);
    // "--batch [FILE|-]": one command a line; the other options hold for every line.
    std::vector<std::string> options(args.begin(), batch);
    auto next = batch + 1;
    std::string name = "-";
    if (next != args.end() && next->rfind("--", 0) != 0)
        name = *next++;
    options.insert(options.end(), next, args.end());
    bool help = false, version = false;
    if (const int status = take_options(cx, options, help, version))
        return status;
    if (!options.empty() || help || version)
        return cx.fail(CLI_USAGE, "--batch takes a file (or - for standard input) and options");
    std::ifstream file;
    if (name != "-") {
        file.open(name);
        if (!file)
            return cx.fail(CLI_IO, load_failure_text(LoadedCalculation::Status::CannotOpen,
                                                     QString::fromStdString(name)).toStdString());
    }
    std::istream &lines = name == "-" ? in : file;
    // Each line answers on its own, and its messages say which line it was; the status is the
    // worst of them. Blank lines and lines starting with # are passed over.
    int worst = CLI_OK;
    std::string line;
    for (long number = 1; std::getline(lines, line); ++number) {
        std::istringstream words(line);
        std::vector<std::string> line_args;
        for (std::string w; words >> w;)
            line_args.push_back(w);
        if (line_args.empty() || line_args[0][0] == '#')
            continue;
        std::string said;
        Context one{in, out, said, cx.digits, cx.json, cx.series};
        const int status = command(one, line_args);
        worst = status > worst ? status : worst;
        std::istringstream messages(said);
        for (std::string message; std::getline(messages, message);)
            err += "line " + std::to_string(number) + ": " + message + "\n";
    }
    return worst;
}
