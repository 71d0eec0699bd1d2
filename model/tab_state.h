#pragma once

#include "calculators/rlc.h"
#include "model/tab_definition.h"
#include "numbers/complex.h"

#include <QString>
#include <QStringList>

#include <array>

// How a field looks. Default is the toolkit's own look, before any selector or reader has
// painted the field.
enum class Look { Default, Input, Result, Bad, Excluded };

struct FieldState
{
    QString text;
    Look look = Look::Default;
    bool read_only = false;
    bool enabled = true;
};

// What one operation changed, for a view to copy onto its widgets. Bit i stands for field i.
struct TabChange
{
    enum class Answer { None, Value, Message };

    // Fields whose text was written, also where the text stayed the same: writing a text puts
    // the cursor at its end, so a view writes exactly these and no other field.
    unsigned texts = 0;
    // Fields whose look, read-only or enabled flag differs from before.
    unsigned looks = 0;
    // The error label was written.
    bool error = false;
    // The panel lines were rewritten (the RLC tab); otherwise they are unchanged.
    bool panel = false;
    // Inputs that were no numbers, also where nothing turns red.
    unsigned rejected = 0;
    // What the last calculation wrote into the unknown's field.
    Answer answer = Answer::None;

    TabChange &operator|=(const TabChange &later);
};

// Everything one tab's meaning depends on, and the operations its widgets trigger.
class TabState
{
public:
    // The tab as the program starts: start texts, looks and flags; the RLC tab calculated.
    TabState(int tab, int digits);

    const TabDefinition &definition() const { return *m_definition; }
    int field_count() const { return m_definition->field_count; }
    const FieldState &field(int i) const { return m_fields[i]; }
    // The selected unknown, or the direction on the delta-star tab.
    int unknown() const { return m_unknown; }
    int circuit() const { return m_circuit; }
    const QString &error() const { return m_error; }
    bool inputs_rejected() const;
    const QStringList &panel() const { return m_panel; }
    // The numbers the panel's lines show (the RLC tab).
    const RlcPanelValues &panel_values() const { return m_panel_values; }
    const Complex &value(int i) const { return m_values[i]; }

    // What the user typed: no change to report, the view shows it already.
    void type(int i, const QString &text) { m_fields[i].text = text; }
    // A text put in by the program (a loaded file): the view must write it.
    TabChange fill(int i, const QString &text);

    // The selector: repaint the fields for unknown (or direction) m, then recalculate.
    TabChange select(int m, int digits);
    // The RLC circuit: repaint for the circuit and the current unknown, recalculate, and
    // recalculate once more.
    TabChange select_circuit(int circuit, int digits);
    TabChange recalculate(int digits);

    // Whether field i holds a part one can buy: a resistance, capacitance or inductance, and
    // real (a delta-star answer written as a complex number is an impedance).
    bool is_component_answer(int i) const;

    // The names of the quantities whose bits are set, as "V, R".
    QString names(unsigned bits) const;

private:
    void paint_real(int m);
    void paint_directions(unsigned results);
    void paint_rlc(int m);
    bool read_inputs(TabChange &change, int complex_position);
    void write(TabChange &change, int i, const QString &text, TabChange::Answer answer);
    void report(TabChange &change, bool inputs_ok);
    void calculate_real(TabChange &change, int digits);
    void calculate_delta_star(TabChange &change, int digits);
    void calculate_rlc(TabChange &change, int digits);
    // What the painters change, without the texts: compared before and after an operation.
    struct Painting
    {
        Look look;
        bool read_only;
        bool enabled;
    };
    std::array<Painting, MAX_FIELDS> painting() const;
    unsigned looks_changed(const std::array<Painting, MAX_FIELDS> &before) const;

    const TabDefinition *m_definition;
    FieldState m_fields[MAX_FIELDS];
    QString m_error;
    int m_unknown;
    int m_circuit = 0;
    Complex m_values[MAX_FIELDS] = {};
    QStringList m_panel;
    RlcPanelValues m_panel_values;
};
