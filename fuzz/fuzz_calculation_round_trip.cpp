// A random calculation saved and read back: what comes back is what was written, or the save
// refused it, wrote nothing, and named a text that the file indeed cannot hold.
#include "storage/calculation_file.h"

#include <QFile>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

// The input, taken a piece at a time; zeros once it runs out.
struct Input
{
    const uint8_t *data;
    size_t size;
    uint8_t byte() { return size ? (--size, *data++) : 0; }
    // A text of up to 140 characters: mostly digits and signs, sometimes any Latin-1
    // character, a line break, a Unicode minus or a character beyond Latin-1.
    QString text()
    {
        const int length = byte() % 141;
        QString t;
        for (int i = 0; i < length; ++i) {
            const uint8_t b = byte();
            if (b < 200)
                t += QLatin1Char("0123456789+-.eikmunpMG "[b % 23]);
            else if (b < 240)
                t += QChar(byte());
            else if (b < 248)
                t += QChar(0x2212);
            else
                t += QChar(0x0100 + byte());
        }
        return t;
    }
};

bool holdable(const QString &text)
{
    QString t = text;
    t.replace(QChar(0x2212), QLatin1Char('-'));
    if (t.size() > SAVED_TEXT_MAX)
        return false;
    for (const QChar c : t) {
        if (c.unicode() > 0xFF || c == QLatin1Char('\n') || c == QLatin1Char('\r') || c.unicode() == 0)
            return false;
    }
    return true;
}

std::string saved(const QString &text)
{
    QString t = text;
    t.replace(QChar(0x2212), QLatin1Char('-'));
    return t.toLatin1().toStdString();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    Input in{data, size};
    CalculatorModel model;
    bool all_holdable = true;
    for (int t = 0; t < CALCULATION_TABS; ++t) {
        TabState &tab = model.tab(t);
        tab.select(in.byte() % tab.definition().choices, model.digits);
        for (int i = 0; i < tab.field_count(); ++i) {
            const QString text = in.text();
            all_holdable = all_holdable && holdable(text);
            tab.type(i, text);
        }
    }
    const int n = in.byte() % (CALCULATION_MAX_NETWORK + 1);
    model.network.resize(n);
    auto cell_text = [&](CellId id) {
        const QString text = in.text();
        all_holdable = all_holdable && holdable(text);
        model.network.type(id, text);
    };
    for (int r = 0; r < n; ++r) {
        for (int c = 0; c < n; ++c)
            cell_text({CellId::Column::Matrix, r, c});
        cell_text({CellId::Column::Vector, r});
    }

    static const std::string path = "/tmp/ohmara-round-trip-" + std::to_string(::getpid()) + ".oma";
    ::unlink(path.c_str());
    const SaveOutcome outcome = save_calculation(model, path.c_str());
    if (!outcome.saved()) {
        // Refused only for a text the file cannot hold, and then nothing was written.
        if (outcome.status != SaveOutcome::Status::Refused || all_holdable || ::access(path.c_str(), F_OK) == 0)
            std::abort();
        const QString &bad = outcome.tab >= 0 ? model.tab(outcome.tab).field(outcome.field).text
                                              : model.network.cell(outcome.cell).text;
        if (holdable(bad))
            std::abort();
        return 0;
    }
    if (!all_holdable)
        std::abort();
    const LoadedCalculation back = read_calculation_file(path.c_str(), 0);
    ::unlink(path.c_str());
    if (back.status != LoadedCalculation::Status::Loaded || back.ended_in != -1 || !back.network_read)
        std::abort();
    for (int t = 0; t < CALCULATION_TABS; ++t) {
        const TabState &tab = model.tab(t);
        if (!back.has_unknown[t] || back.unknowns[t] != tab.unknown())
            std::abort();
        for (int i = 0; i < tab.field_count(); ++i) {
            if (back.fields[t][size_t(i)].text != saved(tab.field(i).text))
                std::abort();
        }
    }
    if (!back.has_network_size || back.network_size != n)
        std::abort();
    for (int r = 0; r < n; ++r) {
        for (int c = 0; c < n; ++c) {
            if (back.matrix[size_t(r * n + c)].text != saved(model.network.cell({CellId::Column::Matrix, r, c}).text))
                std::abort();
        }
        if (back.vector_and_results[size_t(2 * r)].text != saved(model.network.cell({CellId::Column::Vector, r}).text)
            || back.vector_and_results[size_t(2 * r + 1)].text != saved(model.network.cell({CellId::Column::Result, r}).text))
            std::abort();
    }
    return 0;
}
