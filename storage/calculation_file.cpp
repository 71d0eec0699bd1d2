#include "storage/calculation_file.h"

#include <QFile>
#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <climits>
#include <limits.h>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char *const VERSION = "270116";
// A line with its line end is read in at most this many bytes; the rest is the next line.
const int LINE_BYTES = 127;

// The whole file, built before anything is written.
std::string file_bytes(const Calculation &c)
{
    std::string out = std::string(VERSION) + "\n";
    auto lines = [&out](const std::vector<std::string> &texts) {
        for (const std::string &text : texts)
            out += text + "\n";
    };
    for (int t = 0; t < 5; ++t) {
        out += std::to_string(c.unknowns[t]) + " " + std::to_string(t) + "\n";
        lines(c.fields[t]);
    }
    out += std::to_string(c.network_size) + " NWS\n";
    lines(c.matrix);
    lines(c.vector_and_results);
    out += std::to_string(c.unknowns[5]) + " 5\n";
    lines(c.fields[5]);
    return out;
}

SaveOutcome failed(const QString &reason)
{
    SaveOutcome out;
    out.status = SaveOutcome::Status::Failed;
    out.reason = reason;
    return out;
}

SaveOutcome failed(int error)
{
    return failed(QString::fromLocal8Bit(std::strerror(error)));
}

// A file nobody may write to is the user's own protection: honoured also by root, whom the
// system would let through.
bool write_protected(const char *path, const struct stat &st)
{
    if (::geteuid() == 0)
        return (st.st_mode & 0222) == 0;
    return ::access(path, W_OK) != 0 && errno == EACCES;
}

// The bytes under the name final through QSaveFile, the old file's mode and owner given to the
// new one before it takes the old one's place.
SaveOutcome save_file(const QString &final, const std::string &bytes, const struct stat *old)
{
    QSaveFile file(final);
    // A writable file in a folder the user may not write in is written in place: the
    // documented trade-off for user documents.
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly))
        return failed(file.errorString());
    const int fd = file.handle();
    if (old) {
        ::fchmod(fd, old->st_mode & 07777);
        // Only root may give a file away; anyone else's file is theirs already.
        if (::fchown(fd, old->st_uid, old->st_gid) != 0 && ::geteuid() == 0) {
            file.cancelWriting();
            return failed(errno);
        }
    } else {
        // What fopen would give a new file.
        const mode_t mask = ::umask(0);
        ::umask(mask);
        ::fchmod(fd, 0666 & ~mask);
    }
    // Written here, not through QSaveFile's buffer: a short write (a file size limit) would
    // pass there without an error and leave a cut file.
    for (size_t done = 0; done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            const int error = n < 0 ? errno : EIO;
            file.cancelWriting();
            return failed(error);
        }
        done += size_t(n);
    }
    if (!file.commit())
        return failed(file.errorString());
    return {};
}

// Reads one line of at most LINE_BYTES bytes, without its carriage returns and line feeds.
// After the file's end, nothing is present.
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

SaveOutcome write_calculation_file(const char *path, const Calculation &calculation)
{
    const std::string bytes = file_bytes(calculation);
    struct stat old {};
    const bool exists = ::stat(path, &old) == 0; // through a symbolic link: its target
    if (exists && S_ISDIR(old.st_mode))
        return failed(EISDIR);
    // Never replace something that is no regular file, such as a device of the same name.
    if (exists && !S_ISREG(old.st_mode))
        return failed(QStringLiteral("Not a regular file"));
    if (exists && write_protected(path, old))
        return failed(EACCES);
    QString final = QFile::decodeName(path);
    if (exists)
        final = QFileInfo(final).canonicalFilePath();
    const QFileInfo info(final);
    // QSaveFile writes beside the file under its name and seven more characters; where that
    // name would be too long, it writes under a short name and this moves that over the file.
    if (QFile::encodeName(info.fileName()).size() + 7 <= NAME_MAX)
        return save_file(final, bytes, exists ? &old : nullptr);
    const QString beside = info.dir().filePath(QStringLiteral(".ohmara-save-%1").arg(::getpid()));
    SaveOutcome out = save_file(beside, bytes, exists ? &old : nullptr);
    if (out.saved() && std::rename(QFile::encodeName(beside).constData(), QFile::encodeName(final).constData()) != 0) {
        out = failed(errno);
        ::unlink(QFile::encodeName(beside).constData());
    }
    return out;
}

