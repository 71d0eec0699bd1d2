#include "model/tab_state.h"

#include "calculators/delta_star.h"
#include "calculators/rlc.h"
#include "numbers/format.h"
#include "numbers/parse.h"

TabChange &TabChange::operator|=(const TabChange &later)
{
    texts |= later.texts;
    looks |= later.looks;
    error = error || later.error;
    panel = panel || later.panel;
    rejected = later.rejected;
    if (later.answer != Answer::None)
        answer = later.answer;
    return *this;
}

TabState::TabState(int tab, int digits)
    : m_definition(&TAB_DEFINITIONS[tab])
    , m_error(QString::fromLatin1(ERROR_START_TEXT))
    , m_unknown(m_definition->start_unknown)
{
    const TabDefinition &d = *m_definition;
    for (int i = 0; i < d.field_count; ++i)
        m_fields[i].text = QString::fromLatin1(d.quantities[i].start_text);
    switch (d.kind) {
    case TabKind::Real: {
        m_fields[m_unknown].look = Look::Result;
        m_fields[m_unknown].read_only = true;
        // The start text of the unknown is the answer to the start inputs.
        Complex z{};
        parse_value(m_fields[m_unknown].text, z);
        m_values[m_unknown].re = z.re;
        break;
    }
    case TabKind::DeltaStar:
        for (int i = 0; i < 3; ++i) {
            m_fields[i].look = Look::Result;
            m_fields[i].read_only = true;
        }
        break;
    case TabKind::Rlc:
        m_fields[m_unknown].read_only = true;
        select(m_unknown, digits);
        recalculate(digits);
        break;
    }
}

bool TabState::inputs_rejected() const
{
    return m_error == QLatin1String(ILLEGAL_NUMBERS);
}

TabChange TabState::fill(int i, const QString &text)
{
    m_fields[i].text = text;
    TabChange change;
    change.texts = 1u << i;
    return change;
}

bool TabState::is_component_answer(int i) const
{
    if (m_definition->quantities[i].component == Component::None)
        return false;
    Complex z{};
    return parse_value(m_fields[i].text, z) == KIND_REAL;
}

QString TabState::names(unsigned bits) const
{
    QString list;
    for (int i = 0; i < field_count(); ++i) {
        if (!((bits >> i) & 1u))
            continue;
        if (!list.isEmpty())
            list += QLatin1String(", ");
        list += QLatin1String(m_definition->quantities[i].name);
    }
    return list;
}

std::array<TabState::Painting, MAX_FIELDS> TabState::painting() const
{
    std::array<Painting, MAX_FIELDS> p{};
    for (int i = 0; i < field_count(); ++i)
        p[size_t(i)] = {m_fields[i].look, m_fields[i].read_only, m_fields[i].enabled};
    return p;
}

unsigned TabState::looks_changed(const std::array<Painting, MAX_FIELDS> &before) const
{
    unsigned bits = 0;
    for (int i = 0; i < field_count(); ++i) {
        const Painting &a = before[size_t(i)];
        const FieldState &b = m_fields[i];
        if (a.look != b.look || a.read_only != b.read_only || a.enabled != b.enabled)
            bits |= 1u << i;
    }
    return bits;
}

void TabState::paint_real(int m)
{
    for (int i = 0; i < field_count(); ++i) {
        m_fields[i].look = i == m ? Look::Result : Look::Input;
        m_fields[i].read_only = i == m;
    }
}

void TabState::paint_directions(unsigned results)
{
    for (int i = 0; i < field_count(); ++i) {
        const bool result = (results >> i) & 1u;
        m_fields[i].look = result ? Look::Result : Look::Input;
        m_fields[i].read_only = result;
    }
}

// A field that takes no part turns grey and disabled but keeps its read-only flag, so the
// reader still passes over it as it did before.
void TabState::paint_rlc(int m)
{
    const unsigned mask = RLC_CIRCUIT_DEFINITIONS[m_circuit].masks[m];
    for (int i = 0; i < field_count(); ++i) {
        FieldState &f = m_fields[i];
        if (!((mask >> i) & 1u)) {
            f.enabled = false;
            f.look = Look::Excluded;
            continue;
        }
        const bool input = (mask >> (8 + i)) & 1u;
        f.enabled = true;
        f.look = input ? Look::Input : Look::Result;
        f.read_only = !input;
    }
}

TabChange TabState::select(int m, int digits)
{
    if (m < 0 || m >= m_definition->choices)
        return {};
    const auto before = painting();
    m_unknown = m;
    switch (m_definition->kind) {
    case TabKind::Real: paint_real(m); break;
    case TabKind::DeltaStar: paint_directions(m == 0 ? 0b000111u : 0b111000u); break;
    case TabKind::Rlc: paint_rlc(m); break;
    }
    TabChange change;
    change.looks = looks_changed(before);
    change |= recalculate(digits);
    return change;
}

TabChange TabState::select_circuit(int circuit, int digits)
{
    if (m_definition->kind != TabKind::Rlc || circuit < 0 || circuit >= RLC_CIRCUITS)
        return {};
    const auto before = painting();
    m_circuit = circuit;
    paint_rlc(m_unknown);
    TabChange change;
    change.looks = looks_changed(before);
    change |= recalculate(digits);
    change |= recalculate(digits);
    return change;
}

