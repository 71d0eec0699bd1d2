#include "storage/calculation_file.h"

#include <QFile>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char *const VERSION = "270116";
// A line with its line end is read in at most this many bytes; the rest is the next line.
const int LINE_BYTES = 127;

bool put_line(std::FILE *f, const std::string &text)
{
    return std::fputs(text.c_str(), f) >= 0 && std::fputc('\n', f) != EOF;
}

bool put_section(std::FILE *f, int number, const char *what)
{
    return std::fprintf(f, "%d %s\n", number, what) > 0;
}

bool write_all(std::FILE *f, const Calculation &c)
{
    bool ok = put_line(f, VERSION);
    const char *const names[] = {"0", "1", "2", "3", "4"};
    for (int t = 0; t < 5; ++t) {
        ok = ok && put_section(f, c.unknowns[t], names[t]);
        for (const std::string &text : c.fields[t])
            ok = ok && put_line(f, text);
    }
    ok = ok && put_section(f, c.network_size, "NWS");
    for (const std::string &text : c.matrix)
        ok = ok && put_line(f, text);
    for (const std::string &text : c.vector_and_results)
        ok = ok && put_line(f, text);
    ok = ok && put_section(f, c.unknowns[5], "5");
    for (const std::string &text : c.fields[5])
        ok = ok && put_line(f, text);
    return ok;
}

// Reads one line of at most LINE_BYTES bytes, without its carriage returns and line feeds.
LoadedText get_line(std::FILE *f)
{
    char buf[LINE_BYTES + 1];
    LoadedText line;
    if (!std::fgets(buf, sizeof buf, f))
        return line;
    size_t n = std::strlen(buf);
    while (n > 0 && (buf[n - 1] == '\n' || buf[n - 1] == '\r'))
        --n;
    line.present = true;
    line.text.assign(buf, n);
    return line;
}

// The integer a section or network line starts with, if it starts with one.
bool leading_integer(const LoadedText &line, long &value)
{
    if (!line.present)
        return false;
    const char *start = line.text.c_str();
    char *end = nullptr;
    errno = 0;
    value = std::strtol(start, &end, 10);
    return end != start;
}

} // namespace

bool write_calculation_file(const char *path, const Calculation &calculation)
{
    // Never replace something that is no regular file, such as a folder of the same name.
    struct stat target;
    const bool exists = ::stat(path, &target) == 0;
    if (exists && !S_ISREG(target.st_mode))
        return false;

    std::string temp = std::string(path) + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0)
        return false;
    // A replaced file keeps its permissions; a new one gets what fopen would give it.
    mode_t mode = 0666;
    if (exists) {
        mode = target.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode &= ~mask;
    }
    ::fchmod(fd, mode);

    std::FILE *f = ::fdopen(fd, "w");
    if (!f) {
        ::close(fd);
        ::unlink(temp.c_str());
        return false;
    }
    bool ok = write_all(f, calculation);
    ok = std::fflush(f) == 0 && ok;
    ok = ::fsync(::fileno(f)) == 0 && ok;
    ok = std::fclose(f) == 0 && ok;
    if (ok && std::rename(temp.c_str(), path) == 0)
        return true;
    ::unlink(temp.c_str());
    return false;
}

LoadedCalculation read_calculation_file(const char *path, int current_network_size)
{
    std::FILE *f = std::fopen(path, "r");
    if (!f) {
        LoadedCalculation failed;
        failed.status = LoadedCalculation::Status::CannotOpen;
        return failed;
    }
    LoadedCalculation loaded = read_calculation_file(f, current_network_size);
    std::fclose(f);
    return loaded;
}

LoadedCalculation read_calculation_file(std::FILE *f, int current_network_size)
{
    LoadedCalculation out;
    const LoadedText version = get_line(f);
    if (version.text.compare(0, 6, VERSION) != 0) {
        out.status = LoadedCalculation::Status::WrongVersion;
        return out;
    }

    auto read_tab = [&](int t) {
        long k = 0;
        if (leading_integer(get_line(f), k) && k >= 0 && k < TAB_DEFINITIONS[t].choices) {
            out.has_unknown[t] = true;
            out.unknowns[t] = int(k);
        }
        for (int i = 0; i < TAB_DEFINITIONS[t].field_count; ++i)
            out.fields[t].push_back(get_line(f));
    };
    for (int t = 0; t < 5; ++t)
        read_tab(t);

    long n = 0;
    const bool has_size = leading_integer(get_line(f), n);
    if (has_size && n > CALCULATION_MAX_NETWORK)
        return out;
    out.network_read = true;
    // The size box takes nothing below 0. Without a number the grid stays as it is, and the
    // lines of a grid of its current size are passed over.
    int size = has_size ? (n > 0 ? int(n) : 0) : current_network_size;
    if (size < 0 || size > CALCULATION_MAX_NETWORK)
        size = 0;
    out.has_network_size = has_size;
    out.network_size = has_size ? size : 0;
    for (int i = 0; i < size * size; ++i) {
        const LoadedText line = get_line(f);
        if (has_size)
            out.matrix.push_back(line);
    }
    for (int i = 0; i < 2 * size; ++i) {
        const LoadedText line = get_line(f);
        if (has_size)
            out.vector_and_results.push_back(line);
    }
    read_tab(5);
    return out;
}

