#include "cli/cli.h"

#include "calculators/capacitor.h"
#include "calculators/delta_star.h"
#include "calculators/ohms_law.h"
#include "calculators/rlc.h"
#include "cli/eseries.h"
#include "network/typed_system.h"
#include "storage/calculation_file.h"
#include "numbers/format.h"
#include "numbers/parse.h"

#include <QString>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>

namespace {

const char *const USAGE =
    "usage: ohmara-cli [--digits N] TAB UNKNOWN NAME=VALUE ...\n"
    "       ohmara-cli solve FILE|-\n"
    "       ohmara-cli eseries E3|E6|E12|E24|E48|E96|E192 VALUE\n"
    "       ohmara-cli recalc FILE.oma   (every tab of a calculation file, recalculated)\n"
    "       --json before any command prints one JSON object per answer\n"
    "       ohmara-cli --batch   (one command per line from standard input)\n"
    "tabs and their quantities:\n"
    "  ohm        V I R\n"
    "  charge     Vt Vo t R C\n"
    "  discharge  Vt Vo t R C\n"
    "  cccap      t C V I\n"
    "  rcfilter   R C Fc\n"
    "  deltay     to-delta Ra Rb Rc | to-star Rab Rbc Rac\n"
    "  rlc        series|parallel|lrc UNKNOWN, quantities R L C F Z\n"
    "Values as in the window: 4.7k, 100n, 32+i79.57. The answer prints as NAME = TEXT.\n";

struct RealTab
{
    const char *name;
    std::vector<std::string> quantities;
    RealCalculator formula;
};

const RealTab REAL_TABS[] = {
    {"ohm", {"V", "I", "R"}, ohms_law},
    {"charge", {"Vt", "Vo", "t", "R", "C"}, capacitor_charge},
    {"discharge", {"Vt", "Vo", "t", "R", "C"}, capacitor_discharge},
    {"cccap", {"t", "C", "V", "I"}, constant_current},
    {"rcfilter", {"R", "C", "Fc"}, rc_filter},
};

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
    std::string &out;
    std::string &err;
    int digits = 9;
    bool json = false;

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
    std::string number(double x)
    {
        char buf[FORMAT_BUFFER_SIZE];
        return format_value(buf, x, digits);
    }
    std::string number(Complex z)
    {
        char buf[2 * FORMAT_BUFFER_SIZE];
        return format_complex(buf, z, digits);
    }
};

int position(const std::vector<std::string> &names, const std::string &name)
{
    for (size_t i = 0; i < names.size(); ++i) {
        if (names[i] == name)
            return int(i);
    }
    return -1;
}

// NAME=VALUE arguments into the texts of the named quantities; every name known, none twice.
int collect(Context &cx, const std::vector<std::string> &names,
            std::vector<std::string>::const_iterator begin,
            std::vector<std::string>::const_iterator end, std::map<int, std::string> &texts)
{
    for (auto it = begin; it != end; ++it) {
        const size_t eq = it->find('=');
        const int m = eq == std::string::npos ? -1 : position(names, it->substr(0, eq));
        if (m < 0)
            return cx.fail(CLI_USAGE, "not a quantity of this tab: " + *it);
        if (texts.count(m))
            return cx.fail(CLI_USAGE, "given twice: " + names[size_t(m)]);
        texts[m] = it->substr(eq + 1);
    }
    return CLI_OK;
}

int real_tab(Context &cx, const RealTab &tab, const std::vector<std::string> &args)
{
    if (args.size() < 2)
        return cx.fail(CLI_USAGE, std::string("which quantity of ") + tab.name + " is unknown?");
    const int unknown = position(tab.quantities, args[1]);
    if (unknown < 0)
        return cx.fail(CLI_USAGE, "not a quantity of " + std::string(tab.name) + ": " + args[1]);
    std::map<int, std::string> texts;
    if (int status = collect(cx, tab.quantities, args.begin() + 2, args.end(), texts))
        return status;
    if (texts.count(unknown))
        return cx.fail(CLI_USAGE, args[1] + " is the unknown; give the other quantities");
    std::vector<double> values(tab.quantities.size(), 0.0);
    std::string bad;
    for (size_t m = 0; m < values.size(); ++m) {
        if (int(m) == unknown)
            continue;
        if (!texts.count(int(m)))
            return cx.fail(CLI_USAGE, "missing value: " + tab.quantities[m]);
        Complex z{};
        if (parse_value(QString::fromStdString(texts[int(m)]), z) != KIND_REAL)
            bad += (bad.empty() ? "" : ", ") + tab.quantities[m];
        values[m] = z.re;
    }
    if (!bad.empty())
        return cx.fail(CLI_ILLEGAL, "Illegal number(s): " + bad);
    const Outcome o = tab.formula(unknown, values.data());
    const std::string &name = tab.quantities[size_t(unknown)];
    if (o.kind == Outcome::Kind::Message)
        return cx.fail(CLI_GUARD, name + " = " + o.message);
    cx.answer(name, cx.number(o.value));
    return CLI_OK;
}

