#include "app/form_tab.h"

#include "numbers/format.h"
#include "numbers/parse.h"

#include <QApplication>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>

const char *const INPUT_STYLE = "QLineEdit { background-color: #FFF }";
const char *const RESULT_STYLE = "QLineEdit { background-color: #FF8 }";
const char *const BAD_STYLE = "QLineEdit { background-color: #F88 }";
const char *const EXCLUDED_STYLE = "QLineEdit { background-color: #CCC }";


FormTab::FormTab(QList<QLineEdit *> fields, QLabel *error, int unknown)
    : m_fields(std::move(fields))
    , m_error(error)
    , m_unknown(unknown)
    , m_values(size_t(m_fields.size()), 0.0)
{
    m_fields[m_unknown]->setStyleSheet(QString::fromLatin1(RESULT_STYLE));
}

void FormTab::store_shown_answer()
{
    Complex z{};
    parse_value(m_fields[m_unknown]->text(), z);
    m_values[size_t(m_unknown)] = z.re;
}

void FormTab::select(int m)
{
    m_unknown = m;
    select_results(m >= 0 && m < 32 ? 1u << m : 0u);
}

void FormTab::select_results(unsigned mask)
{
    for (qsizetype i = 0; i < m_fields.size(); ++i) {
        const bool result = (mask >> i) & 1u;
        m_fields[i]->setStyleSheet(QString::fromLatin1(result ? RESULT_STYLE : INPUT_STYLE));
        m_fields[i]->setReadOnly(result);
    }
}

void FormTab::select_masked(int m, unsigned mask)
{
    m_unknown = m;
    for (qsizetype i = 0; i < m_fields.size(); ++i) {
        QLineEdit *field = m_fields[i];
        if (!((mask >> i) & 1u)) {
            field->setEnabled(false);
            field->setStyleSheet(QString::fromLatin1(EXCLUDED_STYLE));
            continue;
        }
        const bool input = (mask >> (8 + i)) & 1u;
        field->setEnabled(true);
        field->setStyleSheet(QString::fromLatin1(input ? INPUT_STYLE : RESULT_STYLE));
        field->setReadOnly(!input);
    }
}

bool FormTab::report_inputs(bool inputs_ok)
{
    if (inputs_ok)
        m_error->clear();
    else
        m_error->setText(QString::fromLatin1(ILLEGAL_NUMBERS));
    return inputs_ok;
}

void FormTab::write(int m, const char *text)
{
    m_fields[m]->setText(QString::fromLatin1(text));
}

bool FormTab::read_real_inputs(int complex_position, Complex *complex_value)
{
    bool ok = true;
    for (qsizetype i = 0; i < m_fields.size(); ++i) {
        if (i == m_unknown)
            continue;
        QLineEdit *field = m_fields[i];
        if (i == complex_position) {
            ok = parse_value(field->text(), *complex_value) != KIND_INVALID && ok;
            continue;
        }
        Complex z{};
        const int kind = parse_value(field->text(), z);
        // A field the user cannot edit is not judged: there is nothing to correct in it.
        if (field->isReadOnly() || !field->isEnabled()) {
            m_values[size_t(i)] = z.re;
            continue;
        }
        if (kind != KIND_REAL) {
            field->setStyleSheet(QString::fromLatin1(BAD_STYLE));
            ok = false;
            continue;
        }
        field->setStyleSheet(QString::fromLatin1(INPUT_STYLE));
        m_values[size_t(i)] = z.re;
    }
    return ok;
}

void FormTab::calculate(RealCalculator formula, int digits)
{
    if (!report_inputs(read_real_inputs()))
        return;
    show(formula(m_unknown, m_values.data()), digits);
}

void FormTab::show(const Outcome &outcome, int digits)
{
    if (outcome.kind == Outcome::Kind::Nothing)
        return;
    if (outcome.kind == Outcome::Kind::Message) {
        write(m_unknown, outcome.message);
        return;
    }
    m_values[size_t(m_unknown)] = outcome.value;
    char buf[FORMAT_BUFFER_SIZE];
    write(m_unknown, format_value(buf, outcome.value, digits));
}

void LeaveReporter::watch(QLineEdit *field)
{
    field->installEventFilter(this);
    connect(field, &QLineEdit::editingFinished, this, [this] { m_reported = true; });
}

// Qt reports a leave only after an edit, and counts a programmatic setText() as one. So the
// field handles its own focus loss first, and the report is added only when Qt made none.
bool LeaveReporter::eventFilter(QObject *watched, QEvent *event)
{
    auto *field = qobject_cast<QLineEdit *>(watched);
    if (!field || event->type() != QEvent::FocusOut)
        return false;
    m_reported = false;
    watched->event(event);
    // Opening the field's own context menu is no leave.
    const bool own_popup = static_cast<QFocusEvent *>(event)->reason() == Qt::PopupFocusReason
        && QApplication::activePopupWidget()
        && QApplication::activePopupWidget()->parentWidget() == field;
    if (!m_reported && !own_popup)
        emit field->editingFinished();
    return true;
}