LoadedCalculation read_calculation_file(const char *path, int current_network_size)
{
    LoadedCalculation failed;
    // Opened without waiting, so a pipe or device named like a file cannot hang the program;
    // only regular files are read.
    const int fd = ::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    struct stat st {};
    if (fd < 0 || ::fstat(fd, &st) != 0) {
        failed.status = LoadedCalculation::Status::CannotOpen;
        failed.error = errno;
        if (fd >= 0)
            ::close(fd);
        return failed;
    }
    failed.status = S_ISDIR(st.st_mode)   ? LoadedCalculation::Status::Folder
                    : !S_ISREG(st.st_mode) ? LoadedCalculation::Status::NotRegular
                    : st.st_size == 0      ? LoadedCalculation::Status::Empty
                                           : LoadedCalculation::Status::Loaded;
    std::FILE *f = failed.status == LoadedCalculation::Status::Loaded ? ::fdopen(fd, "r") : nullptr;
    if (!f) {
        if (failed.status == LoadedCalculation::Status::Loaded) {
            failed.status = LoadedCalculation::Status::CannotOpen;
            failed.error = errno;
        }
        ::close(fd);
        return failed;
    }
    LoadedCalculation loaded = read_calculation_file(f, current_network_size);
    std::fclose(f);
    return loaded;
}

LoadedCalculation read_calculation_file(std::FILE *f, int current_network_size)
{
    LoadedCalculation out;
    // A calculation written in another encoding shows in its first bytes: a byte-order mark,
    // or the version's digits with zero bytes between them (which the line reader would cut).
    unsigned char head[4] = {};
    const size_t got = std::fread(head, 1, sizeof head, f);
    std::rewind(f);
    auto starts = [&](const char *bytes, size_t n) { return got >= n && std::memcmp(head, bytes, n) == 0; };
    const LoadedText version = get_line(f);
    if (version.text.compare(0, 6, VERSION) != 0) {
        out.status = LoadedCalculation::Status::WrongVersion;
        if (starts("\xff\xfe\0\0", 4) || starts("\0\0\xfe\xff", 4) || starts("2\0\0\0", 4) || starts("\0\0\0" "2", 4))
            out.encoding = "UTF-32";
        else if (starts("\xff\xfe", 2) || starts("\xfe\xff", 2) || starts("2\0", 2) || starts("\0" "2", 2))
            out.encoding = "UTF-16";
        if (out.encoding)
            out.status = LoadedCalculation::Status::OtherEncoding;
        return out;
    }
    // Every line after the version, noting where the file ended if it ends early.
    int section = 0;
    bool header = false;
    auto next_line = [&]() {
        LoadedText line = get_line(f);
        if (!line.present && out.ended_in < 0) {
            out.ended_in = section;
            out.ended_before = header;
        }
        return line;
    };

    auto read_tab = [&](int t, int at) {
        section = at;
        header = true;
        long k = 0;
        if (leading_integer(next_line(), k) && k >= 0 && k < TAB_DEFINITIONS[t].choices) {
            out.has_unknown[t] = true;
            out.unknowns[t] = int(k);
        }
        header = false;
        for (int i = 0; i < TAB_DEFINITIONS[t].field_count; ++i)
            out.fields[t].push_back(next_line());
    };
    for (int t = 0; t < 5; ++t)
        read_tab(t, t);

    section = 5;
    header = true;
    long n = 0;
    const bool has_size = leading_integer(next_line(), n);
    header = false;
    if (has_size && n > CALCULATION_MAX_NETWORK) {
        out.requested_network_size = n;
        return out;
    }
    out.network_read = true;
    // The size box takes nothing below 0. Without a number the grid stays as it is, and the
    // lines of a grid of its current size are passed over.
    int size = has_size ? (n > 0 ? int(n) : 0) : current_network_size;
    if (size < 0 || size > CALCULATION_MAX_NETWORK)
        size = 0;
    out.has_network_size = has_size;
    out.network_size = has_size ? size : 0;
    for (int i = 0; i < size * size; ++i) {
        const LoadedText line = next_line();
        if (has_size)
            out.matrix.push_back(line);
    }
    for (int i = 0; i < 2 * size; ++i) {
        const LoadedText line = next_line();
        if (has_size)
            out.vector_and_results.push_back(line);
    }
    read_tab(5, 6);
    return out;
}

