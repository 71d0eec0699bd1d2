#pragma once

#include "calculators/outcome.h"
#include "model/tab_definition.h"
#include "numbers/complex.h"

#include <QList>
#include <QObject>

#include <vector>

class QLabel;
class QLineEdit;

// The four looks of a Value field, each set as the field's whole style sheet.
extern const char *const INPUT_STYLE;
extern const char *const RESULT_STYLE;
extern const char *const BAD_STYLE;
extern const char *const EXCLUDED_STYLE;


// One calculator tab: its Value fields in position order, the selected unknown, the stored
// values, and the error label. The window holds one per formula tab; the tab's slots call
// select() and calculate() and nothing else.
class FormTab
{
public:
    FormTab(QList<QLineEdit *> fields, QLabel *error, int unknown);

    int unknown() const { return m_unknown; }
    const std::vector<double> &values() const { return m_values; }
    const QList<QLineEdit *> &fields() const { return m_fields; }

    // Keeps the number the unknown's field shows, as if it had been computed.
    void store_shown_answer();

    // The unknown selector: makes field m the yellow read-only result and every other field a
    // white input. The caller recalculates afterwards.
    void select(int m);
    // The same for tabs with several results: bit i set makes field i a result.
    void select_results(unsigned mask);
    // For tabs whose fields take part by circuit: bit i of mask set means field i takes part,
    // bit 8 + i that it is an input. A field that takes no part turns grey and disabled; it
    // keeps its text and is still read.
    void select_masked(int m, unsigned mask);

    void store(int m, double value) { m_values[size_t(m)] = value; }

    // Shows "Illegal number(s)" or clears the error label; returns inputs_ok.
    bool report_inputs(bool inputs_ok);
    // Puts an answer's or a message's text into field m.
    void write(int m, const char *text);

    // Reads every field but the unknown's into the stored values. A field that holds no real
    // number turns red and leaves its stored value alone; every field is visited, so all bad
    // ones show at once. True when none was bad.
    // The field at complex_position, when it is an input, is parsed straight into *complex_value
    // instead: real or complex are both fine, only text that is no number fails, and its colour
    // is never changed.
    bool read_real_inputs(int complex_position = -1, Complex *complex_value = nullptr);

    // The frame of a real-valued tab's calculation: read, report, compute, write.
    void calculate(RealCalculator formula, int digits);

private:
    void show(const Outcome &outcome, int digits);

    QList<QLineEdit *> m_fields;
    QLabel *m_error;
    int m_unknown;
    std::vector<double> m_values;
};

// Makes a Value field report every loss of focus through editingFinished(), as users expect
// from "the answer appears the moment a field is left", not only a loss after an edit.
class LeaveReporter : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;
    void watch(QLineEdit *field);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool m_reported = false;
};
