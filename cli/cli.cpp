#include "cli/cli.h"

#include "model/calculator_model.h"
#include "model/standard_values.h"
#include "calculators/capacitor.h"
#include "calculators/response.h"
#include "network/netlist.h"
#include "network/typed_system.h"
#include "base/helper_thread.h"
#include "storage/calculation_file.h"
#include "numbers/format.h"
#include "numbers/parse.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <tuple>

namespace {

// The usage text; the tabs and their quantities are added from the definitions.
const char *const USAGE =
    "usage: ohmara-cli [--digits N] TAB UNKNOWN NAME=VALUE ...\n"
    "       ohmara-cli solve FILE|-      (one equation a line: coefficients, then the right side)\n"
    "       ohmara-cli eseries E3|E6|E12|E24|E48|E96|E192 VALUE\n"
    "       ohmara-cli recalc FILE.oma   (every tab of a calculation file, recalculated)\n"
    "       ohmara-cli netlist FILE|-    (a SPICE netlist: node voltages and source currents,\n"
    "                                    over its .ac sweep as CSV when it has one)\n"
    "       ohmara-cli sweep rcfilter R=.. C=..   |   sweep rlc CIRCUIT R=.. L=.. C=.. [F=..]\n"
    "                          [--from F1] [--to F2] [--points N]  (frequency response as CSV:\n"
    "                          frequency, gain in dB or |Z| in ohms, phase in degrees)\n"
    "       ohmara-cli --batch [FILE|-]  (one command a line; # comments and blank lines skipped)\n"
    "options, before or after the command (-- ends them):\n"
    "  --digits N, --digits=N  characters per number, 6 to 32 (9)\n"
    "  --series E3..E192       standard values for every answer that is a resistance,\n"
    "                          capacitance or inductance\n"
    "  --json                  one JSON document per command: command, status, answers (name,\n"
    "                          text, re, im; null and a message for a check that failed),\n"
    "                          messages; panel (rlc), tabs and network (recalc), line (batch)\n"
    "  --json-lines            the same documents, one a line\n"
    "  -h, --help              this text;  -V, --version  the version\n"
    "exit status: 0 answered, 1 a formula's check failed, 2 a usage error, 3 a value that is no\n"
    "  number, 4 a file that cannot be read or an output that cannot be written; a batch ends\n"
    "  with the highest status of its lines, and every message names its line.\n"
    "tabs and their quantities:\n";
const char *const USAGE_END =
    "Values as in the window: 4.7k, 100n, 32+i79.57. The answer prints as NAME = TEXT.\n";

// Longer lines hold no command or equation; reading stops there, so memory stays bounded.
constexpr size_t LINE_LIMIT = 65536;

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

enum class LineRead { Line, TooLong, End };

// One line without its line break, at most LINE_LIMIT bytes of it. A longer line is read to
// its end when skip_rest is set (a batch goes on with the next line), else left at once.
LineRead read_line(std::istream &in, std::string &line, bool skip_rest)
{
    line.clear();
    // The stream's getline copies up to the line break in one search of its buffer; a line
    // longer than the chunk comes in pieces.
    char chunk[512];
    bool any = false;
    bool too_long = false;
    for (;;) {
        in.getline(chunk, sizeof chunk);
        std::streamsize got = in.gcount();
        any = any || got > 0;
        // The line break counts in gcount but is not stored; the end of the input and a full
        // chunk have none.
        const bool at_end = in.eof();
        const bool ended = !at_end && !in.fail();
        if (ended)
            --got;
        if (!too_long) {
            const size_t room = LINE_LIMIT - line.size();
            line.append(chunk, std::min(size_t(got), room));
            too_long = size_t(got) > room;
            if (too_long && !skip_rest)
                return LineRead::TooLong;
        }
        if (ended)
            return too_long ? LineRead::TooLong : LineRead::Line;
        if (at_end)
            return !any ? LineRead::End : too_long ? LineRead::TooLong : LineRead::Line;
        in.clear();
    }
}

// Why a line is no text, or null when it is: messages must never carry raw bytes that end or
// garble what a terminal or script reads.
const char *not_text(std::string_view line)
{
    const auto *p = reinterpret_cast<const unsigned char *>(line.data());
    const auto *end = p + line.size();
    // Commands are ASCII: eight bytes at a time pass when none is NUL or above 0x7F.
    constexpr uint64_t ONES = 0x0101010101010101ull;
    constexpr uint64_t HIGHS = 0x8080808080808080ull;
    for (uint64_t w; end - p >= 8; p += 8) {
        std::memcpy(&w, p, sizeof w);
        if (((w | ((w - ONES) & ~w)) & HIGHS) != 0)
            break;
    }
    while (p < end) {
        const unsigned char c = *p++;
        if (c == 0)
            return "a NUL byte";
        if (c < 0x80)
            continue;
        int more = c >= 0xF0 && c <= 0xF4 ? 3 : c >= 0xE0 ? 2 : c >= 0xC2 && c < 0xE0 ? 1 : -1;
        if (more < 0 || end - p < more)
            return "bytes that are not UTF-8";
        const unsigned char second = *p;
        // Overlong forms, UTF-16 surrogates and code points above U+10FFFF.
        if ((c == 0xE0 && second < 0xA0) || (c == 0xED && second > 0x9F) || (c == 0xF0 && second < 0x90)
            || (c == 0xF4 && second > 0x8F))
            return "bytes that are not UTF-8";
        for (; more > 0; --more) {
            if ((*p++ & 0xC0) != 0x80)
                return "bytes that are not UTF-8";
        }
    }
    return nullptr;
}

// The C locale's white space, which parts words as a stream's >> parts them.
bool blank(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

// Words parted by blanks into words (whose strings keep their room from line to line).
void words_of(std::string_view line, std::vector<std::string> &words)
{
    size_t count = 0;
    const char *p = line.data();
    const char *const end = p + line.size();
    for (;;) {
        while (p < end && blank(*p))
            ++p;
        if (p == end)
            break;
        const char *const start = p;
        while (p < end && !blank(*p))
            ++p;
        if (count == words.size())
            words.emplace_back();
        words[count++].assign(start, size_t(p - start));
    }
    words.resize(count);
}

// A field's text onto the output, in UTF-8; answers are short ASCII and go without a
// conversion or a string of their own.
void append_text(std::string &out, const QString &text)
{
    char ascii[64];
    if (text.size() > qsizetype(sizeof ascii)) {
        out += text.toStdString();
        return;
    }
    char *p = ascii;
    for (const QChar c : text) {
        if (c.unicode() >= 0x80) {
            out += text.toStdString();
            return;
        }
        *p++ = char(c.unicode());
    }
    out.append(ascii, size_t(p - ascii));
}

enum class Format { Text, Json, JsonLines };

// JSON has no infinity or NaN: such a number is null.
QJsonValue number(double x)
{
    return std::isfinite(x) ? QJsonValue(x) : QJsonValue(QJsonValue::Null);
}

QJsonObject answer_object(const std::string &name, const QString &text)
{
    return {{"name", QString::fromStdString(name)}, {"text", text.trimmed()}};
}

void set_value(QJsonObject &answer, const Complex &z, bool complex)
{
    answer["re"] = number(z.re);
    if (complex)
        answer["im"] = number(z.im);
}

// The value of a text as shown, for answers the program only displays (a loaded file).
void set_shown_value(QJsonObject &answer, const QString &text, bool complex)
{
    Complex z{};
    if (parse_value(text, z) == KIND_INVALID)
        answer["re"] = QJsonValue::Null;
    else
        set_value(answer, z, complex);
}

// A batch asks for the same few fresh tabs again and again: each is built once, with its
// unknown (circuit, direction) chosen, and copied for every line that wants it.
class FreshTabs
{
public:
    const TabState &get(int tab, int circuit, int choice, int digits)
    {
        const auto key = std::make_tuple(tab, circuit, choice, digits);
        auto found = m_tabs.find(key);
        if (found == m_tabs.end())
            found = m_tabs.emplace(key, fresh(tab, circuit, choice, digits)).first;
        return found->second;
    }

    static TabState fresh(int tab, int circuit, int choice, int digits)
    {
        TabState state(tab, digits);
        if (state.definition().kind == TabKind::Rlc)
            state.select_circuit(circuit, digits);
        state.select(choice, digits);
        return state;
    }

private:
    std::map<std::tuple<int, int, int, int>, TabState> m_tabs;
};

struct GivenTexts;

struct Context
{
    explicit Context(std::istream &input) : in(input) {}

    std::istream &in;
    int digits = DIGITS_START;
    Format format = Format::Text;
    int series = -1; // an index into SERIES_NAMES, or none
    bool in_batch = false;
    // The batch's fresh tabs and the texts its lines give; none for a single command.
    FreshTabs *fresh_tabs = nullptr;
    GivenTexts *given_texts = nullptr;
    // --from, --to and --points of a sweep, as typed.
    std::map<std::string, std::string> sweep_options;

    // What this command prints; handed to the output when it is done.
    std::string out;
    std::string err;
    std::string command;
    bool plain = false; // help and version are for people, also with --json
    QJsonArray answers;
    std::vector<std::string> messages; // the document's, turned into JSON only when printed
    QJsonObject document; // the command's own members: panel, tabs, network

    bool json() const { return format != Format::Text; }

    // One answer: "NAME = TEXT", or its object in the document.
    void answer(const std::string &name, const std::string &text, QJsonObject object)
    {
        if (json())
            answers.append(object);
        else
            out += name + " = " + text + "\n";
    }

    int fail(int status, const std::string &message)
    {
        err += message + "\n";
        messages.push_back(message);
        return status;
    }
};

// The values a command line gives, by field.
struct GivenTexts
{
    QString text[MAX_FIELDS];
    unsigned given = 0;

    bool has(int i) const { return (given >> i) & 1u; }
};

// A value into a text that keeps its room from line to line in a batch: an ASCII value, as
// values are, is copied in without a new allocation.
void assign_utf8(QString &to, const char *from, qsizetype size)
{
    for (qsizetype k = 0; k < size; ++k) {
        if (static_cast<unsigned char>(from[k]) >= 0x80) {
            to = QString::fromUtf8(from, size);
            return;
        }
    }
    to.resize(size);
    QChar *out = to.data();
    for (qsizetype k = 0; k < size; ++k)
        out[k] = QLatin1Char(from[k]);
}

// NAME=VALUE arguments into the texts of the named quantities; every name known, none twice.
int collect(Context &cx, const TabDefinition &d, std::vector<std::string>::const_iterator begin,
            std::vector<std::string>::const_iterator end, GivenTexts &texts)
{
    for (auto it = begin; it != end; ++it) {
        const size_t eq = it->find('=');
        const int m = eq == std::string::npos ? -1 : d.position(std::string_view(*it).substr(0, eq));
        if (m < 0)
            return cx.fail(CLI_USAGE, "not a quantity of this tab: " + *it);
        if (texts.has(m))
            return cx.fail(CLI_USAGE, std::string("given twice: ") + d.quantities[m].name);
        assign_utf8(texts.text[m], it->data() + eq + 1, qsizetype(it->size() - eq - 1));
        texts.given |= 1u << m;
    }
    return CLI_OK;
}

// A fresh window's tab with the unknown chosen: the inputs it needs are the fields the user
// can type into. A field the window greys out for this circuit and unknown takes no value, and
// neither does one the window computes.
int fill(Context &cx, TabState &tab, const GivenTexts &texts)
{
    const TabDefinition &d = tab.definition();
    unsigned empty = 0;
    for (int i = 0; i < MAX_FIELDS; ++i) {
        if (!texts.has(i))
            continue;
        const FieldState &f = tab.field(i);
        if (!f.enabled)
            return cx.fail(CLI_USAGE, std::string(d.quantities[i].name) + " is not used when "
                                          + d.quantities[tab.unknown()].name + " is solved in a "
                                          + RLC_CIRCUIT_DEFINITIONS[tab.circuit()].name + " circuit");
        if (f.read_only)
            return cx.fail(CLI_USAGE, d.kind == TabKind::DeltaStar
                    ? std::string(d.quantities[i].name) + " is computed in this direction"
                    : std::string(d.quantities[i].name) + " is the unknown; give the other quantities");
        // The window reads an empty field as zero; on a command line it is a value left out.
        const QStringView value = QStringView(texts.text[i]).trimmed();
        if (value.isEmpty() || (value.size() == 1 && (value.front() == u'+' || value.front() == u'-')))
            empty |= 1u << i;
    }
    if (empty)
        return cx.fail(CLI_ILLEGAL, std::string(ILLEGAL_NUMBERS) + ": " + tab.names(empty).toStdString());
    for (int i = 0; i < d.field_count; ++i) {
        const FieldState &f = tab.field(i);
        if (texts.has(i))
            tab.type(i, texts.text[i]);
        else if (!f.read_only && f.enabled)
            return cx.fail(CLI_USAGE, std::string("missing value: ") + d.quantities[i].name);
    }
    return CLI_OK;
}

// The parts to buy for an answer: "R: below 6.8k (-3.64 %), above 7.5k (+6.28 %)", and the
// best pair of parts where two come closer than one. In JSON, a member of the answer's object.
void suggest(Context &cx, QJsonObject &answer, const std::string &name, Component component, double x)
{
    const StandardValues sv = standard_values(SERIES_SIZES[cx.series], x);
    if (!sv.valid)
        return;
    char buf[160];
    std::string line;
    QJsonObject json{{"series", SERIES_NAMES[cx.series]}};
    auto add = [&](const char *label, const std::string &text, double value, double percent) {
        c_snprintf(buf, sizeof buf, "%s%s %s (%+.2f %%)", line.empty() ? "" : ", ", label, text.c_str(),
                   percent);
        line += buf;
        json[label] = QJsonObject{{"text", QString::fromStdString(text)}, {"value", number(value)},
                                  {"percent", number(percent)}};
    };
    if (sv.has_below)
        add("below", part_text(sv.below), sv.below, sv.below_deviation);
    if (sv.has_above)
        add("above", part_text(sv.above), sv.above, sv.above_deviation);
    if (sv.has_pair)
        add("pair", sv.pair_text(component), sv.pair, sv.pair_deviation);
    answer["standard_values"] = json;
    if (!cx.json())
        cx.out += name + ": " + line + "\n";
}

// The RLC panel as scripts want it: its numbers by name, not its display lines.
QJsonObject panel_object(const RlcPanelValues &v)
{
    return {{"magnitude", number(v.magnitude)}, {"phase_rad", number(v.phase_rad)},
            {"phase_deg", number(v.phase_deg)}, {"leading", v.leading},
            {"resonance_hz", number(v.resonance_hz)}, {"z_ind", number(v.z_ind)},
            {"z_cap", number(v.z_cap)}};
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
        const QuantityDefinition &q = tab.definition().quantities[i];
        const QString &text = tab.field(i).text;
        if (change.answer == TabChange::Answer::Message) {
            status = cx.fail(CLI_GUARD, q.name + (" = " + text.toStdString()));
            if (cx.json()) {
                QJsonObject object = answer_object(q.name, text);
                object["re"] = QJsonValue::Null;
                object["message"] = text.trimmed();
                cx.answers.append(object);
            }
            continue;
        }
        // Text needs no objects; most batch lines come this way.
        QJsonObject object;
        if (cx.json()) {
            object = answer_object(q.name, text);
            set_value(object, tab.value(i), q.complex);
        } else {
            cx.out += q.name;
            cx.out += " = ";
            append_text(cx.out, text);
            cx.out += '\n';
        }
        if (cx.series >= 0 && tab.is_component_answer(i))
            suggest(cx, object, q.name, q.component, tab.value(i).re);
        if (cx.json())
            cx.answers.append(object);
    }
    if (change.panel) {
        if (cx.json()) {
            cx.document["panel"] = panel_object(tab.panel_values());
        } else {
            for (const QString &line : tab.panel()) {
                append_text(cx.out, line);
                cx.out += '\n';
            }
        }
    }
    return status;
}

int tab_command(Context &cx, int t, const std::vector<std::string> &args)
{
    const TabDefinition &d = TAB_DEFINITIONS[t];
    size_t first = 2;
    int circuit = 0, choice = 0;
    if (d.kind == TabKind::Real) {
        if (args.size() < 2)
            return cx.fail(CLI_USAGE, std::string("which quantity of ") + d.name + " is unknown?");
        const int unknown = d.position(args[1].c_str());
        if (unknown < 0)
            return cx.fail(CLI_USAGE, "not a quantity of " + std::string(d.name) + ": " + args[1]);
        choice = unknown;
    } else if (d.kind == TabKind::DeltaStar) {
        int direction = -1;
        for (int k = 0; k < d.choices; ++k) {
            if (args.size() > 1 && args[1] == d.choice_names[k])
                direction = k;
        }
        if (direction < 0)
            return cx.fail(CLI_USAGE, std::string(d.name) + " needs " + d.choice_names[0] + " or "
                                          + d.choice_names[1]);
        choice = direction;
    } else {
        circuit = -1;
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
        choice = unknown;
        first = 3;
    }
    TabState tab = cx.fresh_tabs ? cx.fresh_tabs->get(t, circuit, choice, cx.digits)
                                 : FreshTabs::fresh(t, circuit, choice, cx.digits);
    // A batch keeps the texts' room from line to line; a single command has its own.
    std::optional<GivenTexts> own_texts;
    GivenTexts &texts = cx.given_texts ? *cx.given_texts : own_texts.emplace();
    texts.given = 0;
    if (int status = collect(cx, d, args.begin() + long(first), args.end(), texts))
        return status;
    if (int status = fill(cx, tab, texts))
        return status;
    return answer(cx, tab);
}

// An input file named on the command line, or standard input for "-".
int open_input(Context &cx, const std::string &name, std::ifstream &file)
{
    if (name == "-")
        return CLI_OK;
    const QString problem = unreadable_input_text(QString::fromStdString(name));
    if (!problem.isEmpty())
        return cx.fail(CLI_IO, problem.toStdString());
    file.open(name, std::ios::binary);
    if (!file)
        return cx.fail(CLI_IO, load_failure_text(LoadedCalculation::Status::CannotOpen,
                                                 QString::fromStdString(name)).toStdString());
    return CLI_OK;
}

// The input of a command that reads "FILE" or "-": standard input, which inside a batch holds
// the batch itself and is refused there. Null, with the status, when there is none.
std::istream *command_input(Context &cx, const std::vector<std::string> &args, std::ifstream &file, int &status)
{
    if (args.size() != 2) {
        status = cx.fail(CLI_USAGE, args[0] + " needs a file, or - for standard input");
        return nullptr;
    }
    if (args[1] == "-" && cx.in_batch) {
        status = cx.fail(CLI_USAGE, args[0] + " - inside a batch would read the batch itself; give a file");
        return nullptr;
    }
    status = open_input(cx, args[1], file);
    return status != CLI_OK ? nullptr : args[1] == "-" ? &cx.in : &file;
}

// One equation per line: the coefficients, then the right-hand side, separated by blanks.
// Reading stops at the first line past the grid's 20 equations.
int solve(Context &cx, const std::vector<std::string> &args)
{
    std::ifstream file;
    int status = CLI_OK;
    std::istream *input = command_input(cx, args, file, status);
    if (!input)
        return status;
    std::istream &in = *input;
    std::vector<std::vector<std::string>> rows;
    std::string line;
    for (long number = 1;; ++number) {
        const LineRead read = read_line(in, line, false);
        if (read == LineRead::End)
            break;
        if (read == LineRead::TooLong)
            return cx.fail(CLI_USAGE, "line " + std::to_string(number) + " of the equations is longer than "
                                          + std::to_string(LINE_LIMIT) + " characters");
        std::vector<std::string> row;
        words_of(line, row);
        if (row.empty())
            continue;
        if (int(rows.size()) == SOLVER_MAX_N)
            return cx.fail(CLI_USAGE, "solve takes 1 to 20 equations");
        rows.push_back(std::move(row));
    }
    const int n = int(rows.size());
    if (n == 0)
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
    if (solved.result == TypedSolve::Result::Incorrect) {
        // The grid's count, and where they are: "row 2 column 3", the right-hand side as the
        // column after the coefficients.
        std::string where;
        for (int r = 0; r < n; ++r) {
            for (int c = 0; c <= n; ++c) {
                if ((solved.incorrect_columns[size_t(r)] >> c) & 1u)
                    where += (where.empty() ? ": " : ", ") + ("row " + std::to_string(r + 1))
                             + " column " + std::to_string(c + 1);
            }
        }
        return cx.fail(CLI_ILLEGAL, solved.message.toStdString() + where);
    }
    if (solved.result != TypedSolve::Result::Solved)
        return cx.fail(CLI_GUARD, solved.message.toStdString());
    for (int r = 0; r < n; ++r) {
        const QString text = unknown_text(s.solver_vector[r]);
        QJsonObject object = answer_object("x" + std::to_string(r), text);
        set_value(object, s.solver_vector[r], true);
        if (cx.json())
            cx.answers.append(object);
        else
            cx.out += text.toStdString() + "\n";
    }
    return CLI_OK;
}

// Curves as CSV, or in JSON as the document's "curves": name, unit, the marked frequency and
// the points, every number exact.
int print_curves(Context &cx, const std::vector<ResponseCurve> &curves)
{
    if (!cx.json()) {
        cx.out += response_csv(curves);
        return CLI_OK;
    }
    QJsonArray list;
    for (const ResponseCurve &curve : curves) {
        QJsonObject object;
        object["quantity"] = curve.magnitude_name;
        object["unit"] = curve.magnitude_unit;
        object["marked"] = std::isfinite(curve.marked)
            ? QJsonValue(QJsonObject{{"name", curve.marked_name}, {"frequency", curve.marked}})
            : QJsonValue(QJsonValue::Null);
        QJsonArray points;
        for (const ResponsePoint &p : curve.points)
            points.append(QJsonObject{{"frequency", p.frequency}, {"magnitude", p.magnitude}, {"phase", p.phase_deg}});
        object["points"] = points;
        list.append(object);
    }
    cx.document["curves"] = list;
    return CLI_OK;
}

// Netlists past this size are no hand-written circuit; reading stops there.
constexpr size_t NETLIST_LIMIT = size_t(64) << 20;

// A SPICE netlist: every node voltage and source current, as V(out) = 2.5 at the digits.
int netlist(Context &cx, const std::vector<std::string> &args)
{
    std::ifstream file;
    int status = CLI_OK;
    std::istream *input = command_input(cx, args, file, status);
    if (!input)
        return status;
    std::istream &in = *input;
    std::string text, line;
    for (LineRead read; (read = read_line(in, line, false)) != LineRead::End;) {
        if (read == LineRead::TooLong || text.size() + line.size() > NETLIST_LIMIT)
            return cx.fail(CLI_USAGE, "the netlist is larger than " + std::to_string(NETLIST_LIMIT >> 20)
                                          + " MiB or has a line longer than " + std::to_string(LINE_LIMIT) + " characters");
        text += line;
        text += '\n';
    }
    const NetlistRead read = read_netlist(text);
    if (!read.ok)
        return cx.fail(CLI_ILLEGAL, read.error.toStdString());
    const NodalEquations equations = nodal_equations(read.netlist);
    if (!equations.ok)
        return cx.fail(CLI_ILLEGAL, equations.error.toStdString());
    if (read.netlist.swept()) {
        const NetlistSweep swept = sweep_netlist(read.netlist);
        if (!swept.error.isEmpty())
            return cx.fail(CLI_GUARD, swept.error.toStdString());
        std::vector<ResponseCurve> curves;
        for (int i = 0; i < int(swept.names.size()); ++i)
            curves.push_back(netlist_response(swept, i));
        return print_curves(cx, curves);
    }
    std::vector<Complex> x;
    if (!solve_netlist_equations(equations, x))
        return cx.fail(CLI_GUARD, "the netlist's equations have no single solution");
    char buf[2 * FORMAT_BUFFER_SIZE];
    for (int i = 0; i < equations.size; ++i) {
        const Complex z = x[size_t(i)];
        const std::string name = equations.names[size_t(i)].toStdString();
        const char *shown = equations.complex ? format_complex(buf, z, cx.digits) : format_value(buf, z.re, cx.digits);
        const QString text = QString::fromLatin1(shown).trimmed();
        QJsonObject object = answer_object(name, text);
        set_value(object, z, true);
        cx.answer(name, text.toStdString(), object);
    }
    return CLI_OK;
}

// A frequency given on the command line, in the fields' notation.
int sweep_frequency(Context &cx, const char *option, double &value)
{
    const auto given = cx.sweep_options.find(option);
    if (given == cx.sweep_options.end())
        return CLI_OK;
    Complex z{};
    if (parse_value(QString::fromStdString(given->second), z) != KIND_REAL)
        return cx.fail(CLI_ILLEGAL, std::string(option) + " takes a frequency: " + given->second);
    value = z.re;
    return CLI_OK;
}

// The frequency response of the RC filt. stage or an RLC circuit, around its corner or
// resonance unless --from, --to and --points say otherwise.
int sweep(Context &cx, const std::vector<std::string> &args)
{
    const int t = args.size() > 1 ? tab_index(args[1].c_str()) : -1;
    if (t != TAB_RC_FILTER && t != TAB_RLC)
        return cx.fail(CLI_USAGE, "sweep takes rcfilter or rlc");
    const TabDefinition &d = TAB_DEFINITIONS[t];
    int circuit = 0;
    size_t first = 2;
    if (t == TAB_RLC) {
        circuit = -1;
        for (int c = 0; c < RLC_CIRCUITS; ++c) {
            if (args.size() > 2 && args[2] == RLC_CIRCUIT_DEFINITIONS[c].name)
                circuit = c;
        }
        if (circuit < 0)
            return cx.fail(CLI_USAGE, "sweep rlc needs series, parallel or lrc");
        first = 3;
    }
    GivenTexts texts;
    if (int status = collect(cx, d, args.begin() + long(first), args.end(), texts))
        return status;
    // What the curve needs: R and C of the stage; R, L and C of the circuit, F if wanted.
    const std::vector<int> needed = t == TAB_RLC ? std::vector<int>{0, 1, 2} : std::vector<int>{0, 1};
    double v[MAX_FIELDS] = {};
    v[3] = std::nan("");
    for (int i = 0; i < MAX_FIELDS; ++i) {
        if (!texts.has(i))
            continue;
        const bool wanted = std::find(needed.begin(), needed.end(), i) != needed.end() || (t == TAB_RLC && i == 3);
        if (!wanted)
            return cx.fail(CLI_USAGE, std::string(d.quantities[i].name) + " is not given to a sweep; it is what the curve shows");
        Complex z{};
        if (parse_value(texts.text[i], z) != KIND_REAL)
            return cx.fail(CLI_ILLEGAL, std::string(ILLEGAL_NUMBERS) + ": " + d.quantities[i].name);
        v[i] = z.re;
    }
    for (int i : needed) {
        if (!texts.has(i))
            return cx.fail(CLI_USAGE, std::string("missing value: ") + d.quantities[i].name);
    }
    SweepRange range;
    const bool chosen = !cx.sweep_options.empty();
    if (chosen) {
        range.points = 201;
        range.from = std::nan("");
        range.to = std::nan("");
        if (int status = sweep_frequency(cx, "--from", range.from))
            return status;
        if (int status = sweep_frequency(cx, "--to", range.to))
            return status;
        if (const auto p = cx.sweep_options.find("--points"); p != cx.sweep_options.end()) {
            char *end = nullptr;
            const long n = std::strtol(p->second.c_str(), &end, 10);
            range.points = p->second.empty() || *end || n < 1 || n > SWEEP_MAX_POINTS ? 0 : int(n);
        }
        if (!cx.sweep_options.count("--from") || !cx.sweep_options.count("--to"))
            return cx.fail(CLI_USAGE, "a sweep of its own range needs both --from and --to");
        if (const QString problem = sweep_range_error(range); !problem.isEmpty())
            return cx.fail(CLI_USAGE, problem.toStdString());
    }
    ResponseCurve curve;
    if (t == TAB_RC_FILTER) {
        const double values[3] = {v[0], v[1], 0};
        const Outcome fc = rc_filter(2, values);
        curve = rc_filter_response(v[0], v[1], fc.kind == Outcome::Kind::Answer ? fc.value : 0, chosen ? &range : nullptr);
    } else {
        curve = rlc_response(circuit, RlcValues{v[0], v[1], v[2], v[3], Complex{0, 0}}, chosen ? &range : nullptr);
    }
    if (!curve.error.isEmpty())
        return cx.fail(CLI_GUARD, curve.error.toStdString());
    return print_curves(cx, {curve});
}

int eseries(Context &cx, const std::vector<std::string> &args)
{
    const int k = args.size() == 3 ? series_index(args[1].c_str()) : -1;
    if (k < 0)
        return cx.fail(CLI_USAGE, "eseries needs E3, E6, E12, E24, E48, E96 or E192 and a value");
    Complex z{};
    if (parse_value(QString::fromStdString(args[2]), z) != KIND_REAL || !(z.re > 0)
        || QString::fromStdString(args[2]).trimmed().isEmpty())
        return cx.fail(CLI_ILLEGAL, std::string(ILLEGAL_NUMBERS) + ": " + args[2] + " (a positive value)");
    const StandardValues sv = standard_values(SERIES_SIZES[k], z.re);
    if (!sv.has_below || !sv.has_above)
        return cx.fail(CLI_ILLEGAL, args[2] + " is beyond the reach of the " + args[1] + " table");
    char buf[160];
    auto one = [&](const char *label, double value, double percent, const std::string &parts) {
        c_snprintf(buf, sizeof buf, "%s (%+.2f %%)", parts.c_str(), percent);
        QJsonObject object = answer_object(label, QString::fromLatin1(buf));
        object["re"] = number(value);
        object["percent"] = number(percent);
        cx.answer(label, buf, object);
    };
    one("below", sv.below, sv.below_deviation, part_text(sv.below));
    one("above", sv.above, sv.above_deviation, part_text(sv.above));
    // As resistors combine.
    if (sv.has_pair)
        one("pair", sv.pair, sv.pair_deviation,
            sv.pair_text(Component::Resistance) + " = " + part_text(sv.pair));
    return CLI_OK;
}

// A calculation file as the window shows it after loading: a fresh window loads it, and every
// saved tab prints what it shows; the grid's texts as saved. In JSON one document, a member
// per tab.
int recalc(Context &cx, const std::vector<std::string> &args)
{
    if (args.size() != 2)
        return cx.fail(CLI_USAGE, "recalc needs a calculation file");
    const QString name = QString::fromStdString(args[1]);
    if (const QString problem = unreadable_input_text(name); !problem.isEmpty())
        return cx.fail(CLI_IO, problem.toStdString());
    CalculatorModel model;
    model.digits = cx.digits;
    const LoadReport report = load_calculation(model, args[1].c_str());
    if (report.status != LoadedCalculation::Status::Loaded)
        return cx.fail(CLI_IO, load_failure_text(report, name).toStdString());
    QJsonArray tabs;
    for (int t = 0; t < CALCULATION_TABS; ++t) {
        const TabState &tab = model.tab(t);
        QJsonObject tab_json{{"tab", tab.definition().name}};
        QJsonArray answers;
        if (!cx.json())
            cx.out += std::string("[") + tab.definition().name + "]\n";
        const bool answered = report.tabs[t].answer == TabChange::Answer::Value && !tab.inputs_rejected();
        for (int i = 0; i < tab.field_count(); ++i) {
            const QuantityDefinition &q = tab.definition().quantities[i];
            const QString &text = tab.field(i).text;
            QJsonObject object = answer_object(q.name, text);
            set_shown_value(object, text, q.complex);
            const bool suggested = cx.series >= 0 && answered && tab.field(i).look == Look::Result
                                   && tab.is_component_answer(i);
            if (cx.json()) {
                if (suggested)
                    suggest(cx, object, q.name, q.component, tab.value(i).re);
                answers.append(object);
                continue;
            }
            cx.answer(q.name, text.toStdString(), object);
            if (suggested)
                suggest(cx, object, q.name, q.component, tab.value(i).re);
        }
        tab_json["answers"] = answers;
        if (tab.inputs_rejected()) {
            tab_json["error"] = tab.error();
            if (!cx.json())
                cx.out += "error = " + tab.error().toStdString() + "\n";
        }
        tabs.append(tab_json);
        if (t == TAB_RC_FILTER && report.has_network_size) {
            const NetworkState &grid = model.network;
            const int n = grid.size();
            if (!cx.json())
                cx.out += "[network " + std::to_string(n) + "]\n";
            QJsonArray cells;
            auto cell = [&](const std::string &cell_name, CellId id) {
                const QString &text = grid.cell(id).text;
                QJsonObject object = answer_object(cell_name, text);
                set_shown_value(object, text, true);
                if (cx.json())
                    cells.append(object);
                else
                    cx.out += cell_name + " = " + text.toStdString() + "\n";
            };
            for (int r = 0; r < n; ++r) {
                for (int c = 0; c < n; ++c)
                    cell("A" + std::to_string(r) + "," + std::to_string(c), {CellId::Column::Matrix, r, c});
                cell("b" + std::to_string(r), {CellId::Column::Vector, r});
                cell("x" + std::to_string(r), {CellId::Column::Result, r});
            }
            cx.document["network"] = QJsonObject{{"size", n}, {"cells", cells}};
        }
    }
    cx.document["tabs"] = tabs;
    // A file that ends early, or asks for a grid too large, loaded only in part.
    const QString notice = load_notice_text(report, name, [](int t) { return QString::fromLatin1(TAB_DEFINITIONS[t].name); });
    return notice.isEmpty() ? CLI_OK : cx.fail(CLI_IO, notice.toStdString());
}

// Options as GNU tools take them: anywhere among the arguments, "--digits 12" or
// "--digits=12", and "--" ends them. What is left is the command.
int take_options(Context &cx, std::vector<std::string> &args, bool &help, bool &version)
{
    // What is left moves down over the options taken, in place: the first `kept` words.
    size_t kept = 0;
    auto keep = [&](size_t k) {
        if (kept != k)
            args[kept] = std::move(args[k]);
        ++kept;
    };
    for (size_t k = 0; k < args.size(); ++k) {
        const std::string &a = args[k];
        // Most words are no options: they pass at the first look.
        if (a.empty() || a[0] != '-') {
            keep(k);
            continue;
        }
        if (a == "--") {
            for (size_t rest = k + 1; rest < args.size(); ++rest)
                keep(rest);
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
        if (a == "--json" || a == "--json-lines") {
            cx.format = a == "--json" ? Format::Json : Format::JsonLines;
            continue;
        }
        if (a.rfind("--", 0) != 0) {
            keep(k);
            continue;
        }
        const size_t eq = a.find('=');
        const std::string name = a.substr(0, eq);
        const bool sweep_option = name == "--from" || name == "--to" || name == "--points";
        if (name != "--digits" && name != "--series" && !sweep_option)
            return cx.fail(CLI_USAGE, "unknown option: " + a + " (try --help)");
        std::string value;
        if (eq != std::string::npos)
            value = a.substr(eq + 1);
        else if (k + 1 < args.size())
            value = args[++k];
        if (sweep_option) {
            cx.sweep_options[name] = value;
            continue;
        }
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
    args.resize(kept);
    return CLI_OK;
}

// The commands whose answers can be long (a curve, a file's or a netlist's contents): a batch
// answers their lines alone. A new command of that kind belongs here as well.
constexpr std::string_view LONG_ANSWER_COMMANDS[] = {"sweep", "solve", "netlist", "recalc"};

int command(Context &cx, std::vector<std::string> &args)
{
    bool help = false, version = false;
    if (const int status = take_options(cx, args, help, version))
        return status;
    cx.plain = version || help;
    if (version) {
        cx.out += "ohmara-cli " OHMARA_VERSION "\n";
        return CLI_OK;
    }
    if (args.empty() || help) {
        (help ? cx.out : cx.err) += usage();
        return help ? CLI_OK : CLI_USAGE;
    }
    cx.command = args[0];
    if (!cx.sweep_options.empty() && args[0] != "sweep")
        return cx.fail(CLI_USAGE, cx.sweep_options.begin()->first + " belongs to sweep");
    if (args[0] == "sweep")
        return sweep(cx, args);
    if (const int t = tab_index(args[0].c_str()); t >= 0)
        return tab_command(cx, t, args);
    if (args[0] == "solve")
        return solve(cx, args);
    if (args[0] == "eseries")
        return eseries(cx, args);
    if (args[0] == "netlist")
        return netlist(cx, args);
    if (args[0] == "recalc")
        return recalc(cx, args);
    return cx.fail(CLI_USAGE, "unknown command: " + args[0] + " (try --help)");
}

// One command's texts as they are written: in JSON its document (with the batch line it came
// from), and every message prefixed with that line.
void compose(Context &cx, int status, long line, std::string &out, std::string &err)
{
    if (cx.json() && !cx.plain) {
        QJsonObject doc = cx.document;
        doc["command"] = cx.command.empty() ? QJsonValue(QJsonValue::Null) : QString::fromStdString(cx.command);
        doc["status"] = status;
        if (!doc.contains("tabs"))
            doc["answers"] = cx.answers;
        QJsonArray messages;
        for (const std::string &m : cx.messages)
            messages.append(QString::fromStdString(m));
        doc["messages"] = messages;
        if (line > 0)
            doc["line"] = int(line);
        cx.out += QJsonDocument(doc)
                      .toJson(cx.format == Format::Json ? QJsonDocument::Indented : QJsonDocument::Compact)
                      .toStdString();
        if (cx.format == Format::JsonLines)
            cx.out += "\n";
    }
    out = std::move(cx.out);
    if (line <= 0 || cx.err.empty()) {
        err = std::move(cx.err);
        return;
    }
    const std::string prefix = "line " + std::to_string(line) + ": ";
    err.clear();
    for (size_t at = 0; at < cx.err.size();) {
        const size_t next = cx.err.find('\n', at);
        const size_t stop = next == std::string::npos ? cx.err.size() : next + 1;
        err += prefix;
        err.append(cx.err, at, stop - at);
        at = stop;
    }
}

// Whether what was printed reached the output. When not, messages still held back go out
// before the failure is reported, as they would have been printed before it.
bool written(CliOutput &output, std::string_view held_messages = {})
{
    std::string failure;
    if (output.done(failure))
        return true;
    output.err(held_messages);
    output.err("ohmara-cli: could not write the output: " + failure + "\n");
    return false;
}

// One batch line's answer, composed and ready to print.
struct LineAnswer
{
    std::string out;
    std::string err;
    int status = CLI_OK;
    bool skipped = false; // blank, or a comment
};

// What a batch line needs besides its text: tabs and words kept from line to line.
struct LineWorker
{
    FreshTabs fresh_tabs;
    GivenTexts given_texts;
    std::vector<std::string> words;
};

void answer_line(std::istream &in, const Context &settings, LineWorker &worker, std::string_view line,
                 LineRead read, long number, LineAnswer &answer)
{
    Context one(in);
    // The texts take the room of the last line's answer.
    one.out = std::move(answer.out);
    one.out.clear();
    one.digits = settings.digits;
    one.format = settings.format;
    one.series = settings.series;
    one.in_batch = true;
    one.fresh_tabs = &worker.fresh_tabs;
    one.given_texts = &worker.given_texts;
    int status = CLI_OK;
    answer.skipped = false;
    if (read == LineRead::TooLong) {
        status = one.fail(CLI_USAGE, "longer than " + std::to_string(LINE_LIMIT) + " characters");
    } else if (const char *why = not_text(line)) {
        status = one.fail(CLI_ILLEGAL, std::string("not text: ") + why);
    } else {
        words_of(line, worker.words);
        if (worker.words.empty() || worker.words[0][0] == '#') {
            answer.skipped = true;
            return;
        }
        status = command(one, worker.words);
    }
    answer.status = status;
    compose(one, status, number, answer.out, answer.err);
}

// Each line answers on its own, and its messages say which line it was; the status is the
// worst of them. Blank lines and lines starting with # are passed over.
//
// Read as it comes (a terminal, a pipe): one line at a time is read, answered and printed, so
// an endless batch answers as it goes and runs in constant memory.
int batch_line_by_line(std::istream &in, const Context &settings, std::istream &lines, CliOutput &output)
{
    int worst = CLI_OK;
    std::string line;
    LineWorker worker;
    LineAnswer answer;
    for (long number = 1;; ++number) {
        const LineRead read = read_line(lines, line, true);
        if (read == LineRead::End)
            break;
        answer_line(in, settings, worker, line, read, number, answer);
        if (answer.skipped)
            continue;
        worst = std::max(worst, answer.status);
        output.out(answer.out);
        output.err(answer.err);
        if (!written(output))
            return CLI_IO;
    }
    return worst;
}

// A batch file whose answers nobody reads as they come: a block of lines is answered by two
// threads at once, each line on its own as above and printed in their order, so the texts are
// those of the line-by-line run (the messages of a block come at its end). While the helper
// answers, this thread prints the block before and reads the block after, then answers
// alongside it; the block goes out in runs of lines, so whichever thread is free takes the
// next run. Two blocks are held at most.
//
// What one thread writes and the other reads lies in long texts, not in a string per line: a
// line's text or answer would otherwise cost the reading thread a cache miss or two each.
int batch_in_blocks(std::istream &in, const Context &settings, std::istream &lines, CliOutput &output)
{
    constexpr int RUN = 64;
    constexpr int RUNS = 16;
    constexpr int BLOCK = RUN * RUNS;
    // A run's answers, one after another, and where each line's end.
    struct Run
    {
        std::string out;
        std::string err;
        struct Ends
        {
            size_t out;
            size_t err;
            int status;
            bool skipped;
        };
        std::vector<Ends> ends = std::vector<Ends>(RUN);
    };
    struct Block
    {
        std::string texts; // the lines one after another
        std::vector<size_t> ends = std::vector<size_t>(BLOCK);
        std::vector<LineRead> reads = std::vector<LineRead>(BLOCK);
        std::vector<Run> runs = std::vector<Run>(RUNS);
        int count = 0;
        long first = 1;
    };
    Block blocks[2];
    // Lines whose answers can be long (a sweep's curve, a file's or a netlist's contents) are
    // answered alone, and a block's lines hold at most a mebibyte: a block's answers then stay
    // at a few hundred bytes a line, and two blocks in memory are never much.
    constexpr size_t BLOCK_BYTES = size_t(1) << 20;
    auto long_answer = [](std::string_view text) {
        for (size_t at = 0; at < text.size();) {
            size_t end = at;
            while (end < text.size() && !blank(text[end]))
                ++end;
            const std::string_view word = text.substr(at, end - at);
            if (std::find(std::begin(LONG_ANSWER_COMMANDS), std::end(LONG_ANSWER_COMMANDS), word)
                != std::end(LONG_ANSWER_COMMANDS))
                return true;
            at = end + 1;
        }
        return false;
    };
    std::string line;
    bool line_waits = false; // read, and left for the next block
    LineRead waiting_read = LineRead::End;
    // False when the batch has ended.
    auto read_block = [&](Block &b, long first) {
        b.first = first;
        b.texts.clear();
        for (b.count = 0; b.count < BLOCK && b.texts.size() < BLOCK_BYTES;) {
            const LineRead read = line_waits ? waiting_read : read_line(lines, line, true);
            line_waits = false;
            if (read == LineRead::End)
                return false;
            const bool alone = read == LineRead::Line && long_answer(line);
            if (alone && b.count > 0) {
                line_waits = true;
                waiting_read = read;
                return true;
            }
            b.reads[size_t(b.count)] = read;
            // A line too long is answered without its text.
            if (read == LineRead::Line)
                b.texts += line;
            b.ends[size_t(b.count++)] = b.texts.size();
            if (alone)
                return true;
        }
        return true;
    };
    int worst = CLI_OK;
    // The messages of a block go out in one write at its end: unbuffered, each line's own
    // would cost a system call, more than answering the line.
    std::string messages;
    // False when the output can no longer be written.
    auto print_block = [&](const Block &b) {
        messages.clear();
        for (int k = 0; k < b.count; ++k) {
            const Run &run = b.runs[size_t(k / RUN)];
            const int j = k % RUN;
            const Run::Ends &ends = run.ends[size_t(j)];
            if (ends.skipped)
                continue;
            const size_t out = j ? run.ends[size_t(j - 1)].out : 0;
            const size_t err = j ? run.ends[size_t(j - 1)].err : 0;
            worst = std::max(worst, ends.status);
            output.out(std::string_view(run.out).substr(out, ends.out - out));
            messages.append(run.err, err, ends.err - err);
            if (!written(output, messages))
                return false;
        }
        output.err(messages);
        return true;
    };
    LineWorker workers[2];
    LineAnswer answers[2];
    bool more = read_block(blocks[0], 1);
    int current = 0;
    bool printed_all = true;
    for (bool first_block = true; blocks[current].count > 0; first_block = false) {
        Block &block = blocks[current];
        Block &other = blocks[1 - current];
        std::atomic<int> next{0};
        auto answer_block = [&](int thread) {
            for (int r; (r = next.fetch_add(1)) * RUN < block.count;) {
                Run &run = block.runs[size_t(r)];
                run.out.clear();
                run.err.clear();
                for (int j = 0; j < RUN && r * RUN + j < block.count; ++j) {
                    const int k = r * RUN + j;
                    const size_t start = k ? block.ends[size_t(k - 1)] : 0;
                    LineAnswer &answer = answers[thread];
                    answer_line(in, settings, workers[thread],
                                std::string_view(block.texts).substr(start, block.ends[size_t(k)] - start),
                                block.reads[size_t(k)], block.first + k, answer);
                    if (!answer.skipped) {
                        run.out += answer.out;
                        run.err += answer.err;
                    }
                    run.ends[size_t(j)] = {run.out.size(), run.err.size(), answer.status, answer.skipped};
                }
            }
        };
        // Where no thread can be started, this one answers the whole block before printing
        // the last.
        HelperThread helper([&answer_block] { answer_block(1); }, HelperThread::AwayFromMaker);
        printed_all = first_block || print_block(other);
        if (printed_all) {
            if (more)
                more = read_block(other, block.first + block.count);
            else
                other.count = 0;
            answer_block(0);
        }
        helper.join();
        if (!printed_all)
            return CLI_IO;
        current = 1 - current;
    }
    const Block &last = blocks[1 - current];
    if (last.count > 0 && !print_block(last))
        return CLI_IO;
    return worst;
}

// Texts into strings, for tests and benchmarks.
class StringOutput : public CliOutput
{
public:
    StringOutput(std::string &out, std::string &err) : m_out(out), m_err(err) {}
    void out(std::string_view text) override { m_out += text; }
    void err(std::string_view text) override { m_err += text; }

private:
    std::string &m_out;
    std::string &m_err;
};

} // namespace

int run_cli(const std::vector<std::string> &args, std::istream &in, CliOutput &output, bool in_is_a_file)
{
    Context cx(in);
    const auto batch_option = std::find(args.begin(), args.end(), "--batch");
    if (batch_option == args.end()) {
        std::vector<std::string> words = args;
        const int status = command(cx, words);
        std::string out, err;
        compose(cx, status, 0, out, err);
        output.out(out);
        output.err(err);
        return written(output) ? status : CLI_IO;
    }
    // "--batch [FILE|-]": one command a line; the other options hold for every line.
    std::vector<std::string> options(args.begin(), batch_option);
    auto next = batch_option + 1;
    std::string name = "-";
    if (next != args.end() && next->rfind("--", 0) != 0)
        name = *next++;
    options.insert(options.end(), next, args.end());
    bool help = false, version = false;
    int status = take_options(cx, options, help, version);
    if (status == CLI_OK && (!options.empty() || help || version))
        status = cx.fail(CLI_USAGE, "--batch takes a file (or - for standard input) and options");
    std::ifstream file;
    if (status == CLI_OK)
        status = open_input(cx, name, file);
    if (status != CLI_OK) {
        output.err(cx.err);
        return status;
    }
    std::istream &lines = name == "-" ? in : file;
    if ((name != "-" || in_is_a_file) && !output.reads_as_it_comes())
        return batch_in_blocks(in, cx, lines, output);
    return batch_line_by_line(in, cx, lines, output);
}

int run_cli(const std::vector<std::string> &args, std::istream &in, std::string &out,
            std::string &err)
{
    StringOutput output(out, err);
    return run_cli(args, in, output);
}

int run_cli(const std::vector<std::string> &args, std::string &out, std::string &err)
{
    std::istringstream none;
    return run_cli(args, none, out, err);
}