namespace {

// A text as the file holds it, or why it cannot be: the file is Latin-1, a line a text, and
// lines longer than the reader takes would shift every later line.
SaveOutcome::Problem file_text(const QString &text, std::string &bytes)
{
    QString t = text;
    t.replace(QChar(0x2212), QLatin1Char('-')); // the Unicode minus, which the fields read
    if (t.contains(QLatin1Char('\n')) || t.contains(QLatin1Char('\r')))
        return SaveOutcome::Problem::LineBreak;
    for (const QChar c : t) {
        if (c.unicode() > 0xFF || c.unicode() == 0)
            return SaveOutcome::Problem::Unwritable;
    }
    if (t.size() > SAVED_TEXT_MAX)
        return SaveOutcome::Problem::TooLong;
    bytes = t.toLatin1().toStdString();
    return SaveOutcome::Problem::None;
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

SaveOutcome save_calculation(const CalculatorModel &model, const char *path)
{
    Calculation c;
    SaveOutcome refused;
    refused.status = SaveOutcome::Status::Refused;
    for (int t = 0; t < CALCULATION_TABS; ++t) {
        const TabState &tab = model.tab(t);
        c.unknowns[t] = tab.unknown();
        for (int i = 0; i < tab.field_count(); ++i) {
            c.fields[t].emplace_back();
            refused.problem = file_text(tab.field(i).text, c.fields[t].back());
            if (refused.problem != SaveOutcome::Problem::None) {
                refused.tab = t;
                refused.field = i;
                return refused;
            }
        }
    }
    const NetworkState &grid = model.network;
    const int n = grid.size();
    c.network_size = n;
    auto add = [&](std::vector<std::string> &to, CellId id) {
        to.emplace_back();
        refused.problem = file_text(grid.cell(id).text, to.back());
        refused.cell = id;
        return refused.problem == SaveOutcome::Problem::None;
    };
    for (int r = 0; r < n; ++r) {
        for (int col = 0; col < n; ++col) {
            if (!add(c.matrix, {CellId::Column::Matrix, r, col}))
                return refused;
        }
        if (!add(c.vector_and_results, {CellId::Column::Vector, r})
            || !add(c.vector_and_results, {CellId::Column::Result, r}))
            return refused;
    }
    return write_calculation_file(path, c);
}

LoadReport load_calculation(CalculatorModel &model, const char *path)
{
    NetworkState &grid = model.network;
    const LoadedCalculation l = read_calculation_file(path, grid.size());
    LoadReport report;
    report.status = l.status;
    report.error = l.error;
    report.encoding = l.encoding;
    report.ended_in = l.ended_in;
    report.ended_before = l.ended_before;
    report.network_read = l.network_read;
    report.requested_network_size = l.requested_network_size;
    if (l.status != LoadedCalculation::Status::Loaded)
        return report;
    for (int t = 0; t < TAB_DELTA_STAR; ++t)
        load_tab(model, l, t, report.tabs[t]);
    if (!l.network_read)
        return report;
    report.has_network_size = l.has_network_size;
    if (l.has_network_size) {
        const int n = l.network_size;
        // Equations from a file are nobody's netlist.
        grid.set_names({});
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

namespace {

// "the Discharge tab", "the equation grid": a section of the file by what the user sees.
QString section_name(int section, const TabTitle &title)
{
    if (section == 5)
        return QStringLiteral("the equation grid");
    return QStringLiteral("the %1 tab").arg(title(section == 6 ? TAB_DELTA_STAR : section));
}

// A grid cell as the user finds it: "row 2, column 3 of the equation grid", columns counted
// over the coefficients, the right-hand side and the result.
QString cell_name(const CellId &cell)
{
    const int column = cell.column == CellId::Column::Matrix ? cell.col + 1
                       : cell.column == CellId::Column::Vector ? -1 : -2;
    const QString where = column > 0 ? QStringLiteral("coefficient %1").arg(column)
                          : column == -1 ? QStringLiteral("right-hand side") : QStringLiteral("result");
    return QStringLiteral("the %1 of row %2 of the equation grid").arg(where).arg(cell.row + 1);
}

} // namespace

QString save_failure_text(const QString &name, const SaveOutcome &outcome, const TabTitle &title)
{
    if (outcome.status == SaveOutcome::Status::Failed)
        return QStringLiteral("Could not open '%1' for writing: %2").arg(name, outcome.reason);
    const QString place = outcome.tab >= 0
        ? QStringLiteral("%1 on the %2 tab").arg(QString::fromLatin1(TAB_DEFINITIONS[outcome.tab].quantities[outcome.field].name), title(outcome.tab))
        : cell_name(outcome.cell);
    const QString why = outcome.problem == SaveOutcome::Problem::TooLong
        ? QStringLiteral("is longer than %1 characters").arg(SAVED_TEXT_MAX)
        : outcome.problem == SaveOutcome::Problem::LineBreak ? QStringLiteral("holds a line break")
                                                             : QStringLiteral("holds a character a calculation file cannot hold");
    return QStringLiteral("'%1' was not saved: the text of %2 %3").arg(name, place, why);
}

QString load_failure_text(const LoadReport &report, const QString &name)
{
    switch (report.status) {
    case LoadedCalculation::Status::Folder:
        return QStringLiteral("'%1' is a folder, not a calculation file").arg(name);
    case LoadedCalculation::Status::NotRegular:
        return QStringLiteral("'%1' is not a regular file").arg(name);
    case LoadedCalculation::Status::Empty:
        return QStringLiteral("'%1' is empty").arg(name);
    case LoadedCalculation::Status::OtherEncoding:
        return QStringLiteral("'%1' is written in %2; a calculation file is Latin-1 text")
            .arg(name, QString::fromLatin1(report.encoding));
    default:
        return load_failure_text(report.status, name);
    }
}

QString load_failure_text(LoadedCalculation::Status status, const QString &name)
{
    if (status == LoadedCalculation::Status::WrongVersion)
        return QStringLiteral("'%1' has wrong version number").arg(name);
    return QStringLiteral("Could not open '%1' for reading").arg(name);
}

QString load_notice_text(const LoadReport &report, const QString &name, const TabTitle &title)
{
    if (report.status != LoadedCalculation::Status::Loaded)
        return {};
    if (!report.network_read)
        return QStringLiteral("'%1' asks for %2 equations, more than %3: the equation grid and %4 were left as they were")
            .arg(name).arg(report.requested_network_size).arg(CALCULATION_MAX_NETWORK).arg(section_name(6, title));
    if (report.ended_in < 0)
        return {};
    if (report.ended_in == 0 && report.ended_before)
        return QStringLiteral("'%1' ends after its first line: nothing was loaded").arg(name);
    if (report.ended_before)
        return QStringLiteral("'%1' ends after %2: the rest was left as it was")
            .arg(name, section_name(report.ended_in - 1, title));
    return QStringLiteral("'%1' ends inside %2: the rest was left as it was")
        .arg(name, section_name(report.ended_in, title));
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

QString typed_text(const QString &text)
{
    QString clean = text;
    clean.remove(QLatin1Char('\n'));
    clean.remove(QLatin1Char('\r'));
    return clean.left(TYPED_TEXT_MAX);
}