int delta_star_tab(Context &cx, const std::vector<std::string> &args)
{
    const std::vector<std::string> names = {"Rab", "Rbc", "Rac", "Ra", "Rb", "Rc"};
    if (args.size() < 2 || (args[1] != "to-delta" && args[1] != "to-star"))
        return cx.fail(CLI_USAGE, "deltay needs to-delta or to-star");
    const int direction = args[1] == "to-delta" ? 0 : 1;
    std::map<int, std::string> texts;
    if (int status = collect(cx, names, args.begin() + 2, args.end(), texts))
        return status;
    const int first_input = direction == 0 ? 3 : 0;
    Complex values[6] = {};
    int kinds = 0;
    std::string bad;
    for (const auto &[m, text] : texts) {
        if (m < first_input || m >= first_input + 3)
            return cx.fail(CLI_USAGE, names[size_t(m)] + " is computed in this direction");
    }
    for (int m = first_input; m < first_input + 3; ++m) {
        if (!texts.count(m))
            return cx.fail(CLI_USAGE, "missing value: " + names[size_t(m)]);
        const int kind = parse_value(QString::fromStdString(texts[m]), values[m]);
        if (kind == KIND_INVALID)
            bad += (bad.empty() ? "" : ", ") + names[size_t(m)];
        kinds |= kind;
    }
    if (!bad.empty())
        return cx.fail(CLI_ILLEGAL, "Illegal number(s): " + bad);
    const DeltaStar d = delta_star(direction, values);
    if (d.kind == DeltaStar::Kind::Message)
        return cx.fail(CLI_GUARD, std::string("Rab = ") + d.message);
    for (int k = 0; k < 3; ++k) {
        const Complex z = d.values[k];
        cx.answer(names[size_t(d.first + k)], kinds > 1 ? cx.number(z) : cx.number(z.re));
    }
    return CLI_OK;
}

int rlc_tab(Context &cx, const std::vector<std::string> &args)
{
    const std::vector<std::string> circuits = {"series", "parallel", "lrc"};
    const std::vector<std::string> names = {"R", "L", "C", "F", "Z"};
    const int circuit = args.size() > 1 ? position(circuits, args[1]) : -1;
    if (circuit < 0)
        return cx.fail(CLI_USAGE, "rlc needs series, parallel or lrc");
    const int unknown = args.size() > 2 ? position(names, args[2]) : -1;
    if (unknown < 0)
        return cx.fail(CLI_USAGE, "rlc needs the unknown: R, L, C, F or Z");
    std::map<int, std::string> texts;
    if (int status = collect(cx, names, args.begin() + 3, args.end(), texts))
        return status;
    if (texts.count(unknown))
        return cx.fail(CLI_USAGE, args[2] + " is the unknown; give the other quantities");
    // Quantities the circuit does not use for this unknown may be left out; like the window's
    // fields they then read as 1 and only feed the extra lines.
    static const unsigned series_inputs[] = {0x10, 0x1C, 0x1A, 0x16, 0x0F};
    static const unsigned other_inputs[] = {0x1E, 0x1D, 0x1B, 0x17, 0x0F};
    const unsigned inputs = (circuit == 0 ? series_inputs : other_inputs)[unknown];
    RlcValues v{1, 1, 1, 1, {1, 0}};
    double *reals[] = {&v.r, &v.l, &v.c, &v.f};
    std::string bad;
    for (int m = 0; m < 5; ++m) {
        if (m == unknown)
            continue;
        if (!texts.count(m)) {
            if ((inputs >> m) & 1u)
                return cx.fail(CLI_USAGE, "missing value: " + names[size_t(m)]);
            continue;
        }
        Complex z{};
        const int kind = parse_value(QString::fromStdString(texts[m]), z);
        if (kind == KIND_INVALID || (m < 4 && kind != KIND_REAL))
            bad += (bad.empty() ? "" : ", ") + names[size_t(m)];
        if (m < 4)
            *reals[m] = z.re;
        else
            v.z = z;
    }
    if (!bad.empty())
        return cx.fail(CLI_ILLEGAL, "Illegal number(s): " + bad);
    const RlcResult r = solve_rlc(circuit, unknown, v, cx.digits);
    int status = CLI_OK;
    if (r.answered)
        cx.answer(names[size_t(unknown)], r.field);
    else
        status = cx.fail(CLI_GUARD, names[size_t(unknown)] + " = " + r.field);
    if (r.panel) {
        const char *lines[RlcResult::LINES];
        for (int i = 0; i < RlcResult::LINES; ++i)
            lines[i] = r.lines[i];
        cx.lines(lines, lines + RlcResult::LINES);
    }
    return status;
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
            return cx.fail(CLI_IO, "Could not open '" + args[1] + "' for reading");
    }
    std::istream &in = args[1] == "-" ? std::cin : file;
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

