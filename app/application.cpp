#include "app/application.h"

#include <QApplication>
#include <QEvent>
#include <QIcon>
#include <QIconEngine>
#include <QTimer>
#include <QtPlugin>
#include <QWidget>

#include <dlfcn.h>

#include <cstring>
#include <utility>

// The program's PNG reader (png_reader.cpp), found before the toolkit's image plugins.
Q_IMPORT_PLUGIN(PngReaderPlugin)

namespace {

const char *const ICON = ":/desktop/org.example.Ohmara-256.png";
constexpr int ICON_SIZE = 256;

// The icon's picture, decoded only when something asks to see it. A desktop that draws the
// window's icon asks at once; offscreen, and where the desktop takes the icon from the
// launcher's entry, nothing ever does, and the 256-pixel picture stayed in memory unused.
class IconOnDemand : public QIconEngine
{
public:
    IconOnDemand(const QString &path, QSize size)
        : m_path(path)
        , m_size(size)
    {
    }

    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        return icon().pixmap(size, mode, state);
    }
    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State state) override
    {
        icon().paint(painter, rect, Qt::AlignCenter, mode, state);
    }
    QSize actualSize(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        return icon().actualSize(size, mode, state);
    }
    // As the file's own icon answers: its one picture, in the normal mode and state.
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override
    {
        if (mode == QIcon::Normal && state == QIcon::Off)
            return {m_size};
        return {};
    }
    bool isNull() override { return false; }
    QIconEngine *clone() const override { return new IconOnDemand(m_path, m_size); }

private:
    const QIcon &icon()
    {
        if (m_icon.isNull())
            m_icon = QIcon(m_path);
        return m_icon;
    }

    QString m_path;
    QSize m_size;
    QIcon m_icon;
};

// Gives the application its icon once the window's first paint is done. A desktop that draws
// the icon decodes its 256-pixel picture when it is set, a tenth of the start-up; until then it
// shows the launcher's icon, which is the same picture.
class IconAfterFirstPaint : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint) {
            watched->removeEventFilter(this);
            // After the paint has reached the screen, not inside it.
            QTimer::singleShot(0, this, [this] {
                QApplication::setWindowIcon(QIcon(new IconOnDemand(QString::fromLatin1(ICON), QSize(ICON_SIZE, ICON_SIZE))));
                deleteLater();
            });
        }
        return QObject::eventFilter(watched, event);
    }
};

// The library the toolkit itself is linked to, looked up rather than linked: the program
// needs neither its headers nor to load it where the toolkit does not. Nothing to run where
// the toolkit finds its fonts without it.
std::function<void()> font_configuration_reader()
{
    using Init = int (*)();
    if (const auto init = reinterpret_cast<Init>(dlsym(RTLD_DEFAULT, "FcInit")))
        return [init] { init(); };
    return {};
}

// Set before the initialisers run: a plain pointer, which none of them touches. An object
// they construct would lose what was set in it.
HelperThread *reader_started_early = nullptr;

} // namespace

// Connecting to a display server, the application object waits on it time and again, and the
// reader runs in those waits beside the main thread, leaving the other processors to the
// server (away from it, the reader slowed the server's answers: 2-3.5 ms later under Xvfb on
// two processors). Drawing into memory only, the application object never waits, and beside
// it the reader would run only once waited for.
FontConfigurationAhead::FontConfigurationAhead(int argc, char **argv)
    : m_reading(std::exchange(reader_started_early, nullptr))
{
    if (!m_reading) {
        m_reading = std::make_unique<HelperThread>(font_configuration_reader(),
            has_display_server(argc, argv) ? HelperThread::BesideMaker : HelperThread::AwayFromMaker);
    }
}

void FontConfigurationAhead::start_before_initialisers(int argc, char **argv, char **environment)
{
    if (!reader_started_early && !has_display_server(argc, argv, environment))
        reader_started_early = new HelperThread(font_configuration_reader(), HelperThread::AwayFromMaker);
}

bool FontConfigurationAhead::started_early()
{
    return reader_started_early;
}

void FontConfigurationAhead::wait()
{
    m_reading->join();
}

bool has_display_server(int argc, char **argv, char **environment)
{
    const char *const variable = "QT_QPA_PLATFORM=";
    const char *platform = nullptr;
    // The first, as getenv() finds it.
    for (char **e = environment; e && *e && !platform; ++e) {
        if (!std::strncmp(*e, variable, std::strlen(variable)))
            platform = *e + std::strlen(variable);
    }
    for (int i = 1; i + 1 < argc; ++i) {
        if (!std::strcmp(argv[i], "-platform") || !std::strcmp(argv[i], "--platform"))
            platform = argv[i + 1];
    }
    if (!platform)
        return true;
    // A name may carry options after a colon.
    const auto named = [platform](const char *name) { return !std::strncmp(platform, name, std::strlen(name)); };
    return !(named("offscreen") || named("minimal"));
}

void set_up_application()
{
    QApplication::setOrganizationName(QStringLiteral("ohmara"));
    QApplication::setApplicationName(QStringLiteral("ohmara"));
    QApplication::setApplicationDisplayName(QStringLiteral("Ohmara"));
    QApplication::setApplicationVersion(QStringLiteral("1.0"));
    QApplication::setDesktopFileName(QStringLiteral("org.example.Ohmara"));
}

void set_icon_after_first_paint(QWidget &window)
{
    window.installEventFilter(new IconAfterFirstPaint(&window));
}
