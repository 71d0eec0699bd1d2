#include "app/application.h"
#include "app/ohmara.h"

#include <QApplication>
#include <QTimer>

#include <cstdio>
#include <cstring>

namespace {

const char *const USAGE = "usage: ohmara [FILE.oma]\n"
                          "  Opens the calculator, and the calculation file when one is given.\n"
                          "  -h, --help     this text\n"
                          "  -V, --version  the version\n";

enum class Asked { Window, Version, Help };

// What the command line asks for: the first of the options answered on the terminal, else the
// window.
Asked asked(int argc, char **argv)
{
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--version") || !std::strcmp(argv[i], "-V"))
            return Asked::Version;
        if (!std::strcmp(argv[i], "--help") || !std::strcmp(argv[i], "-h"))
            return Asked::Help;
    }
    return Asked::Window;
}

void before_initialisers(int argc, char **argv, char **environment)
{
    if (asked(argc, argv) == Asked::Window)
        FontConfigurationAhead::start_before_initialisers(argc, argv, environment);
}

} // namespace

// Runs once the libraries are loaded, before any of their initialisers.
__attribute__((section(".preinit_array"), used)) static void (*const run_first)(int, char **, char **) =
    before_initialisers;

int main(int argc, char *argv[])
{
    // Answered before any window or display is needed.
    switch (asked(argc, argv)) {
    case Asked::Version:
        std::printf("ohmara %s\n", OHMARA_VERSION);
        return 0;
    case Asked::Help:
        std::fputs(USAGE, stdout);
        return 0;
    case Asked::Window:
        break;
    }
    Q_INIT_RESOURCE(pics);
    int status = 0;
    {
        FontConfigurationAhead fonts(argc, argv);
        QApplication app(argc, argv);
        set_up_application();
        fonts.wait();
        ohmara window;
        set_icon_after_first_paint(window);
        window.show();
        // A file given on the command line, or by a file manager, loads once the window shows.
        const QStringList args = QApplication::arguments();
        if (args.size() > 1)
            QTimer::singleShot(0, &window, [&window, file = args.at(1)] { window.load(file); });
        status = app.exec();
    }
    Q_CLEANUP_RESOURCE(pics);
    return status;
}