// A standard value as a part is labelled: three significant digits and an SI suffix.
std::string part(double x)
{
    static const char *const suffixes[] = {"p", "n", "u", "m", "", "k", "M", "G"};
    int e = int(std::floor(std::log10(x) / 3.0));
    e = e < -4 ? -4 : e > 3 ? 3 : e;
    char buf[64];
    c_snprintf(buf, sizeof buf, "%.3g%s", x / std::pow(1000.0, e), suffixes[e + 4]);
    return buf;
}

int eseries(Context &cx, const std::vector<std::string> &args)
{
    int count = 0;
    const int n = args.size() == 3 && args[1].size() > 1 && args[1][0] == 'E'
        ? std::atoi(args[1].c_str() + 1) : 0;
    if (!eseries_values(n, count))
        return cx.fail(CLI_USAGE, "eseries needs E3, E6, E12, E24, E48, E96 or E192 and a value");
    Complex z{};
    if (parse_value(QString::fromStdString(args[2]), z) != KIND_REAL || !(z.re > 0) || !std::isfinite(z.re))
        return cx.fail(CLI_ILLEGAL, "Illegal number(s): " + args[2] + " (a positive value)");
    const Neighbours nb = eseries_neighbours(n, z.re);
    for (const auto &[label, x] : {std::pair{"below", nb.below}, std::pair{"above", nb.above}}) {
        char buf[128];
        c_snprintf(buf, sizeof buf, "%s (%+.2f %%)", part(x).c_str(), (x - z.re) / z.re * 100.0);
        cx.answer(label, buf);
    }
    return CLI_OK;
}