TabChange TabState::recalculate(int digits)
{
    const auto before = painting();
    TabChange change;
    switch (m_definition->kind) {
    case TabKind::Real: calculate_real(change, digits); break;
    case TabKind::DeltaStar: calculate_delta_star(change, digits); break;
    case TabKind::Rlc: calculate_rlc(change, digits); break;
    }
    change.looks |= looks_changed(before);
    return change;
}

// Reads every field but the unknown's into the stored values. A field that holds no real
// number turns red and keeps its stored value; every field is visited, so all bad ones show
// at once. A field the user cannot edit is not judged: there is nothing to correct in it.
// The field at complex_position is parsed straight into its stored value (a real part that
// fails keeps the old imaginary part): real or complex are both fine, and it never turns red.
bool TabState::read_inputs(TabChange &change, int complex_position)
{
    bool ok = true;
    for (int i = 0; i < field_count(); ++i) {
        if (i == m_unknown)
            continue;
        FieldState &f = m_fields[i];
        if (i == complex_position) {
            if (parse_value(f.text, m_values[i]) == KIND_INVALID) {
                change.rejected |= 1u << i;
                ok = false;
            }
            continue;
        }
        Complex z{};
        const int kind = parse_value(f.text, z);
        if (f.read_only || !f.enabled) {
            m_values[i].re = z.re;
            continue;
        }
        if (kind != KIND_REAL) {
            f.look = Look::Bad;
            change.rejected |= 1u << i;
            ok = false;
            continue;
        }
        f.look = Look::Input;
        m_values[i].re = z.re;
    }
    return ok;
}

void TabState::report(TabChange &change, bool inputs_ok)
{
    m_error = inputs_ok ? QString() : QString::fromLatin1(ILLEGAL_NUMBERS);
    change.error = true;
}

void TabState::write(TabChange &change, int i, const QString &text, TabChange::Answer answer)
{
    m_fields[i].text = text;
    change.texts |= 1u << i;
    change.answer = answer;
}

void TabState::calculate_real(TabChange &change, int digits)
{
    const bool ok = read_inputs(change, -1);
    report(change, ok);
    if (!ok)
        return;
    double values[MAX_FIELDS];
    for (int i = 0; i < MAX_FIELDS; ++i)
        values[i] = m_values[i].re;
    const Outcome o = m_definition->formula(m_unknown, values);
    if (o.kind == Outcome::Kind::Message) {
        write(change, m_unknown, QString::fromLatin1(o.message), TabChange::Answer::Message);
    } else if (o.kind == Outcome::Kind::Answer) {
        m_values[m_unknown].re = o.value;
        char buf[FORMAT_BUFFER_SIZE];
        write(change, m_unknown, QString::fromLatin1(format_value(buf, o.value, digits)),
              TabChange::Answer::Value);
    }
}

// Nothing turns red on this tab: a bad impedance shows in the error label alone. An input
// written with i or j makes all three results complex texts. A failed check speaks in the
// first field, whichever way the tab converts.
void TabState::calculate_delta_star(TabChange &change, int digits)
{
    const int first_input = m_unknown == 1 ? 0 : 3;
    int kinds = 0;
    for (int i = first_input; i < first_input + 3; ++i) {
        const int kind = parse_value(m_fields[i].text, m_values[i]);
        if (kind == KIND_INVALID)
            change.rejected |= 1u << i;
        kinds |= kind;
    }
    report(change, change.rejected == 0);
    if (change.rejected)
        return;
    const DeltaStar out = delta_star(m_unknown, m_values);
    if (out.kind == DeltaStar::Kind::Message)
        write(change, 0, QString::fromLatin1(out.message), TabChange::Answer::Message);
    if (out.kind != DeltaStar::Kind::Answer)
        return;
    for (int k = 0; k < 3; ++k) {
        const Complex z = out.values[k];
        m_values[out.first + k] = z;
        char text[2 * FORMAT_BUFFER_SIZE];
        write(change, out.first + k,
              QString::fromLatin1(kinds > 1 ? format_complex(text, z, digits)
                                            : format_value(text, z.re, digits)),
              TabChange::Answer::Value);
    }
}

void TabState::calculate_rlc(TabChange &change, int digits)
{
    const bool ok = read_inputs(change, 4);
    report(change, ok);
    if (!ok)
        return;
    RlcValues v{m_values[0].re, m_values[1].re, m_values[2].re, m_values[3].re, m_values[4]};
    const RlcResult out = solve_rlc(m_circuit, m_unknown, v, digits);
    const double stored[] = {v.r, v.l, v.c, v.f};
    for (int i = 0; i < 4; ++i)
        m_values[i].re = stored[i];
    m_values[4] = v.z;
    if (out.solved)
        write(change, m_unknown, QString::fromLatin1(out.field),
              out.answered ? TabChange::Answer::Value : TabChange::Answer::Message);
    if (!out.panel)
        return;
    m_panel.clear();
    for (const char *line : out.lines)
        m_panel << QString::fromLatin1(line);
    m_panel_values = out.values;
    change.panel = true;
}
