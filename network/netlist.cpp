#include "network/netlist.h"

#include "network/typed_system.h"
#include "numbers/format.h"

#include <QLocale>

#include <Eigen/SparseCore>
#include <Eigen/SparseLU>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <complex>
#include <cstdlib>
#include <map>
#include <numeric>

namespace {

constexpr double TWO_PI = 6.283185307179586476925286766559;

std::string lower(std::string_view s)
{
    std::string out(s);
    for (char &c : out)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

// One line as SPICE sees it, continuation lines joined, and where it started.
struct Card
{
    int line;
    std::vector<std::string> words;
};

// SPICE separates words with blanks, and also with "=", "," and parentheses.
std::vector<std::string> words_of(std::string_view text)
{
    std::vector<std::string> out;
    std::string word;
    for (char c : text) {
        if (std::isspace(static_cast<unsigned char>(c)) || c == '=' || c == ',' || c == '(' || c == ')') {
            if (!word.empty())
                out.push_back(word);
            word.clear();
        } else {
            word += c;
        }
    }
    if (!word.empty())
        out.push_back(word);
    return out;
}

std::vector<Card> cards_of(std::string_view text)
{
    std::vector<Card> cards;
    int number = 0;
    size_t at = 0;
    bool in_control = false;
    while (at <= text.size()) {
        size_t end = text.find('\n', at);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(at, end - at);
        at = end + 1;
        ++number;
        if (number == 1)
            continue; // the title
        if (const size_t semicolon = line.find(';'); semicolon != std::string_view::npos)
            line = line.substr(0, semicolon);
        size_t first = 0;
        while (first < line.size() && std::isspace(static_cast<unsigned char>(line[first])))
            ++first;
        line = line.substr(first);
        if (line.empty() || line[0] == '*')
            continue;
        const std::string head = lower(line.substr(0, line.find_first_of(" \t\r")));
        // A simulator's control block is its own business.
        if (head == ".control")
            in_control = true;
        if (in_control) {
            in_control = head != ".endc";
            continue;
        }
        if (line[0] == '+' && !cards.empty()) {
            for (std::string &w : words_of(line.substr(1)))
                cards.back().words.push_back(lower(w));
            continue;
        }
        Card card{number, {}};
        for (std::string &w : words_of(line))
            card.words.push_back(lower(w));
        if (!card.words.empty())
            cards.push_back(card);
        if (head == ".end")
            break;
    }
    return cards;
}

QString at_line(int line, const QString &message)
{
    return QStringLiteral("line %1: %2").arg(line).arg(message);
}

QString q(const std::string &s)
{
    return QString::fromStdString(s);
}

// Union-find over node indices, for the paths the checks follow.
struct Sets
{
    std::vector<int> parent;
    explicit Sets(size_t n) : parent(n) { std::iota(parent.begin(), parent.end(), 0); }
    int find(int a) { return parent[size_t(a)] == a ? a : parent[size_t(a)] = find(parent[size_t(a)]); }
    bool join(int a, int b)
    {
        a = find(a);
        b = find(b);
        if (a == b)
            return false;
        parent[size_t(a)] = b;
        return true;
    }
};

} // namespace

bool spice_number(std::string_view text, double &value)
{
    const std::string s = lower(text);
    const char *start = s.c_str();
    char *end = nullptr;
    const double x = std::strtod(start, &end);
    // strtod also reads "inf", "nan" and hexadecimal, which SPICE does not.
    if (end == start || !std::isfinite(x) || s.find_first_of("x") < size_t(end - start)
        || !(std::isdigit(static_cast<unsigned char>(start[0])) || start[0] == '.' || start[0] == '-' || start[0] == '+'))
        return false;
    const std::string rest = end;
    double scale = 1;
    if (rest.rfind("meg", 0) == 0)
        scale = 1e6;
    else if (rest.rfind("mil", 0) == 0)
        scale = 25.4e-6;
    else if (!rest.empty()) {
        switch (rest[0]) {
        case 'f': scale = 1e-15; break;
        case 'p': scale = 1e-12; break;
        case 'n': scale = 1e-9; break;
        case 'u': scale = 1e-6; break;
        case 'm': scale = 1e-3; break;
        case 'k': scale = 1e3; break;
        case 'g': scale = 1e9; break;
        case 't': scale = 1e12; break;
        default: break;
        }
    }
    // What follows a number and its scale is a unit: "10nF", "5V".
    for (char c : rest) {
        if (!std::isalpha(static_cast<unsigned char>(c)))
            return false;
    }
    value = x * scale;
    return std::isfinite(value);
}

NetlistRead read_netlist(std::string_view text)
{
    NetlistRead out;
    Netlist &n = out.netlist;
    n.nodes.push_back("0");
    std::map<std::string, int> node_index{{"0", 0}, {"gnd", 0}};
    std::map<std::string, int> named; // lower-case name -> line
    auto fail = [&out](int line, const QString &message) {
        out.error = at_line(line, message);
        return out;
    };
    auto node = [&](const std::string &name) {
        const auto found = node_index.find(name);
        if (found != node_index.end())
            return found->second;
        const int index = int(n.nodes.size());
        n.nodes.push_back(name);
        node_index[name] = index;
        return index;
    };
    for (const Card &card : cards_of(text)) {
        const std::vector<std::string> &w = card.words;
        const std::string &head = w[0];
        if (head[0] == '.') {
            if (head == ".end")
                break;
            if (head == ".op" || head == ".options" || head == ".option" || head == ".title")
                continue;
            if (head == ".ac") {
                double points = 0, f1 = 0, f2 = 0;
                const bool dec = w.size() > 1 && w[1] == "dec";
                if (w.size() < 5 || (!dec && w[1] != "lin") || !spice_number(w[2], points) || !spice_number(w[3], f1)
                    || !spice_number(w[4], f2) || !(f1 > 0) || !(f2 >= f1) || !std::isfinite(f2)
                    || !(points >= 1 && points <= SWEEP_MAX_POINTS) || points != std::floor(points))
                    return fail(card.line, QStringLiteral(".ac takes dec or lin, 1 to %1 points and two frequencies "
                                                          "above 0, the second not below the first (.ac dec 10 1 1meg)")
                                               .arg(SWEEP_MAX_POINTS));
                n.ac = true;
                n.frequency = f1;
                n.sweep.from = f1;
                n.sweep.to = f2;
                n.sweep.points = int(points);
                n.sweep.spacing = dec ? SweepRange::Spacing::Log : SweepRange::Spacing::Linear;
                if (dec) {
                    // As ngspice sweeps a decade: as many steps as N a decade fit, spread
                    // evenly from the start to the end.
                    const double steps = std::floor(std::log10(f2 / f1) * points * (1 + 1e-12));
                    if (steps + 1 > SWEEP_MAX_POINTS)
                        return fail(card.line, QStringLiteral(".ac: more than %1 frequencies").arg(SWEEP_MAX_POINTS));
                    n.sweep.points = int(steps) + 1;
                }
                continue;
            }
            return fail(card.line, QStringLiteral("%1 is not supported (.op, .ac, .end)").arg(q(head)));
        }
        NetlistElement e;
        e.kind = char(std::toupper(static_cast<unsigned char>(head[0])));
        e.line = card.line;
        e.name = head;
        e.name[0] = e.kind;
        if (std::string("RCLVIEG").find(e.kind) == std::string::npos)
            return fail(card.line, QStringLiteral("%1: elements of kind %2 are not supported (R, C, L, V, I, E, G)")
                                       .arg(q(e.name)).arg(QChar(e.kind)));
        if (const auto twice = named.find(head); twice != named.end())
            return fail(card.line, QStringLiteral("%1 is named twice (first on line %2)").arg(q(e.name)).arg(twice->second));
        named[head] = card.line;
        const bool controlled = e.kind == 'E' || e.kind == 'G';
        const bool source = e.kind == 'V' || e.kind == 'I';
        const size_t node_count = controlled ? 4 : 2;
        if (w.size() < 1 + node_count + (source ? 0 : 1))
            return fail(card.line, controlled ? QStringLiteral("%1 needs four nodes and a gain").arg(q(e.name))
                                   : source  ? QStringLiteral("%1 needs two nodes").arg(q(e.name))
                                             : QStringLiteral("%1 needs two nodes and a value").arg(q(e.name)));
        for (size_t k = 0; k < node_count; ++k)
            e.nodes[k] = node(w[1 + k]);
        auto number = [&](const std::string &word, double &value) {
            if (spice_number(word, value))
                return true;
            out.error = at_line(card.line, QStringLiteral("%1: '%2' is no number").arg(q(e.name), q(word)));
            return false;
        };
        size_t k = 1 + node_count;
        if (!source) {
            if (!number(w[k], e.value))
                return out;
            if (e.kind == 'R' && e.value == 0)
                return fail(card.line, QStringLiteral("%1: a resistance of 0 (use a voltage source of 0 V)").arg(q(e.name)));
            if ((e.kind == 'L' || e.kind == 'C') && e.value == 0)
                return fail(card.line, QStringLiteral("%1: a value of 0").arg(q(e.name)));
        }
        // A source: [DC] value, and AC [magnitude [phase]], in any order.
        while (source && k < w.size()) {
            if (w[k] == "dc") {
                if (++k >= w.size() || !number(w[k], e.value))
                    return out.error.isEmpty() ? fail(card.line, QStringLiteral("%1: DC needs a value").arg(q(e.name))) : out;
                ++k;
            } else if (w[k] == "ac") {
                e.ac_magnitude = 1;
                ++k;
                double x = 0;
                if (k < w.size() && spice_number(w[k], x)) {
                    e.ac_magnitude = x;
                    ++k;
                    if (k < w.size() && spice_number(w[k], x)) {
                        e.ac_phase_deg = x;
                        ++k;
                    }
                }
            } else {
                double x = 0;
                if (!spice_number(w[k], x))
                    return fail(card.line, QStringLiteral("%1: only DC and AC values are supported, not '%2'").arg(q(e.name), q(w[k])));
                e.value = x;
                ++k;
            }
        }
        n.elements.push_back(e);
    }
    if (n.elements.empty())
        return fail(1, QStringLiteral("the netlist holds no elements (the first line is its title)"));
    // Every node other than ground is met at least twice; a lone one hangs in the air.
    std::vector<int> met(n.nodes.size(), 0);
    std::vector<const NetlistElement *> first(n.nodes.size(), nullptr);
    for (const NetlistElement &e : n.elements) {
        for (int k = 0; k < ((e.kind == 'E' || e.kind == 'G') ? 4 : 2); ++k) {
            ++met[size_t(e.nodes[k])];
            if (!first[size_t(e.nodes[k])])
                first[size_t(e.nodes[k])] = &e;
        }
    }
    for (size_t i = 1; i < n.nodes.size(); ++i) {
        if (met[i] == 1)
            return fail(first[i]->line, QStringLiteral("node '%1' of %2 is connected to nothing else")
                                            .arg(q(n.nodes[i]), q(first[i]->name)));
    }
    if (met[0] == 0)
        return fail(1, QStringLiteral("nothing is connected to ground (node 0)"));
    out.ok = true;
    return out;
}

NodalEquations nodal_equations(const Netlist &n)
{
    NodalEquations eq;
    eq.complex = n.ac;
    const int nodes = int(n.nodes.size()) - 1;
    // Paths to ground, and loops of elements that fix a voltage.
    Sets paths(n.nodes.size()), fixed(n.nodes.size());
    int branches = 0;
    for (const NetlistElement &e : n.elements) {
        const bool voltage = e.kind == 'V' || e.kind == 'E' || (e.kind == 'L' && !n.ac);
        if (voltage) {
            ++branches;
            if (!fixed.join(e.nodes[0], e.nodes[1])) {
                eq.error = at_line(e.line, QStringLiteral("%1 closes a loop of voltage sources").arg(q(e.name)));
                return eq;
            }
        }
        if (e.kind == 'R' || voltage || (e.kind == 'C' && n.ac) || e.kind == 'L')
            paths.join(e.nodes[0], e.nodes[1]);
    }
    for (int i = 1; i <= nodes; ++i) {
        if (paths.find(i) != paths.find(0)) {
            const bool capacitors = std::any_of(n.elements.begin(), n.elements.end(),
                                                [](const NetlistElement &e) { return e.kind == 'C'; });
            eq.error = QStringLiteral("node '%1' has no path to ground%2").arg(q(n.nodes[size_t(i)]),
                n.ac || !capacitors ? QString() : QStringLiteral(" in DC (capacitors are open)"));
            return eq;
        }
    }
    eq.size = nodes + branches;
    eq.rhs.assign(size_t(eq.size), Complex{0, 0});
    for (int i = 1; i <= nodes; ++i)
        eq.names.push_back(QStringLiteral("V(%1)").arg(q(n.nodes[size_t(i)])));
    const double w = TWO_PI * n.frequency;
    auto add = [&eq](int row, int col, Complex v) {
        if (row >= 0 && col >= 0)
            eq.entries.push_back({row, col, v});
    };
    // Node i is unknown i - 1; ground is no unknown.
    auto admittance = [&](const NetlistElement &e, Complex y) {
        const int a = e.nodes[0] - 1, b = e.nodes[1] - 1;
        add(a, a, y);
        add(b, b, y);
        add(a, b, Complex{-y.re, -y.im});
        add(b, a, Complex{-y.re, -y.im});
    };
    auto phasor = [&n](const NetlistElement &e) {
        if (!n.ac)
            return Complex{e.value, 0};
        const double phase = e.ac_phase_deg * TWO_PI / 360.0;
        return Complex{e.ac_magnitude * std::cos(phase), e.ac_magnitude * std::sin(phase)};
    };
    int branch = nodes;
    for (const NetlistElement &e : n.elements) {
        const int a = e.nodes[0] - 1, b = e.nodes[1] - 1, c = e.nodes[2] - 1, d = e.nodes[3] - 1;
        switch (e.kind) {
        case 'R': admittance(e, Complex{1.0 / e.value, 0}); break;
        case 'C':
            if (n.ac)
                admittance(e, Complex{0, w * e.value});
            break;
        case 'G':
            add(a, c, Complex{e.value, 0});
            add(a, d, Complex{-e.value, 0});
            add(b, c, Complex{-e.value, 0});
            add(b, d, Complex{e.value, 0});
            break;
        case 'I': {
            // The current flows from n+ through the source to n-.
            const Complex j = phasor(e);
            if (a >= 0)
                eq.rhs[size_t(a)] = eq.rhs[size_t(a)] - j;
            if (b >= 0)
                eq.rhs[size_t(b)] = eq.rhs[size_t(b)] + j;
            break;
        }
        case 'L':
            if (n.ac) {
                admittance(e, Complex{0, -1.0 / (w * e.value)});
                break;
            }
            [[fallthrough]];
        case 'V':
        case 'E': {
            // The branch current enters at n+, as SPICE counts it.
            add(a, branch, Complex{1, 0});
            add(b, branch, Complex{-1, 0});
            add(branch, a, Complex{1, 0});
            add(branch, b, Complex{-1, 0});
            if (e.kind == 'E') {
                add(branch, c, Complex{-e.value, 0});
                add(branch, d, Complex{e.value, 0});
            } else if (e.kind == 'V') {
                eq.rhs[size_t(branch)] = phasor(e);
            }
            eq.names.push_back(QStringLiteral("I(%1)").arg(q(e.name)));
            ++branch;
            break;
        }
        default: break;
        }
    }
    eq.ok = true;
    return eq;
}

namespace {

template<typename Scalar, typename Convert, typename Back>
bool solve_sparse(const NodalEquations &eq, std::vector<Complex> &x, Convert convert, Back back)
{
    std::vector<Eigen::Triplet<Scalar>> triplets;
    triplets.reserve(eq.entries.size());
    for (const NodalEquations::Entry &e : eq.entries)
        triplets.emplace_back(e.row, e.col, convert(e.value));
    Eigen::SparseMatrix<Scalar> a(eq.size, eq.size);
    a.setFromTriplets(triplets.begin(), triplets.end());
    a.makeCompressed();
    Eigen::Matrix<Scalar, Eigen::Dynamic, 1> b(eq.size);
    for (int i = 0; i < eq.size; ++i)
        b[i] = convert(eq.rhs[size_t(i)]);
    Eigen::SparseLU<Eigen::SparseMatrix<Scalar>> lu;
    lu.compute(a);
    if (lu.info() != Eigen::Success)
        return false;
    const Eigen::Matrix<Scalar, Eigen::Dynamic, 1> solution = lu.solve(b);
    if (lu.info() != Eigen::Success)
        return false;
    x.resize(size_t(eq.size));
    for (int i = 0; i < eq.size; ++i) {
        x[size_t(i)] = back(solution[i]);
        if (!std::isfinite(x[size_t(i)].re) || !std::isfinite(x[size_t(i)].im))
            return false;
    }
    return true;
}

} // namespace

bool solve_nodal(const NodalEquations &eq, std::vector<Complex> &unknowns)
{
    if (!eq.ok || eq.size == 0)
        return false;
    if (!eq.complex)
        return solve_sparse<double>(eq, unknowns, [](const Complex &z) { return z.re; },
                                    [](double v) { return Complex{v, 0}; });
    return solve_sparse<std::complex<double>>(
        eq, unknowns, [](const Complex &z) { return std::complex<double>(z.re, z.im); },
        [](const std::complex<double> &v) { return Complex{v.real(), v.imag()}; });
}

QString exact_text(const Complex &z, bool complex)
{
    // The shortest text that reads back as the same double: short where the value is.
    const auto shortest = [](double x) { return QString::number(x, 'g', QLocale::FloatingPointShortest); };
    return complex ? shortest(z.re) + QStringLiteral("+i") + shortest(z.im) : shortest(z.re);
}

std::vector<QString> grid_texts(const NodalEquations &eq)
{
    const int n = eq.size;
    std::vector<Complex> dense(size_t(n * (n + 1)), Complex{0, 0});
    for (const NodalEquations::Entry &e : eq.entries) {
        Complex &z = dense[size_t(e.row * (n + 1) + e.col)];
        z = z + e.value;
    }
    for (int r = 0; r < n; ++r)
        dense[size_t(r * (n + 1) + n)] = eq.rhs[size_t(r)];
    std::vector<QString> texts;
    texts.reserve(dense.size());
    for (const Complex &z : dense)
        texts.push_back(z.re == 0 && z.im == 0 ? QStringLiteral("0") : exact_text(z, eq.complex));
    return texts;
}

bool solve_netlist_equations(const NodalEquations &eq, std::vector<Complex> &unknowns)
{
    if (!eq.ok || eq.size == 0)
        return false;
    if (eq.size > SOLVER_MAX_N)
        return solve_nodal(eq, unknowns);
    const std::vector<QString> texts = grid_texts(eq);
    LinearSystem system{};
    const int n = eq.size;
    const TypedSolve solved = solve_typed_system(system, n, [&](int r, int c) { return texts[size_t(r * (n + 1) + c)]; });
    if (solved.result != TypedSolve::Result::Solved)
        return false;
    unknowns.assign(system.solver_vector, system.solver_vector + n);
    return true;
}

QString grid_too_small_text(int unknowns)
{
    return QStringLiteral("The netlist has %1 unknowns; the grid holds %2. ohmara-cli netlist solves any size.")
        .arg(unknowns).arg(SOLVER_MAX_N);
}

NetlistSweep sweep_netlist(Netlist netlist)
{
    NetlistSweep out;
    if (!netlist.ac) {
        out.error = QStringLiteral("the netlist has no .ac sweep");
        return out;
    }
    out.frequencies = sweep_frequencies(netlist.sweep);
    for (double f : out.frequencies) {
        netlist.frequency = f;
        const NodalEquations eq = nodal_equations(netlist);
        if (!eq.ok) {
            out.error = eq.error;
            break;
        }
        if (out.names.empty()) {
            out.names = eq.names;
            if (out.frequencies.size() * out.names.size() > NETLIST_SWEEP_LIMIT) {
                out.error = QStringLiteral("the sweep would hold more than %1 values").arg(NETLIST_SWEEP_LIMIT);
                break;
            }
        }
        std::vector<Complex> x;
        if (!solve_nodal(eq, x)) {
            out.error = QStringLiteral("the netlist's equations have no single solution at %1 Hz")
                            .arg(QString::fromStdString(shortest_text(f)));
            break;
        }
        out.values.push_back(std::move(x));
    }
    if (!out.error.isEmpty())
        out.values.clear();
    return out;
}

ResponseCurve netlist_response(const NetlistSweep &sweep, int unknown)
{
    ResponseCurve curve;
    curve.error = sweep.error;
    curve.marked = std::nan("");
    if (unknown < 0 || size_t(unknown) >= sweep.names.size())
        return curve;
    curve.magnitude_name = sweep.names[size_t(unknown)];
    curve.magnitude_unit = curve.magnitude_name.startsWith(QLatin1Char('I')) ? QStringLiteral("A") : QStringLiteral("V");
    for (size_t k = 0; k < sweep.values.size(); ++k) {
        const std::complex<double> z(sweep.values[k][size_t(unknown)].re, sweep.values[k][size_t(unknown)].im);
        curve.points.push_back({sweep.frequencies[k], std::abs(z), std::arg(z) * 180.0 / 3.141592653589793});
    }
    return curve;
}