// A calculation file as the window shows it after loading: each tab from its start state, with
// the saved unknown and texts, recalculated; the grid's texts as saved.
int recalc(Context &cx, const std::vector<std::string> &args)
{
    if (args.size() != 2)
        return cx.fail(CLI_USAGE, "recalc needs a calculation file");
    const LoadedCalculation l = read_calculation_file(args[1].c_str(), 0);
    if (l.status == LoadedCalculation::Status::CannotOpen)
        return cx.fail(CLI_IO, "Could not open '" + args[1] + "' for reading");
    if (l.status == LoadedCalculation::Status::WrongVersion)
        return cx.fail(CLI_IO, "'" + args[1] + "' has wrong version number");
    static const std::vector<std::string> start[CALCULATION_TABS] = {
        {"1", "1", "1"}, {"0.632121", "1", "1", "1", "1"}, {"0.367879", "1", "1", "1", "1"},
        {"1", "1", "1", "1"}, {"1", "1", "0.159155"}, {"3", "3", "3", "1", "1", "1"}};
    const int start_unknown[CALCULATION_TABS] = {0, 0, 0, 0, 2, 0};
    const bool reached[CALCULATION_TABS] = {true, true, true, true, true, l.network_read};
    for (int t = 0; t < CALCULATION_TABS; ++t) {
        std::vector<std::string> texts = start[t];
        for (size_t i = 0; i < l.fields[t].size(); ++i) {
            if (l.fields[t][i].present)
                texts[i] = l.fields[t][i].text;
        }
        const int unknown = l.has_unknown[t] ? l.unknowns[t] : start_unknown[t];
        cx.out += t < 5 ? std::string("[") + REAL_TABS[t].name + "]\n" : "[deltay]\n";
        std::string error;
        if (!reached[t]) {
            // A grid too large stops the load before this tab, which keeps its start state.
        } else if (t < 5) {
            std::vector<double> values(texts.size(), 0.0);
            for (size_t m = 0; m < texts.size(); ++m) {
                Complex z{};
                if (int(m) != unknown && parse_value(QString::fromStdString(texts[m]), z) != KIND_REAL)
                    error = "Illegal number(s)";
                values[m] = z.re;
            }
            if (error.empty()) {
                const Outcome o = REAL_TABS[t].formula(unknown, values.data());
                texts[size_t(unknown)] = o.kind == Outcome::Kind::Message ? o.message : cx.number(o.value);
            }
        } else {
            QString qtexts[6];
            for (int i = 0; i < 6; ++i)
                qtexts[i] = QString::fromStdString(texts[size_t(i)]);
            Complex values[6] = {};
            int kinds = 0;
            if (read_complex_inputs(qtexts, unknown, values, kinds) != 0) {
                error = "Illegal number(s)";
            } else {
                const DeltaStar d = delta_star(unknown, values);
                if (d.kind == DeltaStar::Kind::Message)
                    texts[0] = d.message;
                for (int k = 0; d.kind == DeltaStar::Kind::Answer && k < 3; ++k)
                    texts[size_t(d.first + k)] = kinds > 1 ? cx.number(d.values[k]) : cx.number(d.values[k].re);
            }
        }
        const std::vector<std::string> &names = t < 5 ? REAL_TABS[t].quantities
            : std::vector<std::string>{"Rab", "Rbc", "Rac", "Ra", "Rb", "Rc"};
        for (size_t m = 0; m < texts.size(); ++m)
            cx.answer(names[m], texts[m]);
        if (!error.empty())
            cx.answer("error", error);
        if (t == 4 && l.has_network_size) {
            const int n = l.network_size;
            cx.out += "[network " + std::to_string(n) + "]\n";
            for (int r = 0; r < n; ++r) {
                for (int c = 0; c < n; ++c)
                    cx.answer("A" + std::to_string(r) + "," + std::to_string(c), l.matrix[size_t(r * n + c)].text);
                cx.answer("b" + std::to_string(r), l.vector_and_results[size_t(2 * r)].text);
                cx.answer("x" + std::to_string(r), l.vector_and_results[size_t(2 * r + 1)].text);
            }
        }
    }
    return CLI_OK;
}

int command(Context &cx, std::vector<std::string> args)
{
    if (!args.empty() && args[0] == "--json") {
        cx.json = true;
        args.erase(args.begin());
    }
    if (args.size() >= 2 && args[0] == "--digits") {
        const int d = std::atoi(args[1].c_str());
        if (d < 6 || d > 32)
            return cx.fail(CLI_USAGE, "--digits takes 6 to 32");
        cx.digits = d;
        args.erase(args.begin(), args.begin() + 2);
    }
    if (args.empty() || args[0] == "--help" || args[0] == "-h") {
        (args.empty() ? cx.err : cx.out) += USAGE;
        return args.empty() ? CLI_USAGE : CLI_OK;
    }
    for (const RealTab &tab : REAL_TABS) {
        if (args[0] == tab.name)
            return real_tab(cx, tab, args);
    }
    if (args[0] == "deltay")
        return delta_star_tab(cx, args);
    if (args[0] == "rlc")
        return rlc_tab(cx, args);
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
    Context cx{out, err};
    const bool json = !args.empty() && args[0] == "--json";
    if (args.size() == size_t(1 + json) && args.back() == "--batch") {
        // Each line answers on its own; the status is the worst of them.
        int worst = CLI_OK;
        std::string line;
        while (std::getline(std::cin, line)) {
            std::istringstream words(line);
            std::vector<std::string> line_args;
            for (std::string w; words >> w;)
                line_args.push_back(w);
            if (line_args.empty())
                continue;
            Context one{out, err, 9, json};
            const int status = command(one, line_args);
            worst = status > worst ? status : worst;
        }
        return worst;
    }
    return command(cx, args);
}