namespace {

std::string latin1(const QString &text)
{
    return text.toLatin1().toStdString();
}

QString text_of(const LoadedText &line)
{
    return QString::fromLatin1(line.text.data(), qsizetype(line.text.size()));
}

// A saved tab: its unknown when the file gave one, then every text the file holds.
void load_tab(CalculatorModel &model, const LoadedCalculation &l, int t, TabChange &change)
{
    TabState &tab = model.tab(t);
    if (l.has_unknown[t])
        change |= tab.select(l.unknowns[t], model.digits);
    for (size_t i = 0; i < l.fields[t].size(); ++i) {
        if (l.fields[t][i].present)
            change |= tab.fill(int(i), text_of(l.fields[t][i]));
    }
    change |= tab.recalculate(model.digits);
}

void append(NetworkChange &to, const NetworkChange &from)
{
    to.texts.insert(to.texts.end(), from.texts.begin(), from.texts.end());
    to.looks.insert(to.looks.end(), from.looks.begin(), from.looks.end());
    to.status = to.status || from.status;
}

} // namespace

bool save_calculation(const CalculatorModel &model, const char *path)
{
    Calculation c;
    for (int t = 0; t < CALCULATION_TABS; ++t) {
        const TabState &tab = model.tab(t);
        c.unknowns[t] = tab.unknown();
        for (int i = 0; i < tab.field_count(); ++i)
            c.fields[t].push_back(latin1(tab.field(i).text));
    }
    const NetworkState &grid = model.network;
    const int n = grid.size();
    c.network_size = n;
    for (int r = 0; r < n; ++r) {
        for (int col = 0; col < n; ++col)
            c.matrix.push_back(latin1(grid.cell({CellId::Column::Matrix, r, col}).text));
        c.vector_and_results.push_back(latin1(grid.cell({CellId::Column::Vector, r}).text));
        c.vector_and_results.push_back(latin1(grid.cell({CellId::Column::Result, r}).text));
    }
    return write_calculation_file(path, c);
}

LoadReport load_calculation(CalculatorModel &model, const char *path)
{
    NetworkState &grid = model.network;
    const LoadedCalculation l = read_calculation_file(path, grid.size());
    LoadReport report;
    report.status = l.status;
    if (l.status != LoadedCalculation::Status::Loaded)
        return report;
    for (int t = 0; t < TAB_DELTA_STAR; ++t)
        load_tab(model, l, t, report.tabs[t]);
    if (!l.network_read)
        return report;
    report.has_network_size = l.has_network_size;
    if (l.has_network_size) {
        const int n = l.network_size;
        if (n != grid.size()) {
            grid.resize(n);
            report.network_resized = true;
        }
        for (int r = 0; r < n; ++r) {
            for (int c = 0; c < n; ++c) {
                const CellId id{CellId::Column::Matrix, r, c};
                const LoadedText &line = l.matrix[size_t(r * n + c)];
                if (line.present)
                    append(report.network, grid.fill(id, text_of(line)));
                append(report.network, grid.check(id));
            }
            const LoadedText &vector = l.vector_and_results[size_t(2 * r)];
            const LoadedText &result = l.vector_and_results[size_t(2 * r + 1)];
            if (vector.present)
                append(report.network, grid.fill({CellId::Column::Vector, r}, text_of(vector)));
            if (result.present)
                append(report.network, grid.fill({CellId::Column::Result, r}, text_of(result)));
        }
    }
    load_tab(model, l, TAB_DELTA_STAR, report.tabs[TAB_DELTA_STAR]);
    return report;
}

QString save_failure_text(const QString &name)
{
    return QStringLiteral("Could not open '%1' for writing").arg(name);
}

QString load_failure_text(LoadedCalculation::Status status, const QString &name)
{
    if (status == LoadedCalculation::Status::WrongVersion)
        return QStringLiteral("'%1' has wrong version number").arg(name);
    return QStringLiteral("Could not open '%1' for reading").arg(name);
}

QString unreadable_input_text(const QString &name)
{
    const QByteArray path = QFile::encodeName(name);
    struct stat st {};
    int error = 0;
    if (::stat(path.constData(), &st) != 0)
        error = errno;
    else if (S_ISDIR(st.st_mode))
        return QStringLiteral("'%1' is a folder, not a file").arg(name);
    else if (::access(path.constData(), R_OK) != 0)
        error = errno;
    if (error == 0)
        return {};
    return QStringLiteral("Could not open '%1' for reading: %2")
        .arg(name, QString::fromLocal8Bit(std::strerror(error)));
}
